// A picture is encoded for the file once: every save of a design (and every weighing of it after a
// step) stores the same block of bytes for it until the picture itself changes, and those are the
// bytes a picture made afresh is stored as. Over the pictures of the test fixtures and of the
// content library the build makes, a picture of every format the platform writes, and pixels
// pasted without a file, each changed into the next.
#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"
#include "TestSupport.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWImage.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

#include <map>

namespace {

struct Picture
{
    QString name;
    std::shared_ptr<PWImage> image;
};

QImage photo(QImage::Format format)
{
    QImage image(37, 23, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 7, y * 11, (x * y) % 256, 128 + (x + y) % 128));
    return image.convertToFormat(format);
}

// The pictures the fixtures hold, the first few of each kind of file in the content library, a
// photo in every format the platform writes, and pixels of each depth without a file.
std::vector<Picture> pictures()
{
    std::vector<Picture> found;
    const auto fromFile = [&found](const QString &path) {
        if (std::shared_ptr<PWImage> image = PWImage::fromFile(path))
            found.push_back({path, image});
    };
    QDirIterator fixtures(pwtest::dataPath(u"pictures"_s), QDir::Files);
    while (fixtures.hasNext())
        fromFile(fixtures.next());
    QStringList library;
    QDirIterator it(QStringLiteral(PW_SAMPLE_LIBRARY_DIR), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        library.append(it.next());
    library.sort();
    std::map<QString, int> ofKind;
    for (const QString &path : std::as_const(library)) {
        const QString kind = QFileInfo(path).suffix().toLower();
        if (kind != u"pwdc"_s && ++ofKind[kind] <= 3)
            fromFile(path);
    }
    for (const QByteArray &format : QImageWriter::supportedImageFormats()) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!photo(QImage::Format_RGB32).save(&buffer, format.constData()))
            continue;
        if (std::shared_ptr<PWImage> image = PWImage::fromData(bytes))
            found.push_back({QString::fromLatin1(format), image});
    }
    for (const QImage::Format format : {QImage::Format_Mono, QImage::Format_Grayscale8, QImage::Format_Grayscale16,
                                        QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGBA64})
        found.push_back({u"pixels of format %1"_s.arg(int(format)), PWImage::fromQImage(photo(format))});
    return found;
}

// The property list a save writes of a new design holding the image.
PWPlist savedWith(const std::shared_ptr<PWImage> &image)
{
    CADocument document;
    auto *picture = new CFTPicture(CDDPicture(image));
    picture->SetOrigin(10, 10);
    picture->SetSize(40, 30);
    document.ftDocument()->AddObject(picture, 0, false);
    return document.propertyListForComponents(nullptr);
}

// The picture's stored bytes in a saved design.
QByteArray storedPicture(const PWPlist &saved)
{
    for (const PWPlist &entry : saved.value(key_FrontSide).value(key_Components).toArray())
        if (entry.value(u"Picture"_s).isData())
            return entry.value(u"Picture"_s).toData();
    return QByteArray();
}

class CADocumentPictureFormsTest : public doctest::Test
{
};

TEST_F(CADocumentPictureFormsTest, APictureIsEncodedOnceAndStoredAsAFreshOneIsUntilItChanges)
{
    const std::vector<Picture> all = pictures();
    ASSERT_GT(all.size(), 10u);
    for (size_t i = 0; i < all.size(); ++i) {
        const Picture &picture = all.at(i);
        SCOPED_TRACE(picture.name.toStdString());
        const PWPlist first = savedWith(picture.image);
        const QByteArray stored = storedPicture(first);
        ASSERT_FALSE(stored.isEmpty());
        const PWPlist second = savedWith(picture.image);
        EXPECT_EQ(second.toXml(), first.toXml());
        EXPECT_EQ(storedPicture(second).constData(), stored.constData()) << "the picture was encoded again";
        EXPECT_EQ(savedWith(picture.image->copy()).toXml(), first.toXml());

        // Changed into the next picture, it is stored as that picture is, made afresh.
        const std::shared_ptr<PWImage> &next = all.at((i + 1) % all.size()).image;
        const std::shared_ptr<PWImage> changed = picture.image->copy();
        EXPECT_EQ(savedWith(changed).toXml(), first.toXml());
        changed->replaceRepresentation(0, *next->bestRepresentation());
        changed->setSize(next->size());
        const PWPlist afterChange = savedWith(changed);
        EXPECT_EQ(afterChange.toXml(), savedWith(changed->copy()).toXml());
        // Where the next picture is stored otherwise, so is the changed one: nothing kept went stale.
        EXPECT_TRUE(storedPicture(savedWith(next)) == stored || storedPicture(afterChange) != stored);
    }
}

} // namespace
