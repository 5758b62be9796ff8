#include "app/pictures/CCGoogleSearch.h"

#include "app/pictures/CCGoogleSearchItem.h"
#include "app/pictures/CCPicturesLog.h"
#include "kernel/drawing/CImageURL.h"
#include "platform/PWUserDefaults.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

const QString CCGoogleSearch::kServiceKey = QStringLiteral("FTInternetImageSearchService");

namespace {

// Only what a picture reader recognizes counts as a thumbnail; the rest is skipped.
bool isPicture(const QByteArray &data)
{
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.canRead();
}

} // namespace

CCGoogleSearch::CCGoogleSearch(QObject *parent)
    : QObject(parent)
{
}

CCGoogleSearch::~CCGoogleSearch()
{
    // The owner is going: no action may reach it any more.
    m_clearAction = nullptr;
    m_addAction = nullptr;
    m_stopAction = nullptr;
    free();
}

QNetworkAccessManager *CCGoogleSearch::manager()
{
    if (!m_manager)
        m_manager = new QNetworkAccessManager(this);
    return m_manager;
}

QUrl CCGoogleSearch::serviceBase() const
{
    const QString address = m_serviceAddress.isEmpty()
        ? PWUserDefaults::standardUserDefaults().stringForKey(kServiceKey)
        : m_serviceAddress;
    return CCGoogleSearchAnswer::serviceBase(address);
}

CCGoogleSearch::Start CCGoogleSearch::searchWithString(const QString &text, int sizeType)
{
    free();
    if (text.isEmpty())
        return Start::NoText;
    const QUrl url = CCGoogleSearchAnswer::requestURL(serviceBase(), text, sizeType);
    if (!url.isValid()) {
        qCWarning(lcPictures, "No internet image search service is set (user default %s)", qPrintable(kServiceKey));
        return Start::NoService;
    }
    m_inUse = true;
    m_searchString = text;
    m_searchURL = url;
    m_receivedData.clear();
    m_overflow = false;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(m_timeoutMs);
    m_URLConnection = manager()->get(request);
    QNetworkReply *reply = m_URLConnection;
    CImageURL::setDeadline(reply, m_timeoutMs);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        // Every response starts the page afresh; one that announces too much ends here.
        if (reply != m_URLConnection)
            return;
        m_receivedData.clear();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > CCGoogleSearchAnswer::kMaxPageBytes) {
            m_overflow = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &target) {
        if (reply == m_URLConnection && !CCGoogleSearchAnswer::isWebAddress(target))
            reply->abort();
    });
    connect(reply, &QNetworkReply::readyRead, this, &CCGoogleSearch::pageReadyRead);
    connect(reply, &QNetworkReply::finished, this, &CCGoogleSearch::pageFinished);
    return Start::Started;
}

void CCGoogleSearch::pageReadyRead()
{
    if (!m_URLConnection || m_overflow)
        return;
    const QByteArray chunk = m_URLConnection->readAll();
    if (m_receivedData.size() + chunk.size() > CCGoogleSearchAnswer::kMaxPageBytes) {
        m_overflow = true;
        m_receivedData.clear();
        m_URLConnection->abort();
        return;
    }
    m_receivedData.append(chunk);
}

void CCGoogleSearch::pageFinished()
{
    QNetworkReply *reply = m_URLConnection;
    if (!reply)
        return;
    pageReadyRead();
    m_URLConnection = nullptr;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_overflow || reply->error() != QNetworkReply::NoError || status < 200 || status >= 300) {
        qCWarning(lcPictures, "Internet image search page '%s' not loaded: %s", qPrintable(m_searchURL.toString()),
                  m_overflow                          ? "larger than allowed"
                  : CImageURL::passedDeadline(reply) ? "not loaded in time"
                                                      : qPrintable(reply->errorString()));
        m_receivedData.clear();
        sendStop();
        return;
    }
    finishLoading();
}

void CCGoogleSearch::finishLoading()
{
    const std::vector<CCGoogleSearchAnswer::Record> records =
        CCGoogleSearchAnswer::parse(m_receivedData, m_searchURL);
    m_receivedData.clear();
    m_parsedHTML.clear();
    m_parsedHTML.reserve(records.size());
    for (const CCGoogleSearchAnswer::Record &record : records) {
        auto item = std::make_unique<CCGoogleSearchItem>(record.thumbnail, record.image, record.webSite);
        item->setDelegate(this);
        m_parsedHTML.push_back(std::move(item));
    }
    m_count = int(m_parsedHTML.size());
    m_current = 0;
    m_failed = 0;
    if (m_count <= 0) {
        sendStop();
        return;
    }
    const CCGoogleSearchItem *first = m_parsedHTML.front().get();
    if (m_clearAction)
        m_clearAction(*this);
    // The clear action may have ended this search or started another.
    if (m_parsedHTML.empty() || m_parsedHTML.front().get() != first)
        return;
    startItem(0);
}

void CCGoogleSearch::startItem(int index)
{
    m_current = index;
    m_parsedHTML[size_t(index)]->startLoading(manager(), m_timeoutMs);
}

void CCGoogleSearch::thumbnailDidFinishLoading(CCGoogleSearchItem *item, bool loaded)
{
    if (!m_inUse || m_stopped || m_current < 0 || m_current >= m_count || m_parsedHTML[size_t(m_current)].get() != item)
        return;
    if (loaded && !isPicture(item->getData())) {
        qCWarning(lcPictures, "Thumbnail '%s' is no picture", qPrintable(item->urlThumbnail().toString()));
        loaded = false;
    }
    if (loaded && m_addAction) {
        m_addAction(*this, *item);
        // The add action may have stopped, freed or replaced this search.
        if (!m_inUse || m_stopped || m_current >= m_count || m_parsedHTML[size_t(m_current)].get() != item)
            return;
    }
    if (!loaded)
        ++m_failed;
    if (m_current < m_count - 1) {
        startItem(m_current + 1);
        return;
    }
    // The last add action ends a complete search; thumbnails that never came need the stop.
    if (m_failed > 0)
        sendStop();
}

void CCGoogleSearch::sendStop()
{
    if (m_stopAction)
        m_stopAction(*this);
}

bool CCGoogleSearch::isRunning() const
{
    if (m_URLConnection)
        return true;
    for (const auto &item : m_parsedHTML) {
        if (item->isLoading())
            return true;
    }
    return false;
}

CCGoogleSearchItem *CCGoogleSearch::itemAtIndex(int index) const
{
    return index >= 0 && index < int(m_parsedHTML.size()) ? m_parsedHTML[size_t(index)].get() : nullptr;
}

void CCGoogleSearch::stop()
{
    if (!m_inUse)
        return;
    if (QNetworkReply *reply = m_URLConnection) {
        m_URLConnection = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    for (const auto &item : m_parsedHTML)
        item->stopLoading();
    m_stopped = true;
}

void CCGoogleSearch::free()
{
    if (!m_inUse)
        return;
    stop();
    m_searchURL.clear();
    m_receivedData.clear();
    m_parsedHTML.clear();
    m_count = 0;
    m_current = 0;
    m_failed = 0;
    m_inUse = false;
    m_stopped = false;
}
