// The Qt virtuals that sipAbstractItemView routes to Python, as data.
//
// ROUTED(result, name, (parameters), (arguments), constness, flag, handler, implementation)
//   runs the Python reimplementation through the handler when the subclass has one, else
//   implementation::name(arguments).
// PURE(result, name, (parameters), (arguments), constness, flag, handler, default)
//   the same for a pure virtual of QAbstractItemView, which has no Qt implementation: the
//   default expression stands in for it.
//
// The flag is the virtual's slot in pyOverrideFlags. doItemsLayout and redirected are left
// unrouted on purpose: Qt's implementations always run.
#pragma once

#define TORVANE_VIEW_VIRTUALS(ROUTED, PURE)                                                         \
    /* QObject */                                                                                   \
    ROUTED(bool, event, (QEvent *e), (e), , 43, overrideBool_QEventPtr, QAbstractItemView)          \
    ROUTED(bool, eventFilter, (QObject *o, QEvent *e), (o, e), , 44,                                \
           overrideBool_QObjectPtr_QEventPtr, QAbstractItemView)                                    \
    ROUTED(void, timerEvent, (QTimerEvent *e), (e), , 45, overrideVoid_QTimerEventPtr,              \
           QAbstractItemView)                                                                       \
    ROUTED(void, childEvent, (QChildEvent *e), (e), , 46, overrideVoid_QChildEventPtr, QObject)     \
    ROUTED(void, customEvent, (QEvent *e), (e), , 47, overrideVoid_QEventPtr, QObject)              \
    ROUTED(void, connectNotify, (const QMetaMethod &m), (m), , 48, overrideVoid_QMetaMethod,        \
           QObject)                                                                                 \
    ROUTED(void, disconnectNotify, (const QMetaMethod &m), (m), , 49, overrideVoid_QMetaMethod,     \
           QObject)                                                                                 \
    /* QWidget */                                                                                   \
    ROUTED(void, setVisible, (bool v), (v), , 39, overrideVoid_Bool, QWidget)                       \
    ROUTED(QSize, sizeHint, (), (), const, 38, overrideQSize, QAbstractScrollArea)                  \
    ROUTED(QSize, minimumSizeHint, (), (), const, 37, overrideQSize, QAbstractScrollArea)           \
    ROUTED(int, heightForWidth, (int w), (w), const, 36, overrideInt_Int, QWidget)                  \
    ROUTED(bool, hasHeightForWidth, (), (), const, 7, overrideBool, QWidget)                        \
    ROUTED(void, mousePressEvent, (QMouseEvent *e), (e), , 35, overrideVoid_QMouseEventPtr,         \
           QAbstractItemView)                                                                       \
    ROUTED(void, mouseReleaseEvent, (QMouseEvent *e), (e), , 34, overrideVoid_QMouseEventPtr,       \
           QAbstractItemView)                                                                       \
    ROUTED(void, mouseDoubleClickEvent, (QMouseEvent *e), (e), , 33, overrideVoid_QMouseEventPtr,   \
           QAbstractItemView)                                                                       \
    ROUTED(void, mouseMoveEvent, (QMouseEvent *e), (e), , 32, overrideVoid_QMouseEventPtr,          \
           QAbstractItemView)                                                                       \
    ROUTED(void, wheelEvent, (QWheelEvent *e), (e), , 31, overrideVoid_QWheelEventPtr,              \
           QAbstractScrollArea)                                                                     \
    ROUTED(void, keyPressEvent, (QKeyEvent *e), (e), , 30, overrideVoid_QKeyEventPtr,               \
           QAbstractItemView)                                                                       \
    ROUTED(void, keyReleaseEvent, (QKeyEvent *e), (e), , 29, overrideVoid_QKeyEventPtr, QWidget)    \
    ROUTED(void, focusInEvent, (QFocusEvent *e), (e), , 28, overrideVoid_QFocusEventPtr,            \
           QAbstractItemView)                                                                       \
    ROUTED(void, focusOutEvent, (QFocusEvent *e), (e), , 27, overrideVoid_QFocusEventPtr,           \
           QAbstractItemView)                                                                       \
    ROUTED(void, enterEvent, (QEvent *e), (e), , 26, overrideVoid_QEventPtr, QWidget)               \
    ROUTED(void, leaveEvent, (QEvent *e), (e), , 25, overrideVoid_QEventPtr, QWidget)               \
    ROUTED(void, paintEvent, (QPaintEvent *e), (e), , 24, overrideVoid_QPaintEventPtr,              \
           QAbstractScrollArea)                                                                     \
    ROUTED(void, moveEvent, (QMoveEvent *e), (e), , 23, overrideVoid_QMoveEventPtr, QWidget)        \
    ROUTED(void, resizeEvent, (QResizeEvent *e), (e), , 22, overrideVoid_QResizeEventPtr,           \
           QAbstractItemView)                                                                       \
    ROUTED(void, closeEvent, (QCloseEvent *e), (e), , 21, overrideVoid_QCloseEventPtr, QWidget)     \
    ROUTED(void, contextMenuEvent, (QContextMenuEvent *e), (e), , 20,                               \
           overrideVoid_QContextMenuEventPtr, QAbstractScrollArea)                                  \
    ROUTED(void, tabletEvent, (QTabletEvent *e), (e), , 19, overrideVoid_QTabletEventPtr, QWidget)  \
    ROUTED(void, actionEvent, (QActionEvent *e), (e), , 18, overrideVoid_QActionEventPtr, QWidget)  \
    ROUTED(void, dragEnterEvent, (QDragEnterEvent *e), (e), , 17, overrideVoid_QDragEnterEventPtr,  \
           QAbstractItemView)                                                                       \
    ROUTED(void, dragMoveEvent, (QDragMoveEvent *e), (e), , 16, overrideVoid_QDragMoveEventPtr,     \
           QAbstractItemView)                                                                       \
    ROUTED(void, dragLeaveEvent, (QDragLeaveEvent *e), (e), , 15, overrideVoid_QDragLeaveEventPtr,  \
           QAbstractItemView)                                                                       \
    ROUTED(void, dropEvent, (QDropEvent *e), (e), , 14, overrideVoid_QDropEventPtr,                 \
           QAbstractItemView)                                                                       \
    ROUTED(void, showEvent, (QShowEvent *e), (e), , 13, overrideVoid_QShowEventPtr, QWidget)        \
    ROUTED(void, hideEvent, (QHideEvent *e), (e), , 12, overrideVoid_QHideEventPtr, QWidget)        \
    ROUTED(bool, nativeEvent, (const QByteArray &type, void *message, long *result),                \
           (type, message, result), , 6, overrideBool_QByteArray_VoidPtr_LongPtr, QWidget)          \
    ROUTED(void, changeEvent, (QEvent *e), (e), , 11, overrideVoid_QEventPtr, QFrame)               \
    ROUTED(void, inputMethodEvent, (QInputMethodEvent *e), (e), , 10,                               \
           overrideVoid_QInputMethodEventPtr, QAbstractItemView)                                    \
    ROUTED(QVariant, inputMethodQuery, (Qt::InputMethodQuery q), (q), const, 9,                     \
           overrideQVariant_InputMethodQuery, QAbstractItemView)                                    \
    ROUTED(bool, focusNextPrevChild, (bool next), (next), , 8, overrideBool_Bool, QAbstractItemView) \
    /* QAbstractScrollArea */                                                                       \
    ROUTED(void, setupViewport, (QWidget *w), (w), , 0, overrideVoid_QWidgetPtr,                    \
           QAbstractScrollArea)                                                                     \
    ROUTED(bool, viewportEvent, (QEvent *e), (e), , 2, overrideBool_QEventPtr, QAbstractItemView)   \
    ROUTED(void, scrollContentsBy, (int dx, int dy), (dx, dy), , 1, overrideVoid_Int_Int,           \
           QAbstractScrollArea)                                                                     \
    ROUTED(QSize, viewportSizeHint, (), (), const, 3, overrideQSize, QAbstractItemView)             \
    /* QAbstractItemView */                                                                         \
    ROUTED(void, setModel, (QAbstractItemModel *m), (m), , 50, overrideVoid_QAbstractItemModelPtr,  \
           QAbstractItemView)                                                                       \
    ROUTED(void, setSelectionModel, (QItemSelectionModel *m), (m), , 51,                            \
           overrideVoid_QItemSelectionModelPtr, QAbstractItemView)                                  \
    ROUTED(void, keyboardSearch, (const QString &s), (s), , 52, overrideVoid_QString,               \
           QAbstractItemView)                                                                       \
    PURE(QRect, visualRect, (const QModelIndex &index), (index), const, 53,                         \
         overrideQRect_QModelIndex, QRect())                                                        \
    PURE(void, scrollTo, (const QModelIndex &index, ScrollHint hint), (index, hint), , 54,          \
         overrideVoid_QModelIndex_ScrollHint, void())                                               \
    PURE(QModelIndex, indexAt, (const QPoint &p), (p), const, 55, overrideQModelIndex_QPoint,       \
         QModelIndex())                                                                             \
    ROUTED(int, sizeHintForRow, (int row), (row), const, 56, overrideInt_Int, QAbstractItemView)    \
    ROUTED(int, sizeHintForColumn, (int column), (column), const, 57, overrideInt_Int,              \
           QAbstractItemView)                                                                       \
    ROUTED(void, reset, (), (), , 58, overrideVoid, QAbstractItemView)                              \
    ROUTED(void, setRootIndex, (const QModelIndex &index), (index), , 59, overrideVoid_QModelIndex, \
           QAbstractItemView)                                                                       \
    ROUTED(void, selectAll, (), (), , 60, overrideVoid, QAbstractItemView)                          \
    ROUTED(bool, edit, (const QModelIndex &index, EditTrigger trigger, QEvent *e),                  \
           (index, trigger, e), , 83, overrideBool_QModelIndex_EditTrigger_QEventPtr,               \
           QAbstractItemView)                                                                       \
    ROUTED(void, dataChanged,                                                                       \
           (const QModelIndex &topLeft, const QModelIndex &bottomRight, const QVector<int> &roles), \
           (topLeft, bottomRight, roles), , 61, overrideVoid_QModelIndex_QModelIndex_QVectorInt,    \
           QAbstractItemView)                                                                       \
    ROUTED(void, rowsInserted, (const QModelIndex &parent, int start, int end),                     \
           (parent, start, end), , 62, overrideVoid_QModelIndex_Int_Int, QAbstractItemView)         \
    ROUTED(void, rowsAboutToBeRemoved, (const QModelIndex &parent, int start, int end),             \
           (parent, start, end), , 63, overrideVoid_QModelIndex_Int_Int, QAbstractItemView)         \
    ROUTED(void, selectionChanged, (const QItemSelection &selected, const QItemSelection &deselected), \
           (selected, deselected), , 64, overrideVoid_QItemSelection_QItemSelection,                \
           QAbstractItemView)                                                                       \
    ROUTED(void, currentChanged, (const QModelIndex &current, const QModelIndex &previous),         \
           (current, previous), , 65, overrideVoid_QModelIndex_QModelIndex, QAbstractItemView)      \
    ROUTED(void, updateEditorData, (), (), , 66, overrideVoid, QAbstractItemView)                   \
    ROUTED(void, updateEditorGeometries, (), (), , 67, overrideVoid, QAbstractItemView)             \
    ROUTED(void, updateGeometries, (), (), , 68, overrideVoid, QAbstractItemView)                   \
    ROUTED(void, verticalScrollbarAction, (int action), (action), , 69, overrideVoid_Int,           \
           QAbstractItemView)                                                                       \
    ROUTED(void, horizontalScrollbarAction, (int action), (action), , 70, overrideVoid_Int,         \
           QAbstractItemView)                                                                       \
    ROUTED(void, verticalScrollbarValueChanged, (int value), (value), , 71, overrideVoid_Int,       \
           QAbstractItemView)                                                                       \
    ROUTED(void, horizontalScrollbarValueChanged, (int value), (value), , 72, overrideVoid_Int,     \
           QAbstractItemView)                                                                       \
    ROUTED(void, closeEditor, (QWidget *editor, QAbstractItemDelegate::EndEditHint hint),           \
           (editor, hint), , 73, overrideVoid_QWidgetPtr_EndEditHint, QAbstractItemView)           \
    ROUTED(void, commitData, (QWidget *editor), (editor), , 74, overrideVoid_QWidgetPtr,            \
           QAbstractItemView)                                                                       \
    ROUTED(void, editorDestroyed, (QObject *editor), (editor), , 75, overrideVoid_QObjectPtr,       \
           QAbstractItemView)                                                                       \
    PURE(QModelIndex, moveCursor, (CursorAction action, Qt::KeyboardModifiers modifiers),           \
         (action, modifiers), , 76, overrideQModelIndex_CursorAction_KeyboardModifiers,             \
         QModelIndex())                                                                             \
    PURE(int, horizontalOffset, (), (), const, 77, overrideInt, 0)                                  \
    PURE(int, verticalOffset, (), (), const, 78, overrideInt, 0)                                    \
    PURE(bool, isIndexHidden, (const QModelIndex &index), (index), const, 79,                       \
         overrideBool_QModelIndex, false)                                                           \
    PURE(void, setSelection, (const QRect &rect, QItemSelectionModel::SelectionFlags command),      \
         (rect, command), , 80, overrideVoid_QRect_SelectionFlags, void())                          \
    PURE(QRegion, visualRegionForSelection, (const QItemSelection &selection), (selection), const,  \
         81, overrideQRegion_QItemSelection, QRegion())                                             \
    ROUTED(QModelIndexList, selectedIndexes, (), (), const, 82, overrideQModelIndexList,            \
           QAbstractItemView)                                                                       \
    ROUTED(QItemSelectionModel::SelectionFlags, selectionCommand,                                   \
           (const QModelIndex &index, const QEvent *e), (index, e), const, 84,                      \
           overrideSelectionFlags_QModelIndex_QEventPtr, QAbstractItemView)                         \
    ROUTED(void, startDrag, (Qt::DropActions actions), (actions), , 85, overrideVoid_DropActions,   \
           QAbstractItemView)                                                                       \
    ROUTED(QStyleOptionViewItem, viewOptions, (), (), const, 86, overrideQStyleOptionViewItem,      \
           QAbstractItemView)                                                                       \
    /* QPaintDevice, as QWidget overrides it */                                                     \
    ROUTED(int, devType, (), (), const, 40, overrideInt, QWidget)                                   \
    ROUTED(QPaintEngine *, paintEngine, (), (), const, 41, overrideQPaintEnginePtr, QWidget)        \
    ROUTED(int, metric, (PaintDeviceMetric m), (m), const, 42, overrideInt_PaintDeviceMetric,       \
           QWidget)                                                                                 \
    ROUTED(void, initPainter, (QPainter *painter), (painter), const, 4, overrideVoid_QPainterPtr,   \
           QWidget)                                                                                 \
    ROUTED(QPainter *, sharedPainter, (), (), const, 5, overrideQPainterPtr, QWidget)

// Number of routed virtuals, hence of pyOverrideFlags.
inline constexpr int viewVirtualCount = 87;
