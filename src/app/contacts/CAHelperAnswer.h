#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonArray>
#include <QJsonValue>
#include <QString>

#include <optional>

// The answer of a contact helper program (see CAScriptedSource), read as its bytes arrive: JSON
// lines of progress, then the records, the vCards (with their groups), the rows of a database
// dump, or an error. Each byte is searched for a line end once, however
// the answer is cut into chunks, and the answer is bounded in bytes and in records, so that a
// helper that talks without end costs neither unbounded memory nor time.
class CAHelperAnswer
{
public:
    struct Limits
    {
        // No contact list is this large; a helper that sends more is broken.
        qsizetype maxBytes = 64 * 1024 * 1024;
        // As many records (vCards, rows) as a vCard file may hold cards; the rest are left out.
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
    // The vCards line (each a card's text, at most maxRecords) and the groups line beside it
    // (one list of group names per card, in the same order, as many as the cards kept).
    const std::optional<QJsonArray> &vCards() const { return m_vCards; }
    const std::optional<QJsonArray> &vCardGroups() const { return m_vCardGroups; }
    qsizetype vCardsLeftOut() const { return m_vCardsLeftOut; }
    // The rows line of a dump: a list of rows (at most maxRecords), or a single value.
    const std::optional<QJsonValue> &rows() const { return m_rows; }
    qsizetype rowsLeftOut() const { return m_rowsLeftOut; }
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
    std::optional<QJsonArray> m_vCards;
    std::optional<QJsonArray> m_vCardGroups;
    qsizetype m_vCardsLeftOut = 0;
    std::optional<QJsonValue> m_rows;
    qsizetype m_rowsLeftOut = 0;
    QString m_reportedError;
    QString m_failure;
    int m_unreadLines = 0;
};
