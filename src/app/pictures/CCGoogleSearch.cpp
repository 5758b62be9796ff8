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
    m_passedDeadline = false;
    if (!m_deadline) {
        m_deadline = new QTimer(this);
        m_deadline->setSingleShot(true);
        connect(m_deadline, &QTimer::timeout, this, &CCGoogleSearch::deadlinePassed);
    }
    m_deadline->start(m_deadlineMs);
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
    m_next = 0;
    m_delivered = 0;
    m_itemState.assign(size_t(m_count), 0);
    if (m_count <= 0) {
        m_deadline->stop();
        sendStop();
        return;
    }
    const CCGoogleSearchItem *first = m_parsedHTML.front().get();
    if (m_clearAction)
        m_clearAction(*this);
    // The clear action may have ended this search or started another.
    if (m_parsedHTML.empty() || m_parsedHTML.front().get() != first)
        return;
    startItems();
}

void CCGoogleSearch::startItems()
{
    while (m_inUse && !m_stopped && m_next < m_count && m_next - m_delivered < kParallelThumbnails) {
        CCGoogleSearchItem *item = m_parsedHTML[size_t(m_next)].get();
        ++m_next;
        // An address that is never requested ends at once, from within this call.
        item->startLoading(manager(), m_timeoutMs);
    }
}

void CCGoogleSearch::thumbnailDidFinishLoading(CCGoogleSearchItem *item, bool loaded)
{
    if (!m_inUse || m_stopped)
        return;
    int index = -1;
    for (int i = m_delivered; i < m_next && i < m_count; ++i) {
        if (m_parsedHTML[size_t(i)].get() == item) {
            index = i;
            break;
        }
    }
    if (index < 0 || m_itemState[size_t(index)] != 0)
        return;
    if (loaded && !isPicture(item->getData())) {
        qCWarning(lcPictures, "Thumbnail '%s' is no picture", qPrintable(item->urlThumbnail().toString()));
        loaded = false;
    }
    m_itemState[size_t(index)] = loaded ? 1 : 2;
    deliverInOrder();
}

void CCGoogleSearch::deliverInOrder()
{
    // Only one pass hands items over: an add action that makes another item end (a stop, a new
    // search) must not start a second pass inside the first.
    static thread_local bool delivering = false;
    if (delivering)
        return;
    delivering = true;
    const CCGoogleSearchItem *first = m_parsedHTML.empty() ? nullptr : m_parsedHTML.front().get();
    const auto stillThisSearch = [&] {
        return m_inUse && !m_stopped && !m_parsedHTML.empty() && m_parsedHTML.front().get() == first;
    };
    while (stillThisSearch() && m_delivered < m_count && m_itemState[size_t(m_delivered)] != 0) {
        const int index = m_delivered++;
        m_current = index;
        if (m_itemState[size_t(index)] == 2) {
            ++m_failed;
            continue;
        }
        if (m_addAction)
            m_addAction(*this, *m_parsedHTML[size_t(index)]);
    }
    delivering = false;
    if (!stillThisSearch())
        return;
    if (m_delivered < m_count) {
        startItems();
        return;
    }
    m_deadline->stop();
    // The last add action ends a complete search; thumbnails that never came need the stop.
    if (m_failed > 0)
        sendStop();
}

void CCGoogleSearch::deadlinePassed()
{
    if (!m_inUse || m_stopped || !isRunning())
        return;
    qCWarning(lcPictures, "Internet image search for '%s' did not end within %d seconds: %d of %d thumbnails came",
              qPrintable(m_searchString), (m_deadlineMs + 999) / 1000, m_delivered - m_failed, m_count);
    m_passedDeadline = true;
    stop();
    sendStop();
}

void CCGoogleSearch::sendStop()
{
    if (m_deadline)
        m_deadline->stop();
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
    if (m_deadline)
        m_deadline->stop();
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
    m_next = 0;
    m_delivered = 0;
    m_itemState.clear();
    m_inUse = false;
    m_stopped = false;
}
