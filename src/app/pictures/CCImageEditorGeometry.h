#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <functional>

// What the crop canvas knows and decides, without a widget: the image's size, the scale, the one
// crop rectangle and the mouse's work on it. Every point and rectangle here is in image units
// with the origin at the image's lower-left corner and y growing upwards, so the selection does
// not change with the scale.
//
// The stored selection may be turned over (negative width or height) while an edge is dragged
// past the opposite one; readers get it through getSelection(), normalised and inside the image.
class CCImageEditorGeometry
{
public:
    static constexpr double kMinScale = 0.02;
    static constexpr double kMaxScale = 80.0;
    // Screen points; divided by the scale they become image units.
    static constexpr double kGrabPoints = 6.0;
    static constexpr double kSelectionLinePoints = 1.5;
    static constexpr double kImageLinePoints = 1.0;

    // The stored edges a press grabs.
    enum Edge {
        EdgeMinX = 1, // moves x and width
        EdgeMaxX = 2, // moves width
        EdgeMaxY = 4, // moves height
        EdgeMinY = 8, // moves y and height
    };

    // The cursor types of CAEnvironment::cursorFromType.
    enum Cursor {
        CursorResizeHorizontal = 0,
        CursorResizeVertical = 1,
        CursorResizeDiagonal = 2,     // top-left / bottom-right
        CursorResizeAntiDiagonal = 3, // top-right / bottom-left
        CursorBox = 4,
        CursorOpenHand = 8,
    };

    struct CursorRect
    {
        QRectF rect;
        int type = CursorBox;
    };

    void setImageSize(const QSizeF &size);
    QSizeF imageSize() const { return m_imageSize; }

    // Clamped into kMinScale ... kMaxScale; a scale that is no number leaves the scale as it was.
    void setScaleFactor(double scale);
    double getScaleFactor() const { return m_scale; }
    static double clampScale(double scale, double fallback);
    // The editor's scale slider: each 8 steps up add the image's size once more, each 8 down
    // take the same share away (8 doubles, -8 halves, 0 is 1:1).
    static double sliderToScale(double value);
    static double scaleToSlider(double scale);
    // The grab distance in image units: kGrabPoints screen points at the current scale.
    double grabDistance() const { return kGrabPoints / m_scale; }

    // Stores the rectangle as it is and shows it selected.
    void setSelection(const QRectF &rect);
    QRectF storedSelection() const { return m_selection; }
    // The stored rectangle normalised and shifted into the image, its size kept unless it is
    // larger than the image (then it is the image's); nothing is ever outside the image.
    QRectF getSelection() const;
    static QRectF normalisedInside(const QRectF &rect, const QSizeF &imageSize);
    bool isSelected() const { return m_selected; }
    bool isTouched() const { return m_touched; }
    bool isSelectionHFlipped() const { return m_selection.width() < 0.0; }
    bool isSelectionVFlipped() const { return m_selection.height() < 0.0; }
    bool isMoving() const { return m_moved; }
    int sidesResizing() const { return m_sidesResizing; }
    QPointF pickPoint() const { return m_pickPoint; }
    bool isFitSelectionScale() const { return m_fitSelectionScale; }

    // The one place the selection state changes; tells the listener.
    void setTouched(bool touched);
    void setSelectionListener(std::function<void()> listener) { m_listener = std::move(listener); }

    // The left button; points in image units, not yet clamped.
    void mouseDown(const QPointF &point);
    void mouseDragged(const QPointF &point);
    void mouseUp();

    // The scale one wheel step gives: finer steps at and below 1:1, an upward delta enlarges.
    double wheelScale(double verticalDelta) const;
    // The right button: with a selection, alternates between the scale that fits the selection
    // with a margin into the content size (screen points) and the scale before. Answers whether
    // the scale changed.
    bool rightMouseDown(const QSizeF &contentSize);

    // The cursor areas over the visible part of the image: first the whole of it (the box
    // cursor), then the zones of the selection.
    QList<CursorRect> cursorRects(const QRectF &visible) const;
    int cursorTypeAt(const QPointF &point, const QRectF &visible) const;

private:
    QPointF clampedIntoImage(const QPointF &point) const;
    int grabbedEdges(const QPointF &point, const QRectF &selection, double d) const;

    QSizeF m_imageSize;
    double m_scale = 1.0;
    double m_origScale = 1.0;
    QRectF m_selection;
    QRectF m_moveRect;
    QPointF m_pickPoint;
    int m_sidesResizing = 0;
    bool m_touched = false;
    bool m_selected = false;
    bool m_fitSelectionScale = false;
    bool m_moved = false;
    std::function<void()> m_listener;
};
