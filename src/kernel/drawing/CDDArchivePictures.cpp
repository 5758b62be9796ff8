// Pictures in the document archive: by name, as keyed-archive image data, or as package entries.
#include "kernel/drawing/CDDArchivePictures.h"

#include "kernel/base/CDDArchive.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/base/FTImageArchive.h"
#include "kernel/base/FTImageUtilities.h"
#include "kernel/drawing/CDDPicture.h"
#include "platform/PWFileReader.h"
#include "platform/PWImage.h"
#include "platform/PWLog.h"
#include "platform/PWUserDefaults.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

namespace {

const QString kFullSize = QStringLiteral("FULLSIZE_");
const QString kSaveAsTemplate = QStringLiteral("FTSaveAsTemplate");

QString lastComponent(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name == QLatin1String("..") || name == QLatin1String(".") ? QString() : name;
}

QString withExtension(const QString &name, const QString &extension)
{
    const QFileInfo info(name);
    const QString base = info.completeBaseName();
    const QString folder = name.left(name.size() - info.fileName().size());
    return folder + (base.isEmpty() ? info.fileName() : base) + QLatin1Char('.') + extension;
}

QByteArray readTempFile(const QString &name)
{
    const QString temp = CAEnvironment::tempPath();
    const QString path = CDDPicture::pathInsideFolder(temp, name);
    if (path.isEmpty())
        return QByteArray();
    return PWFileReader::read(path, PWFileReader::kImageLimit).bytes;
}

// The file name extension of a bitmap file's bytes, after their format.
QString bitmapExtension(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format.isEmpty() || format == "tiff")
        return QStringLiteral("tif");
    return format == "jpeg" ? QStringLiteral("jpg") : QString::fromLatin1(format);
}

std::shared_ptr<PWImage> validImage(std::shared_ptr<PWImage> image)
{
    return image && image->isValid() ? image : nullptr;
}

std::shared_ptr<PWImage> imageInFolder(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return nullptr;
    const QString path = CDDPicture::pathInsideFolder(folder, name);
    return path.isEmpty() ? nullptr : validImage(PWImage::fromFile(path));
}

// A stored picture that does not read stays the design's: kept as the file has it for the next
// save, drawn as a placeholder, and named by the reading.
void keepUnread(const CDDArchive &archive, const QString &key, const PWPlist &stored, const QString &reason,
                CDDPicture &picture)
{
    const PWPlist dictionary = archive.getDict();
    const QString place = CDDReadReport::placeOf(dictionary.isDictionary() ? &dictionary.toDictionary() : nullptr);
    archive.noteKept(key, QStringLiteral("\"%1\" of %2 cannot be read (%3); it is drawn as a placeholder and "
                                         "kept as it was")
                              .arg(key, place, reason));
    if (!picture.getData())
        picture.setUnreadStored(stored);
}

// The forms a save stores an image in, made from one revision of it: the bytes of its file or
// package entry with their extension, and the keyed archive of the image that the design holds.
// Made once per picture and kept with the image until it changes (PWImage::Kept): a photo takes
// seconds to encode, and the window weighs its design after every step.
struct StoredForms : PWImage::Kept
{
    QByteArray data;
    QString extension;
    QString encodeError;
    QByteArray archived;
    QString archiveError;
};

std::shared_ptr<const StoredForms> makeStoredForms(const PWImage &image)
{
    auto forms = std::make_shared<StoredForms>();
    // The data of the best representation: PDF, EPS and bitmaps read from files stay as they
    // are, other bitmaps become TIFF at their own pixel size.
    std::shared_ptr<PWImage> toStore;
    const PWImageRep *best = image.bestRepresentation();
    if (best) {
        if (best->kind() != PWImageRep::Kind::Bitmap) {
            forms->data = best->data();
            forms->extension = best->kind() == PWImageRep::Kind::PDF ? QStringLiteral("pdf") : QStringLiteral("eps");
            toStore = PWImage::create(*best);
            // One that cannot be read knows no size of its own: it keeps the one it was stored with.
            if (!best->isReadable())
                toStore->setSize(image.size());
        } else if (!best->data().isEmpty()) {
            // A bitmap read from a file: the package keeps the file's bytes, the archive its
            // TIFF (the bytes themselves when they are TIFF or do not decode).
            forms->data = best->data();
            forms->extension = bitmapExtension(forms->data);
            std::shared_ptr<PWImage> made = PWImage::create(*best);
            made->setSize(QSizeF(best->isReadable() ? QSizeF(best->pixelSize()) : image.size()));
            toStore = made;
        } else {
            // A bitmap is stored at its own pixel size, one point a pixel, its TIFF stating the
            // resolution it has across and down.
            FTImageArchive::TiffOptions options;
            if (best->size().width() > 0 && best->size().height() > 0) {
                options.dotsPerInchX = 72.0 * best->bitmap().width() / best->size().width();
                options.dotsPerInchY = 72.0 * best->bitmap().height() / best->size().height();
            }
            forms->data = FTImageArchive::tiffData(best->bitmap(), options, &forms->encodeError);
            if (!forms->data.isEmpty())
                forms->extension = QStringLiteral("tif");
        }
        if (!forms->data.isEmpty() && !toStore) {
            if (std::shared_ptr<PWImage> made = validImage(PWImage::fromData(forms->data))) {
                // The TIFF's resolution tag goes through a rounding; the size is the pixel size.
                if (forms->extension == QLatin1String("tif"))
                    made->setSize(QSizeF(best->pixelSize()));
                toStore = made;
            }
        }
    }
    forms->archived = FTImageArchive::archivedData(toStore ? *toStore : image, &forms->archiveError);
    return forms;
}

std::shared_ptr<const StoredForms> storedForms(const PWImage &image)
{
    const quint64 revision = image.revision();
    if (auto kept = std::dynamic_pointer_cast<const StoredForms>(image.kept()))
        return kept;
    std::shared_ptr<const StoredForms> forms = makeStoredForms(image);
    image.keep(forms, revision);
    return forms;
}

} // namespace

bool archiveSetPicture(const CDDArchive &archive, const QString &key, CDDPicture &picture)
{
    const std::shared_ptr<PWImage> &image = picture.getData();
    if (!image && !picture.unreadStored().isNull()) {
        // What the reading could not make a picture of goes back into the file as it came.
        return archive.store(key, picture.unreadStored());
    }
    if (!image && !picture.missingName().isEmpty()) {
        // A picture the content library lacks goes back into the file by the name it came by.
        picture.setDataRef(CDDString(picture.missingName()));
        return archive.store(key, PWPlist::fromString(picture.missingName()));
    }
    if (!image) {
        const QString reference = picture.getDataRef().getData();
        if (reference.isEmpty())
            return false;
        const QString name = lastComponent(reference);
        const QByteArray bytes = name.isEmpty() ? QByteArray() : readTempFile(name);
        if (bytes.isEmpty()) {
            PWLog::message(lcArchive(),
                           QStringLiteral("error saving image data '%1' from prefetch data").arg(reference));
            return false;
        }
        picture.setDataRef(CDDString(name));
        archive.appendPackageEntry(PWPlist::Dictionary{{QStringLiteral("data"), PWPlist::fromData(bytes)},
                                                         {QStringLiteral("dataRef"), PWPlist::fromString(name)}});
        return false;
    }

    QString name = image->name();
    if (name.startsWith(kFullSize))
        name = name.mid(kFullSize.size());

    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    if (defaults.objectForKey(kSaveAsTemplate).isNull())
        defaults.setBool(kSaveAsTemplate, false);
    if (defaults.boolForKey(kSaveAsTemplate) && !name.isEmpty() && !name.startsWith(QLatin1String("PREFIX_FILE"))
        && !name.startsWith(QLatin1String("PREFIX_URL"))) {
        picture.setDataRef(CDDString(name));
        return archive.store(key, PWPlist::fromString(name));
    }

    const std::shared_ptr<const StoredForms> forms = storedForms(*image);
    const QByteArray &data = forms->data;
    const QString &extension = forms->extension;
    if (!forms->encodeError.isEmpty())
        PWLog::message(lcArchive(), QStringLiteral("picture '%1' could not be encoded: %2").arg(key, forms->encodeError));

    if (archive.GetPackageType() == ptPackage && archive.hasPackageContent()) {
        QString reference = picture.getDataRef().getData();
        if (reference.isEmpty())
            reference = name;
        QString fileName = lastComponent(reference);
        QByteArray bytes = fileName.isEmpty() ? QByteArray() : readTempFile(fileName);
        if (bytes.isEmpty() && !extension.isEmpty()) {
            fileName = withExtension(CAEnvironment::tempFileGUID(), extension);
            bytes = data;
        }
        if (!fileName.isEmpty() && !bytes.isEmpty()) {
            picture.setDataRef(CDDString(fileName));
            archive.appendPackageEntry(PWPlist::Dictionary{{QStringLiteral("data"), PWPlist::fromData(bytes)},
                                                         {QStringLiteral("dataRef"), PWPlist::fromString(fileName)}});
            return true;
        }
    }

    if (forms->archived.isEmpty()) {
        PWLog::message(lcArchive(), QStringLiteral("picture '%1' could not be archived: %2").arg(key, forms->archiveError));
        return true;
    }
    archive.store(key, PWPlist::fromData(forms->archived));
    return true;
}

bool archiveGetPicture(const CDDArchive &archive, const QString &key, CDDPicture &picture)
{
    const PWPlist stored = archive.value(key);
    if (stored.isNull())
        return false;
    if (stored.isData()) {
        QString error;
        std::shared_ptr<PWImage> image = FTImageArchive::unarchiveImage(stored.toData(), &error);
        if (!image) {
            keepUnread(archive, key, stored, error, picture);
            return false;
        }
        picture.setData(std::move(image));
        return true;
    }
    if (!stored.isString()) {
        keepUnread(archive, key, stored, QStringLiteral("it is neither picture data nor a name"), picture);
        return false;
    }

    const QString s = stored.toString();
    QString registered = kFullSize + s;
    std::shared_ptr<PWImage> image = validImage(PWImage::imageNamed(registered));
    if (!image)
        image = validImage(PWImage::imageNamed(withExtension(registered, QStringLiteral("pdf"))));
    if (!image) {
        // Each lookup stays inside its folder: a stored name never reaches elsewhere. The
        // user's library comes first, then the one installed with the program.
        const QString masks[] = {CAEnvironment::maskPath(), CAEnvironment::installedMaskPath()};
        const QString clipArt[] = {CAEnvironment::clipArtPath(), CAEnvironment::installedClipArtPath()};
        image = imageInFolder(CAEnvironment::postArtPath(), s);
        if (!image)
            image = validImage(CAEnvironment::loadFullSizedImage(s));
        for (const QString &folder : masks)
            if (!image)
                image = imageInFolder(folder, s);
        const QString last = lastComponent(s);
        for (const QString &folder : clipArt)
            if (!image && !last.isEmpty())
                image = imageInFolder(folder, last);
        for (const QString &folder : clipArt) {
            if (!image && !last.isEmpty()) {
                image = imageInFolder(folder, withExtension(last, QStringLiteral("pdf")));
                if (image)
                    registered = withExtension(registered, QStringLiteral("pdf"));
            }
        }
        if (image)
            image->setName(registered);
    }
    if (!image) {
        PWLog::message(lcArchive(), QStringLiteral("Picture %1 not found").arg(s));
        if (s.isEmpty())
            return false;
        // The name stays the design's: kept for the next save, and the reading names it.
        const QString shown = CDDPicture::nameForUser(s);
        archive.noteKept(key, key == QLatin1String("Picture Mask")
                                    ? QStringLiteral("the mask \"%1\" is not in the content library; the picture is "
                                                     "drawn without it, and the mask is kept by its name").arg(shown)
                                    : QStringLiteral("the picture \"%1\" is not in the content library; it is drawn "
                                                     "as a placeholder and kept by its name").arg(shown));
        if (!picture.getData())
            picture.setMissingName(s);
        return false;
    }
    if (key == QLatin1String("Picture Mask"))
        convertMaskImage(image.get());
    picture.setData(std::move(image));
    return true;
}
