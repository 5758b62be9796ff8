#pragma once

#include "app/contacts/CAPersonListDictionary.h"
#include "platform/PWPlist.h"

#include <QWidget>

#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class CAAddressBookSource;
class CAContactEditorSheet;
class CAPrintMultipleDialog;
class CAContactTableModel;
class CAImportWorker;
class CADataSourceContainer;
class CALocalContactBase;
class CAPrintListArray;
class CASenderList;
class CATextFileSource;
class CAVCFSource;
class PWAddressBook;
class PWPerson;
class PWUserDefaults;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QToolButton;

// The address window: one floating tool window from which the user picks the person a design
// shows. Senders, Contacts (a table per source, the source pop-up, search, sort menu and the
// source's update button) and Print lists. A person chosen in any table goes to the hook the
// application installs, with its side and the print list shown; imports run on a worker thread
// while the window shows their progress and stays usable.
class CAAddressWindow : public QWidget
{
    Q_OBJECT
public:
    enum MainTab { SendersTab = 0, ContactsTab = 1, PrintListsTab = 2 };

    struct Models
    {
        CADataSourceContainer &container;
        PWUserDefaults &defaults;
        PWAddressBook &book;
        CASenderList &senders;
        CALocalContactBase &localBase;
        CAPrintListArray &printLists;
    };
    // The chosen person, whether it is a recipient, and the print list shown (-1 for none).
    using PersonChosen = std::function<void(const PWPerson &person, bool isRecipient, int printListIndex)>;

    static Models sharedModels();
    // The search field of the contact windows: a plain line edit unless the application gives
    // one of its own (its simple search field). The field filters at every change of its text.
    using SearchFieldMaker = std::function<QLineEdit *()>;
    static void setSearchFieldMaker(SearchFieldMaker maker);
    static QLineEdit *makeSearchField();
    explicit CAAddressWindow(const Models &models, QWidget *parent = nullptr);
    ~CAAddressWindow() override;

    void setPersonChosen(PersonChosen hook) { m_personChosen = std::move(hook); }

    void showSenders();
    void showRecipients(bool localBase);
    void showPrintLists();
    // A design selected one address object of a side: the senders, or the recipient tab used
    // last (the contacts when that was the print lists and there are none).
    void followAddressSelection(bool isRecipient);
    // The source names of the pop-up, in its order.
    QStringList sourceNames() const;
    QString currentSourceName() const;
    void changeSourceWithName(const QString &name);
    CAContactTableModel *currentModel() const;
    CAContactTableModel *modelOfSource(const QString &name) const;
    CAContactTableModel *senderModel() const { return m_senderModel; }
    CAContactTableModel *printListModel() const { return m_printListModel; }
    QTableView *currentTable() const;
    // The sort menu's choice: a text category, or -1 for the source's own default.
    void sortBy(int category);
    // The address book's group chooser: "All" then the groups; choosing one shows its members
    // and is remembered.
    void changeGroupWithName(const QString &name);
    int currentSortingKey() const;
    // The shown source's update: a new import on the import worker, under its window-modal
    // progress dialog with Stop; the list changes only when the import ran to its end. While the
    // worker runs another window's import, this one runs here and now.
    void updateCurrentSource();
    bool isImporting() const { return m_importing; }
    // The worker imports run on; the process's own unless a test gives another.
    void setImportWorker(CAImportWorker &worker) { m_worker = &worker; }
    // The print list shown on the Print lists tab, or -1 (also while another tab is shown).
    int selectedPrintListIndex() const;
    void setPreventChangeSelection(bool prevent) { m_preventChangeSelection = prevent; }

    // The importing sources of the container in the order the source pop-ups list them, between
    // the address book and the local base.
    static QStringList importingSourceOrder(const CADataSourceContainer &container);
    // The sort menu's entries: categories, -1 for separators, 134 for "From Source".
    static const QList<int> &sortEntries();
    // The sheet a double click on a sender, a person of the local base or of a print list opens.
    CAContactEditorSheet *contactEditorSheet();
    // The "All" item of a source's group chooser.
    static constexpr int kAllGroupsTag = 117;
    // The print-multiple window on the senders (3), the local base (4) or the print lists (1),
    // made at first use and kept; answers its return code.
    int editListInDialog(int mode);
    CAPrintMultipleDialog *printMultipleDialog();

    // The user default that keeps the window's place and size between runs: the autosave name
    // "Address" in the platform's window-frame key.
    static const QString kFrameDefault;
    // The frame as it is kept: "x y width height" of the window (its place as move() takes it,
    // its size without the title bar), then "x y width height" of the screen's available area,
    // each followed by one blank. A text that is not eight numbers, or a size that is not
    // positive, gives nothing.
    static QString frameString(const QRect &frame, const QRect &screen);
    static std::optional<QRect> frameFromString(const QString &text);

Q_SIGNALS:
    void importFinished(const QString &sourceName);

protected:
    void hideEvent(QHideEvent *event) override;
    // The keys that would step through the closed source pop-up open it instead; its wheel does
    // nothing.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The user default naming the source the user chose last, "ContactDataSource".
    static const QString kDataSourceDefault;
    void restoreFrame();
    void saveFrame();
    // One source's page of the Contacts tab.
    struct SourcePage
    {
        enum Kind { AddressBook, VCard, TextFile, Imported, LocalBase };
        Kind kind;
        QString name;
        int defaultSortingKey;
        CAContactTableModel *model = nullptr;
        QTableView *table = nullptr;
        // A source that reads groups with its persons: the group shown, empty for all persons.
        QString chosenGroup;
    };
    QWidget *makeSendersPage();
    QWidget *makeContactsPage();
    QWidget *makePrintListsPage();
    QTableView *makeTable(CAContactTableModel *model, bool isRecipient);
    void personClicked(CAContactTableModel *model, bool isRecipient, int row);
    void reloadSource(const QString &name);
    // Shows the named source's page (the address book for a name none has) without importing
    // anything; answers the name of the source shown.
    QString showSource(const QString &name);
    // A source shown with nothing read starts its import; when the user cancels its chooser, the
    // source shown before comes back and the user default names it again (CAAddressWindowChoices.cpp).
    void rememberShownBeforeImport(const QString &source);
    void takeBackCancelledChoice(const QString &name);
    void reloadSenders();
    void reloadPrintLists();
    void showPrintListsSaved(bool saved);
    // Gives a table new persons: its rows, current row and selection stay on the persons still
    // among them (the window's own lists find them by their stored records).
    void setContentKeepingSelection(CAContactTableModel *model, const CAPersonList &persons);
    QTableView *tableOfModel(const CAContactTableModel *model) const;
    void selectDefaultSender();
    void showPrintList(int index);
    void newPrintList();
    void addPersonsToPrintList(const CAPersonList &persons);
    void addSelectedContactsToPrintList();
    void removeFromPrintList();
    void fillSortMenu();
    void fillGroupButton();
    void fillSourceGroupButton(SourcePage *page);
    void changeSourceGroup(SourcePage *page, const QString &group);
    void updateButtons();
    void onCacheUpdated(const QString &name);
    void onUpdatePermission(const QString &name, bool allowed);
    void mainTabChanged(int index);
    // Editing single persons (CAAddressWindowEditing.cpp).
    void installEditing();
    void editPerson(CAContactTableModel *model, const QString &tableName, bool isRecipient, int row);
    // The print list a sheet was opened on: the lists as stored then, and its index among them.
    struct EditedList
    {
        PWPlist shown;
        int index = -1;
    };
    // The edited list (the persons shown, one of them edited) stored into the model's list, merged
    // with what that list came to hold since shown.
    CAPersonList saveEditedList(CAContactTableModel *model, const CAPersonList &shown, const CAPersonList &edited,
                                const EditedList &list);
    CAPersonList saveEditedPrintList(const CAPersonList &shown, const CAPersonList &edited, const EditedList &list);
    void reloadAfterSheet();
    // The tables follow their lists, and say what came back.
    void watchLists();
    // Persons removed here came back with another process's changes: said in a box.
    void showRestored(const QStringList &names);

    Models m_models;
    PersonChosen m_personChosen;
    std::unique_ptr<CAAddressBookSource> m_bookSource;
    std::unique_ptr<CAVCFSource> m_vcfSource;
    std::unique_ptr<CATextFileSource> m_textSource;
    QList<SourcePage *> m_pages;
    QTabWidget *m_mainTabs = nullptr;
    QComboBox *m_sourceButton = nullptr;
    QComboBox *m_groupButton = nullptr;
    QStackedWidget *m_sourceStack = nullptr;
    QLineEdit *m_searchField = nullptr;
    QToolButton *m_sortButton = nullptr;
    QMenu *m_sortMenu = nullptr;
    QPushButton *m_updateButton = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_progressLabel = nullptr;
    CAContactTableModel *m_senderModel = nullptr;
    CAContactTableModel *m_printListModel = nullptr;
    QComboBox *m_printListButton = nullptr;
    QLabel *m_printListsNotSaved = nullptr;
    void importEnded(const QString &name);

    CAImportWorker *m_worker = nullptr;
    // The store the frame is kept in, watched: a window that outlives its settings (the last
    // moments of a quit) keeps nothing rather than writing into a store that is gone.
    QPointer<PWUserDefaults> m_frameStore;
    bool m_importing = false;
    // What the window showed before a source chosen with nothing read started its import.
    struct ShownBeforeImport
    {
        QString source;
        // The user default naming the source shown, nothing where none was stored.
        std::optional<QString> stored;
    };
    std::optional<ShownBeforeImport> m_shownBeforeImport;
    bool m_preventChangeSelection = false;
    CAContactEditorSheet *m_editorSheet = nullptr;
    CAPrintMultipleDialog *m_printMultiple = nullptr;
    int m_lastRecipientTab = ContactsTab;
    // The contact editor's sheet is open: the list tables are refilled when it closes.
    bool m_editingSheetOpen = false;
    bool m_reloadAfterSheet = false;
};
