#include "abstractitemviewmethods.h"

#include "importedtypes.h"
#include "sipabstractitemview.h"

static PyObject *viewSetDropIndicator(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    AbstractItemView *view;
    const QModelIndex *index;
    if (sipParseArgs(&parseErr, args, "BJ9", &self, sipType_AbstractItemView, &view, sipCoreType(QModelIndex),
                     &index)) {
        view->setDropIndicator(*index);
        Py_RETURN_NONE;
    }
    sipNoMethod(parseErr, "AbstractItemView", "setDropIndicator", nullptr);
    return nullptr;
}

static PyObject *viewStartAutoScroll(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    AbstractItemView *view;
    const QPoint *pos;
    if (sipParseArgs(&parseErr, args, "BJ9", &self, sipType_AbstractItemView, &view, sipCoreType(QPoint), &pos)) {
        view->startAutoScroll(*pos);
        Py_RETURN_NONE;
    }
    sipNoMethod(parseErr, "AbstractItemView", "startAutoScroll", nullptr);
    return nullptr;
}

static PyObject *viewStopAutoScroll(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    AbstractItemView *view;
    if (sipParseArgs(&parseErr, args, "B", &self, sipType_AbstractItemView, &view)) {
        view->stopAutoScroll();
        Py_RETURN_NONE;
    }
    sipNoMethod(parseErr, "AbstractItemView", "stopAutoScroll", nullptr);
    return nullptr;
}

PyMethodDef abstractItemViewMethods[abstractItemViewMethodCount] = {
    {"setDropIndicator", viewSetDropIndicator, METH_VARARGS, nullptr},
    {"startAutoScroll", viewStartAutoScroll, METH_VARARGS, nullptr},
    {"stopAutoScroll", viewStopAutoScroll, METH_VARARGS, nullptr},
};
