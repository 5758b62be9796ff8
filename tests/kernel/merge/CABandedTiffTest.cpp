#include "kernel/merge/CABandedTiff.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include <utility>
#include <vector>

namespace {

// The colour a band painter gives row y of the bitmap: one of its own for every row, opaque or,
// for the files with alpha, half clear.
QRgb bandedRowColour(int y, bool clear)
{
    return qRgba((y * 37) % 256, (y * 11 + 90) % 256, 255 - (y * 7) % 256, clear ? 128 : 255);
}

// Every band holds the rows that are left, never more (a band past the bitmap's last row would
// lengthen the file by rows nobody drew), and the file holds each row as painted, the last too.
TEST(CABandedTiffTest, EveryBandHoldsTheRowsLeftAndTheFileHoldsEveryRowOnce)
{
    const struct
    {
        const char *name;
        int height;
        int bandRows;
        bool clear;
        std::vector<std::pair<int, int>> bands; // top and height of each band painted
    } cases[] = {
        {"a short last band", 10, 4, false, {{0, 4}, {4, 4}, {8, 2}}},
        {"a last band of one row", 7, 3, false, {{0, 3}, {3, 3}, {6, 1}}},
        {"bands that fit exactly", 6, 3, false, {{0, 3}, {3, 3}}},
        {"one band taller than the bitmap", 5, 9, false, {{0, 5}}},
        {"a row a band", 3, 1, false, {{0, 1}, {1, 1}, {2, 1}}},
        {"a short last band with alpha", 11, 4, true, {{0, 4}, {4, 4}, {8, 3}}},
    };
    constexpr int kWidth = 13;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<int, int>> painted;
        const auto paint = [&](QImage &band, int top) {
            painted.emplace_back(top, band.height());
            for (int y = 0; y < band.height(); ++y)
                for (int x = 0; x < band.width(); ++x)
                    band.setPixelColor(x, y, QColor::fromRgba(bandedRowColour(top + y, c.clear)));
            return true;
        };
        QString error;
        // Asked first in the layout the pixels have, so that every band is painted once.
        const QByteArray tiff = CABandedTiff::write(kWidth, c.height, 72.0, c.bandRows, !c.clear, paint, &error);
        ASSERT_FALSE(tiff.isEmpty()) << qPrintable(error);
        EXPECT_EQ(painted, c.bands);

        QBuffer buffer;
        buffer.setData(tiff);
        QImageReader reader(&buffer, "tiff");
        EXPECT_EQ(reader.size(), QSize(kWidth, c.height));
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(kWidth, c.height));
        int wrongRows = 0;
        for (int y = 0; y < image.height(); ++y) {
            bool right = true;
            for (int x = 0; x < kWidth; ++x)
                right = right && qAbs(qRed(image.pixel(x, y)) - qRed(bandedRowColour(y, c.clear))) <= 2
                        && qAbs(qAlpha(image.pixel(x, y)) - qAlpha(bandedRowColour(y, c.clear))) <= 1;
            wrongRows += right ? 0 : 1;
        }
        EXPECT_EQ(wrongRows, 0);
    }
}

} // namespace
