#include "app/shell/CADesignPageView.h"

#include "kernel/merge/CADocument.h"
#include "app/shell/CAActionError.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/render/CDDDrawer.h"

#include <QPainter>

#include <cmath>

CADesignPageView::CADesignPageView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

CADesignPageView::~CADesignPageView() = default;

void CADesignPageView::setDocument(CADocument *document)
{
    if (!document)
        throw CAActionError(QStringLiteral("m_Document is nil"));
    m_document = document;
    documentChanged();
}

void CADesignPageView::documentChanged()
{
    // The view is made afresh: reading a file replaces the design the old view pointed into.
    m_view = m_document ? std::make_unique<CFTAView>(m_document->ftDocumentController()) : nullptr;
    resize(pageSize());
    update();
}

void CADesignPageView::setScale(double scale)
{
    if (!(scale > 0) || scale == m_scale)
        return;
    m_scale = scale;
    resize(pageSize());
    update();
    Q_EMIT scaleChanged(m_scale);
}

QSize CADesignPageView::pageSize() const
{
    const CFTADocument *design = m_document ? m_document->ftDocument() : nullptr;
    if (!design)
        return QSize(0, 0);
    return QSize(static_cast<int>(std::ceil(design->getCardSizeX() * m_scale)),
                 static_cast<int>(std::ceil(design->getCardSizeY() * m_scale)));
}

void CADesignPageView::paintEvent(QPaintEvent *)
{
    CFTADocument *design = m_document ? m_document->ftDocument() : nullptr;
    if (!design || !m_view)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(m_scale, m_scale);
    const QRectF card(0, 0, design->getCardSizeX(), design->getCardSizeY());
    QPainterPath surface;
    surface.addRect(card);
    if (const std::optional<QPainterPath> outline = m_document->documentSurfacePathForRect(card))
        surface = *outline;
    painter.fillPath(surface, Qt::white);
    if (const std::optional<QPainterPath> window = m_document->windowPath(); window && design->HasWindow())
        painter.fillPath(*window, QColor(225, 235, 245));
    painter.save();
    painter.setClipPath(surface);
    m_view->SetResolution(m_scale * devicePixelRatioF());
    m_view->drawer()->SetPainter(&painter);
    m_view->DrawBack();
    m_view->Draw();
    m_view->drawer()->SetPainter(nullptr);
    painter.restore();
    painter.setPen(QPen(QColor(150, 150, 150), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(surface);
}
