// The Python class AbstractItemView: construction, life and casts of its native views.
#include "abstractitemviewmethods.h"
#include "classglue.h"
#include "importedtypes.h"
#include "sipabstractitemview.h"
#include "stringpool.h"

#include <QtCore/QThread>

static void *initAbstractItemView(sipSimpleWrapper *self, PyObject *args, PyObject *kwds, PyObject **unused,
                                  PyObject **, PyObject **parseErr)
{
    // No positional argument; every keyword goes on to the next base's __init__.
    if (!sipParseKwdArgs(parseErr, args, kwds, nullptr, unused, ""))
        return nullptr;
    auto *view = new sipAbstractItemView;
    view->pySelf = self;
    return view;
}

static void releaseAbstractItemView(void *cpp, int)
{
    auto *view = static_cast<AbstractItemView *>(cpp);
    if (view->thread() == QThread::currentThread())
        delete view;
    else
        view->deleteLater();
}

static void deallocAbstractItemView(sipSimpleWrapper *self)
{
    // The address is null once the native view has been destroyed.
    void *cpp = sipGetAddress(self);
    if (cpp && sipIsDerivedClass(self))
        static_cast<sipAbstractItemView *>(cpp)->pySelf = nullptr;
    if (cpp && sipIsOwnedByPython(self))
        releaseAbstractItemView(cpp, 0);
}

static void *castAbstractItemView(void *cpp, const sipTypeDef *target)
{
    // QPaintDevice is QWidget's second base: it sits at an offset inside the view.
    if (target == sipGuiType(QPaintDevice))
        return static_cast<QPaintDevice *>(static_cast<AbstractItemView *>(cpp));
    return cpp;
}

static sipEncodedTypeDef abstractItemViewSupers[] = {{idx_QAbstractItemView, importQtWidgets, 1}};

// Filled when the library loads: the meta-object lives in Qt's widgets library.
static pyqt5ClassPluginDef abstractItemViewPlugin = {&QAbstractItemView::staticMetaObject, 0, nullptr, nullptr};

sipClassTypeDef abstractItemViewTypeDef = {
    .ctd_base = classHead(SIP_TYPE_ABSTRACT | SIP_TYPE_SCC | SIP_TYPE_SUPER_INIT, poolOffset("AbstractItemView"),
                          &abstractItemViewPlugin),
    .ctd_container = classContainer(poolOffset("AbstractItemView"), abstractItemViewMethodCount,
                                    abstractItemViewMethods),
    .ctd_docstring = nullptr,
    .ctd_metatype = -1,
    .ctd_supertype = -1,
    .ctd_supers = abstractItemViewSupers,
    .ctd_pyslots = nullptr,
    .ctd_init = initAbstractItemView,
    .ctd_dealloc = deallocAbstractItemView,
    .ctd_release = releaseAbstractItemView,
    .ctd_cast = castAbstractItemView,
    .ctd_sizeof = sizeof(sipAbstractItemView),
};
