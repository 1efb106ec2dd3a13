// The runtime type that stands for each native type the override handlers convert, as
// runtimeType<T>(): the imported PyQt5 types, resolved when the module starts.
#pragma once

#include "importedtypes.h"
#include "overridehandlers.h"

template <typename T>
const sipTypeDef *runtimeType();

#define TORVANE_RUNTIME_TYPE(T, td) \
    template <> \
    inline const sipTypeDef *runtimeType<T>() \
    { \
        return td; \
    }

TORVANE_RUNTIME_TYPE(QAbstractItemModel, sipCoreType(QAbstractItemModel))
TORVANE_RUNTIME_TYPE(QByteArray, sipCoreType(QByteArray))
TORVANE_RUNTIME_TYPE(QChildEvent, sipCoreType(QChildEvent))
TORVANE_RUNTIME_TYPE(QDataStream, sipCoreType(QDataStream))
TORVANE_RUNTIME_TYPE(QEvent, sipCoreType(QEvent))
TORVANE_RUNTIME_TYPE(QItemSelection, sipCoreType(QItemSelection))
TORVANE_RUNTIME_TYPE(QItemSelectionModel, sipCoreType(QItemSelectionModel))
TORVANE_RUNTIME_TYPE(QItemSelectionModel::SelectionFlags,
                     sipCoreType(QItemSelectionModel_SelectionFlags))
TORVANE_RUNTIME_TYPE(QList<QModelIndex>, sipCoreType(QList_QModelIndex))
TORVANE_RUNTIME_TYPE(QMetaMethod, sipCoreType(QMetaMethod))
TORVANE_RUNTIME_TYPE(QModelIndex, sipCoreType(QModelIndex))
TORVANE_RUNTIME_TYPE(QObject, sipCoreType(QObject))
TORVANE_RUNTIME_TYPE(QPoint, sipCoreType(QPoint))
TORVANE_RUNTIME_TYPE(QRect, sipCoreType(QRect))
TORVANE_RUNTIME_TYPE(QSize, sipCoreType(QSize))
TORVANE_RUNTIME_TYPE(QString, sipCoreType(QString))
TORVANE_RUNTIME_TYPE(QTimerEvent, sipCoreType(QTimerEvent))
TORVANE_RUNTIME_TYPE(QVariant, sipCoreType(QVariant))
TORVANE_RUNTIME_TYPE(QVector<int>, sipCoreType(QVector_int))
TORVANE_RUNTIME_TYPE(Qt::DropActions, sipCoreType(Qt_DropActions))
TORVANE_RUNTIME_TYPE(Qt::InputMethodQuery, sipCoreType(Qt_InputMethodQuery))
TORVANE_RUNTIME_TYPE(Qt::KeyboardModifiers, sipCoreType(Qt_KeyboardModifiers))

TORVANE_RUNTIME_TYPE(QActionEvent, sipGuiType(QActionEvent))
TORVANE_RUNTIME_TYPE(QCloseEvent, sipGuiType(QCloseEvent))
TORVANE_RUNTIME_TYPE(QContextMenuEvent, sipGuiType(QContextMenuEvent))
TORVANE_RUNTIME_TYPE(QDragEnterEvent, sipGuiType(QDragEnterEvent))
TORVANE_RUNTIME_TYPE(QDragLeaveEvent, sipGuiType(QDragLeaveEvent))
TORVANE_RUNTIME_TYPE(QDragMoveEvent, sipGuiType(QDragMoveEvent))
TORVANE_RUNTIME_TYPE(QDropEvent, sipGuiType(QDropEvent))
TORVANE_RUNTIME_TYPE(QFocusEvent, sipGuiType(QFocusEvent))
TORVANE_RUNTIME_TYPE(QHideEvent, sipGuiType(QHideEvent))
TORVANE_RUNTIME_TYPE(QInputMethodEvent, sipGuiType(QInputMethodEvent))
TORVANE_RUNTIME_TYPE(QKeyEvent, sipGuiType(QKeyEvent))
TORVANE_RUNTIME_TYPE(QMouseEvent, sipGuiType(QMouseEvent))
TORVANE_RUNTIME_TYPE(QMoveEvent, sipGuiType(QMoveEvent))
TORVANE_RUNTIME_TYPE(QPaintDevice::PaintDeviceMetric, sipGuiType(QPaintDevice_PaintDeviceMetric))
TORVANE_RUNTIME_TYPE(QPaintEngine, sipGuiType(QPaintEngine))
TORVANE_RUNTIME_TYPE(QPaintEvent, sipGuiType(QPaintEvent))
TORVANE_RUNTIME_TYPE(QPainter, sipGuiType(QPainter))
TORVANE_RUNTIME_TYPE(QRegion, sipGuiType(QRegion))
TORVANE_RUNTIME_TYPE(QResizeEvent, sipGuiType(QResizeEvent))
TORVANE_RUNTIME_TYPE(QShowEvent, sipGuiType(QShowEvent))
TORVANE_RUNTIME_TYPE(QStandardItem, sipGuiType(QStandardItem))
TORVANE_RUNTIME_TYPE(QTabletEvent, sipGuiType(QTabletEvent))
TORVANE_RUNTIME_TYPE(QWheelEvent, sipGuiType(QWheelEvent))

TORVANE_RUNTIME_TYPE(QAbstractItemDelegate::EndEditHint,
                     sipWidgetsType(QAbstractItemDelegate_EndEditHint))
TORVANE_RUNTIME_TYPE(QAbstractItemView::EditTrigger, sipWidgetsType(QAbstractItemView_EditTrigger))
TORVANE_RUNTIME_TYPE(QAbstractItemView::ScrollHint, sipWidgetsType(QAbstractItemView_ScrollHint))
TORVANE_RUNTIME_TYPE(QStyleOptionViewItem, sipWidgetsType(QStyleOptionViewItem))
TORVANE_RUNTIME_TYPE(QWidget, sipWidgetsType(QWidget))

#undef TORVANE_RUNTIME_TYPE
