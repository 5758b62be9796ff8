#pragma once

#include <QBrush>
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <memory>

// What drawing an SVG picture does, as paths, pens, brushes and pixels: recorded in the child that
// draws the SVG (Qt's SVG code never runs in the program itself, PWBitmapReader) and drawn again
// here on any painter, so that a PDF gets the picture's paths and a TIFF or a zoomed window its
// edges at their own resolution. The recording comes from a process that read a stranger's file:
// it is read as such, every count bounded by the bytes that follow it and every number finite and
// within bounds, before anything of it reaches a painter.
class PWSvgPictureDrawing
{
public:
    // The most bytes a recording may take; a picture whose drawing takes more is drawn from pixels.
    static constexpr qint64 kMaxBytes = qint64(32) * 1024 * 1024;
    // The most bytes of XML recorded: a larger SVG is drawn from pixels alone, since reading it a
    // second time for its paths would take the child's memory twice over.
    static constexpr qint64 kMaxRecordedXmlBytes = qint64(8) * 1024 * 1024;

    // In the child: the recording of the SVG's XML (already made safe, PWSvgPicture) drawn at its
    // own size; empty when it does not draw, its XML passes kMaxRecordedXmlBytes or its recording
    // would pass kMaxBytes.
    static QByteArray record(const QByteArray &safeSvg);
    // Nothing for bytes that are not a whole, sound recording.
    static std::shared_ptr<const PWSvgPictureDrawing> read(const QByteArray &bytes);

    // The size the picture was drawn at, in points.
    QSizeF size() const { return m_size; }
    // About the memory it takes, for a cache that bounds what it keeps.
    qint64 sizeInBytes() const { return m_bytes; }
    // Draws the part source (in points of the picture, y down; empty for the whole) into target.
    void draw(QPainter &painter, const QRectF &target, const QRectF &source = QRectF()) const;

    // The pen as a device of the given transform strokes it: a dash pattern that repeats within
    // one dot of the device is drawn solid.
    static QPen penForDevice(const QPen &pen, const QTransform &toDevice);

    // The painter's state a step is drawn in; the clip is the intersection of its paths, in the
    // picture's points.
    struct State
    {
        QTransform transform;
        QPen pen;
        QBrush brush;
        QPointF brushOrigin;
        double opacity = 1.0;
        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
        bool antialiased = true;
        QList<QPainterPath> clips;
    };
    // A path filled and stroked, pixels drawn into a rectangle, or a text drawn from its baseline
    // (letters stay letters: a PDF keeps them as text, and each output draws them as it draws text).
    struct Step
    {
        qsizetype state = 0;
        QPainterPath path;
        QImage image;
        QRectF target;
        QRectF source;
        QString text;
        QFont font;
        double pixelSize = 0.0;
    };

private:
    QSizeF m_size;
    qint64 m_bytes = 0;
    QList<State> m_states;
    QList<Step> m_steps;
};
