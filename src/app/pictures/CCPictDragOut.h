#pragma once

#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>

class CFTComponent;
class PWImage;
class QMimeData;

// What a picture dragged out of a thumbnail catalogue carries, built apart from the mouse so
// that tests call it directly. A picture goes in its richest form (PDF, else EPS, else TIFF)
// with its name, by which a canvas of this application finds the very picture again; a file of
// the basic-shape folder named after a shape kind goes as that shape, archived in the design
// type, so that the design receives an editable shape.
namespace CCPictDragOut {

// The folder name that makes a picture a basic shape.
inline const QString kBasicShapesFolder = QStringLiteral("BasicShapes");

// The full picture behind a cell's reference: for an internet result the picture registered
// under it; for a "PREFIX_FILE" path the picture registered under it, else the file read whole
// and registered so; for a clip-art item the collection's full-size picture
// (CAEnvironment::loadFullSizedImage), never the thumbnail its cell registers under the bare
// reference. Null for a placeholder, an empty reference or a file that cannot be read.
std::shared_ptr<PWImage> fullPicture(const QString &reference);

// Whether some path component of the reference is the basic-shape folder.
bool isBasicShapeReference(const QString &reference);
// The basic shape a reference drags as: true when it lies in the basic-shape folder and its
// file name, without extension, names a shape kind. A file there named otherwise drags as the
// picture it shows.
bool dragsAsBasicShape(const QString &reference);

// PDF data when the picture has a PDF representation, else EPS data when it has an EPS one,
// else TIFF data of the picture drawn at its pixel size; and the picture's name as UTF-8 under
// the named-image type. Empty data for a null picture.
std::unique_ptr<QMimeData> mimeDataForPicture(const PWImage *picture);

// A shape component of the kind the file name gives, styled like defaultComponent when there is
// one, of the given size (points; at least one point each way) at the origin.
std::unique_ptr<CFTComponent> basicShapeComponent(const QString &fileName, const QSizeF &size,
                                                  CFTComponent *defaultComponent);
// The shape archived as a one-component design fragment (XML property list) under the design
// type, and its PDF rendering at 600 dpi; a type whose data could not be made is left out.
std::unique_ptr<QMimeData> mimeDataForBasicShape(CFTComponent *shape);

// What stands under the pointer during a drag: the cell's picture at half opacity, made without
// waiting for a rendering (the placeholder while a PDF or EPS picture has no raster yet).
QImage pictureDragImage(const PWImage *cellImage, const QSize &pixelSize);
// The shape drawn at full opacity at one screen pixel per point.
QImage basicShapeDragImage(CFTComponent *shape);
// Tells a drop where the drag's picture shows the dragged shape, relative to the pointer (screen
// pixels of the picture), so that the drop lays the shape's origin at the picture's top left.
void setDragImageFrame(QMimeData &data, const QRectF &frame);
// That frame for a shape's drag picture (basicShapeDragImage) held at hotSpot.
QRectF basicShapeDragFrame(const CFTComponent *shape, const QPoint &hotSpot);

} // namespace CCPictDragOut
