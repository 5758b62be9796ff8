#include "app/contacts/CAAddressWindow.h"

#include "app/document/CAWindowPlacement.h"
#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CAStoredListMerge.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWPerson.h"

#include <QItemSelectionModel>
#include <QMessageBox>
#include <QTableView>

#include <utility>

using namespace Qt::StringLiterals;

// The tables whose persons are the window's own lists (senders, the local base, print lists) edit
// a double-clicked person in the contact editor; the sources read from elsewhere take no edits,
// so a double click there does nothing.
void CAAddressWindow::installEditing()
{
    const auto editing = [this](CAContactTableModel *model, const QString &tableName, bool isRecipient) {
        CAContactTableModel::Owner owner = model->owner();
        owner.editPerson = [this, model, tableName, isRecipient](int row) {
            editPerson(model, tableName, isRecipient, row);
        };
        model->setOwner(owner);
    };
    editing(m_senderModel, u"senderTable"_s, false);
    editing(m_printListModel, u"printListTable"_s, true);
    editing(modelOfSource(CALocalContactBase::kName), u"localBaseTable"_s, true);
}

CAContactEditorSheet *CAAddressWindow::contactEditorSheet()
{
    if (!m_editorSheet)
        m_editorSheet = new CAContactEditorSheet(this);
    return m_editorSheet;
}

void CAAddressWindow::editPerson(CAContactTableModel *model, const QString &tableName, bool isRecipient, int row)
{
    std::shared_ptr<PWPerson> chosen = model->personAt(row);
    if (!chosen)
        return;
    // The print list shown is known at OK as the merge knows lists, whatever another process
    // removed, added, moved or renamed under the sheet.
    const auto listShown = [this, model] {
        EditedList list;
        if (model == m_printListModel) {
            list.shown = m_models.printLists.storedValue();
            list.index = m_models.printLists.currentPrintListIndex();
        }
        return list;
    };
    EditedList list = listShown();
    CAPersonList shown = model->sourceContent();
    // The sheet shows the person as the settings file holds it now: what another process wrote
    // is taken in first (the print list shown stays its list), and the person is found again
    // among the persons read.
    CAContactTableModel *edits = model;
    CAContactTableModel asShown(QString(), &m_models.defaults);
    if (m_models.defaults.takeInFromFile()) {
        const CAPersonList now = model->sourceContent();
        const QList<qsizetype> found = CAStoredListMerge::counterparts(CAPersonListDictionary::storedPersons(shown),
                                                                       CAPersonListDictionary::storedPersons(now), false);
        const qsizetype at = shown.indexOf(chosen);
        const std::shared_ptr<PWPerson> again = at >= 0 && at < found.size() && found.at(at) >= 0 ? now.at(found.at(at)) : nullptr;
        if (again && model->rowOfPerson(again.get()) >= 0) {
            chosen = again;
            row = model->rowOfPerson(again.get());
            shown = now;
            list = listShown();
        } else {
            // Another process removed the person, or its list, after the user saw it: the sheet
            // edits the person as shown, and an OK brings it back with the edit, as the merge
            // brings back what one side removed and the other changed.
            asShown.setContent(shown);
            edits = &asShown;
            row = asShown.rowOfPerson(chosen.get());
        }
    }
    // The tables keep their persons under the sheet: another process's write is shown after it.
    m_editingSheetOpen = true;
    const int code = contactEditorSheet()->editRow(row, edits);
    m_editingSheetOpen = false;
    if (code != CAContactEditorSheet::kOK) {
        reloadAfterSheet();
        return;
    }
    std::shared_ptr<PWPerson> edited = edits->personAt(row);
    const CAPersonList saved = saveEditedList(model, shown, edits->sourceContent(), list);
    if (model == m_printListModel)
        reloadPrintLists();
    else
        model->setContent(saved);
    reloadAfterSheet();
    // The edited person is chosen again, so that the design shows what was corrected; merged with
    // another process's change at the store, it is found again as the merge finds persons.
    if (edited && !saved.contains(edited)) {
        const qsizetype at = CAStoredListMerge::counterparts(CAPersonListDictionary::storedPersons({edited}),
                                                             CAPersonListDictionary::storedPersons(saved), false)
                                 .value(0, -1);
        edited = at >= 0 && at < saved.size() ? saved.at(at) : nullptr;
    }
    auto *table = findChild<QTableView *>(tableName);
    const int newRow = model->rowOfPerson(edited.get());
    if (table && newRow >= 0) {
        table->selectionModel()->select(model->index(newRow, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        table->scrollTo(model->index(newRow, 0));
        personClicked(model, isRecipient, newRow);
    }
}

void CAAddressWindow::watchLists()
{
    // Under the contact editor's sheet the tables keep the persons it edits until it closes.
    connect(&m_models.senders, &CASenderList::senderListChanged, this, [this] {
        if (m_editingSheetOpen)
            m_reloadAfterSheet = true;
        else
            reloadSenders();
    });
    connect(&m_models.localBase, &CALocalContactBase::localBaseChanged, this, [this] {
        if (m_editingSheetOpen)
            m_reloadAfterSheet = true;
        else
            reloadSource(CALocalContactBase::kName);
    });
    connect(&m_models.printLists, &CAPrintListArray::printListsChanged, this, [this] {
        if (m_editingSheetOpen)
            m_reloadAfterSheet = true;
        else
            reloadPrintLists();
    });
    connect(&m_models.senders, &CASenderList::personsRestored, this, &CAAddressWindow::showRestored);
    connect(&m_models.localBase, &CALocalContactBase::personsRestored, this, &CAAddressWindow::showRestored);
    connect(&m_models.printLists, &CAPrintListArray::personsRestored, this, &CAAddressWindow::showRestored);
}

void CAAddressWindow::reloadAfterSheet()
{
    if (!std::exchange(m_reloadAfterSheet, false))
        return;
    reloadSenders();
    reloadSource(CALocalContactBase::kName);
    reloadPrintLists();
}

void CAAddressWindow::showRestored(const QStringList &names)
{
    auto *box = new QMessageBox(QMessageBox::Information, PWLocalizedString(u"Persons came back"_s),
                                PWLocalizedString(u"Removed here, these persons came back, because another Parcelwick "
                                                  u"changed them before it learned of the removal: %1. Remove them "
                                                  u"again if they should go."_s)
                                    .arg(names.join(u", "_s)),
                                QMessageBox::Ok, this);
    box->setObjectName(u"restoredPersonsMessage"_s);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

CAPersonList CAAddressWindow::saveEditedList(CAContactTableModel *model, const CAPersonList &shown,
                                             const CAPersonList &edited, const EditedList &list)
{
    if (model == m_printListModel)
        return saveEditedPrintList(shown, edited, list);
    // What the list came to hold while the sheet was open (another process's write) is merged
    // with the edit field by field: the edit stores only what the user changed.
    const CAPersonList now = model == m_senderModel ? m_models.senders.personListDict().personList()
                                                    : m_models.localBase.personListDict().personList();
    const CAPersonList persons = CAPersonListDictionary::storedPersons(now) == CAPersonListDictionary::storedPersons(shown)
                                     ? edited
                                     : CAStoredListMerge::mergePersonLists(shown, edited, now);
    if (model == m_senderModel)
        return m_models.senders.savePersonListChanges(persons);
    m_models.localBase.personListDict().replacePersonList(persons);
    return m_models.localBase.savePersonListChanges();
}

CAPersonList CAAddressWindow::saveEditedPrintList(const CAPersonList &shown, const CAPersonList &edited,
                                                  const EditedList &list)
{
    CAPrintListArray &lists = m_models.printLists;
    int index = lists.indexOfListShown(list.shown, list.index);
    CAPersonList persons;
    if (index >= 0) {
        const CAPersonList now = lists.getPrintListAt(index);
        persons = CAPersonListDictionary::storedPersons(now) == CAPersonListDictionary::storedPersons(shown)
                      ? edited
                      : CAStoredListMerge::mergePersonLists(shown, edited, now);
        CAPrintListArray::sortPrintList(persons, lists.getPrintListSortValueAt(index));
        const QSignalBlocker blocker(&lists);
        lists.replacePrintListAt(index, persons);
    } else {
        // Another process removed the list under the sheet: the edit brings it back, as a person
        // removed there and edited here comes back.
        const QSignalBlocker blocker(&lists);
        index = lists.restoreListShown(list.shown, list.index, edited);
        if (index < 0)
            return edited;
        persons = lists.getPrintListAt(index);
    }
    // The list edited stays the one shown, wherever it stands now.
    lists.setCurrentPrintListIndex(index);
    lists.store();
    // The store may have merged in what another process wrote at the same time.
    return lists.getPrintListAt(lists.currentPrintListIndex());
}

CAPrintMultipleDialog *CAAddressWindow::printMultipleDialog()
{
    if (!m_printMultiple)
        m_printMultiple = new CAPrintMultipleDialog(m_models, this);
    return m_printMultiple;
}

int CAAddressWindow::editListInDialog(int mode)
{
    CAPrintMultipleDialog *dialog = printMultipleDialog();
    const auto editorMode = CAPrintListEditor::Mode(mode);
    QTableView *table = findChild<QTableView *>(mode == CAPrintListEditor::Senders     ? u"senderTable"_s
                                                : mode == CAPrintListEditor::LocalBase ? u"localBaseTable"_s
                                                                                       : u"printListTable"_s);
    // One list is edited in one window at a time: one open already on it comes forward instead.
    if (CAPrintMultipleDialog *open = CAPrintMultipleDialog::editorOf(editorMode, dialog)) {
        open->raise();
        open->activateWindow();
        return CAPrintMultipleDialog::kCancel;
    }
    auto *model = table ? static_cast<CAContactTableModel *>(table->model()) : nullptr;
    const QModelIndexList selected = table ? table->selectionModel()->selectedRows() : QModelIndexList();
    const int before = selected.isEmpty() ? -1 : selected.first().row();
    // The window shows the list sorted, the table as stored: a person is found by itself in each.
    const std::shared_ptr<PWPerson> chosenBefore = model && before >= 0 ? model->personAt(before) : nullptr;
    dialog->prepare(editorMode, -1);
    dialog->selectPerson(chosenBefore.get());
    CAWindowPlacement::placeCentred(dialog, this);
    const int code = dialog->exec();
    reloadSenders();
    reloadSource(CALocalContactBase::kName);
    reloadPrintLists();
    if (table)
        table->clearSelection();
    // The person chosen in the window goes to the design, as a click on it would send it.
    const std::shared_ptr<PWPerson> chosen = dialog->selectedPerson();
    const int row = chosen && model ? model->rowOfPerson(chosen.get()) : -1;
    if (code == CAPrintMultipleDialog::kOK && table && row >= 0 && row < table->model()->rowCount()) {
        table->selectRow(row);
        personClicked(model, mode != CAPrintListEditor::Senders, row);
    }
    // The local base's table then shows again the row the user had chosen before the window,
    // OK or Cancel; only the design follows the window's choice.
    if (mode == CAPrintListEditor::LocalBase && table) {
        table->clearSelection();
        if (before >= 0 && before < table->model()->rowCount()) {
            table->selectRow(before);
            table->scrollTo(table->model()->index(before, 0));
        }
    }
    return code;
}
