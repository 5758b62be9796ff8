#include "kernel/base/FTMacRoman.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

// Spot checks from the published Mac Roman table, across its rows and its revisions.
TEST(MacRomanTest, MapsThePublishedCodePointsOneToOneAndRefusesTheRest)
{
    const std::pair<char16_t, unsigned char> cases[] = {{u'A', 0x41}, {u'\u00c4', 0x80}, {u'\u2020', 0xa0}, {u'\u00a0', 0xca},
        {u'\u20ac', 0xdb}, {u'\uf8ff', 0xf0}, {u'\u02c7', 0xff}};
    for (const auto &[unit, byte] : cases)
        EXPECT_EQ(macRomanByte(unit).value_or('\0'), char(byte)) << int(unit);
    for (char16_t unit : {u'\u00a4', u'\u00a6', u'\u00b2', u'\u00bd', u'\u00d0', u'\u00d7', u'\u00dd', u'\u00fe', u'\u2603', char16_t(0xd834)})
        EXPECT_FALSE(macRomanByte(unit).has_value()) << int(unit);
    // Exactly 128 code points outside ASCII map, each to its own byte of the upper half.
    QSet<unsigned char> bytes;
    int mapped = 0;
    for (char32_t unit = 0x80; unit < 0x10000; ++unit)
        if (const std::optional<char> byte = macRomanByte(static_cast<char16_t>(unit)); byte && static_cast<unsigned char>(*byte) >= 0x80 && ++mapped)
            bytes.insert(static_cast<unsigned char>(*byte));
    EXPECT_EQ(std::pair(mapped, int(bytes.size())), std::pair(128, 128));
}

TEST(MacRomanTest, PascalStringHoldsAtMost255Bytes)
{
    EXPECT_EQ(toMacRomanPascal(u"caf\u00e9"), QByteArray("caf\x8e"));
    EXPECT_EQ(toMacRomanPascal(QString(255, QLatin1Char('x'))).value_or(QByteArray()).size(), 255);
    EXPECT_FALSE(toMacRomanPascal(QString(256, QLatin1Char('x'))).has_value());
    EXPECT_FALSE(toMacRomanPascal(u"snow \u2603").has_value());
    EXPECT_EQ(toMacRomanPascal(u""), QByteArray());
}

} // namespace
