// The separator: dragged out freely, squared at the end of every operation, picked within its
// bounds, two end handles, and its own line width in the archive.

#include "kernel/drawing/CFTSeparator.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDColor.h"
#include "kernel/render/CDDDrawer.h"

#include "ReferenceImage.h"

#include <gtest/gtest.h>

namespace {

TEST(CFTSeparatorTest, EndOfOperationSquaresTheLine)
{
    // Wider than tall, negative width taller still, negative width, negative height, equal counts as horizontal.
    for (const auto &[before, after, vertical] : {std::tuple {QRectF(10, 10, 60, 25), QRectF(10, 10, 60, 0), false},
                                                  {QRectF(10, 10, -40, 70), QRectF(10, 10, 0, 70), true},
                                                  {QRectF(100, 10, -50, 20), QRectF(50, 10, 50, 0), false},
                                                  {QRectF(10, 100, 5, -30), QRectF(10, 70, 0, 30), true},
                                                  {QRectF(0, 0, 30, 30), QRectF(0, 0, 30, 0), false}}) {
        CFTSeparator separator(before.x(), before.y(), before.width(), before.height(), nullptr);
        separator.StartOperation(operMovePending, nullptr, 0, 6);
        separator.EndOperation(operMovePending);
        EXPECT_EQ(separator.GetNSBoundRect(), after) << before.width() << "x" << before.height();
        EXPECT_EQ(separator.isVert(), vertical);
    }
}

TEST(CFTSeparatorTest, DraggedOutFreelyWhileSizingAndByItsHandlesOtherwise)
{
    CFTSeparator separator(10, 10, 1, 1, nullptr);
    separator.StartOperation(operCreatePending, nullptr, 0, 15);
    EXPECT_TRUE(separator.isSizing());
    EXPECT_EQ(separator.GetLastOperDot(), 0);
    // While it is made, any handle pulls the far end: even up and past the start, unmirrored.
    int handle = 5;
    separator.MoveDot(handle, 10, -5, nullptr);
    EXPECT_EQ(QList<double>({separator.GetSizeX(), separator.GetSizeY(), double(handle)}), QList<double>({11, -4, 5}));
    separator.EndOperation(operCreatePending);
    EXPECT_FALSE(separator.isSizing());
    EXPECT_EQ(separator.GetNSBoundRect(), QRectF(10, 10, 11, 0));

    CFTSeparator moved(10, 10, 100, 0, nullptr);
    moved.StartOperation(operMovePending, nullptr, 0, 14);
    EXPECT_FALSE(moved.isSizing());
    handle = 6;
    moved.MoveDot(handle, 30, 0, nullptr);
    EXPECT_EQ(moved.GetNSBoundRect(), QRectF(40, 10, 70, 0));
}

TEST(CFTSeparatorTest, EndHandlesCursorsAndPickingWithinItsWidenedBounds)
{
    CFTSeparator separator(100, 50, 40, 0, nullptr);
    EXPECT_EQ(QList<int>({separator.PickMyDot(101, 51, 3), separator.PickMyDot(139, 50, 3), separator.PickMyDot(120, 50, 3)}),
              QList<int>({6, 14, 0}));
    SRect rects[2];
    EXPECT_EQ(separator.getCursorRectsByType(cursorResizeVertical, rects, true, 3), 0);
    EXPECT_EQ(separator.getCursorRectsByType(cursorResizeHorizontal, rects, false, 3), 0);
    ASSERT_EQ(separator.getCursorRectsByType(cursorResizeHorizontal, rects, true, 3), 2);
    EXPECT_EQ(rects[1], (SRect {137, 47, 6, 6}));
    CFTSeparator vertical(100, 50, 0, 40, nullptr);
    EXPECT_EQ(QList<int>({vertical.PickMyDot(100, 50, 3), vertical.PickMyDot(100, 90, 3)}), QList<int>({9, 11}));
    EXPECT_EQ(vertical.getCursorRectsByType(cursorResizeVertical, rects, true, 3), 2);

    const struct
    {
        double x, y;
        bool hit;
    } picks[] = {{120, 51, true}, {120, 53, false}, {98, 50, true}, {200, 50, false}};
    for (const auto &c : picks) {
        bool selected = false;
        actionType action = actionFrame;
        EXPECT_EQ(separator.PickMe(c.x, c.y, selected, 3, action, 0), c.hit ? &separator : nullptr) << c.x << ", " << c.y;
        EXPECT_EQ(action, actionFrame) << "a separator leaves the zone as it was";
    }
}

TEST(CFTSeparatorTest, BoundsCarryTheLineWidth)
{
    CFTSeparator separator(10, 20, 100, 0, nullptr);
    separator.SetLineWidth(4);
    EXPECT_EQ(separator.GetNSDrawRect(false, 0), QRectF(8, 16, 106, 10));
    EXPECT_EQ(separator.GetNSDrawRect(true, 6), QRectF(5, 15, 112, 12));
    // A line shorter than a point still covers one; null outputs are skipped.
    double r, b;
    CFTSeparator near(0, 0, 0.2, 0, nullptr);
    near.GetDrawRect(nullptr, nullptr, &r, &b, false);
    EXPECT_DOUBLE_EQ(r, 1.2);
    EXPECT_DOUBLE_EQ(b, 1.0);
}

TEST(CFTSeparatorTest, SavesOnePenWidthThatBothPensTake)
{
    CFTSeparator separator(1, 2, 50, 0, nullptr);
    separator.SetLineWidth(2.5);
    CDDArchive archive(true);
    separator.Serialize(archive, nullptr);
    archive.setStoring(false);
    CFTSeparator loaded;
    loaded.Serialize(archive, nullptr);
    EXPECT_EQ(QList<float>({loaded.GetStrokeWidth(), loaded.CFTComponent::GetStrokeWidth()}), QList<float>({2.5f, 2.5f}));
    EXPECT_TRUE(loaded.IsStroked());
}

// The line colour is the one colour the separator draws and saves: set as its outline (the way a
// user colours a line) it is drawn, written under "Color" and read back as both colours.
TEST(CFTSeparatorTest, TheLineColourIsTheColourDrawnAndSaved)
{
    CFTSeparator separator(10, 20, 140, 0, nullptr);
    separator.SetLineWidth(4);
    const CDDColor green(0.1f, 0.7f, 0.2f, 1.0f);
    separator.SetStrokeColor(&green);
    EXPECT_EQ(*separator.GetStrokeColor(), green);
    EXPECT_EQ(*separator.GetFillColor(), green) << "one colour";
    const QImage image = drawtest::render(QSizeF(160, 40), 1, [&separator](CDDDrawer &drawer) {
        separator.Draw(&drawer, false, nullptr, false, true);
    });
    const QColor drawn = image.pixelColor(80, 20);
    EXPECT_NEAR(drawn.redF(), 0.1, 0.02);
    EXPECT_NEAR(drawn.greenF(), 0.7, 0.02);
    EXPECT_NEAR(drawn.blueF(), 0.2, 0.02);

    CDDArchive archive(true);
    separator.Serialize(archive, nullptr);
    archive.setStoring(false);
    CFTSeparator loaded;
    loaded.Serialize(archive, nullptr);
    EXPECT_EQ(*loaded.GetStrokeColor(), green);
    CDDColor saved;
    ASSERT_TRUE(archive.GetData(QStringLiteral("Color"), saved));
    EXPECT_EQ(saved, green) << "saved as the line colour it always was";
}

} // namespace
