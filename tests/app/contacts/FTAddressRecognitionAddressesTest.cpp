// Addresses as people paste them: American ones with suites and ZIP+4, British ones with flats,
// localities and counties, German ones with "Straße" and five-digit codes, Canadian ones with
// province codes, texts with telephone, fax, e-mail and web lines mixed in, names with titles and
// suffixes, and addresses of companies without a person. Each is read whole into its fields; where
// the fixed line tables make a field of an unusual line, the case says so.
#include "RecognitionTestSupport.h"

namespace {

using recognitiontest::expectFields;
using recognitiontest::Fields;
using recognitiontest::lines;

struct Address
{
    const char *name;
    QString text;
    Fields fields;
};

// Test names carry the case name; the value is not printed.
void PrintTo(const Address &value, std::ostream *stream)
{
    *stream << value.name;
}

class PastedAddresses : public ::testing::TestWithParam<Address>
{
};

TEST_P(PastedAddresses, ReadIntoTheirFields)
{
    expectFields(parseServiceText(GetParam().text), GetParam().fields);
}

const Address kUnitedStates[] = {
    {"SuiteAndZipPlusFour",
     lines("Robert Chen / Brightline Analytics / 455 Market Street Suite 1200 / San Francisco, CA 94105-2533 / USA"),
     {.first = u"Robert"_s, .last = u"Chen"_s, .company = u"Brightline Analytics"_s,
      .street = u"455 Market Street Suite 1200"_s, .city = u"San Francisco"_s, .state = u"CA"_s,
      .zip = u"94105-2533"_s, .country = u"USA"_s}},
    {"CommaBeforeTheSuite", lines("Linda Alvarez / 2100 Ross Avenue, Suite 800 / Dallas, TX 75201-2711"),
     {.first = u"Linda"_s, .last = u"Alvarez"_s, .street = u"2100 Ross Avenue Suite 800"_s, .city = u"Dallas"_s,
      .state = u"TX"_s, .zip = u"75201-2711"_s}},
    {"TitleAndSuffix", lines("Mr. James O'Neil Jr. / 77 Beacon Street Apt 4B / Boston MA 02108"),
     {.prefix = u"Mr"_s, .first = u"James"_s, .last = u"O'Neil"_s, .suffix = u"Jr"_s,
      .street = u"77 Beacon Street Apt 4B"_s, .city = u"Boston"_s, .state = u"MA"_s, .zip = u"02108"_s}},
    {"TwoCompanyLines",
     lines("Dr. Priya Natarajan / Department of Cardiology / Lakeside Medical Center / 1500 Lake Shore Drive / "
           "Chicago, IL 60610"),
     {.prefix = u"Dr"_s, .first = u"Priya"_s, .last = u"Natarajan"_s,
      .company = u"Department of Cardiology Lakeside Medical Center"_s, .street = u"1500 Lake Shore Drive"_s,
      .city = u"Chicago"_s, .state = u"IL"_s, .zip = u"60610"_s}},
    {"PhoneMailAndWebLines",
     lines("Karen Whitfield / Whitfield & Sons Plumbing / Phone: 503-555-0143 / karen@whitfieldplumbing.example / "
           "890 SE Division St / Portland, OR 97202 / Web: www.whitfieldplumbing.example"),
     {.first = u"Karen"_s, .last = u"Whitfield"_s, .company = u"Whitfield & Sons Plumbing"_s,
      .street = u"890 SE Division St"_s, .city = u"Portland"_s, .state = u"OR"_s, .zip = u"97202"_s}},
    // Without a person, the company takes the name line.
    {"CompanyOnly", lines("Northwind Traders / 1 Microsoft Way / Redmond, WA 98052"),
     {.first = u"Northwind"_s, .last = u"Traders"_s, .street = u"1 Microsoft Way"_s, .city = u"Redmond"_s,
      .state = u"WA"_s, .zip = u"98052"_s}},
    {"DepartmentAboveTheCompany",
     lines("Shipping Dept / Granite Peak Outfitters, Inc. / 2240 Industrial Pkwy / Boise, ID 83705"),
     {.first = u"Shipping"_s, .last = u"Dept"_s, .company = u"Granite Peak Outfitters Inc."_s,
      .street = u"2240 Industrial Pkwy"_s, .city = u"Boise"_s, .state = u"ID"_s, .zip = u"83705"_s}},
    {"PostOfficeBoxAndZipOnOneLine", lines("Maria Gonzalez / PO Box 3381 Tucson AZ 85722-3381"),
     {.first = u"Maria"_s, .last = u"Gonzalez"_s, .street = u"PO Box 3381"_s, .city = u"Tucson"_s, .state = u"AZ"_s,
      .zip = u"85722-3381"_s}},
    // Three digit lines: the first of them belongs to the company.
    {"SuiteOnALineOfItsOwn",
     lines("Thomas Reed / Reed & Hale LLP / Suite 2100 / 1100 Peachtree Street NE / Atlanta, GA 30309-4530"),
     {.first = u"Thomas"_s, .last = u"Reed"_s, .company = u"Reed & Hale LLP Suite 2100"_s,
      .street = u"1100 Peachtree Street NE"_s, .city = u"Atlanta"_s, .state = u"GA"_s, .zip = u"30309-4530"_s}},
    {"StateWrittenOut", lines("Emily Carter / 48 Elm Street / Burlington Vermont 05401"),
     {.first = u"Emily"_s, .last = u"Carter"_s, .street = u"48 Elm Street"_s, .city = u"Burlington"_s,
      .state = u"Vermont"_s, .zip = u"05401"_s}},
    {"StrayBlanksAndEmptyLines", u"  Sarah   Kim  \n\n  305 W 45th St  Apt 12C \n New York,  NY   10036 "_s,
     {.first = u"Sarah"_s, .last = u"Kim"_s, .street = u"305 W 45th St Apt 12C"_s, .city = u"New York"_s,
      .state = u"NY"_s, .zip = u"10036"_s}},
    {"FaxWithSlashes",
     lines("Dr. Helen Moore DDS / Moore Family Dentistry / Fax: 212/555-0199 / 12 Park Place / Hoboken, NJ 07030"),
     {.prefix = u"Dr"_s, .first = u"Helen"_s, .last = u"Moore"_s, .suffix = u"DDS"_s,
      .company = u"Moore Family Dentistry"_s, .street = u"12 Park Place"_s, .city = u"Hoboken"_s, .state = u"NJ"_s,
      .zip = u"07030"_s}},
    // Digit groups separated by points are no telephone number: the line stays, as a company
    // split at its points.
    {"PhoneWrittenWithPoints", lines("Jack Turner / 555.123.4567 / 9 Ocean Ave / Santa Monica CA 90401"),
     {.first = u"Jack"_s, .last = u"Turner"_s, .company = u"555.123"_s, .department = u"4567"_s,
      .street = u"9 Ocean Ave"_s, .city = u"Santa Monica"_s, .state = u"CA"_s, .zip = u"90401"_s}},
    {"MailAndWebsiteLabels",
     lines("Grace Liu / E-mail: grace.liu@example.org / Website: https://graceliu.example / "
           "3000 K Street NW Suite 300 / Washington, DC 20007-5109"),
     {.first = u"Grace"_s, .last = u"Liu"_s, .street = u"3000 K Street NW Suite 300"_s, .city = u"Washington"_s,
      .state = u"DC"_s, .zip = u"20007-5109"_s}},
    {"SuffixAfterAComma", lines("Martin Luther King, Jr. / 450 Auburn Avenue NE / Atlanta GA 30312"),
     {.first = u"Martin Luther"_s, .last = u"King"_s, .suffix = u"Jr"_s, .street = u"450 Auburn Avenue NE"_s,
      .city = u"Atlanta"_s, .state = u"GA"_s, .zip = u"30312"_s}},
    // A title below the company makes that line the name.
    {"NameBelowTheCompany", lines("Blue Harbor Books / Mrs. Ellen Park / 120 Front Street / Bath ME 04530"),
     {.prefix = u"Mrs"_s, .first = u"Ellen"_s, .last = u"Park"_s, .company = u"Blue Harbor Books"_s,
      .street = u"120 Front Street"_s, .city = u"Bath"_s, .state = u"ME"_s, .zip = u"04530"_s}},
    {"NameBetweenCompanyAndStreet",
     lines("Cobalt Systems / Research Division / Dr. Ian Hale / 300 Innovation Drive / Austin TX 78701"),
     {.prefix = u"Dr"_s, .first = u"Ian"_s, .last = u"Hale"_s, .company = u"Cobalt Systems Research Division"_s,
      .street = u"300 Innovation Drive"_s, .city = u"Austin"_s, .state = u"TX"_s, .zip = u"78701"_s}},
    // On a street line that ends with the ZIP, the city is the one word before the state.
    {"TwoWordCityOnTheStreetLine", lines("Nora Fields / 1600 Amphitheatre Pkwy Mountain View CA 94043-1351"),
     {.first = u"Nora"_s, .last = u"Fields"_s, .street = u"1600 Amphitheatre Pkwy Mountain"_s, .city = u"View"_s,
      .state = u"CA"_s, .zip = u"94043-1351"_s}},
    {"OneWordName", lines("Cher / 9 Sunset Blvd / Los Angeles, CA 90069"),
     {.first = u"Cher"_s, .street = u"9 Sunset Blvd"_s, .city = u"Los Angeles"_s, .state = u"CA"_s,
      .zip = u"90069"_s}},
};

const Address kUnitedKingdom[] = {
    {"FlatLine", lines("Ms Olivia Bennett / Flat 4 / 27 Kensington Gardens / London W8 4PX / United Kingdom"),
     {.prefix = u"Ms"_s, .first = u"Olivia"_s, .last = u"Bennett"_s, .company = u"Flat 4"_s,
      .street = u"27 Kensington Gardens"_s, .city = u"London"_s, .zip = u"W8 4PX"_s, .country = u"United Kingdom"_s}},
    // The line after the street is the locality, the next one the county's place.
    {"LocalityAndCounty",
     lines("Mr David Hughes / 3 Church Lane / Little Abington / Cambridge / Cambridgeshire / CB21 6BQ"),
     {.prefix = u"Mr"_s, .first = u"David"_s, .last = u"Hughes"_s, .street = u"3 Church Lane"_s,
      .city = u"Little Abington"_s, .state = u"Cambridge"_s, .zip = u"CB21 6BQ"_s}},
    {"FlatWithBuildingName",
     lines("Fiona MacLeod / Flat 12B, Marlowe House / 8 Queen Street / Edinburgh EH2 1JE / Scotland"),
     {.first = u"Fiona"_s, .last = u"MacLeod"_s, .company = u"Flat 12B Marlowe House"_s, .street = u"8 Queen Street"_s,
      .city = u"Edinburgh"_s, .zip = u"EH2 1JE"_s, .country = u"Scotland"_s}},
    {"PostcodeAsOneWord", lines("Gareth Price / 22 Cathedral Road / Cardiff CF11-9LJ / Wales"),
     {.first = u"Gareth"_s, .last = u"Price"_s, .street = u"22 Cathedral Road"_s, .city = u"Cardiff"_s,
      .zip = u"CF11-9LJ"_s, .country = u"Wales"_s}},
    // A postcode ending the street line: the two words before it become town and county.
    {"StreetAndPostcodeOnOneLine", lines("Amelia Clarke / 5 Bridge Street Stratford-upon-Avon CV37 6AB"),
     {.first = u"Amelia"_s, .last = u"Clarke"_s, .street = u"5 Bridge"_s, .city = u"Street"_s,
      .state = u"Stratford-upon-Avon"_s, .zip = u"CV37 6AB"_s}},
    {"CompanyWithDepartment",
     lines("Sam Patel / Harbour Freight Ltd. Accounts / Unit 7 Riverside Estate / Bristol BS1 6XN / UK"),
     {.first = u"Sam"_s, .last = u"Patel"_s, .company = u"Harbour Freight Ltd."_s, .department = u" Accounts"_s,
      .street = u"Unit 7 Riverside Estate"_s, .city = u"Bristol"_s, .zip = u"BS1 6XN"_s, .country = u"UK"_s}},
    {"InternationalTelephone", lines("Chloe Evans / Tel: +44 20 7946 0958 / 10 Downing Street / London SW1A 2AA"),
     {.first = u"Chloe"_s, .last = u"Evans"_s, .street = u"10 Downing Street"_s, .city = u"London"_s,
      .zip = u"SW1A 2AA"_s}},
    // Only the postcode line has a digit: the lines above it are name, company, town and county.
    {"VicarageWithoutHouseNumber",
     lines("Rev. Peter Lane OBE / The Vicarage / Church Road / Ambridge / Borsetshire / AB1 2CD"),
     {.prefix = u"Rev"_s, .first = u"Peter"_s, .last = u"Lane"_s, .suffix = u"OBE"_s, .company = u"The Vicarage"_s,
      .city = u"Church Road"_s, .state = u"Ambridge"_s, .zip = u"AB1 2CD"_s}},
    {"MobileMailAndWebAroundTheAddress",
     lines("Mobile: 07700 900123 / Oliver Grant / Grant Design Studio / 14 Canal Street / Manchester M1 3HE / "
           "oliver@grantdesign.example / Web: www.grantdesign.example"),
     {.first = u"Oliver"_s, .last = u"Grant"_s, .company = u"Grant Design Studio"_s, .street = u"14 Canal Street"_s,
      .city = u"Manchester"_s, .zip = u"M1 3HE"_s}},
    {"WindowsAndUnicodeLineEnds", u"Ana Souza\r\n221B Baker Street\u2028London NW1 6XE\u2029UK"_s,
     {.first = u"Ana"_s, .last = u"Souza"_s, .street = u"221B Baker Street"_s, .city = u"London"_s,
      .zip = u"NW1 6XE"_s, .country = u"UK"_s}},
};

const Address kGermanSpeaking[] = {
    {"CompanyAndStrasse",
     lines("Herr Jonas Weber / Müller & Partner GmbH / Hauptstraße 15 / 80331 München / Deutschland"),
     {.prefix = u"Herr"_s, .first = u"Jonas"_s, .last = u"Weber"_s, .company = u"Müller & Partner GmbH"_s,
      .street = u"Hauptstraße 15"_s, .city = u"München"_s, .zip = u"80331"_s, .country = u"Deutschland"_s}},
    // Only the first title is taken.
    {"TwoTitles", lines("Frau Dr. Sabine Krüger / Kastanienallee 7 / 10435 Berlin"),
     {.prefix = u"Frau"_s, .first = u"Dr. Sabine"_s, .last = u"Krüger"_s, .street = u"Kastanienallee 7"_s,
      .city = u"Berlin"_s, .zip = u"10435"_s}},
    {"RearBuildingNamesThePlace",
     lines("Lena Hoffmann / Bergmannstraße 102 / Hinterhaus links / 10961 Berlin / Germany"),
     {.first = u"Lena"_s, .last = u"Hoffmann"_s, .street = u"Bergmannstraße 102"_s, .city = u"Hinterhaus links"_s,
      .zip = u"10961"_s, .country = u"Germany"_s}},
    {"CodeCityAndStreetOnOneLine", lines("Klaus Becker / 50667 Köln Domkloster 4"),
     {.first = u"Klaus"_s, .last = u"Becker"_s, .street = u"Domkloster 4"_s, .city = u"Köln"_s, .zip = u"50667"_s}},
    {"CompanyOnly", lines("Bäckerei Schneider / Marktplatz 3 / 01067 Dresden"),
     {.first = u"Bäckerei"_s, .last = u"Schneider"_s, .street = u"Marktplatz 3"_s, .city = u"Dresden"_s,
      .zip = u"01067"_s}},
    {"TelephoneAndMailLines",
     lines("Petra Schulz / Ingenieurbüro Schulz / Tel. 0711 123456 / petra.schulz@ib-schulz.example / "
           "Königstraße 28 / 70173 Stuttgart"),
     {.first = u"Petra"_s, .last = u"Schulz"_s, .company = u"Ingenieurbüro Schulz"_s, .street = u"Königstraße 28"_s,
      .city = u"Stuttgart"_s, .zip = u"70173"_s}},
    {"UniversityInstitute",
     lines("Prof. Dr. Anna Lang / Universität Heidelberg. Institut für Physik / Im Neuenheimer Feld 226 / "
           "69120 Heidelberg"),
     {.prefix = u"Prof"_s, .first = u"Dr. Anna"_s, .last = u"Lang"_s, .company = u"Universität Heidelberg."_s,
      .department = u" Institut für Physik"_s, .street = u"Im Neuenheimer Feld 226"_s, .city = u"Heidelberg"_s,
      .zip = u"69120"_s}},
    // A four-digit code leads its line when the country is named.
    {"AustrianFourDigitCode", lines("Maria Gruber / Mariahilfer Straße 45 / 1060 Wien / Österreich"),
     {.first = u"Maria"_s, .last = u"Gruber"_s, .street = u"Mariahilfer Straße 45"_s, .city = u"Wien"_s,
      .zip = u"1060"_s, .country = u"Österreich"_s}},
    {"French", lines("Claire Dubois / 12 rue de la Paix / 75002 Paris / France"),
     {.first = u"Claire"_s, .last = u"Dubois"_s, .street = u"12 rue de la Paix"_s, .city = u"Paris"_s,
      .zip = u"75002"_s, .country = u"France"_s}},
};

const Address kCanada[] = {
    {"QuebecInParentheses",
     lines("Sophie Martin / 1250 boulevard René-Lévesque Ouest / Montréal (Québec) H3B 4W8 / Canada"),
     {.first = u"Sophie"_s, .last = u"Martin"_s, .street = u"1250 boulevard René-Lévesque Ouest"_s,
      .city = u"Montréal"_s, .state = u"(Québec)"_s, .zip = u"H3B 4W8"_s, .country = u"Canada"_s}},
    {"SuiteLine", lines("Liam O'Connor / Suite 300 / 1055 West Georgia Street / Vancouver BC V6E 3P3"),
     {.first = u"Liam"_s, .last = u"O'Connor"_s, .company = u"Suite 300"_s, .street = u"1055 West Georgia Street"_s,
      .city = u"Vancouver"_s, .state = u"BC"_s, .zip = u"V6E 3P3"_s}},
    {"Ontario", lines("Noah Campbell / 10 Main Street East / Hamilton ON L8N 1E9"),
     {.first = u"Noah"_s, .last = u"Campbell"_s, .street = u"10 Main Street East"_s, .city = u"Hamilton"_s,
      .state = u"ON"_s, .zip = u"L8N 1E9"_s}},
    {"StreetAndCodeOnOneLine", lines("Emma Roy / 88 Queen St Charlottetown PE C1A 4B3"),
     {.first = u"Emma"_s, .last = u"Roy"_s, .street = u"88 Queen St"_s, .city = u"Charlottetown"_s,
      .state = u"PE"_s, .zip = u"C1A 4B3"_s}},
    {"CompanyOnlyWithTollFreeNumber",
     lines("Maple Leaf Logistics / Attn Receiving / 1-800-555-0199 / 4500 Dixie Road / Mississauga ON L4W 1V7 / "
           "Canada"),
     {.first = u"Maple Leaf"_s, .last = u"Logistics"_s, .company = u"Attn Receiving"_s,
      .street = u"4500 Dixie Road"_s, .city = u"Mississauga"_s, .state = u"ON"_s, .zip = u"L4W 1V7"_s,
      .country = u"Canada"_s}},
};

// The code opens a Japanese address and the family name leads a name in Japanese script; a
// romanized address runs from the given name down to the prefecture and the code.
const Address kJapan[] = {
    {"OneLineInJapaneseScript", u"〒100-0001 東京都千代田区千代田1-1 山田 太郎"_s,
     {.first = u"太郎"_s, .last = u"山田"_s, .street = u"千代田1-1"_s, .city = u"千代田区"_s, .state = u"東京都"_s,
      .zip = u"100-0001"_s}},
    {"LinesWithCompanyAndHonorific", lines("〒530-0001 / 大阪府大阪市北区梅田1-2-3 / 株式会社サンプル / 佐藤 花子 様"),
     {.first = u"花子"_s, .last = u"佐藤"_s, .company = u"株式会社サンプル"_s, .street = u"梅田1-2-3"_s,
      .city = u"大阪市北区"_s, .state = u"大阪府"_s, .zip = u"530-0001"_s}},
    {"FullWidthDigitsAndIdeographicSpace", u"〒１００－０００１　東京都千代田区千代田１－１　山田　太郎"_s,
     {.first = u"太郎"_s, .last = u"山田"_s, .street = u"千代田１－１"_s, .city = u"千代田区"_s, .state = u"東京都"_s,
      .zip = u"100-0001"_s}},
    {"TownOfACountyAndCountry", lines("鈴木 一郎 / 〒048-1511 / 北海道虻田郡ニセコ町富士見1-2 / 日本"),
     {.first = u"一郎"_s, .last = u"鈴木"_s, .street = u"富士見1-2"_s, .city = u"虻田郡ニセコ町"_s, .state = u"北海道"_s,
      .zip = u"048-1511"_s, .country = u"日本"_s}},
    {"RomanizedOnOneLine", u"Taro Yamada, 1-1 Chiyoda, Chiyoda-ku, Tokyo 100-0001, Japan"_s,
     {.first = u"Taro"_s, .last = u"Yamada"_s, .street = u"1-1 Chiyoda"_s, .city = u"Chiyoda-ku"_s,
      .state = u"Tokyo"_s, .zip = u"100-0001"_s, .country = u"Japan"_s}},
    {"RomanizedLinesWithTitle", lines("Ms. Hanako Sato / 1-2-3 Umeda, Kita-ku / Osaka 530-0001 / Japan"),
     {.prefix = u"Ms"_s, .first = u"Hanako"_s, .last = u"Sato"_s, .street = u"1-2-3 Umeda"_s, .city = u"Kita-ku"_s,
      .state = u"Osaka"_s, .zip = u"530-0001"_s, .country = u"Japan"_s}},
};

const auto kName = [](const ::testing::TestParamInfo<Address> &info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(UnitedStates, PastedAddresses, ::testing::ValuesIn(kUnitedStates), kName);
INSTANTIATE_TEST_SUITE_P(UnitedKingdom, PastedAddresses, ::testing::ValuesIn(kUnitedKingdom), kName);
INSTANTIATE_TEST_SUITE_P(GermanSpeaking, PastedAddresses, ::testing::ValuesIn(kGermanSpeaking), kName);
INSTANTIATE_TEST_SUITE_P(Canada, PastedAddresses, ::testing::ValuesIn(kCanada), kName);
INSTANTIATE_TEST_SUITE_P(Japan, PastedAddresses, ::testing::ValuesIn(kJapan), kName);

} // namespace
