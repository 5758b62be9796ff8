// A text drawn for a job names the letters that no installed font holds, each once, however many
// runs and families of the text ask for it.
#include "kernel/render/CDDText.h"

#include "TextTestSupport.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWAttributedString.h"
#include "platform/PWJobReport.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <span>

using namespace Qt::StringLiterals;

namespace {

// Letters that neither family of the test's runs holds, nor any font the system falls back on
// for them, asked of the installed fonts: a desktop may hold the common ideographs, and then the
// search goes on to scripts few fonts cover. Letters of the basic plane or beyond it, as asked.
QString lettersNoFontHolds(qsizetype count, bool beyondBasicPlane)
{
    const QFont sans = PWFont(u"DejaVuSans"_s, 12.0).toQFont();
    const QFont serif = PWFont(u"DejaVuSerif"_s, 12.0).toQFont();
    static const std::pair<char32_t, char32_t> kBasic[] = {
        {0x4E00, 0x9FFF}, {0xA000, 0xA48C}, {0x3400, 0x4DBF}, {0xA500, 0xA62B}, {0xAC00, 0xD7A3}};
    static const std::pair<char32_t, char32_t> kBeyond[] = {
        {0xF0000, 0xF00FF}, {0x17000, 0x187F7}, {0x1B170, 0x1B2FB}, {0x20000, 0x2A6DF}, {0x100000, 0x1000FF}};
    QString found;
    qsizetype letters = 0;
    for (const auto &[first, last] : beyondBasicPlane ? std::span(kBeyond) : std::span(kBasic)) {
        for (char32_t code = first; code <= last && letters < count; ++code) {
            if (QFontMetricsF(sans).inFontUcs4(code) || QFontMetricsF(serif).inFontUcs4(code))
                continue;
            found += QString::fromUcs4(&code, 1);
            ++letters;
        }
    }
    return letters == count ? found : QString();
}

// A letter as the job's line names it.
QString letterAsNamed(const QString &letter)
{
    return u"%1 (U+%2)"_s.arg(letter, QString::number(letter.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0'));
}

TEST(CDDTextMissingLettersTest, EachLetterNoFontHoldsIsNamedOnceForItsText)
{
    // Every font holds the Latin letters, and spaces, tabs and marks of format draw nothing to
    // lack; the lacking letters are found among the installed fonts' gaps.
    const QString lacking = lettersNoFontHolds(7, false);
    const QString beyond = lettersNoFontHolds(1, true);
    if (lacking.isEmpty() || beyond.isEmpty())
        GTEST_SKIP() << "the installed fonts hold every letter the test looks for";
    QStringList seven;
    for (const uint code : lacking.toUcs4())
        seven.append(QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1));
    const QString &one = seven[0];
    const struct
    {
        const char *name;
        QStringList runs; // alternately in a sans and a serif family
        QString named;    // the letters the job's line names; empty for no line
    } cases[] = {
        {"held letters, spaces and format marks", {u"Ann\tAbbott\u200B"_s, u" Springfield"_s}, QString()},
        {"a lacking letter repeated in one run", {u"a"_s + one + u"b"_s + one}, letterAsNamed(one)},
        {"a letter outside the basic plane", {u"x"_s + beyond + u"y"_s}, letterAsNamed(beyond)},
        {"one lacking letter in runs of two families", {one + u"a"_s, u"b"_s + one}, letterAsNamed(one)},
        {"more letters than a line names",
         {seven.mid(0, 3).join(QString()), seven.mid(3).join(QString())},
         letterAsNamed(seven[0]) + u", "_s + letterAsNamed(seven[1]) + u", "_s + letterAsNamed(seven[2]) + u", "_s + letterAsNamed(seven[3]) + u", "_s
             + letterAsNamed(seven[4]) + u", 2 more"_s},
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
