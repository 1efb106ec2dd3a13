// The Python class StandardItem, a subclass of PyQt5's QStandardItem.
#include "classglue.h"
#include "importedtypes.h"
#include "sipstandarditem.h"
#include "stringpool.h"

static void *initStandardItem(sipSimpleWrapper *self, PyObject *args, PyObject *kwds, PyObject **unused,
                              PyObject **, PyObject **parseErr)
{
    sipStandardItem *item = nullptr;
    const StandardItem *other;
    if (sipParseKwdArgs(parseErr, args, kwds, nullptr, unused, ""))
        item = new sipStandardItem;
    else if (sipParseKwdArgs(parseErr, args, kwds, nullptr, unused, "J9", sipType_StandardItem, &other))
        item = new sipStandardItem(*other);
    if (item)
        item->pySelf = self;
    return item;
}

static void deallocStandardItem(sipSimpleWrapper *self)
{
    // The native item may already be gone (its owner deleted it): then there is nothing to do.
    void *cpp = sipGetAddress(self);
    if (!cpp)
        return;
    if (sipIsDerivedClass(self))
        static_cast<sipStandardItem *>(cpp)->pySelf = nullptr;
    if (sipIsOwnedByPython(self))
        releaseGlue<StandardItem>(cpp, 0);
}

// QStandardItem is the only base and lies at the same address.
static void *castStandardItem(void *cpp, const sipTypeDef *)
{
    return cpp;
}

// A method called through the class, or on an item Python created, runs our own implementation:
// the virtual would come back to the Python reimplementation that is calling us.
static bool selfWasArgument(PyObject *self)
{
    return !self || sipIsDerivedClass(reinterpret_cast<sipSimpleWrapper *>(self));
}

static PyObject *standardItemData(PyObject *self, PyObject *args)
{
    const bool qualified = selfWasArgument(self);
    PyObject *parseErr = nullptr;
    StandardItem *item;
    int role = Qt::UserRole + 1;
    if (sipParseArgs(&parseErr, args, "B|i", &self, sipType_StandardItem, &item, &role)) {
        auto *value = new QVariant(qualified ? item->StandardItem::data(role) : item->data(role));
        return sipConvertFromNewType(value, sipCoreType(QVariant), nullptr);
    }
    sipNoMethod(parseErr, "StandardItem", "data", nullptr);
    return nullptr;
}

static PyObject *standardItemEmitDataChanged(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    StandardItem *item;
    if (sipParseArgs(&parseErr, args, "B", &self, sipType_StandardItem, &item)) {
        item->emitDataChanged();
        Py_RETURN_NONE;
    }
    sipNoMethod(parseErr, "StandardItem", "emitDataChanged", nullptr);
    return nullptr;
}

static PyObject *standardItemSetData(PyObject *self, PyObject *args)
{
    const bool qualified = selfWasArgument(self);
    PyObject *parseErr = nullptr;
    StandardItem *item;
    QVariant *value;
    int valueState = 0;
    int role = Qt::UserRole + 1;
    if (sipParseArgs(&parseErr, args, "BJ1|i", &self, sipType_StandardItem, &item, sipCoreType(QVariant),
                     &value, &valueState, &role)) {
        if (qualified)
            item->StandardItem::setData(*value, role);
        else
            item->setData(*value, role);
        sipReleaseType(value, sipCoreType(QVariant), valueState);
        Py_RETURN_NONE;
    }
    sipNoMethod(parseErr, "StandardItem", "setData", nullptr);
    return nullptr;
}

static PyMethodDef standardItemMethods[] = {
    {"data", standardItemData, METH_VARARGS, nullptr},
    {"emitDataChanged", standardItemEmitDataChanged, METH_VARARGS, nullptr},
    {"setData", standardItemSetData, METH_VARARGS, nullptr},
};

static sipEncodedTypeDef standardItemSupers[] = {{idx_QStandardItem, importQtGui, 1}};

static pyqt5ClassPluginDef standardItemPlugin = {nullptr, 0, nullptr, nullptr};

sipClassTypeDef standardItemTypeDef = {
    .ctd_base = classHead(SIP_TYPE_SUPER_INIT, poolOffset("StandardItem"), &standardItemPlugin),
    .ctd_container = classContainer(poolOffset("StandardItem"), 3, standardItemMethods),
    .ctd_docstring = nullptr,
    .ctd_metatype = -1,
    .ctd_supertype = -1,
    .ctd_supers = standardItemSupers,
    .ctd_pyslots = nullptr,
    .ctd_init = initStandardItem,
    .ctd_dealloc = deallocStandardItem,
    .ctd_assign = assignGlue<StandardItem>,
    .ctd_array = arrayGlue<StandardItem>,
    .ctd_copy = copyGlue<StandardItem>,
    .ctd_release = releaseGlue<StandardItem>,
    .ctd_cast = castStandardItem,
    .ctd_sizeof = sizeof(StandardItem),
};
