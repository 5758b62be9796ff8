#include "platform/PWPlist.h"
#include "platform/PWPlistValueCount.h"

#include <gtest/gtest.h>

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
