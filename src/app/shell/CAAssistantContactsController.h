#pragma once

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAPersonListDictionary.h"
#include "app/shell/CAAssistantContactsForm.h"
#include "app/shell/CAAssistantContactsStep.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <memory>

class CAAddressBookSource;
class CAContactTableModel;

// The assistant's third step: who the new design is addressed to and who sends it. Three tabs,
// switched by the assistant's contact-kind selector: the sender list with a sender form, the
// contact sources with a recipient form, and the print lists. Finishing builds the recipient
// and the sender from the forms, or takes the first person of the chosen print list as the
// recipient. The forms and the chosen persons are kept from one run to the next.
class CAAssistantContactsController : public QObject, public CAAssistantContactsStep
{
    Q_OBJECT
public:
    enum Tab { SenderTab = 0, RecipientTab = 1, PrintListTab = 2 };

    explicit CAAssistantContactsController(const CAAddressWindow::Models &models, QObject *parent = nullptr);
    ~CAAssistantContactsController() override;

    // --- what the assistant asks -----------------------------------------------------------
    QWidget *view() override;
    void initControls(bool senderOnly) override;
    int currentTabViewIndex() const override;
    void selectTab(int index) override;
    // The recipient (toFrom) or the sender, built from its form; the recipient is the first
    // person of the chosen print list while the print-list tab is shown and that list has one.
    // No sender until one was chosen, pasted or added.
    std::shared_ptr<PWPerson> person(bool toFrom) const override;
    addressType recipientAddrType() const override;
    addressType senderAddrType() const override;
    std::optional<QString> selectedPrintListName() const override;
    void storeLists(bool printLists) override;

    int selectedTabIndex() const { return currentTabViewIndex(); }
    QTabWidget *contactsTabView() const { return _contactsTabView; }
    QString firstNameEditField() const;
    QString lastNameEditField() const;

    // --- actions ------------------------------------------------------------------------------
    void btnClearForm();
    void btnClearSenderForm();
    void btnPaste();
    void btnAdd();
    void btnRemove();
    void workHomePopupButton(bool sender);

    // --- the controls, for the window and for tests -----------------------------------------
    QTableView *senderTableView() const { return _senderTableView; }
    QTableView *sourceTableView() const { return m_sourceTable; }
    QComboBox *sourcePopup() const { return m_sourcePopup; }
    QListWidget *printListNames() const { return m_printListNames; }
    QTableView *printListPersonsTable() const { return m_printListPersons; }
    QTableView *printListSourceTable() const { return m_printListSourceTable; }
    QPushButton *updateSourceButton() const { return m_updateSourceButton; }
    QPushButton *updatePrintListSourceButton() const { return m_updatePrintListSourceButton; }
    bool isImporting() const { return m_importing; }
    CAContactTableModel *senderModel() const { return m_senderModel; }
    CAContactTableModel *sourceModel() const { return m_sourceModel; }
    CAContactTableModel *printListModel() const { return m_printListModel; }
    bool hasPrintListEditor() const { return m_printListModel != nullptr; }
    QLineEdit *formField(bool sender, const QString &key) const;
    bool isAddEnabled() const;
    // The source the embedded table shows; one of the address window's source names.
    void changeSource(const QString &name);

private:
    struct Source;
    void makeSources();
    void makePrintListEditor();
    void preparePrintListEditor();
    void showPrintList(int index);
    void newPrintList();
    void deletePrintList();
    void removeFromPrintList();
    void addPersonsToPrintList(const CAPersonList &persons);
    void addChosenToPrintList();
    void renamePrintList(QListWidgetItem *item);
    bool sourceImports(const QString &name) const;
    void updateSource();
    void setUpdateEnabled(bool enabled);
    void loadSenders();
    void senderSelectionChanged();
    void sourceSelectionChanged();
    void controlTextDidChange(bool sender);
    CAAssistantContactsForm::Values formValues(bool sender) const;
    void fillForm(bool sender, const PWPerson *person);
    void selectSenderRow(int row);
    int selectedRow(const QTableView *table) const;
    void setAddEnabled(bool enabled);

    CAAddressWindow::Models m_models;
    std::unique_ptr<CAAddressBookSource> m_bookSource;
    QPointer<QWidget> m_view;
    QPointer<QTabWidget> _contactsTabView;
    QPointer<QTableView> _senderTableView;
    QPointer<QPushButton> _btnAdd;
    QPointer<QPushButton> _btnRemove;
    QPointer<QComboBox> _preferredAddressPopupButton;
    QPointer<QComboBox> _preferredSenderAddressPopupButton;
    QPointer<QWidget> _contactsScrollContent;
    QPointer<QWidget> _printListBox;
    QPointer<QComboBox> m_sourcePopup;
    QPointer<QLineEdit> m_sourceSearch;
    QPointer<QTableView> m_sourceTable;
    QPointer<QListWidget> m_printListNames;
    QPointer<QPushButton> m_updateSourceButton;
    QPointer<QPushButton> m_updatePrintListSourceButton;
    QPointer<QComboBox> m_printListSourcePopup;
    QPointer<QTableView> m_printListSourceTable;
    bool m_importing = false;
    QPointer<QTableView> m_printListPersons;
    CAContactTableModel *m_senderModel = nullptr;
    CAContactTableModel *m_sourceModel = nullptr;
    CAContactTableModel *m_printListModel = nullptr;
    QList<Source> m_sources;

    // Built from the forms when asked for.
    mutable std::shared_ptr<PWPerson> _person;
    mutable std::shared_ptr<PWPerson> _sender;
    bool _bInited = false;
    bool m_fillingForm = false;
    // The sender row last chosen, kept chosen until the user types a new sender.
    int m_lastSenderRow = -1;
    bool m_allowEmptySenderSelection = false;
};
