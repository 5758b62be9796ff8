// The clip-art pane with its own internet search against a loopback server: results into the
// grid, the progress, a search without a service, an internet result's whole picture loaded
// before it is offered (with the busy cursor while it loads, and once however often it is asked
// for), and a picture dragged from the pane onto a canvas.
#include "app/canvas/CACanvasClipboard.h"
#include "app/canvas/CADocView.h"
#include "app/pictures/CCGoogleSearch.h"
#include "app/pictures/CCGoogleSearchAnswer.h"
#include "app/pictures/CCInternetPictureLoad.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCPictDragOut.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CImageURL.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWUndoManager.h"

#include "ClipArtPaneFixture.h"
#include "LoopbackHttpServer.h"
#include "PictureTestSupport.h"

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using pictest::solidPng;

QStringList catalogReferences(const CCPictCatalog &catalog)
{
    QStringList list;
    for (int row = 0; row < catalog.numberOfRows(); ++row)
        for (int column = 0; column < catalog.numberOfColumns(); ++column)
            list << catalog.cellAtRowColumn(row, column)->imageReference();
    return list;
}

// A canvas on its own design that pictures are dropped on as a drag from a pane ends.
struct DropCanvas
{
    DropCanvas()
    {
        view.setScreenResolution(72.0);
        EXPECT_TRUE(view.setDocument(&document));
        view.resize(700, 600);
        view.show();
        document.undoManager()->setGroupsByEvent(false);
        document.undoManager()->removeAllActions();
    }
    const std::vector<CFTComponent *> &components() const { return document.ftDocument()->GetComponents(0, false); }
    // The drag data of the catalogue's cell, built as a press that moves builds it, let go here.
    void dropCell(CCPictCatalog &catalog, int column)
    {
        const std::shared_ptr<PWImage> picture = catalog.fullPictureAt(0, column);
        ASSERT_NE(picture, nullptr);
        const std::unique_ptr<QMimeData> data = CCPictDragOut::mimeDataForPicture(picture.get());
        const QPoint at = view.geometry().widgetPoint(QPointF(120, 90)).toPoint();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &drop);
    }

    CADocument document;
    CADocView view;
};

class ClipArtPaneInternetTest : public ClipArtPaneFixture
{
protected:
    void SetUp() override
    {
        ClipArtPaneFixture::SetUp();
        ASSERT_TRUE(m_server.isListening());
        numberedCategory(u"Animals"_s, 3);
    }

    // An answer record whose full picture is path on the loopback server.
    QByteArray record(int n, const QString &path) const
    {
        const QByteArray number = QByteArray::number(n);
        return "<a href=/imgres?imgurl=" + (m_server.base() + path).toUtf8() + "&imgrefurl=http://site.test/" + number
            + "&h=1>\n<img src=/thumb" + number + " width=80></a>\n";
    }
    QString pagePath(const QString &text) const
    {
        const QUrl url = CCGoogleSearchAnswer::requestURL(QUrl(m_server.base()), text);
        return url.path(QUrl::FullyEncoded) + u'?' + url.query(QUrl::FullyEncoded);
    }
    // Serves a page of n records whose full pictures are /fullN.png, with their thumbnails.
    void serve(const QString &text, int n)
    {
        QByteArray page = "<html>";
        for (int i = 1; i <= n; ++i) {
            page += record(i, u"/full%1.png"_s.arg(i));
            m_server.set(u"/thumb%1"_s.arg(i), {"200 OK", "image/png", solidPng(QColor(40 * i, 90, 160)), true, false});
        }
        m_server.set(pagePath(text), {"200 OK", "text/html", page, true, false});
    }
    // The pane in internet mode, searching the loopback server, its notices collected.
    void prepare(CCPictBrowserView &pane, bool withService = true)
    {
        pane.googleSearch().setServiceAddress(withService ? m_server.base() : QString());
        pane.googleSearch().setTimeoutMs(20000);
        pane.setNoticeHandler([this](const QString &text) { m_notices << text; });
        CCSearchFieldCell *cell = pane.searchField()->searchCell();
        cell->switchToInternet(cell->menuItemWithTitle(u"Internet"_s));
    }
    static void search(CCPictBrowserView &pane, const QString &text)
    {
        CCSearchField *field = pane.searchField();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    // Waits (the guard only keeps a broken build from hanging the suite) until the search
    // has no request open any more.
    static bool searchEnds(CCPictBrowserView &pane)
    {
        return QTest::qWaitFor([&pane] { return pane.googleSearch().itemCount() > 0 && !pane.googleSearch().isRunning(); },
                               30000);
    }

    LoopbackHttpServer m_server;
    QStringList m_notices;
};

TEST_F(ClipArtPaneInternetTest, ItsOwnSearchFillsTheGridAndEndsTheProgress)
{
    serve(u"owls"_s, 3);
    m_server.set(u"/thumb2"_s, {"404 Not Found", "text/html", "gone", true, false});
    CCPictBrowserView pane;
    pane.resize(260, 400);
    prepare(pane);
    search(pane, u"owls"_s);
    EXPECT_EQ(pane.searchField()->doubleValue(), 23.0);
    EXPECT_EQ(pane.currentCategoryName(), u"Search Result"_s);
    ASSERT_TRUE(searchEnds(pane));
    QCoreApplication::processEvents();
    const QString site = u" http://site.test/"_s;
    // The failed thumbnail leaves an empty cell, no placeholder waiting for ever; the result
    // after it stays.
    EXPECT_EQ(catalogReferences(*pane.catalog()).mid(0, 3),
              QStringList({CCPictImageResolver::kUrlPrefix + m_server.base() + u"/full1.png"_s + site + u'1', QString(),
                           CCPictImageResolver::kUrlPrefix + m_server.base() + u"/full3.png"_s + site + u'3'}));
    EXPECT_FALSE(catalogReferences(*pane.catalog()).contains(CCPictImageResolver::kLoading));
    EXPECT_NE(pane.catalog()->cellAtRowColumn(0, 0)->image(), nullptr);
    EXPECT_EQ(pane.searchField()->doubleValue(), 0.0);
    EXPECT_EQ(m_server.count(u"/thumb"_s), 3);
    EXPECT_TRUE(m_notices.isEmpty());

    // A category gives the search up and shows the collection again.
    for (QAction *entry : pane.categoryPopupButton()->menu()->actions()) {
        if (pane.popupTitles().value(entry->data().toInt()) == u"Animals"_s)
            entry->trigger();
    }
    EXPECT_FALSE(pane.googleSearch().isInUse());
    EXPECT_EQ(pane.catalog()->countImages(), 3);
}

TEST_F(ClipArtPaneInternetTest, WithoutAServiceTheUserIsToldAndNothingIsSent)
{
    PWUserDefaults::standardUserDefaults().removeObject(CCGoogleSearch::kServiceKey);
    CCPictBrowserView pane;
    prepare(pane, false);
    EXPECT_FALSE(pane.canSearchInternet());
    search(pane, u"owls"_s);
    EXPECT_EQ(m_notices, QStringList{CCPictBrowserView::noServiceMessage()});
    EXPECT_EQ(pane.searchField()->doubleValue(), 0.0);
    EXPECT_FALSE(pane.googleSearch().isInUse());
    EXPECT_TRUE(m_server.requests().isEmpty());
    // What the pane showed stays.
    EXPECT_EQ(pane.currentCategoryName(), u"Animals"_s);
    EXPECT_EQ(pane.catalog()->countImages(), 3);
}

TEST_F(ClipArtPaneInternetTest, AnInternetResultIsOfferedOnlyOnceItsWholePictureIsLoaded)
{
    serve(u"barns"_s, 2);
    m_server.set(u"/full1.png"_s, {"200 OK", "image/png", solidPng(Qt::darkRed, QSize(120, 90)), true, false});
    m_server.set(u"/full2.png"_s, {"200 OK", "image/png", "<html>no picture</html>", true, false});
    CCPictBrowserView pane;
    pane.resize(260, 400);
    pane.show();
    prepare(pane);
    QList<std::shared_ptr<PWImage>> chosen;
    QObject::connect(&pane, &CCPictBrowserView::pictureChosen, &pane,
                     [&chosen](const std::shared_ptr<PWImage> &picture) { chosen << picture; });
    search(pane, u"barns"_s);
    ASSERT_TRUE(searchEnds(pane));
    CCPictCatalog *catalog = pane.catalog();

    QTest::mouseDClick(catalog, Qt::LeftButton, Qt::NoModifier, catalog->cellFrameAtRowColumn(0, 0).center().toPoint());
    EXPECT_TRUE(chosen.isEmpty()) << "nothing is offered before the picture is in";
    EXPECT_TRUE(pane.isLoadingInternetPicture());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !chosen.isEmpty(); }, 30000));
    EXPECT_EQ(chosen.front()->name(), u"PREFIX_URL_LOADED "_s + m_server.base() + u"/full1.png http://site.test/1"_s);
    EXPECT_EQ(chosen.front()->pixelSize(), QSize(120, 90));
    EXPECT_EQ(m_server.count(u"/full1.png"_s), 1);

    // Bytes that are no picture: the user is told, nothing is offered.
    catalog->setFocus();
    QTest::keyClick(catalog, Qt::Key_Right);
    QTest::keyClick(catalog, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pane.isLoadingInternetPicture(); }, 30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(chosen.size(), 1);
    EXPECT_EQ(m_notices, QStringList{CCInternetPictureLoad::failureMessage(m_server.base() + u"/full2.png"_s)});
}

TEST_F(ClipArtPaneInternetTest, ResultsThatCannotBeLoadedAreReportedAndNothingIsOffered)
{
    m_server.set(u"/gone.png"_s, {"404 Not Found", "text/html", "gone", true, false});
    const QString missing = m_server.base() + u"/gone.png"_s;
    const QString huge = m_server.base() + u"/huge.png"_s;
    m_server.set(u"/huge.png"_s, {"200 OK", "image/png", solidPng(Qt::red) + QByteArray(2 * 1024 * 1024, 'x'), false, false});
    const qint64 cap = CImageURL::maxBytes();
    CImageURL::setMaxBytes(1024 * 1024);
    for (const QString &address : {missing, huge, u"ftp://pics.test/a.png"_s, u"file:///etc/hostname"_s}) {
        CCPictBrowserView pane;
        prepare(pane);
        int offered = 0;
        QObject::connect(&pane, &CCPictBrowserView::pictureChosen, &pane, [&offered] { ++offered; });
        m_notices.clear();
        pane.prepareMatrixWithSender({1, 0});
        pane.dynamicAddImageWithGoogleSearchItem({1, 0}, {QUrl(address), u"http://site.test/"_s, solidPng(Qt::blue)});
        pane.catalog()->selectCellAtRowColumn(0, 0);
        EXPECT_TRUE(pane.chooseSelectedPicture()) << qPrintable(address);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_notices.isEmpty(); }, 30000)) << qPrintable(address);
        EXPECT_EQ(offered, 0) << qPrintable(address);
        EXPECT_EQ(m_notices, QStringList{CCInternetPictureLoad::failureMessage(QUrl(address).toString(QUrl::FullyEncoded))})
            << qPrintable(address);
    }
    CImageURL::setMaxBytes(cap);
    EXPECT_EQ(m_server.count(u"/huge.png"_s), 1);
}

TEST_F(ClipArtPaneInternetTest, APictureDraggedFromThePaneOntoACanvasIsOnePictureAndOneStep)
{
    CCPictBrowserView pane;
    ASSERT_EQ(pane.catalog()->countImages(), 3);
    DropCanvas canvas;
    const size_t before = canvas.components().size();
    canvas.dropCell(*pane.catalog(), 1);
    ASSERT_EQ(canvas.components().size(), before + 1);
    EXPECT_EQ(canvas.components().back()->getClassID(), ciPicture);
    // The collection's own picture, by which the design refers to it.
    EXPECT_EQ(canvas.components().back()->GetObjectData()->name(), u"FULLSIZE_animals01.png"_s);
    ASSERT_TRUE(canvas.document.undoManager()->canUndo());
    canvas.document.undoManager()->undo();
    EXPECT_EQ(canvas.components().size(), before);
    EXPECT_FALSE(canvas.document.undoManager()->canUndo()) << "the drop was one step";
}

TEST_F(ClipArtPaneInternetTest, AnInternetResultDroppedOnACanvasComesInOnceLoadedOrNotAtAll)
{
    m_server.set(u"/full1.png"_s, {"200 OK", "image/png", solidPng(Qt::darkGreen, QSize(64, 48)), true, false});
    m_server.set(u"/full2.png"_s, {"404 Not Found", "text/html", "gone", true, false});
    CCPictBrowserView pane;
    pane.prepareMatrixWithSender({2, 0});
    for (int i = 0; i < 2; ++i)
        pane.dynamicAddImageWithGoogleSearchItem({2, i}, {QUrl(m_server.base() + u"/full%1.png"_s.arg(i + 1)),
                                                          u"http://site.test/%1"_s.arg(i + 1), solidPng(Qt::gray)});
    DropCanvas canvas;
    const size_t before = canvas.components().size();
    const auto dropAndWait = [&](int column) {
        const size_t had = canvas.components().size();
        canvas.dropCell(*pane.catalog(), column);
        EXPECT_EQ(canvas.components().size(), had) << "nothing comes in before the whole picture";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !canvas.view.clipboard().isLoadingInternetPicture(); }, 30000));
        QCoreApplication::processEvents();
    };

    dropAndWait(0);
    ASSERT_EQ(canvas.components().size(), before + 1);
    EXPECT_EQ(canvas.components().back()->GetObjectData()->name(),
              u"PREFIX_URL_LOADED "_s + m_server.base() + u"/full1.png http://site.test/1"_s);
    EXPECT_EQ(canvas.components().back()->GetObjectData()->pixelSize(), QSize(64, 48));
    EXPECT_EQ(canvas.document.undoManager()->undoActionName(), u"Insert Object"_s);

    dropAndWait(1);
    EXPECT_EQ(canvas.components().size(), before + 1) << "a picture that cannot be loaded is not placed";
    canvas.document.undoManager()->undo();
    EXPECT_EQ(canvas.components().size(), before);
    EXPECT_FALSE(canvas.document.undoManager()->canUndo());
}

// How a load of an internet result's whole picture ends.
enum class LoadEnd { Loaded, Refused, TimedOut };

struct LoadEndCase
{
    const char *name;
    LoadEnd end;
};

class ClipArtPaneBusyTest : public ClipArtPaneInternetTest, public ::testing::WithParamInterface<LoadEndCase>
{
protected:
    void SetUp() override
    {
        ClipArtPaneInternetTest::SetUp();
        m_timeout = CImageURL::timeoutMs();
        switch (GetParam().end) {
        case LoadEnd::Loaded:
            m_server.set(u"/whole.png"_s, {"200 OK", "image/png", solidPng(Qt::darkCyan, QSize(50, 40)), true, false});
            break;
        case LoadEnd::Refused:
            m_server.set(u"/whole.png"_s, {"404 Not Found", "text/html", "gone", true, false});
            break;
        case LoadEnd::TimedOut:
            m_server.set(u"/whole.png"_s, {"200 OK", "image/png", {}, true, true});
            CImageURL::setTimeoutMs(400);
            break;
        }
    }
    void TearDown() override
    {
        CImageURL::setTimeoutMs(m_timeout);
        ClipArtPaneInternetTest::TearDown();
    }
    // A pane whose one cell is an internet result for the whole picture at /whole.png.
    void fill(CCPictBrowserView &pane)
    {
        pane.prepareMatrixWithSender({1, 0});
        pane.dynamicAddImageWithGoogleSearchItem(
            {1, 0}, {QUrl(m_server.base() + u"/whole.png"_s), u"http://site.test/w"_s, solidPng(Qt::gray)});
    }
    // Records, as the server takes the request (the load is running), the cursor shape in.
    void recordCursorAtRequest(QWidget *widget)
    {
        m_server.setRequestHook([this, widget](const QString &path) {
            if (path == u"/whole.png"_s)
                m_atRequest << widget->cursor().shape();
        });
    }
    bool requestArrives() const
    {
        return QTest::qWaitFor([this] { return m_server.count(u"/whole.png"_s) > 0; }, 30000);
    }

    int m_timeout = 0;
    QList<Qt::CursorShape> m_atRequest;
};

TEST_P(ClipArtPaneBusyTest, ThePaneIsBusyWhileAResultLoadsAndADoubleRequestLoadsOnce)
{
    CCPictBrowserView pane;
    pane.resize(260, 400);
    pane.show();
    prepare(pane);
    fill(pane);
    int offered = 0;
    QObject::connect(&pane, &CCPictBrowserView::pictureChosen, &pane, [&offered] { ++offered; });
    CCPictCatalog *catalog = pane.catalog();
    recordCursorAtRequest(catalog);
    const QPoint cell = catalog->cellFrameAtRowColumn(0, 0).center().toPoint();
    EXPECT_NE(catalog->cursor().shape(), Qt::BusyCursor);

    QTest::mouseDClick(catalog, Qt::LeftButton, Qt::NoModifier, cell);
    ASSERT_TRUE(pane.isLoadingInternetPicture());
    // Everything in the pane shows it, the grid under the pointer included.
    EXPECT_EQ(pane.cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(catalog->cursor().shape(), Qt::BusyCursor);
    ASSERT_TRUE(requestArrives());
    // The same result asked for again while it loads: nothing starts, the first load goes on.
    QTest::mouseDClick(catalog, Qt::LeftButton, Qt::NoModifier, cell);
    catalog->setFocus();
    QTest::keyClick(catalog, Qt::Key_Return);
    EXPECT_FALSE(pane.chooseSelectedPicture());
    EXPECT_TRUE(pane.isLoadingInternetPicture());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !pane.isLoadingInternetPicture(); }, 30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_atRequest, QList<Qt::CursorShape>{Qt::BusyCursor});
    EXPECT_EQ(m_server.count(u"/whole.png"_s), 1);
    // The sign ends with the load, however it ends, and the pane has the plain cursor again.
    EXPECT_EQ(pane.cursor().shape(), Qt::ArrowCursor);
    EXPECT_NE(catalog->cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(offered, GetParam().end == LoadEnd::Loaded ? 1 : 0);
    EXPECT_EQ(m_notices.size(), GetParam().end == LoadEnd::Loaded ? 0 : 1);
}

TEST_P(ClipArtPaneBusyTest, TheCanvasIsBusyWhileADroppedResultLoadsAndADoubleDropLoadsOnce)
{
    CCPictBrowserView pane;
    fill(pane);
    DropCanvas canvas;
    QWidget *viewport = canvas.view.viewport();
    viewport->setCursor(Qt::CrossCursor);
    recordCursorAtRequest(viewport);
    const size_t before = canvas.components().size();

    canvas.dropCell(*pane.catalog(), 0);
    ASSERT_TRUE(canvas.view.clipboard().isLoadingInternetPicture());
    EXPECT_EQ(viewport->cursor().shape(), Qt::BusyCursor);
    ASSERT_TRUE(requestArrives());
    // Moving over the canvas does not take the sign away; dropping the result again loads nothing.
    const QPoint inside(40, 40);
    QMouseEvent move(QEvent::MouseMove, QPointF(inside), viewport->mapToGlobal(QPointF(inside)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_EQ(viewport->cursor().shape(), Qt::BusyCursor);
    canvas.dropCell(*pane.catalog(), 0);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !canvas.view.clipboard().isLoadingInternetPicture(); }, 30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_atRequest, QList<Qt::CursorShape>{Qt::BusyCursor});
    EXPECT_EQ(m_server.count(u"/whole.png"_s), 1);
    EXPECT_EQ(viewport->cursor().shape(), Qt::CrossCursor) << "the canvas's own cursor comes back";
    EXPECT_EQ(canvas.components().size(), before + (GetParam().end == LoadEnd::Loaded ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(Ends, ClipArtPaneBusyTest,
                         ::testing::Values(LoadEndCase{"Loaded", LoadEnd::Loaded},
                                           LoadEndCase{"Refused", LoadEnd::Refused},
                                           LoadEndCase{"TimedOut", LoadEnd::TimedOut}),
                         [](const ::testing::TestParamInfo<LoadEndCase> &info) { return std::string(info.param.name); });

} // namespace
