#pragma once

#include <QRectF>
#include <QString>

#include <memory>

class PWImage;
class QPainter;
class QPalette;

// A cell showing one mask: its picture scaled to fill the cell inside a grey bezel, and a focus
// ring around it while it is the chosen mask. The mask catalogue and the mask well both draw
// their masks with it.
class CCMaskCell
{
public:
    // How far the ring of the chosen mask lies outside the picture's rectangle, in points.
    static constexpr double kRingOutset = 2.0;
    static constexpr double kBezel = 2.0;

    const std::shared_ptr<PWImage> &image() const { return m_image; }
    void setImage(std::shared_ptr<PWImage> image) { m_image = std::move(image); }
    bool hasImage() const;
    // The mask's path relative to the mask folder (catalogue cells); empty in the well.
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QString toolTip() const { return m_toolTip; }
    void setToolTip(const QString &toolTip) { m_toolTip = toolTip; }
    bool state() const { return m_state; }
    void setState(bool on) { m_state = on; }

    // Where the picture goes inside a cell frame.
    static QRectF drawingRectForBounds(const QRectF &frame);
    // Whether a button released at point chooses the cell: inside its frame, and only a cell
    // showing a mask can be chosen.
    bool releaseChooses(const QPointF &point, const QRectF &frame) const;
    void drawInteriorWithFrame(QPainter &painter, const QRectF &frame, const QPalette &palette, bool focused) const;

private:
    std::shared_ptr<PWImage> m_image;
    QString m_name;
    QString m_toolTip;
    bool m_state = false;
};
