// What the user is told when the settings file cannot be written, and the print lists the
// assistant makes: shown at once in the open Addresses window, and, when they could not be saved,
// shown as not kept and told once in a window.
#include "ShellTestSupport.h"

#include "AssistantTestSupport.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CASettingsSaveMonitor.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include <functional>

using namespace assistanttest;

namespace {

// The settings folder made impossible to write, for root as well: a file stands where the folder
// should be. Put back as it was, and the settings written again, when the guard goes.
class BlockedSettings
{
public:
    BlockedSettings()
        : m_folder(QFileInfo(PWUserDefaults::standardUserDefaults().filePath()).absolutePath())
        , m_aside(m_folder + u".kept"_s)
    {
    }
    ~BlockedSettings()
    {
        unblock();
        PWUserDefaults::standardUserDefaults().synchronize();
    }
    void block()
    {
        if (m_blocked)
            return;
        m_moved = QFileInfo::exists(m_folder) && QDir().rename(m_folder, m_aside);
        QFile stand(m_folder);
        ASSERT_TRUE(stand.open(QIODevice::WriteOnly));
        stand.write("not a folder");
        m_blocked = true;
    }
    void unblock()
    {
        if (!m_blocked)
            return;
        QFile::remove(m_folder);
        if (m_moved)
            QDir().rename(m_aside, m_folder);
        m_blocked = false;
    }

private:
    QString m_folder;
    QString m_aside;
    bool m_moved = false;
    bool m_blocked = false;
};

// The message boxes telling that something could not be saved, as the user sees them.
QList<QMessageBox *> notSavedBoxes()
{
    QList<QMessageBox *> boxes;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->objectName() == u"_settingsNotSaved"_s
                                                              && box->isVisible())
            boxes.append(box);
    return boxes;
}

void closeNotSavedBoxes()
{
    for (QMessageBox *box : notSavedBoxes())
        box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class SettingsNotSavedTest : public shelltest::Test
{
protected:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        useContentLibrary(sampleLibrary());
        PWUserDefaults::standardUserDefaults().removeObject(CAAssistantController::kRecentLayoutViewKey);
        launch(1);
        installAddressWindow(*controller);
        installAssistant(*controller);
        controller->panels().show(CAFloatingPanels::AddressWindow);
    }
    void TearDown() override
    {
        closeNotSavedBoxes();
        CAAssistantController::sharedWizard().setRecentDocumentsSource(nullptr);
        shelltest::Test::TearDown();
        settingsBefore.putBack();
    }

    static CAAssistantController &wizard() { return CAAssistantController::sharedWizard(); }
    template <typename T>
    static T *inAssistant(const char *name)
    {
        return wizard().window()->findChild<T *>(QString::fromLatin1(name));
    }
    static void click(QAbstractButton *button)
    {
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    // Runs the assistant from File > New with Assistant and takes the steps once it is up.
    void whileShown(const std::function<void()> &steps)
    {
        bool driven = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (driven || !wizard().isRunning() || !wizard().window() || !wizard().window()->isVisible())
                return;
            driven = true;
            steps();
            if (wizard().window()->isVisible())
                wizard().cancel();
        });
        poll.start();
        perform("runAssistant");
        QElapsedTimer clock;
        clock.start();
        while ((!driven || wizard().isRunning()) && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(driven) << "the assistant was not shown";
        ASSERT_FALSE(wizard().isRunning());
        // What failed is told from the event loop.
        QCoreApplication::processEvents();
    }

    QStringList listsShown() const
    {
        auto *lists = sharedAddressWindow()->findChild<QComboBox *>(u"printListButton"_s);
        QStringList names;
        for (int i = 0; lists && i < lists->count(); ++i)
            names << lists->itemText(i);
        return names;
    }

    shelltest::KeptSettings settingsBefore;
};

// A print list made in the assistant is in the Addresses window as soon as the assistant ends.
// Saved, it is there at the next start; when the settings file cannot be written, the window says
// the lists are not kept and one message says the print lists could not be saved.
TEST_F(SettingsNotSavedTest, APrintListFromTheAssistantShowsAtOnceAndAFailedSaveIsTold)
{
    const struct
    {
        const char *name;
        bool blocked;
    } cases[] = {{"saved", false}, {"the settings folder is a file", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(sharedAddressWindow() && sharedAddressWindow()->isVisible());
        BlockedSettings settings;
        QString made;
        whileShown([&] {
            click(inAssistant<QRadioButton>("_kindEnvelope"));
            QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
            ASSERT_TRUE(chooseItem(inAssistant<QWidget>("_designView")->findChild<QComboBox *>(u"_categoryPopup"_s),
                                   u"Business"_s));
            auto *designs = inAssistant<QTableWidget>("_designTableView");
            ASSERT_GT(designs->rowCount(), 0);
            clickRow(designs, 0);
            QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
            ASSERT_EQ(wizard().currentStepIdentifier(), u"3"_s);
            click(inAssistant<QRadioButton>("_contactPrintList"));
            click(inAssistant<QPushButton>("_newPrintListButton"));
            auto *names = inAssistant<QListWidget>("_printListNames");
            ASSERT_TRUE(names && names->currentItem());
            made = names->currentItem()->text();
            if (c.blocked)
                settings.block();
            QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
        });
        ASSERT_FALSE(made.isEmpty());
        EXPECT_TRUE(listsShown().contains(made)) << "the new list is not in the open Addresses window";
        auto *notSaved = sharedAddressWindow()->findChild<QLabel *>(u"printListsNotSaved"_s);
        ASSERT_NE(notSaved, nullptr);
        EXPECT_EQ(!notSaved->isHidden(), c.blocked);
        const QList<QMessageBox *> boxes = notSavedBoxes();
        ASSERT_EQ(boxes.size(), c.blocked ? 1 : 0);
        if (c.blocked) {
            EXPECT_TRUE(boxes.front()->text().contains(u"print lists"_s)) << boxes.front()->text().toStdString();
        }

        // What the next start reads.
        settings.unblock();
        PWUserDefaults onDisk(PWUserDefaults::standardUserDefaults().filePath());
        CAPrintListArray stored(onDisk);
        stored.load();
        EXPECT_EQ(stored.getPrintListByName(made).has_value(), !c.blocked);
        closeNotSavedBoxes();
    }
}

// Settings that cannot be written are told once, however many changes fail: switching the tabs of
// the Addresses window writes each time. Once the file is written again, a new failure is told
// anew.
TEST_F(SettingsNotSavedTest, SettingsThatCannotBeWrittenAreToldOnce)
{
    auto *tabs = sharedAddressWindow()->findChild<QTabWidget *>(u"mainTabView"_s);
    ASSERT_NE(tabs, nullptr);
    const auto switchTabs = [tabs](int times) {
        for (int i = 0; i < times; ++i) {
            const int next = tabs->currentIndex() == CAAddressWindow::SendersTab ? CAAddressWindow::ContactsTab
                                                                                  : CAAddressWindow::SendersTab;
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(next).center());
            ASSERT_EQ(tabs->currentIndex(), next);
            QCoreApplication::processEvents();
        }
    };
    BlockedSettings settings;
    const struct
    {
        const char *name;
        bool blocked;
        int switches;
        int told;
    } spells[] = {
        {"fifteen changes fail", true, 15, 1},
        {"written again", false, 2, 1},
        {"failing again", true, 3, 2},
    };
    int toldSoFar = 0;
    for (const auto &spell : spells) {
        SCOPED_TRACE(spell.name);
        spell.blocked ? settings.block() : settings.unblock();
        switchTabs(spell.switches);
        EXPECT_EQ(PWUserDefaults::standardUserDefaults().isSaved(), !spell.blocked);
        const QList<QMessageBox *> boxes = notSavedBoxes();
        ASSERT_EQ(toldSoFar + int(boxes.size()), spell.told);
        for (QMessageBox *box : boxes) {
            EXPECT_TRUE(box->text().contains(u"settings"_s)) << box->text().toStdString();
            EXPECT_TRUE(box->informativeText().contains(PWUserDefaults::standardUserDefaults().filePath()));
        }
        toldSoFar += int(boxes.size());
        closeNotSavedBoxes();
    }
}

// The message names what the failed changes were, each once.
TEST(SettingsSaveMonitor, TheMessageNamesWhatCouldNotBeSaved)
{
    const struct
    {
        QStringList keys;
        QString named;
    } cases[] = {
        {{u"AddressControllerMainTabViewIndex"_s, QString()}, u"your settings"_s},
        {{u"PrintListArray"_s, QString(), u"CurrentPrintListIndex"_s}, u"the print lists"_s},
        {{u"PrintListArray"_s, u"SenderList"_s, u"Default Sender Index"_s}, u"the print lists and the senders"_s},
        {{u"FTLabelCategory"_s, u"PrintListArray"_s, u"LocalContactBase"_s},
         u"your settings, the print lists and the local contacts"_s},
        {{QString()}, u"your settings"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys.join(u'|').toStdString());
        EXPECT_EQ(CASettingsSaveMonitor::textFor(c.keys), u"Parcelwick could not save %1."_s.arg(c.named));
    }
}

} // namespace
