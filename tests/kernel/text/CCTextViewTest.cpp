// The block editing view: data-field commands act on every run of the highlighted field as one
// undoable step; selections widen onto list markers; pastes strip only the incoming marks.
#include "kernel/text/CCTextView.h"

#include "TextTestSupport.h"
#include "kernel/render/CCLayoutManager.h"
#include "kernel/text/CCTextList.h"
#include "platform/PWTextAttributes.h"
#include "platform/PWUndoManager.h"

#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// "Dear NAME, see you in CITY, NAME" with NAME field 3 and CITY field 5.
struct Editing
{
    QTextDocument storage;
    CCLayoutManager highlight;
    PWUndoManager undo;
    CCTextView view {&storage, &highlight};

    Editing()
    {
        undo.setGroupsByEvent(false);
        view.setUndoManager(&undo);
        PWAttributedString text;
        text.append(u"Dear "_s, texttest::fieldFormat(0));
        text.append(u"NAME"_s, texttest::fieldFormat(3));
        text.append(u", see you in "_s, texttest::fieldFormat(0));
        text.append(u"CITY"_s, texttest::fieldFormat(5));
        text.append(u", "_s, texttest::fieldFormat(0));
        text.append(u"NAME"_s, texttest::fieldFormat(3));
        text.writeTo(&storage);
    }
    PWAttributedString text() const { return PWAttributedString::fromDocument(&storage); }
    void command(const std::function<void()> &run)
    {
        undo.beginUndoGrouping();
        run();
        undo.endUndoGrouping();
    }
};

struct FieldCommandCase
{
    const char *name;
    std::function<void(CCTextView &)> run;
    const char *actionTitle; // the undo step's name, from its localized key
    std::function<bool(const QTextCharFormat &)> changed;
};

class CCTextViewFieldCommandTest : public testing::TestWithParam<FieldCommandCase>
{
};

TEST_P(CCTextViewFieldCommandTest, ChangesEveryRunOfTheFieldAsOneUndoableStep)
{
    Editing editing;
    const PWAttributedString before = editing.text();
    editing.highlight.setHighlightedDataField(3);
    editing.view.selectRange({0, 2});
    editing.command([&] { GetParam().run(editing.view); });
    const PWAttributedString after = editing.text();
    EXPECT_TRUE(GetParam().changed(after.charFormatAt(5))) << "first NAME";
    EXPECT_TRUE(GetParam().changed(after.charFormatAt(after.length() - 1))) << "second NAME";
    EXPECT_FALSE(GetParam().changed(after.charFormatAt(0))) << "the selection is not the target";
    EXPECT_FALSE(GetParam().changed(after.charFormatAt(23))) << "another field";
    EXPECT_EQ(editing.undo.undoActionName(), QString::fromLatin1(GetParam().actionTitle));
    editing.undo.undo();
    EXPECT_EQ(editing.text(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CCTextViewFieldCommandTest,
    testing::Values(
        FieldCommandCase {"Colour", [](CCTextView &v) { v.changeColor(QColor(0, 128, 0)); }, "Change Field Color",
                          [](const QTextCharFormat &f) { return f.foreground().color() == QColor(0, 128, 0); }},
        FieldCommandCase {"Font", [](CCTextView &v) { v.changeFont([](const QFont &font) { QFont f = font; f.setPointSizeF(30); return f; }); },
                          "Change Field Font", [](const QTextCharFormat &f) { return f.fontPointSize() == 30.0; }},
        FieldCommandCase {"Attributes", [](CCTextView &v) { v.changeAttributes([](const QTextCharFormat &f) { QTextCharFormat c = f; c.setFontItalic(true); return c; }); },
                          "Change Field Style", [](const QTextCharFormat &f) { return f.fontItalic(); }},
        FieldCommandCase {"Tighten", [](CCTextView &v) { v.tightenKerning(); }, "Tighten Field Kerning",
                          [](const QTextCharFormat &f) { return std::abs(f.doubleProperty(PWTextAttributes::Kerning) + 0.1) < 1e-6; }},
        FieldCommandCase {"Loosen", [](CCTextView &v) { v.loosenKerning(); }, "Loosen Field Kerning",
                          [](const QTextCharFormat &f) { return std::abs(f.doubleProperty(PWTextAttributes::Kerning) - 0.1) < 1e-6; }},
        FieldCommandCase {"KerningOff", [](CCTextView &v) { v.turnOffKerning(); }, "Turn Off Field Kerning",
                          [](const QTextCharFormat &f) {
                              return f.hasProperty(PWTextAttributes::Kerning) && f.doubleProperty(PWTextAttributes::Kerning) == 0.0;
                          }},
        FieldCommandCase {"LigaturesOff", [](CCTextView &v) { v.turnOffLigatures(); }, "Turn Off Field Ligatures",
                          [](const QTextCharFormat &f) { return f.property(PWTextAttributes::CustomAttributes).toMap().value(u"NSLigature"_s) == QVariant(0); }},
        FieldCommandCase {"AllLigatures", [](CCTextView &v) { v.useAllLigatures(); }, "Use All Field Ligatures",
                          [](const QTextCharFormat &f) { return f.property(PWTextAttributes::CustomAttributes).toMap().value(u"NSLigature"_s) == QVariant(2); }},
        FieldCommandCase {"StandardLigatures", [](CCTextView &v) { v.useStandardLigatures(); }, "Use Standard Field Ligatures",
                          [](const QTextCharFormat &f) { return f.property(PWTextAttributes::CustomAttributes).toMap().value(u"NSLigature"_s) == QVariant(1); }}),
    [](const testing::TestParamInfo<FieldCommandCase> &info) { return std::string(info.param.name); });

TEST(CCTextViewTest, TighteningTwiceAddsUp)
{
    Editing editing;
    editing.highlight.setHighlightedDataField(5);
    editing.command([&] { editing.view.tightenKerning(); });
    editing.command([&] { editing.view.tightenKerning(); });
    EXPECT_NEAR(editing.text().charFormatAt(23).doubleProperty(PWTextAttributes::Kerning), -0.2, 1e-6);
}

TEST(CCTextViewTest, DeletingAHighlightedFieldRemovesEveryRunAndOneUndoBringsThemBack)
{
    Editing editing;
    const PWAttributedString before = editing.text();
    editing.highlight.setHighlightedDataField(3);
    editing.view.selectRange({20, 0});
    editing.command([&] { editing.view.deleteBackward(); });
    EXPECT_EQ(editing.storage.toPlainText(), u"Dear , see you in CITY, "_s);
    EXPECT_EQ(editing.undo.undoActionName(), u"Delete Field"_s);
    editing.undo.undo();
    EXPECT_EQ(editing.text(), before);
    editing.undo.redo();
    EXPECT_EQ(editing.storage.toPlainText(), u"Dear , see you in CITY, "_s);
}

TEST(CCTextViewTest, WithoutAFieldTheCommandsActOnTheSelection)
{
    Editing editing;
    editing.view.selectRange({0, 4});
    editing.view.changeColor(QColor(0, 0, 255));
    EXPECT_EQ(editing.text().charFormatAt(0).foreground().color(), QColor(0, 0, 255));
    EXPECT_FALSE(editing.text().charFormatAt(5).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_FALSE(editing.undo.canUndo());
    editing.view.selectRange({4, 0});
    editing.view.deleteBackward();
    EXPECT_TRUE(editing.storage.toPlainText().startsWith(u"Dea NAME"_s));
}

TEST(CCTextViewTest, ASelectionChangeEndsTheHighlightAndWidensOntoMarkers)
{
    QTextDocument storage;
    CCLayoutManager highlight;
    CCTextView view(&storage, &highlight);
    const CCTextList list(ltNumbered);
    PWAttributedString text;
    QTextCharFormat marker;
    marker.setProperty(PWTextAttributes::CustomAttributes, QVariantMap {{CCTextList::kListAttribute, list.toVariant()}});
    text.append(u"\t1.\t"_s, marker);
    text.append(u"apples"_s, QTextCharFormat());
    text.writeTo(&storage);
    highlight.setHighlightedDataField(4);
    view.setSelectedRange({1, 0});
    EXPECT_EQ(highlight.getHighlightedDataField(), 0);
    EXPECT_EQ(view.selectedRange(), (CCTextStorage::Range {0, 4}));
    EXPECT_TRUE(view.shouldDrawInsertionPoint());
    // A caret at the very end is left alone.
    view.setSelectedRange({10, 0});
    EXPECT_EQ(view.selectedRange(), (CCTextStorage::Range {10, 0}));
}

TEST(CCTextViewTest, PastingKeepsTheMarksOfTheExistingTextAndStripsTheIncoming)
{
    Editing editing;
    PWAttributedString incoming;
    QTextCharFormat bold = texttest::fieldFormat(7);
    bold.setFontWeight(QFont::Bold);
    incoming.append(u"Ann"_s, bold);
    editing.view.selectRange({0, 0});
    editing.view.paste(incoming);
    const PWAttributedString after = editing.text();
    EXPECT_EQ(editing.storage.toPlainText().left(8), u"AnnDear "_s);
    EXPECT_EQ(CCTextStorage::textTag(after.charFormatAt(8)), 3) << "the existing field stays a field";
    EXPECT_EQ(CCTextStorage::textTag(after.charFormatAt(0)), 0) << "the incoming mark is stripped";
    EXPECT_EQ(after.charFormatAt(0).fontWeight(), QFont::Bold) << "a paste keeps the incoming style";

    Editing plain;
    plain.view.selectRange({0, 0});
    plain.view.pasteAsPlainText(incoming);
    EXPECT_NE(plain.text().charFormatAt(0).fontWeight(), QFont::Bold) << "a plain paste takes no style";
    EXPECT_EQ(CCTextStorage::textTag(plain.text().charFormatAt(8)), 3);
}

TEST(CCTextViewTest, DragsAndTheProposedStyle)
{
    EXPECT_FALSE(CCTextView::acceptsDrag({u"image/tiff"_s}));
    EXPECT_TRUE(CCTextView::acceptsDrag({u"image/tiff"_s, u"text/vcard"_s}));
    EXPECT_TRUE(CCTextView::acceptsDrag({u"text/uri-list"_s}));
    Editing editing;
    editing.view.selectRange({5, 0});
    const std::optional<PWAttributedString> style = editing.view.proposedTextStyle();
    ASSERT_TRUE(style);
    EXPECT_EQ(style->string(), u"My Style"_s);
    EXPECT_EQ(CCTextStorage::textTag(style->charFormatAt(0)), 3);
    editing.view.selectRange({int(editing.storage.toPlainText().size()), 0});
    EXPECT_FALSE(editing.view.proposedTextStyle());
}

} // namespace
