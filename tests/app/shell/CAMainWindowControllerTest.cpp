// Document windows driven by real events: the router's choice of window, closing with the save
// question, saving from the keyboard, Open Recent, the zoom slider, the tool buttons, the internet
// pane, and commands that fail without taking the window with them.
#include "ShellTestSupport.h"

#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "app/shell/CAActionError.h"
#include "app/shell/CADesignPageView.h"
#include "app/shell/CAMainMenu.h"
#include "app/shell/CDocScrollView.h"
#include "app/shell/CModeCell.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWVCardReader.h"

#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QSlider>

#include <cstdio>

namespace {

using SaveAnswer = CADocumentManager::SaveAnswer;

class CAMainWindowControllerTest : public shelltest::Test
{
public:
    void TearDown() override
    {
        CAMainWindowController::unregisterCommand(u"explode"_s);
        CAMainWindowController::setChangeLayoutSheet(nullptr);
        CAMainWindowController::setInternetPaneFactory(nullptr);
        shelltest::Test::TearDown();
    }
    void activate(QWidget *window)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void edit(int index)
    {
        manager().updateChangeCount(manager().documents()[index], 1);
    }
};

TEST_F(CAMainWindowControllerTest, RouterSendsTheCommandToTheActiveWindowOfTwo)
{
    launch(1);
    controller->newDocument(1);
    CAMainWindowController *label = window(0);
    CAMainWindowController *envelope = window(1);
    QAction *zoomIn = controller->mainMenu().itemForAction(u"zoomIn"_s);
    ASSERT_NE(zoomIn, nullptr);

    activate(envelope);
    const double labelScale = label->docView()->zoom();
    double envelopeScale = envelope->docView()->zoom();
    zoomIn->trigger();
    EXPECT_NEAR(envelope->docView()->zoom(), envelopeScale * 1.4142135, 1e-6);
    EXPECT_DOUBLE_EQ(label->docView()->zoom(), labelScale);

    activate(label);
    envelopeScale = envelope->docView()->zoom();
    QTest::keyClick(label, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_NEAR(label->docView()->zoom(), labelScale * 1.4142135, 1e-6);
    EXPECT_DOUBLE_EQ(envelope->docView()->zoom(), envelopeScale);
}

TEST_F(CAMainWindowControllerTest, ClosingAnEditedWindowAsksAndFollowsTheAnswer)
{
    launch(1);
    CAMainWindowController *w = window(0);
    edit(0);
    EXPECT_TRUE(w->isWindowModified());
    activate(w);

    saveAnswer = SaveAnswer::Cancel;
    QTest::keyClick(w, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(asked, QStringList {u"Untitled"_s});
    EXPECT_EQ(openWindowCount(), 1);
    EXPECT_TRUE(w->isVisible());

    saveAnswer = SaveAnswer::Save;
    savePath = path(u"closing.pwdc"_s);
    w->close();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_TRUE(QFile::exists(savePath));
    EXPECT_EQ(openWindowCount(), 0);
    EXPECT_TRUE(manager().documents().isEmpty());

    controller->newDocument(0);
    edit(0);
    saveAnswer = SaveAnswer::DontSave;
    window(0)->close();
    EXPECT_EQ(asked.size(), 3);
    EXPECT_EQ(openWindowCount(), 0);
}

TEST_F(CAMainWindowControllerTest, SaveFromTheKeyboardRenamesTheWindowAndReopensToTheSameBytes)
{
    launch(2);
    CAMainWindowController *w = window(0);
    activate(w);
    edit(0);
    savePath = path(u"envelope.pwdc"_s);
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QFile::exists(savePath));
    EXPECT_TRUE(w->windowTitle().startsWith(u"envelope[*] - Envelope "_s)) << w->windowTitle().toStdString();
    EXPECT_FALSE(w->isWindowModified());
    const QByteArray saved = pwtest::readFile(savePath);

    w->close();
    ASSERT_EQ(openWindowCount(), 0);
    QMenu *recent = controller->mainMenu().menu(u"File/Open Recent"_s);
    ASSERT_NE(recent, nullptr);
    Q_EMIT recent->aboutToShow();
    ASSERT_GE(recent->actions().size(), 1);
    QAction *entry = recent->actions().first();
    EXPECT_EQ(entry->text(), u"envelope.pwdc"_s);
    EXPECT_TRUE(entry->isEnabled());
    entry->trigger();
    ASSERT_EQ(manager().documents().size(), 1);
    EXPECT_EQ(openWindowCount(), 1);
    EXPECT_EQ(manager().documents()[0]->document->ftDocument()->getDocumentType(), dtEnvelope);

    savePath = path(u"envelope-again.pwdc"_s);
    controller->router().perform(u"saveDocumentAs"_s);
    EXPECT_EQ(pwtest::readFile(savePath), saved);
}

// A design whose file name is no UTF-8 (as a shell hands it over) is that very file: Save from the
// keyboard writes it back without asking for a name, Revert to Saved reads it again, and naming it
// again brings its window forward.
TEST_F(CAMainWindowControllerTest, ADesignNamedByBytesIsSavedBackToItsOwnFile)
{
    launch(2);
    savePath = path(u"plain.pwdc"_s);
    ASSERT_TRUE(manager().saveDocumentAs(manager().documents()[0]));
    ASSERT_TRUE(manager().closeAllDocuments());
    const QByteArray name = QFile::encodeName(folder.path()) + "/Gru\xdf an caf\xe9.pwdc";
    ASSERT_EQ(::rename(QFile::encodeName(path(u"plain.pwdc"_s)).constData(), name.constData()), 0);

    ASSERT_NE(manager().openDocumentAtBytes(name), nullptr);
    ASSERT_EQ(openWindowCount(), 1);
    CAMainWindowController *w = window(0);
    activate(w);
    EXPECT_TRUE(w->windowTitle().startsWith(u"Gru\ufffd an caf\ufffd[*]"_s)) << w->windowTitle().toStdString();

    // The file's bytes are changed behind the window's back, so that the save shows by what it
    // writes there; that other program's change is found in the same file, and replaced.
    ASSERT_TRUE(pwtest::writeFileAtBytes(name, "changed elsewhere"));
    edit(0);
    savePath = path(u"never-asked.pwdc"_s);
    replaceChanged = true;
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(changedAsked, QStringList {u"Gru\ufffd an caf\ufffd"_s});
    EXPECT_FALSE(QFile::exists(savePath)) << "Save asked for a name";
    EXPECT_TRUE(reports.isEmpty()) << reports.join(u'\n').toStdString();
    EXPECT_FALSE(w->isWindowModified());
    const QByteArray saved = pwtest::readFileAtBytes(name);
    CADocument reread;
    ASSERT_TRUE(reread.loadDataRepresentation(saved, CADocument::kAddressDocumentType));
    EXPECT_EQ(reread.docType(), dtEnvelope);

    // Revert to Saved reads the same file by its bytes.
    manager().documents()[0]->document->ftDocument()->setDocumentSizeX(333);
    edit(0);
    QMenu *file = controller->mainMenu().menu(u"File"_s);
    QAction *revert = controller->mainMenu().itemForAction(u"revertDocumentToSaved"_s);
    ASSERT_TRUE(file && revert);
    Q_EMIT file->aboutToShow();
    ASSERT_TRUE(revert->isEnabled());
    revert->trigger();
    EXPECT_TRUE(reports.isEmpty()) << reports.join(u'\n').toStdString();
    EXPECT_NE(manager().documents()[0]->document->ftDocument()->getCardSizeX(), 333);
    EXPECT_FALSE(manager().documents()[0]->isEdited());

    EXPECT_EQ(manager().openDocumentAtBytes(name), manager().documents()[0]);
    EXPECT_EQ(openWindowCount(), 1);
    // QTemporaryDir cannot remove what it cannot name.
    ::unlink(name.constData());
}

TEST_F(CAMainWindowControllerTest, ExceptionInACommandIsShownAndTheWindowSurvives)
{
    launch(1);
    CAMainWindowController *w = window(0);
    int runs = 0;
    CAMainWindowController::registerCommand(u"explode"_s, {nullptr, [&](CAMainWindowController &, QAction *) {
                                                               ++runs;
                                                               throw CAActionError(u"The fuse blew."_s);
                                                           }});
    EXPECT_TRUE(controller->router().perform(u"explode"_s));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(reports, QStringList {u"The fuse blew."_s});
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(manager().documents().size(), 1);
    // The window still answers its commands.
    EXPECT_TRUE(controller->router().perform(u"setZoom100"_s));
    EXPECT_DOUBLE_EQ(w->docView()->zoom(), 1.0);
}

TEST_F(CAMainWindowControllerTest, FailureMessageIsAWindowModalBoxThatLeavesTheWindowUsable)
{
    launch(1);
    CAMainWindowController *w = window(0);
    CAActionRouter router;
    CAMainWindowController::registerCommand(u"explode"_s, {nullptr, [](CAMainWindowController &, QAction *) {
                                                               throw std::runtime_error("disk on fire");
                                                           }});
    router.addWindow(w, w);
    EXPECT_TRUE(router.perform(u"explode"_s));
    auto *box = w->findChild<QMessageBox *>(u"actionErrorMessage"_s);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), u"disk on fire"_s);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(CAMainWindowControllerTest, UnsupportedDocumentTypeIsRefusedWithAMessage)
{
    launch(1);
    int sheets = 0;
    CAMainWindowController::setChangeLayoutSheet([&](CAMainWindowController &) { ++sheets; });
    EXPECT_TRUE(controller->router().perform(u"openChangeLayoutDialog"_s));
    EXPECT_EQ(sheets, 1);
    EXPECT_TRUE(reports.isEmpty());

    manager().documents()[0]->document->ftDocument()->setDocumentType(documentType(5));
    EXPECT_TRUE(controller->router().perform(u"openChangeLayoutDialog"_s));
    EXPECT_EQ(sheets, 1) << "the sheet is not opened";
    EXPECT_EQ(reports, QStringList {u"CADocument::setLayout - Document Type is not Supported"_s});
    EXPECT_TRUE(window(0)->isVisible());
}

TEST_F(CAMainWindowControllerTest, WindowWithoutADocumentIsRefusedAndLeavesNothing)
{
    launch(1);
    const int before = QApplication::topLevelWidgets().size();
    auto empty = std::make_shared<CAOpenDocument>();
    try {
        CAMainWindowController w(empty, manager(), controller->router(), controller->panels(), {});
        ADD_FAILURE() << "a window without a document was made";
    } catch (const CAActionError &error) {
        EXPECT_EQ(error.message(), u"m_Document is nil"_s);
    }
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
    CADesignPageView page;
    EXPECT_THROW(page.setDocument(nullptr), CAActionError);
}

TEST_F(CAMainWindowControllerTest, ZoomSliderFollowsTheScaleAndSetsTheZoom)
{
    launch(1);
    CAMainWindowController *w = window(0);
    auto *slider = w->findChild<QSlider *>(u"_butZoomSeparator"_s);
    ASSERT_NE(slider, nullptr);
    const struct
    {
        double percent;
        int slider;
    } shown[] = {{115, 100}, {125, 125}, {25, 0}, {50, 50}};
    for (const auto &c : shown) {
        w->setZoomByValue(c.percent);
        EXPECT_EQ(slider->value(), c.slider) << c.percent;
    }
    // The user moves the slider: 85 snaps to 100 %, 5 asks for 20 %.
    activate(w);
    slider->setSliderPosition(85);
    Q_EMIT slider->actionTriggered(QAbstractSlider::SliderMove);
    EXPECT_DOUBLE_EQ(w->docView()->zoom(), 1.0);
    slider->setSliderPosition(5);
    Q_EMIT slider->actionTriggered(QAbstractSlider::SliderMove);
    EXPECT_DOUBLE_EQ(w->docView()->zoom(), 0.2);
    EXPECT_EQ(slider->value(), 0);
    w->setZoomByValue(50);
    QTest::keyClick(slider, Qt::Key_PageUp);
    EXPECT_DOUBLE_EQ(w->docView()->zoom(), 0.6);
    EXPECT_EQ(slider->value(), 60);
}

// Zoom In and Zoom Out step by the square root of two; the menu stops them at six times and at
// half, where the router refuses them and the zoom stays.
TEST_F(CAMainWindowControllerTest, ZoomStepsBySquareRootOfTwoAndStopsAtTheLimits)
{
    launch(1);
    CAMainWindowController *w = window(0);
    activate(w);
    CAActionRouter &router = controller->router();
    w->setZoomByValue(100);
    ASSERT_TRUE(router.perform(u"zoomIn"_s));
    ASSERT_TRUE(router.perform(u"zoomIn"_s));
    EXPECT_NEAR(w->docView()->zoom(), 2.0, 1e-5) << "two steps double";
    ASSERT_TRUE(router.perform(u"zoomOut"_s));
    EXPECT_NEAR(w->docView()->zoom(), 1.4142135, 1e-5);

    int steps = 0;
    while (router.perform(u"zoomIn"_s))
        ASSERT_LT(++steps, 10) << "zoom in never stopped";
    const double top = w->docView()->zoom();
    EXPECT_GE(top, 6.0);
    EXPECT_LT(top, 6.0 * 1.4142136);
    EXPECT_FALSE(router.validate(u"zoomIn"_s, nullptr));
    EXPECT_DOUBLE_EQ(w->docView()->zoom(), top) << "refused at the limit";

    steps = 0;
    while (router.perform(u"zoomOut"_s))
        ASSERT_LT(++steps, 20) << "zoom out never stopped";
    const double bottom = w->docView()->zoom();
    EXPECT_LE(bottom, 0.5);
    EXPECT_GT(bottom, 0.5 / 1.4142136);
    ASSERT_TRUE(router.perform(u"setZoom100"_s));
    EXPECT_DOUBLE_EQ(w->docView()->zoom(), 1.0);
}

TEST_F(CAMainWindowControllerTest, ToolButtonsSelectTheToolAndShowIt)
{
    launch(1);
    CAMainWindowController *w = window(0);
    activate(w);
    auto *select = w->findChild<CModeCell *>(u"selectModeCell"_s);
    auto *text = w->findChild<CModeCell *>(u"textModeCell"_s);
    ASSERT_TRUE(select && text);
    EXPECT_TRUE(select->isChecked());
    QTest::mouseClick(text, Qt::LeftButton);
    EXPECT_EQ(w->docView()->ftView()->getToolMode(), toolText);
    EXPECT_TRUE(text->isChecked());
    EXPECT_FALSE(select->isChecked());
    QTest::mouseClick(select, Qt::LeftButton);
    EXPECT_EQ(w->docView()->ftView()->getToolMode(), toolSelect);
    EXPECT_TRUE(select->isChecked());
    EXPECT_FALSE(text->isChecked());
}

// A click with the text tool makes a text typed in place; when the typing ends the window shows
// the select tool again, as the canvas now has it.
TEST_F(CAMainWindowControllerTest, ToolButtonsShowSelectAgainOnceInPlaceTypingEnds)
{
    launch(1);
    CAMainWindowController *w = window(0);
    activate(w);
    auto *select = w->findChild<CModeCell *>(u"selectModeCell"_s);
    auto *text = w->findChild<CModeCell *>(u"textModeCell"_s);
    ASSERT_TRUE(select && text);
    QTest::mouseClick(text, Qt::LeftButton);
    ASSERT_TRUE(text->isChecked());
    CADocView *canvas = w->docView();
    const QPoint inside = canvas->geometry().widgetPoint(QPointF(10, 10)).toPoint();
    QTest::mouseClick(canvas->viewport(), Qt::LeftButton, {}, inside);
    ASSERT_TRUE(canvas->isEditingText());
    QTest::keyClicks(canvas->viewport(), u"Hi"_s);
    int signalled = 0;
    QObject::connect(canvas, &CADocView::toolModeChanged, [&] { ++signalled; });
    canvas->endEditText();
    EXPECT_FALSE(canvas->isEditingText());
    EXPECT_EQ(canvas->ftView()->getToolMode(), toolSelect);
    EXPECT_EQ(signalled, 1);
    EXPECT_TRUE(select->isChecked());
    EXPECT_FALSE(text->isChecked());
}

TEST_F(CAMainWindowControllerTest, InternetPaneIsAddedOnceAndTakesRoomFromThePage)
{
    launch(1);
    CAMainWindowController *w = window(0);
    EXPECT_FALSE(controller->router().validate(u"showInternet"_s, nullptr));
    int made = 0;
    CAMainWindowController::setInternetPaneFactory([&](CAMainWindowController &) {
        ++made;
        auto *pane = new QWidget;
        pane->setMinimumHeight(120);
        return pane;
    });
    const int fullHeight = w->scrollView()->scrollArea()->height();
    EXPECT_TRUE(controller->router().perform(u"showInternet"_s));
    EXPECT_FALSE(controller->router().perform(u"showInternet"_s));
    w->showInternet();
    EXPECT_EQ(made, 1);
    ASSERT_NE(w->scrollView()->internetPane(), nullptr);
    EXPECT_EQ(w->scrollView()->internetPane()->property("viewTag").toInt(), CDocScrollView::kInternetPaneTag);
    EXPECT_LT(w->scrollView()->scrollArea()->height(), fullHeight);
    EXPECT_TRUE(controller->router().perform(u"hideInternet"_s));
    EXPECT_EQ(w->scrollView()->internetPane(), nullptr);
    EXPECT_EQ(w->scrollView()->scrollArea()->height(), fullHeight);
}

TEST_F(CAMainWindowControllerTest, PageShowsTheDesignInTheMiddleOfTheCanvasThatFillsTheRoom)
{
    launch(2);
    CAMainWindowController *w = window(0);
    CADocView *page = w->docView();
    const CFTADocument *design = w->document()->ftDocument();
    // The canvas is the whole visible area: round the page lies its desk.
    const QWidget *room = w->scrollView()->scrollArea()->viewport();
    EXPECT_EQ(page->parentWidget(), room);
    EXPECT_EQ(page->size(), room->size());
    const QRectF card = page->geometry().widgetRect(QRectF(0, 0, design->getDocumentSizeX(0), design->getDocumentSizeY(0)));
    EXPECT_NEAR(card.center().x(), page->width() / 2.0, 1.0);
    EXPECT_NEAR(card.center().y(), page->height() / 2.0, 1.0);
    const QImage image = page->grab().toImage();
    // The card is white paper on a grey desk.
    EXPECT_EQ(QColor(image.pixel(card.center().toPoint())), QColor(Qt::white));
    EXPECT_NE(QColor(image.pixel(1, 1)), QColor(Qt::white));
}

} // namespace

namespace {

class CAMainWindowControllerDocumentTest : public shelltest::Test
{
};

TEST_F(CAMainWindowControllerDocumentTest, ChosenPersonBecomesTheRecipientOfTheDocumentsWindow)
{
    launch(2);
    const auto record = manager().documents()[0];
    const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
        "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n");
    ASSERT_TRUE(person);
    EXPECT_FALSE(record->isEdited());
    CAMainWindowController::changePerson(manager(), record->document.get(), *person, 1, true);
    const std::shared_ptr<PWPerson> recipient = record->document->currentPerson(true);
    ASSERT_TRUE(recipient);
    EXPECT_EQ(recipient->valueForProperty(kPWLastNameProperty).toString(), u"Doe"_s);
    EXPECT_TRUE(record->isEdited());
    EXPECT_TRUE(window(0)->isWindowModified());

    // A document without a window takes nobody.
    CADocument loose;
    CAMainWindowController::changePerson(manager(), &loose, *person, 1, true);
    EXPECT_FALSE(loose.currentPerson(true) && !loose.currentPerson(true)->valueForProperty(kPWLastNameProperty).toString().isEmpty());
}

TEST_F(CAMainWindowControllerDocumentTest, EnvelopesAreNotCalibrated)
{
    launch(1);
    controller->newDocument(1);
    CAMainWindowController::registerCommand(u"calibratePrinter"_s, {nullptr, [](CAMainWindowController &, QAction *) {}});
    controller->router().windowActivated(window(0));
    EXPECT_TRUE(controller->router().validate(u"calibratePrinter"_s, nullptr));
    controller->router().windowActivated(window(1));
    EXPECT_FALSE(controller->router().validate(u"calibratePrinter"_s, nullptr));
    CAMainWindowController::unregisterCommand(u"calibratePrinter"_s);
    controller->router().windowActivated(window(0));
    EXPECT_FALSE(controller->router().validate(u"calibratePrinter"_s, nullptr)) << "nobody calibrates yet";
}

} // namespace

namespace {

// A press on the page must reach the canvas itself: the hand-drag container around it once made
// its page transparent to the mouse, so that in the running application no click reached the design.
TEST_F(CAMainWindowControllerTest, APressOnThePageReachesTheCanvas)
{
    launch(1);
    CAMainWindowController *label = window(0);
    label->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(label));
    QWidget *viewport = label->docView()->viewport();
    const QPoint centre = viewport->mapTo(label, viewport->rect().center());
    QWidget *hit = label->childAt(centre);
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit == viewport || viewport->isAncestorOf(hit)) << hit->metaObject()->className();
}

} // namespace

// The panels follow the document window the user works on: a click in a floating panel or a
// dialog keeps them on its canvas, a plain window of another kind empties them, and another
// document window hands them its own canvas.
TEST_F(CAMainWindowControllerTest, PanelsKeepTheirCanvasWhileAPanelOrDialogIsActive)
{
    launch(1);
    controller->newDocument(1);
    CAMainWindowController *label = window(0);
    CAMainWindowController *envelope = window(1);
    QList<const void *> posted;
    const int token = PWNotificationCenter::defaultCenter().addObserver(
        CACanvasSelection::kChangeSelectionNotify, nullptr,
        [&posted](const PWNotification &notification) { posted << notification.object; });
    const auto lastPosted = [&posted] { return posted.isEmpty() ? reinterpret_cast<const void *>(-1) : posted.last(); };

    activate(label);
    QCoreApplication::processEvents();
    EXPECT_EQ(lastPosted(), label->docView());

    QWidget panel(nullptr, Qt::Tool);
    panel.resize(200, 100);
    panel.show();
    activate(&panel);
    QCoreApplication::processEvents();
    EXPECT_EQ(lastPosted(), label->docView()) << "a floating panel took the keyboard";

    QDialog dialog;
    dialog.show();
    activate(&dialog);
    QCoreApplication::processEvents();
    EXPECT_EQ(lastPosted(), label->docView()) << "a dialog took the keyboard";
    dialog.hide();

    activate(envelope);
    QCoreApplication::processEvents();
    EXPECT_EQ(lastPosted(), envelope->docView());

    QWidget other;
    other.resize(200, 100);
    other.show();
    activate(&other);
    QCoreApplication::processEvents();
    EXPECT_EQ(lastPosted(), nullptr) << "a window of another kind is in front";
    PWNotificationCenter::defaultCenter().removeObserver(token);
}
