#include "app/printsheet/CAPrintPreview.h"

#include "kernel/merge/CAPrintingView.h"
#include "platform/PWJobReport.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPictureRenderer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {
constexpr int kMargin = 12;
}

CAPrintPreview::CAPrintPreview(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("_imageView"));
    setAutoFillBackground(false);
    // Items drawn before a picture's raster was there are made again once it is.
    PWNotificationCenter::defaultCenter().addObserver(
        PWPictureRenderer::kRenderedNotification, nullptr,
        [this](const PWNotification &) {
            if (m_view && m_view->dropIncompleteImages())
                update();
        },
        this);
}

void CAPrintPreview::setPrintingView(CAPrintingView *view)
{
    m_view = view;
    resize(sizeHint());
    update();
}

void CAPrintPreview::setNotes(const QStringList &lines)
{
    if (m_tooLong == lines)
        return;
    m_tooLong = lines;
    Q_EMIT notesChanged();
}

void CAPrintPreview::addNotes(const QStringList &lines)
{
    bool added = false;
    for (const QString &line : lines)
        if (!m_tooLong.contains(line)) {
            m_tooLong.append(line);
            added = true;
        }
    if (added)
        Q_EMIT notesChanged();
}

void CAPrintPreview::setZoom(int percent)
{
    m_zoom = qBound(10, percent, 800);
    resize(sizeHint());
    update();
}

void CAPrintPreview::setRoom(const QSize &room)
{
    m_room = room.expandedTo(QSize(100, 100));
    resize(sizeHint());
}

QRectF CAPrintPreview::pageRect() const
{
    const QSizeF paper = m_view ? m_view->paperSize() : QSizeF(612, 792);
    if (paper.isEmpty())
        return QRectF();
    const QSizeF room(m_room.width() - 2 * kMargin, m_room.height() - 2 * kMargin);
    const double fit = std::min(room.width() / paper.width(), room.height() / paper.height());
    const double scale = fit * m_zoom / 100.0;
    return QRectF(QPointF(kMargin, kMargin), paper * scale);
}

QSize CAPrintPreview::sizeHint() const
{
    const QRectF page = pageRect();
    return QSize(int(page.right()) + kMargin, int(page.bottom()) + kMargin).expandedTo(QSize(100, 100));
}

void CAPrintPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    const QRectF page = pageRect();
    if (!m_view || page.isEmpty())
        return;
    painter.fillRect(page.translated(3, 3), QColor(0, 0, 0, 60));
    painter.fillRect(page, Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.save();
    painter.setClipRect(page);
    painter.translate(page.topLeft());
    const QSizeF paper = m_view->paperSize();
    painter.scale(page.width() / paper.width(), page.height() / paper.height());
    // A PDF or EPS picture of an item shows when its rendering is there: the sheet never waits.
    const PWPictureRenderer::Deferred deferred;
    using Kind = PWJobReport::Kind;
    QStringList jobNotes;
    {
        // What the job would say of its persons and its design as a whole.
        const PWJobReport job;
        m_view->noteJobOfPersons();
        for (const Kind kind :
             {Kind::ContactsNotAsRead, Kind::NoRecipient, Kind::ContactsReadOtherwise, Kind::ColumnsNotRead,
              Kind::FieldsWithoutColumn})
            jobNotes += job.lines(kind);
    }
    const PWJobReport report;
    m_view->drawPage(painter, m_view->curPage());
    painter.restore();
    if (jobNotes != m_jobNotes) {
        m_jobNotes = jobNotes;
        Q_EMIT notesChanged();
    }
    // What the job would say of the items a look at the page already shows.
    QStringList notes;
    for (const Kind kind : {Kind::AddressTooLong, Kind::CutByWindow, Kind::FileFieldNotRead})
        notes += report.lines(kind);
    addNotes(notes);
}

QPointF CAPrintPreview::pagePoint(const QPointF &position) const
{
    const QRectF page = pageRect();
    const QSizeF paper = m_view ? m_view->paperSize() : QSizeF();
    if (page.isEmpty() || paper.isEmpty())
        return QPointF(-1.0, -1.0);
    return QPointF((position.x() - page.left()) * paper.width() / page.width(),
                   (position.y() - page.top()) * paper.height() / page.height());
}

QPointF CAPrintPreview::widgetPoint(const QPointF &pagePoint) const
{
    const QRectF page = pageRect();
    const QSizeF paper = m_view ? m_view->paperSize() : QSizeF();
    if (page.isEmpty() || paper.isEmpty())
        return QPointF();
    return QPointF(page.left() + pagePoint.x() * page.width() / paper.width(),
                   page.top() + pagePoint.y() * page.height() / paper.height());
}

void CAPrintPreview::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_view) {
        QWidget::mousePressEvent(event);
        return;
    }
    Q_EMIT pageClicked(pagePoint(event->position()), 1);
    // The hand drag belongs to the container: it takes the press from here on.
    if (m_view && m_view->guiMode() == 0)
        event->ignore();
}

void CAPrintPreview::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_view) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    Q_EMIT pageClicked(pagePoint(event->position()), 2);
}

void CAPrintPreview::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 120;
    if (!(event->modifiers() & Qt::ControlModifier) || steps == 0) {
        QWidget::wheelEvent(event);
        return;
    }
    Q_EMIT zoomRequested(event->position(), steps);
    event->accept();
}
