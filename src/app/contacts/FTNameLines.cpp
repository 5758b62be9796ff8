#include "app/contacts/FTNameLines.h"

#include "app/contacts/CARecognitionLog.h"
#include "platform/PWBundle.h"

#include <QHash>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

QString matchForm(QStringView word)
{
    return word.toString().normalized(QString::NormalizationForm_D).toCaseFolded();
}

// The words of a list in their matching form. The list is read from the strings at every use,
// and split again only when its text changed.
const QSet<QString> &wordList(const QString &key)
{
    struct Cached
    {
        bool read = false;
        QString text;
        QSet<QString> words;
    };
    thread_local QHash<QString, Cached> cache;
    const QString text = PWBundle::mainBundle().localizedString(key, u" "_s);
    Cached &entry = cache[key];
    if (!entry.read || entry.text != text) {
        entry.read = true;
        entry.text = text;
        entry.words.clear();
        if (text == u" "_s)
            qCWarning(lcRecognition) << "The word list" << key << "is missing; it is taken as empty";
        for (const QString &word : text.split(u' ', Qt::SkipEmptyParts))
            entry.words.insert(matchForm(word));
    }
    return entry.words;
}

} // namespace

QString stripWordMark(const QString &word)
{
    if (word.isEmpty())
        return word;
    const QChar last = word.back();
    if (last == u',' || last == u'.' || last == u':' || last == u'-')
        return word.chopped(1);
    return word;
}

bool wordMatchesList(const QString &word, const QString &listKey)
{
    const QString stripped = stripWordMark(word);
    if (stripped.isEmpty())
        return false;
    return wordList(listKey).contains(matchForm(stripped));
}

int searchPrefixSuffix(const QStringList &lines)
{
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList words = lines[i].split(u' ');
        if (wordMatchesList(words.first(), kPrefixArrayKey) || wordMatchesList(words.last(), kSuffixArrayKey))
            return i;
    }
    return -1;
}

void parseNameLine(const QString &line, CAPersonDictionary &dictionary)
{
    QStringList words = line.split(u' ');
    if (words.size() == 1) {
        dictionary[kPersonFirstNameKey] = words.first();
        return;
    }
    if (wordMatchesList(words.first(), kPrefixArrayKey)) {
        dictionary[kPersonPrefixKey] = stripWordMark(words.first());
        words.removeFirst();
    }
    if (!words.isEmpty() && wordMatchesList(words.last(), kSuffixArrayKey)) {
        dictionary[kPersonSuffixKey] = stripWordMark(words.last());
        words.removeLast();
    }
    if (words.size() == 1) {
        dictionary[kPersonFirstNameKey] = words.first();
    } else if (words.size() >= 2) {
        dictionary[kPersonLastNameKey] = words.takeLast();
        dictionary[kPersonFirstNameKey] = words.join(u' ');
    }
}

void parseCompanyLine(const QString &text, CAPersonDictionary &dictionary)
{
    const QChar separator = text.contains(u'.') ? u'.' : text.contains(u',') ? u',' : QChar();
    if (separator.isNull()) {
        dictionary[kPersonCompanyKey] = text;
        return;
    }
    QStringList pieces = text.split(separator);
    dictionary[kPersonDepartmentKey] = pieces.takeLast();
    dictionary[kPersonCompanyKey] = pieces.size() == 1 ? pieces.first() + separator : pieces.join(separator);
}
