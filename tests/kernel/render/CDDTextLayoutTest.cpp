#include "kernel/render/CDDText.h"

#include "TextTestSupport.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/render/CDDTextRuns.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDPen.h"

#include <QFontMetricsF>
#include <QImage>
#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QRawFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <functional>

using texttest::sans;

namespace {

CDDText &withString(CDDText &text, const QString &string, double size)
{
    const QTextCharFormat style = sans(size);
    text.SetFontAttr(style, false);
    text.setString(string, &style);
    return text;
}

TEST(CDDTextLayoutTest, WidthIsTheWidestLinePlusInsetAndOne)
{
    CDDText text;
    withString(text, QStringLiteral("Wide line\nab"), 20);
    const double glyphs = texttest::pointMetrics(sans(20).font()).horizontalAdvance(QStringLiteral("Wide line"));
    EXPECT_NEAR(text.getContSizeX(), glyphs + 2.0 * CDDText::kLinePadding + 1.0, 1.0);
    CDDText shorter;
    withString(shorter, QStringLiteral("ab"), 20);
    EXPECT_LT(shorter.getContSizeX(), text.getContSizeX());
}

// Measures taken after drawing in a frame, whether the frame broke the lines or not, are those of
// the open layout; replacing the text keeps the drawn width and measures the new text afresh.
TEST(CDDTextLayoutTest, MeasuresAfterDrawingAreThoseOfTheOpenLayout)
{
    const QString string = QStringLiteral("Alex Person 42\nWidgets and Sons 1200");
    const QString longer = string + QStringLiteral(" Springfield IL 62701");
    CDDText open, reference;
    withString(open, string, 14);
    withString(reference, longer, 14);
    // A frame just wide enough to hold the text, and one that breaks its lines.
    for (const double share : {1.0, 0.2}) {
        CDDText drawn;
        withString(drawn, string, 14);
        QImage image(400, 200, QImage::Format_ARGB32);
        QPainter painter(&image);
        CDDDrawer drawer(false, &painter);
        drawn.draw(0, 0, open.getContSizeX() * share, 120, false, nullptr, &drawer, 0, nullptr, nullptr);
        const double drawnWidth = drawn.getContents()->textWidth();
        EXPECT_EQ(QSizeF(drawn.getContSizeX(), drawn.getContSizeY()), QSizeF(open.getContSizeX(), open.getContSizeY())) << share;
        // A longer text in the drawn width: its measures are its own, not the old text's.
        const QTextCharFormat style = sans(14);
        drawn.setString(longer, &style);
        EXPECT_EQ(drawn.getContents()->textWidth(), drawnWidth) << share;
        EXPECT_EQ(QSizeF(drawn.getContSizeX(), drawn.getContSizeY()), QSizeF(reference.getContSizeX(), reference.getContSizeY())) << share;
    }
}

TEST(CDDTextLayoutTest, HeightFollowsTheDefaultStyleAndTheLinesWithTheBaselineInTheFirst)
{
    CDDText small, large;
    small.SetFontAttr(sans(10), false);
    large.SetFontAttr(sans(30), false);
    EXPECT_GT(large.getContSizeY(), small.getContSizeY());
    EXPECT_NEAR(large.getContSizeY(), texttest::pointMetrics(sans(30).font()).height(), 2.0);
    EXPECT_GT(large.minSizeY(), small.minSizeY());
    EXPECT_NEAR(large.GetBaseLineOffset(), texttest::pointMetrics(sans(30).font()).ascent(), 1.0);
    CDDText one, two;
    withString(one, QStringLiteral("a"), 12);
    withString(two, QStringLiteral("a\nb"), 12);
    EXPECT_NEAR(two.getContSizeY(), 2.0 * one.getContSizeY(), 1.0);
    EXPECT_TRUE(one.GetBaseLineOffset() > 0.0 && one.GetBaseLineOffset() < one.getContSizeY());
    EXPECT_DOUBLE_EQ(one.GetBaseLineOffset(), two.GetBaseLineOffset());
}

TEST(CDDTextLayoutTest, LineOffsetFollowsTheAlignmentAndHitPointsLieOnTheGlyphs)
{
    CDDText text;
    withString(text, QStringLiteral("ab"), 12);
    EXPECT_DOUBLE_EQ(CDDText().getLineOffsetX(), 0.0);
    EXPECT_NEAR(text.getLineOffsetX(), CDDText::kLinePadding, 1e-9);
    QImage image(300, 100, QImage::Format_ARGB32);
    QPainter painter(&image);
    CDDDrawer drawer(false, &painter);
    text.SetAlignment(taRight);
    text.draw(0, 0, 200, 50, false, nullptr, &drawer, 0, nullptr, nullptr);
    EXPECT_GT(text.getLineOffsetX(), 150.0);
    CDDText empty, wide;
    EXPECT_FALSE(empty.hitPoint(1, 1));
    withString(wide, QStringLiteral("MMMM"), 20);
    EXPECT_TRUE(wide.hitPoint(10, 10));
    EXPECT_FALSE(wide.hitPoint(wide.getContSizeX() + 10, 10) || wide.hitPoint(10, wide.getContSizeY() + 10));
}

// The bounding box of the pixels that differ from white.
QRect inkOf(const QImage &image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                ink = ink.united(QRect(x, y, 1, 1));
    return ink;
}

QImage drawn(CDDText &text, double angle, bool editing = false)
{
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDDDrawer drawer(false, &painter);
    if (editing)
        text.startEditing(50, 90, 100, 20, angle);
    text.draw(50, 90, 100, 20, false, nullptr, &drawer, angle, nullptr, nullptr);
    painter.end();
    return image;
}

TEST(CDDTextLayoutTest, DrawingTurnsAboutTheFrameCentreEditingDrawsOnlyAThinFrameAndBackgroundAndOutlineAreDrawn)
{
    CDDText text;
    withString(text, QStringLiteral("MMMMMM"), 14);
    const QRect flat = inkOf(drawn(text, 0));
    const QRect turned = inkOf(drawn(text, M_PI / 2));
    ASSERT_FALSE(flat.isEmpty() || turned.isEmpty());
    EXPECT_GT(flat.width(), flat.height());
    EXPECT_GT(turned.height(), turned.width());
    EXPECT_TRUE(QRect(50, 90, 100, 20).contains(flat));
    EXPECT_TRUE(QRect(90, 50, 20, 100).contains(turned));
    CDDText edited;
    withString(edited, QStringLiteral("MMMMMM"), 14);
    const QImage image = drawn(edited, 0, true);
    // The inside of the frame stays blank: the editor shows the glyphs.
    EXPECT_TRUE(inkOf(image.copy(55, 95, 90, 10)).isEmpty());
    EXPECT_FALSE(inkOf(image).isEmpty());
    CDDText empty;
    QImage background(100, 100, QImage::Format_RGB32);
    background.fill(Qt::white);
    QPainter painter(&background);
    CDDDrawer drawer(false, &painter);
    const CDDColor red(1, 0, 0, 1), blue(0, 0, 1, 1);
    CDDPen pen;
    pen.SetWidth(2.0);
    empty.draw(10, 10, 50, 40, true, &red, &drawer, 0, &blue, &pen);
    painter.end();
    EXPECT_EQ(QList<QRgb>({background.pixel(35, 30), background.pixel(10, 30), background.pixel(80, 80)}),
              QList<QRgb>({qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)}));
}

} // namespace

namespace {

// The baseline of the first line as the document shows it, laid out in its present width.
double laidOutBaseline(const QTextDocument &document, int *lineCount)
{
    document.size(); // finishes the layout
    const QTextBlock first = document.begin();
    const QTextLayout *lines = first.layout();
    *lineCount = lines ? lines->lineCount() : 0;
    if (!lines || lines->lineCount() == 0)
        return -1.0;
    const QTextLine line = lines->lineAt(0);
    return textruns::toPoints(document.documentLayout()->blockBoundingRect(first).top() + line.y() + line.ascent());
}

} // namespace

// The first baseline is answered without laying a held text out, from the open layout: it must be
// the baseline of the lines as they will be drawn, also in a frame too narrow for the text (every
// line broken) and for characters the font may lack (taken from another font).
TEST(CDDTextLayoutTest, FirstBaselineOfAHeldTextIsThatOfItsDrawnLines)
{
    struct Case
    {
        const char *text;
        double size;
        double frame;
        double shrink;
    };
    const Case cases[] = {{"Alex Person", 12, 24, 0.8},
                          {"53703-1002 Madison WI", 9, 30, 0.6},
                          {"Widgets and Sons Consulting", 14, 400, 0.7},
                          {"\u6f22\u5b57 Tokyo \u00e9t\u00e9", 12, 26, 0.9},
                          {"\u0416\u0436 \u05d0\u05d1 x", 16, 22, 1.0},
                          {"ab cd \U0001D538\U0001D539 \u2a0c\u2b1f", 12, 22, 1.0}};
    for (const Case &item : cases) {
        SCOPED_TRACE(item.text);
        CDDText text;
        withString(text, QString::fromUtf8(item.text), item.size);
        QImage image(400, 200, QImage::Format_RGB32);
        QPainter painter(&image);
        CDDDrawer drawer(false, &painter);
        text.draw(0, 0, item.frame, 190, false, nullptr, &drawer, 0, nullptr, nullptr);
        painter.end();
        text.updateFontSizeWithKoeff(item.shrink); // held in the drawn width again
        const double answered = text.GetBaseLineOffset();
        int lines = 0;
        const double drawn = laidOutBaseline(*text.getContents(), &lines);
        EXPECT_EQ(answered, drawn);
        EXPECT_EQ(lines > 1, item.frame < 100) << lines;
    }
}

// The space after a field is asked for at every size the fit tries, over and over: each answer is
// the advance of the text in the text's present font.
TEST(CDDTextLayoutTest, SpaceSpacingFollowsTheFontThroughRestylesAndRepeats)
{
    CDDText text;
    withString(text, QStringLiteral("Madison"), 12);
    for (const double factor : {1.0, 0.75, 1.0, 2.0, 0.5}) {
        text.updateFontSizeWithKoeff(factor);
        const QFont font = textruns::fontOf(*text.GetFontAttr(), text.getContents());
        for (const QString &space : {QStringLiteral(" "), QStringLiteral("  "), QStringLiteral(" ")})
            EXPECT_NEAR(text.getSpaceXSpacing(space), texttest::pointMetrics(font).horizontalAdvance(space), 0.005) << factor;
    }
    CDDText serif;
    serif.SetFontAttr(texttest::style(QStringLiteral("DejaVuSerif-Bold"), 24), false);
    EXPECT_GT(serif.getSpaceXSpacing(QStringLiteral("  ")), text.getSpaceXSpacing(QStringLiteral("  ")));
}

// A text editor lets go of a document by taking its layout device away. The text is laid out in
// points again whatever is asked of it next, and measures and draws as before.
TEST(CDDTextLayoutTest, ADocumentLetGoByAnEditorIsLaidOutInPointsAgain)
{
    struct Query
    {
        const char *name;
        std::function<double(CDDText &)> ask;
    };
    const Query queries[] = {
        {"Width", [](CDDText &text) { return text.getContSizeX(); }},
        {"Height", [](CDDText &text) { return text.getContSizeY(); }},
        {"Baseline", [](CDDText &text) { return text.GetBaseLineOffset(); }},
        {"LineOffset", [](CDDText &text) { return text.getLineOffsetX(); }},
        {"DrawnHeight",
         [](CDDText &text) {
             QImage image(300, 100, QImage::Format_RGB32);
             QPainter painter(&image);
             CDDDrawer drawer(false, &painter);
             text.draw(0, 0, 120, 90, false, nullptr, &drawer, 0, nullptr, nullptr);
             return text.getContents()->size().height();
         }},
    };
    for (const Query &query : queries) {
        SCOPED_TRACE(query.name);
        CDDText text;
        withString(text, QStringLiteral("Wide line of text that wraps\nab"), 18);
        const double before = query.ask(text);
        text.getContents()->documentLayout()->setPaintDevice(nullptr);
        text.getContents()->setTextWidth(text.getContents()->textWidth() + 1.0); // laid out anew
        EXPECT_DOUBLE_EQ(query.ask(text), before);
    }
}

// A line is as tall as the font's own line spacing, not rounded up to a whole point: three lines
// of small type are three spacings, and an empty text is one.
TEST(CDDTextLayoutTest, LinesAreTheFontsOwnLineSpacingApart)
{
    for (const char *family : {"DejaVuSans", "Helvetica", "LiberationSans"}) {
        for (const double size : {5.0, 7.0, 8.0, 12.0}) {
            SCOPED_TRACE(std::string(family) + " " + std::to_string(size));
            QFont large = PWFont(QString::fromLatin1(family), size).toQFont();
            large.setPixelSize(1000);
            const QRawFont raw = QRawFont::fromFont(large);
            const double spacing = (raw.ascent() + raw.descent() + std::max(0.0, raw.leading())) / 1000.0 * size;
            const QTextCharFormat style = texttest::style(QString::fromLatin1(family), size);
            CDDText text;
            text.SetFontAttr(style, false);
            EXPECT_NEAR(text.getContSizeY(), spacing, spacing * 0.01);
            EXPECT_NEAR(text.minSizeY(), spacing, spacing * 0.01);
            text.setString(QStringLiteral("Ag\nAg\nAg"), &style);
            EXPECT_NEAR(text.getContSizeY(), 3.0 * spacing, spacing * 0.03);
        }
    }
}
