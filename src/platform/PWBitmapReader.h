#pragma once

#include "platform/PWImageRep.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

// Reads the bytes of a bitmap picture file (any format one of Qt's image readers recognizes)
// into a representation that keeps them. A small picture is decoded whole and kept so; a larger
// one is only tried, reduced, to know that it decodes, and each drawing decodes the part it shows
// at the scale it is drawn (PWBitmapDecodes). A picture of more than kMaxDrawnPixels (a scan, a
// photo of many megapixels) is decoded apart (PWIsolatedCall), under the picture renderer's
// deadline and a memory limit, never to more than kMaxDrawnPixels. An SVG is always drawn apart, at its own size
// within kMaxDrawnPixels, from a copy that names nothing outside it (PWSvgPicture). A picture that does not decode (damaged, cut,
// or asking for more than the memory limit) becomes an unreadable representation with its
// bytes and the reason, drawn as a placeholder.
class PWBitmapReader
{
public:
    static constexpr qint64 kMaxDrawnPixels = qint64(24) * 1000 * 1000;

    // Nothing, with a reason, for bytes no image reader recognizes.
    static std::optional<PWImageRep> read(const QByteArray &bytes, QString *error = nullptr);
    // The part clip of a bitmap's bytes (its whole where empty) decoded to the size scaled (its
    // own where empty), apart for a picture of more than kMaxDrawnPixels, in the colours every
    // output takes where asked (those decoded apart always are). Null, with a reason, when it does
    // not decode or there is not the memory for it.
    static QImage decodePart(const QByteArray &bytes, const QRect &clip, const QSize &scaled, bool apart,
                             bool outputColours, QString *error = nullptr);
    // The pixels of an SVG, drawn in the calling process at its own size within kMaxDrawnPixels
    // from its copy that names nothing outside it: for a child started to draw it, never for the
    // program itself. Null, with a reason, when it does not draw.
    static QImage drawSvgHere(const QByteArray &bytes, QString *error = nullptr);
};
