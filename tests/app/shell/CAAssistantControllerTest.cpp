#include "app/shell/CAAssistantController.h"

#include "AssistantTestSupport.h"

#include "app/printing/CALayoutController.h"
#include "app/printing/CATemplateTableModel.h"
#include "app/shell/CAAssistantDesingController.h"
#include "app/shell/CAAssistantTabView.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardReader.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace assistanttest;

namespace {

constexpr int kNotEnded = -99;

class AssistantTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        useContentLibrary(sampleLibrary());
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        for (const QString &key : {CAAssistantController::kRecentLayoutViewKey, u"FTLabelCategory"_s,
                                   u"FTLabelManufacturer"_s, u"FTLabelPaperSize"_s, u"FTEnvelopeType"_s,
                                   u"FTPostcardManufacturer"_s, u"FTPostcardPaperSize"_s})
            defaults.removeObject(key);
        CAEnvironment::setDefaultCountry(u"us"_s);
        wizard.setRecentDocumentsSource([this] { return recent; });
    }
    void TearDown() override { PWUserDefaults::standardUserDefaults().removeObject(u"FTSharedContentLibraryPath"_s); }

    // Runs the assistant while steps drives it the way a user would; a run the steps leave open
    // is ended with kNotEnded so that a failing walk cannot hang the suite.
    int runWith(const std::function<void()> &steps, const QString &layout = QString(), const QString &category = QString(),
                bool fromService = false)
    {
        QTimer::singleShot(0, &wizard, [this, steps] {
            steps();
            if (wizard.isRunning() && wizard.window() && wizard.window()->isVisible())
                wizard.window()->done(kNotEnded);
        });
        return wizard.showDialog(fromService, layout, category);
    }

    QString nextTitle() const { return wizard.nextButton()->text(); }
    void clickNext() { QTest::mouseClick(wizard.nextButton(), Qt::LeftButton); }
    void clickBack() { QTest::mouseClick(wizard.prevButton(), Qt::LeftButton); }
    void clickKind(const char *name)
    {
        auto *cell = wizard.window()->findChild<QRadioButton *>(QString::fromLatin1(name));
        ASSERT_NE(cell, nullptr);
        QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(8, cell->height() / 2));
    }
    void clickButton(const char *name)
    {
        auto *button = wizard.window()->findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QComboBox *designPopup() const
    {
        return wizard.window()->findChild<QWidget *>(u"_designView"_s)->findChild<QComboBox *>(u"_categoryPopup"_s);
    }
    QTableWidget *designTable() const { return wizard.window()->findChild<QTableWidget *>(u"_designTableView"_s); }
    QWidget *chooserPage(int index) const { return wizard.layoutTabView()->widget(index); }

    // Types into the search field of the shown chooser, as a user looking for a template does.
    void searchTemplate(int index, const QString &text)
    {
        auto *field = chooserPage(index)->findChild<QLineEdit *>(u"_search"_s);
        ASSERT_NE(field, nullptr);
        field->setFocus();
        QTest::keyClicks(field, text);
    }

    static int countOfType(const CFTADocument &design, compType type, int toFrom = -1)
    {
        int count = 0;
        for (CFTComponent *component : design.GetComponents(0, false))
            if (component->getType() == type && (toFrom < 0 || int(component->GetToFrom()) == toFrom))
                ++count;
        return count;
    }

    CAAssistantController wizard;
    QStringList recent;
};

struct WalkCase
{
    const char *name;
    const char *kindCell;
    int layoutIndex;
    documentType type;
    const char *search;      // typed into the chooser; empty keeps its choice
    const char *category;    // of the design step
    int designRow;
};

class AssistantWalk : public AssistantTest, public ::testing::WithParamInterface<WalkCase>
{
};

// A label, an envelope and a postcard, chosen with clicks: the document has the chosen paper
// template and the chosen design's objects.
TEST_P(AssistantWalk, EndsInADocumentOfTheChosenLayoutAndDesign)
{
    const WalkCase c = GetParam();
    std::shared_ptr<CATemplateFormat> chosen;
    QString designPath;
    QStringList seenTitles;
    const int code = runWith([&] {
        clickKind(c.kindCell);
        ASSERT_EQ(wizard.layoutTabView()->currentIndex(), c.layoutIndex);
        if (*c.search)
            searchTemplate(c.layoutIndex, QString::fromLatin1(c.search));
        chosen = wizard.layoutController(c.layoutIndex)->getSelectedFormat();
        ASSERT_NE(chosen, nullptr);
        seenTitles << nextTitle();
        clickNext();
        ASSERT_EQ(wizard.currentStepIdentifier(), u"2"_s);
        EXPECT_TRUE(wizard.prevButton()->isEnabled());
        EXPECT_EQ(wizard.selectedLayout(), chosen->sizeGroup().value_or(QString()));
        ASSERT_TRUE(chooseItem(designPopup(), QString::fromLatin1(c.category)));
        ASSERT_GT(designTable()->rowCount(), c.designRow);
        clickRow(designTable(), c.designRow);
        designPath = wizard.designController()->currentDocPath();
        // Without a contacts step the design step is the last.
        seenTitles << nextTitle();
        clickNext();
    });
    ASSERT_EQ(code, CAAssistantController::Finish);
    EXPECT_EQ(seenTitles, (QStringList{u"Next"_s, u"Finish"_s}));
    EXPECT_TRUE(QFileInfo(designPath).path().endsWith(QString::fromLatin1(c.category)));
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().integerForKey(CAAssistantController::kRecentLayoutViewKey),
              c.layoutIndex);

    const std::unique_ptr<CADocument> document = wizard.createDocument();
    ASSERT_NE(document, nullptr);
    const CFTADocument *design = document->ftDocument();
    ASSERT_NE(design, nullptr);
    EXPECT_EQ(document->docType(), c.type);
    const double longSide = std::max(design->getDocumentSizeX(0), design->getDocumentSizeY(0));
    const double shortSide = std::min(design->getDocumentSizeX(0), design->getDocumentSizeY(0));
    EXPECT_NEAR(longSide, std::max(chosen->ItemWidth(), chosen->ItemHeight()), 0.01);
    EXPECT_NEAR(shortSide, std::min(chosen->ItemWidth(), chosen->ItemHeight()), 0.01);

    const std::unique_ptr<CFTADocument> file = CAAssistantDesingController::createDocumentFromPath(designPath);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(design->GetComponents(0, false).size(), file->GetComponents(0, false).size());
    for (const compType type : {ctAddressPanel, ctPicture, ctText, ctRect})
        EXPECT_EQ(countOfType(*design, type), countOfType(*file, type)) << int(type);
}

INSTANTIATE_TEST_SUITE_P(
    Assistant, AssistantWalk,
    ::testing::Values(WalkCase{"Label", "_kindLabel", 0, dtLabel, "", "Personal", 1},
                      WalkCase{"Envelope", "_kindEnvelope", 1, dtEnvelope, "DL", "Business", 1},
                      WalkCase{"Postcard", "_kindPostcard", 2, dtPostcard, "", "Personal", 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AssistantTest, AHandlingCategoryFinishesAtTheDesignStepWhenContactsFollow)
{
    auto contacts = std::make_unique<RecordingContactsStep>();
    RecordingContactsStep *step = contacts.get();
    wizard.setContactsStep(std::move(contacts));
    QStringList titles;
    const int code = runWith([&] {
        clickKind("_kindLabel");
        clickNext();
        ASSERT_TRUE(chooseItem(designPopup(), u"Business"_s));
        titles << nextTitle();
        ASSERT_TRUE(chooseItem(designPopup(), u"Handling"_s));
        titles << nextTitle();
        clickNext();
    });
    EXPECT_EQ(titles, (QStringList{u"Next"_s, u"Finish"_s}));
    EXPECT_EQ(code, CAAssistantController::Finish);
    EXPECT_EQ(step->initCount, 0) << "the contacts step was shown";
    const std::unique_ptr<CADocument> document = wizard.createDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(countOfType(*document->ftDocument(), ctAddressPanel), 0);
    EXPECT_GT(countOfType(*document->ftDocument(), ctPicture), 0);
}

// The contacts step opens on the sender tab for a sender-only design, is prepared once per run,
// and always finishes; the document takes its persons.
TEST_F(AssistantTest, TheContactsStepIsPreparedOncePerRunByTheDesignsSides)
{
    auto contacts = std::make_unique<RecordingContactsStep>();
    RecordingContactsStep *step = contacts.get();
    step->recipient = PWVCardReader::personFromData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Reader;Rita;;;\r\nFN:Rita Reader\r\n"
        "ADR;TYPE=WORK:;;5 Elm St;Salem;OR;97301;USA\r\nEND:VCARD\r\n");
    step->printList = u"Friends"_s;
    wizard.setContactsStep(std::move(contacts));
    int code = runWith([&] {
        ASSERT_TRUE(chooseItem(chooserPage(0)->findChild<QComboBox *>(u"_categoryPopup"_s), u"Return Address Labels"_s));
        clickNext();
        ASSERT_TRUE(chooseItem(designPopup(), u"Business"_s));
        EXPECT_EQ(nextTitle(), u"Next"_s);
        clickNext();
        EXPECT_EQ(wizard.currentStepIdentifier(), u"3"_s);
        EXPECT_EQ(nextTitle(), u"Finish"_s);
        clickBack();
        clickNext();
        clickNext();
    });
    EXPECT_EQ(code, CAAssistantController::Finish);
    EXPECT_EQ(step->initCount, 1);
    EXPECT_TRUE(step->lastSenderOnly);
    EXPECT_EQ(wizard.currentContactsTabViewIndex(), 0);
    EXPECT_EQ(step->storeCount, 1);

    // A mailing design opens the step on the recipient tab, prepared again in the next run.
    code = runWith([&] {
        ASSERT_TRUE(chooseItem(chooserPage(0)->findChild<QComboBox *>(u"_categoryPopup"_s), u"Mailing Labels"_s));
        clickNext();
        ASSERT_TRUE(wizard.selectedLayout().startsWith(u"Mailing"_s) || wizard.selectedLayout().startsWith(u"Shipping"_s));
        ASSERT_TRUE(chooseItem(designPopup(), u"Business"_s));
        clickNext();
        clickNext();
    });
    EXPECT_EQ(code, CAAssistantController::Finish);
    EXPECT_EQ(step->initCount, 2);
    EXPECT_FALSE(step->lastSenderOnly);
    const std::unique_ptr<CADocument> document = wizard.createDocument();
    ASSERT_NE(document, nullptr);
    ASSERT_NE(document->currentPerson(true), nullptr);
    EXPECT_EQ(document->currentPerson(true)->valueForProperty(kPWLastNameProperty).toString(), u"Reader"_s);
    EXPECT_EQ(document->getPrintListName(), std::optional<QString>(u"Friends"_s));
}

TEST_F(AssistantTest, StartedFromAServiceTheDesignStepFinishes)
{
    wizard.setContactsStep(std::make_unique<RecordingContactsStep>());
    QString title;
    const int code = runWith(
        [&] {
            clickKind("_kindEnvelope");
            clickNext();
            title = nextTitle();
            clickNext();
        },
        QString(), QString(), true);
    EXPECT_TRUE(wizard.finishAssistantFromService());
    EXPECT_EQ(title, u"Finish"_s);
    EXPECT_EQ(code, CAAssistantController::Finish);
}

// A label category of templates without designs finishes at once with the bare template; the
// envelope and postcard choosers never do.
TEST_F(AssistantTest, AChooserCategoryWithoutDesignsFinishesOnTheFirstStep)
{
    std::shared_ptr<CATemplateFormat> chosen;
    QStringList titles;
    const int code = runWith([&] {
        auto *categories = chooserPage(0)->findChild<QComboBox *>(u"_categoryPopup"_s);
        ASSERT_NE(categories, nullptr);
        // The first category the templates brought, after the fixed entries and a separator.
        ASSERT_TRUE(chooseItem(categories, categories->itemText(5)));
        ASSERT_TRUE(wizard.layoutController(0)->isCategoryWithOutDesign());
        titles << nextTitle();
        clickKind("_kindEnvelope");
        titles << nextTitle();
        clickKind("_kindPostcard");
        titles << nextTitle();
        clickKind("_kindLabel");
        titles << nextTitle();
        chosen = wizard.layoutController(0)->getSelectedFormat();
        clickNext();
    });
    EXPECT_EQ(titles, (QStringList{u"Finish"_s, u"Next"_s, u"Next"_s, u"Finish"_s}));
    ASSERT_EQ(code, CAAssistantController::Finish);
    ASSERT_NE(chosen, nullptr);
    const std::unique_ptr<CADocument> document = wizard.createDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->docType(), dtLabel);
    EXPECT_TRUE(document->ftDocument()->GetComponents(0, false).empty());
    EXPECT_NEAR(document->ftDocument()->getLayoutSizeX(), std::max(chosen->ItemWidth(), chosen->ItemHeight()), 0.01);
}

TEST_F(AssistantTest, ALayoutNamedByTheCallerOpensItsChooserAndLeavesTheStoredKind)
{
    PWUserDefaults::standardUserDefaults().setInteger(CAAssistantController::kRecentLayoutViewKey, 0);
    int shown = -1;
    bool envelopeCell = false;
    EXPECT_EQ(runWith(
                  [&] {
                      shown = wizard.layoutTabView()->currentIndex();
                      envelopeCell = wizard.window()->findChild<QRadioButton *>(u"_kindEnvelope"_s)->isChecked();
                      clickButton("_cancelButton");
                  },
                  CAAssistantController::kEnvelopeLayout),
              CAAssistantController::Cancelled);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(envelopeCell);
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().integerForKey(CAAssistantController::kRecentLayoutViewKey), 0);
    // A run naming no layout opens the stored kind again.
    runWith([&] {
        shown = wizard.layoutTabView()->currentIndex();
        clickButton("_cancelButton");
    });
    EXPECT_EQ(shown, 0);
}

TEST_F(AssistantTest, TheRecentDocumentsPullDownOpensAFile)
{
    const QString sample = QDir(sampleTemplates()).filePath(u"Mailing3/Business/Classic.pwdc"_s);
    recent = {sample};
    QStringList items;
    const int code = runWith([&] {
        for (QAction *item : wizard.recentDocumentMenu()->actions())
            items << (item->isSeparator() ? u"-"_s : item->text());
        EXPECT_EQ(wizard.openRecentButton()->text(), u"Open"_s);
        wizard.recentDocumentMenu()->actions().at(1)->trigger();
    });
    EXPECT_EQ(items, (QStringList{u"Open"_s, u"Classic"_s, u"-"_s, u"File..."_s}));
    ASSERT_EQ(code, CAAssistantController::RecentDocument);
    EXPECT_EQ(wizard.currentSelectedRecentDocumentPath(), sample);
    const std::unique_ptr<CADocument> document = wizard.createDocumentWithPath(sample);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(countOfType(*document->ftDocument(), ctAddressPanel, 1), 1);

    // Cancel in a later run still cancels; without recent documents only "File..." is offered.
    recent.clear();
    items.clear();
    EXPECT_EQ(runWith([&] { clickButton("_cancelButton"); }), CAAssistantController::Cancelled);
    const int fileCode = runWith([&] {
        for (QAction *item : wizard.recentDocumentMenu()->actions())
            items << (item->isSeparator() ? u"-"_s : item->text());
        wizard.recentDocumentMenu()->actions().last()->trigger();
    });
    EXPECT_EQ(items, (QStringList{u"Open"_s, u"-"_s, u"File..."_s}));
    EXPECT_EQ(fileCode, CAAssistantController::Open);
}

struct ButtonCase
{
    const char *name;
    const char *button;
    int code;
};

class AssistantButtons : public AssistantTest, public ::testing::WithParamInterface<ButtonCase>
{
};

// Each way out ends the run with its code, and every run stores the lists and tells the sender
// and print-list tables, in that order.
TEST_P(AssistantButtons, EndTheRunWithTheirCodeAndNotifyTheLists)
{
    const ButtonCase c = GetParam();
    QStringList heard;
    const int a = PWNotificationCenter::defaultCenter().addObserver(
        CAAssistantController::UpdateSenderListController, nullptr, [&heard](const PWNotification &) { heard << u"sender"_s; });
    const int b = PWNotificationCenter::defaultCenter().addObserver(
        CAAssistantController::UpdatePrintListController, nullptr, [&heard](const PWNotification &) { heard << u"print"_s; });
    const int code = runWith([&] {
        if (QString::fromLatin1(c.button) == u"Escape"_s)
            QTest::keyClick(wizard.window(), Qt::Key_Escape);
        else if (QString::fromLatin1(c.button) == u"OpenKey"_s) {
            wizard.window()->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.window()));
            QTest::keyClick(wizard.window(), Qt::Key_O, Qt::ControlModifier);
        }
        else if (QString::fromLatin1(c.button) == u"Close"_s)
            wizard.window()->close();
        else
            clickButton(c.button);
    });
    PWNotificationCenter::defaultCenter().removeObserver(a);
    PWNotificationCenter::defaultCenter().removeObserver(b);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(heard, (QStringList{u"sender"_s, u"print"_s}));
    EXPECT_FALSE(wizard.isRunning());
}

INSTANTIATE_TEST_SUITE_P(Assistant, AssistantButtons,
                         ::testing::Values(ButtonCase{"Cancel", "_cancelButton", CAAssistantController::Cancelled},
                                           ButtonCase{"Escape", "Escape", CAAssistantController::Cancelled},
                                           ButtonCase{"CloseBox", "Close", CAAssistantController::Cancelled},
                                           ButtonCase{"Print", "_printButton", CAAssistantController::Print},
                                           ButtonCase{"OpenKey", "OpenKey", CAAssistantController::Open},
                                           ButtonCase{"NewBlank", "_newBlankButton", CAAssistantController::NewBlank}),
                         [](const auto &info) { return std::string(info.param.name); });

// A paper template whose size has no designs still gives the user the template, with nothing on it.
TEST_F(AssistantTest, FinishingWithoutAnyDesignMakesTheBareTemplate)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    useContentLibrary(empty.path());
    std::shared_ptr<CATemplateFormat> chosen;
    bool offered = true;
    const int code = runWith([&] {
        clickKind("_kindEnvelope");
        chosen = wizard.layoutController(1)->getSelectedFormat();
        clickNext();
        offered = !wizard.designController()->designs().isEmpty();
        clickNext();
    });
    EXPECT_FALSE(offered);
    ASSERT_EQ(code, CAAssistantController::Finish);
    const std::unique_ptr<CADocument> document = wizard.createDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->docType(), dtEnvelope);
    EXPECT_TRUE(document->ftDocument()->GetComponents(0, false).empty());
    ASSERT_NE(chosen, nullptr);
    EXPECT_NEAR(document->ftDocument()->getLayoutSizeX(), std::max(chosen->ItemWidth(), chosen->ItemHeight()), 0.01);
}

TEST_F(AssistantTest, NewBlankMakesAnEmptyDocumentOfTheShownKindAndTemplate)
{
    std::shared_ptr<CATemplateFormat> chosen;
    const int code = runWith([&] {
        clickKind("_kindPostcard");
        chosen = wizard.layoutController(2)->getSelectedFormat();
        clickButton("_newBlankButton");
    });
    ASSERT_EQ(code, CAAssistantController::NewBlank);
    const std::unique_ptr<CADocument> document = wizard.createBlankDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->docType(), dtPostcard);
    EXPECT_TRUE(document->ftDocument()->GetComponents(0, false).empty());
    ASSERT_NE(chosen, nullptr);
    EXPECT_NEAR(document->ftDocument()->getLayoutSizeX(), std::max(chosen->ItemWidth(), chosen->ItemHeight()), 0.01);
}

// The kind selector belongs to the first step, Back to the later ones; the picture follows the step.
TEST_F(AssistantTest, StepsShowTheirOwnControlsAndPicture)
{
    runWith([&] {
        QWidget *kinds = wizard.window()->findChild<QWidget *>(u"_tabControl"_s);
        auto *art = wizard.window()->findChild<QLabel *>(u"_artImage"_s);
        EXPECT_TRUE(kinds->isVisible());
        EXPECT_FALSE(wizard.prevButton()->isEnabled());
        EXPECT_EQ(art->property("art").toString(), u"wiz_step1"_s);
        clickNext();
        EXPECT_FALSE(kinds->isVisible());
        EXPECT_TRUE(wizard.prevButton()->isEnabled());
        EXPECT_EQ(art->property("art").toString(), u"wiz_step2"_s);
        EXPECT_FALSE(wizard.designController()->designs().isEmpty());
        clickBack();
        EXPECT_TRUE(kinds->isVisible());
        EXPECT_FALSE(wizard.prevButton()->isEnabled());
        EXPECT_EQ(wizard.currentStepIdentifier(), u"1"_s);
        clickButton("_cancelButton");
    });
}

// The template lists of the first step, at the window's own size, show every description on
// screen whole: the long descriptions ("Return Address Labels", "Commercial #10") are what tells
// templates of one size apart.
TEST_F(AssistantTest, TheTemplateListsShowTheirDescriptionsWhole)
{
    const struct
    {
        const char *kindCell;
        int layoutIndex;
    } kinds[] = {{"_kindLabel", 0}, {"_kindEnvelope", 1}, {"_kindPostcard", 2}};
    runWith([&] {
        for (const auto &kind : kinds) {
            SCOPED_TRACE(kind.kindCell);
            clickKind(kind.kindCell);
            CALayoutController *chooser = wizard.layoutController(kind.layoutIndex);
            ASSERT_NE(chooser, nullptr);
            QTableView *table = chooser->tableView(CALayoutController::StandardTable);
            ASSERT_NE(table, nullptr);
            ASSERT_TRUE(table->isVisible());
            const int column = CATemplateTableModel::DescriptionColumn;
            const int room = table->horizontalHeader()->sectionSize(column);
            int shown = 0;
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                const QModelIndex index = table->model()->index(row, column);
                if (!table->viewport()->rect().intersects(table->visualRect(index)))
                    continue;
                ++shown;
                const QString text = index.data().toString();
                // The cell's text margins come off the room on both sides.
                EXPECT_LE(table->fontMetrics().horizontalAdvance(text) + 6, room) << text.toStdString();
            }
            EXPECT_GT(shown, 3);
        }
        clickButton("_cancelButton");
    });
}

} // namespace

namespace {

// Tab walks the first step from the kind cells through the chooser's filters and lists to the
// buttons, in the order they stand on screen.
TEST_F(AssistantTest, TabWalksTheFirstStepInItsOrderOnScreen)
{
    QStringList visited;
    runWith([&] {
        wizard.window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(wizard.window()));
        QWidget *start = wizard.window()->findChild<QWidget *>(u"_kindLabel"_s);
        start->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), start);
        for (int i = 0; i < 40 && visited.size() < 40; ++i) {
            ASSERT_NE(QApplication::focusWidget(), nullptr);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            const QString name = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            if (!name.isEmpty() && (visited.isEmpty() || visited.last() != name))
                visited << name;
            if (name == u"_nextButton"_s)
                break;
        }
        clickButton("_cancelButton");
    });
    const auto at = [&visited](const char *name) { return visited.indexOf(QString::fromLatin1(name)); };
    ASSERT_GE(at("_manufacturerPopup"), 0) << visited.join(u", "_s).toStdString();
    EXPECT_LT(at("_manufacturerPopup"), at("_categoryPopup"));
    EXPECT_LT(at("_categoryPopup"), at("_search"));
    EXPECT_LT(at("_search"), at("_tableView"));
    EXPECT_LT(at("_tableView"), at("_openRecentButton"));
    EXPECT_LT(at("_openRecentButton"), at("_cancelButton"));
    EXPECT_LT(at("_cancelButton"), at("_nextButton"));
}

} // namespace
