#include "nullvalue.h"

#include <QtCore/QMetaObject>
#include <QtCore/QMetaType>

#include <cstring>

namespace {

int cachedNullValueTypeId = 0;

// NullValue has no state: nothing to copy or destroy. Its one byte is still set, because Qt
// compares values of a type without comparators byte by byte, and a variant that is assigned
// over keeps the previous value's bytes in its storage.
void destructNullValue(void *) {}
void *constructNullValue(void *where, const void *)
{
    std::memset(where, 0, sizeof(NullValue));
    return where;
}

} // namespace

int registerNullValueType()
{
    const QByteArray name = QMetaObject::normalizedType("NullValue");
    const QMetaType::TypeFlags flags(QMetaType::MovableType | QMetaType::WasDeclaredAsMetaType);
    return QMetaType::registerNormalizedType(name, destructNullValue, constructNullValue,
                                             int(sizeof(NullValue)), flags, nullptr);
}

int nullValueTypeId()
{
    // Racing first calls register the same name and get the same id back.
    if (cachedNullValueTypeId == 0)
        cachedNullValueTypeId = registerNullValueType();
    return cachedNullValueTypeId;
}

QVariant makeNullValueVariant()
{
    const NullValue value;
    return QVariant(nullValueTypeId(), &value);
}
