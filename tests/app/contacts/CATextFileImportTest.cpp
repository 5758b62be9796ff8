#include "app/contacts/CATextFileImport.h"
#include "app/contacts/CATextFileSource.h"

#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString addressPart(const PWPerson &person, qsizetype index, const QString &key)
{
    return person.multiValueForProperty(kPWAddressProperty)->valueAtIndex(index).value(key).toString();
}

QStringList labelsOf(const PWPerson &person, const QString &property)
{
    QStringList labels;
    if (const std::optional<PWMultiValue> values = person.multiValueForProperty(property)) {
        for (const PWMultiValue::Entry &entry : values->entries())
            labels << entry.label;
    }
    return labels;
}

TEST(CATextFileImport, APilcrowBecomesALineBreak)
{
    CADelimitedText text(QStringLiteral(u"Street\n12 Elm Row\u00b6Flat 3\n").toUtf8());
    const CAPersonList persons = CATextFileImport::peopleFromText(text);
    ASSERT_EQ(persons.size(), 1);
    EXPECT_EQ(addressPart(*persons.first(), 0, kPWAddressStreetKey), u"12 Elm Row\nFlat 3"_s);
}

TEST(CATextFileImport, AHomeCityAloneGivesOneHomeAddressWithEveryPart)
{
    const std::shared_ptr<PWPerson> person = CATextFileImport::parsePerson({u"York"_s}, {{u"homecity"_s, 0}});
    const std::optional<PWMultiValue> addresses = person->multiValueForProperty(kPWAddressProperty);
    ASSERT_TRUE(addresses);
    ASSERT_EQ(addresses->count(), 1);
    EXPECT_EQ(addresses->labelAtIndex(0), kPWAddressHomeLabel);
    const PWPlist::Dictionary address = addresses->valueAtIndex(0).toDictionary();
    EXPECT_EQ(address.size(), 6);
    EXPECT_EQ(address.value(kPWAddressCityKey).toString(), u"York"_s);
    for (const QString &key : {kPWAddressStreetKey, kPWAddressStateKey, kPWAddressZIPKey, kPWAddressCountryKey,
                               kPWAddressCountryCodeKey})
        EXPECT_TRUE(address.value(key).isString() && address.value(key).toString().isEmpty()) << key.toStdString();
}

TEST(CATextFileImport, HomeAddressComesBeforeWorkAndOther)
{
    const std::shared_ptr<PWPerson> person = CATextFileImport::parsePerson(
        {u"Leeds"_s, u"York"_s, u"Hull"_s}, {{u"workcity"_s, 0}, {u"othercity"_s, 1}, {u"homecity"_s, 2}});
    EXPECT_EQ(labelsOf(*person, kPWAddressProperty), (QStringList{kPWAddressHomeLabel, kPWAddressWorkLabel, u"other"_s}));
    EXPECT_EQ(addressPart(*person, 0, kPWAddressCityKey), u"Hull"_s);
}

TEST(CATextFileImport, EmptyFieldsAndMissingColumnsSetNothing)
{
    const std::shared_ptr<PWPerson> person = CATextFileImport::parsePerson(
        {u""_s, u"Ada"_s}, {{u"workstreet"_s, 0}, {u"firstname"_s, 1}, {u"lastname"_s, 7}, {u"unknown"_s, 1}});
    EXPECT_EQ(person->stringForProperty(kPWFirstNameProperty), u"Ada"_s);
    EXPECT_FALSE(person->hasValueForProperty(kPWLastNameProperty));
    EXPECT_EQ(person->multiValueForProperty(kPWAddressProperty).value_or(PWMultiValue()).count(), 0);
    EXPECT_EQ(person->multiValueForProperty(kPWPhoneProperty).value_or(PWMultiValue()).count(), 0);
}

// Columns a header names for e-mails and the homepage are kept, not dropped.
TEST(CATextFileImport, EmailsKeepTheirLabelsAndTheHomepageIsTheUrl)
{
    const std::shared_ptr<PWPerson> person = CATextFileImport::parsePerson(
        {u"w@x.example"_s, u"h@x.example"_s, u"o@x.example"_s, u"https://x.example"_s},
        {{u"emailwork"_s, 0}, {u"emailhome"_s, 1}, {u"emailother"_s, 2}, {u"homepage"_s, 3}});
    const std::optional<PWMultiValue> emails = person->multiValueForProperty(kPWEmailProperty);
    ASSERT_TRUE(emails);
    ASSERT_EQ(emails->count(), 3);
    EXPECT_EQ(labelsOf(*person, kPWEmailProperty), (QStringList{kPWEmailWorkLabel, kPWEmailHomeLabel, u"other"_s}));
    EXPECT_EQ(emails->valueAtIndex(1).toString(), u"h@x.example"_s);
    EXPECT_EQ(person->stringForProperty(kPWHomePageProperty), u"https://x.example"_s);
}

// A street's second line (a suite) continues the street of its address as its next line.
TEST(CATextFileImport, ASecondStreetLineContinuesTheStreet)
{
    const struct
    {
        QStringList fields;
        QString street;
    } rows[] = {
        {{u"1 Elm St"_s, u"Suite 5"_s, u"Springfield"_s}, u"1 Elm St\nSuite 5"_s},
        {{u"1 Elm St"_s, u""_s, u"Springfield"_s}, u"1 Elm St"_s},
        {{u""_s, u"Suite 5"_s, u"Springfield"_s}, u"Suite 5"_s},
    };
    for (const auto &row : rows) {
        const std::shared_ptr<PWPerson> person = CATextFileImport::parsePerson(
            row.fields, {{u"homestreet2"_s, 1}, {u"homestreet"_s, 0}, {u"homecity"_s, 2}, {u"workstreet2"_s, 3}});
        EXPECT_EQ(addressPart(*person, 0, kPWAddressStreetKey), row.street);
        EXPECT_EQ(labelsOf(*person, kPWAddressProperty), QStringList{kPWAddressHomeLabel});
    }
}

struct KeyCase
{
    const char *key;
    const QString *property; // single value, or the multi-value property
    QString label;           // empty for a single value
};

class PersonFieldKeys : public testing::TestWithParam<KeyCase>
{
};

TEST_P(PersonFieldKeys, PlaceTheFieldWhereTheKeySays)
{
    const KeyCase &c = GetParam();
    const std::shared_ptr<PWPerson> person =
        CATextFileImport::parsePerson({u"value"_s}, {{QString::fromLatin1(c.key), 0}});
    if (c.label.isEmpty()) {
        EXPECT_EQ(person->stringForProperty(*c.property), u"value"_s);
    } else {
        const std::optional<PWMultiValue> values = person->multiValueForProperty(*c.property);
        ASSERT_TRUE(values);
        ASSERT_EQ(values->count(), 1);
        EXPECT_EQ(values->labelAtIndex(0), c.label);
    }
}

const QString kDepartment = u"ABDepartment"_s;
const QString kCustom4 = u"Custom4"_s;

INSTANTIATE_TEST_SUITE_P(
    Keys, PersonFieldKeys,
    testing::Values(KeyCase{"prefix", &kPWTitleProperty, {}}, KeyCase{"suffix", &kPWSuffixProperty, {}},
                    KeyCase{"middlename", &kPWMiddleNameProperty, {}},
                    KeyCase{"maidenname", &kPWMaidenNameProperty, {}},
                    KeyCase{"nickname", &kPWNicknameProperty, {}}, KeyCase{"title", &kPWJobTitleProperty, {}},
                    KeyCase{"companyname", &kPWOrganizationProperty, {}}, KeyCase{"department", &kDepartment, {}},
                    KeyCase{"custom4", &kCustom4, {}}, KeyCase{"phonework", &kPWPhoneProperty, kPWPhoneWorkLabel},
                    KeyCase{"phonehome", &kPWPhoneProperty, kPWPhoneHomeLabel},
                    KeyCase{"phoneother", &kPWPhoneProperty, u"other"_s},
                    KeyCase{"faxwork", &kPWPhoneProperty, kPWPhoneWorkFAXLabel},
                    KeyCase{"faxhome", &kPWPhoneProperty, kPWPhoneHomeFAXLabel},
                    KeyCase{"mobile", &kPWPhoneProperty, kPWPhoneMobileLabel},
                    KeyCase{"pager", &kPWPhoneProperty, kPWPhonePagerLabel}),
    [](const testing::TestParamInfo<KeyCase> &info) { return std::string(info.param.key); });

// --- files in the shapes exports take ---------------------------------------------------------

CAPersonList importFixture(const QString &name, QStringList *problems = nullptr)
{
    const std::optional<CAPersonList> persons =
        CATextFileSource::personsFromTextFile(pwtest::dataPath(u"delimited-text/"_s + name), problems);
    return persons.value_or(CAPersonList());
}

TEST(CATextFileImportSamples, CommaExportWithQuotedMultiLineStreet)
{
    QStringList problems;
    const CAPersonList persons = importFixture(u"spreadsheet-comma-multiline.csv"_s, &problems);
    ASSERT_EQ(persons.size(), 2);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u' ').toStdString();
    const PWPerson &jo = *persons.at(0);
    EXPECT_EQ(jo.stringForProperty(kPWOrganizationProperty), u"Harbour Freight, Ltd."_s);
    EXPECT_EQ(addressPart(jo, 0, kPWAddressStreetKey), u"12 Elm Row\nFlat 3"_s);
    EXPECT_EQ(addressPart(jo, 0, kPWAddressZIPKey), u"EH1 3AA"_s);
    EXPECT_EQ(labelsOf(jo, kPWAddressProperty), QStringList{kPWAddressHomeLabel});
    EXPECT_EQ(jo.multiValueForProperty(kPWEmailProperty)->valueAtIndex(0).toString(), u"jo@home.example"_s);
    EXPECT_EQ(jo.multiValueForProperty(kPWPhoneProperty)->valueAtIndex(0).toString(), u"+44 131 555 0101"_s);
    EXPECT_EQ(jo.stringForProperty(kPWHomePageProperty), u"https://jo.example"_s);
    EXPECT_EQ(persons.at(1)->stringForProperty(kPWLastNameProperty), u"O\"Reilly"_s);
}

TEST(CATextFileImportSamples, SemicolonExportWithARaggedRow)
{
    const CAPersonList persons = importFixture(u"spreadsheet-semicolon-ragged.csv"_s);
    ASSERT_EQ(persons.size(), 2);
    EXPECT_EQ(persons.at(0)->stringForProperty(kPWOrganizationProperty), u"Nord; Söder AB"_s);
    EXPECT_EQ(addressPart(*persons.at(0), 0, kPWAddressStreetKey), u"Storgatan 5\nLäge 2"_s);
    EXPECT_EQ(addressPart(*persons.at(0), 0, kPWAddressCityKey), u"Malmö"_s);
    // The short row has no ZIP and no country, and still its street and city.
    EXPECT_EQ(addressPart(*persons.at(1), 0, kPWAddressCityKey), u"Amsterdam"_s);
    EXPECT_EQ(addressPart(*persons.at(1), 0, kPWAddressCountryKey), u""_s);
}

TEST(CATextFileImportSamples, TabSeparatedWebmailExport)
{
    const CAPersonList persons = importFixture(u"webmail-tab-separated.tsv"_s);
    ASSERT_EQ(persons.size(), 1);
    const PWPerson &ada = *persons.first();
    EXPECT_EQ(labelsOf(ada, kPWAddressProperty), (QStringList{kPWAddressHomeLabel, kPWAddressWorkLabel}));
    EXPECT_EQ(addressPart(ada, 0, kPWAddressCityKey), u"York"_s);
    EXPECT_EQ(labelsOf(ada, kPWEmailProperty), (QStringList{kPWEmailWorkLabel, kPWEmailHomeLabel}));
    EXPECT_TRUE(labelsOf(ada, kPWPhoneProperty).contains(kPWPhoneMobileLabel));
}

TEST(CATextFileImportSamples, Utf16WithByteOrderMark)
{
    const CAPersonList persons = importFixture(u"utf16le-bom.csv"_s);
    ASSERT_EQ(persons.size(), 2);
    EXPECT_EQ(persons.at(0)->stringForProperty(kPWFirstNameProperty), u"Zoë"_s);
    EXPECT_EQ(addressPart(*persons.at(1), 0, kPWAddressCityKey), u"東京"_s);
}

TEST(CATextFileImportSamples, Latin1Export)
{
    const CAPersonList persons = importFixture(u"latin1-semicolon.csv"_s);
    ASSERT_EQ(persons.size(), 2);
    EXPECT_EQ(persons.at(0)->stringForProperty(kPWLastNameProperty), u"Müller"_s);
    EXPECT_EQ(addressPart(*persons.at(1), 0, kPWAddressCityKey), u"Málaga"_s);
}

TEST(CATextFileImportSamples, APictureChosenByMistakeIsRefusedWithAMessage)
{
    QStringList problems;
    const std::optional<CAPersonList> persons = CATextFileSource::personsFromTextFile(
        pwtest::dataPath(u"delimited-text/binary-picture.png"_s), &problems);
    EXPECT_FALSE(persons.has_value());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.first().contains(u"binary"_s)) << problems.first().toStdString();
}

TEST(CATextFileImportSamples, AFolderOrMissingFileIsRefusedWithAMessage)
{
    for (const QString &path : {pwtest::dataPath(u"delimited-text"_s), pwtest::dataPath(u"delimited-text/none.csv"_s)}) {
        QStringList problems;
        EXPECT_FALSE(CATextFileSource::personsFromTextFile(path, &problems).has_value());
        EXPECT_EQ(problems.size(), 1);
    }
}

TEST(CATextFileImportSamples, AHundredThousandLinesAllBecomePersons)
{
    QByteArray bytes = "First Name,Last Name,City\n";
    for (int i = 0; i < 100000; ++i)
        bytes += "Name" + QByteArray::number(i) + ",Last,\"City, " + QByteArray::number(i) + "\"\n";
    const std::optional<CAPersonList> persons =
        CATextFileImport::peopleFromData(bytes, CATextImportOptions(), nullptr);
    ASSERT_TRUE(persons);
    ASSERT_EQ(persons->size(), 100000);
    EXPECT_EQ(addressPart(*persons->last(), 0, kPWAddressCityKey), u"City, 99999"_s);
}

// The records are let go of while their persons are made, their list shrinking as it goes: every
// person still comes in the file's order, the report hears every record once, and the records
// that place nothing are counted, wherever they fall.
TEST(CATextFileImportSamples, EveryRecordOfALargeImportKeepsItsPlace)
{
    constexpr int kRows = 20000;
    QByteArray bytes = "First Name,Unknown,City\n";
    for (int i = 0; i < kRows; ++i)
        bytes += i % 997 == 5 ? ",only here,\n" : "Name" + QByteArray::number(i) + ",x,York\n";
    QList<quint32> heard;
    QStringList problems;
    const std::optional<CAPersonList> persons =
        CATextFileImport::peopleFromData(bytes, CATextImportOptions(), nullptr, &problems, CAContactImportHooks(),
                                         [&heard](quint32 index, quint32 count) {
                                             EXPECT_EQ(count, quint32(kRows));
                                             heard << index;
                                             return false;
                                         });
    ASSERT_TRUE(persons);
    ASSERT_EQ(heard.size(), kRows);
    for (int i = 0; i < kRows; ++i)
        ASSERT_EQ(heard.at(i), quint32(i));
    qsizetype next = 0;
    int skipped = 0;
    for (int i = 0; i < kRows; ++i) {
        if (i % 997 == 5) {
            ++skipped;
            continue;
        }
        ASSERT_LT(next, persons->size());
        const PWPerson &person = *persons->at(next++);
        ASSERT_EQ(person.stringForProperty(kPWFirstNameProperty), u"Name%1"_s.arg(i));
        ASSERT_EQ(addressPart(person, 0, kPWAddressCityKey), u"York"_s);
    }
    EXPECT_EQ(next, persons->size());
    EXPECT_EQ(problems, QStringList{u"%1 of %2 records hold nothing in the columns read and were left out."_s.arg(skipped).arg(kRows)});
}

TEST(CATextFileImport, TheDialogSeesTheTextAndCancelGivesNothing)
{
    CAContactImportHooks hooks;
    bool answer = false;
    bool sawForcedHeader = false;
    hooks.confirmTextImport = [&](CADelimitedText &text, const CATextImportOptions &options, QWidget *) {
        sawForcedHeader = text.hasHeader() && options.headerForced;
        text.setRegistry({{u"lastname"_s, 0}});
        return answer;
    };
    CATextImportOptions options;
    options.showDialog = true;
    options.headerForced = true;
    EXPECT_FALSE(CATextFileImport::peopleFromData("Anna\nBo\n", options, nullptr, nullptr, hooks).has_value());
    EXPECT_TRUE(sawForcedHeader);
    answer = true;
    const std::optional<CAPersonList> persons = CATextFileImport::peopleFromData("Anna\nBo\n", options, nullptr, nullptr, hooks);
    ASSERT_TRUE(persons);
    ASSERT_EQ(persons->size(), 1);
    EXPECT_EQ(persons->first()->stringForProperty(kPWLastNameProperty), u"Bo"_s);
}

} // namespace

// A report that asks to stop gives no persons at all, not the ones read so far; one that never
// does hears of every record in order.
TEST(CATextFileImport, AReportThatStopsGivesNothing)
{
    QByteArray bytes = "First Name,Last Name\n";
    for (int i = 0; i < 10; ++i)
        bytes += "Pat,Row" + QByteArray::number(i) + "\n";
    QList<quint32> heard;
    const std::optional<CAPersonList> all =
        CATextFileImport::peopleFromData(bytes, CATextImportOptions(), nullptr, nullptr, CAContactImportHooks(),
                                         [&heard](quint32 index, quint32 count) {
                                             EXPECT_EQ(count, 10u);
                                             heard << index;
                                             return false;
                                         });
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 10);
    EXPECT_EQ(heard, (QList<quint32>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    const std::optional<CAPersonList> stopped = CATextFileImport::peopleFromData(
        bytes, CATextImportOptions(), nullptr, nullptr, CAContactImportHooks(),
        [](quint32 index, quint32) { return index == 4; });
    EXPECT_FALSE(stopped.has_value());
}
