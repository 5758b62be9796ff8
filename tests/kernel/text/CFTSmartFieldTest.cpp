#include "kernel/text/CFTSmartField.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"

#include <gtest/gtest.h>

namespace {

CDDVariant sides(int side, int count)
{
    CDDVariant value;
    value.SetIntValues(side, count);
    return value;
}

TEST(CFTSmartFieldTest, CategoryGivesItsFormatAndTheValueItsTextAndEditingIsRefused)
{
    // Side number, side count, plain, and a category the field does not serve; shown for side 2 of 3.
    for (const auto &[category, format, shown] : {std::tuple {131, "#n", "2"}, {132, "#c", "3"}, {133, "", "2"}, {130, "", "2"}}) {
        CFTSmartField field(0, 0, nullptr, textCategory(category));
        field.SetValue(sides(2, 3));
        EXPECT_EQ(QStringList({QString::number(field.GetTextCategory()), field.GetDataFormat().getData(), field.GetText()->getString()}),
                  QStringList({QString::number(category), QString::fromLatin1(format), QString::fromLatin1(shown)}));
    }
    CFTSmartField field(nullptr);
    field.startEditText(nullptr, nullptr);
    EXPECT_FALSE(field.isEditing() || field.GetText()->isEditing());
}

TEST(CFTSmartFieldTest, SideNumberFormatIsFilledInsideLongerPatternsAndTheSameValueLeavesTheText)
{
    EXPECT_EQ(CFTSmartField::formatValue(sides(4, 9), CDDString(QStringLiteral("Page #n of #c"))).getData(), QStringLiteral("Page 4 of 9"));
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
    archive.SetData(key_DataFormat, CDDString(QStringLiteral("#c"))); archive.setStoring(false);
    CFTSmartField loaded(nullptr);
    loaded.Serialize(archive, nullptr);
    // The stored text until a value comes.
    EXPECT_EQ(QStringLiteral("%1 %2 %3").arg(loaded.GetTextCategory()).arg(loaded.GetDataFormat().getData(), loaded.GetText()->getString()),
              QStringLiteral("131 #c 5"));
}

} // namespace
