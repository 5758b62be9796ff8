// The folder picture panes inside the design window: the custom folder asked for when its pane
// is first shown (and again after a cancel), a shape chosen in the shapes pane put on the canvas,
// and the postage-art pane behind its own button.
#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignWindow.h"
#include "app/pictures/CACustomFolderBrowserView.h"
#include "app/pictures/CAPostartBrowserView.h"
#include "app/pictures/CAShapeBrowserView.h"
#include "app/pictures/CCPictCatalog.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include "TestSupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

void savePicture(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(path, "PNG"));
}

QAbstractButton *padButtonOf(CADesignWindow &window, int tag)
{
    return window.findChild<QAbstractButton *>(u"padButton%1"_s.arg(tag));
}

// A content library of its own for one test, with the postage art beside it.
class PicturePanes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        for (const QString &key : {u"FTDesignTab"_s, u"FTDesignPane"_s, CACustomFolderBrowserView::kFolderKey,
                                   CAPostartBrowserView::kCategoryKey})
            defaults.removeObject(key);
        CAEnvironment::setPostArtPath(dir.path() + u"/PostArt"_s);
    }
    void TearDown() override
    {
        CAEnvironment::setPostArtPath(QString());
        PWUserDefaults::standardUserDefaults().removeObject(CACustomFolderBrowserView::kFolderKey);
    }
    QTemporaryDir dir;
    pwtest::ScopedDefault library {u"FTSharedContentLibraryPath"_s, dir.path() + u"/Library"_s};
};

} // namespace

TEST_F(PicturePanes, CustomFolderIsAskedForWhenFirstShownAndAgainAfterACancel)
{
    savePicture(dir.path() + u"/Mine/one.png"_s);
    savePicture(dir.path() + u"/Mine/two.png"_s);
    CADesignWindow window;
    window.show();
    int asked = 0;
    QStringList answers {QString(), dir.path() + u"/Mine"_s};
    window.customFolderView()->setFolderQuestion(
        [&](QWidget *, const QString &, CACustomFolderBrowserView::FolderAnswer answer) {
            ++asked;
            answer(answers.takeFirst());
        });
    window.displayDesignPanelIndex(CADesignWindow::ImageCollection, CADesignWindow::Clipart);
    EXPECT_EQ(asked, 0) << "nothing is asked before the pane shows";
    QTest::mouseClick(padButtonOf(window, 33), Qt::LeftButton);
    EXPECT_EQ(window.currentDesignPadIndex(), CADesignWindow::CustomFolder);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(window.customFolderView()->isLoaded());
    QTest::mouseClick(padButtonOf(window, 10), Qt::LeftButton);
    QTest::mouseClick(padButtonOf(window, 33), Qt::LeftButton);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(window.customFolderView()->isLoaded());
    EXPECT_EQ(window.customFolderView()->catalog()->countImages(), 2);
    QTest::mouseClick(padButtonOf(window, 10), Qt::LeftButton);
    QTest::mouseClick(padButtonOf(window, 33), Qt::LeftButton);
    EXPECT_EQ(asked, 2) << "a loaded pane is not asked again";
}

TEST_F(PicturePanes, ShapeChosenInTheShapesPaneComesOntoTheCanvasAsOneUndoStep)
{
    savePicture(dir.path() + u"/Library/BasicShapes/5-Point Star.png"_s);
    savePicture(dir.path() + u"/Library/BasicShapes/Circle.png"_s);
    CADocument document;
    CADocView canvas;
    canvas.resize(500, 400);
    ASSERT_TRUE(canvas.setDocument(&document));
    document.undoManager()->setGroupsByEvent(false);
    document.undoManager()->removeAllActions();
    CADesignWindow window;
    window.setCanvasProvider([&canvas] { return &canvas; });
    window.resize(260, 420);
    window.show();
    window.displayDesignPanelIndex(CADesignWindow::ImageCollection, CADesignWindow::BasicShapes);
    CCPictCatalog *catalog = window.shapesView()->catalog();
    ASSERT_EQ(catalog->countImages(), 2);
    int star = -1;
    for (int i = 0; i < 2; ++i)
        if (catalog->cellAtRowColumn(i / catalog->numberOfColumns(), i % catalog->numberOfColumns())
                ->imageReference()
                .endsWith(u"5-Point Star.png"_s))
            star = i;
    ASSERT_GE(star, 0);
    const QPoint at =
        catalog->cellFrameAtRowColumn(star / catalog->numberOfColumns(), star % catalog->numberOfColumns()).center().toPoint();
    const size_t before = document.ftDocument()->GetComponents(0, false).size();
    QTest::mouseDClick(catalog, Qt::LeftButton, {}, at);
    const std::vector<CFTComponent *> &list = document.ftDocument()->GetComponents(0, false);
    ASSERT_EQ(list.size(), before + 1);
    EXPECT_EQ(list.back()->getType(), ctStar5);
    document.undoManager()->undo();
    EXPECT_EQ(document.ftDocument()->GetComponents(0, false).size(), before);
}

TEST_F(PicturePanes, PostageArtHasItsOwnButtonAndOpensOnMailingLabels)
{
    savePicture(dir.path() + u"/PostArt/Garden/Rose.png"_s);
    savePicture(dir.path() + u"/PostArt/Mailing Labels/Envelope.png"_s);
    CADesignWindow window;
    window.show();
    window.displayDesignPanelIndex(CADesignWindow::ImageCollection, CADesignWindow::Clipart);
    QTest::mouseClick(padButtonOf(window, 44), Qt::LeftButton);
    EXPECT_EQ(window.currentDesignPadIndex(), CADesignWindow::PostArt);
    EXPECT_EQ(window.checkedMenuTag(), 305);
    EXPECT_EQ(window.postArtView()->categoryPopup()->currentText(), u"Mailing Labels"_s);
    EXPECT_EQ(window.postArtView()->catalog()->countImages(), 1);
}
