#pragma once

#include "app/shell/CADocumentController.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>

class CAAssistantContactsStep;
class CAAssistantDesingController;
class CAAssistantTabView;
class CAHeldKeys;
class CADocument;
class CALayoutController;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QDialog;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class QWidget;

// The assistant: one modal window of three steps (paper template, design, contacts) with which
// the user makes a new document. Running it answers a finish code; the caller then asks the
// same object for the document (createDocument, createBlankDocument, createDocumentWithPath).
// The window, the choosers and both step controllers are made on the first run and keep their
// state from one run to the next.
class CAAssistantController : public QObject
{
    Q_OBJECT
public:
    enum FinishCode { Cancelled = -1, Finish = 0, Print = 1, Open = 2, NewBlank = 3, RecentDocument = 4 };
    // Steps and kinds as the window identifies them.
    static const QString kLabelLayout;    // "11"
    static const QString kEnvelopeLayout; // "12"
    static const QString kPostcardLayout; // "13"
    // The user default holding the kind last picked (0 label, 1 envelope, 2 postcard).
    static const QString kRecentLayoutViewKey;
    static const QString UpdateNextButtonInAssistant;
    static const QString UpdateSenderListController;
    static const QString UpdatePrintListController;
    // Menu tags of the recent-documents pull-down.
    static constexpr int kOpenTitleTag = 80;
    static constexpr int kFileTag = 100;

    explicit CAAssistantController(QObject *parent = nullptr);
    ~CAAssistantController() override;

    // The application's one assistant, made on first use and kept for the whole process.
    static CAAssistantController &sharedWizard();

    int showDialog(bool fromService);
    // layout: empty or one of "11", "12", "13"; category: empty or a title of the label
    // chooser's category menu.
    int showDialog(bool fromService, const QString &layout, const QString &category);

    // Prepares a run and leaves the window to be shown: what showDialog does before it waits.
    bool beginRun(bool fromService, const QString &layout, const QString &category);

    std::unique_ptr<CADocument> createDocument();
    std::unique_ptr<CADocument> createBlankDocument();
    std::unique_ptr<CADocument> createDocumentWithPath(const QString &path);
    // Runs the assistant and makes the document its code asks for, as the application does.
    CADocumentController::AssistantResult run(bool fromService, const QString &layout = QString(),
                                              const QString &category = QString());

    int currentContactsTabViewIndex() const;
    QString currentSelectedRecentDocumentPath() const { return m_currSelectedRecentDocumentPath; }
    bool isRunning() const { return m_isRunning; }
    bool finishAssistantFromService() const { return m_finishAssistantFromService; }

    // The contacts step; until one is set the assistant finishes at the design step.
    void setContactsStep(std::unique_ptr<CAAssistantContactsStep> step);
    // The layout and category the next run that names none opens with (a command's choice).
    void setNextRunLayout(const QString &layout, const QString &category)
    {
        m_pendingLayout = layout;
        m_pendingCategory = category;
    }
    std::pair<QString, QString> takeNextRunLayout()
    {
        return {std::exchange(m_pendingLayout, QString()), std::exchange(m_pendingCategory, QString())};
    }
    // Where the recent documents come from; by default the document manager's stored list.
    void setRecentDocumentsSource(std::function<QStringList()> source) { m_recentDocuments = std::move(source); }

    // --- actions -----------------------------------------------------------------------------

    void buttonNext();
    void buttonPrev();
    void cancel();
    void print();
    void open();
    void newBlank();
    void openRecentDocumentButton(QAction *item);
    void layoutTabControl(int tag);
    void contactTabControl(int tag);
    void updateNextButton();
    bool shouldFinishOnNextButton() const;

    // --- the window, for the application and for tests ---------------------------------------

    // Loads the window when it is not loaded yet; false when it cannot be.
    bool loadWindow();
    QDialog *window() const { return m_window; }
    QAbstractButton *nextButton() const;
    QAbstractButton *prevButton() const;
    QToolButton *openRecentButton() const;
    QMenu *recentDocumentMenu() const;
    CAAssistantTabView *stepTabView() const;
    QTabWidget *layoutTabView() const;
    // The identifier of the step shown: "1", "2" or "3".
    QString currentStepIdentifier() const;
    CALayoutController *layoutController(int index) const;
    CAAssistantDesingController *designController() const { return _designController; }
    // Keys typed while the design step waits for its designs.
    CAHeldKeys *heldKeys() const { return m_heldKeys; }
    QString selectedLayout() const { return m_selectedLayout; }

private:
    void fillRecentDocumentPopUpMenu();
    void setNextButtonText(const QString &title);
    void selectStep(int index);
    void willSelectStep(int from, int to);
    void didSelectStep(int index);
    void showArt(const QString &name);
    void waitForDesigns();
    void stopModal(int code);
    void setPopupsOfChoosers();
    CALayoutController *selectedChooser() const;

    QPointer<QDialog> m_window;
    QPointer<CAAssistantTabView> _tabView;
    QPointer<QTabWidget> _layoutTabView;
    QPointer<QWidget> _tabControl;
    QPointer<QWidget> _contactTabControl;
    QPointer<QWidget> _contactsView;
    QPointer<QPushButton> _nextButton;
    QPointer<QPushButton> _prevButton;
    QPointer<QLabel> _artImage;
    QPointer<QToolButton> _openRecentButton;
    QPointer<QMenu> _recentDocumentMenu;
    QButtonGroup *m_kindGroup = nullptr;
    QButtonGroup *m_contactGroup = nullptr;
    CALayoutController *_layoutLabelController = nullptr;
    CALayoutController *_layoutEnvelopController = nullptr;
    CALayoutController *_layoutPostcardController = nullptr;
    CAAssistantDesingController *_designController = nullptr;
    CAHeldKeys *m_heldKeys = nullptr;
    std::unique_ptr<CAAssistantContactsStep> _contactsController;
    std::function<QStringList()> m_recentDocuments;

    QString m_currSelectedRecentDocumentPath;
    bool m_finishAssistantFromService = false;
    bool m_printListWasSelected = false;
    QString m_selectedLayout;
    bool m_contactIsSelected = false;
    bool m_isRunning = false;
    QString m_pendingLayout;
    QString m_pendingCategory;
};

// Makes the shared assistant the application's: File > New with Assistant and the start-up
// show it, and on first start the sample designs are copied into the user's content library.
void installAssistant(CADocumentController &controller);
// Shows the assistant on the chooser of a document type (0 label, 1 envelope, 26 postcard), as
// a command that opens the assistant does; a running assistant is first ended with Finish.
void runAssistantForDocumentType(CADocumentController &controller, int documentType,
                                 const QString &category = QString());
