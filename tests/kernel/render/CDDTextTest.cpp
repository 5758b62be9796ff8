#include "kernel/render/CDDText.h"

#include "TextTestSupport.h"
#include "kernel/base/CDDColor.h"

#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using texttest::appendRun;
using texttest::sans;

namespace {

double sizeOf(const std::optional<QTextCharFormat> &format) { return format ? format->fontPointSize() : -1.0; }

// A text holding the string in a sans style of the given size.
CDDText &filled(CDDText &text, const QString &string, double size = 12)
{
    const QTextCharFormat style = sans(size);
    text.setString(string, &style);
    return text;
}

TEST(CDDTextTest, SetStringTakesTheGivenStyleAndAnEmptyParagraphIsNoEmptyText)
{
    CDDText text;
    QTextCursor(text.getContents()).insertBlock();
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(text.getString(), QStringLiteral("\n"));
    CDDText styled;
    const QTextCharFormat style = sans(18, Qt::red);
    styled.setString(QStringLiteral("Anna\nBerlin"), &style);
    EXPECT_EQ(styled.getString(), QStringLiteral("Anna\nBerlin"));
    EXPECT_FALSE(styled.isNewText());
    // The default text now carries the first run's style, so emptying the text keeps it.
    styled.setString(QString(), nullptr);
    EXPECT_TRUE(styled.isEmpty());
    EXPECT_DOUBLE_EQ(sizeOf(styled.GetFontAttr()), 18);
    EXPECT_EQ(styled.GetFontAttr()->foreground().color(), QColor(Qt::red));
}

QTextCharFormat defaultTextStyle(const CDDText &text)
{
    QTextCursor cursor(text.getDefValue());
    cursor.setPosition(1);
    return cursor.charFormat();
}

TEST(CDDTextTest, SetStringOfTheShownTextChangesNothingAndWhileEditingIsOneUndoableStep)
{
    CDDText fresh;
    fresh.setString(QString(), nullptr);
    EXPECT_TRUE(fresh.isNewText()) << "an empty string on an empty text is no change";
    CDDText text;
    filled(filled(text, QStringLiteral("same"), 9), QStringLiteral("same"), 40);
    EXPECT_EQ(QList<double>({sizeOf(text.GetFontAttr()), defaultTextStyle(text).fontPointSize()}), QList<double>({9, 9}));
    CDDText edited;
    filled(edited, QStringLiteral("before"));
    edited.startEditing(0, 0, 100, 20, 0);
    EXPECT_EQ(filled(edited, QStringLiteral("after")).getString(), QStringLiteral("after"));
    edited.getContents()->undo();
    EXPECT_EQ(edited.getString(), QStringLiteral("before"));
    edited.endEditing();
    filled(edited, QStringLiteral("merged"));
    EXPECT_FALSE(edited.getContents()->isUndoAvailable()) << "merges outside the editor keep no history";
}

TEST(CDDTextTest, MixedFlagTellsSeveralStylesAndAnEmptyDefaultTextAnswersNone)
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
    CDDText emptyDefault;
    emptyDefault.setDefText(PWAttributedString());
    EXPECT_FALSE(emptyDefault.GetFontAttr() || emptyDefault.GetFont());
    CDDColor color(0.2f, 0.3f, 0.4f, 1.0f);
    emptyDefault.getTextColor(color);
    EXPECT_EQ(color, CDDColor(0, 0, 0, 1));
    EXPECT_DOUBLE_EQ(emptyDefault.minSizeY(), 15.0);
}

TEST(CDDTextTest, LeadingZerosPadInTheFirstRunStyleAndAssignmentSharesButACopyIsIndependent)
{
    const struct { QString text; int width; QString expected; } cases[] = {{QStringLiteral("7"), 4, QStringLiteral("0007")},
        {QStringLiteral("12345"), 4, QStringLiteral("12345")}, {QString(), 3, QStringLiteral("000")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        CDDText text;
        const QTextCharFormat style = sans(14, Qt::darkGreen);
        text.SetFontAttr(style, false);
        text.setString(c.text, &style);
        text.addLeadingZeros(c.width);
        EXPECT_EQ(text.getString(), c.expected);
        bool mixed = false;
        EXPECT_EQ(sizeOf(text.GetFontAttr(&mixed)), 14);
        EXPECT_FALSE(mixed);
    }
    CDDText first, shared, copied;
    shared = first;
    filled(first, QStringLiteral("both"), 11);
    EXPECT_EQ(shared.getString(), QStringLiteral("both"));
    copied.copy(&first);
    filled(first, QStringLiteral("changed"));
    EXPECT_EQ(copied.getString(), QStringLiteral("both"));
    EXPECT_NE(copied.getContents(), first.getContents());
    EXPECT_DOUBLE_EQ(sizeOf(copied.GetFontAttr()), 11);
}

TEST(CDDTextTest, AppendedAndLinkedTextsKeepTheStyleInEitherOrder)
{
    // The second text already ends with the suffix: unchanged, not emptied.
    const struct { QString text, suffix; bool avoidRepeat; QString expected;
    } cases[] = {{QStringLiteral("Main St"), QStringLiteral(","), false, QStringLiteral("Main St,")},
                 {QStringLiteral("a, "), QStringLiteral(","), true, QStringLiteral("a, ")},
                 {QStringLiteral("a"), QStringLiteral(","), true, QStringLiteral("a,")},
                 {QStringLiteral("a"), QString(), true, QStringLiteral("a")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        CDDText text;
        const std::unique_ptr<CDDText> result = CDDText::createTextByAppendingString(c.suffix, filled(text, c.text, 13), c.avoidRepeat);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->getString(), c.expected);
        EXPECT_DOUBLE_EQ(sizeOf(result->GetFontAttr()), 13);
    }
    CDDText first, second;
    filled(first, QStringLiteral("A"));
    filled(second, QStringLiteral("B"));
    EXPECT_EQ(CDDText::createTextWihLinkedText(first, second, true)->getString(), QStringLiteral("AB"));
    EXPECT_EQ(CDDText::createTextWihLinkedText(first, second, false)->getString(), QStringLiteral("BA"));
}

// Measures are kept per text and style: a text measured again after a change of size, kerning or
// wording answers for what it now is, the same as a text that was never measured before.
TEST(CDDTextTest, MeasuresFollowEveryChangeOfTextAndStyle)
{
    const auto measure = [](const CDDText &text) { return std::pair(text.getContSizeX(), text.getContSizeY()); };
    const auto fresh = [&measure](const QString &string, double size, float kerning) {
        CDDText text;
        filled(text, string, size);
        if (kerning != 0.0f)
            text.setKerning(kerning);
        return measure(text);
    };
    CDDText text;
    filled(text, QStringLiteral("Springfield IL"), 12);
    const auto small = measure(text);
    text.SetFontSize(24);
    const auto large = measure(text);
    EXPECT_GT(large.first, small.first * 1.5);
    EXPECT_GT(large.second, small.second * 1.5);
    EXPECT_EQ(large, fresh(QStringLiteral("Springfield IL"), 24, 0.0f));
    text.setKerning(3.0f);
    const auto spaced = measure(text);
    EXPECT_GT(spaced.first, large.first);
    EXPECT_EQ(spaced, fresh(QStringLiteral("Springfield IL"), 24, 3.0f));
    text.setKerning(0.0f);
    text.SetFontSize(12);
    EXPECT_EQ(measure(text), small);
    filled(text, QStringLiteral("Springfield, IL"), 12);
    EXPECT_GT(measure(text).first, small.first);
}

TEST(CDDTextTest, SnapshotAndRestoreStopAtTheFloor)
{
    CDDText text;
    filled(text, QStringLiteral("tiny"), 2).snapshotObject();
    text.SetFontSize(30);
    text.restoreObject();
    EXPECT_DOUBLE_EQ(text.GetFont()->pointSize(), 3.0);
}

QVariantMap tagged(int tag) { return QVariantMap {{QStringLiteral("FTTextTag"), tag}}; }

QTextCharFormat taggedStyle(int tag, const QTextCharFormat &style = QTextCharFormat())
{
    QTextCharFormat format = style;
    format.setProperty(PWTextAttributes::CustomAttributes, tagged(tag));
    return format;
}

TEST(CDDTextTest, CopyAttributesStylesTargetByDataField)
{
    CDDText text;
    appendRun(text.getContents(), QStringLiteral("Name "), taggedStyle(1, sans(20)));
    appendRun(text.getContents(), QStringLiteral("City"), taggedStyle(2, sans(8)));
    PWAttributedString target;
    target.append(QStringLiteral("Paris"), taggedStyle(2));
    target.append(QStringLiteral(" x"), taggedStyle(7));
    target.append(QStringLiteral(" plain"), QTextCharFormat());
    text.copyAttributesToString(&target);
    ASSERT_EQ(target.runs().size(), 3);
    // No untagged run in the text: the first registered style stands in, without its tag, for
    // unknown fields and untagged runs alike; each run keeps its own tag.
    EXPECT_EQ(QList<double>({target.charFormatAt(0).fontPointSize(), target.charFormatAt(6).fontPointSize(),
                             target.charFormatAt(9).fontPointSize()}), QList<double>({8, 20, 20}));
    EXPECT_EQ(target.charFormatAt(6).property(PWTextAttributes::CustomAttributes).toMap(), tagged(7));
    EXPECT_FALSE(target.charFormatAt(9).hasProperty(PWTextAttributes::CustomAttributes));
    EXPECT_EQ(target.string(), QStringLiteral("Paris x plain"));
    PWAttributedString empty;
    text.copyAttributesToString(&empty);
    EXPECT_TRUE(empty.isEmpty());
    text.copyAttributesToString(nullptr);
}

TEST(CDDTextTest, EditingKeepsTheTypingStyleAndTheEditorTurnsWithTheFrame)
{
    CDDText text;
    text.startEditing(10, 20, 100, 30, 0);
    EXPECT_TRUE(text.isEditing());
    // The editor's lines start inside the line inset, where the drawn text starts.
    EXPECT_EQ(text.editorFrame(), QRectF(10 + CDDText::kLinePadding, 20, 100 - 2 * CDDText::kLinePadding, 30));
    const QTextCharFormat typing = sans(25);
    text.endEditing(&typing);
    EXPECT_FALSE(text.isEditing() || text.isNewText());
    EXPECT_DOUBLE_EQ(sizeOf(text.GetFontAttr()), 25);
    text.endEditing(&typing); // not editing: nothing
    CDDText turned;
    turned.startEditing(0, 0, 100, 20, M_PI / 2);
    EXPECT_DOUBLE_EQ(turned.editorRotation(), 90.0);
    // The start of the lines, (1, 0) with the inset, turned a quarter about the frame's centre (50, 10).
    EXPECT_NEAR(QLineF(turned.editorFrame().topLeft(), QPointF(60, -40 + CDDText::kLinePadding)).length(), 0, 1e-9);
    turned.alignEditorFrame(0, 5, 6, 70, 20);
    EXPECT_DOUBLE_EQ(turned.editorRotation(), 0.0);
    EXPECT_EQ(turned.editorFrame(), QRectF(5 + CDDText::kLinePadding, 6, 70 - 2 * CDDText::kLinePadding, 20));
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
