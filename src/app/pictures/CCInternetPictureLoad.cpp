#include "app/pictures/CCInternetPictureLoad.h"

#include "app/pictures/CCPicturesLog.h"
#include "kernel/drawing/CDDPicture.h"
#include "platform/PWBundle.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"

namespace {

const QString kLoadedPrefix = QStringLiteral("PREFIX_URL_LOADED ");

} // namespace

CCInternetPictureLoad::CCInternetPictureLoad(QObject *parent)
    : QObject(parent)
{
}

CCInternetPictureLoad::~CCInternetPictureLoad()
{
    cancel();
}

QString CCInternetPictureLoad::failureMessage(const QString &address)
{
    return PWLocalizedString(QStringLiteral("The picture at %1 could not be loaded.")).arg(address);
}

void CCInternetPictureLoad::cancel()
{
    if (m_observer >= 0)
        PWNotificationCenter::defaultCenter().removeObserver(m_observer);
    m_observer = -1;
    m_done = nullptr;
    // Releasing the picture cancels its download without a word back.
    m_picture.reset();
}

void CCInternetPictureLoad::start(std::shared_ptr<PWImage> thumbnail, Done done)
{
    cancel();
    const QStringList fields = thumbnail ? thumbnail->name().split(QLatin1Char(' ')) : QStringList();
    m_address = fields.value(1);
    m_done = std::move(done);
    m_picture = std::make_unique<CDDPicture>();
    // The download ends inside its own reply handling: the picture is let go only later.
    m_observer = PWNotificationCenter::defaultCenter().addObserver(
        QStringLiteral("ImageHasLoadedFromInternet"), m_picture.get(),
        [this](const PWNotification &) {
            if (m_picture && !m_picture->isLoading() && !m_finishQueued) {
                m_finishQueued = true;
                QMetaObject::invokeMethod(this, &CCInternetPictureLoad::finish, Qt::QueuedConnection);
            }
        },
        this);
    m_picture->setData(std::move(thumbnail));
    // A picture loaded before, or an address refused at once, starts no download.
    if (!m_picture->isLoading() && !m_finishQueued) {
        m_finishQueued = true;
        QMetaObject::invokeMethod(this, &CCInternetPictureLoad::finish, Qt::QueuedConnection);
    }
}

void CCInternetPictureLoad::finish()
{
    m_finishQueued = false;
    if (!m_picture || m_picture->isLoading())
        return;
    std::shared_ptr<PWImage> image = m_picture->getData();
    Done done = std::move(m_done);
    const QString address = m_address;
    const bool loaded = image && image->isValid() && image->name().startsWith(kLoadedPrefix);
    cancel();
    if (!done)
        return;
    if (!loaded) {
        qCWarning(lcPictures).noquote() << QStringLiteral("The internet picture '%1' was not loaded").arg(address);
        done(nullptr, failureMessage(address));
        return;
    }
    done(std::move(image), QString());
}
