#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <memory>

class PWPerson;

// A compact binary form of one person, for caches the system writes and reads back itself: every
// single value and multi-value (labels, values, which entry is primary) and the picture, without
// the cost of a vCard's text escapes, line folding and label translation. Identities are not kept:
// a person read back is a new one, with new multi-value identifiers.
//
// Layout: the byte 'P', the form number, then the single values (count, then name and value each),
// the multi-values (count, then name, primary index + 1 or 0, entry count, then label and value
// each) and the picture (length and bytes). Counts and lengths are unsigned LEB128 numbers; texts
// are UTF-8. A value is a type byte and its content, arrays and dictionaries nested to a bounded
// depth. Every length is checked against what remains, so damaged bytes give no person, never a
// crash.
class PWPersonRecord
{
public:
    static constexpr char kMagic = 'P';
    static constexpr char kForm = 1;

    // The person's record; picture, when given, stands in for the person's own picture (a person
    // without one stays without).
    static QByteArray encode(const PWPerson &person, const QByteArray *picture = nullptr);

    // Reads records. One reader for many records shares the texts of property names and labels
    // between them, so that a hundred thousand persons do not each hold their own copy.
    class Reader
    {
    public:
        // The person of a record; null, with a reason, when the bytes are no whole record of a
        // form this reader knows. A value the person type does not take (a property no longer
        // registered, a value of another kind) is left out.
        std::shared_ptr<PWPerson> decode(QByteArrayView bytes, QString *error = nullptr);

        // Texts of names and labels up to this many bytes are shared.
        static constexpr qsizetype kSharedTextLimit = 48;

    private:
        friend class PWPersonRecordCursor;
        QString sharedText(QByteArrayView utf8);
        QHash<QByteArray, QString> m_texts;
    };
};
