// A new user's first start through the windows main() makes: the assistant asked for on the
// command line stays the one window that answers until it ends and never leaves the application
// without a document; a start that names a file it cannot open leaves an untouched label.
#include "FirstStartSupport.h"
#include "TestSupport.h"

#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CASettingsSaveMonitor.h"

#include <QAbstractButton>
#include <QPointer>
#include <QWindow>

#include <QMessageBox>
#include <QTimer>

namespace {

class StartWindowsTest : public shelltest::FirstStartTest
{
protected:
    // Starts as main() does; inAssistant runs once the assistant's window is up.
    void startWindowsWith(const QStringList &arguments)
    {
        startAsMain(arguments, [this] {
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible() && boxAnswer)
                    boxAnswer(box);
            CAAssistantController &wizard = CAAssistantController::sharedWizard();
            if (wizard.isRunning() && wizard.window() && wizard.window()->isVisible() && inAssistant)
                std::exchange(inAssistant, nullptr)();
        });
    }

    std::function<void()> inAssistant;
    std::function<void(QMessageBox *)> boxAnswer;
};

int visibleStartPanels(CADocumentController &controller)
{
    int visible = 0;
    for (int panel = 0; panel < CAFloatingPanels::PanelCount; ++panel)
        visible += controller.panels().isPanelVisible(static_cast<CAFloatingPanels::Panel>(panel)) ? 1 : 0;
    return visible;
}

struct AssistantEnd
{
    const char *name;
    // How the user ends the assistant shown by --assistant.
    std::function<void(CAAssistantController &)> end;
};

class StartAssistantEndTest : public StartWindowsTest, public ::testing::WithParamInterface<AssistantEnd>
{
};

TEST_P(StartAssistantEndTest, TheAssistantIsAloneUntilItEndsAndLeavesAnUntouchedLabel)
{
    int panelsUnderAssistant = -1;
    bool applicationModal = false;
    inAssistant = [this, &panelsUnderAssistant, &applicationModal] {
        CAAssistantController &wizard = CAAssistantController::sharedWizard();
        applicationModal = wizard.window()->windowModality() == Qt::ApplicationModal
            && QApplication::activeModalWidget() == wizard.window();
        // Long enough for anything the start left queued to come up over the assistant.
        QTest::qWait(200);
        panelsUnderAssistant = visibleStartPanels(*start->controller());
        GetParam().end(wizard);
    };
    startWindowsWith({u"--assistant"_s, u"adr"_s});
    ASSERT_TRUE(QTest::qWaitFor([this] { return !start->controller()->manager().documents().isEmpty(); }, 60000))
        << "the assistant left no document";
    EXPECT_TRUE(applicationModal);
    EXPECT_EQ(panelsUnderAssistant, 0) << "panels opened over the assistant";
    EXPECT_FALSE(CAAssistantController::sharedWizard().isRunning());

    const QList<std::shared_ptr<CAOpenDocument>> documents = start->controller()->manager().documents();
    ASSERT_EQ(documents.size(), 1);
    EXPECT_EQ(documents.first()->document->docType(), dtLabel);
    EXPECT_FALSE(documents.first()->isEdited());
    ASSERT_TRUE(documents.first()->window);
    EXPECT_TRUE(documents.first()->window->isVisible());
    // The panels of the last quit come once the assistant is gone.
    EXPECT_TRUE(QTest::qWaitFor([this] { return visibleStartPanels(*start->controller()) > 0; }, 60000));
}

INSTANTIATE_TEST_SUITE_P(Start, StartAssistantEndTest,
                         ::testing::Values(AssistantEnd {"Escape",
                                                         [](CAAssistantController &wizard) {
                                                             QTest::keyClick(wizard.window(), Qt::Key_Escape);
                                                         }},
                                           AssistantEnd {"CancelButton",
                                                         [](CAAssistantController &wizard) {
                                                             auto *cancel =
                                                                 wizard.window()->findChild<QAbstractButton *>(
                                                                     u"_cancelButton"_s);
                                                             ASSERT_NE(cancel, nullptr);
                                                             QTest::mouseClick(cancel, Qt::LeftButton);
                                                         }}),
                         [](const auto &info) { return std::string(info.param.name); });

struct UnopenedFile
{
    const char *name;
    const char *file; // in the test's folder
    QByteArray bytes; // written there unless null
};

class StartUnopenedFileTest : public StartWindowsTest, public ::testing::WithParamInterface<UnopenedFile>
{
};

// A start that names a file it cannot open says why in a box; the label it then leaves (once the
// assistant of a first start is cancelled) is untouched, so that closing it asks nothing.
TEST_P(StartUnopenedFileTest, SaysWhyAndLeavesAnUntouchedLabel)
{
    const UnopenedFile &c = GetParam();
    if (!c.bytes.isNull()) {
        ASSERT_TRUE(pwtest::writeFile(folder.filePath(QString::fromLatin1(c.file)), c.bytes));
    }
    QStringList told;
    boxAnswer = [&told](QMessageBox *box) {
        told.append(box->text());
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    };
    inAssistant = [] { CAAssistantController::sharedWizard().cancel(); };
    startWindowsWith({folder.filePath(QString::fromLatin1(c.file))});
    ASSERT_TRUE(QTest::qWaitFor([this] { return !start->controller()->manager().documents().isEmpty(); }, 60000))
        << "the start left no document";
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.first().contains(QString::fromLatin1(c.file))) << qPrintable(told.first());
    const QList<std::shared_ptr<CAOpenDocument>> documents = start->controller()->manager().documents();
    ASSERT_EQ(documents.size(), 1);
    EXPECT_EQ(documents.first()->document->docType(), dtLabel);
    EXPECT_TRUE(documents.first()->filePath.isEmpty());
    EXPECT_FALSE(documents.first()->isEdited()) << "a label the user never touched is marked changed";
}

INSTANTIATE_TEST_SUITE_P(
    Start, StartUnopenedFileTest,
    ::testing::Values(UnopenedFile {"Missing", "absent.pwdc", QByteArray()},
                      UnopenedFile {"VCardAsDesign", "people.vcf",
                                    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:One;Ann;;;\r\nFN:Ann One\r\nEND:VCARD\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

// Whether a modal window holds the window: as the toolkit decides whether a click reaches it, a
// window is held unless it is the modal window or stands above it as one of its own.
bool boxIsHeld(QWindow *window)
{
    QWindow *modal = QGuiApplication::modalWindow();
    return modal && modal != window && !modal->isAncestorOf(window, QWindow::IncludeTransients);
}

// The box that says what could not be kept answers a click on OK while the assistant is up,
// whether it came during the assistant's run or before it.
TEST(StartSettingsBoxTest, TheNotSavedBoxAnswersOverTheAssistant)
{
    CAAssistantController &wizard = CAAssistantController::sharedWizard();
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before ? "box before the assistant" : "box during the assistant");
        if (before)
            CASettingsSaveMonitor::tellInWindow(u"Parcelwick could not save your settings."_s, u"full"_s);
        bool closedByClick = false;
        bool assistantStillUp = false;
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(QTest::qWaitFor([&wizard] { return wizard.isRunning() && wizard.window()->isVisible(); }, pwtest::kEventWaitMs));
            if (!before)
                CASettingsSaveMonitor::tellInWindow(u"Parcelwick could not save your settings."_s, u"full"_s);
            QPointer<QMessageBox> box;
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (widget->objectName() == u"_settingsNotSaved"_s && widget->isVisible())
                    box = qobject_cast<QMessageBox *>(widget);
            if (box) {
                EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
                QCoreApplication::processEvents();
                // Qt tells a window that a modal one holds it; such a window takes no click.
                EXPECT_FALSE(box->windowHandle() && boxIsHeld(box->windowHandle()))
                    << "the box is held by the assistant";
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                closedByClick = QTest::qWaitFor([&box] { return !box || !box->isVisible(); }, 30000);
            }
            assistantStillUp = wizard.isRunning();
            wizard.cancel();
        });
        wizard.showDialog(false);
        EXPECT_TRUE(closedByClick) << "OK did not answer under the assistant";
        EXPECT_TRUE(assistantStillUp);
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == u"_settingsNotSaved"_s)
                widget->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The order in which windows came to the top: shown or raised.
struct StackingOrder : QObject
{
    QStringList order;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::ZOrderChange)
            order.append(watched->objectName());
        return false;
    }
};

// A panel shown while a sheet or a box waits on a window comes below it: the waiting window is
// brought to the top after the panel.
TEST(StartPanelStackingTest, APanelShownLaterStaysBelowTheWaitingSheetOrBox)
{
    const struct
    {
        const char *name;
        Qt::WindowModality modality;
    } cases[] = {{"sheet", Qt::WindowModal}, {"box", Qt::ApplicationModal}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CAFloatingPanels panels;
        shelltest::FakePanel panel;
        panel.window->setObjectName(u"panel"_s);
        panels.install(CAFloatingPanels::PropertiesWindow, panel.hook());
        QWidget document;
        document.show();
        auto *waiting =
            new QMessageBox(QMessageBox::Warning, u"Parcelwick"_s, u"could not save"_s, QMessageBox::Ok, &document);
        waiting->setObjectName(u"waiting"_s);
        waiting->setWindowModality(c.modality);
        waiting->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(waiting));
        StackingOrder stacking;
        waiting->installEventFilter(&stacking);
        panel.window->installEventFilter(&stacking);
        panels.show(CAFloatingPanels::PropertiesWindow);
        ASSERT_TRUE(panel.window->isVisible());
        ASSERT_FALSE(stacking.order.isEmpty());
        EXPECT_EQ(stacking.order.last(), u"waiting"_s) << qPrintable(stacking.order.join(u", "_s));
        waiting->removeEventFilter(&stacking);
        panel.window->removeEventFilter(&stacking);
        waiting->done(0);
    }
}

// A panel the user brings to the front (a click on it) while a sheet waits on a window does not
// cover the sheet: the sheet comes to the top again after it.
TEST(StartPanelStackingTest, APanelActivatedWhileASheetWaitsStaysBelowIt)
{
    CAFloatingPanels panels;
    shelltest::FakePanel panel;
    panel.window->setObjectName(u"panel"_s);
    // As the application's panels: the window is the module's own, placed by the application.
    CAFloatingPanels::Hook hook = panel.hook();
    hook.window = [window = QPointer<QWidget>(panel.window.get())] { return window.data(); };
    panels.install(CAFloatingPanels::PropertiesWindow, hook);
    panels.show(CAFloatingPanels::PropertiesWindow);
    ASSERT_TRUE(panel.window->isVisible());
    QWidget document;
    document.show();
    auto *waiting = new QMessageBox(QMessageBox::Warning, u"Parcelwick"_s, u"could not save"_s, QMessageBox::Ok, &document);
    waiting->setObjectName(u"waiting"_s);
    waiting->setWindowModality(Qt::WindowModal);
    waiting->open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(waiting));
    StackingOrder stacking;
    waiting->installEventFilter(&stacking);
    panel.window->installEventFilter(&stacking);
    // What the window manager does on the click: the panel comes to the top and is told it is
    // the active window.
    panel.window->raise();
    QEvent activated(QEvent::WindowActivate);
    QCoreApplication::sendEvent(panel.window.get(), &activated);
    ASSERT_FALSE(stacking.order.isEmpty());
    EXPECT_EQ(stacking.order.last(), u"waiting"_s) << qPrintable(stacking.order.join(u", "_s));
    waiting->removeEventFilter(&stacking);
    panel.window->removeEventFilter(&stacking);
    waiting->done(0);
}

} // namespace
