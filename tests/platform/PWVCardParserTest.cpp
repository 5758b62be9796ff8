#include "platform/PWVCardParser.h"

#include "TestSupport.h"

#include <QLoggingCategory>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray contactsFixture(const QString &name)
{
    return pwtest::readFixture(QStringLiteral("contacts/") + name);
}

const PWVCardLine *find(const PWVCard &card, const QString &name)
{
    for (const PWVCardLine &line : card) {
        if (line.name == name)
            return &line;
    }
    return nullptr;
}

using PWVCardParserEncodingTest = testing::TestWithParam<const char *>;

// The same hand-written card in every encoding desktop address books export: the same lines,
// unfolded, as those of the UTF-8 file.
TEST_P(PWVCardParserEncodingTest, EveryEncodingGivesTheSameUnfoldedLines)
{
    QString error;
    const std::optional<QList<PWVCard>> cards =
        PWVCardParser::parse(contactsFixture(QString::fromLatin1(GetParam())), &error);
    ASSERT_TRUE(cards) << error.toStdString();
    ASSERT_EQ(cards->size(), 1);
    const PWVCard &card = cards->constFirst();
    ASSERT_TRUE(find(card, QStringLiteral("NOTE")));
    EXPECT_EQ(find(card, QStringLiteral("NOTE"))->value,
              QStringLiteral("A note long enough that a desktop address book folds it over more than one line of "
                             "seventy-five octets, continued here after one blank,and here after a tab; and 東京 in "
                             "the middle."));
    EXPECT_EQ(card, PWVCardParser::parse(contactsFixture(QStringLiteral("vcard30-folded.vcf")))->constFirst());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PWVCardParserEncodingTest,
                         testing::Values("vcard30-folded.vcf", "vcard30-folded-utf16le-bom.vcf",
                                         "vcard30-folded-utf16be-bom.vcf", "vcard30-folded-utf16le-nobom.vcf"));

// A line of Latin 1 bytes in a UTF-8 file (with a byte-order mark) is read as Windows Latin 1
// alone, and named.
TEST(PWVCardParserTest, OnlyTheLineThatIsNoUtf8IsReadAsWindowsLatin1)
{
    QStringList problems;
    const std::optional<QList<PWVCard>> cards = PWVCardParser::parse(
        contactsFixture(QStringLiteral("vcard30-mixed-utf8-latin1-cards.vcf")), nullptr, nullptr, &problems);
    ASSERT_TRUE(cards);
    QStringList names;
    for (const PWVCard &card : *cards)
        names.append(find(card, QStringLiteral("N")) ? find(card, QStringLiteral("N"))->value : QString());
    EXPECT_EQ(names,
              (QStringList {QStringLiteral("Łukasiewicz;Zoë;;;"), QStringLiteral("Lefèvre;Hélène;;;"),
                            QStringLiteral("Müller;Jürgen;;;")}));
    EXPECT_EQ(problems, QStringList {QStringLiteral("Line 7 of the file is not UTF-8 text like the rest; it was read as "
                                                    "Western (Windows Latin 1).")});
}

// Within one card, each line is read in its own encoding: the UTF-8 letters of the others stay
// whole, Windows quotes and the euro sign come through, and a fold that splits a UTF-8 letter
// joins it again.
TEST(PWVCardParserTest, EachLineOfACardIsReadInItsOwnEncoding)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QStringList values;
        QString problem;
    } cases[] = {
        {"one Latin 1 line among UTF-8 lines",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zo\xc3\xab;Stra\xc3\x9f" "e;;;\r\nORG:K\xf6ln \x93" "Caf\xe9\x94 \x80\r\n"
         "NOTE:K\xc3\xb6ln\r\nEND:VCARD\r\n",
         {u"Zoë;Straße;;;"_s, u"Köln \u201cCafé\u201d \u20ac"_s, u"Köln"_s},
         u"Line 4 of the file is not UTF-8 text like the rest; it was read as Western (Windows Latin 1)."_s},
        {"a fold inside a UTF-8 letter, beside a Latin 1 line",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zo\xc3\r\n \xab;Ann;;;\r\nORG:M\xfcller\r\nNOTE:x\r\nEND:VCARD\r\n",
         {u"Zoë;Ann;;;"_s, u"Müller"_s, u"x"_s},
         u"Line 5 of the file is not UTF-8 text like the rest; it was read as Western (Windows Latin 1)."_s},
        {"a quoted-printable value in Windows Latin 1",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:Zo\xc3\xab;;;;\r\n"
         "ORG;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-1:=93K=F6ln=94 =80\r\nNOTE:Stra\xdf" "e\r\nEND:VCARD\r\n",
         {u"Zoë;;;;"_s, u"\u201cKöln\u201d \u20ac"_s, u"Straße"_s},
         u"Line 5 of the file is not UTF-8 text like the rest; it was read as Western (Windows Latin 1)."_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList problems;
        const std::optional<QList<PWVCard>> cards = PWVCardParser::parse(c.bytes, nullptr, nullptr, &problems);
        ASSERT_TRUE(cards);
        ASSERT_EQ(cards->size(), 1);
        QStringList values;
        for (const char *name : {"N", "ORG", "NOTE"}) {
            const PWVCardLine *line = find(cards->constFirst(), QString::fromLatin1(name));
            values.append(line ? line->value : QString());
        }
        EXPECT_EQ(values, c.values);
        EXPECT_EQ(problems, QStringList {c.problem});
    }
}

TEST(PWVCardParserTest, ParametersKeepQuotedSeparatorsAndSplitCommaLists)
{
    const QByteArray bytes = "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                             "item9.X-THING;TYPE=WORK,pref;X-NOTE=\"a;b:c,d\";x-flag:value: with colon\r\n"
                             "TEL;VALUE=uri;TYPE=\"voice,work\";TYPE=x-desk:tel:+7-495-123-45-67\r\n"
                             "END:VCARD\r\n";
    const std::optional<QList<PWVCard>> cards = PWVCardParser::parse(bytes);
    ASSERT_TRUE(cards);
    const PWVCardLine *line = find(cards->constFirst(), QStringLiteral("X-THING"));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->group, QStringLiteral("item9"));
    EXPECT_EQ(line->parameterValues(QStringLiteral("TYPE")),
              (QStringList {QStringLiteral("WORK"), QStringLiteral("pref")}));
    EXPECT_EQ(line->parameterValues(QStringLiteral("X-NOTE")), QStringList {QStringLiteral("a;b:c,d")});
    EXPECT_EQ(line->types(), (QStringList {QStringLiteral("work"), QStringLiteral("pref"), QStringLiteral("x-flag")}));
    EXPECT_EQ(line->value, QStringLiteral("value: with colon"));
    // A quoted TYPE list (vCard 4.0) is as much a list as an unquoted one.
    const PWVCardLine *phone = find(cards->constFirst(), QStringLiteral("TEL"));
    ASSERT_TRUE(phone);
    EXPECT_EQ(phone->types(), (QStringList {QStringLiteral("voice"), QStringLiteral("work"), QStringLiteral("x-desk")}));
    EXPECT_EQ(phone->parameterValues(QStringLiteral("VALUE")), QStringList {QStringLiteral("uri")});
}

TEST(PWVCardParserTest, EscapesAndStructuredValues)
{
    EXPECT_EQ(PWVCardParser::unescapeText(QStringLiteral("a\\nb\\Nc\\,d\\;e\\\\f\\:g\\")),
              QStringLiteral("a\nb\nc,d;e\\f:g\\"));
    EXPECT_EQ(PWVCardParser::splitStructured(QStringLiteral("Last\\;name;First\\, given;;\\\\;")),
              (QStringList {QStringLiteral("Last;name"), QStringLiteral("First, given"), QString(),
                            QStringLiteral("\\"), QString()}));
}

TEST(PWVCardParserTest, LinesOutsideCardsAndUnreadableLinesAreLeftOut)
{
    const QByteArray bytes = "garbage before\nBEGIN:VCARD\nVERSION:3.0\nno colon in this line\n"
                             "BAD NAME:x\n.:empty group\nN:Kept;Line\n\nEND:VCARD\ntrailing garbage\n";
    const std::optional<QList<PWVCard>> cards = PWVCardParser::parse(bytes);
    ASSERT_TRUE(cards);
    ASSERT_EQ(cards->size(), 1);
    ASSERT_EQ(cards->constFirst().size(), 2);
    EXPECT_EQ(cards->constFirst().at(1).value, QStringLiteral("Kept;Line"));
}

TEST(PWVCardParserTest, EmbeddedCardsAreSkippedAndACutOffLastCardIsDropped)
{
    const QByteArray bytes = "BEGIN:VCARD\nN:Outer;\nAGENT:\nBEGIN:VCARD\nN:Inner;\nEND:VCARD\nFN:Outer\nEND:VCARD\n"
                             "BEGIN:VCARD\nN:Cut;Off\n";
    const std::optional<QList<PWVCard>> cards = PWVCardParser::parse(bytes);
    ASSERT_TRUE(cards);
    ASSERT_EQ(cards->size(), 1);
    const PWVCard &card = cards->constFirst();
    EXPECT_EQ(find(card, QStringLiteral("N"))->value, QStringLiteral("Outer;"));
    EXPECT_TRUE(find(card, QStringLiteral("FN")));
}

struct BadInput { const char *name; QByteArray bytes; };

using PWVCardParserBadInputTest = testing::TestWithParam<BadInput>;

TEST_P(PWVCardParserBadInputTest, AnswersNothingWithAReason)
{
    QString error;
    EXPECT_FALSE(PWVCardParser::parse(GetParam().bytes, &error));
    EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PWVCardParserBadInputTest,
    testing::Values(BadInput {"OnlyCutOffCard", "BEGIN:VCARD\nN:Never;Ended\n"},
                    BadInput {"NestedTooDeep", QByteArray("BEGIN:VCARD\n").repeated(PWVCardParser::kMaxDepth + 1)},
                    BadInput {"TooManyLines", "BEGIN:VCARD\n" + QByteArray("NOTE:x\n").repeated(PWVCardParser::kMaxLinesPerCard + 1)
                                                  + "END:VCARD\n"},
                    BadInput {"OddUtf16", QByteArray("\xff\xfe" "B\0E\0G", 7)}),
    [](const testing::TestParamInfo<BadInput> &info) { return std::string(info.param.name); });

// Whatever the bytes, the parser answers; it never crashes or hangs.
TEST(PWVCardParserTest, RandomMutationsOfAValidCardNeverCrash)
{
    QRandomGenerator random(20261206);
    QLoggingCategory::setFilterRules(QStringLiteral("pw.platform.vcard=false")); // refusals by the hundred
    for (int round = 0; round < 100; ++round) {
        QByteArray bytes = contactsFixture(QStringLiteral("vcard30-grouped-labels.vcf"));
        // Each edit cuts up to seven bytes somewhere and puts in nothing, a separator or any byte.
        for (int edits = 1 + random.bounded(20); edits > 0; --edits) {
            const char any[] = {'\r', '\n', ' ', '=', ':', ';', '"', char(random.bounded(256))};
            bytes.replace(random.bounded(int(bytes.size()) + 1), random.bounded(8),
                          QByteArray(any + random.bounded(8), random.bounded(2)));
        }
        QString error;
        EXPECT_TRUE(PWVCardParser::parse(bytes, &error) || !error.isEmpty());
    }
    QLoggingCategory::setFilterRules(QString());
}

} // namespace
