#include "kernel/text/CCBlockLayoutManager.h"

#include "kernel/render/CDDTextRuns.h"
#include "kernel/text/CCTextExtContainer.h"
#include "platform/PWObjectHandOver.h"
#include "platform/PWTextAttributes.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace {

using textruns::toPoints;
using textruns::toUnits;

// A paragraph's text with its character formats, ready to be broken into lines. It is laid out
// as finely as frame text (see textruns::layoutDevice), so that lines stand the font's own height
// apart: its positions and sizes are in the layout's units, the containers' in points.
std::unique_ptr<QTextLayout> paragraphLayout(const QTextBlock &block, const QFont &defaultFont)
{
    auto layout = std::make_unique<QTextLayout>(block.text(), defaultFont, textruns::layoutDevice());
    QList<QTextLayout::FormatRange> formats;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        QTextLayout::FormatRange range;
        range.start = fragment.position() - block.position();
        range.length = fragment.length();
        range.format = fragment.charFormat();
        formats.append(range);
    }
    layout->setFormats(formats);
    QTextOption option;
    option.setAlignment(block.blockFormat().alignment());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Qt multiplies tab stops by its device's share of the default resolution.
    QList<QTextOption::Tab> tabs;
    for (QTextOption::Tab tab : block.blockFormat().tabPositions()) {
        tab.position *= textruns::kLayoutScale / textruns::layoutDeviceShare();
        tabs.append(tab);
    }
    option.setTabs(tabs);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    return layout;
}

} // namespace

CCBlockLayoutManager::CCBlockLayoutManager()
    : m_storage(std::make_unique<QTextDocument>())
{
    PWObjectHandOver::noteMade(m_storage.get());
    m_storage->setUndoRedoEnabled(false);
    m_storage->setDocumentMargin(0.0);
    // Qt reports the edited range (contentsChange) only for a document that has a layout.
    m_storage->documentLayout();
    // Editors and commands write into the storage directly; any change lays the chain out again.
    QObject::connect(m_storage.get(), &QTextDocument::contentsChanged, m_storage.get(), [this] { m_valid = false; });
}

CCBlockLayoutManager::~CCBlockLayoutManager() = default;

void CCBlockLayoutManager::addTextContainer(CCTextExtContainer *container, bool front)
{
    if (!container || std::find(m_containers.begin(), m_containers.end(), container) != m_containers.end())
        return;
    if (front)
        m_containers.insert(m_containers.begin(), container);
    else
        m_containers.push_back(container);
    m_valid = false;
}

void CCBlockLayoutManager::removeTextContainer(CCTextExtContainer *container)
{
    m_containers.erase(std::remove(m_containers.begin(), m_containers.end(), container), m_containers.end());
    m_valid = false;
}

void CCBlockLayoutManager::textContainerChangedGeometry(CCTextExtContainer *)
{
    m_valid = false;
}

int CCBlockLayoutManager::textLength() const
{
    return std::max(0, m_storage->characterCount() - 1);
}

void CCBlockLayoutManager::ensureLayout()
{
    m_paragraphs.clear();
    m_placed.assign(m_containers.size(), {});
    m_valid = true;
    if (m_containers.empty())
        return;

    std::size_t current = 0;
    double y = 0.0;
    const QFont font = m_storage->defaultFont();
    for (QTextBlock block = m_storage->begin(); block.isValid() && current < m_containers.size(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const std::size_t paragraph = m_paragraphs.size();
        m_paragraphs.push_back(paragraphLayout(block, font));
        QTextLayout *layout = m_paragraphs.back().get();
        const double lineSpacing = format.doubleProperty(PWTextAttributes::LineSpacing);
        y += format.topMargin();
        layout->beginLayout();
        int lineNumber = 0;
        for (;;) {
            QTextLine line = layout->createLine();
            if (!line.isValid())
                break;
            bool placed = false;
            while (current < m_containers.size()) {
                CCTextExtContainer *container = m_containers[current];
                const double padding = container->lineFragmentPadding();
                const double indent = lineNumber == 0 ? format.leftMargin() + format.textIndent() : format.leftMargin();
                const double width = container->containerSize().width();
                line.setLineWidth(toUnits(std::max(1.0, width - 2.0 * padding - indent)));
                const double height = toPoints(line.height());
                const QRectF answer = container->lineFragmentRectForProposedRect(QRectF(0.0, y, width, height));
                if (answer.isEmpty()) {
                    container->didCompleteLayout();
                    ++current;
                    y = 0.0;
                    continue;
                }
                line.setLineWidth(toUnits(std::max(1.0, answer.width() - 2.0 * padding - indent)));
                line.setPosition(QPointF(toUnits(answer.x() + padding + indent), toUnits(answer.y())));
                Placed entry;
                entry.paragraph = paragraph;
                entry.lineNumber = lineNumber;
                entry.line.rect = answer;
                entry.line.origin = QPointF(answer.x() + padding + indent, answer.y());
                entry.line.ascent = toPoints(line.ascent());
                int end = line.textStart() + line.textLength();
                // The paragraph's end belongs to its last line.
                if (end >= block.length() - 1)
                    end = block.length();
                entry.line.characters = {block.position() + line.textStart(), end - line.textStart()};
                m_placed[current].push_back(entry);
                y = answer.y() + height + lineSpacing;
                placed = true;
                break;
            }
            if (!placed)
                break;
            ++lineNumber;
        }
        layout->endLayout();
        y += format.bottomMargin();
    }
}

CCBlockLayoutManager::Range CCBlockLayoutManager::glyphRangeForTextContainer(const CCTextExtContainer *container)
{
    if (!m_valid)
        ensureLayout();
    int location = 0;
    for (std::size_t i = 0; i < m_containers.size(); ++i) {
        const std::vector<Placed> &lines = m_placed[i];
        Range range {location, 0};
        if (!lines.empty())
            range = {lines.front().line.characters.location,
                     lines.back().line.characters.end() - lines.front().line.characters.location};
        if (m_containers[i] == container) {
            const int length = textLength();
            range.location = std::min(range.location, length);
            range.length = std::max(0, std::min(range.end(), length) - range.location);
            return range;
        }
        location = range.end();
    }
    return {};
}

std::vector<CCBlockLayoutManager::Line> CCBlockLayoutManager::linesForTextContainer(const CCTextExtContainer *container)
{
    if (!m_valid)
        ensureLayout();
    std::vector<Line> lines;
    for (std::size_t i = 0; i < m_containers.size(); ++i) {
        if (m_containers[i] != container)
            continue;
        for (const Placed &placed : m_placed[i])
            lines.push_back(placed.line);
    }
    return lines;
}

QRectF CCBlockLayoutManager::boundingRectForTextContainer(const CCTextExtContainer *container)
{
    QRectF bounds;
    if (!m_valid)
        ensureLayout();
    for (std::size_t i = 0; i < m_containers.size(); ++i) {
        if (m_containers[i] != container)
            continue;
        for (const Placed &placed : m_placed[i]) {
            const QTextLine line = m_paragraphs[placed.paragraph]->lineAt(placed.lineNumber);
            bounds |= QRectF(toPoints(line.position().x()), toPoints(line.position().y()),
                             toPoints(line.naturalTextWidth()), toPoints(line.height()));
        }
    }
    return bounds;
}

int CCBlockLayoutManager::characterIndexForPoint(const CCTextExtContainer *container, QPointF point)
{
    if (!m_valid)
        ensureLayout();
    int index = -1;
    for (std::size_t i = 0; i < m_containers.size(); ++i) {
        if (m_containers[i] != container)
            continue;
        for (const Placed &placed : m_placed[i]) {
            const QTextLine line = m_paragraphs[placed.paragraph]->lineAt(placed.lineNumber);
            // The line under the point, or the last one above it when the point lies below all.
            if (index >= 0 && toUnits(point.y()) < line.position().y())
                break;
            const int inParagraph = line.xToCursor(toUnits(point.x()));
            index = placed.line.characters.location + (inParagraph - line.textStart());
        }
    }
    return index < 0 ? glyphRangeForTextContainer(container).location : index;
}

void CCBlockLayoutManager::drawGlyphsForTextContainer(const CCTextExtContainer *container, QPainter *painter,
                                                      QPointF origin)
{
    if (!painter)
        return;
    if (!m_valid)
        ensureLayout();
    for (std::size_t i = 0; i < m_containers.size(); ++i) {
        if (m_containers[i] != container)
            continue;
        for (const Placed &placed : m_placed[i]) {
            const QTextLine line = m_paragraphs[placed.paragraph]->lineAt(placed.lineNumber);
            painter->save();
            painter->translate(origin);
            painter->scale(1.0 / textruns::kLayoutScale, 1.0 / textruns::kLayoutScale);
            line.draw(painter, QPointF());
            painter->restore();
        }
    }
}
