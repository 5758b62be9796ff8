#include "app/pictures/CLinkTextView.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

CLinkTextView::CLinkTextView(QWidget *parent)
    : QTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    setFrameShape(QFrame::NoFrame);
    // A long address stays on one line: the strip shows its start.
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    setPalette(palette);
    viewport()->setMouseTracking(true);
    document()->setDocumentMargin(2);
}

void CLinkTextView::setLink(const QString &address)
{
    QTextDocument *text = document();
    QTextCursor cursor(text);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    QTextCharFormat format;
    format.setAnchor(true);
    format.setAnchorHref(address);
    format.setForeground(QColor(0, 0, 238));
    format.setFontUnderline(true);
    cursor.insertText(address, format);
    cursor.endEditBlock();
    horizontalScrollBar()->setValue(0);
}

QString CLinkTextView::linkTarget() const
{
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor())
                return format.anchorHref();
        }
    }
    return QString();
}

QRect CLinkTextView::linkCursorRect() const
{
    if (document()->isEmpty())
        return QRect();
    const QSizeF size = document()->documentLayout()->documentSize();
    const qreal margin = document()->documentMargin();
    QRectF text(margin, margin, size.width() - 2 * margin, size.height() - 2 * margin);
    text.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    return text.toAlignedRect().intersected(viewport()->rect());
}

QSize CLinkTextView::sizeHint() const
{
    const int line = fontMetrics().height() + 2 * int(document()->documentMargin()) + 2;
    return QSize(200, line);
}

QSize CLinkTextView::minimumSizeHint() const
{
    return QSize(20, sizeHint().height());
}

void CLinkTextView::mouseMoveEvent(QMouseEvent *event)
{
    viewport()->setCursor(linkCursorRect().contains(event->position().toPoint()) ? Qt::PointingHandCursor
                                                                                 : Qt::ArrowCursor);
    QTextEdit::mouseMoveEvent(event);
}

void CLinkTextView::mousePressEvent(QMouseEvent *event)
{
    m_pressedAnchor = event->button() == Qt::LeftButton ? anchorAt(event->position().toPoint()) : QString();
    m_pressedAt = event->position().toPoint();
    QTextEdit::mousePressEvent(event);
}

void CLinkTextView::mouseReleaseEvent(QMouseEvent *event)
{
    QTextEdit::mouseReleaseEvent(event);
    const QString anchor = event->button() == Qt::LeftButton ? anchorAt(event->position().toPoint()) : QString();
    const QString pressed = m_pressedAnchor;
    m_pressedAnchor.clear();
    // A drag that selects part of the address is no click.
    const bool moved = (event->position().toPoint() - m_pressedAt).manhattanLength() >= QApplication::startDragDistance();
    if (!anchor.isEmpty() && anchor == pressed && !moved)
        Q_EMIT linkClicked(QUrl(anchor, QUrl::StrictMode));
}

void CLinkTextView::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !linkTarget().isEmpty()) {
        Q_EMIT linkClicked(QUrl(linkTarget(), QUrl::StrictMode));
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}
