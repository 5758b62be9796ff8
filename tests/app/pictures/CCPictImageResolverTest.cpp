// A large photograph in a picture folder is decoded apart from the window's thread: the catalogue
// shows it when it is ready, and in the meantime it is no missing picture.
#include "app/pictures/CCPictImageResolver.h"

#include "PictureTestSupport.h"
#include "platform/PWImage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs the event loop until told, or a guard that only keeps a broken build from hanging.
void waitFor(const int &told)
{
    QElapsedTimer waited;
    waited.start();
    while (told == 0 && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(CCPictImageResolverTest, ALargePictureIsDecodedInTheBackground)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const struct
    {
        const char *name;
        QSize size;
        bool background;
    } cases[] = {
        {"small.png", QSize(300, 200), false},
        {"large.png", QSize(2400, 1800), true},
    };
    CCPictImageResolver resolver;
    int told = 0;
    resolver.setDecodedHandler([&told] { ++told; });
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        told = 0;
        const QString path = folder.filePath(QString::fromLatin1(c.name));
        QImage picture(c.size, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        ASSERT_TRUE(picture.save(path, "PNG"));
        const QString reference = CCPictImageResolver::kFilePrefix + path;

        std::shared_ptr<PWImage> image = resolver.resolve(reference, QSizeF(60, 60));
        EXPECT_EQ(image == nullptr, c.background);
        EXPECT_EQ(resolver.isDecoding(), c.background);
        EXPECT_FALSE(resolver.hasLoggedMissing(reference));
        if (c.background) {
            waitFor(told);
            EXPECT_EQ(told, 1);
            image = resolver.resolve(reference, QSizeF(60, 60));
        }
        ASSERT_TRUE(image);
        // Reduced to the cell, twice its size for dense screens.
        EXPECT_LE(image->pixelSize().width(), 120);
        EXPECT_LE(image->pixelSize().height(), 120);
        EXPECT_TRUE(pictest::near(image->toImage(QSize(10, 10)).pixelColor(5, 5), Qt::darkGreen, 10));
        EXPECT_FALSE(resolver.isDecoding());
    }
}

// A large picture that turns out damaged is a missing picture once its decoding ended.
TEST(CCPictImageResolverTest, ALargeDamagedPictureIsAMissAfterItsDecoding)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage picture(2400, 1800, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray bytes = pictest::encoded(picture, "PNG");
    bytes.truncate(bytes.size() / 2);
    const QString path = folder.filePath(QStringLiteral("cut.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    CCPictImageResolver resolver;
    int told = 0;
    resolver.setDecodedHandler([&told] { ++told; });
    const QString reference = CCPictImageResolver::kFilePrefix + path;
    EXPECT_FALSE(resolver.resolve(reference, QSizeF(60, 60)));
    EXPECT_FALSE(resolver.hasLoggedMissing(reference));
    waitFor(told);
    EXPECT_FALSE(resolver.resolve(reference, QSizeF(60, 60)));
    EXPECT_TRUE(resolver.hasLoggedMissing(reference));
}

} // namespace
