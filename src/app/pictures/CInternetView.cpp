#include "app/pictures/CInternetView.h"

#include "app/pictures/CCGoogleSearchAnswer.h"
#include "app/pictures/CCPicturesLog.h"
#include "app/pictures/CLinkTextView.h"
#include "kernel/component/CFTComponent.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPainter>

CInternetView::CInternetView(QWidget *parent)
    : QWidget(parent)
    , m_URLField(new CLinkTextView(this))
    , m_opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    m_URLField->setObjectName(QStringLiteral("m_URLField"));
    auto *layout = new QHBoxLayout(this);
    // Room for the border drawn along the top, right and bottom edges.
    layout->setContentsMargins(4, 2, 2, 2);
    layout->addWidget(m_URLField);
    connect(m_URLField, &CLinkTextView::linkClicked, this, [this](const QUrl &url) { openLink(url, m_opener); });
}

void CInternetView::updateInternet()
{
    if (!m_selection)
        return;
    QString address;
    for (CFTComponent *component : m_selection()) {
        if (!component)
            continue;
        const QString site = component->getWebSiteURL().getData();
        if (!site.isEmpty()) {
            address = site;
            break;
        }
    }
    if (address.isEmpty() || address == m_strURL)
        return;
    m_strURL = address;
    m_URLField->setLink(address);
    ++m_builds;
}

bool CInternetView::openLink(const QUrl &url, const LinkOpener &opener)
{
    if (!CCGoogleSearchAnswer::isWebAddress(url)) {
        qCWarning(lcPictures, "Link '%s' not opened: only http and https pages open", qPrintable(url.toString()));
        return false;
    }
    return opener && opener(url);
}

QSize CInternetView::sizeHint() const
{
    return QSize(300, m_URLField->sizeHint().height() + 4);
}

void CInternetView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF bounds = rect();
    painter.fillRect(bounds, Qt::white);
    painter.setPen(QPen(QColor(204, 204, 204), 1));
    painter.drawLine(QPointF(0, 0.5), QPointF(bounds.width(), 0.5));
    painter.drawLine(QPointF(0, bounds.height() - 0.5), QPointF(bounds.width(), bounds.height() - 0.5));
    painter.drawLine(QPointF(bounds.width() - 0.5, 0), QPointF(bounds.width() - 0.5, bounds.height()));
}
