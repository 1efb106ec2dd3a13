#pragma once

#include "sipapi.h"

#include <QtCore/QMetaObject>
#include <QtCore/QVariant>

// Shapes of the PyQt5.QtCore functions the binding looks up by name.
using FromVariantConvertor = bool (*)(const QVariant &, PyObject **);
using ToVariantConvertor = bool (*)(PyObject *, QVariant &, bool *);
using RegisterFromVariantFunc = void (*)(FromVariantConvertor);
using RegisterToVariantFunc = void (*)(ToVariantConvertor);
using MetaObjectFunc = const QMetaObject *(*)(sipSimpleWrapper *, sipTypeDef *);
using MetaCallFunc = int (*)(sipSimpleWrapper *, sipTypeDef *, QMetaObject::Call, int, void **);
using MetaCastFunc = int (*)(sipSimpleWrapper *, const sipTypeDef *, const char *, void **);

extern MetaObjectFunc qtcoreQtMetaobject;
extern MetaCallFunc qtcoreQtMetacall;
extern MetaCastFunc qtcoreQtMetacast;
extern sipExportedModuleDef bindingModuleDef;

PyObject *pyInstallGlobalEventFilter(PyObject *, PyObject *args);
