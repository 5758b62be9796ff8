// The image editor's canvas and the mask grid show PDF and EPS pictures without waiting for their
// rendering: a picture that never finishes holds up no paint, and the widget paints again by
// itself when the raster (or the placeholder of a failed picture) is there.
#include "DeferredPictureSupport.h"

#include "app/pictures/CCImageEditorController.h"
#include "app/pictures/CCImageEditorView.h"
#include "app/pictures/CCMaskCatalog.h"
#include "app/pictures/CCMaskCell.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <tuple>

namespace {

using namespace deferredpicture;

// A widget given one picture, not yet on the screen.
class Showing
{
public:
    virtual ~Showing() = default;
    virtual QWidget *widget() = 0;
    virtual void putOnScreen() = 0;
    // Where the picture goes, in the widget's coordinates.
    virtual QRectF target() const = 0;
    // What the widget shows there without a picture.
    virtual QColor empty() const = 0;
};

// The editor's own window opened on the picture, as the canvas opens it.
class EditorShowing : public Showing
{
public:
    explicit EditorShowing(std::shared_ptr<PWImage> image)
    {
        m_editor.setDefaultPlugInPaths({});
        EXPECT_TRUE(m_editor.prepareEditor(std::move(image), false, QRectF()));
    }
    QWidget *widget() override { return m_editor.pictureView(); }
    void putOnScreen() override { m_editor.show(); }
    QRectF target() const override
    {
        const CCImageEditorView *view = m_editor.pictureView();
        return view->widgetRect(QRectF(QPointF(0, 0), view->geometry().imageSize()));
    }
    QColor empty() const override { return m_editor.pictureView()->palette().color(QPalette::Mid); }

private:
    CCImageEditorController m_editor;
};

// The mask grid with one mask, whose picture is already known by the mask's name.
class MaskGridShowing : public Showing
{
public:
    explicit MaskGridShowing(std::shared_ptr<PWImage> image)
        : m_image(std::move(image))
    {
        const QString images = m_folder.filePath(QStringLiteral("Images"));
        const QString name = QStringLiteral("oval");
        EXPECT_TRUE(QDir().mkpath(images));
        EXPECT_TRUE(pwtest::writeFile(QDir(images).filePath(name), m_image->representations().first().data()));
        m_image->setName(name);
        m_grid.setMaskFolders(images, m_folder.filePath(QStringLiteral("Thumbnails")));
        m_grid.setup();
        EXPECT_EQ(m_grid.cellCount(), 1);
    }
    QWidget *widget() override { return &m_grid; }
    void putOnScreen() override { m_grid.show(); }
    QRectF target() const override { return CCMaskCell::drawingRectForBounds(m_grid.cellFrameAtRowColumn(0, 0)); }
    QColor empty() const override { return m_grid.palette().color(QPalette::Base); }

private:
    QTemporaryDir m_folder;
    std::shared_ptr<PWImage> m_image;
    CCMaskCatalog m_grid;
};

struct View
{
    const char *name;
    std::unique_ptr<Showing> (*show)(std::shared_ptr<PWImage> image);
};

void PrintTo(const View &view, std::ostream *out)
{
    *out << view.name;
}

const View kViews[] = {
    {"ImageEditor",
     [](std::shared_ptr<PWImage> image) -> std::unique_ptr<Showing> {
         return std::make_unique<EditorShowing>(std::move(image));
     }},
    {"MaskGrid",
     [](std::shared_ptr<PWImage> image) -> std::unique_ptr<Showing> {
         return std::make_unique<MaskGridShowing>(std::move(image));
     }},
};

class DeferredPicturesTest : public ::testing::TestWithParam<std::tuple<View, Picture>>
{
};

TEST_P(DeferredPicturesTest, FirstPaintWaitsForNothingAndTheRenderingShowsLater)
{
    const auto &[view, picture] = GetParam();
    const ShortDeadline deadline;
    const std::shared_ptr<PWImage> image = picture.make();
    ASSERT_TRUE(image);
    const std::unique_ptr<Showing> showing = view.show(image);

    const FirstPaint first = firstPaint(showing->widget(), [&] { showing->putOnScreen(); });
    const QPoint at = insidePicture(showing->target());
    ASSERT_TRUE(first.shown.valid(at));
    EXPECT_TRUE(pictest::near(first.shown.pixelColor(at), showing->empty(), 8))
        << qPrintable(first.shown.pixelColor(at).name());

    EXPECT_TRUE(showsLater(showing->widget(), at, picture.rendered));
}

INSTANTIATE_TEST_SUITE_P(Views, DeferredPicturesTest,
                         ::testing::Combine(::testing::ValuesIn(kViews), ::testing::ValuesIn(kPictures)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) + std::get<1>(info.param).name;
                         });

} // namespace
