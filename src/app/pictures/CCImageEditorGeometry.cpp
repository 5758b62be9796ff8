#include "app/pictures/CCImageEditorGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

bool finite(const QRectF &r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

// One dimension of the normalised selection: turned back over, no larger than the image, then
// shifted (never cut) into it.
void normaliseSpan(double &origin, double &length, double limit)
{
    if (length < 0.0) {
        origin += length;
        length = -length;
    }
    length = std::min(length, std::max(0.0, limit));
    if (origin < 0.0)
        origin = 0.0;
    if (origin + length > limit)
        origin = limit - length;
}

} // namespace

void CCImageEditorGeometry::setImageSize(const QSizeF &size)
{
    const bool usable = std::isfinite(size.width()) && std::isfinite(size.height());
    m_imageSize = usable ? QSizeF(std::max(0.0, size.width()), std::max(0.0, size.height())) : QSizeF();
}

double CCImageEditorGeometry::clampScale(double scale, double fallback)
{
    if (std::isnan(scale))
        return fallback;
    return std::clamp(scale, kMinScale, kMaxScale);
}

void CCImageEditorGeometry::setScaleFactor(double scale)
{
    m_scale = clampScale(scale, m_scale);
}

double CCImageEditorGeometry::sliderToScale(double value)
{
    return value > 0.0 ? 1.0 + value / 8.0 : 1.0 / (1.0 + std::abs(value) / 8.0);
}

double CCImageEditorGeometry::scaleToSlider(double scale)
{
    if (!(scale > 0.0) || !std::isfinite(scale))
        return 0.0;
    return scale >= 1.0 ? (scale - 1.0) * 8.0 : -(1.0 / scale - 1.0) * 8.0;
}

void CCImageEditorGeometry::setSelection(const QRectF &rect)
{
    m_selection = finite(rect) ? rect : QRectF();
    setTouched(true);
}

QRectF CCImageEditorGeometry::normalisedInside(const QRectF &rect, const QSizeF &imageSize)
{
    if (!finite(rect))
        return QRectF();
    double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    normaliseSpan(x, w, imageSize.width());
    normaliseSpan(y, h, imageSize.height());
    return QRectF(x, y, w, h);
}

QRectF CCImageEditorGeometry::getSelection() const
{
    return normalisedInside(m_selection, m_imageSize);
}

void CCImageEditorGeometry::setTouched(bool touched)
{
    m_touched = touched;
    if (!touched) {
        m_selected = false;
        m_origScale = m_scale;
        m_fitSelectionScale = false;
    } else {
        m_selected = true;
    }
    if (!m_selected)
        m_selection = QRectF();
    if (m_listener)
        m_listener();
}

QPointF CCImageEditorGeometry::clampedIntoImage(const QPointF &point) const
{
    const double x = std::isfinite(point.x()) ? point.x() : 0.0;
    const double y = std::isfinite(point.y()) ? point.y() : 0.0;
    return QPointF(std::clamp(x, 0.0, m_imageSize.width()), std::clamp(y, 0.0, m_imageSize.height()));
}

int CCImageEditorGeometry::grabbedEdges(const QPointF &p, const QRectF &s, double d) const
{
    const double x = p.x(), y = p.y();
    const double minX = s.left(), maxX = s.left() + s.width();
    const double minY = s.top(), maxY = s.top() + s.height();
    const bool leftOut = minX - d < x && x < minX;
    const bool rightOut = maxX < x && x < maxX + d;
    const bool topOut = maxY < y && y < maxY + d;
    const bool bottomOut = minY - d < y && y < minY;
    bool left = false, right = false, top = false, bottom = false;
    if (leftOut && topOut)
        left = top = true;
    else if (rightOut && bottomOut)
        right = bottom = true;
    else if (rightOut && topOut)
        right = top = true;
    else if (leftOut && bottomOut)
        left = bottom = true;
    else if (minX - d < x && x < minX + d)
        left = true;
    else if (maxX - d < x && x < maxX + d)
        right = true;
    else if (maxY - d < y && y < maxY + d)
        top = true;
    else if (minY - d < y && y < minY + d)
        bottom = true;
    // The visible edges become stored ones through the turn-over state.
    const int leftBit = isSelectionHFlipped() ? EdgeMaxX : EdgeMinX;
    const int rightBit = isSelectionHFlipped() ? EdgeMinX : EdgeMaxX;
    const int topBit = isSelectionVFlipped() ? EdgeMinY : EdgeMaxY;
    const int bottomBit = isSelectionVFlipped() ? EdgeMaxY : EdgeMinY;
    return (left ? leftBit : 0) | (right ? rightBit : 0) | (top ? topBit : 0) | (bottom ? bottomBit : 0);
}

void CCImageEditorGeometry::mouseDown(const QPointF &point)
{
    const QPointF p(std::isfinite(point.x()) ? point.x() : 0.0, std::isfinite(point.y()) ? point.y() : 0.0);
    m_pickPoint = p;
    m_sidesResizing = 0;
    const QRectF s = getSelection();
    const double d = grabDistance();
    // Without a selection every press starts a new one, also one near the image's corner where
    // the empty selection lies.
    const bool outside = !m_selected || p.x() <= s.left() - d || p.x() >= s.right() + d || p.y() <= s.top() - d
        || p.y() >= s.bottom() + d;
    if (outside) {
        setTouched(false);
    } else {
        m_moved = true;
        m_moveRect = m_selection;
        m_sidesResizing = grabbedEdges(p, s, d);
    }
    m_pickPoint = clampedIntoImage(p);
    if (!m_touched && !m_selected)
        m_selection = QRectF(m_pickPoint, QSizeF(0.0, 0.0));
}

void CCImageEditorGeometry::mouseDragged(const QPointF &point)
{
    const QPointF p = clampedIntoImage(point);
    if (m_moved) {
        const double dx = p.x() - m_pickPoint.x();
        const double dy = p.y() - m_pickPoint.y();
        if (m_sidesResizing == 0) {
            m_selection = QRectF(m_moveRect.x() + dx, m_moveRect.y() + dy, m_moveRect.width(), m_moveRect.height());
        } else {
            double x = m_moveRect.x(), y = m_moveRect.y(), w = m_moveRect.width(), h = m_moveRect.height();
            if (m_sidesResizing & EdgeMinX) {
                x = m_moveRect.x() + dx;
                w = m_moveRect.width() - dx;
            }
            if (m_sidesResizing & EdgeMaxX)
                w = m_moveRect.width() + dx;
            if (m_sidesResizing & EdgeMaxY)
                h = m_moveRect.height() + dy;
            if (m_sidesResizing & EdgeMinY) {
                y = m_moveRect.y() + dy;
                h = m_moveRect.height() - dy;
            }
            m_selection = QRectF(x, y, w, h);
        }
        m_fitSelectionScale = false;
    }
    m_touched = true;
    m_selected = true;
    if (!m_moved)
        m_selection.setSize(QSizeF(p.x() - m_selection.x(), p.y() - m_selection.y()));
}

void CCImageEditorGeometry::mouseUp()
{
    if (m_moved) {
        m_selection = getSelection();
        m_moved = false;
    }
    setTouched(m_selected);
}

double CCImageEditorGeometry::wheelScale(double verticalDelta) const
{
    const double step = m_scale <= 1.0 ? 0.025 : 0.2;
    return clampScale(verticalDelta > 0.0 ? m_scale + step : m_scale - step, m_scale);
}

bool CCImageEditorGeometry::rightMouseDown(const QSizeF &contentSize)
{
    if (!m_selected)
        return false;
    const double before = m_scale;
    if (!m_fitSelectionScale) {
        m_origScale = m_scale;
        const QRectF s = getSelection();
        const double fit = std::min(contentSize.width() / (s.width() * 1.2), contentSize.height() / (s.height() * 1.2));
        setScaleFactor(fit);
        m_fitSelectionScale = true;
    } else {
        setScaleFactor(m_origScale);
        m_fitSelectionScale = false;
    }
    return m_scale != before;
}

QList<CCImageEditorGeometry::CursorRect> CCImageEditorGeometry::cursorRects(const QRectF &visible) const
{
    QList<CursorRect> rects;
    rects.append({visible, CursorBox});
    if (!m_selected)
        return rects;
    const QRectF i = getSelection().intersected(visible);
    if (i.isEmpty())
        return rects;
    const double d = grabDistance();
    rects.append({QRectF(i.x() + d, i.y() + d, i.width() - 2 * d, i.height() - 2 * d), CursorOpenHand});
    rects.append({QRectF(i.x() - d, i.y(), 2 * d, i.height()), CursorResizeHorizontal});
    rects.append({QRectF(i.right() - d, i.y(), 2 * d, i.height()), CursorResizeHorizontal});
    rects.append({QRectF(i.x(), i.bottom() - d, i.width(), 2 * d), CursorResizeVertical});
    rects.append({QRectF(i.x(), i.y() - d, i.width(), 2 * d), CursorResizeVertical});
    rects.append({QRectF(i.x() - d, i.bottom(), d, d), CursorResizeDiagonal});
    rects.append({QRectF(i.right(), i.y() - d, d, d), CursorResizeDiagonal});
    rects.append({QRectF(i.right(), i.bottom(), d, d), CursorResizeAntiDiagonal});
    rects.append({QRectF(i.x() - d, i.y() - d, d, d), CursorResizeAntiDiagonal});
    return rects;
}

int CCImageEditorGeometry::cursorTypeAt(const QPointF &point, const QRectF &visible) const
{
    // The first zone that holds the point, as a press there would find it: a side band wins over
    // the band it meets at an inner corner. The whole visible area is the fallback.
    const QList<CursorRect> rects = cursorRects(visible);
    for (qsizetype index = 1; index < rects.size(); ++index) {
        const QRectF &r = rects[index].rect;
        if (r.width() > 0.0 && r.height() > 0.0 && point.x() > r.left() && point.x() < r.right()
            && point.y() > r.top() && point.y() < r.bottom())
            return rects[index].type;
    }
    return CursorBox;
}
