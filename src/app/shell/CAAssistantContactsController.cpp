#include "app/shell/CAAssistantContactsController.h"

#include "app/contacts/CAAddressBookSource.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CASourceImport.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/FTAddressRecognition.h"
#include "app/shell/CAShellLog.h"
#include "kernel/address/FTStoredPerson.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#include <ui_AssistantContacts.h>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;
using CAAssistantContactsForm::Values;

struct CAAssistantContactsController::Source
{
    QString name;
    std::function<CAPersonList()> content;
    // A source of the container, which its Update reads again.
    bool imports = false;
};

namespace {

void setUpPersonTable(QTableView *table, CAContactTableModel *model)
{
    table->setModel(model);
    table->horizontalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    table->setShowGrid(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QString printListTitle(int number)
{
    return PWLocalizedString(u"Print List %1"_s).arg(number);
}

} // namespace

CAAssistantContactsController::CAAssistantContactsController(const CAAddressWindow::Models &models, QObject *parent)
    : QObject(parent)
    , m_models(models)
    , m_bookSource(std::make_unique<CAAddressBookSource>(models.book, models.defaults))
    , _person(PWPerson::create())
{
    m_view = new QWidget;
    Ui::AssistantContacts().setupUi(m_view);
    _contactsTabView = m_view->findChild<QTabWidget *>(u"_contactsTabView"_s);
    _senderTableView = m_view->findChild<QTableView *>(u"_senderTableView"_s);
    _btnAdd = m_view->findChild<QPushButton *>(u"_btnAdd"_s);
    _btnRemove = m_view->findChild<QPushButton *>(u"_btnRemove"_s);
    _preferredAddressPopupButton = m_view->findChild<QComboBox *>(u"_preferredAddressPopupButton"_s);
    _preferredSenderAddressPopupButton = m_view->findChild<QComboBox *>(u"_preferredSenderAddressPopupButton"_s);
    _contactsScrollContent = m_view->findChild<QWidget *>(u"_contactsScrollContent"_s);
    _printListBox = m_view->findChild<QWidget *>(u"_printListBox"_s);
    m_sourcePopup = m_view->findChild<QComboBox *>(u"_sourcePopup"_s);
    m_sourceSearch = m_view->findChild<QLineEdit *>(u"_sourceSearch"_s);
    m_sourceTable = m_view->findChild<QTableView *>(u"_sourceTable"_s);
    m_printListNames = m_view->findChild<QListWidget *>(u"_printListNames"_s);
    m_printListPersons = m_view->findChild<QTableView *>(u"_printListPersons"_s);
    m_updateSourceButton = m_view->findChild<QPushButton *>(u"_updateSourceButton"_s);
    m_updatePrintListSourceButton = m_view->findChild<QPushButton *>(u"_updatePrintListSourceButton"_s);
    m_printListSourcePopup = m_view->findChild<QComboBox *>(u"_printListSourcePopup"_s);
    m_printListSourceTable = m_view->findChild<QTableView *>(u"_printListSourceTable"_s);
    // The assistant's contact-kind selector switches the tabs.
    _contactsTabView->tabBar()->hide();
    _contactsTabView->setDocumentMode(true);

    m_senderModel = new CAContactTableModel(QString(), &m_models.defaults, this);
    setUpPersonTable(_senderTableView, m_senderModel);
    connect(_senderTableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CAAssistantContactsController::senderSelectionChanged);

    for (bool sender : {false, true})
        for (const CAAssistantContactsForm::Field &field : CAAssistantContactsForm::fields())
            if (QLineEdit *edit = formField(sender, field.key))
                connect(edit, &QLineEdit::textEdited, this, [this, sender] { controlTextDidChange(sender); });
    const auto connectButton = [this](const QString &name, auto slot) {
        if (auto *button = m_view->findChild<QAbstractButton *>(name))
            connect(button, &QAbstractButton::clicked, this, slot);
    };
    connectButton(u"_btnAdd"_s, &CAAssistantContactsController::btnAdd);
    connectButton(u"_btnRemove"_s, &CAAssistantContactsController::btnRemove);
    connectButton(u"_btnPaste"_s, &CAAssistantContactsController::btnPaste);
    connectButton(u"_btnPasteSender"_s, &CAAssistantContactsController::btnPaste);
    connectButton(u"_btnClearForm"_s, &CAAssistantContactsController::btnClearForm);
    connectButton(u"_btnClearSenderForm"_s, &CAAssistantContactsController::btnClearSenderForm);
    connect(_preferredAddressPopupButton, &QComboBox::activated, this, [this] { workHomePopupButton(false); });
    connect(_preferredSenderAddressPopupButton, &QComboBox::activated, this, [this] { workHomePopupButton(true); });
    setAddEnabled(false);
}

CAAssistantContactsController::~CAAssistantContactsController()
{
    // Once in the assistant's window the view is the window's.
    if (m_view && !m_view->parent())
        delete m_view;
}

QWidget *CAAssistantContactsController::view()
{
    return m_view;
}

QLineEdit *CAAssistantContactsController::formField(bool sender, const QString &key) const
{
    if (!m_view)
        return nullptr;
    for (QLineEdit *edit : m_view->findChildren<QLineEdit *>())
        if (edit->property("field").toString() == key && edit->objectName().endsWith(u'2') == sender)
            return edit;
    return nullptr;
}

QString CAAssistantContactsController::firstNameEditField() const
{
    const QLineEdit *edit = formField(false, u"first"_s);
    return edit ? edit->text() : QString();
}

QString CAAssistantContactsController::lastNameEditField() const
{
    const QLineEdit *edit = formField(false, u"last"_s);
    return edit ? edit->text() : QString();
}

// --- preparing ----------------------------------------------------------------------------------

void CAAssistantContactsController::initControls(bool senderOnly)
{
    if (!_bInited) {
        _bInited = true;
        makeSources();
    }
    if (hasPrintListEditor()) {
        selectTab(PrintListTab);
        preparePrintListEditor();
    }
    selectTab(RecipientTab);
    selectTab(SenderTab);
    loadSenders();
    selectTab(senderOnly ? SenderTab : RecipientTab);
}

void CAAssistantContactsController::makeSources()
{
    const auto fromContainer = [this](const QString &name) {
        return [this, name] {
            // What the source read last, else its cache; Update reads it again.
            std::optional<CAPersonList> list = m_models.container.memoryListForSource(name);
            if (!list && m_models.container.getCachedDataForSource(m_models.container.cacheNameOfSource(name)))
                list = m_models.container.contactsForSource(name, m_view, false);
            return list.value_or(CAPersonList());
        };
    };
    // The sources of the address window, in its order: the address book, every importing source
    // the container holds (files, workbooks, programs whose helper is installed), the local base.
    m_sources = {Source{CAAddressBookSource::kName, [this] { return m_bookSource->selectedContent(); }, false}};
    for (const QString &name : CAAddressWindow::importingSourceOrder(m_models.container))
        if (m_models.container.hasSource(name))
            m_sources.append(Source{name, fromContainer(name), true});
    m_sources.append(
        Source{CALocalContactBase::kName, [this] { return m_models.localBase.personListDict().personList(); }, false});

    for (QComboBox *popup : {m_sourcePopup.data(), m_printListSourcePopup.data()}) {
        if (!popup)
            continue;
        for (const Source &source : std::as_const(m_sources))
            popup->addItem(source.name);
        connect(popup, &QComboBox::activated, this, [this, popup] {
            const QString name = popup->currentText();
            changeSource(name);
            // A source picked with nothing read yet, in memory or in its cache, reads itself (the
            // files asked for), from either pane, as in the print-multiple window.
            if (sourceImports(name) && !m_importing && m_models.container.isAllowUpdateCacheForSource(name)
                && !m_models.container.storedContactsForSource(name))
                updateSource();
        });
    }
    m_sourceModel = new CAContactTableModel(QString(), &m_models.defaults, this);
    // Persons are dragged from the print-list tab's table onto a list; the recipient tab only
    // chooses.
    m_sourceModel->setAllowDragAndDrop(true);
    setUpPersonTable(m_sourceTable, m_sourceModel);
    // One recipient at a time: several persons are a print list, chosen on the print-list tab.
    m_sourceTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sourceTable->setDragEnabled(false);
    if (m_printListSourceTable) {
        setUpPersonTable(m_printListSourceTable, m_sourceModel);
        m_printListSourceTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
        m_printListSourceTable->setDragEnabled(true);
        m_printListSourceTable->setDragDropMode(QAbstractItemView::DragOnly);
        m_printListSourceTable->setDefaultDropAction(Qt::CopyAction);
    }
    for (QPushButton *update : {m_updateSourceButton.data(), m_updatePrintListSourceButton.data()})
        if (update)
            connect(update, &QPushButton::clicked, this, &CAAssistantContactsController::updateSource);

    connect(m_sourceSearch, &QLineEdit::textChanged, m_sourceModel, &CAContactTableModel::setFilter);
    connect(m_sourceTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CAAssistantContactsController::sourceSelectionChanged);

    QString chosen = m_models.defaults.stringForKey(u"ContactDataSource"_s);
    if (m_sourcePopup->findText(chosen) < 0)
        chosen = CAAddressBookSource::kName;
    changeSource(chosen);
    selectTab(RecipientTab);
    if (m_sourceModel->rowCount() > 0)
        m_sourceTable->selectRow(0);
}

void CAAssistantContactsController::changeSource(const QString &name)
{
    if (!m_sourceModel)
        return;
    for (const Source &source : std::as_const(m_sources)) {
        if (source.name != name)
            continue;
        m_sourceTable->clearSelection();
        for (QComboBox *popup : {m_sourcePopup.data(), m_printListSourcePopup.data()})
            if (popup)
                popup->setCurrentIndex(popup->findText(name));
        m_sourceModel->setContent(source.content());
        // Sorted as the source's tables in the contact windows are: by the key stored for it,
        // else the address book by last name and every other source in its own order.
        const CAContactTableModel stored(name, &m_models.defaults);
        m_sourceModel->setSortingKey(stored.isStoringSortingKeyExist() ? stored.storingSortingKey()
                                     : name == CAAddressBookSource::kName ? m_bookSource->initialSortingKey()
                                                                          : CAContactTableModel::kSourceOrder);
        setUpdateEnabled(source.imports && !m_importing);
        return;
    }
}

bool CAAssistantContactsController::sourceImports(const QString &name) const
{
    return std::any_of(m_sources.cbegin(), m_sources.cend(),
                       [&name](const Source &source) { return source.name == name && source.imports; });
}

void CAAssistantContactsController::updateSource()
{
    const QString name = m_sourcePopup->currentText();
    if (m_importing || !sourceImports(name))
        return;
    m_importing = true;
    setUpdateEnabled(false);
    CASourceImport::launch(m_models.container, CAImportWorker::shared(), m_view->window(), name, this,
                           [this](const QString &ended) {
                               m_importing = false;
                               // The table shows what the import brought, if it is still shown.
                               if (m_sourcePopup->currentText() == ended)
                                   changeSource(ended);
                               else
                                   setUpdateEnabled(sourceImports(m_sourcePopup->currentText()));
                           });
}

void CAAssistantContactsController::setUpdateEnabled(bool enabled)
{
    // One source shows in both panes; each pane has its Update.
    for (QPushButton *update : {m_updateSourceButton.data(), m_updatePrintListSourceButton.data()})
        if (update)
            update->setEnabled(enabled);
}

void CAAssistantContactsController::addChosenToPrintList()
{
    if (!m_printListSourceTable)
        return;
    QModelIndexList rows = m_printListSourceTable->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    CAPersonList persons;
    for (const QModelIndex &row : std::as_const(rows))
        if (std::shared_ptr<PWPerson> person = m_sourceModel->personAt(row.row()))
            persons.append(person);
    addPersonsToPrintList(persons);
}

void CAAssistantContactsController::renamePrintList(QListWidgetItem *item)
{
    const int index = m_printListNames->row(item);
    if (index < 0 || index >= m_models.printLists.count())
        return;
    const QString name = item->text().trimmed();
    bool taken = false;
    for (int other = 0; other < m_models.printLists.count(); ++other)
        taken = taken || (other != index && m_models.printLists.getPrintListNameAt(other) == name);
    // An empty name or one another list has would make the lists indistinguishable: the old name
    // stays.
    if (name.isEmpty() || taken) {
        const QSignalBlocker blocker(m_printListNames);
        item->setText(m_models.printLists.getPrintListNameAt(index));
        return;
    }
    const QSignalBlocker blocker(&m_models.printLists);
    m_models.printLists.renamePrintListAt(index, name);
}

void CAAssistantContactsController::loadSenders()
{
    const QSignalBlocker blocker(_senderTableView->selectionModel());
    m_senderModel->setContent(m_models.senders.personListDict().personList());
    _senderTableView->clearSelection();
    m_lastSenderRow = -1;
    const int index = m_models.senders.getDefaultPersonIndex();
    if (index < 0) {
        _sender.reset();
        btnClearSenderForm();
        return;
    }
    selectSenderRow(index);
    senderSelectionChanged();
}

// --- tabs ---------------------------------------------------------------------------------------

int CAAssistantContactsController::currentTabViewIndex() const
{
    return _contactsTabView ? _contactsTabView->currentIndex() : 0;
}

void CAAssistantContactsController::selectTab(int index)
{
    if (!_contactsTabView || index < 0 || index >= _contactsTabView->count())
        return;
    if (index == PrintListTab && !hasPrintListEditor())
        makePrintListEditor();
    _contactsTabView->setCurrentIndex(index);
}

// --- selections and typing ----------------------------------------------------------------------

int CAAssistantContactsController::selectedRow(const QTableView *table) const
{
    if (!table || !table->selectionModel())
        return -1;
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CAAssistantContactsController::selectSenderRow(int row)
{
    if (row < 0 || row >= m_senderModel->rowCount())
        return;
    _senderTableView->selectRow(row);
    _senderTableView->scrollTo(m_senderModel->index(row, 0));
}

void CAAssistantContactsController::senderSelectionChanged()
{
    const int row = selectedRow(_senderTableView);
    const std::shared_ptr<PWPerson> chosen = m_senderModel->personAt(row);
    if (!chosen) {
        // A click beside the rows keeps the sender; only typing a new one leaves none chosen.
        if (!m_allowEmptySenderSelection && m_lastSenderRow >= 0 && m_lastSenderRow < m_senderModel->rowCount())
            selectSenderRow(m_lastSenderRow);
        return;
    }
    m_lastSenderRow = row;
    m_allowEmptySenderSelection = false;
    _sender = FTStoredPerson::copyWithZone(*chosen);
    fillForm(true, _sender.get());
    setAddEnabled(false);
}

void CAAssistantContactsController::sourceSelectionChanged()
{
    // The form shows the row the user clicked last, while it is one of those chosen.
    const QModelIndex current = m_sourceTable->currentIndex();
    const bool currentChosen = current.isValid() && m_sourceTable->selectionModel()->isRowSelected(current.row());
    const std::shared_ptr<PWPerson> chosen =
        m_sourceModel->personAt(currentChosen ? current.row() : selectedRow(m_sourceTable));
    if (!chosen)
        return;
    _person = FTStoredPerson::copyWithZone(*chosen);
    fillForm(false, _person.get());
}

void CAAssistantContactsController::controlTextDidChange(bool sender)
{
    if (m_fillingForm)
        return;
    if (!sender) {
        if (m_sourceTable)
            m_sourceTable->clearSelection();
        return;
    }
    m_allowEmptySenderSelection = true;
    _senderTableView->clearSelection();
    // Typing turns the form into a new sender as soon as it differs from the one chosen.
    if (!isAddEnabled()
        && !CAAssistantContactsForm::firstDifference(formValues(true), _sender.get(), senderAddrType()).isEmpty())
        setAddEnabled(true);
}

void CAAssistantContactsController::workHomePopupButton(bool sender)
{
    if (sender) {
        if (const std::shared_ptr<PWPerson> chosen = m_senderModel->personAt(selectedRow(_senderTableView))) {
            fillForm(true, chosen.get());
            setAddEnabled(false);
        }
        return;
    }
    if (m_sourceModel)
        if (const std::shared_ptr<PWPerson> chosen = m_sourceModel->personAt(selectedRow(m_sourceTable)))
            fillForm(false, chosen.get());
}

// --- forms --------------------------------------------------------------------------------------

Values CAAssistantContactsController::formValues(bool sender) const
{
    Values values;
    for (const CAAssistantContactsForm::Field &field : CAAssistantContactsForm::fields())
        if (const QLineEdit *edit = formField(sender, field.key))
            values.insert(field.key, edit->text());
    return values;
}

void CAAssistantContactsController::fillForm(bool sender, const PWPerson *person)
{
    const Values values =
        CAAssistantContactsForm::valuesOfPerson(person, sender ? senderAddrType() : recipientAddrType());
    m_fillingForm = true;
    for (const CAAssistantContactsForm::Field &field : CAAssistantContactsForm::fields())
        if (QLineEdit *edit = formField(sender, field.key))
            edit->setText(values.value(field.key));
    m_fillingForm = false;
}

addressType CAAssistantContactsController::recipientAddrType() const
{
    return CAAssistantContactsForm::addrType(_preferredAddressPopupButton ? _preferredAddressPopupButton->currentIndex() : 0);
}

addressType CAAssistantContactsController::senderAddrType() const
{
    return CAAssistantContactsForm::addrType(
        _preferredSenderAddressPopupButton ? _preferredSenderAddressPopupButton->currentIndex() : 0);
}

void CAAssistantContactsController::btnClearForm()
{
    fillForm(false, nullptr);
}

void CAAssistantContactsController::btnClearSenderForm()
{
    fillForm(true, nullptr);
    setAddEnabled(false);
}

bool CAAssistantContactsController::isAddEnabled() const
{
    return _btnAdd && _btnAdd->isEnabled();
}

void CAAssistantContactsController::setAddEnabled(bool enabled)
{
    if (_btnAdd)
        _btnAdd->setEnabled(enabled);
}

std::shared_ptr<PWPerson> CAAssistantContactsController::person(bool toFrom) const
{
    if (!toFrom) {
        if (_sender)
            CAAssistantContactsForm::fillPerson(*_sender, formValues(true), senderAddrType());
        return _sender;
    }
    if (currentTabViewIndex() == PrintListTab) {
        if (!hasPrintListEditor())
            qCWarning(lcShell) << "_printMultipleController2==nil";
        else
            // A person kept as stored because it did not read would give the design an empty
            // address: the first one that read is the recipient.
            for (const std::shared_ptr<PWPerson> &listed : m_printListModel->sourceContent())
                if (listed && CAPersonListDictionary::unreadableReason(*listed).isEmpty())
                    return listed;
    }
    CAAssistantContactsForm::fillPerson(*_person, formValues(false), recipientAddrType());
    return _person;
}

// --- the sender list ----------------------------------------------------------------------------

void CAAssistantContactsController::btnPaste()
{
    const int tab = currentTabViewIndex();
    if (tab == PrintListTab)
        return;
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    const CAPersonDictionary dictionary = parseServiceText(data->text());
    const bool recognised = std::any_of(dictionary.cbegin(), dictionary.cend(),
                                        [](const QString &value) { return !value.trimmed().isEmpty(); });
    const std::shared_ptr<PWPerson> parsed = recognised ? initABPersonWithDictionary(dictionary) : nullptr;
    if (!parsed)
        return;
    if (tab == SenderTab) {
        _sender = FTStoredPerson::copyWithZone(*parsed);
        fillForm(true, _sender.get());
        setAddEnabled(true);
    } else {
        _person = FTStoredPerson::copyWithZone(*parsed);
        fillForm(false, _person.get());
    }
}

void CAAssistantContactsController::btnAdd()
{
    CAPersonList content = m_senderModel->sourceContent();
    // A sender typed from scratch is a new person.
    if (!_sender)
        _sender = PWPerson::create();
    CAAssistantContactsForm::fillPerson(*_sender, formValues(true), senderAddrType());
    const std::shared_ptr<PWPerson> added = FTStoredPerson::copyWithZone(*_sender);
    content.append(added);
    const int sorting = m_models.senders.personListDict().sortingValue();
    CAPrintListArray::sortPrintList(content, sorting == 0 ? CASenderList::kDefaultSortingValue : sorting);
    m_senderModel->setContent(content);
    for (int row = 0; row < m_senderModel->rowCount(); ++row) {
        if (FTStoredPerson::isEqualToPerson(*m_senderModel->personAt(row), _sender.get())) {
            selectSenderRow(row);
            break;
        }
    }
    setAddEnabled(false);
}

void CAAssistantContactsController::btnRemove()
{
    const int row = selectedRow(_senderTableView);
    if (row >= 0) {
        CAPersonList content = m_senderModel->sourceContent();
        content.removeAt(row);
        {
            const QSignalBlocker blocker(_senderTableView->selectionModel());
            m_senderModel->setContent(content);
            _senderTableView->clearSelection();
        }
        m_lastSenderRow = -1;
        if (content.isEmpty()) {
            _sender.reset();
            btnClearSenderForm();
        } else {
            selectSenderRow(std::min(row, int(content.size()) - 1));
        }
    }
    senderSelectionChanged();
}

void CAAssistantContactsController::storeLists(bool printLists)
{
    if (printLists && hasPrintListEditor())
        m_models.printLists.store();
    // Once the step has shown the list, the table is the list: a sender removed down to none
    // stays removed.
    if (_bInited) {
        // Saved through the list, so that every open sender table shows what the assistant did.
        const std::shared_ptr<PWPerson> chosen = m_senderModel->personAt(selectedRow(_senderTableView));
        const CAPersonList saved = m_models.senders.savePersonListChanges(m_senderModel->sourceContent());
        m_models.senders.storeDefaultPersonIndex(chosen ? int(saved.indexOf(chosen)) : -1);
    }
    m_models.senders.store();
}

// --- the print lists ----------------------------------------------------------------------------

void CAAssistantContactsController::makePrintListEditor()
{
    if (!m_printListNames || !m_printListPersons || m_printListModel)
        return;
    m_printListModel = new CAContactTableModel(QString(), &m_models.defaults, this);
    m_printListModel->setOwner({[this](const CAPersonList &persons) { addPersonsToPrintList(persons); }, {}});
    setUpPersonTable(m_printListPersons, m_printListModel);
    m_printListPersons->setAcceptDrops(true);
    m_printListPersons->setDropIndicatorShown(true);
    m_printListPersons->setDragDropMode(QAbstractItemView::DropOnly);
    m_printListPersons->setDefaultDropAction(Qt::CopyAction);
    auto *newList = m_view->findChild<QPushButton *>(u"_newPrintListButton"_s);
    auto *deleteList = m_view->findChild<QPushButton *>(u"_deletePrintListButton"_s);
    auto *remove = m_view->findChild<QPushButton *>(u"_removePrintListPersonButton"_s);
    connect(m_printListNames, &QListWidget::currentRowChanged, this, &CAAssistantContactsController::showPrintList);
    connect(newList, &QPushButton::clicked, this, &CAAssistantContactsController::newPrintList);
    connect(deleteList, &QPushButton::clicked, this, &CAAssistantContactsController::deletePrintList);
    connect(remove, &QPushButton::clicked, this, &CAAssistantContactsController::removeFromPrintList);
    if (auto *add = m_view->findChild<QPushButton *>(u"_addToPrintListButton"_s))
        connect(add, &QPushButton::clicked, this, &CAAssistantContactsController::addChosenToPrintList);
    // A list is renamed where it is listed: double-click or F2, then Return.
    m_printListNames->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    connect(m_printListNames, &QListWidget::itemChanged, this, &CAAssistantContactsController::renamePrintList);
    preparePrintListEditor();
}

void CAAssistantContactsController::preparePrintListEditor()
{
    if (!hasPrintListEditor())
        return;
    const int current = m_models.printLists.currentPrintListIndex();
    {
        const QSignalBlocker blocker(m_printListNames);
        m_printListNames->clear();
        for (int index = 0; index < m_models.printLists.count(); ++index) {
            auto *item = new QListWidgetItem(m_models.printLists.getPrintListNameAt(index), m_printListNames);
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        m_printListNames->setCurrentRow(current);
    }
    showPrintList(current);
}

void CAAssistantContactsController::showPrintList(int index)
{
    if (index >= 0 && index < m_models.printLists.count()) {
        const QSignalBlocker blocker(&m_models.printLists);
        m_models.printLists.setCurrentPrintListIndex(index);
    }
    m_printListModel->setContent(index >= 0 ? m_models.printLists.getPrintListAt(index) : CAPersonList());
}

void CAAssistantContactsController::newPrintList()
{
    QStringList names;
    for (int index = 0; index < m_models.printLists.count(); ++index)
        names.append(m_models.printLists.getPrintListNameAt(index));
    int number = 1;
    while (names.contains(printListTitle(number)))
        ++number;
    const int index = m_models.printLists.count();
    {
        const QSignalBlocker blocker(&m_models.printLists);
        m_models.printLists.insertPrintListAt(index);
        m_models.printLists.renamePrintListAt(index, printListTitle(number));
        m_models.printLists.setCurrentPrintListIndex(index);
    }
    preparePrintListEditor();
}

void CAAssistantContactsController::deletePrintList()
{
    const int index = m_printListNames->currentRow();
    if (index < 0)
        return;
    {
        const QSignalBlocker blocker(&m_models.printLists);
        m_models.printLists.removePrintListAt(index);
        m_models.printLists.setCurrentPrintListIndex(std::min(index, m_models.printLists.count() - 1));
    }
    preparePrintListEditor();
}

void CAAssistantContactsController::addPersonsToPrintList(const CAPersonList &persons)
{
    if (!m_printListNames || persons.isEmpty())
        return;
    // Persons added while there is no list at all go into a new one, as they do in the
    // print-list editor.
    if (m_models.printLists.count() == 0)
        newPrintList();
    const int index = m_printListNames->currentRow();
    if (index < 0)
        return;
    CAPersonList list = m_models.printLists.getPrintListAt(index);
    list.append(CAPersonListDictionary::personsNotHeld(list, persons));
    {
        const QSignalBlocker blocker(&m_models.printLists);
        m_models.printLists.replacePrintListAt(index, list);
    }
    showPrintList(index);
}

void CAAssistantContactsController::removeFromPrintList()
{
    const int index = m_printListNames->currentRow();
    const std::shared_ptr<PWPerson> chosen = m_printListModel->personAt(selectedRow(m_printListPersons));
    if (index < 0 || !chosen)
        return;
    CAPersonList list = m_models.printLists.getPrintListAt(index);
    list.removeIf([&chosen](const std::shared_ptr<PWPerson> &person) { return person == chosen; });
    {
        const QSignalBlocker blocker(&m_models.printLists);
        m_models.printLists.replacePrintListAt(index, list);
    }
    showPrintList(index);
}

std::optional<QString> CAAssistantContactsController::selectedPrintListName() const
{
    if (!hasPrintListEditor())
        return std::nullopt;
    const int index = m_printListNames->currentRow();
    if (index < 0 || index >= m_models.printLists.count())
        return std::nullopt;
    return m_models.printLists.getPrintListNameAt(index);
}
