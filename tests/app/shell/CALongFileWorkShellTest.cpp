// A large design is read and written while the window goes on: File > Open and File > Save show a
// progress window naming the file while the work runs on a worker, as File > Export does, the
// windows' events are served meanwhile, and Cancel leaves everything as it was: no window and
// nothing told for an open, the file as it was and the design still unsaved for a save, no file
// for an export.
#include "ShellTestSupport.h"

#include "app/canvas/CADocView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAFileWork.h"
#include "app/shell/CExportAccViewController.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDFileProgress.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWPlist.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPainter>
#include <QProgressDialog>
#include <QThread>

#include <atomic>

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

// A plain text, made for every plain text a file holds while it is in place, that tells the test
// each time an export draws it, and fails its reading, writing or drawing as running out of
// memory would when the test asks it to.
class ProbeText : public CFTAText
{
public:
    enum class Fault { None, Reading, Writing, Drawing };

    explicit ProbeText(const CFTComponent *parent)
        : CFTAText(parent, false)
    {
    }

    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override
    {
        if (armed == (archive.isStoring() ? Fault::Writing : Fault::Reading))
            throw std::bad_alloc();
        return CFTAText::Serialize(archive, list);
    }

    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool flag1,
              bool flag2) override
    {
        // An export draws into its output under the work's progress; the windows draw on screen.
        const QPaintDevice *device = drawer->GetPainter() ? drawer->GetPainter()->device() : nullptr;
        if (CDDFileProgress::current() && device && device->devType() != QInternal::Widget
            && device->devType() != QInternal::Pixmap) {
            if (onExportDraw)
                onExportDraw();
            if (armed == Fault::Drawing)
                throw std::bad_alloc();
        }
        CFTAText::Draw(drawer, selected, components, flag1, flag2);
    }

    static inline std::atomic<Fault> armed{Fault::None};
    static inline std::function<void()> onExportDraw;
};

// Plain texts are probes while it lives, and the probes are quiet again after.
struct Probes
{
    FTComponentFactory::ScopedOverride override{ciText, [](CFTComponent *parent) {
                                                    return std::make_unique<ProbeText>(parent);
                                                }};
    ~Probes()
    {
        ProbeText::armed = ProbeText::Fault::None;
        ProbeText::onExportDraw = nullptr;
    }
};

// The widgets of progress windows that have drawn themselves since the last reset before the work
// on the window's thread began (a paint from within the work came after its first steps).
class ProgressPaints : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !CDDFileProgress::current())
            if (auto *widget = qobject_cast<QWidget *>(watched); widget && qobject_cast<QProgressDialog *>(widget->window()))
                painted.insert(widget);
        return false;
    }
    // Whether the progress window up now has drawn itself and every part it shows.
    bool wholeWindowDrawn() const
    {
        QProgressDialog *progress = shownProgress();
        if (!progress || !painted.contains(progress))
            return false;
        const QList<QWidget *> parts = progress->findChildren<QWidget *>();
        return !parts.isEmpty() && std::all_of(parts.begin(), parts.end(), [this](QWidget *part) {
            return !part->isVisible() || painted.contains(part);
        });
    }
    QSet<const QObject *> painted;
};

class CADesignPastTheBoundShellTest : public shelltest::Test
{
};

// How the user answers the progress window once it is up.
enum class Answer { None, Cancel, Escape };

class LongFileWorkTest : public shelltest::Test
{
protected:
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
    // window, and answer it as the user would; underway, only once the work has drawn some of
    // its components (it serves the windows' events while it goes on).
    void watchProgress(Answer answer, bool underway = false)
    {
        seen = {};
        QTimer::singleShot(0, controller.get(), [this, answer, underway] { answerProgress(answer, underway); });
    }

    void answerProgress(Answer answer, bool underway)
    {
        QProgressDialog *progress = shownProgress();
        if (!progress)
            return;
        // A step is counted before its component is drawn: past the first, one was drawn.
        if (underway && (progress->maximum() <= 0 || progress->value() <= 1)) {
            QTimer::singleShot(0, controller.get(), [this, answer] { answerProgress(answer, true); });
            return;
        }
        seen = {true, progress->labelText(), progress->isModal() || progress->windowModality() != Qt::NonModal,
                manager().documents().size()};
        if (answer == Answer::Cancel) {
            auto *cancel = progress->findChild<QAbstractButton *>();
            if (cancel)
                QTest::mouseClick(cancel, Qt::LeftButton);
        } else if (answer == Answer::Escape) {
            QTest::keyClick(progress, Qt::Key_Escape);
        }
    }

    static constexpr int kTexts = 1800;
    SeenProgress seen;
};

class CALongFileWorkShellTest : public LongFileWorkTest, public ::testing::WithParamInterface<bool>
{
protected:
    bool cancels() const { return GetParam(); }
    void watchProgress() { LongFileWorkTest::watchProgress(cancels() ? Answer::Cancel : Answer::None); }
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

class CAFileWorkShellTest : public LongFileWorkTest
{
protected:
    // The large design opened through File > Open, in its window made the active one.
    CAMainWindowController *openLargeDesign()
    {
        openPath = writeLargeDesign();
        controller->mainMenu().itemForAction(u"openDocument"_s, 0)->trigger();
        if (manager().documents().isEmpty() || manager().documents().last()->filePath != openPath)
            return nullptr;
        auto *w = qobject_cast<CAMainWindowController *>(manager().documents().last()->window.data());
        if (w)
            w->activateWindow();
        return w;
    }

    // File > Export… into a file of the type's own extension.
    void exportAs(const QString &type, const QString &name)
    {
        exportType = type;
        savePath = path(name + u'.' + QMimeDatabase().mimeTypeForName(type).preferredSuffix());
        controller->mainMenu().itemForAction(u"saveDocumentTo"_s, 0)->trigger();
    }
};

// Every export format the export panel offers: the progress window has drawn its label, bar and
// Cancel before the export draws its first component; Cancel and Escape, heard while the export
// goes on, leave the file at that path as it was, or none where there was none; left to run, the
// export writes what one made at once writes.
TEST_F(CAFileWorkShellTest, ExportDrawsItsProgressFirstAndCancelOrEscapeLeavesTheFileAsItWas)
{
    const Probes probes;
    launch();
    CAMainWindowController *w = openLargeDesign();
    ASSERT_NE(w, nullptr);
    const CADocument &design = *manager().documents().last()->document;
    ProgressPaints paints;
    qApp->installEventFilter(&paints);
    std::optional<bool> drawnBeforeWork;
    ProbeText::onExportDraw = [&] {
        if (!drawnBeforeWork)
            drawnBeforeWork = paints.wholeWindowDrawn();
        // Each component takes a moment, as a large design's do on a slow machine, so that the
        // export serves the windows' events again after its first component however fast the
        // machine is.
        QThread::usleep(500);
    };
    const QByteArray earlier = "the file that stood there\n";
    const QList<QPair<QString, QString>> types = CExportAccViewController::exportTypes();
    ASSERT_FALSE(types.isEmpty());
    for (const auto &[type, title] : types) {
        for (const Answer answer : {Answer::Cancel, Answer::Escape, Answer::None}) {
            for (const bool fileThere : {false, true}) {
                const QString name = QStringLiteral("export-%1-%2").arg(int(answer)).arg(fileThere);
                SCOPED_TRACE(qPrintable(title + u' ' + name));
                paints.painted.clear();
                drawnBeforeWork.reset();
                reports.clear();
                const QString file = path(name + u'.' + QMimeDatabase().mimeTypeForName(type).preferredSuffix());
                ASSERT_TRUE(!fileThere || pwtest::writeFile(file, earlier));
                watchProgress(answer, true);
                exportAs(type, name);
                ASSERT_EQ(savePath, file);

                ASSERT_TRUE(seen.seen) << "the export served no event once it was under way";
                EXPECT_EQ(seen.label, u"Exporting “%1”…"_s.arg(QFileInfo(file).fileName()));
                EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
                EXPECT_EQ(shownProgress(), nullptr) << "the progress window stays up after the export";
                EXPECT_TRUE(w->updatesEnabled()) << "the window stays frozen after the export";
                ASSERT_TRUE(drawnBeforeWork.has_value()) << "the export drew no component before it was answered";
                EXPECT_TRUE(*drawnBeforeWork) << "the export began before its progress window had drawn itself";
                if (answer != Answer::None) {
                    if (fileThere)
                        EXPECT_EQ(pwtest::readFile(file), earlier) << "a stopped export changed the file";
                    else
                        EXPECT_FALSE(QFileInfo::exists(file)) << "a stopped export wrote a file";
                    continue;
                }
                const QByteArray atOnce = design.dataRepresentationOfType(type);
                ASSERT_FALSE(atOnce.isEmpty());
                if (type == CADocument::kPDFType) {
                    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(file);
                    const std::unique_ptr<Poppler::Document> made = Poppler::Document::loadFromData(atOnce);
                    ASSERT_TRUE(pdf && made && pdf->numPages() == 1 && made->numPages() == 1);
                    EXPECT_EQ(pdf->page(0)->text(QRectF()), made->page(0)->text(QRectF()));
                } else {
                    EXPECT_EQ(pwtest::readFile(file), atOnce);
                }
            }
        }
    }
    qApp->removeEventFilter(&paints);
}

// Save first asks whether another program changed the file since it was read: a large file's
// bytes are hashed under the save's progress window while the windows' events are served, and
// Cancel there leaves the file and the design unsaved.
TEST_F(CAFileWorkShellTest, TheChangedFileCheckOfASaveHashesUnderItsProgressWindow)
{
    launch();
    installCanvasCommands();
    // Few components, so that only the check is long work, in a file of long texts.
    CADocument made;
    for (int i = 0; i < 300; ++i) {
        auto *text = new CFTAText((i % 20) * 20.0, (i / 20) * 20.0, 18.0, 18.0, nullptr);
        text->SetString(CDDString(QString(1000, QLatin1Char('a' + i % 26))));
        made.ftDocument()->AddObject(text, 0, false);
    }
    const QString file = path(u"long texts.pwdc"_s);
    QString error;
    ASSERT_TRUE(made.writeToFile(file, &error)) << qPrintable(error);
    ASSERT_GE(QFileInfo(file).size(), CAFileWork::kLongReadBytes) << "the file is too small to be hashed as long work";
    openPath = file;
    controller->mainMenu().itemForAction(u"openDocument"_s, 0)->trigger();
    ASSERT_FALSE(manager().documents().isEmpty());
    const std::shared_ptr<CAOpenDocument> opened = manager().documents().last();
    ASSERT_EQ(opened->filePath, file);
    auto *w = qobject_cast<CAMainWindowController *>(opened->window.data());
    ASSERT_NE(w, nullptr);

    const struct
    {
        const char *name;
        Answer answer;
        bool otherProgramWrites; // the same number of bytes, one of them another
    } rows[] = {
        {"cancelled", Answer::Cancel, false},
        {"the file as it was read", Answer::None, false},
        {"a file another program rewrote", Answer::None, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        reports.clear();
        changedAsked.clear();
        w->activateWindow();
        ASSERT_TRUE(perform("selectAll"));
        w->docView()->setFocus();
        QTest::keyClick(w->docView(), Qt::Key_Right);
        ASSERT_TRUE(opened->isEdited());
        QByteArray before = pwtest::readFile(file);
        if (row.otherProgramWrites) {
            before.back() = before.back() == '\n' ? ' ' : '\n';
            ASSERT_TRUE(pwtest::writeFile(file, before));
        }
        const QByteArray edited = opened->document->documentDataForComponents(nullptr);
        ASSERT_NE(edited, before);
        watchProgress(row.answer);
        controller->mainMenu().itemForAction(u"saveDocument"_s, 0)->trigger();

        ASSERT_TRUE(seen.seen) << "the check served no event: it held the window's thread";
        EXPECT_EQ(seen.label, u"Saving “long texts.pwdc”…"_s);
        EXPECT_TRUE(seen.modal);
        EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
        EXPECT_EQ(shownProgress(), nullptr);
        EXPECT_EQ(changedAsked, row.otherProgramWrites ? QStringList{u"long texts"_s} : QStringList());
        if (row.answer == Answer::Cancel || row.otherProgramWrites) {
            EXPECT_EQ(pwtest::readFile(file), before) << "the file was replaced";
            EXPECT_TRUE(opened->isEdited());
        } else {
            EXPECT_EQ(pwtest::readFile(file), edited);
            EXPECT_FALSE(opened->isEdited());
        }
    }
}

// Work under a progress window that fails (memory runs out while the design is read, written or
// drawn) is told as a failure and changes nothing: no window for an open, the file as it was
// and the design unsaved for a save, no file for an export in any of its formats.
TEST_F(CAFileWorkShellTest, WorkThatFailsUnderItsProgressWindowIsToldAndChangesNothing)
{
    const Probes probes;
    launch();
    installCanvasCommands();
    const QString file = writeLargeDesign();
    ASSERT_FALSE(file.isEmpty());
    const QByteArray stored = pwtest::readFile(file);
    const qsizetype documents = manager().documents().size();

    ProbeText::armed = ProbeText::Fault::Reading;
    openPath = file;
    controller->mainMenu().itemForAction(u"openDocument"_s, 0)->trigger();
    ProbeText::armed = ProbeText::Fault::None;
    EXPECT_EQ(manager().documents().size(), documents) << "a design whose reading failed was opened";
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.front().contains(u"large.pwdc"_s) && reports.front().contains(u"not enough memory"_s))
        << qPrintable(reports.front());

    reports.clear();
    CAMainWindowController *w = openLargeDesign();
    ASSERT_NE(w, nullptr);
    const std::shared_ptr<CAOpenDocument> opened = manager().documents().last();
    ASSERT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
    ASSERT_TRUE(perform("selectAll"));
    w->docView()->setFocus();
    QTest::keyClick(w->docView(), Qt::Key_Right);
    ASSERT_TRUE(opened->isEdited());
    ProbeText::armed = ProbeText::Fault::Writing;
    controller->mainMenu().itemForAction(u"saveDocument"_s, 0)->trigger();
    ProbeText::armed = ProbeText::Fault::None;
    EXPECT_EQ(pwtest::readFile(file), stored) << "a save whose writing failed changed the file";
    EXPECT_TRUE(opened->isEdited()) << "a save whose writing failed marked the design saved";
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.front().contains(u"large.pwdc"_s) && reports.front().contains(u"not enough memory"_s))
        << qPrintable(reports.front());

    for (const auto &[type, title] : CExportAccViewController::exportTypes()) {
        SCOPED_TRACE(qPrintable(title));
        reports.clear();
        ProbeText::armed = ProbeText::Fault::Drawing;
        exportAs(type, u"failed"_s);
        ProbeText::armed = ProbeText::Fault::None;
        EXPECT_FALSE(QFileInfo::exists(savePath)) << "an export whose drawing failed wrote a file";
        ASSERT_EQ(reports.size(), 1) << "an export whose drawing failed was told as done";
        EXPECT_TRUE(reports.front().contains(u"not enough memory"_s)) << qPrintable(reports.front());
    }
}

INSTANTIATE_TEST_SUITE_P(Outcome, CALongFileWorkShellTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "Cancelled" : "Done");
                         });

} // namespace
