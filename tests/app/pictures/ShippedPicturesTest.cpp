// The postage art and basic shapes the build ships: categories with pictures that read, one
// shape picture per shape kind named after it, and the shapes seeded into a user's library once.
#include "app/pictures/CCPictDragOut.h"
#include "app/pictures/CCPictFolderListing.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "kernel/base/FTUtilities.h"
#include "platform/PWImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kShippedLibrary = QStringLiteral(PW_CLIPART_LIBRARY_DIR);

} // namespace

TEST(ShippedPostArt, HasAtLeastThreeCategoriesAmongThemMailingLabelsEachWithPicturesThatRead)
{
    const QString postArt = CASampleDesignLibrary::shippedPostArtPath(kShippedLibrary);
    ASSERT_FALSE(postArt.isEmpty());
    const QStringList categories = CCPictFolderListing::postArtCategories(postArt);
    EXPECT_GE(categories.size(), 3);
    EXPECT_TRUE(categories.contains(u"Mailing Labels"_s));
    for (const QString &category : categories) {
        const CCPictFolderListing::Listing listing = CCPictFolderListing::listFolder(postArt + u'/' + category, false);
        EXPECT_GE(listing.entries.size(), 3) << category.toStdString();
        for (const CCPictCatalog::Entry &entry : listing.entries) {
            QString error;
            const std::shared_ptr<PWImage> picture = PWImage::fromFile(postArt + u'/' + category + u'/' + entry.name, &error);
            ASSERT_TRUE(picture) << entry.name.toStdString() << ": " << error.toStdString();
            EXPECT_FALSE(picture->size().isEmpty()) << entry.name.toStdString();
        }
    }
}

TEST(ShippedBasicShapes, OnePicturePerShapeKindEachDraggingAsItsShape)
{
    const QDir shapes(kShippedLibrary + u"/BasicShapes"_s);
    QStringList baseNames;
    for (const QFileInfo &file : shapes.entryInfoList(QDir::Files)) {
        baseNames.append(file.completeBaseName());
        const QString reference = u"PREFIX_FILE"_s + file.absoluteFilePath();
        EXPECT_TRUE(CCPictDragOut::dragsAsBasicShape(reference)) << file.fileName().toStdString();
        const std::shared_ptr<PWImage> picture = PWImage::fromFile(file.absoluteFilePath());
        ASSERT_TRUE(picture) << file.fileName().toStdString();
        // Drawn at twice the screen's density: the picture is as large in points as the shape.
        EXPECT_NEAR(picture->size().width(), 66.0, 1.0) << file.fileName().toStdString();
    }
    baseNames.sort();
    QStringList expected = basicShapeNames();
    expected.sort();
    EXPECT_EQ(baseNames, expected);
}

TEST(ShippedBasicShapes, AreSeededIntoAnEmptyLibraryOnlyOnce)
{
    QTemporaryDir user;
    const QString target = user.filePath(u"Library"_s);
    QString error;
    ASSERT_TRUE(CASampleDesignLibrary::installBasicShapesIfMissing(kShippedLibrary, target, &error))
        << error.toStdString();
    EXPECT_EQ(QDir(target + u"/BasicShapes"_s).entryList(QDir::Files).size(), basicShapeNames().size());
    ASSERT_TRUE(QFile::remove(target + u"/BasicShapes/Circle.png"_s));
    ASSERT_TRUE(CASampleDesignLibrary::installBasicShapesIfMissing(kShippedLibrary, target, &error));
    EXPECT_FALSE(QFileInfo::exists(target + u"/BasicShapes/Circle.png"_s)) << "a library the user has is left alone";
}
