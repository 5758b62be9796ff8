// Step 3 of the assistant with a vCard source of many persons: the recipient table chooses one
// person at a time (several are a print list, made on the print-list tab), whatever keys and
// clicks the user tries; the design is made for that one.
#include "AssistantTestSupport.h"
#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CAContactTableModel.h"
#include "app/contacts/CADataSourceContainer.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CASenderList.h"
#include "app/contacts/CAVCFSource.h"
#include "app/shell/CAAssistantContactsController.h"
#include "app/shell/CAAssistantController.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPersonProperties.h"

#include <QAbstractButton>
#include <QFile>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace assistanttest;

namespace {

QByteArray manyCards(int count)
{
    QByteArray cards;
    for (int i = 1; i <= count; ++i)
        cards += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + QByteArray::number(i) + ";Ann;;;\r\nFN:Ann Person"
            + QByteArray::number(i) + "\r\nADR;TYPE=WORK:;;" + QByteArray::number(i)
            + " Main St;Salem;OR;97301;USA\r\nEND:VCARD\r\n";
    return cards;
}

struct RecipientChoice
{
    const char *name;
    // What the user does in the recipient table, after clicking its first row.
    std::function<void(QTableView *)> choose;
    // The one person chosen, by last name.
    QString formLastName;
};

class AssistantSelectAllTest : public ::testing::TestWithParam<RecipientChoice>
{
};

TEST_P(AssistantSelectAllTest, OneRecipientIsChosenAtATime)
{
    const RecipientChoice &c = GetParam();
    useContentLibrary(sampleLibrary());
    CAEnvironment::setDefaultCountry(u"us"_s);
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());
    const QString cards = files.filePath(u"many.vcf"_s);
    ASSERT_TRUE(pwtest::writeFile(cards, manyCards(30)));
    CAContactImportHooks &hooks = CAContactImportHooks::shared();
    const CAContactImportHooks saved = hooks;
    // The chooser answers for the vCard source only; the sources passed on the way are cancelled.
    hooks.chooseFiles = [&](QWidget *, const QString &,
                            const QStringList &filters) -> std::optional<CAContactImportHooks::ChosenFiles> {
        if (!filters.join(u' ').contains(u"vcf"_s, Qt::CaseInsensitive))
            return std::nullopt;
        return CAContactImportHooks::ChosenFiles {{cards}, files.path()};
    };
    const CAAddressWindow::Models models = CAAddressWindow::sharedModels();
    QFile::remove(models.container.getCachePathForSource(CAVCFSource::kCacheName));
    CAAssistantController wizard;
    auto contacts = std::make_unique<CAAssistantContactsController>(models);
    CAAssistantContactsController *step = contacts.get();
    wizard.setContactsStep(std::move(contacts));
    wizard.setRecentDocumentsSource([] { return QStringList(); });
    int selectedRows = -1;
    const auto steps = [&] {
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
        auto *designs = wizard.window()->findChild<QTableWidget *>(u"_designTableView"_s);
        ASSERT_GT(designs->rowCount(), 0);
        clickRow(designs, 0);
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
        ASSERT_EQ(wizard.currentStepIdentifier(), u"3"_s);
        ASSERT_TRUE(chooseItem(step->sourcePopup(), CAVCFSource::name()));
        const auto imported = [step] { return !step->isImporting() && step->sourceModel()->rowCount() == 30; };
        // A source read before in this process shows what it read then: Update reads the file.
        if (!QTest::qWaitFor(imported, 2000))
            QTest::mouseClick(step->updateSourceButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor(imported, 30000));
        clickRow(step->sourceTableView(), 0);
        c.choose(step->sourceTableView());
        selectedRows = int(step->sourceTableView()->selectionModel()->selectedRows().size());
        auto *print = wizard.window()->findChild<QAbstractButton *>(u"_printButton"_s);
        ASSERT_NE(print, nullptr);
        QTest::mouseClick(print, Qt::LeftButton);
    };
    QTimer::singleShot(0, &wizard, [&] {
        steps();
        // A step that failed ends the run instead of leaving it waiting.
        if (wizard.isRunning() && wizard.window()->isVisible())
            wizard.cancel();
    });
    const CADocumentController::AssistantResult result = wizard.run(false);
    hooks = saved;
    EXPECT_EQ(result.code, CADocumentController::CreateAndPrint);
    ASSERT_TRUE(result.document);
    QStringList own;
    if (result.document->personList())
        for (const std::shared_ptr<PWPerson> &person : *result.document->personList())
            own << person->stringForProperty(kPWLastNameProperty);
    EXPECT_EQ(own, QStringList()) << "several recipients were taken as the design's own persons";
    EXPECT_EQ(selectedRows, 1);
    const std::shared_ptr<PWPerson> shown = result.document->currentPerson(true);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->stringForProperty(kPWLastNameProperty), c.formLastName);
}

INSTANTIATE_TEST_SUITE_P(Assistant, AssistantSelectAllTest,
                         ::testing::Values(RecipientChoice {"CtrlA",
                                                            [](QTableView *table) {
                                                                QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
                                                            },
                                                            u"Person1"_s},
                                           RecipientChoice {"ShiftClick",
                                                            [](QTableView *table) {
                                                                const QModelIndex row = table->model()->index(4, 0);
                                                                QTest::mouseClick(table->viewport(), Qt::LeftButton,
                                                                                  Qt::ShiftModifier,
                                                                                  table->visualRect(row).center());
                                                            },
                                                            u"Person5"_s},
                                           RecipientChoice {"OneClick",
                                                            [](QTableView *table) {
                                                                const QModelIndex row = table->model()->index(2, 0);
                                                                QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                                                                                  table->visualRect(row).center());
                                                            },
                                                            u"Person3"_s}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
