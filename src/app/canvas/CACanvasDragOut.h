#pragma once

#include <QImage>
#include <QPointF>

#include <memory>
#include <vector>

class CADocument;
class CFTComponent;
class QMimeData;

// What a drag of the selection out of the canvas carries: the objects archived as the design
// type, their PDF and TIFF renderings at print resolution for other programs, and the point the
// drag started from, so that a drop back onto a canvas can place them where they were grabbed.
class CACanvasDragOut
{
public:
    // The resolution of the dragged renderings, in dots per inch.
    static constexpr double kResolution = 600.0;

    // The types in this order: the design type, PDF, TIFF, the start x and y (window units,
    // "%f"). Empty data for a type that could not be made is left out rather than carried empty.
    static std::unique_ptr<QMimeData> mimeDataForComponents(const CADocument &document,
                                                            const std::vector<CFTComponent *> &components,
                                                            const QPointF &startInWindow);
    // The picture under the pointer: the objects at the canvas's scale (screen pixels per
    // point), never smaller than one pixel each way, so that a zero-width line still drags.
    static QImage dragImage(const CADocument &document, const std::vector<CFTComponent *> &components,
                            double scale);
};
