// Override handlers: one free function per distinct virtual signature, carrying a native
// virtual call over to the Python method that reimplements it.
//
// Calling contract (for the derived classes' reimplementations):
//  - call a handler only after sipIsPyMethod returned a method; the interpreter lock is then
//    held, and the lock state and the new method reference belong to this call;
//  - pass the lock state, pyqt5VirtErrorHandler, the Python self and the method, then the
//    virtual's own arguments unchanged;
//  - return the handler's result as the virtual's result. Do not release the lock or the
//    method reference afterwards and do not check for Python errors: the handler has released
//    both through the runtime, and any failure has gone to the error handler. On failure a
//    function handler returns its default (false, 0, null, or a default-constructed value).
//    A lock state of the caller's own, taken before sipIsPyMethod, is released only after the
//    handler has returned (routeToPython in pythonroute.h).
#pragma once

#include "sipapi.h"

#include <QtCore/QAbstractItemModel>
#include <QtCore/QByteArray>
#include <QtCore/QEvent>
#include <QtCore/QDataStream>
#include <QtCore/QItemSelectionModel>
#include <QtCore/QList>
#include <QtCore/QMetaMethod>
#include <QtCore/QModelIndex>
#include <QtCore/QObject>
#include <QtCore/QPoint>
#include <QtCore/QRect>
#include <QtCore/QSize>
#include <QtCore/QString>
#include <QtCore/QVariant>
#include <QtCore/QVector>
#include <QtGui/QtEvents>
#include <QtGui/QPaintDevice>
#include <QtGui/QPaintEngine>
#include <QtGui/QPainter>
#include <QtGui/QRegion>
#include <QtGui/QStandardItem>
#include <QtWidgets/QAbstractItemDelegate>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QStyleOptionViewItem>
#include <QtWidgets/QWidget>

// QAbstractItemView::CursorAction is protected, so a free function cannot name it directly.
// This never-instantiated class re-exports it: ViewCursorAccess::CursorAction IS
// QAbstractItemView::CursorAction, so a derived view passes its cursorAction argument to
// overrideQModelIndex_CursorAction_KeyboardModifiers unchanged, with no conversion. (Python
// receives it as a plain int.)
struct ViewCursorAccess : QAbstractItemView
{
    using QAbstractItemView::CursorAction;
};

#define TORVANE_HANDLER_COMMON sip_gilstate_t, sipVirtErrorHandlerFunc, sipSimpleWrapper *, PyObject *

bool overrideBool_QStandardItem(TORVANE_HANDLER_COMMON, const QStandardItem &);
QList<QModelIndex> overrideQModelIndexList(TORVANE_HANDLER_COMMON);
QRegion overrideQRegion_QItemSelection(TORVANE_HANDLER_COMMON, const QItemSelection &);
void overrideVoid_QRect_SelectionFlags(TORVANE_HANDLER_COMMON, const QRect &,
                                       QItemSelectionModel::SelectionFlags);
bool overrideBool_QModelIndex(TORVANE_HANDLER_COMMON, const QModelIndex &);
QModelIndex overrideQModelIndex_CursorAction_KeyboardModifiers(TORVANE_HANDLER_COMMON,
                                                               ViewCursorAccess::CursorAction,
                                                               Qt::KeyboardModifiers);
void overrideVoid_QObjectPtr(TORVANE_HANDLER_COMMON, QObject *);
void overrideVoid_QWidgetPtr(TORVANE_HANDLER_COMMON, QWidget *);
void overrideVoid_QWidgetPtr_EndEditHint(TORVANE_HANDLER_COMMON, QWidget *,
                                         QAbstractItemDelegate::EndEditHint);
void overrideVoid_Int(TORVANE_HANDLER_COMMON, int);
void overrideVoid(TORVANE_HANDLER_COMMON);
void overrideVoid_QDataStreamRef(TORVANE_HANDLER_COMMON, QDataStream &);
void overrideVoid_QModelIndex_QModelIndex(TORVANE_HANDLER_COMMON, const QModelIndex &,
                                          const QModelIndex &);
void overrideVoid_QItemSelection_QItemSelection(TORVANE_HANDLER_COMMON, const QItemSelection &,
                                                const QItemSelection &);
void overrideVoid_QModelIndex_Int_Int(TORVANE_HANDLER_COMMON, const QModelIndex &, int, int);
void overrideVoid_QModelIndex_QModelIndex_QVectorInt(TORVANE_HANDLER_COMMON, const QModelIndex &,
                                                     const QModelIndex &, const QVector<int> &);
void overrideVoid_QModelIndex(TORVANE_HANDLER_COMMON, const QModelIndex &);
int overrideInt_Int(TORVANE_HANDLER_COMMON, int);
QModelIndex overrideQModelIndex_QPoint(TORVANE_HANDLER_COMMON, const QPoint &);
void overrideVoid_QModelIndex_ScrollHint(TORVANE_HANDLER_COMMON, const QModelIndex &,
                                         QAbstractItemView::ScrollHint);
QRect overrideQRect_QModelIndex(TORVANE_HANDLER_COMMON, const QModelIndex &);
void overrideVoid_QString(TORVANE_HANDLER_COMMON, const QString &);
int overrideInt(TORVANE_HANDLER_COMMON);
void overrideVoid_QItemSelectionModelPtr(TORVANE_HANDLER_COMMON, QItemSelectionModel *);
void overrideVoid_QAbstractItemModelPtr(TORVANE_HANDLER_COMMON, QAbstractItemModel *);
void overrideVoid_QMetaMethod(TORVANE_HANDLER_COMMON, const QMetaMethod &);
void overrideVoid_QEventPtr(TORVANE_HANDLER_COMMON, QEvent *);
void overrideVoid_QChildEventPtr(TORVANE_HANDLER_COMMON, QChildEvent *);
void overrideVoid_QTimerEventPtr(TORVANE_HANDLER_COMMON, QTimerEvent *);
bool overrideBool_QObjectPtr_QEventPtr(TORVANE_HANDLER_COMMON, QObject *, QEvent *);
bool overrideBool_QEventPtr(TORVANE_HANDLER_COMMON, QEvent *);
int overrideInt_PaintDeviceMetric(TORVANE_HANDLER_COMMON, QPaintDevice::PaintDeviceMetric);
QPaintEngine *overrideQPaintEnginePtr(TORVANE_HANDLER_COMMON);
QStandardItem *overrideQStandardItemPtr(TORVANE_HANDLER_COMMON);
void overrideVoid_Bool(TORVANE_HANDLER_COMMON, bool);
QSize overrideQSize(TORVANE_HANDLER_COMMON);
void overrideVoid_QMouseEventPtr(TORVANE_HANDLER_COMMON, QMouseEvent *);
void overrideVoid_QWheelEventPtr(TORVANE_HANDLER_COMMON, QWheelEvent *);
void overrideVoid_QKeyEventPtr(TORVANE_HANDLER_COMMON, QKeyEvent *);
void overrideVoid_QFocusEventPtr(TORVANE_HANDLER_COMMON, QFocusEvent *);
void overrideVoid_QPaintEventPtr(TORVANE_HANDLER_COMMON, QPaintEvent *);
void overrideVoid_QMoveEventPtr(TORVANE_HANDLER_COMMON, QMoveEvent *);
void overrideVoid_QResizeEventPtr(TORVANE_HANDLER_COMMON, QResizeEvent *);
void overrideVoid_QCloseEventPtr(TORVANE_HANDLER_COMMON, QCloseEvent *);
void overrideVoid_QVariant_Int(TORVANE_HANDLER_COMMON, const QVariant &, int);
void overrideVoid_QContextMenuEventPtr(TORVANE_HANDLER_COMMON, QContextMenuEvent *);
void overrideVoid_QTabletEventPtr(TORVANE_HANDLER_COMMON, QTabletEvent *);
void overrideVoid_QActionEventPtr(TORVANE_HANDLER_COMMON, QActionEvent *);
void overrideVoid_QDragEnterEventPtr(TORVANE_HANDLER_COMMON, QDragEnterEvent *);
void overrideVoid_QDragMoveEventPtr(TORVANE_HANDLER_COMMON, QDragMoveEvent *);
void overrideVoid_QDragLeaveEventPtr(TORVANE_HANDLER_COMMON, QDragLeaveEvent *);
void overrideVoid_QDropEventPtr(TORVANE_HANDLER_COMMON, QDropEvent *);
void overrideVoid_QShowEventPtr(TORVANE_HANDLER_COMMON, QShowEvent *);
void overrideVoid_QHideEventPtr(TORVANE_HANDLER_COMMON, QHideEvent *);
void overrideVoid_QInputMethodEventPtr(TORVANE_HANDLER_COMMON, QInputMethodEvent *);
QVariant overrideQVariant_Int(TORVANE_HANDLER_COMMON, int);
QVariant overrideQVariant_InputMethodQuery(TORVANE_HANDLER_COMMON, Qt::InputMethodQuery);
bool overrideBool_Bool(TORVANE_HANDLER_COMMON, bool);
bool overrideBool(TORVANE_HANDLER_COMMON);
bool overrideBool_QByteArray_VoidPtr_LongPtr(TORVANE_HANDLER_COMMON, const QByteArray &, void *,
                                             long *);
QPainter *overrideQPainterPtr(TORVANE_HANDLER_COMMON);
void overrideVoid_QPainterPtr(TORVANE_HANDLER_COMMON, QPainter *);
void overrideVoid_Int_Int(TORVANE_HANDLER_COMMON, int, int);
QStyleOptionViewItem overrideQStyleOptionViewItem(TORVANE_HANDLER_COMMON);
void overrideVoid_DropActions(TORVANE_HANDLER_COMMON, Qt::DropActions);
QItemSelectionModel::SelectionFlags overrideSelectionFlags_QModelIndex_QEventPtr(
    TORVANE_HANDLER_COMMON, const QModelIndex &, const QEvent *);
bool overrideBool_QModelIndex_EditTrigger_QEventPtr(TORVANE_HANDLER_COMMON, const QModelIndex &,
                                                    QAbstractItemView::EditTrigger, QEvent *);

#undef TORVANE_HANDLER_COMMON
