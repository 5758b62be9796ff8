// The canvas's address context menu popped by a real right click on a panel: its ticks and
// enabled items are those of the panel it was opened on.
#include "app/canvas/CADocView.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CAAddressCommands.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAMainMenu.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/base/CDDString.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QMenu>

using namespace shelltest;

namespace {

class CACanvasContextMenuShellTest : public shelltest::Test
{
public:
    // The items of the menu, at any depth, that send the action.
    static QList<QAction *> items(QMenu *menu, const QString &action)
    {
        QList<QAction *> found;
        for (QAction *item : menu->actions()) {
            if (item->menu())
                found += items(item->menu(), action);
            else if (item->property(CAActionRouter::kActionProperty).toString() == action)
                found.append(item);
        }
        return found;
    }
    static QStringList ticked(const QList<QAction *> &list)
    {
        QStringList names;
        for (const QAction *item : list)
            if (item->isCheckable() && item->isChecked())
                names.append(item->text());
        return names;
    }
    static QString formatName(const CFTComponent *panel, textCategory category)
    {
        const CAddressFormat *format = panel->getFormat();
        const CDDString *name = format ? format->name(category) : nullptr;
        return name ? name->getData() : QString();
    }

    // One document window, shown and active, with the commands its canvas menus send; null when
    // it could not be had.
    CAMainWindowController *activeWindowWithAddressCommands()
    {
        launch(1);
        installChangeLayoutSheet();
        installCanvasCommands();
        installAddressCommands();
        CAMainWindowController *w = window(0);
        if (!w)
            return nullptr;
        w->show();
        w->activateWindow();
        return QTest::qWaitForWindowActive(w) ? w : nullptr;
    }
};

} // namespace

// The middle of the panel's tab of the kind, found by the panel's own hit test (a click there is
// inside the tab however the mouse position rounds); none when it has none.
std::optional<QPointF> tabPoint(CFTComponent *panel, actionType zone)
{
    QRectF area;
    for (double y = panel->GetOriginY() - 0.25; y > panel->GetOriginY() - 40.0; y -= 0.5) {
        for (double x = panel->GetOriginX(); x < panel->GetOriginX() + panel->GetSizeX(); x += 0.5) {
            bool selected = true;
            actionType found = actionNone;
            if (panel->PickMe(x, y, selected, 0.0, found, 0) == panel && found == zone)
                area |= QRectF(x, y, 0.01, 0.01);
        }
    }
    if (area.isEmpty())
        return std::nullopt;
    return area.center();
}

TEST_F(CACanvasContextMenuShellTest, ThePanelsTabsPopTheirMenusWithThePanelsTicks)
{
    CAMainWindowController *w = activeWindowWithAddressCommands();
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    controller->mainMenu().validate();
    QAction *sender = controller->mainMenu().itemForAction(u"addressFrom"_s);
    ASSERT_TRUE(sender && sender->isEnabled());
    sender->trigger();
    ASSERT_EQ(canvas->ftView()->getSelComponents().size(), 1u);
    CFTComponent *panel = canvas->ftView()->getSelComponents().front();
    // Below the top of the page, so that its tabs are on the page.
    panel->SetOrigin(panel->GetOriginX() + 20.0, panel->GetOriginY() + 60.0);
    canvas->viewport()->update();

    struct Case
    {
        const char *name;
        actionType zone;
        QMenu *menu;
        QString action;
        QString ticked;
    };
    const Case cases[] = {
        {"side tab", actionToFromZone, w->toFromMenu(), u"changeToFromWithMenu"_s, u"Sender"_s},
        {"template tab", actionTemplateZone, w->templateMenu(), u"changeTemplateWithMenu"_s,
         formatName(panel, tcRootFormat)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<QPointF> tab = tabPoint(panel, c.zone);
        ASSERT_TRUE(tab.has_value());
        ASSERT_TRUE(c.menu);
        c.menu->hide();
        QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, canvas->geometry().widgetPoint(*tab).toPoint());
        ASSERT_TRUE(c.menu->isVisible()) << "the click on the tab pops the menu";
        const QList<QAction *> list = items(c.menu, c.action);
        ASSERT_FALSE(list.isEmpty());
        EXPECT_EQ(ticked(list), QStringList{c.ticked});
        for (const QAction *item : list)
            EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
        c.menu->hide();
    }
}

TEST_F(CACanvasContextMenuShellTest, ARightClickOnAPanelShowsItsOwnTicks)
{
    CAMainWindowController *w = activeWindowWithAddressCommands();
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    const auto insert = [&](const char *action) -> CFTComponent * {
        controller->mainMenu().validate();
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(action));
        if (!item || !item->isEnabled())
            return nullptr;
        item->trigger();
        return canvas->ftView()->getSelComponents().empty() ? nullptr : canvas->ftView()->getSelComponents().front();
    };
    CFTComponent *sender = insert("addressFrom");
    ASSERT_TRUE(sender);
    // Out of the way of the recipient panel, which comes in at the same corner.
    sender->SetOrigin(sender->GetOriginX(), sender->GetOriginY() + 160.0);
    CFTComponent *recipient = insert("addressTo");
    ASSERT_TRUE(recipient);
    ASSERT_NE(recipient, sender);

    struct Case
    {
        const char *name;
        CFTComponent *panel;
        QString side;
    };
    const Case cases[] = {{"recipient", recipient, u"Recipient"_s}, {"sender", sender, u"Sender"_s},
                          {"recipient again", recipient, u"Recipient"_s}};
    QMenu *menu = w->addressContextMenu();
    ASSERT_TRUE(menu);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        menu->hide();
        const QPointF centre(c.panel->GetOriginX() + c.panel->GetSizeX() / 2,
                             c.panel->GetOriginY() + c.panel->GetSizeY() / 2);
        QTest::mouseClick(canvas->viewport(), Qt::RightButton, {}, canvas->geometry().widgetPoint(centre).toPoint());
        ASSERT_TRUE(menu->isVisible()) << "the right click pops the menu";

        EXPECT_EQ(ticked(items(menu, u"changeToFromWithMenu"_s)), QStringList{c.side});
        const QList<QAction *> types = items(menu, u"changeAddressTypeWithMenu"_s);
        ASSERT_EQ(types.size(), 4);
        EXPECT_EQ(ticked(types), QStringList{types.at(int(c.panel->GetAddressType()))->text()});

        const QList<QAction *> countries = items(menu, u"changeCountryWithMenu"_s);
        ASSERT_FALSE(countries.isEmpty());
        QStringList tickedCountries;
        for (const QAction *item : countries)
            if (item->isChecked())
                tickedCountries.append(item->property("representedObject").toString());
        EXPECT_EQ(tickedCountries, QStringList{formatName(c.panel, tcAddress)});
        const QList<QAction *> templates = items(menu, u"changeTemplateWithMenu"_s);
        ASSERT_FALSE(templates.isEmpty());
        EXPECT_EQ(ticked(templates), QStringList{formatName(c.panel, tcRootFormat)});
        for (QAction *item : menu->actions())
            EXPECT_TRUE(item->isEnabled()) << item->text().toStdString() << " with a panel under the mouse";
    }
    menu->hide();
}
