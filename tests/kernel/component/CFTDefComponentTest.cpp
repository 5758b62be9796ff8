#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWTextAttributes.h"

#include <QTextDocument>

#include <functional>

#include <gtest/gtest.h>

namespace {

TEST(CFTDefComponentBoxTest, OnlyItsOwnKeysAreSavedAndTheyLoadBack)
{
    CFTDefComponentBox saved;
    saved.Init();
    saved.SetLineWidth(2.5);
    saved.SetFilled(false);
    CDDArchive archive(true);
    ASSERT_TRUE(saved.Serialize(archive, nullptr));
    EXPECT_EQ(archive.getDict().toDictionary().size(), 5) << "only its own keys";
    archive.setStoring(false);
    CFTDefComponentBox loaded;
    loaded.Serialize(archive, nullptr);
    EXPECT_TRUE(!loaded.IsFilled() && loaded.IsStroked());
    EXPECT_EQ(loaded.GetStrokeWidth(), 2.5f);
    EXPECT_EQ(*loaded.GetFillColor(), CDDColor(0, 0, 0, 0.5f));
}

TEST(CFTDefComponentTextTest, ColoursAndFontCommandsEditTheDefaultStyle)
{
    CFTDefComponentText text;
    const CDDColor yellow(1, 1, 0, 1), blue(0, 0, 1, 1);
    text.SetFillColor(&yellow);
    text.SetStrokeColor(&blue);
    EXPECT_TRUE(text.GetHaveBackColor() && text.IsStroked());
    EXPECT_EQ(text.GetFontAttr(nullptr)->foreground().color(), QColor(Qt::blue));
    CFTDefComponentText bold;
    bold.SetFont(PWFont(QStringLiteral("DejaVuSans-Bold"), 10));
    bold.ChangeFontSize(1.0);
    bold.raiseBaseline();
    bold.tightenKerning();
    const QTextCharFormat style = *bold.GetFontAttr(nullptr);
    EXPECT_EQ(style.fontPointSize(), 11);
    EXPECT_NEAR(QLineF(style.doubleProperty(PWTextAttributes::BaselineOffset),
                       style.doubleProperty(PWTextAttributes::Kerning), 0.1, -0.1)
                    .length(),
                0, 1e-6);
    bool mixed = true;
    EXPECT_EQ(bold.GetFont(&mixed), PWFont(QStringLiteral("DejaVuSans-Bold"), 11));
    EXPECT_FALSE(mixed);
    EXPECT_TRUE(bold.IsEqualFont(PWFont(QStringLiteral("DejaVuSans-Bold"), 11)));
    EXPECT_FALSE(bold.IsEqualFont(PWFont(QStringLiteral("DejaVuSans"), 11)));
}

TEST(CFTDefComponentTextTest, OlderFilesFontIsAppliedAndTheDefaultTextStyleSurvivesASave)
{
    CDDArchive archive(true);
    const PWFont font(QStringLiteral("DejaVuSerif-Italic"), 17);
    archive.SetData(key_Font, &font);
    archive.SetData(key_HorizontalAlignment, int(taCenter));
    archive.SetData(key_Shadow, true);
    archive.setStoring(false);
    CFTDefComponentText text;
    ASSERT_TRUE(text.Serialize(archive, nullptr));
    EXPECT_EQ(text.GetFont(nullptr), font);
    EXPECT_EQ(text.GetAlignment(), taCenter);
    EXPECT_TRUE(text.IsShadowed() && text.GetText()->isEmpty());
    CFTDefComponentText saved;
    saved.Init();
    saved.SetFont(PWFont(QStringLiteral("DejaVuSerif-Bold"), 21));
    saved.setKerning(0.5f);
    CDDArchive savedArchive(true);
    saved.Serialize(savedArchive, nullptr);
    savedArchive.setStoring(false);
    CFTDefComponentText loaded;
    ASSERT_TRUE(loaded.Serialize(savedArchive, nullptr));
    EXPECT_EQ(loaded.GetFont(nullptr), PWFont(QStringLiteral("DejaVuSerif-Bold"), 21));
    EXPECT_NEAR(loaded.GetFontAttr(nullptr)->doubleProperty(PWTextAttributes::Kerning), 0.5, 1e-6);
    EXPECT_TRUE(loaded.GetText()->isEmpty());
}

// The settings are the style new texts are made in: each command must leave them as it leaves a
// text of the same style, whose contents is empty as the settings' always is.
struct StyleCommand
{
    const char *name;
    std::function<void(CFTComponent &)> onSettings;
    std::function<void(CDDText &)> onText;
};

class DefaultTextCommand : public ::testing::TestWithParam<StyleCommand>
{
};

TEST_P(DefaultTextCommand, ChangesTheSettingsAsItChangesAnEmptyText)
{
    CFTDefComponentText settings;
    settings.Init();
    CDDText text;
    text.SetDefaultFont();
    const PWFont font(QStringLiteral("DejaVuSerif-Bold"), 10);
    settings.SetFont(font);
    text.SetFont(font);
    GetParam().onSettings(settings);
    GetParam().onText(text);
    EXPECT_EQ(settings.GetFontAttr(nullptr), text.GetFontAttr());
    EXPECT_DOUBLE_EQ(settings.getDefXSpacing(), text.getDefXSpacing());
}

QTextCharFormat redOnly()
{
    QTextCharFormat format;
    format.setForeground(QColor(Qt::red));
    return format;
}

INSTANTIATE_TEST_SUITE_P(Commands, DefaultTextCommand,
                         ::testing::Values(
                             // Attributes replace the style: a font they do not name is not kept.
                             StyleCommand {"FontAttributes", [](CFTComponent &c) { c.SetFontAttr(redOnly()); },
                                           [](CDDText &t) { t.SetFontAttr(redOnly(), false); }},
                             // Steps follow the characters, and there are none.
                             StyleCommand {"IncreaseFontSize", [](CFTComponent &c) { c.IncreaseFontSize(); },
                                           [](CDDText &t) { t.IncreaseFontSize(); }},
                             StyleCommand {"DecreaseFontSize", [](CFTComponent &c) { c.DecreaseFontSize(); },
                                           [](CDDText &t) { t.DecreaseFontSize(); }},
                             // Scaled sizes are whole points.
                             StyleCommand {"SizeByFactor", [](CFTComponent &c) { c.updateFontSizeWithKoeff(1.55); },
                                           [](CDDText &t) { t.updateFontSizeWithKoeff(1.55); }},
                             StyleCommand {"LoosenKerningTwice",
                                           [](CFTComponent &c) {
                                               c.loosenKerning();
                                               c.loosenKerning();
                                           },
                                           [](CDDText &t) {
                                               t.loosenKerning();
                                               t.loosenKerning();
                                           }}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
