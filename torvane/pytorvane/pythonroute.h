// The common path of a routed virtual: call the Python reimplementation through its handler
// when the Python class has one, else the native fallback.
#pragma once

#include "sipapi.h"

namespace pythonroute {

// Holds the interpreter lock for one scope.
class Lock
{
public:
    Lock() : state_(PyGILState_Ensure()) {}
    ~Lock() { PyGILState_Release(state_); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    PyGILState_STATE state_;
};

// Whether the interpreter is shutting down. 3.6 keeps the finalizing thread in a variable,
// 3.7 to 3.12 ask a private function, 3.13 a public one that replaced it.
inline bool interpreterFinalizing()
{
#if PY_VERSION_HEX >= 0x030D0000
    return Py_IsFinalizing();
#elif PY_VERSION_HEX >= 0x03070000
    return _Py_IsFinalizing();
#else
    return _Py_Finalizing != nullptr;
#endif
}

}  // namespace pythonroute

// flag is the virtual's byte, which the runtime sets once it finds no reimplementation: a set
// flag costs one byte test and never touches the lock.
//
// The runtime's sipIsPyMethod takes pySelf by value, so the caller must read it with the lock
// held: read unlocked, a wrapper dropped on another thread meanwhile would be used after it is
// freed. So the lock is taken here first, pySelf read under it, and the runtime's own lock
// state nests inside ours. call(gil, self, method) hands the inner state to the handler, which
// releases it; ours goes after that, whether or not a method was found.
template <typename Fallback, typename Call>
inline auto routeToPython(char &flag, sipSimpleWrapper *const &pySelf, const char *abstractClass,
                          const char *name, Fallback &&fallback, Call &&call)
{
    // Native code may still run once the interpreter is gone, or while it is finalizing, when
    // another thread would wait on the lock for ever.
    if (!flag && sipGetInterpreter() && !pythonroute::interpreterFinalizing()) {
        pythonroute::Lock lock;
        sipSimpleWrapper *self = pySelf;
        sip_gilstate_t gil;
        if (PyObject *method = bindingApi->api_is_py_method(&gil, &flag, self, abstractClass, name))
            return call(gil, self, method);
    }
    return fallback();
}
