#include "platform/PWFont.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct NameCase { const char *postScriptName, *family; QFont::Weight weight; bool italic; };

using PostScriptNameTest = testing::TestWithParam<NameCase>;

TEST_P(PostScriptNameTest, GivesFamilyAndStyle)
{
    const NameCase &c = GetParam();
    const PWFont::Style style = PWFont::parsePostScriptName(QString::fromLatin1(c.postScriptName));
    EXPECT_EQ(style.family, QString::fromLatin1(c.family));
    EXPECT_EQ(style.weight, c.weight);
    EXPECT_EQ(style.italic, c.italic);
}

const NameCase kNames[] = {
    NameCase {"Helvetica-BoldOblique", "Helvetica", QFont::Bold, true},
    NameCase {"Helvetica", "Helvetica", QFont::Normal, false},
    NameCase {"TimesNewRomanPSMT", "Times New Roman", QFont::Normal, false},
    NameCase {"TimesNewRomanPS-BoldItalicMT", "Times New Roman", QFont::Bold, true},
    NameCase {"Times-Roman", "Times", QFont::Normal, false},
    NameCase {"HelveticaNeue-Light", "Helvetica Neue", QFont::Light, false},
    NameCase {"AvenirNext-DemiBoldItalic", "Avenir Next", QFont::DemiBold, true},
    NameCase {"Futura-CondensedExtraBold", "Futura", QFont::ExtraBold, false},
    NameCase {"ITCAvantGardeStd-Bk", "ITC Avant Garde Std", QFont::Normal, false},
    // An installed family is found by its name without spaces.
    NameCase {"DejaVuSans-Bold", "DejaVu Sans", QFont::Bold, false},
    // A name with spaces is a family name as it stands.
    NameCase {"Lucida Grande", "Lucida Grande", QFont::Normal, false}};

// Names are asked for over and over, those of one family next to each other: each keeps its own
// answer however often and in whatever order it is asked.
TEST(PostScriptNameRepeatTest, EachNameKeepsItsOwnStyleWhenAskedAgainInAnyOrder)
{
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            const NameCase &c = kNames[round == 1 ? std::size(kNames) - 1 - i : i];
            const PWFont::Style style = PWFont::parsePostScriptName(QString::fromLatin1(c.postScriptName));
            EXPECT_EQ(style, (PWFont::Style {QString::fromLatin1(c.family), c.weight, c.italic})) << c.postScriptName << " round " << round;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, PostScriptNameTest,
    testing::ValuesIn(kNames),
    [](const auto &info) {
        return QString::fromLatin1(info.param.postScriptName).replace(QLatin1Char('-'), QLatin1Char('_')).remove(QLatin1Char(' ')).toStdString();
    });

TEST(PWFontTest, StoredNameIsKeptWhileItStillDescribesTheFont)
{
    const PWFont stored(QStringLiteral("Helvetica-BoldOblique"), 12.0);
    QFont font = stored.toQFont();
    EXPECT_EQ(PWFont::fromQFont(font, stored.postScriptName()).postScriptName(),
              QStringLiteral("Helvetica-BoldOblique"));
    // Made upright by the user: the stored name no longer says what the font is.
    font.setItalic(false);
    EXPECT_EQ(PWFont::fromQFont(font, stored.postScriptName()).postScriptName(), QStringLiteral("Helvetica-Bold"));
    font.setFamilies({QStringLiteral("DejaVu Serif")});
    font.setPointSizeF(9.0);
    const PWFont changed = PWFont::fromQFont(font, stored.postScriptName());
    EXPECT_EQ(changed.postScriptName(), QStringLiteral("DejaVuSerif-Bold"));
    EXPECT_DOUBLE_EQ(changed.pointSize(), 9.0);
}

TEST(PWFontTest, NamesMadeFromQFontsParseBackToTheSameStyle)
{
    for (const QFont::Weight weight : {QFont::Thin, QFont::ExtraLight, QFont::Light, QFont::Normal, QFont::Medium,
                                       QFont::DemiBold, QFont::Bold, QFont::ExtraBold, QFont::Black}) {
        for (const bool italic : {false, true}) {
            QFont font;
            font.setFamilies({QStringLiteral("Liberation Sans")});
            font.setWeight(weight);
            font.setItalic(italic);
            const PWFont::Style style = PWFont::parsePostScriptName(PWFont::postScriptNameFor(font));
            EXPECT_EQ(style, (PWFont::Style {QStringLiteral("Liberation Sans"), weight, italic}))
                << PWFont::postScriptNameFor(font).toStdString();
        }
    }
}

} // namespace
