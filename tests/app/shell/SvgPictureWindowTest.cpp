// A design with an SVG picture opened in its window: the window opens and its canvas shows the
// picture without opening the files the SVG names (a picture by its path, a pipe).
#include "FileOpenWatch.h"
#include "ShellTestSupport.h"

#include "app/canvas/CADocView.h"
#include "app/canvas/CACanvasGeometry.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWImage.h"
#include "platform/PWIsolatedCall.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QMessageBox>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray solidPng(QColor colour)
{
    QImage image(30, 30, QImage::Format_RGB888);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

bool isBlue(QColor c)
{
    return c.blue() > 180 && c.red() < 80 && c.green() < 80;
}

class SvgPictureWindowTest : public shelltest::Test
{
public:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        PWPictureRenderer::forget();
        launch(1);
    }
    void TearDown() override
    {
        PWIsolatedCall::setProgram(QString());
        shelltest::Test::TearDown();
        PWPictureRenderer::forget();
    }

    // A label design holding the SVG as a 60 pt picture; stored as it is: this process does not
    // read it before the window does.
    bool writeDesign(const QString &file, const QByteArray &svg)
    {
        const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
        if (!layout)
            return false;
        CADocument document;
        document.setLayoutArangeComponents(*layout, false);
        auto *picture = new CFTPicture(CDDPicture(
            PWImage::create(PWImageRep::unreadable(PWImageRep::Kind::Bitmap, svg, u"not read here"_s, QSizeF(60, 60)))));
        picture->SetOrigin(20.0, 10.0);
        picture->SetSize(60.0, 60.0);
        document.ftDocument()->AddObject(picture, 0, false);
        return document.writeToFile(file);
    }

    CAMainWindowController *openShown(const QString &file)
    {
        const std::shared_ptr<CAOpenDocument> record = manager().openDocument(file);
        auto *window = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
        if (!window)
            return nullptr;
        window->show();
        return QTest::qWaitForWindowExposed(window) ? window : nullptr;
    }

    // The canvas pixels inside the design's picture that pass the test.
    static int countOnCanvas(CADocView *canvas, bool (*test)(QColor))
    {
        const CFTComponent *shown = nullptr;
        for (const CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            if (dynamic_cast<const CFTPicture *>(component))
                shown = component;
        if (!shown)
            return -1;
        const QRect area = canvas->geometry().widgetRect(shown->GetNSDrawRect(false, 0.0)).toAlignedRect();
        const QImage image = canvas->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = area.top() + 2; y < area.bottom() - 2; ++y)
            for (int x = area.left() + 2; x < area.right() - 2; ++x)
                n += QRect(image.rect()).contains(x, y) && test(QColor(image.pixel(x, y)));
        return n;
    }
    static int pictureArea(CADocView *canvas)
    {
        return countOnCanvas(canvas, [](QColor) { return true; });
    }
};

} // namespace

TEST_F(SvgPictureWindowTest, TheCanvasDrawsTheSvgWithoutTheFilesItNames)
{
    const QString red = path(u"red.png"_s);
    ASSERT_TRUE(pwtest::writeFile(red, solidPng(Qt::red)));
    const QString pipe = path(u"pipe"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QByteArray svg = "<?xml-stylesheet type=\"text/css\" href=\"" + QFile::encodeName(pipe)
                           + "\"?><svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                             "width=\"60\" height=\"60\"><rect width=\"60\" height=\"60\" fill=\"blue\"/>"
                             "<image width=\"60\" height=\"60\" xlink:href=\""
                           + QFile::encodeName(red) + "\"/><image xlink:href=\"" + QFile::encodeName(pipe) + "\"/></svg>";

    ASSERT_TRUE(writeDesign(path(u"svg.pwdc"_s), svg));

    pwtest::OpenWatch watch;
    ASSERT_TRUE(watch.add(red) && watch.add(pipe));

    CAMainWindowController *window = openShown(path(u"svg.pwdc"_s));
    ASSERT_TRUE(window);
    CADocView *canvas = window->docView();
    ASSERT_TRUE(canvas);
    const int area = pictureArea(canvas);
    ASSERT_GT(area, 0);
    const auto red_ = [](QColor c) { return c.red() > 180 && c.green() < 80 && c.blue() < 80; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return countOnCanvas(canvas, isBlue) > area / 2; }, 60000));
    EXPECT_EQ(countOnCanvas(canvas, red_), 0);
    EXPECT_EQ(watch.events(), 0) << "a file the SVG names was opened";
}

// An SVG whose drawing failed for the moment (here: no child could be started) is a placeholder
// only until a later drawing gets it: an export tries it again at once, and the window then
// shows what the export drew. Nothing needs the design to be opened again.
TEST_F(SvgPictureWindowTest, AnSvgThatFailedForTheMomentIsDrawnByTheNextExportAndThenInTheWindow)
{
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"60\" height=\"60\">"
                           "<rect width=\"60\" height=\"60\" fill=\"blue\"/></svg>";
    ASSERT_TRUE(writeDesign(path(u"svg.pwdc"_s), svg));
    PWIsolatedCall::setProgram(path(u"no-such-program"_s));
    CAMainWindowController *window = openShown(path(u"svg.pwdc"_s));
    ASSERT_TRUE(window);
    CADocView *canvas = window->docView();
    const int area = pictureArea(canvas);
    ASSERT_GT(area, 0);
    // The placeholder's grey plate, its cross blended in as the canvas scales it.
    const auto placeholder = [](QColor c) {
        return c.red() == c.green() && c.green() == c.blue() && c.red() >= 0x80
               && c.red() <= PWPictureRenderer::placeholderColor().red();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return countOnCanvas(canvas, placeholder) > area / 2; }, 60000));

    exportType = CADocument::kTIFFType;
    const auto exportedBlue = [&](const QString &name) {
        savePath = path(name);
        window->performAction(u"saveDocumentTo"_s, nullptr);
        const QImage image = QImage(savePath).convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += isBlue(QColor(image.pixel(x, y)));
        return image.isNull() ? -1 : n;
    };
    EXPECT_EQ(exportedBlue(u"while-failing.tiff"_s), 0);
    auto *report = window->findChild<QMessageBox *>(u"_jobReport"_s);
    ASSERT_NE(report, nullptr) << "the placeholder is named";
    EXPECT_TRUE(report->informativeText().startsWith(u"SVG picture of"_s)) << report->informativeText().toStdString();
    QTest::keyClick(report, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    PWIsolatedCall::setProgram(QString());
    // The picture's 60 points, at least at the export's 72 dots per inch.
    EXPECT_GT(exportedBlue(u"drawn.tiff"_s), 50 * 50);
    EXPECT_EQ(window->findChild<QMessageBox *>(u"_jobReport"_s), nullptr);
    canvas->viewport()->update();
    EXPECT_TRUE(QTest::qWaitFor([&] { return countOnCanvas(canvas, isBlue) > area / 2; }, 60000));
}
