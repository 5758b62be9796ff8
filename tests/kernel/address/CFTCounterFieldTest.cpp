#include "kernel/address/CFTCounterField.h"

#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/FTComponentFactory.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

QStringList series(CFTCounterField &counter, int items)
{
    QStringList shown;
    for (int item = 1; item <= items; ++item) {
        counter.SetValue(item);
        shown << counter.GetText()->getString();
    }
    return shown;
}

TEST(CFTCounterFieldTest, IdentityAndNoShadowOrEditing)
{
    CFTCounterField counter(10, 20, nullptr);
    EXPECT_EQ(counter.getClassID(), 14);
    EXPECT_EQ(counter.getType(), ctText);
    EXPECT_EQ(counter.GetTextCategory(), tcCounter);
    counter.SetHasShadow(true);
    counter.SetShadow(true);
    EXPECT_FALSE(counter.HasShadow());
    EXPECT_FALSE(counter.IsShadowed());
    counter.startEditText(nullptr, nullptr);
    EXPECT_FALSE(counter.isEditing());
}

TEST(CFTCounterFieldTest, StartFiveStepThree)
{
    CFTCounterField counter(10, 20, nullptr);
    counter.Init(5, 3, false, 1);
    EXPECT_EQ(series(counter, 3), (QStringList {QStringLiteral("5"), QStringLiteral("8"), QStringLiteral("11")}));
    counter.SetValue(10);
    EXPECT_EQ(counter.GetText()->getString(), QStringLiteral("32"));
}

TEST(CFTCounterFieldTest, NextShowsThenSteps)
{
    CFTCounterField counter(nullptr);
    counter.Init(3, -1, false, 1);
    counter.Reset();
    QStringList shown;
    for (int i = 0; i < 5; ++i) {
        counter.Next();
        shown << counter.GetText()->getString();
    }
    EXPECT_EQ(shown, (QStringList {QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("0"),
                                   QStringLiteral("-1")}));
}

TEST(CFTCounterFieldTest, LeadingZerosPadToTheDigitsCountOnlyWhenOn)
{
    CFTCounterField counter(nullptr);
    counter.Init(7, 1, true, 4);
    counter.SetValue(1);
    EXPECT_EQ(counter.GetText()->getString(), QStringLiteral("0007"));
    counter.SetLeadingZeros(false);
    counter.SetValue(1);
    EXPECT_EQ(counter.GetText()->getString(), QStringLiteral("7"));
    counter.Init(12345, 1, true, 3);
    counter.SetValue(1);
    EXPECT_EQ(counter.GetText()->getString(), QStringLiteral("12345")) << "wider values are not cut";
}

TEST(CFTCounterFieldTest, HugeSeriesStopsAtTheLimitInsteadOfWrapping)
{
    CFTCounterField counter(nullptr);
    counter.Init(INT_MAX - 1, 1000, false, 1);
    counter.SetValue(5);
    EXPECT_EQ(counter.GetCurrentValue(), INT_MAX);
}

TEST(CFTCounterFieldTest, EachItemGrowsFromTheSavedGeometryAndClearRestoresIt)
{
    CFTCounterField counter(40, 50, nullptr);
    counter.Reset();
    const double width = counter.GetSizeX();
    counter.Init(100000, 1, false, 1);
    counter.SetValue(1);
    EXPECT_DOUBLE_EQ(counter.GetOriginX(), 40.0);
    EXPECT_GT(counter.GetSizeX(), width);
    counter.Clear();
    EXPECT_TRUE(counter.GetText()->isEmpty());
    EXPECT_DOUBLE_EQ(counter.GetOriginX(), 40.0);
    EXPECT_NEAR(counter.GetSizeX(), width, 1e-4);
}

TEST(CFTCounterFieldTest, LabelNamesStartAndIncrement)
{
    CFTCounterField counter(nullptr);
    counter.SetStartNumber(5);
    counter.SetIncrement(3);
    EXPECT_EQ(counter.getLabel()->getString(), CDDString::initStringWithCounterFieldParameters(5, 3).getData());
    EXPECT_TRUE(counter.getLabel()->getString().contains(QLatin1Char('5')));
}

TEST(CFTCounterFieldTest, SavedAndLoadedKeepsTheFourParameters)
{
    CFTCounterField saved(nullptr);
    saved.Init(-4, 7, true, 6);
    CDDArchive archive(true);
    archive.SetClassID(saved.getClassID());
    saved.Serialize(archive, nullptr);
    archive.setStoring(false);

    const std::unique_ptr<CFTComponent> made = CFTComponent::CreateFromArchive(archive, nullptr, nullptr);
    auto *loaded = dynamic_cast<CFTCounterField *>(made.get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetStartNumber(), -4);
    EXPECT_EQ(loaded->GetIncrement(), 7);
    EXPECT_TRUE(loaded->IsLeadingZeros());
    EXPECT_EQ(loaded->GetZerosDigits(), 6);
    EXPECT_EQ(loaded->GetTextCategory(), tcCounter);
}

} // namespace
