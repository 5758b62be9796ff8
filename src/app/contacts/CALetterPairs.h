#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// How the languages whose names and addresses 8-bit contacts files hold spell: how often each
// letter follows another, starts a word or ends one, measured on real text of each language (the
// bundle's "LetterPairs.txt"). It weighs a reading of a file by how likely its words are in the
// languages that could have written it: "ř" after "o" is common in Czech, "ø" after "o" and
// before "á" in no language. Letters are compared folded (small, the Greek final sigma as sigma).
class CALetterPairs
{
public:
    // The bundle's table, read once; empty (no language) when it is missing or damaged, which
    // the log says.
    static const CALetterPairs &shared();
    // A table of lines "CODE SCRIPT PAIR:COUNT ..." ("#" starts a comment); nothing, with the
    // reason, for one that does not read.
    static std::optional<CALetterPairs> fromText(const QByteArray &text, QString *error = nullptr);

    qsizetype languageCount() const { return qsizetype(m_languages.size()); }
    QString code(qsizetype language) const { return m_languages.at(std::size_t(language)).code; }
    QChar::Script script(qsizetype language) const { return m_languages.at(std::size_t(language)).script; }
    // The letters the language writes, folded: each at least one in 2,000 of its letters.
    QString letters(qsizetype language) const { return m_languages.at(std::size_t(language)).letters; }
    std::optional<qsizetype> language(QStringView code) const;

    static QChar fold(QChar c);

    // The languages of the script that the characters hold every letter of (an 8-bit code page's
    // characters: the languages it can write).
    QList<qsizetype> languagesWrittenWith(QChar::Script script, QStringView characters) const;

    struct Weight
    {
        // The natural logarithm of the likelihood of the words that hold a character beyond ASCII
        // (at most kMostWords of them), in the language given that makes them likeliest, where a
        // word unlikely in it may be of another of them at a cost: a list of one language's names
        // holds a few of others.
        double logLikelihood = 0;
        qsizetype language = -1;
        qsizetype words = 0;
    };
    // Nothing without a language. Words are runs of ASCII letters and characters beyond ASCII;
    // a character beyond ASCII that is no letter stands as a sign no word wants.
    std::optional<Weight> weigh(QStringView text, const QList<qsizetype> &languages) const;
    static constexpr qsizetype kMostWords = 4000;

private:
    struct Script
    {
        QChar::Script script = QChar::Script_Unknown;
        QString alphabet; // index 0 a word's start or end, then every letter of the script's languages
    };
    struct Language
    {
        QString code;
        QChar::Script script = QChar::Script_Unknown;
        QString letters;
        // log P(next | letter) over the script's alphabet, one row per letter, and a last row and
        // column for a letter none of the script's languages writes.
        std::vector<float> logNext;
    };
    const Script *scriptTable(QChar::Script script) const;

    std::vector<Script> m_scripts;
    std::vector<Language> m_languages;
};
