#include "kernel/drawing/CDDPictureSource.h"

#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CImageURL.h"
#include "platform/PWImage.h"

namespace {

const QString kPrefixURL = QStringLiteral("PREFIX_URL");
const QString kPrefixNeedLoad = QStringLiteral("PREFIX_URL_NEED_LOAD");
const QString kPrefixLoaded = QStringLiteral("PREFIX_URL_LOADED ");

} // namespace

void CDDPictureSource::LoaderDeleter::operator()(CImageURL *loader) const
{
    // The loader may be the caller of the code that lets it go (a completion that posts a
    // notification whose observer replaces or destroys the picture): delete it later.
    if (loader)
        loader->deleteLater();
}

// The loader a copy starts reports to the picture this source is part of; it only ever calls
// back from the event loop, once the picture is whole.
CDDPictureSource::CDDPictureSource(const CDDPictureSource &other)
{
    take(other.mImage);
}

CDDPictureSource &CDDPictureSource::operator=(const CDDPictureSource &other)
{
    if (this != &other)
        take(other.mImage);
    return *this;
}

CDDPictureSource::~CDDPictureSource()
{
    giveUp(mImage);
    if (mLoader) {
        mLoader->pictureReleased();
        mLoader->cancelLoading();
        mLoader.reset();
    }
}

void CDDPictureSource::giveUp(std::shared_ptr<PWImage> &image)
{
    if (image && image.use_count() == 1)
        image->setName(QString());
    image.reset();
}

QString CDDPictureSource::nameField(const QString &name, int index)
{
    const QStringList fields = name.split(QLatin1Char(' '));
    return index < fields.size() ? fields.at(index) : QString();
}

void CDDPictureSource::dropLoader()
{
    if (!mLoader)
        return;
    mLoader->cancelLoading();
    mLoader.reset();
}

void CDDPictureSource::take(std::shared_ptr<PWImage> image)
{
    std::shared_ptr<PWImage> previous = mImage;
    dropLoader();
    mURL = QString();
    mWebSite = QString();
    mImage = std::move(image);
    const QString name = mImage ? mImage->name() : QString();
    if (name.startsWith(kPrefixURL))
        UpdateNameCash();
    if (name.startsWith(kPrefixNeedLoad)) {
        const QString loadedName = kPrefixLoaded + nameField(name, 1) + QLatin1Char(' ') + nameField(name, 2);
        if (std::shared_ptr<PWImage> loaded = PWImage::imageNamed(loadedName)) {
            giveUp(mImage);
            mImage = std::move(loaded);
            UpdateNameCash();
        } else if (CImageURL *loader = CImageURL::create(static_cast<CDDPicture *>(this), name)) {
            mLoader.reset(loader);
            mbLoading = true;
            loader->startLoading();
        }
    }
    if (previous != mImage) {
        // Only the remembered reference and ours may remain; the last one clears the name.
        if (previous && previous.use_count() == 1)
            previous->setName(QString());
    }
}

void CDDPictureSource::UpdateNameCash()
{
    mURL = QString();
    mWebSite = QString();
    const QString name = mImage ? mImage->name() : QString();
    if (!name.startsWith(kPrefixURL))
        return;
    mURL = nameField(name, 1);
    mWebSite = nameField(name, 2);
    if (mURL.isEmpty())
        mURL = QString();
    if (mWebSite.isEmpty())
        mWebSite = QString();
}
