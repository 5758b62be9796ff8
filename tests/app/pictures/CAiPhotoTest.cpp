#include <gtest/gtest.h>

#include "app/pictures/CAiPhoto.h"
#include "app/pictures/CAiPhotoBrowserView.h"
#include "app/pictures/CAiPhotoCatalog.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"
#include "platform/PWImage.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"
#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

PWPlist string(const QString &text)
{
    return PWPlist::fromString(text);
}

PWPlist album(const QString &name, const QStringList &keys)
{
    PWPlist::Array list;
    for (const QString &key : keys)
        list.append(string(key));
    return PWPlist::Dictionary{{QStringLiteral("AlbumName"), string(name)}, {QStringLiteral("KeyList"), list}};
}

// An album database in a folder of its own: three albums over seven pictures, of which "7" has
// no picture files and "8" is named by an album but missing from the master list.
struct AlbumLibrary
{
    AlbumLibrary()
    {
        PWPlist::Dictionary master;
        for (int i = 1; i <= 7; ++i) {
            const QString key = QString::number(i);
            const QString thumb = dir.filePath(QStringLiteral("Thumbs/%1.png").arg(i));
            const QString full = dir.filePath(QStringLiteral("Originals/%1.png").arg(i));
            if (i != 7) {
                writePicture(thumb, QSize(32, 24), QColor::fromHsv(i * 40, 200, 200));
                writePicture(full, QSize(320, 240), QColor::fromHsv(i * 40, 200, 200));
            }
            master.insert(key, PWPlist::Dictionary{{QStringLiteral("ImagePath"), string(full)},
                                                   {QStringLiteral("ThumbPath"), string(thumb)},
                                                   {QStringLiteral("Caption"), string(QStringLiteral("Photo %1").arg(i))}});
        }
        // Paths relative to the database's folder.
        writePicture(dir.filePath(QStringLiteral("Thumbs/rel.png")), QSize(10, 10), Qt::blue);
        master.insert(QStringLiteral("rel"), PWPlist::Dictionary{{QStringLiteral("ImagePath"), string(QStringLiteral("Thumbs/rel.png"))},
                                                                 {QStringLiteral("ThumbPath"), string(QStringLiteral("Thumbs/rel.png"))}});
        const PWPlist::Array albums{
            album(QStringLiteral("Holidays"), {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}),
            album(QStringLiteral("Family"), {QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                                             QStringLiteral("8"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                             QStringLiteral("rel")}),
            album(QStringLiteral("Empty"), {})};
        const PWPlist root(PWPlist::Dictionary{{QStringLiteral("Application Version"), string(QStringLiteral("5.0"))},
                                               {QStringLiteral("List of Albums"), albums},
                                               {QStringLiteral("Master Image List"), master}});
        EXPECT_TRUE(pwtest::writeFile(path(), root.toXml()));
    }

    static void writePicture(const QString &file, QSize size, const QColor &colour)
    {
        QDir().mkpath(QFileInfo(file).path());
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(file, "PNG"));
    }

    QString path() const { return dir.filePath(CAiPhoto::kDatabaseName); }
    QTemporaryDir dir;
};

// Points the settings at a database folder for the test's life.
struct SharedDatabase
{
    explicit SharedDatabase(const QString &root)
    {
        PWUserDefaults::standardUserDefaults().setString(CAiPhoto::kRootDirectoryDefault, root);
        PWUserDefaults::standardUserDefaults().removeObject(CAiPhotoBrowserView::kRecentCategoryDefault);
        CAiPhoto::reloadSharedInstance();
    }
    ~SharedDatabase()
    {
        PWUserDefaults::standardUserDefaults().removeObject(CAiPhoto::kRootDirectoryDefault);
        PWUserDefaults::standardUserDefaults().removeObject(CAiPhotoBrowserView::kRecentCategoryDefault);
        CAiPhoto::reloadSharedInstance();
    }
};

TEST(AlbumReaderTest, AlbumsKeysPathsAndCaptions)
{
    AlbumLibrary library;
    const CAiPhoto photos(library.path());
    EXPECT_TRUE(photos.error().isEmpty()) << photos.error().toStdString();
    ASSERT_EQ(photos.albumsCount(), 3);
    EXPECT_EQ(photos.albumName(0), QStringLiteral("Holidays"));
    EXPECT_EQ(photos.albumName(1), QStringLiteral("Family"));
    EXPECT_EQ(photos.albumName(2), QStringLiteral("Empty"));
    EXPECT_EQ(photos.imageKeys(0), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(photos.imageKeys(1).size(), 9);
    EXPECT_TRUE(photos.imageKeys(2).isEmpty());
    EXPECT_EQ(photos.captionForKey(QStringLiteral("5")), QStringLiteral("Photo 5"));
    EXPECT_EQ(photos.thumbPathForKey(QStringLiteral("5")), library.dir.filePath(QStringLiteral("Thumbs/5.png")));
    EXPECT_EQ(photos.imagePathForKey(QStringLiteral("5")), library.dir.filePath(QStringLiteral("Originals/5.png")));
    EXPECT_EQ(photos.thumbPathForKey(QStringLiteral("rel")), library.dir.filePath(QStringLiteral("Thumbs/rel.png")));
    // A key the master list lacks, and indices beyond the albums.
    EXPECT_TRUE(photos.captionForKey(QStringLiteral("8")).isEmpty());
    EXPECT_TRUE(photos.thumbPathForKey(QStringLiteral("8")).isEmpty());
    for (int index : {-1, 3, 100}) {
        EXPECT_TRUE(photos.albumName(index).isEmpty());
        EXPECT_TRUE(photos.imageKeys(index).isEmpty());
    }
}

TEST(AlbumReaderTest, FilesThatAreNoAlbumDatabaseReadAsNoAlbums)
{
    QTemporaryDir dir;
    const struct { const char *name; QByteArray bytes; } cases[] = {
        {"text.xml", "Holidays, Family"},
        {"array.xml", PWPlist(PWPlist::Array{string(QStringLiteral("List of Albums"))}).toXml()},
        {"cut.xml", QByteArray("<?xml version=\"1.0\"?><plist><dict><key>List of Albums</key><array>")},
        {"empty.xml", QByteArray()}};
    for (const auto &c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(pwtest::writeFile(path, c.bytes));
        const CAiPhoto photos(path);
        EXPECT_FALSE(photos.error().isEmpty()) << c.name;
        EXPECT_EQ(photos.albumsCount(), 0) << c.name;
    }
    const CAiPhoto missing(dir.filePath(QStringLiteral("absent.xml")));
    EXPECT_FALSE(missing.error().isEmpty());
    EXPECT_EQ(missing.albumsCount(), 0);
    const CAiPhoto folder(dir.path());
    EXPECT_FALSE(folder.error().isEmpty());
    // Entries of the wrong kinds are passed over, the rest kept.
    const PWPlist odd(PWPlist::Dictionary{
        {QStringLiteral("List of Albums"), PWPlist::Array{string(QStringLiteral("x")), album(QStringLiteral("A"), {QStringLiteral("k")})}},
        {QStringLiteral("Master Image List"), string(QStringLiteral("none"))}});
    const std::unique_ptr<CAiPhoto> partial = CAiPhoto::fromBytes(odd.toXml(), dir.path());
    EXPECT_TRUE(partial->error().isEmpty());
    ASSERT_EQ(partial->albumsCount(), 1);
    EXPECT_EQ(partial->albumName(0), QStringLiteral("A"));
    EXPECT_TRUE(partial->imagePathForKey(QStringLiteral("k")).isEmpty());
}

TEST(AlbumReaderTest, DatabaseFoundByTheSettingThenThePreferencesThenTheHome)
{
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    defaults.removeObject(CAiPhoto::kRootDirectoryDefault);
    const QDir home = QDir::home();
    EXPECT_EQ(CAiPhoto::databasePath(), home.filePath(QStringLiteral("Pictures/iPhoto Library/AlbumData.xml")));

    QTemporaryDir root;
    const QString preferences = home.filePath(QStringLiteral("Library/Preferences/com.apple.iPhoto.plist"));
    QDir().mkpath(QFileInfo(preferences).path());
    ASSERT_TRUE(pwtest::writeFile(
        preferences, PWPlist(PWPlist::Dictionary{{QStringLiteral("RootDirectory"), string(root.path())}}).toXml()));
    EXPECT_EQ(CAiPhoto::databasePath(), QDir(root.path()).filePath(QStringLiteral("AlbumData.xml")));

    // The setting wins: a folder holds "AlbumData.xml", a file is the database itself.
    AlbumLibrary library;
    defaults.setString(CAiPhoto::kRootDirectoryDefault, library.dir.path());
    EXPECT_EQ(CAiPhoto::databasePath(), library.path());
    const QString other = library.dir.filePath(QStringLiteral("Other.xml"));
    defaults.setString(CAiPhoto::kRootDirectoryDefault, other);
    EXPECT_EQ(CAiPhoto::databasePath(), other);
    defaults.setString(CAiPhoto::kRootDirectoryDefault, library.dir.path());
    CAiPhoto::reloadSharedInstance();
    EXPECT_EQ(CAiPhoto::sharedInstance().albumsCount(), 3);
    defaults.removeObject(CAiPhoto::kRootDirectoryDefault);
    QFile::remove(preferences);
    CAiPhoto::reloadSharedInstance();
    EXPECT_EQ(CAiPhoto::sharedInstance().albumsCount(), 0);
}

TEST(AlbumReaderTest, FixtureWithNumberKeysAndRelativePaths)
{
    const CAiPhoto photos(pwtest::dataPath(QStringLiteral("albums/AlbumData.xml")));
    ASSERT_TRUE(photos.error().isEmpty()) << photos.error().toStdString();
    ASSERT_EQ(photos.albumsCount(), 3);
    EXPECT_EQ(photos.imageKeys(1), (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
    EXPECT_EQ(photos.captionForKey(QStringLiteral("1")), QStringLiteral("Beach"));
    EXPECT_EQ(photos.thumbPathForKey(QStringLiteral("1")), pwtest::dataPath(QStringLiteral("albums/Thumbs/1.jpg")));
    EXPECT_EQ(photos.imagePathForKey(QStringLiteral("2")), QStringLiteral("/nowhere/2.jpg"));
    EXPECT_TRUE(photos.captionForKey(QStringLiteral("3")).isEmpty());
}

TEST(AlbumCatalogTest, AlbumsFillTheGridSkippingPicturesWithoutThumbnails)
{
    AlbumLibrary library;
    const CAiPhoto photos(library.path());
    CCPictCatalogView view;
    view.catalog()->fitMatrixWithSizeFromOldSizeLiveResize(QSizeF(3 * 77, 300), QSizeF(0, 0), false);
    ASSERT_EQ(view.catalog()->numberOfColumns(), 3);
    CAiPhotoCatalog catalog(view.catalog());
    catalog.setReader(&photos);

    catalog.changeAlbum(1);
    // "7" has no thumbnail file and "8" no entry: seven of nine keys placed, in the album's order.
    EXPECT_EQ(catalog.cellKeys(), (QStringList{QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("1"),
                                               QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("rel")}));
    EXPECT_EQ(catalog.countImages(), 7);
    EXPECT_EQ(view.catalog()->numberOfRows(), 3);
    ASSERT_NE(view.catalog()->cellAtRowColumn(2, 0), nullptr);
    EXPECT_FALSE(view.catalog()->cellAtRowColumn(2, 0)->isEmpty());
    EXPECT_TRUE(view.catalog()->cellAtRowColumn(2, 1)->isEmpty());
    EXPECT_EQ(view.catalog()->cellAtRowColumn(0, 1)->imageHint(), QStringLiteral("Photo 5"));
    EXPECT_EQ(view.catalog()->cellAtRowColumn(0, 1)->imageReference(),
              QStringLiteral("PREFIX_FILE") + library.dir.filePath(QStringLiteral("Thumbs/5.png")));

    catalog.changeAlbum(0);
    EXPECT_EQ(catalog.countImages(), 3);
    EXPECT_EQ(view.catalog()->numberOfRows(), 1);
    for (int none : {-1, 2, 3}) {
        catalog.changeAlbum(none);
        EXPECT_EQ(catalog.countImages(), 0) << none;
        EXPECT_TRUE(catalog.cellKeys().isEmpty()) << none;
        EXPECT_EQ(view.catalog()->selectedCell(), nullptr) << none;
    }
}

// A catalogue that records the drag it would run rather than running one.
class RecordingCatalog : public CCPictCatalog
{
public:
    int drags = 0;
    QStringList formats;
    QByteArray named;
    QByteArray tiff;

protected:
    Qt::DropAction execDrag(QDrag &drag) override
    {
        ++drags;
        formats = drag.mimeData()->formats();
        named = drag.mimeData()->data(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kNamedImage));
        tiff = drag.mimeData()->data(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kTIFF));
        return Qt::CopyAction;
    }
};

void sendMouse(QWidget *widget, QEvent::Type type, const QPointF &at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

TEST(AlbumCatalogTest, ADraggedPhotoTravelsWholeByItsNameAndLeavesNoCellPressed)
{
    AlbumLibrary library;
    const CAiPhoto photos(library.path());
    RecordingCatalog grid;
    grid.resize(260, 200);
    grid.show();
    CAiPhotoCatalog catalog(&grid);
    catalog.setReader(&photos);
    catalog.changeAlbum(0);
    ASSERT_EQ(catalog.countImages(), 3);
    ASSERT_GE(grid.numberOfColumns(), 2);

    // The second cell is not the selected one: only a press shades it.
    const QPoint inSecond = (grid.cellFrameAtRowColumn(0, 1).topLeft() + QPointF(20, 4)).toPoint();
    const auto lightness = [&] { return grid.grab().toImage().pixelColor(inSecond).lightness(); };
    const int unpressed = lightness();
    const QPointF second = grid.cellFrameAtRowColumn(0, 1).center();
    sendMouse(&grid, QEvent::MouseButtonPress, second, Qt::LeftButton);
    EXPECT_LT(lightness(), unpressed - 10);
    // The drag's own event loop takes the release: none reaches the grid.
    sendMouse(&grid, QEvent::MouseMove, second + QPointF(30, 20), Qt::LeftButton);
    ASSERT_EQ(grid.drags, 1);
    EXPECT_EQ(lightness(), unpressed) << "the dragged cell is left drawn as pressed";

    const QString name = QStringLiteral("PREFIX_FILE") + library.dir.filePath(QStringLiteral("Originals/2.png"));
    EXPECT_EQ(QString::fromUtf8(grid.named), name);
    EXPECT_TRUE(grid.formats.contains(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kTIFF)));
    EXPECT_EQ(QImage::fromData(grid.tiff, "TIFF").size(), QSize(320, 240)) << "the original, not the thumbnail";
    // Once the drop has what it needs nobody keeps the photo: the pane holds no copy of it.
    EXPECT_EQ(PWImage::imageNamed(name), nullptr);

    const std::shared_ptr<PWImage> full = catalog.fullPictureForKey(QStringLiteral("2"));
    ASSERT_TRUE(full);
    EXPECT_EQ(full->pixelSize(), QSize(320, 240));
    // Found by name while someone holds it.
    EXPECT_EQ(catalog.fullPictureForKey(QStringLiteral("2")), full);
    EXPECT_EQ(grid.fullPictureAt(0, 1), full);
    // No picture file, or no entry: nothing to drag.
    EXPECT_FALSE(catalog.fullPictureForKey(QStringLiteral("7")));
    EXPECT_FALSE(catalog.fullPictureForKey(QStringLiteral("8")));
}

TEST(AlbumBrowserTest, FillsOnFirstShowAndRemembersTheChosenAlbum)
{
    AlbumLibrary library;
    SharedDatabase shared(library.dir.path());
    CAiPhotoBrowserView pane;
    pane.resize(260, 400);
    EXPECT_FALSE(pane.isLoaded());
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    EXPECT_TRUE(pane.isLoaded());
    EXPECT_FALSE(pane.loadPictures());
    QComboBox *popup = pane.categoryPopupControl();
    ASSERT_EQ(popup->count(), 4);
    EXPECT_EQ(popup->itemText(0), QStringLiteral("-"));
    EXPECT_EQ(popup->itemText(2), QStringLiteral("Family"));
    // Nothing stored: the first album.
    EXPECT_EQ(popup->currentIndex(), 1);
    EXPECT_EQ(pane.pictCatalog()->countImages(), 3);

    // Down to "Family" with the keyboard, then up to "-", which shows nothing.
    popup->setFocus();
    QTest::keyClick(popup, Qt::Key_Down);
    EXPECT_EQ(popup->currentIndex(), 2);
    EXPECT_EQ(pane.pictCatalog()->countImages(), 7);
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().integerForKey(CAiPhotoBrowserView::kRecentCategoryDefault), 2);
    QTest::keyClick(popup, Qt::Key_Up);
    QTest::keyClick(popup, Qt::Key_Up);
    EXPECT_EQ(popup->currentIndex(), 0);
    EXPECT_EQ(pane.pictCatalog()->countImages(), 0);
    EXPECT_EQ(pane.catalogView()->catalog()->numberOfRows(), 0);
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().integerForKey(CAiPhotoBrowserView::kRecentCategoryDefault), 0);
}

TEST(AlbumBrowserTest, StoredIndexChoosesTheItemOrTheLast)
{
    AlbumLibrary library;
    SharedDatabase shared(library.dir.path());
    const struct { qint64 stored; int chosen; int images; } cases[] = {{0, 0, 0}, {2, 2, 7}, {3, 3, 0}, {4, 3, 0}, {99, 3, 0}};
    for (const auto &c : cases) {
        PWUserDefaults::standardUserDefaults().setInteger(CAiPhotoBrowserView::kRecentCategoryDefault, c.stored);
        CAiPhotoBrowserView pane;
        ASSERT_TRUE(pane.loadPictures());
        EXPECT_EQ(pane.categoryPopupControl()->currentIndex(), c.chosen) << c.stored;
        EXPECT_EQ(pane.pictCatalog()->countImages(), c.images) << c.stored;
    }
}

TEST(AlbumBrowserTest, WithoutDatabaseOnlyThePlaceholderAndTheUserCanChooseOne)
{
    QTemporaryDir nowhere;
    SharedDatabase shared(nowhere.filePath(QStringLiteral("absent")));
    CAiPhotoBrowserView pane;
    ASSERT_TRUE(pane.loadPictures());
    EXPECT_EQ(pane.categoryPopupControl()->count(), 1);
    EXPECT_EQ(pane.pictCatalog()->countImages(), 0);

    AlbumLibrary library;
    CAiPhotoBrowserView::setFileChooser([](QWidget *) { return QString(); });
    pane.chooseDatabase();
    EXPECT_EQ(pane.categoryPopupControl()->count(), 1);
    CAiPhotoBrowserView::setFileChooser([&library](QWidget *) { return library.path(); });
    pane.chooseDatabase();
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().stringForKey(CAiPhoto::kRootDirectoryDefault), library.path());
    EXPECT_EQ(pane.categoryPopupControl()->count(), 4);
    EXPECT_EQ(pane.pictCatalog()->countImages(), 3);
    CAiPhotoBrowserView::setFileChooser([](QWidget *) { return QString(); });
}

} // namespace

TEST(AlbumBrowserTest, DoubleClickOrReturnOffersTheWholePictureOfTheAlbum)
{
    AlbumLibrary library;
    SharedDatabase shared(library.dir.path());
    CAiPhotoBrowserView pane;
    pane.resize(260, 400);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    CCPictCatalog *catalog = pane.catalogView()->catalog();
    ASSERT_EQ(pane.pictCatalog()->countImages(), 3);
    QStringList offered;
    QList<QSize> sizes;
    QObject::connect(&pane, &CAiPhotoBrowserView::pictureChosen, &pane, [&](const std::shared_ptr<PWImage> &picture) {
        offered << picture->name();
        sizes << picture->pixelSize();
    });
    QTest::mouseDClick(catalog, Qt::LeftButton, Qt::NoModifier, catalog->cellFrameAtRowColumn(0, 1).center().toPoint());
    catalog->setFocus();
    QTest::keyClick(catalog, Qt::Key_Home);
    QTest::keyClick(catalog, Qt::Key_Return);
    const QString originals = library.dir.filePath(QStringLiteral("Originals/"));
    EXPECT_EQ(offered, QStringList({QStringLiteral("PREFIX_FILE") + originals + QStringLiteral("2.png"),
                                    QStringLiteral("PREFIX_FILE") + originals + QStringLiteral("1.png")}));
    EXPECT_EQ(sizes, QList<QSize>({QSize(320, 240), QSize(320, 240)})) << "the original, not the thumbnail";
}
