#include "kernel/foundation/CDDText.h"

#include "TextTestSupport.h"
#include "kernel/foundation/CDDColor.h"

#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using texttest::appendRun;
using texttest::sans;

namespace {

double sizeOf(const std::optional<QTextCharFormat> &format)
{
    return format ? format->fontPointSize() : -1.0;
}

TEST(CDDTextTest, AnEmptyParagraphIsNotAnEmptyText)
{
    CDDText text;
    QTextCursor(text.getContents()).insertBlock();
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(text.getString(), QStringLiteral("\n"));
}

TEST(CDDTextTest, SetStringTakesTheGivenStyleAndTheDefaultTextFollows)
{
    CDDText text;
    const QTextCharFormat style = sans(18, Qt::red);
    text.setString(QStringLiteral("Anna\nBerlin"), &style);
    EXPECT_EQ(text.getString(), QStringLiteral("Anna\nBerlin"));
    EXPECT_FALSE(text.isNewText());
    EXPECT_DOUBLE_EQ(sizeOf(text.GetFontAttr()), 18);
    // The default text now carries the first run's style, so emptying the text keeps it.
    text.setString(QString(), nullptr);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_DOUBLE_EQ(sizeOf(text.GetFontAttr()), 18);
    EXPECT_EQ(text.GetFontAttr()->foreground().color(), QColor(Qt::red));
}

QTextCharFormat defaultTextStyle(const CDDText &text)
{
    QTextCursor cursor(text.getDefValue());
    cursor.setPosition(1);
    return cursor.charFormat();
}

TEST(CDDTextTest, SetStringOfTheShownTextChangesNothing)
{
    CDDText fresh;
    fresh.setString(QString(), nullptr);
    EXPECT_TRUE(fresh.isNewText()) << "an empty string on an empty text is no change";
    CDDText text;
    const QTextCharFormat small = sans(9);
    const QTextCharFormat large = sans(40);
    text.setString(QStringLiteral("same"), &small);
    text.setString(QStringLiteral("same"), &large);
    EXPECT_DOUBLE_EQ(sizeOf(text.GetFontAttr()), 9);
    EXPECT_DOUBLE_EQ(defaultTextStyle(text).fontPointSize(), 9);
}

TEST(CDDTextTest, SetStringWhileEditingIsOneUndoableStep)
{
    CDDText text;
    const QTextCharFormat style = sans(12);
    text.setString(QStringLiteral("before"), &style);
    text.startEditing(0, 0, 100, 20, 0);
    text.setString(QStringLiteral("after"), &style);
    EXPECT_EQ(text.getString(), QStringLiteral("after"));
    text.getContents()->undo();
    EXPECT_EQ(text.getString(), QStringLiteral("before"));
    text.endEditing();
    text.setString(QStringLiteral("merged"), &style);
    EXPECT_FALSE(text.getContents()->isUndoAvailable()) << "merges outside the editor keep no history";
}

TEST(CDDTextTest, MixedFlagTellsSeveralStyles)
{
    CDDText text;
    bool mixed = false;
    appendRun(text.getContents(), QStringLiteral("one"), sans(10));
    text.GetFontAttr(&mixed);
    EXPECT_FALSE(mixed);
    mixed = true;
    text.GetFontAttr(&mixed);
    EXPECT_TRUE(mixed) << "one style leaves the flag as it was";
    appendRun(text.getContents(), QStringLiteral("two"), sans(20));
    mixed = false;
    EXPECT_DOUBLE_EQ(sizeOf(text.GetFontAttr(&mixed)), 10);
    EXPECT_TRUE(mixed);
    CDDText empty;
    mixed = true;
    empty.GetFont(&mixed);
    EXPECT_FALSE(mixed);
}

TEST(CDDTextTest, EmptyDefaultTextAnswersNoAttributes)
{
    CDDText text;
    text.setDefText(PWAttributedString());
    EXPECT_FALSE(text.GetFontAttr());
    EXPECT_FALSE(text.GetFont());
    CDDColor color(0.2f, 0.3f, 0.4f, 1.0f);
    text.getTextColor(color);
    EXPECT_EQ(color, CDDColor(0, 0, 0, 1));
    EXPECT_DOUBLE_EQ(text.minSizeY(), 15.0);
}

TEST(CDDTextTest, LeadingZerosPadToTheWidthInTheFirstRunStyle)
{
    const struct
    {
        QString text;
        int width;
        QString expected;
    } cases[] = {{QStringLiteral("7"), 4, QStringLiteral("0007")},
                 {QStringLiteral("12345"), 4, QStringLiteral("12345")},
                 {QString(), 3, QStringLiteral("000")},
                 {QStringLiteral("5"), 0, QStringLiteral("5")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        CDDText text;
        const QTextCharFormat style = sans(14, Qt::darkGreen);
        text.SetFontAttr(style, false);
        text.setString(c.text, &style);
        text.addLeadingZeros(c.width);
        EXPECT_EQ(text.getString(), c.expected);
        EXPECT_DOUBLE_EQ(sizeOf(text.GetFontAttr()), 14);
        bool mixed = false;
        text.GetFontAttr(&mixed);
        EXPECT_FALSE(mixed);
    }
}

TEST(CDDTextTest, AssignmentSharesAndCopyIsIndependent)
{
    CDDText first;
    CDDText shared;
    shared = first;
    const QTextCharFormat style = sans(11);
    first.setString(QStringLiteral("both"), &style);
    EXPECT_EQ(shared.getString(), QStringLiteral("both"));
    EXPECT_EQ(shared.getContents(), first.getContents());
    CDDText copied;
    copied.copy(&first);
    first.setString(QStringLiteral("changed"), &style);
    EXPECT_EQ(copied.getString(), QStringLiteral("both"));
    EXPECT_NE(copied.getContents(), first.getContents());
    EXPECT_DOUBLE_EQ(sizeOf(copied.GetFontAttr()), 11);
}

TEST(CDDTextTest, DDStringIsAValueOfItsOwn)
{
    CDDText one;
    CDDText two;
    one.setString(QStringLiteral("one"), nullptr);
    two.setString(QStringLiteral("two"), nullptr);
    const CDDString a = one.getDDString();
    EXPECT_EQ(two.getDDString().getData(), QStringLiteral("two"));
    EXPECT_EQ(a.getData(), QStringLiteral("one"));
}

TEST(CDDTextTest, AppendingKeepsTheTextsStyleAndCanAvoidARepeat)
{
    const struct
    {
        QString text;
        QString suffix;
        bool avoidRepeat;
        QString expected;
    } cases[] = {{QStringLiteral("Main St"), QStringLiteral(","), false, QStringLiteral("Main St,")},
                 // The text already ends with it: unchanged, not emptied.
                 {QStringLiteral("a, "), QStringLiteral(","), true, QStringLiteral("a, ")},
                 {QStringLiteral("a"), QStringLiteral(","), true, QStringLiteral("a,")},
                 {QStringLiteral("a"), QString(), true, QStringLiteral("a")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        CDDText text;
        const QTextCharFormat style = sans(13);
        text.setString(c.text, &style);
        const std::unique_ptr<CDDText> result = CDDText::createTextByAppendingString(c.suffix, text, c.avoidRepeat);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->getString(), c.expected);
        EXPECT_DOUBLE_EQ(sizeOf(result->GetFontAttr()), 13);
    }
}

TEST(CDDTextTest, LinkedTextJoinsInEitherOrder)
{
    CDDText first;
    CDDText second;
    first.setString(QStringLiteral("A"), nullptr);
    second.setString(QStringLiteral("B"), nullptr);
    EXPECT_EQ(CDDText::createTextWihLinkedText(first, second, true)->getString(), QStringLiteral("AB"));
    EXPECT_EQ(CDDText::createTextWihLinkedText(first, second, false)->getString(), QStringLiteral("BA"));
}

TEST(CDDTextTest, SnapshotAndRestoreStopAtTheFloor)
{
    CDDText text;
    const QTextCharFormat style = sans(2);
    text.setString(QStringLiteral("tiny"), &style);
    text.snapshotObject();
    text.SetFontSize(30);
    text.restoreObject();
    EXPECT_DOUBLE_EQ(text.GetFont()->pointSize(), 3.0);
}

QVariantMap tagged(int tag)
{
    return QVariantMap {{QStringLiteral("FTTextTag"), tag}};
}

TEST(CDDTextTest, CopyAttributesStylesTargetByDataField)
{
    CDDText text;
    QTextCharFormat name = sans(20);
    name.setProperty(PWTextAttributes::CustomAttributes, tagged(1));
    QTextCharFormat city = sans(8);
    city.setProperty(PWTextAttributes::CustomAttributes, tagged(2));
    appendRun(text.getContents(), QStringLiteral("Name "), name);
    appendRun(text.getContents(), QStringLiteral("City"), city);
    QTextCharFormat targetCity;
    targetCity.setProperty(PWTextAttributes::CustomAttributes, tagged(2));
    QTextCharFormat targetOther;
    targetOther.setProperty(PWTextAttributes::CustomAttributes, tagged(7));
    PWAttributedString target;
    target.append(QStringLiteral("Paris"), targetCity);
    target.append(QStringLiteral(" x"), targetOther);
    target.append(QStringLiteral(" plain"), QTextCharFormat());
    text.copyAttributesToString(&target);
    ASSERT_EQ(target.runs().size(), 3);
    EXPECT_DOUBLE_EQ(target.charFormatAt(0).fontPointSize(), 8);
    // No untagged run in the text: the first registered style stands in, without its tag, for
    // unknown fields and untagged runs alike; each run keeps its own tag.
    EXPECT_DOUBLE_EQ(target.charFormatAt(6).fontPointSize(), 20);
    EXPECT_DOUBLE_EQ(target.charFormatAt(9).fontPointSize(), 20);
    EXPECT_EQ(target.charFormatAt(6).property(PWTextAttributes::CustomAttributes).toMap(), tagged(7));
    EXPECT_FALSE(target.charFormatAt(9).hasProperty(PWTextAttributes::CustomAttributes));
    EXPECT_EQ(target.string(), QStringLiteral("Paris x plain"));
    PWAttributedString empty;
    text.copyAttributesToString(&empty);
    EXPECT_TRUE(empty.isEmpty());
    text.copyAttributesToString(nullptr);
}

TEST(CDDTextTest, EditingKeepsTheTypingStyleOfAnEmptyText)
{
    CDDText text;
    text.startEditing(10, 20, 100, 30, 0);
    EXPECT_TRUE(text.isEditing());
    EXPECT_EQ(text.editorFrame(), QRectF(10, 20, 100, 30));
    const QTextCharFormat typing = sans(25);
    text.endEditing(&typing);
    EXPECT_FALSE(text.isEditing());
    EXPECT_FALSE(text.isNewText());
    EXPECT_DOUBLE_EQ(sizeOf(text.GetFontAttr()), 25);
    text.endEditing(&typing); // not editing: nothing
}

TEST(CDDTextTest, EditorTurnsWithTheFrameAndBack)
{
    CDDText text;
    text.startEditing(0, 0, 100, 20, M_PI / 2);
    EXPECT_DOUBLE_EQ(text.editorRotation(), 90.0);
    // The corner of a frame turned a quarter about its centre (50, 10).
    EXPECT_NEAR(text.editorFrame().x(), 60.0, 1e-9);
    EXPECT_NEAR(text.editorFrame().y(), -40.0, 1e-9);
    text.alignEditorFrame(0, 5, 6, 70, 20);
    EXPECT_DOUBLE_EQ(text.editorRotation(), 0.0);
    EXPECT_EQ(text.editorFrame(), QRectF(5, 6, 70, 20));
}

using Ranges = std::vector<std::pair<int, int>>;

struct ParagraphCase
{
    const char *name;
    const char16_t *text;
    int location;
    int length;
    Ranges ranges;
};

class ParagraphRanges : public ::testing::TestWithParam<ParagraphCase>
{
};

TEST_P(ParagraphRanges, IncludeTheirLineEnd)
{
    CDDText text;
    text.setString(QString::fromUtf16(GetParam().text), nullptr);
    EXPECT_EQ(text.paragraphsRangeForRange(GetParam().location, GetParam().length), GetParam().ranges);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParagraphRanges,
                         ::testing::Values(ParagraphCase {"AtTheLineEnd", u"ab\ncd", 2, 0, {{0, 3}}},
                                           ParagraphCase {"AfterAFinalLineEnd", u"ab\n", 3, 0, {{0, 3}}},
                                           ParagraphCase {"AfterALineSeparator", u"ab\u2028cd", 3, 1, {{3, 2}}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CDDTextTest, WhileEditingParagraphsAndKerningCoverTheWholeText)
{
    CDDText text;
    const QTextCharFormat small = sans(10);
    text.setString(QStringLiteral("ab cd\nef"), &small);
    appendRun(text.getContents(), QStringLiteral("g"), sans(20));
    text.startEditing(0, 0, 100, 40, 0);
    EXPECT_EQ(text.getEditorSelectedRange(), (std::pair<int, int> {0, 9}));
    EXPECT_EQ(text.paragraphsRangeForSelection(), (Ranges {{0, 6}, {6, 3}}));
    const std::vector<PWAttributedString> paragraphs = text.paragraphsForRange(7, 0);
    ASSERT_EQ(paragraphs.size(), 1u);
    EXPECT_EQ(paragraphs[0].string(), QStringLiteral("efg"));
    EXPECT_DOUBLE_EQ(paragraphs[0].charFormatAt(1).fontPointSize(), 10);
    EXPECT_DOUBLE_EQ(paragraphs[0].charFormatAt(2).fontPointSize(), 20);
    EXPECT_EQ(text.paragraphsForRange(0, 0)[0].string(), QStringLiteral("ab cd\n"));
    text.SetSpacingCharacter(1.5f);
    for (const int position : {1, 9}) {
        QTextCursor cursor(text.getContents());
        cursor.setPosition(position);
        EXPECT_DOUBLE_EQ(cursor.charFormat().doubleProperty(PWTextAttributes::Kerning), 1.5) << position;
    }
}

} // namespace
