#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// SVG pictures as Qt's SVG code would read them, made safe to hand to it. Qt's reader opens the
// file an <image> names (any path the user can read, a pipe, a terminal) and a style sheet an
// "xml-stylesheet" instruction names, so an SVG never reaches it as it was stored: its XML is
// written anew with no reference outside it (an href that is no "data:" URI, nor on an element
// other than <image> a "#" reference within the document), no instruction, no DTD, and the SVGs
// embedded as data images made safe the same way. The bytes a design keeps stay as they were;
// the picture is drawn from the safe copy, apart (PWBitmapReader), never in this process.
class PWSvgPicture
{
public:
    // Pixels the embedded bitmaps of one picture may state in all; beyond it the picture is not drawn.
    static constexpr qint64 kMaxEmbeddedPixels = qint64(48) * 1000 * 1000;
    // The most bytes the XML of a compressed SVG may unpack to.
    static constexpr qint64 kMaxUnpackedBytes = qint64(64) * 1024 * 1024;

    // Whether Qt's readers take the bytes for an SVG (plain or compressed): its first bytes decide.
    static bool isSvg(QByteArrayView bytes);
    static bool isSvgFormat(const QByteArray &format) { return format == "svg" || format == "svgz"; }

    // The XML to draw, or nothing with a reason for XML that does not read, a compressed SVG that
    // does not unpack within kMaxUnpackedBytes, or embedded bitmaps over kMaxEmbeddedPixels.
    static std::optional<QByteArray> withoutExternalReferences(const QByteArray &svg, QString *error = nullptr);

    // In the child that draws it: a platform without a display and the fonts, so that its texts
    // are laid out. Once a process; the process ends after the drawing.
    static void prepareToDrawText();
};
