#include "uservalues.h"

#include "../headerindex.h"
#include "../nullvalue.h"
#include "importedtypes.h"

#include <QtGui/QStandardItem>

PyObject *userValueToPython(QVariant value, PyObject *defaultValue, int role)
{
    if (!value.isValid()) {
        if (defaultValue) {
            Py_INCREF(defaultValue);
            return defaultValue;
        }
        PyErr_Format(PyExc_KeyError, "Item doesn't have role %d", role);
        return nullptr;
    }
    if (value.isNull() || value.userType() == nullValueTypeId())
        Py_RETURN_NONE;
    return sipConvertFromType(&value, sipCoreType(QVariant), Py_None);
}

QVariant pythonToUserValue(PyObject *value, bool storeNoneAsNull, int *error)
{
    if (value == Py_None)
        return storeNoneAsNull ? makeNullValueVariant() : QVariant();

    // A Python QtCore.QVariant hands back its own C++ object: release, never delete.
    int state = 0;
    auto *converted = static_cast<QVariant *>(
        sipConvertToType(value, sipCoreType(QVariant), nullptr, 0, &state, error));
    if (*error || !converted)
        return QVariant();
    QVariant result = *converted;
    sipReleaseType(converted, sipCoreType(QVariant), state);
    return result;
}

bool nullValueFromVariant(const QVariant &value, PyObject **object)
{
    if (value.userType() != nullValueTypeId())
        return false;
    auto *marker = new NullValue;
    *object = sipConvertFromNewType(marker, sipType_NullValue, nullptr);
    if (!*object)
        delete marker;
    return true;
}

bool nullValueToVariant(PyObject *object, QVariant &value, bool *ok)
{
    // Exact type only: a subclass may carry state, so the Qt binding keeps it as it is.
    if (Py_TYPE(object) != sipTypeAsPyTypeObject(sipType_NullValue))
        return false;
    value = makeNullValueVariant();
    *ok = true;
    return true;
}

namespace {

// The three targets of the user-value functions, tried in this order.
struct IndexTarget
{
    using Type = QModelIndex;
    static const sipTypeDef *type() { return sipCoreType(QModelIndex); }
    static QVariant read(const QModelIndex &index, int role) { return index.data(role); }
    static bool write(QModelIndex &index, const QVariant &value, int role)
    {
        auto *model = const_cast<QAbstractItemModel *>(index.model());
        if (!model) {
            PyErr_SetString(PyExc_RuntimeError, "The model index has no model");
            return false;
        }
        model->setData(index, value, role);
        return true;
    }
};

struct ItemTarget
{
    using Type = QStandardItem;
    static const sipTypeDef *type() { return sipGuiType(QStandardItem); }
    static QVariant read(const QStandardItem &item, int role) { return item.data(role); }
    static bool write(QStandardItem &item, const QVariant &value, int role)
    {
        item.setData(value, role);
        return true;
    }
};

struct HeaderTarget
{
    using Type = HeaderIndex;
    static const sipTypeDef *type() { return sipType_HeaderIndex; }
    static QVariant read(const HeaderIndex &header, int role) { return header.data(role); }
    static bool write(HeaderIndex &header, const QVariant &value, int role)
    {
        if (!header.model) {
            PyErr_SetString(PyExc_RuntimeError, "The header index has no model");
            return false;
        }
        header.setData(value, role);
        return true;
    }
};

template <typename Target>
bool tryGet(PyObject **parseErr, PyObject *args, PyObject **result)
{
    typename Target::Type *target;
    int role;
    PyObject *defaultValue = nullptr;
    if (!sipParseArgs(parseErr, args, "J9i|P0", Target::type(), &target, &role, &defaultValue))
        return false;
    *result = userValueToPython(Target::read(*target, role), defaultValue, role);
    return true;
}

template <typename Target>
bool trySet(PyObject **parseErr, PyObject *args, PyObject **result)
{
    typename Target::Type *target;
    PyObject *value;
    int role;
    bool storeNoneAsNull = false;
    if (!sipParseArgs(parseErr, args, "J9P0i|b", Target::type(), &target, &value, &role, &storeNoneAsNull))
        return false;
    int error = 0;
    const QVariant variant = pythonToUserValue(value, storeNoneAsNull, &error);
    if (error || !Target::write(*target, variant, role)) {
        *result = nullptr;
        return true;
    }
    Py_INCREF(Py_None);
    *result = Py_None;
    return true;
}

} // namespace

PyObject *pyGetUserValue(PyObject *, PyObject *args)
{
    PyObject *parseErr = nullptr;
    PyObject *result;
    if (tryGet<IndexTarget>(&parseErr, args, &result) || tryGet<ItemTarget>(&parseErr, args, &result)
        || tryGet<HeaderTarget>(&parseErr, args, &result))
        return result;
    sipNoFunction(parseErr, "get_user_value", nullptr);
    return nullptr;
}

PyObject *pySetUserValue(PyObject *, PyObject *args)
{
    PyObject *parseErr = nullptr;
    PyObject *result;
    if (trySet<IndexTarget>(&parseErr, args, &result) || trySet<ItemTarget>(&parseErr, args, &result)
        || trySet<HeaderTarget>(&parseErr, args, &result))
        return result;
    sipNoFunction(parseErr, "set_user_value", nullptr);
    return nullptr;
}
