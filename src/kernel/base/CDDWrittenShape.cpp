#include "kernel/base/CDDWrittenShape.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDReadReport.h"

#include <QHash>
#include <QSet>

namespace {

// The kinds of value a reader tells apart. Numbers, texts and flags are all read from texts.
enum Kind : int {
    kText = 1,
    kData = 2,
    kDictionary = 4,
    kList = 8,
    kOther = 16,
};

int kindOf(const PWPlist &value)
{
    switch (value.type()) {
    case PWPlist::Type::String:
    case PWPlist::Type::Integer:
    case PWPlist::Type::Real:
    case PWPlist::Type::Boolean: return kText;
    case PWPlist::Type::Data: return kData;
    case PWPlist::Type::Dictionary: return kDictionary;
    case PWPlist::Type::Array: return kList;
    default: return kOther;
    }
}

QString kindName(int kinds)
{
    if (kinds & kText)
        return QStringLiteral("a text or number");
    if (kinds & kData)
        return QStringLiteral("data");
    if (kinds & kDictionary)
        return QStringLiteral("a dictionary");
    if (kinds & kList)
        return QStringLiteral("a list");
    return QStringLiteral("another kind of value");
}

// The keys written under one place, with the kinds of value written under each.
struct Shape
{
    QStringList keys;
    QHash<QString, int> kinds;
    // Keys under which some writing put a list with entries.
    QSet<QString> filledLists;
};

class Measure
{
public:
    Measure(const CDDArchive &archive, const std::function<bool(const PWPlist::Dictionary &)> &ownReading,
            QString place)
        : m_archive(archive), m_ownReading(ownReading), m_place(std::move(place))
    {
    }

    void learn(const PWPlist::Dictionary &written, const QString &signature)
    {
        Shape &shape = m_shapes[signature];
        for (const PWPlist::Dictionary::Entry &entry : written) {
            if (!shape.kinds.contains(entry.first))
                shape.keys.append(entry.first);
            shape.kinds[entry.first] |= kindOf(entry.second);
            if (entry.second.isDictionary()) {
                learn(entry.second.toDictionary(),
                      signatureOf(entry.second.toDictionary(), signature + u'/' + entry.first));
            } else if (entry.second.isArray()) {
                if (!entry.second.toArray().isEmpty())
                    shape.filledLists.insert(entry.first);
                for (const PWPlist &item : entry.second.toArray()) {
                    if (item.isDictionary() && !m_ownReading(item.toDictionary()))
                        learn(item.toDictionary(), signatureOf(item.toDictionary(), signature + u'/' + entry.first + QStringLiteral("[]")));
                }
            }
        }
    }

    void check(const PWPlist::Dictionary &stored, const PWPlist::Dictionary &written, const QString &signature,
               const QStringList &path)
    {
        const Shape shape = m_shapes.value(signature);
        for (const QString &key : shape.keys) {
            if (key == key_ClassID || key == key_BundleVersion)
                continue;
            // A key left out holds what a new object has: older writers and other programs leave
            // out what holds its default, and this one every list without entries.
            const PWPlist value = stored.value(key);
            if (value.isNull())
                continue;
            const PWPlist ours = written.value(key);
            int kinds = ours.isNull() ? shape.kinds.value(key) : kindOf(ours);
            // A picture is written as its data or by its name in the content library, as the
            // user's settings ask, and a colour of an older form as a text: a text and data are
            // both read by the key's own reader, which names what it cannot take.
            if (kinds & (kText | kData))
                kinds |= kText | kData;
            const QStringList at = path + QStringList {key};
            if ((kinds & kindOf(value)) == 0) {
                note(at, QStringLiteral("is not %1: it reads as a new one has it").arg(kindName(kinds)));
            } else if (value.isArray() && value.toArray().isEmpty() && shape.filledLists.contains(key)) {
                note(at, QStringLiteral("is an empty list: it reads as holding nothing"));
            }
        }
        for (const PWPlist::Dictionary::Entry &entry : stored) {
            const PWPlist ours = written.value(entry.first);
            if (entry.second.isDictionary()) {
                const PWPlist::Dictionary &inner = entry.second.toDictionary();
                check(inner, ours.isDictionary() ? ours.toDictionary() : PWPlist::Dictionary(),
                      signatureOf(inner, signature + u'/' + entry.first), path + QStringList {entry.first});
            } else if (entry.second.isArray()) {
                const PWPlist::Array &list = entry.second.toArray();
                const bool sameEntries = ours.isArray() && ours.toArray().size() == list.size();
                for (qsizetype i = 0; i < list.size(); ++i) {
                    if (!list.at(i).isDictionary() || m_ownReading(list.at(i).toDictionary()))
                        continue;
                    const PWPlist::Dictionary &inner = list.at(i).toDictionary();
                    const PWPlist matching = sameEntries ? ours.toArray().at(i) : PWPlist();
                    check(inner, matching.isDictionary() ? matching.toDictionary() : PWPlist::Dictionary(),
                          signatureOf(inner, signature + u'/' + entry.first + QStringLiteral("[]")),
                          path + QStringList {entry.first, QStringLiteral("[%1]").arg(i)});
                }
            }
        }
    }

private:
    static QString signatureOf(const PWPlist::Dictionary &dictionary, const QString &place)
    {
        const PWPlist classID = dictionary.value(key_ClassID);
        return classID.isString() ? u'#' + classID.toString() : place;
    }

    void note(const QStringList &path, const QString &outcome)
    {
        const std::shared_ptr<CDDReadReport> &report = m_archive.readReport();
        if (!report || report->names(m_archive.readDictionary(), path))
            return;
        QString where = m_place;
        if (path.size() > 1) {
            QStringList within = path.mid(0, path.size() - 1);
            where = QStringLiteral("\"%1\" in %2").arg(within.join(u'/').replace(QStringLiteral("/["), QStringLiteral("[")),
                                                      m_place);
        }
        m_archive.noteKept(path.first(), QStringLiteral("\"%1\" of %2 %3").arg(path.last(), where, outcome));
    }

    const CDDArchive &m_archive;
    const std::function<bool(const PWPlist::Dictionary &)> &m_ownReading;
    QString m_place;
    QHash<QString, Shape> m_shapes;
};

} // namespace

void CDDWrittenShape::noteGaps(const CDDArchive &archive, const PWPlist::Dictionary &stored,
                               const PWPlist::Dictionary &written,
                               const std::function<bool(const PWPlist::Dictionary &)> &ownReading, const QString &place)
{
    if (!archive.readReport())
        return;
    Measure measure(archive, ownReading, place);
    measure.learn(written, QString());
    measure.check(stored, written, QString(), QStringList());
}
