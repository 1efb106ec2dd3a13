// The view's own members work on Qt's private data, which only C++ can read back.
#include "abstractitemview.h"

#include <QtWidgets/private/qabstractitemview_p.h>

#include <QtCore/QAbstractEventDispatcher>
#include <QtGui/QStandardItemModel>
#include <QtWidgets/QApplication>
#include <QtWidgets/QScrollBar>

#include <gtest/gtest.h>

namespace {

// The smallest concrete view: each item answers a fixed rectangle.
class TestView : public AbstractItemView
{
public:
    QRect itemRect{3, 4, 50, 20};
    static constexpr DropIndicatorPosition onItem = OnItem, aboveItem = AboveItem, belowItem = BelowItem;

    QRect visualRect(const QModelIndex &) const override { return itemRect; }
    void scrollTo(const QModelIndex &, ScrollHint) override {}
    QModelIndex indexAt(const QPoint &) const override { return {}; }

    QAbstractItemViewPrivate *priv() { return static_cast<QAbstractItemViewPrivate *>(d_ptr.data()); }
    QRect area() const { return viewport()->rect(); }

    // Interval of the running auto-scroll timer, or -1 when it is not running.
    int autoScrollInterval()
    {
        const int id = priv()->autoScrollTimer.timerId();
        if (id <= 0)
            return -1;
        for (const auto &info : QAbstractEventDispatcher::instance()->registeredTimers(this))
            if (info.timerId == id)
                return info.interval;
        return -1;
    }

protected:
    QModelIndex moveCursor(CursorAction, Qt::KeyboardModifiers) override { return {}; }
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override { return 0; }
    bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &, QItemSelectionModel::SelectionFlags) override {}
    QRegion visualRegionForSelection(const QItemSelection &) const override { return {}; }
};

class AbstractItemViewTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "abstractitemview_test";
        static char *argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
    }

    void SetUp() override
    {
        model.appendRow(new QStandardItem("a"));
        view.setModel(&model);
        view.resize(200, 150);
        view.show();  // a hidden viewport has no clip rectangle
        view.setAutoScroll(true);
        view.setAutoScrollMargin(10);
        view.priv()->autoScrollCount = 7;
    }

    QStandardItemModel model;
    TestView view;
};

TEST_F(AbstractItemViewTest, DropIndicatorTakesTheItemRectangle)
{
    view.priv()->dropIndicatorPosition = TestView::belowItem;
    view.setDropIndicator(model.index(0, 0));
    EXPECT_EQ(view.priv()->dropIndicatorRect, view.itemRect);
    EXPECT_EQ(view.priv()->dropIndicatorPosition, TestView::onItem);
}

TEST_F(AbstractItemViewTest, DropIndicatorOfInvalidIndexIsNullButOnItem)
{
    view.priv()->dropIndicatorRect = QRect(1, 1, 5, 5);
    view.priv()->dropIndicatorPosition = TestView::aboveItem;
    view.setDropIndicator(QModelIndex());
    EXPECT_TRUE(view.priv()->dropIndicatorRect.isNull());
    EXPECT_EQ(view.priv()->dropIndicatorPosition, TestView::onItem);
}

TEST_F(AbstractItemViewTest, AutoScrollOffDoesNothing)
{
    view.setAutoScroll(false);
    view.startAutoScroll(view.area().topLeft());
    EXPECT_EQ(view.autoScrollInterval(), -1);
    EXPECT_EQ(view.priv()->autoScrollCount, 7);
}

TEST_F(AbstractItemViewTest, IntervalFollowsVerticalScrollMode)
{
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view.startAutoScroll(view.area().topLeft());
    EXPECT_EQ(view.autoScrollInterval(), 150);
    EXPECT_EQ(view.priv()->autoScrollCount, 0);

    // A second start restarts the running timer with the new interval and resets the count.
    view.priv()->autoScrollCount = 3;
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.startAutoScroll(view.area().bottomRight());
    EXPECT_EQ(view.autoScrollInterval(), 50);
    EXPECT_EQ(view.priv()->autoScrollCount, 0);
}

TEST_F(AbstractItemViewTest, EachEdgeOfTheMarginBand)
{
    const QRect r = view.area();
    const QPoint centre = r.center();
    // Just inside the band (margin - 1 from an edge) starts; exactly the margin away does not.
    const QPoint starting[] = {{centre.x(), r.top() + 9}, {centre.x(), r.bottom() - 9},
                               {r.left() + 9, centre.y()}, {r.right() - 9, centre.y()}};
    const QPoint quiet[] = {{centre.x(), r.top() + 10}, {centre.x(), r.bottom() - 10},
                            {r.left() + 10, centre.y()}, {r.right() - 10, centre.y()}};
    for (const QPoint &p : starting) {
        view.stopAutoScroll();
        view.startAutoScroll(p);
        EXPECT_NE(view.autoScrollInterval(), -1) << p.x() << "," << p.y();
    }
    for (const QPoint &p : quiet) {
        view.stopAutoScroll();
        view.startAutoScroll(p);
        EXPECT_EQ(view.autoScrollInterval(), -1) << p.x() << "," << p.y();
    }
}

TEST_F(AbstractItemViewTest, ZeroMarginStartsOnlyOutsideTheClipRectangle)
{
    view.setAutoScrollMargin(0);
    const QRect r = view.area();
    view.startAutoScroll(r.topLeft());
    view.startAutoScroll(r.bottomRight());
    EXPECT_EQ(view.autoScrollInterval(), -1);
    EXPECT_EQ(view.priv()->autoScrollCount, 7);

    view.startAutoScroll(QPoint(r.center().x(), r.top() - 1));
    EXPECT_NE(view.autoScrollInterval(), -1);
    view.stopAutoScroll();
    view.startAutoScroll(QPoint(r.right() + 5, r.center().y()));
    EXPECT_NE(view.autoScrollInterval(), -1);
}

TEST_F(AbstractItemViewTest, PointDeepInsideLeavesARunningTimerAlone)
{
    view.startAutoScroll(view.area().topLeft());
    const int id = view.priv()->autoScrollTimer.timerId();
    view.priv()->autoScrollCount = 4;
    view.startAutoScroll(view.area().center());
    EXPECT_EQ(view.priv()->autoScrollTimer.timerId(), id);
    EXPECT_NE(view.autoScrollInterval(), -1);
    EXPECT_EQ(view.priv()->autoScrollCount, 4);
}

TEST_F(AbstractItemViewTest, StopResetsTheCountEvenWhenStopped)
{
    view.setAutoScroll(false);
    view.stopAutoScroll();
    EXPECT_EQ(view.priv()->autoScrollCount, 0);

    view.setAutoScroll(true);
    view.startAutoScroll(view.area().topLeft());
    view.priv()->autoScrollCount = 2;
    view.stopAutoScroll();
    EXPECT_EQ(view.autoScrollInterval(), -1);
    EXPECT_EQ(view.priv()->autoScrollCount, 0);
}

}  // namespace
