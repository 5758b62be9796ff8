// The assistant's controls that go into the design it makes, set as a user does on its steps
// (the paper template's window and orientation, the address each side is taken from), the
// design finished, saved from the File menu and read again: the same value, without a word.
#include "ShellTestSupport.h"

#include "AssistantTestSupport.h"

#include "app/contacts/CAPrintListArray.h"
#include "app/shell/CAAddressWindowPanel.h"
#include "app/shell/CAAssistantController.h"
#include "app/printsheet/CAPrintJob.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWJobReport.h"
#include "platform/PWVCardReader.h"
#include "../../kernel/merge/PrintingTestSupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include <functional>

namespace assistantroundtrip {

using assistanttest::chooseItem;
using assistanttest::clickRow;

struct AssistantValue
{
    const char *name;
    // On the envelope's template list: the template searched for, and the window check box set
    // to on, then to the mark given (-1 leaves it alone).
    const char *envelope;
    int window;
    // The template searched for next ("" for none).
    const char *then;
    // The orientation cell clicked ("" for none).
    const char *orientation;
    // The addresses the recipient and the sender are taken from, by their items' titles.
    const char *recipientAddress;
    const char *senderAddress;
    int expected;
    std::function<int(const CFTADocument &)> value;
};

void PrintTo(const AssistantValue &row, std::ostream *out)
{
    *out << row.name;
}

class AssistantRoundTrip : public shelltest::Test, public ::testing::WithParamInterface<AssistantValue>
{
protected:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        assistanttest::useContentLibrary(assistanttest::sampleLibrary());
        PWUserDefaults::standardUserDefaults().removeObject(CAAssistantController::kRecentLayoutViewKey);
        launch(1);
        installAddressWindow(*controller);
        installAssistant(*controller);
    }
    void TearDown() override
    {
        shelltest::Test::TearDown();
        settings.putBack();
    }

    static CAAssistantController &wizard() { return CAAssistantController::sharedWizard(); }
    template<typename T>
    static T *inWizard(const QString &name, QWidget *below = nullptr)
    {
        T *found = (below ? below : wizard().window())->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    static void mark(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    // The user's steps, taken once the assistant's window shows; the run is then over.
    void runWith(const AssistantValue &row)
    {
        bool driven = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (driven || !wizard().isRunning() || !wizard().window() || !wizard().window()->isVisible())
                return;
            driven = true;
            steps(row);
            if (wizard().window()->isVisible())
                wizard().cancel();
        });
        poll.start();
        perform("runAssistant");
        QElapsedTimer guard;
        guard.start();
        while ((!driven || wizard().isRunning()) && guard.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(driven) << "the assistant was not shown";
        ASSERT_FALSE(wizard().isRunning());
    }

    void steps(const AssistantValue &row)
    {
        // Step 1: an envelope, its template and the template's own controls.
        auto *kind = inWizard<QRadioButton>(u"_kindEnvelope"_s);
        ASSERT_TRUE(kind);
        mark(kind);
        auto *page = inWizard<QWidget>(u"_layoutEnvelopVew"_s);
        ASSERT_TRUE(page);
        auto *search = inWizard<QLineEdit>(u"_search"_s, page);
        ASSERT_TRUE(search);
        // The shared assistant keeps the last run's search: it is replaced.
        search->setFocus();
        search->selectAll();
        QTest::keyClicks(search, QString::fromLatin1(row.envelope));
        if (row.window >= 0) {
            auto *window = inWizard<QCheckBox>(u"_chkUseWindow"_s, page);
            ASSERT_TRUE(window && window->isEnabled());
            if (!window->isChecked())
                mark(window);
            if (window->isChecked() != bool(row.window))
                mark(window);
            ASSERT_EQ(window->isChecked(), bool(row.window));
        }
        if (*row.then) {
            search->setFocus();
            search->selectAll();
            QTest::keyClicks(search, QString::fromLatin1(row.then));
        }
        if (*row.orientation) {
            QRadioButton *cell = nullptr;
            for (QRadioButton *each : page->findChildren<QRadioButton *>())
                if (each->text().remove(u'&') == QString::fromLatin1(row.orientation))
                    cell = each;
            ASSERT_NE(cell, nullptr) << row.orientation;
            mark(cell);
        }
        QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
        // Step 2: a design.
        auto *category = inWizard<QComboBox>(u"_categoryPopup"_s, inWizard<QWidget>(u"_designView"_s));
        ASSERT_TRUE(chooseItem(category, u"Business"_s));
        auto *designs = inWizard<QTableWidget>(u"_designTableView"_s);
        ASSERT_TRUE(designs && designs->rowCount() > 0);
        clickRow(designs, 0);
        QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
        // Step 3: the addresses, then Finish.
        ASSERT_EQ(wizard().currentStepIdentifier(), u"3"_s);
        ASSERT_TRUE(chooseItem(inWizard<QComboBox>(u"_preferredAddressPopupButton"_s), QString::fromLatin1(row.recipientAddress)));
        ASSERT_TRUE(chooseItem(inWizard<QComboBox>(u"_preferredSenderAddressPopupButton"_s), QString::fromLatin1(row.senderAddress)));
        if (!printList.isEmpty()) {
            mark(inWizard<QRadioButton>(u"_contactPrintList"_s));
            auto *names = inWizard<QListWidget>(u"_printListNames"_s);
            ASSERT_TRUE(names);
            const QList<QListWidgetItem *> found = names->findItems(printList, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            clickRow(names, names->row(found.first()));
        }
        QTest::mouseClick(wizard().nextButton(), Qt::LeftButton);
    }
    // The print list whose first person step 3 takes as the recipient; none when empty.
    QString printList;

    // The assistant remembers its choices in the settings; later tests start from them as they were.
    shelltest::KeptSettings settings;
};

TEST_P(AssistantRoundTrip, TheValueChosenIsSavedAndReadBackWithoutAWord)
{
    const AssistantValue &row = GetParam();
    const qsizetype before = manager().documents().size();
    runWith(row);
    if (HasFatalFailure())
        return;
    ASSERT_EQ(manager().documents().size(), before + 1);
    const std::shared_ptr<CAOpenDocument> made = manager().documents().last();
    ASSERT_EQ(made->document->docType(), dtEnvelope);
    EXPECT_EQ(row.value(*made->document->ftDocument()), row.expected)
        << "as made, on " << made->document->ftDocument()->GetID().getData().toStdString();

    auto *w = qobject_cast<CAMainWindowController *>(made->window.data());
    ASSERT_TRUE(w);
    w->activateWindow();
    controller->router().windowActivated(w);
    savePath = path(u"assistant.pwdc"_s);
    QAction *save = controller->mainMenu().itemForAction(u"saveDocument"_s);
    ASSERT_NE(save, nullptr);
    save->trigger();
    EXPECT_EQ(reports.join(u'\n'), QString());
    ASSERT_EQ(made->filePath, savePath);

    CADocument reopened;
    QString error;
    ASSERT_TRUE(reopened.readFromFile(savePath, &error)) << qPrintable(error);
    EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
    EXPECT_EQ(row.value(*reopened.ftDocument()), row.expected) << "as read back";
}

// Every envelope with a window the assistant offers, its window used: the design it makes prints
// a short address whole, clear of the window, where nothing prints.
TEST_F(AssistantRoundTrip, EveryEnvelopeWithAWindowPrintsAShortAddressWhole)
{
    const CATemplateFormat::TemplateList *envelopes = CATemplateFormat::predefLayouts(dtEnvelope);
    ASSERT_TRUE(envelopes);
    int windows = 0;
    for (const std::shared_ptr<CATemplateFormat> &envelope : *envelopes) {
        if (!envelope || !envelope->hasWindow())
            continue;
        ++windows;
        SCOPED_TRACE(envelope->ID().toStdString());
        const QByteArray id = envelope->ID().toLatin1();
        const qsizetype before = manager().documents().size();
        runWith(AssistantValue{"window", id.constData(), 1, "", "", "Work", "Work", 1, {}});
        if (HasFatalFailure())
            return;
        ASSERT_EQ(manager().documents().size(), before + 1);
        const std::shared_ptr<CAOpenDocument> made = manager().documents().last();
        const std::shared_ptr<CADocument> document(made, made->document.get());
        ASSERT_EQ(document->ftDocument()->GetID().getData(), envelope->ID());
        ASSERT_TRUE(document->ftDocument()->HasWindow());
        const CAPrintingView::PersonList persons{PWVCardReader::personFromData(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Li;Bo;;;\r\nFN:Bo Li\r\nADR;TYPE=WORK:;;1 Elm St;;;;\r\nEND:VCARD\r\n")};
        const std::unique_ptr<CAPrintingView> view = CAPrintJob::makePrintingView(document, persons, true);
        ASSERT_TRUE(view);
        view->usePrintList(true);
        view->setCopies(1);
        const PWJobReport report;
        QString error;
        ASSERT_EQ(CAPrintJob::exportPdf(*view, path(u"window.pdf"_s), {}, &error), CAPrintJob::ExportResult::Written)
            << qPrintable(error);
        EXPECT_EQ(report.lines(PWJobReport::Kind::CutByWindow), QStringList());
        EXPECT_EQ(report.lines(PWJobReport::Kind::AddressTooLong), QStringList());
        QStringList words;
        const printtest::PrintedPdf printed(path(u"window.pdf"_s));
        for (const auto &[word, box] : printed.words(0))
            words.append(word);
        for (const QString &word : {u"Bo"_s, u"Li"_s, u"Elm"_s})
            EXPECT_TRUE(words.contains(word)) << qPrintable(words.join(u' '));
    }
    EXPECT_GT(windows, 0) << "the catalogue offers no envelope with a window";
}

int hasWindow(const CFTADocument &d) { return d.HasWindow(); }
int horizontal(const CFTADocument &d) { return d.IsHorizontal(0); }
// The address the side's panel takes from its person; -2 when the side has no panel.
int panelSource(const CFTADocument &d, bool toFrom)
{
    for (CFTComponent *component : d.GetComponents(0, false))
        if (component->getClassID() == ciAddressPanel && component->GetToFrom() == toFrom)
            return int(component->GetAddressType());
    return -2;
}
int recipientSource(const CFTADocument &d) { return panelSource(d, true); }
int senderSource(const CFTADocument &d) { return panelSource(d, false); }

// Addresses: 1 work, 2 home, 3 other.
INSTANTIATE_TEST_SUITE_P(
    Steps, AssistantRoundTrip,
    ::testing::Values(
        AssistantValue {"WindowUsed", "10 Window", 1, "", "", "Work", "Work", 1, hasWindow},
        AssistantValue {"WindowNotUsed", "10 Window", 0, "", "", "Work", "Work", 0, hasWindow},
        // An envelope without a window has none, however the check box was left for another.
        AssistantValue {"NoWindowToUse", "10 Window", 1, "10", "", "Work", "Work", 0, hasWindow},
        AssistantValue {"Upright", "10", -1, "", "Portrait", "Work", "Work", 0, horizontal},
        AssistantValue {"Lying", "10", -1, "", "Landscape", "Work", "Work", 1, horizontal},
        AssistantValue {"RecipientAtWork", "10", -1, "", "", "Work", "Home", 1, recipientSource},
        AssistantValue {"RecipientAtHome", "10", -1, "", "", "Home", "Work", 2, recipientSource},
        AssistantValue {"RecipientElsewhere", "10", -1, "", "", "Other", "Work", 3, recipientSource},
        AssistantValue {"SenderAtWork", "10", -1, "", "", "Home", "Work", 1, senderSource},
        AssistantValue {"SenderAtHome", "10", -1, "", "", "Work", "Home", 2, senderSource},
        AssistantValue {"SenderElsewhere", "10", -1, "", "", "Work", "Other", 3, senderSource}),
    [](const auto &info) { return std::string(info.param.name); });

// A person with a two-line street taken from a print list in step 3 is the design's recipient as
// its card stands: saved, the design holds the card line for line, its UID and line break with it.
class AssistantPrintListRoundTrip : public AssistantRoundTrip
{
};

TEST_P(AssistantPrintListRoundTrip, TheListsPersonIsSavedAsItsCard)
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
                            "ADR;TYPE=WORK:;;1 Main St\\nSuite 5;Salem;OR;97301;USA\r\nUID:round-trip-ann\r\nEND:VCARD\r\n";
    CAPrintListArray &lists = CAPrintListArray::getShared();
    lists.insertPrintListAt(-1);
    const int index = lists.count() - 1;
    printList = u"Round Trip %1"_s.arg(index);
    lists.renamePrintListAt(index, printList);
    lists.replacePrintListAt(index, CAPersonListDictionary::personsFromStored(PWPlist(PWPlist::Array {
                                        PWPlist(PWPlist::Dictionary {{u"personData"_s, PWPlist::fromData(card)}})})));
    lists.setCurrentPrintListIndex(index);
    const qsizetype before = manager().documents().size();
    runWith(GetParam());
    lists.removePrintListAt(lists.count() - 1);
    if (HasFatalFailure())
        return;
    ASSERT_EQ(manager().documents().size(), before + 1);
    const std::shared_ptr<CAOpenDocument> made = manager().documents().last();
    auto *w = qobject_cast<CAMainWindowController *>(made->window.data());
    ASSERT_TRUE(w);
    w->activateWindow();
    controller->router().windowActivated(w);
    savePath = path(u"print-list.pwdc"_s);
    controller->mainMenu().itemForAction(u"saveDocument"_s)->trigger();
    ASSERT_EQ(made->filePath, savePath);
    const std::optional<PWPlist> saved = PWPlist::parse(pwtest::readFile(savePath));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->value(u"Person To"_s).value(u"personData"_s).toData(), card);
}

INSTANTIATE_TEST_SUITE_P(Steps, AssistantPrintListRoundTrip,
                         ::testing::Values(AssistantValue {"PrintListsPerson", "10", -1, "", "", "Work", "Work", 1,
                                                           recipientSource}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace assistantroundtrip
