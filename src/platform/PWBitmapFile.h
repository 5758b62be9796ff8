#pragma once

#include <QByteArray>

#include <optional>

// What the file of a bitmap holds beside its pixels, read from its bytes without decoding them:
// the ICC profile a JPEG (APP2 "ICC_PROFILE" chunks, ICC.1 annex B.4) or a PNG (iCCP chunk, PNG
// 1.2 section 4.2.2.4) carries, and the structure of a JPEG (ITU T.81) that a TIFF can hold as it
// is (TIFF 6.0 section 22 as revised by TIFF Technical Note 2). Bounds-checked throughout.
namespace PWBitmapFile {

// The embedded ICC profile; empty when there is none or its chunks are incomplete or damaged.
QByteArray iccProfile(const QByteArray &bytes);

// A JPEG of one sequential Huffman-coded scan of 8-bit samples, grey or YCbCr with the colour
// subsampled at most as much across as down, split into what a JPEG-compressed TIFF holds: its
// tables, and the stream of its one strip. The entropy-coded data stay as they are.
struct BaselineJpeg
{
    int width = 0;
    int height = 0;
    int components = 0; // 1 (grey) or 3 (YCbCr)
    int horizontalSampling = 1; // of the brightness against the colour
    int verticalSampling = 1;
    // SOI, the quantization and Huffman tables, EOI.
    QByteArray tables;
    // SOI, frame, restart interval, scan header, entropy-coded data, EOI: no application data,
    // comments or tables.
    QByteArray stream;
};

// Nothing for bytes that are no such JPEG: progressive, arithmetic-coded, lossless or 12-bit
// files, CMYK and Adobe RGB transforms, several scans, a height left to a DNL marker.
std::optional<BaselineJpeg> baselineJpeg(const QByteArray &bytes);

} // namespace PWBitmapFile
