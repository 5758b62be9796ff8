#include "app/shell/CADocumentController.h"

#include "app/document/CAWindowPlacement.h"
#include "kernel/merge/CADocument.h"
#include "app/shell/CAActionRouter.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CADocumentServices.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "app/shell/CAPanelDocumentKeys.h"
#include "app/shell/CASavePanel.h"
#include "app/shell/CASettingsSaveMonitor.h"
#include "app/shell/CAShellCommands.h"
#include "app/shell/CAShellLog.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>

namespace {

// The process's launch state: the kernel document prepared for the next new document, whether
// the first untitled request has happened, and whether the start-up assistant's document is
// still waiting to be reused.
std::unique_ptr<CFTADocument> sFTDoc;
bool bLaunched = false;
bool bRunAssistant = true;
CADocumentController *sShared = nullptr;

const QString kStartingDocumentKey = QStringLiteral("FTStartingDocument");

struct PanelCommand
{
    const char *action;
    CAFloatingPanels::Panel panel;
    const char *shownTitle;
    const char *hiddenTitle;
};

// The three toggles whose menu titles say what a choice will do.
constexpr PanelCommand kPanelCommands[] = {
    {"propertiesWindow", CAFloatingPanels::PropertiesWindow, "Hide Inspector", "Show Inspector"},
    {"designWindow", CAFloatingPanels::DesignWindow, "Hide Design", "Show Design"},
    {"addressWindow", CAFloatingPanels::AddressWindow, "Hide", "Show"},
};

const QStringList &applicationCommands()
{
    static const QStringList commands = {
        QStringLiteral("newDocument"),          QStringLiteral("runAssistant"),
        QStringLiteral("openDocument"),         QStringLiteral("openRecentDocument"),
        QStringLiteral("clearRecentDocuments"), QStringLiteral("terminate"),
        QStringLiteral("propertiesWindow"),     QStringLiteral("designWindow"),
        QStringLiteral("addressWindow"),        QStringLiteral("orderFrontColorPanel"),
        QStringLiteral("orderFrontFontPanel"),
    };
    return commands;
}

void fillMenu(QMenu *menu, const CAddressFormatMenu &items, CAActionRouter &router)
{
    menu->clear();
    for (const CAddressFormatMenuItem &item : items) {
        switch (item.kind) {
        case CAddressFormatMenuItem::Kind::Separator:
            menu->addSeparator();
            break;
        case CAddressFormatMenuItem::Kind::Submenu:
            fillMenu(menu->addMenu(item.title), item.submenu, router);
            break;
        default: {
            QAction *action = menu->addAction(item.title);
            action->setData(item.tag);
            action->setProperty("representedObject", item.representedObject.toVariant());
            router.connectAction(action, item.action);
            break;
        }
        }
    }
}

// A new document window stands a little below and to the right of the one the user worked in,
// so that both titles show; where that leaves the screen it starts again at the top left.
void cascade(QWidget *window, const QWidget *previous)
{
    constexpr int kStep = 24;
    if (!previous) {
        // The first window stands at the top left, whole on the screen, so that the panels
        // that open beside it find the rest of the screen free.
        const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        constexpr int kTitle = 28;
        const QRect room = screen->availableGeometry().adjusted(0, kTitle, 0, 0);
        window->resize(window->size().boundedTo(room.size()).expandedTo(window->minimumSize()));
        window->move(room.topLeft());
        return;
    }
    const QScreen *screen = previous->screen();
    QRect frame(previous->pos() + QPoint(kStep, kStep), window->size());
    if (screen && !screen->availableGeometry().contains(frame))
        frame.moveTopLeft(screen->availableGeometry().topLeft());
    window->move(frame.topLeft());
    CAWindowPlacement::placeInside(window);
}

QMenu *submenuWithTag(QMenu *menu, int tag)
{
    if (!menu)
        return nullptr;
    for (QAction *action : menu->actions())
        if (action->menu() && action->data().isValid() && action->data().toInt() == tag)
            return action->menu();
    return nullptr;
}

} // namespace

CADocumentController::CADocumentController(QObject *parent)
    : QObject(parent)
    , m_router(std::make_unique<CAActionRouter>())
    , m_manager(std::make_unique<CADocumentManager>())
    , m_panels(std::make_unique<CAFloatingPanels>())
{
    sShared = this;
    m_mainMenu = std::make_unique<CAMainMenu>(*m_router);
    m_router->setApplicationTarget(this);
    m_services = std::make_unique<CADocumentServices>(*this);
    m_services->registerCommands();
    m_manager->setQuestions(CASavePanel::questions());
    m_manager->setWindowFactory([this](const std::shared_ptr<CAOpenDocument> &document) { return makeWindow(document); });
    m_mainMenu->setOpenRecentFiller([this](QMenu *menu) { fillOpenRecent(menu); });
    m_mainMenu->setWindowListFiller([this](QMenu *menu) { fillWindowList(menu); });
    CADocument::setPreparedDocumentSource([] { return isReadyFTDoc(); });
    installShellCommands(*this);
    // The colour panel is made with the panels; the others get the keys when they are made.
    passDocumentKeys(m_panels->colorPanel(), *m_mainMenu);
    // Panels shown for the first time keep clear of the pages the user works on.
    m_panels->setKeepClear([this] {
        QList<QRect> pages;
        for (const auto &document : m_manager->documents()) {
            if (const auto *window = qobject_cast<CAMainWindowController *>(document->window.data())) {
                const QRect page = window->pageOnScreen();
                if (!page.isEmpty())
                    pages.append(page);
            }
        }
        return pages;
    });
    m_panels->setRatherClear([this] {
        QList<QRect> windows;
        for (const auto &document : m_manager->documents()) {
            if (const QWidget *window = document->window.data(); window && window->isVisible())
                windows.append(window->frameGeometry());
        }
        return windows;
    });
    connect(m_manager.get(), &CADocumentManager::documentsChanged, this, [this] {
        m_mainMenu->validate();
        if (m_terminateWhenLastDocumentCloses && !m_terminating && m_manager->documents().isEmpty())
            terminate();
    });
}

CADocumentController::~CADocumentController()
{
    CADocument::setPreparedDocumentSource(nullptr);
    // Nothing is validated while the application comes down; windows go before the menus
    // they show.
    m_router->blockSignals(true);
    m_manager.reset();
    if (sShared == this)
        sShared = nullptr;
}

CADocumentController *CADocumentController::sharedDocumentController()
{
    return sShared;
}

std::unique_ptr<CFTADocument> CADocumentController::isReadyFTDoc()
{
    return std::move(sFTDoc);
}

void CADocumentController::prepareDocument(documentType kind)
{
    const QString country = CAEnvironment::defaultCountry();
    sFTDoc = std::make_unique<CFTADocument>(kind, CDDString(country), CDDString(country));
}

bool CADocumentController::runAssistantFlag()
{
    return bRunAssistant;
}

void CADocumentController::setRunAssistantFlag(bool run)
{
    bRunAssistant = run;
}

void CADocumentController::resetLaunchState()
{
    sFTDoc.reset();
    bLaunched = false;
    bRunAssistant = true;
}

void CADocumentController::registerCommand(const QString &action, Command command)
{
    m_commands.insert(action, std::move(command));
    m_mainMenu->validate();
}

QWidget *CADocumentController::makeWindow(const std::shared_ptr<CAOpenDocument> &document)
{
    // The window the user worked in, before the new one counts as the most recent.
    const QWidget *previous = m_router->activeWindow();
    // Built completely before it is kept: a constructor that throws leaves nothing behind.
    auto window = std::make_unique<CAMainWindowController>(document, *m_manager, *m_router, *m_panels,
                                                           m_mainMenu->menus());
    initAddressContextMenu(window->addressContextMenu());
    initTemplateMenu(window->templateMenu());
    cascade(window.get(), previous);
    window->show();
    window->raise();
    window->activateWindow();
    m_router->windowActivated(window.get());
    return window.release();
}

void CADocumentController::applicationWillFinishLaunching()
{
    CAEnvironment::sharedEnvironment();
    // Settings, print lists and senders that cannot be written are told in a window, once.
    if (!findChild<CASettingsSaveMonitor *>())
        new CASettingsSaveMonitor(PWUserDefaults::standardUserDefaults(), &CASettingsSaveMonitor::tellInWindow, this);
    ContactsEntourage = PWLocalizedString(QStringLiteral("MS Entourage"));
    ContactsEudora = PWLocalizedString(QStringLiteral("Eudora"));
    ContactsNowContacts = PWLocalizedString(QStringLiteral("NowContacts"));
    ContactsExcel = PWLocalizedString(QStringLiteral("MS Excel"));
    ContactsFileMaker = PWLocalizedString(QStringLiteral("FileMaker Pro"));
    ContactsVCFSource = PWLocalizedString(QStringLiteral("VCFFile"));
    ContactsTextFileSource = PWLocalizedString(QStringLiteral("TextFile"));
}

void CADocumentController::openStartupDocuments(const QStringList &paths, const QCommandLineParser *textRequests,
                                                const std::function<bool()> &requests)
{
    for (const QString &path : paths)
        m_manager->openDocument(path);
    // A text request is what the user started the application for: it comes before any start-up
    // assistant, which would otherwise stand in front of the label until cancelled.
    if (textRequests)
        m_services->performCommandLineOptions(*textRequests);
    const bool windowToCome = requests && requests();
    if (m_manager->documents().isEmpty() && !windowToCome)
        openUntitledDocument();
    else
        bLaunched = true;
}

void CADocumentController::applicationDidFinishLaunching()
{
    initAddressPanelMainMenu();
    std::array<bool, CAFloatingPanels::PanelCount> wanted {};
    for (int panel = 0; panel < CAFloatingPanels::PanelCount; ++panel)
        wanted[panel] = CAFloatingPanels::rememberedVisible(static_cast<CAFloatingPanels::Panel>(panel));
    m_panels->showAtStart(wanted, !CAEnvironment::panelVisibilityRemembered());
    m_mainMenu->validate();
}

void CADocumentController::applicationWillTerminate()
{
    for (CAFloatingPanels::Panel panel : {CAFloatingPanels::ColorPanel, CAFloatingPanels::FontPanel,
                                          CAFloatingPanels::DesignWindow, CAFloatingPanels::AddressWindow,
                                          CAFloatingPanels::PropertiesWindow}) {
        // A panel this build does not have keeps what was remembered for it.
        if (!m_panels->isInstalled(panel))
            continue;
        CAFloatingPanels::rememberVisible(panel, m_panels->visibleToRemember(panel));
        m_panels->storeFrame(panel);
    }
}

bool CADocumentController::terminate()
{
    if (m_terminating)
        return false;
    m_terminating = true;
    // The panels are remembered while they are still up; the documents may still refuse.
    applicationWillTerminate();
    if (!m_manager->closeAllDocuments()) {
        m_terminating = false;
        return false;
    }
    for (int panel = 0; panel < CAFloatingPanels::PanelCount; ++panel)
        m_panels->close(static_cast<CAFloatingPanels::Panel>(panel));
    QCoreApplication::quit();
    m_terminating = false;
    return true;
}

std::shared_ptr<CAOpenDocument> CADocumentController::openUntitledDocument()
{
    if (!bLaunched) {
        bLaunched = true;
        switch (PWUserDefaults::standardUserDefaults().integerForKey(kStartingDocumentKey)) {
        case 1:
            prepareDocument(dtLabel);
            break;
        case 2:
            prepareDocument(dtEnvelope);
            break;
        case 3:
            prepareDocument(dtPostcard);
            break;
        case 0:
            bRunAssistant = false;
            runAssistant();
            if (!m_manager->documents().isEmpty())
                return m_manager->documents().last();
            break;
        default:
            break;
        }
    } else {
        bRunAssistant = true;
    }
    return m_manager->newDocument();
}

std::shared_ptr<CAOpenDocument> CADocumentController::newDocument(int tag)
{
    prepareDocument(tag == 1 ? dtEnvelope : tag == 2 ? dtPostcard : dtLabel);
    return openUntitledDocument();
}

void CADocumentController::runAssistant()
{
    if (!m_assistant)
        return;
    AssistantResult result = m_assistant(false);
    const int code = result.code;
    if (code == OpenExisting) {
        m_router->perform(QStringLiteral("openDocument"));
        return;
    }
    if (code != Finish && code != CreateAndPrint && code != Blank && code != Recent)
        return;
    // The chosen recent document opens as the file it is, so that saving goes back to it.
    std::shared_ptr<CAOpenDocument> record;
    if (code == Recent && !result.recentDocumentPath.isEmpty()) {
        record = m_manager->openDocument(result.recentDocumentPath, m_router->activeWindow());
        if (!record || !record->document) {
            qCWarning(lcShell) << "Document is not created";
            return;
        }
        if (result.contactsTabIndex == 1 || result.contactsTabIndex == 2) {
            fillWithChosenContact(*record->document);
            if (auto *window = qobject_cast<CAMainWindowController *>(record->window.data()))
                window->updateDocView();
        }
        return;
    }
    if (!result.document) {
        qCWarning(lcShell) << "Document is not created";
        return;
    }
    if (result.contactsTabIndex == 1 || result.contactsTabIndex == 2)
        fillWithChosenContact(*result.document);
    record = m_manager->addDocument(std::move(result.document));
    if (!record)
        return;
    if (code != Blank && code != Recent)
        m_manager->updateChangeCount(record, 1);
    if (code == CreateAndPrint)
        m_router->perform(QStringLiteral("printDocument"));
    if (code == Blank && record->document->ftDocument()) {
        record->document->ftDocument()->arrangeAddressPanel();
        if (auto *window = qobject_cast<CAMainWindowController *>(record->window.data()))
            window->updateDocView();
    }
}

void CADocumentController::fillWithChosenContact(CADocument &document)
{
    // The contacts step ended on the recipients or a print list: the address components follow
    // the chosen contacts and the design shows its recipient.
    if (!document.ftDocument())
        return;
    document.ftDocument()->updateComponentsType(true);
    if (const auto person = document.currentPerson(true))
        document.updateObjectsTextWithPerson(*person, true);
}

void CADocumentController::initTemplateMenu(QMenu *menu) const
{
    if (!menu)
        return;
    CAddressFormatMenu items;
    CAddressFormatController::sharedAddressFormatController().fillTemplateMenu(items);
    fillMenu(menu, items, *m_router);
}

void CADocumentController::initCountryMenu(QMenu *menu) const
{
    if (!menu)
        return;
    CAddressFormatMenu items;
    CAddressFormatController::sharedAddressFormatController().fillCountryMenu(items);
    fillMenu(menu, items, *m_router);
    CAWindowPlacement::keepMenuOnScreen(menu);
}

void CADocumentController::initAddressContextMenu(QMenu *menu) const
{
    initCountryMenu(submenuWithTag(menu, 200));
    initTemplateMenu(submenuWithTag(menu, 202));
}

void CADocumentController::initAddressPanelMainMenu() const
{
    QMenu *addressPanel = nullptr;
    for (QMenu *top : m_mainMenu->menus())
        if ((addressPanel = submenuWithTag(top, 7)))
            break;
    initCountryMenu(submenuWithTag(addressPanel, 200));
    initTemplateMenu(submenuWithTag(addressPanel, 201));
}

void CADocumentController::validateDocumentsView()
{
    initAddressPanelMainMenu();
    for (const auto &document : m_manager->documents()) {
        auto *window = qobject_cast<CAMainWindowController *>(document->window.data());
        if (!window)
            continue;
        initAddressContextMenu(window->addressContextMenu());
        initTemplateMenu(window->templateMenu());
        window->docView()->updateComponents();
    }
    Q_EMIT documentsViewValidated();
}

void CADocumentController::togglePanel(int panel)
{
    m_panels->toggle(static_cast<CAFloatingPanels::Panel>(panel));
}

void CADocumentController::fillOpenRecent(QMenu *menu)
{
    for (const QString &path : m_manager->recentDocuments()) {
        QAction *action = menu->addAction(QFileInfo(path).fileName());
        action->setData(path);
        action->setToolTip(path);
        m_router->connectAction(action, QStringLiteral("openRecentDocument"));
    }
    menu->addSeparator();
    m_router->connectAction(menu->addAction(tr("Clear Menu")), QStringLiteral("clearRecentDocuments"));
    m_router->validateMenu(menu);
}

void CADocumentController::fillWindowList(QMenu *menu)
{
    QWidget *active = m_router->activeWindow();
    for (const auto &document : m_manager->documents()) {
        QWidget *window = document->window;
        if (!window)
            continue;
        QAction *action = menu->addAction(CADocumentManager::displayName(*document));
        action->setCheckable(true);
        action->setChecked(window == active);
        connect(action, &QAction::triggered, window, [window] {
            window->showNormal();
            window->raise();
            window->activateWindow();
        });
    }
}

bool CADocumentController::respondsToAction(const QString &action) const
{
    return applicationCommands().contains(action) || m_commands.contains(action);
}

bool CADocumentController::validateAction(const QString &action, QAction *item)
{
    if (const auto command = m_commands.constFind(action); command != m_commands.constEnd())
        return !command->validate || command->validate(item);
    for (const PanelCommand &entry : kPanelCommands) {
        if (action == QLatin1String(entry.action)) {
            if (item)
                item->setText(PWLocalizedString(QString::fromLatin1(
                    m_panels->isPanelVisible(entry.panel) ? entry.shownTitle : entry.hiddenTitle)));
            return m_panels->isInstalled(entry.panel);
        }
    }
    if (action == QLatin1String("runAssistant"))
        return bool(m_assistant);
    if (action == QLatin1String("orderFrontFontPanel"))
        return m_panels->isInstalled(CAFloatingPanels::FontPanel);
    if (action == QLatin1String("clearRecentDocuments"))
        return !m_manager->recentDocuments().isEmpty();
    return true;
}

void CADocumentController::performAction(const QString &action, QAction *sender)
{
    if (const auto command = m_commands.constFind(action); command != m_commands.constEnd()) {
        if (command->perform)
            command->perform(sender);
        return;
    }
    for (const PanelCommand &entry : kPanelCommands) {
        if (action == QLatin1String(entry.action)) {
            togglePanel(entry.panel);
            return;
        }
    }
    if (action == QLatin1String("newDocument"))
        newDocument(sender ? sender->data().toInt() : 0);
    else if (action == QLatin1String("runAssistant"))
        runAssistant();
    else if (action == QLatin1String("openDocument"))
        m_manager->openDocumentWithQuestion(m_router->activeWindow());
    else if (action == QLatin1String("openRecentDocument") && sender)
        m_manager->openDocument(sender->data().toString(), m_router->activeWindow());
    else if (action == QLatin1String("clearRecentDocuments"))
        m_manager->clearRecentDocuments();
    else if (action == QLatin1String("terminate"))
        terminate();
    else if (action == QLatin1String("orderFrontColorPanel"))
        m_panels->show(CAFloatingPanels::ColorPanel);
    else if (action == QLatin1String("orderFrontFontPanel"))
        m_panels->show(CAFloatingPanels::FontPanel);
}
