#pragma once

#include <QImage>
#include <QWidget>

// The trash of the custom address-format editor: it takes fields dragged out of the layout grid
// with a move, which tells the grid to remove the field; the view itself removes nothing. It
// darkens while a field is over it.
class CATrashImageView : public QWidget
{
    Q_OBJECT
public:
    explicit CATrashImageView(QWidget *parent = nullptr);

    bool isDragOver() const { return m_isDragOver; }
    // The picture drawn now.
    QImage currentImage() const;
    const QImage &highlightTrashImage() const { return m_highlightTrashImage; }
    // The trash darkened over its opaque pixels only.
    static QImage makeHighlight(const QImage &trash);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void setDragOver(bool over);

    bool m_isDragOver = false;
    QImage m_highlightTrashImage;
};
