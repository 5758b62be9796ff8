#pragma once

#include <QTextEdit>
#include <QUrl>

// The one-line, read-only text of the internet strip. The pointing hand shows over the laid-out
// text (as far as it is visible); a click on the link, or Return while the view has the focus,
// sends linkClicked with its target.
class CLinkTextView : public QTextEdit
{
    Q_OBJECT

public:
    explicit CLinkTextView(QWidget *parent = nullptr);

    // Replaces the whole text by one link to address whose text is the address itself. The
    // address never passes through markup, so whatever characters it holds show as they are.
    void setLink(const QString &address);
    QString linkTarget() const;
    // The part of the view (viewport coordinates) the pointing hand covers.
    QRect linkCursorRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void linkClicked(const QUrl &url);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_pressedAnchor;
    QPoint m_pressedAt;
};
