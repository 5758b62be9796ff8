// A text that is filled and restyled is laid out only when it is measured or drawn. Each case runs
// the same steps on two texts: one as callers use it, one whose document is asked for after every
// step, which lays it out in its width at once. Every measure and every drawn pixel must agree.
#include "kernel/render/CDDText.h"

#include "TextTestSupport.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/render/CDDTextRuns.h"

#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

using texttest::sans;

namespace {

using Step = std::function<void(CDDText &)>;

QImage drawnIn(CDDText &text, double width)
{
    QImage image(320, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDDDrawer drawer(false, &painter);
    text.draw(4, 4, width, 110, false, nullptr, &drawer, 0, nullptr, nullptr);
    painter.end();
    return image;
}

Step fill(const QString &string, double size)
{
    return [string, size](CDDText &text) {
        const QTextCharFormat style = sans(size);
        text.setString(string, &style);
    };
}

Step scale(double factor)
{
    return [factor](CDDText &text) { text.updateFontSizeWithKoeff(factor); };
}

Step measure()
{
    return [](CDDText &text) {
        text.getContSizeX();
        text.getContSizeY();
    };
}

Step draw(double width)
{
    return [width](CDDText &text) { drawnIn(text, width); };
}

struct Sequence
{
    const char *name;
    std::vector<Step> steps;
};

class CDDTextHeldLayoutTest : public ::testing::TestWithParam<int>
{
public:
    static std::vector<Sequence> sequences()
    {
        const QString twoLines = QStringLiteral("Widgets and Sons 1200\nAlex Person");
        return {
            {"fill", {fill(QStringLiteral("Alex Person 42"), 14)}},
            {"fillThenShrink", {fill(twoLines, 18), scale(0.7)}},
            {"drawnThenRefilledAndShrunk", {fill(twoLines, 14), draw(90), fill(QStringLiteral("Suite 12"), 14), scale(0.5)}},
            {"measuredBetweenChanges", {fill(twoLines, 14), measure(), scale(0.8), measure(), fill(twoLines + QStringLiteral(" IL"), 11)}},
            {"shrunkTwiceAfterANarrowDraw", {fill(twoLines, 16), draw(60), scale(0.9), scale(0.6)}},
            {"styleChangedOnAnEmptyText", {scale(0.5), fill(QStringLiteral("Denver CO 80202"), 12)}},
        };
    }
};

TEST_P(CDDTextHeldLayoutTest, MeasuresAndDrawingAreThoseOfATextLaidOutAfterEveryChange)
{
    const Sequence sequence = sequences()[size_t(GetParam())];
    CDDText held, eager;
    held.SetFontAttr(sans(14), false);
    eager.SetFontAttr(sans(14), false);
    eager.getContents();
    for (const Step &step : sequence.steps) {
        step(held);
        step(eager);
        eager.getContents();
    }
    EXPECT_EQ(held.getContSizeX(), eager.getContSizeX()) << sequence.name;
    EXPECT_EQ(held.getContSizeY(), eager.getContSizeY()) << sequence.name;
    EXPECT_EQ(held.GetBaseLineOffset(), eager.GetBaseLineOffset()) << sequence.name;
    EXPECT_EQ(held.getLineOffsetX(), eager.getLineOffsetX()) << sequence.name;
    EXPECT_EQ(held.getDefXSpacing(), eager.getDefXSpacing()) << sequence.name;
    EXPECT_EQ(held.hitPoint(8, 8), eager.hitPoint(8, 8)) << sequence.name;
    // The document handed out is laid out in the width it had, with its lines.
    EXPECT_EQ(held.getContents()->textWidth(), eager.getContents()->textWidth()) << sequence.name;
    EXPECT_FALSE(held.getContents()->pageSize().isNull()) << sequence.name;
    QImage blank(320, 120, QImage::Format_RGB32);
    blank.fill(Qt::white);
    for (const double width : {300.0, 70.0}) {
        const QImage heldImage = drawnIn(held, width);
        EXPECT_EQ(heldImage, drawnIn(eager, width)) << sequence.name << " in " << width;
        EXPECT_NE(heldImage, blank) << sequence.name << " drew nothing in " << width;
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, CDDTextHeldLayoutTest,
                         ::testing::Range(0, int(CDDTextHeldLayoutTest::sequences().size())),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::string(CDDTextHeldLayoutTest::sequences()[size_t(info.param)].name);
                         });

TEST(TextRunsHoldTest, AHeldDocumentIsNotLaidOutUntilReleasedIntoItsFormerWidth)
{
    QTextDocument document;
    textruns::layOutInPoints(&document);
    textruns::setTextWidthInPoints(&document, 120.0);
    document.setPlainText(QStringLiteral("one two three four five six seven eight nine ten"));
    document.size();
    const int lines = document.begin().layout()->lineCount();
    ASSERT_GT(lines, 1);

    textruns::holdLayout(&document);
    EXPECT_TRUE(textruns::isLayoutHeld(&document));
    EXPECT_EQ(textruns::layoutWidth(&document, 500.0), 120.0);
    document.setPlainText(QStringLiteral("eleven twelve thirteen fourteen fifteen sixteen seventeen"));
    EXPECT_EQ(document.begin().layout()->lineCount(), 0) << "laid out while held";
    // Holding again keeps the width it is to come back to.
    textruns::holdLayout(&document);
    textruns::releaseLayout(&document, 500.0);
    EXPECT_FALSE(textruns::isLayoutHeld(&document));
    EXPECT_EQ(textruns::textWidthInPoints(&document), 120.0);
    document.size();
    EXPECT_GT(document.begin().layout()->lineCount(), 1);
    // Released twice: the second leaves the present width alone.
    textruns::setTextWidthInPoints(&document, 200.0);
    textruns::releaseLayout(&document, 500.0);
    EXPECT_EQ(textruns::textWidthInPoints(&document), 200.0);

    // A document held before it had a width comes back in the width its holder gives.
    QTextDocument fresh;
    textruns::layOutInPoints(&fresh);
    fresh.setPageSize(QSizeF(0.0, 0.0));
    fresh.setPlainText(QStringLiteral("M"));
    EXPECT_EQ(textruns::layoutWidth(&fresh, 300.0), 300.0);
    textruns::releaseLayout(&fresh, 300.0);
    EXPECT_EQ(textruns::textWidthInPoints(&fresh), 300.0);
    fresh.size(); // finishes the layout
    EXPECT_EQ(fresh.begin().layout()->lineCount(), 1);
}

} // namespace
