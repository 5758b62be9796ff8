#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>

class PWImage;

// The keyed-archive form in which documents hold images: a binary keyed archive whose root is
// an image object with its size ("NSSize", "{w, h}") and its representations ("NSReps", an
// array), each representation holding its bytes: "NSPDFRepresentation" (PDF bytes),
// "NSEPSRepresentation" (EPS bytes) or "NSTIFFRepresentation" (TIFF bytes of a bitmap).
namespace FTImageArchive {

// A PDF or EPS representation keeps its bytes; a bitmap becomes TIFF (CCITT Group 3 for a
// one-bit bitmap). Empty when the image has no representation that could be encoded.
QByteArray archivedData(const PWImage &image, QString *error = nullptr);
// Bounds-checked decoding; null, with a reason, for anything that is not such an archive or
// whose representations do not decode.
std::shared_ptr<PWImage> unarchiveImage(const QByteArray &bytes, QString *error = nullptr);

// TIFF bytes of a bitmap written through libtiff: one-bit bitmaps (Format_Mono, Format_MonoLSB)
// CCITT Group 3 compressed, every other bitmap as 8-bit RGBA with LZW. The resolution tag
// records dotsPerInch. Empty on failure.
QByteArray tiffData(const QImage &bitmap, double dotsPerInch = 72.0, QString *error = nullptr);

} // namespace FTImageArchive
