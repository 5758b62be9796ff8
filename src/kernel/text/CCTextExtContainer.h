#pragma once

#include "kernel/base/FTGeometry.h"

#include <QRectF>
#include <QSizeF>

#include <vector>

class CCTextView;
class CDDWrappingPath;
class CFTComponentsInterface;

// The text container of one block of flowing text. Asked for the rectangle of the next line, it
// offers the line up to its right edge and moves it beside (or below) the wrap outlines of the
// components in front of the block; without an interface every line is a plain rectangle. Lines
// narrower than kMinLineWidth are refused and the band moves down by one line height; a band that
// passes the bottom answers the empty rectangle, so that the text runs on in the next container.
class CCTextExtContainer
{
public:
    static constexpr double kMinLineWidth = 40.0;

    explicit CCTextExtContainer(QSizeF size, const CFTComponentsInterface *components = nullptr);

    QSizeF containerSize() const { return m_size; }
    void setContainerSize(QSizeF size) { m_size = size; }
    // The horizontal inset of every line on both sides.
    double lineFragmentPadding() const { return m_padding; }
    void setLineFragmentPadding(double padding) { m_padding = padding; }

    const CFTComponentsInterface *ftComponentsInterface() const { return m_components; }
    void setFTComponentsInterface(const CFTComponentsInterface *components) { m_components = components; }
    double getOriginX() const { return m_originX; }
    void setOriginX(double x) { m_originX = x; }
    double getOriginY() const { return m_originY; }
    void setOriginY(double y) { m_originY = y; }
    double getAngle() const { return m_angle; }
    void setAngle(double angle) { m_angle = angle; }
    bool isFirst() const { return m_isFirst; }
    void setIsFirst(bool first) { m_isFirst = first; }
    bool isLast() const { return m_isLast; }
    void setIsLast(bool last) { m_isLast = last; }
    CCTextView *textView() const { return m_textView; }
    void setTextView(CCTextView *view) { m_textView = view; }
    bool isSimpleRectangularTextContainer() const { return false; }

    void willProcessTextLayout()
    {
        m_layoutBegins = true;
        m_layoutEnds = false;
    }
    void didCompleteLayout() { m_layoutEnds = true; }
    bool layoutBegins() const { return m_layoutBegins; }
    bool layoutEnds() const { return m_layoutEnds; }

    // The line for a proposed band (container coordinates, y down); the empty rectangle when the
    // container has no room left for it.
    QRectF lineFragmentRectForProposedRect(const QRectF &proposed) const;

private:
    // Gives each most-space outline the side with more room (text right of an outline touching
    // the left edge, left of one touching the right edge, else towards the farther edge).
    void resolveMostSpace(const std::vector<CDDWrappingPath *> &paths) const;

    const CFTComponentsInterface *m_components = nullptr;
    QSizeF m_size;
    double m_padding = 0.0;
    double m_originX = 0.0;
    double m_originY = 0.0;
    double m_angle = 0.0;
    bool m_layoutBegins = false;
    bool m_layoutEnds = false;
    bool m_isFirst = false;
    bool m_isLast = false;
    CCTextView *m_textView = nullptr;
};
