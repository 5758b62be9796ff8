// A long styled text read from a design: its document changes, and so is laid out, as often for
// two thousand paragraphs as for ten. A document laid out again after each paragraph takes time
// growing with the square of its length.
#include "kernel/render/CDDArchiveText.h"
#include "kernel/render/CDDText.h"
#include "kernel/render/CDDTextRuns.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"
#include "platform/PWKeyedArchiver.h"

#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

// Changes of the document while a text of `lines` spaced and alternately centred paragraphs is read.
int changesWhileReading(int lines)
{
    QTextCharFormat style;
    PWFont(QStringLiteral("Helvetica"), 12.0).applyTo(&style);
    QTextBlockFormat spaced;
    spaced.setBottomMargin(4.0);
    QTextBlockFormat centred = spaced;
    centred.setAlignment(Qt::AlignHCenter);
    PWAttributedString text;
    for (int line = 0; line < lines; ++line)
        text.append(QStringLiteral("Line %1\n").arg(line), style, line % 2 ? centred : spaced);
    CDDArchive archive(true);
    archive.store(key_TextStorage2, PWPlist::fromData(
                                        PWKeyedArchiver::archivedData(text, PWKeyedArchiver::StringClass::TextStorage)));
    archive.setStoring(false);

    CDDText read;
    int changes = 0;
    QObject::connect(read.getContents(), &QTextDocument::contentsChange, [&changes](int, int, int) { ++changes; });
    EXPECT_TRUE(archiveGetText(archive, key_TextStorage2, read));
    EXPECT_EQ(read.getContents()->blockCount(), lines + 1);
    return changes;
}

TEST(CDDTextLongReadTest, ALongTextChangesItsDocumentAsOftenAsAShortOne)
{
    const int few = changesWhileReading(10);
    EXPECT_GT(few, 0);
    EXPECT_EQ(changesWhileReading(2000), few);
}

// A text taller than any layout Qt's positions hold: a million points and more of 400-point
// lines. Its lines past the layout measure nothing, neither wrapping its height around to below
// nothing nor back over its first lines.
TEST(CDDTextLongReadTest, ATextTallerThanTheLayoutMeasuresAsTallAsTheLayoutHolds)
{
    const auto heightOf = [](int lines) {
        QTextCharFormat style;
        PWFont(QStringLiteral("Helvetica"), 400.0).applyTo(&style);
        PWAttributedString text;
        for (int line = 0; line < lines; ++line)
            text.append(QStringLiteral("%1\n").arg(line), style);
        CDDText read;
        read.setAttributedString(text);
        return read.getContSizeY();
    };
    const double tallest = textruns::toPoints(textruns::kLayoutPageHeight);
    const double within = heightOf(1000);
    ASSERT_GT(within, 0.0);
    ASSERT_LT(within, tallest);
    const struct
    {
        int lines;
    } cases[] = {{3000}, {6000}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lines);
        const double height = heightOf(c.lines);
        EXPECT_GT(height, within);
        EXPECT_LE(height, tallest + 1.0);
    }
}

} // namespace
