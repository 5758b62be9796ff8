#include "app/contacts/CAAddressWindow.h"

#include "app/contacts/CAAddressBookSource.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/document/CAWindowPlacement.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QHideEvent>
#include <QItemSelection>
#include <QKeyEvent>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

// The choices the window keeps while its lists change: the selection of a reloaded table, the
// default sender, the group shown, the tab that follows a design's address selection, the
// window's own place and size from one run to the next, the source pop-up's keys and wheel, and
// the source shown again when the user cancels the import of one chosen with nothing read.

const QString CAAddressWindow::kFrameDefault = u"NSWindow Frame Address"_s;
const QString CAAddressWindow::kDataSourceDefault = u"ContactDataSource"_s;

QString CAAddressWindow::frameString(const QRect &frame, const QRect &screen)
{
    return CAWindowPlacement::frameText(frame, screen);
}

std::optional<QRect> CAAddressWindow::frameFromString(const QString &text)
{
    return CAWindowPlacement::frameFromText(text);
}

void CAAddressWindow::restoreFrame()
{
    // Kept within the screen it was on, or the main screen when that one is gone, as a window
    // that comes back must be reachable.
    CAWindowPlacement::restoreFrame(this, m_models.defaults.stringForKey(kFrameDefault),
                                    CAWindowPlacement::decorationsShown(CAWindowPlacement::kAssumedFrame));
}

void CAAddressWindow::saveFrame()
{
    if (!m_frameStore)
        return;
    const QString text = CAWindowPlacement::frameText(this);
    if (m_frameStore->stringForKey(kFrameDefault) != text)
        m_frameStore->setString(kFrameDefault, text);
}

void CAAddressWindow::hideEvent(QHideEvent *event)
{
    // Closed or hidden: the place is kept as the user left it (a quit with the window open keeps
    // it from the destructor).
    if (!event->spontaneous())
        saveFrame();
    QWidget::hideEvent(event);
}

bool CAAddressWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Showing a source may start its import (a file chooser, a helper run). A closed pop-up
    // stepped with the keys shows every source it passes, so those keys open the list instead:
    // the user moves through it there and only the source chosen with Return is shown. A letter
    // opens it too, on the first source of that name. The wheel, which would step it the same
    // way, does nothing over it.
    if (watched != m_sourceButton)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel)
        return true;
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    static const QList<int> steps = {Qt::Key_Up,       Qt::Key_Down, Qt::Key_PageUp,
                                     Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    const bool stepKey = modifiers == Qt::NoModifier && steps.contains(key->key());
    const bool searchKey = (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier && !key->text().isEmpty()
                           && key->text().front().isPrint() && key->key() != Qt::Key_Space;
    if (!stepKey && !searchKey)
        return QWidget::eventFilter(watched, event);
    m_sourceButton->showPopup();
    if (searchKey)
        QCoreApplication::sendEvent(m_sourceButton->view(), key);
    return true;
}

void CAAddressWindow::rememberShownBeforeImport(const QString &source)
{
    const bool stored = m_models.defaults.hasStoredValue(kDataSourceDefault);
    m_shownBeforeImport = ShownBeforeImport {
        source, stored ? std::optional<QString>(m_models.defaults.stringForKey(kDataSourceDefault)) : std::nullopt};
}

void CAAddressWindow::takeBackCancelledChoice(const QString &name)
{
    // A source chosen with nothing read asked for its files and the user said no: the choice is
    // taken back, as if never made. A source that read something since, or one the user has
    // turned away from, stays as it is.
    const std::optional<ShownBeforeImport> before = std::exchange(m_shownBeforeImport, std::nullopt);
    if (!before || !m_models.container.lastImportCancelled(name) || currentSourceName() != name
        || m_models.container.memoryListForSource(name))
        return;
    showSource(before->source);
    if (before->stored)
        m_models.defaults.setString(kDataSourceDefault, *before->stored);
    else
        m_models.defaults.removeObject(kDataSourceDefault);
    m_models.defaults.synchronize();
}

void CAAddressWindow::selectDefaultSender()
{
    // Selected in code, so it is not sent to a design.
    QTableView *table = tableOfModel(m_senderModel);
    const int index = m_models.senders.getDefaultPersonIndex();
    const CAPersonList &senders = m_models.senders.personListDict().personList();
    const int row = index >= 0 && index < senders.size() ? m_senderModel->rowOfPerson(senders.at(index).get()) : -1;
    if (!table)
        return;
    if (row < 0) {
        table->clearSelection();
        return;
    }
    table->selectRow(row);
    table->scrollTo(m_senderModel->index(row, 0));
}

QTableView *CAAddressWindow::tableOfModel(const CAContactTableModel *model) const
{
    if (model == m_senderModel)
        return findChild<QTableView *>(u"senderTable"_s);
    if (model == m_printListModel)
        return findChild<QTableView *>(u"printListTable"_s);
    for (const SourcePage *page : m_pages) {
        if (page->model == model)
            return page->table;
    }
    return nullptr;
}

void CAAddressWindow::setContentKeepingSelection(CAContactTableModel *model, const CAPersonList &persons)
{
    // The model keeps each row on its person, and the view its selection with the rows; a
    // person gone from the list leaves no selection behind.
    const bool stored = model == m_senderModel || model == m_printListModel
                        || model == modelOfSource(CALocalContactBase::kName);
    model->setContentKeepingRows(persons, stored ? CAContactTableModel::Matching::StoredPerson
                                                 : CAContactTableModel::Matching::Identifier);
}

void CAAddressWindow::fillSourceGroupButton(SourcePage *page)
{
    // Only a source that read groups with its persons has the chooser: "All", then its groups.
    const bool hasGroups = page->kind == SourcePage::Imported && m_models.container.memoryListForSource(page->name)
                           && m_models.container.groupsForSource(page->name);
    m_groupButton->setVisible(hasGroups);
    if (!hasGroups)
        return;
    const CADataSourceContainer::Groups groups = *m_models.container.groupsForSource(page->name);
    m_groupButton->clear();
    m_groupButton->addItem(PWLocalizedString(u"All"_s), kAllGroupsTag);
    for (auto group = groups.cbegin(); group != groups.cend(); ++group)
        m_groupButton->addItem(group.key(), 0);
    const int chosen = page->chosenGroup.isEmpty() ? 0 : m_groupButton->findText(page->chosenGroup);
    m_groupButton->setCurrentIndex(std::max(chosen, 0));
}

void CAAddressWindow::changeSourceGroup(SourcePage *page, const QString &group)
{
    page->table->clearSelection();
    page->chosenGroup = group;
    reloadSource(page->name);
}

void CAAddressWindow::fillGroupButton()
{
    m_groupButton->setVisible(true);
    m_groupButton->clear();
    m_groupButton->addItems(m_bookSource->groupNames());
    // A remembered group that is gone leaves the chooser without a choice, showing everyone.
    m_groupButton->setCurrentIndex(m_groupButton->findText(m_bookSource->selectedGroupName()));
}

void CAAddressWindow::changeGroupWithName(const QString &name)
{
    for (SourcePage *page : std::as_const(m_pages)) {
        if (page->kind != SourcePage::AddressBook)
            continue;
        page->table->clearSelection();
        page->model->setContent(m_bookSource->changeGroupWithName(name));
    }
    const int item = m_groupButton->findText(name);
    if (item >= 0)
        m_groupButton->setCurrentIndex(item);
}

void CAAddressWindow::followAddressSelection(bool isRecipient)
{
    if (!isRecipient) {
        m_mainTabs->setCurrentIndex(SendersTab);
        return;
    }
    const int tab = m_lastRecipientTab == PrintListsTab && m_models.printLists.count() == 0 ? ContactsTab
                                                                                           : m_lastRecipientTab;
    m_mainTabs->setCurrentIndex(tab);
}
