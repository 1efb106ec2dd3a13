// The Qt virtuals that sipAbstractItemView routes to Python, as data.
//
// ROUTED(result, name, (parameters), (arguments), constness, flag, handler, implementation)
//   runs the Python reimplementation through the handler when the subclass has one, else
//   implementation::name(arguments). Python reaches these through PyQt5's QAbstractItemView.
// EXPOSED(result, name, Name, (parameters), (arguments), constness, flag, handler, implementation)
//   the same, for a protected virtual that AbstractItemView offers to Python as a method
//   through the accessor protectedName.
// PURE(result, name, Name, (parameters), (arguments), constness, flag, handler, default)
//   a protected pure virtual of QAbstractItemView, offered as a method: there is no Qt
//   implementation, so the default expression stands in for it.
// PUBLIC_PURE(result, name, (parameters), (arguments), constness, flag, handler, default)
//   a public pure virtual, reached from Python through PyQt5's QAbstractItemView.
//
// The flag is the virtual's slot in pyOverrideFlags. doItemsLayout and redirected are left
// unrouted on purpose: Qt's implementations always run.
#pragma once

#define TORVANE_VIEW_VIRTUALS(ROUTED, EXPOSED, PURE, PUBLIC_PURE)                                               \
    /* QObject */                                                                                               \
    EXPOSED(bool, event, Event, (QEvent *e), (e), , 43, overrideBool_QEventPtr, QAbstractItemView)              \
    EXPOSED(bool, eventFilter, EventFilter, (QObject *o, QEvent *e), (o, e), , 44,                              \
           overrideBool_QObjectPtr_QEventPtr, QAbstractItemView)                                                \
    EXPOSED(void, timerEvent, TimerEvent, (QTimerEvent *e), (e), , 45, overrideVoid_QTimerEventPtr,             \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, childEvent, ChildEvent, (QChildEvent *e), (e), , 46, overrideVoid_QChildEventPtr, QObject)    \
    EXPOSED(void, customEvent, CustomEvent, (QEvent *e), (e), , 47, overrideVoid_QEventPtr, QObject)            \
    EXPOSED(void, connectNotify, ConnectNotify, (const QMetaMethod &m), (m), , 48, overrideVoid_QMetaMethod,    \
           QObject)                                                                                             \
    EXPOSED(void, disconnectNotify, DisconnectNotify, (const QMetaMethod &m), (m), , 49, overrideVoid_QMetaMethod, \
           QObject)                                                                                             \
    /* QWidget */                                                                                               \
    ROUTED(void, setVisible, (bool v), (v), , 39, overrideVoid_Bool, QWidget)                                   \
    ROUTED(QSize, sizeHint, (), (), const, 38, overrideQSize, QAbstractScrollArea)                              \
    ROUTED(QSize, minimumSizeHint, (), (), const, 37, overrideQSize, QAbstractScrollArea)                       \
    ROUTED(int, heightForWidth, (int w), (w), const, 36, overrideInt_Int, QWidget)                              \
    ROUTED(bool, hasHeightForWidth, (), (), const, 7, overrideBool, QWidget)                                    \
    EXPOSED(void, mousePressEvent, MousePressEvent, (QMouseEvent *e), (e), , 35, overrideVoid_QMouseEventPtr,   \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, mouseReleaseEvent, MouseReleaseEvent, (QMouseEvent *e), (e), , 34, overrideVoid_QMouseEventPtr, \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, mouseDoubleClickEvent, MouseDoubleClickEvent, (QMouseEvent *e), (e), , 33, overrideVoid_QMouseEventPtr, \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, mouseMoveEvent, MouseMoveEvent, (QMouseEvent *e), (e), , 32, overrideVoid_QMouseEventPtr,     \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, wheelEvent, WheelEvent, (QWheelEvent *e), (e), , 31, overrideVoid_QWheelEventPtr,             \
           QAbstractScrollArea)                                                                                 \
    EXPOSED(void, keyPressEvent, KeyPressEvent, (QKeyEvent *e), (e), , 30, overrideVoid_QKeyEventPtr,           \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, keyReleaseEvent, KeyReleaseEvent, (QKeyEvent *e), (e), , 29, overrideVoid_QKeyEventPtr, QWidget) \
    EXPOSED(void, focusInEvent, FocusInEvent, (QFocusEvent *e), (e), , 28, overrideVoid_QFocusEventPtr,         \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, focusOutEvent, FocusOutEvent, (QFocusEvent *e), (e), , 27, overrideVoid_QFocusEventPtr,       \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, enterEvent, EnterEvent, (QEvent *e), (e), , 26, overrideVoid_QEventPtr, QWidget)              \
    EXPOSED(void, leaveEvent, LeaveEvent, (QEvent *e), (e), , 25, overrideVoid_QEventPtr, QWidget)              \
    EXPOSED(void, paintEvent, PaintEvent, (QPaintEvent *e), (e), , 24, overrideVoid_QPaintEventPtr,             \
           QAbstractScrollArea)                                                                                 \
    EXPOSED(void, moveEvent, MoveEvent, (QMoveEvent *e), (e), , 23, overrideVoid_QMoveEventPtr, QWidget)        \
    EXPOSED(void, resizeEvent, ResizeEvent, (QResizeEvent *e), (e), , 22, overrideVoid_QResizeEventPtr,         \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, closeEvent, CloseEvent, (QCloseEvent *e), (e), , 21, overrideVoid_QCloseEventPtr, QWidget)    \
    EXPOSED(void, contextMenuEvent, ContextMenuEvent, (QContextMenuEvent *e), (e), , 20,                        \
           overrideVoid_QContextMenuEventPtr, QAbstractScrollArea)                                              \
    EXPOSED(void, tabletEvent, TabletEvent, (QTabletEvent *e), (e), , 19, overrideVoid_QTabletEventPtr, QWidget) \
    EXPOSED(void, actionEvent, ActionEvent, (QActionEvent *e), (e), , 18, overrideVoid_QActionEventPtr, QWidget) \
    EXPOSED(void, dragEnterEvent, DragEnterEvent, (QDragEnterEvent *e), (e), , 17, overrideVoid_QDragEnterEventPtr, \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, dragMoveEvent, DragMoveEvent, (QDragMoveEvent *e), (e), , 16, overrideVoid_QDragMoveEventPtr, \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, dragLeaveEvent, DragLeaveEvent, (QDragLeaveEvent *e), (e), , 15, overrideVoid_QDragLeaveEventPtr, \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, dropEvent, DropEvent, (QDropEvent *e), (e), , 14, overrideVoid_QDropEventPtr,                 \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, showEvent, ShowEvent, (QShowEvent *e), (e), , 13, overrideVoid_QShowEventPtr, QWidget)        \
    EXPOSED(void, hideEvent, HideEvent, (QHideEvent *e), (e), , 12, overrideVoid_QHideEventPtr, QWidget)        \
    EXPOSED(bool, nativeEvent, NativeEvent, (const QByteArray &type, void *message, long *result),              \
           (type, message, result), , 6, overrideBool_QByteArray_VoidPtr_LongPtr, QWidget)                      \
    EXPOSED(void, changeEvent, ChangeEvent, (QEvent *e), (e), , 11, overrideVoid_QEventPtr, QFrame)             \
    EXPOSED(void, inputMethodEvent, InputMethodEvent, (QInputMethodEvent *e), (e), , 10,                        \
           overrideVoid_QInputMethodEventPtr, QAbstractItemView)                                                \
    ROUTED(QVariant, inputMethodQuery, (Qt::InputMethodQuery q), (q), const, 9,                                 \
           overrideQVariant_InputMethodQuery, QAbstractItemView)                                                \
    EXPOSED(bool, focusNextPrevChild, FocusNextPrevChild, (bool next), (next), , 8, overrideBool_Bool, QAbstractItemView) \
    /* QAbstractScrollArea */                                                                                   \
    ROUTED(void, setupViewport, (QWidget *w), (w), , 0, overrideVoid_QWidgetPtr,                                \
           QAbstractScrollArea)                                                                                 \
    EXPOSED(bool, viewportEvent, ViewportEvent, (QEvent *e), (e), , 2, overrideBool_QEventPtr, QAbstractItemView) \
    EXPOSED(void, scrollContentsBy, ScrollContentsBy, (int dx, int dy), (dx, dy), , 1, overrideVoid_Int_Int,    \
           QAbstractScrollArea)                                                                                 \
    EXPOSED(QSize, viewportSizeHint, ViewportSizeHint, (), (), const, 3, overrideQSize, QAbstractItemView)      \
    /* QAbstractItemView */                                                                                     \
    ROUTED(void, setModel, (QAbstractItemModel *m), (m), , 50, overrideVoid_QAbstractItemModelPtr,              \
           QAbstractItemView)                                                                                   \
    ROUTED(void, setSelectionModel, (QItemSelectionModel *m), (m), , 51,                                        \
           overrideVoid_QItemSelectionModelPtr, QAbstractItemView)                                              \
    ROUTED(void, keyboardSearch, (const QString &s), (s), , 52, overrideVoid_QString,                           \
           QAbstractItemView)                                                                                   \
    PUBLIC_PURE(QRect, visualRect, (const QModelIndex &index), (index), const, 53,                              \
         overrideQRect_QModelIndex, QRect())                                                                    \
    PUBLIC_PURE(void, scrollTo, (const QModelIndex &index, ScrollHint hint), (index, hint), , 54,               \
         overrideVoid_QModelIndex_ScrollHint, void())                                                           \
    PUBLIC_PURE(QModelIndex, indexAt, (const QPoint &p), (p), const, 55, overrideQModelIndex_QPoint,            \
         QModelIndex())                                                                                         \
    ROUTED(int, sizeHintForRow, (int row), (row), const, 56, overrideInt_Int, QAbstractItemView)                \
    ROUTED(int, sizeHintForColumn, (int column), (column), const, 57, overrideInt_Int,                          \
           QAbstractItemView)                                                                                   \
    ROUTED(void, reset, (), (), , 58, overrideVoid, QAbstractItemView)                                          \
    ROUTED(void, setRootIndex, (const QModelIndex &index), (index), , 59, overrideVoid_QModelIndex,             \
           QAbstractItemView)                                                                                   \
    ROUTED(void, selectAll, (), (), , 60, overrideVoid, QAbstractItemView)                                      \
    EXPOSED(bool, edit, Edit, (const QModelIndex &index, EditTrigger trigger, QEvent *e),                       \
           (index, trigger, e), , 83, overrideBool_QModelIndex_EditTrigger_QEventPtr,                           \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, dataChanged, DataChanged,                                                                     \
           (const QModelIndex &topLeft, const QModelIndex &bottomRight, const QVector<int> &roles),             \
           (topLeft, bottomRight, roles), , 61, overrideVoid_QModelIndex_QModelIndex_QVectorInt,                \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, rowsInserted, RowsInserted, (const QModelIndex &parent, int start, int end),                  \
           (parent, start, end), , 62, overrideVoid_QModelIndex_Int_Int, QAbstractItemView)                     \
    EXPOSED(void, rowsAboutToBeRemoved, RowsAboutToBeRemoved, (const QModelIndex &parent, int start, int end),  \
           (parent, start, end), , 63, overrideVoid_QModelIndex_Int_Int, QAbstractItemView)                     \
    EXPOSED(void, selectionChanged, SelectionChanged, (const QItemSelection &selected, const QItemSelection &deselected), \
           (selected, deselected), , 64, overrideVoid_QItemSelection_QItemSelection,                            \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, currentChanged, CurrentChanged, (const QModelIndex &current, const QModelIndex &previous),    \
           (current, previous), , 65, overrideVoid_QModelIndex_QModelIndex, QAbstractItemView)                  \
    EXPOSED(void, updateEditorData, UpdateEditorData, (), (), , 66, overrideVoid, QAbstractItemView)            \
    EXPOSED(void, updateEditorGeometries, UpdateEditorGeometries, (), (), , 67, overrideVoid, QAbstractItemView) \
    EXPOSED(void, updateGeometries, UpdateGeometries, (), (), , 68, overrideVoid, QAbstractItemView)            \
    EXPOSED(void, verticalScrollbarAction, VerticalScrollbarAction, (int action), (action), , 69, overrideVoid_Int, \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, horizontalScrollbarAction, HorizontalScrollbarAction, (int action), (action), , 70, overrideVoid_Int, \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, verticalScrollbarValueChanged, VerticalScrollbarValueChanged, (int value), (value), , 71, overrideVoid_Int, \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, horizontalScrollbarValueChanged, HorizontalScrollbarValueChanged, (int value), (value), , 72, overrideVoid_Int, \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, closeEditor, CloseEditor, (QWidget *editor, QAbstractItemDelegate::EndEditHint hint),         \
           (editor, hint), , 73, overrideVoid_QWidgetPtr_EndEditHint, QAbstractItemView)                        \
    EXPOSED(void, commitData, CommitData, (QWidget *editor), (editor), , 74, overrideVoid_QWidgetPtr,           \
           QAbstractItemView)                                                                                   \
    EXPOSED(void, editorDestroyed, EditorDestroyed, (QObject *editor), (editor), , 75, overrideVoid_QObjectPtr, \
           QAbstractItemView)                                                                                   \
    PURE(QModelIndex, moveCursor, MoveCursor, (CursorAction action, Qt::KeyboardModifiers modifiers),           \
         (action, modifiers), , 76, overrideQModelIndex_CursorAction_KeyboardModifiers,                         \
         QModelIndex())                                                                                         \
    PURE(int, horizontalOffset, HorizontalOffset, (), (), const, 77, overrideInt, 0)                            \
    PURE(int, verticalOffset, VerticalOffset, (), (), const, 78, overrideInt, 0)                                \
    PURE(bool, isIndexHidden, IsIndexHidden, (const QModelIndex &index), (index), const, 79,                    \
         overrideBool_QModelIndex, false)                                                                       \
    PURE(void, setSelection, SetSelection, (const QRect &rect, QItemSelectionModel::SelectionFlags command),    \
         (rect, command), , 80, overrideVoid_QRect_SelectionFlags, void())                                      \
    PURE(QRegion, visualRegionForSelection, VisualRegionForSelection, (const QItemSelection &selection), (selection), const, \
         81, overrideQRegion_QItemSelection, QRegion())                                                         \
    EXPOSED(QModelIndexList, selectedIndexes, SelectedIndexes, (), (), const, 82, overrideQModelIndexList,      \
           QAbstractItemView)                                                                                   \
    EXPOSED(QItemSelectionModel::SelectionFlags, selectionCommand, SelectionCommand,                            \
           (const QModelIndex &index, const QEvent *e), (index, e), const, 84,                                  \
           overrideSelectionFlags_QModelIndex_QEventPtr, QAbstractItemView)                                     \
    EXPOSED(void, startDrag, StartDrag, (Qt::DropActions actions), (actions), , 85, overrideVoid_DropActions,   \
           QAbstractItemView)                                                                                   \
    EXPOSED(QStyleOptionViewItem, viewOptions, ViewOptions, (), (), const, 86, overrideQStyleOptionViewItem,    \
           QAbstractItemView)                                                                                   \
    /* QPaintDevice, as QWidget overrides it */                                                                 \
    ROUTED(int, devType, (), (), const, 40, overrideInt, QWidget)                                               \
    ROUTED(QPaintEngine *, paintEngine, (), (), const, 41, overrideQPaintEnginePtr, QWidget)                    \
    EXPOSED(int, metric, Metric, (PaintDeviceMetric m), (m), const, 42, overrideInt_PaintDeviceMetric,          \
           QWidget)                                                                                             \
    EXPOSED(void, initPainter, InitPainter, (QPainter *painter), (painter), const, 4, overrideVoid_QPainterPtr, \
           QWidget)                                                                                             \
    EXPOSED(QPainter *, sharedPainter, SharedPainter, (), (), const, 5, overrideQPainterPtr, QWidget)

// Number of routed virtuals, hence of pyOverrideFlags.
inline constexpr int viewVirtualCount = 87;
