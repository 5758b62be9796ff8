#include "kernel/text/CDDTextBlock.h"

#include "kernel/base/CDDColor.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/render/CDDDrawerSupport.h"
#include "kernel/base/CDDPen.h"
#include "kernel/text/CCTextExtContainer.h"
#include "kernel/text/CCTextView.h"
#include "platform/PWUndoManager.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextCursor>
#include <QTextDocument>

#include <numbers>

namespace {

void rotateAboutCentre(QPainter *painter, const QRectF &frame, double angle)
{
    if (angle == 0.0)
        return;
    const QPointF centre = frame.center();
    painter->translate(centre);
    painter->rotate(angle * 180.0 / std::numbers::pi);
    painter->translate(-centre);
}

} // namespace

CDDTextBlock::CDDTextBlock() = default;

CDDTextBlock::CDDTextBlock(double width, double height)
    : m_defWidth(float(width))
    , m_defHeight(float(height))
{
}

CDDTextBlock::~CDDTextBlock()
{
    QObject::disconnect(m_storageConnection);
    if (PWUndoManager *undo = m_editor ? m_editor->undoManager() : nullptr)
        undo->removeAllActionsWithTarget(this);
    // The container leaves the chain with its block; the layout (and the storage) goes with the
    // last block that holds it.
    if (m_manager && m_container)
        m_manager->removeTextContainer(m_container.get());
}

void CDDTextBlock::connectStorage()
{
    QObject::disconnect(m_storageConnection);
    if (PWUndoManager *undo = m_editor ? m_editor->undoManager() : nullptr)
        undo->removeAllActionsWithTarget(this);
    if (!m_manager)
        return;
    m_storageConnection = QObject::connect(m_manager->textStorage(), &QTextDocument::contentsChange,
                                           m_manager->textStorage(), [this](int position, int removed, int added) {
                                               if (m_delegateActive && m_editing)
                                                   textDidProcessEditing(position, removed, added);
                                           });
}

void CDDTextBlock::setLayoutManager(std::shared_ptr<CCBlockLayoutManager> manager, int front)
{
    if (m_manager && m_container)
        m_manager->removeTextContainer(m_container.get());
    if (!manager) {
        manager = std::make_shared<CCBlockLayoutManager>();
        manager->setHyphenationFactor(0.0);
    }
    m_manager = std::move(manager);
    if (!m_container)
        m_container = std::make_unique<CCTextExtContainer>(QSizeF(m_defWidth, m_defHeight));
    SetInsetOffset(0.0);
    m_manager->addTextContainer(m_container.get(), front != 0);
    connectStorage();
}

void CDDTextBlock::replaceLayoutManager(std::shared_ptr<CCBlockLayoutManager> manager)
{
    if (manager)
        m_manager = std::move(manager);
}

QTextDocument *CDDTextBlock::getContents() const
{
    return m_manager ? m_manager->textStorage() : nullptr;
}

std::optional<PWAttributedString> CDDTextBlock::getAttributedString() const
{
    if (!getContents())
        return std::nullopt;
    return PWAttributedString::fromDocument(getContents());
}

PWAttributedString CDDTextBlock::getContainerText() const
{
    const std::optional<PWAttributedString> whole = getAttributedString();
    if (!whole)
        return {};
    const CCBlockLayoutManager::Range range = getContainerRange();
    PWAttributedString part;
    for (const PWAttributedString::Run &run : whole->runs()) {
        const qsizetype start = std::max<qsizetype>(run.start, range.location);
        const qsizetype end = std::min<qsizetype>(run.start + run.length, range.end());
        if (end > start)
            part.append(whole->string().mid(start, end - start), run.charFormat, run.blockFormat);
    }
    return part;
}

CCBlockLayoutManager::Range CDDTextBlock::getContainerRange() const
{
    return m_manager && m_container ? m_manager->glyphRangeForTextContainer(m_container.get())
                                    : CCBlockLayoutManager::Range {};
}

void CDDTextBlock::setString(const QString &text, const QTextCharFormat *attributes)
{
    QTextDocument *storage = getContents();
    if (!storage || storage->toPlainText() == text)
        return;
    const PWAttributedString replacement(text, attributes ? *attributes : QTextCharFormat());
    if (m_editing) {
        CCTextView *editor = getEditor();
        const CCBlockLayoutManager::Range range = getContainerRange();
        editor->selectRange({range.location, range.length});
        editor->insertText(replacement);
        const CCBlockLayoutManager::Range after = getContainerRange();
        editor->selectRange({after.location, after.length});
        return;
    }
    replacement.writeTo(storage);
}

void CDDTextBlock::setAttributedString(const PWAttributedString &text)
{
    QTextDocument *storage = getContents();
    if (!storage)
        return;
    if (m_editing) {
        CCTextView *editor = getEditor();
        editor->selectRange({0, CCTextStorage::length(storage)});
        editor->insertText(text);
        if (!text.isEmpty())
            editor->selectRange({0, CCTextStorage::length(storage)});
        return;
    }
    text.writeTo(storage);
}

bool CDDTextBlock::isEmpty() const
{
    return getContainerRange().length == 0;
}

int CDDTextBlock::getContainerTextLength() const
{
    return getContainerRange().end();
}

QRectF CDDTextBlock::textArea(double inset, double x, double y, double width, double height, bool always)
{
    if (inset > 0.0 || always) {
        if (y + inset < y + height - 2.0 * inset)
            return {x, y + inset, width, height - 2.0 * inset};
        return {x, y + height / 2.0, width, height / 2.0};
    }
    return {x, y, width, height};
}

void CDDTextBlock::invalidateLayout(const CFTComponentsInterface *components, double x, double y, double width,
                                    double height, double angle)
{
    if (!m_container || !m_manager)
        return;
    m_container->setFTComponentsInterface(components);
    m_container->willProcessTextLayout();
    const QRectF area = textArea(m_inset, x, y, width, height, false);
    m_container->setContainerSize(area.size());
    m_container->setOriginX(area.x());
    m_container->setOriginY(area.y());
    m_container->setAngle(angle);
    m_manager->textContainerChangedGeometry(m_container.get());
}

bool CDDTextBlock::showsOverflow() const
{
    if (!m_manager || !m_container || m_manager->textContainers().empty())
        return false;
    return getContainerRange().end() < m_manager->textLength()
           && m_manager->textContainers().back() == m_container.get();
}

void CDDTextBlock::draw(double x, double y, double width, double height, bool showFrame, bool fill,
                        const CDDColor *backColor, textAlignment, CDDDrawer *drawer, double angle,
                        const CDDColor *frameColor, const CDDPen *pen)
{
    QPainter *painter = drawer ? drawer->GetPainter() : nullptr;
    if (!painter)
        return;
    const QRectF frame(x, y, width, height);
    double sx = x, sy = y, sw = width, sh = height;
    drawer->SnapRect(&sx, &sy, &sw, &sh);
    const QRectF snapped(sx, sy, sw, sh);
    const double hairline = 1.0 / std::max(drawer->GetResolution(), 1e-6);
    const bool filling = fill && backColor;
    if (filling || frameColor) {
        painter->save();
        rotateAboutCentre(painter, frame, angle);
        if (filling)
            painter->fillRect(snapped, backColor->toQColor());
        if (frameColor && pen) {
            painter->setPen(QPen(frameColor->toQColor(), pen->GetWidth()));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(snapped);
        }
        painter->restore();
    }
    const auto drawText = [&] {
        if (!getContents() || CCTextStorage::length(getContents()) == 0 || !m_manager || isEmpty())
            return;
        const QRectF area = textArea(m_inset, x, y, width, height, false);
        painter->save();
        rotateAboutCentre(painter, frame, angle);
        m_manager->drawGlyphsForTextContainer(m_container.get(), painter, area.topLeft());
        painter->restore();
    };
    if (m_editing && !frameColor) {
        // The editor has no window of its own: the text it edits is drawn here, inside the
        // editing frame.
        drawText();
        painter->save();
        rotateAboutCentre(painter, frame, angle);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(drawsupport::knobColor(), hairline));
        painter->drawRect(snapped);
        painter->setPen(QPen(Qt::lightGray, 0.0));
        painter->drawRect(snapped.adjusted(-hairline, -hairline, hairline, hairline));
        painter->restore();
        if (showsOverflow())
            drawer->DrawSpecialDot(x + width, y + 5.0 * height / 6.0, x + width / 2.0, y + height / 2.0, angle, 1);
        return;
    }
    drawText();
    if (showFrame && !frameColor && drawer->isOverrideDrawScreen()) {
        painter->save();
        rotateAboutCentre(painter, frame, angle);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(drawsupport::knobColor(), hairline));
        painter->drawRect(snapped);
        painter->restore();
    }
}

bool CDDTextBlock::hitPoint(double x, double y) const
{
    if (!m_manager || !getContents() || CCTextStorage::length(getContents()) == 0 || isEmpty())
        return false;
    return m_manager->boundingRectForTextContainer(m_container.get()).contains(QPointF(x, y));
}

CCTextView *CDDTextBlock::getEditor()
{
    if (!m_editor && m_manager)
        m_editor = std::make_unique<CCTextView>(m_manager->textStorage(), &m_manager->highlight());
    return m_editor.get();
}

bool CDDTextBlock::IsHaveSelect() const
{
    return m_editing && m_editor && m_editor->selectedRange().length > 0;
}

void CDDTextBlock::startEditing(double x, double y, double width, double height, double angle, bool first, bool last)
{
    if (m_editing || !m_manager)
        return;
    m_editing = true;
    CCTextView *editor = getEditor();
    m_container->setIsFirst(first);
    m_container->setIsLast(last);
    m_container->setTextView(editor);
    const QRectF area = textArea(m_inset, x, y, width, height, true);
    m_container->setContainerSize(area.size());
    m_editorFrame = area;
    editor->setFrame(area);
    setEditorAngle(angle, x, y, width, height);
}

void CDDTextBlock::endEditing()
{
    if (!m_editing)
        return;
    m_editing = false;
    if (m_manager)
        m_manager->highlight().setHighlightedDataField(0);
    if (m_editor) {
        // The next edit starts without a spelling check under way.
        m_editor->setSpellChecker(false);
        m_editor->selectRange({0, 0});
        m_editor->setFrameRotation(0.0);
    }
    m_container->setTextView(nullptr);
    m_editorRotation = 0.0;
}

void CDDTextBlock::setEditingOrigin(double x, double y)
{
    if (!m_editing)
        return;
    m_editorFrame.moveTo(x, y);
    if (m_editor)
        m_editor->setFrame(m_editorFrame);
}

void CDDTextBlock::setEditorAngle(double angle, double x, double y, double width, double height)
{
    if (!m_editing || angle == 0.0)
        return;
    double px = x;
    double py = y;
    rotatePoint(&px, &py, angle, x + width / 2.0, y + height / 2.0);
    m_editorFrame.moveTo(px, py + m_inset);
    m_editorRotation = angle * 180.0 / std::numbers::pi;
    if (m_editor) {
        m_editor->setFrame(m_editorFrame);
        m_editor->setFrameRotation(m_editorRotation);
    }
}

void CDDTextBlock::alignEditorFrame(double angle, double x, double y, double width, double height)
{
    if (!m_editing)
        return;
    const QRectF area = textArea(m_inset, x, y, width, height, true);
    m_editorFrame = area;
    m_container->setContainerSize(area.size());
    if (angle != 0.0 || m_editorRotation != 0.0) {
        double px = area.x();
        double py = area.y();
        rotatePoint(&px, &py, angle, area.center().x(), area.center().y());
        m_editorFrame.moveTo(px, py);
        m_editorRotation = angle * 180.0 / std::numbers::pi;
    }
    if (m_editor) {
        m_editor->setFrame(m_editorFrame);
        m_editor->setFrameRotation(m_editorRotation);
    }
}
