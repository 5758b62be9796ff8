#include "kernel/printing/CCRenderingView.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/foundation/CDDColor.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Four device pixels a point, so that half-point strokes cover whole pixels.
constexpr double kScale = 4.0;

// A filled rectangle that notes when it is drawn, and with which transform.
class ProbeBox : public CFTBoxField
{
public:
    ProbeBox(std::string name, std::vector<std::string> *log, double x, double y, double w, double h, QColor color)
        : CFTBoxField(x, y, w, h, nullptr), m_name(std::move(name)), m_log(log)
    {
        const CDDColor fill(float(color.redF()), float(color.greenF()), float(color.blueF()), 1.0f);
        SetFilled(true);
        SetFillColor(&fill);
        SetStroked(false);
    }
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool a, bool b) override
    {
        m_log->push_back(m_name);
        CFTBoxField::Draw(drawer, selected, components, a, b);
    }

private:
    std::string m_name;
    std::vector<std::string> *m_log;
};

QImage render(CCRenderingView &view, QSizeF size = QSizeF())
{
    if (size.isEmpty())
        size = view.bounds().size();
    QImage image(int(size.width() * kScale), int(size.height() * kScale), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(kScale, kScale);
    painter.translate(-view.bounds().topLeft());
    view.draw(painter);
    return image;
}

// The pixel under the point (in points of the rendered view).
QColor at(const QImage &image, double x, double y)
{
    return image.pixelColor(int(x * kScale), int(y * kScale));
}

bool isColor(const QColor &pixel, Qt::GlobalColor expected)
{
    const QColor want(expected);
    return pixel.alpha() == 255 && std::abs(pixel.red() - want.red()) < 8 && std::abs(pixel.green() - want.green()) < 8
           && std::abs(pixel.blue() - want.blue()) < 8;
}

int inkedPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) != 0;
    return count;
}

struct Scene
{
    std::vector<std::string> log;
    std::vector<std::unique_ptr<CFTComponent>> owned;
    std::vector<CFTComponent *> front, back;
    void add(std::vector<CFTComponent *> &list, const std::string &name, QRectF rect, Qt::GlobalColor color)
    {
        owned.push_back(std::make_unique<ProbeBox>(name, &log, rect.x(), rect.y(), rect.width(), rect.height(), QColor(color)));
        list.push_back(owned.back().get());
    }
};

std::unique_ptr<CCRenderingView> renderer(const QSizeF &content, float margin, Scene &scene, bool back, bool cutLines,
                                          int rotateMode, bool fim, bool background,
                                          std::optional<QPainterPath> clip = std::nullopt)
{
    const QRectF frame(0, 0, content.width() + 2 * margin, content.height() + 2 * margin);
    return std::make_unique<CCRenderingView>(frame, margin, &scene.front, back ? &scene.back : nullptr,
                                             std::move(clip), cutLines, rotateMode, false, fim, true, background,
                                             600.0f, nullptr);
}

} // namespace

TEST(CCRenderingViewTest, LayersStackBackgroundBackMarkFrontThenCutMarks)
{
    Scene scene;
    // The back box covers the whole content; the first front box hides the mark's first bar, the
    // second lies in the left margin under a cut mark.
    scene.add(scene.back, "back", QRectF(0, 0, 400, 100), Qt::red);
    scene.add(scene.front, "front", QRectF(210, -20, 10, 60), Qt::blue);
    scene.add(scene.front, "edge", QRectF(-15, -10, 8, 20), Qt::blue);
    const auto view = renderer(QSizeF(400, 100), 20.0f, scene, true, true, 0, true, true);
    const QImage image = render(*view);
    EXPECT_EQ(scene.log, (std::vector<std::string> { "back", "front", "edge" }));
    scene.log.clear();
    render(*renderer(QSizeF(400, 100), 20.0f, scene, false, false, 0, false, false));
    EXPECT_EQ(scene.log, (std::vector<std::string> { "front", "edge" })) << "without a back list";
    // The mark starts at 400 - 144 - 40.5 = 215.5: its second bar (about 220) stands on the back
    // box, its first is under the front box, its third position has no bar.
    EXPECT_TRUE(isColor(at(image, 20 + 220.8, 20 + 30), Qt::black)) << "the mark is drawn over the back list";
    EXPECT_TRUE(isColor(at(image, 20 + 215.5, 20 + 30), Qt::blue)) << "the front list is drawn over the mark";
    EXPECT_TRUE(isColor(at(image, 20 + 224.5, 20 + 30), Qt::red));
    // The cut mark along the content's top edge crosses the box in the margin.
    EXPECT_TRUE(isColor(at(image, 20 - 10, 20), Qt::black)) << "cut marks come last";
    EXPECT_TRUE(isColor(at(image, 20 - 10, 25), Qt::blue));
    // The background lies under everything: no white shows through the back box.
    EXPECT_FALSE(isColor(at(image, 20 + 100, 20 + 50), Qt::white));
}

TEST(CCRenderingViewTest, CutMarksRunFromTheMarginEdgeToFourAndAHalfPointsFromTheContent)
{
    Scene scene;
    scene.add(scene.front, "front", QRectF(40, 40, 10, 10), Qt::blue);
    const QImage image = render(*renderer(QSizeF(100, 60), 18.0f, scene, false, true, 0, false, false));
    // Horizontal strokes on the top and bottom edges of the content, in both side margins.
    // Black where a stroke runs, clear 4.5 points short of the content, in the corner and inside.
    QString found;
    for (const QPointF p : {QPointF(1, 18), QPointF(13, 78), QPointF(123, 18), QPointF(135, 78), QPointF(18, 1),
                            QPointF(118, 95), QPointF(15, 18), QPointF(121, 78), QPointF(18, 15), QPointF(1, 1),
                            QPointF(68, 19)})
        found += isColor(at(image, p.x(), p.y()), Qt::black) ? QLatin1Char('x') : at(image, p.x(), p.y()).alpha() ? QLatin1Char('?') : QLatin1Char('.');
    EXPECT_EQ(found, QStringLiteral("xxxxxx....."));
    // Without a margin the content stands at the origin and no cut mark shows.
    const QImage flush = render(*renderer(QSizeF(60, 50), 0.0f, scene, false, true, 0, false, false));
    EXPECT_TRUE(isColor(at(flush, 40.5, 40.5), Qt::blue));
    EXPECT_EQ(at(flush, 59.5, 0.3).alpha() + at(flush, 30, 49.8).alpha(), 0);
}

TEST(CCRenderingViewTest, BackgroundFillsTheWholeContentInsideTheMarginAndTheClipLimitsEverything)
{
    Scene scene;
    scene.add(scene.front, "front", QRectF(0, 0, 5, 5), Qt::blue);
    const QImage image = render(*renderer(QSizeF(100, 50), 18.0f, scene, false, false, 0, false, true));
    // The content's far corner is white; the margin itself stays clear.
    EXPECT_TRUE(isColor(at(image, 18 + 99.8, 18 + 49.8), Qt::white) && isColor(at(image, 18 + 2, 18 + 2), Qt::blue));
    EXPECT_EQ(at(image, 10, 10).alpha() + at(image, 18 + 100 + 5, 18 + 25).alpha() + at(image, 68, 73).alpha(), 0);
    EXPECT_EQ(at(render(*renderer(QSizeF(100, 50), 0.0f, scene, false, false, 0, false, false)), 50, 25).alpha(), 0)
        << "without background nothing is filled";
    Scene wide;
    wide.add(wide.front, "front", QRectF(0, 0, 100, 50), Qt::blue);
    QPainterPath leftHalf;
    leftHalf.addRect(QRectF(0, 0, 50, 50));
    const QImage clipped = render(*renderer(QSizeF(100, 50), 0.0f, wide, false, false, 0, false, true, leftHalf));
    EXPECT_TRUE(isColor(at(clipped, 25, 25), Qt::blue));
    EXPECT_EQ(at(clipped, 75, 25).alpha(), 0) << "neither background nor components outside the clip";
}

TEST(CCRenderingViewTest, QuarterTurnsKeepTheDesignInsideTheContent)
{
    const double w = 200, h = 100;
    // Where the design's top-left corner lands, as fractions of the output's width and height.
    for (const auto &[mode, cornerX, cornerY] : {std::tuple {0, 0, 0}, {1, 0, 1}, {2, 1, 1}, {3, 1, 0}}) {
        Scene scene;
        // The design is h x w for odd turns; a marker in its top-left corner and a full cover below it.
        scene.add(scene.front, "cover", QRectF(QPointF(0, 0), mode % 2 ? QSizeF(h, w) : QSizeF(w, h)), Qt::blue);
        scene.add(scene.front, "corner", QRectF(0, 0, 10, 10), Qt::red);
        const QImage image = render(*renderer(QSizeF(w, h), 10.0f, scene, false, false, mode, false, false));
        // The whole content is covered, the margin is not.
        QList<int> alphas;
        for (const QPointF p : {QPointF(11, 11), QPointF(10 + w - 1, 11), QPointF(11, 10 + h - 1), QPointF(10 + w - 1, 10 + h - 1),
                                QPointF(5, 5), QPointF(10 + w + 5, 10 + h + 5)})
            alphas << at(image, p.x(), p.y()).alpha();
        EXPECT_EQ(alphas, QList<int>({255, 255, 255, 255, 0, 0})) << mode;
        EXPECT_TRUE(isColor(at(image, 10 + (cornerX ? w - 5 : 5), 10 + (cornerY ? h - 5 : 5)), Qt::red)) << "mode " << mode;
        EXPECT_TRUE(isColor(at(image, 10 + w / 2, 10 + h / 2), Qt::blue));
    }
}

TEST(CCRenderingViewTest, DocumentModeDrawsOneSidePerPage)
{
    std::vector<std::string> log;
    CFTADocument document;
    while (document.getSidesCount() < 2)
        document.addSide();
    document.AddObject(new ProbeBox("side1", &log, 0, 0, 10, 10, Qt::red), 0, false);
    document.AddObject(new ProbeBox("side1back", &log, 0, 0, 20, 20, Qt::green), 0, true);
    document.AddObject(new ProbeBox("side2", &log, 0, 0, 10, 10, Qt::blue), 1, false);
    CCRenderingView view(QRectF(0, 0, 50, 30), &document, 0);
    EXPECT_EQ(view.pageCount(), 2);
    QImage first = render(view);
    EXPECT_EQ(log, (std::vector<std::string> { "side1back", "side1" }));
    EXPECT_TRUE(isColor(at(first, 5, 5), Qt::red));
    EXPECT_TRUE(isColor(at(first, 15, 15), Qt::green));
    log.clear();
    EXPECT_EQ(view.rectForPage(2), QRectF(0, 0, 50, 30));
    const QImage second = render(view);
    EXPECT_EQ(log, (std::vector<std::string> { "side2" }));
    EXPECT_TRUE(isColor(at(second, 5, 5), Qt::blue));
    // A page past the document's end is left empty: no random shapes, nothing drawn.
    log.clear();
    view.rectForPage(3);
    const QImage past = render(view);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(inkedPixels(past), 0);
}

TEST(CCRenderingViewTest, RandomModeFillsTheViewRepeatablyFromItsSeedAndNeedsASize)
{
    for (const int kind : {0, 1, 2}) {
        CCRenderingView first(QRectF(0, 0, 80, 60), kind, 7), again(QRectF(0, 0, 80, 60), kind, 7), other(QRectF(0, 0, 80, 60), kind, 8);
        EXPECT_TRUE(first.isRandomMode());
        const QImage a = render(first);
        EXPECT_GT(inkedPixels(a), 0) << kind;
        EXPECT_EQ(a, render(again)) << kind;
        EXPECT_NE(a, render(other)) << kind;
    }
    // An unknown kind, a view without components outside the random mode, and views too small
    // to pick a coordinate in draw nothing (and never divide by zero).
    CCRenderingView unknown(QRectF(0, 0, 40, 40), 5, 1), plain(QRectF(0, 0, 40, 40));
    CCRenderingView noComponents(QRectF(0, 0, 40, 40), 0.0f, nullptr, nullptr, std::nullopt, true, 0, false, true, true, true, 600.0f, nullptr);
    EXPECT_EQ(inkedPixels(render(unknown)) + inkedPixels(render(plain)) + inkedPixels(render(noComponents)), 0);
    for (const QSizeF size : {QSizeF(0, 40), QSizeF(40, 0), QSizeF(0.5, 40)}) {
        CCRenderingView flat(QRectF(QPointF(0, 0), size), 1, 1);
        EXPECT_EQ(inkedPixels(render(flat, QSizeF(40, 40))), 0) << size.width() << "x" << size.height();
    }
}
