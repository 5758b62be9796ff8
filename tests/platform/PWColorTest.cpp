#include "platform/PWColor.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const PWColor &color, std::ostream *os)
{
    *os << "PWColor(space " << int(color.colorSpace()) << ", " << color.toQColor().name(QColor::HexArgb).toStdString()
        << ", \"" << color.catalogName().toStdString() << "/" << color.colorName().toStdString() << "\")";
}

namespace {

TEST(PWColorTest, EqualOnlyInTheSameSpaceWithTheSameComponents)
{
    EXPECT_NE(PWColor::calibratedRGB(1, 0, 0, 1), PWColor::deviceRGB(1, 0, 0, 1));
    EXPECT_NE(PWColor::calibratedRGB(1, 0, 0, 1), PWColor::calibratedRGB(1, 0, 0, 0.5f));
    EXPECT_NE(PWColor::named(QStringLiteral("System"), QStringLiteral("textColor"), 0, 0, 0),
              PWColor::named(QStringLiteral("System"), QStringLiteral("labelColor"), 0, 0, 0));
}

TEST(PWColorTest, WithAlphaKeepsSpaceComponentsAndName)
{
    const PWColor named = PWColor::named(QStringLiteral("Crayons"), QStringLiteral("Sky"), 0.4f, 0.8f, 1, 1);
    EXPECT_EQ(named.withAlpha(0.25f), PWColor::named(QStringLiteral("Crayons"), QStringLiteral("Sky"), 0.4f, 0.8f, 1, 0.25f));
    EXPECT_EQ(named.withAlpha(0.25f).withAlpha(1), named);
}

struct QColorCase { const char *name; PWColor color; QColor expected; };

using PWColorToQColor = ::testing::TestWithParam<QColorCase>;

TEST_P(PWColorToQColor, DrawsAsTheSameColour)
{
    const QColor actual = GetParam().color.toQColor();
    const QColor expected = GetParam().expected;
    EXPECT_NEAR(actual.redF(), expected.redF(), 1.0 / 255);
    EXPECT_NEAR(actual.greenF(), expected.greenF(), 1.0 / 255);
    EXPECT_NEAR(actual.blueF(), expected.blueF(), 1.0 / 255);
    EXPECT_NEAR(actual.alphaF(), expected.alphaF(), 1.0 / 255);
}

INSTANTIATE_TEST_SUITE_P(
    Spaces, PWColorToQColor,
    ::testing::Values(
        QColorCase {"rgb", PWColor::calibratedRGB(1, 0.5f, 0, 0.5f), QColor::fromRgbF(1, 0.5f, 0, 0.5f)},
        QColorCase {"white", PWColor::calibratedWhite(0.48f, 1), QColor::fromRgbF(0.48f, 0.48f, 0.48f, 1)},
        QColorCase {"cmyk", PWColor::deviceCMYK(0, 1, 1, 0, 1), QColor(255, 0, 0)},
        QColorCase {"named", PWColor::named(QStringLiteral("C"), QStringLiteral("N"), 0, 0, 1, 1), QColor(0, 0, 255)},
        QColorCase {"outOfRangeIsClamped", PWColor::deviceRGB(1.2f, -0.1f, 0.5f, 2), QColor::fromRgbF(1, 0, 0.5f, 1)}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
