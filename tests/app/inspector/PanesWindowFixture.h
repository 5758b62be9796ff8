#pragma once

// A design window as the application starts it, with the inspector shown beside it and the
// menus' commands installed, driven as a user drives it: clicks on the canvas, clicks and keys
// in the inspector's panes, items of the main menu chosen after the menu has been opened.

#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAInspectorPane.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAAddressCommands.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAPropertiesPanel.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/FTClassID.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWUndoManager.h"

#include "../shell/ShellTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace paneswindow {

class Test : public shelltest::Test
{
protected:
    // The first window of a fresh start, of the kind given, with the inspector shown.
    bool start(documentType kind = dtLabel)
    {
        launch(1);
        installChangeLayoutSheet();
        installCanvasCommands();
        installCanvasFormatCommands(*controller);
        installAddressCommands();
        installPropertiesPanel(*controller);
        controller->panels().show(CAFloatingPanels::PropertiesWindow);
        CAMainWindowController *w = window(0);
        if (!w)
            return false;
        canvas = w->docView();
        canvas->document()->ftDocument()->setDocumentType(kind);
        inspector = CAPropertiesController::sharedPropertiesController();
        paint();
        forgetHistory();
        return canvas && inspector;
    }
    // The undo history and the edited mark as a design just opened has them.
    void forgetHistory()
    {
        canvas->document()->undoManager()->setGroupsByEvent(false);
        canvas->document()->undoManager()->removeAllActions();
        manager().updateChangeCount(manager().documents().value(0), -manager().documents().value(0)->changeCount);
    }
    bool edited() { return manager().documents().value(0)->isEdited(); }
    void paint()
    {
        canvas->viewport()->repaint();
        QApplication::processEvents();
    }
    // The design as it is saved, once the canvas has drawn it as the user sees it.
    QByteArray bytes()
    {
        paint();
        return canvas->document()->dataRepresentationOfType(CADocument::kAddressDocumentType);
    }
    // The recipient panel the Format menu's Address Panel > Recipient puts on the page.
    CFTAAddressPanel *addRecipientPanel()
    {
        canvas->addressCommands().addressPanel(true);
        CFTAAddressPanel *panel = nullptr;
        for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            if (component->getClassID() == ciAddressPanel && component->GetToFrom())
                panel = static_cast<CFTAAddressPanel *>(component);
        paint();
        return panel;
    }
    QPoint pointOf(const CFTComponent *component) const
    {
        const QRectF frame(component->GetOriginX(), component->GetOriginY(), component->GetSizeX(),
                           component->GetSizeY());
        return canvas->geometry().widgetPoint(frame.center()).toPoint();
    }
    // A click on the object, or with none on a place of the page no object covers.
    void click(const CFTComponent *component)
    {
        const QPoint at = component ? pointOf(component) : canvas->geometry().widgetPoint(QPointF(2.0, 2.0)).toPoint();
        QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, at);
        paint();
    }
    CAInspectorPane *pane(CAPropertiesController::Tab tab) const { return inspector->pane(tab); }
    template <typename T>
    T *control(CAPropertiesController::Tab tab, const char *name) const
    {
        return pane(tab)->findChild<T *>(QString::fromLatin1(name));
    }
    // A button of a pane clicked where its box or its title is.
    static void press(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    // Typed into a field over what it shows, then Return.
    static void type(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    // The item of the main menu as it shows when its menu opens.
    QAction *menuItem(const char *action, int tag = 0)
    {
        window(0)->activateWindow();
        controller->mainMenu().validate();
        return controller->mainMenu().itemForAction(QString::fromLatin1(action), tag);
    }
    // The item chosen: false when it is disabled, as a user cannot choose it then.
    bool choose(const char *action, int tag = 0)
    {
        QAction *item = menuItem(action, tag);
        if (!item || !item->isEnabled())
            return false;
        item->trigger();
        paint();
        return true;
    }

    CADocView *canvas = nullptr;
    CAPropertiesController *inspector = nullptr;
};

} // namespace paneswindow
