// A text drawn for a job names the letters that no installed font holds, each once, however many
// runs and families of the text ask for it.
#include "kernel/render/CDDText.h"

#include "TextTestSupport.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWAttributedString.h"
#include "platform/PWJobReport.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(CDDTextMissingLettersTest, EachLetterNoFontHoldsIsNamedOnceForItsText)
{
    // No installed font holds a CJK ideograph or a letter of the supplementary private use area
    // (written as a surrogate pair); every font holds the Latin letters, and spaces, tabs and
    // marks of format draw nothing to lack.
    const struct
    {
        const char *name;
        QStringList runs; // alternately in a sans and a serif family
        QString named;    // the letters the job's line names; empty for no line
    } cases[] = {
        {"held letters, spaces and format marks", {u"Ann\tAbbott\u200B"_s, u" Springfield"_s}, QString()},
        {"a lacking letter repeated in one run", {u"a\u4E00b\u4E00"_s}, u"\u4E00 (U+4E00)"_s},
        {"a letter outside the basic plane", {u"x\U000F0000y"_s}, u"\U000F0000 (U+F0000)"_s},
        {"one lacking letter in runs of two families", {u"\u4E00a"_s, u"b\u4E00"_s}, u"\u4E00 (U+4E00)"_s},
        {"more letters than a line names",
         {u"\u4E00\u4E8C\u4E09"_s, u"\u56DB\u4E94\u516D\u4E03"_s},
         u"\u4E00 (U+4E00), \u4E8C (U+4E8C), \u4E09 (U+4E09), \u56DB (U+56DB), \u4E94 (U+4E94), 2 more"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PWAttributedString string;
        for (qsizetype i = 0; i < c.runs.size(); ++i)
            string.append(c.runs[i], i % 2 ? texttest::style(u"DejaVuSerif"_s, 12.0) : texttest::sans(12.0));
        CDDText text;
        text.setAttributedString(string);
        const PWJobReport report;
        QImage image(400, 60, QImage::Format_RGB32);
        QPainter painter(&image);
        CDDDrawer drawer(false, &painter);
        text.draw(0, 0, 400, 60, false, nullptr, &drawer, 0, nullptr, nullptr);
        painter.end();
        const QStringList lines = report.lines(PWJobReport::Kind::MissingLetters);
        if (c.named.isEmpty()) {
            EXPECT_TRUE(lines.isEmpty()) << qPrintable(lines.join(u'\n'));
            continue;
        }
        ASSERT_EQ(lines.size(), 1) << qPrintable(lines.join(u'\n'));
        EXPECT_TRUE(lines.front().startsWith(u"the letters "_s + c.named + u" of \""_s)) << qPrintable(lines.front());
    }
}

} // namespace
