// The Python class NullValue.
#include "../nullvalue.h"
#include "importedtypes.h"
#include "stringpool.h"

static void *initNullValue(sipSimpleWrapper *, PyObject *args, PyObject *kwds, PyObject **unused,
                           PyObject **, PyObject **parseErr)
{
    if (sipParseKwdArgs(parseErr, args, kwds, nullptr, unused, ""))
        return new NullValue;
    const NullValue *other;
    if (sipParseKwdArgs(parseErr, args, kwds, nullptr, unused, "J9", sipType_NullValue, &other))
        return new NullValue(*other);
    return nullptr;
}

static void releaseNullValue(void *cpp, int)
{
    delete static_cast<NullValue *>(cpp);
}

static void deallocNullValue(sipSimpleWrapper *self)
{
    if (sipIsOwnedByPython(self))
        releaseNullValue(sipGetAddress(self), 0);
}

static void assignNullValue(void *dst, Py_ssize_t index, void *src)
{
    static_cast<NullValue *>(dst)[index] = *static_cast<const NullValue *>(src);
}

static void *arrayNullValue(Py_ssize_t count)
{
    return new NullValue[count];
}

static void *copyNullValue(const void *src, Py_ssize_t index)
{
    return new NullValue(static_cast<const NullValue *>(src)[index]);
}

static pyqt5ClassPluginDef nullValuePlugin = {nullptr, 0, nullptr, nullptr};

sipClassTypeDef nullValueTypeDef = {
    .ctd_base = {-1, nullptr, nullptr, SIP_TYPE_CLASS | SIP_TYPE_SUPER_INIT, poolOffset("NullValue"),
                 nullptr, &nullValuePlugin},
    .ctd_container = {poolOffset("NullValue"), noScope, 0, nullptr, 0, nullptr, 0, nullptr, {}},
    .ctd_docstring = nullptr,
    .ctd_metatype = -1,
    .ctd_supertype = -1,
    .ctd_supers = nullptr,
    .ctd_pyslots = nullptr,
    .ctd_init = initNullValue,
    .ctd_dealloc = deallocNullValue,
    .ctd_assign = assignNullValue,
    .ctd_array = arrayNullValue,
    .ctd_copy = copyNullValue,
    .ctd_release = releaseNullValue,
    .ctd_sizeof = sizeof(NullValue),
};
