// Text printed into a PDF is found by the letters it was written with: no two letters share a
// ligature's glyph, whose character ("ﬁ") a search for the word does not match; kerning and
// spacing stay as they were.
#include "kernel/render/CDDText.h"

#include "TextTestSupport.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWAttributedString.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>

#include <poppler-qt6.h>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

const QString kWords = u"Springfield Buffalo Office AVA Tower"_s;

struct Word
{
    QString text;
    std::vector<double> lefts; // the left edge of each character, in points
};

// The words of a one-page PDF of the text, as a reader finds them.
std::vector<Word> printedWords(CDDText &text)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(72);
        QPainter painter(&pdf);
        CDDDrawer drawer(false, &painter);
        text.draw(20.0, 20.0, 500.0, 60.0, false, nullptr, &drawer, 0.0, nullptr, nullptr);
    }
    std::vector<Word> words;
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(buffer.data());
    if (!document || document->numPages() != 1)
        return words;
    for (const std::unique_ptr<Poppler::TextBox> &box : document->page(0)->textList()) {
        Word word {box->text(), {}};
        for (qsizetype i = 0; i < word.text.size(); ++i)
            word.lefts.push_back(box->charBoundingBox(int(i)).left());
        words.push_back(std::move(word));
    }
    return words;
}

// How many letters a character stands for: three or two for the Latin ligatures, else one.
int lettersOf(QChar c)
{
    switch (c.unicode()) {
    case 0xFB03:
    case 0xFB04:
        return 3;
    case 0xFB00:
    case 0xFB01:
    case 0xFB02:
        return 2;
    default:
        return 1;
    }
}

TEST(CDDTextLigatures, PrintedWordsAreFoundAsWrittenWithTheirGlyphsInPlace)
{
    QTextDocument written;
    texttest::appendRun(&written, kWords, texttest::sans(12));
    CDDText text;
    text.setAttributedString(PWAttributedString::fromDocument(&written));
    const std::vector<Word> printed = printedWords(text);

    // The same text as the toolkit draws it by default, ligatures and all.
    QTextCursor all(text.getContents());
    all.select(QTextCursor::Document);
    QTextCharFormat ligated;
    ligated.setFontLetterSpacingType(QFont::PercentageSpacing);
    ligated.setFontLetterSpacing(0.0);
    all.mergeCharFormat(ligated);
    const std::vector<Word> before = printedWords(text);

    QStringList found, foundBefore;
    for (const Word &word : printed)
        found << word.text;
    for (const Word &word : before)
        foundBefore << word.text;
    EXPECT_EQ(found, kWords.split(u' '));
    // The comparison is with ligatures indeed.
    ASSERT_EQ(foundBefore.size(), found.size()) << foundBefore.join(u' ').toStdString();
    ASSERT_NE(foundBefore, found);

    // Each ligature before a word on its line may move the word by that fraction of a point.
    int ligaturesBefore = 0;
    for (std::size_t w = 0; w < printed.size() && w < before.size(); ++w) {
        const Word &now = printed[w];
        const Word &then = before[w];
        SCOPED_TRACE(now.text.toStdString());
        // Letter by letter, against the glyph the letter was part of. Up to the first ligature
        // every glyph keeps its place relative to the word's first; past one, it moves by no
        // more than the ligature's width differs from its letters' (a fraction of a point),
        // far less than a kerned pair or any spacing would move it.
        qsizetype letter = 0;
        bool pastLigature = false;
        for (qsizetype c = 0; c < then.text.size() && letter < now.text.size(); ++c) {
            const double shift = (now.lefts[letter] - now.lefts[0]) - (then.lefts[c] - then.lefts[0]);
            EXPECT_NEAR(shift, 0.0, pastLigature ? 0.25 : 0.02) << "letter " << letter;
            pastLigature = pastLigature || lettersOf(then.text[c]) > 1;
            letter += lettersOf(then.text[c]);
        }
        EXPECT_EQ(letter, now.text.size());
        EXPECT_NEAR(now.lefts[0], then.lefts[0], 0.02 + 0.25 * ligaturesBefore);
        for (const QChar c : then.text)
            ligaturesBefore += lettersOf(c) > 1 ? 1 : 0;
    }
}

} // namespace
