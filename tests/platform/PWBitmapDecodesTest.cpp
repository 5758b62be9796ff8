#include "platform/PWBitmapDecodes.h"

#include "platform/PWJobReport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <new>
#include <thread>
#include <vector>

namespace {

QImage cyanImage(const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::darkCyan);
    return image;
}

} // namespace

// The plan for a picture and the device pixels its part covers, over sizes, parts and scales:
// the scale decoded is at least the drawn one and within a quarter octave of it, never past the
// picture's own; the part decoded holds the part shown.
TEST(PWBitmapDecodesTest, PlanCoversTheDrawnPixelsWithinAQuarterOctave)
{
    const QSize wholes[] = {QSize(4800, 4800), QSize(3000, 700), QSize(701, 2999)};
    const QRectF parts[] = {QRectF(), QRectF(0, 0, 0.5, 0.5), QRectF(0.3, 0.6, 0.1, 0.35), QRectF(0.01, 0, 0.98, 1)};
    const double scales[] = {0.003, 0.05, 0.2, 0.37, 0.5, 0.81, 0.999, 1.0, 2.5};
    for (const QSize &whole : wholes) {
        for (const QRectF &fraction : parts) {
            for (const double scale : scales) {
                const QRectF part = fraction.isEmpty() ? QRectF(QPointF(0, 0), QSizeF(whole))
                                                       : QRectF(fraction.x() * whole.width(), fraction.y() * whole.height(),
                                                                fraction.width() * whole.width(),
                                                                fraction.height() * whole.height());
                // Drawn stretched: twice as wide as the scale across, at the scale down.
                const QSizeF drawn(part.width() * scale * 0.5, part.height() * scale);
                SCOPED_TRACE(testing::Message() << whole.width() << "x" << whole.height() << " part " << part.x() << ","
                                                << part.y() << " " << part.width() << "x" << part.height() << " scale "
                                                << scale);
                const PWBitmapDecodes::Plan plan = PWBitmapDecodes::plan(whole, part, drawn, 0);
                ASSERT_FALSE(plan.clip.isEmpty());
                EXPECT_TRUE(QRect(QPoint(0, 0), whole).contains(plan.clip));
                EXPECT_TRUE(QRectF(plan.clip).contains(part));
                const double kX = double(plan.scaled.width()) / plan.clip.width();
                const double kY = double(plan.scaled.height()) / plan.clip.height();
                const double wanted = std::min(1.0, scale);
                EXPECT_GE(std::min(kX, kY), wanted - 1e-9);
                EXPECT_LE(std::max(kX, kY), std::min(1.0, wanted * 1.19) + 1.0 / std::min(plan.clip.width(), plan.clip.height()));
            }
        }
    }
    // The most pixels asked for bound the decoding, proportions kept.
    const PWBitmapDecodes::Plan bounded = PWBitmapDecodes::plan(QSize(8000, 6000), QRectF(), QSizeF(8000, 6000), 1000000);
    EXPECT_LE(qint64(bounded.scaled.width()) * bounded.scaled.height(), 1000000);
    EXPECT_GT(qint64(bounded.scaled.width()) * bounded.scaled.height(), 990000);
    EXPECT_NEAR(double(bounded.scaled.width()) / bounded.scaled.height(), 8000.0 / 6000.0, 0.01);
}

// Threads asking for the same decoding at once get one; one that cannot get its memory is a
// failure with that reason, kept by no one, and the next asking decodes again.
TEST(PWBitmapDecodesTest, OneDecodingForAllAskersAndNoneKeptOfAFailure)
{
    PWBitmapDecodes::forget();
    const PWBitmapDecodes::Plan plan{QRect(0, 0, 400, 300), QSize(200, 150)};
    std::atomic<int> made{0};
    std::vector<std::thread> threads;
    std::atomic<int> right{0};
    for (int i = 0; i < 6; ++i)
        threads.emplace_back([&] {
            const PWBitmapDecodes::Decoded got = PWBitmapDecodes::decoded("one", plan, [&](const PWBitmapDecodes::Plan &p, QString *) {
                ++made;
                return cyanImage(p.scaled);
            });
            if (got.image.size() == plan.scaled)
                ++right;
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(made.load(), 1);
    EXPECT_EQ(right.load(), 6);
    EXPECT_EQ(PWBitmapDecodes::counts().heldBytes, cyanImage(plan.scaled).sizeInBytes());

    int tries = 0;
    const auto exhausted = [&](const PWBitmapDecodes::Plan &, QString *) -> QImage {
        ++tries;
        throw std::bad_alloc();
    };
    for (int i = 0; i < 2; ++i) {
        const PWBitmapDecodes::Decoded failed = PWBitmapDecodes::decoded("vast", plan, exhausted);
        EXPECT_TRUE(failed.image.isNull());
        EXPECT_TRUE(failed.failure.contains(QStringLiteral("memory"))) << qPrintable(failed.failure);
        EXPECT_FALSE(failed.failure.contains(QStringLiteral("decode"))) << qPrintable(failed.failure);
    }
    EXPECT_EQ(tries, 2);
    EXPECT_EQ(PWBitmapDecodes::counts().heldBytes, cyanImage(plan.scaled).sizeInBytes());
    PWBitmapDecodes::forget();
}

// What is held stays within its bound, the longest unused going first; a job's decodings go at
// the end of its last report.
TEST(PWBitmapDecodesTest, HeldWithinTheBoundAndLetGoAtTheJobsEnd)
{
    PWBitmapDecodes::forget();
    // Each decoding a tenth of the bound: the eleventh pushes the first out, not the one just used.
    const int side = int(std::sqrt(double(PWBitmapDecodes::kHeldBytes) / 10 / 4));
    const PWBitmapDecodes::Plan plan{QRect(0, 0, side, side), QSize(side, side)};
    int made = 0;
    const auto decode = [&](const PWBitmapDecodes::Plan &p, QString *) {
        ++made;
        return cyanImage(p.scaled);
    };
    for (int i = 0; i < 10; ++i)
        PWBitmapDecodes::decoded(QByteArray::number(i), plan, decode);
    PWBitmapDecodes::decoded("0", plan, decode); // the first, used again
    PWBitmapDecodes::decoded("10", plan, decode);
    EXPECT_LE(PWBitmapDecodes::counts().heldBytes, PWBitmapDecodes::kHeldBytes);
    EXPECT_EQ(made, 11);
    PWBitmapDecodes::decoded("0", plan, decode);
    EXPECT_EQ(made, 11) << "the one used last was let go";
    PWBitmapDecodes::decoded("1", plan, decode);
    EXPECT_EQ(made, 12) << "the longest unused was kept";

    PWBitmapDecodes::forget();
    const PWBitmapDecodes::Plan small{QRect(0, 0, 100, 100), QSize(50, 50)};
    const qint64 smallBytes = cyanImage(small.scaled).sizeInBytes();
    // A view's drawing, outside any job.
    PWBitmapDecodes::decoded("view", small, decode);
    const qint64 window = PWBitmapDecodes::counts().heldBytes;
    EXPECT_EQ(window, smallBytes);
    {
        const PWJobReport first;
        {
            const PWJobReport second;
            PWBitmapDecodes::decoded("job", small, decode);
        }
        // Another report of the jobs is still open.
        EXPECT_EQ(PWBitmapDecodes::counts().heldBytes, window + smallBytes);
    }
    EXPECT_EQ(PWBitmapDecodes::counts().heldBytes, window);
    const int before = made;
    PWBitmapDecodes::decoded("job", small, decode);
    EXPECT_EQ(made, before + 1);
    PWBitmapDecodes::forget();
}
