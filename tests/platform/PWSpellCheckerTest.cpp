// The spell checker over Hunspell: words of the dictionary pass, others are found in order and
// the search comes round once; without a dictionary nothing is misspelled.
#include "platform/PWSpellChecker.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(PWSpellCheckerTest, FindsWordsNotInItsDictionaryOnlyAndIgnoresNumbers)
{
    const PWSpellChecker &checker = PWSpellChecker::sharedSpellChecker();
    if (!checker.isAvailable())
        GTEST_SKIP() << "no en_US dictionary installed";
    EXPECT_TRUE(checker.isCorrect(u"envelope"_s));
    EXPECT_FALSE(checker.isCorrect(u"envelpoe"_s));
    EXPECT_TRUE(checker.isCorrect(u"B52"_s));
    EXPECT_EQ(checker.checkSpellingOfString(u"All fine here, 42 times."_s, 0, true).location, -1);
}

struct SearchCase
{
    const char *name;
    qsizetype start;
    bool wrap;
    qsizetype location;
    bool wrapped;
};

class PWSpellCheckerSearchTest : public testing::TestWithParam<SearchCase>
{
};

// "Teh cat sat on teh mat": misspellings at 0 and 15.
TEST_P(PWSpellCheckerSearchTest, TheFirstMisspellingFromTheStartComingRoundOnceWhenAsked)
{
    const SearchCase &c = GetParam();
    const PWSpellChecker &checker = PWSpellChecker::sharedSpellChecker();
    if (!checker.isAvailable())
        GTEST_SKIP() << "no en_US dictionary installed";
    const PWSpellChecker::Misspelling found = checker.checkSpellingOfString(u"Teh cat sat on teh mat"_s, c.start, c.wrap);
    EXPECT_EQ(found.location, c.location);
    EXPECT_EQ(found.length, c.location < 0 ? 0 : 3);
    EXPECT_EQ(found.wrapped, c.wrapped);
}

INSTANTIATE_TEST_SUITE_P(Cases, PWSpellCheckerSearchTest,
                         testing::Values(SearchCase {"FromTheStart", 0, true, 0, false},
                                         SearchCase {"FromTheMiddle", 4, true, 15, false},
                                         SearchCase {"ComingRound", 16, true, 0, true},
                                         SearchCase {"NotComingRound", 16, false, -1, false},
                                         SearchCase {"StartPastTheEnd", 999, true, 0, true}),
                         [](const testing::TestParamInfo<SearchCase> &info) { return std::string(info.param.name); });

TEST(PWSpellCheckerTest, WithoutADictionaryNothingIsMisspelled)
{
    const PWSpellChecker missing(u"xx_XX"_s, {u"/nonexistent"_s});
    EXPECT_FALSE(missing.isAvailable());
    EXPECT_TRUE(missing.isCorrect(u"envelpoe"_s));
    EXPECT_EQ(missing.checkSpellingOfString(u"envelpoe"_s, 0, true).location, -1);
}

} // namespace
