#pragma once

#include <QtCore/QVariant>

// Marker stored under a role to mean "the value is None", as distinct from no value.
class NullValue
{
};

// The metatype id of NullValue, registering the type on first use.
int nullValueTypeId();
int registerNullValueType();
QVariant makeNullValueVariant();
