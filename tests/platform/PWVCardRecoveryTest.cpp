// vCard text made in the test: quoted-printable values continued by lines that look like
// properties, cards that lost their END, and files of more cards than are read.
#include "platform/PWVCardParser.h"

#include <gtest/gtest.h>

namespace {

QString valueOf(const PWVCard &card, const QString &name)
{
    for (const PWVCardLine &line : card) {
        if (line.name == name)
            return line.value;
    }
    return QStringLiteral("(none)");
}

struct ContinuationCase
{
    const char *name;
    QByteArray lines;
    QString property;
    QString value;
};

std::ostream &operator<<(std::ostream &out, const ContinuationCase &c)
{
    return out << c.name;
}

using PWVCardContinuationTest = testing::TestWithParam<ContinuationCase>;

TEST_P(PWVCardContinuationTest, ASoftLineBreakContinuesTheValue)
{
    const ContinuationCase &c = GetParam();
    const QByteArray bytes = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee;Kim\r\n" + c.lines + "TEL:+1 555 0100\r\nEND:VCARD\r\n";
    const std::optional<QList<PWVCard>> cards = PWVCardParser::parse(bytes);
    ASSERT_TRUE(cards);
    ASSERT_EQ(cards->size(), 1);
    EXPECT_EQ(valueOf(cards->first(), c.property), c.value);
    EXPECT_EQ(valueOf(cards->first(), QStringLiteral("TEL")), QStringLiteral("+1 555 0100"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PWVCardContinuationTest,
    testing::Values(
        ContinuationCase {"AddressOfAWebsite", "NOTE;ENCODING=QUOTED-PRINTABLE:Website=0D=0Asee =\r\nhttp://example.com/kim\r\n",
                          QStringLiteral("NOTE"), QStringLiteral("Website\r\nsee http://example.com/kim")},
        ContinuationCase {"AddressWithAColonInItsStreet",
                          "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=C3=9Fe 1=\r\nApt:4;K=C3=B6ln;;50667;Germany\r\n",
                          QStringLiteral("ADR"), QStringLiteral(u";;Hauptstraße 1Apt:4;Köln;;50667;Germany")},
        ContinuationCase {"MailAddressInANote", "NOTE;ENCODING=QUOTED-PRINTABLE:write to =\r\nmailto:kim@example.com\r\n",
                          QStringLiteral("NOTE"), QStringLiteral("write to mailto:kim@example.com")},
        ContinuationCase {"GroupedWordBeforeAColon", "NOTE;ENCODING=QUOTED-PRINTABLE:see =\r\nitem.ref:12\r\n",
                          QStringLiteral("NOTE"), QStringLiteral("see item.ref:12")}),
    [](const testing::TestParamInfo<ContinuationCase> &info) { return std::string(info.param.name); });

QByteArray card(const QByteArray &family, bool withEnd = true, const QByteArray &extra = QByteArray())
{
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nN:" + family + ";Kim\r\n" + extra + (withEnd ? "END:VCARD\r\n" : "");
}

QStringList &warnings()
{
    static QStringList collected;
    return collected;
}

struct DamagedCase
{
    const char *name;
    QByteArray bytes;
    QStringList families;
    QStringList problems;
};

std::ostream &operator<<(std::ostream &out, const DamagedCase &c)
{
    return out << c.name;
}

using PWVCardDamagedCardTest = testing::TestWithParam<DamagedCase>;

// The cards after a damaged one are read, and the damaged one is named as a warning.
TEST_P(PWVCardDamagedCardTest, ReadingRecoversAtTheNextCard)
{
    const DamagedCase &c = GetParam();
    warnings().clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtWarningMsg)
            warnings().append(text);
    });
    QStringList problems;
    const std::optional<QList<PWVCard>> cards = PWVCardParser::parse(c.bytes, nullptr, nullptr, &problems);
    qInstallMessageHandler(previous);
    ASSERT_TRUE(cards);
    QStringList families;
    for (const PWVCard &read : *cards)
        families.append(valueOf(read, QStringLiteral("N")).section(QLatin1Char(';'), 0, 0));
    EXPECT_EQ(families, c.families);
    EXPECT_EQ(problems, c.problems);
    QStringList expectedWarnings;
    for (const QString &problem : c.problems)
        expectedWarnings.append(QStringLiteral("vCard: ") + problem);
    EXPECT_EQ(warnings(), expectedWarnings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PWVCardDamagedCardTest,
    testing::Values(
        DamagedCase {"SecondOfFourLacksItsEnd", card("Ash") + card("Birch", false) + card("Cedar") + card("Dogwood"),
                     {QStringLiteral("Ash"), QStringLiteral("Cedar"), QStringLiteral("Dogwood")},
                     {QStringLiteral("The card beginning on line 5 has no END:VCARD and was left out.")}},
        DamagedCase {"FirstAndThirdLackTheirEnds", card("Ash", false) + card("Birch") + card("Cedar", false) + card("Dogwood"),
                     {QStringLiteral("Birch"), QStringLiteral("Dogwood")},
                     {QStringLiteral("The card beginning on line 1 has no END:VCARD and was left out."),
                      QStringLiteral("The card beginning on line 8 has no END:VCARD and was left out.")}},
        DamagedCase {"LastLacksItsEnd", card("Ash") + card("Birch", false),
                     {QStringLiteral("Ash")},
                     {QStringLiteral("The card beginning on line 5 has no END:VCARD and was left out.")}},
        DamagedCase {"EmbeddedCardAfterAnAgent", card("Ash", true, "AGENT:\r\n" + card("Agent")) + card("Birch"),
                     {QStringLiteral("Ash"), QStringLiteral("Birch")}, {}},
        DamagedCase {"EmbeddedCardLacksItsEnd", card("Ash", true, "AGENT:\r\n" + card("Agent", false)) + card("Birch"),
                     {QStringLiteral("Birch")},
                     {QStringLiteral("The card beginning on line 1 has no END:VCARD and was left out.")}}),
    [](const testing::TestParamInfo<DamagedCase> &info) { return std::string(info.param.name); });

TEST(PWVCardCardLimitTest, TheFirstCardsAreReadAndTheRestNamed)
{
    QByteArray bytes;
    const QByteArray one = "BEGIN:VCARD\nN:K\nEND:VCARD\n";
    bytes.reserve(one.size() * (PWVCardParser::kMaxCards + 3));
    for (int i = 0; i < PWVCardParser::kMaxCards + 3; ++i)
        bytes += one;
    int taken = 0;
    QStringList problems;
    QString error;
    ASSERT_TRUE(PWVCardParser::parseEach(bytes, [&taken](PWVCard &) { ++taken; }, &error, nullptr, &problems))
        << error.toStdString();
    EXPECT_EQ(taken, PWVCardParser::kMaxCards);
    EXPECT_EQ(problems, QStringList {QStringLiteral("Only the first 100000 cards were read; the 3 cards after them were left out.")});
}

} // namespace

