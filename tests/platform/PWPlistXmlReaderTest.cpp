#include "platform/PWPlistXmlReader.h"

#include "PWPlistPrinter.h"
#include "TestSupport.h"
#include "platform/PWPlistCodec.h"

#include <QDate>
#include <QDir>

#include <gtest/gtest.h>

#include <limits>

// The direct reader must never answer a value the general path would not: wherever it answers,
// both agree, and wherever the general path refuses, the direct reader stays silent.
namespace {

const QByteArray kProlog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";

QByteArray wrap(const QByteArray &body)
{
    return kProlog + "<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

// Checks both paths against each other and answers whether the direct reader took the text.
bool agreesWithGeneralPath(const QByteArray &bytes, int maxDepth = 256)
{
    QString generalError;
    const std::optional<PWPlist> general = PWPlistCodec::decodeThroughLibplist(bytes, &generalError, maxDepth);
    const std::optional<PWPlist> direct = PWPlistXmlReader::read(bytes, maxDepth);
    if (direct) {
        EXPECT_TRUE(general) << "read directly, refused by the general path: " << generalError.toStdString();
        if (general) {
            EXPECT_EQ(*direct, *general);
        }
    }
    QString error;
    const std::optional<PWPlist> combined = PWPlistCodec::decode(bytes, &error, maxDepth);
    EXPECT_EQ(combined.has_value(), general.has_value());
    if (combined && general) {
        EXPECT_EQ(*combined, *general);
    }
    EXPECT_EQ(error, generalError);
    return direct.has_value();
}

QStringList fixtureFiles()
{
    QStringList files;
    for (const char *folder : {"plist", "documents"}) {
        const QDir dir(pwtest::dataPath(QString::fromLatin1(folder)));
        for (const QString &name : dir.entryList({QStringLiteral("*.plist"), QStringLiteral("*.pwdc")}, QDir::Files))
            files.append(dir.filePath(name));
    }
    return files;
}

} // namespace

TEST(PWPlistXmlReaderTest, EveryFixtureReadsAsTheGeneralPathReadsIt)
{
    const QStringList files = fixtureFiles();
    ASSERT_GE(files.size(), 30);
    int readDirectly = 0;
    for (const QString &path : files) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray bytes = pwtest::readFile(path);
        ASSERT_FALSE(bytes.isEmpty());
        if (agreesWithGeneralPath(bytes))
            ++readDirectly;
        // Binary and malformed texts are never the reader's to answer.
        if (bytes.startsWith("bplist") || path.contains(QLatin1String("malformed"))) {
            EXPECT_FALSE(PWPlistXmlReader::read(bytes, 256));
        }
    }
    // Property lists written by another program, and designs written by ours.
    for (const char *name : {"plist/all-types.xml.plist", "plist/key-order.xml.plist", "plist/distant-dates.xml.plist",
                             "documents/version72-stored-persons.pwdc", "documents/version72-vcard-persons.pwdc"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(PWPlistXmlReader::read(pwtest::readFile(pwtest::dataPath(QString::fromLatin1(name))), 256));
    }
    EXPECT_GE(readDirectly, 5);
}

// One value of every kind, with the characters and numbers at the edges of each, as our writer
// writes it: the direct reader takes it and reads it alike.
TEST(PWPlistXmlReaderTest, WhatOurWriterWritesIsReadDirectlyAndAlike)
{
    const PWPlist value = PWPlist::Dictionary {
        {QStringLiteral("s & <b> \"q\""), PWPlist::fromString(QStringLiteral(" Zürich\t東京\n]]>😀") + QChar(0x7F))},
        {QStringLiteral("n"), PWPlist::Array {PWPlist::fromInteger(std::numeric_limits<qint64>::min()),
                                             PWPlist::fromInteger(std::numeric_limits<qint64>::max()),
                                             PWPlist::fromReal(5e-324), PWPlist::fromReal(-1e300)}},
        {QStringLiteral("b"), PWPlist::Array {PWPlist::fromBool(true), PWPlist::fromBool(false), PWPlist()}},
        {QStringLiteral("d"), PWPlist::fromData(QByteArray("\0\1\xfe\xff label", 10))},
        {QStringLiteral("t"), PWPlist::fromDate(QDateTime(QDate(1900, 2, 1), QTime(23, 0, 59), Qt::UTC))},
        {QStringLiteral("u"), PWPlist::Array {PWPlist::fromUid(999), PWPlist::Dictionary(), PWPlist::Array()}}};
    EXPECT_TRUE(agreesWithGeneralPath(value.toXml()));
}

// Texts at or beyond the edge of the plain shape: the reader may take or leave each, but never
// answer otherwise than the general path, error reasons included.
using PWPlistXmlReaderEdgeTest = testing::TestWithParam<const char *>;

TEST_P(PWPlistXmlReaderEdgeTest, AgreesWithTheGeneralPath)
{
    agreesWithGeneralPath(wrap(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, PWPlistXmlReaderEdgeTest,
    testing::Values("<dict><key/><string>x</string></dict>", "<integer>9223372036854775808</integer>",
                    "<real>1e400</real>", "<data>QQ==QQ==</data>", "<string>a&bogus;</string>",
                    "<string><![CDATA[a<b]]></string>",
                    "<dict><key>a</key><string>1</string><key>a</key><string>2</string></dict>",
                    "<dict><key>CF$UID</key><string>3</string></dict>", "<yes/>", "<date>2020-13-01T00:00:00Z</date>",
                    "<array><key>k</key></array>"));

TEST(PWPlistXmlReaderTest, OnlyThePlainEnvelopeIsReadDirectly)
{
    const QByteArray body = "<string>x</string>";
    EXPECT_TRUE(PWPlistXmlReader::read(wrap(body), 256));
    EXPECT_TRUE(PWPlistXmlReader::read("<plist>" + body + "</plist>", 256));
    const QByteArray others[] = {
        "\xEF\xBB\xBF" + wrap(body),
        "<!DOCTYPE plist [<!ENTITY e \"boom\">]><plist version=\"1.0\"><string>&e;</string></plist>",
        "<!-- note --><plist version=\"1.0\">" + body + "</plist>",
        "<plist version=\"0.9\">" + body + "</plist>",
        wrap(body) + "trailing",
        "<plist version=\"1.0\">" + body,
        "<plist/>",
        QByteArray("<plist>\0<string>x</string></plist>", 34),
    };
    for (const QByteArray &text : others) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_FALSE(agreesWithGeneralPath(text));
    }
}

TEST(PWPlistXmlReaderTest, NestingLimitMatchesTheGeneralPath)
{
    for (int levels : {1, 3, 8}) {
        const QByteArray text =
            wrap(QByteArray("<array>").repeated(levels) + "<true/>" + QByteArray("</array>").repeated(levels));
        for (int maxDepth : {0, levels - 1, levels, levels + 1}) {
            SCOPED_TRACE(testing::Message() << levels << " levels, limit " << maxDepth);
            EXPECT_EQ(agreesWithGeneralPath(text, maxDepth), maxDepth >= levels);
        }
    }
    // A dictionary holding only "CF$UID" is a container to the limit, whatever it becomes.
    const QByteArray uid = wrap("<array><dict><key>CF$UID</key><integer>1</integer></dict></array>");
    EXPECT_FALSE(agreesWithGeneralPath(uid, 1));
    EXPECT_TRUE(agreesWithGeneralPath(uid, 2));
}
