// The attributes new shapes and texts start with.

#include "kernel/foundation/CFTDefComponentBox.h"
#include "kernel/foundation/CFTDefComponentText.h"

#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/CDDArchiveKeys.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWTextAttributes.h"

#include <QTextDocument>

#include <functional>

#include <gtest/gtest.h>

namespace {

TEST(CFTDefComponentBoxTest, OutlineSettersTurnTheOutlineOn)
{
    CFTDefComponentBox box;
    box.SetLineWidth(3);
    EXPECT_TRUE(box.IsStroked());
    EXPECT_FLOAT_EQ(box.GetStrokeWidth(), 3.0f);
    box.SetStroked(false);
    const CDDColor red(1, 0, 0, 1);
    box.SetStrokeColor(&red);
    EXPECT_TRUE(box.IsStroked());
    EXPECT_EQ(*box.GetStrokeColor(), red);
    box.SetFilled(false);
    box.SetFillColor(&red);
    EXPECT_TRUE(box.IsFilled());
}

TEST(CFTDefComponentBoxTest, SavesOnlyItsOwnKeysAndReadsThemBack)
{
    CFTDefComponentBox box;
    box.Init();
    box.SetLineWidth(2.5);
    box.SetFilled(false);
    CDDArchive archive(true);
    ASSERT_TRUE(box.Serialize(archive, nullptr));
    EXPECT_EQ(archive.getDict().toDictionary().keys(),
              (QStringList {key_FillBackground, key_Stroke, key_OutlineColor, key_PenWidth, key_Color}));
    archive.setStoring(false);
    CFTDefComponentBox loaded;
    loaded.Serialize(archive, nullptr);
    EXPECT_FALSE(loaded.IsFilled());
    EXPECT_TRUE(loaded.IsStroked());
    EXPECT_FLOAT_EQ(loaded.GetStrokeWidth(), 2.5f);
    EXPECT_EQ(*loaded.GetFillColor(), CDDColor(0, 0, 0, 0.5f));
}

TEST(CFTDefComponentTextTest, ColoursGoWhereTextsExpectThem)
{
    CFTDefComponentText text;
    const CDDColor yellow(1, 1, 0, 1);
    text.SetFillColor(&yellow);
    EXPECT_TRUE(text.GetHaveBackColor());
    EXPECT_EQ(*text.GetFillColor(), yellow);
    const CDDColor blue(0, 0, 1, 1);
    text.SetStrokeColor(&blue);
    EXPECT_EQ(*text.GetStrokeColor(), blue);
    EXPECT_TRUE(text.IsStroked());
    EXPECT_EQ(text.GetFontAttr(nullptr)->foreground().color(), QColor(Qt::blue));
}

TEST(CFTDefComponentTextTest, FontSizeBaselineAndKerningEditTheDefaultStyle)
{
    CFTDefComponentText text;
    text.SetFont(PWFont(QStringLiteral("DejaVuSans-Bold"), 10));
    text.ChangeFontSize(1.0);
    EXPECT_DOUBLE_EQ(text.GetFontAttr(nullptr)->fontPointSize(), 11);
    text.raiseBaseline();
    EXPECT_NEAR(text.GetFontAttr(nullptr)->doubleProperty(PWTextAttributes::BaselineOffset), 0.1, 1e-6);
    text.tightenKerning();
    EXPECT_NEAR(text.GetFontAttr(nullptr)->doubleProperty(PWTextAttributes::Kerning), -0.1, 1e-6);
    bool mixed = true;
    const std::optional<PWFont> font = text.GetFont(&mixed);
    ASSERT_TRUE(font);
    EXPECT_FALSE(mixed);
    EXPECT_EQ(font->postScriptName(), QStringLiteral("DejaVuSans-Bold"));
    EXPECT_TRUE(text.IsEqualFont(PWFont(QStringLiteral("DejaVuSans-Bold"), 11)));
    EXPECT_FALSE(text.IsEqualFont(PWFont(QStringLiteral("DejaVuSans"), 11)));
}

TEST(CFTDefComponentTextTest, OlderFileFontIsAppliedToTheEmptyDefaultText)
{
    CDDArchive archive(true);
    const PWFont font(QStringLiteral("DejaVuSerif-Italic"), 17);
    archive.SetData(key_Font, &font);
    archive.SetData(key_HorizontalAlignment, int(taCenter));
    archive.SetData(key_Shadow, true);
    archive.setStoring(false);
    CFTDefComponentText text;
    ASSERT_TRUE(text.Serialize(archive, nullptr));
    EXPECT_EQ(text.GetFont(nullptr)->postScriptName(), QStringLiteral("DejaVuSerif-Italic"));
    EXPECT_DOUBLE_EQ(text.GetFontAttr(nullptr)->fontPointSize(), 17);
    EXPECT_EQ(text.GetAlignment(), taCenter);
    EXPECT_TRUE(text.IsShadowed());
    EXPECT_TRUE(text.GetText()->isEmpty());
}

TEST(CFTDefComponentTextTest, DefaultTextStyleSurvivesASaveAndLoad)
{
    CFTDefComponentText saved;
    saved.Init();
    saved.SetFont(PWFont(QStringLiteral("DejaVuSerif-Bold"), 21));
    saved.setKerning(0.5f);
    CDDArchive archive(true);
    saved.Serialize(archive, nullptr);
    archive.setStoring(false);
    CFTDefComponentText loaded;
    ASSERT_TRUE(loaded.Serialize(archive, nullptr));
    const std::optional<PWFont> font = loaded.GetFont(nullptr);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->postScriptName(), QStringLiteral("DejaVuSerif-Bold"));
    EXPECT_DOUBLE_EQ(font->pointSize(), 21);
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
