#pragma once

#include "app/shell/CAAssistantContactsStep.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"

#include "TestSupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace assistanttest {

// The content library the build made, with the sample designs in its Templates folder.
inline QString sampleLibrary()
{
    return QStringLiteral(PW_SAMPLE_LIBRARY_DIR);
}

inline QString sampleTemplates()
{
    return QDir(sampleLibrary()).filePath(u"Parcelwick/Templates/en.lproj"_s);
}

// Points the environment's content library at folder.
inline void useContentLibrary(const QString &folder)
{
    PWUserDefaults::standardUserDefaults().setObject(u"FTSharedContentLibraryPath"_s, PWPlist::fromString(folder));
}

// Every sample design: path relative to the templates folder.
inline QStringList sampleDesigns()
{
    QStringList found;
    const QDir base(sampleTemplates());
    QDirIterator it(sampleTemplates(), {u"*.pwdc"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << base.relativeFilePath(it.next());
    found.sort();
    return found;
}

// Chooses the item of a pop-up with the keyboard, as a user tabbing through the window would.
inline bool chooseItem(QComboBox *popup, const QString &title)
{
    const int wanted = popup ? popup->findText(title) : -1;
    if (wanted < 0)
        return false;
    popup->setFocus();
    for (int guard = 0; popup->currentIndex() != wanted && guard < 200; ++guard)
        QTest::keyClick(popup, popup->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
    return popup->currentIndex() == wanted;
}

// Clicks a row of a table or list where a user aims.
inline void clickRow(QAbstractItemView *view, int row)
{
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

// A contacts step that records what the assistant asks of it.
class RecordingContactsStep : public CAAssistantContactsStep
{
public:
    RecordingContactsStep()
        : m_view(new QWidget)
    {
    }
    ~RecordingContactsStep() override
    {
        // The assistant's window owns the view once it has been put there.
        if (m_view && !m_view->parent())
            delete m_view;
    }
    QWidget *view() override { return m_view; }
    void initControls(bool senderOnly) override
    {
        ++initCount;
        lastSenderOnly = senderOnly;
        tab = senderOnly ? 0 : 1;
    }
    int currentTabViewIndex() const override { return tab; }
    void selectTab(int index) override { tab = index; }
    std::shared_ptr<PWPerson> person(bool toFrom) const override { return toFrom ? recipient : sender; }
    addressType recipientAddrType() const override { return adWork; }
    addressType senderAddrType() const override { return adHome; }
    std::optional<QString> selectedPrintListName() const override { return printList; }
    void storeLists(bool printLists) override
    {
        ++storeCount;
        lastStoredPrintLists = printLists;
    }

    int tab = 1;
    int initCount = 0;
    bool lastSenderOnly = false;
    int storeCount = 0;
    bool lastStoredPrintLists = false;
    std::shared_ptr<PWPerson> recipient;
    std::shared_ptr<PWPerson> sender;
    std::optional<QString> printList;

private:
    QPointer<QWidget> m_view;
};

} // namespace assistanttest
