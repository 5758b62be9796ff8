#include "app/contacts/CAAddressWindow.h"

#include "app/contacts/CAAddressBookSource.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CAContactTableView.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CAImportProgressDialog.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintListEditor.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CASourceImport.h"
#include "app/contacts/CAStoredListMerge.h"
#include "app/contacts/CATextFileSource.h"
#include "app/contacts/CAVCFSource.h"
#include "kernel/address/FTTextCategories.h"
#include "platform/PWAddressBook.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QHash>
#include <QSet>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kMainTabDefault = u"AddressControllerMainTabViewIndex"_s;
const QString kCurrentPrintListDefault = u"CurrentPrintListIndex"_s;
constexpr int kFromSource = 134;

} // namespace

CAAddressWindow::Models CAAddressWindow::sharedModels()
{
    // The windows on the lists show what another instance writes while they are open.
    PWUserDefaults::standardUserDefaults().watchOtherWrites();
    return {CADataSourceContainer::sharedDataSourceContainer(), PWUserDefaults::standardUserDefaults(),
            PWAddressBook::sharedAddressBook(), CASenderList::getShared(), CALocalContactBase::getShared(),
            CAPrintListArray::getShared()};
}

namespace {

CAAddressWindow::SearchFieldMaker &searchFieldMaker()
{
    static CAAddressWindow::SearchFieldMaker maker;
    return maker;
}

} // namespace

void CAAddressWindow::setSearchFieldMaker(SearchFieldMaker maker)
{
    searchFieldMaker() = std::move(maker);
}

QLineEdit *CAAddressWindow::makeSearchField()
{
    if (const SearchFieldMaker &maker = searchFieldMaker())
        return maker();
    auto *field = new QLineEdit;
    field->setPlaceholderText(PWLocalizedString(u"Search"_s));
    field->setClearButtonEnabled(true);
    return field;
}

QStringList CAAddressWindow::importingSourceOrder(const CADataSourceContainer &container)
{
    // The pop-ups list the other programs first, then the files, then the workbook programs; a
    // source this list does not know comes last, in the order it was registered.
    static const QStringList ranks = {u"Entourage"_s,      u"Eudora"_s, u"NowContacts"_s, CAVCFSource::kCacheName,
                                      CATextFileSource::kCacheName, u"Excel"_s, u"FileMaker"_s};
    // The two file sources are always offered; they ask for their files when first shown.
    QStringList names = container.sourceNames();
    for (const QString &file : {CAVCFSource::name(), CATextFileSource::name()}) {
        if (!names.contains(file))
            names.append(file);
    }
    const auto rank = [&container](const QString &name) {
        const QString cacheName = name == CAVCFSource::name()        ? CAVCFSource::kCacheName
                                  : name == CATextFileSource::name() ? CATextFileSource::kCacheName
                                                                     : container.cacheNameOfSource(name);
        const qsizetype found = ranks.indexOf(cacheName);
        return found < 0 ? ranks.size() : found;
    };
    std::stable_sort(names.begin(), names.end(),
                     [&rank](const QString &a, const QString &b) { return rank(a) < rank(b); });
    return names;
}

const QList<int> &CAAddressWindow::sortEntries()
{
    static const QList<int> entries = {kFromSource, -1, 19, 17, 18, 4, 2, 20, 5, 13, 14, 15, 16, 7, 8, 10, -1,
                                       21,          22, 23, 27, 28, 29, 30, 31, 32};
    return entries;
}

CAAddressWindow::CAAddressWindow(const Models &models, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_models(models)
    , m_bookSource(std::make_unique<CAAddressBookSource>(models.book, models.defaults))
    , m_frameStore(&models.defaults)
{
    setObjectName(u"addressWindow"_s);
    setWindowTitle(PWLocalizedString(u"Addresses"_s));

    m_mainTabs = new QTabWidget;
    m_mainTabs->setObjectName(u"mainTabView"_s);
    m_mainTabs->addTab(makeSendersPage(), PWLocalizedString(u"Senders"_s));
    m_mainTabs->addTab(makeContactsPage(), PWLocalizedString(u"Contacts"_s));
    m_mainTabs->addTab(makePrintListsPage(), PWLocalizedString(u"Print lists"_s));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_mainTabs);
    resize(300, 440);
    restoreFrame();

    // Cache notifications may come from an import's worker thread: they are handled here, on the
    // window's thread, never where they were posted.
    connect(&m_models.container, &CADataSourceContainer::cacheUpdated, this, &CAAddressWindow::onCacheUpdated,
            Qt::QueuedConnection);
    connect(&m_models.container, &CADataSourceContainer::updatePermissionChanged, this,
            &CAAddressWindow::onUpdatePermission, Qt::QueuedConnection);
    watchLists();
    connect(&m_models.printLists, &CAPrintListArray::savedChanged, this, &CAAddressWindow::showPrintListsSaved);
    // The assistant and the print-multiple window change the lists quietly and say so after.
    PWNotificationCenter::defaultCenter().addObserver(CAPrintListArray::kUpdatePrintListController, nullptr,
                                                      [this](const PWNotification &) { reloadPrintLists(); }, this);

    // The list shown last is current again; a stored index past the lists changes nothing, a
    // negative one makes the last list current.
    if (!m_models.defaults.objectForKey(kCurrentPrintListDefault).isNull()) {
        const qint64 storedList = m_models.defaults.integerForKey(kCurrentPrintListDefault);
        if (storedList < m_models.printLists.count())
            m_models.printLists.setCurrentPrintListIndex(int(std::max<qint64>(storedList, -1)));
    }
    reloadSenders();
    reloadPrintLists();
    // The source shown last, when it can be shown without asking anything: one that reads its
    // cache, the local base or the address book; else the address book.
    QString stored = m_models.defaults.stringForKey(kDataSourceDefault);
    const bool imports = m_models.container.hasSource(stored);
    if (!sourceNames().contains(stored)
        || (imports && !m_models.container.getCachedDataForSource(m_models.container.cacheNameOfSource(stored))))
        stored = CAAddressBookSource::kName;
    changeSourceWithName(stored);

    const qint64 tab = m_models.defaults.integerForKey(kMainTabDefault);
    m_mainTabs->setCurrentIndex(tab == 0 ? SendersTab
                                : tab == PrintListsTab && m_models.printLists.count() > 0 ? PrintListsTab
                                                                                          : ContactsTab);
    m_lastRecipientTab = std::max(1, m_mainTabs->currentIndex());
    installEditing();
    connect(m_mainTabs, &QTabWidget::currentChanged, this, &CAAddressWindow::mainTabChanged);
}

CAAddressWindow::~CAAddressWindow()
{
    // The application quits with the window open: its place is kept for the next run.
    if (isVisible())
        saveFrame();
    // An import still reading is stopped and waited for: it reads into the container the window
    // was given, which may go with the window. What it read is not kept.
    if (m_importing && m_worker) {
        disconnect(m_worker, nullptr, this, nullptr);
        m_worker->stopAndWait();
    }
    qDeleteAll(m_pages);
}

QTableView *CAAddressWindow::makeTable(CAContactTableModel *model, bool isRecipient)
{
    auto *table = new CAContactTableView;
    table->setModel(model);
    table->horizontalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    table->setShowGrid(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setDragEnabled(true);
    table->setDragDropMode(model->acceptsDrops() ? QAbstractItemView::DragDrop : QAbstractItemView::DragOnly);
    table->setDefaultDropAction(Qt::CopyAction);
    model->setAllowDragAndDrop(true);
    // A click (also on the row already chosen) and Return send the person; selections made in
    // code send nothing.
    connect(table, &QTableView::clicked, this,
            [this, model, isRecipient](const QModelIndex &index) { personClicked(model, isRecipient, index.row()); });
    connect(table, &QTableView::activated, this,
            [this, model, isRecipient](const QModelIndex &index) { personClicked(model, isRecipient, index.row()); });
    connect(table, &QTableView::doubleClicked, this, [model](const QModelIndex &index) { model->activateRow(index.row()); });
    return table;
}

QWidget *CAAddressWindow::makeSendersPage()
{
    auto *page = new QWidget;
    page->setObjectName(u"senderView"_s);
    m_senderModel = new CAContactTableModel(QString(), &m_models.defaults, this);
    auto *layout = new QVBoxLayout(page);
    QTableView *table = makeTable(m_senderModel, false);
    table->setObjectName(u"senderTable"_s);
    layout->addWidget(table);
    auto *edit = new QPushButton(PWLocalizedString(u"Edit..."_s));
    edit->setObjectName(u"editSendersButton"_s);
    connect(edit, &QPushButton::clicked, this, [this] { editListInDialog(3); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(edit);
    layout->addLayout(buttons);
    return page;
}

QWidget *CAAddressWindow::makeContactsPage()
{
    auto *page = new QWidget;
    page->setObjectName(u"contactsView"_s);
    m_sourceButton = new QComboBox;
    m_sourceButton->setObjectName(u"sourceButton"_s);
    m_sourceStack = new QStackedWidget;
    m_sourceStack->setObjectName(u"sourceTabView"_s);

    const auto addSource = [this](SourcePage::Kind kind, const QString &name, int defaultKey, const char *objectName) {
        auto *source = new SourcePage{kind, name, defaultKey, nullptr, nullptr, {}};
        source->model = new CAContactTableModel(name, &m_models.defaults, this);
        // The address book starts sorted by last name until the user sorts it otherwise.
        if (kind == SourcePage::AddressBook && !source->model->isStoringSortingKeyExist())
            source->model->setSortingKey(m_bookSource->initialSortingKey());
        source->table = makeTable(source->model, true);
        source->table->setObjectName(QString::fromLatin1(objectName));
        m_sourceStack->addWidget(source->table);
        m_pages.append(source);
        if (kind == SourcePage::LocalBase)
            m_sourceButton->insertSeparator(m_sourceButton->count());
        m_sourceButton->addItem(name);
    };
    // Only the address book falls back to last names; every other source's own order is its
    // default, so that "From Source" shows the file's or the program's order again.
    addSource(SourcePage::AddressBook, CAAddressBookSource::kName, CAAddressBookSource::kDefaultSortingKey,
              "addressBookTable");
    // The importing sources the container was given (files, workbooks, programs whose helper is
    // installed), each a table named after its cache.
    for (const QString &name : importingSourceOrder(m_models.container)) {
        const SourcePage::Kind kind = name == CAVCFSource::name()        ? SourcePage::VCard
                                      : name == CATextFileSource::name() ? SourcePage::TextFile
                                                                         : SourcePage::Imported;
        const QByteArray table = kind == SourcePage::VCard      ? QByteArray("vcfSourceTable")
                                 : kind == SourcePage::TextFile ? QByteArray("textSourceTable")
                                                                : m_models.container.cacheNameOfSource(name).toLatin1()
                                                                      + "SourceTable";
        addSource(kind, name, CAContactTableModel::kSourceOrder, table.constData());
    }
    addSource(SourcePage::LocalBase, CALocalContactBase::kName, CAContactTableModel::kSourceOrder, "localBaseTable");
    m_sourceButton->installEventFilter(this);
    connect(m_sourceButton, &QComboBox::activated, this, [this] {
        changeSourceWithName(m_sourceButton->currentText());
        m_models.defaults.setString(kDataSourceDefault, currentSourceName());
        m_models.defaults.synchronize();
    });

    m_groupButton = new QComboBox;
    m_groupButton->setObjectName(u"groupButton"_s);
    connect(m_groupButton, &QComboBox::activated, this, [this] {
        const int index = m_sourceStack->currentIndex();
        if (index >= 0 && index < m_pages.size() && m_pages.at(index)->kind == SourcePage::Imported)
            changeSourceGroup(m_pages.at(index), m_groupButton->currentData().toInt() == kAllGroupsTag
                                                     ? QString()
                                                     : m_groupButton->currentText());
        else
            changeGroupWithName(m_groupButton->currentText());
    });

    m_searchField = makeSearchField();
    m_searchField->setObjectName(u"searchField"_s);
    connect(m_searchField, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (CAContactTableModel *model = currentModel())
            model->setFilter(text);
    });

    m_sortMenu = new QMenu(this);
    m_sortButton = new QToolButton;
    m_sortButton->setObjectName(u"sortPopUpButton"_s);
    m_sortButton->setText(PWLocalizedString(u"sort"_s));
    m_sortButton->setPopupMode(QToolButton::InstantPopup);
    m_sortButton->setMenu(m_sortMenu);
    fillSortMenu();

    m_updateButton = new QPushButton(PWLocalizedString(u"Update"_s));
    m_updateButton->setObjectName(u"updateButton"_s);
    connect(m_updateButton, &QPushButton::clicked, this, &CAAddressWindow::updateCurrentSource);

    m_progress = new QProgressBar;
    m_progress->setObjectName(u"importProgress"_s);
    m_progress->setRange(0, 0);
    m_progress->setMaximumHeight(12);
    m_progress->hide();
    m_progressLabel = new QLabel;
    m_progressLabel->setObjectName(u"importMessage"_s);
    m_progressLabel->setWordWrap(true);
    m_progressLabel->hide();

    auto *top = new QHBoxLayout;
    top->addWidget(m_sourceButton, 1);
    top->addWidget(m_sortButton);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_progress, 1);
    bottom->addStretch();
    bottom->addWidget(m_updateButton);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(m_groupButton);
    layout->addWidget(m_searchField);
    layout->addWidget(m_sourceStack, 1);
    layout->addWidget(m_progressLabel);
    layout->addLayout(bottom);
    setTabOrder(m_sourceButton, m_sortButton);
    setTabOrder(m_sortButton, m_searchField);
    return page;
}

QWidget *CAAddressWindow::makePrintListsPage()
{
    auto *page = new QWidget;
    page->setObjectName(u"printListsView"_s);
    m_printListButton = new QComboBox;
    m_printListButton->setObjectName(u"printListButton"_s);
    connect(m_printListButton, &QComboBox::activated, this, &CAAddressWindow::showPrintList);
    m_printListModel = new CAContactTableModel(QString(), &m_models.defaults, this);
    m_printListModel->setOwner({[this](const CAPersonList &persons) { addPersonsToPrintList(persons); }, {}});
    QTableView *table = makeTable(m_printListModel, true);
    table->setObjectName(u"printListTable"_s);
    table->setAcceptDrops(true);
    table->setDropIndicatorShown(true);

    auto *newList = new QPushButton(PWLocalizedString(u"New List"_s));
    newList->setObjectName(u"newPrintListButton"_s);
    connect(newList, &QPushButton::clicked, this, &CAAddressWindow::newPrintList);
    auto *add = new QPushButton(PWLocalizedString(u"Add Contacts"_s));
    add->setObjectName(u"addToPrintListButton"_s);
    add->setToolTip(PWLocalizedString(u"Adds the contacts selected on the Contacts tab."_s));
    connect(add, &QPushButton::clicked, this, &CAAddressWindow::addSelectedContactsToPrintList);
    auto *remove = new QPushButton(PWLocalizedString(u"Remove"_s));
    remove->setObjectName(u"removeFromPrintListButton"_s);
    connect(remove, &QPushButton::clicked, this, &CAAddressWindow::removeFromPrintList);
    auto *edit = new QPushButton(PWLocalizedString(u"Edit..."_s));
    edit->setObjectName(u"editPrintListsButton"_s);
    connect(edit, &QPushButton::clicked, this, [this] { editListInDialog(1); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(newList);
    buttons->addStretch();
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(edit);
    // Lists whose store failed are shown as what they are: kept until the application quits.
    m_printListsNotSaved = new QLabel(PWLocalizedString(
        u"These print lists could not be saved: they are lost when Parcelwick quits."_s));
    m_printListsNotSaved->setObjectName(u"printListsNotSaved"_s);
    m_printListsNotSaved->setWordWrap(true);
    m_printListsNotSaved->setVisible(!m_models.printLists.isSaved());

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_printListButton);
    layout->addWidget(table, 1);
    layout->addWidget(m_printListsNotSaved);
    layout->addLayout(buttons);
    return page;
}

void CAAddressWindow::fillSortMenu()
{
    m_sortMenu->clear();
    for (int entry : sortEntries()) {
        if (entry == -1) {
            m_sortMenu->addSeparator();
            continue;
        }
        const int key = entry == kFromSource ? CAContactTableModel::kSourceOrder : entry;
        const QString title = entry == kFromSource
                                  ? PWLocalizedString(u"From Source"_s)
                                  : PWLocalizedString(FTTextCategories::getKeyFromTextCategory(textCategory(entry)));
        QAction *action = m_sortMenu->addAction(title, this, [this, key] { sortBy(key); });
        action->setCheckable(true);
        action->setData(key);
    }
    connect(m_sortMenu, &QMenu::aboutToShow, this, [this] {
        const int current = currentSortingKey();
        for (QAction *action : m_sortMenu->actions()) {
            if (!action->isSeparator())
                action->setChecked(action->data().toInt() == current);
        }
    });
}

QStringList CAAddressWindow::sourceNames() const
{
    QStringList names;
    for (const SourcePage *page : m_pages)
        names.append(page->name);
    return names;
}

QString CAAddressWindow::currentSourceName() const
{
    const int index = m_sourceStack->currentIndex();
    return index >= 0 && index < m_pages.size() ? m_pages.at(index)->name : QString();
}

CAContactTableModel *CAAddressWindow::currentModel() const
{
    const int index = m_sourceStack->currentIndex();
    return index >= 0 && index < m_pages.size() ? m_pages.at(index)->model : nullptr;
}

CAContactTableModel *CAAddressWindow::modelOfSource(const QString &name) const
{
    for (const SourcePage *page : m_pages) {
        if (page->name == name)
            return page->model;
    }
    return nullptr;
}

QTableView *CAAddressWindow::currentTable() const
{
    const int index = m_sourceStack->currentIndex();
    return index >= 0 && index < m_pages.size() ? m_pages.at(index)->table : nullptr;
}

void CAAddressWindow::changeSourceWithName(const QString &name)
{
    const QString before = currentSourceName();
    const QString shown = showSource(name);
    // A source shown with nothing read yet, in memory or in its cache, reads itself now: the
    // import asks for its files, or runs its helper, under the progress dialog.
    if (m_models.container.hasSource(shown) && !isImporting() && !m_models.container.storedContactsForSource(shown)
        && m_models.container.isAllowUpdateCacheForSource(shown)) {
        if (before != shown)
            rememberShownBeforeImport(before);
        updateCurrentSource();
    }
}

QString CAAddressWindow::showSource(const QString &name)
{
    if (QTableView *table = currentTable())
        table->clearSelection();
    int index = int(sourceNames().indexOf(name));
    if (index < 0)
        index = 0;
    m_sourceStack->setCurrentIndex(index);
    m_sourceButton->setCurrentIndex(m_sourceButton->findText(m_pages.at(index)->name));
    reloadSource(m_pages.at(index)->name);
    currentTable()->clearSelection();
    currentModel()->setFilter(m_searchField->text());
    updateButtons();
    return m_pages.at(index)->name;
}

void CAAddressWindow::reloadSource(const QString &name)
{
    for (SourcePage *page : std::as_const(m_pages)) {
        if (page->name != name)
            continue;
        switch (page->kind) {
        case SourcePage::AddressBook:
            setContentKeepingSelection(page->model, m_bookSource->selectedContent());
            break;
        case SourcePage::LocalBase:
            setContentKeepingSelection(page->model, m_models.localBase.personListDict().personList());
            break;
        case SourcePage::VCard:
        case SourcePage::TextFile:
        case SourcePage::Imported: {
            // What the source read last, else its cache; an import needs the user's files and
            // starts only from the update button.
            std::optional<CAPersonList> list = m_models.container.memoryListForSource(name);
            if (!list && !isImporting())
                list = m_models.container.storedContactsForSource(name);
            if (!list)
                break;
            // The chosen group's persons; a group gone since is forgotten.
            if (!page->chosenGroup.isEmpty()) {
                const std::optional<CADataSourceContainer::Groups> groups = m_models.container.groupsForSource(name);
                if (groups && groups->contains(page->chosenGroup))
                    list = groups->value(page->chosenGroup);
                else
                    page->chosenGroup.clear();
            }
            setContentKeepingSelection(page->model, *list);
            break;
        }
        }
        // The chooser is filled whenever the shown table is: a first import, or an update, that
        // brings groups shows them at once.
        if (m_sourceStack->currentIndex() == m_pages.indexOf(page)) {
            if (page->kind == SourcePage::AddressBook)
                fillGroupButton();
            else
                fillSourceGroupButton(page);
        }
    }
}

void CAAddressWindow::reloadSenders()
{
    setContentKeepingSelection(m_senderModel, m_models.senders.personListDict().personList());
    selectDefaultSender();
}

void CAAddressWindow::reloadPrintLists()
{
    int current = m_models.printLists.currentPrintListIndex();
    m_printListButton->clear();
    for (int index = 0; index < m_models.printLists.count(); ++index)
        m_printListButton->addItem(m_models.printLists.getPrintListNameAt(index));
    m_printListButton->setCurrentIndex(current);
    setContentKeepingSelection(m_printListModel,
                               current >= 0 ? m_models.printLists.getPrintListAt(current) : CAPersonList());
    if (m_models.defaults.objectForKey(kCurrentPrintListDefault).isNull()
        || m_models.defaults.integerForKey(kCurrentPrintListDefault) != current) {
        m_models.defaults.setInteger(kCurrentPrintListDefault, current);
        m_models.defaults.synchronize();
    }
}

void CAAddressWindow::showPrintListsSaved(bool saved)
{
    m_printListsNotSaved->setVisible(!saved);
}

void CAAddressWindow::showPrintList(int index)
{
    m_models.printLists.setCurrentPrintListIndex(index);
    reloadPrintLists();
}

void CAAddressWindow::newPrintList()
{
    // "Print List N" with the first N no list is named yet.
    QStringList names;
    for (int index = 0; index < m_models.printLists.count(); ++index)
        names.append(m_models.printLists.getPrintListNameAt(index));
    int number = 1;
    while (names.contains(PWLocalizedString(u"Print List %1"_s).arg(number)))
        ++number;
    const int index = m_models.printLists.count();
    const QSignalBlocker blocker(&m_models.printLists);
    m_models.printLists.insertPrintListAt(index);
    m_models.printLists.renamePrintListAt(index, PWLocalizedString(u"Print List %1"_s).arg(number));
    m_models.printLists.setCurrentPrintListIndex(index);
    m_models.printLists.store();
    reloadPrintLists();
}

void CAAddressWindow::addPersonsToPrintList(const CAPersonList &persons)
{
    if (persons.isEmpty())
        return;
    if (m_models.printLists.currentPrintListIndex() < 0)
        newPrintList();
    const int index = m_models.printLists.currentPrintListIndex();
    CAPersonList list = m_models.printLists.getPrintListAt(index);
    // A person already in the list, the same or the same card, is not added twice.
    // Looked up by name, a choice of thousands is added at once: the cards, dear to write, are
    // compared only among persons of one name (one card always gives one name).
    QSet<const PWPerson *> held;
    QHash<QString, QList<std::pair<const PWPerson *, QByteArray>>> byName;
    const auto holdsCard = [&byName](const PWPerson &person) {
        QList<std::pair<const PWPerson *, QByteArray>> &named = byName[QStringList {
            person.stringForProperty(kPWFirstNameProperty), person.stringForProperty(kPWLastNameProperty),
            person.stringForProperty(kPWOrganizationProperty)}.join(QChar(0x1F))];
        const QByteArray card = named.isEmpty() ? QByteArray() : CAContactTableModel::cardKey(person);
        for (auto &[other, otherCard] : named) {
            if (otherCard.isEmpty())
                otherCard = CAContactTableModel::cardKey(*other);
            if (otherCard == card)
                return true;
        }
        named.append({&person, card});
        return false;
    };
    for (const std::shared_ptr<PWPerson> &person : std::as_const(list)) {
        held.insert(person.get());
        holdsCard(*person);
    }
    for (const std::shared_ptr<PWPerson> &person : persons) {
        if (!person || held.contains(person.get()) || holdsCard(*person))
            continue;
        held.insert(person.get());
        list.append(person);
    }
    CAPrintListArray::sortPrintList(list, m_models.printLists.getPrintListSortValueAt(index));
    const QSignalBlocker blocker(&m_models.printLists);
    m_models.printLists.replacePrintListAt(index, list);
    m_models.printLists.store();
    reloadPrintLists();
}

void CAAddressWindow::addSelectedContactsToPrintList()
{
    QTableView *table = currentTable();
    CAPersonList chosen;
    for (const QModelIndex &row : table->selectionModel()->selectedRows())
        chosen.append(currentModel()->personAt(row.row()));
    addPersonsToPrintList(chosen);
}

void CAAddressWindow::removeFromPrintList()
{
    const int index = m_models.printLists.currentPrintListIndex();
    if (index < 0)
        return;
    auto *table = findChild<QTableView *>(u"printListTable"_s);
    CAPersonList list = m_models.printLists.getPrintListAt(index);
    for (const QModelIndex &row : table->selectionModel()->selectedRows())
        list.removeOne(m_printListModel->personAt(row.row()));
    const QSignalBlocker blocker(&m_models.printLists);
    m_models.printLists.replacePrintListAt(index, list);
    m_models.printLists.store();
    reloadPrintLists();
}

void CAAddressWindow::sortBy(int category)
{
    const int index = m_sourceStack->currentIndex();
    if (index < 0 || index >= m_pages.size())
        return;
    SourcePage *page = m_pages.at(index);
    page->model->setSortingKey(category == CAContactTableModel::kSourceOrder ? page->defaultSortingKey : category);
    page->model->storeSortingKey();
}

int CAAddressWindow::currentSortingKey() const
{
    const CAContactTableModel *model = currentModel();
    return model ? model->sortingKey() : CAContactTableModel::kSourceOrder;
}

void CAAddressWindow::updateButtons()
{
    const int index = m_sourceStack->currentIndex();
    const SourcePage::Kind kind = m_pages.at(index)->kind;
    m_updateButton->setText(kind == SourcePage::LocalBase ? PWLocalizedString(u"Edit..."_s)
                                                          : PWLocalizedString(u"Update"_s));
    const bool imports = kind == SourcePage::VCard || kind == SourcePage::TextFile || kind == SourcePage::Imported;
    m_updateButton->setEnabled(kind == SourcePage::LocalBase
                               || (imports && !isImporting()
                                   && m_models.container.isAllowUpdateCacheForSource(m_pages.at(index)->name)));
}

void CAAddressWindow::updateCurrentSource()
{
    const QString name = currentSourceName();
    if (name == CALocalContactBase::kName) {
        editListInDialog(4);
        return;
    }
    if (isImporting() || !m_models.container.hasSource(name))
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
    updateButtons();
}

void CAAddressWindow::importEnded(const QString &name)
{
    m_importing = false;
    m_progress->hide();
    const QStringList problems = m_models.container.lastImportProblems(name);
    m_progressLabel->setText(problems.join(u'\n'));
    m_progressLabel->setVisible(!problems.isEmpty());
    updateButtons();
    takeBackCancelledChoice(name);
    Q_EMIT importFinished(name);
}

void CAAddressWindow::onCacheUpdated(const QString &name)
{
    if (!m_models.container.isErrorDuringImporting())
        reloadSource(name);
    m_models.container.setAllowUpdateCache(true, name);
}

void CAAddressWindow::onUpdatePermission(const QString &, bool)
{
    updateButtons();
}

void CAAddressWindow::personClicked(CAContactTableModel *model, bool isRecipient, int row)
{
    std::shared_ptr<PWPerson> person = model->personAt(row);
    if (!person || m_preventChangeSelection)
        return;
    // A person kept as stored because it did not read has no values: made the design's person it
    // would empty the design's address and be saved as an empty card.
    if (const QString unread = CAPersonListDictionary::unreadableReason(*person); !unread.isEmpty()) {
        auto *box = new QMessageBox(QMessageBox::Information, PWLocalizedString(u"Unreadable person"_s),
                                    PWLocalizedString(u"This person could not be read (%1), so the design keeps its "
                                                      u"own address. The person is kept in the list as it was stored."_s)
                                        .arg(unread),
                                    QMessageBox::Ok, this);
        box->setObjectName(u"unreadablePerson"_s);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    if (model == m_senderModel) {
        // The sender chosen last is the one every new design starts with. It is stored by its
        // place in the list as the file holds it: what another process wrote is taken in first
        // and the person found again, so that a sender it added or removed before this one does
        // not make another the chosen one.
        const CAPersonList before = m_models.senders.personListDict().personList();
        if (m_models.defaults.takeInFromFile()) {
            const CAPersonList now = m_models.senders.personListDict().personList();
            const QList<qsizetype> found = CAStoredListMerge::counterparts(
                CAPersonListDictionary::storedPersons(before), CAPersonListDictionary::storedPersons(now), false);
            const qsizetype at = before.indexOf(person);
            person = at >= 0 && at < found.size() && found.at(at) >= 0 ? now.at(found.at(at)) : nullptr;
        }
        if (!person)
            return;
        m_models.senders.storeDefaultPersonIndex(int(m_models.senders.personListDict().personList().indexOf(person)));
        m_models.defaults.synchronize();
        selectDefaultSender();
    }
    if (!m_personChosen)
        return;
    m_personChosen(*person, isRecipient, isRecipient ? selectedPrintListIndex() : -1);
}

int CAAddressWindow::selectedPrintListIndex() const
{
    return m_mainTabs->currentIndex() == PrintListsTab ? m_models.printLists.currentPrintListIndex() : -1;
}

void CAAddressWindow::mainTabChanged(int index)
{
    m_models.defaults.setInteger(kMainTabDefault, index);
    if (index == SendersTab)
        selectDefaultSender();
    // The print lists with none yet: the user makes and fills the first one in the list editor,
    // opened once the tab has changed.
    if (index == PrintListsTab && m_models.printLists.count() == 0)
        QMetaObject::invokeMethod(this, [this] { editListInDialog(CAPrintListEditor::NewPrintList); },
                                  Qt::QueuedConnection);
    if (index == ContactsTab || index == PrintListsTab)
        m_lastRecipientTab = index;
}

void CAAddressWindow::showSenders()
{
    m_mainTabs->setCurrentIndex(SendersTab);
}

void CAAddressWindow::showRecipients(bool localBase)
{
    m_mainTabs->setCurrentIndex(ContactsTab);
    if (localBase)
        changeSourceWithName(CALocalContactBase::kName);
}

void CAAddressWindow::showPrintLists()
{
    m_mainTabs->setCurrentIndex(PrintListsTab);
}
