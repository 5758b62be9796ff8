#pragma once

#include "platform/PWPlist.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>

#include <cstring>
#include <utility>

// A binary property list ("bplist00", as the format is publicly described) written with every
// repeated value stored once, containers among them: a list of a thousand equal texts holds one
// text object referred to a thousand times, as other writers may write it (the application's own
// writer shares only texts, data and numbers). Containers can also be made of objects already
// written, so that a file may refer to one object any number of times without a tree that large.
namespace pwtest {

class SharedBinaryPlist
{
public:
    // The object standing for value, written once however often it is added.
    quint32 add(const PWPlist &value)
    {
        switch (value.type()) {
        case PWPlist::Type::Dictionary: {
            QList<std::pair<quint32, quint32>> entries;
            for (const auto &[key, member] : value.toDictionary())
                entries.append({add(PWPlist::fromString(key)), add(member)});
            return addDictionary(entries);
        }
        case PWPlist::Type::Array: {
            QList<quint32> members;
            for (const PWPlist &member : value.toArray())
                members.append(add(member));
            return addArray(members);
        }
        case PWPlist::Type::String: {
            const QString text = value.toString();
            bool ascii = true;
            for (const QChar c : text)
                ascii = ascii && c.unicode() < 0x80;
            QByteArray object = marker(ascii ? 0x50 : 0x60, text.size());
            if (ascii) {
                object += text.toLatin1();
            } else {
                for (const QChar c : text) {
                    object += char(c.unicode() >> 8);
                    object += char(c.unicode() & 0xFF);
                }
            }
            return store(object);
        }
        case PWPlist::Type::Data:
            return store(marker(0x40, value.toData().size()) + value.toData());
        case PWPlist::Type::Integer:
            return store("\x13" + bigEndian(quint64(value.toInteger()), 8));
        case PWPlist::Type::Real:
            return store("\x23" + realBytes(value.toReal()));
        case PWPlist::Type::Boolean:
            return store(QByteArray(1, value.toBool() ? '\x09' : '\x08'));
        case PWPlist::Type::Date: {
            const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
            return store("\x33" + realBytes(double(epoch.msecsTo(value.toDate())) / 1000.0));
        }
        case PWPlist::Type::Uid:
            return store("\x87" + bigEndian(value.toUid(), 8));
        case PWPlist::Type::Null:
            break;
        }
        return store(marker(0x50, 0));
    }
    quint32 addArray(const QList<quint32> &members)
    {
        QByteArray object = marker(0xA0, members.size());
        for (const quint32 member : members)
            object += bigEndian(member, 4);
        return store(object);
    }
    quint32 addDictionary(const QList<std::pair<quint32, quint32>> &entries)
    {
        QByteArray object = marker(0xD0, entries.size());
        for (const auto &entry : entries)
            object += bigEndian(entry.first, 4);
        for (const auto &entry : entries)
            object += bigEndian(entry.second, 4);
        return store(object);
    }
    // The file whose top object is top.
    QByteArray bytes(quint32 top) const
    {
        QByteArray file = "bplist00";
        QList<quint64> offsets;
        for (const QByteArray &object : m_objects) {
            offsets.append(quint64(file.size()));
            file += object;
        }
        const quint64 table = quint64(file.size());
        for (const quint64 offset : offsets)
            file += bigEndian(offset, 8);
        file += QByteArray(6, '\0');
        file += char(8);
        file += char(4);
        file += bigEndian(quint64(m_objects.size()), 8) + bigEndian(top, 8) + bigEndian(table, 8);
        return file;
    }

private:
    static QByteArray bigEndian(quint64 value, int size)
    {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = char(value >> (8 * (size - 1 - i)));
        return bytes;
    }
    static QByteArray realBytes(double value)
    {
        quint64 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return bigEndian(bits, 8);
    }
    static QByteArray marker(int kind, qsizetype length)
    {
        if (length < 15)
            return QByteArray(1, char(kind | int(length)));
        return QByteArray(1, char(kind | 0xF)) + '\x13' + bigEndian(quint64(length), 8);
    }
    quint32 store(const QByteArray &object)
    {
        const auto found = m_index.constFind(object);
        if (found != m_index.constEnd())
            return *found;
        const quint32 index = quint32(m_objects.size());
        m_objects.append(object);
        m_index.insert(object, index);
        return index;
    }

    QList<QByteArray> m_objects;
    QHash<QByteArray, quint32> m_index;
};

inline QByteArray sharedBinary(const PWPlist &value)
{
    SharedBinaryPlist writer;
    const quint32 top = writer.add(value);
    return writer.bytes(top);
}

} // namespace pwtest
