#include "platform/PWPlist.h"
#include "platform/PWPlistValueCount.h"

#include "PlistSpellings.h"
#include "SharedBinaryPlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Entries differ by number, so that a writer that shares equal objects writes each apart.
PWPlist keyCountEntry(const QString &key, int number = 0)
{
    return PWPlist(PWPlist::Dictionary {{key, PWPlist::fromString(u"x"_s)}, {u"other"_s, PWPlist::fromInteger(number)}});
}

struct KeyCountCase {
    const char *name;
    PWPlist value;
    const char *key;
    qsizetype expected;
};

class PWPlistKeyCountTest : public ::testing::TestWithParam<KeyCountCase>
{
};

// Counted in both forms without building the tree, as the tree, once built, holds them.
TEST_P(PWPlistKeyCountTest, CountsTheDictionariesHoldingTheKeyInEitherForm)
{
    const QString key = QString::fromUtf8(GetParam().key);
    for (const QByteArray &bytes : {GetParam().value.toXml(), GetParam().value.toBinary()}) {
        SCOPED_TRACE(bytes.left(8).toStdString());
        EXPECT_EQ(PWPlist::countDictionariesHolding(bytes, key), std::optional<qsizetype>(GetParam().expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PWPlistKeyCountTest,
    ::testing::Values(
        KeyCountCase {"None", PWPlist(PWPlist::Array {PWPlist::fromString(u"Class ID"_s)}), "Class ID", 0},
        KeyCountCase {"TopLevel", keyCountEntry(u"Class ID"_s), "Class ID", 1},
        KeyCountCase {"Nested",
                      PWPlist(PWPlist::Dictionary {
                          {u"Class ID"_s, PWPlist::fromString(u"Panel"_s)},
                          {u"Components"_s, PWPlist(PWPlist::Array {keyCountEntry(u"Class ID"_s, 1), keyCountEntry(u"Class"_s, 2),
                                                                    keyCountEntry(u"Class ID"_s, 3)})}}),
                      "Class ID", 3},
        // A text value equal to the key is no key.
        KeyCountCase {"ValueIsNoKey", PWPlist(PWPlist::Dictionary {{u"name"_s, PWPlist::fromString(u"Class ID"_s)}}),
                      "Class ID", 0},
        KeyCountCase {"EscapedKey", PWPlist(PWPlist::Array {keyCountEntry(u"a<b & c"_s, 1), keyCountEntry(u"a<b & c"_s, 2)}),
                      "a<b & c", 2},
        KeyCountCase {"WideKey", keyCountEntry(u"Grüße"_s), "Grüße", 1}),
    [](const ::testing::TestParamInfo<KeyCountCase> &info) { return std::string(info.param.name); });

TEST(PWPlistKeyCountBytesTest, BytesOfNeitherFormCountNothing)
{
    for (const QByteArray &bytes : {QByteArray(), QByteArray("<key>Class ID</key>"), QByteArray("bplist00 cut")}) {
        EXPECT_EQ(PWPlist::countDictionariesHolding(bytes, u"Class ID"_s), std::nullopt) << bytes.toStdString();
        EXPECT_EQ(PWPlistValueCount::dictionariesHolding(bytes, u"Class ID"_s, u"Text"_s), std::nullopt);
        EXPECT_EQ(PWPlistValueCount::dataBytesUnder(bytes, u"Text Storage 2"_s), std::nullopt);
    }
}

// The values under a key, counted in both forms as the tree, once built, holds them: the
// dictionaries whose key holds a text, and the bytes of the data held under a key, whatever
// padding the XML form's Base64 needs for them.
TEST(PWPlistKeyCountBytesTest, CountsTheValuesUnderAKeyInEitherForm)
{
    const auto entry = [](const QString &classID, const PWPlist &stored, int number) {
        return PWPlist(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(classID)},
                                            {u"Text Storage 2"_s, stored},
                                            {u"other"_s, PWPlist::fromInteger(number)}});
    };
    PWPlist::Array entries;
    qint64 dataBytes = 0;
    for (const int size : {1000, 1, 2, 3, 0}) {
        entries.push_back(entry(u"Text"_s, PWPlist::fromData(QByteArray(size, char('a' + size % 26))), size));
        dataBytes += size;
    }
    // A text that is no data, a value equal to the class under another key, another class.
    entries.push_back(entry(u"Text"_s, PWPlist::fromString(u"not data"_s), 7));
    entries.push_back(PWPlist(PWPlist::Dictionary {{u"name"_s, PWPlist::fromString(u"Address Panel"_s)}}));
    entries.push_back(entry(u"Address Panel"_s, PWPlist::fromInteger(3), 8));
    const PWPlist value(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(u"Address Panel"_s)},
                                             {u"Components"_s, PWPlist(entries)}});
    for (const QByteArray &bytes : {value.toXml(), value.toBinary()}) {
        SCOPED_TRACE(bytes.left(8).toStdString());
        EXPECT_EQ(PWPlistValueCount::dictionariesHolding(bytes, u"Class ID"_s, u"Text"_s), std::optional<qsizetype>(6));
        EXPECT_EQ(PWPlistValueCount::dictionariesHolding(bytes, u"Class ID"_s, u"Address Panel"_s), std::optional<qsizetype>(2));
        EXPECT_EQ(PWPlistValueCount::dictionariesHolding(bytes, u"Class ID"_s, u"Address"_s), std::optional<qsizetype>(0));
        EXPECT_EQ(PWPlistValueCount::dataBytesUnder(bytes, u"Text Storage 2"_s), std::optional<qint64>(dataBytes));
        EXPECT_EQ(PWPlistValueCount::dataBytesUnder(bytes, u"other"_s), std::optional<qint64>(0));
        // Each value counted up to two bytes: 2 + 1 + 2 + 2 + 0.
        EXPECT_EQ(PWPlistValueCount::dataBytesUnder(bytes, u"Text Storage 2"_s, 2), std::optional<qint64>(7));
    }
}

} // namespace

namespace {

using PWPlistValueCount::Query;
using PWPlistValueCount::Tally;

const Query kTallyQuery {u"Class ID"_s, u"Address Panel"_s, {u"Text Storage 2"_s, u"Text Storage"_s}, 5};

// What the tree a reader builds holds, counted on the tree itself: the oracle of the counts in the bytes.
void tallyTree(const PWPlist &value, Tally *counted)
{
    ++counted->values;
    // A text as the least either form spells it: UTF-8 in XML, in binary one byte a character
    // when all are ASCII, else two.
    const auto textBytes = [](const QString &text) {
        const qint64 utf8 = text.toUtf8().size();
        return std::min(utf8, utf8 == text.size() ? utf8 : 2 * qint64(text.size()));
    };
    if (value.isString())
        counted->valueBytes += textBytes(value.toString());
    if (value.isData())
        counted->valueBytes += value.toData().size();
    for (const PWPlist &element : value.toArray())
        tallyTree(element, counted);
    if (!value.isDictionary())
        return;
    bool holdsData = false;
    for (const auto &[key, member] : value.toDictionary()) {
        ++counted->values;
        counted->valueBytes += textBytes(key);
        if (key == kTallyQuery.classKey) {
            ++counted->holdingClass;
            counted->holdingClassValue += member.isString() && member.toString() == kTallyQuery.classValue ? 1 : 0;
        }
        if (kTallyQuery.dataKeys.contains(key)) {
            holdsData = true;
            counted->dataBytes += member.toData().size();
            counted->dataBytesEachUpTo += std::min<qint64>(member.toData().size(), kTallyQuery.mostEach);
        }
        tallyTree(member, counted);
    }
    counted->holdingData += holdsData ? 1 : 0;
}

PWPlist tallyText(const QString &key, int size, int number)
{
    return PWPlist(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(u"Text"_s)},
                                        {key, PWPlist::fromData(QByteArray(size, 'q'))},
                                        {u"n"_s, PWPlist::fromInteger(number)}});
}

// Values as designs hold them: texts of both keys (equal texts a writer shares), panels holding
// texts, a dictionary holding both text keys, a component with a key of markup characters.
std::vector<std::pair<const char *, PWPlist>> tallyCases()
{
    const PWPlist sharedText = tallyText(u"Text Storage 2"_s, 9, 0);
    PWPlist::Array texts;
    for (int i = 0; i < 40; ++i)
        texts.append(i % 3 == 0 ? sharedText : tallyText(i % 2 ? u"Text Storage"_s : u"Text Storage 2"_s, i, i));
    const PWPlist panel(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(u"Address Panel"_s)},
                                             {u"Components"_s, PWPlist(PWPlist::Array {sharedText, sharedText})}});
    PWPlist::Array panels(12, panel);
    panels.append(PWPlist(PWPlist::Dictionary {{u"Class ID"_s, PWPlist::fromString(u"Address Panel"_s)},
                                               {u"Text Storage"_s, PWPlist::fromData("old")},
                                               {u"Text Storage 2"_s, PWPlist::fromData("current")}}));
    panels.append(PWPlist(PWPlist::Dictionary {{u"a<b & \"c\""_s, PWPlist::fromString(u"Grüße ≠ <x>"_s)},
                                               {u"Class ID"_s, PWPlist::fromInteger(4)}}));
    // Lists of lists of one shared list: the writer shares each level, the tree holds 3^6 copies.
    PWPlist nested(PWPlist::Array {sharedText});
    for (int level = 0; level < 6; ++level)
        nested = PWPlist(PWPlist::Array {nested, nested, nested});
    return {{"texts", PWPlist(PWPlist::Dictionary {{u"Components"_s, PWPlist(texts)}})},
            {"panels", PWPlist(PWPlist::Dictionary {{u"Components"_s, PWPlist(panels)}})},
            {"nested", nested}};
}

// Whatever the form, the counts in the bytes are those of the tree a reader builds from them: a
// shared object at every use, keys and texts in CDATA or in character references as they read.
TEST(PWPlistTallyTest, CountsWhatTheTreeTheBytesDecodeToHolds)
{
    for (const auto &[name, value] : tallyCases()) {
        const QByteArray xml = value.toXml();
        const QByteArray binary = value.toBinary();
        const struct
        {
            const char *form;
            QByteArray bytes;
        } forms[] = {{"xml", xml}, {"binary", binary}, {"shared", pwtest::sharedBinary(value)}, {"cdata", pwtest::respelledXml(xml, pwtest::XmlSpelling::Cdata)},
                     {"references", pwtest::respelledXml(xml, pwtest::XmlSpelling::References)}};
        for (const auto &form : forms) {
            SCOPED_TRACE(std::string(name) + " as " + form.form);
            ASSERT_NE(form.bytes, QByteArray());
            const std::optional<PWPlist> read = PWPlist::parse(form.bytes);
            ASSERT_TRUE(read.has_value());
            ASSERT_EQ(*read, value);
            Tally expected;
            tallyTree(*read, &expected);
            const std::optional<Tally> counted = PWPlistValueCount::tally(form.bytes, kTallyQuery);
            ASSERT_TRUE(counted.has_value());
            EXPECT_EQ(counted->values, expected.values);
            EXPECT_EQ(counted->holdingClass, expected.holdingClass);
            EXPECT_EQ(counted->holdingClassValue, expected.holdingClassValue);
            EXPECT_EQ(counted->holdingData, expected.holdingData);
            EXPECT_EQ(counted->dataBytes, expected.dataBytes);
            EXPECT_EQ(counted->dataBytesEachUpTo, expected.dataBytesEachUpTo);
            // The XML form's bytes are those written, never fewer than those read.
            EXPECT_GE(counted->valueBytes, expected.valueBytes);
            EXPECT_EQ(PWPlist::countDictionariesHolding(form.bytes, u"Class ID"_s), expected.holdingClass);
        }
    }
}

// A binary list written by hand: objects 0..count-1 of the given markers and references.
QByteArray binaryOf(const std::vector<QByteArray> &objects, quint64 top = 0)
{
    QByteArray bytes = "bplist00";
    std::vector<quint64> offsets;
    for (const QByteArray &object : objects) {
        offsets.push_back(quint64(bytes.size()));
        bytes += object;
    }
    const quint64 table = quint64(bytes.size());
    for (const quint64 offset : offsets) {
        bytes += char(offset >> 8);
        bytes += char(offset & 0xFF);
    }
    QByteArray trailer(32, '\0');
    trailer[6] = 2;
    trailer[7] = 1;
    for (int i = 0; i < 8; ++i) {
        trailer[8 + i] = char(quint64(objects.size()) >> (8 * (7 - i)));
        trailer[16 + i] = char(top >> (8 * (7 - i)));
        trailer[24 + i] = char(table >> (8 * (7 - i)));
    }
    return bytes + trailer;
}

// Sharing multiplies: a list holding another twice, sixty levels down, makes 2^60 copies of its
// last text; they are counted in a pass over the sixty objects, and a count past the largest
// number stays the largest. A reference cycle or one out of the table is damage, counted as no list.
TEST(PWPlistTallyTest, SharedListsMultiplyAndDamageIsNoList)
{
    for (const int levels : {10, 60, 70}) {
        SCOPED_TRACE(levels);
        std::vector<QByteArray> objects;
        for (int i = 0; i < levels; ++i)
            objects.push_back(QByteArray("\xA2") + char(i + 1) + char(i + 1));
        objects.push_back(QByteArray("\x43") + "abc");
        const std::optional<Tally> counted = PWPlistValueCount::tally(binaryOf(objects), kTallyQuery);
        ASSERT_TRUE(counted.has_value());
        const qint64 copies = levels < 63 ? qint64(1) << levels : std::numeric_limits<qint64>::max();
        EXPECT_EQ(counted->valueBytes, levels < 62 ? 3 * copies : std::numeric_limits<qint64>::max());
        EXPECT_EQ(counted->values, levels < 62 ? 2 * copies - 1 : std::numeric_limits<qint64>::max());
    }
    // Object 1 refers back to 0.
    EXPECT_EQ(PWPlistValueCount::tally(binaryOf({QByteArray("\xA1\x01", 2), QByteArray("\xA1\x00", 2)}), kTallyQuery),
              std::nullopt);
    // Object 0 refers to object 7 of two.
    EXPECT_EQ(PWPlistValueCount::tally(binaryOf({QByteArray("\xA1\x07", 2), QByteArray("\x08", 1)}), kTallyQuery),
              std::nullopt);
}

// Values whose data of many bytes the XML form writes apart from the rest of its text, standing at
// every depth from the top to past the deepest indent of their lines, under a text's key and any
// other, of sizes about the least written apart and about a line's length, with dates beside them;
// and the same beside keys the XML form makes equal, where nothing is written apart.
std::vector<std::pair<const char *, PWPlist>> largeDataCases()
{
    PWPlist::Array entries;
    for (const qsizetype size : {1023, 1024, 1025, 3000, 65536 + 7}) {
        for (const QString &key : {u"Text Storage 2"_s, u"Picture"_s}) {
            PWPlist value = PWPlist::fromData(QByteArray(size, char('a' + size % 26)));
            for (int depth = 0; depth < 12; ++depth) {
                value = depth % 2 ? PWPlist(PWPlist::Array {value, PWPlist::fromReal(depth / 3.0)})
                                  : PWPlist(PWPlist::Dictionary {{key, value},
                                                                 {u"Class ID"_s, PWPlist::fromString(u"Picture"_s)},
                                                                 {u"When"_s, PWPlist::fromDate(QDateTime::fromSecsSinceEpoch(
                                                                                 1700000000 + depth, Qt::UTC))}});
                entries.append(value);
            }
        }
    }
    const PWPlist large(PWPlist::Dictionary {{u"Components"_s, PWPlist(entries)}});
    PWPlist::Dictionary colliding = large.toDictionary();
    colliding.insert(u"a\x01"_s, PWPlist::fromData(QByteArray(2000, 'x')));
    colliding.insert(u"a"_s, PWPlist::fromData(QByteArray(1500, 'y')));
    return {{"large data", large}, {"colliding keys", PWPlist(colliding)}};
}

// The XML form counted without its large data written is counted as the bytes it writes.
TEST(PWPlistTallyTest, TheXmlFormIsCountedAsItIsWrittenWithoutWritingItsLargeData)
{
    std::vector<std::pair<const char *, PWPlist>> cases = tallyCases();
    for (auto &large : largeDataCases())
        cases.push_back(std::move(large));
    for (const auto &[name, value] : cases) {
        SCOPED_TRACE(name);
        const std::optional<Tally> written = PWPlistValueCount::tally(value.toXml(), kTallyQuery);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(PWPlistValueCount::tallyOfXmlForm(value, kTallyQuery), written);
    }
    EXPECT_EQ(PWPlistValueCount::tallyOfXmlForm(PWPlist(), kTallyQuery),
              PWPlistValueCount::tally(PWPlist().toXml(), kTallyQuery));
}

} // namespace
