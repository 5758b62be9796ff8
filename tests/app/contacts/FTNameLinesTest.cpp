// Name and company lines, and the word lists they are recognised by: the application's English
// lists, which hold "Dr" and "Mr" as titles and "Jr" as a suffix.
#include "RecognitionTestSupport.h"

#include "app/contacts/FTNameLines.h"
#include "platform/PWBundle.h"

namespace {

using recognitiontest::expectFields;
using recognitiontest::Fields;

TEST(NameLines, SplitIntoPrefixNamesAndSuffix)
{
    const struct
    {
        const char *line;
        Fields fields;
    } cases[] = {
        {"Dr. Mary Ann Baker", {.prefix = u"Dr"_s, .first = u"Mary Ann"_s, .last = u"Baker"_s}},
        {"John Smith Jr.", {.first = u"John"_s, .last = u"Smith"_s, .suffix = u"Jr"_s}},
        {"Mr. Jr.", {.prefix = u"Mr"_s, .suffix = u"Jr"_s}},
        // A single word is never tested against the lists, and keeps its point.
        {"Cher", {.first = u"Cher"_s}},
        {"Dr.", {.first = u"Dr."_s}},
        {"Dr. Baker", {.prefix = u"Dr"_s, .first = u"Baker"_s}},
        {"Baker Jr", {.first = u"Baker"_s, .suffix = u"Jr"_s}},
        // Only one mark is stripped, and only from the end.
        {"Dr.: Mary Baker", {.first = u"Dr.: Mary"_s, .last = u"Baker"_s}},
        {"mrs: Jane Doe", {.prefix = u"mrs"_s, .first = u"Jane"_s, .last = u"Doe"_s}},
        {"Sir Elton John III", {.prefix = u"Sir"_s, .first = u"Elton"_s, .last = u"John"_s, .suffix = u"III"_s}},
        {"Baker, Mary", {.first = u"Baker,"_s, .last = u"Mary"_s}},
        // Case does not matter.
        {"PROF. Ada Lovelace", {.prefix = u"PROF"_s, .first = u"Ada"_s, .last = u"Lovelace"_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        CAPersonDictionary dictionary = emptyPersonDictionary();
        parseNameLine(QString::fromUtf8(c.line), dictionary);
        expectFields(dictionary, c.fields);
    }
}

TEST(NameLines, MatchingStripsOneMarkAndIgnoresCase)
{
    EXPECT_TRUE(wordMatchesList(u"MME."_s, kPrefixArrayKey));
    EXPECT_TRUE(wordMatchesList(u"Esq,"_s, kSuffixArrayKey));
    EXPECT_FALSE(wordMatchesList(u"Esq.,"_s, kSuffixArrayKey));
    EXPECT_FALSE(wordMatchesList(QString(), kPrefixArrayKey));
    EXPECT_FALSE(wordMatchesList(u"."_s, kPrefixArrayKey));
    EXPECT_FALSE(wordMatchesList(u"Drs"_s, kPrefixArrayKey));
}

TEST(NameLines, SearchFindsTheFirstLineWithATitleOrSuffix)
{
    const struct
    {
        QStringList lines;
        int found;
    } cases[] = {
        {{u"Acme Widgets"_s, u"Mr. Tom Hartley"_s}, 1},
        {{u"Acme Widgets"_s, u"Tom Hartley Jr"_s, u"Dr. Who"_s}, 1},
        {{u"Mary Ann Baker"_s, u"Acme Widgets"_s}, -1},
        {{u"Dr. Mary Ann Baker"_s}, 0},
        // A line of one word is both its first and its last word.
        {{u"Acme"_s, u"Esq."_s}, 1},
        {{u"Mister Tom"_s, u"Tommy Junior"_s}, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lines.join(u" / "_s).toStdString());
        EXPECT_EQ(searchPrefixSuffix(c.lines), c.found);
    }
}

TEST(CompanyLines, SplitAtPointsElseCommas)
{
    const struct
    {
        const char *text;
        const char *company;
        const char *department;
    } cases[] = {
        {"Acme Widgets", "Acme Widgets", ""},
        {"Acme Inc. Sales", "Acme Inc.", " Sales"},
        {"A.B. Smith Co. Research", "A.B. Smith Co", " Research"},
        {"Acme,Sales", "Acme,", "Sales"},
        {"Acme Inc.", "Acme Inc.", ""},
        // A point wins over a comma.
        {"Smith,Jones. Legal", "Smith,Jones.", " Legal"},
        {"Acme,Sales,East", "Acme,Sales", "East"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        CAPersonDictionary dictionary = emptyPersonDictionary();
        parseCompanyLine(QString::fromUtf8(c.text), dictionary);
        expectFields(dictionary, {.company = QString::fromUtf8(c.company), .department = QString::fromUtf8(c.department)});
    }
}

// The lists are entries of the English strings; every one is there and none is empty.
TEST(WordLists, AreEntriesOfTheStrings)
{
    PWBundle &bundle = PWBundle::mainBundle();
    for (const QString &key : {kPrefixArrayKey, kSuffixArrayKey, kOtherPrefixArrayKey}) {
        const QString words = bundle.localizedString(key, u"<missing>"_s);
        EXPECT_NE(words, u"<missing>"_s) << key.toStdString();
        EXPECT_FALSE(words.split(u' ', Qt::SkipEmptyParts).isEmpty()) << key.toStdString();
        // Single blanks only: a doubled blank would make an empty word.
        EXPECT_FALSE(words.contains(u"  "_s)) << key.toStdString();
    }
    EXPECT_TRUE(wordMatchesList(u"Dr."_s, kPrefixArrayKey));
    EXPECT_TRUE(wordMatchesList(u"Mr"_s, kPrefixArrayKey));
    EXPECT_TRUE(wordMatchesList(u"Jr."_s, kSuffixArrayKey));
    EXPECT_TRUE(wordMatchesList(u"Tel:"_s, kOtherPrefixArrayKey));
    EXPECT_TRUE(wordMatchesList(u"Tel.:"_s, kOtherPrefixArrayKey));
    EXPECT_TRUE(wordMatchesList(u"E-mail:"_s, kOtherPrefixArrayKey));
}

} // namespace
