// The clip-art pane in the design window, driven as a user drives it: a category, a keyword
// search, then a double click (or Return) that places the picture on the canvas as one step.
#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignWindow.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCPictDragOut.h"
#include "app/pictures/CCSearchField.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWBundle.h"
#include "platform/PWImage.h"
#include "platform/PWUndoManager.h"

#include "ClipArtPaneFixture.h"
#include "TestSupport.h"

#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class ClipArtPanePlacingTest : public ClipArtPaneFixture
{
protected:
    void SetUp() override
    {
        ClipArtPaneFixture::SetUp();
        catCollection();
        category(u"Animals"_s, {{u"dog.png"_s, u"Dog"_s}, {u"cat.png"_s, u"Cat"_s}});
        category(u"Office"_s, {{u"catalog.jpg"_s, u"Catalogue"_s}});
    }

    const std::vector<CFTComponent *> &components() const { return document.ftDocument()->GetComponents(0, false); }

    CADocument document;
};

void chooseCategory(CCPictBrowserView &pane, const QString &title)
{
    for (QAction *entry : pane.categoryPopupButton()->menu()->actions()) {
        if (pane.popupTitles().value(entry->data().toInt()) == title) {
            entry->trigger();
            return;
        }
    }
    ADD_FAILURE() << "no popup entry " << title.toStdString();
}

// The centre of the cell showing reference, or a point outside every cell.
QPoint cellCentre(const CCPictCatalog &catalog, const QString &reference)
{
    for (int row = 0; row < catalog.numberOfRows(); ++row) {
        for (int column = 0; column < catalog.numberOfColumns(); ++column) {
            if (catalog.cellAtRowColumn(row, column)->imageReference() == reference)
                return catalog.cellFrameAtRowColumn(row, column).center().toPoint();
        }
    }
    ADD_FAILURE() << "no cell shows " << reference.toStdString();
    return QPoint(-10, -10);
}

TEST_F(ClipArtPanePlacingTest, FromCategoryToKeywordSearchToAPictureOnTheCanvas)
{
    CADocView canvas;
    canvas.resize(500, 400);
    ASSERT_TRUE(canvas.setDocument(&document));
    document.undoManager()->setGroupsByEvent(false);
    CADesignWindow window;
    window.setCanvasProvider([&canvas] { return &canvas; });
    window.resize(260, 520);
    window.displayDesignPanelIndex(CADesignWindow::ImageCollection, CADesignWindow::Clipart);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    CCPictBrowserView *pane = window.clipArtPane();
    ASSERT_NE(pane, nullptr);
    ASSERT_TRUE(pane->isVisible());
    EXPECT_EQ(window.searchField(), pane->searchField());

    chooseCategory(*pane, u"Office"_s);
    CCPictCatalog *catalog = pane->catalog();
    ASSERT_EQ(catalog->countImages(), 1);
    chooseCategory(*pane, u"Animals"_s);
    ASSERT_EQ(catalog->countImages(), 2);

    CCSearchField *field = pane->searchField();
    field->setFocus();
    QTest::keyClicks(field, u"cat"_s);
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(pane->currentCategoryName(), u"Search Result"_s);
    ASSERT_EQ(catalog->countImages(), 5);

    const std::size_t before = components().size();
    QTest::mouseDClick(catalog, Qt::LeftButton, Qt::NoModifier, cellCentre(*catalog, u"cat.png"_s));
    ASSERT_EQ(components().size(), before + 1);
    CFTComponent *placed = components().back();
    EXPECT_EQ(placed->getClassID(), ciPicture);
    // The picture sits in the middle of the page.
    const CFTADocument *design = document.ftDocument();
    EXPECT_NEAR(placed->GetOriginX() + placed->GetSizeX() / 2.0, design->getDocumentSizeX(0) / 2.0, 1e-6);
    EXPECT_NEAR(placed->GetOriginY() + placed->GetSizeY() / 2.0, design->getDocumentSizeY(0) / 2.0, 1e-6);
    EXPECT_EQ(document.undoManager()->undoActionName(), u"Insert Object"_s);

    document.undoManager()->undo();
    EXPECT_EQ(components().size(), before);
    document.undoManager()->redo();
    EXPECT_EQ(components().size(), before + 1);

    // Return on the selected picture places it as well: over the picture selected on the canvas
    // (one step), else as a new one; the spacing between cells places nothing.
    catalog->setFocus();
    QTest::keyClick(catalog, Qt::Key_Home);
    ASSERT_EQ(catalog->selectedCell()->imageReference(), u"alleycat.jpg"_s);
    ASSERT_EQ(canvas.ftView()->getSelComponents(), std::vector<CFTComponent *>{placed});
    QTest::keyClick(catalog, Qt::Key_Return);
    ASSERT_EQ(components().size(), before + 1);
    EXPECT_EQ(placed->GetObjectData()->name(), u"FULLSIZE_alleycat.jpg"_s);
    EXPECT_EQ(document.undoManager()->undoActionName(), PWLocalizedString(u"CHANGE_IMAGE"_s));
    canvas.ftView()->deselectAll();
    QTest::keyClick(catalog, Qt::Key_Return);
    ASSERT_EQ(components().size(), before + 2);
    EXPECT_EQ(components().back()->getClassID(), ciPicture);
    EXPECT_EQ(document.undoManager()->undoActionName(), u"Insert Object"_s);
    const QPointF gap = catalog->cellFrameAtRowColumn(0, 0).topRight() + QPointF(1.5, 20);
    QTest::mouseDClick(catalog, Qt::LeftButton, Qt::NoModifier, gap.toPoint());
    EXPECT_EQ(components().size(), before + 2);
}

TEST_F(ClipArtPanePlacingTest, ThePictureOfACellIsTheCollectionsFullSizePicture)
{
    const std::shared_ptr<PWImage> cat = CCPictDragOut::fullPicture(u"cat.png"_s);
    ASSERT_NE(cat, nullptr);
    EXPECT_EQ(cat->name(), u"FULLSIZE_cat.png"_s) << "a design refers to the picture by its name in the collection";
    const QString outside = m_dir.filePath(u"elsewhere.png"_s);
    QImage(10, 10, QImage::Format_ARGB32).save(outside, "PNG");
    EXPECT_NE(CCPictDragOut::fullPicture(u"PREFIX_FILE"_s + outside), nullptr);
    // Damaged pictures of the collection: bytes that are no picture, a container cut short.
    const auto write = [](const QString &name, const QByteArray &bytes) {
        QFile file(CAEnvironment::clipArtPath() + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(u"broken.png"_s, QByteArrayLiteral("\x89PNG\r\n\x1a\n then nothing of a picture"));
    write(u"short.hpi"_s, QByteArray(12, '\x7f'));
    for (const QString &nothing : {QString(), u"loading"_s, u"../../elsewhere.png"_s, u"nothing-here.png"_s,
                                   u"broken.png"_s, u"short.hpi"_s,
                                   u"PREFIX_URL_NEED_LOAD https://example.org/a.png https://example.org/"_s})
        EXPECT_EQ(CCPictDragOut::fullPicture(nothing), nullptr) << nothing.toStdString();
}

TEST_F(ClipArtPanePlacingTest, WithoutACanvasAChosenPictureGoesNowhere)
{
    CADesignWindow window;
    window.displayDesignPanelIndex(CADesignWindow::ImageCollection, CADesignWindow::Clipart);
    CCPictBrowserView *pane = window.clipArtPane();
    chooseCategory(*pane, u"Animals"_s);
    QStringList chosen;
    QObject::connect(pane, &CCPictBrowserView::pictureChosen, pane,
                     [&chosen](const std::shared_ptr<PWImage> &image) { chosen.append(image->name()); });
    EXPECT_TRUE(pane->chooseSelectedPicture());
    EXPECT_EQ(chosen, QStringList{u"FULLSIZE_dog.png"_s});
}

TEST_F(ClipArtPanePlacingTest, TheDirectSearchSwitchesTheFieldToTheInternet)
{
    CADesignWindow window;
    QStringList searched;
    window.clipArtPane()->setInternetSearchStart([&searched](const QString &text) { searched.append(text); });
    window.directSearch(u"harbour"_s);
    CCPictBrowserView *pane = window.clipArtPane();
    EXPECT_EQ(searched, QStringList{u"harbour"_s});
    EXPECT_EQ(pane->searchField()->text(), u"harbour"_s);
    EXPECT_EQ(pane->searchField()->emptyString(), QString());
    EXPECT_EQ(pane->searchField()->doubleValue(), 23.0);
    EXPECT_EQ(pane->currentCategoryName(), u"Search Result"_s);
}

} // namespace
