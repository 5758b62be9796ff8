#pragma once

#include "app/pictures/CCMaskCell.h"

#include <QWidget>

#include <functional>
#include <memory>

class PWImage;
class QMimeData;

// The mask well: a mask of the user's own, dropped on it (a picture of the picture panes by its
// image name, or any picture a drag carries) or set by the inspector's open panel. The mask it
// keeps (converted for use as a mask) and the picture it shows are set apart, as the drop and the
// inspector's selection each need. A click, Space, or an accepted drop sends action().
//
// An SVG is drawn in a child process (PWBitmapReader), which a loaded machine may keep for a minute
// or more: one dropped or offered is drawn off the window's thread, the well showing a busy cursor
// and its former picture meanwhile, and is kept when the drawing arrives (maskDrawn; a drop's
// action() then). The window answers all the while; a later drop supersedes a drawing under way.
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

    // A drop of data on the well: answers whether a new mask was kept, or is being drawn (an SVG,
    // kept when maskDrawn tells of it). A picture of the internet not yet downloaded is refused
    // without any change; data that make no picture keep the mask.
    bool concludeDragOperation(const QMimeData &data);
    // Whether an SVG dropped on the well is being drawn.
    bool isDrawing() const { return m_drawing > 0; }
    // The picture a drag carries (PDF, TIFF, PNG, a bitmap or a local picture file), or null.
    static std::shared_ptr<PWImage> imageFromMimeData(const QMimeData &data);

    QSize sizeHint() const override;

Q_SIGNALS:
    void action();
    // An SVG drawn apart arrived: kept as the mask (and shown) unless it made no picture.
    void maskDrawn(bool kept);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    enum class Drop { Refused, Kept, Drawing };
    Drop conclude(const QMimeData &data, bool dropped);
    std::shared_ptr<PWImage> maskForName(const QString &name) const;
    // Reads the mask on a worker; the well keeps it when it arrives, unless a later drop came.
    void drawApart(std::function<std::shared_ptr<PWImage>()> read, bool dropped);
    void keep(const std::shared_ptr<PWImage> &mask);

    CCMaskCell m_cell;
    std::shared_ptr<PWImage> _maskImage;
    bool m_pressed = false;
    int m_drawing = 0;    // drawings under way
    quint64 m_latest = 0; // the drawing whose mask is kept
};
