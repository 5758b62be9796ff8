// The paths of an SVG picture, recorded where it is drawn apart and drawn again here: they draw
// what Qt's SVG code draws, at any resolution, and bytes that are no sound recording (cut, changed,
// made to mislead) are refused before they reach a painter.
#include "TestSupport.h"

#include "platform/PWImage.h"
#include "platform/PWSvgPicture.h"
#include "platform/PWSvgPictureDrawing.h"

#include <QDataStream>
#include <QPainter>
#include <QBuffer>
#include <QImageReader>
#include <QPaintEngine>

#include <gtest/gtest.h>

namespace {

const char *const kDrawingSvgs[][2] = {
    {"shapes", "<svg xmlns='http://www.w3.org/2000/svg' width='80' height='60'>"
               "<rect x='5' y='5' width='30' height='20' fill='#c00' stroke='#00f' stroke-width='3'/>"
               "<circle cx='55' cy='35' r='18' fill='#0a0' fill-opacity='0.5'/>"
               "<polyline points='5,55 30,35 45,55' fill='none' stroke='#000' stroke-dasharray='4,2'/></svg>"},
    {"gradient", "<svg xmlns='http://www.w3.org/2000/svg' width='80' height='60'><defs>"
                 "<linearGradient id='g' x1='0' y1='0' x2='1' y2='0'><stop offset='0' stop-color='#f00'/>"
                 "<stop offset='1' stop-color='#00f'/></linearGradient>"
                 "<radialGradient id='r' cx='0.5' cy='0.5' r='0.5'><stop offset='0' stop-color='#ff0'/><stop offset='1' stop-color='#080'/>"
                 "</radialGradient></defs>"
                 "<rect width='80' height='30' fill='url(#g)'/><ellipse cx='40' cy='45' rx='30' ry='14' fill='url(#r)'/>"
                 "</svg>"},
    {"transformed", "<svg xmlns='http://www.w3.org/2000/svg' width='80' height='60' viewBox='0 0 40 30'>"
                    "<g transform='rotate(20 20 15)' opacity='0.7'><rect x='10' y='8' width='20' height='14' "
                    "fill='#345'/></g></svg>"},
    {"text", "<svg xmlns='http://www.w3.org/2000/svg' width='80' height='60'>"
             "<text x='4' y='40' font-size='30' font-family='sans-serif' fill='#000'>Ag</text></svg>"},
    {"accented text", "<svg xmlns='http://www.w3.org/2000/svg' width='80' height='60'>"
                      "<text x='2' y='50' font-size='44' font-family='sans-serif' fill='#000' "
                      "text-decoration='underline'>&#xe9;&#xc5;</text></svg>"},
};

// The picture drawn at scale times its size (80 by 60 points), over white: by Qt's SVG code
// directly, or from the recording.
QImage drawnSvg(const QByteArray &svg, double scale, const PWSvgPictureDrawing *drawing)
{
    const QSize size = (QSizeF(80, 60) * scale).toSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (drawing) {
        drawing->draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    } else {
        QByteArray bytes = svg;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "svg");
        reader.setScaledSize(size);
        painter.drawImage(QPointF(0, 0), reader.read());
    }
    return image;
}

// The share of pixels whose colours differ by more than a few steps.
double differingShare(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 1.0;
    int differ = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            differ += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))})
                      > 24;
        }
    return differ / double(a.width() * a.height());
}

TEST(PWSvgPictureDrawingTest, DrawsWhatTheSvgDrawsAtAnyScale)
{
    for (const auto &svg : kDrawingSvgs) {
        SCOPED_TRACE(svg[0]);
        const QByteArray xml(svg[1]);
        const std::shared_ptr<const PWSvgPictureDrawing> drawing =
            PWSvgPictureDrawing::read(PWSvgPictureDrawing::record(xml));
        ASSERT_TRUE(drawing);
        EXPECT_EQ(drawing->size(), QSizeF(80, 60));
        for (double scale : {1.0, 4.0}) {
            SCOPED_TRACE(scale);
            EXPECT_LT(differingShare(drawnSvg(xml, scale, drawing.get()), drawnSvg(xml, scale, nullptr)), 0.01);
        }
    }
}

// A picture read from its bytes carries its paths, drawn apart; drawn four times its size, its
// edge is as sharp as at its own size.
TEST(PWSvgPictureDrawingTest, APictureReadFromAnSvgIsDrawnFromItsPaths)
{
    const std::shared_ptr<PWImage> image = PWImage::fromData(kDrawingSvgs[0][1]);
    ASSERT_TRUE(image);
    const PWImageRep *rep = image->bestRepresentation();
    ASSERT_TRUE(rep && rep->vectorDrawing());
    const QImage large = image->toImage(QSize(320, 240), Qt::white);
    // The blue stroke of the red rectangle begins at 3.5 points, 14 pixels: sharp, not smeared
    // over the four pixels one of its own would be.
    const int y = 15 * 4;
    EXPECT_EQ(large.pixel(13, y), qRgb(255, 255, 255));
    EXPECT_EQ(large.pixel(14, y), qRgb(0, 0, 255));
    EXPECT_EQ(large.pixel(30, y), qRgb(204, 0, 0));
}

// An SVG whose XML is too large to be read twice in the child is drawn from its pixels, as before.
TEST(PWSvgPictureDrawingTest, AVeryLargeSvgIsDrawnFromItsPixels)
{
    const struct
    {
        const char *name;
        qsizetype padding;
        bool paths;
    } sizes[] = {{"small", 0, true}, {"past the bound", PWSvgPictureDrawing::kMaxRecordedXmlBytes + 1, false}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(size.name);
        const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'><desc>"
                               + QByteArray(size.padding, 'x')
                               + "</desc><rect width='40' height='30' fill='#00f'/></svg>";
        const std::shared_ptr<PWImage> image = PWImage::fromData(svg);
        ASSERT_TRUE(image);
        ASSERT_TRUE(image->bestRepresentation()->isReadable());
        EXPECT_EQ(bool(image->bestRepresentation()->vectorDrawing()), size.paths);
        EXPECT_EQ(image->toImage(QSize(40, 30), Qt::white).pixel(20, 15), qRgb(0, 0, 255));
    }
}

// A text longer than a recording takes leaves the picture to its pixels, which show it: drawn from
// paths that lack it, the picture would lose its text.
TEST(PWSvgPictureDrawingTest, ATextTooLongToRecordIsNotLost)
{
    const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' width='80' height='60'>"
                           "<text x='0' y='55' font-size='70' font-family='sans-serif' fill='#000'>"
                           + QByteArray(100000, 'M') + "</text></svg>";
    const std::shared_ptr<PWImage> image = PWImage::fromData(svg);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->bestRepresentation()->isReadable());
    const QImage drawn = image->toImage(QSize(80, 60), Qt::white);
    int dark = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            dark += qGray(drawn.pixel(x, y)) < 128;
    // Letters as large as the picture darken a good part of it.
    EXPECT_GT(dark, drawn.width() * drawn.height() / 5);
}

// Takes the pens paths are stroked with and draws nothing.
class PenRecordingEngine final : public QPaintEngine
{
public:
    PenRecordingEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyPen)
            m_pen = state.pen();
    }
    void drawPath(const QPainterPath &) override { stroked.append(m_pen); }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override { stroked.append(m_pen); }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    Type type() const override { return QPaintEngine::User; }
    QList<QPen> stroked;

private:
    QPen m_pen;
};

class PenRecordingDevice final : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &engine; }
    mutable PenRecordingEngine engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 1000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 72;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 1000;
        }
    }
};

// A dash pattern that repeats within one dot of the output is stroked solid (a viewer would never
// finish a long path of millions of dashes); one the output shows keeps its dashes.
TEST(PWSvgPictureDrawingTest, DashesShorterThanADotOfTheOutputAreDrawnSolid)
{
    const struct
    {
        const char *name;
        double width;
        bool cosmetic;
        QList<qreal> pattern;
        double scale;
        bool dashed;
    } cases[] = {
        {"a ten-thousandth of a point", 1.0, false, {0.0001, 0.0001}, 1.0, false},
        {"four and two points", 1.0, false, {4.0, 2.0}, 1.0, true},
        {"four and two points a hundred times smaller", 1.0, false, {4.0, 2.0}, 0.01, false},
        {"a tenth of a point a hundred times larger", 1.0, false, {0.1, 0.1}, 100.0, true},
        {"a thick line's short dashes", 10.0, false, {0.05, 0.05}, 1.0, true},
        {"cosmetic dashes under a dot", 1.0, true, {0.5, 0.3}, 100.0, false},
        {"a line of no width: a pixel wide", 0.0, false, {2.0, 2.0}, 0.001, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QPen pen(Qt::black, c.width);
        pen.setCosmetic(c.cosmetic);
        pen.setDashPattern(c.pattern);
        const QPen drawn = PWSvgPictureDrawing::penForDevice(pen, QTransform::fromScale(c.scale, c.scale));
        EXPECT_EQ(drawn.style(), c.dashed ? Qt::CustomDashLine : Qt::SolidLine);
        EXPECT_EQ(drawn.widthF(), pen.widthF());
    }

    // A long path with a dash pattern of a ten-thousandth: the recording keeps the dashes, the
    // drawing strokes it solid.
    const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' width='600' height='400'>"
                           "<path d='M 10 10 L 590 390 L 10 390 Z' fill='none' stroke='#000' "
                           "stroke-dasharray='0.0001'/><line x1='0' y1='5' x2='600' y2='5' stroke='#000' "
                           "stroke-dasharray='8,4'/></svg>";
    const std::shared_ptr<const PWSvgPictureDrawing> drawing = PWSvgPictureDrawing::read(PWSvgPictureDrawing::record(svg));
    ASSERT_TRUE(drawing);
    PenRecordingDevice device;
    {
        QPainter painter(&device);
        drawing->draw(painter, QRectF(0, 0, 600, 400));
    }
    QList<Qt::PenStyle> styles;
    for (const QPen &pen : device.engine.stroked)
        if (pen.style() != Qt::NoPen)
            styles.append(pen.style());
    EXPECT_EQ(styles, (QList<Qt::PenStyle>{Qt::SolidLine, Qt::CustomDashLine}));
}

// Bytes cut anywhere, or changed anywhere, are refused or draw as a sound drawing; numbers that
// are not finite, counts larger than the bytes that follow and a projection are refused.
TEST(PWSvgPictureDrawingTest, RefusesBytesThatAreNoSoundRecording)
{
    const QByteArray recording = PWSvgPictureDrawing::record(kDrawingSvgs[1][1]);
    ASSERT_TRUE(PWSvgPictureDrawing::read(recording));
    QImage canvas(40, 30, QImage::Format_ARGB32_Premultiplied);
    for (qsizetype cut = 0; cut < recording.size(); cut += 7)
        EXPECT_FALSE(PWSvgPictureDrawing::read(recording.left(cut))) << cut;
    for (qsizetype at = 0; at < recording.size(); at += 3) {
        QByteArray changed = recording;
        changed[at] = char(changed[at] ^ 0xA5);
        if (const std::shared_ptr<const PWSvgPictureDrawing> drawing = PWSvgPictureDrawing::read(changed)) {
            QPainter painter(&canvas);
            drawing->draw(painter, QRectF(0, 0, 40, 30));
        }
    }

    // Made by hand: the header, then one state and one path.
    const auto made = [](double number, quint32 elements, double m13) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << quint32(0x50575631) << 10.0 << 10.0 << quint32(2) << quint8('S');
        out << 1.0 << 0.0 << m13 << 0.0 << 1.0 << 0.0 << 0.0 << 0.0 << 1.0; // transform
        out << quint8(Qt::NoPen) << 1.0 << quint8(0) << quint8(0) << 2.0 << quint8(0) << quint32(0) << 0.0
            << quint8(0);           // pen without a brush
        out << quint8(0);           // no brush
        out << 0.0 << 0.0 << 1.0 << quint8(0) << quint8(1) << quint32(0);
        out << quint8('P') << quint8(1) << elements;
        for (quint32 i = 0; i < std::min<quint32>(elements, 2); ++i)
            out << quint8(i == 0 ? 0 : 1) << number << 5.0;
        return bytes;
    };
    EXPECT_TRUE(PWSvgPictureDrawing::read(made(3.0, 2, 0.0)));
    EXPECT_FALSE(PWSvgPictureDrawing::read(made(qQNaN(), 2, 0.0)));
    EXPECT_FALSE(PWSvgPictureDrawing::read(made(qInf(), 2, 0.0)));
    EXPECT_FALSE(PWSvgPictureDrawing::read(made(1e300, 2, 0.0)));
    EXPECT_FALSE(PWSvgPictureDrawing::read(made(3.0, 0x7fffffff, 0.0)));
    EXPECT_FALSE(PWSvgPictureDrawing::read(made(3.0, 2, 0.5)));
}

} // namespace
