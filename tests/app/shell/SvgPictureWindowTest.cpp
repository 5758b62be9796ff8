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
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
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
        shelltest::Test::TearDown();
        PWPictureRenderer::forget();
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

    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
    ASSERT_TRUE(layout);
    {
        CADocument document;
        document.setLayoutArangeComponents(*layout, false);
        // Stored as it is: this process does not read it before the window does.
        auto *picture = new CFTPicture(CDDPicture(
            PWImage::create(PWImageRep::unreadable(PWImageRep::Kind::Bitmap, svg, u"not read here"_s, QSizeF(60, 60)))));
        picture->SetOrigin(20.0, 10.0);
        picture->SetSize(60.0, 60.0);
        document.ftDocument()->AddObject(picture, 0, false);
        ASSERT_TRUE(document.writeToFile(path(u"svg.pwdc"_s)));
    }

    pwtest::OpenWatch watch;
    ASSERT_TRUE(watch.add(red) && watch.add(pipe));

    const std::shared_ptr<CAOpenDocument> record = manager().openDocument(path(u"svg.pwdc"_s));
    ASSERT_TRUE(record);
    auto *window = qobject_cast<CAMainWindowController *>(record->window.data());
    ASSERT_TRUE(window);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    CADocView *canvas = window->docView();
    ASSERT_TRUE(canvas);
    const CFTComponent *shown = nullptr;
    for (const CFTComponent *component : canvas->ftView()->GetCurrentComponents())
        if (dynamic_cast<const CFTPicture *>(component))
            shown = component;
    ASSERT_TRUE(shown);
    const QRect area = canvas->geometry().widgetRect(shown->GetNSDrawRect(false, 0.0)).toAlignedRect();
    ASSERT_FALSE(area.isEmpty());
    const auto count = [&](bool (*test)(QColor)) {
        const QImage shown = canvas->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = area.top() + 2; y < area.bottom() - 2; ++y)
            for (int x = area.left() + 2; x < area.right() - 2; ++x)
                n += QRect(shown.rect()).contains(x, y) && test(QColor(shown.pixel(x, y)));
        return n;
    };
    const auto blue = [](QColor c) { return c.blue() > 180 && c.red() < 80 && c.green() < 80; };
    const auto red_ = [](QColor c) { return c.red() > 180 && c.green() < 80 && c.blue() < 80; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return count(blue) > area.width() * area.height() / 2; }, 60000));
    EXPECT_EQ(count(red_), 0);
    EXPECT_EQ(watch.events(), 0) << "a file the SVG names was opened";
}
