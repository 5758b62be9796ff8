// A line without a colon in a card: right after a content line it is that line's continuation,
// folded without its blank, and is read so and named as a note; with nothing before it to
// continue it is left out and named as a problem.
#include "platform/PWVCardParser.h"

#include <gtest/gtest.h>

namespace {

QString colonlessValueOf(const PWVCard &card, const QString &name)
{
    for (const PWVCardLine &line : card)
        if (line.name == name)
            return line.value;
    return QStringLiteral("(none)");
}

TEST(PWVCardColonlessLineTest, ContinuesTheLineBeforeItOrIsLeftOutAndNamed)
{
    const struct
    {
        const char *name;
        QByteArray card;
        QString property;
        QString value; // the property's value as read
        QStringList notes;
        QStringList problems;
    } cases[] = {
        {"an address folded without its blank",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abbott;Ann;;;\r\nADR:;;1 Elm St;Spring\r\nfield;IL;62701;\r\nEND:VCARD\r\n",
         QStringLiteral("ADR"), QStringLiteral(";;1 Elm St;Springfield;IL;62701;"),
         {QStringLiteral("Line 5 has no colon; it was read as the continuation of the ADR line before it "
                         "(\"field;IL;62701;\").")},
         {}},
        {"two lines of a note",
         "BEGIN:VCARD\nN:Abbott;Ann\nNOTE:first\n second\nthird\nEND:VCARD\n", QStringLiteral("NOTE"),
         QStringLiteral("firstsecondthird"),
         {QStringLiteral("Line 5 has no colon; it was read as the continuation of the NOTE line before it (\"third\").")},
         {}},
        {"a stray line first in its card", "BEGIN:VCARD\nstray words\nN:Abbott;Ann\nEND:VCARD\n", QStringLiteral("N"),
         QStringLiteral("Abbott;Ann"), {},
         {QStringLiteral("Line 2 of the card beginning on line 1 has no colon and was left out (\"stray words\").")}},
        {"a stray line after a blank one", "BEGIN:VCARD\nN:Abbott;Ann\n\nstray words\nEND:VCARD\n", QStringLiteral("N"),
         QStringLiteral("Abbott;Ann"), {},
         {QStringLiteral("Line 4 of the card beginning on line 1 has no colon and was left out (\"stray words\").")}},
        // vCard 2.1 writes base64 data on unindented lines up to a blank one: read as written.
        {"base64 data of a photo", "BEGIN:VCARD\nVERSION:2.1\nN:A\nPHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/\nAAQ=\n\nEND:VCARD\n",
         QStringLiteral("PHOTO"), QStringLiteral("/9j/AAQ="), {}, {}},
        {"a line outside any card", "stray words\nBEGIN:VCARD\nN:Abbott;Ann\nEND:VCARD\n", QStringLiteral("N"),
         QStringLiteral("Abbott;Ann"), {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QList<PWVCard> cards;
        QStringList problems;
        QStringList notes;
        ASSERT_TRUE(PWVCardParser::parseEach(c.card, [&cards](PWVCard &card) { cards.append(card); }, nullptr, nullptr,
                                             &problems, &notes));
        ASSERT_EQ(cards.size(), 1);
        EXPECT_EQ(colonlessValueOf(cards.front(), c.property), c.value);
        EXPECT_EQ(notes, c.notes);
        EXPECT_EQ(problems, c.problems);
    }
}

TEST(PWVCardColonlessLineTest, AFileOfManyContinuationsNamesTheFirstFewAndCountsTheRest)
{
    const QByteArray bytes = "BEGIN:VCARD\nN:A\nNOTE:x\n" + QByteArray("y\n").repeated(25) + "END:VCARD\n";
    QStringList notes;
    QList<PWVCard> cards;
    ASSERT_TRUE(PWVCardParser::parseEach(bytes, [&cards](PWVCard &card) { cards.append(card); }, nullptr, nullptr,
                                         nullptr, &notes));
    ASSERT_EQ(cards.size(), 1);
    EXPECT_EQ(colonlessValueOf(cards.front(), QStringLiteral("NOTE")), QStringLiteral("x") + QString(25, u'y'));
    ASSERT_EQ(notes.size(), 21);
    EXPECT_EQ(notes.last(), QStringLiteral("5 more lines without a colon were read as continuations of the lines before them."));
}

} // namespace
