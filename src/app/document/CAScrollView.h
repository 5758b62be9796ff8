#pragma once

#include <QPointF>
#include <QRectF>
#include <QWidget>

// A container whose one page child can be dragged with the hand and always stays in view:
// centred where it is smaller than the container, otherwise never showing empty space at a
// side. In mode 0 the page is dragged; mode 1 shows a crosshair and 2 an open hand, neither drags.
class CAScrollView : public QWidget
{
    Q_OBJECT
public:
    // The page child is the one child with this value in its "viewTag" property.
    static constexpr int kPageTag = 27;

    explicit CAScrollView(QWidget *parent = nullptr);

    // Where a page of the given frame goes inside bounds, each direction on its own.
    static QPointF checkedOrigin(const QRectF &page, const QRectF &bounds);

    void setPage(QWidget *page);
    QWidget *page() const;
    void drawBackground(bool draw);
    bool drawsBackground() const { return _bDrawBackground; }
    void setGUIMode(int mode);
    int guiMode() const { return _GUIMode; }
    // Moves the page back inside the container.
    void checkBounds();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void resetCursorRects();

    bool _bDrawBackground = false;
    int _GUIMode = 0;
    bool m_dragging = false;
    QPointF m_lastPosition;
};
