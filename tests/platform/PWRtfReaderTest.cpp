#include "platform/PWRtfReader.h"

#include "PWTextSamples.h"
#include "TestSupport.h"
#include "platform/PWParagraphStyle.h"
#include "platform/PWRtfTokenizer.h"

#include <gtest/gtest.h>

namespace {

QString plainText(const QByteArray &rtf)
{
    QString error;
    const std::optional<PWAttributedString> text = PWRtfReader::read(rtf, &error);
    return text ? text->string() : QStringLiteral("<error: %1>").arg(error);
}

struct TextCase { const char *name, *rtf; const char16_t *expected; };

using RtfTextTest = testing::TestWithParam<TextCase>;

TEST_P(RtfTextTest, ReadsTheCharacters)
{
    EXPECT_EQ(plainText(QByteArray(GetParam().rtf)), QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfTextTest,
    testing::Values(
        TextCase {"Windows1252Bytes", R"({\rtf1\ansi\ansicpg1252 caf\'e9 \'80})", u"café €"},
        TextCase {"UnicodeSkipsItsFallback", R"({\rtf1 \u8364?\uc2\u8364??x})", u"€€x"},
        TextCase {"BreaksAndSpecialCharacters", R"({\rtf1 one\par two\line three\tab four\~five\emdash})",
                  u"one\ntwo\u2028three\tfour\u00a0five\u2014"},
        TextCase {"BackslashBeforeLineEndIsAParagraph", "{\\rtf1 a\\\nb\\\r\nc}", u"a\nb\nc"},
        TextCase {
            "KnownAndUnknownDestinationsAreSkipped",
            R"({\rtf1 {\*\generator Writer 1.0;}{\info{\title T}}{\stylesheet{\s0 Normal;}}{\*\unknown hidden}shown})",
            u"shown"},
        TextCase {"FieldShowsItsResult", R"({\rtf1 {\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}} text})",
                  u"link text"},
        TextCase {"EscapedSymbols", R"({\rtf1 \{braces\} \\ back})", u"{braces} \\ back"},
        TextCase {"BinaryBytesAreSkipped", R"({\rtf1 a\bin3 {}}b})", u"ab"},
        TextCase {"TextAfterTheDocumentIsIgnored", R"({\rtf1 in}out)", u"in"}),
    [](const testing::TestParamInfo<TextCase> &info) { return std::string(info.param.name); });

TEST(PWRtfReaderTest, PlatformStyledDocument)
{
    QString error;
    const std::optional<PWAttributedString> text =
        PWRtfReader::read(pwtest::readFixture(QStringLiteral("rtf/platform-styled.rtf")), &error);
    ASSERT_TRUE(text) << error.toStdString();
    ASSERT_EQ(text->string(), QStringLiteral("Café plain, spaced\nup down €"));
    const QTextCharFormat title = text->charFormatAt(0);
    EXPECT_EQ(title.fontFamilies().toStringList(), QStringList {QStringLiteral("Helvetica")});
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(title.fontPointSize(), 18.0);
    EXPECT_EQ(title.foreground().color(), QColor(251, 2, 7));
    const QTextCharFormat plain = text->charFormatAt(5);
    EXPECT_EQ(plain.fontWeight(), QFont::Normal);
    EXPECT_EQ(plain.underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_EQ(plain.foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(text->charFormatAt(10).underlineStyle(), QTextCharFormat::NoUnderline);
    EXPECT_DOUBLE_EQ(text->charFormatAt(12).doubleProperty(PWTextAttributes::Kerning), 5.0);
    using Tab = PWParagraphStyle::TabType;
    const PWParagraphStyle first {.alignment = PWTextAlignment::Center,
                                  .tabStops = {{28.3, Tab::Left}, {56.65, Tab::Left}, {283.45, Tab::Right}}};
    EXPECT_EQ(PWParagraphStyle::fromBlockFormat(text->blockFormatAt(0)), first);
    EXPECT_EQ(text->blockFormatAt(18), text->blockFormatAt(0)) << "the paragraph mark closes the first paragraph";
    const QTextCharFormat up = text->charFormatAt(19);
    EXPECT_EQ(up.fontFamilies().toStringList(), QStringList {QStringLiteral("Times New Roman")});
    EXPECT_TRUE(up.fontItalic());
    EXPECT_FALSE(up.hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_DOUBLE_EQ(up.doubleProperty(PWTextAttributes::BaselineOffset), 3.0);
    EXPECT_DOUBLE_EQ(text->charFormatAt(22).doubleProperty(PWTextAttributes::BaselineOffset), -2.0);
    EXPECT_DOUBLE_EQ(text->charFormatAt(27).doubleProperty(PWTextAttributes::BaselineOffset), 0.0);
    const PWParagraphStyle second {.alignment = PWTextAlignment::Justified, .tabStops = {}, .lineSpacing = 2.0,
                                   .paragraphSpacing = 12.0, .paragraphSpacingBefore = 6.0, .headIndent = 36.0,
                                   .firstLineHeadIndent = 18.0, .tailIndent = -18.0};
    EXPECT_EQ(PWParagraphStyle::fromBlockFormat(text->blockFormatAt(19)), second);
}

TEST(PWRtfReaderTest, CodePagesOfTheDocumentAndOfEachFont)
{
    EXPECT_EQ(plainText(pwtest::readFixture(QStringLiteral("rtf/codepages-mac-and-central-european.rtf"))),
              QStringLiteral("Grüße Šč »\n"));
}

TEST(PWRtfReaderTest, ParagraphTakesTheAttributesInEffectAtItsMark)
{
    const std::optional<PWAttributedString> text = PWRtfReader::read(R"({\rtf1 one\qc\par\pard\qr two\ri200})");
    ASSERT_TRUE(text);
    EXPECT_EQ(PWParagraphStyle::fromBlockFormat(text->blockFormatAt(0)).alignment, PWTextAlignment::Center);
    const PWParagraphStyle last = PWParagraphStyle::fromBlockFormat(text->blockFormatAt(4));
    EXPECT_EQ(last.alignment, PWTextAlignment::Right);
    EXPECT_DOUBLE_EQ(last.tailIndent, -10.0);
}

TEST(PWRtfReaderTest, PlainAndGroupsRestoreCharacterAttributes)
{
    const std::optional<PWAttributedString> text = PWRtfReader::read(R"({\rtf1 \b\i\ul a{\plain b}c\plain d})");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->charFormatAt(0).fontWeight(), QFont::Bold);
    EXPECT_EQ(text->charFormatAt(1).fontWeight(), QFont::Normal);
    EXPECT_EQ(text->charFormatAt(1).underlineStyle(), QTextCharFormat::NoUnderline);
    EXPECT_TRUE(text->charFormatAt(2).fontItalic());
    EXPECT_EQ(text->charFormatAt(2).underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_FALSE(text->charFormatAt(3).fontItalic());
    EXPECT_DOUBLE_EQ(text->charFormatAt(3).fontPointSize(), 12.0);
}

TEST(PWRtfReaderTest, AttachmentOfTheFlattenedFormNamesItsFile)
{
    const std::optional<PWAttributedString> text =
        PWRtfReader::read(R"({\rtf1 a{{\NeXTGraphic pic one.png \width100 \height100}\'ac}b})");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->string(), QStringLiteral("a\uFFFCb"));
    EXPECT_EQ(text->charFormatAt(1).property(PWTextAttributes::CustomAttributes).toMap(),
              (QVariantMap {{QStringLiteral("NeXTGraphic"), QStringLiteral("pic one.png")}}));
    EXPECT_FALSE(text->charFormatAt(2).hasProperty(PWTextAttributes::CustomAttributes));
}

// An attachment group that is itself the outermost group ends the text; what follows it is not
// read from an empty group stack.
TEST(PWRtfReaderTest, AttachmentAsTheOutermostGroupEndsTheText)
{
    const std::optional<PWAttributedString> text =
        PWRtfReader::read(pwtest::readFixture(QStringLiteral("rtf/attachment-as-outermost-group.rtf")));
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->string().isEmpty());
}

TEST(PWRtfReaderTest, GroupsNestedToTheLimitAreRead)
{
    const int depth = PWRtfReader::kMaxDepth - 1;
    const QByteArray rtf = "{\\rtf1 " + QByteArray(depth - 1, '{') + "deep" + QByteArray(depth - 1, '}') + '}';
    EXPECT_EQ(plainText(rtf), QStringLiteral("deep"));
}

struct MalformedCase { const char *name; QByteArray rtf; };

using RtfMalformedTest = testing::TestWithParam<MalformedCase>;

TEST_P(RtfMalformedTest, IsRefusedWithAReason)
{
    QString error;
    EXPECT_FALSE(PWRtfReader::read(GetParam().rtf, &error));
    EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfMalformedTest,
    testing::Values(MalformedCase {"NotRtf", "hello"}, MalformedCase {"Unclosed", R"({\rtf1{\fonttbl\f0 Helv)"},
                    MalformedCase {"HexByteCutShort", R"({\rtf1 a\'4)"}, MalformedCase {"NegativeBinary", R"({\rtf1 \bin-5 x})"},
                    MalformedCase {"WordTooLong", "{\\rtf1 \\" + QByteArray(40, 'a') + " x}"},
                    MalformedCase {"ParameterOutOfRange", R"({\rtf1 \fs99999999999 x})"},
                    MalformedCase {"TrailingBackslash", "{\\rtf1 a\\"},
                    MalformedCase {"NestedTooDeep", "{\\rtf1 " + QByteArray(200, '{') + QByteArray(201, '}')}),
    [](const testing::TestParamInfo<MalformedCase> &info) { return std::string(info.param.name); });

TEST(PWRtfTokenizerTest, TokensOfEachKind)
{
    const std::optional<QList<PWRtfToken>> tokens = PWRtfTokenizer::tokenize(R"({\b0 x\'41\~\bin2 ab-\fs-4})");
    ASSERT_TRUE(tokens);
    using T = PWRtfToken::Type;
    const QList<PWRtfToken> expected {
        {T::GroupStart, {}, false, 0}, {T::ControlWord, "b", true, 0},    {T::Text, "x", false, 0},
        {T::HexByte, "A", false, 0},   {T::ControlSymbol, "~", false, 0}, {T::Binary, "ab", false, 0},
        {T::Text, "-", false, 0},      {T::ControlWord, "fs", true, -4},  {T::GroupEnd, {}, false, 0},
    };
    EXPECT_EQ(*tokens, expected);
}

} // namespace
