#pragma once

#include <QByteArray>
#include <QHash>

#include <mutex>
#include <optional>

// Values decoded from archived bytes, found again by those bytes. A design printed label by label
// is read once per label, and its colours and styled texts are the same bytes every time: decoding
// each once saves most of a reading. Only successful decodes are kept, and only values that are
// wholly determined by their bytes. Bounded: when full, it starts afresh. Safe across threads.
template <typename Value>
class CDDDecodeCache
{
public:
    static constexpr qsizetype kMaxEntries = 512;
    // Larger byte strings are decoded every time rather than kept.
    static constexpr qsizetype kMaxKeySize = 16 * 1024;

    std::optional<Value> find(const QByteArray &bytes) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_values.constFind(bytes);
        if (found == m_values.constEnd())
            return std::nullopt;
        return *found;
    }

    void insert(const QByteArray &bytes, const Value &value)
    {
        if (bytes.size() > kMaxKeySize)
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_values.size() >= kMaxEntries)
            m_values.clear();
        m_values.insert(bytes, value);
    }

    qsizetype size() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_values.size();
    }

    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values.clear();
    }

private:
    mutable std::mutex m_mutex;
    QHash<QByteArray, Value> m_values;
};
