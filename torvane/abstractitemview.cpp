#include "abstractitemview.h"

// qabstractitemview_p.h needs the public header first.
#include <QtWidgets/private/qabstractitemview_p.h>
#include <QtWidgets/private/qwidget_p.h>

static QAbstractItemViewPrivate *viewPrivate(QObjectData *data)
{
    return static_cast<QAbstractItemViewPrivate *>(data);
}

void AbstractItemView::setDropIndicator(QModelIndex index)
{
    // Virtual on purpose: a Python subclass answers visualRect.
    const QRect rect = index.isValid() ? visualRect(index) : QRect();
    QAbstractItemViewPrivate *d = viewPrivate(d_ptr.data());
    d->dropIndicatorPosition = QAbstractItemView::OnItem;
    d->dropIndicatorRect = rect;
}

void AbstractItemView::startAutoScroll(const QPoint &pos)
{
    QAbstractItemViewPrivate *d = viewPrivate(d_ptr.data());
    if (!d->autoScroll)
        return;
    const QRect area = QWidgetPrivate::get(d->viewport)->clipRect();
    const int margin = d->autoScrollMargin;
    const bool nearEdge = pos.y() - area.top() < margin || area.bottom() - pos.y() < margin
        || pos.x() - area.left() < margin || area.right() - pos.x() < margin;
    if (!nearEdge)
        return;
    const int interval = d->verticalScrollMode == QAbstractItemView::ScrollPerItem ? 150 : 50;
    d->autoScrollTimer.start(interval, this);
    d->autoScrollCount = 0;
}

void AbstractItemView::stopAutoScroll()
{
    QAbstractItemViewPrivate *d = viewPrivate(d_ptr.data());
    d->autoScrollTimer.stop();
    d->autoScrollCount = 0;
}
