#include "platform/PWSvgPictureDrawing.h"

#include "platform/PWImageRep.h"

#include <QBuffer>
#include <QDataStream>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QSvgRenderer>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr quint32 kMagic = 0x50575631; // "PWV1"
// Coordinates beyond this are no picture's: they are refused rather than handed to a painter.
constexpr double kMaxCoordinate = 1e7;
constexpr quint32 kMaxDashes = 64;
constexpr quint32 kMaxStops = 1024;
constexpr quint32 kMaxClips = 64;
constexpr int kMaxImageSide = 16384;

enum StepKind : quint8 { kStateStep = 'S', kPathStep = 'P', kImageStep = 'I', kTextStep = 'T' };
constexpr qsizetype kMaxFontDescription = 1024;
constexpr qsizetype kMaxText = 65536;
constexpr double kMaxPixelSize = 100000;
enum BrushKind : quint8 { kNoBrush = 0, kColourBrush, kLinearBrush, kRadialBrush, kConicalBrush, kTextureBrush };

// --- writing, in the child ------------------------------------------------------------------

void writeTransform(QDataStream &out, const QTransform &t)
{
    out << t.m11() << t.m12() << t.m13() << t.m21() << t.m22() << t.m23() << t.m31() << t.m32() << t.m33();
}

void writeColour(QDataStream &out, const QColor &colour)
{
    const QRgba64 c = colour.rgba64();
    out << c.red() << c.green() << c.blue() << c.alpha();
}

void writeImage(QDataStream &out, const QImage &image)
{
    const QImage pixels = PWImageRep::inOutputColours(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    out << quint32(pixels.width()) << quint32(pixels.height());
    for (int y = 0; y < pixels.height(); ++y)
        out.writeRawData(reinterpret_cast<const char *>(pixels.constScanLine(y)), pixels.width() * 4);
}

void writePath(QDataStream &out, const QPainterPath &path)
{
    out << quint8(path.fillRule()) << quint32(path.elementCount());
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        out << quint8(e.type) << e.x << e.y;
    }
}

void writeBrush(QDataStream &out, const QBrush &brush)
{
    const QGradient *gradient = brush.gradient();
    BrushKind kind = kColourBrush;
    if (brush.style() == Qt::NoBrush)
        kind = kNoBrush;
    else if (brush.style() == Qt::TexturePattern)
        kind = kTextureBrush;
    else if (gradient && gradient->type() == QGradient::LinearGradient)
        kind = kLinearBrush;
    else if (gradient && gradient->type() == QGradient::RadialGradient)
        kind = kRadialBrush;
    else if (gradient && gradient->type() == QGradient::ConicalGradient)
        kind = kConicalBrush;
    out << quint8(kind);
    if (kind == kNoBrush)
        return;
    // A pattern of lines or dots keeps its style; any other brush is drawn in its colour.
    const bool pattern = brush.style() >= Qt::Dense1Pattern && brush.style() <= Qt::DiagCrossPattern;
    out << quint8(pattern ? brush.style() : Qt::SolidPattern);
    writeColour(out, brush.color());
    writeTransform(out, brush.transform());
    if (kind == kTextureBrush) {
        writeImage(out, brush.textureImage());
        return;
    }
    if (!gradient)
        return;
    out << quint8(gradient->spread()) << quint8(gradient->coordinateMode());
    if (kind == kLinearBrush) {
        const auto *linear = static_cast<const QLinearGradient *>(gradient);
        out << linear->start().x() << linear->start().y() << linear->finalStop().x() << linear->finalStop().y();
    } else if (kind == kRadialBrush) {
        const auto *radial = static_cast<const QRadialGradient *>(gradient);
        out << radial->center().x() << radial->center().y() << radial->focalPoint().x() << radial->focalPoint().y()
            << radial->centerRadius() << radial->focalRadius();
    } else {
        const auto *conical = static_cast<const QConicalGradient *>(gradient);
        out << conical->center().x() << conical->center().y() << conical->angle();
    }
    const QGradientStops stops = gradient->stops();
    out << quint32(stops.size());
    for (const QGradientStop &stop : stops) {
        out << stop.first;
        writeColour(out, stop.second);
    }
}

void writePen(QDataStream &out, const QPen &pen)
{
    out << quint8(pen.style()) << pen.widthF() << quint8(pen.capStyle() >> 4) << quint8(pen.joinStyle() >> 6)
        << pen.miterLimit() << quint8(pen.isCosmetic());
    const QList<qreal> dashes = pen.style() == Qt::CustomDashLine ? pen.dashPattern() : QList<qreal>();
    out << quint32(dashes.size());
    for (qreal dash : dashes)
        out << dash;
    out << pen.dashOffset();
    writeBrush(out, pen.brush());
}

// Records what a painter draws on it; text comes as the paths of its letters (QPaintEngine's own
// drawing of text items), every shape as a path.
class RecordingEngine : public QPaintEngine
{
public:
    RecordingEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
        m_stream.setVersion(QDataStream::Qt_6_0);
    }

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState &s) override
    {
        const QPaintEngine::DirtyFlags flags = s.state();
        if (flags & DirtyTransform)
            m_state.transform = s.transform();
        if (flags & DirtyPen)
            m_state.pen = s.pen();
        if (flags & DirtyBrush)
            m_state.brush = s.brush();
        if (flags & DirtyBrushOrigin)
            m_state.brushOrigin = s.brushOrigin();
        if (flags & DirtyOpacity)
            m_state.opacity = s.opacity();
        if (flags & DirtyCompositionMode)
            m_state.mode = s.compositionMode();
        if (flags & DirtyHints)
            m_state.antialiased = s.renderHints() & QPainter::Antialiasing;
        if (flags & DirtyClipEnabled)
            m_clipEnabled = s.isClipEnabled();
        if (flags & DirtyClipPath)
            updateClip(s.clipPath(), s.clipOperation());
        if (flags & DirtyClipRegion) {
            QPainterPath path;
            path.addRegion(s.clipRegion());
            updateClip(path, s.clipOperation());
        }
    }

    void drawPath(const QPainterPath &path) override { addPath(path, m_state.brush); }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        if (count < 1)
            return;
        QPainterPath path;
        path.setFillRule(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
        path.moveTo(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode != PolylineMode)
            path.closeSubpath();
        addPath(path, mode == PolylineMode ? QBrush() : m_state.brush);
    }

    void drawPixmap(const QRectF &target, const QPixmap &pixmap, const QRectF &source) override
    {
        drawImage(target, pixmap.toImage(), source, Qt::AutoColor);
    }

    void drawImage(const QRectF &target, const QImage &image, const QRectF &source, Qt::ImageConversionFlags) override
    {
        const QRect part = source.toAlignedRect() & image.rect();
        if (part.isEmpty() || !writeState(m_state.brush))
            return;
        m_stream << quint8(kImageStep) << target.x() << target.y() << target.width() << target.height()
                 << source.x() - part.x() << source.y() - part.y() << source.width() << source.height();
        writeImage(m_stream, image.copy(part));
        ++m_steps;
    }

    void drawTextItem(const QPointF &origin, const QTextItem &item) override
    {
        const QString text = item.text();
        if (text.isEmpty() || text.size() > kMaxText || !writeState(m_state.brush))
            return;
        QFont font = item.font();
        static const int dotsPerInch = QImage(1, 1, QImage::Format_ARGB32_Premultiplied).logicalDpiY();
        const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * dotsPerInch / 72.0;
        // The painter draws the lines under, over and through the letters apart: they are paths.
        font.setUnderline(false);
        font.setOverline(false);
        font.setStrikeOut(false);
        m_stream << quint8(kTextStep) << origin.x() << origin.y() << pixels << font.toString().left(kMaxFontDescription)
                 << text;
        ++m_steps;
    }

    // The recording, or nothing when it grew past its bound.
    QByteArray finished(const QSizeF &size) const
    {
        if (m_bytes.size() > PWSvgPictureDrawing::kMaxBytes)
            return QByteArray();
        QByteArray whole;
        QDataStream out(&whole, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << kMagic << size.width() << size.height() << m_steps;
        return whole + m_bytes;
    }

private:
    void updateClip(const QPainterPath &path, Qt::ClipOperation operation)
    {
        if (operation == Qt::NoClip) {
            m_clipEnabled = false;
            m_clips.clear();
            return;
        }
        m_clipEnabled = true;
        if (operation == Qt::ReplaceClip)
            m_clips.clear();
        m_clips.append(m_state.transform.map(path));
    }

    // Writes the state a step is drawn in, unless the last step's was the same; false once the
    // recording is past its bound.
    bool writeState(const QBrush &brush)
    {
        if (m_bytes.size() > PWSvgPictureDrawing::kMaxBytes)
            return false;
        QByteArray state;
        QDataStream out(&state, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        writeTransform(out, m_state.transform);
        writePen(out, m_state.pen);
        writeBrush(out, brush);
        out << m_state.brushOrigin.x() << m_state.brushOrigin.y() << m_state.opacity << quint8(m_state.mode)
            << quint8(m_state.antialiased);
        const QList<QPainterPath> clips = m_clipEnabled ? m_clips : QList<QPainterPath>();
        out << quint32(clips.size());
        for (const QPainterPath &clip : clips)
            writePath(out, clip);
        if (state != m_lastState) {
            m_stream << quint8(kStateStep);
            m_stream.writeRawData(state.constData(), int(state.size()));
            m_lastState = state;
            ++m_steps;
        }
        return true;
    }

    void addPath(const QPainterPath &path, const QBrush &brush)
    {
        if (path.isEmpty() || !writeState(brush))
            return;
        m_stream << quint8(kPathStep);
        writePath(m_stream, path);
        ++m_steps;
    }

    PWSvgPictureDrawing::State m_state;
    bool m_clipEnabled = false;
    QList<QPainterPath> m_clips;
    QByteArray m_bytes;
    QDataStream m_stream {&m_bytes, QIODevice::WriteOnly};
    QByteArray m_lastState;
    quint32 m_steps = 0;
};

// A device of the picture's size that records; its resolution is that of the pixels the SVG is
// drawn into otherwise, so that its texts take the same size.
class RecordingDevice : public QPaintDevice
{
public:
    explicit RecordingDevice(const QSize &size)
        : m_size(size)
    {
    }
    ~RecordingDevice() override = default;
    QPaintEngine *paintEngine() const override { return &m_engine; }
    RecordingEngine &engine() const { return m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        static const QImage pixels(1, 1, QImage::Format_ARGB32_Premultiplied);
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return qRound(m_size.width() * 25.4 / pixels.logicalDpiX());
        case PdmHeightMM:
            return qRound(m_size.height() * 25.4 / pixels.logicalDpiY());
        case PdmNumColors:
            return 0;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmPhysicalDpiX:
            return pixels.logicalDpiX();
        case PdmDpiY:
        case PdmPhysicalDpiY:
            return pixels.logicalDpiY();
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_size;
    mutable RecordingEngine m_engine;
};

// --- reading, in the caller -----------------------------------------------------------------

class Reader
{
public:
    explicit Reader(const QByteArray &bytes)
        : m_in(bytes)
    {
        m_in.setVersion(QDataStream::Qt_6_0);
    }

    bool ok() const { return m_ok && m_in.status() == QDataStream::Ok; }
    bool atEnd() const { return m_in.atEnd(); }
    qint64 left() const { return m_in.device()->bytesAvailable(); }
    void fail() { m_ok = false; }

    // A text of at most most characters, as the child's stream wrote it (UTF-16, big-endian).
    QString string(qsizetype most)
    {
        quint32 bytes = 0;
        m_in >> bytes;
        if (bytes % 2 != 0 || qint64(bytes) > qint64(most) * 2 || qint64(bytes) > left()) {
            fail();
            return QString();
        }
        QByteArray raw(qsizetype(bytes), Qt::Uninitialized);
        if (m_in.readRawData(raw.data(), int(bytes)) != int(bytes)) {
            fail();
            return QString();
        }
        QString text(qsizetype(bytes / 2), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(qFromBigEndian<quint16>(raw.constData() + 2 * i));
        return text;
    }
    quint32 word()
    {
        quint32 value = 0;
        m_in >> value;
        return value;
    }
    quint8 byte(quint8 most)
    {
        quint8 value = 0;
        m_in >> value;
        if (value > most)
            fail();
        return ok() ? value : 0;
    }
    quint32 count(quint32 most, qint64 bytesEach)
    {
        quint32 value = 0;
        m_in >> value;
        if (value > most || qint64(value) * bytesEach > left())
            fail();
        return ok() ? value : 0;
    }
    double number(double most = kMaxCoordinate)
    {
        double value = 0;
        m_in >> value;
        if (!std::isfinite(value) || std::abs(value) > most)
            fail();
        return ok() ? value : 0.0;
    }
    QPointF point() { const double x = number(); return QPointF(x, number()); }
    QRectF rect()
    {
        const double x = number(), y = number(), w = number(), h = number();
        return QRectF(x, y, w, h);
    }
    QColor colour()
    {
        quint16 c[4] = {};
        m_in >> c[0] >> c[1] >> c[2] >> c[3];
        return QColor(QRgba64::fromRgba64(c[0], c[1], c[2], c[3]));
    }
    QTransform transform()
    {
        double m[9];
        for (double &value : m)
            value = number();
        // Drawings are placed by affine transforms only: no projection reaches a painter.
        if (m[2] != 0.0 || m[5] != 0.0 || m[8] != 1.0)
            fail();
        return QTransform(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]);
    }
    QImage image()
    {
        quint32 width = 0, height = 0;
        m_in >> width >> height;
        if (width == 0 || height == 0 || width > quint32(kMaxImageSide) || height > quint32(kMaxImageSide)
            || qint64(width) * height * 4 > left()) {
            fail();
            return QImage();
        }
        QImage pixels(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
        if (pixels.isNull()) {
            fail();
            return QImage();
        }
        for (int y = 0; y < pixels.height() && ok(); ++y)
            if (m_in.readRawData(reinterpret_cast<char *>(pixels.scanLine(y)), int(width) * 4) != int(width) * 4)
                fail();
        return pixels;
    }
    QPainterPath path()
    {
        QPainterPath path;
        path.setFillRule(byte(Qt::WindingFill) == Qt::WindingFill ? Qt::WindingFill : Qt::OddEvenFill);
        const quint32 elements = count(std::numeric_limits<quint32>::max(), 17);
        for (quint32 i = 0; i < elements && ok(); ++i) {
            const quint8 type = byte(QPainterPath::CurveToDataElement);
            const QPointF at = point();
            if (type == QPainterPath::MoveToElement) {
                path.moveTo(at);
            } else if (type == QPainterPath::LineToElement) {
                path.lineTo(at);
            } else if (type == QPainterPath::CurveToElement && i + 2 < elements) {
                // A curve's control points follow it as data elements.
                QPointF data[2];
                for (QPointF &point : data) {
                    if (byte(QPainterPath::CurveToDataElement) != QPainterPath::CurveToDataElement)
                        fail();
                    point = this->point();
                }
                path.cubicTo(at, data[0], data[1]);
                i += 2;
            } else {
                fail();
            }
        }
        return path;
    }
    QBrush brush()
    {
        const quint8 kind = byte(kTextureBrush);
        if (kind == kNoBrush || !ok())
            return QBrush();
        const quint8 style = byte(Qt::DiagCrossPattern);
        const QColor colour = this->colour();
        const QTransform transform = this->transform();
        QBrush brush;
        if (kind == kTextureBrush) {
            brush = QBrush(image());
        } else if (kind == kColourBrush) {
            brush = QBrush(colour, style == Qt::NoBrush ? Qt::SolidPattern : Qt::BrushStyle(style));
        } else {
            const quint8 spread = byte(QGradient::RepeatSpread);
            const quint8 mode = byte(QGradient::ObjectMode);
            QGradient gradient;
            if (kind == kLinearBrush) {
                const QPointF start = point();
                gradient = QLinearGradient(start, point());
            } else if (kind == kRadialBrush) {
                const QPointF centre = point();
                const QPointF focal = point();
                const double radius = std::abs(number());
                gradient = QRadialGradient(centre, radius, focal, std::abs(number()));
            } else {
                const QPointF centre = point();
                gradient = QConicalGradient(centre, number());
            }
            gradient.setSpread(QGradient::Spread(spread));
            gradient.setCoordinateMode(QGradient::CoordinateMode(mode));
            const quint32 stops = count(kMaxStops, 16);
            QGradientStops made;
            for (quint32 i = 0; i < stops && ok(); ++i) {
                const double at = number(1.0);
                if (at < 0.0)
                    fail();
                made.append({at, this->colour()});
            }
            gradient.setStops(made);
            brush = QBrush(gradient);
        }
        brush.setTransform(transform);
        return brush;
    }
    QPen pen()
    {
        const quint8 style = byte(Qt::CustomDashLine);
        const double width = number();
        const quint8 cap = byte(Qt::RoundCap >> 4);
        const quint8 join = byte(Qt::SvgMiterJoin >> 6);
        if (join == 3)
            fail();
        const double miter = number();
        const bool cosmetic = byte(1);
        const quint32 dashes = count(kMaxDashes, 8);
        QList<qreal> pattern;
        for (quint32 i = 0; i < dashes && ok(); ++i)
            pattern.append(number());
        const double offset = number();
        QPen pen(brush(), std::max(0.0, width), Qt::PenStyle(style), Qt::PenCapStyle(cap << 4),
                 Qt::PenJoinStyle(join << 6));
        pen.setMiterLimit(miter);
        pen.setCosmetic(cosmetic);
        // A dash pattern needs an even number of lengths, each larger than none.
        if (style == Qt::CustomDashLine) {
            if (pattern.isEmpty() || pattern.size() % 2 != 0
                || std::any_of(pattern.cbegin(), pattern.cend(), [](qreal dash) { return !(dash > 0); }))
                pen.setStyle(Qt::SolidLine);
            else
                pen.setDashPattern(pattern);
        }
        pen.setDashOffset(offset);
        return pen;
    }
    PWSvgPictureDrawing::State state()
    {
        PWSvgPictureDrawing::State state;
        state.transform = transform();
        state.pen = pen();
        state.brush = brush();
        state.brushOrigin = point();
        state.opacity = number(1.0);
        state.mode = QPainter::CompositionMode(byte(QPainter::CompositionMode_Exclusion));
        state.antialiased = byte(1);
        const quint32 clips = count(kMaxClips, 5);
        for (quint32 i = 0; i < clips && ok(); ++i)
            state.clips.append(path());
        return state;
    }

private:
    QDataStream m_in;
    bool m_ok = true;
};

} // namespace

QPen PWSvgPictureDrawing::penForDevice(const QPen &pen, const QTransform &toDevice)
{
    if (pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen)
        return pen;
    const QList<qreal> pattern = pen.dashPattern();
    qreal period = 0.0;
    for (const qreal length : pattern)
        period += length;
    // Dash lengths are in pen widths; a cosmetic pen's width is in device pixels already, and a
    // width of none is one pixel wide (as Qt strokes it).
    const qreal width = pen.widthF() > 0.0 ? pen.widthF() : 1.0;
    qreal pixels = period * width;
    if (!pen.isCosmetic() && pen.widthF() > 0.0) {
        // The shorter side of the transform's stretch: a dash drawn along it is the shortest.
        const qreal scale =
            std::min(std::hypot(toDevice.m11(), toDevice.m12()), std::hypot(toDevice.m21(), toDevice.m22()));
        pixels *= scale;
    }
    // A pattern that repeats within one dot of the output draws as a solid line there anyway; drawn
    // as dashes it makes a path of millions of pieces that a PDF viewer never finishes.
    if (!(pixels >= 1.0)) {
        QPen solid = pen;
        solid.setStyle(Qt::SolidLine);
        return solid;
    }
    return pen;
}

QByteArray PWSvgPictureDrawing::record(const QByteArray &safeSvg)
{
    if (safeSvg.size() > kMaxRecordedXmlBytes)
        return QByteArray();
    QSvgRenderer renderer(safeSvg);
    const QSize size = renderer.defaultSize();
    if (!renderer.isValid() || size.isEmpty())
        return QByteArray();
    RecordingDevice device(size);
    QPainter painter;
    if (!painter.begin(&device))
        return QByteArray();
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return device.engine().finished(QSizeF(size));
}

std::shared_ptr<const PWSvgPictureDrawing> PWSvgPictureDrawing::read(const QByteArray &bytes)
{
    Reader r(bytes);
    if (r.word() != kMagic)
        return nullptr;
    const double width = r.number(), height = r.number();
    const quint32 steps = r.count(std::numeric_limits<quint32>::max(), 1);
    if (!r.ok() || !(width > 0) || !(height > 0))
        return nullptr;
    auto drawing = std::make_shared<PWSvgPictureDrawing>();
    drawing->m_size = QSizeF(width, height);
    // Paths and pixels take a few times the bytes that described them.
    drawing->m_bytes = 3 * bytes.size();
    for (quint32 i = 0; i < steps && r.ok(); ++i) {
        const quint8 kind = r.byte(kStateStep);
        if (kind == kStateStep) {
            drawing->m_states.append(r.state());
            continue;
        }
        if (drawing->m_states.isEmpty())
            return nullptr;
        Step step;
        step.state = drawing->m_states.size() - 1;
        if (kind == kPathStep) {
            step.path = r.path();
        } else if (kind == kTextStep) {
            step.target.setTopLeft(r.point());
            step.pixelSize = r.number(kMaxPixelSize);
            const QString font = r.string(kMaxFontDescription);
            step.text = r.string(kMaxText);
            if (!(step.pixelSize > 0) || step.text.isEmpty() || !step.font.fromString(font))
                r.fail();
        } else if (kind == kImageStep) {
            step.target = r.rect();
            step.source = r.rect();
            step.image = r.image();
        } else {
            r.fail();
        }
        drawing->m_steps.append(step);
    }
    if (!r.ok() || !r.atEnd())
        return nullptr;
    return drawing;
}

void PWSvgPictureDrawing::draw(QPainter &painter, const QRectF &target, const QRectF &sourceRect) const
{
    const QRectF source = sourceRect.isEmpty() ? QRectF(QPointF(0, 0), m_size) : sourceRect;
    if (target.isEmpty() || source.isEmpty())
        return;
    const QTransform outer = painter.worldTransform();
    const QTransform placed = QTransform::fromTranslate(-source.x(), -source.y())
                              * QTransform::fromScale(target.width() / source.width(), target.height() / source.height())
                              * QTransform::fromTranslate(target.x(), target.y()) * outer;
    const double opacity = painter.opacity();
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    const int dotsPerInch = painter.device() ? painter.device()->logicalDpiY() : 72;
    // The steps a state holds for are drawn in it together: its clip paths are intersected once.
    for (qsizetype first = 0; first < m_steps.size();) {
        const qsizetype stateIndex = m_steps.at(first).state;
        const State &state = m_states.at(stateIndex);
        painter.save();
        painter.setWorldTransform(placed);
        for (const QPainterPath &clip : state.clips)
            painter.setClipPath(clip, Qt::IntersectClip);
        painter.setWorldTransform(state.transform * placed);
        painter.setPen(penForDevice(state.pen, painter.deviceTransform()));
        painter.setBrush(state.brush);
        painter.setBrushOrigin(state.brushOrigin);
        painter.setOpacity(opacity * state.opacity);
        painter.setCompositionMode(state.mode);
        painter.setRenderHint(QPainter::Antialiasing, state.antialiased);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::LosslessImageRendering);
        for (; first < m_steps.size() && m_steps.at(first).state == stateIndex; ++first) {
            const Step &step = m_steps.at(first);
            if (!step.text.isEmpty()) {
                // The size the letters had on the child's device, on this painter's.
                QFont font = step.font;
                font.setPointSizeF(step.pixelSize * 72.0 / std::max(dotsPerInch, 1));
                painter.setFont(font);
                painter.drawText(step.target.topLeft(), step.text);
            } else if (step.image.isNull()) {
                painter.drawPath(step.path);
            } else {
                painter.drawImage(step.target, step.image, step.source);
            }
        }
        painter.restore();
    }
    painter.restore();
}
