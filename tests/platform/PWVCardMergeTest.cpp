// What an address book edit writes into a card beside the edited value: a new primary entry
// changes only the marks, and lines the edit did not touch keep their bytes and their charset,
// whatever encoding and vCard version the card was written in.
#include "platform/PWAddressBook.h"

#include "PWPersonSamples.h"
#include "TestSupport.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct MergeCase
{
    const char *name;
    QByteArray card;
    std::function<void(PWPerson &)> edit;
    QList<QByteArray> written;    // lines the saved card holds, byte for byte
    QList<QByteArray> notWritten; // lines it must not hold
    std::function<QString(const PWPerson &)> readBack;
    QString expected; // what readBack answers for the saved card read again
};

std::ostream &operator<<(std::ostream &out, const MergeCase &c)
{
    return out << c.name;
}

class PWVCardMergeTest : public testing::TestWithParam<MergeCase>
{
protected:
    void SetUp() override
    {
        pwtest::registerCustomPersonProperties();
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QDir().mkpath(bookPath()));
    }
    QString bookPath() const { return m_folder.filePath(QStringLiteral("AddressBook")); }
    QString cardPath() const { return QDir(bookPath()).filePath(QStringLiteral("card.vcf")); }

    QTemporaryDir m_folder;
};

TEST_P(PWVCardMergeTest, TheEditChangesOnlyWhatItMust)
{
    const MergeCase &c = GetParam();
    ASSERT_TRUE(pwtest::writeFile(cardPath(), c.card));
    {
        PWAddressBook book(bookPath());
        ASSERT_TRUE(book.load());
        const std::shared_ptr<PWPerson> person = book.personForUniqueId(QStringLiteral("m-1"));
        ASSERT_TRUE(person);
        c.edit(*person);
        QString error;
        ASSERT_TRUE(book.save(&error)) << error.toStdString();
    }
    const QByteArray saved = pwtest::readFile(cardPath());
    for (const QByteArray &line : c.written)
        EXPECT_TRUE(saved.contains("\r\n" + line + "\r\n")) << line.toStdString() << " in\n" << saved.toStdString();
    for (const QByteArray &line : c.notWritten)
        EXPECT_FALSE(saved.contains(line)) << line.toStdString() << " in\n" << saved.toStdString();
    PWAddressBook again(bookPath());
    ASSERT_TRUE(again.load());
    const std::shared_ptr<PWPerson> read = again.personForUniqueId(QStringLiteral("m-1"));
    ASSERT_TRUE(read);
    EXPECT_EQ(c.readBack(*read), c.expected);
}

const QByteArray kPhones = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ash;Ada;;;\r\nFN:Ada Ash\r\n"
                           "TEL;type=WORK;type=pref;X-EXT=42:+1 555 0100\r\n"
                           "TEL;type=CELL;X-RING=soft:+1 555 0199\r\n"
                           "TEL;type=HOME:+1 555 0142\r\n"
                           "UID:m-1\r\nEND:VCARD\r\n";
const QByteArray kAddresses = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ash;Ada;;;\r\nFN:Ada Ash\r\n"
                              "ADR;type=HOME:;;12 Orchard Lane;Springfield;IL;62701;USA\r\n"
                              "ADR;TYPE=WORK;X-FLOOR=3:PO Box 7;Bldg 5;1 Infinite Loop;Cupertino;CA;95014;USA\r\n"
                              "UID:m-1\r\nEND:VCARD\r\n";
// vCard 2.1 from an older program: Latin 1 bytes under their charset, and a quoted-printable note.
const QByteArray kLatin1 = "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1:M\xfcller;J\xfcrgen\r\n"
                           "FN;CHARSET=ISO-8859-1:J\xfcrgen M\xfcller\r\n"
                           "ORG:Caf\xe9 \x80uro\r\n"
                           "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-1:gr=FCn\r\n"
                           "TITLE:Koch\r\nUID:m-1\r\nEND:VCARD\r\n";
// vCard 4.0: phones as tel: URIs under quoted type lists, and lines no person holds.
const QByteArray kVersion4 = "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:individual\r\nN:Ash;Ada;;;\r\nFN:Ada Ash\r\n"
                             "GENDER:F\r\nLANG;PREF=1:ru\r\n"
                             "TEL;VALUE=uri;TYPE=\"voice,work\":tel:+7-495-123-45-67\r\n"
                             "TEL;VALUE=uri;TYPE=cell:tel:+7-900-000-00-00;ext=12\r\n"
                             "UID:m-1\r\nEND:VCARD\r\n";

// Addresses with the labels that spell them out: one in its group, one by its type, one of an
// address no edit touches.
const QByteArray kLabelled =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ash;Ada;;;\r\nFN:Ada Ash\r\n"
    "item1.ADR;type=WORK:;;1 Quay St;Portland;OR;97201;USA\r\n"
    "item1.LABEL:1 Quay St\\nPortland OR 97201\r\nitem1.X-ABLabel:Office\r\n"
    "ADR;TYPE=HOME:;;2 Elm Rd;Salem;OR;97301;USA\r\nLABEL;TYPE=HOME:2 Elm Rd\\nSalem OR 97301\r\n"
    "ADR;TYPE=POSTAL:;;PO Box 9;Bend;OR;97701;USA\r\nLABEL;TYPE=POSTAL:PO Box 9\\nBend OR\r\n"
    "UID:m-1\r\nEND:VCARD\r\n";
const QByteArray kPlaced =
    "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Ash;Ada;;;\r\nFN:Ada Ash\r\n"
    "ADR;TYPE=home;LABEL=\"1 Main St, Portland\";GEO=\"geo:45.5,-122.6\";X-KEEP=1:;;1 Main St;Portland;OR;"
    "97201;USA\r\nUID:m-1\r\nEND:VCARD\r\n";

// vCard 2.1 with an address whose street runs over two lines, quoted-printable in Latin 1.
const QByteArray kStreetLines = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Ash;Ada\r\n"
                                "ADR;HOME;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-1:;;Stra=DFe 1=0D=0A=\r\n"
                                "Hinterhaus;Berlin;;10623;Deutschland\r\nUID:m-1\r\nEND:VCARD\r\n";

void setCity(PWPerson &person, qsizetype index, const QString &city)
{
    pwtest::editMulti(person, kPWAddressProperty, [&](PWMultiValue &m) {
        PWPlist::Dictionary address = m.valueAtIndex(index).toDictionary();
        address.insert(kPWAddressCityKey, PWPlist::fromString(city));
        m.replaceValueAtIndex(index, PWPlist(address));
    });
}

QString cities(const PWPerson &person)
{
    QStringList out;
    const std::optional<PWMultiValue> addresses = person.multiValueForProperty(kPWAddressProperty);
    for (qsizetype i = 0; addresses && i < addresses->count(); ++i)
        out.append(addresses->labelAtIndex(i) + QLatin1Char('=')
                   + addresses->valueAtIndex(i).toDictionary().value(kPWAddressCityKey).toString());
    return out.join(QLatin1Char('|'));
}

QString primaryPhone(const PWPerson &person)
{
    const std::optional<PWMultiValue> phones = person.multiValueForProperty(kPWPhoneProperty);
    return phones ? phones->valueAtIndex(phones->indexForIdentifier(phones->primaryIdentifier())).toString() : QString();
}

QString primaryStreetAndCity(const PWPerson &person)
{
    const std::optional<PWMultiValue> addresses = person.multiValueForProperty(kPWAddressProperty);
    if (!addresses)
        return QString();
    const PWPlist::Dictionary address =
        addresses->valueAtIndex(addresses->indexForIdentifier(addresses->primaryIdentifier())).toDictionary();
    return address.value(kPWAddressStreetKey).toString() + QLatin1Char('|') + address.value(kPWAddressCityKey).toString();
}

QString names(const PWPerson &person)
{
    return QStringList {person.stringForProperty(kPWLastNameProperty), person.stringForProperty(kPWOrganizationProperty),
                        person.stringForProperty(kPWNoteProperty), person.stringForProperty(kPWJobTitleProperty)}
        .join(QLatin1Char('|'));
}

INSTANTIATE_TEST_SUITE_P(
    Edits, PWVCardMergeTest,
    testing::Values(
        MergeCase {"RemovedPrimaryPhoneLeavesTheNextAsWritten",
                   kPhones,
                   [](PWPerson &p) {
                       pwtest::editMulti(p, kPWPhoneProperty, [](PWMultiValue &m) { m.removeValueAndLabelAtIndex(0); });
                   },
                   {"TEL;type=CELL;X-RING=soft:+1 555 0199", "TEL;type=HOME:+1 555 0142"},
                   {"+1 555 0100"},
                   primaryPhone,
                   QStringLiteral("+1 555 0199")},
        MergeCase {"RemovedFirstAddressLeavesTheNextAsWritten",
                   kAddresses,
                   [](PWPerson &p) {
                       pwtest::editMulti(p, kPWAddressProperty,
                                         [](PWMultiValue &m) { m.removeValueAndLabelAtIndex(0); });
                   },
                   {"ADR;TYPE=WORK;X-FLOOR=3:PO Box 7;Bldg 5;1 Infinite Loop;Cupertino;CA;95014;USA"},
                   {"Orchard"},
                   primaryStreetAndCity,
                   QStringLiteral("1 Infinite Loop\nBldg 5\nPO Box 7|Cupertino")},
        MergeCase {"ANewPrimaryMovesOnlyTheMark",
                   kPhones,
                   [](PWPerson &p) {
                       pwtest::editMulti(p, kPWPhoneProperty,
                                         [](PWMultiValue &m) { m.setPrimaryIdentifier(m.identifierAtIndex(2)); });
                   },
                   {"TEL;type=WORK;X-EXT=42:+1 555 0100", "TEL;type=CELL;X-RING=soft:+1 555 0199",
                    "TEL;type=HOME;type=pref:+1 555 0142"},
                   {},
                   primaryPhone,
                   QStringLiteral("+1 555 0142")},
        MergeCase {"ANewPrimaryWithANewNumberKeepsItsParameters",
                   kPhones,
                   [](PWPerson &p) {
                       pwtest::editMulti(p, kPWPhoneProperty, [](PWMultiValue &m) {
                           m.replaceValueAtIndex(1, PWPlist::fromString(QStringLiteral("+1 555 0111")));
                           m.setPrimaryIdentifier(m.identifierAtIndex(1));
                       });
                   },
                   {"TEL;type=WORK;X-EXT=42:+1 555 0100", "TEL;type=CELL;X-RING=soft;type=pref:+1 555 0111"},
                   {},
                   primaryPhone,
                   QStringLiteral("+1 555 0111")},
        MergeCase {"UntouchedLatin1LinesKeepTheirBytes",
                   kLatin1,
                   [](PWPerson &p) {
                       p.setValueForProperty(kPWJobTitleProperty, PWPlist::fromString(QStringLiteral("Chef")));
                   },
                   {"N;CHARSET=ISO-8859-1:M\xfcller;J\xfcrgen", "ORG:Caf\xe9 \x80uro",
                    "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-1:gr=FCn", "TITLE:Chef"},
                   {"M\xc3\xbc"},
                   names,
                   QStringLiteral("Müller|Café €uro|grün|Chef")},
        MergeCase {"AnEditedValueOfVersion21SaysItsCharset",
                   kLatin1,
                   [](PWPerson &p) {
                       p.setValueForProperty(kPWLastNameProperty, PWPlist::fromString(QStringLiteral("Mühle")));
                       p.setValueForProperty(kPWJobTitleProperty, PWPlist::fromString(QStringLiteral("Kõch")));
                   },
                   {"N;CHARSET=UTF-8:M\xc3\xbchle;J\xc3\xbcrgen;;;",
                    "TITLE;CHARSET=UTF-8:K\xc3\xb5"
                    "ch",
                    "ORG:Caf\xe9 \x80uro"},
                   {"CHARSET=ISO-8859-1:M\xc3"},
                   names,
                   QStringLiteral("Mühle|Café €uro|grün|Kõch")},
        MergeCase {"AnEditedAddressLosesTheLabelsThatToldTheOldOne",
                   kLabelled,
                   [](PWPerson &p) {
                       setCity(p, 0, QStringLiteral("Bangor"));
                       setCity(p, 1, QStringLiteral("Eugene"));
                   },
                   {"item1.ADR;type=WORK:;;1 Quay St;Bangor;OR;97201;USA", "item1.X-ABLabel:Office",
                    "ADR;TYPE=HOME:;;2 Elm Rd;Eugene;OR;97301;USA", "LABEL;TYPE=POSTAL:PO Box 9\\nBend OR"},
                   {"item1.LABEL", "LABEL;TYPE=HOME", "Portland", "Salem"},
                   cities,
                   kPWWorkLabel + QStringLiteral("=Bangor|") + kPWHomeLabel + QStringLiteral("=Eugene|") + kPWOtherLabel
                       + QStringLiteral("=Bend")},
        MergeCase {"AnEditedAddressLosesTheLabelAndPositionOfTheOldOne",
                   kPlaced,
                   [](PWPerson &p) { setCity(p, 0, QStringLiteral("Bangor")); },
                   {"ADR;TYPE=home;X-KEEP=1:;;1 Main St;Bangor;OR;97201;USA"},
                   {"LABEL=", "GEO="},
                   cities,
                   kPWHomeLabel + QStringLiteral("=Bangor")},
        MergeCase {"AnEditOfVersion21WritesThatVersionsSyntax",
                   kLatin1,
                   [](PWPerson &p) {
                       p.setValueForProperty(kPWNoteProperty, PWPlist::fromString(QStringLiteral("grün\nblau")));
                       p.setValueForProperty(
                           kPWJobTitleProperty,
                           PWPlist::fromString(QStringLiteral("Head of the kitchens, the cellars, the "
                                                              "bakery and every pantry: Koch")));
                   },
                   {"NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:gr=C3=BCn=0D=0Ablau",
                    "TITLE:Head of the kitchens, the cellars, the bakery and every pantry: Koch"},
                   {"\\n", "\\,", "\r\n "},
                   names,
                   QStringLiteral("Müller|Café €uro|grün\nblau|Head of the kitchens, the cellars, the bakery and every "
                                  "pantry: Koch")},
        MergeCase {"AnEditedQuotedPrintableLineOfVersion21KeepsItsHeadAndEncoding",
                   kStreetLines,
                   [](PWPerson &p) { setCity(p, 0, QStringLiteral("Potsdam")); },
                   // Broken softly within 76 characters a line.
                   {"ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Stra=C3=9Fe 1=0D=0AHinte=\r\n"
                    "rhaus;Potsdam;;10623;Deutschland"},
                   {"Berlin", "type="},
                   cities,
                   kPWHomeLabel + QStringLiteral("=Potsdam")},
        MergeCase {"AQuotedPrintableLineInAnUnknownCharsetIsWrittenAnew",
                   "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Ash;Ada\r\nNOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=X-NONE:a=ZZb\r\n"
                   "TITLE:Koch\r\nUID:m-1\r\nEND:VCARD\r\n",
                   [](PWPerson &p) { p.setValueForProperty(kPWNoteProperty, PWPlist::fromString(QStringLiteral("fresh"))); },
                   {"NOTE:fresh", "TITLE:Koch"},
                   {"X-NONE", "ZZ"},
                   names,
                   QStringLiteral("Ash||fresh|Koch")},
        MergeCase {"ANewNumberStaysATelUri",
                   kVersion4,
                   [](PWPerson &p) {
                       pwtest::editMulti(p, kPWPhoneProperty, [](PWMultiValue &m) {
                           m.replaceValueAtIndex(0, PWPlist::fromString(QStringLiteral("+7 495 123 45 00")));
                       });
                   },
                   {"TEL;VALUE=uri;TYPE=\"voice,work\":tel:+7-495-123-45-00",
                    "TEL;VALUE=uri;TYPE=cell:tel:+7-900-000-00-00;ext=12", "KIND:individual", "GENDER:F",
                    "LANG;PREF=1:ru"},
                   {"+7 495"},
                   primaryPhone,
                   QStringLiteral("+7-495-123-45-00")},
        MergeCase {"AnotherEditLeavesTheTelUrisAsWritten",
                   kVersion4,
                   [](PWPerson &p) {
                       p.setValueForProperty(kPWJobTitleProperty, PWPlist::fromString(QStringLiteral("Chef")));
                   },
                   {"TEL;VALUE=uri;TYPE=\"voice,work\":tel:+7-495-123-45-67",
                    "TEL;VALUE=uri;TYPE=cell:tel:+7-900-000-00-00;ext=12", "TITLE:Chef"},
                   {"type=VOICE"},
                   primaryPhone,
                   QStringLiteral("+7-495-123-45-67")}),
    [](const testing::TestParamInfo<MergeCase> &info) { return std::string(info.param.name); });

} // namespace
