#include "app/contacts/CAPrintMultipleDialog.h"

#include "app/contacts/CAAddressBookSource.h"
#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CAImportProgressDialog.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASourceImport.h"
#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"
#include "kernel/address/FTTextCategories.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"

#include <ui_PrintMultiple.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFromSource = 134;

// Every print-multiple window alive, for the one-window-a-list rule.
QList<CAPrintMultipleDialog *> &openDialogs()
{
    static QList<CAPrintMultipleDialog *> dialogs;
    return dialogs;
}

// The list a mode edits: the print lists (modes 1 and 2), the senders or the local base.
int editedList(CAPrintListEditor::Mode mode)
{
    return mode == CAPrintListEditor::NewPrintList ? int(CAPrintListEditor::PrintLists) : int(mode);
}

QString sortTitle(int entry, bool fromSource)
{
    if (entry == kFromSource)
        return fromSource ? PWLocalizedString(u"From Source"_s) : PWLocalizedString(u"None"_s);
    return PWLocalizedString(FTTextCategories::getKeyFromTextCategory(textCategory(entry)));
}

} // namespace

struct CAPrintMultipleDialog::Source
{
    QString name;
    int defaultSortingKey;
    CAContactTableModel *model = nullptr;
    QTableView *table = nullptr;
    // A source that reads groups with its persons: the group shown, empty for all persons.
    QString chosenGroup;
};

CAPrintMultipleDialog::CAPrintMultipleDialog(const CAAddressWindow::Models &models, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::PrintMultiple>())
    , m_models(models)
    , m_bookSource(std::make_unique<CAAddressBookSource>(models.book, models.defaults))
    , m_editor(new CAPrintListEditor(models.printLists, models.senders, models.localBase, models.defaults, this))
    , m_contactEditor(new CAContactEditor)
{
    m_ui->setupUi(this);
    openDialogs().append(this);
    setWindowModality(Qt::WindowModal);
    // Sources and lists take what their controls need; the editor gets the rest.
    m_ui->mainSplitter->setSizes({270, 300, 420});
    m_ui->mainSplitter->setStretchFactor(2, 1);

    // The sources as the address window offers them, in its order; only the address book falls
    // back to last names when "From Source" is chosen.
    addSource(CAAddressBookSource::kName, CAAddressBookSource::kDefaultSortingKey, "addressBookTable");
    for (const QString &name : CAAddressWindow::importingSourceOrder(m_models.container)) {
        const QByteArray table = name == CAVCFSource::name()        ? QByteArray("vcfSourceTable")
                                 : name == CATextFileSource::name() ? QByteArray("textSourceTable")
                                                                    : m_models.container.cacheNameOfSource(name).toLatin1()
                                                                          + "SourceTable";
        addSource(name, CAContactTableModel::kSourceOrder, table.constData());
    }
    addSource(CALocalContactBase::kName, CAContactTableModel::kSourceOrder, "localBaseTable");
    connect(m_ui->_sourceButton, &QComboBox::activated, this, [this] {
        changeSourceWithName(m_ui->_sourceButton->currentText());
        // A source the user picks with nothing read yet, in memory or in its cache, reads itself.
        const QString shown = currentSourceName();
        CADataSourceContainer &container = m_models.container;
        if (container.hasSource(shown) && !m_importing && !container.storedContactsForSource(shown))
            updateCurrentSource();
    });
    // The search field the contact windows share, in place of the form's plain one.
    if (QLineEdit *field = CAAddressWindow::makeSearchField()) {
        field->setObjectName(m_ui->_seachButton->objectName());
        delete m_ui->sourcesLayout->replaceWidget(m_ui->_seachButton, field);
        delete m_ui->_seachButton;
        m_ui->_seachButton = field;
        setTabOrder(m_ui->_sortPopUpButton, field);
        setTabOrder(field, m_ui->_updateButton);
    }
    connect(m_ui->_seachButton, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (CAContactTableModel *model = currentSourceModel())
            model->setFilter(text);
    });
    connect(m_ui->_updateButton, &QPushButton::clicked, this, &CAPrintMultipleDialog::updateCurrentSource);
    // The group chooser of the address book, the import's progress and its problems, in the
    // source column.
    QVBoxLayout *sourceColumn = m_ui->sourcesLayout;
    m_groupButton = new QComboBox;
    m_groupButton->setObjectName(u"groupButton"_s);
    connect(m_groupButton, &QComboBox::activated, this, [this] {
        const int index = m_ui->_tabView->currentIndex();
        if (index >= 0 && index < m_sources.size() && m_sources.at(index)->name != CAAddressBookSource::kName)
            changeSourceGroup(*m_sources.at(index), m_groupButton->currentData().toInt() == CAAddressWindow::kAllGroupsTag
                                                        ? QString()
                                                        : m_groupButton->currentText());
        else
            changeGroupWithName(m_groupButton->currentText());
    });
    m_progress = new QProgressBar;
    m_progress->setObjectName(u"importProgress"_s);
    m_progress->setRange(0, 0);
    m_progress->setMaximumHeight(12);
    m_progress->hide();
    m_progressLabel = new QLabel;
    m_progressLabel->setObjectName(u"importMessage"_s);
    m_progressLabel->setWordWrap(true);
    m_progressLabel->hide();
    if (sourceColumn) {
        sourceColumn->insertWidget(sourceColumn->indexOf(m_ui->_seachButton), m_groupButton);
        sourceColumn->insertWidget(sourceColumn->indexOf(m_ui->_tabView) + 1, m_progressLabel);
        sourceColumn->insertWidget(sourceColumn->indexOf(m_ui->_tabView) + 2, m_progress);
    }
    connect(&m_models.container, &CADataSourceContainer::updatePermissionChanged, this,
            [this] { updateSourceButtons(); }, Qt::QueuedConnection);
    // An import finished in another window: the named source reads its persons again, as in the
    // address window. Handled here, on the window's thread, whatever thread posted it.
    connect(&m_models.container, &CADataSourceContainer::cacheUpdated, this,
            &CAPrintMultipleDialog::onCacheUpdated, Qt::QueuedConnection);
    connect(m_ui->_addPersonButton, &QPushButton::clicked, this, &CAPrintMultipleDialog::addSelectedPeople);

    // The persons of the edited list: persons dropped on it come from the shown source; a double
    // click opens nothing, the editor beside the table already shows the person.
    QTableView *persons = m_ui->_personTable;
    persons->setModel(m_editor->persons());
    persons->setSelectionMode(QAbstractItemView::ExtendedSelection);
    persons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    persons->setAcceptDrops(true);
    persons->setDragDropMode(QAbstractItemView::DropOnly);
    persons->setDropIndicatorShown(true);
    m_editor->persons()->setOwner({[this](const CAPersonList &) { addSelectedPeople(); }, {}});
    connect(persons->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CAPrintMultipleDialog::personSelectionChanged);
    connect(m_editor->persons(), &QAbstractItemModel::modelReset, this,
            &CAPrintMultipleDialog::personSelectionChanged);
    // The sort pop-up shows the sorting of the list now shown.
    connect(m_editor->persons(), &QAbstractItemModel::modelReset, this, [this] {
        const int item = m_ui->_personSortPopUp->findData(m_editor->sortingValue());
        m_ui->_personSortPopUp->setCurrentIndex(item >= 0 ? item : 0);
    });

    // Another process's write shows when the user is not typing; the person chosen stays chosen.
    m_editor->setHoldsShownList([this] { return m_contactEditor->hasUnsavedField(); });
    connect(m_editor, &CAPrintListEditor::aboutToRefreshShownList, this, [this] {
        m_chosenBeforeRefresh = selectedPerson();
        m_resorting = true;
    });
    connect(m_editor, &CAPrintListEditor::shownListRefreshed, this, [this] {
        const std::shared_ptr<PWPerson> chosen = m_editor->refreshedPerson(m_chosenBeforeRefresh.get());
        m_chosenBeforeRefresh.reset();
        selectPersonRow(chosen ? m_editor->persons()->rowOfPerson(chosen.get()) : -1);
        m_resorting = false;
        personSelectionChanged();
    });
    m_contactEditor->setLiveMode(true);
    m_contactEditor->buttonBox()->hide();
    m_ui->_personScrollView->layout()->addWidget(m_contactEditor);
    connect(m_contactEditor, &CAContactEditor::editingPersonDidChange, this,
            [this](const std::shared_ptr<PWPerson> &person) {
                // The edit may move the person in a sorted list: it is sorted in and chosen again,
                // and the editor goes on with it where it stands now.
                m_resorting = true;
                m_editor->changeSorting(m_editor->sortingValue());
                selectPersonRow(m_editor->persons()->rowOfPerson(person.get()));
                m_resorting = false;
                personSelectionChanged();
            });

    fillSortMenus();
    connect(m_ui->_printListNames, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_refreshing)
            m_editor->selectList(row);
    });
    connect(m_ui->_printListNames, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (m_refreshing)
            return;
        m_editor->renameList(m_ui->_printListNames->row(item), item->text());
    });
    connect(m_ui->_btnAdd, &QPushButton::clicked, this, [this] {
        const int row = m_editor->addList(m_ui->_printListNames->currentRow());
        m_ui->_printListNames->setFocus();
        if (QListWidgetItem *item = m_ui->_printListNames->item(row))
            m_ui->_printListNames->editItem(item);
    });
    connect(m_ui->_btnRemove, &QPushButton::clicked, this,
            [this] { m_editor->removeList(m_ui->_printListNames->currentRow()); });
    connect(m_ui->_btnAddClearPerson, &QPushButton::clicked, this, [this] {
        selectPersonRow(m_editor->addBlankPerson());
        m_contactEditor->fieldOfCategory(tcFirstName)->setFocus();
    });
    connect(m_ui->_btnRemovePerson, &QPushButton::clicked, this, [this] {
        QList<int> rows;
        for (const QModelIndex &index : m_ui->_personTable->selectionModel()->selectedRows())
            rows.append(index.row());
        selectPersonRow(m_editor->removePersons(rows));
    });
    connect(m_editor, &CAPrintListEditor::listsChanged, this, &CAPrintMultipleDialog::refreshNames);

    // OK stays enabled with an empty list: storing an empty list is a choice too.
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, [this] { finish(kOK); });
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, [this] { finish(kCancel); });
}

CAPrintMultipleDialog::~CAPrintMultipleDialog()
{
    openDialogs().removeAll(this);
    // An import still reading is stopped and waited for; what it read is not kept. A question it
    // would ask meanwhile is given up rather than waited on.
    if (m_importing && m_worker) {
        disconnect(m_worker, nullptr, this, nullptr);
        m_worker->stopAndWait();
    }
    qDeleteAll(m_sources);
}

QTableView *CAPrintMultipleDialog::makeSourceTable(CAContactTableModel *model)
{
    auto *table = new QTableView;
    table->setModel(model);
    table->horizontalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    table->setShowGrid(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setDragEnabled(true);
    table->setDragDropMode(QAbstractItemView::DragOnly);
    model->setAllowDragAndDrop(true);
    // A double click on a source row adds the chosen persons to the edited list.
    connect(table, &QTableView::doubleClicked, this, &CAPrintMultipleDialog::addSelectedPeople);
    return table;
}

void CAPrintMultipleDialog::addSource(const QString &name, int defaultSortingKey, const char *objectName)
{
    auto *source = new Source{name, defaultSortingKey, nullptr, nullptr, {}};
    source->model = new CAContactTableModel(name, &m_models.defaults, this);
    // The address book starts sorted by last name until the user sorts it otherwise.
    if (name == CAAddressBookSource::kName && !source->model->isStoringSortingKeyExist())
        source->model->setSortingKey(m_bookSource->initialSortingKey());
    source->table = makeSourceTable(source->model);
    source->table->setObjectName(QString::fromLatin1(objectName));
    m_ui->_tabView->addWidget(source->table);
    m_sources.append(source);
}

void CAPrintMultipleDialog::fillSortMenus()
{
    auto *menu = new QMenu(this);
    m_ui->_sortPopUpButton->setMenu(menu);
    m_ui->_personSortPopUp->clear();
    for (int entry : CAAddressWindow::sortEntries()) {
        if (entry == -1) {
            menu->addSeparator();
            m_ui->_personSortPopUp->insertSeparator(m_ui->_personSortPopUp->count());
            continue;
        }
        const int key = entry == kFromSource ? CAContactTableModel::kSourceOrder : entry;
        QAction *action = menu->addAction(sortTitle(entry, true), this, [this, key] { sortSourceBy(key); });
        action->setCheckable(true);
        action->setData(key);
        m_ui->_personSortPopUp->addItem(sortTitle(entry, false), entry);
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        const CAContactTableModel *model = currentSourceModel();
        const int current = model ? model->sortingKey() : CAContactTableModel::kSourceOrder;
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator())
                action->setChecked(action->data().toInt() == current);
        }
    });
    connect(m_ui->_personSortPopUp, &QComboBox::activated, this, [this](int item) {
        const std::shared_ptr<PWPerson> chosen =
            m_editor->persons()->personAt(m_ui->_personTable->currentIndex().row());
        m_editor->changeSorting(m_ui->_personSortPopUp->itemData(item).toInt());
        selectPersonRow(chosen ? m_editor->persons()->rowOfPerson(chosen.get()) : -1);
    });
}

void CAPrintMultipleDialog::prepare(CAPrintListEditor::Mode mode, int personIndex)
{
    m_opened = false;
    m_editor->prepare(mode);
    const bool lists = m_editor->editsPrintLists();
    m_ui->_viewOftableView->setVisible(lists);
    m_ui->_title->setText(lists                                ? PWLocalizedString(u"Print List"_s)
                          : mode == CAPrintListEditor::Senders ? PWLocalizedString(u"Sender"_s)
                                                               : PWLocalizedString(u"My Recipients"_s));
    m_ui->_helpButton->setToolTip(
        lists ? PWLocalizedString(u"Gather the persons to print for into print lists: choose contacts on the "
                                  u"left and add them, or make new persons and fill them in on the right."_s)
        : mode == CAPrintListEditor::Senders
            ? PWLocalizedString(u"The senders whose addresses you print as return addresses."_s)
            : PWLocalizedString(u"Recipients kept by Parcelwick itself, apart from any address book."_s));
    // One help button whose page follows the kind of list, where three took turns in one place.
    m_ui->_helpButton->setPageName(lists                                ? u"contacts.html#print-lists"_s
                                   : mode == CAPrintListEditor::Senders ? u"contacts.html#senders"_s
                                                                        : u"contacts.html#local-contacts"_s);
    setWindowTitle(m_ui->_title->text());

    // The local base is a source everywhere but where it is the list being edited.
    const QString current = currentSourceName();
    const QSignalBlocker blocker(m_ui->_sourceButton);
    m_ui->_sourceButton->clear();
    for (const Source *source : std::as_const(m_sources)) {
        if (source->name == CALocalContactBase::kName) {
            if (mode == CAPrintListEditor::LocalBase)
                continue;
            m_ui->_sourceButton->insertSeparator(m_ui->_sourceButton->count());
        }
        m_ui->_sourceButton->addItem(source->name);
    }
    changeSourceWithName(current);
    if (QTableView *table = currentSourceTable(); table && currentSourceModel()->rowCount() > 0)
        table->selectRow(0);
    (lists ? static_cast<QWidget *>(m_ui->_printListNames) : m_ui->_personTable)->setFocus();

    const int rows = m_editor->persons()->rowCount();
    selectPersonRow(personIndex < 0 || rows == 0 ? -1 : std::min(personIndex, rows - 1));
    personSelectionChanged();
}

void CAPrintMultipleDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    // The first showing adds the new list mode 2 asks for, or a first list when there is none.
    QTimer::singleShot(0, this, [this] {
        const int row = m_editor->activate();
        if (row < 0)
            return;
        m_ui->_printListNames->setFocus();
        if (QListWidgetItem *item = m_ui->_printListNames->item(row))
            m_ui->_printListNames->editItem(item);
    });
}

void CAPrintMultipleDialog::refreshNames()
{
    m_refreshing = true;
    QListWidget *names = m_ui->_printListNames;
    names->clear();
    for (const QString &name : m_editor->listNames()) {
        auto *item = new QListWidgetItem(name, names);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    if (m_editor->editsPrintLists() && names->count() > 0)
        names->setCurrentRow(std::max(0, m_editor->currentListIndex()));
    m_ui->_btnRemove->setEnabled(names->count() > 0);
    m_refreshing = false;
}

void CAPrintMultipleDialog::selectPersonRow(int row)
{
    QTableView *table = m_ui->_personTable;
    table->clearSelection();
    if (row < 0 || row >= m_editor->persons()->rowCount())
        return;
    table->selectRow(row);
    table->scrollTo(m_editor->persons()->index(row, 0));
}

void CAPrintMultipleDialog::personSelectionChanged()
{
    if (m_resorting)
        return;
    const QModelIndexList selected = m_ui->_personTable->selectionModel()->selectedRows();
    if (selected.isEmpty())
        m_contactEditor->setEmptyPerson();
    else
        m_contactEditor->setPersonByIndex(selected.first().row(), m_editor->persons());
    m_ui->_btnRemovePerson->setEnabled(!selected.isEmpty());
}

int CAPrintMultipleDialog::getSelectedPersonIndex() const
{
    const QModelIndexList selected = m_ui->_personTable->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

std::shared_ptr<PWPerson> CAPrintMultipleDialog::selectedPerson() const
{
    return m_editor->persons()->personAt(getSelectedPersonIndex());
}

void CAPrintMultipleDialog::selectPerson(const PWPerson *person)
{
    selectPersonRow(person ? m_editor->persons()->rowOfPerson(person) : -1);
    personSelectionChanged();
}

CAPrintMultipleDialog *CAPrintMultipleDialog::editorOf(CAPrintListEditor::Mode mode, const CAPrintMultipleDialog *except)
{
    for (CAPrintMultipleDialog *dialog : std::as_const(openDialogs())) {
        const CAPrintListEditor::Mode editing = dialog->m_editor->mode();
        // Windows on the lists of another store (a test's second instance) edit other lists.
        const bool sameLists = !except || &dialog->m_models.senders == &except->m_models.senders;
        if (dialog != except && sameLists && dialog->isVisible() && editing != CAPrintListEditor::Closed
            && editedList(editing) == editedList(mode))
            return dialog;
    }
    return nullptr;
}

QStringList CAPrintMultipleDialog::sourceNames() const
{
    QStringList names;
    for (int index = 0; index < m_ui->_sourceButton->count(); ++index) {
        if (!m_ui->_sourceButton->itemText(index).isEmpty())
            names.append(m_ui->_sourceButton->itemText(index));
    }
    return names;
}

QString CAPrintMultipleDialog::currentSourceName() const
{
    const int index = m_ui->_tabView->currentIndex();
    return index >= 0 && index < m_sources.size() ? m_sources.at(index)->name : QString();
}

CAContactTableModel *CAPrintMultipleDialog::currentSourceModel() const
{
    const int index = m_ui->_tabView->currentIndex();
    return index >= 0 && index < m_sources.size() ? m_sources.at(index)->model : nullptr;
}

QTableView *CAPrintMultipleDialog::currentSourceTable() const
{
    const int index = m_ui->_tabView->currentIndex();
    return index >= 0 && index < m_sources.size() ? m_sources.at(index)->table : nullptr;
}

void CAPrintMultipleDialog::changeSourceWithName(const QString &name)
{
    if (QTableView *table = currentSourceTable())
        table->clearSelection();
    // A name that is none of the offered sources shows the address book.
    qsizetype index = sourceNames().contains(name) ? 0 : -1;
    for (qsizetype i = 0; index >= 0 && i < m_sources.size(); ++i) {
        if (m_sources.at(i)->name == name)
            index = i;
    }
    index = std::max<qsizetype>(index, 0);
    Source &source = *m_sources.at(index);
    m_ui->_tabView->setCurrentIndex(int(index));
    m_ui->_sourceButton->setCurrentIndex(m_ui->_sourceButton->findText(source.name));
    reloadSource(source);
    source.model->setFilter(m_ui->_seachButton->text());
    updateSourceButtons();
}

void CAPrintMultipleDialog::fillGroupButton()
{
    m_groupButton->setVisible(true);
    m_groupButton->clear();
    m_groupButton->addItems(m_bookSource->groupNames());
    m_groupButton->setCurrentIndex(m_groupButton->findText(m_bookSource->selectedGroupName()));
}

void CAPrintMultipleDialog::changeGroupWithName(const QString &name)
{
    for (Source *source : std::as_const(m_sources)) {
        if (source->name != CAAddressBookSource::kName)
            continue;
        source->table->clearSelection();
        source->model->setContent(m_bookSource->changeGroupWithName(name));
    }
    const int item = m_groupButton->findText(name);
    if (item >= 0)
        m_groupButton->setCurrentIndex(item);
}

void CAPrintMultipleDialog::fillSourceGroupButton(const Source &source)
{
    // Only a source that read groups with its persons has the chooser: "All", then its groups.
    const bool hasGroups = source.name != CALocalContactBase::kName
                           && m_models.container.memoryListForSource(source.name)
                           && m_models.container.groupsForSource(source.name);
    m_groupButton->setVisible(hasGroups);
    if (!hasGroups)
        return;
    const CADataSourceContainer::Groups groups = *m_models.container.groupsForSource(source.name);
    m_groupButton->clear();
    m_groupButton->addItem(PWLocalizedString(u"All"_s), CAAddressWindow::kAllGroupsTag);
    for (auto group = groups.cbegin(); group != groups.cend(); ++group)
        m_groupButton->addItem(group.key(), 0);
    const int chosen = source.chosenGroup.isEmpty() ? 0 : m_groupButton->findText(source.chosenGroup);
    m_groupButton->setCurrentIndex(std::max(chosen, 0));
}

void CAPrintMultipleDialog::changeSourceGroup(Source &source, const QString &group)
{
    source.table->clearSelection();
    source.chosenGroup = group;
    reloadSource(source);
}

void CAPrintMultipleDialog::reloadSource(Source &source)
{
    if (source.name == CAAddressBookSource::kName) {
        source.model->setContent(m_bookSource->selectedContent());
    } else if (source.name == CALocalContactBase::kName) {
        source.model->setContent(m_models.localBase.personListDict().personList());
    } else {
        std::optional<CAPersonList> list = m_models.container.memoryListForSource(source.name);
        if (!list && !m_importing)
            list = m_models.container.storedContactsForSource(source.name);
        // The chosen group's persons; a group gone since is forgotten.
        if (list && !source.chosenGroup.isEmpty()) {
            const std::optional<CADataSourceContainer::Groups> groups = m_models.container.groupsForSource(source.name);
            if (groups && groups->contains(source.chosenGroup))
                list = groups->value(source.chosenGroup);
            else
                source.chosenGroup.clear();
        }
        if (list)
            source.model->setContent(*list);
    }
    // The chooser is filled whenever the shown table is, so that groups an import brought show
    // at once.
    if (m_ui->_tabView->currentIndex() == m_sources.indexOf(&source)) {
        if (source.name == CAAddressBookSource::kName)
            fillGroupButton();
        else
            fillSourceGroupButton(source);
    }
}

void CAPrintMultipleDialog::onCacheUpdated(const QString &name)
{
    CADataSourceContainer &container = m_models.container;
    if (!container.isErrorDuringImporting()) {
        for (Source *source : std::as_const(m_sources)) {
            if (source->name == name)
                reloadSource(*source);
        }
    }
    container.setAllowUpdateCache(true, name);
}

void CAPrintMultipleDialog::updateSourceButtons()
{
    const QString name = currentSourceName();
    const bool imports = name != CAAddressBookSource::kName && name != CALocalContactBase::kName;
    m_ui->_updateButton->setEnabled(imports && !m_importing && m_models.container.hasSource(name)
                                    && m_models.container.isAllowUpdateCacheForSource(name));
}

void CAPrintMultipleDialog::updateCurrentSource()
{
    const QString name = currentSourceName();
    if (m_importing || !m_models.container.hasSource(name) || !m_models.container.isAllowUpdateCacheForSource(name))
        return;
    if (!m_worker)
        m_worker = &CAImportWorker::shared();
    m_importing = true;
    m_progressLabel->hide();
    m_progress->show();
    // The same update every window runs: on the import worker under the progress dialog, the
    // files and the import dialog asked on this thread.
    CASourceImport::launch(m_models.container, *m_worker, this, name, this,
                           [this](const QString &ended) { importEnded(ended); });
    updateSourceButtons();
}

void CAPrintMultipleDialog::importEnded(const QString &name)
{
    m_importing = false;
    m_progress->hide();
    const QStringList problems = m_models.container.lastImportProblems(name);
    m_progressLabel->setText(problems.join(u'\n'));
    m_progressLabel->setVisible(!problems.isEmpty());
    for (Source *source : std::as_const(m_sources)) {
        if (source->name == name)
            reloadSource(*source);
    }
    updateSourceButtons();
    Q_EMIT importFinished(name);
}

void CAPrintMultipleDialog::sortSourceBy(int category)
{
    const int index = m_ui->_tabView->currentIndex();
    if (index < 0 || index >= m_sources.size())
        return;
    Source *source = m_sources.at(index);
    source->model->setSortingKey(category == CAContactTableModel::kSourceOrder ? source->defaultSortingKey : category);
    source->model->storeSortingKey();
}

CAPersonList CAPrintMultipleDialog::selectedPeople() const
{
    CAPersonList chosen;
    QTableView *table = currentSourceTable();
    if (!table)
        return chosen;
    QModelIndexList rows = table->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &row : std::as_const(rows))
        chosen.append(currentSourceModel()->personAt(row.row()));
    return chosen;
}

void CAPrintMultipleDialog::addSelectedPeople()
{
    m_ui->_personTable->setFocus();
    selectPersonRow(m_editor->addPersons(selectedPeople()));
}

void CAPrintMultipleDialog::reject()
{
    finish(kCancel);
}

void CAPrintMultipleDialog::finish(int code)
{
    if (code == kOK) {
        // The field being typed in counts: the editor's pending edit goes into the list first.
        m_contactEditor->synchronizeChanges();
        m_editor->save();
    } else {
        m_editor->cancel();
    }
    m_opened = false;
    done(code);
}
