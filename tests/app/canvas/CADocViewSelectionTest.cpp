// What the canvas tells the application while the user works: one selection notification per
// mouse event (and the address one for address objects), the font of a selected text, snapping
// as the preferences say, the selection dragged out as data, and the persons filled in again.
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasSelection.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPerson.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kSelectionCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                                  "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";

// A canvas whose drags out of the window are recorded instead of run.
class RecordingDocView : public CADocView
{
public:
    int drags = 0;
    QStringList formats;

protected:
    Qt::DropAction execDragOut(QDrag &drag) override
    {
        ++drags;
        formats = drag.mimeData()->formats();
        return Qt::CopyAction;
    }
};

struct SelectionCanvas
{
    SelectionCanvas()
    {
        box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
        const CDDColor yellow(0.98f, 0.86f, 0.24f, 1.0f);
        box->SetFillColor(&yellow);
        box->SetFilled(true);
        document.ftDocument()->AddObject(box, 0, false);
        text = new CFTAText(120.0, 100.0, 90.0, 24.0, nullptr);
        text->GetText()->setString(u"Hello"_s, nullptr);
        text->SetFont(PWFont(u"DejaVuSans"_s, 21.0));
        document.ftDocument()->AddObject(text, 0, false);
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s,
                                                                                         false, 1);
        CFTAView maker(document.ftDocumentController());
        std::unique_ptr<CFTComponent> made = maker.CreateAddressPanel(true, format.get());
        panel = dynamic_cast<CFTAAddressPanel *>(made.get());
        made->SetOrigin(20.0, 150.0);
        maker.InsertComponent(made.release(), false);
        if (const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(kSelectionCard))
            document.setCurrentPerson(person.get(), true, true, true);
        document.ftDocument()->arrangeAddressPanel();
        view.setScreenResolution(96.0);
        EXPECT_TRUE(view.setDocument(&document));
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        for (const QString &name : {CACanvasSelection::kChangeSelectionNotify,
                                    CACanvasSelection::kChangeAddressSelectionNotify})
            tokens.push_back(PWNotificationCenter::defaultCenter().addObserver(
                name, &view, [this](const PWNotification &n) { posted.push_back(n.name); }));
    }
    ~SelectionCanvas()
    {
        for (const int token : tokens)
            PWNotificationCenter::defaultCenter().removeObserver(token);
    }
    QWidget *target() { return view.viewport(); }
    QPoint at(double x, double y) const { return view.geometry().widgetPoint(QPointF(x, y)).toPoint(); }
    void press(QPoint p, Qt::KeyboardModifiers keys = {}) { QTest::mousePress(target(), Qt::LeftButton, keys, p); }
    void move(QPoint p, Qt::KeyboardModifiers keys = {})
    {
        QMouseEvent event(QEvent::MouseMove, QPointF(p), target()->mapToGlobal(QPointF(p)), Qt::NoButton,
                          Qt::LeftButton, keys);
        QApplication::sendEvent(target(), &event);
    }
    void release(QPoint p, Qt::KeyboardModifiers keys = {}) { QTest::mouseRelease(target(), Qt::LeftButton, keys, p); }
    int count(const QString &name) const { return int(std::count(posted.begin(), posted.end(), name)); }
    CFTAAddressText *city() const { return panel->getAddressComponentWithTextCategory(tcCity); }

    CADocument document;
    CFTBoxField *box;
    CFTAText *text;
    CFTAAddressPanel *panel = nullptr;
    RecordingDocView view;
    std::vector<int> tokens;
    std::vector<QString> posted;
};

TEST(CADocViewSelectionTest, PressThatSelectsPostsTheSelectionChangeOnce)
{
    SelectionCanvas c;
    c.press(c.at(60, 50));
    EXPECT_EQ(c.count(CACanvasSelection::kChangeSelectionNotify), 1);
    EXPECT_EQ(c.count(CACanvasSelection::kChangeAddressSelectionNotify), 0);
    c.release(c.at(60, 50));
    c.posted.clear();
    // A click on empty paper takes the selection away: one post again, for the whole click.
    c.press(c.at(10, 10));
    c.release(c.at(10, 10));
    EXPECT_TRUE(c.view.ftView()->getSelComponents().empty());
    EXPECT_EQ(c.count(CACanvasSelection::kChangeSelectionNotify), 1);
}

TEST(CADocViewSelectionTest, SelectingAnAddressPanelAlsoPostsTheAddressSelectionOnce)
{
    SelectionCanvas c;
    ASSERT_NE(c.panel, nullptr);
    const QRectF frame(c.panel->GetOriginX(), c.panel->GetOriginY(), c.panel->GetSizeX(), c.panel->GetSizeY());
    c.press(c.at(frame.center().x(), frame.center().y()));
    ASSERT_EQ(c.view.ftView()->getSelComponents().size(), 1u);
    EXPECT_EQ(c.count(CACanvasSelection::kChangeSelectionNotify), 1);
    EXPECT_EQ(c.count(CACanvasSelection::kChangeAddressSelectionNotify), 1);
}

TEST(CADocViewSelectionTest, SelectedTextTellsItsFontForTheFontPanel)
{
    SelectionCanvas c;
    std::vector<std::pair<double, bool>> fonts;
    QObject::connect(&c.view, &CADocView::selectedFontChanged,
                     [&](const PWFont &font, bool multiple) { fonts.emplace_back(font.pointSize(), multiple); });
    c.press(c.at(160, 110));
    c.release(c.at(160, 110));
    ASSERT_FALSE(fonts.empty());
    EXPECT_EQ(fonts.front(), std::make_pair(21.0, false));
    fonts.clear();
    // A shape has no font to show.
    c.press(c.at(60, 50));
    EXPECT_TRUE(fonts.empty());
}

// The box's left edge dragged to two points past the text's left edge: snapping pulls it back
// onto the edge unless the preference is off. (Two points short, the box's right edge would come
// nearer still to the address panel's right edge, at 168.6.)
TEST(CADocViewSelectionTest, SnappingOffInThePreferencesHoldsForEveryDragStep)
{
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    for (const bool snap : {true, false}) {
        defaults.setBool(u"FTSnap"_s, snap);
        SelectionCanvas c;
        const double s = c.view.scale();
        const QPoint from = c.at(60, 50);
        const QPoint by(qRound(82.0 * s), 0);
        c.press(from);
        for (int step = 1; step <= 3; ++step)
            c.move(from + by * step / 3);
        c.release(from + by);
        const double left = 40.0 + by.x() / s;
        if (snap)
            EXPECT_NEAR(c.box->GetOriginX(), 120.0, 1e-3) << "snapped onto the text's edge";
        else
            EXPECT_NEAR(c.box->GetOriginX(), left, 1e-6) << "moved by the pixels alone";
    }
    defaults.setBool(u"FTSnap"_s, true);
}

TEST(CADocViewSelectionTest, CtrlAltDragOnTheSelectionDragsItOutAndLeavesItInPlace)
{
    SelectionCanvas c;
    c.press(c.at(60, 50));
    c.release(c.at(60, 50));
    const Qt::KeyboardModifiers keys = Qt::ControlModifier | Qt::AltModifier;
    c.press(c.at(60, 50), keys);
    c.move(c.at(70, 55), keys);
    ASSERT_EQ(c.view.drags, 1);
    EXPECT_EQ(c.view.formats.value(0), PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kProductDocument));
    EXPECT_TRUE(c.view.formats.contains(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kPDF)));
    // The gesture is over: later steps and the release move nothing and start no second drag.
    c.move(c.at(90, 70), keys);
    c.release(c.at(90, 70), keys);
    EXPECT_EQ(c.view.drags, 1);
    EXPECT_DOUBLE_EQ(c.box->GetOriginX(), 40.0);
    EXPECT_DOUBLE_EQ(c.box->GetOriginY(), 40.0);
}

TEST(CADocViewSelectionTest, AltHeldOnlyAfterTheMoveBeganStillDragsOut)
{
    SelectionCanvas c;
    const QPoint from = c.at(60, 50);
    c.press(from);
    c.move(from + QPoint(20, 0), Qt::ControlModifier);
    const double moved = c.box->GetOriginX();
    EXPECT_GT(moved, 40.0);
    c.move(from + QPoint(40, 0), Qt::AltModifier);
    EXPECT_EQ(c.view.drags, 1);
    EXPECT_DOUBLE_EQ(c.box->GetOriginX(), moved);
    // A plain drag on empty paper is a rubber band, never a drag-out.
    c.press(c.at(5, 5), Qt::AltModifier);
    c.move(c.at(15, 15), Qt::AltModifier);
    c.release(c.at(15, 15), Qt::AltModifier);
    EXPECT_EQ(c.view.drags, 1);
}

// An address panel under the hovering pointer is drawn highlighted, with the select tool only, and
// goes back to its plain look when the pointer leaves it.
TEST(CADocViewSelectionTest, HoveringOverAnAddressPanelHighlightsItWithTheSelectToolOnly)
{
    SelectionCanvas c;
    auto hover = [&c](QPoint p) {
        QMouseEvent event(QEvent::MouseMove, QPointF(p), c.target()->mapToGlobal(QPointF(p)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(c.target(), &event);
        c.view.viewport()->repaint();
        return c.view.viewport()->grab().toImage();
    };
    // On the page, where the veil does not dim the tint.
    c.panel->SetOrigin(20.0, 4.0);
    const QRectF frame(c.panel->GetOriginX(), c.panel->GetOriginY(), c.panel->GetSizeX(), c.panel->GetSizeY());
    const QPoint over = c.at(frame.center().x(), frame.center().y());
    const QPoint away = c.at(frame.right() + 10.0, frame.bottom());
    const QImage plain = hover(away);
    EXPECT_NE(hover(over), plain);
    EXPECT_EQ(hover(away), plain);
    c.view.ftView()->setToolMode(toolText);
    EXPECT_EQ(hover(over), plain);
}

TEST(CADocViewSelectionTest, UpdateComponentsFillsTheFieldsFromThePersonsAgain)
{
    SelectionCanvas c;
    ASSERT_NE(c.city(), nullptr);
    const QString filled = c.city()->GetText()->getString();
    ASSERT_TRUE(filled.startsWith(u"Springfield"_s)) << filled.toStdString();
    c.city()->GetText()->setString(u"Nowhere"_s, nullptr);
    c.posted.clear();
    c.view.updateComponents();
    // The panel puts its punctuation in when it is laid out for drawing.
    c.view.viewport()->repaint();
    EXPECT_EQ(c.city()->GetText()->getString(), filled);
    EXPECT_FALSE(c.view.isPersonUpdating());
    EXPECT_EQ(c.count(CACanvasSelection::kChangeSelectionNotify), 1);
}

TEST(CADocViewSelectionTest, QueriesAnswerForTheShownDesign)
{
    SelectionCanvas c;
    const double height = c.document.ftDocument()->getDocumentSizeY(0);
    EXPECT_DOUBLE_EQ(c.view.prepareShapeSize(ctRect).height(), height / 3);
    EXPECT_DOUBLE_EQ(c.view.getComponentSizeByComponentType(ctSquashedRect).width(), height / 3 * 4 / 3);
    // Only a recipient panel on the design: with nothing selected a contact goes there.
    EXPECT_TRUE(c.view.activeToFrom());
    EXPECT_TRUE(c.view.hasAddressControls(true));
    EXPECT_FALSE(c.view.hasAddressControls(false));
    EXPECT_NE(c.view.getDefComponent(), nullptr);
    // The side's address objects take the type; the other side's keep theirs.
    ASSERT_NE(c.city(), nullptr);
    const addressType before = c.city()->GetAddressType();
    const addressType other = addressType(before == 2 ? 1 : 2);
    c.view.setAddressTypeFrom(other);
    EXPECT_EQ(c.city()->GetAddressType(), before);
    c.view.setAddressTypeTo(other);
    EXPECT_EQ(c.city()->GetAddressType(), other);
}

} // namespace

// Edits tell the panels through the same notification as the mouse does, once per change
// however many objects the change touched: alone, inside a command, and undone or redone.
TEST(CADocViewSelectionTest, EditsPostTheSelectionChangeOncePerChange)
{
    SelectionCanvas c;
    auto *other = new CFTBoxField(100.0, 40.0, 30.0, 30.0, nullptr);
    c.document.ftDocument()->AddObject(other, 0, false);
    int signals = 0;
    QObject::connect(&c.view, &CADocView::selectionChanged, [&] { ++signals; });
    CACanvasEdits &edits = c.view.edits();

    edits.setFlipXForObject(true, c.box);
    EXPECT_TRUE(c.box->IsFlipX());
    EXPECT_EQ(c.count(CACanvasSelection::kChangeSelectionNotify), 1);
    EXPECT_EQ(signals, 1);
    // The event that made the change ends, and with it its undo step.
    QCoreApplication::processEvents();

    c.posted.clear();
    signals = 0;
    {
        CACanvasEdits::Step step(edits, u"FLIP_HORIZONTAL"_s);
        edits.setFlipXForObject(false, c.box);
        edits.setFlipXForObject(true, other);
        // Nothing is told while the command is still running.
        EXPECT_EQ(c.count(CACanvasSelection::kChangeSelectionNotify), 0);
    }
    EXPECT_FALSE(c.box->IsFlipX());
    EXPECT_TRUE(other->IsFlipX());
    EXPECT_EQ(c.count(CACanvasSelection::kChangeSelectionNotify), 1);
    EXPECT_EQ(signals, 1);

    for (const bool undo : {true, false}) {
        c.posted.clear();
        signals = 0;
        if (undo)
            c.document.undoManager()->undo();
        else
            c.document.undoManager()->redo();
        EXPECT_EQ(c.box->IsFlipX(), undo);
        EXPECT_EQ(other->IsFlipX(), !undo);
        EXPECT_EQ(c.count(CACanvasSelection::kChangeSelectionNotify), 1) << (undo ? "undo" : "redo");
        EXPECT_EQ(signals, 1) << (undo ? "undo" : "redo");
    }
}

TEST(CADocViewSelectionTest, DeletingSeveralObjectsPostsOnce)
{
    SelectionCanvas c;
    c.view.ftView()->select(c.box);
    c.view.ftView()->select(c.text);
    ASSERT_EQ(c.view.ftView()->getSelComponents().size(), 2u);
    c.posted.clear();
    c.view.edits().deleteSelection();
    EXPECT_TRUE(c.view.ftView()->getSelComponents().empty());
    EXPECT_EQ(c.count(CACanvasSelection::kChangeSelectionNotify), 1);
}
