// Lines written into vCard 2.1 cards: whatever the value (line breaks, letters beyond ASCII, an
// equals sign, blanks at a line's end, lengths past a line), the card reads back to it, no
// physical line passes 76 characters where quoted-printable breaks it, and none starts with a
// blank that a 2.1 reader would keep as part of the value.
#include "platform/PWVCard21Syntax.h"

#include "platform/PWVCardParser.h"
#include "platform/PWVCardWriter.h"

#include <gtest/gtest.h>

namespace {

struct Written21
{
    const char *name;
    QString value;
    bool quotedPrintable; // the line replaced was written so
    const char *encodingAsked;
    QByteArray expected; // the line written, when it is fixed; empty: only the properties
};

std::ostream &operator<<(std::ostream &out, const Written21 &c)
{
    return out << c.name;
}

class PWVCard21SyntaxTest : public testing::TestWithParam<Written21>
{
};

TEST_P(PWVCard21SyntaxTest, TheValueReadsBackAndNoLineIsFoldedWithABlank)
{
    const Written21 &c = GetParam();
    const QByteArray line = PWVCard21Syntax::line(QStringLiteral("NOTE:") + PWVCardWriter::escapeText(c.value),
                                                  c.quotedPrintable, QString::fromLatin1(c.encodingAsked));
    if (!c.expected.isEmpty()) {
        EXPECT_EQ(line, c.expected);
    }
    const bool encoded = line.contains("QUOTED-PRINTABLE");
    for (const QByteArray &physical : line.split('\n')) {
        const QByteArray bare = physical.endsWith('\r') ? physical.chopped(1) : physical;
        EXPECT_FALSE(bare.startsWith(' ') || bare.startsWith('\t')) << bare.toStdString();
        if (encoded) {
            EXPECT_LE(bare.size(), 76) << bare.toStdString();
        }
    }
    EXPECT_FALSE(line.contains("\\n")) << "no escape of 3.0";
    const std::optional<QList<PWVCard>> cards =
        PWVCardParser::parse("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Ash;Ada\r\n" + line + "END:VCARD\r\n");
    ASSERT_TRUE(cards && cards->size() == 1);
    QString read;
    for (const PWVCardLine &each : cards->constFirst())
        if (each.name == QLatin1String("NOTE"))
            read = PWVCardParser::unescapeText(each.value).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(read, c.value);
}

// A picture written into a 2.1 card keeps its data as the writer made it, under the name that
// version gives base64.
TEST(PWVCard21SyntaxDataTest, APictureKeepsItsBase64)
{
    EXPECT_EQ(PWVCard21Syntax::line(QStringLiteral("PHOTO;ENCODING=b;TYPE=PNG:iVBORw0K\\n+/="), false,
                                    QStringLiteral("ENCODING=QUOTED-PRINTABLE")),
              QByteArray("PHOTO;ENCODING=BASE64;TYPE=PNG:iVBORw0K\\n+/=\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, PWVCard21SyntaxTest,
    testing::Values(
        Written21 {"PlainAsciiAsItIs", QStringLiteral("Back door, ring twice"), false, "ENCODING=QUOTED-PRINTABLE",
                   "NOTE:Back door, ring twice\r\n"},
        Written21 {"LineBreaksQuotedPrintable", QStringLiteral("Back door\nring twice"), false, "QUOTED-PRINTABLE",
                   "NOTE;QUOTED-PRINTABLE:Back door=0D=0Aring twice\r\n"},
        Written21 {"BeyondAsciiSaysItsCharset", QStringLiteral("Grüße"), false, "ENCODING=QUOTED-PRINTABLE",
                   "NOTE;CHARSET=UTF-8:Gr\xc3\xbc\xc3\x9f"
                   "e\r\n"},
        Written21 {"BeyondAsciiWhereTheLineWasQuotedPrintable", QStringLiteral("Grüße"), true,
                   "ENCODING=QUOTED-PRINTABLE", "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Gr=C3=BC=C3=9Fe\r\n"},
        Written21 {
            "EqualsSignsAndAClosingBlank", QStringLiteral("a=b\nc = d "), false, "ENCODING=QUOTED-PRINTABLE", {}},
        Written21 {"LongTextBrokenSoftly",
                   QStringLiteral("Deliveries before noon on weekdays; the gate code is 42 and the dog is friendly.\n"
                                  "Σας ευχαριστώ πολύ για την παράδοση, και τα λοιπά και τα λοιπά."),
                   false,
                   "ENCODING=QUOTED-PRINTABLE",
                   {}},
        Written21 {"LongAsciiLeftWhole",
                   QStringLiteral("Deliveries before noon on weekdays, the gate code is 42, and the dog is friendly"),
                   false, "ENCODING=QUOTED-PRINTABLE",
                   "NOTE:Deliveries before noon on weekdays, the gate code is 42, and the dog is friendly\r\n"}),
    [](const testing::TestParamInfo<Written21> &info) { return std::string(info.param.name); });

} // namespace
