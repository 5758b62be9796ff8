#include "app/shell/CDocScrollView.h"

#include "app/document/CAScrollView.h"

#include <QScrollArea>

CDocScrollView::CDocScrollView(QWidget *parent)
    : QWidget(parent)
    , m_scrollArea(new QScrollArea(this))
    , m_container(new CAScrollView)
{
    m_scrollArea->setObjectName(QStringLiteral("documentScrollArea"));
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_container->setObjectName(QStringLiteral("pageContainer"));
    m_container->setAutoFillBackground(true);
    QPalette palette = m_container->palette();
    palette.setColor(QPalette::Window, QColor(128, 128, 128));
    m_container->setPalette(palette);
    m_scrollArea->setWidget(m_container);
}

void CDocScrollView::addInternetPane(QWidget *pane)
{
    if (!pane)
        return;
    if (m_internetPane) {
        if (pane != m_internetPane)
            delete pane;
        return;
    }
    pane->setParent(this);
    pane->setProperty("viewTag", kInternetPaneTag);
    m_internetPane = pane;
    pane->show();
    tile();
}

void CDocScrollView::removeInternetPane()
{
    delete m_internetPane.data();
    tile();
}

void CDocScrollView::tile()
{
    constexpr int kDefaultPaneHeight = 150;
    int paneHeight = 0;
    if (m_internetPane) {
        paneHeight = std::max(m_internetPane->sizeHint().height(), m_internetPane->minimumHeight());
        if (paneHeight <= 0)
            paneHeight = kDefaultPaneHeight;
    }
    const int pageHeight = qMax(0, height() - (m_internetPane ? paneHeight + 1 : 0));
    m_scrollArea->setGeometry(0, 0, width(), pageHeight);
    if (m_internetPane)
        m_internetPane->setGeometry(0, pageHeight + 1, width(), paneHeight);
}

void CDocScrollView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    tile();
}
