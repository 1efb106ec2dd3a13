// Qt types the binding takes from PyQt5's modules. Each list is sorted by name in byte
// order (the runtime binary-searches it) and is overwritten with the resolved types.
#pragma once

#include "sipapi.h"

#define TORVANE_QTCORE_TYPES(X) \
    X(QAbstractItemModel, "QAbstractItemModel") \
    X(QByteArray, "QByteArray") \
    X(QChildEvent, "QChildEvent") \
    X(QDataStream, "QDataStream") \
    X(QEvent, "QEvent") \
    X(QItemSelection, "QItemSelection") \
    X(QItemSelectionModel, "QItemSelectionModel") \
    X(QItemSelectionModel_SelectionFlags, "QItemSelectionModel::SelectionFlags") \
    X(QList_QModelIndex, "QList<QModelIndex>") \
    X(QMargins, "QMargins") \
    X(QMetaMethod, "QMetaMethod") \
    X(QModelIndex, "QModelIndex") \
    X(QObject, "QObject") \
    X(QPoint, "QPoint") \
    X(QRect, "QRect") \
    X(QSize, "QSize") \
    X(QString, "QString") \
    X(QTimerEvent, "QTimerEvent") \
    X(QVariant, "QVariant") \
    X(QVector_int, "QVector<int>") \
    X(Qt_DropActions, "Qt::DropActions") \
    X(Qt_InputMethodQuery, "Qt::InputMethodQuery") \
    X(Qt_KeyboardModifiers, "Qt::KeyboardModifiers") \
    X(Qt_Orientation, "Qt::Orientation") \
    X(quintptr, "quintptr")

#define TORVANE_QTGUI_TYPES(X) \
    X(QActionEvent, "QActionEvent") \
    X(QCloseEvent, "QCloseEvent") \
    X(QContextMenuEvent, "QContextMenuEvent") \
    X(QDragEnterEvent, "QDragEnterEvent") \
    X(QDragLeaveEvent, "QDragLeaveEvent") \
    X(QDragMoveEvent, "QDragMoveEvent") \
    X(QDropEvent, "QDropEvent") \
    X(QFocusEvent, "QFocusEvent") \
    X(QHideEvent, "QHideEvent") \
    X(QInputMethodEvent, "QInputMethodEvent") \
    X(QKeyEvent, "QKeyEvent") \
    X(QMouseEvent, "QMouseEvent") \
    X(QMoveEvent, "QMoveEvent") \
    X(QPaintDevice, "QPaintDevice") \
    X(QPaintDevice_PaintDeviceMetric, "QPaintDevice::PaintDeviceMetric") \
    X(QPaintEngine, "QPaintEngine") \
    X(QPaintEvent, "QPaintEvent") \
    X(QPainter, "QPainter") \
    X(QRegion, "QRegion") \
    X(QResizeEvent, "QResizeEvent") \
    X(QShowEvent, "QShowEvent") \
    X(QStandardItem, "QStandardItem") \
    X(QTabletEvent, "QTabletEvent") \
    X(QWheelEvent, "QWheelEvent")

#define TORVANE_QTWIDGETS_TYPES(X) \
    X(QAbstractItemDelegate_EndEditHint, "QAbstractItemDelegate::EndEditHint") \
    X(QAbstractItemView, "QAbstractItemView") \
    X(QAbstractItemView_CursorAction, "QAbstractItemView::CursorAction") \
    X(QAbstractItemView_DropIndicatorPosition, "QAbstractItemView::DropIndicatorPosition") \
    X(QAbstractItemView_EditTrigger, "QAbstractItemView::EditTrigger") \
    X(QAbstractItemView_ScrollHint, "QAbstractItemView::ScrollHint") \
    X(QAbstractItemView_State, "QAbstractItemView::State") \
    X(QAbstractScrollArea, "QAbstractScrollArea") \
    X(QFrame, "QFrame") \
    X(QStyleOptionFrame, "QStyleOptionFrame") \
    X(QStyleOptionViewItem, "QStyleOptionViewItem") \
    X(QWidget, "QWidget")

#define TORVANE_TYPE_INDEX(id, name) idx_##id,
enum QtCoreTypeIndex { TORVANE_QTCORE_TYPES(TORVANE_TYPE_INDEX) qtCoreTypeCount };
enum QtGuiTypeIndex { TORVANE_QTGUI_TYPES(TORVANE_TYPE_INDEX) qtGuiTypeCount };
enum QtWidgetsTypeIndex { TORVANE_QTWIDGETS_TYPES(TORVANE_TYPE_INDEX) qtWidgetsTypeCount };
#undef TORVANE_TYPE_INDEX

// Positions of the imported modules in the binding's import list.
enum ImportedModuleIndex { importQtCore, importQtGui, importQtWidgets };

extern sipImportedTypeDef qtCoreTypes[];
extern sipImportedTypeDef qtGuiTypes[];
extern sipImportedTypeDef qtWidgetsTypes[];
extern sipImportedVirtErrorHandlerDef qtCoreVirtErrorHandlers[];

#define sipType(module, id) (module##Types[idx_##id].it_td)
#define sipCoreType(id) sipType(qtCore, id)
#define sipGuiType(id) sipType(qtGui, id)
#define sipWidgetsType(id) sipType(qtWidgets, id)

// PyQt5's handler for failed Python reimplementations of virtuals.
#define pyqt5VirtErrorHandler (qtCoreVirtErrorHandlers[0].iveh_handler)

// The binding's own classes, in the order of its class table.
extern sipClassTypeDef abstractItemViewTypeDef;
extern sipClassTypeDef headerIndexTypeDef;
extern sipClassTypeDef nullValueTypeDef;
extern sipClassTypeDef standardItemTypeDef;
#define sipType_AbstractItemView (&abstractItemViewTypeDef.ctd_base)
#define sipType_HeaderIndex (&headerIndexTypeDef.ctd_base)
#define sipType_NullValue (&nullValueTypeDef.ctd_base)
#define sipType_StandardItem (&standardItemTypeDef.ctd_base)
