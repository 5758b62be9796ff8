// Delimited text made in the test: UTF-8 files with lines in another encoding, single-byte
// files, line ends that are characters, and junk chosen as a contacts file.
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextEncodings.h"
#include "app/contacts/CATextFileSource.h"

#include "TestSupport.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace Qt::StringLiterals;

namespace {

QByteArray utf8Of(const QString &text)
{
    return text.toUtf8();
}

QByteArray encoded(const char *codec, const QString &text)
{
    QStringEncoder encoder(codec);
    return encoder.encode(text);
}

QByteArray shiftJis(const QString &text)
{
    QStringEncoder encoder("Shift_JIS");
    return encoder.encode(text);
}

struct EncodingCase
{
    const char *name;
    QByteArray bytes;
    quint32 encoding;
    QList<QStringList> rows;
    QStringList problems;
    QStringList notes = {};
};

std::ostream &operator<<(std::ostream &out, const EncodingCase &c)
{
    return out << c.name;
}

using CATextFileEncodingTest = testing::TestWithParam<EncodingCase>;

TEST_P(CATextFileEncodingTest, DecodesByTheEvidentEncodingAndNamesTheOtherLines)
{
    const EncodingCase &c = GetParam();
    const CADelimitedText text(c.bytes);
    ASSERT_TRUE(text.isValid()) << text.errorString().toStdString();
    EXPECT_EQ(text.encoding(), c.encoding);
    EXPECT_EQ(text.rows(), c.rows);
    EXPECT_EQ(text.problems(), c.problems);
    EXPECT_EQ(text.notes(), c.notes);
}

const QString kWholeFile = u"The file is not UTF-8 text; it was read as Western (Windows Latin 1)."_s;
const QString kOtherLine = u"Line 3 of the file is not UTF-8 text like the rest; it was read as Western (Windows Latin 1)."_s;

INSTANTIATE_TEST_SUITE_P(
    Cases, CATextFileEncodingTest,
    testing::Values(
        EncodingCase {
            "OneWindowsLatin1LineInUtf8",
            utf8Of(u"Name,City\nMüller,Berlin\n"_s) + "Wei\xdf,K\xf6ln\n" + utf8Of(u"Åsa Berg,Malmö\n"_s),
            CATextEncodings::kUTF8,
            {{u"Name"_s, u"City"_s}, {u"Müller"_s, u"Berlin"_s}, {u"Weiß"_s, u"Köln"_s}, {u"Åsa Berg"_s, u"Malmö"_s}},
            {kOtherLine}},
        EncodingCase {
            "TwoOtherLinesWithCrLf",
            utf8Of(u"Name\r\nZoë\r\n"_s) + "Ren\xe9\r\n" + utf8Of(u"Åsa\r\n"_s)
                + "\x93"
                  "Bo\x94\r\n"
                + utf8Of(u"Jörg\r\n"_s),
            CATextEncodings::kUTF8,
            {{u"Name"_s}, {u"Zoë"_s}, {u"René"_s}, {u"Åsa"_s}, {u"\u201cBo\u201d"_s}, {u"Jörg"_s}},
            {u"Lines 3 and 5 of the file are not UTF-8 text like the rest; they were read as Western (Windows Latin 1)."_s}},
        // The one line beyond ASCII holds a UTF-8 program's letters and a stray byte of another
        // encoding: the letters stay, the byte is read as Windows Latin 1, the line is named.
        EncodingCase {
            "Utf8LettersBesideAStrayByte",
            utf8Of(u"Name,City\nZoë Jürgens,"_s) + "Caf\xe9 K" + utf8Of(u"öln\n"_s),
            CATextEncodings::kUTF8,
            {{u"Name"_s, u"City"_s}, {u"Zoë Jürgens"_s, u"Café Köln"_s}},
            {u"Line 2 of the file is not UTF-8 text like the rest; it was read as Western (Windows Latin 1)."_s}},
        // The byte that ended a record when read as ISO Latin 1 is an ellipsis. The whole file is
        // Western text of the encoding guessed: said once, no line named.
        EncodingCase {"WindowsLatin1Ellipsis",
                      "Name,Note\nAnna,wait\x85 and see\nBo,done\n",
                      CATextEncodings::kWindowsLatin1,
                      {{u"Name"_s, u"Note"_s}, {u"Anna"_s, u"wait\u2026 and see"_s}, {u"Bo"_s, u"done"_s}},
                      {},
                      {kWholeFile}},
        // A mail program's export in Windows Latin 1: letters, quotes around a word, an apostrophe
        // inside a name, the sharp s.
        EncodingCase {"WholeWindowsLatin1Export",
                      "First Name,Last Name,City\nZo\xeb,J\xfcrgens,K\xf6ln\nSe\xe1n,O\x92"
                      "Brien,\x93Stra\xdf"
                      "e\x94\n",
                      CATextEncodings::kWindowsLatin1,
                      {{u"First Name"_s, u"Last Name"_s, u"City"_s},
                       {u"Zoë"_s, u"Jürgens"_s, u"Köln"_s},
                       {u"Seán"_s, u"O\u2019Brien"_s, u"\u201cStraße\u201d"_s}},
                      {},
                      {kWholeFile}},
        // Letters that look like no Western text (a quote between two letters): each line named.
        EncodingCase {"AQuoteInsideAWord",
                      "Name\nAb\x93"
                      "cd\nM\xfcller\n",
                      CATextEncodings::kWindowsLatin1,
                      {{u"Name"_s}, {u"Ab\u201ccd"_s}, {u"Müller"_s}},
                      {u"Lines 2 and 3 of the file are not UTF-8 text; they were read as Western (Windows Latin 1)."_s}},
        // Mostly Windows Latin 1: the one UTF-8 line is read as that, and stays one record.
        EncodingCase {
            "Utf8LineInWindowsLatin1File",
            "Name\nM\xfcller\nK\xf6nig\n" + utf8Of(u"Åsa Berg\n"_s),
            CATextEncodings::kWindowsLatin1,
            {{u"Name"_s}, {u"Müller"_s}, {u"König"_s}, {u"Åsa Berg"_s}},
            {u"Lines 2 and 3 of the file are not UTF-8 text; they were read as Western (Windows Latin 1)."_s}},
        EncodingCase {"ByteWindowsLatin1LeavesUndefined",
                      "Name\nA\x81\xe9\n",
                      CATextEncodings::kISOLatin1,
                      {{u"Name"_s}, {u"A\u0081é"_s}},
                      {u"Line 2 of the file is not UTF-8 text; it was read as Western (ISO Latin 1)."_s}},
        // Shift-JIS: no guess from bytes tells it from Western letters, so its lines are named.
        EncodingCase {"ShiftJisGuessed",
                      "Name,City\n" + shiftJis(u"山田,東京"_s) + "\nBo,Leeds\n",
                      CATextEncodings::kWindowsLatin1,
                      {{u"Name"_s, u"City"_s},
                       CATextEncodings::decodeWindowsLatin1(shiftJis(u"山田,東京"_s)).split(u','),
                       {u"Bo"_s, u"Leeds"_s}},
                      {u"Line 2 of the file is not UTF-8 text; it was read as Western (Windows Latin 1)."_s}},
        // Exports of one 8-bit encoding beyond Western: read in the encoding their letters show
        // and said once.
        EncodingCase {"WholeWindowsCyrillicExport",
                      "First Name,Last Name,City\n" + encoded("windows-1251", u"Иван,Петров,Москва\nАнна,Смирнова,Казань\n"_s),
                      CATextEncodings::kWindowsCyrillic,
                      {{u"First Name"_s, u"Last Name"_s, u"City"_s}, {u"Иван"_s, u"Петров"_s, u"Москва"_s},
                       {u"Анна"_s, u"Смирнова"_s, u"Казань"_s}},
                      {},
                      {u"The file is not UTF-8 text; it was read as Cyrillic (Windows)."_s}},
        // One short name: the letters alone tell Cyrillic from Greek, not from the same bytes read
        // as ISO Cyrillic, which the note names.
        EncodingCase {"OneCyrillicName",
                      "Name\n" + encoded("windows-1251", u"Иван\n"_s),
                      CATextEncodings::kWindowsCyrillic,
                      {{u"Name"_s}, {u"Иван"_s}},
                      {},
                      {u"The file is not UTF-8 text; it was read as Cyrillic (Windows), whose words are the likeliest, "
                       "but its letters read as words in Cyrillic (ISO 8859-5) as well."_s}},
        EncodingCase {"WholeWindowsGreekExport",
                      "First Name,Last Name,City\n" + encoded("windows-1253", u"Ελένη,Καραγιάννη,Αθήνα\nΝίκος,Οικονόμου,Πάτρα\n"_s),
                      CATextEncodings::kWindowsGreek,
                      {{u"First Name"_s, u"Last Name"_s, u"City"_s}, {u"Ελένη"_s, u"Καραγιάννη"_s, u"Αθήνα"_s},
                       {u"Νίκος"_s, u"Οικονόμου"_s, u"Πάτρα"_s}},
                      {},
                      // The same bytes are Cyrillic letters too, but no Cyrillic language spells so.
                      {u"The file is not UTF-8 text; it was read as Greek (Windows)."_s}},
        EncodingCase {"WholeWindowsLatin2Export",
                      "First Name,Last Name,City\n" + encoded("windows-1250", u"Łukasz,Wróbel,Kraków\nTomáš,Dvořák,Plzeň\n"_s),
                      CATextEncodings::kWindowsLatin2,
                      {{u"First Name"_s, u"Last Name"_s, u"City"_s}, {u"Łukasz"_s, u"Wróbel"_s, u"Kraków"_s},
                       {u"Tomáš"_s, u"Dvořák"_s, u"Plzeň"_s}},
                      {},
                      {u"The file is not UTF-8 text; it was read as Central European (Windows Latin 2)."_s}},
        // Western letters a Latin 2 reading would also give letters (è as č, ñ as ń) are Western:
        // "Lefčvre" and "Muńoz" are spelled so in no language of Latin 2.
        EncodingCase {"WesternLettersLatin2WouldAlsoRead",
                      "First Name,Last Name,City\n" + encoded("windows-1252", u"Hélène,Lefèvre,Genève\nJosé,Muñoz,Cádiz\n"_s),
                      CATextEncodings::kWindowsLatin1,
                      {{u"First Name"_s, u"Last Name"_s, u"City"_s}, {u"Hélène"_s, u"Lefèvre"_s, u"Genève"_s},
                       {u"José"_s, u"Muñoz"_s, u"Cádiz"_s}},
                      {},
                      {kWholeFile}},
        // One person whose letters read as words in Western and Central European alike: the C
        // locale's reading is taken, and the other named.
        EncodingCase {"OneSpanishPersonUnderTheCLocale",
                      "First Name,Last Name\nAna,Pe\xf1" "a\n",
                      CATextEncodings::kWindowsLatin1,
                      {{u"First Name"_s, u"Last Name"_s}, {u"Ana"_s, u"Peña"_s}},
                      {},
                      {u"The file is not UTF-8 text; it was read as Western (Windows Latin 1), the encoding of the "
                       "locale's language, but its letters read as words in Central European (Windows Latin 2) as well."_s}},
        // A euro sign before a word is rare, and no other encoding reads it as a letter.
        EncodingCase {"AEuroSignBeforeAWord",
                      "First Name,Company\nAna,\x80uro Markt\n",
                      CATextEncodings::kWindowsLatin1,
                      {{u"First Name"_s, u"Company"_s}, {u"Ana"_s, u"€uro Markt"_s}},
                      {},
                      {kWholeFile}},
        EncodingCase {"WholeKoi8rExport",
                      "First Name,Last Name,City\n" + encoded("KOI8-R", u"Иван,Петров,Москва\n"_s),
                      CATextEncodings::kKOI8R,
                      {{u"First Name"_s, u"Last Name"_s, u"City"_s}, {u"Иван"_s, u"Петров"_s, u"Москва"_s}},
                      {},
                      {u"The file is not UTF-8 text; it was read as Cyrillic (KOI8-R)."_s}},
        EncodingCase {"WholeIsoCyrillicExport",
                      "First Name,Last Name,City\n" + encoded("ISO-8859-5", u"Иван,Петров,Москва\n"_s),
                      CATextEncodings::kISOCyrillic,
                      {{u"First Name"_s, u"Last Name"_s, u"City"_s}, {u"Иван"_s, u"Петров"_s, u"Москва"_s}},
                      {},
                      {u"The file is not UTF-8 text; it was read as Cyrillic (ISO 8859-5)."_s}},
        EncodingCase {"WholeIsoLatin2Export",
                      "First Name,Last Name,City\n" + encoded("ISO-8859-2", u"Iga,Świątek,Raszyn\n"_s),
                      CATextEncodings::kISOLatin2,
                      {{u"First Name"_s, u"Last Name"_s, u"City"_s}, {u"Iga"_s, u"Świątek"_s, u"Raszyn"_s}},
                      {},
                      {u"The file is not UTF-8 text; it was read as Central European (ISO Latin 2)."_s}},
        EncodingCase {"WholeIsoGreekExportWithAlphaTonos",
                      "First Name,Last Name,City\n" + encoded("ISO-8859-7", u"Άννα,Παπαδοπούλου,Ηράκλειο\n"_s),
                      CATextEncodings::kISOGreek,
                      {{u"First Name"_s, u"Last Name"_s, u"City"_s}, {u"Άννα"_s, u"Παπαδοπούλου"_s, u"Ηράκλειο"_s}},
                      {},
                      {u"The file is not UTF-8 text; it was read as Greek (ISO 8859-7)."_s}},
        EncodingCase {"UnquotedLineSeparatorsInUtf8",
                      utf8Of(u"Name,Note\nAnna,a\u2028b\u2029c\u0085d\nBo,e\n"_s),
                      CATextEncodings::kUTF8,
                      {{u"Name"_s, u"Note"_s}, {u"Anna"_s, u"a\u2028b\u2029c\u0085d"_s}, {u"Bo"_s, u"e"_s}},
                      {}}),
    [](const testing::TestParamInfo<EncodingCase> &info) { return std::string(info.param.name); });

// Western text read in its own encoding looks so; the letters of other encodings read as
// Western mostly do not.
TEST(CATextEncodingsLook, WesternTextLooksWestern)
{
    const struct
    {
        QString line;
        bool western;
        quint32 encoding = CATextEncodings::kWindowsLatin1;
    } rows[] = {
        {u"Zoë Jürgens, Köln"_s, true},
        {u"O\u2019Brien \u2013 Straße 5 \u00ab1er étage\u00bb"_s, true},
        {u"Caf\u00e9 \u201ccr\u00e8me\u201d 5 \u20ac"_s, true},
        {CATextEncodings::decodeWindowsLatin1(shiftJis(u"山田"_s)), false},
        {CATextEncodings::decodeWindowsLatin1(shiftJis(u"やまだ"_s)), false},
        {u"A\u0081b"_s, false},
        {u"price\u2122d"_s, false},
        // Cyrillic and Greek read as Western: words of accented letters only.
        {CATextEncodings::decodeWindowsLatin1(encoded("windows-1251", u"Иван Петров"_s)), false},
        {CATextEncodings::decodeWindowsLatin1(encoded("windows-1253", u"Γιώργος"_s)), false},
        {u"\u00a3ukasz"_s, false},
        {u"\u00a3 5, \u00c9va"_s, true},
        // The letters of the other scripts, each word of one script, written as the script is.
        {u"Иван Петров, ул. Ленина 5"_s, true, CATextEncodings::kWindowsCyrillic},
        {u"Mьller"_s, false, CATextEncodings::kWindowsCyrillic},
        {u"ИванОв"_s, false, CATextEncodings::kWindowsCyrillic},
        {u"Γιώργος Παπαδόπουλος"_s, true, CATextEncodings::kWindowsGreek},
        {u"Οςεροβ"_s, false, CATextEncodings::kWindowsGreek},
        {u"Θβΰν"_s, false, CATextEncodings::kWindowsGreek},
        {u"πρωτεΐνη, Ευριπίδης"_s, true, CATextEncodings::kWindowsGreek},
        {u"Zoë"_s, false, CATextEncodings::kWindowsGreek},
        {u"Zoë"_s, false, CATextEncodings::kUTF8},
    };
    for (const auto &row : rows)
        EXPECT_EQ(CATextEncodings::looksLikeLettersOf(row.line, row.encoding), row.western) << row.line.toStdString();
    EXPECT_FALSE(CATextEncodings::looksWestern(CATextEncodings::decodeWindowsLatin1(encoded("windows-1251", u"Иван"_s))));
}

// An encoding chosen reads every line it can; a line it cannot is read as UTF-8 when it is that,
// else as Windows Latin 1, and named.
TEST(CATextFileChosenEncodingTest, LinesNeitherInTheEncodingNorUtf8AreNamed)
{
    const struct
    {
        const char *name;
        quint32 encoding;
        QByteArray bytes;
        QList<QStringList> rows;
        QStringList problems;
    } cases[] = {
        {"Shift-JIS throughout", 8, "Name,City\n" + shiftJis(u"山田,東京\n太郎,大阪\n"_s),
         {{u"Name"_s, u"City"_s}, {u"山田"_s, u"東京"_s}, {u"太郎"_s, u"大阪"_s}}, {}},
        {"a Western line among Shift-JIS", 8, "Name,City\n" + shiftJis(u"山田,東京\n"_s) + "Ren\xe9,Caf\xe9\n",
         {{u"Name"_s, u"City"_s}, {u"山田"_s, u"東京"_s}, {u"René"_s, u"Café"_s}},
         {u"Line 3 of the file is neither Japanese (Windows, DOS) nor UTF-8 text; it was read as Western (Windows Latin 1)."_s}},
        {"Greek", 13, "Name\n" + QByteArray("\xc3\xe9\xfe\xf1\xe3\xef\xf2\n"), {{u"Name"_s}, {u"Γιώργος"_s}}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CADelimitedText text(c.bytes);
        ASSERT_TRUE(text.setEncoding(c.encoding)) << text.errorString().toStdString();
        EXPECT_EQ(text.rows(), c.rows);
        EXPECT_EQ(text.problems(), c.problems);
    }
}

// 100 KB of bytes from a seeded generator, each at least `lowest`.
QByteArray randomBytes(int lowest)
{
    std::mt19937 generator(48);
    std::uniform_int_distribution<int> byte(lowest, 255);
    QByteArray bytes(100 * 1024, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(byte(generator));
    return bytes;
}

struct JunkCase
{
    const char *name;
    QByteArray bytes;
    qsizetype persons;
    QString problem;
};

std::ostream &operator<<(std::ostream &out, const JunkCase &c)
{
    return out << c.name;
}

using CATextFileJunkTest = testing::TestWithParam<JunkCase>;

TEST_P(CATextFileJunkTest, GivesAReadProblemNotBlankPersons)
{
    const JunkCase &c = GetParam();
    QTemporaryDir folder;
    const QString path = folder.filePath(u"x.csv"_s);
    ASSERT_TRUE(pwtest::writeFile(path, c.bytes));
    QStringList problems;
    const std::optional<CAPersonList> persons = CATextFileSource::personsFromTextFile(path, &problems);
    EXPECT_EQ(persons.value_or(CAPersonList()).size(), c.persons);
    for (const std::shared_ptr<PWPerson> &person : persons.value_or(CAPersonList()))
        EXPECT_FALSE(person->stringForProperty(kPWFirstNameProperty).isEmpty());
    EXPECT_FALSE(problems.filter(c.problem).isEmpty()) << problems.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CATextFileJunkTest,
    testing::Values(
        JunkCase {"RandomBytes", randomBytes(0), 0, u"x.csv could not be read: the file holds binary data, not text."_s},
        JunkCase {"RandomBytesWithoutNul", randomBytes(1), 0, u"x.csv: the file holds binary data, not text"_s},
        JunkCase {"TextOfUnknownColumns", "alpha,beta\ngamma,delta\n", 0,
                  u"x.csv: No column of the file is known to hold a person field; no persons were read."_s},
        JunkCase {"RecordsWithNothingInTheKnownColumns", "First Name,Shoe Size\nAnna,38\n,41\nBo,40\n", 2,
                  u"x.csv: 1 of 3 records hold nothing in the columns read and were left out."_s}),
    [](const testing::TestParamInfo<JunkCase> &info) { return std::string(info.param.name); });

} // namespace
