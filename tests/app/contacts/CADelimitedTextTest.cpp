#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextEncodings.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct DelimiterCase
{
    const char *name;
    QString line;
    QString expected;
};

class DetermineDelimiter : public testing::TestWithParam<DelimiterCase>
{
};

TEST_P(DetermineDelimiter, ChoosesTheFirstCandidateOutsideQuotes)
{
    const DelimiterCase &c = GetParam();
    EXPECT_EQ(CADelimitedText::determineDelimiter(c.line, {u"\t"_s, u","_s, u";"_s}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DetermineDelimiter,
    testing::Values(DelimiterCase{"CommaBeforeSemicolon", u"a,b;c"_s, u","_s},
                    DelimiterCase{"SemicolonBeforeComma", u"a;b,c"_s, u";"_s},
                    DelimiterCase{"QuotedCommaDoesNotCount", u"\"Smith, J\";b"_s, u";"_s},
                    DelimiterCase{"TabWins", u"a\tb,c"_s, u"\t"_s},
                    DelimiterCase{"NoCandidate", u"just one field"_s, u""_s},
                    DelimiterCase{"OnlyInsideQuotes", u"\"a,b;c\""_s, u""_s}),
    [](const testing::TestParamInfo<DelimiterCase> &info) { return std::string(info.param.name); });

struct SplitCase
{
    const char *name;
    QString line;
    QString delimiter;
    QStringList expected;
};

class DivideString : public testing::TestWithParam<SplitCase>
{
};

TEST_P(DivideString, SplitsByTheQuotingRules)
{
    const SplitCase &c = GetParam();
    EXPECT_EQ(CADelimitedText::divideString(c.line, c.delimiter), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DivideString,
    testing::Values(
        SplitCase{"Plain", u"a,b,c"_s, u","_s, {u"a"_s, u"b"_s, u"c"_s}},
        SplitCase{"QuotedDelimiterStaysInOneField", u"\"Smith, J\",x"_s, u","_s, {u"Smith, J"_s, u"x"_s}},
        // Doubled quotes inside a quoted field stand for one quote.
        SplitCase{"DoubledQuoteCollapses", u"\"say \"\"hi\"\"\",x"_s, u","_s, {u"say \"hi\""_s, u"x"_s}},
        SplitCase{"TwoQuotesAreAnEmptyField", u"a,\"\",b"_s, u","_s, {u"a"_s, u""_s, u"b"_s}},
        // An unclosed quote keeps the rest of the line as the last field instead of dropping it.
        SplitCase{"UnclosedQuoteKeepsTheRest", u"a,\"b,c"_s, u","_s, {u"a"_s, u"b,c"_s}},
        SplitCase{"TrailingDelimiterGivesAnEmptyField", u"a,b,"_s, u","_s, {u"a"_s, u"b"_s, u""_s}},
        SplitCase{"QuoteInsideAnUnquotedFieldIsText", u"12\" ruler,b"_s, u","_s, {u"12\" ruler"_s, u"b"_s}},
        SplitCase{"BlanksAreKept", u" a , b "_s, u","_s, {u" a "_s, u" b "_s}},
        SplitCase{"NoDelimiterIsOneField", u"a,b"_s, u""_s, {u"a,b"_s}},
        SplitCase{"LongerDelimiter", u"a::b::c"_s, u"::"_s, {u"a"_s, u"b"_s, u"c"_s}}),
    [](const testing::TestParamInfo<SplitCase> &info) { return std::string(info.param.name); });

struct HeaderCase
{
    const char *name;
    QStringList header;
    CADelimitedText::Registry expected;
};

class HeaderKeywords : public testing::TestWithParam<HeaderCase>
{
};

TEST_P(HeaderKeywords, GiveTheRegistry)
{
    const HeaderCase &c = GetParam();
    EXPECT_EQ(CADelimitedText::registryForHeader(c.header), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HeaderKeywords,
    testing::Values(
        HeaderCase{"NamesAndWorkAddress",
                   {u"First Name"_s, u"Last Name"_s, u"Street"_s, u"City"_s},
                   {{u"firstname"_s, 0}, {u"lastname"_s, 1}, {u"workstreet"_s, 2}, {u"workcity"_s, 3}}},
        HeaderCase{"HomeWorkOther",
                   {u"Home Street"_s, u"Work Street"_s, u"Street"_s},
                   {{u"homestreet"_s, 0}, {u"workstreet"_s, 1}, {u"otherstreet"_s, 2}}},
        HeaderCase{"LeftmostColumnWins", {u"Street"_s, u"Mailing Street"_s}, {{u"workstreet"_s, 0}}},
        // A street's second line continues it.
        HeaderCase{"StreetAndItsSecondLine", {u"Street"_s, u"Street 2"_s}, {{u"workstreet"_s, 0}, {u"workstreet2"_s, 1}}},
        HeaderCase{"SecondLinesOfTwoAddresses",
                   {u"Business Street"_s, u"Business Street 2"_s, u"Home Street"_s, u"Home Street 2"_s},
                   {{u"workstreet"_s, 0}, {u"workstreet2"_s, 1}, {u"homestreet"_s, 2}, {u"homestreet2"_s, 3}}},
        HeaderCase{"AddressAndAddress2",
                   {u"Home Address"_s, u"Home Address 2"_s, u"Work Address"_s, u"Work Address 2"_s},
                   {{u"homestreet"_s, 0}, {u"homestreet2"_s, 1}, {u"workstreet"_s, 2}, {u"workstreet2"_s, 3}}},
        // A webmail export: the kind of the address and the whole address in one text come before
        // its street, which says so; its region is the state, its extended address the second line.
        HeaderCase{"WebmailAddressColumns",
                   {u"Address 1 - Type"_s, u"Address 1 - Formatted"_s, u"Address 1 - Street"_s, u"Address 1 - City"_s,
                    u"Address 1 - PO Box"_s, u"Address 1 - Region"_s, u"Address 1 - Postal Code"_s,
                    u"Address 1 - Country"_s, u"Address 1 - Extended Address"_s},
                   {{u"workstreet"_s, 2},
                    {u"workcity"_s, 3},
                    {u"workpobox"_s, 4},
                    {u"workstate"_s, 5},
                    {u"workzip"_s, 6},
                    {u"workcountry"_s, 7},
                    {u"workstreet2"_s, 8}}},
        HeaderCase{"WebmailLabelsAndKinds",
                   {u"Organization 1 - Type"_s, u"Organization 1 - Name"_s, u"Phone 1 - Label"_s, u"Phone 1 - Value"_s,
                    u"Address 1 - Label"_s, u"Address 1 - Street"_s},
                   {{u"companyname"_s, 1}, {u"phonework"_s, 3}, {u"workstreet"_s, 5}}},
        HeaderCase{"ProvinceIsTheState", {u"Province"_s}, {{u"workstate"_s, 0}}},
        // A column that only says "address" takes the street where no column says "street".
        HeaderCase{"AddressBeforeStreet", {u"Address"_s, u"Street"_s}, {{u"workstreet"_s, 1}}},
        // A country's code is no postal code and no country's name: a column of its own, which
        // stands in for a country the address lacks.
        HeaderCase{"CountryCodeAloneIsACountryCode", {u"Country Code"_s}, {{u"workcountrycode"_s, 0}}},
        HeaderCase{"CountryCodeBesideTheCountry",
                   {u"Country Code"_s, u"Postal Code"_s, u"Country"_s},
                   {{u"workcountrycode"_s, 0}, {u"workzip"_s, 1}, {u"workcountry"_s, 2}}},
        // "Country/Region" is the country, whether a state column stands before it or not.
        HeaderCase{"CountryRegionIsNoState",
                   {u"Other City"_s, u"Other Country/Region"_s, u"Other State"_s},
                   {{u"othercity"_s, 0}, {u"othercountry"_s, 1}, {u"otherstate"_s, 2}}},
        HeaderCase{"RegionAloneIsTheState", {u"Region"_s}, {{u"workstate"_s, 0}}},
        // A PO box and a third street line continue the street of their address.
        HeaderCase{"PoBoxesAndThirdLines",
                   {u"Home Address PO Box"_s, u"Business PO Box"_s, u"Other Address PO Box"_s, u"Home Street 3"_s,
                    u"Business Street 3"_s},
                   {{u"homepobox"_s, 0}, {u"workpobox"_s, 1}, {u"otherpobox"_s, 2}, {u"homestreet3"_s, 3},
                    {u"workstreet3"_s, 4}}},
        HeaderCase{"WebmailPoBox", {u"Address 1 - Street"_s, u"Address 1 - PO Box"_s}, {{u"workstreet"_s, 0}, {u"workpobox"_s, 1}}},
        HeaderCase{"AddressLinesOneToThree",
                   {u"Address Line 1"_s, u"Address Line 2"_s, u"Address Line 3"_s},
                   {{u"workstreet"_s, 0}, {u"workstreet2"_s, 1}, {u"workstreet3"_s, 2}}},
        // "Other" says the kind as "Home" and "Business" do.
        HeaderCase{"OtherBlockBesideBusiness",
                   {u"Business Street"_s, u"Other Street"_s, u"Other Street 2"_s, u"Other Postal Code"_s},
                   {{u"workstreet"_s, 0}, {u"otherstreet"_s, 1}, {u"otherstreet2"_s, 2}, {u"otherzip"_s, 3}}},
        // A webmail's second and third numbered addresses take the home and the other keys.
        HeaderCase{"NumberedAddressBlocks",
                   {u"Address 1 - Street"_s, u"Address 2 - Street"_s, u"Address 2 - Region"_s, u"Address 3 - City"_s},
                   {{u"workstreet"_s, 0}, {u"homestreet"_s, 1}, {u"homestate"_s, 2}, {u"othercity"_s, 3}}},
        // Beside a job title, "Title" alone is the honorific.
        HeaderCase{"TitleBesideJobTitleIsThePrefix",
                   {u"Title"_s, u"First Name"_s, u"Job Title"_s},
                   {{u"prefix"_s, 0}, {u"firstname"_s, 1}, {u"title"_s, 2}}},
        HeaderCase{"TitleAloneIsTheJobTitle", {u"Title"_s}, {{u"title"_s, 0}}},
        // A webmail's older names, the spellings that read them aloud left out, and its organisation.
        HeaderCase{"GivenAdditionalFamilyNames",
                   {u"Name"_s, u"Given Name"_s, u"Additional Name"_s, u"Family Name"_s, u"Yomi Name"_s,
                    u"Given Name Yomi"_s, u"Family Name Yomi"_s, u"Organization 1 - Name"_s,
                    u"Organization 1 - Yomi Name"_s, u"Organization 1 - Title"_s, u"Organization 1 - Department"_s,
                    u"Organization 1 - Location"_s},
                   {{u"firstname"_s, 1}, {u"middlename"_s, 2}, {u"lastname"_s, 3}, {u"companyname"_s, 7},
                    {u"title"_s, 9}, {u"department"_s, 10}}},
        HeaderCase{"PhoneticNamesAreNoNames",
                   {u"Phonetic First Name"_s, u"Phonetic Last Name"_s, u"First Name"_s, u"Last Name"_s},
                   {{u"firstname"_s, 2}, {u"lastname"_s, 3}}},
        HeaderCase{"BareLastFirst",
                   {u"Last"_s, u"First"_s, u"Organization"_s},
                   {{u"lastname"_s, 0}, {u"firstname"_s, 1}, {u"companyname"_s, 2}}},
        HeaderCase{"MailAddressIsNoStreet", {u"E-mail Address"_s}, {{u"emailwork"_s, 0}}},
        HeaderCase{"HomeFlagSendsBareFieldsToWork",
                   {u"Home City"_s, u"City"_s, u"Phone"_s},
                   {{u"homecity"_s, 0}, {u"workcity"_s, 1}, {u"phonework"_s, 2}}},
        HeaderCase{"CustomAndNames",
                   {u"Middle Name"_s, u"Nickname"_s, u"Dept"_s, u"custom9"_s, u"URL"_s},
                   {{u"middlename"_s, 0},
                    {u"nickname"_s, 1},
                    {u"department"_s, 2},
                    {u"custom9"_s, 3},
                    {u"homepage"_s, 4}}},
        // Address books export the company as the organisation.
        HeaderCase{"OrganizationIsTheCompany", {u"Organization"_s, u"Job Title"_s}, {{u"companyname"_s, 0}, {u"title"_s, 1}}},
        HeaderCase{"OrganisationIsTheCompany", {u"Organisation"_s}, {{u"companyname"_s, 0}}},
        HeaderCase{"NoKeyword", {u"Alpha"_s, u"Beta"_s}, {}}),
    [](const testing::TestParamInfo<HeaderCase> &info) { return std::string(info.param.name); });

QByteArray utf8(const char *text)
{
    return QByteArray(text);
}

TEST(CADelimitedText, BlankLinesAndEmptyRowsAreNoRecordsButAnEmptyFirstLineStillDecides)
{
    CADelimitedText text(utf8("\n;;\nWhite;Anna,B\n\n\"x\";y\n"));
    EXPECT_EQ(text.delimiter(), u";"_s);
    const QList<QStringList> expected = {{u"White"_s, u"Anna,B"_s}, {u"x"_s, u"y"_s}};
    EXPECT_EQ(text.rows(), expected);
    EXPECT_FALSE(text.hasHeader());
    EXPECT_EQ(text.recordsCount(), 2);
}

TEST(CADelimitedText, AHeaderRowMakesTheRestRecords)
{
    CADelimitedText text(utf8("First Name,Last Name\r\nAnna,White\r\nBo,Green,extra\r\n"));
    ASSERT_TRUE(text.hasHeader());
    EXPECT_EQ(text.recordsCount(), 2);
    EXPECT_EQ(text.fieldsCount(), 3);
    EXPECT_EQ(text.dataForLine(0, 1), u"White"_s);
    EXPECT_EQ(text.dataForLine(1, 2), u"extra"_s);
    EXPECT_EQ(text.dataForLine(0, 2), std::nullopt);
    EXPECT_EQ(text.dataForLine(2, 0), std::nullopt);
    EXPECT_EQ(text.headerForField(1), u"Last Name"_s);
    EXPECT_EQ(text.headerForField(2), std::nullopt);
    text.setHasHeader(false);
    EXPECT_EQ(text.recordsCount(), 3);
    EXPECT_EQ(text.headerForField(0), std::nullopt);
}

// Lists repeat their countries and cities row after row: equal values of a column are one text.
// Rows are held packed, one text each, until their persons are made: every field comes back from
// them as it was read, empty ones and ones holding delimiters and line breaks among them.
TEST(CADelimitedText, RecordsGiveBackEveryFieldOfTheirRows)
{
    struct Case
    {
        const char *bytes;
        QList<QStringList> records;
    };
    const Case cases[] = {
        {"Name,City\n,Leeds\nAnn,\n", {{QString(), u"Leeds"_s}, {u"Ann"_s, QString()}}},
        {"Name,City,Zip\n,,9\nBo,,\n", {{QString(), QString(), u"9"_s}, {u"Bo"_s, QString(), QString()}}},
        {"Name,City\n\"A, B\",\"two\nlines\"\n", {{u"A, B"_s, u"two\nlines"_s}}},
        {"Name\tCity\nAnn\tYork\textra\n", {{u"Ann"_s, u"York"_s, u"extra"_s}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes);
        CADelimitedText text(QByteArray(c.bytes));
        ASSERT_TRUE(text.hasHeader());
        EXPECT_EQ(text.personData(), c.records);
        for (qsizetype record = 0; record < c.records.size(); ++record) {
            EXPECT_EQ(text.row(record + 1), c.records.at(record));
            for (qsizetype field = 0; field < c.records.at(record).size(); ++field)
                EXPECT_EQ(text.dataForLine(record, field), c.records.at(record).at(field));
            EXPECT_EQ(text.dataForLine(record, c.records.at(record).size()), std::nullopt);
        }
        QList<QStringList> taken;
        for (const QString &record : text.takePersonData())
            taken.append(CADelimitedText::fieldsOf(record));
        EXPECT_EQ(taken, c.records);
    }
}

TEST(CADelimitedText, TakingTheRecordsLeavesNoRowsAndNoBytes)
{
    for (const bool header : {true, false}) {
        SCOPED_TRACE(header);
        CADelimitedText text(utf8(header ? "First Name,Last Name\nAnna,White\nBo,Green\n" : "Anna,White\nBo,Green\n"));
        ASSERT_EQ(text.hasHeader(), header);
        const QList<QStringList> expected = {{u"Anna"_s, u"White"_s}, {u"Bo"_s, u"Green"_s}};
        EXPECT_EQ(text.personData(), expected);
        QList<QStringList> taken;
        for (const QString &record : text.takePersonData())
            taken.append(CADelimitedText::fieldsOf(record));
        EXPECT_EQ(taken, expected);
        EXPECT_TRUE(text.rows().isEmpty());
        EXPECT_EQ(text.recordsCount(), 0);
        // Nothing is left to read again.
        text.reloadData();
        EXPECT_TRUE(text.rows().isEmpty());
    }
}

TEST(CADelimitedText, QuotedFieldsSpanLinesAndEveryLineBreakCounts)
{
    CADelimitedText text(utf8("a,\"one\r\ntwo\rthree\",b\nc,d"));
    const QList<QStringList> expected = {{u"a"_s, u"one\ntwo\nthree"_s, u"b"_s}, {u"c"_s, u"d"_s}};
    EXPECT_EQ(text.rows(), expected);
    EXPECT_TRUE(text.problems().isEmpty());
}

TEST(CADelimitedText, AQuoteNeverClosedEndsWithItsLineAndIsReported)
{
    CADelimitedText text(utf8("a,\"b,c\nd,e\nf,g\n"));
    const QList<QStringList> expected = {{u"a"_s, u"b,c"_s}, {u"d"_s, u"e"_s}, {u"f"_s, u"g"_s}};
    EXPECT_EQ(text.rows(), expected);
    ASSERT_EQ(text.problems().size(), 1);
    EXPECT_TRUE(text.problems().first().startsWith(u"Line 1:"_s)) << text.problems().first().toStdString();
}

TEST(CADelimitedText, AQuotedFieldHoldsItsLinesAndARecordPastTheBoundIsLeftOutWhole)
{
    // An exported notes column: one quoted field of many lines, then a record after it.
    const auto noteOf = [](int lines, qsizetype lineLength) {
        QByteArray note;
        for (int i = 0; i < lines; ++i)
            note += (i > 0 ? "\r\n" : "") + QByteArray(lineLength, 'n');
        return note;
    };
    const qsizetype longLine = CADelimitedText::kMaxRecordCharacters / 100;
    const struct
    {
        const char *name;
        int noteLines;
        qsizetype lineLength;
        bool kept;
    } cases[] = {
        {"300 short lines", 300, 4, true},
        {"a thousand lines", 1000, 1, true},
        {"just within the bound", 90, longLine, true},
        {"past the bound", 120, longLine, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray note = noteOf(c.noteLines, c.lineLength);
        CADelimitedText text("First Name,Notes,City\r\nAnn,\"" + note + "\",York\r\nBo,short,Leeds\r\n");
        ASSERT_TRUE(text.hasHeader());
        const QList<QStringList> records = text.personData();
        if (c.kept) {
            ASSERT_EQ(records.size(), 2);
            EXPECT_EQ(records.at(0).at(0), u"Ann"_s);
            EXPECT_EQ(records.at(0).at(1).count(u'\n'), c.noteLines - 1);
            EXPECT_EQ(records.at(0).at(1).size(), note.size() - (c.noteLines - 1));
            EXPECT_EQ(records.at(0).at(2), u"York"_s);
            EXPECT_TRUE(text.problems().isEmpty()) << text.problems().join(u' ').toStdString();
        } else {
            ASSERT_EQ(records.size(), 1);
            ASSERT_EQ(text.problems().size(), 1);
            EXPECT_TRUE(text.problems().first().startsWith(u"Lines 2 to %1 were left out"_s.arg(1 + c.noteLines)))
                << text.problems().first().toStdString();
        }
        EXPECT_EQ(records.last(), (QStringList{u"Bo"_s, u"short"_s, u"Leeds"_s}));
    }
}

// A field is let go of once its record passes the bound, not kept to the record's end: a quote
// that runs through a large file must not hold the file a second time.
TEST(CADelimitedText, AFieldPastTheBoundIsLetGoOfWhileItIsRead)
{
    const qsizetype lineLength = 1000;
    const struct
    {
        const char *name;
        qsizetype lines;
        qsizetype mostHeld;
    } cases[] = {
        {"a note within the bound", 500, 500 * lineLength + 499},
        {"a quote running three times the bound", 3 * CADelimitedText::kMaxRecordCharacters / lineLength,
         CADelimitedText::kMaxRecordCharacters + lineLength + 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray note;
        for (qsizetype i = 0; i < c.lines; ++i)
            note += (i > 0 ? "\n" : "") + QByteArray(lineLength, 'n');
        CADelimitedText text("Name,Notes\nAnn,\"" + note + "\"\nBo,short\n");
        EXPECT_LE(text.longestFieldHeld(), c.mostHeld);
        // It counts what is held: the whole note, or the bound less a line.
        EXPECT_GE(text.longestFieldHeld(), std::min<qsizetype>(note.size(), CADelimitedText::kMaxRecordCharacters - lineLength));
        EXPECT_EQ(text.personData().last(), (QStringList{u"Bo"_s, u"short"_s}));
    }
}

// Two stray quotes make one field of the records between them: still read as the file says, but
// named with the line the field starts on and the lines it took. Lines of a note, which hold
// fewer separators, are no records.
TEST(CADelimitedText, LinesThatLookLikeRecordsTakenByAQuotedFieldAreNamed)
{
    QByteArray between;
    for (int i = 0; i < 40; ++i)
        between += "Cy" + QByteArray::number(i) + ",Cole,Cork\n";
    const struct
    {
        const char *name;
        QByteArray text;
        qsizetype records;
        qsizetype taken;
        QString problem;
    } cases[] = {
        {"stray quotes 41 lines apart", "First Name,Last Name,City\nAnn,Abbott,Ayr\nBo,\"Baker,Bath\n" + between + "Di,Dean\",Derby\n",
         2, 41,
         u"Line 3: a quoted field starts there and takes the 41 lines after it, to line 44; 41 of them look like records "
         "of their own (as many separators as the first row). A quote is likely missing or stray."_s},
        {"a street of three lines", "First Name,Street,City\nAnn,\"1 Elm Row\nFlat 3\nBack door\",Ayr\nBo,2 Oak St,Bath\n", 2, 0,
         {}},
        {"a note with a comma", "First Name,Notes,City\nAnn,\"Call first,\nthen write\",Ayr\n", 1, 0, {}},
    };
    // A file of many such fields names the first few and counts the rest.
    QByteArray many = "First Name,Last Name,City\n";
    for (int i = 0; i < 25; ++i)
        many += "Bo,\"Baker,Bath\nCy,Cole,Cork\nDi,Dean\",Derby\n";
    CADelimitedText manyFields(many);
    EXPECT_EQ(manyFields.recordsTakenByQuotes(), 50);
    ASSERT_EQ(manyFields.problems().size(), 11);
    EXPECT_EQ(manyFields.problems().last(), u"15 more quoted fields take lines that look like records of their own."_s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CADelimitedText text(c.text);
        EXPECT_EQ(text.recordsCount(), c.records);
        EXPECT_EQ(text.recordsTakenByQuotes(), c.taken);
        EXPECT_EQ(text.problems(), c.problem.isEmpty() ? QStringList() : QStringList{c.problem});
    }
}

TEST(CADelimitedText, RowsWithTooManyFieldsAreCutAndNamed)
{
    QByteArray line;
    for (qsizetype i = 0; i < CADelimitedText::kMaxFieldsPerRow + 10; ++i)
        line += "x,";
    CADelimitedText text(line + "\nshort,row\n");
    EXPECT_EQ(text.rows().first().size(), CADelimitedText::kMaxFieldsPerRow);
    EXPECT_EQ(text.rows().at(1), (QStringList{u"short"_s, u"row"_s}));
    ASSERT_EQ(text.problems().size(), 1);
}

TEST(CADelimitedText, OnlyCarriageReturnAndLineFeedEndARecord)
{
    CADelimitedText text(QStringLiteral(u"a,b\u2028c,d\u0085e,f\u2029g,h\r\ni,j").toUtf8());
    ASSERT_EQ(text.rows().size(), 2);
    EXPECT_EQ(text.rows().first(), (QStringList{u"a"_s, u"b\u2028c"_s, u"d\u0085e"_s, u"f\u2029g"_s, u"h"_s}));
}

TEST(CADelimitedText, BytesThatAreNoUtf8AreReadAsWindowsLatin1)
{
    CADelimitedText text(QByteArray("Ren\xe9,M\xfcller\n"));
    EXPECT_EQ(text.encoding(), CATextEncodings::kWindowsLatin1);
    EXPECT_EQ(text.rows().first(), (QStringList{u"René"_s, u"Müller"_s}));
}

TEST(CADelimitedText, ChangingTheEncodingRereadsAndRecomputesTheHeader)
{
    // Windows Latin 1 has the euro sign at 0x80, where ISO Latin 1 has a control character.
    CADelimitedText text(QByteArray("First Name,Price\nAnna,\x80 5\n"));
    ASSERT_EQ(text.encoding(), CATextEncodings::kWindowsLatin1);
    ASSERT_TRUE(text.setEncoding(CATextEncodings::kISOLatin1));
    EXPECT_EQ(text.dataForLine(0, 1), u"\u0080 5"_s);
    text.setHasHeader(false);
    text.setRegistry({});
    ASSERT_TRUE(text.setEncoding(12));
    EXPECT_TRUE(text.hasHeader());
    EXPECT_EQ(text.registry().value(u"firstname"_s, -1), 0);
    EXPECT_EQ(text.dataForLine(0, 1), u"€ 5"_s);
    EXPECT_FALSE(text.setEncoding(CATextEncodings::kUTF8));
    EXPECT_TRUE(text.rows().isEmpty());
    EXPECT_FALSE(text.errorString().isEmpty());
}

TEST(CADelimitedText, ANewDelimiterRereadsTheRows)
{
    CADelimitedText text(utf8("a;b,c\n"));
    ASSERT_EQ(text.delimiter(), u";"_s);
    text.setDelimiter(u","_s);
    EXPECT_EQ(text.rows().first(), (QStringList{u"a;b"_s, u"c"_s}));
    text.setDelimiter(std::nullopt);
    EXPECT_EQ(text.delimiter(), u";"_s);
}

TEST(CADelimitedText, BinaryBytesAreRefusedWithAReason)
{
    CADelimitedText text(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    EXPECT_FALSE(text.isValid());
    EXPECT_TRUE(text.rows().isEmpty());
    EXPECT_TRUE(text.errorString().contains(u"binary"_s)) << text.errorString().toStdString();
}

TEST(CADelimitedText, EncodingsOfTheStoredListAllDecode)
{
    for (const char *stored : {"10", "4", "30", "12", "5", "-2147483133", "-2147483121", "-2147483647", "8",
                               "-2147483646", "-2147483641", "11", "-2147481086"}) {
        const std::optional<quint32> number = CATextEncodings::fromStoredText(QString::fromLatin1(stored));
        ASSERT_TRUE(number) << stored;
        EXPECT_TRUE(CATextEncodings::isKnown(*number)) << stored;
        EXPECT_TRUE(CATextEncodings::decode("abc", *number).has_value() || *number == CATextEncodings::kUnicode)
            << stored;
    }
    EXPECT_EQ(CATextEncodings::fromStoredText(u"-"_s), std::nullopt);
    QString reason;
    EXPECT_EQ(CATextEncodings::decode("abc", 999, &reason), std::nullopt);
    EXPECT_FALSE(reason.isEmpty());
}

} // namespace
