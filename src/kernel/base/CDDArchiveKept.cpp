#include "kernel/base/CDDArchiveKept.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDReadReport.h"

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
    return now == written && left.isEmpty() ? stored : now;
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
            // Nothing of ours: a key this version does not know, or a value it could not take.
            merged.insert(entry.first, entry.second);
        } else if (!isWritten.isNull()) {
            merged.insert(entry.first,
                          mergedValue(entry.second, wasWritten, isWritten, keep, pathsBelow(left, entry.first)));
        }
        // Else written after reading and no longer: the user took the property away.
    }
    for (const PWPlist::Dictionary::Entry &entry : now) {
        // A key the file lacked stays out while the property is as read: the file is saved as it
        // was, and names the same gap when it is read again. The bundle version names the writer.
        // A replace writes what the object holds now for a part the reading named as left out.
        if (!stored.contains(entry.first)
            && (keep == CDDArchiveKept::Keep::UnwrittenKeys || entry.first == key_BundleVersion
                || written.value(entry.first) != entry.second || left.contains(QStringList {entry.first})))
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
