// The editing view's questions about a design -- the selection's extent and middles, the
// bounds of everything -- and the objects its drags make, held near the page however wild the
// drag.
#include "ViewGestureSupport.h"

#include "kernel/base/FTClassID.h"
#include "kernel/text/CFTAText.h"
#include "kernel/text/CFTTextExt.h"

#include <gtest/gtest.h>

#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace {

using viewtest::Design;
using viewtest::frame;

struct Box
{
    double x, y, width, height, angle;
};

struct SelectionCase
{
    std::string name;
    std::vector<Box> boxes;
    QRectF extent;        // the selection's drawn extent
    QPointF centre;       // middle of the unturned frames
    QPointF turnedCentre; // middle of the turned frames
};

class SelectionQueryTest : public ::testing::TestWithParam<SelectionCase>
{
};

TEST_P(SelectionQueryTest, ExtentAndMiddlesOfTheSelectionAndBoundsOfEverything)
{
    const SelectionCase &c = GetParam();
    Design d;
    d.document->setDocumentSizeX(288), d.document->setDocumentSizeY(144);
    CFTBoxField *unselected = d.shape(100, 100, 10, 10);
    for (const Box &box : c.boxes) {
        CFTBoxField *made = d.shape(box.x, box.y, box.width, box.height);
        made->SetAngle(box.angle);
        d.view.select(made);
    }
    double x = -1, y = -1, w = -1, h = -1;
    d.view.getSelObjectsRect(&x, &y, &w, &h);
    EXPECT_NEAR(x, c.extent.x(), 1e-9);
    EXPECT_NEAR(y, c.extent.y(), 1e-9);
    EXPECT_NEAR(w, c.extent.width(), 1e-9);
    EXPECT_NEAR(h, c.extent.height(), 1e-9);
    d.view.getSelObjectsCenter(&x, &y);
    EXPECT_NEAR(x, c.centre.x(), 1e-9);
    EXPECT_NEAR(y, c.centre.y(), 1e-9);
    d.view.getSelObjectsMedianCenter(&x, nullptr);
    d.view.getSelObjectsMedianCenter(nullptr, &y);
    EXPECT_NEAR(x, c.turnedCentre.x(), 1e-9);
    EXPECT_NEAR(y, c.turnedCentre.y(), 1e-9);

    // The bounds of everything take in the unselected box too.
    QRectF all = c.extent | frame(unselected);
    if (c.boxes.empty())
        all = frame(unselected);
    d.view.GetObjectsBound(&x, &y, &w, &h);
    EXPECT_NEAR(x, all.x(), 1e-9);
    EXPECT_NEAR(y, all.y(), 1e-9);
    EXPECT_NEAR(w, all.width(), 1e-9);
    EXPECT_NEAR(h, all.height(), 1e-9);
}

constexpr double kQuarter = std::numbers::pi / 2.0;

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectionQueryTest,
    ::testing::Values(
        SelectionCase {"nothing", {}, QRectF(0, 0, 0, 0), QPointF(0, 0), QPointF(0, 0)},
        SelectionCase {"one", {{10, 20, 40, 30, 0}}, QRectF(10, 20, 40, 30), QPointF(30, 35), QPointF(30, 35)},
        SelectionCase {"several",
                       {{10, 20, 40, 30, 0}, {150, 5, 20, 10, 0}},
                       QRectF(10, 5, 160, 45),
                       QPointF(90, 27.5),
                       QPointF(90, 27.5)},
        // A quarter turn stands the 100 by 20 box upright about its middle (50, 30).
        SelectionCase {"rotated", {{0, 20, 100, 20, kQuarter}}, QRectF(40, -20, 20, 100), QPointF(50, 30),
                       QPointF(50, 30)},
        SelectionCase {"rotated_beside_unturned",
                       {{0, 20, 100, 20, kQuarter}, {100, 0, 20, 20, 0}},
                       QRectF(40, -20, 80, 100),
                       QPointF(60, 20),
                       QPointF(80, 30)},
        // Wholly left of and above the page: the middle is its own, never pulled to the origin.
        SelectionCase {"off_the_page",
                       {{-300, -200, 50, 40, 0}, {-120, -90, 20, 10, 0}},
                       QRectF(-300, -200, 200, 120),
                       QPointF(-200, -140),
                       QPointF(-200, -140)}),
    [](const auto &info) { return info.param.name; });

struct WildDragCase
{
    std::string name;
    toolMode tool;
    QPointF press;
    QPointF release;
    QRectF made; // the new object's frame
};

class WildDragTest : public ::testing::TestWithParam<WildDragCase>
{
};

// Pages are 288 by 144 points, so objects may reach twenty inches (1440 points) beyond them.
TEST_P(WildDragTest, ANewObjectStaysWithinTheMarginAroundThePage)
{
    const WildDragCase &c = GetParam();
    Design d;
    d.document->setDocumentSizeX(288), d.document->setDocumentSizeY(144);
    d.view.setToolMode(c.tool);
    d.drag(c.press.x(), c.press.y(), c.release.x(), c.release.y(), modifierCommand, 3);
    ASSERT_EQ(d.list().size(), 1u);
    const QRectF made = frame(d.list().front()).normalized();
    EXPECT_NEAR(made.left(), c.made.left(), 1e-6);
    EXPECT_NEAR(made.top(), c.made.top(), 1e-6);
    EXPECT_NEAR(made.right(), c.made.right(), 1e-6);
    EXPECT_NEAR(made.bottom(), c.made.bottom(), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WildDragTest,
    ::testing::Values(
        WildDragCase {"field_down_left", toolField, {50, 50}, {-1e7, 1e7}, QRectF(QPointF(-1440, 50), QPointF(50, 1584))},
        WildDragCase {"field_up_right", toolField, {50, 50}, {1e7, -1e7}, QRectF(QPointF(50, -1440), QPointF(1728, 50))},
        WildDragCase {"field_plain", toolField, {50, 50}, {80, 70}, QRectF(50, 50, 30, 20)},
        // A separator runs along the longer way of the drag: here down, to the margin's edge.
        WildDragCase {"separator_down_left", toolSeparator, {50, 50}, {-1e7, 1e7},
                      QRectF(QPointF(50, 50), QPointF(50, 1584))},
        WildDragCase {"separator_not_a_number", toolSeparator, {50, 50}, {std::numeric_limits<double>::quiet_NaN(), 90},
                      QRectF(QPointF(50, 50), QPointF(50, 90))}),
    [](const auto &info) { return info.param.name; });

// Objects selected together, the last of them far beyond the margin of the page and of the
// objects not selected: a press on it takes the whole selection along.
TEST(CFTAViewQueriesTest, APressOnAFarSelectedObjectMovesTheSelection)
{
    Design d;
    d.document->setDocumentSizeX(288), d.document->setDocumentSizeY(144);
    d.shape(10, 10, 20, 20); // not selected
    std::vector<CFTBoxField *> selected;
    for (int i = 0; i < 40; ++i)
        selected.push_back(d.shape(300.0 + 100.0 * i, 60, 20, 20));
    CFTBoxField *farthest = selected.back();
    ASSERT_GT(farthest->GetOriginX(), 288.0 + 1440.0) << "beyond the reach of page and unselected objects";
    for (CFTBoxField *box : selected)
        d.view.select(box);
    const QRectF before = frame(farthest);
    const QPointF press = before.center();
    const int result = d.drag(press.x(), press.y(), press.x() + 30.0, press.y() + 12.0, modifierCommand, 3);
    EXPECT_TRUE(result & mouseChanged);
    EXPECT_EQ(frame(farthest), before.translated(30.0, 12.0));
    EXPECT_EQ(frame(selected.front()), QRectF(330, 72, 20, 20)) << "the rest of the selection moves with it";
    EXPECT_TRUE(d.view.isSelected(selected.front()));
}

// Dragging objects outwards cannot carry them off step by step: every step is held to the reach
// measured at the press, however far the objects already went.
TEST(CFTAViewQueriesTest, ADragOutwardsIsHeldToTheReachOfItsPress)
{
    Design d;
    d.document->setDocumentSizeX(288), d.document->setDocumentSizeY(144);
    CFTBoxField *box = d.shape(100, 60, 20, 20);
    d.view.select(box);
    d.drag(110, 70, 1e7, 70, modifierCommand, 5);
    // The reach: the page and the box, with 1440 points beyond; the pointer stops at its edge.
    EXPECT_DOUBLE_EQ(box->GetOriginX(), 100.0 + (288.0 + 1440.0 - 110.0));
    const double reached = box->GetOriginX();
    d.drag(reached + 10, 70, 1e7, 70, modifierCommand, 5);
    EXPECT_GT(box->GetOriginX(), reached) << "a new press measures again, the box now part of it";
    EXPECT_LE(box->GetOriginX(), reached + 20.0 + 1440.0);
}

TEST(CFTAViewQueriesTest, TextBoxesAreMadeOverTheDraggedRectangleAndAddedToTheDesign)
{
    Design d;
    d.view.MouseLDown(80, 60, {});
    d.view.MouseMove(20, 100, {});
    CFTComponent *text = d.view.CreateTextBoxWithMouse();
    ASSERT_NE(dynamic_cast<CFTAText *>(text), nullptr);
    EXPECT_EQ(frame(text), QRectF(20, 60, 60, 40));
    CFTComponent *extended = d.view.CreateTextExtBoxWithMouse();
    ASSERT_NE(dynamic_cast<CFTTextExt *>(extended), nullptr);
    EXPECT_EQ(frame(extended), QRectF(20, 60, 60, 40));
    CFTComponent *atPress = d.view.CreateTextExtBoxWithMousePos();
    ASSERT_NE(atPress, nullptr);
    EXPECT_EQ(QPointF(atPress->GetOriginX(), atPress->GetOriginY()), QPointF(80, 60));
    EXPECT_EQ(d.list(), (std::vector<CFTComponent *> {text, extended, atPress}));
    d.view.MouseUp(20, 100, {});
}

} // namespace
