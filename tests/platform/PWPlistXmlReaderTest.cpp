#include "platform/PWPlistXmlReader.h"

#include "platform/PWPlistCodec.h"

#include "PWPlistPrinter.h"

#include "TestSupport.h"

#include <QDate>
#include <QDir>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
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

namespace {

QString randomText(QRandomGenerator &random)
{
    static const QString pieces[] = {QStringLiteral("Jane"),      QStringLiteral(" & "),    QStringLiteral("<b>"),
                                     QStringLiteral("\"q\" 'a'"), QStringLiteral("Zürich"), QStringLiteral("東京"),
                                     QStringLiteral("\t"),        QStringLiteral("\n"),     QStringLiteral("  "),
                                     QStringLiteral("]]>"),       QStringLiteral("😀"),      QString(QChar(0x7F))};
    QString text;
    const int count = random.bounded(5);
    for (int i = 0; i < count; ++i)
        text += pieces[random.bounded(int(std::size(pieces)))];
    return text;
}

PWPlist randomValue(QRandomGenerator &random, int depth)
{
    static const qint64 edges[] = {0, -1, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()};
    const int count = random.bounded(5);
    switch (random.bounded(depth > 4 ? 8 : 10)) {
    case 0:
        return PWPlist::fromString(randomText(random));
    case 1:
        return PWPlist::fromInteger(random.bounded(2) ? edges[random.bounded(4)] : qint64(random.generate64()));
    case 2: {
        double real = 0;
        const quint64 bits = random.generate64();
        std::memcpy(&real, &bits, sizeof real);
        return PWPlist::fromReal(std::isfinite(real) && random.bounded(2) ? real : random.bounded(20000) / 7.0);
    }
    case 3:
        return PWPlist::fromBool(random.bounded(2));
    case 4: {
        QByteArray data(random.bounded(70), Qt::Uninitialized);
        for (char &byte : data)
            byte = char(random.bounded(256));
        return PWPlist::fromData(data);
    }
    case 5:
        return PWPlist::fromDate(QDateTime(QDate(1900 + random.bounded(300), 1 + random.bounded(12), 1),
                                           QTime(random.bounded(24), 0, random.bounded(60)), Qt::UTC));
    case 6:
        return PWPlist::fromUid(random.bounded(1000));
    case 7:
        return PWPlist();
    case 8: {
        PWPlist::Array array;
        for (int i = 0; i < count; ++i)
            array.append(randomValue(random, depth + 1));
        return PWPlist(array);
    }
    default: {
        PWPlist::Dictionary dictionary;
        for (int i = 0; i < count; ++i)
            dictionary.insert(randomText(random) + QString::number(i), randomValue(random, depth + 1));
        return PWPlist(dictionary);
    }
    }
}

} // namespace

TEST(PWPlistXmlReaderTest, WhatOurWriterWritesIsReadDirectlyAndAlike)
{
    QRandomGenerator random(20261207);
    for (int round = 0; round < 300; ++round) {
        PWPlist::Dictionary top;
        top.insert(QStringLiteral("value"), randomValue(random, 0));
        const QByteArray xml = PWPlist(top).toXml();
        SCOPED_TRACE(xml.toStdString());
        EXPECT_TRUE(agreesWithGeneralPath(xml));
    }
}

// Texts at or beyond the edge of the plain shape: the reader may take or leave each, but never
// answer otherwise than the general path, error reasons included.
class PWPlistXmlReaderEdgeTest : public testing::TestWithParam<const char *>
{
};

TEST_P(PWPlistXmlReaderEdgeTest, AgreesWithTheGeneralPath)
{
    agreesWithGeneralPath(wrap(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, PWPlistXmlReaderEdgeTest,
    testing::Values("<dict><key/><string>x</string></dict>", "<integer>010</integer>", "<integer>0x10</integer>",
                    "<integer> 7 </integer>", "<integer>-0</integer>", "<integer>18446744073709551615</integer>",
                    "<integer>9223372036854775808</integer>", "<integer></integer>", "<real>nan</real>",
                    "<real>1e400</real>", "<real>.5</real>", "<real> 2.5 </real>", "<data>QUJDRA</data>",
                    "<data>QQ==QQ==</data>", "<data>QU*D</data>", "<data>QR==</data>", "<data>Q===</data>",
                    "<data>QQ=A</data>", "<data/>", "<string>a\r\nb</string>", "<string>a&#65;&#x42;</string>",
                    "<string>a&bogus;</string>", "<string>a<!-- c -->b</string>", "<string><![CDATA[a<b]]></string>",
                    "<string>a>b</string>", "<string>a\x01z</string>", "<string>\xFF\xFE</string>",
                    "<dict><key>a</key><string>1</string><key>a</key><string>2</string></dict>",
                    "<dict><key>CF$UID</key><integer>4294967296</integer></dict>",
                    "<dict><key>CF$UID</key><integer>-1</integer></dict>",
                    "<dict><key>CF$UID</key><string>3</string></dict>", "<true></true>", "<yes/>",
                    "<string a=\"1\">x</string>", "<date>2020-13-01T00:00:00Z</date>",
                    "<date>0001-01-01T00:00:00Z</date>", "<date/>", "<array><key>k</key></array>",
                    "<array><string>x</string>", "<dict><string>x</string></dict>", "<string>x</strin>",
                    "<string>x</string><string>y</string>", "<array/>", "<dict/>", "<key>k</key>", ""));

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
