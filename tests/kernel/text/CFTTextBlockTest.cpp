// The text block component: its text in and out, its font, the editor it starts at a press,
// and attribute changes made while editing, undone and redone.
#include "kernel/text/CFTTextBlock.h"

#include "ComponentTestSupport.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDString.h"
#include "kernel/text/CCTextView.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWTextAttributes.h"
#include "platform/PWUndoManager.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QTextCharFormat style(double size, const QColor &colour = Qt::black)
{
    QTextCharFormat format;
    format.setFontFamilies({u"DejaVu Sans"_s});
    format.setFontPointSize(size);
    format.setForeground(colour);
    return format;
}

QByteArray savedBlock(const CFTTextBlock &block)
{
    return PWKeyedArchiver::archivedData(*block.getDDTextBlock()->getAttributedString());
}

struct TextCase
{
    const char *name;
    bool styled;
};

class CFTTextBlockTextTest : public testing::TestWithParam<TextCase>
{
};

// A styled text keeps its own styles; a plain one takes the block's present style.
TEST_P(CFTTextBlockTextTest, SetStringKeepsTheStylesOfAStyledText)
{
    CFTTextBlock block(nullptr, 0);
    block.SetObjectData(nullptr);
    const PWAttributedString present(u"old"_s, style(20));
    block.SetObjectData(&present);
    EXPECT_EQ(block.GetTextData()->toPlainText(), u"old"_s);
    CDDString text;
    if (GetParam().styled) {
        QTextDocument source;
        QTextCursor cursor(&source);
        cursor.insertText(u"big"_s, style(30, Qt::red));
        cursor.insertText(u" small"_s, style(9));
        text.setData(QTextDocumentFragment(&source));
    } else {
        text.setData(u"big small"_s);
    }
    block.SetString(text);
    const PWAttributedString now = *block.getDDTextBlock()->getAttributedString();
    EXPECT_EQ(now.string(), u"big small"_s);
    ASSERT_FALSE(now.runs().isEmpty());
    const QTextCharFormat first = now.runs().front().charFormat;
    const QTextCharFormat last = now.runs().back().charFormat;
    if (GetParam().styled) {
        EXPECT_EQ(first.fontPointSize(), 30.0);
        EXPECT_EQ(first.foreground().color(), QColor(Qt::red));
        EXPECT_EQ(last.fontPointSize(), 9.0);
    } else {
        EXPECT_EQ(first.fontPointSize(), 20.0);
        EXPECT_EQ(last.fontPointSize(), 20.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CFTTextBlockTextTest, testing::Values(TextCase {"Plain", false}, TextCase {"Styled", true}),
                         [](const testing::TestParamInfo<TextCase> &info) { return std::string(info.param.name); });

TEST(CFTTextBlockTest, AnEmptyBlockAnswersTheDefaultFontAndATextItsFirstFont)
{
    CFTTextBlock block(nullptr, 0);
    bool mixed = true;
    const std::optional<PWFont> none = block.GetFont(&mixed);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->toQFont().family(), CAEnvironment::defaultFont().toQFont().family());
    EXPECT_FALSE(mixed);
    PWAttributedString text(u"ab"_s, style(14));
    text.append(u"cd"_s, style(22));
    block.SetObjectData(&text);
    block.getDDTextBlock()->invalidateLayout(nullptr, 0, 0, 240, 180, 0);
    const std::optional<PWFont> font = block.GetFont(&mixed);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->toQFont().pointSizeF(), 14.0);
    EXPECT_TRUE(mixed);
}

// Runs without a font of their own keep taking the document's: a font command passes them by.
TEST(CFTTextBlockTest, SetFontPassesRunsWithoutAFontBy)
{
    CFTTextBlock block(nullptr, 0);
    QTextCharFormat bare;
    bare.setForeground(Qt::blue);
    PWAttributedString text(u"ab"_s, style(14));
    text.append(u"cd"_s, bare);
    block.SetObjectData(&text);
    block.SetFont(PWFont::fromQFont(QFont(u"DejaVu Serif"_s, 30)));
    const PWAttributedString now = *block.getDDTextBlock()->getAttributedString();
    ASSERT_EQ(now.runs().size(), 2);
    EXPECT_EQ(now.runs().front().charFormat.fontPointSize(), 30.0);
    EXPECT_FALSE(now.runs().back().charFormat.hasProperty(QTextFormat::FontPointSize));
}

// Each paragraph of the selection is changed as its own undoable step back to what it had; undo
// and redo give exactly the saved bytes of before and after.
TEST(CFTTextBlockTest, AttributesSetWhileEditingUndoAndRedoToTheSameSavedBytes)
{
    // The document's undo manager outlives its components.
    PWUndoManager undo;
    undo.setGroupsByEvent(false);
    CFTTextBlock block(nullptr, 0);
    PWAttributedString text(u"first\n"_s, style(12));
    text.append(u"second\n"_s, style(16, Qt::darkGreen));
    text.append(u"third"_s, style(10));
    block.SetObjectData(&text);
    CCTextView *editor = block.getDDTextBlock()->getEditor();
    editor->setUndoManager(&undo);
    block.startEditText(nullptr, nullptr);
    editor->selectRange({2, 8}); // from "first" into "second"
    const QByteArray before = savedBlock(block);

    undo.beginUndoGrouping();
    block.SetFontAttr(style(24, Qt::red));
    undo.endUndoGrouping();
    const QByteArray after = savedBlock(block);
    EXPECT_NE(after, before);
    const PWAttributedString changed = *block.getDDTextBlock()->getAttributedString();
    EXPECT_EQ(changed.string(), text.string());
    // The third paragraph lies outside the selection.
    EXPECT_EQ(changed.runs().back().charFormat.fontPointSize(), 10.0);
    EXPECT_EQ(changed.runs().front().charFormat.fontPointSize(), 24.0);

    for (int round = 0; round < 2; ++round) {
        undo.undo();
        EXPECT_EQ(savedBlock(block), before) << round;
        undo.redo();
        EXPECT_EQ(savedBlock(block), after) << round;
    }
    block.endEditText(nullptr);
}

struct PressCase
{
    const char *name;
    QPointF point;
    int caret;
    bool ruler;
};

class CFTTextBlockPressTest : public testing::TestWithParam<PressCase>
{
};

// A block at (100, 50) with two lines "alpha" and "beta"; the press places the caret.
TEST_P(CFTTextBlockPressTest, APressPutsTheCaretAtTheCharacterUnderIt)
{
    const PressCase &c = GetParam();
    CFTTextBlock block(100, 50, 200, 100, nullptr, 0);
    const PWAttributedString text(u"alpha\nbeta"_s, style(12));
    block.SetObjectData(&text);
    block.getDDTextBlock()->invalidateLayout(nullptr, 100, 50, 200, 100, 0);
    block.activateEditor(c.point, c.ruler);
    CCTextView *editor = block.getDDTextBlock()->getEditor();
    EXPECT_EQ(editor->selectedRange().location, c.caret);
    EXPECT_EQ(editor->selectedRange().length, 0);
    EXPECT_EQ(editor->isRulerVisible(), c.ruler);
}

INSTANTIATE_TEST_SUITE_P(Cases, CFTTextBlockPressTest,
                         testing::Values(PressCase {"StartOfTheFirstLine", {100.5, 55}, 0, false},
                                         PressCase {"EndOfTheFirstLine", {290, 55}, 5, true},
                                         PressCase {"StartOfTheSecondLine", {100.5, 70}, 6, false},
                                         PressCase {"BelowEveryLine", {100.5, 140}, 6, true}),
                         [](const testing::TestParamInfo<PressCase> &info) { return std::string(info.param.name); });

// The block's styles go onto another text, its data field by its data field.
TEST(CFTTextBlockTest, ItsStylesAreCopiedOntoAnotherText)
{
    CFTTextBlock block(nullptr, 0);
    PWAttributedString target(u"Dear Ann"_s, QTextCharFormat());
    EXPECT_TRUE(block.copyAttributesToString(&target));
    EXPECT_FALSE(target.charFormatAt(0).hasProperty(QTextFormat::FontPointSize)) << "an empty block has no styles to give";
    const PWAttributedString text(u"Hello"_s, style(17, Qt::blue));
    block.SetObjectData(&text);
    ASSERT_TRUE(block.copyAttributesToString(&target));
    EXPECT_EQ(target.charFormatAt(0).fontPointSize(), 17.0);
    EXPECT_EQ(target.charFormatAt(6).foreground().color(), QColor(Qt::blue));
    EXPECT_FALSE(block.copyAttributesToString(nullptr));
}

TEST(CFTTextBlockTest, RulersAreNeededWhenTheViewShowsItsOwn)
{
    CFTTextBlock block(nullptr, 0);
    comptest::TestCoreView view;
    EXPECT_FALSE(block.needRulers(nullptr));
    EXPECT_FALSE(block.needRulers(&view));
    view.setRulersVisible(true);
    EXPECT_TRUE(block.needRulers(&view));
}

} // namespace
