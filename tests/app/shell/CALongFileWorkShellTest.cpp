// A large design is read and written while the window goes on: File > Open and File > Save show a
// progress window naming the file while the work runs on a worker, as File > Export does, the
// windows' events are served meanwhile, and Cancel leaves everything as it was: no window and
// nothing told for an open, the file as it was and the design still unsaved for a save, no file
// for an export.
#include "ShellTestSupport.h"

#include "app/canvas/CADocView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAFileWork.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWPlist.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QProgressDialog>

#include <poppler-qt6.h>

namespace {

// The progress window that is up now, or null.
QProgressDialog *shownProgress()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *progress = qobject_cast<QProgressDialog *>(widget); progress && progress->isVisible())
            return progress;
    return nullptr;
}

struct SeenProgress
{
    bool seen = false;
    QString label;
    bool modal = false;
    // The documents open while the work ran: an open not yet finished has not added its own.
    qsizetype documents = -1;
};

class CADesignPastTheBoundShellTest : public shelltest::Test
{
};

class CALongFileWorkShellTest : public shelltest::Test, public ::testing::WithParamInterface<bool>
{
protected:
    bool cancels() const { return GetParam(); }

    // A design of texts enough to be read and written as long work.
    QString writeLargeDesign()
    {
        CADocument document;
        for (int i = 0; i < kTexts; ++i) {
            auto *text = new CFTAText((i % 60) * 10.0, (i / 60) * 10.0, 9.0, 9.0, nullptr);
            text->SetString(CDDString(QStringLiteral("T%1").arg(i)));
            document.ftDocument()->AddObject(text, 0, false);
        }
        const QString file = path(u"large.pwdc"_s);
        QString error;
        return document.writeToFile(file, &error) ? file : QString();
    }

    // Before the next command runs: once the event loop serves events, look at the progress
    // window, and click its Cancel when the row cancels.
    void watchProgress()
    {
        QTimer::singleShot(0, controller.get(), [this] {
            QProgressDialog *progress = shownProgress();
            if (!progress)
                return;
            seen = {true, progress->labelText(), progress->isModal() || progress->windowModality() != Qt::NonModal,
                    manager().documents().size()};
            if (cancels()) {
                auto *cancel = progress->findChild<QAbstractButton *>();
                if (cancel)
                    QTest::mouseClick(cancel, Qt::LeftButton);
            }
        });
    }

    static constexpr int kTexts = 1800;
    SeenProgress seen;
};

TEST_P(CALongFileWorkShellTest, OpenShowsProgressServesTheWindowsAndCancelLeavesNothing)
{
    launch();
    const QString file = writeLargeDesign();
    ASSERT_FALSE(file.isEmpty());
    ASSERT_GE(QFileInfo(file).size(), CAFileWork::kLongReadBytes) << "the design is too small to be long work";
    const qsizetype before = manager().documents().size();

    openPath = file;
    watchProgress();
    controller->mainMenu().itemForAction(u"openDocument"_s, 0)->trigger();

    ASSERT_TRUE(seen.seen) << "no progress window while the design was read";
    EXPECT_EQ(seen.label, u"Opening “large.pwdc”…"_s);
    EXPECT_TRUE(seen.modal);
    EXPECT_EQ(seen.documents, before) << "the window's events were not served while the design was read";
    EXPECT_EQ(shownProgress(), nullptr) << "the progress window stays up after the work";
    EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
    if (cancels()) {
        EXPECT_EQ(manager().documents().size(), before) << "a cancelled open still opened the design";
        return;
    }
    ASSERT_EQ(manager().documents().size(), before + 1);
    EXPECT_EQ(manager().documents().last()->document->ftDocument()->GetComponents(0, false).size(), size_t(kTexts));
}

TEST_P(CALongFileWorkShellTest, SaveShowsProgressAndCancelKeepsTheFileAndTheEdit)
{
    launch();
    installCanvasCommands();
    const QString file = writeLargeDesign();
    ASSERT_FALSE(file.isEmpty());
    openPath = file;
    controller->mainMenu().itemForAction(u"openDocument"_s, 0)->trigger();
    ASSERT_FALSE(manager().documents().isEmpty());
    const std::shared_ptr<CAOpenDocument> opened = manager().documents().last();
    ASSERT_EQ(opened->filePath, file);
    auto *w = qobject_cast<CAMainWindowController *>(opened->window.data());
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    w->docView()->grab();
    const QByteArray before = pwtest::readFile(file);

    // One text moved with the keyboard, then File > Save.
    ASSERT_TRUE(perform("selectAll"));
    w->docView()->setFocus();
    QTest::keyClick(w->docView(), Qt::Key_Right);
    ASSERT_TRUE(opened->isEdited());
    const QByteArray edited = opened->document->documentDataForComponents(nullptr);
    ASSERT_NE(edited, before);
    watchProgress();
    controller->mainMenu().itemForAction(u"saveDocument"_s, 0)->trigger();

    ASSERT_TRUE(seen.seen) << "no progress window while the design was written";
    EXPECT_EQ(seen.label, u"Saving “large.pwdc”…"_s);
    EXPECT_TRUE(seen.modal);
    EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
    EXPECT_TRUE(w->updatesEnabled()) << "the window stays frozen after the save";
    if (cancels()) {
        EXPECT_EQ(pwtest::readFile(file), before) << "a cancelled save changed the file";
        EXPECT_TRUE(opened->isEdited()) << "a cancelled save marked the design saved";
        return;
    }
    EXPECT_EQ(pwtest::readFile(file), edited);
    EXPECT_FALSE(opened->isEdited());
}

TEST_P(CALongFileWorkShellTest, ExportShowsProgressAndCancelWritesNothing)
{
    launch();
    const QString file = writeLargeDesign();
    ASSERT_FALSE(file.isEmpty());
    openPath = file;
    controller->mainMenu().itemForAction(u"openDocument"_s, 0)->trigger();
    ASSERT_FALSE(manager().documents().isEmpty());
    auto *w = qobject_cast<CAMainWindowController *>(manager().documents().last()->window.data());
    ASSERT_NE(w, nullptr);

    savePath = path(u"large.pdf"_s);
    exportType = CADocument::kPDFType;
    watchProgress();
    w->performAction(u"saveDocumentTo"_s, nullptr);

    ASSERT_TRUE(seen.seen) << "no progress window while the design was exported";
    EXPECT_EQ(seen.label, u"Exporting “large.pdf”…"_s);
    EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
    EXPECT_TRUE(w->updatesEnabled()) << "the window stays frozen after the export";
    if (cancels()) {
        EXPECT_FALSE(QFileInfo::exists(savePath)) << "a cancelled export wrote a file";
        return;
    }
    // The page holds what an export made at once on the window's thread holds.
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(savePath);
    const std::unique_ptr<Poppler::Document> atOnce =
        Poppler::Document::loadFromData(manager().documents().last()->document->dataRepresentationOfType(exportType));
    ASSERT_TRUE(pdf && atOnce && pdf->numPages() == 1 && atOnce->numPages() == 1);
    const QString text = pdf->page(0)->text(QRectF());
    EXPECT_TRUE(text.contains(u"T0"_s)) << qPrintable(text.left(80));
    EXPECT_EQ(text, atOnce->page(0)->text(QRectF()));
}

// A design grown past what may be opened is saved whole, and the save says at once that it will
// not open again; opening it is refused as the save said.
TEST_F(CADesignPastTheBoundShellTest, ASaveOfADesignThatCannotBeOpenedAgainSaysSo)
{
    namespace bound = CFTADocumentFileCheck;
    launch();
    // Texts whose stored strings take longer to lay out than a design may.
    const qint64 perText = bound::kNanosecondsPerTextByte * (bound::kMostBytesLaidOut - bound::kBytesOfAShortText);
    const int count = int(bound::kMostSeconds * 1000000000 / perText) + 3;
    auto design = std::make_unique<CADocument>();
    for (int i = 0; i < count; ++i) {
        auto *text = new CFTAText((i % 10) * 20.0, (i / 10) * 10.0, 18.0, 9.0, nullptr);
        text->SetString(CDDString(QString(int(bound::kMostBytesLaidOut), QLatin1Char('a' + i % 26))));
        design->ftDocument()->AddObject(text, 0, false);
    }
    const qsizetype before = manager().documents().size();
    const std::shared_ptr<CAOpenDocument> record = manager().addDocument(std::move(design));
    ASSERT_NE(record, nullptr);
    manager().updateChangeCount(record, 1);
    savePath = path(u"grown.pwdc"_s);
    ASSERT_TRUE(manager().saveDocument(record));

    ASSERT_TRUE(QFileInfo::exists(savePath)) << "the design was not saved";
    EXPECT_FALSE(record->isEdited());
    ASSERT_EQ(reports.size(), 1) << qPrintable(reports.join(u'\n'));
    EXPECT_TRUE(reports.front().startsWith(u"“grown.pwdc” was saved, but it is too large to be opened again: it holds"_s))
        << qPrintable(reports.front());
    reports.clear();
    ASSERT_TRUE(manager().closeDocument(record));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    openPath = savePath;
    controller->mainMenu().itemForAction(u"openDocument"_s, 0)->trigger();
    ASSERT_EQ(reports.size(), 1) << "the design the save called too large was opened";
    EXPECT_EQ(manager().documents().size(), before);
    EXPECT_TRUE(reports.front().contains(u"it holds"_s)) << qPrintable(reports.front());
}

INSTANTIATE_TEST_SUITE_P(Outcome, CALongFileWorkShellTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "Cancelled" : "Done");
                         });

} // namespace
