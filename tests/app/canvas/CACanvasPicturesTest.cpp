// The canvas's picture commands: a picture replacing the selected ones or coming in at the middle
// of the page, the background and its placing, tiling; each one undo step.
#include "app/canvas/CACanvasFormat.h"
#include "app/canvas/CACanvasPictures.h"

#include "CanvasEditsFixture.h"

#include "kernel/drawing/CFTExtPicture.h"
#include "platform/PWBundle.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

class CACanvasPicturesTest : public ::testing::Test, public CanvasEditsFixture
{
protected:
    CACanvasPicturesTest()
    {
        undo().setGroupsByEvent(false);
        undo().removeAllActions();
    }
    QString undoName() const { return document.undoManager()->undoActionName(); }
};

TEST(CACanvasPicturesPlainTest, PlacingTags)
{
    struct Case
    {
        int tag;
        int mode;
    };
    for (const Case &c : {Case{0, 3}, Case{1, 2}, Case{2, 1}, Case{7, 1}, Case{-1, 1}})
        EXPECT_EQ(int(CACanvasPictures::convertTagToMode(c.tag)), c.mode) << c.tag;
}

TEST(CACanvasPicturesPlainTest, BrowserCellsStandForTheirPicture)
{
    const std::shared_ptr<PWImage> cell = CanvasEditsFixture::image(8, 8, 0xff00ff00);
    EXPECT_FALSE(CACanvasPictures::imageForBrowserCell(QString(), cell)) << "a cell without a name";
    EXPECT_EQ(CACanvasPictures::imageForBrowserCell(u"FULLSIZE_flower"_s, cell), cell);
    EXPECT_EQ(CACanvasPictures::imageForBrowserCell(u"PREFIX_URL_NEED_LOAD http://x/y.png"_s, cell), cell);
    EXPECT_TRUE(CACanvasPictures::isInternetImage(u"PREFIX_URL_NEED_LOAD http://x/y.png"_s));
    EXPECT_FALSE(CACanvasPictures::isInternetImage(u"PREFIX_FILE/tmp/y.png"_s));
    // Neither in the library nor registered: nothing, rather than the cell's reduced copy.
    EXPECT_FALSE(CACanvasPictures::imageForBrowserCell(u"no such picture 9f3a"_s, cell));
    const std::shared_ptr<PWImage> registered = CanvasEditsFixture::image(4, 4, 0xffff0000, u"registered 9f3a"_s);
    EXPECT_EQ(CACanvasPictures::imageForBrowserCell(u"registered 9f3a"_s, cell), registered);
}

TEST(CACanvasPicturesPlainTest, PhotoFilesAreReadOnceAndKnownByTheirName)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(u"photo.png"_s);
    QImage bitmap(6, 4, QImage::Format_ARGB32);
    bitmap.fill(0xff336699);
    ASSERT_TRUE(bitmap.save(path, "PNG"));
    const std::shared_ptr<PWImage> first = CACanvasPictures::imageForPhotoFile(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name(), u"PREFIX_FILE"_s + path);
    EXPECT_EQ(CACanvasPictures::imageForPhotoFile(path), first) << "the registered image, not a second read";

    QFile broken(folder.filePath(u"broken.png"_s));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("no picture");
    broken.close();
    EXPECT_FALSE(CACanvasPictures::imageForPhotoFile(broken.fileName()));
    EXPECT_FALSE(CACanvasPictures::imageForPhotoFile(QString()));
}

TEST_F(CACanvasPicturesTest, ReplacingReachesPicturesAndElseInsertsAtThePageCentre)
{
    const std::shared_ptr<PWImage> green = image(30, 10, 0xff00aa00, u"green"_s);
    const QByteArray before = objects();
    selectOnly({picture, text});
    ASSERT_TRUE(CACanvasPictures::replaceImage(view, green));
    EXPECT_EQ(picture->GetObjectData(), green);
    EXPECT_EQ(undoName(), PWLocalizedString(u"CHANGE_IMAGE"_s));
    undo().undo();
    EXPECT_TRUE(sameDesign(objects(), before));

    selectOnly({text});
    const size_t count = list().size();
    ASSERT_TRUE(CACanvasPictures::replaceImage(view, green));
    ASSERT_EQ(list().size(), count + 1);
    const QRectF frame = CACanvasEdits::frameOf(list().back());
    const CFTADocument *design = document.ftDocument();
    EXPECT_DOUBLE_EQ(frame.center().x(), design->getDocumentSizeX(0) / 2.0);
    EXPECT_DOUBLE_EQ(frame.center().y(), design->getDocumentSizeY(0) / 2.0);
    EXPECT_EQ(undoName(), PWLocalizedString(u"INSERT_OBJECT"_s));
    undo().undo();
    EXPECT_EQ(list().size(), count);
    EXPECT_TRUE(sameDesign(objects(), before));
}

TEST_F(CACanvasPicturesTest, AFileThatIsNoPictureChangesNothing)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath(u"fake.png"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture at all");
    file.close();
    const QByteArray before = objects();
    selectOnly({picture});
    EXPECT_FALSE(CACanvasPictures::replaceImageFromFile(view, file.fileName()));
    EXPECT_FALSE(CACanvasPictures::replaceImageFromFile(view, QString()));
    EXPECT_TRUE(sameDesign(objects(), before));
    EXPECT_FALSE(undo().canUndo());
}

TEST_F(CACanvasPicturesTest, TilingFollowsTheFirstSelectedPicture)
{
    CFTComponent *second = CFTAView::CreatePicture(CDDPicture(image(10, 10, 0xff112233))).release();
    document.ftDocument()->AddObject(second, 0, false);
    picture->SetDataPlacing(placingMode(1));
    second->SetDataPlacing(placingMode(0));
    selectOnly({picture, second});
    CACanvasPictures::tileImage(view);
    EXPECT_EQ(int(picture->GetDataPlacing()), 0) << "the tiled first untiles both";
    EXPECT_EQ(int(second->GetDataPlacing()), 0);
    EXPECT_EQ(undoName(), PWLocalizedString(u"SET_TILE"_s));
    CACanvasPictures::tileImage(view);
    EXPECT_EQ(int(picture->GetDataPlacing()), 1);
    EXPECT_EQ(int(second->GetDataPlacing()), 1);
    undo().undo();
    undo().undo();
    EXPECT_EQ(int(picture->GetDataPlacing()), 1);
    EXPECT_EQ(int(second->GetDataPlacing()), 0);

    ftView().deselectAll();
    undo().removeAllActions();
    CACanvasPictures::tileImage(view);
    EXPECT_FALSE(undo().canUndo()) << "nothing selected, nothing named";
}

TEST_F(CACanvasPicturesTest, BackgroundTakesItsPlacingAndIsEditedAndUndoneInOneStep)
{
    const QByteArray before = objects();
    CACanvasPictures::setBackPlacing(view, 0);
    EXPECT_FALSE(undo().canUndo()) << "no background, no placing";

    CACanvasPictures::changeBackground(view, image(50, 40, 0xff884422), 1);
    CFTComponent *background = ftView().getBackground();
    ASSERT_TRUE(background);
    EXPECT_EQ(background, document.ftDocument()->getBackground(0));
    EXPECT_EQ(int(background->GetDataPlacing()), 2);
    EXPECT_EQ(ftView().getToolMode(), toolBackground);
    EXPECT_TRUE(ftView().needEditBackground());
    EXPECT_EQ(undoName(), PWLocalizedString(u"SET_BACKGROUND"_s));

    // While the background is edited the colour panel colours it.
    const CDDColor tint(0.2f, 0.3f, 0.4f, 1.0f);
    view.format().changeColor(tint);
    EXPECT_EQ(*background->GetFillColor(), tint);
    EXPECT_EQ(view.format().colorTargets(), (CACanvasFormat::ColorTargets{false, true, false, false}));
    undo().undo();

    for (const int tag : {0, 1, 2}) {
        CACanvasPictures::setBackPlacing(view, tag);
        EXPECT_EQ(background->GetDataPlacing(), CACanvasPictures::convertTagToMode(tag)) << tag;
        EXPECT_EQ(undoName(), PWLocalizedString(u"CHANGE_IMAGEPLACING"_s));
    }
    for (int step = 0; step < 3; ++step)
        undo().undo();
    EXPECT_EQ(int(background->GetDataPlacing()), 2);
    undo().undo();
    EXPECT_FALSE(ftView().getBackground()) << "one undo takes the background and its placing away";
    EXPECT_TRUE(sameDesign(objects(), before));
}

} // namespace
