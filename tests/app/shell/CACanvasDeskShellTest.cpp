// The desk round the page in a document window, through real clicks, drags and drops on the
// widget that lies under the pointer: it is the canvas, so a click there clears the selection,
// a rubber band may start there and a drop there reaches the design.
#include "app/canvas/CADocView.h"
#include "app/pictures/CCPictDragOut.h"
#include "app/shell/CDocScrollView.h"
#include "kernel/base/CDDColor.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"

#include "ShellTestSupport.h"

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollArea>

using namespace shelltest;

namespace {

class CACanvasDeskShellTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        launch(1);
        w = window(0);
        ASSERT_TRUE(w);
        canvas = w->docView();
        design = canvas->document()->ftDocument();
        box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
        const CDDColor yellow(0.98f, 0.86f, 0.24f, 1.0f);
        box->SetFillColor(&yellow);
        box->SetFilled(true);
        design->AddObject(box, 0, false);
        // Wider than the page needs at its zoom: desk on either side of it.
        w->resize(1400, 800);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        QApplication::processEvents();
    }
    // The page's left and right edges in global pixels, at its vertical middle.
    QPoint pageEdge(bool right) const
    {
        const QPointF point(right ? design->getDocumentSizeX(0) : 0.0, design->getDocumentSizeY(0) / 2.0);
        return canvas->viewport()->mapToGlobal(canvas->geometry().widgetPoint(point).toPoint());
    }
    // A point of the desk halfway between the page and the visible area's edge, at the height
    // of the design point y.
    QPoint deskPoint(bool right, double y) const
    {
        QWidget *room = w->scrollView()->scrollArea()->viewport();
        const QPoint edge = pageEdge(right);
        const int roomEdge = room->mapToGlobal(QPoint(right ? room->width() - 1 : 0, 0)).x();
        const int yPixel = canvas->viewport()->mapToGlobal(canvas->geometry().widgetPoint(QPointF(0, y)).toPoint()).y();
        return QPoint((edge.x() + roomEdge) / 2, yPixel);
    }
    QWidget *widgetAt(const QPoint &global) const { return w->childAt(w->mapFromGlobal(global)); }
    QPointF designPoint(const QPoint &global) const
    {
        return canvas->geometry().documentPoint(canvas->viewport()->mapFromGlobal(global));
    }
    static void send(QWidget *widget, QEvent::Type type, const QPoint &global, Qt::MouseButtons buttons)
    {
        const QPointF local = widget->mapFromGlobal(QPointF(global));
        QMouseEvent event(type, local, QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }

    CAMainWindowController *w = nullptr;
    CADocView *canvas = nullptr;
    CFTADocument *design = nullptr;
    CFTBoxField *box = nullptr;
};

} // namespace

TEST_F(CACanvasDeskShellTest, AClickBesideThePageClearsTheSelection)
{
    for (const bool right : {false, true}) {
        SCOPED_TRACE(right ? "right of the page" : "left of the page");
        const QPoint desk = deskPoint(right, 50.0);
        ASSERT_GT(std::abs(desk.x() - pageEdge(right).x()), 6) << "room for a desk beside the page";
        QWidget *under = widgetAt(desk);
        ASSERT_EQ(under, canvas->viewport()) << "the desk is the canvas's";
        canvas->ftView()->select(box);
        QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFromGlobal(desk));
        EXPECT_TRUE(canvas->ftView()->getSelComponents().empty());
    }
}

TEST_F(CACanvasDeskShellTest, ARubberBandStartsOnTheDesk)
{
    canvas->ftView()->deselectAll();
    const QPoint start = deskPoint(false, 20.0);
    QWidget *under = widgetAt(start);
    ASSERT_EQ(under, canvas->viewport());
    const QPoint end = canvas->viewport()->mapToGlobal(canvas->geometry().widgetPoint(QPointF(100, 80)).toPoint());
    send(under, QEvent::MouseButtonPress, start, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        send(under, QEvent::MouseMove, start + (end - start) * step / 4, Qt::LeftButton);
    send(under, QEvent::MouseButtonRelease, end, Qt::NoButton);
    EXPECT_TRUE(canvas->ftView()->isSelected(box)) << "the band drawn from the desk over the box takes it";
}

TEST_F(CACanvasDeskShellTest, AShapeDroppedOnTheDeskLandsWhereItsPictureWasLetGo)
{
    const QPoint desk = deskPoint(true, 50.0);
    QWidget *under = widgetAt(desk);
    ASSERT_EQ(under, canvas->viewport());
    // What the shapes pane sends: the shape at the origin, its picture held by the middle.
    std::unique_ptr<CFTComponent> shape =
        CCPictDragOut::basicShapeComponent(u"BasicShapes/Circle.png"_s, QSizeF(40, 30), nullptr);
    std::unique_ptr<QMimeData> data = CCPictDragOut::mimeDataForBasicShape(shape.get());
    CCPictDragOut::setDragImageFrame(*data, QRectF(-20, -15, 40, 30));
    const std::size_t before = design->GetComponents(0, false).size();
    const QPointF released = designPoint(desk);
    const QPointF local = under->mapFromGlobal(QPointF(desk));
    QDragEnterEvent enter(local.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(under, &enter);
    ASSERT_TRUE(enter.isAccepted()) << "the canvas takes the drag over the desk";
    QDropEvent drop(local, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(under, &drop);
    const std::vector<CFTComponent *> &components = design->GetComponents(0, false);
    ASSERT_EQ(components.size(), before + 1);
    const CFTComponent *landed = components.back();
    // The picture's frame is in its pixels, shown at the canvas's scale.
    const QPointF origin = released + QPointF(-20, -15) / canvas->scale();
    EXPECT_NEAR(landed->GetOriginX(), origin.x(), 1.0);
    EXPECT_NEAR(landed->GetOriginY(), origin.y(), 1.0);
    EXPECT_GT(landed->GetOriginX(), design->getDocumentSizeX(0)) << "beside the page, where it was let go";
}
