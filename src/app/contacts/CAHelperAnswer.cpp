#include "app/contacts/CAHelperAnswer.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

std::optional<quint32> counter(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number < 0.0)
        return 0u;
    return number >= 4294967295.0 ? 4294967295u : quint32(number);
}

// The first limit entries of the list, and how many more there were.
QJsonArray capped(const QJsonArray &all, qsizetype limit, qsizetype *leftOut)
{
    *leftOut = std::max<qsizetype>(0, all.size() - limit);
    if (*leftOut == 0)
        return all;
    QJsonArray kept;
    for (qsizetype i = 0; i < limit; ++i)
        kept.append(all.at(i));
    return kept;
}

QString textOf(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 15);
    return {};
}

} // namespace

CAHelperAnswer::CAHelperAnswer()
    : CAHelperAnswer(Limits())
{
}

CAHelperAnswer::CAHelperAnswer(Limits limits)
    : m_limits(limits)
{
}

bool CAHelperAnswer::feed(QByteArrayView chunk)
{
    if (!m_failure.isEmpty())
        return false;
    m_received += chunk.size();
    if (m_received > m_limits.maxBytes) {
        m_failure = QStringLiteral("it sent more than %1 MB, more than any contact list holds")
                        .arg(m_limits.maxBytes / (1024 * 1024));
        // An answer given up keeps nothing: whatever part of it had arrived is no answer.
        m_pending.clear();
        m_searched = 0;
        m_records.reset();
        m_recordsLeftOut = 0;
        m_vCards.reset();
        m_vCardGroups.reset();
        m_vCardsLeftOut = 0;
        m_rows.reset();
        m_rowsLeftOut = 0;
        return false;
    }
    m_pending.append(chunk);
    qsizetype start = 0;
    qsizetype end = -1;
    while ((end = m_pending.indexOf('\n', std::max(start, m_searched))) >= 0) {
        takeLine(QByteArrayView(m_pending).sliced(start, end - start));
        start = end + 1;
    }
    // One move per chunk, not one per line.
    if (start > 0)
        m_pending.remove(0, start);
    m_searched = m_pending.size();
    return true;
}

void CAHelperAnswer::finish()
{
    if (!m_failure.isEmpty())
        return;
    if (!m_pending.isEmpty())
        takeLine(m_pending);
    m_pending.clear();
    m_searched = 0;
}

CAHelperAnswer CAHelperAnswer::parse(QByteArrayView bytes, Limits limits)
{
    CAHelperAnswer answer(limits);
    if (answer.feed(bytes))
        answer.finish();
    return answer;
}

void CAHelperAnswer::takeLine(QByteArrayView line)
{
    line = line.trimmed();
    if (line.isEmpty())
        return;
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        ++m_unreadLines;
        return;
    }
    const QJsonObject message = document.object();
    if (const std::optional<quint32> count = counter(message.value(QLatin1String("count"))))
        m_count = count;
    if (const std::optional<quint32> index = counter(message.value(QLatin1String("index"))))
        m_index = index;
    const QJsonValue records = message.value(QLatin1String("records"));
    if (records.isArray())
        m_records = capped(records.toArray(), m_limits.maxRecords, &m_recordsLeftOut);
    const QJsonValue vCards = message.value(QLatin1String("vcards"));
    if (vCards.isArray()) {
        m_vCards = capped(vCards.toArray(), m_limits.maxRecords, &m_vCardsLeftOut);
        qsizetype groupsLeftOut = 0;
        const QJsonValue groups = message.value(QLatin1String("groups"));
        if (groups.isArray())
            m_vCardGroups = capped(groups.toArray(), m_vCards->size(), &groupsLeftOut);
        else
            m_vCardGroups.reset();
    }
    const QJsonValue rows = message.value(QLatin1String("rows"));
    if (rows.isArray()) {
        m_rows = QJsonValue(capped(rows.toArray(), m_limits.maxRecords, &m_rowsLeftOut));
    } else if (!rows.isUndefined() && !rows.isNull()) {
        m_rows = rows;
        m_rowsLeftOut = 0;
    }
    const QJsonValue failure = message.value(QLatin1String("error"));
    if (failure.isObject()) {
        const QJsonObject reported = failure.toObject();
        m_reportedError = QStringLiteral("error #%1 - \"%2\"")
                              .arg(textOf(reported.value(QLatin1String("number"))),
                                   reported.value(QLatin1String("message")).toString());
    }
}
