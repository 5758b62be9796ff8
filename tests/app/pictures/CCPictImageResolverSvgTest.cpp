// An SVG file of a picture folder shown in its pane: decoded in the background, apart, without
// the files it names (a picture by its relative path, a pipe), and a bounded SVG in bytes alike.
#include "FileOpenWatch.h"
#include "app/pictures/CCPictImageResolver.h"

#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "platform/PWImage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

TEST(CCPictImageResolverSvgTest, AnSvgIsDrawnApartWithoutTheFilesItNames)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(folder.filePath(u"red.png"_s), "PNG"));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.filePath(u"pipe"_s)).constData(), 0600), 0);
    const QByteArray svg = "<?xml-stylesheet type=\"text/css\" href=\"pipe\"?>"
                           "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                           "width=\"40\" height=\"40\"><rect width=\"40\" height=\"40\" fill=\"blue\"/>"
                           "<image width=\"40\" height=\"40\" xlink:href=\"red.png\"/><image xlink:href=\"pipe\"/></svg>";
    const QString path = folder.filePath(u"drawing.svg"_s);
    ASSERT_TRUE(pwtest::writeFile(path, svg));

    pwtest::OpenWatch watch;
    ASSERT_TRUE(watch.add(folder.filePath(u"red.png"_s)) && watch.add(folder.filePath(u"pipe"_s)));

    CCPictImageResolver resolver;
    int told = 0;
    resolver.setDecodedHandler([&told] { ++told; });
    const QString reference = CCPictImageResolver::kFilePrefix + path;
    // Never on the pane's thread: the first answer is a decoding under way.
    EXPECT_EQ(resolver.resolve(reference, QSizeF(10, 10)), nullptr);
    EXPECT_TRUE(resolver.isDecoding());
    QElapsedTimer waited;
    waited.start();
    while (told == 0 && waited.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const std::shared_ptr<PWImage> image = resolver.resolve(reference, QSizeF(10, 10));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelSize(), QSize(20, 20)); // fitted to twice the cell
    EXPECT_TRUE(pictest::near(image->toImage(QSize(10, 10)).pixelColor(5, 5), Qt::blue, 10));

    // The same bytes handed over (a dropped picture): the whole size, drawn reduced.
    QSize whole;
    const QImage fitted = CCPictImageResolver::decodeBoundedPicture(svg, QSize(8, 8), &whole);
    EXPECT_EQ(whole, QSize(40, 40));
    EXPECT_EQ(fitted.size(), QSize(8, 8));
    EXPECT_TRUE(pictest::near(fitted.pixelColor(4, 4), Qt::blue, 10));

    EXPECT_EQ(watch.events(), 0) << "a file the SVG names was opened";
}
