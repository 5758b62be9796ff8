#include "app/contacts/CAAddressWindow.h"

#include "app/document/CAWindowPlacement.h"
#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "platform/PWPerson.h"

#include <QItemSelectionModel>
#include <QTableView>

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
    if (!model->personAt(row))
        return;
    if (contactEditorSheet()->editRow(row, model) != CAContactEditorSheet::kOK)
        return;
    const std::shared_ptr<PWPerson> edited = model->personAt(row);
    const CAPersonList saved = saveEditedList(model);
    model->setContent(saved);
    // The edited person is chosen again, so that the design shows what was corrected.
    auto *table = findChild<QTableView *>(tableName);
    const int newRow = model->rowOfPerson(edited.get());
    if (table && newRow >= 0) {
        table->selectionModel()->select(model->index(newRow, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        table->scrollTo(model->index(newRow, 0));
        personClicked(model, isRecipient, newRow);
    }
}

CAPersonList CAAddressWindow::saveEditedList(CAContactTableModel *model)
{
    if (model == m_senderModel) {
        return m_models.senders.savePersonListChanges(model->sourceContent());
    }
    if (model == m_printListModel) {
        const int index = m_models.printLists.currentPrintListIndex();
        CAPersonList persons = model->sourceContent();
        if (index < 0)
            return persons;
        CAPrintListArray::sortPrintList(persons, m_models.printLists.getPrintListSortValueAt(index));
        m_models.printLists.replacePrintListAt(index, persons);
        m_models.printLists.store();
        return persons;
    }
    m_models.localBase.personListDict().replacePersonList(model->sourceContent());
    return m_models.localBase.savePersonListChanges();
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
