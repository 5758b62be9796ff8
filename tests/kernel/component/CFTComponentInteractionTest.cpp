#include "kernel/component/CFTComponent.h"

#include "ComponentTestSupport.h"
#include "kernel/render/CDDDrawer.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

void expectNear(const QList<double> &actual, const QList<double> &expected, double tolerance = 1e-9)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "value " << i;
}

TEST(CFTComponentInteractionTest, PicksTheBorderBandAndTheHandleUnderThePoint)
{
    CFTComponent component(100, 100, 50, 40);
    bool selected = false;
    actionType action = actionNone;
    EXPECT_EQ(component.PickMe(101, 120, selected, 3, action, 0), &component);
    EXPECT_EQ(action, actionFrame);
    EXPECT_EQ(component.PickMe(97.5, 120, selected, 3, action, 0), &component);
    // Inside, but farther than the tolerance from every edge.
    EXPECT_EQ(component.PickMe(125, 120, selected, 3, action, 0), nullptr);
    EXPECT_EQ(action, actionNone);
    // Near the line of an edge, but beyond the grown rectangle.
    EXPECT_EQ(component.PickMe(101, 200, selected, 3, action, 0), nullptr);
    EXPECT_EQ(component.TestMe(150, 140, selected, 3), &component);
    CFTComponent atOrigin(0, 0, 100, 60);
    const struct { double x, y; int handle; } cases[] = {{0, 0, 5}, {1, 30, 6}, {-2, 60, 7}, {50, 0, 9}, {50, 61, 11},
        {100, 0, 13}, {99, 30, 14}, {100, 60, 15}, {3, 0, 0}, {30, 30, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(atOrigin.PickMyDot(c.x, c.y, 3), c.handle) << c.x << ", " << c.y;
}

TEST(CFTComponentInteractionTest, NarrowRectanglesPreferLeftHandlesAndDraggingMirrorsPastTheOppositeEdge)
{
    // Narrower than twice the tolerance: the left edge is tested first.
    EXPECT_EQ(CFTComponent::PickDot(2, 2, 3, 0, 0, 4, 4), 5);
    for (const auto &[a, b] : {std::pair {5, 13}, std::pair {6, 14}, std::pair {7, 15}}) {
        EXPECT_EQ(CFTComponent::ConvertDotNumberX(a), b);
        EXPECT_EQ(CFTComponent::ConvertDotNumberX(b), a);
    }
    for (const auto &[a, b] : {std::pair {5, 7}, std::pair {13, 15}, std::pair {9, 11}}) {
        EXPECT_EQ(CFTComponent::ConvertDotNumberY(a), b);
        EXPECT_EQ(CFTComponent::ConvertDotNumberY(b), a);
    }
    const struct { int handle; double dx, dy; int handleAfter; QRectF rectAfter; } cases[] = {
        {15, 10, 5, 15, QRectF(100, 100, 50, 25)}, {5, 10, 5, 5, QRectF(110, 105, 30, 15)},         // grows; shrinks
        {13, -60, 0, 5, QRectF(80, 100, 20, 20)}, {6, 50, 0, 14, QRectF(140, 100, 10, 20)},         // past left; past right
        {9, 7, 30, 11, QRectF(100, 120, 40, 10)}, {15, -50, -30, 5, QRectF(90, 90, 10, 10)},        // past bottom; both
        {14, 10, 99, 14, QRectF(100, 100, 50, 20)}};                                                 // side ignores the other axis
    for (const auto &c : cases) {
        CFTComponent component(100, 100, 40, 20);
        int handle = c.handle;
        component.MoveDot(handle, c.dx, c.dy, nullptr);
        EXPECT_EQ(handle, c.handleAfter) << c.handle << " by " << c.dx << ", " << c.dy;
        EXPECT_EQ(component.GetNSBoundRect(), c.rectAfter) << c.handle << " by " << c.dx << ", " << c.dy;
    }
}

TEST(CFTComponentInteractionTest, StartOperationRemembersTheGeometryInItsModesOnly)
{
    CFTComponent component(1, 2, 3, 4);
    component.StartOperation(operCreatePending, nullptr, 0, 13);
    EXPECT_FALSE(component.isOperating());
    component.StartOperation(operResize, nullptr, 0, 13);
    EXPECT_TRUE(component.isOperating());
    EXPECT_EQ(component.GetLastOperDot(), 13);
    component.SetOrigin(10, 20);
    EXPECT_EQ(component.GetNSLastRect(), QRectF(1, 2, 3, 4));
    component.EndOperation(operResize);
    EXPECT_FALSE(component.isOperating());
}

// The group of two components spans (0, 0)-(200, 100); it is squeezed and stretched.
class GroupResizeTest : public ::testing::Test
{
protected:
    void start(CFTComponent &component)
    {
        view.setSmartSelectionMode(true);
        view.deselectAll();
        view.select(&group);
        component.StartOperation(operResize, &view, 0, 15);
    }
    comptest::TestCoreView view;
    // The selection's extent is what the group factors are taken against.
    CFTComponent group {0, 0, 200, 100};
};

TEST_F(GroupResizeTest, UnturnedComponentsKeepTheirPlaceTurnedOnesGrowByTheStepAndEmptyGroupsGiveFiniteFactors)
{
    CFTComponent component(100, 50, 100, 50);
    start(component);
    component.ResizeWithGroupSize(0, 0, 200, 100, 10, 20, 400, 50, false, false);
    EXPECT_EQ(component.GetNSBoundRect(), QRectF(210, 45, 200, 25));
    // Squeezed to nothing, an unturned component may reach zero size.
    component.ResizeWithGroupSize(0, 0, 400, 50, 0, 0, 0, 0, false, false);
    EXPECT_EQ(QSizeF(component.GetSizeX(), component.GetSizeY()), QSizeF(0, 0));
    CFTComponent turned(0, 0, 100, 50);
    turned.SetAngle(kPi / 2.0);
    start(turned);
    turned.ResizeWithGroupSize(0, 0, 200, 100, 0, 0, 240, 100, false, false);
    // A quarter turn: the group's extra width goes into the component's height.
    expectNear({turned.GetSizeX(), turned.GetSizeY()}, {100, 50 + 40 * 0.25});
    turned.ResizeWithGroupSize(0, 0, 240, 100, 0, 0, 0, 0, false, false);
    EXPECT_EQ(QSizeF(turned.GetSizeX(), turned.GetSizeY()), QSizeF(1, 1));
    CFTComponent zeroWidth(10, 0, 0, 50);
    view.setSmartSelectionMode(true);
    view.deselectAll();
    view.select(&zeroWidth);
    zeroWidth.StartOperation(operResize, &view, 0, 11);
    zeroWidth.ResizeWithGroupSize(10, 0, 0, 50, 10, 0, 0, 100, false, false);
    EXPECT_TRUE(std::isfinite(zeroWidth.GetOriginX()));
    EXPECT_EQ(zeroWidth.GetSizeY(), 100);
}

TEST(CFTComponentInteractionTest, ScalingAndTurningKeepTheCentreAndTheAngleWithinHalfATurn)
{
    CFTComponent flat(10, 20, 30, 40);
    flat.updateCoordWithKoeff(2, 0.5, 0, 0);
    EXPECT_EQ(flat.GetNSBoundRect(), QRectF(20, 10, 60, 20));
    CFTComponent turned(10, 20, 30, 40);
    turned.SetAngle(kPi);
    turned.updateCoordWithKoeff(2, 2, 0, 0);
    expectNear({turned.GetOriginX() + turned.GetSizeX() / 2.0, turned.GetSizeX(), turned.GetSizeY()}, {50, 60, 80});
    const struct { double angle, delta, expected; } cases[] = {{-3.1, 0.1, -3.2 + 2 * kPi}, {3.1, -0.1, 3.2 - 2 * kPi},
        {1.0, -1.0, 2.0}, {0.0, 7.0 * kPi + 0.25, -kPi - 0.25 + 2 * kPi}};
    for (const auto &c : cases) {
        CFTComponent component(0, 0, 10, 10);
        component.SetAngle(c.angle);
        component.Rotate(c.delta, 5, 5);
        EXPECT_NEAR(component.GetAngle(), c.expected, 1e-9) << c.angle << " + " << c.delta;
        EXPECT_LE(std::fabs(component.GetAngle()), kPi);
    }
    CFTComponent component(90, -10, 20, 20); // centred on (100, 0)
    component.Rotate(-kPi / 2.0, 0, 0);
    // A quarter turn on a y-down page takes (100, 0) to (0, 100); the size stays.
    expectNear({component.GetAngle(), component.GetOriginX() + 10, component.GetOriginY() + 10, component.GetSizeX()},
               {kPi / 2.0, 0, 100, 20});
}

TEST(CFTComponentInteractionTest, MouseRotationUsesTheChangeOfDirectionAndRadialMovesGoAwayFromThePivot)
{
    CFTComponent component(-10, -10, 20, 20);
    // From the right of the pivot to below it: a quarter turn clockwise on the page.
    component.Rotate(0, 50, 50, 0, 0, 0);
    EXPECT_NEAR(component.GetAngle(), kPi / 2.0, 1e-12);
    // A mouse exactly on the pivot has no direction and turns nothing.
    component.Rotate(0, 0, 0, 0, 0, 0);
    EXPECT_NEAR(component.GetAngle(), kPi / 2.0, 1e-12);
    CFTComponent pushed(90, -10, 20, 20);
    pushed.ChangeObjectRadius(5, 0, 0);
    expectNear({pushed.GetOriginX(), pushed.GetOriginY()}, {95, -10});
    CFTComponent dragged(90, -10, 20, 20);
    dragged.ChangeObjectRadius(110, 100, 0, 0, 0, 0);
    EXPECT_NEAR(dragged.GetOriginX(), 100, 1e-9);
}

TEST(CFTComponentInteractionTest, CursorSquaresAndDrawRectanglesFollowTheTurn)
{
    CFTComponent component(0, 0, 100, 40);
    SRect rects[2];
    EXPECT_EQ(component.getCursorRectsByType(cursorResizeHorizontal, rects, false, 3), 0);
    ASSERT_EQ(component.getCursorRectsByType(cursorResizeHorizontal, rects, true, 3), 2);
    EXPECT_EQ(rects[0], (SRect {-3, 17, 6, 6}));
    EXPECT_EQ(rects[1], (SRect {97, 17, 6, 6}));
    EXPECT_EQ(component.getCursorRectsByType(cursorType(7), rects, true, 3), 0);
    component.SetAngle(kPi / 2.0);
    ASSERT_EQ(component.getCursorRectsByType(cursorResizeHorizontal, rects, true, 3), 2);
    // The top and bottom middle handles, turned to the left and right of the centre (50, 20).
    expectNear({rects[0].x + 3, rects[0].y + 3, rects[1].x + 3, rects[1].width}, {70, 20, 30, 6});
    CFTComponent turned(0, 0, 100, 20);
    turned.SetAngle(kPi / 2.0);
    double l, t, r, b;
    turned.GetDrawRect(&l, &t, &r, &b, false);
    expectNear({l, t, r, b}, {40, -40, 60, 60});
    turned.GetDrawRect(nullptr, nullptr, nullptr, nullptr, true);
    const QRectF grown = turned.GetNSDrawRect(true, 4);
    expectNear({grown.left(), grown.width(), turned.GetNSDrawRect(false, 4).height()}, {38, 24, 100}, 1e-4);
}

TEST(CFTComponentInteractionTest, RubberBandsMeetInEitherCornerOrderAndHandlesAreDrawnOnlyWithAView)
{
    // The last band lies wholly inside the turned component and touches none of its edges.
    const struct { double angle; QRectF band; bool hits; } cases[] = {{0, QRectF(90, 90, 20, 20), true},
        {0, QRectF(120, 110, 10, 10), true}, {0, QRectF(0, 0, 50, 50), false}, {0.3, QRectF(90, 120, 30, 10), true},
        {0.3, QRectF(145, 120, 10, 10), false}};
    for (const auto &c : cases) {
        CFTComponent component(100, 100, 100, 50);
        component.SetAngle(c.angle);
        const QRectF b = c.band;
        EXPECT_EQ(QList<bool>({component.isIntersectRect(b.left(), b.top(), b.right(), b.bottom()),
                               component.isIntersectRect(b.right(), b.bottom(), b.left(), b.top()),
                               component.isIntersectRect(b.right(), b.top(), b.left(), b.bottom())}),
                  QList<bool>(3, c.hits)) << c.angle << " " << b.x() << ", " << b.y();
    }
    QImage image(60, 60, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDDDrawer drawer(true, &painter);
    CFTComponent component(10, 10, 40, 40);
    component.DrawSelection(&drawer, nullptr);
    painter.end();
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::white));
    QPainter again(&image);
    drawer.SetPainter(&again);
    comptest::TestCoreView view;
    component.DrawSelection(&drawer, &view);
    again.end();
    bool corner = false;
    for (int d = -3; d <= 3 && !corner; ++d)
        corner = image.pixelColor(50 + d, 50 + d) != QColor(Qt::white);
    EXPECT_TRUE(corner);
    EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::white));
}

} // namespace
