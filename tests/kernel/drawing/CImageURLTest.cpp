#include "kernel/drawing/CImageURL.h"

#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWImage.h"
#include "platform/PWNotificationCenter.h"

#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A small HTTP server on the loopback interface; each path answers in its own way.
class LoopbackServer : public QObject
{
public:
    LoopbackServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
        QBuffer buffer(&m_png);
        buffer.open(QIODevice::WriteOnly);
        pictest::quadrantBitmap(40, 20).save(&buffer, "PNG");
    }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }
    int hits(const QString &path) const { return m_hits.value(path); }
    const QByteArray &png() const { return m_png; }

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
        const QString path = words.size() > 1 ? QString::fromLatin1(words.at(1)) : QString();
        ++m_hits[path];
        if (path == QLatin1String("/hang.png"))
            return; // never answers
        if (path == QLatin1String("/drip.png")) {
            // One byte at a time, each soon after the last: never silent long enough to time out.
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 4000\r\n\r\n");
            auto *drip = new QTimer(socket);
            QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write("x", 1); });
            drip->start(20);
            return;
        }
        QByteArray status = "200 OK", type = "image/png", body = m_png;
        if (path == QLatin1String("/missing.png"))
            status = "404 Not Found", type = "text/html", body = "<html>no</html>";
        else if (path == QLatin1String("/text.png"))
            type = "text/plain", body = "hello, this is no picture";
        else if (path == QLatin1String("/big.png"))
            body = m_png + QByteArray(20000, 'x');
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_requests;
    QHash<QString, int> m_hits;
    QByteArray m_png;
};

std::shared_ptr<PWImage> preview(const QString &url)
{
    std::shared_ptr<PWImage> image = pictest::quadrantImage(10, 5);
    image->setName(QStringLiteral("PREFIX_URL_NEED_LOAD ") + url + QStringLiteral(" http://127.0.0.1/page"));
    return image;
}

class CImageURLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_token = PWNotificationCenter::defaultCenter().addObserver(
            QStringLiteral("ImageHasLoadedFromInternet"), nullptr, [this](const PWNotification &) {
                ++m_notifications;
                m_loop.quit();
            });
    }
    void TearDown() override
    {
        PWNotificationCenter::defaultCenter().removeObserver(m_token);
        CImageURL::setTimeoutMs(CImageURL::kDefaultTimeoutMs);
        CImageURL::setMaxBytes(CImageURL::kDefaultMaxBytes);
        CImageURL::setDeadlineMs(CImageURL::kDefaultDeadlineMs);
    }
    // Runs the event loop until a download ends (a notification), at most a generous bound.
    void waitForEnd(CDDPicture &picture)
    {
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &m_loop, &QEventLoop::quit);
        guard.start(20000);
        if (picture.isLoading())
            m_loop.exec();
        EXPECT_TRUE(guard.isActive()) << "the download did not end";
    }
    LoopbackServer m_server;
    QEventLoop m_loop;
    int m_token = 0;
    int m_notifications = 0;
};

} // namespace

TEST_F(CImageURLTest, DownloadReplacesThePreview)
{
    const QString url = m_server.url(QStringLiteral("/pic.png"));
    CDDPicture picture(preview(url));
    EXPECT_FALSE(picture.isLoading()) << "construction starts nothing";
    picture.setSrcRect(1.0f, 0.5f, 5.0f, 2.5f); picture.setData(picture.getData());
    ASSERT_TRUE(picture.isLoading());
    EXPECT_EQ(picture.getURL(), url);
    waitForEnd(picture);
    EXPECT_EQ(QList<int>({picture.isLoading(), m_notifications}), QList<int>({0, 1}));
    ASSERT_TRUE(picture.getData());
    EXPECT_EQ(picture.getData()->name(), QStringLiteral("PREFIX_URL_LOADED ") + url + QStringLiteral(" http://127.0.0.1/page"));
    // The PNG states 2835 dots a metre: a hair under 72 dots an inch.
    EXPECT_EQ(QList<int>({qRound(picture.getImageSizeX()), qRound(picture.getSrcRectX()), qRound(picture.getSrcRectHeight())}),
              QList<int>({40, 4, 10}));
    const QString file = picture.getDataRef().getData();
    EXPECT_EQ(file, QFileInfo(CAEnvironment::tempPath()).absoluteFilePath() + QStringLiteral("/pic.png"));
    EXPECT_EQ(pwtest::readFile(file), m_server.png());
    // A second picture of the same URL takes the downloaded image at once.
    CDDPicture second;
    second.setData(preview(url));
    EXPECT_TRUE(!second.isLoading() && second.getData() == picture.getData());
    EXPECT_EQ(m_server.hits(QStringLiteral("/pic.png")), 1);
}

class CImageURLFailureTest : public CImageURLTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(CImageURLFailureTest, PreviewStaysAndLoadingEnds)
{
    CImageURL::setTimeoutMs(300);
    CImageURL::setMaxBytes(5000);
    CImageURL::setDeadlineMs(600);
    CDDPicture picture;
    const std::shared_ptr<PWImage> thumbnail = preview(m_server.url(QString::fromLatin1(GetParam())));
    picture.setData(thumbnail);
    ASSERT_TRUE(picture.isLoading());
    waitForEnd(picture);
    EXPECT_EQ(QList<int>({picture.isLoading(), m_notifications, picture.getData() == thumbnail, picture.getDataRef().isEmpty()}),
              QList<int>({0, 1, 1, 1}));
}

// Not found, timed out, not an image, over the size cap, past the whole download's deadline.
INSTANTIATE_TEST_SUITE_P(Endings, CImageURLFailureTest,
                         ::testing::Values("/missing.png", "/hang.png", "/text.png", "/big.png", "/drip.png"));

TEST_F(CImageURLTest, OtherSchemesAreRefused)
{
    CDDPicture picture;
    picture.setData(preview(QStringLiteral("file:///etc/passwd")));
    EXPECT_TRUE(!picture.isLoading() && !picture.getLoader() && picture.getData() && m_notifications == 0) << "the preview stays";
}

TEST_F(CImageURLTest, NewImageCancelsTheDownload)
{
    CDDPicture picture;
    picture.setData(preview(m_server.url(QStringLiteral("/hang.png"))));
    ASSERT_TRUE(picture.isLoading());
    picture.setData(pictest::quadrantImage(3, 3));
    EXPECT_EQ(QList<int>({picture.isLoading(), m_notifications, picture.getURL().isEmpty()}), QList<int>({0, 1, 1}));
}

TEST_F(CImageURLTest, PictureDestroyedMidDownloadIsNeverCalledBack)
{
    CImageURL::setTimeoutMs(200);
    auto picture = std::make_unique<CDDPicture>();
    picture->setData(preview(m_server.url(QStringLiteral("/hang.png"))));
    ASSERT_TRUE(picture->isLoading());
    const QPointer<const QObject> loader = picture->getLoader();
    ASSERT_TRUE(loader);
    picture.reset();
    // The loader goes with the next turn of the event loop; whatever the network still delivers
    // must not reach the destroyed picture.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_TRUE(loader.isNull() && m_notifications == 0);
}

TEST(CImageURLNameTest, FileNamesAreSanitized)
{
    for (const auto &[url, name] : {std::pair {"http://h/a/photo.jpg", "photo.jpg"}, {"http://h/", "picture"}, {"http://h/x/..", "picture"},
                                    {"http://h/a%20b%2F..%2Fc%20d.png", "cd.png"}, {"http://h/.hidden", "hidden"}, {"http://h/%E2%9C%93", "picture"}})
        EXPECT_EQ(CImageURL::fileNameForURL(QUrl(QString::fromLatin1(url))), QString::fromLatin1(name)) << url;
    EXPECT_EQ(CImageURL::fileNameForURL(QUrl(QStringLiteral("http://h/") + QString(300, QLatin1Char('a')))).size(), 100);
}
