// Whether text read in an 8-bit encoding looks like the letters of that encoding's script: the
// evidence a guess of the encoding stands on, since every byte is some character in all of them.
#include "app/contacts/CATextEncodings.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

// Punctuation that names and addresses hold, and that may stand inside a word (O’Brien).
constexpr char16_t kPunctuation[] = {0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A5, 0x00A7, 0x00A9, 0x00AA, 0x00AB,
                                     0x00AE, 0x00B0, 0x00B2, 0x00B3, 0x00B4, 0x00B7, 0x00B9, 0x00BA, 0x00BB,
                                     0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x2013, 0x2014, 0x2018, 0x2019, 0x201C,
                                     0x201D, 0x201E, 0x2022, 0x2026, 0x20AC, 0x2116, 0x2122};
constexpr char16_t kInsideWord[] = {0x00A0, 0x00B4, 0x00B7, 0x2013, 0x2014, 0x2018, 0x2019};
constexpr char16_t kFinalSigma = 0x03C2;
// Greek letters with a dialytika, which parts a vowel from the vowel before it.
constexpr char16_t kDialytika[] = {0x0390, 0x03AA, 0x03AB, 0x03B0, 0x03CA, 0x03CB};
constexpr char16_t kGreekVowels[] = {0x0386, 0x0388, 0x0389, 0x038A, 0x038C, 0x038E, 0x038F, 0x0391, 0x0395,
                                     0x0397, 0x0399, 0x039F, 0x03A5, 0x03A9, 0x03AC, 0x03AD, 0x03AE, 0x03AF,
                                     0x03B1, 0x03B5, 0x03B7, 0x03B9, 0x03BF, 0x03C5, 0x03C9, 0x03CC, 0x03CD, 0x03CE};

template<typename Set>
bool among(char16_t c, const Set &set)
{
    return std::find(std::begin(set), std::end(set), c) != std::end(set);
}

bool isLetter(QChar c)
{
    if (c.unicode() < 0x80)
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    const QChar::Category category = c.category();
    return category == QChar::Letter_Uppercase || category == QChar::Letter_Lowercase
           || category == QChar::Letter_Titlecase;
}

// No text holds these: a control character of the upper half, a place the encoding leaves
// empty, a character of private use.
bool neverInText(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Other_NotAssigned
           || category == QChar::Other_PrivateUse || c.unicode() == 0xFFFD;
}

// A run of letters, weighed as it goes.
struct Word
{
    qsizetype ascii = 0;
    qsizetype beyondAscii = 0;
    bool latin = false;
    bool otherScript = false;
    QChar previous;

    // Latin letters and those of the other script in one word: no text writes that.
    bool mixed() const { return latin && otherScript; }
    // Cyrillic or Greek read as Latin letters are words of accented letters only.
    bool accentedOnly(QChar::Script script) const
    {
        return script == QChar::Script_Latin && ascii == 0 && beyondAscii >= 2;
    }
};

} // namespace

std::optional<QChar::Script> CATextEncodings::script(quint32 encoding)
{
    switch (encoding) {
    case kWindowsLatin1:
    case kISOLatin1:
    case kWindowsLatin2:
    case kISOLatin2:
    case kWindowsLatin5:
    case kISOLatin5:
    case kISOLatin9:
        return QChar::Script_Latin;
    case kWindowsCyrillic:
    case kISOCyrillic:
    case kKOI8R:
    case kKOI8U:
        return QChar::Script_Cyrillic;
    case kWindowsGreek:
    case kISOGreek:
        return QChar::Script_Greek;
    default:
        return std::nullopt;
    }
}

bool CATextEncodings::looksWestern(QStringView line)
{
    return looksLikeLettersOf(line, kWindowsLatin1);
}

bool CATextEncodings::looksLikeLettersOf(QStringView line, quint32 encoding)
{
    const LetterWeight weight = weighLetters(line, encoding);
    return !weight.impossible && weight.strong == 0 && weight.mild == 0 && weight.rareLetters == 0;
}

CATextEncodings::LetterWeight CATextEncodings::weighLetters(QStringView text, quint32 encoding)
{
    LetterWeight weight;
    const std::optional<QChar::Script> script = CATextEncodings::script(encoding);
    if (!script) {
        weight.impossible = true;
        return weight;
    }
    Word word;
    bool inWord = false;
    const auto endWord = [&] {
        if (!inWord)
            return;
        if (word.mixed())
            weight.impossible = true;
        else if (word.accentedOnly(*script))
            ++weight.strong;
        if (word.beyondAscii > 0)
            ++weight.items;
        inWord = false;
        word = Word();
    };
    for (qsizetype i = 0; i < text.size() && !weight.impossible; ++i) {
        const QChar c = text.at(i);
        if (isLetter(c)) {
            const QChar::Script own = c.unicode() < 0x80 ? QChar::Script_Latin : c.script();
            if (c.unicode() >= 0x80 && own != *script && own != QChar::Script_Common && own != QChar::Script_Inherited) {
                weight.impossible = true;
                break;
            }
            // A Greek capital with a dialytika opens a few words; the Cyrillic "а" read as Greek
            // is one too, so it is weighed, not ruled out.
            if (!inWord && among(c.unicode(), kDialytika))
                ++weight.rareLetters;
            if (inWord && *script != QChar::Script_Latin && c.unicode() >= 0x80) {
                // Neither script puts a capital after a small letter inside a word; Greek writes
                // its final sigma only at a word's end, and a dialytika only after a vowel (the
                // Cyrillic "а" read as Greek is "ΰ").
                if (c.isUpper() && word.previous.isLower())
                    ++weight.strong;
                if (word.previous.unicode() == kFinalSigma)
                    ++weight.strong;
                if (among(c.unicode(), kDialytika) && !among(word.previous.unicode(), kGreekVowels))
                    ++weight.strong;
            }
            inWord = true;
            (c.unicode() < 0x80 ? word.ascii : word.beyondAscii) += 1;
            if (own == QChar::Script_Latin)
                word.latin = true;
            else if (own == *script)
                word.otherScript = true;
            word.previous = c;
            continue;
        }
        endWord();
        if (c.unicode() < 0x80)
            continue;
        if (neverInText(c)) {
            weight.impossible = true;
            break;
        }
        ++weight.items;
        const bool before = i > 0 && text.at(i - 1).isLetter();
        const bool after = i + 1 < text.size() && text.at(i + 1).isLetter();
        // A sign no name or address holds: against a word it is some other letter misread.
        if (!among(c.unicode(), kPunctuation)) {
            ++((before || after) ? weight.strong : weight.mild);
            continue;
        }
        if (before && after && !among(c.unicode(), kInsideWord)) {
            ++weight.strong;
            continue;
        }
        // A currency sign stands beside a number, hardly ever against a word ("£ukasz" is a
        // Polish "Łukasz" read as Western, "€uro" a shop's name).
        if (c.category() == QChar::Symbol_Currency && (before || after))
            ++weight.mild;
    }
    if (!weight.impossible)
        endWord();
    return weight;
}
