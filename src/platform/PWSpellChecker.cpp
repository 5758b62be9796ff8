#include "platform/PWSpellChecker.h"

#include "platform/PWLog.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBoundaryFinder>

#include <hunspell.hxx>

#include <algorithm>

namespace {

struct Word
{
    qsizetype location;
    qsizetype length;
};

// The words of the text in order: runs between word boundaries that hold a letter.
std::vector<Word> wordsOf(const QString &text)
{
    std::vector<Word> words;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        if (finder.boundaryReasons() & QTextBoundaryFinder::EndOfItem) {
            const QStringView word = QStringView(text).mid(start, end - start);
            if (std::any_of(word.begin(), word.end(), [](QChar c) { return c.isLetter(); }))
                words.push_back({start, end - start});
        }
        start = end;
    }
    return words;
}

} // namespace

QStringList PWSpellChecker::defaultFolders()
{
    return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/share/myspell/dicts"),
            QStringLiteral("/usr/share/myspell")};
}

PWSpellChecker &PWSpellChecker::sharedSpellChecker()
{
    static PWSpellChecker shared;
    return shared;
}

PWSpellChecker::PWSpellChecker(const QString &language, const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QString affix = QDir(folder).filePath(language + QStringLiteral(".aff"));
        const QString dictionary = QDir(folder).filePath(language + QStringLiteral(".dic"));
        if (QFileInfo(affix).isFile() && QFileInfo(dictionary).isFile()) {
            m_hunspell = std::make_unique<Hunspell>(QFile::encodeName(affix).constData(),
                                                    QFile::encodeName(dictionary).constData());
            return;
        }
    }
    qCWarning(lcPlatform) << "no spelling dictionary for" << language << "in" << folders;
}

PWSpellChecker::~PWSpellChecker() = default;

bool PWSpellChecker::isCorrect(const QString &word) const
{
    if (!m_hunspell || word.isEmpty() || std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); }))
        return true;
    const std::lock_guard lock(m_mutex);
    return m_hunspell->spell(word.toStdString());
}

PWSpellChecker::Misspelling PWSpellChecker::checkSpellingOfString(const QString &text, qsizetype start,
                                                                  bool wrap) const
{
    start = std::clamp<qsizetype>(start, 0, text.size());
    const std::vector<Word> words = wordsOf(text);
    for (const Word &word : words) {
        if (word.location >= start && !isCorrect(text.mid(word.location, word.length)))
            return {word.location, word.length, false};
    }
    if (wrap) {
        for (const Word &word : words) {
            if (word.location >= start)
                break;
            if (!isCorrect(text.mid(word.location, word.length)))
                return {word.location, word.length, true};
        }
    }
    return {};
}
