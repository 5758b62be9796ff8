#include "kernel/address/CFTCounterField.h"

#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/FTComponentFactory.h"

#include <gtest/gtest.h>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

TEST(CFTCounterFieldTest, SeriesByStartIncrementAndLeadingZeros)
{
    const struct
    {
        const char *name;
        int start;
        int increment;
        bool zeros;
        int digits;
        QStringList shown; // items 1, 2, 3
    } cases[] = {
        {"StartFiveStepThree", 5, 3, false, 1, {u"5"_s, u"8"_s, u"11"_s}},
        {"CountingDown", 1, -1, false, 1, {u"1"_s, u"0"_s, u"-1"_s}},
        {"PaddedToTheDigits", 7, 1, true, 4, {u"0007"_s, u"0008"_s, u"0009"_s}},
        {"WiderValuesAreNotCut", 12345, 1, true, 3, {u"12345"_s, u"12346"_s, u"12347"_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CFTCounterField counter(10, 20, nullptr);
        counter.Init(c.start, c.increment, c.zeros, c.digits);
        QStringList shown;
        for (int item = 1; item <= 3; ++item) {
            counter.SetValue(item);
            shown << counter.GetText()->getString();
        }
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(CFTCounterFieldTest, NextShowsThenSteps)
{
    CFTCounterField counter(nullptr);
    counter.Init(3, -1, false, 1);
    counter.Reset();
    QStringList shown;
    for (int i = 0; i < 3; ++i) {
        counter.Next();
        shown << counter.GetText()->getString();
    }
    EXPECT_EQ(shown, (QStringList {u"3"_s, u"2"_s, u"1"_s}));
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
