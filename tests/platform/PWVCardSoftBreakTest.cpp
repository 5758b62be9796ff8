// Quoted-printable soft line breaks against the lines after them, and the lines the parser
// leaves out, each with its log line.
#include "platform/PWVCardParser.h"
#include "platform/PWVCardReader.h"

#include "TestSupport.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <gtest/gtest.h>

namespace {

QByteArray numberedCard(int index, const QByteArray &lastLines = QByteArray())
{
    const QByteArray n = QByteArray::number(index);
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Card;Number " + n + "\r\nTEL;CELL:+1 555 0" + n + "\r\n" + lastLines
           + "END:VCARD\r\n";
}

// count cards, the one at `at` ending with lastLines.
QByteArray cards(int count, int at, const QByteArray &lastLines)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += numberedCard(i, i == at ? lastLines : QByteArray());
    return bytes;
}

struct SoftBreakCase
{
    const char *name;
    QByteArray bytes;
    int persons;
    // The note and the phones of the person at `at`.
    int at;
    QString note;
    QStringList phones;
    bool logged; // a soft line break was refused before a boundary
};

std::ostream &operator<<(std::ostream &out, const SoftBreakCase &c)
{
    return out << c.name;
}

QStringList phones(const PWPerson &person)
{
    QStringList out;
    if (const std::optional<PWMultiValue> multi = person.multiValueForProperty(kPWPhoneProperty)) {
        for (qsizetype i = 0; i < multi->count(); ++i)
            out.append(multi->valueAtIndex(i).toString());
    }
    return out;
}

using PWVCardSoftBreakTest = testing::TestWithParam<SoftBreakCase>;

TEST_P(PWVCardSoftBreakTest, SoftBreaksJoinTheNextLineButNeverACardBoundary)
{
    const SoftBreakCase &c = GetParam();
    const pwtest::LogCapture log;
    QString error;
    const std::optional<QList<std::shared_ptr<PWPerson>>> persons = PWVCardReader::personsFromData(c.bytes, &error);
    ASSERT_TRUE(persons) << error.toStdString();
    ASSERT_EQ(persons->size(), c.persons);
    const PWPerson &person = *persons->at(c.at);
    EXPECT_EQ(person.stringForProperty(kPWNoteProperty), c.note);
    EXPECT_EQ(phones(person), c.phones);
    EXPECT_EQ(!pwtest::LogCapture::lines().filter(QStringLiteral("soft line break")).isEmpty(), c.logged)
        << pwtest::LogCapture::lines().join(QLatin1Char('\n')).toStdString();
}

const QByteArray kNoteEndingInBreak = "NOTE;ENCODING=QUOTED-PRINTABLE:abc=\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, PWVCardSoftBreakTest,
    testing::Values(
        // The END after the break once took every card after it into the note.
        SoftBreakCase {"SecondOfFiveBeforeEnd", cards(5, 1, kNoteEndingInBreak), 5, 1, QStringLiteral("abc"),
                       {QStringLiteral("+1 555 01")}, true},
        SoftBreakCase {"FirstOfThreeBeforeEnd", cards(3, 0, kNoteEndingInBreak), 3, 0, QStringLiteral("abc"),
                       {QStringLiteral("+1 555 00")}, true},
        SoftBreakCase {"LastCardBeforeEnd", cards(2, 1, kNoteEndingInBreak), 2, 1, QStringLiteral("abc"),
                       {QStringLiteral("+1 555 01")}, true},
        // A soft line break continues the value whatever the next line starts with, a line
        // that looks like a property too, as the encoding says.
        SoftBreakCase {"BeforeAPlainPhoneLine", cards(2, 0, kNoteEndingInBreak + "TEL:+44 20 7946 0000\r\n"), 2, 0,
                       QStringLiteral("abcTEL:+44 20 7946 0000"), {QStringLiteral("+1 555 00")}, false},
        SoftBreakCase {"BeforeAGroupedLineWithParameters",
                       cards(1, 0, kNoteEndingInBreak + "item1.TEL;TYPE=\"WORK,VOICE\";pref:+44 1\r\n"), 1, 0,
                       QStringLiteral("abcitem1.TEL;TYPE=\"WORK,VOICE\";pref:+44 1"), {QStringLiteral("+1 555 00")}, false},
        SoftBreakCase {"BeforeWordsAfterAPhoneName",
                       cards(2, 1, "NOTE;ENCODING=QUOTED-PRINTABLE:Call me at home or=\r\nTEL: 555 1234 evenings\r\n"),
                       2, 1, QStringLiteral("Call me at home orTEL: 555 1234 evenings"), {QStringLiteral("+1 555 01")}, false},
        SoftBreakCase {"BeforeWordsAfterAnEmailName",
                       cards(1, 0, "NOTE;ENCODING=QUOTED-PRINTABLE:Write to=\r\nEMAIL: ada@example.org=\r\n please\r\n"),
                       1, 0, QStringLiteral("Write toEMAIL: ada@example.org please"), {QStringLiteral("+1 555 00")}, false},
        SoftBreakCase {"BeforeTheBeginOfAnEmbeddedCard",
                       cards(1, 0, "AGENT:\r\n" + kNoteEndingInBreak + "BEGIN:VCARD\r\nN:Agent\r\nEND:VCARD\r\n"), 1, 0,
                       QStringLiteral("abc"), {QStringLiteral("+1 555 00")}, true},
        // What follows a break and stands on no line of its own is still the value's.
        SoftBreakCase {"PlainContinuation", cards(2, 1, kNoteEndingInBreak + "def\r\n"), 2, 1, QStringLiteral("abcdef"),
                       {QStringLiteral("+1 555 01")}, false},
        SoftBreakCase {"EncodedContinuation",
                       cards(1, 0, "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:caf=\r\n=C3=A9 au lait\r\n"), 1, 0,
                       QStringLiteral("café au lait"), {QStringLiteral("+1 555 00")}, false},
        SoftBreakCase {"ContinuationWithColonAfterWords",
                       cards(1, 0, kNoteEndingInBreak + "Call me at: home\r\n"), 1, 0, QStringLiteral("abcCall me at: home"),
                       {QStringLiteral("+1 555 00")}, false},
        SoftBreakCase {"ContinuationStartingWithABlank",
                       cards(1, 0, kNoteEndingInBreak + " TEL:kept in the note\r\n"), 1, 0,
                       QStringLiteral("abc TEL:kept in the note"), {QStringLiteral("+1 555 00")}, false},
        SoftBreakCase {"ContinuationWithSemicolonAfterWords",
                       cards(1, 0, kNoteEndingInBreak + "yes; and: more\r\n"), 1, 0, QStringLiteral("abcyes; and: more"),
                       {QStringLiteral("+1 555 00")}, false}),
    [](const testing::TestParamInfo<SoftBreakCase> &info) { return std::string(info.param.name); });

TEST(PWVCardParserCountsTest, BeginLinesAreCountedWhateverBecomesOfThem)
{
    int beginLines = -1;
    const QByteArray embedded = "BEGIN:VCARD\nN:Outer\nAGENT:\nBEGIN:VCARD\nN:Inner\nEND:VCARD\nEND:VCARD\n"
                                "BEGIN:VCARD\nN:Cut;Off\n";
    const std::optional<QList<PWVCard>> read = PWVCardParser::parse(embedded, nullptr, &beginLines);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), 1);
    EXPECT_EQ(beginLines, 3);
    // A folded line that happens to read BEGIN:VCARD is no card.
    ASSERT_TRUE(PWVCardParser::parse("BEGIN:VCARD\nNOTE:x\n BEGIN:VCARD\nEND:VCARD\n", nullptr, &beginLines));
    EXPECT_EQ(beginLines, 1);
}

// Each card comes with its lines as written: folds, soft line breaks, line ends, blank and
// unreadable lines and an embedded card kept, and each content line pointing at its own.
TEST(PWVCardParserSourceTest, CardsComeWithTheirLinesAsWritten)
{
    const QByteArray bytes = "junk before\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nTEL: b\r\n"
                             "\r\nno colon here\r\nFN:Folded\r\n  name\nAGENT:\r\nBEGIN:VCARD\r\nN:Agent\r\nEND:VCARD\r\n"
                             "UID:u1\r\nEND:VCARD\r\nBEGIN:VCARD\nN:Two\nEND:VCARD";
    QList<PWVCardSource> sources;
    QList<PWVCard> cards;
    ASSERT_TRUE(PWVCardParser::parseEachWithSource(bytes, [&](PWVCard &numberedCard, PWVCardSource &source) {
        cards.append(numberedCard);
        sources.append(source);
    }));
    ASSERT_EQ(sources.size(), 2);
    EXPECT_EQ(sources.at(0).lines,
              (QList<QByteArray> {"BEGIN:VCARD\r\n", "VERSION:2.1\r\n", "NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nTEL: b\r\n",
                                  "\r\n", "no colon here\r\n", "FN:Folded\r\n  name\n", "AGENT:\r\n", "BEGIN:VCARD\r\n",
                                  "N:Agent\r\n", "END:VCARD\r\n", "UID:u1\r\n", "END:VCARD\r\n"}));
    // VERSION, NOTE, FN, AGENT and UID; the embedded card's lines are the card's as written only.
    EXPECT_EQ(sources.at(0).lineOfContent, (QList<int> {1, 2, 5, 6, 10}));
    ASSERT_EQ(cards.at(0).size(), 5);
    EXPECT_EQ(cards.at(0).at(1).value, QStringLiteral("aTEL: b"));
    EXPECT_EQ(sources.at(0).lines.join(), bytes.mid(13, sources.at(0).lines.join().size()));
    EXPECT_EQ(sources.at(1).lines, (QList<QByteArray> {"BEGIN:VCARD\n", "N:Two\n", "END:VCARD"}));
}

struct LeftOutLine
{
    const char *name;
    QByteArray line;
    QString reason;
};

std::ostream &operator<<(std::ostream &out, const LeftOutLine &c)
{
    return out << c.name;
}

using PWVCardLeftOutLineTest = testing::TestWithParam<LeftOutLine>;

// Every line left out says so, with its line number and reason, at the level the category shows.
TEST_P(PWVCardLeftOutLineTest, IsLoggedWithItsReason)
{
    const pwtest::LogCapture log;
    // First in its card: a line without a colon after a content line would continue that one.
    const QByteArray bytes = "BEGIN:VCARD\n" + GetParam().line + "\nVERSION:3.0\nN:Kept;Line\nEND:VCARD\n";
    const std::optional<QList<PWVCard>> read = PWVCardParser::parse(bytes);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->constFirst().size(), 2); // VERSION and N
    EXPECT_EQ(pwtest::LogCapture::lines(), QStringList {QStringLiteral("vCard line 2 left out: ") + GetParam().reason});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PWVCardLeftOutLineTest,
    testing::Values(LeftOutLine {"NulInName", QByteArray("T\0EL:+1 555 0100", 16), QStringLiteral("a NUL byte in the property name")},
                    LeftOutLine {"NulInGroup", QByteArray("it\0em1.TEL:+1 555 0100", 22),
                                 QStringLiteral("a NUL byte in the property name")},
                    LeftOutLine {"BlankInName", "BAD NAME:x", QStringLiteral("bad property name")},
                    LeftOutLine {"NoColon", "no colon in this line", QStringLiteral("no colon")}),
    [](const testing::TestParamInfo<LeftOutLine> &info) { return std::string(info.param.name); });

TEST(PWVCardParserLogTest, AFileOfBrokenLinesNamesTheFirstFewAndCountsTheRest)
{
    const pwtest::LogCapture log;
    const QByteArray bytes = "BEGIN:VCARD\n" + QByteArray("broken\n").repeated(500) + "N:A\nEND:VCARD\n";
    ASSERT_TRUE(PWVCardParser::parse(bytes));
    const QStringList lines = pwtest::LogCapture::lines();
    EXPECT_EQ(lines.filter(QStringLiteral("left out: no colon")).size(), 20);
    EXPECT_EQ(lines.last(), QStringLiteral("vCard: 480 more lines left out"));
}

} // namespace
