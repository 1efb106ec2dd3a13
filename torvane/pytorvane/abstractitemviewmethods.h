// The Python methods of AbstractItemView, sorted by name in byte order.
#pragma once

#include "sipapi.h"

inline constexpr int abstractItemViewMethodCount = 91;
extern PyMethodDef abstractItemViewMethods[abstractItemViewMethodCount];
