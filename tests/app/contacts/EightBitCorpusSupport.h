#pragma once

// The corpus of 8-bit contacts files in tests/data/contacts/eightbit: real names, streets and
// towns of over twenty languages, each file written by make_corpus.py in every code page that
// holds it, beside its UTF-8 original, and corpus.tsv, which names each file's language, kind and
// code pages and the readings that earlier builds' batch command gave it under three locales
// (read_corpus.py). Shared by the reader's table and the batch's rows.
#include "TestSupport.h"

#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextEncodings.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <vector>

namespace eightbitcorpus {

// The three locales each file is read under: the C locale, English and the file's own language.
inline const QStringList &localeKinds()
{
    static const QStringList kinds = {QStringLiteral("C"), QStringLiteral("en"), QStringLiteral("own")};
    return kinds;
}

// What LC_ALL holds for a kind of locale and a file's language.
inline QByteArray localeName(const QString &kind, const QString &language)
{
    if (kind == QLatin1String("C"))
        return "C.UTF-8";
    if (kind == QLatin1String("en"))
        return "en_US.UTF-8";
    return (language + u'_' + language.toUpper() + QStringLiteral(".UTF-8")).toLatin1();
}

// LC_ALL set for the scope, as a user's shell sets it; what stood there before comes back.
class LocaleNamed
{
public:
    explicit LocaleNamed(const QByteArray &name)
        : m_had(qEnvironmentVariableIsSet("LC_ALL"))
        , m_before(qgetenv("LC_ALL"))
    {
        qputenv("LC_ALL", name);
    }
    ~LocaleNamed()
    {
        if (m_had)
            qputenv("LC_ALL", m_before);
        else
            qunsetenv("LC_ALL");
    }
    LocaleNamed(const LocaleNamed &) = delete;
    LocaleNamed &operator=(const LocaleNamed &) = delete;

private:
    bool m_had;
    QByteArray m_before;
};

struct CorpusFile
{
    QString file;
    QString language;
    QString kind;
    QStringList codePages;
    // "C.old53" -> "R0": the reading (right, noted, wrong) and exit status an earlier build gave.
    QHash<QString, QString> readings;

    QByteArray bytes() const { return pwtest::readFixture(QStringLiteral("contacts/eightbit/files/") + file); }
    // The UTF-8 original without its header: what a reading must give back.
    QString original() const
    {
        const QString text = QString::fromUtf8(
            pwtest::readFixture(QStringLiteral("contacts/eightbit/utf8/%1-%2.csv").arg(language, kind)));
        return text.section(u'\n', 1);
    }
    bool earlierRight(const QString &locale) const
    {
        for (auto it = readings.cbegin(); it != readings.cend(); ++it) {
            if (it.key().startsWith(locale + u'.') && it.value().startsWith(u'R'))
                return true;
        }
        return false;
    }
};

inline std::vector<CorpusFile> corpusFiles()
{
    std::vector<CorpusFile> files;
    const QStringList lines = QString::fromUtf8(pwtest::readFixture(QStringLiteral("contacts/eightbit/corpus.tsv")))
                                  .split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return files;
    const QStringList columns = lines.first().split(u'\t');
    for (const QString &line : lines.mid(1)) {
        const QStringList fields = line.split(u'\t');
        CorpusFile file;
        for (qsizetype i = 0; i < columns.size() && i < fields.size(); ++i) {
            const QString &column = columns.at(i);
            if (column == u"file")
                file.file = fields.at(i);
            else if (column == u"language")
                file.language = fields.at(i);
            else if (column == u"kind")
                file.kind = fields.at(i);
            else if (column == u"codepages")
                file.codePages = fields.at(i).split(u',');
            else if (column.contains(u'.') && !fields.at(i).isEmpty())
                file.readings.insert(column, fields.at(i));
        }
        files.push_back(file);
    }
    return files;
}

// The words of a text: its runs of letters and digits.
inline QSet<QString> wordsOf(const QString &text)
{
    QSet<QString> words;
    QString word;
    for (const QChar c : text + u' ') {
        if (c.isLetterOrNumber() || c.category() == QChar::Mark_NonSpacing) {
            word.append(c);
        } else if (!word.isEmpty()) {
            words.insert(word);
            word.clear();
        }
    }
    return words;
}

// Every word of every UTF-8 original: real names, streets and towns of all the languages.
inline const QSet<QString> &realWords()
{
    static const QSet<QString> words = [] {
        QSet<QString> all;
        for (const CorpusFile &file : corpusFiles())
            all.unite(wordsOf(file.original()));
        return all;
    }();
    return words;
}

// The records of a reading, one line of fields apart by commas each, as the original writes them.
inline QString recordsRead(const CADelimitedText &text)
{
    QString read;
    for (const QStringList &record : text.personData())
        read += record.join(u',') + u'\n';
    return read;
}

// The weighed encodings the note names as reading the file as well whose reading, by the
// toolkit's own converter, is the original.
inline bool noteNamesTheRightReading(const CADelimitedText &text, const CorpusFile &file)
{
    const QString note = text.notes().value(0);
    if (!note.contains(QStringLiteral("as well")))
        return false;
    const QString named = note.section(QStringLiteral("read as words in "), 1);
    for (const quint32 encoding : CATextEncodings::weighedEncodings()) {
        if (encoding == text.encoding() || !named.contains(CATextEncodings::displayName(encoding)))
            continue;
        QStringDecoder decoder(CATextEncodings::name(encoding).toLatin1().constData(),
                               QStringConverter::Flag::Stateless);
        if (QString(decoder.decode(file.bytes())).section(u'\n', 1) == file.original())
            return true;
    }
    return false;
}

// Whether one of the file's code pages is weighed: a guess can read it right at all.
inline bool codePageWeighed(const CorpusFile &file)
{
    for (const QString &page : file.codePages) {
        const std::optional<quint32> encoding = CATextEncodings::fromName(page);
        if (encoding && CATextEncodings::weighedEncodings().contains(*encoding)
            && CATextEncodings::name(*encoding).compare(page, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace eightbitcorpus
