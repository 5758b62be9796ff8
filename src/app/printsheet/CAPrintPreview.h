#pragma once

#include <QStringList>
#include <QWidget>

class CAPrintingView;

// The page of the printing view in view, drawn white on grey and scaled to fit the room it is
// given, times the zoom. In the view's mouse mode 0 a press also goes on to the container, which
// drags the page with the hand; in mode 1 the page keeps its clicks.
class CAPrintPreview : public QWidget
{
    Q_OBJECT
public:
    explicit CAPrintPreview(QWidget *parent = nullptr);

    void setPrintingView(CAPrintingView *view);
    // Per cent of the fitted size.
    void setZoom(int percent);
    int zoom() const { return m_zoom; }
    // The room the page is fitted into (the scroll area's viewport).
    void setRoom(const QSize &room);
    QSize sizeHint() const override;
    // A widget position as a point of the page (points from its top-left corner).
    QPointF pagePoint(const QPointF &position) const;
    // A point of the page as a widget position.
    QPointF widgetPoint(const QPointF &pagePoint) const;
    // What the job would say of what was drawn of the view so far (each page's items are laid
    // out when first shown): addresses that do not fit their labels or that an envelope's window
    // cuts, a file field's file not read, persons for a design without a recipient, what the
    // contacts file of the persons could not give; one line each; notesChanged on a change.
    // Those of the job as a whole (its persons and its design) first: they are said afresh with
    // each drawing, as the persons of the view change.
    QStringList tooLong() const { return m_jobNotes + m_tooLong; }
    void setNotes(const QStringList &lines);
    void addNotes(const QStringList &lines);

Q_SIGNALS:
    // A press (clickCount 1) or double click (2) on the page.
    void pageClicked(const QPointF &pagePoint, int clickCount);
    // The wheel turned with Control held, by steps (positive zooms in), at a widget position.
    void zoomRequested(const QPointF &position, int steps);
    void notesChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QRectF pageRect() const;
    CAPrintingView *m_view = nullptr;
    int m_zoom = 100;
    QSize m_room = QSize(420, 420);
    QStringList m_tooLong;
    QStringList m_jobNotes;
};
