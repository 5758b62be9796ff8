#include "app/pictures/CCInternetPictureLoad.h"

#include "app/pictures/CCPicturesLog.h"
#include "kernel/drawing/CDDPicture.h"
#include "platform/PWBundle.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"

#include <QWidget>

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

void CCInternetPictureLoad::setBusyWidget(QWidget *widget)
{
    endBusy();
    m_busyWidget = widget;
    if (isRunning())
        showBusy();
}

void CCInternetPictureLoad::showBusy()
{
    if (m_busyShown || !m_busyWidget)
        return;
    m_hadCursor = m_busyWidget->testAttribute(Qt::WA_SetCursor);
    m_previousCursor = m_busyWidget->cursor();
    m_busyWidget->setCursor(Qt::BusyCursor);
    m_busyShown = true;
}

void CCInternetPictureLoad::endBusy()
{
    if (!m_busyShown)
        return;
    m_busyShown = false;
    if (!m_busyWidget)
        return;
    if (m_hadCursor)
        m_busyWidget->setCursor(m_previousCursor);
    else
        m_busyWidget->unsetCursor();
}

void CCInternetPictureLoad::cancel()
{
    endBusy();
    if (m_observer >= 0)
        PWNotificationCenter::defaultCenter().removeObserver(m_observer);
    m_observer = -1;
    m_done = nullptr;
    m_reference.clear();
    // Releasing the picture cancels its download without a word back.
    m_picture.reset();
}

bool CCInternetPictureLoad::start(std::shared_ptr<PWImage> thumbnail, Done done)
{
    const QString reference = thumbnail ? thumbnail->name() : QString();
    // A second double click or drop of the same result while it loads would only load it again.
    if (isRunning() && !reference.isEmpty() && reference == m_reference)
        return false;
    cancel();
    const QStringList fields = reference.split(QLatin1Char(' '));
    m_address = fields.value(1);
    m_reference = reference;
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
    showBusy();
    m_picture->setData(std::move(thumbnail));
    // A picture loaded before, or an address refused at once, starts no download.
    if (!m_picture->isLoading() && !m_finishQueued) {
        m_finishQueued = true;
        QMetaObject::invokeMethod(this, &CCInternetPictureLoad::finish, Qt::QueuedConnection);
    }
    return true;
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
