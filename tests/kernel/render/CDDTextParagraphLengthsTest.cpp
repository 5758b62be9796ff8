// Paragraph indents, tab stops and spacing of styled text read from RTF: drawn at their size in
// points, and saved again as they were read.
#include "kernel/render/CDDText.h"

#include "kernel/render/CDDDrawer.h"
#include "platform/PWAttributedString.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWParagraphStyle.h"
#include "platform/PWRtfReader.h"
#include "platform/PWRtfd.h"

#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double kPixelsPerPoint = 4.0;

// A line of ink as drawn: its left edge and top, in points of the page.
struct InkLine
{
    double left = 0.0;
    double top = 0.0;
};

std::vector<InkLine> drawnLines(CDDText &text)
{
    QImage image(int(400 * kPixelsPerPoint), int(200 * kPixelsPerPoint), QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.scale(kPixelsPerPoint, kPixelsPerPoint);
        CDDDrawer drawer(false, &painter);
        text.draw(10.0, 10.0, 380.0, 180.0, false, nullptr, &drawer, 0.0, nullptr, nullptr);
    }
    std::vector<InkLine> lines;
    bool inLine = false;
    for (int y = 0; y < image.height(); ++y) {
        int left = -1;
        for (int x = 0; x < image.width() && left < 0; ++x)
            if (qGray(image.pixel(x, y)) < 128)
                left = x;
        if (left < 0) {
            inLine = false;
            continue;
        }
        if (!inLine)
            lines.push_back({left / kPixelsPerPoint, y / kPixelsPerPoint});
        lines.back().left = std::min(lines.back().left, left / kPixelsPerPoint);
        inLine = true;
    }
    return lines;
}

PWAttributedString rtf(const char *paragraph)
{
    const QByteArray bytes = QByteArray("{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss DejaVu Sans;}\\f0\\fs24 ") + paragraph + "}";
    QString error;
    const std::optional<PWAttributedString> text = PWRtfReader::read(bytes, &error);
    EXPECT_TRUE(text) << error.toStdString();
    return text.value_or(PWAttributedString());
}

std::vector<InkLine> drawnLines(const char *paragraph)
{
    CDDText text;
    text.setAttributedString(rtf(paragraph));
    return drawnLines(text);
}

// Two lines of one paragraph, then a second paragraph.
constexpr const char *kPlain = "\\pard Mx\\line Mx\\par Mx";

TEST(CDDTextParagraphLengthsTest, IndentsTabsAndSpacingDrawInPoints)
{
    struct Case
    {
        const char *name;
        const char *paragraph;
        // How far each line's ink stands right of, and below, the plain text's.
        double shiftX[3];
        double shiftY[3];
    };
    const Case cases[] = {
        {"head indent", "\\pard\\li720 Mx\\line Mx\\par Mx", {36, 36, 36}, {0, 0, 0}},
        {"first line indent", "\\pard\\li720\\fi-360 Mx\\line Mx\\par Mx", {18, 36, 18}, {0, 0, 0}},
        {"tab stop", "\\pard\\tx2880\\tab Mx\\line Mx\\par Mx", {144, 0, 0}, {0, 0, 0}},
        // Nothing stands before the first paragraph of a text.
        {"space before", "\\pard\\sb240 Mx\\line Mx\\par Mx", {0, 0, 0}, {0, 0, 12}},
        {"space after", "\\pard\\sa360 Mx\\line Mx\\par Mx", {0, 0, 0}, {0, 0, 18}},
    };
    const std::vector<InkLine> plain = drawnLines(kPlain);
    ASSERT_EQ(plain.size(), 3u);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<InkLine> lines = drawnLines(c.paragraph);
        ASSERT_EQ(lines.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(lines[i].left - plain[i].left, c.shiftX[i], 0.5) << "line " << i;
            EXPECT_NEAR(lines[i].top - plain[i].top, c.shiftY[i], 0.5) << "line " << i;
        }
    }
}

TEST(CDDTextParagraphLengthsTest, SpacingSetOnTheTextDrawsInPoints)
{
    CDDText plain;
    plain.setAttributedString(rtf(kPlain));
    const std::vector<InkLine> before = drawnLines(plain);
    CDDText spaced;
    spaced.setAttributedString(rtf(kPlain));
    spaced.SetSpacingLine(6.0f);
    spaced.SetSpacingBeforeParagraph(10.0f);
    const std::vector<InkLine> after = drawnLines(spaced);
    ASSERT_EQ(before.size(), 3u);
    ASSERT_EQ(after.size(), 3u);
    // Each line stands the line spacing lower than the one before it; the second paragraph the
    // spacing before it lower too.
    EXPECT_NEAR((after[1].top - after[0].top) - (before[1].top - before[0].top), 6.0, 0.5);
    EXPECT_NEAR((after[2].top - after[1].top) - (before[2].top - before[1].top), 6.0 + 10.0, 0.5);
    EXPECT_FLOAT_EQ(spaced.GetSpacingLine(), 6.0f);
    EXPECT_FLOAT_EQ(spaced.GetSpacingBeforeParagraph(), 10.0f);
}

// Lengths that are no whole number of the layout's units, in every paragraph setting a file
// may carry: the text gives back the very values it was given.
TEST(CDDTextParagraphLengthsTest, ATextSavesTheParagraphValuesItRead)
{
    const PWAttributedString read = rtf("\\pard\\li333\\fi-111\\ri77\\sb101\\sa59\\tx1000\\tqr\\tx2001 a\\tab b\\par "
                                        "\\pard\\qc\\sb7 c");
    CDDText text;
    text.setAttributedString(read);
    const PWAttributedString saved = text.getAttributedString();
    ASSERT_EQ(saved.string(), read.string());
    for (qsizetype i : {qsizetype(0), read.string().size() - 1}) {
        const PWParagraphStyle expected = PWParagraphStyle::fromBlockFormat(read.blockFormatAt(i));
        const PWParagraphStyle got = PWParagraphStyle::fromBlockFormat(saved.blockFormatAt(i));
        EXPECT_EQ(got.headIndent, expected.headIndent) << i;
        EXPECT_EQ(got.firstLineHeadIndent, expected.firstLineHeadIndent) << i;
        EXPECT_EQ(got.tailIndent, expected.tailIndent) << i;
        EXPECT_EQ(got.paragraphSpacingBefore, expected.paragraphSpacingBefore) << i;
        EXPECT_EQ(got.paragraphSpacing, expected.paragraphSpacing) << i;
        EXPECT_EQ(got.tabStops, expected.tabStops) << i;
        EXPECT_EQ(got, expected) << i;
    }
    EXPECT_EQ(PWRtfd::data(saved), PWRtfd::data(read));
    EXPECT_EQ(PWKeyedArchiver::archivedData(saved, PWKeyedArchiver::StringClass::TextStorage),
              PWKeyedArchiver::archivedData(read, PWKeyedArchiver::StringClass::TextStorage));
    // A copy of the text, and its copy, still say the same.
    CDDText copy;
    copy.copy(&text);
    EXPECT_EQ(PWRtfd::data(copy.getAttributedString()), PWRtfd::data(read));
}

} // namespace
