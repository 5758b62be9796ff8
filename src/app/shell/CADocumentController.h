#pragma once

#include "app/shell/CAActionTarget.h"
#include "kernel/base/FTTypes.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>

class CADocument;
class CADocumentManager;
class CADocumentServices;
class CAActionRouter;
class CAFloatingPanels;
class CAMainMenu;
class CFTADocument;
class QCommandLineParser;
class QMenu;
class QWidget;
struct CAOpenDocument;

// The application object's delegate and the keeper of its documents: what the first document of
// a launch is, new documents by kind, the assistant's outcome, the floating panels reopened as
// they were at the last quit, the address menus, and the commands that need no document.
class CADocumentController : public QObject, public CAActionTarget
{
    Q_OBJECT
public:
    // The assistant's finish codes.
    enum AssistantCode { Cancelled = -1, Finish = 0, CreateAndPrint = 1, OpenExisting = 2, Blank = 3, Recent = 4 };
    struct AssistantResult
    {
        int code = Cancelled;
        // The document the assistant made for codes 0, 1, 3 and 4; may be null.
        std::unique_ptr<CADocument> document;
        // The tab the contacts step ended on; 1 and 2 fill the design with the chosen contact.
        int contactsTabIndex = 0;
        // The recent document chosen, for code 4: it opens as that file.
        QString recentDocumentPath;
    };
    // Runs the assistant modally. Until the assistant exists there is none, and the start-up that
    // asks for it goes on as if it was cancelled.
    using Assistant = std::function<AssistantResult(bool fromService)>;

    // A command of another module that needs no document (About, help, preferences, ...).
    struct Command
    {
        std::function<bool(QAction *item)> validate;
        std::function<void(QAction *item)> perform;
    };

    explicit CADocumentController(QObject *parent = nullptr);
    ~CADocumentController() override;

    static CADocumentController *sharedDocumentController();

    // The prepared kernel document, handed out once.
    static std::unique_ptr<CFTADocument> isReadyFTDoc();
    // Prepares a new design of the kind for the next document, replacing any prepared one.
    static void prepareDocument(documentType kind);
    // False from the start-up assistant's run until a request reuses its document; the
    // assistant's Service request reads and sets it.
    static bool runAssistantFlag();
    static void setRunAssistantFlag(bool run);
    // Forgets the launch state, for a fresh start in the same process.
    static void resetLaunchState();

    CADocumentManager &manager() const { return *m_manager; }
    CAActionRouter &router() const { return *m_router; }
    CAMainMenu &mainMenu() const { return *m_mainMenu; }
    CAFloatingPanels &panels() const { return *m_panels; }
    CADocumentServices &services() const { return *m_services; }

    void setAssistant(Assistant assistant) { m_assistant = std::move(assistant); }
    const Assistant &assistant() const { return m_assistant; }
    void registerCommand(const QString &action, Command command);

    // The environment and the localized names of the contact sources.
    void applicationWillFinishLaunching();
    // What a launch shows first: the files named on the command line, then the addresses handed
    // over as text (each making or taking its document, as the text services do), then what the
    // start's other requests make (true when they left a window still to come); only when none
    // left a document open, the first untitled one (which may be the assistant). A launch that
    // opened something has had its first document: a later new one is of the kind asked for.
    void openStartupDocuments(const QStringList &paths, const QCommandLineParser *textRequests = nullptr,
                              const std::function<bool()> &requests = {});
    // The address menus and the floating panels as they were at the last quit.
    void applicationDidFinishLaunching();
    // Remembers which floating panels are open.
    void applicationWillTerminate();
    // Asks about every edited document; on agreement remembers the panels and ends the
    // application. False when the user cancelled.
    bool terminate();
    // When set, closing the last document ends the application, as a desktop user expects.
    void setTerminateWhenLastDocumentCloses(bool terminate) { m_terminateWhenLastDocumentCloses = terminate; }

    // The first untitled document of a launch follows "FTStartingDocument"; later ones are made
    // from whatever is prepared.
    std::shared_ptr<CAOpenDocument> openUntitledDocument();
    // Tag 0 Label, 1 Envelope, 2 Postcard, any other Label.
    std::shared_ptr<CAOpenDocument> newDocument(int tag);
    void runAssistant();

    void initTemplateMenu(QMenu *menu) const;
    void initCountryMenu(QMenu *menu) const;
    void initAddressContextMenu(QMenu *menu) const;
    void initAddressPanelMainMenu() const;
    // Fills the address menus again after the formats or the preferences changed, fills every
    // design's addresses again from its persons, and tells the design window to rebuild its
    // lists (documentsViewValidated).
    void validateDocumentsView();

    bool respondsToAction(const QString &action) const override;
    bool validateAction(const QString &action, QAction *item) override;
    void performAction(const QString &action, QAction *sender) override;

Q_SIGNALS:
    // The document views were validated: the design window's template and field lists follow.
    void documentsViewValidated();

private:
    QWidget *makeWindow(const std::shared_ptr<CAOpenDocument> &document);
    static void fillWithChosenContact(CADocument &document);
    void togglePanel(int panel);
    void fillOpenRecent(QMenu *menu);
    void fillWindowList(QMenu *menu);

    std::unique_ptr<CAActionRouter> m_router;
    std::unique_ptr<CADocumentManager> m_manager;
    std::unique_ptr<CAFloatingPanels> m_panels;
    std::unique_ptr<CAMainMenu> m_mainMenu;
    std::unique_ptr<CADocumentServices> m_services;
    Assistant m_assistant;
    QHash<QString, Command> m_commands;
    bool m_terminateWhenLastDocumentCloses = false;
    bool m_terminating = false;
};
