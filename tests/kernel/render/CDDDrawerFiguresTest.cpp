#include "kernel/render/CDDDrawer.h"

#include "ReferenceImage.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"
#include "platform/PWBezierPath.h"

#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

namespace {

QColor at(const QImage &image, double x, double y) { return image.pixelColor(static_cast<int>(x), static_cast<int>(y)); }

// Flips, turns and separator directions are held by the reference images.
TEST(FigureTest, ThePainterStateSurvivesAFigure)
{
    CDDColor red(1, 0, 0, 1);
    PWBezierPath square = CDDDrawer::PathRect(0, 0, 10, 10);
    QImage image(20, 20, QImage::Format_ARGB32);
    QPainter painter(&image);
    painter.setPen(Qt::green);
    painter.setBrush(Qt::yellow);
    const QTransform before = painter.transform();
    CDDDrawer drawer(false, &painter);
    drawer.StrokeAndFillFigure(&square, 0, 0, 10, 10, 0.5, &red, nullptr, &red, true, true);
    EXPECT_EQ(QList<QColor>({painter.pen().color(), painter.brush().color()}), QList<QColor>({Qt::green, Qt::yellow}));
    EXPECT_EQ(painter.transform(), before);
}

TEST(FigureTest, SeparatorMirrorsAreTheOtherDiagonalAndLeaveTheirColourCurrent)
{
    CDDColor black(0, 0, 0, 1);
    CDDPen pen;
    pen.SetWidth(3.0);
    const auto separator = [&](int direction, bool flipX, bool flipY) {
        return drawtest::render(QSizeF(100, 60), 1.0, [&](CDDDrawer &d) {
            d.DrawSeparator(0, 0, 100, 60, 0, direction, &black, &pen, flipX, flipY);
        });
    };
    // Mirrored in x it is direction 2, pixel for pixel.
    EXPECT_EQ(separator(3, true, false), separator(2, false, false));
    EXPECT_EQ(separator(2, false, true), separator(3, false, false));
    // Other directions draw nothing.
    const QImage none = separator(7, false, false);
    QImage white(none.size(), none.format());
    white.fill(Qt::white);
    EXPECT_EQ(none, white);
    CDDColor red(1, 0, 0, 1);
    QImage image(20, 20, QImage::Format_ARGB32);
    QPainter painter(&image);
    CDDDrawer drawer(false, &painter);
    drawer.DrawSeparator(0, 0, 20, 20, 0, 0, &red, nullptr, false, false);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::red));
}

TEST(FigureTest, PointInPathMirrorsTheOutlineAndDrawFigureStrokesOnlyWithAPen)
{
    PWBezierPath triangle = CDDDrawer::PathTriangle(0, 0, 100, 100, 0, 1); // right angle bottom-left
    EXPECT_EQ(QList<bool>({CDDDrawer::IsPointInPath(&triangle, 10, 90, 0, 0, 100, 100, false, false),
                           CDDDrawer::IsPointInPath(&triangle, 90, 90, 0, 0, 100, 100, false, false),
                           CDDDrawer::IsPointInPath(&triangle, 90, 90, 0, 0, 100, 100, true, false)}), QList<bool>({true, false, true}));
    // The outline itself stays mirrored.
    EXPECT_TRUE(triangle.path().contains(QPointF(90, 90)));
    EXPECT_FALSE(CDDDrawer::IsPointInPath(nullptr, 0, 0, 0, 0, 1, 1, false, false));
    PWBezierPath ring = CDDDrawer::PathCircle(0, 0, 100, 100, 0.5);
    EXPECT_TRUE(!CDDDrawer::IsPointInPath(&ring, 50, 50, 0, 0, 100, 100, false, false)
                && CDDDrawer::IsPointInPath(&ring, 10, 50, 0, 0, 100, 100, false, false));
    CDDColor red(1, 0, 0, 1);
    CDDPen pen;
    pen.SetWidth(2.0);
    PWBezierPath square = CDDDrawer::PathRect(20, 20, 60, 60);
    const auto draw = [&](const CDDPen *with) {
        return drawtest::render(QSizeF(100, 100), 1.0, [&](CDDDrawer &d) { d.DrawFigure(&square, 20, 20, 60, 60, 0, &red, with, false, false); });
    };
    const QImage stroked = draw(&pen), filled = draw(nullptr);
    EXPECT_EQ(QList<QColor>({at(stroked, 20, 50), at(stroked, 50, 50), at(filled, 50, 50)}), QList<QColor>({Qt::red, Qt::white, Qt::red}));
}

QRectF mediaBox(const QByteArray &pdf)
{
    const QRegularExpression box(QStringLiteral("/MediaBox \\[([-0-9. ]+)\\]"));
    const QRegularExpressionMatch m = box.match(QString::fromLatin1(pdf));
    const QStringList v = m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!m.hasMatch() || v.size() != 4)
        return QRectF();
    return QRectF(QPointF(v[0].toDouble(), v[1].toDouble()), QPointF(v[2].toDouble(), v[3].toDouble()));
}

TEST(ComponentPdfTest, OnePageOfTheDrawRectangleAtPrintResolutionAndNothingForBadInput)
{
    const QRectF page(30, 40, 100.5, 50.25);
    double resolution = 0;
    bool screen = true, override = true;
    QTransform seen;
    const QByteArray pdf = CDDDrawer::PDFDataForDrawing(page, 600, [&](CDDDrawer &drawer) {
        resolution = drawer.GetResolution();
        screen = drawer.IsDrawingToScreen();
        override = drawer.isOverrideDrawScreen();
        seen = drawer.GetPainter()->transform();
        CDDColor red(1, 0, 0, 1);
        drawer.GetPainter()->fillRect(page, red.toQColor());
    });
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_NEAR(resolution, 600.0 / 72.0, 1e-12);
    EXPECT_FALSE(screen || override);
    // Design coordinates: the rectangle's corners fall on the page's corners.
    EXPECT_NEAR(QLineF(seen.map(page.topLeft()), QPointF(0, 0)).length(), 0, 1e-5);
    EXPECT_NEAR(QLineF(seen.map(page.bottomRight()), QPointF(100.5 * 600 / 72, 50.25 * 600 / 72)).length(), 0, 1e-5);
    // The page is exactly the rectangle, its top edge where the content's top is.
    const QRectF box = mediaBox(pdf);
    EXPECT_EQ(QList<double>({box.width(), box.height(), box.bottom()}), QList<double>({100.5, 50.25, 51.0}));
    EXPECT_EQ(pdf.count("/Type /Page\n"), 1);
    const QByteArray emptyPage = CDDDrawer::PDFDataForDrawing(QRectF(0, 0, 72, 36), 600, [](CDDDrawer &) {});
    EXPECT_EQ(mediaBox(emptyPage), QRectF(0, 0, 72, 36));
    const auto draw = [](CDDDrawer &) {};
    for (const QRectF &rect : {QRectF(0, 0, 0, 10), QRectF(0, 0, 10, -1), QRectF(0, 0, std::nan(""), 10)})
        EXPECT_TRUE(CDDDrawer::PDFDataForDrawing(rect, 600, draw).isEmpty()) << rect.width() << " x " << rect.height();
    EXPECT_TRUE(CDDDrawer::PDFDataForDrawing(QRectF(0, 0, 10, 10), 0, draw).isEmpty());
    EXPECT_TRUE(CDDDrawer::PDFDataForDrawing(QRectF(0, 0, 10, 10), 600, nullptr).isEmpty());
}

} // namespace
