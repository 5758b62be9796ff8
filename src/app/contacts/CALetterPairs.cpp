#include "app/contacts/CALetterPairs.h"

#include "app/contacts/CAContactsLog.h"
#include "platform/PWBundle.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr QChar kBoundary = u'_';
constexpr qsizetype kMostLanguages = 200;
constexpr qsizetype kMostPairs = 20000;
constexpr qsizetype kMostLetters = 300;
// A pair the text of a language never showed is as likely as its second letter is in the
// language, weighed as this many pairs after the first letter.
constexpr double kUnseenWeight = 500;
// No letter is rarer than this, not even one its language never writes: names come from
// everywhere.
constexpr double kRarestLetter = 1e-6;
// A letter among one in 2,000 of a language's letters is one it writes.
constexpr double kWrittenLetter = 1.0 / 2000;
// A sign beyond ASCII in a word, a small letter before a capital beyond ASCII: a misread letter
// far more often than not. Quotes, apostrophes, dashes, the middle dot and the ordinal signs ("Nº")
// hug words; any other sign against a letter ("©afaříkova" is "Šafaříkova" read in the wrong
// Latin 2) hardly ever does.
const double kLogSign = std::log(1e-3);
const double kLogSignAgainstALetter = std::log(1e-6);
const double kLogOddCase = std::log(1e-3);
constexpr char16_t kHuggingSigns[] = {0x00A0, 0x00AA, 0x00AB, 0x00BA, 0x00B4, 0x00B7, 0x00BB, 0x2013, 0x2014,
                                      0x2018, 0x2019, 0x201A, 0x201C, 0x201D, 0x201E, 0x2039, 0x203A};
// The share of words of other languages in a list of one language's names.
constexpr double kOtherLanguages = 0.05;

std::optional<QChar::Script> scriptNamed(QStringView name)
{
    if (name == u"Latn")
        return QChar::Script_Latin;
    if (name == u"Cyrl")
        return QChar::Script_Cyrillic;
    if (name == u"Grek")
        return QChar::Script_Greek;
    return std::nullopt;
}

bool isWordLetter(QChar c)
{
    if (c.unicode() < 0x80)
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    const QChar::Category category = c.category();
    return category == QChar::Letter_Uppercase || category == QChar::Letter_Lowercase
        || category == QChar::Letter_Titlecase;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QChar CALetterPairs::fold(QChar c)
{
    // The Turkish dotted capital I, whose small form Unicode spells with two characters.
    if (c.unicode() == 0x0130)
        return QChar(u'i');
    const QChar small = c.toLower();
    switch (small.unicode()) {
    case 0x03C2: // final sigma
        return QChar(0x03C3);
    case 0x0219: // s and t with a comma below, which 8-bit code pages write with a cedilla
        return QChar(0x015F);
    case 0x021B:
        return QChar(0x0163);
    default:
        return small;
    }
}

const CALetterPairs &CALetterPairs::shared()
{
    static const CALetterPairs pairs = [] {
        QString error;
        const QByteArray bytes = PWBundle::mainBundle().resourceData(u"LetterPairs"_s, u"txt"_s);
        if (bytes.isEmpty())
            error = u"the resource \"LetterPairs.txt\" is missing"_s;
        else if (std::optional<CALetterPairs> read = fromText(bytes, &error))
            return *read;
        qCCritical(lcContacts).noquote() << "8-bit encodings are weighed without the spelling of languages:" << error;
        return CALetterPairs();
    }();
    return pairs;
}

std::optional<CALetterPairs> CALetterPairs::fromText(const QByteArray &text, QString *error)
{
    struct Counted
    {
        QString code;
        QChar::Script script;
        QHash<quint32, double> pairs;
    };
    std::vector<Counted> counted;
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QString line = lines.at(number).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QList<QStringView> fields = QStringView(line).split(u' ', Qt::SkipEmptyParts);
        const std::optional<QChar::Script> script = fields.size() >= 3 ? scriptNamed(fields.at(1)) : std::nullopt;
        if (!script || fields.size() - 2 > kMostPairs || qsizetype(counted.size()) >= kMostLanguages) {
            setError(error, u"line %1 is no language's pairs"_s.arg(number + 1));
            return std::nullopt;
        }
        Counted language {fields.at(0).toString(), *script, {}};
        for (qsizetype i = 2; i < fields.size(); ++i) {
            const QStringView entry = fields.at(i);
            bool ok = false;
            const qlonglong count = entry.size() > 3 && entry.at(2) == u':' ? entry.sliced(3).toLongLong(&ok) : 0;
            const bool letters = ok && std::all_of(entry.cbegin(), entry.cbegin() + 2, [](QChar c) {
                                     return c == kBoundary || (isWordLetter(c) && CALetterPairs::fold(c) == c);
                                 });
            if (!letters || count <= 0 || count > 100000000) {
                setError(
                    error,
                    u"line %1 holds \"%2\", which is no pair of letters and its count"_s.arg(number + 1).arg(entry));
                return std::nullopt;
            }
            language.pairs[quint32(entry.at(0).unicode()) << 16 | entry.at(1).unicode()] += double(count);
        }
        counted.push_back(std::move(language));
    }
    if (counted.empty()) {
        setError(error, u"it names no language"_s);
        return std::nullopt;
    }

    CALetterPairs table;
    for (const Counted &language : counted) {
        auto script = std::find_if(table.m_scripts.begin(), table.m_scripts.end(),
                                   [&](const Script &known) { return known.script == language.script; });
        if (script == table.m_scripts.end()) {
            table.m_scripts.push_back({language.script, QString(kBoundary)});
            script = table.m_scripts.end() - 1;
        }
        for (auto it = language.pairs.cbegin(); it != language.pairs.cend(); ++it) {
            for (const QChar c : {QChar(char16_t(it.key() >> 16)), QChar(char16_t(it.key() & 0xFFFF))}) {
                if (!script->alphabet.contains(c))
                    script->alphabet.append(c);
            }
        }
        if (script->alphabet.size() > kMostLetters) {
            setError(error, u"it holds more than %1 letters of one script"_s.arg(kMostLetters));
            return std::nullopt;
        }
    }
    for (const Counted &counts : counted) {
        const Script &script = *table.scriptTable(counts.script);
        const qsizetype size = script.alphabet.size() + 1;
        std::vector<double> after(std::size_t(size), 0.0);
        std::vector<double> seen(std::size_t(size), 0.0);
        double total = 0;
        for (auto it = counts.pairs.cbegin(); it != counts.pairs.cend(); ++it) {
            after[std::size_t(script.alphabet.indexOf(QChar(char16_t(it.key() >> 16))))] += it.value();
            seen[std::size_t(script.alphabet.indexOf(QChar(char16_t(it.key() & 0xFFFF))))] += it.value();
            total += it.value();
        }
        Language language {counts.code, counts.script, QString(), std::vector<float>(std::size_t(size * size))};
        const double letters = total - seen[0];
        for (qsizetype b = 1; b + 1 < size; ++b) {
            if (letters > 0 && seen[std::size_t(b)] / letters >= kWrittenLetter)
                language.letters.append(script.alphabet.at(b));
        }
        for (qsizetype a = 0; a < size; ++a) {
            for (qsizetype b = 0; b < size; ++b) {
                const double alone = std::max((seen[std::size_t(b)] + 0.5) / (total + 50), kRarestLetter);
                const double pair = a + 1 < size && b + 1 < size
                    ? counts.pairs.value(quint32(script.alphabet.at(a).unicode()) << 16
                                         | script.alphabet.at(b).unicode())
                    : 0.0;
                language.logNext[std::size_t(a * size + b)] =
                    float(std::log((pair + kUnseenWeight * alone) / (after[std::size_t(a)] + kUnseenWeight)));
            }
        }
        table.m_languages.push_back(std::move(language));
    }
    return table;
}

const CALetterPairs::Script *CALetterPairs::scriptTable(QChar::Script script) const
{
    for (const Script &known : m_scripts) {
        if (known.script == script)
            return &known;
    }
    return nullptr;
}

std::optional<qsizetype> CALetterPairs::language(QStringView code) const
{
    for (std::size_t i = 0; i < m_languages.size(); ++i) {
        if (m_languages[i].code == code)
            return qsizetype(i);
    }
    return std::nullopt;
}

QList<qsizetype> CALetterPairs::languagesWrittenWith(QChar::Script script, QStringView characters) const
{
    QString held;
    for (const QChar c : characters)
        held.append(fold(c));
    QList<qsizetype> written;
    for (std::size_t i = 0; i < m_languages.size(); ++i) {
        const Language &language = m_languages[i];
        if (language.script == script && std::all_of(language.letters.cbegin(), language.letters.cend(), [&](QChar c) {
                return held.contains(c);
            }))
            written.append(qsizetype(i));
    }
    return written;
}

std::optional<CALetterPairs::Weight> CALetterPairs::weigh(QStringView text, const QList<qsizetype> &languages) const
{
    if (languages.isEmpty())
        return std::nullopt;
    const QChar::Script script = m_languages.at(std::size_t(languages.first())).script;
    const Script *table = scriptTable(script);
    QList<const Language *> weighed;
    for (const qsizetype language : languages) {
        if (m_languages.at(std::size_t(language)).script == script)
            weighed.append(&m_languages.at(std::size_t(language)));
    }
    const qsizetype size = table->alphabet.size() + 1;
    QHash<QChar, int> index;
    for (qsizetype i = 0; i < table->alphabet.size(); ++i)
        index.insert(table->alphabet.at(i), int(i));

    Weight weight;
    std::vector<double> totals(std::size_t(weighed.size()), 0.0);
    std::vector<double> scores(std::size_t(weighed.size()), 0.0);
    // A word as indices into the alphabet, or a sign.
    constexpr int kHuggingSign = -1;
    constexpr int kLoneSign = -2;
    QVarLengthArray<int, 64> word;
    qsizetype oddCase = 0;
    bool beyondAscii = false;
    const auto weighWord = [&] {
        if (word.isEmpty() || !beyondAscii)
            return;
        ++weight.words;
        double best = -std::numeric_limits<double>::infinity();
        for (qsizetype l = 0; l < weighed.size(); ++l) {
            const std::vector<float> &logNext = weighed.at(l)->logNext;
            double score = double(oddCase) * kLogOddCase;
            qsizetype previous = 0;
            for (qsizetype i = 0; i < word.size(); ++i) {
                const int letter = word[i];
                if (letter < 0) {
                    const bool against = letter == kLoneSign
                        && ((i > 0 && word[i - 1] >= 0) || (i + 1 < word.size() && word[i + 1] >= 0));
                    score += (previous == 0 ? 0.0 : logNext[std::size_t(previous * size)])
                        + (against ? kLogSignAgainstALetter : kLogSign);
                    previous = 0;
                } else {
                    score += logNext[std::size_t(previous * size + letter)];
                    previous = letter;
                }
            }
            if (previous != 0)
                score += logNext[std::size_t(previous * size)];
            scores[std::size_t(l)] = score;
            best = std::max(best, score);
        }
        for (qsizetype l = 0; l < weighed.size(); ++l) {
            const double score = scores[std::size_t(l)];
            totals[std::size_t(l)] +=
                score + std::log((1 - kOtherLanguages) + kOtherLanguages * std::exp(best - score));
        }
    };
    QChar previous;
    for (qsizetype i = 0; i <= text.size() && weight.words < kMostWords; ++i) {
        const QChar c = i < text.size() ? text.at(i) : QChar(u' ');
        const bool inWord = c.unicode() >= 0x80 || isWordLetter(c);
        if (!inWord) {
            weighWord();
            word.clear();
            oddCase = 0;
            beyondAscii = false;
            previous = QChar();
            continue;
        }
        beyondAscii = beyondAscii || c.unicode() >= 0x80;
        if (!isWordLetter(c)) {
            const bool hugs =
                std::find(std::begin(kHuggingSigns), std::end(kHuggingSigns), c.unicode()) != std::end(kHuggingSigns);
            word.append(hugs ? kHuggingSign : kLoneSign);
            previous = QChar();
            continue;
        }
        if (!previous.isNull() && previous.isLower() && c.isUpper()
            && (previous.unicode() >= 0x80 || c.unicode() >= 0x80))
            ++oddCase;
        word.append(index.value(fold(c), int(size - 1)));
        previous = c;
    }
    const auto best = std::max_element(totals.cbegin(), totals.cend());
    weight.logLikelihood = *best;
    weight.language = qsizetype(weighed.at(best - totals.cbegin()) - m_languages.data());
    return weight;
}
