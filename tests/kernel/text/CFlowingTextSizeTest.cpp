// Flowing text (a text block) and circle text print at the size their styles give them, as plain
// texts do: written into a PDF of 600 dots per inch, the font size the page shows the text at, and
// drawn into a bitmap of the same resolution, the height of the block's capitals.
#include "PrintedTextSupport.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/render/CCircleText.h"
#include "kernel/text/CDDTextBlock.h"
#include "platform/PWFont.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace Qt::StringLiterals;

constexpr double kResolution = 600.0;

enum class Flow { Block, Circle };

struct FlowCase
{
    const char *name;
    Flow flow;
    double size;
};

QTextCharFormat helvetica(double size)
{
    QTextCharFormat format;
    PWFont(u"Helvetica"_s, size).applyTo(&format);
    return format;
}

// What draw paints on a 300 x 200 point page, as a PDF and as a bitmap of kResolution.
std::pair<QByteArray, QImage> printed(const std::function<void(QPainter &)> &draw)
{
    const double scale = kResolution / 72.0;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(int(kResolution));
        writer.setPageSize(QPageSize(QSize(300, 200), QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        painter.scale(scale, scale);
        draw(painter);
    }
    QImage bitmap(QSize(300, 200) * scale, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::white);
    {
        QPainter painter(&bitmap);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        draw(painter);
    }
    return {buffer.data(), bitmap};
}

TEST(CFlowingTextSizeTest, FlowingAndCircleTextPrintAtTheirSize)
{
    const FlowCase cases[] = {
        {"Block6", Flow::Block, 6.0},   {"Block8", Flow::Block, 8.0},   {"Block12", Flow::Block, 12.0},
        {"Block24", Flow::Block, 24.0}, {"Circle6", Flow::Circle, 6.0}, {"Circle8", Flow::Circle, 8.0},
        {"Circle12", Flow::Circle, 12.0}, {"Circle24", Flow::Circle, 24.0},
    };
    const double capital = printedtext::capitalHeight(PWFont(u"Helvetica"_s, 100.0).toQFont());
    ASSERT_GT(capital, 0.5);
    for (const FlowCase &row : cases) {
        SCOPED_TRACE(row.name);
        CDDTextBlock block;
        block.setLayoutManager(nullptr, 0);
        QTextDocument circle;
        QTextDocument *storage = row.flow == Flow::Block ? block.getContents() : &circle;
        QTextCursor(storage).insertText(u"HHH HH"_s, helvetica(row.size));
        const auto [pdf, bitmap] = printed([&](QPainter &painter) {
            if (row.flow == Flow::Block) {
                CDDDrawer drawer(false, &painter);
                block.draw(10.0, 10.0, 240.0, 150.0, false, false, nullptr, taLeft, &drawer, 0.0, nullptr, nullptr);
            } else {
                std::vector<FTAGlyphLocation> glyphs;
                CCircleText::doDrawCircleText(&painter, false, &circle, nullptr, 80.0, 80.0, 0.0, QPointF(150.0, 100.0), 0.0,
                                              false, false, 0, glyphs);
            }
        });
        const std::vector<double> sizes = printedtext::shownTextSizes(pdf);
        ASSERT_FALSE(sizes.empty());
        for (const double shown : sizes)
            EXPECT_NEAR(shown, row.size, row.size * 0.01);
        // The circle's letters stand turned along it; only the block's stand upright.
        if (row.flow == Flow::Block) {
            const double expected = capital * row.size * kResolution / 72.0;
            EXPECT_NEAR(printedtext::firstLineInkHeight(bitmap), expected, expected * 0.01);
        }
    }
}

} // namespace
