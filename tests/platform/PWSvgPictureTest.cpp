// SVG pictures reach Qt's SVG reader only without references outside them, and are drawn apart:
// the files they name are never opened, their texts are drawn, and embedded bitmaps past the
// bound make a placeholder. (The same through the program: SvgPictureSafetyTest.)
#include "FileOpenWatch.h"
#include "TestSupport.h"

#include "platform/PWBitmapReader.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"
#include "platform/PWSvgPicture.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

QByteArray solidPng(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return png(image);
}

QByteArray dataUri(const QByteArray &bytes, const char *type)
{
    return "data:" + QByteArray(type) + ";base64," + bytes.toBase64();
}

QByteArray gzipped(const QByteArray &bytes)
{
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, MAX_WBITS + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QByteArray svg(const QByteArray &body, const QByteArray &prologue = QByteArray())
{
    return prologue + "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                      "width=\"100\" height=\"50\">"
           + body + "</svg>";
}

struct RewriteCase
{
    const char *name;
    QByteArray svg;
    QList<QByteArray> gone; // not in the copy
    QList<QByteArray> kept; // in the copy
};

std::ostream &operator<<(std::ostream &out, const RewriteCase &c)
{
    return out << c.name;
}

QList<RewriteCase> rewriteCases()
{
    const QByteArray dot = dataUri(solidPng(2, 2, Qt::blue), "image/png");
    const QByteArray inner = svg("<image width=\"9\" height=\"9\" xlink:href=\"/home/someone/inner.png\"/>"
                                 "<?xml-stylesheet href=\"/inner.css\"?><rect id=\"innerrect\" width=\"5\" height=\"5\"/>");
    return {
        {"AbsolutePath", svg("<image width=\"50\" height=\"50\" xlink:href=\"/home/someone/secret.png\"/>"),
         {"secret.png"}, {"<image width=\"50\" height=\"50\"/>"}},
        {"RelativePath", svg("<image width=\"50\" height=\"50\" xlink:href=\"../../Pictures/secret.png\"/>"),
         {"secret.png"}, {"<image"}},
        {"FileUrl", svg("<image width=\"50\" height=\"50\" xlink:href=\"file:///etc/hostname\"/>"), {"hostname"}, {}},
        // Qt takes anything that begins with "data" for an inline picture: only "data:" stays.
        {"DataLookalikePath", svg("<image xlink:href=\"data/../../secret.png\"/>"), {"secret.png"}, {}},
        {"PathFromAnEntity",
         svg("<image xlink:href=\"&where;\"/>", "<!DOCTYPE svg [<!ENTITY where \"/etc/hostname\">]>"),
         {"hostname", "ENTITY"}, {"<image/>"}},
        {"OtherPrefixAndNone", svg("<image a:href=\"/etc/a\" xmlns:a=\"http://www.w3.org/1999/xlink\"/><image href=\"/etc/b\"/>"),
         {"/etc/a", "/etc/b"}, {"xmlns:a="}},
        {"StyleSheetInstruction", svg("<rect width=\"1\" height=\"1\"/>", "<?xml-stylesheet type=\"text/css\" href=\"/dev/tty\"?>"),
         {"/dev/tty", "xml-stylesheet"}, {"<rect"}},
        {"ReferencesWithinStay", svg("<linearGradient id=\"g\"/><use xlink:href=\"#g\"/><image xlink:href=\"#g\"/>"),
         {"<image xlink:href"}, {"<use xlink:href=\"#g\"/>"}},
        {"DataPictureStays", svg("<image width=\"2\" height=\"2\" xlink:href=\"" + dot + "\"/>"), {}, {dot}},
        {"TextAndCdataStay", svg("<style><![CDATA[rect{fill:red}]]></style><text x=\"1\" y=\"9\">a &amp; b</text>"), {},
         {"<![CDATA[rect{fill:red}]]>", "a &amp; b"}},
        {"Compressed", gzipped(svg("<image xlink:href=\"/etc/hostname\"/><rect id=\"r\"/>")), {"hostname"}, {"<rect id=\"r\"/>"}},
        // An SVG inside an SVG is made safe as well.
        {"EmbeddedSvg", svg("<image width=\"9\" height=\"9\" xlink:href=\"" + dataUri(inner, "image/svg+xml") + "\"/>"),
         {dataUri(inner, "image/svg+xml")}, {"data:image/svg+xml;base64,"}},
    };
}

class PWSvgPictureRewriteTest : public testing::TestWithParam<RewriteCase>
{
};

} // namespace

TEST_P(PWSvgPictureRewriteTest, KeepsNoReferenceOutside)
{
    const RewriteCase &c = GetParam();
    QString error;
    const std::optional<QByteArray> safe = PWSvgPicture::withoutExternalReferences(c.svg, &error);
    ASSERT_TRUE(safe) << qPrintable(error);
    for (const QByteArray &gone : c.gone)
        EXPECT_FALSE(safe->contains(gone)) << gone.constData() << "\n" << safe->constData();
    for (const QByteArray &kept : c.kept)
        EXPECT_TRUE(safe->contains(kept)) << kept.constData() << "\n" << safe->constData();
    // Whatever an embedded SVG named is gone from it too.
    const qsizetype at = safe->indexOf("data:image/svg+xml;base64,");
    if (at >= 0) {
        const QByteArray inner = QByteArray::fromBase64(safe->mid(at + 26, safe->indexOf('"', at) - at - 26));
        EXPECT_TRUE(inner.contains("innerrect")) << inner.constData();
        EXPECT_FALSE(inner.contains("/home/") || inner.contains("inner.css")) << inner.constData();
    }
    // The copy reads as the picture it was.
    EXPECT_TRUE(PWSvgPicture::isSvg(*safe));
}

INSTANTIATE_TEST_SUITE_P(Svg, PWSvgPictureRewriteTest, testing::ValuesIn(rewriteCases()),
                         [](const testing::TestParamInfo<RewriteCase> &info) { return std::string(info.param.name); });

TEST(PWSvgPictureTest, RefusesWhatCannotBeDrawnSafely)
{
    const QByteArray vast = dataUri(solidPng(4800, 4800, Qt::red), "image/png");
    QByteArray many;
    for (int i = 0; i < 3; ++i)
        many += "<image width=\"10\" height=\"10\" xlink:href=\"" + vast + "\"/>";
    const struct
    {
        const char *name;
        QByteArray svg;
        QString reason;
    } cases[] = {
        {"Malformed", "<svg><rect></svg>", u"does not read as XML"_s},
        {"NoElements", "<?xml version=\"1.0\"?><!-- <svg> -->", u"does not read as XML"_s},
        {"UnpacksPastTheBound", gzipped(svg(QByteArray(PWSvgPicture::kMaxUnpackedBytes, ' '))), u"unpacks to more than"_s},
        {"CutCompressed", gzipped(svg("<rect/>")).first(20), u"damaged"_s},
        {"EmbeddedPixels", svg(many), u"embedded pictures hold more than 48 megapixels"_s},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(PWSvgPicture::withoutExternalReferences(c.svg, &error)) << c.name;
        EXPECT_TRUE(error.contains(c.reason)) << c.name << ": " << qPrintable(error);
    }
}

// An SVG naming a red picture by its path, a pipe and the terminal is drawn apart without them:
// neither file is opened, the picture's own drawing and its text are there.
TEST(PWSvgPictureTest, IsDrawnWithItsTextsAndWithoutTheFilesItNames)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString red = work.filePath(u"red.png"_s);
    ASSERT_TRUE(pwtest::writeFile(red, solidPng(40, 40, Qt::red)));
    const QString pipe = work.filePath(u"pipe"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    pwtest::OpenWatch watch;
    ASSERT_TRUE(watch.add(red) && watch.add(pipe));

    const QByteArray bytes =
        svg("<rect width=\"100\" height=\"50\" fill=\"white\"/><rect width=\"20\" height=\"50\" fill=\"blue\"/>"
            "<image x=\"20\" width=\"80\" height=\"50\" preserveAspectRatio=\"none\" xlink:href=\""
            + QFile::encodeName(red) + "\"/><image xlink:href=\"" + QFile::encodeName(pipe)
            + "\"/><image xlink:href=\"/dev/tty\"/>"
              "<text x=\"60\" y=\"45\" font-family=\"DejaVu Sans\" font-size=\"40\" fill=\"black\">W</text>",
            "<?xml-stylesheet type=\"text/css\" href=\"" + QFile::encodeName(pipe) + "\"?>");
    QString error;
    const std::shared_ptr<PWImage> image = PWImage::fromData(bytes, &error);
    ASSERT_TRUE(image) << qPrintable(error);
    ASSERT_EQ(image->representations().size(), 1);
    const PWImageRep &rep = image->representations().first();
    EXPECT_EQ(rep.data(), bytes); // kept as it came
    EXPECT_EQ(rep.pixelSize(), QSize(100, 50));
    const QImage drawn = image->toImage(QSize(100, 50), Qt::white).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(QColor(drawn.pixel(5, 25)), QColor(Qt::blue));
    int reddish = 0, dark = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 20; x < 100; ++x) {
            const QColor pixel(drawn.pixel(x, y));
            reddish += pixel.red() > 200 && pixel.green() < 100;
            dark += qGray(pixel.rgb()) < 80;
        }
    EXPECT_EQ(reddish, 0);
    EXPECT_GT(dark, 100); // the letter
    EXPECT_EQ(watch.events(), 0);
}

// Embedded pictures past the bound, bytes that are no SVG after all, an SVG with nothing to
// draw at and one Qt's renderer refuses: a placeholder named as an SVG, with its reason, the bytes kept.
TEST(PWSvgPictureTest, WhatIsNotDrawnIsANamedPlaceholder)
{
    PWPictureRenderer::forget();
    PWPictureRenderer::collectFailures(true);
    QByteArray many;
    const QByteArray vast = dataUri(solidPng(4800, 4800, Qt::red), "image/png");
    for (int i = 0; i < 20; ++i)
        many += "<image width=\"10\" height=\"10\" xlink:href=\"" + vast + "\"/>";
    const struct
    {
        QByteArray bytes;
        QString reason;
    } cases[] = {
        {svg(many), u"embedded pictures hold more than"_s},
        {"<svg><rect>", u"does not read as XML"_s},
        {"<svg xmlns=\"http://www.w3.org/2000/svg\"><rect/></svg>", u"the picture has no size to be drawn at"_s},
        {svg(QByteArray("<g>").repeated(3000) + "<rect/>" + QByteArray("</g>").repeated(3000)), u"the SVG does not draw"_s},
    };
    for (const auto &[bytes, reason] : cases) {
        const std::optional<PWImageRep> rep = PWBitmapReader::read(bytes);
        ASSERT_TRUE(rep);
        EXPECT_FALSE(rep->isReadable());
        EXPECT_TRUE(rep->failure().contains(reason)) << qPrintable(rep->failure());
        EXPECT_EQ(rep->data(), bytes);
        QImage target(40, 40, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::transparent);
        QPainter painter(&target);
        EXPECT_TRUE(rep->draw(painter, QRectF(0, 0, 40, 40)));
        painter.end();
        EXPECT_EQ(target.pixelColor(20, 5), PWPictureRenderer::placeholderColor());
        const QStringList failures = PWPictureRenderer::takeFailures();
        ASSERT_EQ(failures.size(), 1);
        EXPECT_TRUE(failures.first().startsWith(u"SVG picture of %1 bytes is drawn as a placeholder: %2"_s.arg(bytes.size()).arg(rep->failure())))
            << qPrintable(failures.first());
    }
    PWPictureRenderer::collectFailures(false);
}

// A picture reader that needs no more than a bitmap's size never gets an SVG: Qt's reader would
// open the files it names to tell it.
TEST(PWSvgPictureTest, BoundedBitmapsAreNeverSvg)
{
    const QByteArray bytes = svg("<rect width=\"10\" height=\"10\"/>");
    EXPECT_TRUE(PWSvgPicture::isSvg(bytes));
    EXPECT_TRUE(PWImage::decodeBoundedBitmap(bytes, 1000, 1000000).isNull());
    EXPECT_FALSE(PWImage::decodeBoundedBitmap(solidPng(10, 10, Qt::red), 1000, 1000000).isNull());
}

// The fixture the picture fuzzer starts from: drawn, with its text, whatever it names.
TEST(PWSvgPictureTest, FixtureIsDrawn)
{
    QString error;
    const std::shared_ptr<PWImage> image = PWImage::fromFile(pwtest::dataPath(u"pictures/svg-text-and-references.svg"_s), &error);
    ASSERT_TRUE(image) << qPrintable(error);
    const QImage drawn = image->toImage(image->pixelSize(), Qt::white);
    ASSERT_FALSE(drawn.isNull());
    int dark = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            dark += qGray(drawn.pixel(x, y)) < 80;
    EXPECT_GT(dark, 50);
}
