#pragma once

#include "platform/PWImageRep.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reads the bytes of a bitmap picture file (any format one of Qt's image readers recognizes)
// into a representation that keeps them. A picture of up to kMaxDrawnPixels is decoded here as
// it is; a larger one (a scan, a photo of many megapixels) is decoded apart (PWIsolatedCall),
// under the picture renderer's deadline and a memory limit, reduced to kMaxDrawnPixels, which is
// what drawing it at any size on a label needs. An SVG is always drawn apart, at its own size
// within kMaxDrawnPixels, from a copy that names nothing outside it (PWSvgPicture). A picture that does not decode (damaged, cut,
// or asking for more than the memory limit) becomes an unreadable representation with its
// bytes and the reason, drawn as a placeholder.
class PWBitmapReader
{
public:
    static constexpr qint64 kMaxDrawnPixels = qint64(24) * 1000 * 1000;

    // Nothing, with a reason, for bytes no image reader recognizes.
    static std::optional<PWImageRep> read(const QByteArray &bytes, QString *error = nullptr);
    // The pixels of an SVG, drawn in the calling process at its own size within kMaxDrawnPixels
    // from its copy that names nothing outside it: for a child started to draw it, never for the
    // program itself. Null, with a reason, when it does not draw.
    static QImage drawSvgHere(const QByteArray &bytes, QString *error = nullptr);
};
