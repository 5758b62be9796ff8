#include "app/pictures/CCGoogleSearch.h"
#include "app/pictures/CCGoogleSearchItem.h"

#include "LoopbackHttpServer.h"
#include "PictureTestSupport.h"
#include "platform/PWUserDefaults.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QNetworkAccessManager>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

using pictest::solidPng;

QByteArray record(int n, const QByteArray &picture = QByteArray())
{
    const QByteArray number = QByteArray::number(n);
    return "<a href=/imgres?imgurl=" + (picture.isEmpty() ? "http://pics.test/" + number + ".jpg" : picture)
        + "&imgrefurl=http://site.test/" + number + "&h=1>\n<img src=/thumb" + number + " width=80></a>\n";
}

// The actions of a search, as they came.
struct Calls
{
    QStringList log;
    QList<int> loadingAtRequest;
};

class CCGoogleSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.isListening());
        m_search.setServiceAddress(m_server.base());
        m_search.setTimeoutMs(20000);
        m_search.setClearAction([this](CCGoogleSearch &search) { m_calls.log << u"clear %1"_s.arg(search.itemCount()); });
        // While a thumbnail request is on the wire, how many items are waiting for theirs.
        m_server.setRequestHook([this](const QString &path) {
            if (path.startsWith(u"/thumb"_s))
                noteLoading();
        });
        m_search.setAddAction([this](CCGoogleSearch &search, CCGoogleSearchItem &item) {
            m_calls.log << u"add %1 %2"_s.arg(search.current()).arg(item.urlImage().toString(QUrl::FullyEncoded));
            if (m_onAdd)
                m_onAdd(search);
        });
        m_search.setStopAction([this](CCGoogleSearch &) { m_calls.log << u"stop"_s; });
    }
    void noteLoading()
    {
        int loading = 0;
        for (int i = 0; i < m_search.itemCount(); ++i)
            loading += m_search.itemAtIndex(i)->isLoading() ? 1 : 0;
        m_calls.loadingAtRequest << loading;
    }
    QString pagePath(const QString &text) const
    {
        const QUrl url = CCGoogleSearchAnswer::requestURL(QUrl(m_server.base()), text);
        return url.path(QUrl::FullyEncoded) + u'?' + url.query(QUrl::FullyEncoded);
    }
    void serveThumbnails(int count)
    {
        for (int i = 1; i <= count; ++i)
            m_server.set(u"/thumb%1"_s.arg(i), {"200 OK", "image/png", solidPng(QColor(40 * i, 90, 160)), true, false});
    }
    // Runs the event loop until the search has no request open; the guard only keeps a broken
    // build from hanging the suite.
    void waitUntilIdle()
    {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!m_search.isRunning())
                loop.quit();
        });
        poll.start(1);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        guard.start(30000);
        loop.exec();
        EXPECT_TRUE(guard.isActive()) << "the search did not end";
        // Late deliveries would come in these rounds.
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }

    LoopbackHttpServer m_server;
    CCGoogleSearch m_search;
    Calls m_calls;
    std::function<void(CCGoogleSearch &)> m_onAdd;
};

} // namespace

// Thumbnails are requested a few at a time and handed over in page order, whichever came first.
TEST_F(CCGoogleSearchTest, RecordsArriveInPageOrderAFewRequestsAtATime)
{
    m_server.set(pagePath(u"dogs"_s), {"200 OK", "text/html",
                                       "<html>" + record(1) + record(2, "http://pics.test/two%2520dogs.jpg") + record(3)
                                           + record(4) + record(5) + record(6)
                                           + "<a href=/imgres?imgurl=http://pics.test/7.jpg&imgrefurl=http://site.test/7&x>",
                                       true, false});
    serveThumbnails(6);
    ASSERT_EQ(m_search.searchWithString(u"dogs"_s), CCGoogleSearch::Start::Started);
    EXPECT_TRUE(m_search.isInUse());
    waitUntilIdle();
    QStringList expected {u"clear 6"_s, u"add 0 http://pics.test/1.jpg"_s, u"add 1 http://pics.test/two%20dogs.jpg"_s};
    for (int i = 3; i <= 6; ++i)
        expected << u"add %1 http://pics.test/%2.jpg"_s.arg(i - 1).arg(i);
    EXPECT_EQ(m_calls.log, expected);
    ASSERT_EQ(m_calls.loadingAtRequest.size(), 6);
    EXPECT_LE(*std::max_element(m_calls.loadingAtRequest.cbegin(), m_calls.loadingAtRequest.cend()),
              CCGoogleSearch::kParallelThumbnails);
    EXPECT_GT(*std::max_element(m_calls.loadingAtRequest.cbegin(), m_calls.loadingAtRequest.cend()), 1);
    QStringList requested = m_server.requests();
    EXPECT_EQ(requested.takeFirst(), pagePath(u"dogs"_s));
    requested.sort();
    EXPECT_EQ(requested, QStringList({u"/thumb1"_s, u"/thumb2"_s, u"/thumb3"_s, u"/thumb4"_s, u"/thumb5"_s, u"/thumb6"_s}));
    ASSERT_EQ(m_search.itemCount(), 6);
    EXPECT_EQ(m_search.itemAtIndex(1)->getData(), solidPng(QColor(80, 90, 160)));
    EXPECT_EQ(m_search.itemAtIndex(2)->getWebSite(), u"http://site.test/3"_s);
    EXPECT_FALSE(m_search.passedDeadline());
    m_search.free();
    EXPECT_EQ(QList<int>({m_search.isInUse(), m_search.itemCount()}), QList<int>({0, 0}));
}

// A service that never answers some thumbnails (or the page) ends the search at its one deadline,
// long before any request's own time-out, keeping what came.
TEST_F(CCGoogleSearchTest, ASlowServiceEndsTheSearchAtItsDeadline)
{
    const struct
    {
        const char *name;
        bool pageHeld;
        QStringList log;
    } cases[] = {
        {"held page", true, {u"stop"_s}},
        {"held thumbnails", false, {u"clear 6"_s, u"add 0 http://pics.test/1.jpg"_s, u"add 1 http://pics.test/2.jpg"_s, u"stop"_s}},
    };
    m_search.setTimeoutMs(600000);
    m_search.setDeadlineMs(400);
    serveThumbnails(6);
    m_server.set(u"/thumb3"_s, {"200 OK", "image/png", QByteArray(), true, true});
    for (const auto &entry : cases) {
        m_calls = Calls();
        QByteArray page;
        for (int i = 1; i <= 6; ++i)
            page += record(i);
        m_server.set(pagePath(QString::fromLatin1(entry.name)), {"200 OK", "text/html", page, true, entry.pageHeld});
        m_search.searchWithString(QString::fromLatin1(entry.name));
        waitUntilIdle();
        EXPECT_EQ(m_calls.log, entry.log) << entry.name;
        EXPECT_TRUE(m_search.passedDeadline()) << entry.name;
        EXPECT_FALSE(m_search.isRunning()) << entry.name;
    }
}

TEST_F(CCGoogleSearchTest, StopMidwayKeepsWhatCameAndSendsNothingMore)
{
    m_server.set(pagePath(u"cats"_s), {"200 OK", "text/html", record(1) + record(2) + record(3), true, false});
    serveThumbnails(3);
    m_onAdd = [](CCGoogleSearch &search) {
        if (search.current() == 0)
            search.stop();
    };
    m_search.searchWithString(u"cats"_s);
    waitUntilIdle();
    EXPECT_EQ(m_calls.log, QStringList({u"clear 3"_s, u"add 0 http://pics.test/1.jpg"_s}));
    EXPECT_LE(m_server.count(u"/thumb"_s), 3);
    EXPECT_EQ(m_search.itemCount(), 3);
    EXPECT_FALSE(m_search.itemAtIndex(0)->getData().isEmpty());
}

TEST_F(CCGoogleSearchTest, FailedThumbnailsAreSkippedAndTheStopFollowsTheLast)
{
    m_server.set(pagePath(u"owls"_s),
                 {"200 OK", "text/html", record(1) + record(2) + record(3) + record(4) + record(5), true, false});
    serveThumbnails(5);
    m_server.set(u"/thumb2"_s, {"500 Internal Server Error", "text/html", "broken", true, false});
    // Bytes that are no picture count as a failure too, and so does a thumbnail far too large.
    m_server.set(u"/thumb4"_s, {"200 OK", "image/png", "<html>surprise</html>", true, false});
    m_server.set(u"/thumb5"_s, {"200 OK", "image/png", solidPng(Qt::red) + QByteArray(3 * 1024 * 1024, 'x'), false, false});
    m_search.searchWithString(u"owls"_s);
    waitUntilIdle();
    EXPECT_EQ(m_calls.log, QStringList({u"clear 5"_s, u"add 0 http://pics.test/1.jpg"_s,
                                        u"add 2 http://pics.test/3.jpg"_s, u"stop"_s}));
    EXPECT_EQ(m_search.failedCount(), 3);
    // Every item's thumbnail once. The network layer may send a request again by itself when the
    // server cuts a refused body short.
    QStringList thumbnails;
    for (const QString &path : m_server.requests())
        if (path.startsWith(u"/thumb"_s) && !thumbnails.contains(path))
            thumbnails << path;
    thumbnails.sort();
    EXPECT_EQ(thumbnails, QStringList({u"/thumb1"_s, u"/thumb2"_s, u"/thumb3"_s, u"/thumb4"_s, u"/thumb5"_s}))
        << m_server.requests().join(u' ').toStdString();
    EXPECT_TRUE(m_search.itemAtIndex(4)->getData().isEmpty());
}

TEST(CCGoogleSearchItemTest, ThumbnailOfAnotherSchemeIsNeverRequested)
{
    QNetworkAccessManager manager;
    for (const QString &address : {u"file:///etc/passwd"_s, u"ftp://pics.test/t.png"_s, u"data:image/png;base64,AAAA"_s}) {
        CCGoogleSearchItem item{QUrl(address), QUrl(u"http://pics.test/p.jpg"_s), u"http://site.test/"_s};
        item.startLoading(&manager, 1000);
        EXPECT_TRUE(item.isLoading()) << "the refusal is told from the event loop";
        for (int i = 0; i < 5 && item.isLoading(); ++i)
            QCoreApplication::processEvents();
        EXPECT_FALSE(item.isLoading()) << qPrintable(address);
        EXPECT_TRUE(item.getData().isEmpty()) << qPrintable(address);
    }
}

TEST_F(CCGoogleSearchTest, PagesThatFailOrAreTooLargeSendTheStop)
{
    const QByteArray big = record(1) + QByteArray(3 * 1024 * 1024, ' ');
    const struct
    {
        const char *name;
        LoopbackHttpServer::Response page;
    } cases[] = {
        {"server error", {"503 Service Unavailable", "text/html", record(1), true, false}},
        {"not found", {"404 Not Found", "text/html", record(1), true, false}},
        {"3 MB announced", {"200 OK", "text/html", big, true, false}},
        {"3 MB unannounced", {"200 OK", "text/html", big, false, false}},
        {"no picture", {"200 OK", "text/html", "<html>nothing here</html>", true, false}},
        {"empty", {"200 OK", "text/html", QByteArray(), true, false}},
    };
    serveThumbnails(1);
    for (const auto &entry : cases) {
        m_calls = Calls();
        m_server.set(pagePath(QString::fromLatin1(entry.name)), entry.page);
        m_search.searchWithString(QString::fromLatin1(entry.name));
        waitUntilIdle();
        EXPECT_EQ(m_calls.log, QStringList({u"stop"_s})) << entry.name;
        EXPECT_EQ(m_search.itemCount(), 0) << entry.name;
    }
    EXPECT_EQ(m_server.count(u"/thumb"_s), 0);
}

// A server that keeps every request alive with a byte now and then is cut off at the request's
// deadline: the page ends the search, a thumbnail is skipped.
TEST_F(CCGoogleSearchTest, AnAnswerSentByteByByteIsCutOffAtItsDeadline)
{
    const struct
    {
        const char *name;
        bool pageDrips;
        QStringList log;
    } cases[] = {
        {"page", true, {u"stop"_s}},
        {"thumbnail", false, {u"clear 1"_s, u"stop"_s}},
    };
    m_search.setTimeoutMs(600);
    m_server.set(u"/thumb1"_s, {"200 OK", "image/png", solidPng(Qt::cyan), true, false, true});
    for (const auto &entry : cases) {
        m_calls = Calls();
        const QByteArray page = record(1) + QByteArray(entry.pageDrips ? 100000 : 0, ' ');
        m_server.set(pagePath(QString::fromLatin1(entry.name)), {"200 OK", "text/html", page, true, false, entry.pageDrips});
        m_search.searchWithString(QString::fromLatin1(entry.name));
        waitUntilIdle();
        EXPECT_EQ(m_calls.log, entry.log) << entry.name;
    }
}

TEST_F(CCGoogleSearchTest, NewSearchCancelsTheOldOne)
{
    m_server.set(pagePath(u"slow"_s), {"200 OK", "text/html", QByteArray(), true, true});
    m_server.set(pagePath(u"fast"_s), {"200 OK", "text/html", record(1), true, false});
    serveThumbnails(1);
    m_search.searchWithString(u"slow"_s);
    m_search.searchWithString(u"fast"_s);
    waitUntilIdle();
    EXPECT_EQ(m_calls.log, QStringList({u"clear 1"_s, u"add 0 http://pics.test/1.jpg"_s}));
    EXPECT_EQ(m_search.searchString(), u"fast"_s);
}

TEST_F(CCGoogleSearchTest, WithoutAServiceNothingIsSent)
{
    CCGoogleSearch search;
    PWUserDefaults::standardUserDefaults().removeObject(CCGoogleSearch::kServiceKey);
    EXPECT_EQ(search.searchWithString(u"dogs"_s), CCGoogleSearch::Start::NoService);
    search.setServiceAddress(u"ftp://images.test"_s);
    EXPECT_EQ(search.searchWithString(u"dogs"_s), CCGoogleSearch::Start::NoService);
    EXPECT_FALSE(search.isInUse() || search.isRunning());
    // The user default names the service when nothing is set on the object.
    PWUserDefaults::standardUserDefaults().setString(CCGoogleSearch::kServiceKey, m_server.base());
    CCGoogleSearch fromDefault;
    EXPECT_EQ(fromDefault.serviceBase().toString(), m_server.base());
    PWUserDefaults::standardUserDefaults().removeObject(CCGoogleSearch::kServiceKey);
}
