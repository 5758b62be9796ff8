// The address-format grid's model: reading descriptions, compaction, the drops of a field drag
// and the clear that is one undo step.
#include "app/inspector/CAAddressFormatGrid.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/FTTextCategories.h"
#include "platform/PWBundle.h"
#include "platform/PWUndoManager.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

PWPlist place(int row, int column)
{
    PWPlist::Dictionary entry;
    entry.insert(u"Row"_s, PWPlist::fromInteger(row));
    entry.insert(u"Column"_s, PWPlist::fromInteger(column));
    entry.insert(u"Label"_s, PWPlist::fromString(u"Whatever"_s));
    return PWPlist(entry);
}

struct Placed
{
    const char16_t *key;
    int row;
    int column;
};

PWPlist::Dictionary description(std::initializer_list<Placed> fields)
{
    PWPlist::Dictionary made;
    for (const Placed &field : fields)
        made.insert(QString::fromUtf16(field.key), place(field.row, field.column));
    made.insert(u"FormatName"_s, PWPlist::fromString(u"Read"_s));
    return made;
}

std::pair<int, int> positionOf(const PWPlist::Dictionary &desc, const QString &key)
{
    const PWPlist entry = desc.value(key);
    if (!entry.isDictionary())
        return {-1, -1};
    return {static_cast<int>(entry.value(u"Row"_s).toInteger()), static_cast<int>(entry.value(u"Column"_s).toInteger())};
}

int category(const char16_t *key)
{
    return FTTextCategories::getTextCategoryFromKey(QString::fromUtf16(key));
}

} // namespace

TEST(CAAddressFormatGrid, PaletteHoldsFiftySevenRowsWithSevenGaps)
{
    const std::vector<int> &rows = CAAddressFormatGrid::paletteRows();
    ASSERT_EQ(rows.size(), 57u);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), -1), 7);
    EXPECT_EQ(rows.front(), 128);
    EXPECT_EQ(rows.back(), 32);
    for (const int row : rows) {
        if (row != -1) {
            EXPECT_FALSE(FTTextCategories::getKeyFromTextCategory(static_cast<textCategory>(row)).isEmpty()) << row;
        }
    }
}

TEST(CAAddressFormatGrid, DragDataIsEightBytesOfDecimalText)
{
    const QByteArray bytes = CAAddressFormatGrid::fieldDragData(106);
    ASSERT_EQ(bytes.size(), 8);
    EXPECT_EQ(bytes.left(4), QByteArray("106\0", 4));
    EXPECT_EQ(CAAddressFormatGrid::categoryFromDragData(bytes), 106);
    EXPECT_EQ(CAAddressFormatGrid::categoryFromDragData(CAAddressFormatGrid::fieldDragData(5)), 5);
    EXPECT_EQ(CAAddressFormatGrid::categoryFromDragData(QByteArray("x1")), -1);
    EXPECT_EQ(CAAddressFormatGrid::categoryFromDragData(QByteArray()), -1);
}

struct CompactionCase
{
    const char *name;
    std::vector<Placed> fields;
    std::vector<Placed> expected;
};

class Compaction : public ::testing::TestWithParam<CompactionCase>
{
};

TEST_P(Compaction, ReadCompactedAndWrittenBack)
{
    const CompactionCase &c = GetParam();
    CAAddressFormatGrid grid;
    PWPlist::Dictionary in;
    for (const Placed &field : c.fields)
        in.insert(QString::fromUtf16(field.key), place(field.row, field.column));
    grid.initWithFormatDesc(in);
    const PWPlist::Dictionary out = grid.getFormatDesc(u"Out"_s);
    EXPECT_EQ(grid.getCompactingRatio(), static_cast<int>(c.expected.size()));
    EXPECT_EQ(out.size(), static_cast<qsizetype>(c.expected.size()) + 2);
    EXPECT_EQ(out.value(u"FormatName"_s).toString(), u"Out"_s);
    EXPECT_TRUE(out.value(u"Date"_s).isDate());
    for (const Placed &field : c.expected) {
        const QString key = QString::fromUtf16(field.key);
        EXPECT_EQ(positionOf(out, key), std::make_pair(field.row, field.column)) << key.toStdString();
        EXPECT_EQ(out.value(key).value(u"Label"_s).toString(),
                  FTTextCategories::getLabelFromTextCategory(static_cast<textCategory>(category(field.key))));
    }
    // Written and read again, the layout is its own compaction.
    CAAddressFormatGrid again;
    again.initWithFormatDesc(out);
    for (const Placed &field : c.expected)
        EXPECT_EQ(again.categoryAt(field.row, field.column), category(field.key));
}

INSTANTIATE_TEST_SUITE_P(
    Gaps, Compaction,
    ::testing::Values(
        CompactionCase{"RowsAndColumnsWithGaps",
                       {{u"First Name", 0, 0}, {u"Last Name", 0, 3}, {u"City", 2, 5}},
                       {{u"First Name", 0, 0}, {u"Last Name", 0, 1}, {u"City", 1, 0}}},
        CompactionCase{"Empty", {}, {}},
        CompactionCase{"LastRowOnly", {{u"ZIP", 8, 5}, {u"State", 8, 2}}, {{u"State", 0, 0}, {u"ZIP", 0, 1}}},
        CompactionCase{"OutsideTheGridIsSkipped",
                       {{u"Company", 9, 0}, {u"Street", 3, 6}, {u"Country", -1, 0}, {u"Email", 4, 4}},
                       {{u"Email", 0, 0}}},
        CompactionCase{"AlreadyCompact",
                       {{u"Company", 0, 0}, {u"Street", 1, 0}, {u"City", 2, 0}, {u"State", 2, 1}},
                       {{u"Company", 0, 0}, {u"Street", 1, 0}, {u"City", 2, 0}, {u"State", 2, 1}}}),
    [](const ::testing::TestParamInfo<CompactionCase> &info) { return std::string(info.param.name); });

TEST(CAAddressFormatGrid, UnknownKeysAndValuesThatAreNotPlacesAreSkipped)
{
    CAAddressFormatGrid grid;
    grid.setCellInfo(5, 5, category(u"Fax"));
    PWPlist::Dictionary in = description({{u"Company", 1, 1}});
    in.insert(u"No Such Field"_s, place(0, 0));
    in.insert(u"City"_s, PWPlist::fromString(u"not a place"_s));
    in.insert(u"Date"_s, place(2, 2));
    grid.initWithFormatDesc(in);
    EXPECT_EQ(grid.categoryAt(1, 1), category(u"Company"));
    EXPECT_EQ(grid.categoryAt(0, 0), -1);
    EXPECT_EQ(grid.categoryAt(2, 2), -1);
    EXPECT_EQ(grid.categoryAt(5, 5), -1) << "reading empties the grid first";
    const PWPlist::Dictionary out = grid.getFormatDesc(u"N"_s);
    EXPECT_EQ(out.size(), 3);
}

TEST(CAAddressFormatGrid, DropsMoveSwapAndReplace)
{
    CAAddressFormatGrid grid;
    grid.initWithFormatDesc(description({{u"City", 0, 0}, {u"ZIP", 1, 2}, {u"Company", 3, 3}, {u"Fax", 4, 0}}));

    // City onto ZIP swaps them.
    grid.beginDragFromCell(0, 0);
    EXPECT_TRUE(grid.dropOnCell(category(u"City"), 1, 2, nullptr));
    EXPECT_EQ(grid.categoryAt(1, 2), category(u"City"));
    EXPECT_EQ(grid.categoryAt(0, 0), category(u"ZIP"));

    // ZIP onto an empty cell moves it.
    grid.beginDragFromCell(0, 0);
    EXPECT_TRUE(grid.dropOnCell(category(u"ZIP"), 2, 4, nullptr));
    EXPECT_EQ(grid.categoryAt(2, 4), category(u"ZIP"));
    EXPECT_EQ(grid.categoryAt(0, 0), -1);

    // A palette field already in the layout leaves its old cell for the one it lands on.
    grid.beginDragFromPalette();
    EXPECT_TRUE(grid.dropOnCell(category(u"Company"), 0, 0, nullptr));
    EXPECT_EQ(grid.categoryAt(0, 0), category(u"Company"));
    EXPECT_EQ(grid.categoryAt(3, 3), -1);

    // A new palette field on a filled cell replaces its field, which leaves the layout.
    grid.beginDragFromPalette();
    EXPECT_TRUE(grid.dropOnCell(category(u"Pager"), 4, 0, nullptr));
    EXPECT_EQ(grid.categoryAt(4, 0), category(u"Pager"));
    int row = -1;
    int column = -1;
    EXPECT_FALSE(grid.findCellWithTextCategory(category(u"Fax"), &row, &column));
}

TEST(CAAddressFormatGrid, PhoneFromThePaletteTradesPlacesWithTheFieldItLandsOn)
{
    CAAddressFormatGrid grid;
    grid.initWithFormatDesc(description({{u"Phone", 3, 1}, {u"Company", 0, 0}}));
    grid.beginDragFromPalette();
    EXPECT_TRUE(grid.dropOnCell(category(u"Phone"), 0, 0, nullptr));
    EXPECT_EQ(grid.categoryAt(0, 0), category(u"Phone"));
    EXPECT_EQ(grid.categoryAt(3, 1), category(u"Company"));
}

TEST(CAAddressFormatGrid, ADropThatChangesNothingAnswersFalse)
{
    CAAddressFormatGrid grid;
    grid.initWithFormatDesc(description({{u"City", 2, 2}}));
    const PWPlist::Dictionary before = grid.getFormatDesc(u"Same"_s);
    grid.beginDragFromCell(2, 2);
    EXPECT_FALSE(grid.dropOnCell(category(u"City"), 2, 2, nullptr)) << "onto its own cell";
    grid.beginDragFromPalette();
    EXPECT_FALSE(grid.dropOnCell(category(u"City"), 2, 2, nullptr)) << "from the palette onto itself";
    EXPECT_FALSE(grid.dropOnCell(-1, 0, 0, nullptr));
    EXPECT_FALSE(grid.dropOnCell(category(u"ZIP"), 9, 0, nullptr));
    EXPECT_FALSE(grid.dropOnCell(category(u"ZIP"), 0, -1, nullptr));
    EXPECT_EQ(grid.getFormatDesc(u"Same"_s).value(u"City"_s), before.value(u"City"_s));
    EXPECT_EQ(grid.getCompactingRatio(), 1);
    // A palette drag has no cell to give up.
    grid.beginDragFromPalette();
    EXPECT_FALSE(grid.removeDraggedCell());
    grid.beginDragFromCell(2, 2);
    EXPECT_TRUE(grid.removeDraggedCell());
    EXPECT_TRUE(grid.isEmpty());
}

TEST(CAAddressFormatGrid, ClearIsOneUndoStepThatADropTakesAway)
{
    PWUndoManager undo;
    undo.setGroupsByEvent(false);
    CAAddressFormatGrid grid;
    grid.initWithFormatDesc(description({{u"City", 0, 0}, {u"ZIP", 0, 1}, {u"Street", 1, 0}}));
    grid.clearTemplate(&undo);
    EXPECT_TRUE(grid.isEmpty());
    EXPECT_EQ(undo.undoActionName(), PWLocalizedString(u"CLEAR_TEMPLATE"_s));
    EXPECT_FALSE(undo.undoActionName().isEmpty());
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(grid.categoryAt(0, 0), category(u"City"));
    EXPECT_EQ(grid.categoryAt(0, 1), category(u"ZIP"));
    EXPECT_EQ(grid.categoryAt(1, 0), category(u"Street"));
    EXPECT_FALSE(undo.canUndo());

    // Cleared again, then a drop: the clear can no longer be undone.
    grid.clearTemplate(&undo);
    grid.beginDragFromPalette();
    EXPECT_TRUE(grid.dropOnCell(category(u"Email"), 4, 4, &undo));
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(grid.categoryAt(4, 4), category(u"Email"));
    EXPECT_EQ(grid.categoryAt(0, 0), -1);
}

TEST(CAAddressFormatGrid, DefaultTemplateFillsTheLayoutRowByRow)
{
    CAAddressFormatGrid grid;
    ASSERT_TRUE(grid.initWithDefaultTemplate());
    EXPECT_FALSE(grid.isEmpty());
    // Every row of a template's description starts at column 0 and has no gaps.
    const PWPlist::Dictionary desc = grid.getFormatDesc(u"Default"_s);
    CAAddressFormatGrid::Compacted compacted;
    CAAddressFormatGrid reread;
    reread.initWithFormatDesc(desc);
    EXPECT_EQ(reread.compactFormatDesc(compacted), grid.getCompactingRatio());
    for (int row = 0; row < CAAddressFormatGrid::kRows; ++row) {
        for (int column = 0; column < CAAddressFormatGrid::kColumns; ++column) {
            EXPECT_EQ(reread.categoryAt(row, column), grid.categoryAt(row, column)) << row << "," << column;
        }
    }
}

TEST(CAAddressFormatGrid, AFormatTreeGivesOneRowPerWalkedRow)
{
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        u"Name+Company"_s, u"us"_s, false, 0);
    ASSERT_NE(format, nullptr);
    const PWPlist::Dictionary desc = CAAddressFormatGrid::customFormatDescFromAddressFormat(format.get());
    EXPECT_EQ(desc.value(u"FormatName"_s).toString(), u"new added"_s);
    // The country part's last row holds City, State and ZIP in that order.
    const auto city = positionOf(desc, u"City"_s);
    const auto state = positionOf(desc, u"State"_s);
    const auto zip = positionOf(desc, u"ZIP"_s);
    ASSERT_GE(city.first, 1);
    EXPECT_EQ(state.first, city.first);
    EXPECT_EQ(zip.first, city.first);
    EXPECT_EQ(city.second, 0);
    EXPECT_EQ(state.second, 1);
    EXPECT_EQ(zip.second, 2);
    EXPECT_EQ(positionOf(desc, u"Street"_s).second, 0);
    EXPECT_LT(positionOf(desc, u"Street"_s).first, city.first);
}
