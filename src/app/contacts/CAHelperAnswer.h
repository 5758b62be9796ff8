#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonArray>
#include <QString>

#include <optional>

// The answer of a contact helper program (see CAScriptedSource), read as its bytes arrive: JSON
// lines of progress, the records or an error. Each byte is searched for a line end once, however
// the answer is cut into chunks, and the answer is bounded in bytes and in records, so that a
// helper that talks without end costs neither unbounded memory nor time.
class CAHelperAnswer
{
public:
    struct Limits
    {
        // No contact list is this large; a helper that sends more is broken.
        qsizetype maxBytes = 64 * 1024 * 1024;
        // As many records as a vCard file may hold cards; the rest are left out.
        qsizetype maxRecords = 100000;
    };

    CAHelperAnswer();
    explicit CAHelperAnswer(Limits limits);

    // Takes the next bytes of the answer; false once it has gone past its limit (failure()).
    bool feed(QByteArrayView chunk);
    // The answer ended: a last line without its line feed is read too.
    void finish();

    // The whole answer at once: the stage a fuzz target drives.
    static CAHelperAnswer parse(QByteArrayView bytes, Limits limits);

    // The latest progress the helper reported: records it will send, and the one it is at.
    std::optional<quint32> count() const { return m_count; }
    std::optional<quint32> index() const { return m_index; }
    // The records line, at most maxRecords of them; nothing before it came (or if it was no list).
    const std::optional<QJsonArray> &records() const { return m_records; }
    // Records of the records line past maxRecords, not kept.
    qsizetype recordsLeftOut() const { return m_recordsLeftOut; }
    // The error the helper reported instead of records, in words; empty when none.
    const QString &reportedError() const { return m_reportedError; }
    // Why the answer was given up (too large; its records are dropped then); empty while it is
    // within its limits.
    const QString &failure() const { return m_failure; }
    // Lines that were no JSON object.
    int unreadLines() const { return m_unreadLines; }

private:
    void takeLine(QByteArrayView line);

    Limits m_limits;
    QByteArray m_pending;
    // The bytes of m_pending already searched for a line end.
    qsizetype m_searched = 0;
    qsizetype m_received = 0;
    std::optional<quint32> m_count;
    std::optional<quint32> m_index;
    std::optional<QJsonArray> m_records;
    qsizetype m_recordsLeftOut = 0;
    QString m_reportedError;
    QString m_failure;
    int m_unreadLines = 0;
};
