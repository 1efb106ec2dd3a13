// The Python class NullValue.
#include "../nullvalue.h"
#include "classglue.h"
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

static pyqt5ClassPluginDef nullValuePlugin = {nullptr, 0, nullptr, nullptr};

sipClassTypeDef nullValueTypeDef = {
    .ctd_base = classHead(SIP_TYPE_SUPER_INIT, poolOffset("NullValue"), &nullValuePlugin),
    .ctd_container = classContainer(poolOffset("NullValue"), 0, nullptr),
    .ctd_docstring = nullptr,
    .ctd_metatype = -1,
    .ctd_supertype = -1,
    .ctd_supers = nullptr,
    .ctd_pyslots = nullptr,
    .ctd_init = initNullValue,
    .ctd_dealloc = deallocGlue<NullValue>,
    .ctd_assign = assignGlue<NullValue>,
    .ctd_array = arrayGlue<NullValue>,
    .ctd_copy = copyGlue<NullValue>,
    .ctd_release = releaseGlue<NullValue>,
    .ctd_sizeof = sizeof(NullValue),
};
