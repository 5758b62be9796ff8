// A sheet or box that waits for an answer, as the user meets it with the floating panels up: a
// click on the window it holds or on a panel gives it the keyboard back, windows that open later
// (a second start's files, a panel) stay below it, and Enter and Escape answer it.
#include "ShellTestSupport.h"

#include "app/inspector/CAGuidelinesController.h"
#include "app/shell/CADesignWindowPanel.h"
#include "app/shell/CASettingsSaveMonitor.h"
#include "app/shell/CAPreferencesController.h"
#include "app/shell/CAWaitingWindows.h"
#include "platform/PWWindowOwner.h"

#include <QMessageBox>
#include <QTextBrowser>
#include <QWindow>

namespace {

// The windows that came to the top, shown or raised, and those made active, in order.
struct WindowEvents : QObject
{
    QList<const QObject *> raised;
    QList<const QObject *> activated;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::ZOrderChange)
            raised.append(watched);
        if (event->type() == QEvent::WindowActivate)
            activated.append(watched);
        return false;
    }
};

class WaitingWindowsShellTest : public shelltest::Test
{
protected:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        qApp->installEventFilter(&events);
    }
    void TearDown() override
    {
        qApp->removeEventFilter(&events);
        if (box)
            box->done(0);
        delete box.data();
        shelltest::Test::TearDown();
    }

    // The front document window, active, with the colour panel up beside it.
    QWidget *documentWithPanel()
    {
        launch(1);
        QWidget *document = window(0);
        EXPECT_TRUE(document);
        controller->panels().show(CAFloatingPanels::ColorPanel);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(controller->panels().colorPanel()));
        document->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(document));
        return document;
    }

    // A box waiting on the document, as the application's sheets (window modal) and boxes
    // (application modal) wait.
    QMessageBox *waitOn(QWidget *document, Qt::WindowModality modality)
    {
        box = new QMessageBox(QMessageBox::Warning, u"Parcelwick"_s, u"Save the changes?"_s,
                              QMessageBox::Save | QMessageBox::Cancel, document);
        // Opened as a sheet (open() makes any box a sheet), or shown holding every window.
        box->setWindowModality(modality);
        if (modality == Qt::WindowModal)
            box->open();
        else
            box->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(box));
        return box;
    }

    WindowEvents events;
    QPointer<QMessageBox> box;
};

struct ClickWhileWaiting
{
    const char *name;
    Qt::WindowModality modality;
    bool onPanel; // else on the document window the box waits on
};

void PrintTo(const ClickWhileWaiting &row, std::ostream *out)
{
    *out << row.name;
}

class WaitingWindowsClickTest : public WaitingWindowsShellTest, public ::testing::WithParamInterface<ClickWhileWaiting>
{
};

TEST_P(WaitingWindowsClickTest, AClickElsewhereGivesTheWaitingBoxTheKeyboardBack)
{
    const ClickWhileWaiting &c = GetParam();
    QWidget *document = documentWithPanel();
    QMessageBox *waiting = waitOn(document, c.modality);
    QWidget *clicked = c.onPanel ? static_cast<QWidget *>(controller->panels().colorPanel()) : document;
    events.raised.clear();
    events.activated.clear();
    // The click, and what the window manager does on it: the clicked window comes to the front
    // and is made the active one.
    QTest::mouseClick(clicked->windowHandle(), Qt::LeftButton, {}, QPoint(2, 2));
    clicked->raise();
    clicked->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.activated.contains(clicked); }, pwtest::kEventWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == waiting; }, pwtest::kEventWaitMs))
        << "the keyboard stayed with the clicked window";
    ASSERT_FALSE(events.raised.isEmpty());
    EXPECT_EQ(events.raised.last(), waiting) << "the clicked window covers the waiting box";
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->window(), waiting);
    // Escape, typed as the window system delivers it, answers the box.
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([waiting] { return !waiting->isVisible(); }, pwtest::kEventWaitMs));
}

INSTANTIATE_TEST_SUITE_P(Shell, WaitingWindowsClickTest,
                         ::testing::Values(ClickWhileWaiting {"SheetThenPanel", Qt::WindowModal, true},
                                           ClickWhileWaiting {"SheetThenDocument", Qt::WindowModal, false},
                                           ClickWhileWaiting {"BoxThenPanel", Qt::ApplicationModal, true},
                                           ClickWhileWaiting {"BoxThenDocument", Qt::ApplicationModal, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// A design handed over by a later start while a box waits (the Save dialog is application modal,
// a sheet holds only its window) opens below the box; a box that holds every window keeps the
// keyboard as well.
TEST_F(WaitingWindowsShellTest, ADocumentOpenedLaterStaysBelowTheWaitingBox)
{
    const QString file = path(u"handed.pwdc"_s);
    {
        CADocument design;
        ASSERT_TRUE(design.writeToFile(file));
    }
    for (const Qt::WindowModality modality : {Qt::WindowModal, Qt::ApplicationModal}) {
        SCOPED_TRACE(modality == Qt::WindowModal ? "sheet" : "box");
        QWidget *document = documentWithPanel();
        QMessageBox *waiting = waitOn(document, modality);
        events.raised.clear();
        const auto opened = manager().openDocument(file, controller->router().activeWindow());
        ASSERT_TRUE(opened && opened->window);
        ASSERT_TRUE(QTest::qWaitFor([&] { return events.raised.contains(opened->window.data()); }, pwtest::kEventWaitMs));
        EXPECT_TRUE(QTest::qWaitFor([&] { return events.raised.last() == waiting; }, pwtest::kEventWaitMs))
            << "the new window covers the waiting box";
        if (modality == Qt::ApplicationModal) {
            EXPECT_TRUE(QTest::qWaitFor([waiting] { return QApplication::activeWindow() == waiting; }, pwtest::kEventWaitMs));
        }
        waiting->done(0);
        manager().closeAllDocuments();
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The box that says a list or the settings could not be used, told while the start brings the
// panels of the last quit back up, stays above them, its OK in reach.
TEST_F(WaitingWindowsShellTest, TheSettingsBoxStaysAboveThePanelsShownAfterIt)
{
    launch(1);
    CASettingsSaveMonitor::tellInWindow(u"Parcelwick could not use all of your settings."_s,
                                        u"The stored senders are not a list."_s);
    QMessageBox *told = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == u"_settingsNotSaved"_s && widget->isVisible())
            told = qobject_cast<QMessageBox *>(widget);
    ASSERT_TRUE(told);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(told));
    events.raised.clear();
    QWidget *panel = controller->panels().colorPanel();
    controller->panels().show(CAFloatingPanels::ColorPanel);
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.raised.contains(panel); }, pwtest::kEventWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.raised.last() == told; }, pwtest::kEventWaitMs)) << "the panel covers the box";
    told->close();
}

// A document window the window manager activates later (as at a first start, after the panels
// came up) comes to the front: the panels float above it again, title bars and tabs in reach.
TEST_F(WaitingWindowsShellTest, ThePanelsFloatAboveTheDocumentWindowBroughtForward)
{
    QWidget *document = documentWithPanel();
    QWidget *panel = controller->panels().colorPanel();
    // The user worked in the panel; then the document window is brought forward.
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    events.raised.clear();
    events.activated.clear();
    document->raise();
    document->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.activated.contains(document); }, pwtest::kEventWaitMs));
    ASSERT_TRUE(events.raised.contains(document));
    EXPECT_GT(events.raised.lastIndexOf(panel), events.raised.lastIndexOf(document)) << "the window covers the panel";
}

// The windows the user opens over the panels: the preferences, the custom address formats and
// the postal guidelines.
struct AbovePanels
{
    const char *name;
    const char *command;
};

void PrintTo(const AbovePanels &row, std::ostream *out)
{
    *out << row.name;
}

class WindowsAbovePanelsTest : public WaitingWindowsShellTest, public ::testing::WithParamInterface<AbovePanels>
{
};

// The panels and the settings window belong, for the window manager, to the document window the
// user works in, and follow the user to another; a click on a panel brings it up below the
// settings window, never over it; a click on the settings window brings it up, and no panel
// comes over it; Escape closes it, Ctrl+Q quits from it.
TEST_P(WindowsAbovePanelsTest, PanelsAndSettingsBelongToTheFrontDocumentAndSettingsStayOnTop)
{
    QWidget *first = documentWithPanel();
    installDesignWindow(*controller);
    QWidget *panel = controller->panels().colorPanel();
    ASSERT_TRUE(panel->windowHandle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return PWWindowOwner::owner(panel->windowHandle()) == first->windowHandle(); }, pwtest::kEventWaitMs));

    // Chosen from the menu, as the user chooses it.
    QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(GetParam().command));
    ASSERT_TRUE(item);
    controller->mainMenu().validate();
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() && QApplication::activeWindow() != first; },
                                pwtest::kEventWaitMs));
    QPointer<QWidget> settings = QApplication::activeWindow();
    ASSERT_TRUE(settings && settings != panel);
    EXPECT_TRUE(QTest::qWaitFor([&] { return PWWindowOwner::owner(settings->windowHandle()) == first->windowHandle(); }, pwtest::kEventWaitMs));
    EXPECT_EQ(PWWindowOwner::owner(panel->windowHandle()), first->windowHandle()) << "the settings window is no document";

    events.raised.clear();
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !events.raised.isEmpty() && events.raised.last() == settings; }, pwtest::kEventWaitMs))
        << "the panel covers the settings window";

    // A click on the document, then on the settings window, as the window manager answers them.
    for (QWidget *clicked : {first, settings.data()}) {
        events.activated.clear();
        clicked->raise();
        clicked->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return events.activated.contains(clicked); }, pwtest::kEventWaitMs));
    }
    QCoreApplication::processEvents();
    EXPECT_GT(events.raised.lastIndexOf(settings), events.raised.lastIndexOf(panel)) << "a click leaves it under the panel";
    EXPECT_EQ(PWWindowOwner::owner(panel->windowHandle()), first->windowHandle()) << "the panels moved to the settings window";

    // File > New: the panels and the settings go with the window the user works in now.
    ASSERT_TRUE(perform("newDocument"));
    QWidget *second = window(1);
    ASSERT_TRUE(second && second != first);
    second->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(second));
    EXPECT_TRUE(QTest::qWaitFor([&] { return PWWindowOwner::owner(panel->windowHandle()) == second->windowHandle(); }, pwtest::kEventWaitMs));
    EXPECT_EQ(PWWindowOwner::owner(settings->windowHandle()), second->windowHandle());
    EXPECT_GT(events.raised.lastIndexOf(settings), events.raised.lastIndexOf(panel)) << "the panel covers the settings";

    // Escape, typed where the keyboard is, closes it; opened again, Ctrl+Q typed there quits.
    settings->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(settings));
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !settings || !settings->isVisible(); }, pwtest::kEventWaitMs));
    item->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() && QApplication::activeWindow() != second; },
                                pwtest::kEventWaitMs));
    QPointer<QWidget> reopened = QApplication::activeWindow();
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(manager().documents().isEmpty()) << "Ctrl+Q did not quit";
    // The process would end here; the next test finds the window closed.
    if (reopened)
        reopened->close();
}

// The postal guidelines are the application's one such window, and work with no document open:
// chosen from the menu they come up with the keyboard, Escape closes them, and chosen again the
// same window comes back with the text it read once.
TEST_F(WaitingWindowsShellTest, ThePostalGuidelinesWorkWithNoDocumentOpen)
{
    launch(1);
    installDesignWindow(*controller);
    ASSERT_TRUE(manager().closeAllDocuments());
    CAGuidelinesController &guidelines = CAGuidelinesController::sharedGuidelinesController();
    const int readBefore = guidelines.loadCount();
    for (int round = 0; round < 2; ++round) {
        QAction *item = controller->mainMenu().itemForAction(u"guidelinesWindow"_s);
        controller->mainMenu().validate();
        ASSERT_TRUE(item && item->isEnabled());
        item->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&guidelines));
        EXPECT_FALSE(guidelines.textView()->toPlainText().isEmpty());
        QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !guidelines.isVisible(); }, pwtest::kEventWaitMs)) << round;
    }
    EXPECT_LE(guidelines.loadCount() - readBefore, 1) << "the text was read again";
}

INSTANTIATE_TEST_SUITE_P(Shell, WindowsAbovePanelsTest,
                         ::testing::Values(AbovePanels {"Preferences", "preferences"},
                                           AbovePanels {"AddressFormats", "customAddressFormatEditor"},
                                           AbovePanels {"PostalGuidelines", "guidelinesWindow"}),
                         [](const auto &info) { return std::string(info.param.name); });

// The decisions themselves, for the kinds of windows the application has.
TEST(WaitingWindowsTest, WhichWindowTakesTheKeyboard)
{
    QWidget document;
    QWidget other;
    QWidget panel(nullptr, Qt::Tool);
    for (QWidget *window : {&document, &other, &panel})
        window->show();
    QMessageBox sheet(QMessageBox::Warning, u"Parcelwick"_s, u"?"_s, QMessageBox::Ok, &document);
    sheet.setWindowModality(Qt::WindowModal);
    sheet.show();
    QWidget popup(&sheet, Qt::Popup);
    EXPECT_EQ(CAWaitingWindows::toActivateInstead(&document, &sheet, &document), &sheet);
    EXPECT_EQ(CAWaitingWindows::toActivateInstead(&panel, &sheet, &document), &sheet);
    EXPECT_EQ(CAWaitingWindows::toActivateInstead(&panel, &sheet, nullptr), &sheet);
    // Another document goes on while a sheet waits on the first; so do the panels acting for it.
    EXPECT_EQ(CAWaitingWindows::toActivateInstead(&other, &sheet, &document), nullptr);
    EXPECT_EQ(CAWaitingWindows::toActivateInstead(&panel, &sheet, &other), nullptr);
    EXPECT_EQ(CAWaitingWindows::toActivateInstead(&sheet, &sheet, &document), nullptr);
    EXPECT_EQ(CAWaitingWindows::toActivateInstead(&document, nullptr, &document), nullptr);
    sheet.hide();
    sheet.setWindowModality(Qt::ApplicationModal);
    sheet.show();
    EXPECT_EQ(CAWaitingWindows::toActivateInstead(&other, &sheet, &document), &sheet);
    EXPECT_EQ(CAWaitingWindows::toActivateInstead(&popup, &sheet, &document), nullptr);

    // Above a document that comes up the panels float, and above them the box waits.
    const QList<QWidget *> all {&document, &other, &panel, &sheet};
    EXPECT_EQ(CAWaitingWindows::toRaiseAbove(&other, all, &sheet), (QList<QWidget *> {&panel, &sheet}));
    EXPECT_EQ(CAWaitingWindows::toRaiseAbove(&panel, all, &sheet), QList<QWidget *> {&sheet});
    EXPECT_TRUE(CAWaitingWindows::toRaiseAbove(&sheet, all, &sheet).isEmpty()) << "a box that opens is on top";
    sheet.hide();
    EXPECT_EQ(CAWaitingWindows::toRaiseAbove(&other, all, nullptr), QList<QWidget *> {&panel});
    EXPECT_TRUE(CAWaitingWindows::toRaiseAbove(&panel, all, nullptr).isEmpty());

    // The settings window is no document: above a document or a panel it comes up again, over
    // the panels, and brought forward itself it raises nothing.
    QWidget settings;
    CAWaitingWindows::markAsAbovePanels(&settings);
    settings.show();
    const QList<QWidget *> withSettings {&document, &settings, &panel};
    EXPECT_FALSE(CAWaitingWindows::isDocument(&settings));
    EXPECT_EQ(CAWaitingWindows::toRaiseAbove(&document, withSettings, nullptr), (QList<QWidget *> {&panel, &settings}));
    EXPECT_EQ(CAWaitingWindows::toRaiseAbove(&panel, withSettings, nullptr), QList<QWidget *> {&settings});
    EXPECT_TRUE(CAWaitingWindows::toRaiseAbove(&settings, withSettings, nullptr).isEmpty());
}

} // namespace
