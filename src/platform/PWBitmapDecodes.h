#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <functional>

// The pixels of bitmap pictures decoded at the scale they are drawn at: the part of a picture a
// drawing shows, decoded no finer than the device pixels it covers (a photo of many megapixels on
// a small label takes the label's pixels, not the photo's). Each decoding is kept by picture, part
// and size, so that the copies of a print for many persons or a sheet of one picture decode it
// once; what is kept stays within kHeldBytes, the longest unused going first, and what a job
// decoded goes when its last report ends (PWJobReport). A decoding that fails is not kept.
class PWBitmapDecodes
{
public:
    static constexpr qint64 kHeldBytes = qint64(256) * 1024 * 1024;

    // What one drawing needs decoded: the part of the picture, in its own pixels, and the size
    // that part is decoded to.
    struct Plan
    {
        QRect clip;
        QSize scaled;
        bool operator==(const Plan &) const = default;
    };
    // For a picture of whole pixels whose part source (in those pixels) covers drawn device
    // pixels. The scale is rounded up to a step of a quarter octave, never past the picture's own
    // pixels; a part much smaller than the picture is decoded alone, with a margin for smoothing;
    // and the decoding holds no more than maxPixels.
    static Plan plan(const QSize &whole, const QRectF &source, const QSizeF &drawn, qint64 maxPixels);

    struct Decoded
    {
        QImage image; // null when it could not be decoded
        QString failure;
    };
    using Decoder = std::function<QImage(const Plan &plan, QString *reason)>;
    // The pixels of the picture named by key under the plan: kept ones, or those decode makes
    // (once, however many threads ask at the same time).
    static Decoded decoded(const QByteArray &key, const Plan &plan, const Decoder &decode);

    // Forgets what jobs decoded (the last job report ended).
    static void endJob();
    // Forgets everything (tests).
    static void forget();

    struct Counts
    {
        int decodings = 0; // made since the last forget()
        qint64 heldBytes = 0;
        Plan last; // of the last decoding made
        QSize lastSize; // the pixels it gave
    };
    static Counts counts();
};
