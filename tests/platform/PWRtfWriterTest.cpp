#include "platform/PWRtfWriter.h"

#include "PWTextSamples.h"
#include "platform/PWRtfReader.h"

#include <gtest/gtest.h>

namespace {

PWAttributedString roundTrip(const PWAttributedString &text)
{
    QString error;
    const std::optional<PWAttributedString> read = PWRtfReader::read(PWRtfWriter::write(text), &error);
    EXPECT_TRUE(read) << error.toStdString() << "\n" << PWRtfWriter::write(text).toStdString();
    return read.value_or(PWAttributedString());
}

TEST(PWRtfWriterTest, EveryAttributeComesBack)
{
    const PWAttributedString text = pwtest::styledSample(false);
    const PWAttributedString read = roundTrip(text);
    EXPECT_EQ(read, text) << PWRtfWriter::write(text).toStdString();
}

TEST(PWRtfWriterTest, WritesSevenBitRtf)
{
    const QByteArray rtf = PWRtfWriter::write(pwtest::styledSample(false));
    for (const char c : rtf)
        EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80) << "byte " << int(static_cast<unsigned char>(c));
}

TEST(PWRtfWriterTest, CharactersThatAreRtfSyntaxStayCharacters)
{
    const QString characters = QStringLiteral("{}\\ \t;\u00e9\u0000\u0001\U0001F600\u2028");
    EXPECT_EQ(roundTrip(PWAttributedString(characters)).string(), characters);
}

TEST(PWRtfWriterTest, EmptyTextAndEmptyParagraphs)
{
    EXPECT_TRUE(roundTrip(PWAttributedString()).isEmpty());
    EXPECT_EQ(roundTrip(PWAttributedString(QStringLiteral("\n\na\n"))).string(), QStringLiteral("\n\na\n"));
    EXPECT_EQ(roundTrip(PWAttributedString(QStringLiteral("a\r\nb\u2029c"))).string(), QStringLiteral("a\nb\nc"));
}

TEST(PWRtfWriterTest, AttachmentsAreWrittenAsTheFlattenedFormWritesThem)
{
    QTextCharFormat attachment = pwtest::fontFormat(QStringLiteral("Helvetica"), 12.0);
    attachment.setProperty(PWTextAttributes::CustomAttributes,
                           QVariantMap{{QStringLiteral("NeXTGraphic"), QStringLiteral("logo {1}.png")}});
    PWAttributedString text;
    text.append(QStringLiteral("see "), pwtest::fontFormat(QStringLiteral("Helvetica"), 12.0));
    text.append(QString(QChar::ObjectReplacementCharacter), attachment);
    const QByteArray rtf = PWRtfWriter::write(text);
    EXPECT_TRUE(rtf.contains("{\\NeXTGraphic logo \\{1\\}.png}\\'ac")) << rtf.toStdString();
    EXPECT_EQ(roundTrip(text), text);
}

TEST(PWRtfWriterTest, FontWithoutAStoredNameIsNamedFromItsStyle)
{
    QTextCharFormat format;
    format.setFontFamilies(QStringList{QStringLiteral("DejaVu Sans")});
    format.setFontPointSize(10.0);
    format.setFontWeight(QFont::Bold);
    format.setFontItalic(true);
    const QByteArray rtf = PWRtfWriter::write(PWAttributedString(QStringLiteral("x"), format));
    EXPECT_TRUE(rtf.contains("DejaVuSans-BoldItalic;")) << rtf.toStdString();
    EXPECT_EQ(roundTrip(PWAttributedString(QStringLiteral("x"), format)),
              PWAttributedString(QStringLiteral("x"), pwtest::fontFormat(QStringLiteral("DejaVuSans-BoldItalic"), 10.0)));
}

} // namespace
