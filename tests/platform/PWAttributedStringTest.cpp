#include "platform/PWAttributedString.h"

#include "PWTextSamples.h"

#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

QTextCharFormat bold()
{
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    return format;
}

TEST(PWAttributedStringTest, AdjacentRunsOfEqualFormatsMergeWhateverOrderTheirPropertiesWereSetIn)
{
    QTextCharFormat first;
    first.setFontPointSize(12.0);
    first.setFontItalic(true);
    QTextCharFormat second;
    second.setFontItalic(true);
    second.setFontPointSize(12.0);
    ASSERT_FALSE(first == second) << "Qt compares formats in the order their properties were set";
    PWAttributedString text;
    text.append(QStringLiteral("ab"), first);
    text.append(QString(), bold());
    text.append(QStringLiteral("cd"), second);
    text.append(QStringLiteral("ef"), bold());
    ASSERT_EQ(text.runs().size(), 2);
    EXPECT_EQ(text.runs().at(0).length, 4);
    EXPECT_EQ(text.runs().at(1).start, 4);
    EXPECT_EQ(text.string(), QStringLiteral("abcdef"));
}

TEST(PWAttributedStringTest, FormatsAtAnIndexAndOutOfRangeThoseOfTheFirstRun)
{
    PWAttributedString text;
    text.append(QStringLiteral("ab"), QTextCharFormat());
    text.append(QStringLiteral("cd"), bold());
    EXPECT_EQ(QList<QTextCharFormat>({text.charFormatAt(1), text.charFormatAt(2), text.charFormatAt(4), text.charFormatAt(-1)}),
              QList<QTextCharFormat>({QTextCharFormat(), bold(), QTextCharFormat(), QTextCharFormat()}));
}

TEST(PWAttributedStringTest, DocumentRoundTripKeepsRunsParagraphsAndEmptyParagraphs)
{
    PWAttributedString text = pwtest::styledSample(true);
    // Paragraph formats belong to paragraphs: the appended runs keep the one of the last.
    text.append(QStringLiteral("\n\nlast"), bold(), text.blockFormatAt(text.length() - 1));
    QTextDocument document;
    text.writeTo(&document);
    EXPECT_EQ(document.blockCount(), 5);
    EXPECT_EQ(PWAttributedString::fromDocument(&document), text);
}

TEST(PWAttributedStringTest, BlockTakesTheParagraphFormatOfItsFirstRun)
{
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
    PWAttributedString text;
    text.append(QStringLiteral("one"), QTextCharFormat(), left);
    text.append(QStringLiteral("two\nthree"), bold(), right);
    QTextDocument document;
    text.writeTo(&document);
    ASSERT_EQ(document.blockCount(), 2);
    EXPECT_EQ(document.firstBlock().blockFormat().alignment(), Qt::AlignLeft | Qt::AlignAbsolute);
    EXPECT_EQ(document.lastBlock().blockFormat().alignment(), Qt::AlignRight | Qt::AlignAbsolute);
    EXPECT_EQ(document.lastBlock().text(), QStringLiteral("three"));
}

TEST(PWAttributedStringTest, OtherParagraphBreaksBecomeNewlinesAndFrameMarkersAreNoFrames)
{
    const PWAttributedString text(QStringLiteral("a\r\nb\rc\u2029d\u2028e\uFDD0f"));
    QTextDocument document;
    text.writeTo(&document);
    EXPECT_EQ(document.blockCount(), 4);
    EXPECT_EQ(document.rootFrame()->childFrames().size(), 0);
    EXPECT_EQ(PWAttributedString::fromDocument(&document).string(), QStringLiteral("a\nb\nc\nd\u2028e\uFFFDf"));
}

TEST(PWAttributedStringTest, WritingReplacesTheDocumentAndEmptyTextEmptiesIt)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("old\ntext"));
    PWAttributedString().writeTo(&document);
    EXPECT_TRUE(document.isEmpty());
    PWAttributedString(QStringLiteral("new")).writeTo(&document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("new"));
}

} // namespace
