#include "app/canvas/CACanvasTextEditor.h"

#include "kernel/render/CDDTextRuns.h"
#include "kernel/text/CFTACapitalsTyping.h"

#include <QAbstractTextDocumentLayout>
#include <QGraphicsScene>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPaintDevice>
#include <QTextCursor>
#include <QTextDocument>

CACanvasTextEditor::CACanvasTextEditor()
    : m_placeholder(new QTextDocument(this))
{
    setTextInteractionFlags(Qt::TextEditorInteraction);
    setDocument(m_placeholder);
    setVisible(false);
    setZValue(10);
}

void CACanvasTextEditor::attach(QTextDocument *document, const QRectF &frame, double rotation)
{
    m_attached = true;
    m_preedit.clear();
    m_foundPageSize = document ? document->pageSize() : QSizeF();
    setDocument(document);
    align(frame, rotation);
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    setVisible(true);
    setFocus();
}

void CACanvasTextEditor::align(const QRectF &frame, double rotation)
{
    prepareGeometryChange();
    setPos(frame.topLeft());
    // A text laid out finer than in points (its layout's device has more than 72 dots per inch)
    // is shown scaled down to the page, as the canvas draws it.
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    const QPaintDevice *device = layout ? layout->paintDevice() : nullptr;
    const double units = device && device->logicalDpiX() > 72 ? device->logicalDpiX() / 72.0 : 1.0;
    setScale(1.0 / units);
    setTextWidth(frame.width() * units);
    // A width alone leaves the page's height open, and Qt lays out a text taller than its open
    // page at a crawl: the editor keeps the tallest page the layout's positions can hold.
    document()->setPageSize(QSizeF(frame.width() * units, textruns::kLayoutPageHeight));
    // The caret stays a point wide on the page, not a unit of the finer layout.
    if (layout)
        layout->setProperty("cursorWidth", qMax(1, qRound(units)));
    setRotation(rotation);
}

void CACanvasTextEditor::detach()
{
    if (!m_attached)
        return;
    // What the input method was composing is kept, as the user saw it typed.
    if (!m_preedit.isEmpty()) {
        QInputMethodEvent commit;
        commit.setCommitString(m_preedit);
        QGraphicsTextItem::inputMethodEvent(&commit);
        m_preedit.clear();
    }
    m_attached = false;
    clearFocus();
    setVisible(false);
    // The editor's widths (a composition's widest of all among them) are its own: the text is
    // left laid out as it was found.
    if (QTextDocument *edited = document(); edited && edited != m_placeholder)
        edited->setPageSize(m_foundPageSize);
    setDocument(m_placeholder);
}

void CACanvasTextEditor::placeCaretAt(const QPointF &point)
{
    if (!m_attached || !document()->documentLayout())
        return;
    const int position = document()->documentLayout()->hitTest(point, Qt::FuzzyHit);
    if (position < 0)
        return;
    QTextCursor cursor = textCursor();
    cursor.setPosition(position);
    setTextCursor(cursor);
}

bool CACanvasTextEditor::hasSelectedText() const
{
    return m_attached && textCursor().hasSelection();
}

void CACanvasTextEditor::selectAllText()
{
    if (!m_attached)
        return;
    QTextCursor cursor = textCursor();
    // Moving a cursor forgets the style it was given to type in: an empty text has nothing to
    // select and keeps typing in the style it was given.
    const QTextCharFormat typing = cursor.charFormat();
    cursor.select(QTextCursor::Document);
    if (!cursor.hasSelection())
        cursor.setCharFormat(typing);
    setTextCursor(cursor);
}

QTextCharFormat CACanvasTextEditor::typingFormat() const
{
    return textCursor().charFormat();
}

bool CACanvasTextEditor::hasMarkedText() const
{
    return m_attached && !m_preedit.isEmpty();
}

void CACanvasTextEditor::inputMethodEvent(QInputMethodEvent *event)
{
    m_preedit = event->commitString().isEmpty() ? event->preeditString() : QString();
    QGraphicsTextItem::inputMethodEvent(event);
    if (m_attached)
        Q_EMIT compositionChanged();
}

bool CACanvasTextEditor::sceneEvent(QEvent *event)
{
    // The text item hands Tab and Backtab straight to its text control, which would type them.
    if (event->type() == QEvent::KeyPress && m_attached) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    const bool handled = QGraphicsTextItem::sceneEvent(event);
    // What came in shows in capitals before the screen is drawn again, where the text shows them.
    if (m_attached)
        if (auto *typing = document()->findChild<CFTACapitalsTyping *>(QString(), Qt::FindDirectChildrenOnly))
            typing->showTypedInCapitals();
    return handled;
}

void CACanvasTextEditor::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT endEditingRequested(NoMovement);
        return;
    }
    const bool enter = event->key() == Qt::Key_Enter || event->key() == Qt::Key_Return;
    // Shift-Return still breaks the line of a free text, so that a text of several lines can be typed.
    if (enter && (m_addressMode || !(event->modifiers() & Qt::ShiftModifier))) {
        Q_EMIT endEditingRequested(NoMovement);
        return;
    }
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        Q_EMIT endEditingRequested(back ? BacktabMovement : TabMovement);
        return;
    }
    QGraphicsTextItem::keyPressEvent(event);
}
