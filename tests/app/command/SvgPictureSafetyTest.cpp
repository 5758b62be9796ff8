// SVG pictures of a design as a person exports them with the program: the files an SVG names (a
// picture by its path, a pipe, the terminal, standard input) are never opened and the export
// ends, its texts are drawn, and embedded bitmaps past the bound are a named placeholder that
// costs the program no memory. The design keeps the SVG's bytes as they were.
#include "FileOpenWatch.h"
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray solidPng(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

QByteArray svg(const QByteArray &body, int width = 100, int height = 100, const QByteArray &prologue = QByteArray())
{
    return prologue + "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\""
           + QByteArray::number(width) + "\" height=\"" + QByteArray::number(height) + "\" viewBox=\"0 0 100 100\">"
           + body + "</svg>";
}

// A card with the picture at (10, 10), 100 points square, whose bytes the design stores as they
// are: this process never reads them as a picture.
bool writeSvgCard(const QString &path, const QByteArray &bytes)
{
    CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
    const std::shared_ptr<PWImage> image =
        PWImage::create(PWImageRep::unreadable(PWImageRep::Kind::Bitmap, bytes, u"not read here"_s, QSizeF(100, 100)));
    auto *picture = new CFTPicture(CDDPicture(image));
    picture->SetOrigin(10.0, 10.0);
    picture->SetSize(100.0, 100.0);
    document.ftDocument()->AddObject(picture, 0, false);
    return document.writeToFile(path);
}

// Whether one of the data elements of a design in XML holds the bytes.
bool holds(const QByteArray &design, const QByteArray &bytes)
{
    for (qsizetype at = 0; (at = design.indexOf("<data>", at)) >= 0;) {
        const qsizetype end = design.indexOf("</data>", at);
        if (end < 0)
            return false;
        if (QByteArray::fromBase64(design.mid(at + 6, end - at - 6)).contains(bytes))
            return true;
        at = end;
    }
    return false;
}

// How many pixels of the card's picture area pass the test.
int countInPicture(const QImage &page, const std::function<bool(QColor)> &test)
{
    int count = 0;
    for (int y = 12; y < 108 && y < page.height(); ++y)
        for (int x = 12; x < 108 && x < page.width(); ++x)
            count += test(QColor(page.pixel(x, y)));
    return count;
}

bool reddish(QColor c)
{
    return c.red() > 180 && c.green() < 120 && c.blue() < 120;
}

bool bluish(QColor c)
{
    return c.blue() > 180 && c.red() < 80 && c.green() < 80;
}

bool placeholderGrey(QColor c)
{
    const QColor plate = PWPictureRenderer::placeholderColor();
    return std::abs(c.red() - plate.red()) < 6 && std::abs(c.green() - plate.green()) < 6
           && std::abs(c.blue() - plate.blue()) < 6;
}

} // namespace

// An SVG naming a red picture by its absolute and its relative path, a pipe (as a picture and as
// a style sheet), the terminal and standard input: the export ends, the SVG's own blue is drawn,
// none of them is opened, and the design keeps the SVG's bytes.
TEST(SvgPictureSafetyTest, FilesAnSvgNamesAreNeverOpened)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    ASSERT_TRUE(QDir(work.path()).mkpath(u"pictures"_s) && QDir(work.path()).mkpath(u"designs"_s));
    const QString red = work.filePath(u"pictures/red.png"_s);
    ASSERT_TRUE(pwtest::writeFile(red, solidPng(50, 50, Qt::red)));
    const QString pipe = work.filePath(u"pictures/pipe"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QByteArray bytes = svg("<rect width=\"100\" height=\"100\" fill=\"blue\"/>"
                                 "<image width=\"50\" height=\"100\" preserveAspectRatio=\"none\" xlink:href=\""
                                 + QFile::encodeName(red)
                                 + "\"/><image x=\"50\" width=\"50\" height=\"100\" preserveAspectRatio=\"none\" "
                                   "xlink:href=\"../pictures/red.png\"/>"
                                   "<image xlink:href=\""
                                 + QFile::encodeName(pipe)
                                 + "\"/><image xlink:href=\"/dev/tty\"/><image xlink:href=\"/dev/stdin\"/>",
                                 100, 100,
                                 "<?xml-stylesheet type=\"text/css\" href=\"" + QFile::encodeName(pipe) + "\"?>\n");
    const QString design = work.filePath(u"designs/naming.pwdc"_s);
    ASSERT_TRUE(writeSvgCard(design, bytes));

    pwtest::OpenWatch watch;
    ASSERT_TRUE(watch.add(red) && watch.add(pipe));
    const QString out = work.filePath(u"designs/naming.pdf"_s);
    // Started from the designs' folder, where "../pictures" is the red picture.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work.filePath(u"designs"_s)));
    const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
    QDir::setCurrent(previous);
    ASSERT_EQ(run.status, CACommandLine::kSuccess) << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(u"placeholder"_s)) << qPrintable(run.err);
    const QImage page = commandtest::exportedPage(out);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(countInPicture(page, bluish), 90 * 90);
    EXPECT_EQ(countInPicture(page, reddish), 0);
    EXPECT_EQ(watch.events(), 0);

    // The design read and saved again keeps the SVG as it came.
    CADocument document;
    QString error;
    ASSERT_TRUE(document.readFromFile(design, &error)) << qPrintable(error);
    const QString saved = work.filePath(u"designs/saved.pwdc"_s);
    ASSERT_TRUE(document.writeToFile(saved, &error)) << qPrintable(error);
    EXPECT_TRUE(holds(pwtest::readFile(design), bytes));
    EXPECT_TRUE(holds(pwtest::readFile(saved), bytes)) << "the SVG's bytes changed";
}

// An SVG embedded in an SVG embedded in ... : the levels the rewriting reaches are drawn, deeper
// ones are dropped, and the red picture the deepest level names is never opened at any depth.
TEST(SvgPictureSafetyTest, NestedSvgsNameNoFileAtAnyDepth)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString red = work.filePath(u"red.png"_s);
    ASSERT_TRUE(pwtest::writeFile(red, solidPng(50, 50, Qt::red)));
    const struct
    {
        int level; // how many data URIs deep the SVG naming the file lies
        bool drawn;
    } cases[] = {{3, true}, {4, false}, {5, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.level);
        QByteArray bytes = svg("<rect width=\"100\" height=\"100\" fill=\"blue\"/><image width=\"100\" height=\"100\" "
                               "preserveAspectRatio=\"none\" xlink:href=\""
                               + QFile::encodeName(red) + "\"/>");
        for (int i = 0; i < c.level; ++i)
            bytes = svg("<image width=\"100\" height=\"100\" preserveAspectRatio=\"none\" "
                        "xlink:href=\"data:image/svg+xml;base64,"
                        + bytes.toBase64() + "\"/>");
        const QString design = work.filePath(u"nested%1.pwdc"_s.arg(c.level));
        ASSERT_TRUE(writeSvgCard(design, bytes));
        pwtest::OpenWatch watch;
        ASSERT_TRUE(watch.add(red));
        const QString out = work.filePath(u"nested%1.pdf"_s.arg(c.level));
        const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
        ASSERT_EQ(run.status, CACommandLine::kSuccess) << qPrintable(run.err);
        const QImage page = commandtest::exportedPage(out);
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(watch.events(), 0);
        EXPECT_EQ(countInPicture(page, reddish), 0);
        if (c.drawn)
            EXPECT_GT(countInPicture(page, bluish), 90 * 90);
        else
            EXPECT_EQ(countInPicture(page, bluish), 0);
    }
}

// Twenty embedded bitmaps of 4800 x 4800 pixels in one SVG: a placeholder named in the job's
// report, and the program never holds their pixels.
TEST(SvgPictureSafetyTest, EmbeddedBitmapsPastTheBoundAreANamedPlaceholder)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QByteArray vast = "data:image/png;base64," + solidPng(4800, 4800, Qt::red).toBase64();
    QByteArray body = "<rect width=\"100\" height=\"100\" fill=\"blue\"/>";
    for (int i = 0; i < 20; ++i)
        body += "<image x=\"" + QByteArray::number(i * 5) + "\" width=\"5\" height=\"5\" xlink:href=\"" + vast + "\"/>";
    const QByteArray bytes = svg(body);
    const QString design = work.filePath(u"embedded.pwdc"_s);
    ASSERT_TRUE(writeSvgCard(design, bytes));

    const QString out = work.filePath(u"embedded.pdf"_s);
    const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    ASSERT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
    EXPECT_TRUE(run.err.trimmed().endsWith(u"1 picture was drawn as a placeholder"_s)) << qPrintable(run.err);
    EXPECT_EQ(run.err.count(u"SVG picture of %1 bytes is drawn as a placeholder: its embedded pictures hold more than"_s
                                .arg(bytes.size())),
              1)
        << qPrintable(run.err);
    const QImage page = commandtest::exportedPage(out);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(countInPicture(page, placeholderGrey), 80 * 80);
    // Their pixels alone would be 1.8 GB; no process of this test came near it.
    EXPECT_LT(usage.ru_maxrss, 1024 * 1024) << "kilobytes";
}

// An SVG of 8000 x 4000 pixels with a word in it: drawn reduced, with the word.
TEST(SvgPictureSafetyTest, TextsAreDrawn)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QByteArray bytes =
        svg("<rect width=\"100\" height=\"100\" fill=\"white\"/>"
            "<text x=\"2\" y=\"60\" font-family=\"DejaVu Sans\" font-weight=\"bold\" font-size=\"40\" fill=\"black\">WW</text>",
            8000, 8000);
    const QString design = work.filePath(u"text.pwdc"_s);
    ASSERT_TRUE(writeSvgCard(design, bytes));
    const QString out = work.filePath(u"text.pdf"_s);
    const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
    ASSERT_EQ(run.status, CACommandLine::kSuccess) << qPrintable(run.err);
    const QImage page = commandtest::exportedPage(out);
    ASSERT_FALSE(page.isNull());
    // The letters' ink lies between 20 and 60 points of the picture's height, none above.
    int inkAbove = 0, inkWithin = 0;
    for (int y = 12; y < 108; ++y)
        for (int x = 12; x < 108; ++x) {
            const bool ink = qGray(page.pixel(x, y)) < 80;
            (y < 10 + 15 ? inkAbove : inkWithin) += ink;
        }
    EXPECT_EQ(inkAbove, 0);
    EXPECT_GT(inkWithin, 400);
    EXPECT_FALSE(run.err.contains(u"placeholder"_s)) << qPrintable(run.err);
}
