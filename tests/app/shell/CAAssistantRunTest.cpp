// The application's own assistant, run the ways a user starts it: File > New with Assistant and a
// script's assistant command. Its document goes to the address window's matching tab, and a
// recent document chosen in it opens as its file. The Window menu's address commands and the
// print-multiple window's help button.
#include "ShellTestSupport.h"

#include "AssistantTestSupport.h"

#include "app/command/CAScriptCommands.h"
#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/document/CAHelpButton.h"
#include "app/inspector/CACustomFormatEditor.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/printing/CALayoutController.h"
#include "app/shell/CAAssistantController.h"
#include "app/shell/CAHelpWindow.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "app/shell/CAAssistantDesingController.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/FTGeometry.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QAbstractButton>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QRadioButton>
#include <QTabWidget>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <future>
#include <utility>

using namespace assistanttest;

namespace {

class AssistantRunTest : public shelltest::Test
{
protected:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        // The assistant remembers its choices (kinds, paper, layouts) in the settings; later
        // suites start from the settings as they were.
        useContentLibrary(sampleLibrary());
        PWUserDefaults::standardUserDefaults().removeObject(CAAssistantController::kRecentLayoutViewKey);
        CAEnvironment::setDefaultCountry(u"us"_s);
        launch(1);
        installAddressWindow(*controller);
        installAssistant(*controller);
    }
    void TearDown() override
    {
        CAAssistantController::sharedWizard().setRecentDocumentsSource(nullptr);
        shelltest::Test::TearDown();
        settingsBefore.putBack();
    }

    shelltest::KeptSettings settingsBefore;

    static CAAssistantController &wizard() { return CAAssistantController::sharedWizard(); }

    // Starts the assistant by start(), then, once its window is up, takes the steps; the event
    // loop runs until the assistant has ended.
    void whileShown(const std::function<void()> &start, const std::function<void()> &steps)
    {
        bool driven = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (driven || !wizard().isRunning() || !wizard().window() || !wizard().window()->isVisible())
                return;
            driven = true;
            steps();
            // Steps that ended the run leave the window hidden; others are cancelled.
            if (wizard().window()->isVisible())
                wizard().cancel();
        });
        poll.start();
        start();
        QElapsedTimer clock;
        clock.start();
        while ((!driven || wizard().isRunning()) && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(driven) << "the assistant was not shown";
        ASSERT_FALSE(wizard().isRunning());
    }

    // Steps 1 and 2 of an envelope with a design that has both sides.
    void walkToContacts()
    {
        auto *kind = wizard().window()->findChild<QRadioButton *>(u"_kindEnvelope"_s);
        ASSERT_NE(kind, nullptr);
        QTest::mouseClick(kind, Qt::LeftButton, {}, QPoint(8, kind->height() / 2));
        QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
        auto *popup =
            wizard().window()->findChild<QWidget *>(u"_designView"_s)->findChild<QComboBox *>(u"_categoryPopup"_s);
        ASSERT_TRUE(chooseItem(popup, u"Business"_s));
        auto *designs = wizard().window()->findChild<QTableWidget *>(u"_designTableView"_s);
        ASSERT_GT(designs->rowCount(), 0);
        clickRow(designs, 0);
        QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
    }

    int addressTab() const
    {
        return sharedAddressWindow()->findChild<QTabWidget *>(u"mainTabView"_s)->currentIndex();
    }
};

// Whichever way it is started, the assistant goes on to its contacts step and its design opens
// with the address window on the recipients.
TEST_F(AssistantRunTest, TheAssistantReachesItsContactsStepAndItsDocumentOpens)
{
    CAScriptCommands commands(*controller);
    commands.setAssistant(CAScriptCommands::sharedAssistant());
    const struct
    {
        const char *name;
        std::function<void()> start;
    } cases[] = {
        {"File > New with Assistant", [this] { perform("runAssistant"); }},
        {"the assistant command",
         [&commands] {
             const QJsonObject answer =
                 commands.execute({{u"command"_s, u"assistant"_s}, {u"withType"_s, u"enp"_s}});
             EXPECT_EQ(answer.value(u"status"_s).toString(), u"ok"_s);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sharedAddressWindow()->showSenders();
        const qsizetype before = manager().documents().size();
        QString stepShown;
        whileShown(c.start, [&] {
            walkToContacts();
            stepShown = wizard().currentStepIdentifier();
            QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
        });
        EXPECT_EQ(stepShown, u"3"_s);
        ASSERT_EQ(manager().documents().size(), before + 1);
        EXPECT_EQ(manager().documents().last()->document->docType(), dtEnvelope);
        EXPECT_TRUE(manager().documents().last()->filePath.isEmpty());
        EXPECT_EQ(addressTab(), int(CAAddressWindow::ContactsTab));
    }
}

// A first start copies the sample designs while the assistant is up. Next pressed at once shows
// the design step at once, empty, and its designs come in when the copy has ended; the clicks
// after land where they are aimed. The same when the assistant showed these designs' size group
// before, from another library.
TEST_F(AssistantRunTest, AtAFirstStartTheDesignStepShowsAtOnceAndFillsInWhenTheCopyEnds)
{
    whileShown([this] { perform("runAssistant"); }, [this] {
        auto *kind = wizard().window()->findChild<QRadioButton *>(u"_kindEnvelope"_s);
        ASSERT_NE(kind, nullptr);
        QTest::mouseClick(kind, Qt::LeftButton, {}, QPoint(8, kind->height() / 2));
        QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
        ASSERT_GT(wizard().window()->findChild<QTableWidget *>(u"_designTableView"_s)->rowCount(), 0);
    });
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    useContentLibrary(home.filePath(u"Library"_s));
    // The copy is held at its first file until the test lets it go.
    struct HeldCopy
    {
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        bool let = false;
        HeldCopy()
        {
            CASampleDesignLibrary::setCopyHook([future = released](const QString &) { future.wait(); });
        }
        void letGo()
        {
            if (!std::exchange(let, true))
                release.set_value();
        }
        ~HeldCopy()
        {
            letGo();
            CASampleDesignLibrary::waitForContent();
            CASampleDesignLibrary::setCopyHook(nullptr);
        }
    } copy;
    CASampleDesignLibrary::installAllForUserInBackground();
    ASSERT_TRUE(CASampleDesignLibrary::isSeeding());

    QString stepAtOnce;
    QString stepWhenFilled;
    QString stepAfter;
    int rowsAtOnce = -1;
    int rowsWhenFilled = -1;
    whileShown([this] { perform("runAssistant"); }, [&] {
        auto *kind = wizard().window()->findChild<QRadioButton *>(u"_kindEnvelope"_s);
        auto *designs = wizard().window()->findChild<QTableWidget *>(u"_designTableView"_s);
        ASSERT_TRUE(kind && designs);
        QTest::mouseClick(kind, Qt::LeftButton, {}, QPoint(8, kind->height() / 2));
        QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
        stepAtOnce = wizard().currentStepIdentifier();
        rowsAtOnce = designs->rowCount();
        EXPECT_TRUE(CASampleDesignLibrary::isSeeding());

        copy.letGo();
        QElapsedTimer clock;
        clock.start();
        while (designs->rowCount() == 0 && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        rowsWhenFilled = designs->rowCount();
        stepWhenFilled = wizard().currentStepIdentifier();
        ASSERT_GT(rowsWhenFilled, 0);
        clickRow(designs, 0);
        QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
        stepAfter = wizard().currentStepIdentifier();
    });
    EXPECT_EQ(stepAtOnce, u"2"_s);
    EXPECT_EQ(rowsAtOnce, 0);
    EXPECT_GT(rowsWhenFilled, 0);
    EXPECT_EQ(stepWhenFilled, u"2"_s);
    EXPECT_EQ(stepAfter, u"3"_s);
}

// At a first start the designs are still being copied when Return is pressed three times in quick
// succession: the keys wait for the design list instead of passing over it empty, so the
// assistant ends with the first design of the kind chosen, never a blank design.
TEST_F(AssistantRunTest, ReturnPressedBeforeTheDesignsAreCopiedActsOnTheFilledList)
{
    {
        const char *const kind = "_kindEnvelope";
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        useContentLibrary(home.filePath(u"Library"_s));
        // The copy is held at its first file until the test lets it go.
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        bool let = false;
        const auto letGo = [&] {
            if (!std::exchange(let, true))
                release.set_value();
        };
        CASampleDesignLibrary::setCopyHook([released](const QString &) { released.wait(); });
        CASampleDesignLibrary::installAllForUserInBackground();
        ASSERT_TRUE(CASampleDesignLibrary::isSeeding());

        const qsizetype before = manager().documents().size();
        QString stepAfterKeys;
        int rowsAfterKeys = -1;
        QString chosen;
        whileShown([this] { perform("runAssistant"); }, [&] {
            auto *kindCell = wizard().window()->findChild<QRadioButton *>(QString::fromLatin1(kind));
            auto *designs = wizard().window()->findChild<QTableWidget *>(u"_designTableView"_s);
            ASSERT_TRUE(kindCell && designs);
            QTest::mouseClick(kindCell, Qt::LeftButton, {}, QPoint(8, kindCell->height() / 2));
            for (int press = 0; press < 3; ++press) {
                QWidget *focus = QApplication::focusWidget();
                QTest::keyClick(focus && focus->window() == wizard().window() ? focus : wizard().window(),
                                Qt::Key_Return);
            }
            stepAfterKeys = wizard().currentStepIdentifier();
            rowsAfterKeys = designs->rowCount();
            letGo();
            QElapsedTimer clock;
            clock.start();
            while (wizard().isRunning() && clock.elapsed() < 60000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            chosen = wizard().designController()->currentDocPath();
        });
        letGo();
        CASampleDesignLibrary::waitForContent();
        CASampleDesignLibrary::setCopyHook(nullptr);
        EXPECT_EQ(stepAfterKeys, u"2"_s) << "the keys went on past an empty design list";
        EXPECT_EQ(rowsAfterKeys, 0);
        ASSERT_EQ(manager().documents().size(), before + 1);
        ASSERT_FALSE(chosen.isEmpty()) << "no design was chosen";
        const std::unique_ptr<CFTADocument> design = CAAssistantDesingController::createDocumentFromPath(chosen);
        ASSERT_NE(design, nullptr);
        const CADocument &made = *manager().documents().last()->document;
        EXPECT_FALSE(design->GetComponents(0, false).empty());
        EXPECT_EQ(made.ftDocument()->GetComponents(0, false).size(), design->GetComponents(0, false).size())
            << "the document is not the chosen design";
        // The first design of the first category, as Next on the filled list chooses.
        const QString group = wizard().designController()->sizeGroupPath();
        const QString category = wizard().designController()->categories().value(0);
        EXPECT_EQ(chosen, QDir(QDir(group).filePath(category)).filePath(wizard().designController()->designs().value(0)));
    }
}

// A recent document chosen in the assistant is that file: Save writes it back without asking.
TEST_F(AssistantRunTest, ARecentDocumentOpensAsItsFileAndSavesBackToIt)
{
    const QString file = path(u"recent.pwdc"_s);
    {
        CADocument design;
        ASSERT_TRUE(design.writeToFile(file));
    }
    const QByteArray written = pwtest::readFile(file);
    wizard().setRecentDocumentsSource([file] { return QStringList{file}; });
    savePath = path(u"elsewhere.pwdc"_s);
    const qsizetype before = manager().documents().size();
    whileShown([this] { perform("runAssistant"); }, [&] {
        QAction *recent = nullptr;
        for (QAction *action : wizard().recentDocumentMenu()->actions())
            if (action->data().toString() == file)
                recent = action;
        ASSERT_NE(recent, nullptr);
        EXPECT_EQ(recent->text(), u"recent"_s);
        recent->trigger();
    });
    // The file itself, not an untitled copy beside it.
    ASSERT_EQ(manager().documents().size(), before + 1);
    const std::shared_ptr<CAOpenDocument> record = manager().documents().last();
    EXPECT_EQ(record->filePath, QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(record->untitledNumber, 0);
    QFile::remove(file);
    ASSERT_TRUE(manager().saveDocument(record));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(savePath)) << "Save asked for a new name";
    EXPECT_FALSE(written.isEmpty());
    EXPECT_FALSE(pwtest::readFile(file).isEmpty());
}

// A recent document chosen while the contacts step shows the recipients or the print lists opens
// with its first sender panel turned to the recipient side, as a new design from that step would;
// chosen from the senders it opens as it was saved.
TEST_F(AssistantRunTest, ARecentDocumentFollowsTheContactsTabItIsChosenFrom)
{
    const QString file = path(u"recent.pwdc"_s);
    {
        CADocument design;
        // A label small enough that its sender panel can become the recipient's.
        CFTADocument *card = design.ftDocument();
        const auto group = [card] {
            return getSizeGroupType(float(card->getCardSizeX()), float(card->getCardSizeY()), card->getDocumentType());
        };
        for (double width = 20.0; width < 400.0 && group() != 5; width += 1.0) {
            card->setDocumentSizeX(width);
            card->setDocumentSizeY(width / 2.5);
        }
        ASSERT_EQ(group(), 5);
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController()
            .formatWithTemplate(u"Name+Company"_s, u"us"_s, false, 1);
        ASSERT_NE(format, nullptr);
        design.ftDocument()->AddObject(
            new CFTAAddressPanel(false, format.get(), design.ftDocument()->getDefText(), false), 0, false);
        ASSERT_TRUE(design.writeToFile(file));
    }
    wizard().setRecentDocumentsSource([file] { return QStringList{file}; });
    const struct
    {
        const char *button;
        int tab;
        bool turned;
    } cases[] = {
        {"_contactRecipient", 1, true},
        {"_contactSender", 0, false},
        {"_contactPrintList", 2, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.button);
        const qsizetype before = manager().documents().size();
        int tabChosen = -1;
        whileShown([this] { perform("runAssistant"); }, [&] {
            walkToContacts();
            ASSERT_EQ(wizard().currentStepIdentifier(), u"3"_s);
            auto *kind = wizard().window()->findChild<QRadioButton *>(QString::fromLatin1(c.button));
            ASSERT_NE(kind, nullptr);
            ASSERT_TRUE(kind->isVisible());
            QTest::mouseClick(kind, Qt::LeftButton, {}, QPoint(8, kind->height() / 2));
            tabChosen = wizard().currentContactsTabViewIndex();
            QAction *recent = nullptr;
            for (QAction *action : wizard().recentDocumentMenu()->actions())
                if (action->data().toString() == file)
                    recent = action;
            ASSERT_NE(recent, nullptr);
            recent->trigger();
        });
        EXPECT_EQ(tabChosen, c.tab);
        ASSERT_EQ(manager().documents().size(), before + 1);
        const std::shared_ptr<CAOpenDocument> record = manager().documents().last();
        EXPECT_EQ(record->filePath, QFileInfo(file).absoluteFilePath());
        QList<bool> sides;
        for (CFTComponent *component : record->document->ftDocument()->GetComponents(0, false))
            if (component->getClassID() == ciAddressPanel)
                sides.append(component->GetToFrom());
        EXPECT_EQ(sides, QList<bool>{c.turned});
        // Opened as it stands on disk, the design is not a new one: nothing asks to save it.
        EXPECT_FALSE(record->isEdited());
        record->window->close();
        QCoreApplication::processEvents();
    }
}

// The Recent tab of the label step: each recently used template, chosen there, is the template of
// the design step and of the document Finish makes, whatever the Standard list's menus show.
TEST_F(AssistantRunTest, EachRecentTemplateLeadsToItsDesignsAndItsDocument)
{
    const CATemplateFormat::TemplateList *predefined = CATemplateFormat::predefLayouts(dtLabel);
    ASSERT_NE(predefined, nullptr);
    const auto withId = [predefined](const QString &id) {
        for (const std::shared_ptr<CATemplateFormat> &format : *predefined)
            if (format->ID() == id)
                return format;
        return std::shared_ptr<CATemplateFormat>();
    };
    const std::shared_ptr<CATemplateFormat> first = withId(u"05161"_s);
    const std::shared_ptr<CATemplateFormat> second = withId(u"05160"_s);
    ASSERT_TRUE(first && second);
    const QString recentKey = *CATemplateFormat::recentPrefKey(dtLabel);
    // The assistant's window is made before there is any recent list, as at a first start: the
    // list comes into being later (here, as a document's layout sheet would make it).
    ASSERT_TRUE(wizard().loadWindow());

    const struct
    {
        const char *name;
        int row;
        QString id;
        QString category;
    } cases[] = {
        {"the first, all templates listed", 0, u"05161"_s, u"All"_s},
        {"the second, all templates listed", 1, u"05160"_s, u"All"_s},
        {"the second, hidden by the category menu", 1, u"05160"_s, u"Shipping Labels"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // The recent list as two earlier documents left it.
        PWUserDefaults::standardUserDefaults().setObject(
            recentKey, PWPlist(PWPlist::Array {PWPlist(first->toDictionary()), PWPlist(second->toDictionary())}));
        if (CATemplateFormat::TemplateList *recent = CATemplateFormat::recentLayouts(dtLabel)) {
            recent->clear();
            recent->append(first);
            recent->append(second);
        }
        PWUserDefaults::standardUserDefaults().setObject(u"FTLabelCategory"_s, PWPlist::fromString(c.category));
        const qsizetype before = manager().documents().size();
        int designRows = -1;
        whileShown([this] { perform("runAssistant"); }, [&] {
            auto *kind = wizard().window()->findChild<QRadioButton *>(u"_kindLabel"_s);
            ASSERT_NE(kind, nullptr);
            QTest::mouseClick(kind, Qt::LeftButton, {}, QPoint(8, kind->height() / 2));
            ASSERT_NE(wizard().layoutController(0), nullptr);
            QTableView *recentTable = wizard().layoutController(0)->tableView(CALayoutController::RecentTable);
            ASSERT_NE(recentTable, nullptr);
            ASSERT_EQ(recentTable->model()->rowCount(), 2);
            QTabWidget *tabs = nullptr;
            for (QWidget *up = recentTable->parentWidget(); up && !tabs; up = up->parentWidget())
                tabs = qobject_cast<QTabWidget *>(up);
            ASSERT_NE(tabs, nullptr);
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(2).center());
            ASSERT_TRUE(recentTable->isVisible());
            clickRow(recentTable, c.row);
            QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
            auto *designs = wizard().window()->findChild<QTableWidget *>(u"_designTableView"_s);
            ASSERT_NE(designs, nullptr);
            designRows = designs->rowCount();
            ASSERT_GT(designRows, 0);
            clickRow(designs, 0);
            QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
            QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
        });
        EXPECT_GT(designRows, 0) << "the design step shows no designs";
        ASSERT_EQ(manager().documents().size(), before + 1);
        const CADocument &made = *manager().documents().last()->document;
        EXPECT_EQ(CATemplateFormat::initFromDocument(*made.ftDocument()).ID(), c.id);
    }
}

// Window > Senders, Recipients, Local Contacts and Print Lists: each enabled, each bringing the
// address window up on its tab.
TEST_F(AssistantRunTest, EachWindowCommandShowsItsTabOfTheAddressWindow)
{
    const struct
    {
        const char *action;
        int tab;
        bool localBase;
    } cases[] = {
        {"addressWindowSenders", CAAddressWindow::SendersTab, false},
        {"addressWindowRecipients", CAAddressWindow::ContactsTab, false},
        {"addressWindowLocalRecipients", CAAddressWindow::ContactsTab, true},
        {"addressWindowPrintLists", CAAddressWindow::PrintListsTab, false},
        {"addressWindowSenders", CAAddressWindow::SendersTab, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.action);
        controller->mainMenu().validate();
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(c.action));
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        ASSERT_NE(sharedAddressWindow(), nullptr);
        EXPECT_TRUE(sharedAddressWindow()->isVisible()) << "a visible window stays up";
        EXPECT_EQ(addressTab(), c.tab);
        if (c.tab == CAAddressWindow::ContactsTab) {
            EXPECT_EQ(sharedAddressWindow()->currentSourceName() == CALocalContactBase::kName, c.localBase);
        }
    }
}

// The help buttons of the print-multiple window (by the list it edits) and of the custom address
// formats window open their pages.
TEST_F(AssistantRunTest, HelpButtonsOpenTheirPages)
{
    CAPrintMultipleDialog dialog(CAAddressWindow::sharedModels());
    CACustomFormatEditor formats;
    const struct
    {
        const char *name;
        QWidget *window;
        std::function<void()> prepare;
        const char16_t *page;
        const char16_t *fragment;
    } cases[] = {
        {"senders", &dialog, [&dialog] { dialog.prepare(CAPrintListEditor::Senders, -1); }, u"contacts.html",
         u"senders"},
        {"local contacts", &dialog, [&dialog] { dialog.prepare(CAPrintListEditor::LocalBase, -1); }, u"contacts.html",
         u"local-contacts"},
        {"print lists", &dialog, [&dialog] { dialog.prepare(CAPrintListEditor::PrintLists, -1); }, u"contacts.html",
         u"print-lists"},
        {"custom address formats", &formats, [] {}, u"designing-a-label.html", u"custom-formats"},
    };
    CAHelpWindow &help = CAHelpWindow::sharedHelpWindow();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        help.close();
        c.prepare();
        c.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(c.window));
        CAHelpButton *button = nullptr;
        for (CAHelpButton *each : c.window->findChildren<CAHelpButton *>())
            if (each->isVisible())
                button = each;
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(QFileInfo(help.currentPage().path()).fileName(), QString::fromUtf16(c.page));
        EXPECT_EQ(help.currentPage().fragment(), QString::fromUtf16(c.fragment));
        c.window->hide();
    }
    help.close();
}

} // namespace
