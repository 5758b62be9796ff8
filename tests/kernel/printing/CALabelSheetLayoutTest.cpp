#include "kernel/printing/CALabelSheetLayout.h"

#include "kernel/printing/CATemplateFormat.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const double g = CALabelSheetLayout::kCutGap;

// Items of 180 x 100 points from (13.5, 36).
CALabelSheetLayout sheet(int columns, int rows, float hSpace = 9.0f, float vSpace = 12.0f)
{
    CATemplateFormat format;
    format.setColumns(columns); format.setRows(rows); format.setItemWidth(180.0f); format.setItemHeight(100.0f);
    format.setHSpace(hSpace); format.setVSpace(vSpace); format.setLeftMargin(13.5f); format.setTopMargin(36.0f);
    return CALabelSheetLayout(format);
}

bool hasLine(const std::vector<QLineF> &lines, const QLineF &wanted)
{
    return std::any_of(lines.begin(), lines.end(), [&](const QLineF &line) {
        return QLineF(line.p1(), wanted.p1()).length() + QLineF(line.p2(), wanted.p2()).length() < 1e-3;
    });
}

TEST(CALabelSheetLayoutTest, CountsSheets)
{
    // A template without columns holds one item a sheet instead of dividing by 0; a start past
    // the sheet's last slot starts on its last slot.
    const struct { int columns, rows, copies, startFrom, pages; } cases[] = {
        {3, 2, 6, 1, 1}, {3, 2, 7, 1, 2}, {3, 2, 0, 4, 0}, {0, 5, 4, 1, 4}, {3, 2, 2, 40, 2}, {3, 2, 6, -3, 1}};
    for (const auto &c : cases)
        EXPECT_EQ(sheet(c.columns, c.rows).pageCount(c.copies, c.startFrom), c.pages) << c.columns << " " << c.copies << " " << c.startFrom;
}

TEST(CALabelSheetLayoutTest, PagesFromAStartPositionSkipSlotsOnTheFirstOnly)
{
    const CALabelSheetLayout s = sheet(3, 2);
    // 10 items from slot 5: items 1-2 on page 1, 3-8 on page 2, 9-10 on page 3.
    EXPECT_EQ(QList<int>({s.usedSlots(1, 10, 5), s.skippedSlots(2, 5), s.usedSlots(3, 10, 5), s.usedSlots(4, 10, 5), s.usedSlots(0, 10, 5)}),
              QList<int>({6, 0, 2, 0, 0}));
    // The running number counts items, not slots: item 7 of a six-up sheet is first on page 2.
    EXPECT_EQ(s.firstNumber(2, 1), 7);
}

TEST(CALabelSheetLayoutTest, SlotsAndUsedAreaSpanOnlyTheUsedColumnsAndRows)
{
    const CALabelSheetLayout s = sheet(3, 2);
    EXPECT_FLOAT_EQ(s.bleed(), 4.5f) << "half the smaller gap";
    EXPECT_EQ(QList<QPointF>({s.slotOrigin(4), s.slotOrigin(2)}), QList<QPointF>({QPointF(189, 112), QPointF(378, 0)}));
    EXPECT_EQ(QList<float>({s.usedWidth(2), s.usedHeight(2), s.usedWidth(6), s.usedHeight(4)}),
              QList<float>({2 * 189.0f - 9.0f, 112.0f - 12.0f, 3 * 189.0f - 9.0f, 2 * 112.0f - 12.0f}));
}

TEST(CALabelSheetLayoutTest, CutTicksStandClearOfTheUsedArea)
{
    const CALabelSheetLayout s = sheet(3, 2);
    const double w = s.usedWidth(6), h = s.usedHeight(6);
    const std::vector<QLineF> first = s.cutMarks(0, 6);
    // Top and bottom edge pairs, left and right edge pairs (gaps above 0.5 point).
    EXPECT_EQ(first.size(), 8u);
    for (const QLineF &line : {QLineF(-20 - g, 0, -g, 0), QLineF(w + g, 0, w + g + 20, 0), QLineF(-20 - g, 100, -g, 100),
                               QLineF(0, -20 - g, 0, -g), QLineF(0, h + g, 0, h + g + 20), QLineF(180, -20 - g, 180, -g)})
        EXPECT_TRUE(hasLine(first, line)) << line.x1() << "," << line.y1();
    // A slot neither in the first column nor in the first row has no ticks of its own; the first
    // slot of the second row has its two edge pairs only.
    EXPECT_EQ(QList<size_t>({s.cutMarks(4, 6).size(), s.cutMarks(3, 6).size()}), QList<size_t>({0, 4}));
}

TEST(CALabelSheetLayoutTest, GaplessSheetsMarkOnlyTheOuterEdges)
{
    const CALabelSheetLayout s = sheet(3, 2, 0.0f, 0.0f);
    const double h = s.usedHeight(6);
    // No bottom pair in the first row, no right pair before the last column.
    EXPECT_EQ(QList<size_t>({s.cutMarks(0, 6).size(), s.cutMarks(1, 6).size()}), QList<size_t>({4, 2}));
    EXPECT_TRUE(hasLine(s.cutMarks(2, 6), QLineF(180, h + g, 180, h + g + 20)));
    EXPECT_TRUE(hasLine(s.cutMarks(3, 6), QLineF(-20 - g, 100, -g, 100))) << "the last used row gets its bottom pair";
    EXPECT_TRUE(hasLine(s.cutMarks(1, 2), QLineF(180, -20 - g, 180, -g))) << "a short last row marks its last used column";
}

TEST(CALabelSheetLayoutTest, DottedRightEdgesNeedLessGapThanCutTicks)
{
    const CALabelSheetLayout s = sheet(3, 2, 0.3f, 0.0f), gapless = sheet(3, 2, 0.0f, 0.0f);
    const QLineF rightEdge(180, 0, 180, s.usedHeight(6));
    EXPECT_TRUE(hasLine(s.dottedLines(0, 6), rightEdge));
    EXPECT_FALSE(hasLine(s.cutMarks(0, 6), QLineF(180, -20 - g, 180, -g)));
    EXPECT_FALSE(hasLine(gapless.dottedLines(0, 6), rightEdge));
    EXPECT_TRUE(hasLine(gapless.dottedLines(2, 6), rightEdge));
    EXPECT_TRUE(hasLine(gapless.dottedLines(0, 2), QLineF(0, 0, 360, 0))) << "the first column's top line spans the used width";
}

TEST(CALabelSheetLayoutTest, ImageIsFittedIntoTheItemBox)
{
    // With its bleed an image of the item fills the grown box exactly; a wider image is fitted to
    // the width and not centred; a portrait image on a landscape item turns the box first.
    const struct { QSizeF image; float bleed; QRectF expected; } cases[] = {
        {{189, 109}, 4.5f, {-4.5, -4.5, 189, 109}}, {{400, 100}, 0, {0, 0, 180, 45}}, {{300, 200}, 0, {0, 0, 150, 100}},
        {{100, 180}, 0, {0, 0, 100, 180}}, {{0, 0}, 2, {-2, -2, 0, 0}}};
    for (const auto &c : cases) {
        const QRectF rect = CALabelSheetLayout::imageRectForImage(c.image, QSizeF(180, 100), c.bleed);
        EXPECT_NEAR(QLineF(rect.topLeft(), c.expected.topLeft()).length() + QLineF(rect.bottomRight(), c.expected.bottomRight()).length(), 0, 1e-4)
            << c.image.width() << "x" << c.image.height();
    }
}

} // namespace
