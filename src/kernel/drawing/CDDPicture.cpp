#include "kernel/drawing/CDDPicture.h"

#include "kernel/drawing/CImageURL.h"
#include "kernel/foundation/CAEnvironment.h"
#include "kernel/foundation/FTImageUtilities.h"
#include "platform/PWImage.h"
#include "platform/PWLog.h"
#include "platform/PWNotificationCenter.h"

#include <QDir>
#include <QFileInfo>

Q_LOGGING_CATEGORY(lcPicture, "pw.kernel.picture")

namespace {

const QString kPrefixURL = QStringLiteral("PREFIX_URL");
const QString kPrefixNeedLoad = QStringLiteral("PREFIX_URL_NEED_LOAD");
const QString kPrefixLoaded = QStringLiteral("PREFIX_URL_LOADED ");

QString field(const QString &name, int index)
{
    const QStringList fields = name.split(QLatin1Char(' '));
    return index < fields.size() ? fields.at(index) : QString();
}

} // namespace

void CDDPicture::LoaderDeleter::operator()(CImageURL *loader) const
{
    // The loader may be the caller of the code that lets it go (a completion that posts a
    // notification whose observer replaces or destroys the picture): delete it later.
    if (loader)
        loader->deleteLater();
}

CDDPicture::CDDPicture()
{
    init();
}

CDDPicture::CDDPicture(std::shared_ptr<PWImage> image)
{
    init();
    mImage = std::move(image);
}

CDDPicture::CDDPicture(const CDDPicture &other)
{
    init();
    *this = other;
}

CDDPicture &CDDPicture::operator=(const CDDPicture &other)
{
    if (this == &other)
        return *this;
    setData(other.mImage);
    mDataRef = other.getDataRef().getData();
    return *this;
}

CDDPicture::~CDDPicture()
{
    giveUp(mImage);
    mCacheImage = QImage();
    if (mLoader) {
        mLoader->pictureReleased();
        mLoader->cancelLoading();
        mLoader.reset();
    }
}

void CDDPicture::init()
{
    mbLoading = false;
    mImage.reset();
    mLoader.reset();
    mURL = QString();
    mWebSite = QString();
    mDataRef = QString();
    mCacheImage = QImage();
    mbCacheDirty = true;
    mCacheMask = nullptr;
    mCacheTint.reset();
    mCacheSize[0] = mCacheSize[1] = 0.0f;
    mbHasSrcRect = false;
    std::fill(std::begin(mSrcRect), std::end(mSrcRect), 0.0f);
    mfCacheOpacity = 0.0f;
}

void CDDPicture::giveUp(std::shared_ptr<PWImage> &image)
{
    // The last holder takes the name out of the registry before the image goes.
    if (image && image.use_count() == 1)
        image->setName(QString());
    image.reset();
}

void CDDPicture::dropLoader()
{
    if (!mLoader)
        return;
    mLoader->cancelLoading();
    mLoader.reset();
}

void CDDPicture::setData(std::shared_ptr<PWImage> image)
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
        const QString loadedName = kPrefixLoaded + field(name, 1) + QLatin1Char(' ') + field(name, 2);
        if (std::shared_ptr<PWImage> loaded = PWImage::imageNamed(loadedName)) {
            giveUp(mImage);
            mImage = std::move(loaded);
            UpdateNameCash();
        } else if (CImageURL *loader = CImageURL::create(this, name)) {
            mLoader.reset(loader);
            mbLoading = true;
            loader->startLoading();
        }
    }
    mbCacheDirty = true;
    if (previous != mImage) {
        // Only the remembered reference and ours may remain; the last one clears the name.
        if (previous && previous.use_count() == 1)
            previous->setName(QString());
    }
}

double CDDPicture::getImageSizeX() const
{
    return mImage ? mImage->size().width() : 0.0;
}

double CDDPicture::getImageSizeY() const
{
    return mImage ? mImage->size().height() : 0.0;
}

QString CDDPicture::getPrefix() const
{
    if (!mImage)
        return QString();
    const QString name = mImage->name();
    if (name.isEmpty())
        return QString();
    return field(name, 0);
}

void CDDPicture::setSrcRect(float x, float y, float width, float height)
{
    mSrcRect[0] = x;
    mSrcRect[1] = y;
    mSrcRect[2] = width;
    mSrcRect[3] = height;
    mbHasSrcRect = true;
    mbCacheDirty = true;
}

void CDDPicture::setLoadedImage(std::shared_ptr<PWImage> image)
{
    std::shared_ptr<PWImage> preview = mImage;
    mImage = std::move(image);
    const double pw = preview ? preview->size().width() : 0.0;
    const double ph = preview ? preview->size().height() : 0.0;
    const double nw = getImageSizeX();
    const double nh = getImageSizeY();
    // A preview without size gives no scale; the crop then stays as it was.
    if (pw > 0.0 && nw > 0.0) {
        mSrcRect[0] = float(mSrcRect[0] * nw / pw);
        mSrcRect[2] = float(mSrcRect[2] * nw / pw);
    }
    if (ph > 0.0 && nh > 0.0) {
        mSrcRect[1] = float(mSrcRect[1] * nh / ph);
        mSrcRect[3] = float(mSrcRect[3] * nh / ph);
    }
    giveUp(preview);
    UpdateNameCash();
}

void CDDPicture::updateImage()
{
    mbCacheDirty = true;
    QVariantMap info;
    if (!mURL.isNull())
        info.insert(QStringLiteral("URL"), mURL);
    PWNotificationCenter::defaultCenter().postNotification(QStringLiteral("ImageHasLoadedFromInternet"), this,
                                                           info);
}

void CDDPicture::UpdateNameCash()
{
    mURL = QString();
    mWebSite = QString();
    const QString name = mImage ? mImage->name() : QString();
    if (!name.startsWith(kPrefixURL))
        return;
    mURL = field(name, 1);
    mWebSite = field(name, 2);
    if (mURL.isEmpty())
        mURL = QString();
    if (mWebSite.isEmpty())
        mWebSite = QString();
}

void CDDPicture::onDelete()
{
    if (mLoader)
        mLoader->cancelLoading();
}

QString CDDPicture::pathInsideFolder(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || name.isEmpty() || QDir::isAbsolutePath(name) || name.startsWith(QLatin1Char('~'))
        || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        return QString();
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QString();
    for (const QString &part : parts) {
        if (part == QLatin1String("..") || part == QLatin1String("."))
            return QString();
    }
    const QString base = QDir::cleanPath(folder);
    const QString joined = QDir::cleanPath(base + QLatin1Char('/') + parts.join(QLatin1Char('/')));
    if (!joined.startsWith(base + QLatin1Char('/')))
        return QString();
    return joined;
}

std::shared_ptr<PWImage> CDDPicture::getDataFromRef(const CDDString &reference)
{
    const QString path = reference.getData();
    if (path.isEmpty()) {
        PWLog::debug(lcPicture(), QStringLiteral("no image reference given"));
        return nullptr;
    }
    const QFileInfo info(path);
    std::shared_ptr<PWImage> image = info.suffix() == QLatin1String("hpi") ? loadHemeraImage(path)
                                                                            : PWImage::fromFile(path);
    if (!image || !image->isValid()) {
        // The backup copy of a document folder: A/B.E/F is kept as A/B~.E/F.
        const QFileInfo folder(info.absolutePath());
        const QString suffix = folder.suffix();
        const QString base = folder.completeBaseName();
        if (!base.isEmpty()) {
            const QString backup = folder.absolutePath() + QLatin1Char('/') + base + QLatin1Char('~')
                                   + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix)
                                   + QLatin1Char('/') + info.fileName();
            image = PWImage::fromFile(backup);
        }
    }
    if (image && image->isValid())
        return image;
    PWLog::debug(lcPicture(), QStringLiteral("no image data given at reference '%1'").arg(path));
    return nullptr;
}

bool CDDPicture::prefetchData(const CDDString *maskName)
{
    const QString last = QFileInfo(mDataRef).fileName();
    const QString temp = CAEnvironment::tempPath();
    if (last.isEmpty() || last == QLatin1String("..") || temp.isEmpty())
        return false;
    if (!mDataRef.isEmpty() && !QFileInfo::exists(temp + QLatin1Char('/') + last)
        && CAEnvironment::copyToTempPath(mDataRef))
        return true;
    if (CAEnvironment::isValidateTempFileGUID(mDataRef))
        return true;
    for (const QString &folder : {CAEnvironment::clipArtPath(), CAEnvironment::maskPath()}) {
        const QString source = pathInsideFolder(folder, last);
        if (!source.isEmpty() && CAEnvironment::copyFilePathToTempFilePath(source, last))
            return true;
    }
    if (maskName) {
        const QString source = pathInsideFolder(CAEnvironment::maskPath(), maskName->getData());
        if (!source.isEmpty() && CAEnvironment::copyFilePathToTempFilePath(source, last))
            return true;
    }
    return false;
}

bool CDDPicture::loadFromDataRefIfMissing()
{
    if (!mImage && !mDataRef.isEmpty()) {
        if (std::shared_ptr<PWImage> image = getDataFromRef(CDDString(mDataRef)))
            mImage = std::move(image);
    }
    return mImage != nullptr;
}
