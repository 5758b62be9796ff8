#include "kernel/drawing/CDDPicture.h"

#include "kernel/drawing/CImageURL.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTImageUtilities.h"
#include "platform/PWImage.h"
#include "platform/PWLog.h"
#include "platform/PWNotificationCenter.h"

#include <QDir>
#include <QFileInfo>

Q_LOGGING_CATEGORY(lcPicture, "pw.kernel.picture")

CDDPicture::CDDPicture() = default;

CDDPicture::CDDPicture(std::shared_ptr<PWImage> image)
    : CDDPictureSource(std::move(image))
{
}

CDDPicture::~CDDPicture() = default;

void CDDPicture::setData(std::shared_ptr<PWImage> image)
{
    take(std::move(image));
    mMissingName.clear();
    mUnreadStored = PWPlist();
    mCache.dirty = true;
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
    return nameField(name, 0);
}

void CDDPicture::setSrcRect(float x, float y, float width, float height)
{
    mCrop.value.rect[0] = x;
    mCrop.value.rect[1] = y;
    mCrop.value.rect[2] = width;
    mCrop.value.rect[3] = height;
    mCrop.value.has = true;
    mCache.dirty = true;
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
    float *crop = mCrop.value.rect;
    if (pw > 0.0 && nw > 0.0) {
        crop[0] = float(crop[0] * nw / pw);
        crop[2] = float(crop[2] * nw / pw);
    }
    if (ph > 0.0 && nh > 0.0) {
        crop[1] = float(crop[1] * nh / ph);
        crop[3] = float(crop[3] * nh / ph);
    }
    giveUp(preview);
    UpdateNameCash();
}

void CDDPicture::updateImage()
{
    mCache.dirty = true;
    QVariantMap info;
    if (!mURL.isNull())
        info.insert(QStringLiteral("URL"), mURL);
    PWNotificationCenter::defaultCenter().postNotification(QStringLiteral("ImageHasLoadedFromInternet"), this,
                                                           info);
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

QString CDDPicture::nameForUser(const QString &name)
{
    constexpr qsizetype kShown = 120;
    QString shown = name.left(kShown);
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            c = QChar(0xFFFD);
    }
    if (name.size() > kShown)
        shown += QChar(0x2026);
    return shown;
}
