// The block editor's spelling, ruler and Text Styles commands.
#include "kernel/text/CCTextView.h"

#include "TextTestSupport.h"
#include "kernel/render/CCLayoutManager.h"
#include "platform/PWSpellChecker.h"
#include "platform/PWTextAttributes.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct Editor
{
    QTextDocument storage;
    CCLayoutManager highlight;
    CCTextView view {&storage, &highlight};
};

struct SpellCase
{
    const char *name;
    int caret;
    bool flag;
    int selected; // where the selection starts afterwards
    bool found;
    int finished; // how often the check reported that it came round
};

class CCTextViewSpellingTest : public testing::TestWithParam<SpellCase>
{
};

// "The quick brwon fox jumps" has one misspelling at 10; a search from behind it comes round once.
TEST_P(CCTextViewSpellingTest, APlantedMisspellingIsFoundComingRoundOnce)
{
    const SpellCase &c = GetParam();
    const PWSpellChecker &checker = PWSpellChecker::sharedSpellChecker();
    if (!checker.isAvailable())
        GTEST_SKIP() << "no en_US dictionary installed";
    Editor e;
    QTextCursor(&e.storage).insertText(u"The quick brwon fox jumps"_s);
    e.view.selectRange({c.caret, 0});
    e.view.setSpellChecker(c.flag);
    int finished = 0;
    e.view.setFinishedSpellChecking([&] { ++finished; });
    EXPECT_EQ(e.view.checkSpelling(checker), c.found);
    EXPECT_EQ(e.view.selectedRange().location, c.selected);
    EXPECT_EQ(e.view.selectedRange().length, c.found ? 5 : 0);
    EXPECT_EQ(finished, c.finished);
}

INSTANTIATE_TEST_SUITE_P(Cases, CCTextViewSpellingTest,
                         testing::Values(SpellCase {"AheadOfTheCaret", 0, false, 10, true, 0},
                                         SpellCase {"ComingRound", 20, false, 10, true, 0},
                                         SpellCase {"ComingRoundEndsTheCheck", 20, true, 20, false, 1},
                                         SpellCase {"AheadWithTheFlag", 4, true, 10, true, 0}),
                         [](const testing::TestParamInfo<SpellCase> &info) { return std::string(info.param.name); });

struct RulerCase
{
    const char *name;
    int field;     // highlighted
    int selection; // where the selection starts
    double left;   // left margin of the first and second paragraph afterwards
    double second;
};

class CCTextViewRulerTest : public testing::TestWithParam<RulerCase>
{
};

// "plain\nNAME" with NAME data field 3; the marker move sets a left margin of 20 on the
// selected paragraphs.
TEST_P(CCTextViewRulerTest, AMarkerMoveChangesTheSelectedParagraphsOrWithAFieldEveryParagraph)
{
    const RulerCase &c = GetParam();
    Editor e;
    QTextCursor cursor(&e.storage);
    cursor.insertText(u"plain"_s, texttest::fieldFormat(0));
    cursor.insertBlock();
    cursor.insertText(u"NAME"_s, texttest::fieldFormat(3));
    e.view.selectRange({c.selection, 0});
    e.highlight.setHighlightedDataField(c.field);
    e.view.rulerViewDidMoveMarker([](QTextBlockFormat &format) { format.setLeftMargin(20.0); });
    EXPECT_EQ(e.storage.begin().blockFormat().leftMargin(), c.left);
    EXPECT_EQ(e.storage.begin().next().blockFormat().leftMargin(), c.second);
}

INSTANTIATE_TEST_SUITE_P(Cases, CCTextViewRulerTest,
                         testing::Values(RulerCase {"NoFieldTheSelectedParagraph", 0, 1, 20.0, 0.0},
                                         RulerCase {"FieldSelectedEveryParagraph", 3, 7, 20.0, 20.0},
                                         RulerCase {"FieldButSelectionInPlainTextDropped", 3, 1, 0.0, 0.0}),
                         [](const testing::TestParamInfo<RulerCase> &info) { return std::string(info.param.name); });

TEST(CCTextViewToolsTest, TheSelectionsStyleGoesToTheTextStylesDialogWhenThereIsOne)
{
    Editor e;
    QTextCursor(&e.storage).insertText(u"big"_s, texttest::fieldFormat(0, 30.0));
    std::vector<std::vector<PWAttributedString>> offered;
    e.view.popupTextStylesDialogWithSelection(); // nobody to tell: nothing happens
    e.view.setTextStylesOpener([&](const std::vector<PWAttributedString> &proposed) { offered.push_back(proposed); });
    e.view.selectRange({3, 0});
    e.view.popupTextStylesDialogWithSelection(); // at the end: no character, no style
    e.view.selectRange({1, 0});
    e.view.popupTextStylesDialogWithSelection();
    ASSERT_EQ(offered.size(), 1u);
    ASSERT_EQ(offered.front().size(), 1u);
    EXPECT_EQ(offered.front().front().string(), u"My Style"_s);
    EXPECT_EQ(offered.front().front().runs().front().charFormat.fontPointSize(), 30.0);
}

} // namespace
