#include "kernel/drawing/CDDPicture.h"

#include "PictureTestSupport.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<PWImage> named(const QString &name)
{
    std::shared_ptr<PWImage> image = pictest::quadrantImage(10, 5);
    image->setName(name);
    return image;
}

} // namespace

TEST(CDDPictureTest, NamesGiveOriginAndInternetFields)
{
    for (const auto &[name, fields] : {std::pair {"PREFIX_FILE/home/a b.png", "PREFIX_FILE/home/a||"},
                                       {"PREFIX_URL_LOADED http://x/p.png http://x/", "PREFIX_URL_LOADED|http://x/p.png|http://x/"},
                                       {"PREFIX_URL_LOADED", "PREFIX_URL_LOADED||"}, {"FULLSIZE_cat.pdf", "FULLSIZE_cat.pdf||"}}) {
        CDDPicture picture;
        picture.setData(named(QString::fromLatin1(name)));
        EXPECT_EQ(QStringList({picture.getPrefix(), picture.getURL(), picture.getWebSiteURL()}).join(u'|'), QString::fromLatin1(fields));
        EXPECT_FALSE(picture.isLoading());
    }
}

TEST(CDDPictureTest, LastHolderTakesTheNameOutOfTheRegistry)
{
    const QString name = QStringLiteral("PREFIX_FILE/tmp/registry-test.png");
    CDDPicture picture;
    picture.setData(named(name));
    ASSERT_EQ(PWImage::imageNamed(name), picture.getData());
    picture.setData(nullptr);
    EXPECT_EQ(PWImage::imageNamed(name), nullptr);
    std::shared_ptr<PWImage> kept = named(name);
    {
        CDDPicture holder;
        holder.setData(kept);
    }
    EXPECT_EQ(PWImage::imageNamed(name), kept) << "another holder keeps the entry";
}

TEST(CDDPictureTest, DataReferenceFallsBackToTheBackupFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Card~.pwd")));
    ASSERT_TRUE(pictest::quadrantBitmap(6, 6).save(root.filePath(QStringLiteral("Card~.pwd/photo.png"))));
    const CDDString reference(root.filePath(QStringLiteral("Card.pwd/photo.png")));
    const std::shared_ptr<PWImage> image = CDDPicture::getDataFromRef(reference);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelSize(), QSize(6, 6));
    EXPECT_FALSE(CDDPicture::getDataFromRef(CDDString(root.filePath(QStringLiteral("Card.pwd/none.png"))))
                 || CDDPicture::getDataFromRef(CDDString()));
}

TEST(CDDPictureTest, PrefetchCopiesTheDataFileIntoTheTemporaryFolder)
{
    QTemporaryDir root;
    const QString file = root.filePath(QStringLiteral("prefetch-source.png"));
    ASSERT_TRUE(pictest::quadrantBitmap(6, 6).save(file));
    CDDPicture picture;
    picture.setDataRef(CDDString(file));
    EXPECT_TRUE(picture.prefetchData(nullptr));
    EXPECT_TRUE(QFileInfo::exists(CAEnvironment::tempPath() + QStringLiteral("/prefetch-source.png")));
    EXPECT_TRUE(picture.prefetchData(nullptr)) << "a valid copy is already there";
    CDDPicture nowhere;
    nowhere.setDataRef(CDDString(root.filePath(QStringLiteral("missing.png"))));
    const CDDString climbing(QStringLiteral("../../etc/passwd"));
    EXPECT_FALSE(nowhere.prefetchData(nullptr) || nowhere.prefetchData(&climbing));
}

// A copy never carries the crop or the cache of its source; an assigned picture keeps its own crop.
TEST(CDDPictureTest, AssignmentTakesImageAndReferenceOnly)
{
    CDDPicture source(pictest::quadrantImage(8, 8));
    source.setSrcRect(1, 1, 2, 2);
    EXPECT_FALSE(CDDPicture(source).hasSrcRect()) << "a new copy starts without a crop";
    CDDPicture copy;
    copy.setDataRef(CDDString(QStringLiteral("/old")));
    copy.setSrcRect(3, 3, 4, 4);
    copy = source;
    EXPECT_EQ(copy.getSrcRectX(), 3.0f) << "an assigned picture keeps its own crop";
    EXPECT_TRUE(copy.getDataRef().getData().isEmpty() && !copy.getDataRef().getData().isNull()) << "the empty text, not the absence of one";
    copy = copy;
    EXPECT_EQ(copy.getData(), source.getData());
}
