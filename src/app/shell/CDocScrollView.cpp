#include "app/shell/CDocScrollView.h"

#include <QScrollArea>

CDocScrollView::CDocScrollView(QWidget *parent)
    : QWidget(parent)
    , m_scrollArea(new QScrollArea(this))
{
    m_scrollArea->setObjectName(QStringLiteral("documentScrollArea"));
    // The page's view takes the size it needs, never less than the room it is shown in.
    m_scrollArea->setWidgetResizable(false);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
}

void CDocScrollView::setPage(QWidget *page)
{
    if (page == m_scrollArea->widget())
        return;
    delete m_scrollArea->takeWidget();
    if (page)
        m_scrollArea->setWidget(page);
}

QWidget *CDocScrollView::page() const
{
    return m_scrollArea->widget();
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
