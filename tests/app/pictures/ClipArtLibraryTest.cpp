#include "app/pictures/CCSwishIndexer.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTImageUtilities.h"
#include "platform/PWImage.h"
#include "platform/PWKeyedUnarchiver.h"
#include "platform/PWUserDefaults.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The collection the build makes, as it is installed.
const QString kLibrary = QStringLiteral(PW_CLIPART_LIBRARY_DIR);

QString libraryFile(const QString &relative)
{
    return QDir(kLibrary).filePath(relative);
}

QStringList pictureNames()
{
    return QDir(libraryFile(QStringLiteral("ClipArt/Images"))).entryList(QDir::Files, QDir::Name);
}

TEST(ShippedClipArt, HoldsEnoughPicturesInEveryFormatEachWithAThumbnail)
{
    const QStringList names = pictureNames();
    EXPECT_GE(names.size(), 150);
    QHash<QString, int> perFormat;
    for (const QString &name : names) {
        ++perFormat[QFileInfo(name).suffix()];
        const QString thumbnail = libraryFile(QStringLiteral("ClipArt/Thumbnails/") + QFileInfo(name).completeBaseName() + QStringLiteral(".jpg"));
        const QImage image(thumbnail);
        EXPECT_FALSE(image.isNull()) << thumbnail.toStdString();
    }
    for (const char *format : {"png", "jpg", "pdf", "hpi"})
        EXPECT_GE(perFormat.value(QString::fromLatin1(format)), 20) << format;
}

// Every category file is a keyed archive of {"values": picture entries}; together they list
// every picture once, and every entry names a picture that is there.
TEST(ShippedClipArt, CategoryIndexesListEveryPictureOnce)
{
    const QDir folder(libraryFile(QStringLiteral("ClipArt/en.lproj/CategoriesIndex")));
    const QStringList files = folder.entryList({QStringLiteral("*.idx")}, QDir::Files, QDir::Name);
    const QStringList expected = {QStringLiteral("Animals.idx"), QStringLiteral("Food.idx"), QStringLiteral("Frames and Borders.idx"),
                                  QStringLiteral("Holidays.idx"), QStringLiteral("Nature.idx"), QStringLiteral("Office.idx"),
                                  QStringLiteral("Sports.idx"), QStringLiteral("Travel.idx")};
    EXPECT_EQ(files, expected);
    QSet<QString> listed;
    for (const QString &file : files) {
        QFile archive(folder.filePath(file));
        ASSERT_TRUE(archive.open(QIODevice::ReadOnly));
        QString error;
        const std::optional<QVariant> root = PWKeyedUnarchiver::unarchiveObject(archive.readAll(), &error);
        ASSERT_TRUE(root.has_value()) << file.toStdString() << ": " << error.toStdString();
        const QVariantList values = root->toMap().value(QStringLiteral("values")).toList();
        EXPECT_GE(values.size(), 10) << file.toStdString();
        for (const QVariant &value : values) {
            const QVariantMap entry = value.toMap();
            const QString name = entry.value(QStringLiteral("name")).toString();
            EXPECT_FALSE(entry.value(QStringLiteral("hint")).toString().isEmpty()) << name.toStdString();
            EXPECT_TRUE(QFileInfo(libraryFile(QStringLiteral("ClipArt/Images/") + name)).isFile()) << name.toStdString();
            EXPECT_FALSE(listed.contains(name)) << name.toStdString();
            listed.insert(name);
        }
    }
    EXPECT_EQ(listed.size(), pictureNames().size());
}

// Our own "hpi" containers read back as the colour picture cut out by its grey mask.
TEST(ShippedClipArt, HpiContainersReadBackWithTheirMasks)
{
    int containers = 0;
    for (const QString &name : pictureNames().filter(QStringLiteral(".hpi"))) {
        ++containers;
        const QString path = libraryFile(QStringLiteral("ClipArt/Images/") + name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const std::optional<FTHpiBlocks> blocks = parseHpiContainer(bytes);
        ASSERT_TRUE(blocks.has_value()) << name.toStdString();
        EXPECT_FALSE(blocks->mask.isEmpty()) << name.toStdString();
        const std::shared_ptr<PWImage> image = loadHemeraImage(path);
        ASSERT_TRUE(image) << name.toStdString();
        const QImage pixels = image->toImage(image->pixelSize());
        ASSERT_FALSE(pixels.isNull());
        int transparent = 0;
        int opaque = 0;
        for (int y = 0; y < pixels.height(); y += 8) {
            for (int x = 0; x < pixels.width(); x += 8) {
                const int alpha = qAlpha(pixels.pixel(x, y));
                transparent += alpha == 0;
                opaque += alpha == 255;
            }
        }
        EXPECT_GT(transparent, 0) << name.toStdString();
        EXPECT_GT(opaque, 0) << name.toStdString();
    }
    EXPECT_GE(containers, 20);
}

TEST(ShippedClipArt, KeywordIndexFindsPicturesByCaptionAndKeyword)
{
    const auto indexer = CCSwishIndexer::open(libraryFile(QStringLiteral("ClipArt/en.lproj/clipart.idx")));
    ASSERT_TRUE(indexer);
    const auto holidays = indexer->queryString(QStringLiteral("holidays"));
    ASSERT_TRUE(holidays.has_value());
    EXPECT_EQ(holidays->size(), 20);
    const auto pets = indexer->queryString(QStringLiteral("pet"));
    ASSERT_TRUE(pets.has_value());
    ASSERT_FALSE(pets->isEmpty());
    for (const QVariantMap &entry : *pets) {
        const QString name = entry.value(QStringLiteral("name")).toString();
        EXPECT_TRUE(QFileInfo(libraryFile(QStringLiteral("ClipArt/Images/") + name)).isFile()) << name.toStdString();
    }
    // The near query of a word's beginning finds what the whole word finds.
    const auto christmas = indexer->queryString(QStringLiteral("christmas"));
    const auto near = indexer->queryString(CCSwishIndexer::tokenizeQuery(QStringLiteral("chri")));
    ASSERT_TRUE(christmas.has_value());
    ASSERT_TRUE(near.has_value());
    EXPECT_GE(christmas->size(), 2);
    const auto names = [](const QList<QVariantMap> &entries) {
        QStringList result;
        for (const QVariantMap &entry : entries)
            result.append(entry.value(QStringLiteral("name")).toString());
        result.sort();
        return result;
    };
    EXPECT_EQ(names(*near), names(*christmas));
}

// Every picture of the category files, name to caption.
QMap<QString, QString> shippedCaptions()
{
    QMap<QString, QString> captions;
    const QDir folder(libraryFile(QStringLiteral("ClipArt/en.lproj/CategoriesIndex")));
    for (const QString &file : folder.entryList({QStringLiteral("*.idx")}, QDir::Files, QDir::Name)) {
        QFile archive(folder.filePath(file));
        if (!archive.open(QIODevice::ReadOnly))
            continue;
        const std::optional<QVariant> root = PWKeyedUnarchiver::unarchiveObject(archive.readAll(), nullptr);
        if (!root)
            continue;
        for (const QVariant &value : root->toMap().value(QStringLiteral("values")).toList())
            captions.insert(value.toMap().value(QStringLiteral("name")).toString(),
                            value.toMap().value(QStringLiteral("hint")).toString());
    }
    return captions;
}

QStringList captionWords(const QString &caption)
{
    QStringList words;
    for (const QString &word : caption.toLower().split(QRegularExpression(QStringLiteral("[^a-z]+")), Qt::SkipEmptyParts)) {
        if (word.size() >= 3)
            words.append(word);
    }
    return words;
}

// 160 pictures, each its own motif: no caption and no drawing twice.
TEST(ShippedClipArt, EveryPictureIsAMotifOfItsOwn)
{
    const QMap<QString, QString> captions = shippedCaptions();
    EXPECT_EQ(captions.size(), 160);
    EXPECT_EQ(QSet<QString>(captions.begin(), captions.end()).size(), captions.size()) << "a caption used twice";
    QSet<QByteArray> drawings;
    for (const QString &name : captions.keys()) {
        QFile thumbnail(libraryFile(QStringLiteral("ClipArt/Thumbnails/") + QFileInfo(name).completeBaseName() + QStringLiteral(".jpg")));
        ASSERT_TRUE(thumbnail.open(QIODevice::ReadOnly)) << name.toStdString();
        const QImage image = QImage::fromData(thumbnail.readAll()).convertToFormat(QImage::Format_Grayscale8);
        // Told apart by their shapes, not by their colours.
        const QImage shape = image.scaled(24, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QByteArray outline;
        for (int y = 0; y < shape.height(); ++y)
            for (int x = 0; x < shape.width(); ++x)
                outline.append(char(qGray(shape.pixel(x, y)) > 240 ? '.' : '#'));
        EXPECT_FALSE(drawings.contains(outline)) << name.toStdString() << " has the shape of another picture";
        drawings.insert(outline);
    }
}

// A search for a word of a caption finds exactly the pictures whose captions hold that word.
TEST(ShippedClipArt, TheKeywordIndexAnswersEachCaptionWordWithItsOwnPicturesOnly)
{
    const auto indexer = CCSwishIndexer::open(libraryFile(QStringLiteral("ClipArt/en.lproj/clipart.idx")));
    ASSERT_TRUE(indexer);
    const QMap<QString, QString> captions = shippedCaptions();
    ASSERT_FALSE(captions.isEmpty());
    QMap<QString, QSet<QString>> holders;
    for (auto it = captions.begin(); it != captions.end(); ++it) {
        for (const QString &word : captionWords(it.value()))
            holders[word].insert(it.key());
    }
    for (auto it = holders.begin(); it != holders.end(); ++it) {
        const auto hits = indexer->queryString(it.key());
        ASSERT_TRUE(hits.has_value()) << it.key().toStdString();
        QSet<QString> found;
        for (const QVariantMap &hit : *hits) {
            found.insert(hit.value(QStringLiteral("name")).toString());
            EXPECT_EQ(hit.value(QStringLiteral("hint")).toString(), captions.value(hit.value(QStringLiteral("name")).toString()));
        }
        EXPECT_EQ(found, it.value()) << it.key().toStdString();
    }
    // "heart" finds the valentine and the border drawn of hearts, nothing drawn of dots.
    const auto hearts = indexer->queryString(QStringLiteral("heart"));
    ASSERT_TRUE(hearts.has_value());
    QStringList heartCaptions;
    for (const QVariantMap &hit : *hearts)
        heartCaptions.append(hit.value(QStringLiteral("hint")).toString());
    heartCaptions.sort();
    EXPECT_EQ(heartCaptions, QStringList({QStringLiteral("Heart border"), QStringLiteral("Valentine heart")}));
}

class SeededClipArt : public ::testing::Test
{
protected:
    void TearDown() override { PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("FTSharedContentLibraryPath")); }
};

// The user's library is seeded from the shipped one, once, and a design's clip-art name then
// finds its full-size picture there, in every format.
TEST_F(SeededClipArt, SeedsOnceAndDesignsFindPicturesByName)
{
    QTemporaryDir user;
    ASSERT_TRUE(user.isValid());
    const QString target = user.filePath(QStringLiteral("Library"));
    QString error;
    ASSERT_TRUE(CASampleDesignLibrary::installClipArtIfMissing(kLibrary, target, &error)) << error.toStdString();
    PWUserDefaults::standardUserDefaults().setString(QStringLiteral("FTSharedContentLibraryPath"), target);
    EXPECT_EQ(QDir(CAEnvironment::clipArtPath()).entryList(QDir::Files).size(), pictureNames().size());
    EXPECT_TRUE(QFileInfo(CAEnvironment::clipArtIndexPath()).isFile());
    EXPECT_TRUE(QFileInfo(CAEnvironment::clipArtCategoriesIndexPath() + QStringLiteral("/Food.idx")).isFile());

    QSet<QString> formats;
    for (const QString &name : pictureNames()) {
        const QString format = QFileInfo(name).suffix();
        if (formats.contains(format))
            continue;
        const std::shared_ptr<PWImage> image = CAEnvironment::loadFullSizedImage(name);
        ASSERT_TRUE(image) << name.toStdString();
        EXPECT_FALSE(image->size().isEmpty()) << name.toStdString();
        formats.insert(format);
    }
    EXPECT_EQ(formats, QSet<QString>({QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("pdf"), QStringLiteral("hpi")}));

    // A library the user already has is left as it is.
    const QString mine = CAEnvironment::clipArtPath() + QStringLiteral("/mine.png");
    QFile::remove(CAEnvironment::clipArtPath() + QStringLiteral("/") + pictureNames().first());
    ASSERT_TRUE(QImage(4, 4, QImage::Format_ARGB32).save(mine));
    ASSERT_TRUE(CASampleDesignLibrary::installClipArtIfMissing(kLibrary, target, &error));
    EXPECT_TRUE(QFileInfo(mine).isFile());
    EXPECT_FALSE(QFileInfo(CAEnvironment::clipArtPath() + QStringLiteral("/") + pictureNames().first()).exists());
}

} // namespace
