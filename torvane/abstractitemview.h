#pragma once

#include <QtCore/QModelIndex>
#include <QtCore/QPoint>
#include <QtWidgets/QAbstractItemView>

// The item view that Python subclasses derive from. It adds three members that reach the
// private data Qt keeps behind every QAbstractItemView: the drop indicator and the
// auto-scroll timer, which QAbstractItemView offers no public or protected way to drive.
// Abstract: the nine pure virtuals of QAbstractItemView stay open.
class AbstractItemView : public QAbstractItemView
{
public:
    // Free functions (the override handlers, the binding's accessors) name these
    // protected enums through the derived classes.
    using QAbstractItemView::CursorAction;
    using QAbstractItemView::DropIndicatorPosition;
    using QAbstractItemView::State;

    // Marks the item at index as the drop target; an invalid index gives a null rectangle.
    void setDropIndicator(QModelIndex index);
    // Starts (or restarts) the auto-scroll timer when pos, in viewport coordinates, lies
    // within the auto-scroll margin of the viewport's visible edges or outside them.
    void startAutoScroll(const QPoint &pos);
    void stopAutoScroll();
};
