// The canvas's arithmetic without a widget: scale, frame, mouse points and keys.
#include "app/canvas/CACanvasGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(CACanvasGeometryTest, ScaleIsTheScreenResolutionOverSeventyTwoTimesTheZoom)
{
    const struct
    {
        double dpi, zoom, scale;
    } cases[] = {{72, 1.0, 1.0}, {96, 1.0, 4.0 / 3.0}, {96, 2.0, 8.0 / 3.0}, {144, 0.5, 1.0}, {0, 1.5, 1.5}, {-5, 1, 1}};
    for (const auto &c : cases) {
        CACanvasGeometry geometry;
        geometry.setResolution(CACanvasGeometry::resolutionFactor(c.dpi));
        geometry.setZoom(c.zoom);
        EXPECT_DOUBLE_EQ(geometry.scale(), c.scale) << c.dpi << " dpi at " << c.zoom;
    }
    CACanvasGeometry geometry;
    geometry.setZoom(2.0);
    geometry.setZoom(0.0);
    geometry.setZoom(-1.0);
    EXPECT_DOUBLE_EQ(geometry.zoom(), 2.0);
}

TEST(CACanvasGeometryTest, MousePositionsBecomeDesignPointsHalfAPixelBack)
{
    CACanvasGeometry geometry;
    geometry.setResolution(2.0);
    geometry.setZoom(1.5); // three pixels a point
    geometry.setFrame(QRectF(-30, -10, 300, 200));
    const QPointF point = geometry.documentPoint(QPointF(90, 30));
    EXPECT_DOUBLE_EQ(point.x(), -30 + 30 - 0.5 / 3);
    EXPECT_DOUBLE_EQ(point.y(), -10 + 10 - 0.5 / 3);
    // Back again, the half pixel aside.
    EXPECT_EQ(geometry.widgetPoint(QPointF(0, 0)), QPointF(90, 30));
    EXPECT_EQ(geometry.widgetRect(QRectF(0, 0, 10, 20)), QRectF(90, 30, 30, 60));
    EXPECT_EQ(geometry.pixelSize(), QSize(900, 600));
    // Drags measure the same at every zoom.
    const QPointF a = geometry.documentPoint(QPointF(10, 10));
    const QPointF b = geometry.documentPoint(QPointF(40, 70));
    EXPECT_DOUBLE_EQ(b.x() - a.x(), 10.0);
    EXPECT_DOUBLE_EQ(b.y() - a.y(), 20.0);
}

TEST(CACanvasGeometryTest, KeysBecomeTheViewsModifiers)
{
    const struct
    {
        Qt::KeyboardModifiers keys;
        modifierKeys expected;
    } cases[] = {
        {Qt::NoModifier, {}},
        {Qt::ShiftModifier, modifierShift},
        {Qt::AltModifier, modifierOption},
        {Qt::ControlModifier, modifierCommand},
        {Qt::MetaModifier, {}},
        {Qt::ShiftModifier | Qt::ControlModifier, modifierShift | modifierCommand},
        {Qt::AltModifier | Qt::ControlModifier | Qt::ShiftModifier, modifierShift | modifierOption | modifierCommand},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CACanvasGeometry::modifiers(c.keys), c.expected) << c.keys.toInt();
}

TEST(CACanvasGeometryTest, FrameGrowsToObjectsOutsideThePageOnTheirSideOnly)
{
    const QRectF page(0, 0, 200, 100);
    const struct
    {
        QRectF objects;
        double margin;
        QRectF frame;
    } cases[] = {
        {QRectF(), 20.0, page},
        {QRectF(10, 10, 50, 50), 20.0, page},
        {QRectF(-40, 10, 50, 50), 20.0, QRectF(-60, 0, 260, 100)},
        {QRectF(10, -5, 20, 20), 20.0, QRectF(0, -25, 200, 125)},
        {QRectF(190, 90, 30, 40), 20.0, QRectF(0, 0, 240, 150)},
        {QRectF(-10, -10, 300, 200), 20.0, QRectF(-30, -30, 340, 240)},
        // The margin of 20 screen pixels at 400 %.
        {QRectF(-40, 10, 50, 50), 5.0, QRectF(-45, 0, 245, 100)},
        {QRectF(-40, 10, 50, 50), -3.0, QRectF(-40, 0, 240, 100)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CACanvasGeometry::frameFor(page, c.objects, c.margin), c.frame) << c.objects.x() << "," << c.objects.y();
}

TEST(CACanvasGeometryTest, ADuplicateStepsTenPointsOnAndStaysOnTheCard)
{
    // A card of 144 by 108 points.
    const QSizeF card(144, 108);
    const struct
    {
        const char *name;
        QRectF objects;
        QPointF offset;
    } cases[] = {
        {"in the middle", QRectF(40, 40, 30, 20), QPointF(10, 10)},
        {"at the bottom edge", QRectF(40, 95, 60, 10), QPointF(10, -10)},
        {"at the right edge", QRectF(120, 40, 20, 20), QPointF(-10, 10)},
        {"in the bottom right corner", QRectF(120, 90, 20, 15), QPointF(-10, -10)},
        {"running past the bottom", QRectF(40, 100, 30, 20), QPointF(10, -12)},
        {"hanging over the bottom, the copy still on the card", QRectF(40, 90, 30, 30), QPointF(10, 10)},
        {"as tall as the card", QRectF(10, 0, 30, 108), QPointF(10, 10)},
        {"taller than the card", QRectF(10, -5, 30, 120), QPointF(10, 10)},
        {"a line of no height", QRectF(10, 104, 60, 0), QPointF(10, -10)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CACanvasGeometry::duplicateOffset(c.objects, card, 10.0), c.offset) << c.name;
    // Where that place is taken (the object copied, an earlier copy), the nearest free whole steps
    // that keep the copy on the card; with none free, the step as before.
    const QRectF corner(120, 90, 20, 15);
    const auto takenAt = [](QList<QPointF> moves) {
        return [moves](const QPointF &move) { return moves.contains(move); };
    };
    EXPECT_EQ(CACanvasGeometry::duplicateOffset(corner, card, 10.0, takenAt({{-10, -10}})), QPointF(-10, -20));
    EXPECT_EQ(CACanvasGeometry::duplicateOffset(corner, card, 10.0, takenAt({{-10, -10}, {-10, -20}})), QPointF(-20, -10));
    EXPECT_EQ(CACanvasGeometry::duplicateOffset(QRectF(40, 40, 30, 20), card, 10.0, takenAt({{10, 10}})), QPointF(10, -10));
    EXPECT_EQ(CACanvasGeometry::duplicateOffset(QRectF(0, 0, 144, 108), card, 10.0, [](const QPointF &) { return true; }),
              QPointF(10, 10));
}

TEST(CACanvasGeometryTest, FitZoomLeavesFortyPointsAndStaysBetweenHalfAndThreeTimes)
{
    const struct
    {
        QSizeF page, room;
        double zoom;
    } cases[] = {
        {{160, 60}, {400, 400}, 2.0},      // width limits: 400 / 200
        {{60, 160}, {400, 300}, 1.5},      // height limits: 300 / 200
        {{10, 10}, {1000, 1000}, 3.0},     // clamped up high
        {{1000, 1000}, {100, 100}, 0.5},   // clamped low
        {{100, 100}, {0, 300}, 1.0},       // no room yet
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(CACanvasGeometry::fitZoom(c.page, c.room), c.zoom) << c.page.width();
}

} // namespace

namespace {

TEST(CACanvasGeometryTest, DragStepsAskNotToSnapWithCtrlOrWithSnappingOffInThePreferences)
{
    const struct
    {
        Qt::KeyboardModifiers keys;
        bool snapOn;
        modifierKeys expected;
    } cases[] = {
        {Qt::NoModifier, true, {}},
        {Qt::ControlModifier, true, modifierCommand},
        {Qt::NoModifier, false, modifierCommand},
        {Qt::ShiftModifier, false, modifierShift | modifierCommand},
        {Qt::ControlModifier, false, modifierCommand},
        {Qt::ShiftModifier, true, modifierShift},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CACanvasGeometry::dragModifiers(c.keys, c.snapOn), c.expected) << c.keys.toInt() << c.snapOn;
}

TEST(CACanvasGeometryTest, OnlyAMoveWithAltHeldDragsTheSelectionOut)
{
    EXPECT_TRUE(CACanvasGeometry::isDragOut(Qt::AltModifier, true));
    EXPECT_TRUE(CACanvasGeometry::isDragOut(Qt::AltModifier | Qt::ControlModifier, true));
    EXPECT_FALSE(CACanvasGeometry::isDragOut(Qt::ControlModifier, true));
    EXPECT_FALSE(CACanvasGeometry::isDragOut(Qt::AltModifier | Qt::ControlModifier, false));
}

} // namespace

TEST(CACanvasGeometryTest, FrameFillsTheRoomWithThePageInItsMiddleAndGrowsToTheObjects)
{
    const QRectF page(0, 0, 200, 100);
    const struct
    {
        const char *name;
        QRectF content;
        QSizeF room;
        QRectF frame;
    } cases[] = {
        {"no room: the content alone", page, QSizeF(), page},
        {"a page smaller than the room is centred", page, QSizeF(400, 300), QRectF(-100, -100, 400, 300)},
        // Wider than the room: the margin of 10 beside the page, the height still centred.
        {"a page wider than the room", page, QSizeF(150, 300), QRectF(-10, -100, 220, 300)},
        // An object out of the room's window grows the frame on its side; the page stays where it
        // was in the room.
        {"objects right of the page", QRectF(0, 0, 330, 100), QSizeF(400, 300), QRectF(-100, -100, 430, 300)},
        {"objects beyond the room", QRectF(-50, 0, 600, 100), QSizeF(400, 300), QRectF(-100, -100, 650, 300)},
        {"objects beyond the room on both sides", QRectF(-150, 0, 600, 100), QSizeF(400, 300), QRectF(-150, -100, 600, 300)},
        {"objects above the page", QRectF(0, -180, 200, 280), QSizeF(400, 300), QRectF(-100, -180, 400, 380)},
        {"objects inside the room's window", QRectF(-60, -90, 300, 280), QSizeF(400, 300), QRectF(-100, -100, 400, 300)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CACanvasGeometry::frameInRoom(c.content, page, c.room, 10.0), c.frame) << c.name;
}

TEST(CACanvasGeometryTest, AFrameThatFillsTheRoomIsNoPixelLarger)
{
    CACanvasGeometry geometry;
    geometry.setResolution(96.0 / 72.0);
    geometry.setZoom(0.73);
    const QSize room(811, 577);
    geometry.setFrame(CACanvasGeometry::frameInRoom(QRectF(0, 0, 200, 100), QRectF(0, 0, 200, 100),
                                                    QSizeF(room) / geometry.scale(), 5.0));
    EXPECT_EQ(geometry.pixelSize(), room);
}
