#pragma once

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAPrintListEditor.h"

#include <QDialog>

#include <memory>

class CAAddressBookSource;
class CAContactEditor;
class CAContactTableModel;
class CAImportWorker;
class QComboBox;
class QLabel;
class QProgressBar;
class QTableView;

namespace Ui {
class PrintMultiple;
}

// The window in which the user gathers persons from the contact sources into a list: the print
// lists (modes 1 and 2, the second adding a new list when the window first shows), the sender
// list (3) or the local contact base (4). One source at a time, searched and sorted; beside it
// the names of the print lists, the persons of the edited list with their sort order, and the
// contact editor on the chosen person, whose finished edits go into the list at once. OK stores
// the edited list (exec answers 2), Cancel drops every change (0).
class CAPrintMultipleDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kOK = 2;
    static constexpr int kCancel = 0;

    explicit CAPrintMultipleDialog(const CAAddressWindow::Models &models, QWidget *parent = nullptr);
    ~CAPrintMultipleDialog() override;

    // Readies the window for a mode; personIndex is the row of the persons table to select (past
    // the end: the last, negative: none).
    void prepare(CAPrintListEditor::Mode mode, int personIndex);
    CAPrintListEditor &listEditor() { return *m_editor; }
    CAContactEditor *contactEditor() const { return m_contactEditor; }
    // The persons table's selected row, -1 for none.
    int getSelectedPersonIndex() const;
    // The person of the selected row (null for none); selectPerson chooses the row showing the
    // person, none when no row does.
    std::shared_ptr<PWPerson> selectedPerson() const;
    void selectPerson(const PWPerson *person);
    // A window other than except that shows and edits the same list as mode would (the print
    // lists, the senders or the local base); null when there is none. One list is edited in one
    // window at a time, so that no OK writes over what another window stored.
    static CAPrintMultipleDialog *editorOf(CAPrintListEditor::Mode mode, const CAPrintMultipleDialog *except = nullptr);

    QStringList sourceNames() const;
    void changeSourceWithName(const QString &name);
    QString currentSourceName() const;
    CAContactTableModel *currentSourceModel() const;
    QTableView *currentSourceTable() const;
    // The sort menu of the source: a text category, -1 for the source's own default.
    void sortSourceBy(int category);
    // The persons chosen in the shown source, in row order.
    CAPersonList selectedPeople() const;
    // Adds the persons chosen in the source to the edited list (the Add button, a double click).
    void addSelectedPeople();
    // The shown source's update: an import on the import worker under its progress dialog with
    // Stop; the source's list changes only when the import ran to its end.
    void updateCurrentSource();
    bool isImporting() const { return m_importing; }
    void setImportWorker(CAImportWorker &worker) { m_worker = &worker; }
    // The address book's group chooser, as in the address window.
    void changeGroupWithName(const QString &name);
    // Escape and the window's close button are Cancel: nothing unsaved stays in the lists.
    void reject() override;

Q_SIGNALS:
    void importFinished(const QString &sourceName);

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Source;
    QTableView *makeSourceTable(CAContactTableModel *model);
    void addSource(const QString &name, int defaultSortingKey, const char *objectName);
    void reloadSource(Source &source);
    void fillSortMenus();
    void refreshNames();
    void showPersonsOfList();
    void selectPersonRow(int row);
    void personSelectionChanged();
    void updateSourceButtons();
    void fillGroupButton();
    void fillSourceGroupButton(const Source &source);
    void changeSourceGroup(Source &source, const QString &group);
    void onCacheUpdated(const QString &name);
    void importEnded(const QString &name);
    void finish(int code);

    std::unique_ptr<Ui::PrintMultiple> m_ui;
    CAAddressWindow::Models m_models;
    std::unique_ptr<CAAddressBookSource> m_bookSource;
    CAPrintListEditor *m_editor;
    CAContactEditor *m_contactEditor;
    QList<Source *> m_sources;
    CAImportWorker *m_worker = nullptr;
    bool m_importing = false;
    QComboBox *m_groupButton = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_progressLabel = nullptr;
    bool m_opened = false;
    bool m_refreshing = false;
    bool m_resorting = false;
    std::shared_ptr<PWPerson> m_chosenBeforeRefresh;
};
