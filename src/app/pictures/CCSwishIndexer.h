#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

// One keyword index of the clip-art collection, in the Swish-e index format, read through
// libswish-e. Every document of the index carries "swishdocpath" = "<picture path>,<caption>";
// a query answers picture entries {"name": the picture's file name, "hint": its caption}.
// The index is only ever read, on the main thread.
class CCSwishIndexer
{
public:
    // Nothing, after one log line, when the index cannot be opened or does not survive a trial
    // reading (the library ends the process on some damaged indexes, so the trial runs in a
    // child process before the index is opened here).
    static std::unique_ptr<CCSwishIndexer> open(const QString &indexPath);
    ~CCSwishIndexer();
    CCSwishIndexer(const CCSwishIndexer &) = delete;
    CCSwishIndexer &operator=(const CCSwishIndexer &) = delete;

    const QString &indexName() const { return m_indexName; }

    // The hits in the library's order; empty when nothing matches. Nothing when the query was
    // not run: text Mac OS Roman cannot encode, or a query the library rejects.
    std::optional<QList<QVariantMap>> queryString(const QString &query) const;

    // The prefix query that finds what the words begin, without what the whole query finds:
    // "red car" becomes "red* car* not (red car)". Words of two characters or fewer, and words
    // already ending in "*", are kept as they are; empty words between blanks stay.
    static QString tokenizeQuery(const QString &query);

    // One "swishdocpath" value as a picture entry: the last path component of the first
    // comma-separated field, and the second field as the caption (the name itself when there
    // is none).
    static QVariantMap entryForDocumentPath(const QString &documentPath);

    // Mac OS Roman bytes of text, or nothing when a character has no place in that encoding.
    static std::optional<QByteArray> encodeMacRoman(const QString &text);
    static QString decodeMacRoman(const QByteArray &bytes);

private:
    CCSwishIndexer(QString indexName, void *handle);

    QString m_indexName;
    void *m_indexHandle = nullptr;
};
