#pragma once

#include "kernel/render/CDDFieldEditor.h"

#include <QGraphicsTextItem>

// The one field editor of a canvas: a text item laid over the edited text, turned with it,
// editing that text's own document. It never owns the document it edits. Escape and Return end
// the edit (Shift-Return breaks the line of a free text); Tab and Backtab end it with the
// direction of the next field.
class CACanvasTextEditor : public QGraphicsTextItem, public CDDFieldEditor
{
    Q_OBJECT
public:
    // The movements an ended edit carries.
    enum Movement { NoMovement = 0, TabMovement = 0x11, BacktabMovement = 0x12 };

    CACanvasTextEditor();

    void setAddressFieldEditor(bool on) { m_addressMode = on; }
    bool isAddressFieldEditor() const { return m_addressMode; }
    // Edits the document (not owned) within the frame, turned by the angle in degrees.
    void attach(QTextDocument *document, const QRectF &frame, double rotation);
    void align(const QRectF &frame, double rotation);
    // Commits an open composition and lets go of the document.
    void detach();
    bool isAttached() const { return m_attached; }
    // The caret goes where a click at the point (item coordinates) puts it.
    void placeCaretAt(const QPointF &point);

    bool hasSelectedText() const override;
    void selectAllText() override;
    bool hasMarkedText() const override;
    QTextCharFormat typingFormat() const override;

Q_SIGNALS:
    void endEditingRequested(int movement);
    // An input method began, changed or ended a composition.
    void compositionChanged();

protected:
    bool sceneEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    QTextDocument *m_placeholder;
    QString m_preedit;
    bool m_addressMode = false;
    bool m_attached = false;
    // The edited document's layout width when the editor took it.
    QSizeF m_foundPageSize;
};
