#include "kernel/text/CFTSmartField.h"

#include "ComponentTestSupport.h"
#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/CDDArchiveKeys.h"

#include <gtest/gtest.h>

namespace {

CDDVariant sides(int side, int count)
{
    CDDVariant value;
    value.SetIntValues(side, count);
    return value;
}

struct CategoryCase
{
    const char *name;
    int category;
    QString format;
    QString shown; // for side 2 of 3
};

class SmartFieldCategoryTest : public testing::TestWithParam<CategoryCase>
{
};

TEST_P(SmartFieldCategoryTest, CategoryGivesItsFormatAndTheValueItsText)
{
    CFTSmartField field(0, 0, nullptr, textCategory(GetParam().category));
    EXPECT_EQ(field.GetTextCategory(), GetParam().category);
    EXPECT_EQ(field.GetDataFormat().getData(), GetParam().format);
    field.SetValue(sides(2, 3));
    EXPECT_EQ(field.GetText()->getString(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Categories, SmartFieldCategoryTest,
                         testing::Values(CategoryCase {"SideNumber", 131, QStringLiteral("#n"), QStringLiteral("2")},
                                         CategoryCase {"SideCount", 132, QStringLiteral("#c"), QStringLiteral("3")},
                                         CategoryCase {"Plain", 133, QString(), QStringLiteral("2")},
                                         CategoryCase {"Unserved", 130, QString(), QStringLiteral("2")}),
                         [](const testing::TestParamInfo<CategoryCase> &info) { return std::string(info.param.name); });

TEST(CFTSmartFieldTest, RefusesEditing)
{
    CFTSmartField field(nullptr);
    field.startEditText(nullptr, nullptr);
    EXPECT_FALSE(field.isEditing());
    EXPECT_FALSE(field.GetText()->isEditing());
}

TEST(CFTSmartFieldTest, SideNumberFormatIsFilledInsideLongerPatternsAndTheSameValueLeavesTheText)
{
    EXPECT_EQ(CFTSmartField::formatValue(sides(4, 9), CDDString(QStringLiteral("Page #n of #c"))).getData(),
              QStringLiteral("Page 4 of 9"));
    CFTSmartField field(0, 0, nullptr, textCategory(132));
    field.SetValue(sides(1, 2));
    QTextDocument *contents = field.GetText()->getContents();
    const int revision = contents->revision();
    field.SetValue(sides(1, 2));
    EXPECT_EQ(contents->revision(), revision);
}

TEST(CFTSmartFieldTest, LoadedFormatIsKeptAndSavedFormatStaysSideNumber)
{
    CFTSmartField saved(0, 0, nullptr, textCategory(131));
    saved.SetValue(sides(5, 6));
    CDDArchive archive(true);
    saved.Serialize(archive, nullptr);
    EXPECT_EQ(archive.getDict().toDictionary().value(key_DataFormat).toString(), QStringLiteral("#n"));
    archive.SetData(key_DataFormat, CDDString(QStringLiteral("#c")));
    archive.setStoring(false);

    CFTSmartField loaded(nullptr);
    loaded.Serialize(archive, nullptr);
    EXPECT_EQ(loaded.GetTextCategory(), 131);
    EXPECT_EQ(loaded.GetDataFormat().getData(), QStringLiteral("#c"));
    EXPECT_EQ(loaded.GetText()->getString(), QStringLiteral("5")) << "the stored text until a value comes";
}

TEST(CFTSmartFieldTest, CoreDocumentPushesSideNumbers)
{
    comptest::TestCoreDoc document;
    while (document.getSidesCount() < 2)
        document.addSide();
    auto *front = new CFTSmartField(0, 0, nullptr, textCategory(131));
    auto *back = new CFTSmartField(0, 0, nullptr, textCategory(131));
    document.AddObject(front, 0, false);
    document.AddObject(back, 1, false);
    EXPECT_EQ(front->GetText()->getString(), QStringLiteral("1"));
    EXPECT_EQ(back->GetText()->getString(), QStringLiteral("2"));
}

} // namespace
