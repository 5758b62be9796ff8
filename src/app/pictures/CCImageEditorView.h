#pragma once

#include "app/pictures/CCImageEditorGeometry.h"

#include <QWidget>

#include <memory>

class PWImage;
class QScrollArea;

// The crop canvas: the document widget of the image editor's scroll area. It shows one image at
// the geometry's scale, centred while smaller than the visible area, dims everything outside the
// crop rectangle and lets the mouse draw, move and resize it; the wheel and a right click change
// the scale. What it decides is CCImageEditorGeometry's; the widget maps points and draws.
class CCImageEditorView : public QWidget
{
    Q_OBJECT

public:
    explicit CCImageEditorView(QWidget *parent = nullptr);
    ~CCImageEditorView() override;

    void setPicture(std::shared_ptr<PWImage> picture);
    const std::shared_ptr<PWImage> &picture() const { return m_picture; }
    // Lets the picture go once the editor is done; the selection is still read against its size.
    void releasePicture();
    // Sizes the canvas to the picture at the current scale.
    void updateSize();

    void setScaleFactor(double scale);
    double getScaleFactor() const { return m_geometry.getScaleFactor(); }
    void setSelection(const QRectF &rect) { m_geometry.setSelection(rect); }
    QRectF getSelection() const { return m_geometry.getSelection(); }
    bool isSelected() const { return m_geometry.isSelected(); }
    void setTouched(bool touched) { m_geometry.setTouched(touched); }
    QPointF pickPoint() const { return m_geometry.pickPoint(); }
    const CCImageEditorGeometry &geometry() const { return m_geometry; }

    // The visible area of the scroll area with both scroll bars shown, in screen points.
    QSizeF contentSize() const;
    // Widget points to image units (y up) and back.
    QPointF imagePoint(const QPointF &widgetPoint) const;
    QPointF widgetPoint(const QPointF &imagePoint) const;
    QRectF widgetRect(const QRectF &imageRect) const;

Q_SIGNALS:
    void selectionChanged();
    // The wheel changed the scale (the editor's slider follows).
    void scrollWheelChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QScrollArea *scrollArea() const;
    QSizeF viewportSize() const;
    QPointF imageOrigin() const;
    QRectF visibleImageRect() const;
    void updateCursor(const QPointF &widgetPoint);
    void applyScale(bool centre);
    void watchViewport();

    CCImageEditorGeometry m_geometry;
    std::shared_ptr<PWImage> m_picture;
    QWidget *m_watchedViewport = nullptr;
    bool m_dragging = false;
};
