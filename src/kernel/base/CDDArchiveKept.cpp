#include "kernel/base/CDDArchiveKept.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDReadReport.h"

#include <algorithm>
#include <iterator>

namespace {

thread_local int forgottenDepth = 0;
thread_local const CDDArchiveKept::Replacing *replacing = nullptr;

// Paths below a value (CDDReadReport::unreadPaths) of the parts a replace leaves out.
using Paths = QList<QStringList>;

// The paths below the part named first of each path that names it, without it.
Paths pathsBelow(const Paths &paths, const QString &part)
{
    Paths below;
    for (const QStringList &path : paths)
        if (path.size() > 1 && path.first() == part)
            below.append(path.mid(1));
    return below;
}

PWPlist::Dictionary mergedDictionary(const PWPlist::Dictionary &stored, const PWPlist::Dictionary &written,
                                     const PWPlist::Dictionary &now, CDDArchiveKept::Keep keep, const Paths &left);

// The keys under which a file holds a component's text: its characters under "Text Storage 2",
// its style alone when it is empty, or the older "Text Storage", which a reading takes when the
// first two are absent. They are one property: whichever the file holds is the text.
const QString componentTextForms[] = {key_TextStorage2, key_TextStorage2 + key_DefValueSuffix, key_TextStorage};

// Whether key is a form of the component's text, which the object now writes otherwise than right
// after reading: the form the file held then goes, or a text emptied since would read back as the
// file's older form had it.
bool textWrittenAnew(const QString &key, const PWPlist::Dictionary &written, const PWPlist::Dictionary &now)
{
    if (std::find(std::cbegin(componentTextForms), std::cend(componentTextForms), key) == std::cend(componentTextForms))
        return false;
    return std::any_of(std::cbegin(componentTextForms), std::cend(componentTextForms), [&](const QString &form) {
        return !(written.value(form) == now.value(form));
    });
}

// Whether value is an entry of a list of objects that names no class: the reading makes nothing of
// it, as it makes nothing of a new one, but it is the user's and stays in the file. One whose class
// key is damaged in its name was named at the reading, and goes as a replace decides.
bool namesNoClass(const PWPlist &value)
{
    if (!value.isDictionary() || value.toDictionary().isEmpty() || value.toDictionary().contains(key_ClassID))
        return false;
    return CDDReadReport::damagedFormOf(value.toDictionary(), key_ClassID, {}).isEmpty();
}

bool namesAClass(const PWPlist &value)
{
    return value.isDictionary() && value.toDictionary().contains(key_ClassID);
}

// now, a list of objects written anew (one added, removed or changed), with the stored entries
// that named no class back at their places: the reading made nothing of exactly those, and a
// list written from its objects alone would lose them.
PWPlist withEntriesOfNoClass(const PWPlist::Array &stored, const PWPlist::Array &written, const PWPlist::Array &now)
{
    QList<qsizetype> unmade;
    for (qsizetype i = 0; i < stored.size(); ++i)
        if (namesNoClass(stored.at(i)))
            unmade.append(i);
    if (unmade.isEmpty() || written.size() != stored.size() - unmade.size()
        || !(std::any_of(stored.cbegin(), stored.cend(), namesAClass) || std::any_of(now.cbegin(), now.cend(), namesAClass)))
        return PWPlist(now);
    PWPlist::Array list = now;
    for (const qsizetype i : std::as_const(unmade))
        list.insert(std::min(i, list.size()), stored.at(i));
    return PWPlist(list);
}

// The value under one key: the stored one while the property is as read, else the one written
// now, within which the parts the user did not touch are kept the same way. left names the parts
// within that a replace leaves out.
PWPlist mergedValue(const PWPlist &stored, const PWPlist &written, const PWPlist &now, CDDArchiveKept::Keep keep,
                    const Paths &left)
{
    if (keep == CDDArchiveKept::Keep::UnwrittenKeys)
        return now;
    // Dictionaries are walked even when nothing in them changed, for the bundle versions within.
    if (stored.isDictionary() && written.isDictionary() && now.isDictionary())
        return PWPlist(mergedDictionary(stored.toDictionary(), written.toDictionary(), now.toDictionary(), keep, left));
    // A list is taken entry by entry only while its entries still stand where they stood; once
    // one is added, removed or moved, its entries carry what they keep themselves (components).
    if (stored.isArray() && written.isArray() && now.isArray() && stored.toArray().size() == written.toArray().size()
        && written.toArray().size() == now.toArray().size()) {
        PWPlist::Array list;
        list.reserve(now.toArray().size());
        for (qsizetype i = 0; i < now.toArray().size(); ++i)
            list.append(mergedValue(stored.toArray().at(i), written.toArray().at(i), now.toArray().at(i), keep,
                                    left.isEmpty() ? left : pathsBelow(left, QStringLiteral("[%1]").arg(i))));
        return PWPlist(list);
    }
    // A list whose entry the reading left out (a component it could not make) is written as it
    // is now, when that entry is to be left out.
    if (now == written && left.isEmpty())
        return stored;
    if (stored.isArray() && written.isArray() && now.isArray())
        return withEntriesOfNoClass(stored.toArray(), written.toArray(), now.toArray());
    return now;
}

PWPlist::Dictionary mergedDictionary(const PWPlist::Dictionary &stored, const PWPlist::Dictionary &written,
                                     const PWPlist::Dictionary &now, CDDArchiveKept::Keep keep, const Paths &left)
{
    PWPlist::Dictionary merged;
    // In the stored order, so that a save changes no more of the file than it must.
    for (const PWPlist::Dictionary::Entry &entry : stored) {
        const PWPlist wasWritten = written.value(entry.first);
        const PWPlist isWritten = now.value(entry.first);
        if (entry.first == key_BundleVersion) {
            if (!isWritten.isNull())
                merged.insert(entry.first, isWritten);
        } else if (left.contains(QStringList {entry.first})) {
            // A value the reading left out, which a replace drops: what the object holds now.
            if (!isWritten.isNull())
                merged.insert(entry.first, isWritten);
        } else if (wasWritten.isNull() && isWritten.isNull()) {
            // Nothing of ours: a key this version does not know, or a value it could not take;
            // or the text in a form this version does not write, kept while the text is as read.
            if (!textWrittenAnew(entry.first, written, now))
                merged.insert(entry.first, entry.second);
        } else if (!isWritten.isNull()) {
            merged.insert(entry.first,
                          mergedValue(entry.second, wasWritten, isWritten, keep, pathsBelow(left, entry.first)));
        } else if (entry.second.isArray() && wasWritten.isArray() && keep != CDDArchiveKept::Keep::UnwrittenKeys) {
            // A list the user emptied of every object is no longer written; the entries that
            // named no class were never among those objects, and stay.
            const PWPlist kept = withEntriesOfNoClass(entry.second.toArray(), wasWritten.toArray(), {});
            if (!kept.toArray().isEmpty())
                merged.insert(entry.first, kept);
        }
        // Else written after reading and no longer: the user took the property away.
    }
    // A key the file lacks stays out of it while the object holds what it took in its place at
    // the reading (a panel's frame taken round its fields): the file is kept as read until the
    // user changes that property, or a replace writes what the object holds for a part left out.
    for (const PWPlist::Dictionary::Entry &entry : now) {
        if (!stored.contains(entry.first)
            && (keep != CDDArchiveKept::Keep::Everything || left.contains(QStringList {entry.first})
                || !(written.value(entry.first) == entry.second)))
            merged.insert(entry.first, entry.second);
    }
    return merged;
}

} // namespace

CDDArchiveKept::CDDArchiveKept(PWPlist::Dictionary stored, PWPlist::Dictionary written, Keep keep,
                               const CDDArchive *read)
    : m_stored(std::move(stored)), m_written(std::move(written)), m_keep(keep)
{
    if (read) {
        m_report = read->readReport();
        m_read = read->readDictionary();
    }
}

std::shared_ptr<const CDDArchiveKept> CDDArchiveKept::after(const CDDArchive &archive, Keep keep,
                                                            const std::function<void(const CDDArchive &)> &write)
{
    const PWPlist stored = archive.getDict();
    if (!stored.isDictionary() || isForgotten())
        return nullptr;
    CDDArchive writing(true, archive.GetPackageType());
    writing.SetArchivePath(archive.GetArchivePath());
    write(writing);
    const PWPlist written = writing.getDict();
    return std::make_shared<const CDDArchiveKept>(
        stored.toDictionary(), written.isDictionary() ? written.toDictionary() : PWPlist::Dictionary(), keep, &archive);
}

CDDArchiveKept::Forgotten::Forgotten()
{
    ++forgottenDepth;
}

CDDArchiveKept::Forgotten::~Forgotten()
{
    --forgottenDepth;
}

bool CDDArchiveKept::isForgotten()
{
    return forgottenDepth > 0;
}

std::shared_ptr<const CDDArchiveKept> CDDArchiveKept::rebased(const PWPlist::Dictionary &before,
                                                              const PWPlist::Dictionary &now) const
{
    if (!(before == m_written))
        return nullptr;
    auto kept = std::make_shared<CDDArchiveKept>(m_stored, now, m_keep);
    kept->m_report = m_report; // a Replace still knows what the reading left out of it
    kept->m_read = m_read;
    return kept;
}

CDDArchiveKept::Replacing::Replacing(std::shared_ptr<const CDDReadReport> report)
    : m_report(std::move(report)), m_outer(replacing)
{
    if (m_report)
        m_leftOut = m_report->unreadPaths();
    replacing = this;
}

CDDArchiveKept::Replacing::~Replacing()
{
    replacing = m_outer;
}

QList<QStringList> CDDArchiveKept::Replacing::leftOutBelow(const PWPlist::Dictionary *dictionary) const
{
    const auto found = m_leftOut.find(dictionary);
    return found == m_leftOut.end() ? QList<QStringList>() : found->second;
}

const CDDArchiveKept::Replacing *CDDArchiveKept::Replacing::current()
{
    return replacing;
}

PWPlist::Dictionary CDDArchiveKept::merged(const PWPlist::Dictionary &now) const
{
    if (isForgotten())
        return now;
    Paths left;
    // Only what the reading being replaced left out of this very dictionary.
    if (replacing && replacing->report() && m_read && m_report.lock().get() == replacing->report())
        left = replacing->leftOutBelow(m_read);
    return mergedDictionary(m_stored, m_written, now, m_keep, left);
}
