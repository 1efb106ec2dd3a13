#include "nullvalue.h"

#include <QtCore/QMetaObject>
#include <QtCore/QMetaType>

namespace {

int cachedNullValueTypeId = 0;

// NullValue has no state: nothing to construct, copy or destroy.
void destructNullValue(void *) {}
void *constructNullValue(void *where, const void *) { return where; }

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
