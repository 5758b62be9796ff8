// Lines that name their character set, as vCard 2.1 exporters of East Asian and Greek address
// books write them: read in it, quoted-printable or not, and not named as lines of another
// encoding; a set no converter knows is read as the rest of the file would be, and named.
#include "platform/PWVCardParser.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray encoded(const char *charset, const QString &text)
{
    QStringEncoder encoder(charset);
    EXPECT_TRUE(encoder.isValid()) << charset;
    return encoder.encode(text);
}

QByteArray quotedPrintable(const QByteArray &bytes)
{
    QByteArray out;
    for (const char byte : bytes)
        out += '=' + QByteArray(1, byte).toHex().toUpper();
    return out;
}

TEST(PWVCardCharsetTest, ALineIsReadInTheCharacterSetItNames)
{
    const QString japanese = u"山田;太郎;;;"_s;
    const QString greek = u"Παπαδόπουλος;Γιώργος;;;"_s;
    const struct
    {
        const char *name;
        QByteArray line; // the N line, without its line end
        QString value;
        QStringList problems;
    } cases[] = {
        {"Shift-JIS, 8-bit", "N;CHARSET=SHIFT_JIS:" + encoded("Shift_JIS", japanese), japanese, {}},
        {"Shift-JIS, quoted-printable",
         "N;CHARSET=Shift_JIS;ENCODING=QUOTED-PRINTABLE:" + quotedPrintable(encoded("Shift_JIS", japanese)), japanese, {}},
        {"ISO Greek", "N;CHARSET=ISO-8859-7:" + encoded("ISO-8859-7", greek), greek, {}},
        {"Windows Greek, quoted name", "N;CHARSET=\"windows-1253\":" + encoded("windows-1253", greek), greek, {}},
        // Bytes that are no text in the set named are read as a line without a set.
        {"Shift-JIS that is not",
         "N;CHARSET=SHIFT_JIS:Caf\xe9;Ren\xe9;;;",
         u"Café;René;;;"_s,
         {u"Line 3 of the file is not UTF-8 text like the rest; it was read as Western (Windows Latin 1)."_s}},
        {"a set nobody knows",
         "N;CHARSET=X-NOWHERE:K\xf6nig;;;;",
         u"König;;;;"_s,
         {u"Line 3 of the file is not UTF-8 text like the rest; it was read as Western (Windows Latin 1)."_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // A UTF-8 line beside it: the file is no one encoding as a whole.
        const QByteArray bytes = "BEGIN:VCARD\r\nVERSION:2.1\r\n" + c.line + "\r\nORG:" + u"Köln AG"_s.toUtf8()
                                 + "\r\nEND:VCARD\r\n";
        QStringList problems;
        QString error;
        const std::optional<QList<PWVCard>> cards = PWVCardParser::parse(bytes, &error, nullptr, &problems);
        ASSERT_TRUE(cards && cards->size() == 1) << error.toStdString();
        QString value;
        QString organization;
        for (const PWVCardLine &line : cards->constFirst()) {
            if (line.name == u"N"_s)
                value = line.value;
            if (line.name == u"ORG"_s)
                organization = line.value;
        }
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(organization, u"Köln AG"_s);
        EXPECT_EQ(problems, c.problems);
    }
}

} // namespace
