#pragma once

#include <Python.h>
#include <QtCore/QVariant>

// A role's variant as Python sees it: absent (default or KeyError), null or a stored
// None (None), else the Qt binding's conversion. Takes the variant by value.
PyObject *userValueToPython(QVariant value, PyObject *defaultValue, int role);
// None becomes the absent state, or a NullValue when asked; *error is set on failure.
QVariant pythonToUserValue(PyObject *value, bool storeNoneAsNull, int *error);

bool nullValueFromVariant(const QVariant &value, PyObject **object);
bool nullValueToVariant(PyObject *object, QVariant &value, bool *ok);

PyObject *pyGetUserValue(PyObject *, PyObject *args);
PyObject *pySetUserValue(PyObject *, PyObject *args);
