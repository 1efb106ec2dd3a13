// virtualcaller: a test-only module that calls a virtual of a native view or item many times
// with the interpreter lock released, as Qt's event loop does, so other Python threads run
// between the calls (and may drop the last reference of the object's Python wrapper).
//
// virtualcaller.size_hint(address, times) calls QWidget::sizeHint, virtualcaller.type(address,
// times) QStandardItem::type; address is what sip.unwrapinstance gives for the object.
#include <Python.h>

#include <QtGui/QStandardItem>
#include <QtWidgets/QWidget>

namespace {

template <typename T, typename Call>
PyObject *callWithoutLock(PyObject *args, Call call)
{
    unsigned long long address = 0;
    int times = 0;
    if (!PyArg_ParseTuple(args, "Ki", &address, &times))
        return nullptr;
    T *object = reinterpret_cast<T *>(address);
    Py_BEGIN_ALLOW_THREADS
    for (int i = 0; i < times; ++i)
        call(object);
    Py_END_ALLOW_THREADS
    Py_RETURN_NONE;
}

PyObject *sizeHint(PyObject *, PyObject *args)
{
    return callWithoutLock<QWidget>(args, [](QWidget *w) { w->sizeHint(); });
}

PyObject *type(PyObject *, PyObject *args)
{
    return callWithoutLock<QStandardItem>(args, [](QStandardItem *item) { item->type(); });
}

PyMethodDef methods[] = {
    {"size_hint", sizeHint, METH_VARARGS, nullptr},
    {"type", type, METH_VARARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef moduleDef = {PyModuleDef_HEAD_INIT, "virtualcaller", nullptr, -1, methods,
                         nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_virtualcaller()
{
    return PyModule_Create(&moduleDef);
}
