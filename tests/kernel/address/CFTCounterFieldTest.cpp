#include "kernel/address/CFTCounterField.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <climits>
#include <memory>

using namespace Qt::StringLiterals;

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

TEST(CFTCounterFieldTest, SeriesByStartIncrementAndLeadingZerosStopsAtTheLimit)
{
    // Start, increment, leading zeros, digits, items 1 to 3.
    const std::tuple<int, int, bool, int, QStringList> cases[] = {
        {5, 3, false, 1, {u"5"_s, u"8"_s, u"11"_s}},
        {1, -1, false, 1, {u"1"_s, u"0"_s, u"-1"_s}},
        {7, 1, true, 4, {u"0007"_s, u"0008"_s, u"0009"_s}},
        {12345, 1, true, 3, {u"12345"_s, u"12346"_s, u"12347"_s}}}; // wider values are not cut
    for (const auto &[start, increment, zeros, digits, shown] : cases) {
        CFTCounterField counter(10, 20, nullptr);
        counter.Init(start, increment, zeros, digits);
        EXPECT_EQ(series(counter, 3), shown);
    }
    CFTCounterField counter(nullptr);
    counter.Init(INT_MAX - 1, 1000, false, 1);
    counter.SetValue(5);
    EXPECT_EQ(counter.GetCurrentValue(), INT_MAX);
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

TEST(CFTCounterFieldTest, EachItemGrowsFromTheSavedGeometryAndClearRestoresIt)
{
    CFTCounterField single(40, 50, nullptr);
    single.SetValue(1);
    const double narrow = single.GetSizeX();
    CFTCounterField counter(40, 50, nullptr);
    counter.Reset();
    const double width = counter.GetSizeX();
    counter.Init(100000, 1, false, 1);
    counter.SetValue(1);
    EXPECT_DOUBLE_EQ(counter.GetOriginX(), 40.0);
    EXPECT_GT(counter.GetSizeX(), narrow) << "six digits take more room than one";
    counter.SetValue(2);
    EXPECT_GT(counter.GetSizeX(), narrow);
    counter.Clear();
    EXPECT_TRUE(counter.GetText()->isEmpty());
    EXPECT_DOUBLE_EQ(counter.GetOriginX(), 40.0);
    EXPECT_NEAR(counter.GetSizeX(), width, 1e-4);
}

} // namespace

TEST(CFTCounterFieldTest, ANewCounterNamesItsStartAndStepBeforeEitherIsSet)
{
    const QString expected = CDDString::initStringWithCounterFieldParameters(1, 1).getData();
    ASSERT_FALSE(expected.isEmpty());
    std::unique_ptr<CFTCounterField> made[] = {std::make_unique<CFTCounterField>(nullptr),
                                               std::make_unique<CFTCounterField>(10, 20, nullptr),
                                               std::make_unique<CFTCounterField>(10, 20, 80, 30, nullptr)};
    for (const std::unique_ptr<CFTCounterField> &counter : made) {
        EXPECT_EQ(counter->getLabel()->getString(), expected);
        // Setting what it already has changes nothing it shows.
        const QString before = counter->getLabel()->getString();
        counter->SetIncrement(1);
        EXPECT_EQ(counter->getLabel()->getString(), before);
    }
    made[0]->SetStartNumber(4);
    EXPECT_EQ(made[0]->getLabel()->getString(), CDDString::initStringWithCounterFieldParameters(4, 1).getData());
}
