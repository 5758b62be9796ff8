#include "app/pictures/CCPictCatalogView.h"

#include "app/pictures/CCPictCatalog.h"

#include <QResizeEvent>
#include <QScrollBar>

CCPictCatalogView::CCPictCatalogView(QWidget *parent)
    : QScrollArea(parent)
    , m_catalog(new CCPictCatalog)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    viewport()->setAutoFillBackground(false);
    setWidget(m_catalog);
    m_catalog->setAutoFillBackground(false);
    // One row of thumbnails scrolls by one step of the wheel or the arrows.
    verticalScrollBar()->setSingleStep(int(CCPictCatalog::kCellHeight + CCPictCatalog::kSpacing) / 3);
}

void CCPictCatalogView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    const QSize now = viewport()->size();
    const QSize before = m_lastViewportSize.isValid() ? m_lastViewportSize : now;
    m_lastViewportSize = now;
    m_catalog->resizeWithOldSuperviewSize(QSizeF(now), QSizeF(before));
}
