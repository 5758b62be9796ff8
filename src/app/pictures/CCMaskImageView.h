#pragma once

#include "app/pictures/CCMaskCell.h"

#include <QWidget>

#include <memory>

class PWImage;
class QMimeData;

// The mask well: a mask of the user's own, dropped on it (a picture of the picture panes by its
// image name, or any picture a drag carries) or set by the inspector's open panel. The mask it
// keeps (converted for use as a mask) and the picture it shows are set apart, as the drop and the
// inspector's selection each need. A click, Space, or an accepted drop sends action().
class CCMaskImageView : public QWidget
{
    Q_OBJECT

public:
    static inline const QString kMaskPrefix = QStringLiteral("PREFIX_MASK");

    explicit CCMaskImageView(QWidget *parent = nullptr);

    std::shared_ptr<PWImage> maskImage() const { return _maskImage; }
    // Keeps a converted copy of image as the mask; the picture shown does not change.
    void setMaskImage(const std::shared_ptr<PWImage> &image);
    std::shared_ptr<PWImage> image() const { return m_cell.image(); }
    void setImage(const std::shared_ptr<PWImage> &image);
    bool state() const { return m_cell.state(); }
    // Null turns the well off, keeping its mask and picture; another image is kept as it is
    // (not copied) and shown, and turns it on. Answers the new state.
    bool selectCellByImage(const std::shared_ptr<PWImage> &image);

    // A drop of data on the well: answers whether a new mask was kept. A picture of the internet
    // not yet downloaded is refused without any change; data that make no picture keep the mask.
    bool concludeDragOperation(const QMimeData &data);
    // The picture a drag carries (PDF, TIFF, PNG, a bitmap or a local picture file), or null.
    static std::shared_ptr<PWImage> imageFromMimeData(const QMimeData &data);

    QSize sizeHint() const override;

Q_SIGNALS:
    void action();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::shared_ptr<PWImage> maskForName(const QString &name) const;

    CCMaskCell m_cell;
    std::shared_ptr<PWImage> _maskImage;
    bool m_pressed = false;
};
