// The native class of every view that Python creates: it routes Qt's virtuals to the Python
// subclass, answers Qt's meta-object calls through the Qt binding, and gives the binding's
// method wrappers access to Qt's protected members.
#pragma once

#include "../abstractitemview.h"
#include "overridehandlers.h"
#include "viewvirtuals.h"

#include <QtCore/QMargins>
#include <QtWidgets/QFrame>
#include <QtWidgets/QStyleOptionFrame>

#define TORVANE_MORE(...) __VA_OPT__(, ) __VA_ARGS__

// Protected members of Qt that have a single implementation, offered to Python as methods:
// PLAIN(result, name, Name, (parameters), (arguments), constness), called through protectedName.
#define TORVANE_VIEW_PROTECTED_MEMBERS(PLAIN)                                                       \
    PLAIN(void, create, Create, (WId window, bool initialize, bool destroyOld),                     \
          (window, initialize, destroyOld), )                                                       \
    PLAIN(void, destroy, Destroy, (bool window, bool subWindows), (window, subWindows), )           \
    PLAIN(QPoint, dirtyRegionOffset, DirtyRegionOffset, (), (), const)                              \
    PLAIN(void, drawFrame, DrawFrame, (QPainter * painter), (painter), )                            \
    PLAIN(DropIndicatorPosition, dropIndicatorPosition, DropIndicatorPosition, (), (), const)       \
    PLAIN(void, executeDelayedItemsLayout, ExecuteDelayedItemsLayout, (), (), )                     \
    PLAIN(bool, focusNextChild, FocusNextChild, (), (), )                                           \
    PLAIN(bool, focusPreviousChild, FocusPreviousChild, (), (), )                                   \
    PLAIN(void, initStyleOption, InitStyleOption, (QStyleOptionFrame * option), (option), const)    \
    PLAIN(bool, isSignalConnected, IsSignalConnected, (const QMetaMethod &signal), (signal), const) \
    PLAIN(int, receivers, Receivers, (const char *signal), (signal), const)                         \
    PLAIN(void, scheduleDelayedItemsLayout, ScheduleDelayedItemsLayout, (), (), )                   \
    PLAIN(void, scrollDirtyRegion, ScrollDirtyRegion, (int dx, int dy), (dx, dy), )                 \
    PLAIN(QObject *, sender, Sender, (), (), const)                                                 \
    PLAIN(int, senderSignalIndex, SenderSignalIndex, (), (), const)                                 \
    PLAIN(void, setDirtyRegion, SetDirtyRegion, (const QRegion &region), (region), )                \
    PLAIN(void, setState, SetState, (State state), (state), )                                       \
    PLAIN(void, setViewportMargins, SetViewportMargins, (int left, int top, int right, int bottom), \
          (left, top, right, bottom), )                                                             \
    PLAIN(void, setViewportMargins, SetViewportMargins, (const QMargins &margins), (margins), )     \
    PLAIN(State, state, State, (), (), const)                                                       \
    PLAIN(void, updateMicroFocus, UpdateMicroFocus, (), (), )                                       \
    PLAIN(QMargins, viewportMargins, ViewportMargins, (), (), const)

class sipAbstractItemView : public AbstractItemView
{
public:
    sipAbstractItemView();
    ~sipAbstractItemView() override;

    const QMetaObject *metaObject() const override;
    void *qt_metacast(const char *name) override;
    int qt_metacall(QMetaObject::Call call, int id, void **args) override;

    using QAbstractItemView::edit;  // the public slot stays visible beside the routed virtual

#define TORVANE_DECLARE(R, name, params, args, cv, flag, handler, fallback) R name params cv override;
#define TORVANE_DECLARE_NAMED(R, name, Name, params, args, cv, flag, handler, fallback) \
    R name params cv override;
    TORVANE_VIEW_VIRTUALS(TORVANE_DECLARE, TORVANE_DECLARE_NAMED, TORVANE_DECLARE_NAMED, TORVANE_DECLARE)
#undef TORVANE_DECLARE
#undef TORVANE_DECLARE_NAMED

    // Accessors of Qt's protected members for the binding's method wrappers. Those of a
    // virtual with a Qt implementation take selfWasArgument first: set, Qt's implementation
    // runs (so a Python reimplementation that calls its base is not entered again); clear,
    // the call dispatches virtually.
#define TORVANE_VIRTUAL_ACCESSOR(R, name, Name, params, args, cv, flag, handler, impl) \
    R protected##Name(bool selfWasArgument TORVANE_MORE params) cv                     \
    {                                                                                  \
        return selfWasArgument ? impl::name args : name args;                          \
    }
    // Pure virtuals have nothing but the virtual call.
#define TORVANE_PURE_ACCESSOR(R, name, Name, params, args, cv, flag, handler, value) \
    R protected##Name params cv { return name args; }
#define TORVANE_NO_ACCESSOR(...)
    TORVANE_VIEW_VIRTUALS(TORVANE_NO_ACCESSOR, TORVANE_VIRTUAL_ACCESSOR, TORVANE_PURE_ACCESSOR,
                          TORVANE_NO_ACCESSOR)
#define TORVANE_PLAIN_ACCESSOR(R, name, Name, params, args, cv) \
    R protected##Name params cv { return name args; }
    TORVANE_VIEW_PROTECTED_MEMBERS(TORVANE_PLAIN_ACCESSOR)
#undef TORVANE_VIRTUAL_ACCESSOR
#undef TORVANE_PURE_ACCESSOR
#undef TORVANE_NO_ACCESSOR
#undef TORVANE_PLAIN_ACCESSOR

    // The Python object that wraps this instance; null before it is linked and after it is gone.
    sipSimpleWrapper *pySelf = nullptr;
    // One byte per routed virtual, written by the runtime once it finds no reimplementation.
    mutable char pyOverrideFlags[viewVirtualCount] = {};
};
