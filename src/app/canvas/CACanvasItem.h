#pragma once

#include <QGraphicsItem>

class CADocView;

// The one scene item that draws the design through the kernel view, in design points: the
// desk, the page, the background, the objects, the select box, the envelope window tinted,
// the veil outside the page and the handles last.
class CACanvasItem : public QGraphicsItem
{
public:
    explicit CACanvasItem(CADocView &canvas);

    void setFrame(const QRectF &frame);
    QRectF boundingRect() const override { return m_frame; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    static QColor deskColor();

private:
    CADocView &m_canvas;
    QRectF m_frame;
};
