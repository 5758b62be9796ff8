// The folder panes of the design window place what the user chooses: a double click or Return
// puts the picture in the middle of the page, or replaces the selected picture with it.
#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignWindow.h"
#include "app/pictures/CACustomFolderBrowserView.h"
#include "app/pictures/CAPostartBrowserView.h"
#include "app/pictures/CCPictCatalog.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWBundle.h"
#include "platform/PWImage.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

void writeSizedPicture(const QString &path, QSize size, QColor colour)
{
    QDir().mkpath(QFileInfo(path).path());
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
}

class FolderPanePlacingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        writeSizedPicture(folder() + u"/Beach.png"_s, QSize(60, 40), Qt::yellow);
        writeSizedPicture(folder() + u"/Harbour.png"_s, QSize(30, 90), Qt::blue);
        writeSizedPicture(postArt() + u"/Mailing Labels/Parcel.png"_s, QSize(50, 50), Qt::darkGreen);
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        defaults.setString(CACustomFolderBrowserView::kFolderKey, folder());
        defaults.removeObject(CAPostartBrowserView::kCategoryKey);
        CAEnvironment::setPostArtPath(postArt());
        m_canvas.resize(500, 400);
        ASSERT_TRUE(m_canvas.setDocument(&m_document));
        m_document.undoManager()->setGroupsByEvent(false);
        // Made after the settings: the panes read their folders when they are made.
        m_window = std::make_unique<CADesignWindow>();
        m_window->setCanvasProvider([this] { return &m_canvas; });
    }
    void TearDown() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(CACustomFolderBrowserView::kFolderKey);
        PWUserDefaults::standardUserDefaults().removeObject(CAPostartBrowserView::kCategoryKey);
        CAEnvironment::setPostArtPath(QString());
    }
    QString folder() const { return m_dir.filePath(u"Mine"_s); }
    QString postArt() const { return m_dir.filePath(u"PostArt"_s); }
    const std::vector<CFTComponent *> &components() const { return m_document.ftDocument()->GetComponents(0, false); }
    QString undoName() const { return m_document.undoManager()->undoActionName(); }
    static QPoint centre(const CCPictCatalog &catalog, int row, int column)
    {
        return catalog.cellFrameAtRowColumn(row, column).center().toPoint();
    }

    QTemporaryDir m_dir;
    CADocument m_document;
    CADocView m_canvas;
    std::unique_ptr<CADesignWindow> m_window;
};

TEST_F(FolderPanePlacingTest, ACustomFolderPictureComesInThenReplacesTheSelectedOne)
{
    m_window->resize(300, 520);
    m_window->displayDesignPanelIndex(CADesignWindow::ImageCollection, CADesignWindow::CustomFolder);
    CCPictCatalog *catalog = m_window->customFolderView()->catalog();
    ASSERT_EQ(catalog->countImages(), 2);
    const size_t before = components().size();

    QTest::mouseDClick(catalog, Qt::LeftButton, Qt::NoModifier, centre(*catalog, 0, 0));
    ASSERT_EQ(components().size(), before + 1);
    CFTComponent *placed = components().back();
    EXPECT_EQ(placed->getClassID(), ciPicture);
    EXPECT_EQ(placed->GetObjectData()->name(), u"PREFIX_FILE"_s + folder() + u"/Beach.png"_s);
    EXPECT_EQ(placed->GetObjectData()->pixelSize(), QSize(60, 40));
    const CFTADocument *design = m_document.ftDocument();
    EXPECT_NEAR(placed->GetOriginX() + placed->GetSizeX() / 2.0, design->getDocumentSizeX(0) / 2.0, 1e-6);
    EXPECT_EQ(undoName(), u"Insert Object"_s);

    // The new picture is selected: Return on the next one replaces its picture, one step.
    ASSERT_EQ(m_canvas.ftView()->getSelComponents(), std::vector<CFTComponent *>{placed});
    catalog->setFocus();
    QTest::keyClick(catalog, Qt::Key_Right);
    QTest::keyClick(catalog, Qt::Key_Return);
    ASSERT_EQ(components().size(), before + 1);
    EXPECT_EQ(placed->GetObjectData()->name(), u"PREFIX_FILE"_s + folder() + u"/Harbour.png"_s);
    EXPECT_EQ(undoName(), PWLocalizedString(u"CHANGE_IMAGE"_s));
    m_document.undoManager()->undo();
    EXPECT_EQ(placed->GetObjectData()->name(), u"PREFIX_FILE"_s + folder() + u"/Beach.png"_s);
}

TEST_F(FolderPanePlacingTest, PostageArtIsPlacedByDoubleClick)
{
    m_window->resize(300, 520);
    m_window->displayDesignPanelIndex(CADesignWindow::ImageCollection, CADesignWindow::PostArt);
    CAPostartBrowserView *pane = m_window->postArtView();
    ASSERT_EQ(pane->categoryPopup()->currentText(), u"Mailing Labels"_s);
    CCPictCatalog *catalog = pane->catalog();
    ASSERT_EQ(catalog->countImages(), 1);
    const size_t before = components().size();
    QTest::mouseDClick(catalog, Qt::LeftButton, Qt::NoModifier, centre(*catalog, 0, 0));
    ASSERT_EQ(components().size(), before + 1);
    EXPECT_EQ(components().back()->GetObjectData()->pixelSize(), QSize(50, 50));
    EXPECT_EQ(undoName(), u"Insert Object"_s);
    // The empty cell beside it places nothing.
    QTest::mouseDClick(catalog, Qt::LeftButton, Qt::NoModifier, centre(*catalog, 0, 1));
    EXPECT_EQ(components().size(), before + 1);
}

} // namespace
