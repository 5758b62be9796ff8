// The floating panels among document windows: the keys that save, export, print, undo and redo,
// typed while a panel has the keyboard, reach the document window in front; Close typed there
// closes no document; a text field of a panel keeps the undo of its own typing.
#include "ShellTestSupport.h"

#include "app/canvas/CADocView.h"
#include "app/contacts/CAAddressWindow.h"
#include "app/inspector/CADesignTextTableView.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CAFontManager.h"
#include "app/shell/CAPropertiesPanel.h"
#include "kernel/document/CFTAView.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>

#include <functional>
#include <string>

using namespace shelltest;

namespace {

// The keys a panel passes on, and the commands they send.
const struct
{
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char *command;
} kDocumentKeys[] = {
    {Qt::Key_S, Qt::ControlModifier, "saveDocument"},
    {Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "saveDocumentAs"},
    {Qt::Key_E, Qt::ControlModifier, "saveDocumentTo"},
    {Qt::Key_P, Qt::ControlModifier, "printDocument"},
    {Qt::Key_Z, Qt::ControlModifier, "undo"},
    {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "redo"},
};

class CAPanelDocumentKeysTest : public shelltest::Test
{
public:
    // Two documents with every panel installed as the application installs them, the panel shown,
    // and the first document worked in last, with a shape selected.
    void start(CAFloatingPanels::Panel panel)
    {
        launch(1);
        controller->newDocument(0);
        ASSERT_EQ(manager().documents().size(), 2);
        CAPropertiesController::sharedPropertiesController()->close();
        installAddressWindow(*controller);
        installDesignWindow(*controller);
        installPropertiesPanel(*controller);
        // Each command is recorded with the window it reaches.
        for (const auto &key : kDocumentKeys) {
            const QString name = QString::fromLatin1(key.command);
            CAMainWindowController::registerCommand(
                name, {[](CAMainWindowController &, QAction *) { return true; },
                       [this, name](CAMainWindowController &window, QAction *) { reached << at(name, &window); }});
        }
        controller->panels().show(panel);
        ASSERT_TRUE(controller->panels().isPanelVisible(panel));
        activate(window(1));
        activate(window(0));
        auto *shape = new CFTBoxField(40.0, 100.0, 50.0, 30.0, nullptr);
        CADocView *canvas = window(0)->docView();
        canvas->document()->ftDocument()->AddObject(shape, 0, false);
        canvas->ftView()->select(shape);
        canvas->notifySelectionChanged();
    }
    static void activate(QWidget *window)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    // Typed as the user types: into the window that has the keyboard.
    static void type(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        ASSERT_NE(QGuiApplication::focusWindow(), nullptr);
        QTest::keyClick(QGuiApplication::focusWindow(), key, modifiers);
    }

    // "command in document N", N counted from 0 in the order the documents were made.
    QString at(const QString &command, const QWidget *target)
    {
        for (int i = 0; i < manager().documents().size(); ++i)
            if (window(i) == target)
                return command + u" in document "_s + QString::number(i);
        return command + u" elsewhere"_s;
    }

    QStringList reached;
};

// The first widget of that kind the panel shows enabled; a text field only where the user types
// into it on its own (not read-only, not the field of a spin box).
template<typename Widget>
Widget *shown(QWidget *panel)
{
    for (Widget *widget : panel->findChildren<Widget *>()) {
        if (!widget->isVisible() || !widget->isEnabled())
            continue;
        if (auto *field = qobject_cast<QLineEdit *>(widget);
            field && (field->isReadOnly() || qobject_cast<QAbstractSpinBox *>(field->parentWidget())))
            continue;
        return widget;
    }
    return nullptr;
}

struct PanelCase
{
    const char *name;
    CAFloatingPanels::Panel panel;
    // A control of the shown panel that is no text field, and a text field of it.
    std::function<QWidget *()> control;
    std::function<QLineEdit *()> field;
    // A text the field takes.
    QString typed = u"12"_s;
};

void PrintTo(const PanelCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class PanelKeys : public CAPanelDocumentKeysTest, public ::testing::WithParamInterface<PanelCase>
{
};

TEST_P(PanelKeys, ReachTheFrontDocumentFromAControl)
{
    const PanelCase &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(start(row.panel));
    QWidget *control = row.control();
    ASSERT_NE(control, nullptr);
    activate(control->window());
    control->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(control->hasFocus());

    for (const auto &key : kDocumentKeys) {
        SCOPED_TRACE(key.command);
        reached.clear();
        ASSERT_NO_FATAL_FAILURE(type(key.key, key.modifiers));
        EXPECT_EQ(reached, QStringList {at(QString::fromLatin1(key.command), window(0))});
    }
    // Close is the panel's business, never the document's behind it.
    ASSERT_NO_FATAL_FAILURE(type(Qt::Key_W, Qt::ControlModifier));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(openWindowCount(), 2);
}

TEST_P(PanelKeys, TextFieldKeepsItsOwnUndoAndPassesTheRest)
{
    const PanelCase &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(start(row.panel));
    QLineEdit *field = row.field();
    ASSERT_NE(field, nullptr);
    activate(field->window());
    QTest::mouseClick(field, Qt::LeftButton);
    ASSERT_TRUE(field->hasFocus());
    // What the field showed may be what is typed (a panel shared by the whole run shows what an
    // earlier test left): the undo gives it back, whatever it was, and can be redone.
    const QString before = field->text();
    field->selectAll();
    QTest::keyClicks(field, row.typed);
    ASSERT_EQ(field->text(), row.typed);
    ASSERT_FALSE(field->isRedoAvailable());

    ASSERT_NO_FATAL_FAILURE(type(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_EQ(field->text(), before) << "the field undid its typing";
    EXPECT_TRUE(field->isRedoAvailable());
    EXPECT_EQ(reached, QStringList());
    ASSERT_NO_FATAL_FAILURE(type(Qt::Key_S, Qt::ControlModifier));
    EXPECT_EQ(reached, QStringList {at(u"saveDocument"_s, window(0))});
}

INSTANTIATE_TEST_SUITE_P(
    Panels, PanelKeys,
    ::testing::Values(
        PanelCase {"addresses", CAFloatingPanels::AddressWindow,
                   [] {
                       sharedAddressWindow()->showSenders();
                       return sharedAddressWindow()->findChild<QTableView *>(u"senderTable"_s);
                   },
                   [] {
                       sharedAddressWindow()->showRecipients(false);
                       return sharedAddressWindow()->findChild<QLineEdit *>(u"searchField"_s);
                   }},
        PanelCase {"design", CAFloatingPanels::DesignWindow,
                   [] {
                       sharedDesignWindow()->displayDesignPanelIndex(CADesignWindow::AddressFields, CADesignWindow::Clipart);
                       return static_cast<QWidget *>(sharedDesignWindow()->fieldsTable());
                   },
                   [] {
                       sharedDesignWindow()->displayDesignPanelIndex(CADesignWindow::ImageCollection, CADesignWindow::Clipart);
                       return sharedDesignWindow()->searchField();
                   }},
        PanelCase {"inspector", CAFloatingPanels::PropertiesWindow,
                   [] {
                       return static_cast<QWidget *>(
                           CAPropertiesController::sharedPropertiesController()->window()->findChild<QCheckBox *>(
                               u"m_fillCheckbox"_s));
                   },
                   [] {
                       return CAPropertiesController::sharedPropertiesController()->window()->findChild<QLineEdit *>(
                           u"m_lineWidthTextField"_s);
                   }},
        PanelCase {"colors", CAFloatingPanels::ColorPanel,
                   [] {
                       return static_cast<QWidget *>(
                           shown<QPushButton>(CADocumentController::sharedDocumentController()->panels().colorPanel()));
                   },
                   [] { return shown<QLineEdit>(CADocumentController::sharedDocumentController()->panels().colorPanel()); },
                   u"#12"_s},
        PanelCase {"fonts", CAFloatingPanels::FontPanel,
                   [] { return static_cast<QWidget *>(shown<QListView>(CAFontManager::sharedFontManager().fontPanel())); },
                   [] { return shown<QLineEdit>(CAFontManager::sharedFontManager().fontPanel()); }}),
    [](const ::testing::TestParamInfo<PanelCase> &info) { return std::string(info.param.name); });

} // namespace
