#include "platform/PWVCardReader.h"

#include "PWPersonSamples.h"
#include "TestSupport.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardParser.h"
#include "platform/PWVCardWriter.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray cardFixture(const QString &name)
{
    return pwtest::readFixture(QStringLiteral("contacts/") + name);
}

// "label=value" per entry, "*" before the primary one when there is a choice.
QStringList entries(const PWPerson &person, const QString &property)
{
    QStringList out;
    const std::optional<PWMultiValue> multi = person.multiValueForProperty(property);
    if (!multi)
        return out;
    for (qsizetype i = 0; i < multi->count(); ++i) {
        const PWPlist value = multi->valueAtIndex(i);
        QString text = value.isDate() ? value.toDate().date().toString(Qt::ISODate) : value.toString();
        if (value.isDictionary()) {
            QStringList parts;
            for (const auto &[key, part] : value.toDictionary())
                parts.append(key + QLatin1Char(':') + part.toString());
            text = parts.join(QLatin1Char('|'));
        }
        const bool primary = multi->count() > 1 && multi->identifierAtIndex(i) == multi->primaryIdentifier();
        out.append((primary ? QStringLiteral("*") : QString()) + multi->labelAtIndex(i) + QLatin1Char('=') + text);
    }
    return out;
}

QString texts(const PWPerson &person, const QStringList &properties)
{
    QStringList out;
    for (const QString &property : properties)
        out.append(person.stringForProperty(property));
    return out.join(QLatin1Char('|'));
}

class PWVCardReaderTest : public testing::Test
{
protected:
    static void SetUpTestSuite() { pwtest::registerCustomPersonProperties(); }
};

TEST_F(PWVCardReaderTest, GroupedLinesTakeTheirGroupsLabelsAndPrefMakesThePrimaryEntry)
{
    QString error;
    const std::shared_ptr<PWPerson> person =
        PWVCardReader::personFromData(cardFixture(QStringLiteral("vcard30-grouped-labels.vcf")), &error);
    ASSERT_TRUE(person) << error.toStdString();
    // Every property with a value, a line each; labels without their markers.
    QStringList lines;
    for (const QString &property : person->propertiesWithValues()) {
        const PWPlist value = person->valueForProperty(property);
        lines.append(property + QLatin1Char('=')
                     + (person->multiValueForProperty(property) ? entries(*person, property).join(QStringLiteral(", "))
                        : value.isDate()                        ? value.toDate().date().toString(Qt::ISODate)
                                                                : value.toString()));
    }
    EXPECT_EQ(lines.join(QLatin1Char('\n')).remove(QStringLiteral("_$!<")).remove(QStringLiteral(">!$_")),
              QStringLiteral("First=Johanna\nLast=Ashgrove\nMiddle=Q.\nMaiden=Birch\nNickname=Jo\nTitle=Dr.\nSuffix=PhD\n"
                             "Organization=Harbour Freight Lines\nJobTitle=Dispatcher\n"
                             "Note=Prefers deliveries before noon, Mondays excepted.\nGate code 42\nBirthday=1970-03-04\n"
                             "Address=*Work=Street:1 Quay Street\nBuilding 4|City:Portland|State:OR|ZIP:97201|Country:USA|"
                             "CountryCode:us, Home=Street:22 Elm Row|City:Edinburgh|ZIP:EH1 3AA|Country:United Kingdom|"
                             "CountryCode:uk, Other=Street:Summer House|City:Bergen|ZIP:5003|Country:Norway\n"
                             "Phone=Work=+1 555 0100, *Mobile=+1 555 0101, HomeFAX=+1 555 0102, Pager=+1 555 0104, "
                             "Boat=+1 555 0103\nEmail=Home=jo@home.example, *Work=johanna@harbour.example\n"
                             "AIMInstant=Work=jo.aim\nJabberInstant=Home=jo@jabber.example\n"
                             "URLs=*HomePage=http://jo.example/home, Work=https://harbour.example\n"
                             "ABDate=Anniversary=2001-06-15\nABRelatedNames=Mother=Margaret Ashgrove\nABDepartment=Logistics"));
}

// A label a group adds names an entry; its kind comes from its types where they give one, so a
// work address labelled "Office" stays the work address, and one of no kind takes the label.
TEST_F(PWVCardReaderTest, ATypedEntryKeepsItsKindUnderALabelOfItsGroup)
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\n"
                            "item1.ADR;TYPE=WORK,pref:;;1 Main St;Portland;OR;97201;USA\r\nitem1.X-ABLabel:Office\r\n"
                            "item2.ADR;TYPE=HOME:;;2 Elm Rd;Salem;OR;97301;USA\r\nitem2.X-ABLabel:_$!<Other>!$_\r\n"
                            "item3.ADR:;;3 Oak Way;Bend;OR;97701;USA\r\nitem3.X-ABLabel:Cabin\r\n"
                            "item4.TEL;type=CELL:555 0101\r\nitem4.X-ABLabel:Boat\r\n"
                            "item5.TEL;type=pref:555 0102\r\nitem5.X-ABLabel:Studio\r\nEND:VCARD\r\n";
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(card);
    ASSERT_TRUE(person);
    EXPECT_EQ(entries(*person, kPWAddressProperty),
              (QStringList {u"*"_s + kPWWorkLabel + u"=Street:1 Main St|City:Portland|State:OR|ZIP:97201|Country:USA"_s,
                            kPWHomeLabel + u"=Street:2 Elm Rd|City:Salem|State:OR|ZIP:97301|Country:USA"_s,
                            u"Cabin=Street:3 Oak Way|City:Bend|State:OR|ZIP:97701|Country:USA"_s}));
    EXPECT_EQ(entries(*person, kPWPhoneProperty),
              (QStringList {kPWPhoneMobileLabel + u"=555 0101"_s, u"*Studio=555 0102"_s}));
}

TEST_F(PWVCardReaderTest, QuotedPrintableCardReadsWithLineEndsNormalised)
{
    const std::shared_ptr<PWPerson> person =
        PWVCardReader::personFromData(cardFixture(QStringLiteral("vcard21-quoted-printable.vcf")));
    ASSERT_TRUE(person);
    EXPECT_EQ(texts(*person, {kPWFirstNameProperty, kPWLastNameProperty, kPWNoteProperty}),
              QStringLiteral("Jürgen|Müller|First line\nSecond line with a soft break"));
    EXPECT_EQ(entries(*person, kPWAddressProperty),
              QStringList {kPWHomeLabel
                           + QStringLiteral("=Street:Straße des 17. Juni 1\nHinterhaus|City:Berlin|"
                                            "ZIP:10623|Country:Deutschland")});
    EXPECT_EQ(entries(*person, kPWPhoneProperty),
              (QStringList {QStringLiteral("*") + kPWPhoneWorkLabel + QStringLiteral("=+49 30 1234567"),
                            kPWPhoneMobileLabel + QStringLiteral("=+49 171 7654321")}));
    EXPECT_EQ(entries(*person, kPWEmailProperty), QStringList {kPWOtherLabel + QStringLiteral("=juergen@example.de")});
}

// A soft line break keeps the next line's leading blank as content; without quoted-printable
// the same bytes are an ordinary fold.
TEST_F(PWVCardReaderTest, QuotedPrintableSoftBreakBeforeABlankKeepsTheBlank)
{
    const std::shared_ptr<PWPerson> person =
        PWVCardReader::personFromData(cardFixture(QStringLiteral("vcard21-qp-soft-break-leading-space.vcf")));
    ASSERT_TRUE(person);
    EXPECT_EQ(
        entries(*person, kPWAddressProperty),
        QStringList {kPWHomeLabel
                     + QStringLiteral("=Street:Am Großen Wannsee 56-58|City:Berlin|ZIP:14109|Country:Deutschland")});
    EXPECT_EQ(person->stringForProperty(kPWNoteProperty),
              QStringLiteral("A plain value folded after an equals sign=stays folded"));
}

struct PreferredCase
{
    const char *name;
    const char *lines;
    QString property;
    qsizetype primary;
};

class PWVCardReaderPreferredTest : public PWVCardReaderTest, public testing::WithParamInterface<PreferredCase>
{
};

TEST_P(PWVCardReaderPreferredTest, PreferenceMarksThePrimaryEntry)
{
    const std::shared_ptr<PWPerson> person =
        PWVCardReader::personFromData(QByteArray("BEGIN:VCARD\n") + GetParam().lines + "END:VCARD\n");
    ASSERT_TRUE(person);
    const std::optional<PWMultiValue> multi = person->multiValueForProperty(GetParam().property);
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->indexForIdentifier(multi->primaryIdentifier()), GetParam().primary);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PWVCardReaderPreferredTest,
    testing::Values(PreferredCase {"LowestPrefNumberWins",
                                   "VERSION:4.0\nTEL:1\nTEL;PREF=2:2\nTEL;TYPE=cell;PREF=1:3\nTEL;PREF=1:4\n",
                                   kPWPhoneProperty, 2},
                    PreferredCase {"PrefOneOnAnAddress",
                                   "VERSION:4.0\nADR;TYPE=home:;;Elm 1;;;;\nADR;PREF=1;TYPE=work:;;Quay 2;;;;\n",
                                   kPWAddressProperty, 1},
                    PreferredCase {"TypePrefInCapitals", "VERSION:3.0\nEMAIL:a@x\nEMAIL;TYPE=INTERNET,PREF:b@x\n",
                                   kPWEmailProperty, 1},
                    PreferredCase {"FirstOfBarePrefs", "VERSION:2.1\nTEL;WORK:1\nTEL;PREF;CELL:2\nTEL;PREF:3\n",
                                   kPWPhoneProperty, 1},
                    PreferredCase {"NoneMarked", "VERSION:4.0\nEMAIL:a@x\nEMAIL:b@x\n", kPWEmailProperty, 0}),
    [](const testing::TestParamInfo<PreferredCase> &info) { return std::string(info.param.name); });

// Phones as each version writes them: vCard 4.0's quoted type lists and tel: URIs read as
// the format defines them, older text values as they stand.
struct PhoneCase
{
    const char *name;
    const char *lines;
    QStringList expected; // entries()
};

class PWVCardReaderPhoneTest : public PWVCardReaderTest, public testing::WithParamInterface<PhoneCase>
{
};

TEST_P(PWVCardReaderPhoneTest, PhonesTakeTheirTypesAndNumbers)
{
    const std::shared_ptr<PWPerson> person =
        PWVCardReader::personFromData(QByteArray("BEGIN:VCARD\r\nN:Ash;Ada;;;\r\n") + GetParam().lines + "END:VCARD\r\n");
    ASSERT_TRUE(person);
    EXPECT_EQ(entries(*person, kPWPhoneProperty), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PWVCardReaderPhoneTest,
    testing::Values(
        PhoneCase {"QuotedTypeListAndTelUri", "VERSION:4.0\r\nTEL;VALUE=uri;TYPE=\"voice,work\":tel:+7-495-123-45-67\r\n",
                   {kPWPhoneWorkLabel + QStringLiteral("=+7-495-123-45-67")}},
        PhoneCase {"TelUriWithExtensionAndPreference",
                   "VERSION:4.0\r\nTEL;VALUE=uri;TYPE=\"voice,home\":tel:+1-555-555-5555;ext=5555\r\n"
                   "TEL;VALUE=uri;PREF=1;TYPE=\"cell,voice\":tel:+1-555-555-0100\r\n",
                   {kPWPhoneHomeLabel + QStringLiteral("=+1-555-555-5555 ext. 5555"),
                    QStringLiteral("*") + kPWPhoneMobileLabel + QStringLiteral("=+1-555-555-0100")}},
        PhoneCase {"TelUriWithEscapesAndNoValueParameter", "VERSION:4.0\r\nTEL;TYPE=fax,work:TEL:+49%2030%20123\r\n",
                   {kPWPhoneWorkFAXLabel + QStringLiteral("=+49 30 123")}},
        PhoneCase {"TextPhoneOfVersion30", "VERSION:3.0\r\nTEL;TYPE=CELL:555 0100\r\n",
                   {kPWPhoneMobileLabel + QStringLiteral("=555 0100")}}),
    [](const testing::TestParamInfo<PhoneCase> &info) { return std::string(info.param.name); });

TEST_F(PWVCardReaderTest, PhotosComeFromBase64OrDataUrisAndBrokenOnesAreLeftOut)
{
    const std::optional<QList<std::shared_ptr<PWPerson>>> persons =
        PWVCardReader::personsFromData(cardFixture(QStringLiteral("vcard30-photo-base64.vcf")));
    ASSERT_TRUE(persons);
    ASSERT_EQ(persons->size(), 3);
    const QByteArray png =
        QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAYAAABytg0kAAAAFUlEQVR42mM4ISf3H4QZ5ORO/"
                               "AdhAESMCA13gOdaAAAAAElFTkSuQmCC");
    EXPECT_EQ(persons->at(0)->imageData(), png);
    EXPECT_EQ(persons->at(1)->imageData(), png);
    EXPECT_TRUE(persons->at(2)->imageData().isEmpty());
    EXPECT_EQ(persons->at(2)->stringForProperty(kPWLastNameProperty), QStringLiteral("Broken"));
    // Instant messaging given as IMPP, by service type or by URI scheme.
    EXPECT_EQ(entries(*persons->at(1), kPWAIMInstantProperty),
              QStringList {kPWHomeLabel + QStringLiteral("=lars.aim")});
    EXPECT_EQ(entries(*persons->at(1), kPWJabberInstantProperty),
              QStringList {kPWWorkLabel + QStringLiteral("=lars@chat.example")});
}

TEST_F(PWVCardReaderTest, GroupCardsMakeGroupsAndUidsAreKeptOnRequest)
{
    const std::optional<QList<PWVCard>> cards =
        PWVCardParser::parse(cardFixture(QStringLiteral("vcard30-group-card.vcf")));
    ASSERT_TRUE(cards);
    ASSERT_EQ(cards->size(), 3);
    EXPECT_FALSE(PWVCardReader::isGroupCard(cards->at(0)));
    ASSERT_TRUE(PWVCardReader::isGroupCard(cards->at(1)));
    const std::optional<PWGroup> group = PWVCardReader::groupFromCard(cards->at(1));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->name(), QStringLiteral("Choir"));
    EXPECT_EQ(group->uniqueId(), QStringLiteral("5D3A-GROUP-CHOIR"));
    EXPECT_EQ(group->memberIds(),
              (QStringList {QStringLiteral("7E0C1A52-PERSON-A"), QStringLiteral("7E0C1A52-PERSON-B")}));
    EXPECT_FALSE(PWVCardReader::groupFromCard(cards->at(0)));
    const auto persons = PWVCardReader::personsFromData(cardFixture(QStringLiteral("vcard30-group-card.vcf")));
    ASSERT_TRUE(persons);
    ASSERT_EQ(persons->size(), 2);
    EXPECT_NE(persons->at(0)->uniqueId(), QStringLiteral("7E0C1A52-PERSON-A"));
    EXPECT_EQ(PWVCardReader::personFromCard(cards->at(0), PWVCardReader::Options(true))->uniqueId(),
              QStringLiteral("7E0C1A52-PERSON-A"));
}

TEST_F(PWVCardReaderTest, BytesWithoutAPersonCardGiveNoPersonAndAReason)
{
    QString error;
    EXPECT_FALSE(PWVCardReader::personFromData("BEGIN:VCARD\nKIND:group\nFN:Only a group\nEND:VCARD\n", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(PWVCardReaderTest, DatesInEveryFormAndImpossibleOnesLeftOut)
{
    const QByteArray bytes = "BEGIN:VCARD\nBDAY:19691231T235959Z\nX-ANNIVERSARY:2002-02-30\n"
                             "item1.X-ABDATE:2010-05-06T10:00:00\nitem1.X-ABLabel:Graduation\nEND:VCARD\n";
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(bytes);
    ASSERT_TRUE(person);
    EXPECT_EQ(person->valueForProperty(kPWBirthdayProperty), pwtest::utcDate(1969, 12, 31));
    EXPECT_EQ(entries(*person, kPWOtherDatesProperty), QStringList {QStringLiteral("Graduation=2010-05-06")});
}

} // namespace

TEST_F(PWVCardReaderTest, CompanyCardsKeepTheirMarkThroughReadingAndWriting)
{
    const QByteArray company = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:Engines Inc\r\nORG:Engines Inc;\r\n"
                               "X-ABShowAs:COMPANY\r\nEND:VCARD\r\n";
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(company);
    ASSERT_TRUE(person);
    EXPECT_EQ(person->stringForProperty(kPWPersonFlagsProperty), QString::number(kPWShowAsCompany));
    const std::shared_ptr<PWPerson> again = PWVCardReader::personFromData(PWVCardWriter::vCardRepresentation(*person));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->stringForProperty(kPWPersonFlagsProperty), QString::number(kPWShowAsCompany));
    // A person card carries no mark and writes none.
    const QByteArray plain = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lovelace;Ada;;;\r\nFN:Ada Lovelace\r\n"
                             "X-ABShowAs:PERSON\r\nEND:VCARD\r\n";
    const std::shared_ptr<PWPerson> ada = PWVCardReader::personFromData(plain);
    ASSERT_TRUE(ada);
    EXPECT_TRUE(ada->stringForProperty(kPWPersonFlagsProperty).isEmpty());
    EXPECT_FALSE(PWVCardWriter::vCardRepresentation(*ada).contains("X-ABShowAs"));
}

// Files over a megabyte are checked for UTF-8 a piece at a time: characters near the pieces'
// ends stay whole, and one card of Latin-1 still falls back alone.
TEST_F(PWVCardReaderTest, LargeFilesAreReadAsUtf8AcrossTheirPiecesWithTheLatin1CardAlone)
{
    QByteArray bytes;
    int count = 0;
    while (bytes.size() < 3 * 1024 * 1024) {
        // Lines of odd lengths put the two-byte characters at every offset.
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zo\xC3\xAB;\xC5\x81ukasz" + QByteArray(count % 7, 'x')
                 + ";;;\r\nNOTE:" + QByteArray("\xC3\xA9").repeated(count % 500) + "\r\nEND:VCARD\r\n";
        ++count;
    }
    bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:M\xFCller;J\xFCrgen;;;\r\nEND:VCARD\r\n";
    const std::optional<QList<std::shared_ptr<PWPerson>>> persons = PWVCardReader::personsFromData(bytes);
    ASSERT_TRUE(persons);
    ASSERT_EQ(persons->size(), count + 1);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(persons->at(i)->stringForProperty(kPWLastNameProperty), QStringLiteral("Zoë")) << i;
        ASSERT_EQ(persons->at(i)->stringForProperty(kPWNoteProperty).size(), i % 500) << i;
    }
    EXPECT_EQ(persons->last()->stringForProperty(kPWLastNameProperty), QStringLiteral("Müller"));
}

// Persons of one file share the values they hold alike; addresses alike in their lines but
// not in what their groups add stay apart.
TEST_F(PWVCardReaderTest, AddressesAlikeButForTheirGroupsStayApart)
{
    QByteArray bytes;
    for (const char *code : {"uk", "ie", "uk"})
        bytes += "BEGIN:VCARD\r\nN:Row;Elm;;;\r\nitem1.ADR;type=HOME:;;1 Elm Row;Leith;;EH6;UK\r\nitem1.X-ABADR:"
                 + QByteArray(code) + "\r\nADR;type=WORK:;;1 Elm Row;Leith;;EH6;UK\r\nEND:VCARD\r\n";
    const std::optional<QList<std::shared_ptr<PWPerson>>> persons = PWVCardReader::personsFromData(bytes);
    ASSERT_TRUE(persons);
    QStringList seen;
    for (const auto &person : *persons)
        seen += entries(*person, kPWAddressProperty);
    const QString plain = QStringLiteral("=Street:1 Elm Row|City:Leith|ZIP:EH6|Country:UK");
    const QString home = QLatin1Char('*') + kPWHomeLabel + plain + QStringLiteral("|CountryCode:");
    const QString work = kPWWorkLabel + plain;
    EXPECT_EQ(seen, (QStringList {home + QStringLiteral("uk"), work, home + QStringLiteral("ie"), work,
                                  home + QStringLiteral("uk"), work}));
}
