#include "app/pictures/CCImageEditorView.h"

#include "kernel/base/CAEnvironment.h"
#include "platform/PWImage.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// The crop canvas in a scroll area, as the editor holds it, on a white 200 x 100 image.
struct ShownCanvas
{
    ShownCanvas()
    {
        area.resize(320, 220);
        area.setWidgetResizable(false);
        view = new CCImageEditorView;
        area.setWidget(view);
        QImage white(200, 100, QImage::Format_ARGB32);
        white.fill(Qt::white);
        view->setPicture(PWImage::fromQImage(white));
        view->updateSize();
        area.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&area));
        view->setScaleFactor(1.0);
    }

    void send(QEvent::Type type, const QPointF &imagePoint, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        const QPointF at = view->widgetPoint(imagePoint);
        QMouseEvent event(type, at, view->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    }
    void drag(const QPointF &from, const QPointF &to)
    {
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, (from + to) / 2.0, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void wheel(int delta)
    {
        const QPointF at(10, 10);
        QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &event);
    }

    QScrollArea area;
    CCImageEditorView *view = nullptr;
};

TEST(CCImageEditorView, MouseDragDrawsTheSelectionInImageUnitsWithYUp)
{
    ShownCanvas c;
    QSignalSpy told(c.view, &CCImageEditorView::selectionChanged);
    c.drag(QPointF(20, 80), QPointF(120, 30));
    ASSERT_TRUE(c.view->isSelected());
    const QRectF selection = c.view->getSelection();
    EXPECT_NEAR(selection.x(), 20, 1e-6);
    EXPECT_NEAR(selection.y(), 30, 1e-6);
    EXPECT_NEAR(selection.width(), 100, 1e-6);
    EXPECT_NEAR(selection.height(), 50, 1e-6);
    EXPECT_GE(told.count(), 1);
    // A higher point on the screen is a larger y in the image.
    EXPECT_LT(c.view->widgetPoint(QPointF(0, 80)).y(), c.view->widgetPoint(QPointF(0, 30)).y());

    // A click outside the selection drops it, and the listener hears of it.
    const qsizetype before = told.count();
    c.send(QEvent::MouseButtonPress, QPointF(180, 90), Qt::LeftButton, Qt::LeftButton);
    c.send(QEvent::MouseButtonRelease, QPointF(180, 90), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(c.view->isSelected());
    EXPECT_GT(told.count(), before);
}

TEST(CCImageEditorView, OutsideTheSelectionIsDimmedAndTheImageFramed)
{
    ShownCanvas c;
    c.view->setSelection(QRectF(50, 25, 100, 50));
    const QImage shot = c.view->grab().toImage();
    const auto grey = [&](const QPointF &imagePoint) {
        const QPoint at = (c.view->widgetPoint(imagePoint) * shot.devicePixelRatio()).toPoint();
        return qGray(shot.pixel(at));
    };
    EXPECT_GT(grey(QPointF(100, 50)), 245) << "inside the selection the image shows as it is";
    EXPECT_LT(grey(QPointF(20, 50)), 200) << "outside the selection it is dimmed";
    EXPECT_LT(grey(QPointF(100, 90)), 200);
    c.view->setTouched(false);
    const QImage clear = c.view->grab().toImage();
    const QPoint outside = (c.view->widgetPoint(QPointF(20, 50)) * clear.devicePixelRatio()).toPoint();
    EXPECT_GT(qGray(clear.pixel(outside)), 245) << "without a selection nothing is dimmed";
}

TEST(CCImageEditorView, WheelStepsTheScaleAndTellsTheEditor)
{
    ShownCanvas c;
    QSignalSpy wheel(c.view, &CCImageEditorView::scrollWheelChanged);
    c.wheel(120);
    EXPECT_DOUBLE_EQ(c.view->getScaleFactor(), 1.025);
    c.view->setScaleFactor(1.2);
    c.wheel(-120);
    EXPECT_NEAR(c.view->getScaleFactor(), 1.0, 1e-12);
    EXPECT_EQ(wheel.count(), 2);
    // The canvas grows with the scale and is never smaller than the visible area.
    c.view->setScaleFactor(4.0);
    EXPECT_GE(c.view->width(), 800);
    EXPECT_GE(c.view->height(), 400);
    c.view->setScaleFactor(0.1);
    EXPECT_GE(c.view->width(), c.area.viewport()->width());
}

TEST(CCImageEditorView, RightClickFitsTheSelectionAndASecondReturns)
{
    ShownCanvas c;
    c.send(QEvent::MouseButtonPress, QPointF(100, 50), Qt::RightButton, Qt::RightButton);
    EXPECT_DOUBLE_EQ(c.view->getScaleFactor(), 1.0) << "nothing without a selection";
    c.drag(QPointF(150, 60), QPointF(170, 80));
    c.send(QEvent::MouseButtonPress, QPointF(160, 70), Qt::RightButton, Qt::RightButton);
    const QSizeF content = c.view->contentSize();
    EXPECT_NEAR(c.view->getScaleFactor(), std::min(content.width() / 24.0, content.height() / 24.0), 1e-9);
    // The selection's centre is brought to the middle of the visible area.
    const QPointF centre = c.view->widgetPoint(QPointF(160, 70));
    const QRect shown(c.area.horizontalScrollBar()->value(), c.area.verticalScrollBar()->value(),
                      c.area.viewport()->width(), c.area.viewport()->height());
    EXPECT_NEAR(centre.x(), shown.center().x(), 2.0);
    EXPECT_NEAR(centre.y(), shown.center().y(), 2.0);
    c.send(QEvent::MouseButtonPress, QPointF(160, 70), Qt::RightButton, Qt::RightButton);
    EXPECT_DOUBLE_EQ(c.view->getScaleFactor(), 1.0);
}

TEST(CCImageEditorView, HoverCursorFollowsTheZones)
{
    ShownCanvas c;
    c.view->setSelection(QRectF(50, 25, 100, 50));
    const auto cursorAt = [&](const QPointF &imagePoint) {
        c.send(QEvent::MouseMove, imagePoint, Qt::NoButton, Qt::NoButton);
        return c.view->cursor().pixmap().toImage();
    };
    const auto picture = [](int type) { return CAEnvironment::cursorFromType(type).pixmap().toImage(); };
    ASSERT_NE(picture(0), picture(8)) << "the cursor pictures tell the zones apart";
    EXPECT_EQ(cursorAt(QPointF(100, 50)), picture(8));
    EXPECT_EQ(cursorAt(QPointF(51, 50)), picture(0));
    EXPECT_EQ(cursorAt(QPointF(100, 74)), picture(1));
    EXPECT_EQ(cursorAt(QPointF(153, 78)), picture(3));
    EXPECT_EQ(cursorAt(QPointF(10, 10)), picture(4));
}

} // namespace
