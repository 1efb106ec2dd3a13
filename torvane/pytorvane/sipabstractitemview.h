// The native class of every view that Python creates: it routes Qt's virtuals to the Python
// subclass and answers Qt's meta-object calls through the Qt binding.
#pragma once

#include "../abstractitemview.h"
#include "overridehandlers.h"
#include "viewvirtuals.h"

#include <QtWidgets/QFrame>

class sipAbstractItemView : public AbstractItemView
{
public:
    sipAbstractItemView();
    ~sipAbstractItemView() override;

    const QMetaObject *metaObject() const override;
    void *qt_metacast(const char *name) override;
    int qt_metacall(QMetaObject::Call call, int id, void **args) override;

    using QAbstractItemView::edit;  // the public slot stays visible beside the routed virtual

#define TORVANE_DECLARE_VIRTUAL(R, name, params, args, cv, flag, handler, fallback) R name params cv override;
    TORVANE_VIEW_VIRTUALS(TORVANE_DECLARE_VIRTUAL, TORVANE_DECLARE_VIRTUAL)
#undef TORVANE_DECLARE_VIRTUAL

    // The Python object that wraps this instance; null before it is linked and after it is gone.
    sipSimpleWrapper *pySelf = nullptr;
    // One byte per routed virtual, written by the runtime once it finds no reimplementation.
    mutable char pyOverrideFlags[viewVirtualCount] = {};
};
