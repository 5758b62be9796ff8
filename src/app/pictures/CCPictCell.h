#pragma once

#include <QRectF>
#include <QString>

#include <memory>

class CCPictCatalog;
class CCPictImageResolver;
class PWImage;
class QFont;
class QPainter;
class QTextOption;

// One cell of the thumbnail catalogue: a textual image reference and a caption. The picture is
// resolved from the reference the first time the cell is drawn, never while the catalogue fills.
class CCPictCell
{
public:
    // Placement of the picture and the caption inside a cell's drawing rectangle, in points.
    static constexpr double kImageInset = 5.0;
    static constexpr double kCaptionHeight = 15.0;
    static constexpr double kCaptionIndent = 3.0;
    static constexpr double kCaptionFontSize = 10.0;

    CCPictCell() = default;

    // Empty for a cell that shows nothing.
    QString imageReference() const { return m_imageRef; }
    // Any call marks the cell unloaded; an empty reference also drops its picture.
    void setImageReference(const QString &reference);
    QString imageHint() const { return m_imageHint; }
    void setImageHint(const QString &hint) { m_imageHint = hint; }
    CCPictCatalog *parentCatalog() const { return m_parentCatalog; }
    void setParentCatalog(CCPictCatalog *catalog) { m_parentCatalog = catalog; }
    QString toolTip() const { return m_toolTip; }
    void setToolTip(const QString &toolTip) { m_toolTip = toolTip; }

    bool isImageLoaded() const { return m_isImageLoaded; }
    const std::shared_ptr<PWImage> &image() const { return m_image; }
    void setImage(std::shared_ptr<PWImage> image) { m_image = std::move(image); }
    // Gives the picture back (the registry does not keep it); the next drawing resolves it again.
    void unloadImage();
    // Neither a reference nor a picture: drawn as nothing.
    bool isEmpty() const { return m_imageRef.isEmpty() && !m_image; }
    // Empty reference, caption, picture and tool tip.
    void clear();

    // Where the picture goes inside the drawing rectangle r.
    static QRectF imageArea(const QRectF &r);
    // The caption's rectangle for a caption textWidth wide: centred when it fits, else starting
    // kCaptionIndent in (the drawing cuts it at the tail).
    static QRectF captionRect(const QRectF &r, double textWidth);
    static QFont captionFont();

    // Resolves the picture when the cell is unloaded, then draws plate, picture and caption into
    // the drawing rectangle r. Answers whether a picture was resolved by this call.
    bool drawInteriorWithFrame(QPainter &painter, const QRectF &r, CCPictImageResolver &resolver);

private:
    QString m_imageRef;
    QString m_imageHint;
    QString m_toolTip;
    CCPictCatalog *m_parentCatalog = nullptr;
    std::shared_ptr<PWImage> m_image;
    bool m_isImageLoaded = false;
};
