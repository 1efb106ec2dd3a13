// The 91 Python methods of AbstractItemView: Qt's protected members (through the accessors
// of sipAbstractItemView) and the view's own members.
#include "abstractitemviewmethods.h"

#include "methodwrappers.h"

#include <string_view>

using namespace wrap;

namespace {

// The methods in byte order of their names. Rows:
//   VIRTUAL(name, format, accessor, argument kinds...): a protected virtual with a Qt
//     implementation; the accessor takes selfWasArgument.
//   PURE(name, format, accessor, kinds...): a protected pure virtual.
//   PLAIN(name, format, member, kinds...): a protected member with one implementation, or
//     one of the view's own members.
//   KEYWORDS(name, format, via, member, keyword list, kinds...): takes keywords as well.
//   SPECIAL(name, flags): written out by hand below.
// NonNull marks an event or painter that Qt's implementation dereferences: None is refused.
#define TORVANE_VIEW_METHODS(VIRTUAL, PURE, PLAIN, KEYWORDS, SPECIAL)                                                 \
    VIRTUAL(actionEvent, "BJ8", protectedActionEvent, Ptr<QActionEvent>)                                              \
    VIRTUAL(changeEvent, "BJ9", protectedChangeEvent, NonNull<QEvent>)                                                \
    VIRTUAL(childEvent, "BJ8", protectedChildEvent, Ptr<QChildEvent>)                                                 \
    VIRTUAL(closeEditor, "BJ8E", protectedCloseEditor, Ptr<QWidget>, Enum<QAbstractItemDelegate::EndEditHint>)        \
    VIRTUAL(closeEvent, "BJ9", protectedCloseEvent, NonNull<QCloseEvent>)                                             \
    VIRTUAL(commitData, "BJ8", protectedCommitData, Ptr<QWidget>)                                                     \
    VIRTUAL(connectNotify, "BJ9", protectedConnectNotify, Ref<QMetaMethod>)                                           \
    VIRTUAL(contextMenuEvent, "BJ9", protectedContextMenuEvent, NonNull<QContextMenuEvent>)                           \
    KEYWORDS(create, "B|J1bb", Plain, protectedCreate, createKeywords, Opt<Conv<WId>>, Bool<true>, Bool<true>)        \
    VIRTUAL(currentChanged, "BJ9J9", protectedCurrentChanged, Ref<QModelIndex>, Ref<QModelIndex>)                     \
    VIRTUAL(customEvent, "BJ8", protectedCustomEvent, Ptr<QEvent>)                                                    \
    KEYWORDS(dataChanged, "BJ9J9|J1", Virtual, protectedDataChanged, dataChangedKeywords, Ref<QModelIndex>,           \
             Ref<QModelIndex>, Opt<Conv<QVector<int>>>)                                                               \
    KEYWORDS(destroy, "B|bb", Plain, protectedDestroy, destroyKeywords, Opt<Bool<true>>, Bool<true>)                  \
    PLAIN(dirtyRegionOffset, "B", protectedDirtyRegionOffset)                                                         \
    VIRTUAL(disconnectNotify, "BJ9", protectedDisconnectNotify, Ref<QMetaMethod>)                                     \
    VIRTUAL(dragEnterEvent, "BJ9", protectedDragEnterEvent, NonNull<QDragEnterEvent>)                                 \
    VIRTUAL(dragLeaveEvent, "BJ8", protectedDragLeaveEvent, Ptr<QDragLeaveEvent>)                                     \
    VIRTUAL(dragMoveEvent, "BJ9", protectedDragMoveEvent, NonNull<QDragMoveEvent>)                                    \
    PLAIN(drawFrame, "BJ9", protectedDrawFrame, NonNull<QPainter>)                                                    \
    VIRTUAL(dropEvent, "BJ9", protectedDropEvent, NonNull<QDropEvent>)                                                \
    PLAIN(dropIndicatorPosition, "B", protectedDropIndicatorPosition)                                                 \
    SPECIAL(edit, METH_VARARGS)                                                                                       \
    VIRTUAL(editorDestroyed, "BJ8", protectedEditorDestroyed, Ptr<QObject>)                                           \
    VIRTUAL(enterEvent, "BJ8", protectedEnterEvent, Ptr<QEvent>)                                                      \
    VIRTUAL(event, "BJ9", protectedEvent, NonNull<QEvent>)                                                            \
    VIRTUAL(eventFilter, "BJ8J9", protectedEventFilter, Ptr<QObject>, NonNull<QEvent>)                                \
    PLAIN(executeDelayedItemsLayout, "B", protectedExecuteDelayedItemsLayout)                                         \
    VIRTUAL(focusInEvent, "BJ9", protectedFocusInEvent, NonNull<QFocusEvent>)                                         \
    PLAIN(focusNextChild, "B", protectedFocusNextChild)                                                               \
    VIRTUAL(focusNextPrevChild, "Bb", protectedFocusNextPrevChild, Bool<>)                                            \
    VIRTUAL(focusOutEvent, "BJ8", protectedFocusOutEvent, Ptr<QFocusEvent>)                                           \
    PLAIN(focusPreviousChild, "B", protectedFocusPreviousChild)                                                       \
    VIRTUAL(hideEvent, "BJ8", protectedHideEvent, Ptr<QHideEvent>)                                                    \
    PURE(horizontalOffset, "B", protectedHorizontalOffset)                                                            \
    VIRTUAL(horizontalScrollbarAction, "Bi", protectedHorizontalScrollbarAction, Int)                                 \
    VIRTUAL(horizontalScrollbarValueChanged, "Bi", protectedHorizontalScrollbarValueChanged, Int)                     \
    VIRTUAL(initPainter, "BJ9", protectedInitPainter, ActivePainter)                                                  \
    PLAIN(initStyleOption, "BJ8", protectedInitStyleOption, Ptr<QStyleOptionFrame>)                                   \
    VIRTUAL(inputMethodEvent, "BJ9", protectedInputMethodEvent, NonNull<QInputMethodEvent>)                           \
    PURE(isIndexHidden, "BJ9", protectedIsIndexHidden, Ref<QModelIndex>)                                              \
    PLAIN(isSignalConnected, "BJ9", protectedIsSignalConnected, Ref<QMetaMethod>)                                     \
    VIRTUAL(keyPressEvent, "BJ9", protectedKeyPressEvent, NonNull<QKeyEvent>)                                         \
    VIRTUAL(keyReleaseEvent, "BJ9", protectedKeyReleaseEvent, NonNull<QKeyEvent>)                                     \
    VIRTUAL(leaveEvent, "BJ8", protectedLeaveEvent, Ptr<QEvent>)                                                      \
    VIRTUAL(metric, "BE", protectedMetric, Enum<QPaintDevice::PaintDeviceMetric>)                                     \
    VIRTUAL(mouseDoubleClickEvent, "BJ9", protectedMouseDoubleClickEvent, NonNull<QMouseEvent>)                       \
    VIRTUAL(mouseMoveEvent, "BJ9", protectedMouseMoveEvent, NonNull<QMouseEvent>)                                     \
    VIRTUAL(mousePressEvent, "BJ9", protectedMousePressEvent, NonNull<QMouseEvent>)                                   \
    VIRTUAL(mouseReleaseEvent, "BJ9", protectedMouseReleaseEvent, NonNull<QMouseEvent>)                               \
    PURE(moveCursor, "BEJ1", protectedMoveCursor, Enum<AbstractItemView::CursorAction>,                               \
         Conv<Qt::KeyboardModifiers>)                                                                                 \
    VIRTUAL(moveEvent, "BJ8", protectedMoveEvent, Ptr<QMoveEvent>)                                                    \
    SPECIAL(nativeEvent, METH_VARARGS)                                                                                \
    VIRTUAL(paintEvent, "BJ8", protectedPaintEvent, Ptr<QPaintEvent>)                                                 \
    SPECIAL(receivers, METH_VARARGS)                                                                                  \
    VIRTUAL(resizeEvent, "BJ8", protectedResizeEvent, Ptr<QResizeEvent>)                                              \
    VIRTUAL(rowsAboutToBeRemoved, "BJ9ii", protectedRowsAboutToBeRemoved, Ref<QModelIndex>, Int, Int)                 \
    VIRTUAL(rowsInserted, "BJ9ii", protectedRowsInserted, Ref<QModelIndex>, Int, Int)                                 \
    PLAIN(scheduleDelayedItemsLayout, "B", protectedScheduleDelayedItemsLayout)                                       \
    VIRTUAL(scrollContentsBy, "Bii", protectedScrollContentsBy, Int, Int)                                             \
    PLAIN(scrollDirtyRegion, "Bii", protectedScrollDirtyRegion, Int, Int)                                             \
    VIRTUAL(selectedIndexes, "B", protectedSelectedIndexes)                                                           \
    VIRTUAL(selectionChanged, "BJ9J9", protectedSelectionChanged, Ref<QItemSelection>, Ref<QItemSelection>)           \
    KEYWORDS(selectionCommand, "BJ9|J8", Virtual, protectedSelectionCommand, selectionCommandKeywords,                \
             Ref<QModelIndex>, Opt<Ptr<QEvent>>)                                                                      \
    SPECIAL(sender, METH_VARARGS)                                                                                     \
    PLAIN(senderSignalIndex, "B", protectedSenderSignalIndex)                                                         \
    PLAIN(setDirtyRegion, "BJ9", protectedSetDirtyRegion, Ref<QRegion>)                                               \
    PLAIN(setDropIndicator, "BJ9", setDropIndicator, Ref<QModelIndex>)                                                \
    PURE(setSelection, "BJ9J1", protectedSetSelection, Ref<QRect>, Conv<QItemSelectionModel::SelectionFlags>)         \
    PLAIN(setState, "BE", protectedSetState, Enum<AbstractItemView::State>)                                           \
    SPECIAL(setViewportMargins, METH_VARARGS)                                                                         \
    VIRTUAL(sharedPainter, "B", protectedSharedPainter)                                                               \
    VIRTUAL(showEvent, "BJ8", protectedShowEvent, Ptr<QShowEvent>)                                                    \
    PLAIN(startAutoScroll, "BJ9", startAutoScroll, Ref<QPoint>)                                                       \
    VIRTUAL(startDrag, "BJ1", protectedStartDrag, Conv<Qt::DropActions>)                                              \
    PLAIN(state, "B", protectedState)                                                                                 \
    PLAIN(stopAutoScroll, "B", stopAutoScroll)                                                                        \
    VIRTUAL(tabletEvent, "BJ9", protectedTabletEvent, NonNull<QTabletEvent>)                                          \
    VIRTUAL(timerEvent, "BJ9", protectedTimerEvent, NonNull<QTimerEvent>)                                             \
    VIRTUAL(updateEditorData, "B", protectedUpdateEditorData)                                                         \
    VIRTUAL(updateEditorGeometries, "B", protectedUpdateEditorGeometries)                                             \
    VIRTUAL(updateGeometries, "B", protectedUpdateGeometries)                                                         \
    PLAIN(updateMicroFocus, "B", protectedUpdateMicroFocus)                                                           \
    PURE(verticalOffset, "B", protectedVerticalOffset)                                                                \
    VIRTUAL(verticalScrollbarAction, "Bi", protectedVerticalScrollbarAction, Int)                                     \
    VIRTUAL(verticalScrollbarValueChanged, "Bi", protectedVerticalScrollbarValueChanged, Int)                         \
    VIRTUAL(viewOptions, "B", protectedViewOptions)                                                                   \
    VIRTUAL(viewportEvent, "BJ9", protectedViewportEvent, NonNull<QEvent>)                                            \
    PLAIN(viewportMargins, "B", protectedViewportMargins)                                                             \
    VIRTUAL(viewportSizeHint, "B", protectedViewportSizeHint)                                                         \
    PURE(visualRegionForSelection, "BJ9", protectedVisualRegionForSelection, Ref<QItemSelection>)                     \
    VIRTUAL(wheelEvent, "BJ9", protectedWheelEvent, NonNull<QWheelEvent>)

// Keywords name the arguments after the view; none keeps an argument positional.
const char *createKeywords[] = {"window", "initializeWindow", "destroyOldWindow"};
const char *dataChangedKeywords[] = {nullptr, nullptr, "roles"};
const char *destroyKeywords[] = {"destroyWindow", "destroySubWindows"};
const char *selectionCommandKeywords[] = {nullptr, "event"};

#define TORVANE_METHOD_BODY(name, fmt, via, member, keywords, kwds, ...)                                              \
    {                                                                                                                 \
        static_assert(sameFormat(Signature<__VA_ARGS__>::format, fmt), "format of " #name);                           \
        return Wrapper<__VA_ARGS__>::run<Via::via>(self, args, kwds, keywords, #name,                                 \
                                                   [](auto *view, auto &&...values) -> decltype(auto) {               \
                                                       return view->member(                                           \
                                                           std::forward<decltype(values)>(values)...);                \
                                                   });                                                                \
    }

#define TORVANE_DEFINE_VIRTUAL(name, fmt, member, ...)                                                                \
    PyObject *method_##name(PyObject *self, PyObject *args)                                                           \
        TORVANE_METHOD_BODY(name, fmt, Virtual, member, nullptr, nullptr, __VA_ARGS__)
#define TORVANE_DEFINE_PURE(name, fmt, member, ...)                                                                   \
    PyObject *method_##name(PyObject *self, PyObject *args)                                                           \
        TORVANE_METHOD_BODY(name, fmt, Pure, member, nullptr, nullptr, __VA_ARGS__)
#define TORVANE_DEFINE_PLAIN(name, fmt, member, ...)                                                                  \
    PyObject *method_##name(PyObject *self, PyObject *args)                                                           \
        TORVANE_METHOD_BODY(name, fmt, Plain, member, nullptr, nullptr, __VA_ARGS__)
#define TORVANE_DEFINE_KEYWORDS(name, fmt, via, member, keywords, ...)                                                \
    PyObject *method_##name(PyObject *self, PyObject *args, PyObject *kwds)                                           \
        TORVANE_METHOD_BODY(name, fmt, via, member, keywords, kwds, __VA_ARGS__)
#define TORVANE_DECLARE_SPECIAL(name, flags) PyObject *method_##name(PyObject *self, PyObject *args);

TORVANE_VIEW_METHODS(TORVANE_DEFINE_VIRTUAL, TORVANE_DEFINE_PURE, TORVANE_DEFINE_PLAIN, TORVANE_DEFINE_KEYWORDS,
                     TORVANE_DECLARE_SPECIAL)

// edit: the public slot with one index, else the protected virtual with trigger and event.
PyObject *method_edit(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    const bool wasArgument = selfWasArgument(self);
    AbstractItemView *view;
    Signature<Ref<QModelIndex>> slot;
    if (slot.parse(&parseErr, args, nullptr, nullptr, self, &view)) {
        view->QAbstractItemView::edit(slot.call([](const QModelIndex &index) -> const QModelIndex & { return index; }));
        Py_RETURN_NONE;
    }
    Signature<Ref<QModelIndex>, Enum<QAbstractItemView::EditTrigger>, Ptr<QEvent>> full;
    static_assert(sameFormat(decltype(full)::format, "BJ9EJ8"));
    if (full.parse(&parseErr, args, nullptr, nullptr, self, &view)) {
        const bool edited = full.call([&](auto &&...values) {
            return static_cast<sipAbstractItemView *>(view)->protectedEdit(wasArgument, values...);
        });
        return PyBool_FromLong(edited);
    }
    sipNoMethod(parseErr, "AbstractItemView", "edit", nullptr);
    return nullptr;
}

// nativeEvent: (handled, result) of the platform message.
PyObject *method_nativeEvent(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    const bool wasArgument = selfWasArgument(self);
    AbstractItemView *view;
    Signature<Conv<QByteArray>, VoidPtr> signature;
    static_assert(sameFormat(decltype(signature)::format, "BJ1v"));
    if (signature.parse(&parseErr, args, nullptr, nullptr, self, &view)) {
        long result = 0;  // an implementation may store nothing: Python never sees garbage
        const bool handled = signature.call([&](const QByteArray &type, void *message) {
            return static_cast<sipAbstractItemView *>(view)->protectedNativeEvent(wasArgument, type, message,
                                                                                   &result);
        });
        signature.release();
        return sipBuildResult(nullptr, "(bl)", int(handled), result);
    }
    sipNoMethod(parseErr, "AbstractItemView", "nativeEvent", nullptr);
    return nullptr;
}

// setViewportMargins: four integers, else a QMargins.
PyObject *method_setViewportMargins(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    AbstractItemView *view;
    Signature<Int, Int, Int, Int> sides;
    if (sides.parse(&parseErr, args, nullptr, nullptr, self, &view)) {
        sides.call([&](int left, int top, int right, int bottom) {
            static_cast<sipAbstractItemView *>(view)->protectedSetViewportMargins(left, top, right, bottom);
        });
        Py_RETURN_NONE;
    }
    Signature<Ref<QMargins>> margins;
    if (margins.parse(&parseErr, args, nullptr, nullptr, self, &view)) {
        margins.call([&](const QMargins &m) { static_cast<sipAbstractItemView *>(view)->protectedSetViewportMargins(m); });
        Py_RETURN_NONE;
    }
    sipNoMethod(parseErr, "AbstractItemView", "setViewportMargins", nullptr);
    return nullptr;
}

// The Qt binding's own answers for sender() and receivers(), looked up on first need.
using SenderFunc = QObject *(*)();
using SignalSignatureFunc = sipErrorState (*)(PyObject *, const QObject *, QByteArray &);
SenderFunc qobjectSenderFunction = nullptr;
SignalSignatureFunc signalSignatureFunction = nullptr;

PyObject *method_sender(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    AbstractItemView *view;
    Signature<> signature;
    if (!signature.parse(&parseErr, args, nullptr, nullptr, self, &view)) {
        sipNoMethod(parseErr, "AbstractItemView", "sender", nullptr);
        return nullptr;
    }
    QObject *sender;
    Py_BEGIN_ALLOW_THREADS
    sender = static_cast<sipAbstractItemView *>(view)->protectedSender();
    Py_END_ALLOW_THREADS
    // A Python slot called through the Qt binding's proxy sees the proxy as Qt's sender;
    // the binding knows the real one.
    if (!sender) {
        if (!qobjectSenderFunction)
            qobjectSenderFunction = reinterpret_cast<SenderFunc>(sipImportSymbol("qtcore_qobject_sender"));
        if (qobjectSenderFunction)
            sender = qobjectSenderFunction();
    }
    return sipConvertFromType(sender, sipCoreType(QObject), nullptr);
}

PyObject *method_receivers(PyObject *self, PyObject *args)
{
    PyObject *parseErr = nullptr;
    AbstractItemView *view;
    Signature<Object> signature;
    if (!signature.parse(&parseErr, args, nullptr, nullptr, self, &view)) {
        sipNoMethod(parseErr, "AbstractItemView", "receivers", nullptr);
        return nullptr;
    }
    PyObject *signal = std::get<0>(signature.kinds).value();
    if (!signalSignatureFunction)
        signalSignatureFunction =
            reinterpret_cast<SignalSignatureFunc>(sipImportSymbol("pyqt5_get_signal_signature"));
    if (!signalSignatureFunction) {
        PyErr_SetString(PyExc_RuntimeError, "the Qt binding does not export pyqt5_get_signal_signature");
        return nullptr;
    }
    QByteArray signature_;
    sipErrorState state = signalSignatureFunction(signal, view, signature_);
    int count = 0;
    if (state == sipErrorNone)
        count = static_cast<sipAbstractItemView *>(view)->protectedReceivers(signature_.constData());
    else if (state == sipErrorContinue)
        state = sipBadCallableArg(0, signal);
    if (state == sipErrorFail)
        return nullptr;
    if (state == sipErrorNone)
        return PyLong_FromLong(count);
    sipAddException(state, &parseErr);
    sipNoMethod(parseErr, "AbstractItemView", "receivers", nullptr);
    return nullptr;
}

#define TORVANE_ENTRY(name, ...) {#name, reinterpret_cast<PyCFunction>(method_##name), METH_VARARGS, nullptr},
#define TORVANE_KEYWORDS_ENTRY(name, ...)                                                                             \
    {#name, reinterpret_cast<PyCFunction>(method_##name), METH_VARARGS | METH_KEYWORDS, nullptr},
#define TORVANE_SPECIAL_ENTRY(name, flags) {#name, reinterpret_cast<PyCFunction>(method_##name), flags, nullptr},

}  // namespace

PyMethodDef abstractItemViewMethods[abstractItemViewMethodCount] = {
    TORVANE_VIEW_METHODS(TORVANE_ENTRY, TORVANE_ENTRY, TORVANE_ENTRY, TORVANE_KEYWORDS_ENTRY, TORVANE_SPECIAL_ENTRY)};

static_assert(
    [] {
        constexpr const char *names[] = {
#define TORVANE_NAME(name, ...) #name,
            TORVANE_VIEW_METHODS(TORVANE_NAME, TORVANE_NAME, TORVANE_NAME, TORVANE_NAME, TORVANE_NAME)
#undef TORVANE_NAME
        };
        if (sizeof(names) / sizeof(names[0]) != abstractItemViewMethodCount)
            return false;
        for (std::size_t i = 1; i < sizeof(names) / sizeof(names[0]); ++i)
            if (std::string_view(names[i - 1]) >= std::string_view(names[i]))
                return false;
        return true;
    }(),
    "the method table holds 91 names in byte order");
