#include "app/pictures/CCGoogleSearchItem.h"

#include "app/pictures/CCGoogleSearch.h"
#include "app/pictures/CCGoogleSearchAnswer.h"
#include "app/pictures/CCPicturesLog.h"
#include "kernel/drawing/CImageURL.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

CCGoogleSearchItem::CCGoogleSearchItem(const QUrl &thumbnail, const QUrl &image, const QString &webSite,
                                       QObject *parent)
    : QObject(parent)
    , m_urlThumbnail(thumbnail)
    , m_urlImage(image)
    , m_strWebSite(webSite)
{
}

CCGoogleSearchItem::~CCGoogleSearchItem()
{
    stopLoading();
}

void CCGoogleSearchItem::startLoading(QNetworkAccessManager *manager, int timeoutMs)
{
    stopLoading();
    m_receivedData.clear();
    m_overflow = false;
    if (!manager || !CCGoogleSearchAnswer::isWebAddress(m_urlThumbnail)) {
        qCWarning(lcPictures, "Thumbnail address '%s' refused", qPrintable(m_urlThumbnail.toString()));
        // Told from the event loop, like any other ending, so that the search never recurses.
        m_refused = new QTimer(this);
        m_refused->setSingleShot(true);
        connect(m_refused, &QTimer::timeout, this, [this] {
            QTimer *timer = m_refused;
            m_refused = nullptr;
            timer->deleteLater();
            finish(false);
        });
        m_refused->start(0);
        return;
    }
    QNetworkRequest request(m_urlThumbnail);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(timeoutMs);
    m_reply = manager->get(request);
    CImageURL::setDeadline(m_reply, timeoutMs);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = m_reply ? m_reply->header(QNetworkRequest::ContentLengthHeader) : QVariant();
        if (length.isValid() && length.toLongLong() > kMaxThumbnailBytes && m_reply) {
            m_overflow = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::redirected, this, [this](const QUrl &target) {
        m_receivedData.clear();
        if (!CCGoogleSearchAnswer::isWebAddress(target) && m_reply)
            m_reply->abort();
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &CCGoogleSearchItem::replyReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CCGoogleSearchItem::replyFinished);
}

void CCGoogleSearchItem::stopLoading()
{
    delete m_refused.data();
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void CCGoogleSearchItem::replyReadyRead()
{
    if (!m_reply || m_overflow)
        return;
    const QByteArray chunk = m_reply->readAll();
    if (m_receivedData.size() + chunk.size() > kMaxThumbnailBytes) {
        m_overflow = true;
        m_receivedData.clear();
        m_reply->abort();
        return;
    }
    m_receivedData.append(chunk);
}

void CCGoogleSearchItem::replyFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    replyReadyRead();
    m_reply = nullptr;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool loaded = !m_overflow && reply->error() == QNetworkReply::NoError && status >= 200 && status < 300
        && !m_receivedData.isEmpty();
    if (!loaded) {
        qCWarning(lcPictures, "Thumbnail '%s' not loaded: %s", qPrintable(m_urlThumbnail.toString()),
                  m_overflow                          ? "too large"
                  : CImageURL::passedDeadline(reply) ? "not loaded in time"
                                                      : qPrintable(reply->errorString()));
        m_receivedData.clear();
    }
    finish(loaded);
}

void CCGoogleSearchItem::finish(bool loaded)
{
    if (m_delegate)
        m_delegate->thumbnailDidFinishLoading(this, loaded);
}
