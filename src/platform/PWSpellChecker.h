#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

class Hunspell;

// The spell checker texts share: Hunspell with the dictionary of one language, read from the
// first folder that holds its ".aff" and ".dic" files. Without a dictionary every word counts as
// spelled right, and isAvailable() says so. Safe to use from several threads.
class PWSpellChecker
{
public:
    // Where Debian's dictionary packages put their files.
    static QStringList defaultFolders();
    // The checker of "en_US" from the default folders, made on first use.
    static PWSpellChecker &sharedSpellChecker();

    explicit PWSpellChecker(const QString &language = QStringLiteral("en_US"),
                            const QStringList &folders = defaultFolders());
    ~PWSpellChecker();
    PWSpellChecker(const PWSpellChecker &) = delete;
    PWSpellChecker &operator=(const PWSpellChecker &) = delete;

    bool isAvailable() const { return m_hunspell != nullptr; }
    bool isCorrect(const QString &word) const;

    struct Misspelling
    {
        qsizetype location = -1; // -1: none found
        qsizetype length = 0;
        bool wrapped = false; // found before start, the search having come round
    };
    // The first misspelled word that begins at or after start; with wrap, the search then goes
    // on once from the start of the text up to start. Words with digits are never misspelled.
    Misspelling checkSpellingOfString(const QString &text, qsizetype start, bool wrap) const;

private:
    std::unique_ptr<Hunspell> m_hunspell;
    mutable std::mutex m_mutex;
};
