#include "sipabstractitemview.h"

#include "importedtypes.h"
#include "module.h"
#include "pythonroute.h"


namespace {

// Every flag slot is used by exactly one virtual.
constexpr bool flagsAreAPermutation()
{
    const int flags[] = {
#define TORVANE_FLAG(R, name, params, args, cv, flag, handler, fallback) flag,
#define TORVANE_FLAG_NAMED(R, name, Name, params, args, cv, flag, handler, fallback) flag,
        TORVANE_VIEW_VIRTUALS(TORVANE_FLAG, TORVANE_FLAG_NAMED, TORVANE_FLAG_NAMED, TORVANE_FLAG)
#undef TORVANE_FLAG
#undef TORVANE_FLAG_NAMED
    };
    bool seen[viewVirtualCount] = {};
    if (sizeof(flags) / sizeof(flags[0]) != viewVirtualCount)
        return false;
    for (int flag : flags) {
        if (flag < 0 || flag >= viewVirtualCount || seen[flag])
            return false;
        seen[flag] = true;
    }
    return true;
}
static_assert(flagsAreAPermutation(), "each routed virtual needs its own flag");

}  // namespace

#define TORVANE_DEFINE_ROUTED(R, name, params, args, cv, flag, handler, impl)                      \
    R sipAbstractItemView::name params cv                                                          \
    {                                                                                              \
        return routeToPython(                                                                      \
            pyOverrideFlags[flag], pySelf, nullptr, #name, [&]() -> R { return impl::name args; }, \
            [&](sip_gilstate_t gil, sipSimpleWrapper *self, PyObject *method) -> R {               \
                return handler(gil, pyqt5VirtErrorHandler, self, method TORVANE_MORE args);        \
            });                                                                                    \
    }

#define TORVANE_DEFINE_PURE(R, name, params, args, cv, flag, handler, value)                       \
    R sipAbstractItemView::name params cv                                                          \
    {                                                                                              \
        return routeToPython(                                                                      \
            pyOverrideFlags[flag], pySelf, "AbstractItemView", #name, [&]() -> R { return value; }, \
            [&](sip_gilstate_t gil, sipSimpleWrapper *self, PyObject *method) -> R {               \
                return handler(gil, pyqt5VirtErrorHandler, self, method TORVANE_MORE args);        \
            });                                                                                    \
    }

#define TORVANE_DEFINE_EXPOSED(R, name, Name, params, args, cv, flag, handler, impl) \
    TORVANE_DEFINE_ROUTED(R, name, params, args, cv, flag, handler, impl)
#define TORVANE_DEFINE_PROTECTED_PURE(R, name, Name, params, args, cv, flag, handler, value) \
    TORVANE_DEFINE_PURE(R, name, params, args, cv, flag, handler, value)

TORVANE_VIEW_VIRTUALS(TORVANE_DEFINE_ROUTED, TORVANE_DEFINE_EXPOSED, TORVANE_DEFINE_PROTECTED_PURE,
                      TORVANE_DEFINE_PURE)

sipAbstractItemView::sipAbstractItemView() = default;

sipAbstractItemView::~sipAbstractItemView()
{
    sipInstanceDestroyedEx(&pySelf);
}

const QMetaObject *sipAbstractItemView::metaObject() const
{
    if (!sipGetInterpreter())
        return QAbstractItemView::metaObject();
    if (QObject::d_ptr->metaObject)
        return QObject::d_ptr->dynamicMetaObject();
    return qtcoreQtMetaobject(pySelf, sipType_AbstractItemView);
}

void *sipAbstractItemView::qt_metacast(const char *name)
{
    void *found = nullptr;
    // The Qt binding's function takes the interpreter lock, so it needs a live interpreter.
    if (sipGetInterpreter() && qtcoreQtMetacast(pySelf, sipType_AbstractItemView, name, &found))
        return found;
    return QAbstractItemView::qt_metacast(name);
}

int sipAbstractItemView::qt_metacall(QMetaObject::Call call, int id, void **args)
{
    id = QAbstractItemView::qt_metacall(call, id, args);
    if (id < 0 || !sipGetInterpreter())
        return id;
    // The Qt binding's function expects the interpreter lock held: slots invoked by Qt
    // (queued connections, invokeMethod) arrive without it.
    const PyGILState_STATE lock = PyGILState_Ensure();
    id = qtcoreQtMetacall(pySelf, sipType_AbstractItemView, call, id, args);
    PyGILState_Release(lock);
    return id;
}
