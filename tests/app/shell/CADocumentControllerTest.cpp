// The application object as main starts it: the first document by the start-up preference, new
// documents by kind, the assistant's outcomes, the panels of the last session, and the address
// menus.
#include "ShellTestSupport.h"

#include "app/document/CAWindowPlacement.h"
#include "app/shell/CAMainMenu.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

namespace {

using CADocumentControllerTest = shelltest::Test;

documentType kindOf(const std::shared_ptr<CAOpenDocument> &document)
{
    return document->document->ftDocument()->getDocumentType();
}

TEST_F(CADocumentControllerTest, FirstDocumentFollowsTheStartingDocumentPreference)
{
    const struct
    {
        std::optional<int> preference;
        documentType kind;
        const char *word;
    } cases[] = {
        {1, dtLabel, " - Label "},
        {2, dtEnvelope, " - Envelope "},
        {3, dtPostcard, " - Postcard "},
        // The assistant does not exist yet: the start-up goes on as if it was cancelled.
        {0, dtLabel, " - Label "},
        {std::nullopt, dtLabel, " - Label "},
        {9, dtLabel, " - Label "},
    };
    for (const auto &c : cases) {
        SetUp();
        launch(c.preference);
        ASSERT_EQ(manager().documents().size(), 1) << c.preference.value_or(-1);
        EXPECT_EQ(kindOf(manager().documents()[0]), c.kind);
        CAMainWindowController *w = window(0);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->windowTitle().startsWith(u"Untitled[*]"_s + QString::fromLatin1(c.word)))
            << w->windowTitle().toStdString();
        EXPECT_EQ(w->document()->countryCodeTo(), u"us"_s);
        TearDown();
    }
}

TEST_F(CADocumentControllerTest, NewByKindOpensWindowsWithTheirTitles)
{
    launch(2);
    ASSERT_EQ(kindOf(manager().documents()[0]), dtEnvelope);
    // Later documents take the menu's kind, whatever the start-up preference says.
    const struct
    {
        int tag;
        documentType kind;
        QString title;
    } cases[] = {
        {0, dtLabel, u"Untitled 2[*] - Label "_s},
        {1, dtEnvelope, u"Untitled 3[*] - Envelope "_s},
        {2, dtPostcard, u"Untitled 4[*] - Postcard "_s},
        {5, dtLabel, u"Untitled 5[*] - Label "_s},
    };
    for (const auto &c : cases) {
        QAction *item = controller->mainMenu().itemForAction(u"newDocument"_s, c.tag == 5 ? 0 : c.tag);
        ASSERT_NE(item, nullptr);
        if (c.tag == 5)
            controller->newDocument(5);
        else
            item->trigger();
        const auto made = manager().documents().last();
        EXPECT_EQ(kindOf(made), c.kind);
        auto *w = qobject_cast<CAMainWindowController *>(made->window.data());
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->windowTitle().startsWith(c.title)) << w->windowTitle().toStdString();
        EXPECT_TRUE(w->windowTitle().contains(u" - Size "_s));
    }
    EXPECT_EQ(openWindowCount(), 5);
}

TEST_F(CADocumentControllerTest, NewPostcardChosenWithTheMouseInTheMenuBar)
{
    launch(1);
    CAMainWindowController *w = window(0);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QMenuBar *bar = w->menuBar();
    QMenu *file = controller->mainMenu().menu(u"File"_s);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    QAction *postcard = controller->mainMenu().itemForAction(u"newDocument"_s, 2);
    ASSERT_TRUE(postcard->isEnabled());
    QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(postcard).center());
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(kindOf(manager().documents()[1]), dtPostcard);
    EXPECT_TRUE(window(1)->windowTitle().startsWith(u"Untitled 2[*] - Postcard "_s));
    EXPECT_FALSE(file->isVisible());
}

TEST_F(CADocumentControllerTest, NewWindowsStandBelowAndRightOfTheActiveOne)
{
    launch(1);
    CAMainWindowController *first = window(0);
    const QRect room = first->screen()->availableGeometry();
    // The title bar above a window stays on the screen.
    const QPoint topLeft = room.topLeft() + QPoint(0, CAWindowPlacement::kTitleBar);
    first->move(topLeft);
    first->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(first));
    QTest::keyClick(first, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(manager().documents().size(), 2);
    EXPECT_EQ(window(1)->pos(), first->pos() + QPoint(24, 24));
    // Where the next step would leave the screen, the window starts again at its top left.
    window(1)->move(room.bottomRight() - QPoint(window(1)->width(), window(1)->height()) + QPoint(1, -10));
    controller->router().windowActivated(window(1));
    controller->newDocument(2);
    ASSERT_EQ(manager().documents().size(), 3);
    EXPECT_EQ(window(2)->geometry().topLeft(), topLeft);
}

TEST_F(CADocumentControllerTest, AssistantDocumentIsTheFirstDocumentAndNothingBesideIt)
{
    const struct
    {
        int code;
        bool edited;
        int documents;
    } cases[] = {
        {CADocumentController::Finish, true, 1},
        {CADocumentController::Blank, false, 1},
        {CADocumentController::Recent, false, 1},
        // Cancelled: the untitled request makes a default Label.
        {CADocumentController::Cancelled, false, 1},
    };
    for (const auto &c : cases) {
        SetUp();
        PWUserDefaults::standardUserDefaults().setInteger(u"FTStartingDocument"_s, 0);
        controller = std::make_unique<CADocumentController>();
        controller->manager().questions().report = [this](QWidget *, const QString &m) { reports.append(m); };
        int runs = 0;
        CADocument *made = nullptr;
        controller->setAssistant([&](bool fromService) {
            EXPECT_FALSE(fromService);
            ++runs;
            CADocumentController::AssistantResult result;
            result.code = c.code;
            if (c.code != CADocumentController::Cancelled) {
                CADocumentController::prepareDocument(dtPostcard);
                result.document = std::make_unique<CADocument>();
                made = result.document.get();
            }
            return result;
        });
        controller->openStartupDocuments({});
        EXPECT_EQ(runs, 1);
        ASSERT_EQ(manager().documents().size(), c.documents) << c.code;
        const auto first = manager().documents()[0];
        if (made) {
            EXPECT_EQ(first->document.get(), made);
        }
        EXPECT_EQ(first->isEdited(), c.edited) << c.code;
        EXPECT_EQ(kindOf(first), made ? dtPostcard : dtLabel);
        TearDown();
    }
}

TEST_F(CADocumentControllerTest, AssistantAnsweringOpenRunsTheOpenPanel)
{
    // A design on disk to open.
    {
        CADocumentManager writer;
        writer.questions().savePath = [&](QWidget *, CADocumentManager::SaveKind, const QString &, QString *) {
            return path(u"chosen.pwdc"_s);
        };
        ASSERT_TRUE(writer.saveDocumentAs(writer.newDocument()));
    }
    PWUserDefaults::standardUserDefaults().setInteger(u"FTStartingDocument"_s, 0);
    controller = std::make_unique<CADocumentController>();
    controller->manager().questions().openPath = [&](QWidget *) { return path(u"chosen.pwdc"_s); };
    controller->setAssistant([](bool) {
        CADocumentController::AssistantResult result;
        result.code = CADocumentController::OpenExisting;
        return result;
    });
    controller->openStartupDocuments({});
    ASSERT_EQ(manager().documents().size(), 1);
    EXPECT_EQ(manager().documents()[0]->filePath, path(u"chosen.pwdc"_s));
    EXPECT_FALSE(CADocumentController::runAssistantFlag());
    TearDown();

    // The user cancels the open panel: a default Label opens.
    SetUp();
    PWUserDefaults::standardUserDefaults().setInteger(u"FTStartingDocument"_s, 0);
    controller = std::make_unique<CADocumentController>();
    controller->manager().questions().openPath = [](QWidget *) { return QString(); };
    controller->setAssistant([](bool) {
        CADocumentController::AssistantResult result;
        result.code = CADocumentController::OpenExisting;
        return result;
    });
    controller->openStartupDocuments({});
    ASSERT_EQ(manager().documents().size(), 1);
    EXPECT_TRUE(manager().documents()[0]->filePath.isEmpty());
    EXPECT_EQ(manager().documents()[0]->document->ftDocument()->getDocumentType(), dtLabel);
    // Any later request sets the flag again.
    controller->newDocument(0);
    EXPECT_TRUE(CADocumentController::runAssistantFlag());
}

TEST_F(CADocumentControllerTest, AssistantThatMakesNoDocumentMakesNothing)
{
    launch(1);
    controller->setAssistant([](bool) {
        CADocumentController::AssistantResult result;
        result.code = CADocumentController::Finish;
        return result;
    });
    controller->router().perform(u"runAssistant"_s);
    EXPECT_EQ(manager().documents().size(), 1);
}

TEST_F(CADocumentControllerTest, FilesNamedAtStartOpenInsteadOfAnUntitledDocument)
{
    {
        CADocumentManager writer;
        writer.questions().savePath = [&](QWidget *, CADocumentManager::SaveKind, const QString &, QString *) {
            return path(u"given.pwdc"_s);
        };
        ASSERT_TRUE(writer.saveDocumentAs(writer.newDocument()));
    }
    controller = std::make_unique<CADocumentController>();
    controller->manager().questions().report = [this](QWidget *, const QString &m) { reports.append(m); };
    controller->openStartupDocuments({path(u"given.pwdc"_s), path(u"absent.pwdc"_s)});
    ASSERT_EQ(manager().documents().size(), 1);
    EXPECT_EQ(manager().documents()[0]->filePath, path(u"given.pwdc"_s));
    EXPECT_EQ(reports.size(), 1);
    EXPECT_EQ(openWindowCount(), 1);
}

TEST_F(CADocumentControllerTest, PanelsReopenAfterARestartAsTheyWereAtQuit)
{
    shelltest::FakePanel design, inspector, address;
    const auto install = [&] {
        controller->panels().install(CAFloatingPanels::DesignWindow, design.hook());
        controller->panels().install(CAFloatingPanels::PropertiesWindow, inspector.hook());
        controller->panels().install(CAFloatingPanels::AddressWindow, address.hook());
    };
    controller = std::make_unique<CADocumentController>();
    install();
    controller->openStartupDocuments({});
    controller->applicationDidFinishLaunching();
    // Never remembered: every panel opens, where it stands clear of the page and of the others
    // if it can. On this small screen the colour panel has no such place: it opens all the same.
    ASSERT_LT(QGuiApplication::primaryScreen()->availableGeometry().width(), 1280) << "a screen too small for all";
    EXPECT_TRUE(design.window->isVisible());
    EXPECT_TRUE(inspector.window->isVisible());
    EXPECT_TRUE(address.window->isVisible());
    EXPECT_TRUE(controller->panels().colorPanel()->isVisible());
    EXPECT_TRUE(controller->panels().isPanelVisible(CAFloatingPanels::FontPanel));
    controller->router().perform(u"orderFrontColorPanel"_s);
    EXPECT_TRUE(controller->panels().colorPanel()->isVisible());

    controller->router().perform(u"designWindow"_s);
    controller->router().perform(u"addressWindow"_s);
    controller->panels().close(CAFloatingPanels::ColorPanel);
    EXPECT_FALSE(design.window->isVisible());
    ASSERT_TRUE(controller->terminate());
    EXPECT_TRUE(manager().documents().isEmpty());
    EXPECT_FALSE(inspector.window->isVisible()) << "quitting closes the panels";
    controller.reset();

    CADocumentController::resetLaunchState();
    controller = std::make_unique<CADocumentController>();
    install();
    controller->openStartupDocuments({});
    controller->applicationDidFinishLaunching();
    EXPECT_FALSE(design.window->isVisible());
    EXPECT_TRUE(inspector.window->isVisible());
    EXPECT_FALSE(address.window->isVisible());
    EXPECT_FALSE(controller->panels().colorPanel()->isVisible());
    // Left open at quit.
    EXPECT_TRUE(controller->panels().isPanelVisible(CAFloatingPanels::FontPanel));
    controller->panels().close(CAFloatingPanels::FontPanel);

    // The colour panel the user opened and left open comes back after a restart, no first start,
    // even where it has no clear place.
    controller->router().perform(u"orderFrontColorPanel"_s);
    ASSERT_TRUE(controller->terminate());
    controller.reset();
    CADocumentController::resetLaunchState();
    controller = std::make_unique<CADocumentController>();
    install();
    controller->openStartupDocuments({});
    controller->applicationDidFinishLaunching();
    EXPECT_TRUE(controller->panels().colorPanel()->isVisible()) << "as it was at quit";
    EXPECT_TRUE(inspector.window->isVisible());
    EXPECT_FALSE(design.window->isVisible());
    controller->panels().close(CAFloatingPanels::ColorPanel);
}

TEST_F(CADocumentControllerTest, PanelTogglesAreTitledByWhatTheyWillDo)
{
    launch(1);
    QAction *inspector = controller->mainMenu().itemForAction(u"propertiesWindow"_s);
    QAction *design = controller->mainMenu().itemForAction(u"designWindow"_s);
    QAction *address = controller->mainMenu().itemForAction(u"addressWindow"_s);
    controller->mainMenu().validate();
    EXPECT_FALSE(inspector->isEnabled()) << "no inspector in this build yet";
    EXPECT_EQ(inspector->text(), u"Show Inspector"_s);

    shelltest::FakePanel panels[3];
    controller->panels().install(CAFloatingPanels::PropertiesWindow, panels[0].hook());
    controller->panels().install(CAFloatingPanels::DesignWindow, panels[1].hook());
    controller->panels().install(CAFloatingPanels::AddressWindow, panels[2].hook());
    controller->mainMenu().validate();
    EXPECT_TRUE(inspector->isEnabled());
    EXPECT_EQ(design->text(), u"Show Design"_s);
    EXPECT_EQ(address->text(), u"Show Addresses"_s);
    design->trigger();
    address->trigger();
    EXPECT_TRUE(panels[1].window->isVisible());
    EXPECT_EQ(design->text(), u"Hide Design"_s);
    EXPECT_EQ(address->text(), u"Hide Addresses"_s);
    EXPECT_EQ(inspector->text(), u"Show Inspector"_s);
    design->trigger();
    EXPECT_FALSE(panels[1].window->isVisible());
    EXPECT_EQ(design->text(), u"Show Design"_s);
}

TEST_F(CADocumentControllerTest, AddressMenusAreFilledFromTheFormatCatalogue)
{
    launch(1);
    QMenu *format = controller->mainMenu().menu(u"Format/Address Panel"_s);
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->menuAction()->data().toInt(), 7);
    QMenu *country = controller->mainMenu().menu(u"Format/Address Panel/Country"_s);
    QMenu *templates = controller->mainMenu().menu(u"Format/Address Panel/Template"_s);
    ASSERT_TRUE(country && templates);
    EXPECT_GT(country->actions().size(), 10);
    EXPECT_GT(templates->actions().size(), 3);
    const QMenu *context = window(0)->addressContextMenu();
    // Country and template, then the side and the address type of the panel.
    ASSERT_EQ(context->actions().size(), 4);
    EXPECT_EQ(context->actions()[2]->menu()->actions().size(), 2);
    EXPECT_EQ(context->actions()[3]->menu()->actions().size(), 4);
    EXPECT_EQ(context->actions()[0]->menu()->actions().size(), country->actions().size());
    EXPECT_EQ(context->actions()[1]->menu()->actions().size(), templates->actions().size());
    EXPECT_EQ(window(0)->templateMenu()->actions().size(), templates->actions().size());

    // Filling again replaces, never adds.
    controller->validateDocumentsView();
    EXPECT_EQ(context->actions()[0]->menu()->actions().size(), country->actions().size());
    EXPECT_EQ(controller->mainMenu().menu(u"Format/Address Panel/Country"_s)->actions().size(),
              country->actions().size());
}

TEST_F(CADocumentControllerTest, CommandsOfModulesNotBuiltYetAreShownDisabled)
{
    launch(1);
    controller->mainMenu().validate();
    for (const char *action : {"printDocument", "undo", "copy", "alignComponentsLeft",
                               "openChangeLayoutDialog", "runAssistant", "showInternet", "increaseFontSize"}) {
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(action));
        ASSERT_NE(item, nullptr) << action;
        EXPECT_FALSE(item->isEnabled()) << action;
    }
    for (const char *action : {"saveDocument", "zoomIn", "performClose", "openDocument", "orderFrontColorPanel",
                               "orderFrontFontPanel", "aboutWindow", "showHelp", "gotoHomePage", "preferences"}) {
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(action));
        ASSERT_NE(item, nullptr) << action;
        EXPECT_TRUE(item->isEnabled()) << action;
    }
    // A module registers its command, and the item performs it.
    int shown = 0;
    controller->registerCommand(u"preferences"_s, {nullptr, [&](QAction *) { ++shown; }});
    QAction *preferences = controller->mainMenu().itemForAction(u"preferences"_s);
    EXPECT_TRUE(preferences->isEnabled());
    preferences->trigger();
    EXPECT_EQ(shown, 1);
}

} // namespace

// At a first start the panels open (none was remembered closed), each placed clear of the page
// of the document and of the panels before it while the screen has room for that. The test's
// screen is small: the colour and font panels, which would fill it, are remembered closed.
TEST_F(CADocumentControllerTest, PanelsOfAFirstStartLeaveTheDocumentsPageFree)
{
    shelltest::FakePanel design, inspector, address;
    CAEnvironment::setColorPanelVisible(false);
    CAEnvironment::setFontPanelVisible(false);
    controller = std::make_unique<CADocumentController>();
    for (auto [panel, fake] : {std::pair {CAFloatingPanels::DesignWindow, &design},
                               std::pair {CAFloatingPanels::PropertiesWindow, &inspector},
                               std::pair {CAFloatingPanels::AddressWindow, &address}}) {
        QPointer<QWidget> window = fake->window.get();
        window->resize(150, 130);
        CAFloatingPanels::Hook hook = fake->hook();
        hook.window = [window] { return window.data(); };
        controller->panels().install(panel, hook);
    }
    controller->applicationWillFinishLaunching();
    controller->openStartupDocuments({});
    CAMainWindowController *document = window(0);
    ASSERT_NE(document, nullptr);
    // A small window, so that the panels have room beside its page on the test's small screen.
    document->resize(380, 330);
    document->move(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    QCoreApplication::processEvents();
    const QRect page = document->pageOnScreen();
    ASSERT_FALSE(page.isEmpty());
    controller->applicationDidFinishLaunching();

    QList<QWidget *> shown = {design.window.get(), inspector.window.get(), address.window.get()};
    for (QWidget *panel : shown)
        EXPECT_TRUE(panel->isVisible());
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    for (int i = 0; i < shown.size(); ++i) {
        const QRect frame(shown[i]->pos(), shown[i]->size());
        EXPECT_TRUE(room.contains(frame)) << i;
        EXPECT_FALSE(frame.intersects(page)) << "panel " << i << " covers the page";
        for (int j = 0; j < i; ++j)
            EXPECT_FALSE(frame.intersects(QRect(shown[j]->pos(), shown[j]->size()))) << i << " over " << j;
    }
    EXPECT_FALSE(controller->panels().colorPanel()->isVisible());
}
