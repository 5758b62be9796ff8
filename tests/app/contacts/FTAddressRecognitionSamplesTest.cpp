// The sample texts the address reader was designed against, each read whole into its fields,
// with the layout, postal word index, street flag and line parts where the design names them.
#include "RecognitionTestSupport.h"

#include "app/contacts/FTNameLines.h"

#include <iterator>

namespace {

using recognitiontest::expectFields;
using recognitiontest::Fields;
using recognitiontest::lines;

struct Sample
{
    const char *name;
    QString text;
    Fields fields;
};

// Test names carry the case name; the value is not printed.
void PrintTo(const Sample &value, std::ostream *stream)
{
    *stream << value.name;
}

class SampleTexts : public ::testing::TestWithParam<Sample>
{
};

TEST_P(SampleTexts, ReadIntoTheirFields)
{
    expectFields(parseServiceText(GetParam().text), GetParam().fields);
}

const Sample kSamples[] = {
    {"UnitedStates", lines("Mary Ann Baker / Acme Widgets / 1200 Harbor Boulevard / Springfield, IL 62704 / USA"),
     {.first = u"Mary Ann"_s, .last = u"Baker"_s, .company = u"Acme Widgets"_s, .street = u"1200 Harbor Boulevard"_s,
      .city = u"Springfield"_s, .state = u"IL"_s, .zip = u"62704"_s, .country = u"USA"_s}},
    {"TitleBeforeTheName",
     lines("Dr. Mary Ann Baker / Acme Widgets / 1200 Harbor Boulevard / Springfield, IL 62704 / USA"),
     {.prefix = u"Dr"_s, .first = u"Mary Ann"_s, .last = u"Baker"_s, .company = u"Acme Widgets"_s,
      .street = u"1200 Harbor Boulevard"_s, .city = u"Springfield"_s, .state = u"IL"_s, .zip = u"62704"_s,
      .country = u"USA"_s}},
    {"StreetAndZipOnOneLine", lines("Mary Ann Baker / 1200 Harbor Blvd Springfield IL 62704"),
     {.first = u"Mary Ann"_s, .last = u"Baker"_s, .street = u"1200 Harbor Blvd"_s, .city = u"Springfield"_s,
      .state = u"IL"_s, .zip = u"62704"_s}},
    {"UnitedKingdom", lines("Tom Hartley / 14 Mill Lane / Oxford OX2 6QT / United Kingdom"),
     {.first = u"Tom"_s, .last = u"Hartley"_s, .street = u"14 Mill Lane"_s, .city = u"Oxford"_s, .zip = u"OX2 6QT"_s,
      .country = u"United Kingdom"_s}},
    {"Germany", lines("Anna Schmidt / Lindenweg 12 / 10115 Berlin / Deutschland"),
     {.first = u"Anna"_s, .last = u"Schmidt"_s, .street = u"Lindenweg 12"_s, .city = u"Berlin"_s, .zip = u"10115"_s,
      .country = u"Deutschland"_s}},
    {"GermanyWithALineBeforeThePostalLine", lines("Anna Schmidt / Lindenweg 12 / Hinterhaus / 10115 Berlin / Deutschland"),
     {.first = u"Anna"_s, .last = u"Schmidt"_s, .street = u"Lindenweg 12"_s, .city = u"Hinterhaus"_s,
      .zip = u"10115"_s, .country = u"Deutschland"_s}},
    {"Canada", lines("Paul Tremblay / 350 Rue Principale / Montreal QC H2X 1Y4 / Canada"),
     {.first = u"Paul"_s, .last = u"Tremblay"_s, .street = u"350 Rue Principale"_s, .city = u"Montreal"_s,
      .state = u"QC"_s, .zip = u"H2X 1Y4"_s, .country = u"Canada"_s}},
    {"NoAddressAtAll", u"Call me tomorrow"_s, {.first = u"Call me"_s, .last = u"tomorrow"_s}},
    {"TwoLinesWithoutDigits", lines("Mary Ann Baker / Acme Widgets"),
     {.first = u"Mary Ann"_s, .last = u"Baker"_s, .company = u"Acme Widgets"_s}},
    // The third line is read as a postal line without a code: its last word is the state.
    {"ThreeLinesWithoutDigits", lines("Mary Ann Baker / Acme Widgets / Springfield IL"),
     {.first = u"Mary Ann"_s, .last = u"Baker"_s, .company = u"Acme Widgets"_s, .city = u"Springfield"_s,
      .state = u"IL"_s}},
    {"TelephoneLineDropped", lines("Mary Ann Baker / (555) 123-4567 / 1200 Harbor Boulevard / Springfield, IL 62704"),
     {.first = u"Mary Ann"_s, .last = u"Baker"_s, .street = u"1200 Harbor Boulevard"_s, .city = u"Springfield"_s,
      .state = u"IL"_s, .zip = u"62704"_s}},
    {"MailLineDropped", lines("Mary Ann Baker / mary.baker@acme.example / 1200 Harbor Boulevard / Springfield, IL 62704"),
     {.first = u"Mary Ann"_s, .last = u"Baker"_s, .street = u"1200 Harbor Boulevard"_s, .city = u"Springfield"_s,
      .state = u"IL"_s, .zip = u"62704"_s}},
    // Four digit lines: no postal line, and the roles of texts without digits.
    {"FourDigitLines", lines("Mary Ann Baker / Suite 5 / 1200 Harbor Boulevard / Building 7 / Springfield, IL 62704"),
     {.first = u"Mary Ann"_s, .last = u"Baker"_s, .company = u"Suite 5"_s, .city = u"1200 Harbor"_s,
      .state = u"Boulevard"_s, .country = u"Building 7"_s}},
    {"Empty", QString(), {}},
    {"OnlyBlankLines", u"  \n\t\n \r\n"_s, {}},
    {"OnlyContactLines", lines("Tel: 555 123 4567 / info@acme.example"), {}},
    // A lone comma is an empty word: the city keeps the blank before it.
    {"LoneComma", lines("Mary Ann Baker / 1200 Harbor Boulevard / Springfield , IL 62704"),
     {.first = u"Mary Ann"_s, .last = u"Baker"_s, .street = u"1200 Harbor Boulevard"_s, .city = u"Springfield "_s,
      .state = u"IL"_s, .zip = u"62704"_s}},
    {"StreetAndPostcodeOnOneLine", lines("Tom Hartley / 12 High Street Headington Oxford OX3 9DU / United Kingdom"),
     {.first = u"Tom"_s, .last = u"Hartley"_s, .street = u"12 High Street"_s, .city = u"Headington"_s,
      .state = u"Oxford"_s, .zip = u"OX3 9DU"_s, .country = u"United Kingdom"_s}},
    {"PostalCodeBeforeCityAndStreet", lines("Anna Schmidt / 10115 Berlin Lindenweg 12 / Deutschland"),
     {.first = u"Anna"_s, .last = u"Schmidt"_s, .street = u"Lindenweg 12"_s, .city = u"Berlin"_s, .zip = u"10115"_s,
      .country = u"Deutschland"_s}},
    {"CodeFirstInAnotherCountry", lines("Hans Muster / Bahnhofstrasse 1 / 8001 Zurich / Switzerland"),
     {.first = u"Hans"_s, .last = u"Muster"_s, .street = u"Bahnhofstrasse 1"_s, .city = u"Zurich"_s, .zip = u"8001"_s,
      .country = u"Switzerland"_s}},
    // A line with a title names the person wherever it stands; the lines before it are the company.
    {"NameAfterTheCompany", lines("Acme Widgets / Mr. Tom Hartley"),
     {.prefix = u"Mr"_s, .first = u"Tom"_s, .last = u"Hartley"_s, .company = u"Acme Widgets"_s}},
    {"CompanyWithDepartment", lines("Jane Doe / Acme Inc. Sales / 1200 Harbor Boulevard / Springfield, IL 62704"),
     {.first = u"Jane"_s, .last = u"Doe"_s, .company = u"Acme Inc."_s, .department = u" Sales"_s,
      .street = u"1200 Harbor Boulevard"_s, .city = u"Springfield"_s, .state = u"IL"_s, .zip = u"62704"_s}},
};

INSTANTIATE_TEST_SUITE_P(Design, SampleTexts, ::testing::ValuesIn(kSamples),
                         [](const ::testing::TestParamInfo<Sample> &info) { return std::string(info.param.name); });

// Sample texts copied one after the other, set apart by blank lines of any kind: the first of
// them reads as it reads alone, and a sample holding no postal code (a name, a few words) is no
// address of its own, so the text around it reads as it always did.
TEST(SampleTextsInARow, TheFirstAddressOfSeveralReadsAsItDoesAlone)
{
    const QString gaps[] = {u"\n\n"_s, u"\r\n\r\n"_s, u"\n \t\n\n"_s, u"\u2029\u2029"_s};
    int rows = 0;
    int several = 0;
    for (const Sample &a : kSamples) {
        for (const Sample &b : kSamples) {
            const QString &gap = gaps[rows++ % std::size(gaps)];
            const QString text = a.text + gap + b.text;
            SCOPED_TRACE(std::string(a.name) + " then " + b.name);
            const CAAddressTexts found = firstAddressOfText(text);
            const int addresses = int(!a.fields.zip.isEmpty()) + int(!b.fields.zip.isEmpty());
            EXPECT_EQ(found.count, addresses);
            if (addresses == 2) {
                ++several;
                expectFields(parseServiceText(found.first), a.fields);
                // A third address makes no difference to the first.
                const CAAddressTexts three = firstAddressOfText(text + gap + a.text);
                EXPECT_EQ(three.count, 3);
                EXPECT_EQ(three.first, found.first);
            } else {
                EXPECT_EQ(found.first, text) << "a text of one address or none is read whole";
            }
        }
        const CAAddressTexts alone = firstAddressOfText(a.text);
        EXPECT_EQ(alone.first, a.text) << a.name;
        EXPECT_EQ(alone.count, int(!a.fields.zip.isEmpty())) << a.name;
    }
    EXPECT_GT(several, 100) << "the samples hold few addresses";
}

// What the reading decides on the way, where the design names it.
TEST(SampleTextsOnTheWay, LayoutPostalWordAndLineParts)
{
    const struct
    {
        const char *text;
        const char *layout;
        int postalWordIndex;
        bool streetFlag;
        CAAddressLineRoles roles;
    } cases[] = {
        {"Mary Ann Baker / Acme Widgets / 1200 Harbor Boulevard / Springfield, IL 62704 / USA", "us", 2, false,
         {{0, 1, 2, -1, -1, -1, 3, 4}}},
        {"Mary Ann Baker / 1200 Harbor Blvd Springfield IL 62704", "us", 5, true, {{0, -1, -1, 1, -1, -1, -1, -1}}},
        {"Tom Hartley / 14 Mill Lane / Oxford OX2 6QT / United Kingdom", "uk", 1, false,
         {{0, -1, 1, -1, -1, -1, 2, 3}}},
        {"Anna Schmidt / Lindenweg 12 / 10115 Berlin / Deutschland", "ger", 0, false, {{0, -1, 1, -1, -1, -1, 2, 3}}},
        {"Paul Tremblay / 350 Rue Principale / Montreal QC H2X 1Y4 / Canada", "can", 2, false,
         {{0, -1, 1, -1, -1, -1, 2, 3}}},
        {"Call me tomorrow", "us", -1, false, {{0, -1, -1, -1, -1, -1, -1, -1}}},
        {"Mary Ann Baker / Acme Widgets / Springfield IL", "us", -1, false, {{0, 1, -1, -1, -1, -1, 2, -1}}},
        {"A 1 / B 2 / C 3 / D 4 / E 5", "us", -1, false, {{0, 1, -1, -1, -1, -1, 2, 3}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const QStringList cleaned = deleteUnneededLine(arrayByTrimmingCharacters(splitServiceTextLines(lines(c.text))));
        const CAAddressLayout found = findAddressLayout(cleaned);
        EXPECT_EQ(found.layout, QString::fromLatin1(c.layout));
        EXPECT_EQ(found.postalWordIndex, c.postalWordIndex);
        if (c.postalWordIndex >= 0) {
            EXPECT_EQ(found.streetFlag, c.streetFlag);
        }
        CAAddressLineRoles roles;
        getAddressLinesIndex(roles, int(cleaned.size()), found.digitLines, found.layout, found.postalWordIndex,
                             found.streetFlag);
        EXPECT_EQ(roles.lines, c.roles.lines);
    }
}

} // namespace
