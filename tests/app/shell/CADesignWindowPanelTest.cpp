// The design window as the application's design panel: shown and closed through the floating
// panels, opened on a pane by its Window menu item (which then carries the check mark), fields
// dropped from it onto the front document; the guidelines and the format editor from the menus.
#include "ShellTestSupport.h"

#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CACustomFormatEditor.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAGuidelinesController.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CAMainWindowController.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWNotificationCenter.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class CADesignWindowPanelTest : public shelltest::Test
{
};

} // namespace

TEST_F(CADesignWindowPanelTest, MenuItemsOpenTheirPaneAndTheShowingOneIsChecked)
{
    CADocumentController &application = launch(1);
    installDesignWindow(application);
    ASSERT_TRUE(application.panels().isInstalled(CAFloatingPanels::DesignWindow));
    application.panels().show(CAFloatingPanels::DesignWindow);
    CADesignWindow *window = sharedDesignWindow();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::Tool));
    application.panels().close(CAFloatingPanels::DesignWindow);
    EXPECT_FALSE(window->isVisible());

    QAction *shapes = application.mainMenu().itemForAction(u"displayDesignPanel"_s, 302);
    QAction *fields = application.mainMenu().itemForAction(u"displayDesignPanel"_s, 201);
    ASSERT_TRUE(shapes && fields);
    shapes->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->currentDesignPanelIndex(), CADesignWindow::ImageCollection);
    EXPECT_EQ(window->currentDesignPadIndex(), CADesignWindow::BasicShapes);
    EXPECT_TRUE(application.router().validate(u"displayDesignPanel"_s, shapes));
    application.router().validate(u"displayDesignPanel"_s, fields);
    EXPECT_TRUE(shapes->isChecked());
    EXPECT_FALSE(fields->isChecked());
    application.panels().close(CAFloatingPanels::DesignWindow);
}

TEST_F(CADesignWindowPanelTest, AFieldDroppedFromTheWindowLandsOnTheFrontDesign)
{
    CADocumentController &application = launch(1);
    installDesignWindow(application);
    CADesignWindow *window = sharedDesignWindow();
    ASSERT_NE(window, nullptr);
    CADocView *canvas = this->window(0)->docView();
    const std::size_t before = canvas->ftView()->GetCurrentComponents().size();
    // Row 15 is "City"; the drag's data goes over the front canvas and is let go.
    const std::unique_ptr<QMimeData> data = window->lists().mimeDataForRow(CADesignTextLists::Fields, 15);
    ASSERT_NE(data, nullptr);
    const QPoint at = canvas->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_EQ(canvas->ftView()->GetCurrentComponents().size(), before + 1);
    EXPECT_EQ(static_cast<int>(canvas->ftView()->GetCurrentComponents().back()->GetTextCategory()), 13);
}

TEST_F(CADesignWindowPanelTest, GuidelinesAndTheFormatEditorOpenFromTheirCommands)
{
    CADocumentController &application = launch(1);
    installDesignWindow(application);
    QAction *guidelines = application.mainMenu().itemForAction(u"guidelinesWindow"_s);
    ASSERT_NE(guidelines, nullptr);
    EXPECT_TRUE(application.router().validate(u"guidelinesWindow"_s, guidelines));
    guidelines->trigger();
    EXPECT_TRUE(CAGuidelinesController::sharedGuidelinesController().isVisible());
    CAGuidelinesController::sharedGuidelinesController().closeWindow();

    QAction *editor = application.mainMenu().itemForAction(u"customAddressFormatEditor"_s);
    ASSERT_NE(editor, nullptr);
    editor->trigger();
    CACustomFormatEditor *shown = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *candidate = qobject_cast<CACustomFormatEditor *>(top); candidate && candidate->isVisible())
            shown = candidate;
    }
    ASSERT_NE(shown, nullptr);
    shown->close();
}

// Each Address Format Editor request makes an editor of its own, on its list page, for the
// document in front then; an editor left half-way keeps its state and its document.
TEST_F(CADesignWindowPanelTest, EachFormatEditorRequestMakesAFreshEditorForTheFrontDocument)
{
    CADocumentController &application = launch(1);
    installDesignWindow(application);
    ASSERT_TRUE(application.newDocument(0));
    ASSERT_EQ(manager().documents().size(), 2);
    QAction *item = application.mainMenu().itemForAction(u"customAddressFormatEditor"_s);
    ASSERT_NE(item, nullptr);
    const auto shownEditors = [] {
        QList<CACustomFormatEditor *> editors;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *candidate = qobject_cast<CACustomFormatEditor *>(top); candidate && candidate->isVisible())
                editors.append(candidate);
        return editors;
    };

    QList<CACustomFormatEditor *> made;
    for (const int frontIndex : {0, 1}) {
        SCOPED_TRACE(frontIndex);
        CAMainWindowController *front = window(frontIndex);
        front->activateWindow();
        application.router().windowActivated(front);
        item->trigger();
        const QList<CACustomFormatEditor *> editors = shownEditors();
        ASSERT_EQ(editors.size(), made.size() + 1);
        CACustomFormatEditor *editor = nullptr;
        for (CACustomFormatEditor *candidate : editors)
            if (!made.contains(candidate))
                editor = candidate;
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->document(), manager().documents().at(frontIndex)->document.get());
        EXPECT_EQ(editor->currentPage(), CACustomFormatEditor::kSelectionPage);
        // Left on its design page: the next request must not bring it back like this.
        editor->doAddCustomFormat();
        EXPECT_EQ(editor->currentPage(), CACustomFormatEditor::kTemplatePage);
        made.append(editor);
    }
    EXPECT_EQ(made.at(0)->document(), manager().documents().at(0)->document.get());
    EXPECT_EQ(made.at(0)->currentPage(), CACustomFormatEditor::kTemplatePage);
    for (CACustomFormatEditor *editor : made) {
        editor->onDesignCancelButton();
        editor->close();
    }
    PWUserDefaults::standardUserDefaults().removeObject(u"CustomAddressFormat"_s);
    CAddressFormatController::sharedAddressFormatController().reloadCustomFormats();
}

// The preferences window and the format editor revalidate the document views when they are
// done; the design window's template list then shows the custom formats saved meanwhile, and
// every open design is filled again from its persons.
TEST_F(CADesignWindowPanelTest, RevalidatingTheDocumentsRebuildsTheDesignWindowLists)
{
    CADocumentController &application = launch(1);
    installDesignWindow(application);
    CADesignWindow *window = sharedDesignWindow();
    ASSERT_NE(window, nullptr);
    auto *table = window->findChild<QAbstractItemView *>(u"_templatesTableView"_s);
    ASSERT_TRUE(table && table->model());
    const int before = window->lists().count(CADesignTextLists::Templates);
    ASSERT_EQ(table->model()->rowCount(), before);

    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const PWPlist cell(PWPlist::Dictionary {{u"Row"_s, PWPlist::fromInteger(0)}, {u"Column"_s, PWPlist::fromInteger(0)}});
    const PWPlist::Dictionary format = {{u"FormatName"_s, PWPlist::fromString(u"Only the city"_s)}, {u"City"_s, cell}};
    defaults.setObject(u"CustomAddressFormat"_s, PWPlist(PWPlist::Array {PWPlist(format)}));
    CAddressFormatController::sharedAddressFormatController().reloadCustomFormats();

    int posted = 0;
    CADocView *canvas = this->window(0)->docView();
    const int token = PWNotificationCenter::defaultCenter().addObserver(
        CACanvasSelection::kChangeSelectionNotify, canvas, [&](const PWNotification &) { ++posted; });
    application.validateDocumentsView();
    PWNotificationCenter::defaultCenter().removeObserver(token);

    // A separator, then the new format.
    EXPECT_EQ(window->lists().count(CADesignTextLists::Templates), before + 2);
    EXPECT_EQ(table->model()->rowCount(), before + 2);
    EXPECT_EQ(table->model()->index(before + 1, 0).data().toString(), u"Only the city"_s);
    EXPECT_EQ(posted, 1);

    defaults.removeObject(u"CustomAddressFormat"_s);
    CAddressFormatController::sharedAddressFormatController().reloadCustomFormats();
}
