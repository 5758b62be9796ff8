// A window keeps its design below what a design may take when it is opened: a step that would carry
// the design past is taken back with its reason and cannot be redone, whichever way the user takes it
// (the Edit menu, the keyboard, Copy and Paste), and every design the window keeps is saved and
// opened again. A design read past the window's bounds but within the reader's may still be moved and
// made smaller.
#include "ShellTestSupport.h"

#include "app/canvas/CADocView.h"
#include "app/shell/CACanvasCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADesignWeigher.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWUndoManager.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

namespace CFTADocumentFileCheck {

// A weight as a failure shows it.
void PrintTo(const Cost &cost, std::ostream *stream)
{
    *stream << "{components " << cost.components << ", texts " << cost.texts << ", panels " << cost.panels
            << ", text bytes " << cost.textBytes << ", values " << cost.values << " of " << cost.valueBytes << " bytes}";
}

} // namespace CFTADocumentFileCheck

namespace {

namespace check = CFTADocumentFileCheck;

class CADesignGrowthShellTest : public shelltest::Test
{
protected:
    // Texts as long as a text is laid out: few of them weigh as much as a design may.
    static std::unique_ptr<CADocument> designOf(int texts)
    {
        auto design = std::make_unique<CADocument>();
        for (int i = 0; i < texts; ++i) {
            auto *text = new CFTAText((i % 10) * 20.0, (i / 10) * 10.0, 18.0, 9.0, nullptr);
            text->SetString(CDDString(QString(int(check::kMostBytesLaidOut), QLatin1Char('a' + i % 26))));
            design->ftDocument()->AddObject(text, 0, false);
        }
        return design;
    }
    static bool opens(const QByteArray &bytes)
    {
        CADocument reading;
        QString error;
        return reading.loadDataRepresentation(bytes, CADocument::kAddressDocumentType, &error);
    }
    // The fewest such texts the window does not keep, from the weights of designs of none and of
    // one: every text weighs the same.
    static int fewestPastWindow()
    {
        const auto weigh = [](int texts) { return designOf(texts)->costAsSaved().value_or(check::Cost()); };
        const check::Cost none = weigh(0);
        const check::Cost one = weigh(1);
        const qint64 byTime = (check::kWindowBounds.seconds * 1000000 - none.microseconds())
                              / std::max<qint64>(1, one.microseconds() - none.microseconds());
        const qint64 byMemory =
            (check::kWindowBounds.memory - none.memory()) / std::max<qint64>(1, one.memory() - none.memory());
        return int(std::clamp<qint64>(std::min(byTime, byMemory) + 1, 2, 4096));
    }

    // The design of that many texts, saved and opened by File > Open.
    CAMainWindowController *open(int texts)
    {
        openPath = path(u"texts-%1.pwdc"_s.arg(texts));
        QString error;
        if (!designOf(texts)->writeToFile(openPath, &error))
            return nullptr;
        const qsizetype before = manager().documents().size();
        controller->mainMenu().itemForAction(u"openDocument"_s, 0)->trigger();
        if (manager().documents().size() != before + 1)
            return nullptr;
        auto *w = qobject_cast<CAMainWindowController *>(manager().documents().last()->window.data());
        if (w) {
            w->show();
            w->activateWindow();
            if (!QTest::qWaitForWindowActive(w))
                return nullptr;
            w->docView()->setFocus();
        }
        return w;
    }
    // The end of the command's loop turn, then the turn the window weighs its design in.
    static void settle()
    {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }
    void menu(const char *action)
    {
        controller->mainMenu().validate();
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(action), 0);
        ASSERT_TRUE(item && item->isEnabled()) << action;
        item->trigger();
        settle();
    }
    static QByteArray bytes(CAMainWindowController *w) { return w->document()->documentDataForComponents(nullptr); }
    static size_t components(CAMainWindowController *w)
    {
        return w->document()->ftDocument()->GetComponents(0, false).size();
    }
};

TEST_F(CADesignGrowthShellTest, AStepPastTheWindowsBoundIsTakenBackWithItsReasonWhicheverWayItComes)
{
    launch();
    installChangeLayoutSheet();
    installCanvasCommands();
    const int past = fewestPastWindow();
    // Half of them is kept; twice that is more than the window keeps.
    const int half = (past + 1) / 2;
    CAMainWindowController *w = open(half);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
    const std::shared_ptr<CAOpenDocument> record = manager().documents().last();
    PWUndoManager &undo = *w->document()->undoManager();
    const QByteArray opened = bytes(w);

    // Edit > Select All, Edit > Duplicate.
    menu("selectAll");
    menu("duplicate");
    ASSERT_EQ(reports.size(), 1) << "Duplicate was kept";
    EXPECT_TRUE(reports.front().startsWith(u"“Duplicate” was taken back, and the design is as it was before: with it, "
                                           u"it holds "_s))
        << qPrintable(reports.front());
    EXPECT_EQ(components(w), size_t(half));
    EXPECT_EQ(bytes(w), opened);
    EXPECT_FALSE(undo.canRedo()) << "the step taken back can be redone";
    EXPECT_FALSE(record->isEdited());

    // Ctrl+C, Ctrl+V on the canvas.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(w->docView(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->docView(), Qt::Key_C, Qt::ControlModifier);
    settle();
    ASSERT_FALSE(QGuiApplication::clipboard()->mimeData()->formats().isEmpty()) << "Copy put nothing on the clipboard";
    QTest::keyClick(w->docView(), Qt::Key_V, Qt::ControlModifier);
    settle();
    ASSERT_EQ(reports.size(), 2) << "Paste was kept";
    EXPECT_TRUE(reports.back().startsWith(u"“Paste” was taken back, and the design is as it was before"_s))
        << qPrintable(reports.back());
    EXPECT_EQ(bytes(w), opened);
    EXPECT_FALSE(undo.canRedo());

    // What stays within is kept: the texts moved with an arrow key, then a few of them duplicated.
    menu("selectAll");
    QTest::keyClick(w->docView(), Qt::Key_Right);
    settle();
    EXPECT_EQ(reports.size(), 2) << qPrintable(reports.back());
    ASSERT_NE(bytes(w), opened);
    EXPECT_TRUE(record->isEdited());
    CFTAView *view = w->docView()->ftView();
    view->deselectAll();
    const std::vector<CFTComponent *> texts = w->document()->ftDocument()->GetComponents(0, false);
    const int more = past - half - 1;
    for (int i = 0; i < more; ++i)
        view->select(texts.at(size_t(i)));
    menu("duplicate");
    EXPECT_EQ(reports.size(), 2) << qPrintable(reports.back());
    EXPECT_EQ(components(w), size_t(half + more));
    // One more is one too many; the steps before it are still undone in their order.
    view->deselectAll();
    view->select(texts.front());
    menu("duplicate");
    EXPECT_EQ(reports.size(), 3);
    EXPECT_EQ(components(w), size_t(half + more));

    // Saved, the design opens again without a word.
    savePath = openPath;
    menu("saveDocument");
    EXPECT_EQ(reports.size(), 3) << qPrintable(reports.back());
    EXPECT_TRUE(opens(pwtest::readFile(savePath)));
    menu("undo");
    menu("undo");
    EXPECT_EQ(bytes(w), opened) << "undo did not go back through the kept steps";
}

TEST_F(CADesignGrowthShellTest, ADesignReadPastTheWindowsBoundIsMovedAndMadeSmallerButNotGrown)
{
    launch();
    installChangeLayoutSheet();
    installCanvasCommands();
    const int past = fewestPastWindow();
    // Opened from its file: the reader's bounds lie above the window's.
    CAMainWindowController *w = open(past);
    ASSERT_NE(w, nullptr) << "a design just past the window's bounds was not opened";
    ASSERT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
    const QByteArray opened = bytes(w);

    menu("selectAll");
    QTest::keyClick(w->docView(), Qt::Key_Down);
    settle();
    EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(u'\n'));
    const QByteArray moved = bytes(w);
    EXPECT_NE(moved, opened);

    CFTAView *view = w->docView()->ftView();
    const std::vector<CFTComponent *> texts = w->document()->ftDocument()->GetComponents(0, false);
    view->deselectAll();
    view->select(texts.back());
    menu("duplicate");
    ASSERT_EQ(reports.size(), 1) << "a design past the window's bound grew";
    EXPECT_EQ(bytes(w), moved);

    // Two taken away with the Delete key; within the bound again, one more is kept.
    view->deselectAll();
    view->select(texts.back());
    view->select(texts.at(texts.size() - 2));
    QTest::keyClick(w->docView(), Qt::Key_Delete);
    settle();
    EXPECT_EQ(reports.size(), 1) << qPrintable(reports.back());
    EXPECT_EQ(components(w), size_t(past - 2));
    view->deselectAll();
    view->select(texts.front());
    menu("duplicate");
    EXPECT_EQ(reports.size(), 1) << qPrintable(reports.back());
    EXPECT_EQ(components(w), size_t(past - 1));
    menu("undo");
    menu("undo");
    EXPECT_EQ(bytes(w), moved);
}

// Random steps through the window's own commands, with its bounds lowered to a few texts more
// than the design starts with, so that steps cross them both ways: a text drawn with the text tool
// and typed, typing into a text, Copy and Paste, Duplicate, Delete, the arrow keys, Undo and Redo.
// After every step the window decides as a full weighing of the design before and after it decides
// (stepPastBounds), tells the reason a full weighing gives, and keeps the full weighing of what it
// kept; an arrow key on one text counts that text and the rest of the design again, nothing more.
TEST_F(CADesignGrowthShellTest, EveryStepIsDecidedAsAFullWeighingOfTheDesignDecidesIt)
{
    launch();
    installChangeLayoutSheet();
    installCanvasCommands();
    constexpr int kStart = 4;
    CAMainWindowController *w = open(kStart);
    ASSERT_NE(w, nullptr);
    CADocument &design = *w->document();
    const check::Bounds bounds {designOf(kStart + 3)->costAsSaved().value_or(check::Cost()).memory(), 1000};
    w->setWeighingBounds(bounds);
    PWUndoManager &undo = *design.undoManager();
    CADocView *canvas = w->docView();
    CFTAView *view = canvas->ftView();
    std::mt19937 random(7091u);
    const auto anywhere = [&random, canvas] {
        return canvas->geometry().widgetPoint(QPointF(double(20 + random() % 400), double(20 + random() % 300))).toPoint();
    };
    const auto pointOf = [canvas](const CFTComponent *component) {
        return canvas->geometry().widgetPoint(component->GetNSBoundRect().center()).toPoint();
    };
    const auto components = [&design] { return design.ftDocument()->GetComponents(0, false); };
    int kept = 0;
    int refused = 0;
    // Whether the design is the one the window weighed last: the last step was kept, and nothing
    // was undone or redone since.
    bool weighedLast = false;

    // One gesture, then the turns the window weighs in, checked against full weighings.
    const auto checked = [&](const char *what, const std::function<void()> &gesture) {
        SCOPED_TRACE(what);
        const QByteArray before = bytes(w);
        const std::optional<check::Cost> beforeCost = design.costAsSaved();
        std::vector<check::Cost> afters;
        const QMetaObject::Connection recorded = QObject::connect(&undo, &PWUndoManager::stepRecorded, w, [&] {
            afters.push_back(design.costAsSaved().value_or(check::Cost()));
        });
        // Queued after the window's own weighing: the design as the window left it.
        std::optional<check::Cost> leftWeighing;
        const QMetaObject::Connection left = QObject::connect(
            &undo, &PWUndoManager::stepRecorded, w, [&] { leftWeighing = design.costAsSaved(); }, Qt::QueuedConnection);
        const qsizetype told = reports.size();
        gesture();
        settle();
        QObject::disconnect(recorded);
        QObject::disconnect(left);
        ASSERT_TRUE(beforeCost.has_value());
        ASSERT_LE(afters.size(), 1u) << "one gesture recorded several steps";
        if (afters.empty()) {
            EXPECT_EQ(reports.size(), told) << qPrintable(reports.join(u'\n'));
            return;
        }
        const bool past = check::stepPastBounds(*beforeCost, afters.front(), bounds);
        weighedLast = !past;
        ASSERT_EQ(reports.size(), told + (past ? 1 : 0)) << "the window decided otherwise than a full weighing";
        if (past) {
            ++refused;
            EXPECT_TRUE(reports.back().endsWith(check::refusalOfCost(afters.front(), bounds)
                                                + u" in a window, which keeps room for opening it again."_s))
                << qPrintable(reports.back());
            EXPECT_EQ(bytes(w), before);
            EXPECT_FALSE(undo.canRedo());
        } else {
            ++kept;
        }
        ASSERT_TRUE(w->keptWeight().has_value());
        ASSERT_TRUE(leftWeighing.has_value());
        EXPECT_EQ(*w->keptWeight(), *leftWeighing);
    };

    for (int action = 0; action < 48; ++action) {
        SCOPED_TRACE(action);
        const std::vector<CFTComponent *> all = components();
        CFTComponent *one = all.empty() ? nullptr : all.at(random() % all.size());
        view->deselectAll();
        switch (random() % 8) {
        case 0:
            checked("the text tool", [&] {
                menu("textMode");
                QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, anywhere());
            });
            checked("typing the new text", [&] {
                QTest::keyClicks(canvas, u"Typed %1"_s.arg(action));
                QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, canvas->geometry().widgetPoint(QPointF(2, 2)).toPoint());
            });
            break;
        case 1:
            if (!one)
                break;
            checked("typing into a text", [&] {
                QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, pointOf(one));
                QTest::keyClicks(canvas, u"more"_s);
                QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, canvas->geometry().widgetPoint(QPointF(2, 2)).toPoint());
            });
            break;
        case 2:
            if (!one)
                break;
            view->select(one);
            checked("copy", [&] { QTest::keyClick(canvas, Qt::Key_C, Qt::ControlModifier); });
            checked("paste", [&] { QTest::keyClick(canvas, Qt::Key_V, Qt::ControlModifier); });
            break;
        case 3:
            if (!one)
                break;
            view->select(one);
            checked("duplicate", [&] { menu("duplicate"); });
            break;
        case 4:
            if (!one)
                break;
            view->select(one);
            checked("delete", [&] { QTest::keyClick(canvas, Qt::Key_Delete); });
            break;
        case 5: {
            if (!one)
                break;
            view->select(one);
            const bool fromWeighed = weighedLast;
            checked("an arrow key", [&] { QTest::keyClick(canvas, Qt::Key_Right); });
            if (fromWeighed && weighedLast) {
                EXPECT_LE(w->weigher().partsCounted(), 2) << "more was counted again than the text moved";
            }
            break;
        }
        default: {
            const char *step = random() % 2 ? "undo" : "redo";
            controller->mainMenu().validate();
            QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(step), 0);
            if (!item || !item->isEnabled())
                break;
            checked(step, [&] { item->trigger(); });
            EXPECT_FALSE(w->keptWeight().has_value()) << "a design undone or redone is weighed anew";
            weighedLast = false;
            break;
        }
        }
    }
    EXPECT_GT(kept, 5);
    EXPECT_GT(refused, 2);
}

} // namespace
