// install_global_event_filter()
#include "../globaleventfilter.h"
#include "module.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QThread>

PyObject *pyInstallGlobalEventFilter(PyObject *, PyObject *args)
{
    PyObject *parseErr = nullptr;
    if (!sipParseArgs(&parseErr, args, "")) {
        sipNoFunction(parseErr, "install_global_event_filter", nullptr);
        return nullptr;
    }
    // The filter becomes a child of the application object, which must exist and be ours.
    QCoreApplication *app = QCoreApplication::instance();
    if (!app) {
        PyErr_SetString(PyExc_RuntimeError, "install_global_event_filter() needs a QApplication");
        return nullptr;
    }
    if (app->thread() != QThread::currentThread()) {
        PyErr_SetString(PyExc_RuntimeError,
                        "install_global_event_filter() must be called on the application's thread");
        return nullptr;
    }
    installGlobalEventFilter();
    Py_RETURN_NONE;
}
