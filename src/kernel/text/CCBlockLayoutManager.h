#pragma once

#include "kernel/render/CCLayoutManager.h"
#include "kernel/text/CCTextStorage.h"

#include <QPointF>
#include <QRectF>

#include <memory>
#include <vector>

class CCTextExtContainer;
class QPainter;
class QTextDocument;
class QTextLayout;

// The layout shared by linked blocks of flowing text: one text storage, laid out line by line
// through the blocks' containers in their order, each line asked of its container (which may
// move or refuse it). Text that fits in no container stays unlaid. Blocks hold the manager by
// shared ownership; the storage lives exactly as long as the manager, so it goes once, with the
// last block. The containers belong to their blocks, which take them out when they go.
class CCBlockLayoutManager
{
public:
    // A character range (location, length) of the storage.
    using Range = CCTextStorage::Range;

    // One laid-out line: its place in its container and its characters.
    struct Line
    {
        QRectF rect;   // container coordinates, as the container answered it
        QPointF origin; // where the line's glyphs are drawn from, container coordinates
        Range characters;
        double ascent = 0.0;
    };

    CCBlockLayoutManager();
    ~CCBlockLayoutManager();
    CCBlockLayoutManager(const CCBlockLayoutManager &) = delete;
    CCBlockLayoutManager &operator=(const CCBlockLayoutManager &) = delete;

    QTextDocument *textStorage() const { return m_storage.get(); }
    // The data-field highlight of the chain.
    CCLayoutManager &highlight() { return m_highlight; }
    const CCLayoutManager &highlight() const { return m_highlight; }
    double hyphenationFactor() const { return m_hyphenationFactor; }
    void setHyphenationFactor(double factor) { m_hyphenationFactor = factor; }

    void addTextContainer(CCTextExtContainer *container, bool front);
    void removeTextContainer(CCTextExtContainer *container);
    const std::vector<CCTextExtContainer *> &textContainers() const { return m_containers; }
    // A container's size, place or outlines changed: lay out again at the next question.
    void textContainerChangedGeometry(CCTextExtContainer *container);
    void invalidateLayout() { m_valid = false; }

    // The characters laid into a container: an empty range after the previous container's for a
    // container that received none.
    Range glyphRangeForTextContainer(const CCTextExtContainer *container);
    std::vector<Line> linesForTextContainer(const CCTextExtContainer *container);
    // The bounding rectangle of the container's lines, container coordinates; empty for none.
    QRectF boundingRectForTextContainer(const CCTextExtContainer *container);
    // The number of characters of the storage (its paragraph ends included).
    int textLength() const;
    // The character nearest the point (container coordinates) among the container's own; the
    // container's first character when it holds no line.
    int characterIndexForPoint(const CCTextExtContainer *container, QPointF point);
    // Draws the container's lines with their top-left at origin.
    void drawGlyphsForTextContainer(const CCTextExtContainer *container, QPainter *painter, QPointF origin);

private:
    struct Placed
    {
        std::size_t paragraph = 0;
        int lineNumber = 0;
        Line line;
    };
    void ensureLayout();

    std::unique_ptr<QTextDocument> m_storage;
    CCLayoutManager m_highlight;
    double m_hyphenationFactor = 0.0;
    std::vector<CCTextExtContainer *> m_containers;
    bool m_valid = false;
    std::vector<std::unique_ptr<QTextLayout>> m_paragraphs;
    std::vector<std::vector<Placed>> m_placed; // per container, in container order
};
