// The Python class HeaderIndex.
#include "../headerindex.h"
#include "classglue.h"
#include "importedtypes.h"
#include "stringpool.h"

static void *initHeaderIndex(sipSimpleWrapper *, PyObject *args, PyObject *kwds, PyObject **unused,
                             PyObject **, PyObject **parseErr)
{
    QAbstractItemModel *model;
    int orientation;
    int section;
    if (sipParseKwdArgs(parseErr, args, kwds, nullptr, unused, "J8Ei", sipCoreType(QAbstractItemModel),
                        &model, sipCoreType(Qt_Orientation), &orientation, &section))
        return new HeaderIndex(model, Qt::Orientation(orientation), section);
    const HeaderIndex *other;
    if (sipParseKwdArgs(parseErr, args, kwds, nullptr, unused, "J9", sipType_HeaderIndex, &other))
        return new HeaderIndex(*other);
    return nullptr;
}

static PyObject *headerIndexData(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    HeaderIndex *header;
    int role = Qt::UserRole + 1;
    if (sipParseArgs(&parseErr, args, "B|i", &self, sipType_HeaderIndex, &header, &role))
        return sipConvertFromNewType(new QVariant(header->data(role)), sipCoreType(QVariant), nullptr);
    sipNoMethod(parseErr, "HeaderIndex", "data", nullptr);
    return nullptr;
}

static PyObject *headerIndexSetData(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    HeaderIndex *header;
    QVariant *value;
    int valueState = 0;
    int role = Qt::UserRole + 1;
    if (sipParseArgs(&parseErr, args, "BJ1|i", &self, sipType_HeaderIndex, &header, sipCoreType(QVariant),
                     &value, &valueState, &role)) {
        const bool hasModel = !header->model.isNull();
        if (hasModel)
            header->setData(*value, role);
        sipReleaseType(value, sipCoreType(QVariant), valueState);
        if (!hasModel) {
            PyErr_SetString(PyExc_RuntimeError, "The header index has no model");
            return nullptr;
        }
        Py_RETURN_NONE;
    }
    sipNoMethod(parseErr, "HeaderIndex", "setData", nullptr);
    return nullptr;
}

static PyMethodDef headerIndexMethods[] = {
    {"data", headerIndexData, METH_VARARGS, nullptr},
    {"setData", headerIndexSetData, METH_VARARGS, nullptr},
};

static pyqt5ClassPluginDef headerIndexPlugin = {nullptr, 0, nullptr, nullptr};

sipClassTypeDef headerIndexTypeDef = {
    .ctd_base = classHead(SIP_TYPE_SUPER_INIT, poolOffset("HeaderIndex"), &headerIndexPlugin),
    .ctd_container = classContainer(poolOffset("HeaderIndex"), 2, headerIndexMethods),
    .ctd_docstring = nullptr,
    .ctd_metatype = -1,
    .ctd_supertype = -1,
    .ctd_supers = nullptr,
    .ctd_pyslots = nullptr,
    .ctd_init = initHeaderIndex,
    .ctd_dealloc = deallocGlue<HeaderIndex>,
    .ctd_release = releaseGlue<HeaderIndex>,
    .ctd_sizeof = sizeof(HeaderIndex),
};
