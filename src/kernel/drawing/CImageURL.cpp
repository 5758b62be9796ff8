#include "kernel/drawing/CImageURL.h"

#include "kernel/drawing/CDDPicture.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWImage.h"
#include "platform/PWLog.h"
#include "platform/PWSaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>

#include <atomic>

namespace {

std::atomic<int> s_timeoutMs{CImageURL::kDefaultTimeoutMs};
std::atomic<qint64> s_maxBytes{CImageURL::kDefaultMaxBytes};
std::atomic<int> s_deadlineMs{CImageURL::kDefaultDeadlineMs};
const char *const kDeadlineProperty = "pwPassedDeadline";

const QString kLoadedPrefix = QStringLiteral("PREFIX_URL_LOADED ");

} // namespace

void CImageURL::setTimeoutMs(int milliseconds)
{
    s_timeoutMs = milliseconds > 0 ? milliseconds : kDefaultTimeoutMs;
}

int CImageURL::timeoutMs()
{
    return s_timeoutMs;
}

void CImageURL::setDeadlineMs(int milliseconds)
{
    s_deadlineMs = milliseconds > 0 ? milliseconds : kDefaultDeadlineMs;
}

void CImageURL::setDeadline(QNetworkReply *reply, int milliseconds)
{
    if (!reply)
        return;
    // The reply is the timer's context: the timer goes with it, and touches nothing else.
    QTimer::singleShot(milliseconds, reply, [reply] {
        if (reply->isFinished())
            return;
        reply->setProperty(kDeadlineProperty, true);
        reply->abort();
    });
}

bool CImageURL::passedDeadline(const QNetworkReply *reply)
{
    return reply && reply->property(kDeadlineProperty).toBool();
}

void CImageURL::setMaxBytes(qint64 bytes)
{
    s_maxBytes = bytes > 0 ? bytes : kDefaultMaxBytes;
}

qint64 CImageURL::maxBytes()
{
    return s_maxBytes;
}

CImageURL *CImageURL::create(CDDPicture *picture, const QString &imageName)
{
    const QStringList fields = imageName.split(QLatin1Char(' '));
    const QUrl url(fields.size() > 1 ? fields.at(1) : QString(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.isRelative() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        PWLog::message(lcPicture(), QStringLiteral("refusing to download picture from '%1'")
                                        .arg(fields.size() > 1 ? fields.at(1) : QString()));
        return nullptr;
    }
    return new CImageURL(picture, imageName, url);
}

CImageURL::CImageURL(CDDPicture *picture, const QString &imageName, const QUrl &url)
    : m_imageURL(url)
    , m_strImageName(imageName)
    , m_picture(picture)
{
}

CImageURL::~CImageURL()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void CImageURL::startLoading()
{
    if (!m_manager)
        m_manager = new QNetworkAccessManager(this);
    QNetworkRequest request(m_imageURL);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferNetwork);
    // Redirects are followed, but never from https down to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(s_timeoutMs);
    m_receivedData.clear();
    m_overflow = false;
    m_reply = m_manager->get(request);
    if (!m_reply) {
        endWithoutImage();
        return;
    }
    setDeadline(m_reply, s_deadlineMs);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        // A declared length beyond the cap ends the download before any byte is kept.
        const QVariant length = m_reply ? m_reply->header(QNetworkRequest::ContentLengthHeader) : QVariant();
        if (length.isValid() && length.toLongLong() > s_maxBytes && m_reply) {
            m_overflow = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &CImageURL::replyReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CImageURL::replyFinished);
    connect(m_reply, &QNetworkReply::redirected, this, [this](const QUrl &target) {
        // Every new response starts the bytes afresh.
        m_receivedData.clear();
        const QString scheme = target.scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https") && m_reply)
            m_reply->abort();
    });
}

void CImageURL::cancelLoading()
{
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    endWithoutImage();
}

void CImageURL::endWithoutImage()
{
    if (!m_picture)
        return;
    m_picture->setLoading(false);
    m_picture->updateImage();
}

void CImageURL::replyReadyRead()
{
    if (!m_reply)
        return;
    const QByteArray chunk = m_reply->readAll();
    if (m_overflow)
        return;
    if (m_receivedData.size() + chunk.size() > s_maxBytes) {
        m_overflow = true;
        m_receivedData.clear();
        PWLog::message(lcPicture(), QStringLiteral("picture at '%1' exceeds %2 bytes; download stopped")
                                        .arg(m_imageURL.toString())
                                        .arg(s_maxBytes.load()));
        m_reply->abort();
        return;
    }
    m_receivedData.append(chunk);
}

void CImageURL::replyFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!m_overflow && reply->error() == QNetworkReply::NoError) {
        const QByteArray rest = reply->readAll();
        if (m_receivedData.size() + rest.size() <= s_maxBytes) {
            m_receivedData.append(rest);
            if (status == 0 || (status >= 200 && status < 300)) {
                finishLoading();
                return;
            }
        }
    }
    PWLog::message(lcPicture(), QStringLiteral("download of '%1' failed: %2")
                                    .arg(m_imageURL.toString(), m_overflow ? QStringLiteral("too large")
                                                                : passedDeadline(reply)
                                                                    ? QStringLiteral("not loaded within %1 s").arg(s_deadlineMs / 1000)
                                                                    : reply->errorString()));
    m_receivedData.clear();
    endWithoutImage();
}

void CImageURL::finishLoading()
{
    if (!m_picture)
        return;
    m_picture->setLoading(false);
    const QStringList fields = m_strImageName.split(QLatin1Char(' '));
    const QString url = fields.value(1);
    const QString site = fields.value(2);
    const QString loadedName = kLoadedPrefix + url + QLatin1Char(' ') + site;

    if (std::shared_ptr<PWImage> registered = PWImage::imageNamed(loadedName)) {
        m_receivedData.clear();
        m_picture->setLoadedImage(registered);
        m_picture->updateImage();
        return;
    }
    QString error;
    std::shared_ptr<PWImage> image = PWImage::fromData(m_receivedData, &error);
    if (!image || !image->isValid()) {
        PWLog::message(lcPicture(), QStringLiteral("no picture at '%1': %2").arg(url, error));
        m_receivedData.clear();
        m_picture->updateImage();
        return;
    }
    image->setName(loadedName);
    if (!url.isEmpty()) {
        const QString temp = CAEnvironment::tempPath();
        if (!temp.isEmpty()) {
            const QString file = CAEnvironment::nextTempFileGUIDForPath(fileNameForURL(m_imageURL), temp);
            QDir().mkpath(temp);
            PWSaveFile::File out(file);
            const bool written = PWSaveFile::open(out, nullptr) && out.write(m_receivedData) == m_receivedData.size()
                                 && PWSaveFile::commit(out, nullptr);
            if (!written)
                PWLog::debug(lcPicture(), QStringLiteral("can't copy URL %1 to temp path").arg(QFileInfo(file).fileName()));
            m_picture->setDataRef(CDDString(file));
        }
    }
    m_receivedData.clear();
    m_picture->setLoadedImage(std::move(image));
    m_picture->updateImage();
}

QString CImageURL::fileNameForURL(const QUrl &url)
{
    const QString last = url.path().section(QLatin1Char('/'), -1);
    QString safe;
    for (const QChar c : last) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') || c == QLatin1Char('-')
            || c == QLatin1Char('_'))
            safe.append(c);
    }
    while (safe.startsWith(QLatin1Char('.')))
        safe.remove(0, 1);
    if (safe.size() > 100)
        safe = safe.right(100);
    while (safe.startsWith(QLatin1Char('.')))
        safe.remove(0, 1);
    return safe.isEmpty() ? QStringLiteral("picture") : safe;
}
