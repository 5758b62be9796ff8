#include "kernel/printing/CALabelSheetLayout.h"

#include "kernel/printing/CATemplateFormat.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

CATemplateFormat sheetTemplate(int columns, int rows, float hSpace, float vSpace)
{
    CATemplateFormat format;
    format.setColumns(columns);
    format.setRows(rows);
    format.setItemWidth(180.0f);
    format.setItemHeight(100.0f);
    format.setHSpace(hSpace);
    format.setVSpace(vSpace);
    format.setLeftMargin(13.5f);
    format.setTopMargin(36.0f);
    return format;
}

bool hasLine(const std::vector<QLineF> &lines, const QLineF &wanted)
{
    return std::any_of(lines.begin(), lines.end(), [&](const QLineF &line) {
        return std::abs(line.x1() - wanted.x1()) < 1e-3 && std::abs(line.y1() - wanted.y1()) < 1e-3
               && std::abs(line.x2() - wanted.x2()) < 1e-3 && std::abs(line.y2() - wanted.y2()) < 1e-3;
    });
}

struct PageCountCase
{
    const char *name;
    int columns;
    int rows;
    int copies;
    int startFrom;
    int pages;
};

class PageCountTest : public ::testing::TestWithParam<PageCountCase>
{
};

TEST_P(PageCountTest, CountsSheets)
{
    const PageCountCase &c = GetParam();
    const CALabelSheetLayout sheet(sheetTemplate(c.columns, c.rows, 9.0f, 12.0f));
    EXPECT_EQ(sheet.pageCount(c.copies, c.startFrom), c.pages);
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, PageCountTest,
    ::testing::Values(PageCountCase{"FullSheetFromOne", 3, 2, 6, 1, 1},
                      PageCountCase{"OneOverAFullSheet", 3, 2, 7, 1, 2},
                      PageCountCase{"NoCopies", 3, 2, 0, 4, 0},
                      // A template without columns holds one item a sheet instead of dividing by 0.
                      PageCountCase{"NoColumns", 0, 5, 4, 1, 4},
                      // A start past the sheet's last slot starts on its last slot.
                      PageCountCase{"StartPastTheSheet", 3, 2, 2, 40, 2},
                      PageCountCase{"StartBeforeTheFirst", 3, 2, 6, -3, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CALabelSheetLayoutTest, PagesFromAStartPositionSkipSlotsOnTheFirstOnly)
{
    const CALabelSheetLayout sheet(sheetTemplate(3, 2, 9.0f, 12.0f));
    // 10 items from slot 5: items 1-2 on page 1, 3-8 on page 2, 9-10 on page 3.
    EXPECT_EQ(sheet.usedSlots(1, 10, 5), 6);
    EXPECT_EQ(sheet.skippedSlots(2, 5), 0);
    EXPECT_EQ(sheet.usedSlots(3, 10, 5), 2);
    EXPECT_EQ(sheet.usedSlots(4, 10, 5), 0);
    EXPECT_EQ(sheet.usedSlots(0, 10, 5), 0);
    // The running number counts items, not slots: item 7 of a six-up sheet is first on page 2.
    EXPECT_EQ(sheet.firstNumber(2, 1), 7);
}

TEST(CALabelSheetLayoutTest, SlotsAndUsedAreaSpanOnlyTheUsedColumnsAndRows)
{
    const CALabelSheetLayout sheet(sheetTemplate(3, 2, 9.0f, 12.0f));
    EXPECT_FLOAT_EQ(sheet.bleed(), 4.5f) << "half the smaller gap";
    EXPECT_EQ(sheet.slotOrigin(4), QPointF(189.0, 112.0));
    EXPECT_EQ(sheet.slotOrigin(2), QPointF(378.0, 0.0));
    EXPECT_FLOAT_EQ(sheet.usedWidth(2), 2 * 189.0f - 9.0f);
    EXPECT_FLOAT_EQ(sheet.usedHeight(2), 112.0f - 12.0f);
    EXPECT_FLOAT_EQ(sheet.usedWidth(6), 3 * 189.0f - 9.0f);
    EXPECT_FLOAT_EQ(sheet.usedHeight(4), 2 * 112.0f - 12.0f);
}

TEST(CALabelSheetLayoutTest, CutTicksStandClearOfTheUsedArea)
{
    const CALabelSheetLayout sheet(sheetTemplate(3, 2, 9.0f, 12.0f));
    const double g = CALabelSheetLayout::kCutGap;
    const double usedWidth = sheet.usedWidth(6);
    const double usedHeight = sheet.usedHeight(6);
    const std::vector<QLineF> first = sheet.cutMarks(0, 6);
    // Top and bottom edge pairs, left and right edge pairs (gaps above 0.5 point).
    EXPECT_EQ(first.size(), 8u);
    EXPECT_TRUE(hasLine(first, QLineF(-20.0 - g, 0.0, -g, 0.0)));
    EXPECT_TRUE(hasLine(first, QLineF(usedWidth + g, 0.0, usedWidth + g + 20.0, 0.0)));
    EXPECT_TRUE(hasLine(first, QLineF(-20.0 - g, 100.0, -g, 100.0)));
    EXPECT_TRUE(hasLine(first, QLineF(0.0, -20.0 - g, 0.0, -g)));
    EXPECT_TRUE(hasLine(first, QLineF(0.0, usedHeight + g, 0.0, usedHeight + g + 20.0)));
    EXPECT_TRUE(hasLine(first, QLineF(180.0, -20.0 - g, 180.0, -g)));
    // A slot neither in the first column nor in the first row has no ticks of its own.
    EXPECT_TRUE(sheet.cutMarks(4, 6).empty());
    // The first slot of the second row: its two edge pairs only.
    EXPECT_EQ(sheet.cutMarks(3, 6).size(), 4u);
}

TEST(CALabelSheetLayoutTest, GaplessSheetsMarkOnlyTheOuterEdges)
{
    const CALabelSheetLayout sheet(sheetTemplate(3, 2, 0.0f, 0.0f));
    const double usedHeight = sheet.usedHeight(6);
    // No bottom pair in the first row, no right pair before the last column.
    EXPECT_EQ(sheet.cutMarks(0, 6).size(), 4u);
    EXPECT_EQ(sheet.cutMarks(1, 6).size(), 2u);
    const std::vector<QLineF> last = sheet.cutMarks(2, 6);
    EXPECT_TRUE(hasLine(last, QLineF(180.0, usedHeight + CALabelSheetLayout::kCutGap, 180.0,
                                     usedHeight + CALabelSheetLayout::kCutGap + 20.0)));
    // The last used row gets its bottom pair.
    EXPECT_TRUE(hasLine(sheet.cutMarks(3, 6), QLineF(-20.0 - CALabelSheetLayout::kCutGap, 100.0,
                                                     -CALabelSheetLayout::kCutGap, 100.0)));
    // A short last row: the right edge of its last used column is still marked.
    EXPECT_TRUE(hasLine(sheet.cutMarks(1, 2), QLineF(180.0, -20.0 - CALabelSheetLayout::kCutGap, 180.0,
                                                     -CALabelSheetLayout::kCutGap)));
}

TEST(CALabelSheetLayoutTest, DottedRightEdgesNeedLessGapThanCutTicks)
{
    const CALabelSheetLayout sheet(sheetTemplate(3, 2, 0.3f, 0.0f));
    const double usedHeight = sheet.usedHeight(6);
    EXPECT_TRUE(hasLine(sheet.dottedLines(0, 6), QLineF(180.0, 0.0, 180.0, usedHeight)));
    EXPECT_FALSE(hasLine(sheet.cutMarks(0, 6), QLineF(180.0, -20.0 - CALabelSheetLayout::kCutGap, 180.0,
                                                      -CALabelSheetLayout::kCutGap)));
    const CALabelSheetLayout gapless(sheetTemplate(3, 2, 0.0f, 0.0f));
    EXPECT_FALSE(hasLine(gapless.dottedLines(0, 6), QLineF(180.0, 0.0, 180.0, gapless.usedHeight(6))));
    EXPECT_TRUE(hasLine(gapless.dottedLines(2, 6), QLineF(180.0, 0.0, 180.0, gapless.usedHeight(6))));
    // The top line of the first column spans the used width of the page only.
    EXPECT_TRUE(hasLine(gapless.dottedLines(0, 2), QLineF(0.0, 0.0, 360.0, 0.0)));
}

struct ImageRectCase
{
    const char *name;
    QSizeF image;
    QSizeF box;
    float bleed;
    QRectF expected;
};

class ImageRectTest : public ::testing::TestWithParam<ImageRectCase>
{
};

TEST_P(ImageRectTest, FitsTheImageIntoTheBox)
{
    const ImageRectCase &c = GetParam();
    const QRectF rect = CALabelSheetLayout::imageRectForImage(c.image, c.box, c.bleed);
    for (const auto &[found, wanted] : {std::pair{rect.topLeft(), c.expected.topLeft()},
                                        std::pair{rect.bottomRight(), c.expected.bottomRight()}}) {
        EXPECT_NEAR(found.x(), wanted.x(), 1e-4);
        EXPECT_NEAR(found.y(), wanted.y(), 1e-4);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Items, ImageRectTest,
    ::testing::Values(
        // An image of the item with its bleed fills the grown box exactly.
        ImageRectCase{"ExactWithBleed", QSizeF(189.0, 109.0), QSizeF(180.0, 100.0), 4.5f,
                      QRectF(-4.5, -4.5, 189.0, 109.0)},
        // A wider image is fitted to the width and not centred.
        ImageRectCase{"WiderFitsTheWidth", QSizeF(400.0, 100.0), QSizeF(180.0, 100.0), 0.0f,
                      QRectF(0.0, 0.0, 180.0, 45.0)},
        ImageRectCase{"NarrowerFitsTheHeight", QSizeF(300.0, 200.0), QSizeF(180.0, 100.0), 0.0f,
                      QRectF(0.0, 0.0, 150.0, 100.0)},
        // A portrait image on a landscape item: the box is turned first.
        ImageRectCase{"TurnedBox", QSizeF(100.0, 180.0), QSizeF(180.0, 100.0), 0.0f, QRectF(0.0, 0.0, 100.0, 180.0)},
        ImageRectCase{"SquareBox", QSizeF(50.0, 100.0), QSizeF(100.0, 100.0), 0.0f, QRectF(0.0, 0.0, 50.0, 100.0)},
        ImageRectCase{"EmptyImage", QSizeF(0.0, 0.0), QSizeF(180.0, 100.0), 2.0f, QRectF(-2.0, -2.0, 0.0, 0.0)}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
