// The Format and Arrange menu items that store a value, chosen on the selection of a design's
// window: the design saved and opened again reads without a word and holds that value. The values
// are written out here as numbers.
#include "app/canvas/CADocView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAMainMenu.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"

#include "../shell/ShellTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <functional>

namespace roundtripmenu {

struct MenuValue
{
    const char *name;
    const char *action;
    int tag;
    // The menu of the menu bar that holds the item.
    QString menu;
    // The text, else the shape.
    bool onText;
    // Chosen first, to start from another value (null for none).
    const char *first;
    QString expected;
    std::function<QString(CFTComponent *)> value;
};

void PrintTo(const MenuValue &row, std::ostream *out)
{
    *out << row.name;
}

QString menuAlignment(CFTComponent *c) { return QString::number(int(c->GetAlignment())); }
QString menuFlips(CFTComponent *c) { return QString::number(c->IsFlipX()) + u' ' + QString::number(c->IsFlipY()); }
QString menuShadow(CFTComponent *c) { return QString::number(c->HasShadow()); }

class ValueRoundTripMenuTest : public shelltest::Test, public ::testing::WithParamInterface<MenuValue>
{
};

TEST_P(ValueRoundTripMenuTest, TheValueChosenIsSavedAndReadBackWithoutAWord)
{
    const MenuValue &row = GetParam();
    launch(1);
    installChangeLayoutSheet();
    installCanvasCommands();
    installCanvasFormatCommands(*controller);
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    CADocView *canvas = w->docView();
    CFTADocument *design = canvas->document()->ftDocument();
    auto *text = new CFTAText(120.0, 40.0, 90.0, 24.0, nullptr);
    text->GetText()->setString(u"Hello"_s, nullptr);
    design->AddObject(text, 0, false);
    auto *box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
    design->AddObject(box, 0, false);
    CFTComponent *target = row.onText ? static_cast<CFTComponent *>(text) : box;
    canvas->ftView()->deselectAll();
    canvas->ftView()->select(target);

    for (const char *action : {row.first, row.action}) {
        if (!action)
            continue;
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(action), action == row.action ? row.tag : 0);
        ASSERT_NE(item, nullptr) << action;
        // Opened, the menu brings its items up to date with the selection; then the item is chosen.
        QMenu *menu = controller->mainMenu().menu(row.menu);
        ASSERT_NE(menu, nullptr);
        menu->popup(w->geometry().center());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        ASSERT_TRUE(item->isEnabled()) << action;
        item->trigger();
        menu->hide();
    }
    EXPECT_EQ(row.value(target), row.expected) << "as chosen";

    const QString file = path(u"menu.pwdc"_s);
    QString error;
    ASSERT_TRUE(canvas->document()->writeToFile(file, &error)) << qPrintable(error);
    const std::vector<CFTComponent *> &written = design->GetComponents(0, false);
    const auto at = std::find(written.begin(), written.end(), target);
    ASSERT_NE(at, written.end());
    CADocument reopened;
    ASSERT_TRUE(reopened.readFromFile(file, &error)) << qPrintable(error);
    EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
    const std::vector<CFTComponent *> &read = reopened.ftDocument()->GetComponents(0, false);
    ASSERT_EQ(read.size(), written.size());
    EXPECT_EQ(row.value(read[size_t(at - written.begin())]), row.expected) << "as read back";
}

INSTANTIATE_TEST_SUITE_P(
    FormatAndArrange, ValueRoundTripMenuTest,
    ::testing::Values(MenuValue {"AlignLeft", "alignLeft", 0, u"Format"_s, true, "alignRight", u"0"_s, menuAlignment},
                      MenuValue {"AlignCenter", "alignCenter", 0, u"Format"_s, true, nullptr, u"1"_s, menuAlignment},
                      MenuValue {"AlignRight", "alignRight", 0, u"Format"_s, true, nullptr, u"2"_s, menuAlignment},
                      MenuValue {"FlipHorizontally", "flipX", 0, u"Arrange"_s, false, nullptr, u"1 0"_s, menuFlips},
                      MenuValue {"FlipVertically", "flipY", 0, u"Arrange"_s, false, nullptr, u"0 1"_s, menuFlips},
                      MenuValue {"FlipBothWays", "flipY", 0, u"Arrange"_s, false, "flipX", u"1 1"_s, menuFlips},
                      MenuValue {"Shadow", "setShadow", 0, u"Format"_s, false, nullptr, u"1"_s, menuShadow},
                      MenuValue {"TextShadow", "setShadow", 0, u"Format"_s, true, nullptr, u"1"_s, menuShadow}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace roundtripmenu
