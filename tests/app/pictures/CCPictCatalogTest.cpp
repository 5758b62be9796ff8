#include <gtest/gtest.h>

#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"
#include "platform/PWImage.h"
#include "TestSupport.h"
#include "PictureTestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// The CRC of a PNG chunk (type and data), so that a doctored header still passes the reader's check.
quint32 pngCrc(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

// A folder of small pictures named p0.png ... p<n-1>.png.
struct PictureFolder
{
    explicit PictureFolder(int count)
    {
        for (int i = 0; i < count; ++i)
            write(QStringLiteral("p%1.png").arg(i), QColor::fromHsv((i * 37) % 360, 200, 220));
    }
    void write(const QString &name, const QColor &colour, QSize size = QSize(40, 30))
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(colour);
        QDir().mkpath(QFileInfo(path(name)).path());
        ASSERT_TRUE(image.save(path(name), "PNG"));
    }
    QString path(const QString &name = QString()) const { return name.isEmpty() ? dir.path() : dir.filePath(name); }
    QTemporaryDir dir;
};

QList<CCPictCatalog::Entry> entries(int count, const QString &prefix = QStringLiteral("p"))
{
    QList<CCPictCatalog::Entry> list;
    for (int i = 0; i < count; ++i)
        list.append({QStringLiteral("%1%2.png").arg(prefix).arg(i), QString()});
    return list;
}

// A catalogue view on screen showing a folder of pictures, as the picture pads show one.
struct ShownFolder
{
    explicit ShownFolder(int count)
        : folder(count)
    {
        view.resize(260, 400);
        view.show();
        catalog = view.catalog();
        catalog->changeBySearchInFolder(entries(count), folder.path());
    }
    // Halfway between the first two cells of the top row: in the spacing, on no cell.
    QPoint gap() const
    {
        const QRectF first = catalog->cellFrameAtRowColumn(0, 0);
        const QRectF second = catalog->cellFrameAtRowColumn(0, 1);
        return QPointF((first.right() + second.left()) / 2.0, first.center().y()).toPoint();
    }

    PictureFolder folder;
    CCPictCatalogView view;
    CCPictCatalog *catalog = nullptr;
};

// Draws the whole catalogue once, the way it is drawn on screen.
void drawAll(CCPictCatalog &catalog)
{
    QImage target(catalog.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    catalog.render(&target);
}

TEST(PictCatalogReflow, ColumnCountFollowsTheWidthAndTheDirectionOfTheDrag)
{
    struct Case
    {
        double w, w0;
        bool live;
        int c0, expected;
    };
    const Case cases[] = {
        {130, 100, false, 1, 2}, // widening: 53 left over > 38.5
        {130, 300, false, 3, 2}, // narrowing: 53 > 30.8
        {110, 100, false, 1, 1}, // widening: 33 left over < 38.5
        {110, 300, false, 3, 2}, // narrowing: 33 > 30.8
        {50, 100, false, 3, 1},  // below one pitch: at least one column
        {0, 100, false, 3, 1},
        {154, 100, false, 1, 2}, // exactly two pitches
        {300, 100, true, 5, 5},  // live widening never loses columns
        {300, 400, true, 2, 2},  // live narrowing never gains columns
        {300, 400, false, 2, 4}, // 300 = 3 x 77 + 69 > 30.8
    };
    for (const Case &c : cases)
        EXPECT_EQ(CCPictCatalog::columnsForWidth(c.w, c.w0, c.live, c.c0), c.expected)
            << c.w << " from " << c.w0 << (c.live ? " live" : "");
}

TEST(PictCatalogFill, MissingFilesLeaveNoHoles)
{
    PictureFolder folder(5);
    CCPictCatalog catalog;
    QList<CCPictCatalog::Entry> list = entries(5);
    list.insert(1, {QStringLiteral("gone.png"), QStringLiteral("gone")});
    list.insert(4, {QStringLiteral("also-gone.png"), QString()});
    list[0].hint = QStringLiteral("First picture");
    catalog.changeBySearchInFolder(list, folder.path());

    EXPECT_EQ(catalog.countImages(), 5);
    ASSERT_EQ(catalog.numberOfColumns(), 2);
    EXPECT_EQ(catalog.numberOfRows(), 3);
    EXPECT_EQ(catalog.cellAtRowColumn(0, 0)->imageHint(), u"First picture"_s);
    EXPECT_EQ(catalog.cellAtRowColumn(0, 1)->imageHint(), u"p1"_s); // the name without its extension
    EXPECT_EQ(catalog.cellAtRowColumn(2, 0)->imageHint(), u"p4"_s);
    // Another folder than the clip-art one: the reference carries the whole path.
    EXPECT_EQ(catalog.cellAtRowColumn(0, 1)->imageReference(), u"PREFIX_FILE"_s + folder.path(u"p1.png"_s));
    // 5 pictures in 2 columns: the last row holds one picture and one cleared cell.
    EXPECT_TRUE(catalog.cellAtRowColumn(2, 1)->isEmpty());
    EXPECT_EQ(catalog.selectedRow(), 0);
    EXPECT_EQ(catalog.selectedColumn(), 0);
    // Nothing was read while filling.
    EXPECT_EQ(catalog.loadedCellCount(), 0);
    // The grid is sized to its cells and the margin.
    EXPECT_EQ(catalog.size(), QSize(int(std::ceil(2 * 74 + 3 + 2.5)), int(std::ceil(3 * 90 + 2 * 3 + 2.5))));

    catalog.changeBySearchInFolder({}, folder.path());
    EXPECT_EQ(catalog.numberOfRows(), 0);
    EXPECT_EQ(catalog.countImages(), 0);
    EXPECT_EQ(catalog.selectedCell(), nullptr);
}

TEST(PictCatalogFill, ClipArtFolderKeepsRelativeNamesAndReflowKeepsTheOrder)
{
    PictureFolder folder(7);
    CCPictCatalog catalog;
    catalog.resolver().setClipArtFolders(folder.path(), folder.path(u"thumbs"_s));
    catalog.changeBySearchInFolder(entries(7), folder.path());
    EXPECT_EQ(catalog.cellAtRowColumn(0, 0)->imageReference(), u"p0.png"_s);

    catalog.fitMatrixWithSizeFromOldSizeLiveResize(QSizeF(240, 300), QSizeF(160, 300), false);
    ASSERT_EQ(catalog.numberOfColumns(), 3);
    EXPECT_EQ(catalog.numberOfRows(), 3);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(catalog.cellAtRowColumn(i / 3, i % 3)->imageReference(), QStringLiteral("p%1.png").arg(i));
    EXPECT_TRUE(catalog.cellAtRowColumn(2, 1)->isEmpty());
    EXPECT_TRUE(catalog.cellAtRowColumn(2, 2)->isEmpty());

    catalog.clearMatrix();
    EXPECT_EQ(catalog.numberOfRows(), 0);
    EXPECT_EQ(catalog.numberOfColumns(), 3); // the column count outlives a fill
}

TEST(PictCatalogResolution, ThumbnailThenFullFileOnFirstDrawingOnly)
{
    PictureFolder folder(0);
    folder.write(u"Animals/cat.png"_s, Qt::red);
    folder.write(u"Animals/dog.png"_s, Qt::blue);
    folder.write(u"thumbs/Animals/cat.jpg"_s, Qt::green);
    CCPictCatalog catalog;
    catalog.resolver().setClipArtFolders(folder.path(), folder.path(u"thumbs"_s));
    catalog.changeBySearchInFolder({{u"Animals/cat.png"_s, {}}, {u"Animals/dog.png"_s, {}}}, folder.path());
    CCPictCell *cat = catalog.cellAtRowColumn(0, 0);
    CCPictCell *dog = catalog.cellAtRowColumn(0, 1);
    EXPECT_FALSE(cat->isImageLoaded());

    drawAll(catalog);
    ASSERT_TRUE(cat->isImageLoaded());
    ASSERT_TRUE(dog->isImageLoaded());
    // The thumbnail wins over the full file and is registered under the reference.
    const QImage catPixels = cat->image()->toImage(QSize(4, 4));
    EXPECT_GT(qGreen(catPixels.pixel(2, 2)), 200);
    EXPECT_LT(qRed(catPixels.pixel(2, 2)), 60);
    EXPECT_EQ(PWImage::imageNamed(u"Animals/cat.png"_s), cat->image());
    // No thumbnail: the full file, not registered under the full-size name.
    EXPECT_GT(qBlue(dog->image()->toImage(QSize(4, 4)).pixel(2, 2)), 200);
    EXPECT_EQ(PWImage::imageNamed(u"FULLSIZE_Animals/dog.png"_s), nullptr);

    // A new reference makes the cell unloaded again.
    dog->setImageReference(u"Animals/cat.png"_s);
    EXPECT_FALSE(dog->isImageLoaded());
    drawAll(catalog);
    EXPECT_EQ(dog->image(), cat->image());
}

TEST(PictCatalogResolution, DamagedTruncatedHugeAndMissingPicturesShowThePlateAndAreLoggedOnce)
{
    PictureFolder folder(1);
    ASSERT_TRUE(QFile(folder.path(u"p0.png"_s)).copy(folder.path(u"whole.png"_s)));
    {
        QFile junk(folder.path(u"junk.png"_s));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(300, 'x'));
    }
    {
        // A PNG cut off after its header.
        QFile source(folder.path(u"p0.png"_s));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        QFile cut(folder.path(u"cut.png"_s));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(source.read(40));
    }
    {
        // A PNG header claiming 100000 x 100000 pixels: refused before anything is decoded.
        QImage small(8, 8, QImage::Format_RGB32);
        small.fill(Qt::black);
        small.save(folder.path(u"huge.png"_s), "PNG");
        QFile huge(folder.path(u"huge.png"_s));
        ASSERT_TRUE(huge.open(QIODevice::ReadWrite));
        QByteArray bytes = huge.readAll();
        const uchar side[4] = {0x00, 0x01, 0x86, 0xA0};
        bytes.replace(16, 4, reinterpret_cast<const char *>(side), 4);
        bytes.replace(20, 4, reinterpret_cast<const char *>(side), 4);
        const quint32 crc = pngCrc(bytes.mid(12, 17));
        const char crcBytes[4] = {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
        bytes.replace(29, 4, crcBytes, 4);
        huge.seek(0);
        huge.write(bytes);
    }
    QDir(folder.path()).mkdir(u"folder.png"_s);
    // Opening a pipe blocks until someone writes: the catalogue must never try.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.path(u"pipe.png"_s)).constData(), 0600), 0);

    QString why;
    EXPECT_TRUE(CCPictImageResolver::readBoundedPicture(folder.path(u"huge.png"_s), QSize(), &why).isNull());
    EXPECT_TRUE(why.contains(u"too large"_s)) << why.toStdString();
    EXPECT_TRUE(CCPictImageResolver::readBoundedPicture(folder.path(u"folder.png"_s), QSize()).isNull());
    EXPECT_FALSE(CCPictImageResolver::readBoundedPicture(folder.path(u"whole.png"_s), QSize(10, 10)).isNull());
    EXPECT_LE(CCPictImageResolver::readBoundedPicture(folder.path(u"whole.png"_s), QSize(10, 10)).width(), 10);

    CCPictCatalog catalog;
    const QList<CCPictCatalog::Entry> list{{u"junk.png"_s, {}}, {u"cut.png"_s, {}}, {u"huge.png"_s, {}},
                                           {u"folder.png"_s, {}}, {u"pipe.png"_s, {}}, {u"whole.png"_s, {}}};
    catalog.changeBySearchInFolder(list, folder.path());
    ASSERT_EQ(catalog.countImages(), 6);
    pwtest::LogCapture log;
    for (int pass = 0; pass < 3; ++pass)
        drawAll(catalog);
    // A picture large enough to be decoded in the background is answered by the drawing after it.
    ASSERT_TRUE(QTest::qWaitFor([&catalog] { return !catalog.resolver().isDecoding(); }, 20000));
    drawAll(catalog);
    const auto misses = std::count_if(log.lines().begin(), log.lines().end(), [](const QString &line) {
        return line.startsWith(u"No ClipArt image reference '"_s);
    });
    EXPECT_EQ(misses, 5);

    for (int i = 0; i < 5; ++i) {
        const CCPictCell *cell = catalog.cellAtRowColumn(i / 2, i % 2);
        EXPECT_FALSE(cell->isImageLoaded()) << i;
        EXPECT_TRUE(catalog.resolver().hasLoggedMissing(cell->imageReference())) << i;
    }
    EXPECT_TRUE(catalog.cellAtRowColumn(2, 1)->isImageLoaded());
    // Three drawings, one log line per missing picture.
    EXPECT_EQ(catalog.resolver().loggedMissingCount(), 5);
}

TEST(PictCatalogResolution, ScrollingHoldsOnlyRecentlyDrawnPictures)
{
    PictureFolder folder(60);
    CCPictCatalogView view;
    view.resize(170, 200);
    view.show();
    CCPictCatalog *catalog = view.catalog();
    catalog->setMaxLoadedCells(8);
    catalog->changeBySearchInFolder(entries(60), folder.path());
    ASSERT_EQ(catalog->numberOfColumns(), 2);
    QScrollBar *bar = view.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    int seen = 0;
    for (int y = 0; y <= bar->maximum(); y += 40) {
        bar->setValue(y);
        QImage target(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        view.viewport()->render(&target);
        QCoreApplication::processEvents();
        seen = std::max(seen, catalog->loadedCellCount());
        EXPECT_LE(catalog->loadedCellCount(), 8 + 6) << y; // the bound plus what one view shows
    }
    EXPECT_GT(seen, 0);
    // The last cells were drawn, the first ones gave their pictures back.
    EXPECT_TRUE(catalog->cellAtRowColumn(29, 0)->isImageLoaded());
    EXPECT_FALSE(catalog->cellAtRowColumn(0, 0)->isImageLoaded());
}

TEST(PictCatalogSearch, PlaceholdersResultsAndStop)
{
    CCPictCatalog catalog;
    catalog.prepareMatrixWithSender({10, 0});
    EXPECT_EQ(catalog.countImages(), 10);
    EXPECT_EQ(catalog.numberOfRows(), 5);
    EXPECT_EQ(catalog.cellAtRowColumn(4, 1)->imageReference(), u"loading"_s);

    const QByteArray png = pictest::solidPng(Qt::magenta, QSize(16, 12));
    for (int i = 0; i < 3; ++i) {
        const CCPictSearchItem item{QUrl(QStringLiteral("http://example.org/pics/r%1.png").arg(i)),
                                    u"http://example.org/"_s, i == 1 ? QByteArray("not a picture") : png};
        catalog.dynamicAddImageWithGoogleSearchItem({10, i}, item);
    }
    const CCPictCell *first = catalog.cellAtRowColumn(0, 0);
    EXPECT_EQ(first->imageReference(), u"PREFIX_URL_NEED_LOAD http://example.org/pics/r0.png http://example.org/"_s);
    EXPECT_EQ(first->toolTip(), u"r0.png"_s);
    ASSERT_TRUE(first->image());
    EXPECT_EQ(PWImage::imageNamed(first->imageReference()), first->image());
    // A result that is no picture keeps its reference and tool tip and no picture.
    EXPECT_EQ(catalog.cellAtRowColumn(0, 1)->toolTip(), u"r1.png"_s);
    EXPECT_FALSE(catalog.cellAtRowColumn(0, 1)->image());
    // A result past the grid is dropped.
    catalog.dynamicAddImageWithGoogleSearchItem({10, 40}, {QUrl(u"http://example.org/x.png"_s), {}, png});

    // Stopped after 3 of 10: the second row keeps its result, its placeholder is blanked, the
    // rows after it go; the count stays.
    catalog.clearLoadingCells();
    EXPECT_EQ(catalog.numberOfRows(), 2);
    EXPECT_EQ(catalog.countImages(), 10);
    EXPECT_FALSE(catalog.cellAtRowColumn(1, 0)->imageReference().isEmpty());
    EXPECT_TRUE(catalog.cellAtRowColumn(1, 1)->isEmpty());
    drawAll(catalog);
    EXPECT_TRUE(catalog.cellAtRowColumn(1, 1)->isEmpty()); // no placeholder comes back
}

TEST(PictCatalogSelection, ClicksAndArrowKeysSelectOneCellAndSendTheAction)
{
    ShownFolder shown(5);
    CCPictCatalog *catalog = shown.catalog;
    ASSERT_EQ(catalog->numberOfColumns(), 3);
    QSignalSpy activated(catalog, &CCPictCatalog::activated);

    QTest::mouseClick(catalog, Qt::LeftButton, {}, catalog->cellFrameAtRowColumn(1, 1).center().toPoint());
    EXPECT_EQ(catalog->selectedRow(), 1);
    EXPECT_EQ(catalog->selectedColumn(), 1);
    EXPECT_EQ(activated.count(), 1);
    // The empty cell after the last picture and the spacing between cells select nothing.
    QTest::mouseClick(catalog, Qt::LeftButton, {}, catalog->cellFrameAtRowColumn(1, 2).center().toPoint());
    QTest::mouseClick(catalog, Qt::LeftButton, {}, shown.gap());
    EXPECT_EQ(catalog->selectedColumn(), 1);
    EXPECT_EQ(activated.count(), 1);

    QTest::keyClick(catalog, Qt::Key_Up);
    EXPECT_EQ(catalog->selectedRow(), 0);
    QTest::keyClick(catalog, Qt::Key_Right);
    EXPECT_EQ(catalog->selectedColumn(), 2);
    QTest::keyClick(catalog, Qt::Key_Down); // to the empty cell: stays
    EXPECT_EQ(catalog->selectedRow(), 0);
    QTest::keyClick(catalog, Qt::Key_Right); // row-major: the first cell of the next row
    EXPECT_EQ(catalog->selectedRow(), 1);
    EXPECT_EQ(catalog->selectedColumn(), 0);
    QTest::keyClick(catalog, Qt::Key_End);
    EXPECT_EQ(catalog->selectedColumn(), 1);
    EXPECT_EQ(activated.count(), 5);
    EXPECT_EQ(catalog->selectedCell()->imageHint(), u"p4"_s);
}

TEST(PictCellGeometry, ImageAreaAndCaptionPlacement)
{
    const QRectF r(2.5, 2.5, 74, 90);
    EXPECT_EQ(CCPictCell::imageArea(r), QRectF(8, 7.5, 64, 65));
    const QRectF narrow = CCPictCell::captionRect(r, 30);
    EXPECT_DOUBLE_EQ(narrow.x(), 2.5 + 22);
    EXPECT_DOUBLE_EQ(narrow.y(), 2.5 + 75);
    EXPECT_DOUBLE_EQ(narrow.height(), 15);
    const QRectF wide = CCPictCell::captionRect(r, 120);
    EXPECT_DOUBLE_EQ(wide.x(), 5.5);
    EXPECT_DOUBLE_EQ(wide.width(), 71);
}

TEST(PictCatalogSearch, AnEndedSearchKeepsResultsThatCameAfterAFailedOne)
{
    const struct
    {
        const char *name;
        QList<int> delivered; // of 7 results, in a grid of 2 columns
        int rows;
    } cases[] = {
        {"failure in the middle", {0, 1, 2, 4, 5}, 3},
        {"last ones failed", {0, 1, 2}, 2},
        {"first failed", {1, 2, 3, 4, 5, 6}, 4},
        {"none came", {}, 1},
    };
    const QByteArray png = pictest::solidPng(Qt::cyan, QSize(16, 12));
    for (const auto &c : cases) {
        CCPictCatalog catalog;
        catalog.prepareMatrixWithSender({7, 0});
        ASSERT_EQ(catalog.numberOfColumns(), 2);
        for (int i : c.delivered)
            catalog.dynamicAddImageWithGoogleSearchItem({7, i}, {QUrl(u"http://example.org/%1.png"_s.arg(i)), {}, png});
        catalog.clearLoadingCells();
        EXPECT_EQ(catalog.numberOfRows(), c.rows) << c.name;
        int pictures = 0;
        for (int row = 0; row < catalog.numberOfRows(); ++row) {
            for (int column = 0; column < 2; ++column) {
                const CCPictCell *cell = catalog.cellAtRowColumn(row, column);
                EXPECT_NE(cell->imageReference(), u"loading"_s) << c.name;
                pictures += cell->isEmpty() ? 0 : 1;
            }
        }
        EXPECT_EQ(pictures, c.delivered.size()) << c.name;
        // The selection never rests on a blanked cell.
        EXPECT_TRUE(!catalog.selectedCell() || !catalog.selectedCell()->isEmpty()) << c.name;
    }
}

TEST(PictCatalogSelection, DoubleClickOrReturnChoosesAPictureButNeverAPlaceholderOrAGap)
{
    ShownFolder shown(4);
    CCPictCatalog *catalog = shown.catalog;
    ASSERT_EQ(catalog->numberOfColumns(), 3);
    QSignalSpy chosen(catalog, &CCPictCatalog::chosen);

    QTest::mouseDClick(catalog, Qt::LeftButton, {}, catalog->cellFrameAtRowColumn(1, 0).center().toPoint());
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0), QVariantList({1, 0}));
    EXPECT_EQ(catalog->selectedRow(), 1);
    // The empty cell after the last picture, the spacing, and the right button choose nothing.
    QTest::mouseDClick(catalog, Qt::LeftButton, {}, catalog->cellFrameAtRowColumn(1, 1).center().toPoint());
    QTest::mouseDClick(catalog, Qt::LeftButton, {}, shown.gap());
    QTest::mouseDClick(catalog, Qt::RightButton, {}, catalog->cellFrameAtRowColumn(0, 0).center().toPoint());
    EXPECT_EQ(chosen.count(), 1);

    QTest::keyClick(catalog, Qt::Key_Up);
    QTest::keyClick(catalog, Qt::Key_Return);
    QTest::keyClick(catalog, Qt::Key_Enter);
    ASSERT_EQ(chosen.count(), 3);
    EXPECT_EQ(chosen.at(2), QVariantList({0, 0}));
    const std::shared_ptr<PWImage> picture = catalog->fullPictureAt(0, 0);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixelSize(), QSize(40, 30));
    EXPECT_EQ(catalog->fullPictureAt(1, 1), nullptr);

    // Placeholders of a running internet search are no pictures yet.
    catalog->prepareMatrixWithSender({3, 0});
    QTest::mouseDClick(catalog, Qt::LeftButton, {}, catalog->cellFrameAtRowColumn(0, 1).center().toPoint());
    QTest::keyClick(catalog, Qt::Key_Return);
    EXPECT_EQ(chosen.count(), 3);
    EXPECT_EQ(catalog->fullPictureAt(0, 1), nullptr);
}

struct ThumbnailCase
{
    const char *name;
    QSize served;
    QSize kept;
};

class PictCatalogThumbnailTest : public ::testing::TestWithParam<ThumbnailCase>
{
};

// A search result's thumbnail is kept at most at twice the cell's size in pixels, whatever size
// the service sends, and still declares the size it was sent at.
TEST_P(PictCatalogThumbnailTest, ThumbnailsAreKeptReducedToTheCell)
{
    CCPictCatalog catalog;
    catalog.prepareMatrixWithSender({1, 0});
    const QString address = u"http://example.org/thumbs/%1.png"_s.arg(QString::fromLatin1(GetParam().name));
    catalog.dynamicAddImageWithGoogleSearchItem(
        {1, 0}, {QUrl(address), u"http://example.org/"_s, pictest::solidPng(Qt::darkYellow, GetParam().served)});
    const std::shared_ptr<PWImage> image = catalog.cellAtRowColumn(0, 0)->image();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelSize(), GetParam().kept);
    EXPECT_EQ(image->size(), QSizeF(GetParam().served));
}

INSTANTIATE_TEST_SUITE_P(Sizes, PictCatalogThumbnailTest,
                         ::testing::Values(ThumbnailCase {"Small", QSize(16, 12), QSize(16, 12)},
                                           ThumbnailCase {"Square", QSize(3000, 3000), QSize(148, 148)},
                                           ThumbnailCase {"Wide", QSize(4000, 1000), QSize(148, 37)},
                                           ThumbnailCase {"Tall", QSize(900, 3600), QSize(45, 180)}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
