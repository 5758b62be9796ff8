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

// A PDF or EPS representation keeps its bytes. A bitmap is stored as TIFF: the bytes it was
// read from when they are TIFF or do not decode at all (they are the user's, kept as they are),
// a JPEG's compressed data as they are (jpegTiffData; the JPEG file itself where no TIFF holds
// them: progressive, CMYK and other kinds), else its pixels written by tiffData with its file's
// profile and both its resolutions. Empty when the image has no representation that could be
// encoded.
QByteArray archivedData(const PWImage &image, QString *error = nullptr);
// Bounds-checked decoding; null, with a reason, for anything that is not such an archive or
// whose representations do not decode.
std::shared_ptr<PWImage> unarchiveImage(const QByteArray &bytes, QString *error = nullptr);

struct TiffOptions
{
    double dotsPerInchX = 72.0;
    double dotsPerInchY = 72.0;
    // The profile the bitmap's file carried, written as it is: Qt reads only some profiles into
    // a colour space (and none for grey pixels). Empty: the bitmap's own colour space, if any.
    QByteArray iccProfile;
};

// TIFF bytes of a bitmap written through libtiff: a black-and-white one-bit bitmap CCITT Group 3
// compressed; a grey bitmap with one sample a pixel, a colour one with three, and four where
// some pixel is not opaque (unassociated alpha); 16 bits a sample for a bitmap of 16, else 8;
// LZW with the horizontal predictor, or JPEG for an opaque 8-bit photo. The resolution tags
// record the dots per inch, and a colour space other than sRGB goes with the pixels as their
// ICC profile. Empty on failure.
QByteArray tiffData(const QImage &bitmap, const TiffOptions &options, QString *error = nullptr);
QByteArray tiffData(const QImage &bitmap, double dotsPerInch = 72.0, QString *error = nullptr);
// TIFF bytes that hold a JPEG's own compressed data, one strip behind its tables (TIFF Technical
// Note 2), with the options' resolution and profile: the photo stored without a second generation
// of loss. Empty for a JPEG no such TIFF holds as it is (PWBitmapFile::baselineJpeg).
QByteArray jpegTiffData(const QByteArray &jpeg, const TiffOptions &options, QString *error = nullptr);

} // namespace FTImageArchive
