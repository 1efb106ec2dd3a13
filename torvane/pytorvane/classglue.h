// What every class of the binding hands the runtime: its type head and the glue functions
// that copy and free its native objects.
#pragma once

#include "sipapi.h"

constexpr sipTypeDef classHead(int flags, int name, pyqt5ClassPluginDef *plugin)
{
    return {-1, nullptr, nullptr, SIP_TYPE_CLASS | flags, name, nullptr, plugin};
}

constexpr sipContainerDef classContainer(int name, int methodCount, PyMethodDef *methods)
{
    // sc_flag set: the class has no enclosing scope, so it lands in the module.
    return {name, {0, 0, 1}, methodCount, methods, 0, nullptr, 0, nullptr, {}};
}

template <typename T>
void releaseGlue(void *cpp, int)
{
    delete static_cast<T *>(cpp);
}

// For classes without a derived binding class: Python's object frees what it owns.
template <typename T>
void deallocGlue(sipSimpleWrapper *self)
{
    if (sipIsOwnedByPython(self))
        releaseGlue<T>(sipGetAddress(self), 0);
}

template <typename T>
void assignGlue(void *dst, Py_ssize_t index, void *src)
{
    static_cast<T *>(dst)[index] = *static_cast<const T *>(src);
}

template <typename T>
void *arrayGlue(Py_ssize_t count)
{
    return new T[count];
}

template <typename T>
void *copyGlue(const void *src, Py_ssize_t index)
{
    return new T(static_cast<const T *>(src)[index]);
}
