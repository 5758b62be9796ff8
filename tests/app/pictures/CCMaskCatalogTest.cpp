#include <gtest/gtest.h>

#include "app/pictures/CCMaskCatalog.h"
#include "app/pictures/CCMaskImageView.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWImage.h"
#include "platform/PWImageRep.h"
#include "platform/PWPasteboardTypes.h"
#include "TestSupport.h"
#include "PictureTestSupport.h"
#include "DeferredPictureSupport.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <optional>

using namespace PWPasteboardTypes;

namespace {

void writeGrey(const QString &path, QSize size, int level)
{
    QDir().mkpath(QFileInfo(path).path());
    QImage image(size, QImage::Format_Grayscale8);
    image.fill(level);
    ASSERT_TRUE(image.save(path)) << path.toStdString();
}

// A mask folder and its thumbnail folder; a mask "a/b.png" has its thumbnail "a/b.jpg".
struct MaskFolders
{
    void addMask(const QString &name, bool withThumbnail = true)
    {
        writeGrey(images(name), QSize(40, 30), 255);
        if (withThumbnail) {
            QString thumb = name;
            thumb.replace(QRegularExpression(QStringLiteral("\\.[^./]+$")), QStringLiteral(".jpg"));
            writeGrey(thumbnails(thumb), QSize(20, 15), 200);
        }
    }
    QString images(const QString &name = QString()) const { return dir.filePath(QStringLiteral("Images/") + name); }
    QString thumbnails(const QString &name = QString()) const
    {
        return dir.filePath(QStringLiteral("Thumbnails/") + name);
    }
    void attach(CCMaskCatalog &catalog) const { catalog.setMaskFolders(images(), thumbnails()); }
    QTemporaryDir dir;
};

TEST(MaskCatalogTest, FiveMasksGiveThreeRowsAndSkippedFilesLeaveNoHole)
{
    MaskFolders full;
    for (const char *name : {"a.png", "b.png", "c.png", "d.png", "e.png"})
        full.addMask(QString::fromLatin1(name));
    CCMaskCatalog five;
    full.attach(five);
    EXPECT_FALSE(five.isInited());
    EXPECT_TRUE(five.setup());
    EXPECT_FALSE(five.setup());
    EXPECT_EQ(five.numberOfRows(), 3);
    EXPECT_EQ(five.cellCount(), 5);
    ASSERT_NE(five.cellAtRowColumn(2, 0), nullptr);
    EXPECT_EQ(five.cellAtRowColumn(2, 1), nullptr);
    EXPECT_EQ(five.cellAtRowColumn(0, 1)->name(), QStringLiteral("b.png"));
    EXPECT_EQ(five.cellAtRowColumn(0, 1)->toolTip(), QStringLiteral("b"));
    EXPECT_EQ(five.cellAtRowColumn(0, 1)->image()->name(), QStringLiteral("b.png"));
    EXPECT_EQ(five.sizeHint(), QSize(136, 3 * 67 + 2 * 2));

    // Two of five entries are no pictures (a text file, a folder), one mask has no thumbnail.
    MaskFolders mixed;
    mixed.addMask(QStringLiteral("heart.png"));
    mixed.addMask(QStringLiteral("shapes/star.png"));
    mixed.addMask(QStringLiteral("oval.png"));
    mixed.addMask(QStringLiteral("lost.png"), false);
    ASSERT_TRUE(pwtest::writeFile(mixed.images(QStringLiteral("notes.txt")), "not a mask"));
    CCMaskCatalog three;
    mixed.attach(three);
    three.setup();
    EXPECT_EQ(three.cellCount(), 3);
    EXPECT_EQ(three.numberOfRows(), 2);
    QStringList names;
    for (int i = 0; i < three.cellCount(); ++i)
        names.append(three.cellAt(i)->name());
    EXPECT_EQ(names, (QStringList{QStringLiteral("heart.png"), QStringLiteral("oval.png"), QStringLiteral("shapes/star.png")}));

    // Folders set on a grid already filled are read at once, and no cell of the old grid stays chosen.
    five.selectCellAtIndex(4);
    ASSERT_NE(five.selectedCell(), nullptr);
    mixed.attach(five);
    EXPECT_TRUE(five.isInited());
    EXPECT_EQ(five.cellCount(), 3);
    EXPECT_EQ(five.numberOfRows(), 2);
    EXPECT_EQ(five.cellAt(0)->name(), QStringLiteral("heart.png"));
    EXPECT_EQ(five.selectedCell(), nullptr);

    CCMaskCatalog none;
    none.setMaskFolders(mixed.dir.filePath(QStringLiteral("absent")), mixed.thumbnails());
    none.setup();
    EXPECT_EQ(none.cellCount(), 0);
    EXPECT_EQ(none.selectedCell(), nullptr);
}

TEST(MaskCatalogTest, SelectByImageNameWithoutTheFullSizePrefix)
{
    MaskFolders folders;
    for (const char *name : {"heart.png", "sub/star.png", "oval.png"})
        folders.addMask(QString::fromLatin1(name));
    CCMaskCatalog catalog;
    folders.attach(catalog);
    catalog.setup();
    const std::shared_ptr<PWImage> mask = PWImage::fromQImage(QImage(4, 4, QImage::Format_Grayscale8));
    mask->setName(QStringLiteral("FULLSIZE_sub/star.png"));
    EXPECT_TRUE(catalog.selectCellByImage(mask.get()));
    ASSERT_NE(catalog.selectedCell(), nullptr);
    EXPECT_EQ(catalog.selectedCell()->name(), QStringLiteral("sub/star.png"));
    for (const QString &name : {QStringLiteral("FULLSIZE_nothing.png"), QStringLiteral("PREFIX_MASK/tmp/star.png"), QString()}) {
        catalog.selectCellAtIndex(0);
        mask->setName(name);
        EXPECT_FALSE(catalog.selectCellByImage(mask.get())) << name.toStdString();
        EXPECT_EQ(catalog.selectedIndex(), -1) << name.toStdString();
    }
    catalog.selectCellAtIndex(1);
    EXPECT_FALSE(catalog.selectCellByImage(nullptr));
    EXPECT_EQ(catalog.selectedIndex(), -1);
}

TEST(MaskCatalogTest, ClickReleasedOnTheCellChoosesItAndKeysDoToo)
{
    MaskFolders folders;
    for (const char *name : {"a.png", "b.png", "c.png"})
        folders.addMask(QString::fromLatin1(name));
    CCMaskCatalog catalog;
    folders.attach(catalog);
    catalog.setup();
    catalog.show();
    QSignalSpy chosen(&catalog, &CCMaskCatalog::action);

    const QPoint second = catalog.cellFrameAtRowColumn(0, 1).center().toPoint();
    QTest::mouseClick(&catalog, Qt::LeftButton, {}, second);
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(catalog.selectedIndex(), 1);
    EXPECT_TRUE(catalog.cellAt(1)->state());
    EXPECT_FALSE(catalog.cellAt(0)->state());

    // Pressed on the first cell, released on the third: nothing chosen.
    QTest::mousePress(&catalog, Qt::LeftButton, {}, catalog.cellFrameAtRowColumn(0, 0).center().toPoint());
    QTest::mouseRelease(&catalog, Qt::LeftButton, {}, catalog.cellFrameAtRowColumn(1, 0).center().toPoint());
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(catalog.selectedIndex(), 1);
    // The empty place beside the third cell, and the spacing between cells, are no cells.
    QTest::mouseClick(&catalog, Qt::LeftButton, {}, catalog.cellFrameAtRowColumn(1, 1).center().toPoint());
    QTest::mouseClick(&catalog, Qt::LeftButton, {}, QPoint(68, 10));
    EXPECT_EQ(chosen.count(), 1);

    catalog.setFocus();
    QTest::keyClick(&catalog, Qt::Key_Down);
    QTest::keyClick(&catalog, Qt::Key_Space);
    EXPECT_EQ(chosen.count(), 2);
    EXPECT_EQ(catalog.selectedIndex(), 2);
    QTest::keyClick(&catalog, Qt::Key_Up);
    QTest::keyClick(&catalog, Qt::Key_Left);
    QTest::keyClick(&catalog, Qt::Key_Return);
    EXPECT_EQ(catalog.selectedIndex(), 0);
}

using pictest::encoded;

// Lets the data go over the widget and drop there; answers whether the drop was taken.
bool dropOn(QWidget *target, const QMimeData *data)
{
    const QPoint at(20, 20);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

std::unique_ptr<QMimeData> namedImage(const QString &name)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(mimeTypeOf(kNamedImage), name.toUtf8());
    return data;
}

// The mask a drop leaves, by what the drag carries: the named-image prefixes and raw pictures.
TEST(MaskWellTest, DropsByEachPrefixAndRawPictures)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("heart.png"));
    writeGrey(file, QSize(16, 12), 255);
    const QString text = dir.filePath(QStringLiteral("heart.txt"));
    ASSERT_TRUE(pwtest::writeFile(text, "no picture"));
    const std::shared_ptr<PWImage> clipArt = PWImage::fromQImage(QImage(8, 8, QImage::Format_Grayscale8));
    clipArt->setName(QStringLiteral("FULLSIZE_Animals/cat.png"));
    const std::shared_ptr<PWImage> loaded = PWImage::fromQImage(QImage(9, 9, QImage::Format_RGB32));
    loaded->setName(QStringLiteral("PREFIX_URL_LOADED http://example.org/a.png"));
    const std::shared_ptr<PWImage> pending = PWImage::fromQImage(QImage(5, 5, QImage::Format_RGB32));
    pending->setName(QStringLiteral("PREFIX_URL_NEED_LOAD http://example.org/b.png"));

    std::vector<std::unique_ptr<QMimeData>> store;
    auto kept = [&store](std::unique_ptr<QMimeData> data) { return store.emplace_back(std::move(data)).get(); };
    auto raw = std::make_unique<QMimeData>();
    raw->setData(mimeTypeOf(kPNG), encoded(QImage(7, 3, QImage::Format_RGB32), "PNG"));
    raw->setData(mimeTypeOf(kDataRef), "picture-ref-1");
    auto tiff = std::make_unique<QMimeData>();
    tiff->setData(mimeTypeOf(kTIFF), encoded(QImage(6, 6, QImage::Format_RGB32), "TIFF"));
    auto junk = std::make_unique<QMimeData>();
    junk->setData(mimeTypeOf(kPNG), "not a picture at all");

    const struct {
        const char *what;
        const QMimeData *data;
        bool accepted;
        QString name; // of the kept mask
        QSize pixels;
    } cases[] = {
        {"full size", kept(namedImage(clipArt->name())), true, clipArt->name(), QSize(8, 8)},
        {"file", kept(namedImage(QStringLiteral("PREFIX_FILE") + file)), true, QStringLiteral("PREFIX_MASK") + file, QSize(16, 12)},
        {"file that is no picture", kept(namedImage(QStringLiteral("PREFIX_FILE") + text)), false, {}, {}},
        {"download pending", kept(namedImage(pending->name())), false, {}, {}},
        {"downloaded", kept(namedImage(loaded->name())), true, QString(), QSize(9, 9)}, // a copy, unnamed
        {"unknown clip art", kept(namedImage(QStringLiteral("Nowhere/none.png"))), false, {}, {}},
        {"raw PNG with a reference", raw.get(), true, QStringLiteral("PREFIX_MASKpicture-ref-1"), QSize(7, 3)},
        {"raw TIFF", tiff.get(), true, QString(), QSize(6, 6)},
        {"data that is no picture", junk.get(), false, {}, {}},
    };
    for (const auto &c : cases) {
        CCMaskImageView well;
        const std::shared_ptr<PWImage> previous = PWImage::fromQImage(QImage(3, 3, QImage::Format_Grayscale8));
        well.setMaskImage(previous);
        well.setImage(previous);
        const std::shared_ptr<PWImage> before = well.maskImage();
        EXPECT_EQ(well.concludeDragOperation(*c.data), c.accepted) << c.what;
        if (!c.accepted) {
            EXPECT_EQ(well.maskImage(), before) << c.what;
            EXPECT_EQ(well.image(), previous) << c.what;
            continue;
        }
        ASSERT_TRUE(well.maskImage()) << c.what;
        EXPECT_NE(well.maskImage(), before) << c.what;
        EXPECT_EQ(well.maskImage()->pixelSize(), c.pixels) << c.what;
        EXPECT_EQ(well.maskImage()->name(), c.name) << c.what;
        ASSERT_TRUE(well.image()) << c.what;
        EXPECT_EQ(well.image()->pixelSize(), c.pixels) << c.what;
    }
}

TEST(MaskWellTest, KeptMaskIsAConvertedCopyAndSelectionTurnsTheWellOnAndOff)
{
    CCMaskImageView well;
    QImage grey(4, 4, QImage::Format_Grayscale8);
    grey.fill(128);
    const std::shared_ptr<PWImage> source = PWImage::fromQImage(grey);
    well.setMaskImage(source);
    ASSERT_TRUE(well.maskImage());
    EXPECT_NE(well.maskImage(), source);
    EXPECT_EQ(source->representations().size(), 1);
    // The grey levels became the coverage of the kept copy.
    ASSERT_EQ(well.maskImage()->representations().size(), 1);
    EXPECT_TRUE(well.maskImage()->representations().first().hasAlpha());
    EXPECT_EQ(qAlpha(well.maskImage()->representations().first().bitmap().pixel(1, 1)), 128);
    EXPECT_FALSE(source->representations().first().hasAlpha());
    EXPECT_FALSE(well.image());

    const std::shared_ptr<PWImage> other = PWImage::fromQImage(QImage(2, 2, QImage::Format_RGB32));
    EXPECT_TRUE(well.selectCellByImage(other));
    EXPECT_EQ(well.maskImage(), other);
    EXPECT_EQ(well.image(), other);
    EXPECT_FALSE(well.selectCellByImage(nullptr));
    EXPECT_FALSE(well.state());
    EXPECT_EQ(well.maskImage(), other);
    EXPECT_EQ(well.image(), other);
}

TEST(MaskWellTest, DropEventKeepsTheMaskAndSendsTheAction)
{
    CCMaskImageView well;
    well.show();
    QSignalSpy action(&well, &CCMaskImageView::action);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("star.png"));
    writeGrey(file, QSize(10, 10), 255);
    const std::unique_ptr<QMimeData> data = namedImage(QStringLiteral("PREFIX_FILE") + file);
    EXPECT_TRUE(dropOn(&well, data.get()));
    EXPECT_EQ(action.count(), 1);
    EXPECT_TRUE(well.state());
    ASSERT_TRUE(well.maskImage());

    const std::unique_ptr<QMimeData> pending = namedImage(QStringLiteral("PREFIX_URL_NEED_LOAD http://x/y.png"));
    EXPECT_FALSE(dropOn(&well, pending.get()));
    EXPECT_EQ(action.count(), 1);

    // A click on the well with a mask sends its action; an empty well sends none.
    QTest::mouseClick(&well, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(action.count(), 2);
    CCMaskImageView empty;
    empty.show();
    QSignalSpy none(&empty, &CCMaskImageView::action);
    QTest::mouseClick(&empty, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(none.count(), 0);
}

// What another program offers: an SVG, and the clipboard's own decoding of it, which would read the
// picture the SVG names inside this process.
class OfferedSvg : public QMimeData
{
public:
    explicit OfferedSvg(QByteArray svg) : m_svg(std::move(svg)) {}
    QStringList formats() const override
    {
        return {QStringLiteral("image/svg+xml"), QStringLiteral("application/x-qt-image")};
    }
    bool hasFormat(const QString &type) const override { return formats().contains(type); }
    mutable bool decodedHere = false;

protected:
    QVariant retrieveData(const QString &type, QMetaType) const override
    {
        if (type == QLatin1String("application/x-qt-image")) {
            decodedHere = true;
            return QImage::fromData(m_svg, "SVG");
        }
        return type == QLatin1String("image/svg+xml") ? QVariant(m_svg) : QVariant();
    }

private:
    QByteArray m_svg;
};

TEST(MaskWellTest, AnOfferedSvgIsDrawnApartWithoutThePictureItNames)
{
    QTemporaryDir dir;
    const QString secret = dir.filePath(QStringLiteral("secret.png"));
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(secret));
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                           "width=\"40\" height=\"40\"><rect width=\"40\" height=\"40\" fill=\"#808080\"/>"
                           "<image width=\"40\" height=\"40\" xlink:href=\""
                           + secret.toUtf8() + "\"/></svg>";
    OfferedSvg offered(svg);
    CCMaskImageView well;
    QSignalSpy arrived(&well, &CCMaskImageView::maskDrawn);
    ASSERT_TRUE(well.concludeDragOperation(offered));
    EXPECT_FALSE(offered.decodedHere);
    ASSERT_TRUE(arrived.count() > 0 || arrived.wait(deferredpicture::ShortDeadline::kShowsWithinMs));
    ASSERT_TRUE(well.image());
    ASSERT_EQ(well.image()->pixelSize(), QSize(40, 40));
    const QImage drawn = well.image()->toImage(QSize(40, 40)).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(drawn.pixel(20, 20), qRgb(0x80, 0x80, 0x80));
}

// A window with the well and a button beside it, and an SVG file to drop on the well: grey, of a
// size of its own, so that no drawing of it is known before the test.
struct SvgDrop
{
    explicit SvgDrop(const char *name)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(well = new CCMaskImageView);
        layout->addWidget(button = new QPushButton(QStringLiteral("Other")));
        window.show();
        const QString file = folder.filePath(QStringLiteral("mask.svg"));
        const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"41\" height=\"40\"><!-- "
                               + QByteArray(name) + " --><rect width=\"41\" height=\"40\" fill=\"#808080\"/></svg>";
        EXPECT_TRUE(pwtest::writeFile(file, svg));
        data.setUrls({QUrl::fromLocalFile(file)});
    }
    // The mask the drop gave, once its drawing has arrived.
    std::shared_ptr<PWImage> dropped(QSignalSpy &drawn)
    {
        const qsizetype before = drawn.count();
        EXPECT_TRUE(dropOn(well, &data));
        if (drawn.count() == before) {
            EXPECT_TRUE(drawn.wait(deferredpicture::ShortDeadline::kShowsWithinMs));
        }
        return well->image();
    }

    QTemporaryDir folder;
    QWidget window;
    CCMaskImageView *well = nullptr;
    QPushButton *button = nullptr;
    QMimeData data;
};

// The SVG is drawn in a child that is held back: the drop returns at once, the well shows a busy
// cursor, and the window handles a posted event and a click meanwhile. Let go, the drawing arrives,
// and the well keeps it, shows it and sends its action.
TEST(MaskWellTest, AnSvgDroppedIsDrawnWhileTheWindowAnswers)
{
    const deferredpicture::ShortDeadline deadline;
    SvgDrop drop("answers");
    QSignalSpy drawn(drop.well, &CCMaskImageView::maskDrawn);
    QSignalSpy action(drop.well, &CCMaskImageView::action);
    std::optional<deferredpicture::HeldRenderings> held(std::in_place);
    ASSERT_TRUE(dropOn(drop.well, &drop.data));
    EXPECT_TRUE(drop.well->isDrawing());
    EXPECT_EQ(drop.well->cursor().shape(), Qt::BusyCursor);
    bool posted = false;
    QTimer::singleShot(0, drop.button, [&posted] { posted = true; });
    QSignalSpy clicked(drop.button, &QPushButton::clicked);
    QTest::mouseClick(drop.button, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(posted);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(drawn.count(), 0);
    EXPECT_EQ(action.count(), 0);

    held.reset();
    ASSERT_TRUE(drawn.wait(deferredpicture::ShortDeadline::kShowsWithinMs));
    EXPECT_TRUE(drawn.first().first().toBool());
    EXPECT_EQ(action.count(), 1);
    EXPECT_TRUE(drop.well->state());
    EXPECT_FALSE(drop.well->isDrawing());
    EXPECT_NE(drop.well->cursor().shape(), Qt::BusyCursor);
    ASSERT_TRUE(drop.well->image() && drop.well->maskImage());
    ASSERT_EQ(drop.well->image()->pixelSize(), QSize(41, 40));
    EXPECT_EQ(drop.well->image()->toImage(QSize(41, 40)).pixel(20, 20), qRgb(0x80, 0x80, 0x80));
}

// A drawing held past its deadline is stopped by the clock and the drop gives no mask; that says
// nothing of the picture, so the next drop of it draws it.
TEST(MaskWellTest, AnSvgStoppedByTheClockIsDrawnOnTheNextDrop)
{
    const deferredpicture::ShortDeadline deadline;
    PWPictureRenderer::setDeadlineMs(1000);
    SvgDrop drop("tried again");
    QSignalSpy drawn(drop.well, &CCMaskImageView::maskDrawn);
    {
        const deferredpicture::HeldRenderings held;
        EXPECT_FALSE(drop.dropped(drawn));
    }
    ASSERT_EQ(drawn.count(), 1);
    EXPECT_FALSE(drawn.first().first().toBool());
    // The next drawing has all the time a loaded machine may need.
    PWPictureRenderer::setDeadlineMs(deferredpicture::ShortDeadline::kShowsWithinMs);
    const std::shared_ptr<PWImage> second = drop.dropped(drawn);
    ASSERT_EQ(drawn.count(), 2);
    EXPECT_TRUE(drawn.last().first().toBool());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->toImage(QSize(41, 40)).pixel(20, 20), qRgb(0x80, 0x80, 0x80));
}

#ifdef PW_CLIPART_LIBRARY_DIR
// The masks the build makes: at least a dozen, each a grey picture without coverage of its own
// (so that it converts into a mask) with its thumbnail, and seeded once into a user's library.
TEST(ShippedMasksTest, GreyMasksWithThumbnailsSeededIntoTheUsersLibrary)
{
    const QString library = QStringLiteral(PW_CLIPART_LIBRARY_DIR);
    const QDir images(library + QStringLiteral("/Masks/Images"));
    const QStringList masks = images.entryList({QStringLiteral("*.png")}, QDir::Files);
    ASSERT_GE(masks.size(), 12);
    for (const QString &mask : masks) {
        const QImage picture(images.filePath(mask));
        ASSERT_FALSE(picture.isNull()) << mask.toStdString();
        EXPECT_FALSE(picture.hasAlphaChannel()) << mask.toStdString();
        EXPECT_TRUE(picture.isGrayscale()) << mask.toStdString();
        // Something shows and something is hidden.
        EXPECT_EQ(qGray(picture.pixel(0, 0)), 0) << mask.toStdString();
        EXPECT_GT(qGray(picture.pixel(picture.width() / 2, picture.height() / 2)), 200) << mask.toStdString();
        const QString thumbnail = library + QStringLiteral("/Masks/Thumbnails/") + QFileInfo(mask).completeBaseName()
            + QStringLiteral(".jpg");
        EXPECT_FALSE(QImage(thumbnail).isNull()) << thumbnail.toStdString();
    }

    QTemporaryDir user;
    const QString target = user.filePath(QStringLiteral("Library"));
    QString error;
    ASSERT_TRUE(CASampleDesignLibrary::installMasksIfMissing(library, target, &error)) << error.toStdString();
    const pwtest::ScopedDefault libraryPath(QStringLiteral("FTSharedContentLibraryPath"), target);
    CCMaskCatalog catalog;
    catalog.setup();
    EXPECT_EQ(catalog.maskPath(), CAEnvironment::maskPath());
    EXPECT_EQ(catalog.cellCount(), masks.size());
    // A library the user already has is left as it is.
    QFile::remove(QDir(CAEnvironment::maskPath()).filePath(masks.first()));
    ASSERT_TRUE(CASampleDesignLibrary::installMasksIfMissing(library, target, &error));
    EXPECT_FALSE(QFileInfo::exists(QDir(CAEnvironment::maskPath()).filePath(masks.first())));
}
#endif

} // namespace
