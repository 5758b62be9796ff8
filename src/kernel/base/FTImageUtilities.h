#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class PWImage;

// Picture helpers of the kernel: masks made from grey pictures, the "hpi" clip-art container
// (a colour picture and its grey mask in one file) and JPEG export of a picture fitted to a box.

// Turns a grey picture into a mask in place: when the first representation is an 8-bit bitmap
// without alpha, it is replaced by a bitmap of the same pixels, each black with the source
// pixel's first sample (grey level, or red of a colour picture) as its opacity. Any other
// picture is left as it is.
void convertMaskImage(PWImage *image);

// The two picture blocks of an "hpi" container, as views into the container's bytes (which
// must outlive them). The layout: the signature 0x89 'H' 'P' 'I' 0x0D 0x0A 0x1A 0x0A, four bytes
// not read, then unsigned 32-bit little-endian offset and length of the colour picture and
// offset and length of the mask picture, each block a complete picture file.
struct FTHpiBlocks
{
    QByteArrayView colour;
    // Empty when the header's mask block is empty or does not lie inside the file.
    QByteArrayView mask;
};
// Nothing, with a reason, for a wrong signature, a short header or a colour block that is empty
// or does not lie inside the file (checked in 64-bit arithmetic).
std::optional<FTHpiBlocks> parseHpiContainer(QByteArrayView bytes, QString *error = nullptr);

// The picture of an "hpi" file: the colour picture made transparent by its mask, at the mask's
// size. The colour picture alone when the mask is missing or undecodable; null when the file
// cannot be read, is no "hpi" container or its colour picture cannot be decoded.
std::shared_ptr<PWImage> loadHemeraImage(const QString &path);

// The pixel size convertImageToJPEGData renders at: the picture's size, or, when both limits
// are non-zero, the box side with the larger excess over the picture and the other side in the
// picture's proportions (enlarging as well as reducing). Empty for a picture without size.
QSize jpegTargetSize(double width, double height, std::uint32_t maxWidth, std::uint32_t maxHeight);
// The picture drawn over opaque white into a bitmap of jpegTargetSize and encoded as JPEG at
// quality 90. Empty when no such bitmap can be made.
QByteArray convertImageToJPEGData(const PWImage *image, std::uint32_t maxWidth, std::uint32_t maxHeight);
