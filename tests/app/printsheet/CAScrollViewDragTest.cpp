// The hand drag of the page container, driven by real mouse events.
#include "app/document/CAScrollView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Container
{
    explicit Container(QSize pageSize, int mode = 0)
    {
        view.resize(400, 300);
        auto *page = new QWidget;
        page->resize(pageSize);
        view.setPage(page);
        view.setGUIMode(mode);
        view.show();
    }
    QPoint pageOrigin() const { return view.page()->pos(); }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(&view, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), view.mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
    }
    CAScrollView view;
};

} // namespace

TEST(CAScrollViewDragTest, SmallPageSnapsBackToTheCentreAfterADrag)
{
    Container c(QSize(200, 100));
    EXPECT_EQ(c.pageOrigin(), QPoint(100, 100));
    c.drag(QPoint(150, 150), QPoint(20, 30));
    EXPECT_EQ(c.pageOrigin(), QPoint(100, 100));
}

TEST(CAScrollViewDragTest, LargePageIsDraggedUntilItsEdgeMeetsTheContainer)
{
    Container c(QSize(800, 500));
    EXPECT_EQ(c.pageOrigin(), QPoint(0, 0));
    c.drag(QPoint(300, 200), QPoint(200, 150));
    EXPECT_EQ(c.pageOrigin(), QPoint(-100, -50));
    c.drag(QPoint(300, 200), QPoint(0, 0));
    EXPECT_EQ(c.pageOrigin(), QPoint(-400, -200));
    c.drag(QPoint(10, 10), QPoint(390, 290));
    EXPECT_EQ(c.pageOrigin(), QPoint(-20, 0));
}

TEST(CAScrollViewDragTest, OtherModesDoNotDrag)
{
    for (int mode : {1, 2}) {
        Container c(QSize(800, 500), mode);
        c.drag(QPoint(300, 200), QPoint(200, 150));
        EXPECT_EQ(c.pageOrigin(), QPoint(0, 0)) << "mode " << mode;
    }
}

TEST(CAScrollViewDragTest, ResizingTheContainerKeepsThePageInView)
{
    Container c(QSize(800, 500));
    c.drag(QPoint(300, 200), QPoint(0, 0));
    ASSERT_EQ(c.pageOrigin(), QPoint(-300, -200));
    c.view.resize(600, 400);
    EXPECT_EQ(c.pageOrigin(), QPoint(-200, -100));
    c.view.resize(1000, 700);
    EXPECT_EQ(c.pageOrigin(), QPoint(100, 100));
}
