#pragma once

#include <QImage>
#include <QObject>
#include <QRectF>
#include <QSizeF>

#include <optional>

// The calls the image editor makes on an outside image-filter plug-in (a Qt plug-in whose root
// object offers this interface). Only Qt Core and Gui types cross, so a plug-in needs nothing of
// ours to be built.
//
// Rectangles and sizes are in the image's own units (its size in points), origin at its
// lower-left corner, y upwards. The image handed over carries a device pixel ratio such that its
// deviceIndependentSize() is that size in points; an output image is read the same way.
class ICoreImageFilter
{
public:
    virtual ~ICoreImageFilter() = default;

    // The plug-in's dialog over the image, with the picture's size on the design; answers
    // whether the user accepted. A plug-in without this form answers nothing, and the editor
    // uses the three-argument form instead.
    virtual std::optional<bool> CIFShowDialogUseSelectionWithRectSourceSize(const QImage &image, bool useSelection,
                                                                            const QRectF &rect,
                                                                            const QSizeF &sourceSize)
    {
        Q_UNUSED(image);
        Q_UNUSED(useSelection);
        Q_UNUSED(rect);
        Q_UNUSED(sourceSize);
        return std::nullopt;
    }
    virtual bool CIFShowDialogUseSelectionWithRect(const QImage &image, bool useSelection, const QRectF &rect) = 0;
    virtual QRectF CIFSelectionRect() const = 0;
    virtual bool CIFIsSelected() const = 0;
    // A null image when the plug-in made none.
    virtual QImage CIFOutputImage() const = 0;
};

#define ICoreImageFilter_iid "org.parcelwick.ICoreImageFilter/1.0"
Q_DECLARE_INTERFACE(ICoreImageFilter, ICoreImageFilter_iid)
