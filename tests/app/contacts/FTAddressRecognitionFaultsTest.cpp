// Texts the fixed line tables cannot place tidily: the reading stays inside the text's lines and
// words, and the person built from any answer carries every field.
#include "RecognitionTestSupport.h"

#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPlist.h"

namespace {

using recognitiontest::expectFields;
using recognitiontest::Fields;
using recognitiontest::lines;

// A title line below the company when no street or company line follows: the company runs up to
// the next line that plays a part, never past the last line.
TEST(RecognitionFaults, CompanyWithoutAnEndLineStaysInsideTheText)
{
    expectFields(parseServiceText(lines("Acme Widgets / Springfield IL 62704 / Research Division / Mr. Tom Hartley")),
                 {.prefix = u"Mr"_s, .first = u"Tom"_s, .last = u"Hartley"_s, .company = u"Acme Widgets"_s,
                  .city = u"Springfield"_s, .state = u"IL"_s, .zip = u"62704"_s, .country = u"Mr. Tom Hartley"_s});
    expectFields(parseServiceText(lines("Springfield IL 62704 / Tom Hartley Jr.")),
                 {.first = u"Tom"_s, .last = u"Hartley"_s, .suffix = u"Jr"_s, .company = u"Springfield IL 62704"_s,
                  .city = u"Springfield"_s, .state = u"IL"_s, .zip = u"62704"_s, .country = u"Tom Hartley Jr."_s});

    // With no later line playing a part, the company ends at the last line; the name line is
    // not part of it.
    const QStringList text = {u"Acme"_s, u"Research"_s, u"Mr. Tom Hartley"_s, u"Building West"_s};
    expectFields(fillPersonDictionaryWithLines(text, CAAddressLineRoles(), u"us"_s, -1),
                 {.prefix = u"Mr"_s, .first = u"Tom"_s, .last = u"Hartley"_s,
                  .company = u"Acme Research Building West"_s});
}

// A street line whose code ends it with fewer than two words before the code fills only the
// fields those words give.
TEST(RecognitionFaults, StreetAndCodeLineWithFewWordsBeforeTheCode)
{
    const struct
    {
        const char *text;
        Fields fields;
    } cases[] = {
        {"Mary Ann Baker / 12 62704", {.first = u"Mary Ann"_s, .last = u"Baker"_s, .state = u"12"_s, .zip = u"62704"_s}},
        {"Tom Hartley / 14 OX2 6QT", {.first = u"Tom"_s, .last = u"Hartley"_s, .state = u"14"_s, .zip = u"OX2 6QT"_s}},
        {"Paul Tremblay / 350 H2X 1Y4",
         {.first = u"Paul"_s, .last = u"Tremblay"_s, .state = u"350"_s, .zip = u"H2X 1Y4"_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        expectFields(parseServiceText(lines(c.text)), c.fields);
    }
}

// Texts of any shape give all eleven keys, without reading outside their lines.
TEST(RecognitionFaults, OddTextsGiveAllKeys)
{
    const char *texts[] = {
        ",", ", ,", "\n\n,\n", "@", "12345", "12345 12345 12345", "A1\nB2\nC3\nD4\nE5\nF6", "Dr.\nJr.",
        "Mr.", "OX2 6QT", "H2X 1Y4", "10115", "1 2 3 4 5 6 7 8 9 10", "\u2028\u2029\u0085", "Jr.\n12 62704",
    };
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        const CAPersonDictionary dictionary = parseServiceText(QString::fromUtf8(text));
        EXPECT_EQ(dictionary.keys(), emptyPersonDictionary().keys());
    }
}

TEST(RecognitionCleaning, WordsAndLines)
{
    EXPECT_EQ(splitServiceTextLines(u"a\r\nb\rc\nd\u0085e\u2028f\u2029g"_s),
              (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s}));
    EXPECT_EQ(splitServiceTextLines(u" a \n\n b\n"_s), (QStringList{u"a"_s, QString(), u"b"_s}));
    EXPECT_EQ(arrayByTrimmingCharacters({u"Springfield,  IL\t62704"_s, u"Springfield , IL"_s, u","_s, QString(),
                                         u"a,, b"_s, u"\u00a0 x"_s}),
              (QStringList{u"Springfield IL\t62704"_s, u"Springfield  IL"_s, u"a, b"_s, u"x"_s}));
}

TEST(RecognitionCleaning, LinesThatAreNoPartOfAnAddress)
{
    const struct
    {
        const char *line;
        bool kept;
    } cases[] = {
        {"Tel: 555 1234", false},         {"tel. 555", false},          {"Phone- 12", false},
        {"E-mail: a", false},             {"Fax 1", false},             {"Telephone", false},
        {"Telegraph Road 12", true},      {"(555) 123-4567", false},    {"555.123.4567", true},
        {"555 123 456", true},            {"+1 (555) 123-4567", false}, {"030/1234567-89", false},
        {"mary@example.com", false},      {"Flat 1 @ The Mill", false}, {"1234567890", false},
        {"123456789", true},              {"12345 6789 x", true},       {"Suite 12345-67890", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(deleteUnneededLine({QString::fromUtf8(c.line)}).size(), c.kept ? 1 : 0);
    }
}

TEST(RecognitionPerson, BuiltFromTheDictionaryWithOneWorkAddress)
{
    const Fields fields = {.prefix = u"Dr"_s, .first = u"Mary Ann"_s, .last = u"Baker"_s, .suffix = u"PhD"_s,
                           .company = u"Acme Inc."_s, .department = u" Sales"_s, .street = u"1200 Harbor Boulevard"_s,
                           .city = u"Springfield"_s, .state = u"IL"_s, .zip = u"62704"_s, .country = u"USA"_s};
    const auto person = initABPersonWithDictionary(fields.dictionary());
    ASSERT_TRUE(person);
    EXPECT_EQ(person->stringForProperty(kPWTitleProperty), u"Dr"_s);
    EXPECT_EQ(person->stringForProperty(kPWFirstNameProperty), u"Mary Ann"_s);
    EXPECT_EQ(person->stringForProperty(kPWLastNameProperty), u"Baker"_s);
    EXPECT_EQ(person->stringForProperty(kPWSuffixProperty), u"PhD"_s);
    EXPECT_EQ(person->stringForProperty(kPWOrganizationProperty), u"Acme Inc."_s);
    EXPECT_EQ(person->stringForProperty(u"ABDepartment"_s), u" Sales"_s);
    const std::optional<PWMultiValue> addresses = person->multiValueForProperty(kPWAddressProperty);
    ASSERT_TRUE(addresses);
    ASSERT_EQ(addresses->count(), 1);
    EXPECT_EQ(addresses->labelAtIndex(0), kPWAddressWorkLabel);
    const PWPlist::Dictionary address = addresses->valueAtIndex(0).toDictionary();
    EXPECT_EQ(address.keys(), (QStringList{kPWAddressStreetKey, kPWAddressCityKey, kPWAddressStateKey,
                                           kPWAddressZIPKey, kPWAddressCountryKey}));
    EXPECT_EQ(address.value(kPWAddressStreetKey).toString(), u"1200 Harbor Boulevard"_s);
    EXPECT_EQ(address.value(kPWAddressCityKey).toString(), u"Springfield"_s);
    EXPECT_EQ(address.value(kPWAddressStateKey).toString(), u"IL"_s);
    EXPECT_EQ(address.value(kPWAddressZIPKey).toString(), u"62704"_s);
    EXPECT_EQ(address.value(kPWAddressCountryKey).toString(), u"USA"_s);

    // An empty form still gives an address of five empty texts.
    const auto empty = initABPersonWithDictionary(emptyPersonDictionary());
    const PWPlist::Dictionary emptyAddress = empty->multiValueForProperty(kPWAddressProperty)->valueAtIndex(0).toDictionary();
    EXPECT_EQ(emptyAddress.size(), 5);
    for (const auto &[key, value] : emptyAddress) {
        EXPECT_TRUE(value.isString()) << key.toStdString();
        EXPECT_TRUE(value.toString().isEmpty()) << key.toStdString();
    }
}

} // namespace

namespace {

// Control characters pasted with an address (a terminal's colours, DEL, byte-order marks,
// direction marks) reach no field: the text reads as the same text without them.
TEST(RecognitionFaults, ControlCharactersReachNoField)
{
    const struct
    {
        const char *name;
        QString text;
    } cases[] = {
        {"colour sequences", u"\x1b[1;31mJane\x1b[0m Doe / 1 Main St / Springfield, IL 62701\x1b[K"_s},
        {"a title sequence", u"\x1b]0;window title\aJane Doe / 1 Main St / Springfield, IL 62701"_s},
        {"a character set switch", u"Jane Doe\x1b(B / 1 Main St / Springfield, IL 62701"_s},
        {"DEL and bell", u"Ja\x7fne Doe\a / 1 Main St / Springfield, IL 62701"_s},
        {"byte-order marks", u"\ufeffJane Doe / 1 Main St / Springfield, IL \ufeff62701"_s},
        {"NUL and C1 controls", u"Jane\0 Doe / 1 Main\u009b1m St / Springfield,\u0080 IL 62701"_s},
        {"direction marks", u"\u202eJane Doe\u202c / 1 Main St\u200f / Springfield, IL 62701"_s},
        {"a tab between words", u"Jane\tDoe / 1 Main St / Springfield, IL 62701"_s},
    };
    const CAPersonDictionary expected = parseServiceText(lines("Jane Doe / 1 Main St / Springfield, IL 62701"));
    ASSERT_EQ(expected.value(kPersonCityKey), u"Springfield"_s);
    ASSERT_EQ(expected.value(kPersonFirstNameKey), u"Jane"_s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const CAPersonDictionary read = parseServiceText(QString(c.text).replace(u" / "_s, u"\n"_s));
        EXPECT_EQ(read, expected);
        for (const QString &value : read)
            for (const QChar character : value)
                EXPECT_FALSE(character.category() == QChar::Other_Control || character.category() == QChar::Other_Format)
                    << "U+" << QString::number(character.unicode(), 16).toStdString();
    }
}

} // namespace
