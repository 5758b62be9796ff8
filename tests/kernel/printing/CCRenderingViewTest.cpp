#include "kernel/printing/CCRenderingView.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/base/CDDColor.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Four device pixels a point, so that half-point strokes cover whole pixels.
constexpr double kScale = 4.0;

// A filled rectangle that notes when it is drawn, and with which transform.
class ProbeBox : public CFTBoxField
{
public:
    ProbeBox(const char *name, QStringList *log, double x, double y, double w, double h, QColor color)
        : CFTBoxField(x, y, w, h, nullptr), m_name(QString::fromLatin1(name)), m_log(log)
    {
        const CDDColor fill(float(color.redF()), float(color.greenF()), float(color.blueF()), 1.0f);
        SetFilled(true);
        SetFillColor(&fill);
        SetStroked(false);
    }
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool a, bool b) override
    {
        m_log->append(m_name);
        CFTBoxField::Draw(drawer, selected, components, a, b);
    }

private:
    QString m_name;
    QStringList *m_log;
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

// The colours under the points (in points of the rendered view): k black, w white, r red, g green,
// b blue, . nothing, ? anything else.
QString colours(const QImage &image, std::initializer_list<QPointF> points)
{
    QString found;
    for (const QPointF p : points) {
        const QColor c = image.pixelColor(int(p.x() * kScale), int(p.y() * kScale));
        QChar letter = c.alpha() == 0 ? u'.' : u'?';
        for (const auto &[name, want] : {std::pair {u'k', Qt::black}, {u'w', Qt::white}, {u'r', Qt::red}, {u'g', Qt::green}, {u'b', Qt::blue}}) {
            const QColor w(want);
            if (c.alpha() == 255 && std::abs(c.red() - w.red()) < 8 && std::abs(c.green() - w.green()) < 8 && std::abs(c.blue() - w.blue()) < 8)
                letter = name;
        }
        found += letter;
    }
    return found;
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
    QStringList log;
    std::vector<std::unique_ptr<CFTComponent>> owned;
    std::vector<CFTComponent *> front, back;
    void add(std::vector<CFTComponent *> &list, const char *name, QRectF rect, Qt::GlobalColor color)
    {
        owned.push_back(std::make_unique<ProbeBox>(name, &log, rect.x(), rect.y(), rect.width(), rect.height(), QColor(color)));
        list.push_back(owned.back().get());
    }
};

struct Options
{
    float margin = 0;
    bool back = false, cutLines = false;
    int rotateMode = 0;
    bool fim = false, background = false;
    std::optional<QPainterPath> clip = std::nullopt;
};

QImage draw(Scene &scene, const QSizeF &content, const Options &o)
{
    CCRenderingView view(QRectF(0, 0, content.width() + 2 * o.margin, content.height() + 2 * o.margin), o.margin, &scene.front,
                         o.back ? &scene.back : nullptr, o.clip, o.cutLines, o.rotateMode, false, o.fim, true, o.background, 600.0f, nullptr);
    return render(view);
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
    const QImage image = draw(scene, QSizeF(400, 100), {.margin = 20, .back = true, .cutLines = true, .fim = true, .background = true});
    EXPECT_EQ(scene.log.join(u' '), QStringLiteral("back front edge"));
    scene.log.clear();
    draw(scene, QSizeF(400, 100), {.margin = 20});
    EXPECT_EQ(scene.log.join(u' '), QStringLiteral("front edge")) << "without a back list";
    // The mark starts at 400 - 144 - 40.5 = 215.5: its second bar (about 220) stands on the back
    // box, its first is under the front box, its third position has no bar. The cut mark along
    // the content's top edge crosses the box in the margin. No white shows through the back box.
    EXPECT_EQ(colours(image, {{240.8, 50}, {235.5, 50}, {244.5, 50}, {10, 20}, {10, 25}, {120, 70}}), QStringLiteral("kbrkbr"));
}

TEST(CCRenderingViewTest, CutMarksRunFromTheMarginEdgeToFourAndAHalfPointsFromTheContent)
{
    Scene scene;
    scene.add(scene.front, "front", QRectF(40, 40, 10, 10), Qt::blue);
    // Strokes on the top and bottom edges of the content in both side margins; clear 4.5 points
    // short of the content, in the corner and inside.
    EXPECT_EQ(colours(draw(scene, QSizeF(100, 60), {.margin = 18, .cutLines = true}),
                      {{1, 18}, {13, 78}, {123, 18}, {135, 78}, {18, 1}, {118, 95}, {15, 18}, {121, 78}, {18, 15}, {1, 1}, {68, 19}}),
              QStringLiteral("kkkkkk....."));
    // Without a margin the content stands at the origin and no cut mark shows.
    EXPECT_EQ(colours(draw(scene, QSizeF(60, 50), {.cutLines = true}), {{40.5, 40.5}, {59.5, 0.3}, {30, 49.8}}), QStringLiteral("b.."));
}

TEST(CCRenderingViewTest, BackgroundFillsTheWholeContentInsideTheMarginAndTheClipLimitsEverything)
{
    Scene scene;
    scene.add(scene.front, "front", QRectF(0, 0, 5, 5), Qt::blue);
    // The content's far corner is white; the margin itself stays clear.
    EXPECT_EQ(colours(draw(scene, QSizeF(100, 50), {.margin = 18, .background = true}), {{117.8, 67.8}, {20, 20}, {10, 10}, {123, 43}, {68, 73}}),
              QStringLiteral("wb..."));
    EXPECT_EQ(colours(draw(scene, QSizeF(100, 50), {}), {{50, 25}}), QStringLiteral(".")) << "without background nothing is filled";
    Scene wide;
    wide.add(wide.front, "front", QRectF(0, 0, 100, 50), Qt::blue);
    QPainterPath leftHalf;
    leftHalf.addRect(QRectF(0, 0, 50, 50));
    // Neither background nor components outside the clip.
    EXPECT_EQ(colours(draw(wide, QSizeF(100, 50), {.background = true, .clip = leftHalf}), {{25, 25}, {75, 25}}), QStringLiteral("b."));
}

TEST(CCRenderingViewTest, QuarterTurnsKeepTheDesignInsideTheContent)
{
    const double w = 200, h = 100;
    // The design is h x w for odd turns: a marker in its top-left corner, a full cover below it.
    // The content is covered, the margin is not, and the marker lands in the expected corner.
    for (const auto &[mode, corners] : {std::pair {0, "rbbb"}, {1, "bbrb"}, {2, "bbbr"}, {3, "brbb"}}) {
        Scene scene;
        scene.add(scene.front, "cover", QRectF(QPointF(0, 0), mode % 2 ? QSizeF(h, w) : QSizeF(w, h)), Qt::blue);
        scene.add(scene.front, "corner", QRectF(0, 0, 10, 10), Qt::red);
        EXPECT_EQ(colours(draw(scene, QSizeF(w, h), {.margin = 10, .rotateMode = mode}),
                          {{11, 11}, {209, 11}, {11, 109}, {209, 109}, {110, 60}, {5, 5}, {215, 115}}),
                  QString::fromLatin1(corners) + QStringLiteral("b.."))
            << mode;
    }
}

TEST(CCRenderingViewTest, DocumentModeDrawsOneSidePerPage)
{
    QStringList log;
    CFTADocument document;
    document.addSide(); document.AddObject(new ProbeBox("side1", &log, 0, 0, 10, 10, Qt::red), 0, false);
    document.AddObject(new ProbeBox("side1back", &log, 0, 0, 20, 20, Qt::green), 0, true);
    document.AddObject(new ProbeBox("side2", &log, 0, 0, 10, 10, Qt::blue), 1, false);
    CCRenderingView view(QRectF(0, 0, 50, 30), &document, 0);
    EXPECT_EQ(view.pageCount(), 2);
    EXPECT_EQ(colours(render(view), {{5, 5}, {15, 15}}), QStringLiteral("rg"));
    EXPECT_EQ(view.rectForPage(2), QRectF(0, 0, 50, 30));
    EXPECT_EQ(colours(render(view), {{5, 5}}), QStringLiteral("b"));
    // A page past the document's end is left empty: no random shapes, nothing drawn.
    view.rectForPage(3);
    EXPECT_EQ(inkedPixels(render(view)), 0);
    EXPECT_EQ(log.join(u' '), QStringLiteral("side1back side1 side2"));
}

// Each kind of random shape (0 rectangles, 1 circles, 2 paths) fills the view the same way for one
// seed and another way for another seed.
TEST(CCRenderingViewTest, RandomModeFillsTheViewRepeatablyFromItsSeed)
{
    for (const int kind : {0, 1, 2}) {
        CCRenderingView first(QRectF(0, 0, 80, 60), kind, 7), again(QRectF(0, 0, 80, 60), kind, 7), other(QRectF(0, 0, 80, 60), kind, 8);
        EXPECT_TRUE(first.isRandomMode());
        const QImage drawn = render(first);
        EXPECT_GT(inkedPixels(drawn), 0) << kind;
        EXPECT_EQ(drawn, render(again)) << kind;
        EXPECT_NE(drawn, render(other)) << kind;
    }
}

// An unknown kind, a view without components outside the random mode and a view without
// components that asked for none draw nothing; views too small to pick a coordinate in draw
// nothing and never divide by zero.
TEST(CCRenderingViewTest, RandomDrawingNeedsTheRandomModeAndASize)
{
    CCRenderingView unknown(QRectF(0, 0, 40, 40), 5, 1), plain(QRectF(0, 0, 40, 40));
    CCRenderingView noComponents(QRectF(0, 0, 40, 40), 0.0f, nullptr, nullptr, std::nullopt, true, 0, false, true, true, true, 600.0f, nullptr);
    EXPECT_EQ(plain.pageCount(), 1);
    EXPECT_EQ(QList<int>({inkedPixels(render(unknown)), inkedPixels(render(plain)), inkedPixels(render(noComponents))}), QList<int>({0, 0, 0}));
    for (const QSizeF size : {QSizeF(0, 40), QSizeF(40, 0), QSizeF(0.5, 40)}) {
        CCRenderingView flat(QRectF(QPointF(0, 0), size), 1, 1);
        EXPECT_EQ(inkedPixels(render(flat, QSizeF(40, 40))), 0) << size.width() << "x" << size.height();
    }
}
