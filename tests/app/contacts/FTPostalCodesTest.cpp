// Postal lines: the layout and the place of the code a line gives, and how each layout's
// parsers split a postal line, or a line with both the street and the code, into fields.
#include "RecognitionTestSupport.h"

#include "app/contacts/FTPostalCodes.h"

namespace {

using recognitiontest::expectFields;
using recognitiontest::Fields;

TEST(CountryWithZip, LayoutPostalWordIndexAndStreetFlag)
{
    const struct
    {
        const char *line;
        const char *countryCode;
        const char *layout;
        int index;
        bool street;
    } cases[] = {
        {"Springfield IL 62704", "", "us", 2, false},
        {"Springfield IL 62704-1234", "", "us", 2, false},
        {"62704 Springfield", "", "ger", 0, false},
        {"10115 Berlin", "de", "ger", 0, false},
        {"Berlin 10115", "de", "us", 1, false},
        {"Oxford OX2 6QT", "uk", "uk", 1, false},
        {"London SW1A 2AA", "", "uk", 1, false},
        {"Leeds LS1-4AP", "", "uk", 1, false},
        {"Manchester M1 1AE", "", "uk", 1, false},
        {"Montreal QC H2X 1Y4", "ca", "can", 2, false},
        {"8001 Zurich", "ch", "ger", 0, false},
        {"8001 Zurich", "", "us", -1, false},
        {"8001 Zurich", "us", "us", -1, false},
        {"Wien 1010", "at", "us", 1, false},
        {"Dublin 2 D02 X285", "uk", "uk", 1, false},
        {"12 High Street Headington Oxford OX3 9DU", "uk", "uk", 5, true},
        {"1200 Harbor Blvd Springfield IL 62704", "", "us", 5, true},
        {"10115 Berlin Lindenweg 12", "de", "ger", 0, true},
        {"Toronto ON M5V 2T6 Canada", "ca", "can", 2, true},
        {"Springfield IL", "", "us", -1, false},
        {"", "fr", "us", -1, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.line) + " / " + c.countryCode);
        bool street = false;
        int index = -1;
        EXPECT_EQ(countryWithZip(QString::fromUtf8(c.line), &street, &index, QString::fromUtf8(c.countryCode)),
                  QString::fromLatin1(c.layout));
        EXPECT_EQ(index, c.index);
        if (c.index >= 0) {
            EXPECT_EQ(street, c.street);
        }
    }
}

TEST(FindZip, EachFinderOnItsOwn)
{
    using Finder = int (*)(const QString &, bool *);
    const struct
    {
        Finder finder;
        const char *line;
        int index;
        bool street;
    } cases[] = {
        // The last ZIP of the line counts, but never one that opens it.
        {&findZipUSA, "PO Box 12 Springfield IL 62704", 5, true},
        {&findZipUSA, "Springfield 62704 IL 62705", 3, false},
        {&findZipUSA, "62704 Springfield", -1, false},
        {&findZipUSA, "Springfield IL 6270", -1, true},
        {&findZipUSA, "Springfield IL 62704-12345", -1, true},
        {&findZipUSA, "Springfield IL 62704_1234", -1, true},
        // A one-word postcode is taken; a two-word one ends the scan.
        {&findZipUK, "Leeds LS1-4AP", 1, false},
        {&findZipUK, "Leeds LS1-4AP LS2-7HY", 2, false},
        {&findZipUK, "Flat 2 Leeds LS1 4AP 99", 3, true},
        {&findZipUK, "Montreal QC H2X 1Y4", -1, true},
        {&findZipUK, "Oxford", -1, false},
        {&findZipGermany, "10115 Berlin", 0, false},
        {&findZipGermany, "10115 Berlin 12", 0, true},
        {&findZipGermany, "Berlin 10115", -1, false},
        {&findZipGermany, "10115 10117 Berlin", -1, false},
        {&findZipCanada, "Montreal QC H2X 1Y4", 2, false},
        {&findZipCanada, "H2X 1Y4 Montreal", 0, true},
        {&findZipCanada, "350 Montreal H2X 1Y4", 2, true},
        {&findZipCanada, "Montreal QC H2X", -1, false},
        {&findZipOtherCountry, "Wien 1010", 1, false},
        {&findZipOtherCountry, "1010 Wien 3", 0, true},
        {&findZipOtherCountry, "Wien", -1, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        bool street = !c.street;
        EXPECT_EQ(c.finder(QString::fromUtf8(c.line), &street), c.index);
        EXPECT_EQ(street, c.street);
    }
}

struct LineCase
{
    const char *name;
    const char *line;
    int index;
    const char *layout;
    bool streetAndCode;
    Fields fields;
};

// Test names carry the case name; the value is not printed.
void PrintTo(const LineCase &value, std::ostream *stream)
{
    *stream << value.name;
}

class PostalLines : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(PostalLines, SplitIntoFields)
{
    const LineCase &c = GetParam();
    CAPersonDictionary dictionary = emptyPersonDictionary();
    if (c.streetAndCode)
        parseStreetZipLine(QString::fromUtf8(c.line), c.index, QString::fromLatin1(c.layout), dictionary);
    else
        parseZipLine(QString::fromUtf8(c.line), c.index, QString::fromLatin1(c.layout), dictionary);
    expectFields(dictionary, c.fields);
}

const LineCase kPostalLines[] = {
    {"UsCityStateZip", "Springfield IL 62704", 2, "us", false,
     {.city = u"Springfield"_s, .state = u"IL"_s, .zip = u"62704"_s}},
    {"UsZipPlusFour", "Springfield IL 62704-1234", 2, "us", false,
     {.city = u"Springfield"_s, .state = u"IL"_s, .zip = u"62704-1234"_s}},
    {"UsCityOfThreeWords", "Salt Lake City UT 84101 USA", 4, "us", false,
     {.city = u"Salt Lake City"_s, .state = u"UT"_s, .zip = u"84101"_s, .country = u"USA"_s}},
    {"UsCityAlone", "Berlin 10115", 1, "us", false, {.city = u"Berlin"_s, .zip = u"10115"_s}},
    {"UsWithoutCode", "8001 Zurich", -1, "us", false, {.city = u"8001"_s, .state = u"Zurich"_s}},
    {"UkTwoWords", "Oxford OX2 6QT", 1, "uk", false, {.city = u"Oxford"_s, .zip = u"OX2 6QT"_s}},
    {"UkOneWord", "Leeds LS1-4AP", 1, "uk", false, {.city = u"Leeds"_s, .zip = u"LS1-4AP"_s}},
    {"UkWithCountry", "London SW1A 2AA Great Britain", 1, "uk", false,
     {.city = u"London"_s, .zip = u"SW1A 2AA"_s, .country = u"Great Britain"_s}},
    {"UkCodeAlone", "RG1 3AA", 0, "uk", false, {.zip = u"RG1 3AA"_s}},
    {"UkWithoutCode", "Little Snoring", -1, "uk", false, {.city = u"Little Snoring"_s}},
    {"GermanCodeFirst", "10115 Berlin", 0, "ger", false, {.city = u"Berlin"_s, .zip = u"10115"_s}},
    {"GermanCityOfTwoWords", "60311 Frankfurt am Main", 0, "ger", false,
     {.city = u"Frankfurt am Main"_s, .zip = u"60311"_s}},
    {"GermanWithoutCode", "Hinterhaus links", -1, "ger", false, {.city = u"Hinterhaus links"_s}},
    {"Canadian", "Montreal QC H2X 1Y4", 2, "can", false,
     {.city = u"Montreal"_s, .state = u"QC"_s, .zip = u"H2X 1Y4"_s}},
    {"CanadianWithCountry", "Montreal QC H2X 1Y4 Canada", 2, "can", false,
     {.city = u"Montreal"_s, .state = u"QC"_s, .zip = u"H2X 1Y4"_s, .country = u"Canada"_s}},
    {"CanadianWithoutCode", "Montreal Quebec", -1, "can", false, {.city = u"Montreal"_s}},
    {"UnknownLayout", "Springfield IL 62704", 2, "fr", false, {}},
    {"UsStreetCityStateZip", "1200 Harbor Blvd Springfield IL 62704", 5, "us", true,
     {.street = u"1200 Harbor Blvd"_s, .city = u"Springfield"_s, .state = u"IL"_s, .zip = u"62704"_s}},
    {"UsStreetZipCity", "1200 Harbor Blvd 62704 Springfield", 3, "us", true,
     {.street = u"1200 Harbor Blvd"_s, .city = u"Springfield"_s, .zip = u"62704"_s}},
    {"UkStreetAndPostcode", "12 High Street Headington Oxford OX3 9DU", 5, "uk", true,
     {.street = u"12 High Street"_s, .city = u"Headington"_s, .state = u"Oxford"_s, .zip = u"OX3 9DU"_s}},
    {"UkStreetPostcodeTown", "12 High Street OX3 9DU Oxford", 3, "uk", true,
     {.street = u"12 High Street"_s, .city = u"Oxford"_s, .zip = u"OX3 9DU"_s}},
    {"GermanCodeCityStreet", "10115 Berlin Lindenweg 12", 0, "ger", true,
     {.street = u"Lindenweg 12"_s, .city = u"Berlin"_s, .zip = u"10115"_s}},
    {"CanadianStreetAndCode", "350 Rue Principale Montreal QC H2X 1Y4", 5, "can", true,
     {.street = u"350 Rue Principale"_s, .city = u"Montreal"_s, .state = u"QC"_s, .zip = u"H2X 1Y4"_s}},
    {"CanadianCodeBeforeCountry", "Toronto ON M5V 2T6 Canada", 2, "can", true,
     {.street = u"Toronto ON"_s, .zip = u"M5V 2T6"_s}},
    // A code ending the line with fewer than two words before it: only the words there are taken,
    // nothing is read before the first word.
    {"UsOneWordBeforeTheCode", "12 62704", 1, "us", true, {.state = u"12"_s, .zip = u"62704"_s}},
    {"UsTwoWordsBeforeTheCode", "Springfield 12 62704", 2, "us", true,
     {.city = u"Springfield"_s, .state = u"12"_s, .zip = u"62704"_s}},
    {"UkOneWordBeforeThePostcode", "14 OX2 6QT", 1, "uk", true, {.state = u"14"_s, .zip = u"OX2 6QT"_s}},
    {"UkPostcodeAlone", "OX2 6QT", 0, "uk", true, {.zip = u"OX2 6QT"_s}},
    {"CanadianOneWordBeforeTheCode", "350 H2X 1Y4", 1, "can", true, {.state = u"350"_s, .zip = u"H2X 1Y4"_s}},
    {"GermanCodeAlone", "10115", 0, "ger", true, {.zip = u"10115"_s}},
};

INSTANTIATE_TEST_SUITE_P(Layouts, PostalLines, ::testing::ValuesIn(kPostalLines),
                         [](const ::testing::TestParamInfo<LineCase> &info) { return std::string(info.param.name); });

TEST(PostalLines, ParsersOverwriteOnlyTheirKeys)
{
    CAPersonDictionary dictionary = emptyPersonDictionary();
    dictionary[kPersonStreetKey] = u"14 Mill Lane"_s;
    dictionary[kPersonCountryKey] = u"United Kingdom"_s;
    dictionary[kPersonFirstNameKey] = u"Tom"_s;
    parseZipLine(u"Oxford OX2 6QT"_s, 1, u"uk"_s, dictionary);
    expectFields(dictionary, {.first = u"Tom"_s, .street = u"14 Mill Lane"_s, .city = u"Oxford"_s,
                              .zip = u"OX2 6QT"_s, .country = u"United Kingdom"_s});
}

} // namespace
