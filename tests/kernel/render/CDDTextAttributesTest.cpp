#include "kernel/render/CDDText.h"

#include "platform/PWParagraphStyle.h"
#include "kernel/render/CDDTextRuns.h"

#include "TextTestSupport.h"
#include "kernel/base/CDDColor.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cstring>

#include <gtest/gtest.h>

using texttest::appendRun;
using texttest::sans;

namespace {

QTextCharFormat formatAt(const QTextDocument *document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument *>(document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

// A text of two runs: "ab" at 12 points with kerning 1.0, "cd" at 18 points without kerning.
void makeTwoRuns(CDDText &text)
{
    QTextCharFormat first = sans(12);
    first.setProperty(PWTextAttributes::Kerning, 1.0);
    appendRun(text.getContents(), QStringLiteral("ab"), first);
    appendRun(text.getContents(), QStringLiteral("cd"), texttest::style(QStringLiteral("DejaVuSerif"), 18));
}

float floatProperty(const QTextCharFormat &format, int property) { return float(format.doubleProperty(property)); }

// The property at each position of the contents, in single precision.
QList<float> propertyAt(const CDDText &text, int property, const QList<int> &positions)
{
    QList<float> values;
    for (const int position : positions)
        values.append(floatProperty(formatAt(text.getContents(), position), property));
    return values;
}

TEST(CDDTextAttributesTest, BaselineStepsInSinglePrecisionOnEveryRunAndTheDefaultText)
{
    CDDText text;
    makeTwoRuns(text);
    text.raiseBaseline();
    text.raiseBaseline();
    EXPECT_EQ(propertyAt(text, PWTextAttributes::BaselineOffset, {0, 2}), QList<float>({0.2f, 0.2f}));
    EXPECT_EQ(floatProperty(formatAt(text.getDefValue(), 0), PWTextAttributes::BaselineOffset), 0.2f);
    // The stored value is itself a single-precision number.
    const double stored = formatAt(text.getContents(), 0).doubleProperty(PWTextAttributes::BaselineOffset);
    EXPECT_EQ(stored, double(float(stored)));
    text.lowerBaseline();
    EXPECT_NEAR(formatAt(text.getContents(), 3).doubleProperty(PWTextAttributes::BaselineOffset), 0.1, 1e-6);
}

TEST(CDDTextAttributesTest, KerningStepsFromEachRunsOwnValue)
{
    CDDText text;
    makeTwoRuns(text);
    text.tightenKerning();
    EXPECT_EQ(propertyAt(text, PWTextAttributes::Kerning, {0, 2}), QList<float>({0.9f, -0.1f}));
    text.loosenKerning();
    // Back by the same step, up to single-precision rounding.
    EXPECT_NEAR(floatProperty(formatAt(text.getContents(), 2), PWTextAttributes::Kerning), 0.0f, 1e-6);
}

// A kerning of so many points widens a text by so many points for every character, whatever
// the characters' own widths.
TEST(CDDTextAttributesTest, KerningAddsItsPointsAfterEveryCharacter)
{
    const struct
    {
        const char *text;
        float kerning;
    } cases[] = {{"iiii", 1.0f}, {"WWWW", 1.0f}, {"iiii", 2.5f}, {"WWWW", -0.5f}, {"MMMMMMMM", 0.3f}};
    for (const auto &row : cases) {
        SCOPED_TRACE(row.text);
        CDDText plain, kerned;
        const QTextCharFormat style = sans(12);
        for (CDDText *text : {&plain, &kerned}) {
            text->SetFontAttr(style, false);
            text->setString(QString::fromLatin1(row.text), &style);
        }
        kerned.setKerning(row.kerning);
        const double characters = double(std::strlen(row.text));
        // Qt spaces letters in steps of about a hundredth of a point.
        EXPECT_NEAR(kerned.getContSizeX() - plain.getContSizeX(), row.kerning * characters, 0.01 * characters);
    }
}

TEST(CDDTextAttributesTest, FontSizeCommandsTakeTheFirstRunsFontKeepEachFamilyAndStopAtThreePoints)
{
    CDDText text;
    makeTwoRuns(text);
    text.IncreaseFontSize();
    bool mixed = false;
    const std::optional<PWFont> font = text.GetFont(&mixed);
    ASSERT_TRUE(font);
    EXPECT_FALSE(mixed);
    EXPECT_EQ(*font, PWFont(QStringLiteral("DejaVuSans"), 13));
    CDDText resized;
    makeTwoRuns(resized);
    resized.SetFontSize(20);
    EXPECT_EQ(QList<double>({formatAt(resized.getContents(), 0).fontPointSize(), formatAt(resized.getContents(), 3).fontPointSize(),
                             formatAt(resized.getDefValue(), 0).fontPointSize()}), QList<double>({20, 20, 20}));
    EXPECT_NE(formatAt(resized.getContents(), 0).fontFamilies(), formatAt(resized.getContents(), 3).fontFamilies());
    const std::pair<std::function<void(CDDText &)>, double> cases[] = {
        {[](CDDText &t) { t.DecreaseFontSize(); t.DecreaseFontSize(); }, 3.0}, {[](CDDText &t) { t.SetFontSize(-4); }, 3.0},
        {[](CDDText &t) { t.ChangeFontSize(-10); }, 3.0}, {[](CDDText &t) { t.updateFontSizeWithKoeff(0.1); }, 3.0},
        {[](CDDText &t) { t.updateFontSizeWithKoeff(3.0); }, 10.0}};
    int row = 0;
    for (const auto &[command, expected] : cases) {
        CDDText text;
        const QTextCharFormat style = sans(3.5);
        text.SetFontAttr(style, false);
        text.setString(QStringLiteral("x"), &style);
        command(text);
        EXPECT_EQ(text.GetFont()->pointSize(), expected) << "row " << row;
        EXPECT_EQ(formatAt(text.getDefValue(), 0).fontPointSize(), expected) << "row " << row++;
    }
}

TEST(CDDTextAttributesTest, SetFontAttrLeavesOneStyleUnlessItKeepsTheColour)
{
    CDDText text;
    makeTwoRuns(text);
    const QTextCharFormat style = sans(9, Qt::blue);
    text.SetFontAttr(style, false);
    bool mixed = false;
    EXPECT_TRUE(text.IsEqualFontAttr(*text.GetFontAttr(&mixed)));
    EXPECT_FALSE(mixed);
    EXPECT_EQ(formatAt(text.getDefValue(), 0).foreground().color(), QColor(Qt::blue));
    CDDText redText;
    appendRun(redText.getContents(), QStringLiteral("red"), sans(10, Qt::red));
    redText.SetFontAttr(sans(14, Qt::green), true);
    EXPECT_EQ(formatAt(redText.getContents(), 0).foreground().color(), QColor(Qt::red));
    EXPECT_DOUBLE_EQ(formatAt(redText.getContents(), 0).fontPointSize(), 14);
    EXPECT_EQ(formatAt(redText.getDefValue(), 0).foreground().color(), QColor(Qt::green));
}

TEST(CDDTextAttributesTest, EqualFontsAndColoursOfTextAndBackground)
{
    CDDText text;
    makeTwoRuns(text);
    EXPECT_FALSE(text.IsEqualFont(PWFont(QStringLiteral("DejaVuSans"), 12)));
    text.SetFont(PWFont(QStringLiteral("DejaVuSans"), 12));
    EXPECT_TRUE(text.IsEqualFont(PWFont(QStringLiteral("DejaVuSans"), 12)));
    CDDText blank;
    CDDColor color(0.5f, 0.5f, 0.5f, 1.0f), back(0.1f, 0.2f, 0.3f, 1.0f);
    blank.getTextColor(color);
    EXPECT_EQ(color, CDDColor(0, 0, 0, 1)) << "no colour set reads as opaque black";
    blank.setTextColor(CDDColor(1, 0, 0, 1));
    blank.getTextColor(color);
    EXPECT_EQ(color, CDDColor(1, 0, 0, 1)) << "the default text took it";
    blank.getBackColor(back);
    EXPECT_EQ(back, CDDColor(0.1f, 0.2f, 0.3f, 1.0f)) << "an empty text leaves the value";
    blank.setString(QStringLiteral("x"), nullptr);
    const CDDColor yellow(1, 1, 0, 1);
    blank.setBackColor(&yellow);
    blank.getBackColor(back);
    EXPECT_EQ(back, yellow);
}

TEST(CDDTextAttributesTest, AlignmentMapsTheKernelValueAndParagraphSpacingSurvivesTheSameAlignment)
{
    // Justified centres; right wins over centre; vertical bits are ignored.
    const std::pair<textAlignment, Qt::Alignment> cases[] = {{taLeft, Qt::AlignLeft}, {taCenter, Qt::AlignHCenter},
        {taJustified, Qt::AlignHCenter}, {textAlignment(taRight | taCenter), Qt::AlignRight}, {textAlignment(16), Qt::AlignLeft}};
    for (const auto &[alignment, expected] : cases) {
        CDDText text;
        text.setString(QStringLiteral("one\ntwo"), nullptr);
        EXPECT_TRUE(text.SetAlignment(alignment));
        for (QTextBlock block = text.getContents()->begin(); block.isValid(); block = block.next())
            EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, expected) << alignment;
        EXPECT_EQ(text.getDefValue()->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, expected) << alignment;
    }
    CDDText text;
    text.setString(QStringLiteral("one"), nullptr);
    text.SetAlignment(taCenter);
    text.SetSpacingAfterParagraph(6);
    text.SetAlignment(taCenter);
    EXPECT_FLOAT_EQ(text.GetSpacingAfterParagraph(), 6.0f);
    text.SetAlignment(taRight);
    EXPECT_FLOAT_EQ(text.GetSpacingAfterParagraph(), 0.0f) << "a new alignment starts a plain paragraph style";
    CDDText spaced;
    spaced.setString(QStringLiteral("a\nb\nc"), nullptr);
    spaced.SetAlignment(taRight);
    spaced.SetSpacingLine(2.5f);
    spaced.SetSpacingBeforeParagraph(4.0f);
    spaced.SetSpacingAfterParagraph(7.0f);
    EXPECT_EQ(QList<float>({spaced.GetSpacingLine(), spaced.GetSpacingBeforeParagraph(), spaced.GetSpacingAfterParagraph()}),
              QList<float>({2.5f, 4.0f, 7.0f}));
    int blocks = 0;
    for (QTextBlock block = spaced.getContents()->begin(); block.isValid(); block = block.next(), ++blocks) {
        EXPECT_DOUBLE_EQ(block.blockFormat().doubleProperty(PWTextAttributes::LineSpacing), 2.5);
        EXPECT_DOUBLE_EQ(PWParagraphStyle::fromBlockFormat(block.blockFormat()).paragraphSpacingBefore, 4.0);
        EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    }
    EXPECT_EQ(blocks, 3);
    CDDText empty;
    empty.SetSpacingLine(3.0f);
    EXPECT_FLOAT_EQ(empty.GetSpacingLine(), 0.0f);
}

TEST(CDDTextAttributesTest, CharacterSpacingReadsTheFirstCharacterAndParagraphRangesMeetARange)
{
    CDDText text;
    appendRun(text.getContents(), QStringLiteral("a"), sans(10));
    QTextCharFormat kerned = sans(10);
    kerned.setProperty(PWTextAttributes::Kerning, 2.0);
    appendRun(text.getContents(), QStringLiteral("b"), kerned);
    EXPECT_FLOAT_EQ(text.GetSpacingCharacter(), 0.0f);
    text.SetSpacingCharacter(1.5f);
    EXPECT_FLOAT_EQ(text.GetSpacingCharacter(), 1.5f);
    EXPECT_FLOAT_EQ(floatProperty(formatAt(text.getContents(), 1), PWTextAttributes::Kerning), 1.5f);
    CDDText threeParagraphs;
    threeParagraphs.setString(QStringLiteral("ab\ncd\nef"), nullptr);
    using Ranges = std::vector<std::pair<int, int>>;
    EXPECT_EQ(threeParagraphs.paragraphsRangeForRange(0, 8), (Ranges {{0, 3}, {3, 3}, {6, 2}}));
    EXPECT_EQ(threeParagraphs.paragraphsRangeForRange(4, 0), (Ranges {{3, 3}}));
    EXPECT_EQ(CDDText().paragraphsRangeForRange(0, 0), (Ranges {{0, 0}}));
}

} // namespace
