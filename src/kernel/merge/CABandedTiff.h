#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

// A bitmap written as TIFF without ever holding all its pixels: it is painted a band of rows at a
// time, and each band's rows are compressed into the file before the next band is painted. What
// the file holds is what FTImageArchive::tiffData writes for the whole bitmap: LZW with the
// horizontal predictor, RGB, with an unassociated alpha sample only when some pixel is not opaque.
class CABandedTiff
{
public:
    // Rows of a band when none is asked for: about 32 MB of pixels, at least one row.
    static int defaultBandRows(int width);

    // Paints the rows from top of the bitmap into band (ARGB32 premultiplied, as wide as the
    // bitmap, cleared to transparent, with as many rows as are left or the band's height);
    // false stops the writing.
    using PaintBand = std::function<bool(QImage &band, int top)>;

    // width x height pixels at dotsPerInch; bandRows 0 for the default. opaqueLikely says which
    // layout to try first: should a transparent pixel turn up in a file without alpha (or none in
    // a file with it), the bitmap is painted again in the other. Empty on failure, with the reason.
    static QByteArray write(int width, int height, double dotsPerInch, int bandRows, bool opaqueLikely,
                            const PaintBand &paint, QString *error = nullptr);
};
