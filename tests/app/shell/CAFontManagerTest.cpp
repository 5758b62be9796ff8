#include "app/shell/CAFontManager.h"

#include "kernel/render/CDDText.h"

#include "ShellTestSupport.h"

#include <QFontDialog>
#include <QSignalSpy>

#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Stands in for a text selection: its runs' fonts, converted through the manager whenever the
// font change reaches it, as the canvas's changeFont does.
class SelectionStandIn : public QObject
{
public:
    SelectionStandIn(CAFontManager &manager, std::vector<PWFont> runs)
        : runs(std::move(runs))
    {
        connect(&manager, &CAFontManager::changeFont, this, [this](CAFontManager *sender) {
            ++changes;
            overrideSeen = sender->getConvertSize();
            for (PWFont &run : this->runs)
                run = sender->convertFont(run);
        });
    }

    std::vector<double> sizes() const
    {
        std::vector<double> result;
        for (const PWFont &run : runs)
            result.push_back(run.pointSize());
        return result;
    }

    std::vector<PWFont> runs;
    int changes = 0;
    bool overrideSeen = false;
};

const PWFont kSans9(u"DejaVuSans"_s, 9.0);
const PWFont kSerifBold12(u"DejaVuSerif-Bold"_s, 12.0, 20);

} // namespace

TEST(CAFontManagerTest, StartsWithTheOverrideOff)
{
    CAFontManager manager;
    EXPECT_FALSE(manager.getConvertSize());
    EXPECT_FALSE(manager.getIsAbsoluteSize());
    EXPECT_EQ(manager.getFontSize(), 0.0f);
    EXPECT_EQ(manager.convertFont(kSerifBold12), kSerifBold12);
}

// The override as the text commands use it: on, a size, the action, off again.
TEST(CAFontManagerTest, ForcedSizesDuringOneAction)
{
    struct Case
    {
        const char *name;
        bool absolute;
        double size;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"one point bigger", false, 1.0, {10.0, 13.0}},
        {"one point smaller", false, -1.0, {8.0, 11.0}},
        {"typed size", true, 14.0, {14.0, 14.0}},
        // Never below the smallest size a text takes, whatever the step.
        {"smaller than the smallest", false, -10.0, {CDDText::kMinFontSize, CDDText::kMinFontSize}},
        {"typed size too small", true, 0.0, {CDDText::kMinFontSize, CDDText::kMinFontSize}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CAFontManager manager;
        SelectionStandIn selection(manager, {kSans9, kSerifBold12});
        manager.setConvertSizeIsAbsoluteSize(true, c.absolute);
        manager.setFontSize(c.size);
        manager.sendAction();
        manager.setConvertSizeIsAbsoluteSize(false, c.absolute);
        EXPECT_EQ(selection.sizes(), c.expected);
        EXPECT_TRUE(selection.overrideSeen);
        // Only the size changes: the face and the archived flags stay.
        EXPECT_EQ(selection.runs[0].postScriptName(), u"DejaVuSans"_s);
        EXPECT_EQ(selection.runs[1].postScriptName(), u"DejaVuSerif-Bold"_s);
        EXPECT_EQ(selection.runs[1].flags(), 20);
        // Afterwards conversions leave the size alone again.
        EXPECT_FALSE(manager.getConvertSize());
        EXPECT_EQ(manager.getIsAbsoluteSize(), c.absolute);
        EXPECT_EQ(manager.convertFont(kSans9), kSans9);
    }
}

TEST(CAFontManagerTest, TheSizeIsKeptInSinglePrecision)
{
    CAFontManager manager;
    manager.setFontSize(10.3);
    EXPECT_EQ(manager.getFontSize(), 10.3f);
    manager.setConvertSizeIsAbsoluteSize(true, true);
    EXPECT_EQ(manager.convertFont(kSans9).pointSize(), double(10.3f));
    EXPECT_NE(manager.convertFont(kSans9).pointSize(), 10.3);
}

TEST(CAFontManagerTest, SendActionWithSizeSwitchesTheOverrideOffAlsoWhenTheActionThrows)
{
    CAFontManager manager;
    SelectionStandIn selection(manager, {kSans9, kSerifBold12});
    manager.sendActionWithSize(2.0, false);
    EXPECT_EQ(selection.sizes(), (std::vector<double> {11.0, 14.0}));
    EXPECT_TRUE(selection.overrideSeen);
    EXPECT_FALSE(manager.getConvertSize());

    QObject thrower;
    QObject::connect(&manager, &CAFontManager::changeFont, &thrower,
                     [](CAFontManager *) { throw std::runtime_error("m_Document is nil"); });
    EXPECT_THROW(manager.sendActionWithSize(14.0, true), std::runtime_error);
    // Left on, every later font change would be forced to 14 points.
    EXPECT_FALSE(manager.getConvertSize());
    EXPECT_EQ(manager.convertFont(kSans9), kSans9);
}

TEST(CAFontManagerTest, TheSelectedSizeGoesToTheSizeControlsAndThePanelShowsTheFont)
{
    CAFontManager manager;
    QSignalSpy sizes(&manager, &CAFontManager::selectedFontSizeChanged);
    QFontDialog *panel = manager.fontPanel();
    QSignalSpy changes(&manager, &CAFontManager::changeFont);
    manager.setSelectedFont(PWFont(u"LiberationSerif-Italic"_s, 18.0), true);
    ASSERT_EQ(sizes.count(), 1);
    EXPECT_EQ(sizes.at(0).at(0).toDouble(), 18.0);
    EXPECT_TRUE(manager.isMultiple());
    EXPECT_EQ(panel->currentFont().family(), u"Liberation Serif"_s);
    EXPECT_TRUE(panel->currentFont().italic());
    EXPECT_EQ(panel->currentFont().pointSizeF(), 18.0);
    // An upright selection shows as upright, whatever the family calls that style.
    manager.setSelectedFont(PWFont(u"DejaVuSans"_s, 12.0), false);
    EXPECT_EQ(panel->currentFont().family(), u"DejaVu Sans"_s);
    EXPECT_FALSE(panel->currentFont().italic());
    EXPECT_EQ(panel->currentFont().weight(), QFont::Normal);
    EXPECT_EQ(panel->currentFont().styleName(), u"Book"_s);
    manager.setSelectedFont(PWFont(u"DejaVuSans-Bold"_s, 12.0), false);
    EXPECT_FALSE(panel->currentFont().italic());
    EXPECT_EQ(panel->currentFont().weight(), QFont::Bold);
    // Showing the selection is no font change.
    EXPECT_EQ(changes.count(), 0);
}

// A choice in the font panel changes what the user changed, and nothing else, on every run.
TEST(CAFontManagerTest, APanelChoiceAppliesOnlyWhatChanged)
{
    struct Case
    {
        const char *name;
        QFont chosen;
        std::vector<QString> families;
        std::vector<double> sizes;
    };
    QFont serif18(u"DejaVu Sans"_s);
    serif18.setPointSizeF(18.0);
    QFont liberation12(u"Liberation Serif"_s);
    liberation12.setPointSizeF(12.0);
    const Case cases[] = {
        {"size only", serif18, {u"DejaVu Sans"_s, u"DejaVu Serif"_s}, {18.0, 18.0}},
        {"family only", liberation12, {u"Liberation Serif"_s, u"Liberation Serif"_s}, {9.0, 12.0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CAFontManager manager;
        manager.setSelectedFont(PWFont(u"DejaVuSans"_s, 12.0), true);
        SelectionStandIn selection(manager, {kSans9, kSerifBold12});
        // The user's pick in the panel, as the panel reports it.
        manager.fontPanel()->setCurrentFont(c.chosen);
        ASSERT_EQ(selection.changes, 1);
        EXPECT_FALSE(selection.overrideSeen);
        for (size_t i = 0; i < selection.runs.size(); ++i) {
            const PWFont::Style style = PWFont::parsePostScriptName(selection.runs[i].postScriptName());
            EXPECT_EQ(style.family, c.families[i]) << i;
            EXPECT_EQ(selection.runs[i].pointSize(), c.sizes[i]) << i;
        }
        // The bold run stays bold: the choice did not touch the weight.
        EXPECT_EQ(PWFont::parsePostScriptName(selection.runs[1].postScriptName()).weight, QFont::Bold);
        EXPECT_EQ(selection.runs[1].flags(), 20);
        // The choice held for that one action.
        EXPECT_EQ(manager.convertFont(kSans9), kSans9);
    }
}

// The panel's effect switches send an attribute change holding the switched effect alone; the
// fonts of the selection are not converted for it.
TEST(CAFontManagerTest, AnEffectSwitchedInThePanelIsAnAttributeChangeOfThatEffectAlone)
{
    CAFontManager manager;
    manager.setSelectedFont(PWFont(u"DejaVuSans"_s, 12.0), false);
    SelectionStandIn selection(manager, {kSans9});
    QSignalSpy attributes(&manager, &CAFontManager::changeAttributes);
    QFont shown = manager.fontPanel()->currentFont();

    shown.setUnderline(true);
    manager.fontPanel()->setCurrentFont(shown);
    ASSERT_EQ(attributes.count(), 1);
    QTextCharFormat sent = attributes.takeFirst().at(0).value<QTextCharFormat>();
    EXPECT_TRUE(sent.fontUnderline());
    EXPECT_EQ(sent.properties().size(), 1) << "a partial format: the font, size and colour stay";
    EXPECT_EQ(selection.changes, 0);

    shown.setStrikeOut(true);
    manager.fontPanel()->setCurrentFont(shown);
    ASSERT_EQ(attributes.count(), 1);
    sent = attributes.takeFirst().at(0).value<QTextCharFormat>();
    EXPECT_TRUE(sent.fontStrikeOut());
    EXPECT_FALSE(sent.hasProperty(QTextFormat::TextUnderlineStyle)) << "the underline did not change again";

    shown.setUnderline(false);
    manager.fontPanel()->setCurrentFont(shown);
    ASSERT_EQ(attributes.count(), 1);
    EXPECT_FALSE(attributes.takeFirst().at(0).value<QTextCharFormat>().fontUnderline());

    // A font choice with the effects as shown is a font change again.
    shown.setPointSizeF(20.0);
    manager.fontPanel()->setCurrentFont(shown);
    EXPECT_EQ(attributes.count(), 0);
    EXPECT_EQ(selection.changes, 1);
}

TEST(CAFontManagerTest, ThePanelOpensAndClosesOnRequest)
{
    CAFontManager manager;
    EXPECT_FALSE(manager.isFontPanelVisible());
    manager.orderFrontFontPanel();
    EXPECT_TRUE(manager.isFontPanelVisible());
    EXPECT_TRUE(manager.fontPanel()->testOption(QFontDialog::NoButtons));
    manager.closeFontPanel();
    EXPECT_FALSE(manager.isFontPanelVisible());
    EXPECT_EQ(&CAFontManager::sharedFontManager(), &CAFontManager::sharedFontManager());
}
