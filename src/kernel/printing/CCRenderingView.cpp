#include "kernel/printing/CCRenderingView.h"

#include "kernel/base/CDDFileProgress.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCutMarkGap = 4.5;
constexpr double kCutMarkWidth = 0.5;
constexpr int kDocumentResolution = 600;

} // namespace

CCRenderingView::CCRenderingView(const QRectF &frame)
    : m_frame(frame)
    , m_bounds(QPointF(0, 0), frame.size())
{
}

CCRenderingView::CCRenderingView(const QRectF &frame, float markerSize, const std::vector<CFTComponent *> *components,
                                 const std::vector<CFTComponent *> *backComponents, std::optional<QPainterPath> clip,
                                 bool cutLines, int rotateMode, bool fitAddressPanel, bool FIMBarcodeDrawing,
                                 bool withPrinting, bool drawBackground, float imageResolution,
                                 const CFTComponentsInterface *ftInterface)
    : m_frame(frame)
    , m_bounds(QPointF(0, 0), frame.size())
    , m_components(components)
    , m_backComps(backComponents)
    , m_bDrawCutLines(cutLines)
    , m_nRotateMode(rotateMode)
    , m_bDrawBackground(drawBackground)
    , m_clipPath(std::move(clip))
    , m_markerSize(markerSize)
    , m_resolution(std::isfinite(imageResolution) ? int32_t(imageResolution) : 0)
    , m_bFitAddressPanel(fitAddressPanel)
    , m_bFIMBarcodeDrawing(FIMBarcodeDrawing)
    , m_bPrinting(withPrinting)
    , m_ftInterface(ftInterface)
{
}

QTransform CCRenderingView::turnTransform(int rotateMode, double w, double h)
{
    QTransform turn;
    if (rotateMode == 0)
        return turn;
    turn.rotate(-90.0 * rotateMode);
    switch (rotateMode) {
    case 1:
        turn.translate(-h, 0.0);
        break;
    case 2:
        turn.translate(-w, -h);
        break;
    case 3:
        turn.translate(0.0, -w);
        break;
    default:
        break;
    }
    return turn;
}

CCRenderingView::CCRenderingView(const QRectF &frame, CFTACoreDoc *document, int rotateMode)
    : m_frame(frame)
    , m_bounds(QPointF(0, 0), frame.size())
    , _document(document)
    , m_nRotateMode(rotateMode)
    , m_resolution(kDocumentResolution)
    , m_bPrinting(true)
    , m_ftInterface(document)
{
}

CCRenderingView::CCRenderingView(const QRectF &frame, int randomType, std::uint32_t seed)
    : m_frame(frame)
    , m_bounds(QPointF(0, 0), frame.size())
    , m_randomType(randomType)
    , m_bRandomMode(true)
    , m_resolution(kDocumentResolution)
    , m_random(seed)
{
}

int CCRenderingView::pageCount() const
{
    return _document ? _document->getSidesCount() : 1;
}

QRectF CCRenderingView::rectForPage(int page)
{
    _currPage = page;
    return m_bounds;
}

void CCRenderingView::draw(QPainter &painter)
{
    const std::vector<CFTComponent *> *components = m_components;
    const std::vector<CFTComponent *> *backComponents = m_backComps;
    if (_document) {
        components = _document->GetComponentsPtr(_currPage - 1, false);
        backComponents = _document->GetComponentsPtr(_currPage - 1, true);
    }
    if (!components) {
        // Random shapes stand in for missing content only where they were asked for; a page past
        // the document's end, or a view with nothing to draw, stays empty.
        if (m_bRandomMode)
            drawRandom(painter);
        return;
    }

    painter.save();
    const double margin = m_markerSize;
    const double w = float(m_bounds.width() - 2.0 * margin);
    const double h = float(m_bounds.height() - 2.0 * margin);

    if (m_clipPath)
        painter.setClipPath(*m_clipPath, Qt::IntersectClip);

    CDDDrawer drawer(!m_bPrinting, &painter);
    drawer.SetResolution(m_resolution > 0 ? m_resolution / 72.0 : 1.0);

    if (_document)
        _document->validateObjectsValue();

    if (margin > 0.0)
        painter.translate(margin, margin);
    // The background covers the content wherever the margin put it, right and bottom edges included.
    if (m_bDrawBackground && w > 0.0 && h > 0.0)
        painter.fillRect(QRectF(m_bounds.x(), m_bounds.y(), w, h), Qt::white);

    if (m_nRotateMode != 0)
        painter.setTransform(turnTransform(m_nRotateMode, w, h), true);

    // An export someone watches counts each component drawn, and stops at one when asked.
    if (backComponents) {
        for (CFTComponent *component : *backComponents) {
            CDDFileProgress::step();
            component->Draw(&drawer, false, m_ftInterface, false, true);
        }
    }
    if (m_bFIMBarcodeDrawing)
        drawer.DrawFIMBarcodeOnCard(w, fimA);
    for (CFTComponent *component : *components) {
        CDDFileProgress::step();
        component->Draw(&drawer, false, m_ftInterface, false, true);
    }

    if (m_bDrawCutLines) {
        QPen pen(Qt::black);
        pen.setWidthF(kCutMarkWidth);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        for (const double y : {0.0, h}) {
            painter.drawLine(QPointF(-margin, y), QPointF(-kCutMarkGap, y));
            painter.drawLine(QPointF(w + kCutMarkGap, y), QPointF(w + margin, y));
        }
        for (const double x : {0.0, w}) {
            painter.drawLine(QPointF(x, -margin), QPointF(x, -kCutMarkGap));
            painter.drawLine(QPointF(x, h + kCutMarkGap), QPointF(x, h + margin));
        }
    }
    painter.restore();
}

void CCRenderingView::drawRandom(QPainter &painter)
{
    const double width = m_bounds.width();
    const double height = m_bounds.height();
    if (!std::isfinite(width) || !std::isfinite(height) || width < 1.0 || height < 1.0 || width > 1e9
        || height > 1e9)
        return;
    const quint32 W = quint32(width);
    const quint32 H = quint32(height);
    const auto next = [this] { return m_random.generate() & 0x7fffffffU; };
    const auto randomX = [&] { return double(next() % W); };
    const auto randomY = [&] { return double(next() % H); };
    const auto randomPoint = [&] {
        const double x = randomX();
        return QPointF(x, randomY());
    };
    const auto randomColor = [&] {
        const int red = int(next() % 256);
        const int green = int(next() % 256);
        const int blue = int(next() % 256);
        const int alpha = int(next() % 256);
        return QColor(red, green, blue, alpha);
    };
    const auto paint = [&](int shape, const QPainterPath &path) {
        if (shape % 2 == 1) {
            painter.fillPath(path, randomColor());
        } else {
            const double lineWidth = double(next() % 10 + 2);
            QPen pen(randomColor());
            pen.setWidthF(lineWidth);
            painter.strokePath(path, pen);
        }
    };

    painter.save();
    painter.translate(m_bounds.topLeft());
    switch (m_randomType) {
    case 0:
        for (int shape = 0; shape < 20; ++shape) {
            const QPointF origin = randomPoint();
            const double w = double(next() % W);
            const double h = double(next() % H);
            QPainterPath path;
            path.addRect(QRectF(origin, QSizeF(w, h)));
            paint(shape, path);
        }
        break;
    case 1:
        for (int shape = 0; shape < 20; ++shape) {
            const QPointF centre = randomPoint();
            const double radius = double(next() % std::min(W, H));
            QPainterPath path;
            path.addEllipse(centre, radius, radius);
            paint(shape, path);
        }
        break;
    case 2:
        for (int shape = 0; shape < 10; ++shape) {
            QPainterPath path(randomPoint());
            const QPointF start = path.currentPosition();
            const int segments = int(next() % 18);
            for (int segment = 0; segment < segments; ++segment) {
                if (segment % 2 == 0) {
                    const QPointF c1 = randomPoint();
                    const QPointF c2 = randomPoint();
                    path.cubicTo(c1, c2, randomPoint());
                } else {
                    path.lineTo(randomPoint());
                }
            }
            if (shape % 2 == 1) {
                const QPointF c1 = randomPoint();
                const QPointF c2 = randomPoint();
                path.cubicTo(c1, c2, start);
                path.closeSubpath();
            }
            paint(shape, path);
        }
        break;
    default:
        break;
    }
    painter.restore();
}
