#include "kernel/base/CDDArchiveKept.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"

namespace {

thread_local int forgottenDepth = 0;

PWPlist::Dictionary mergedDictionary(const PWPlist::Dictionary &stored, const PWPlist::Dictionary &written,
                                     const PWPlist::Dictionary &now, CDDArchiveKept::Keep keep);

// The value under one key: the stored one while the property is as read, else the one written
// now, within which the parts the user did not touch are kept the same way.
PWPlist mergedValue(const PWPlist &stored, const PWPlist &written, const PWPlist &now, CDDArchiveKept::Keep keep)
{
    if (keep == CDDArchiveKept::Keep::UnwrittenKeys)
        return now;
    // Dictionaries are walked even when nothing in them changed, for the bundle versions within.
    if (stored.isDictionary() && written.isDictionary() && now.isDictionary())
        return PWPlist(mergedDictionary(stored.toDictionary(), written.toDictionary(), now.toDictionary(), keep));
    // A list is taken entry by entry only while its entries still stand where they stood; once
    // one is added, removed or moved, its entries carry what they keep themselves (components).
    if (stored.isArray() && written.isArray() && now.isArray() && stored.toArray().size() == written.toArray().size()
        && written.toArray().size() == now.toArray().size()) {
        PWPlist::Array list;
        list.reserve(now.toArray().size());
        for (qsizetype i = 0; i < now.toArray().size(); ++i)
            list.append(mergedValue(stored.toArray().at(i), written.toArray().at(i), now.toArray().at(i), keep));
        return PWPlist(list);
    }
    return now == written ? stored : now;
}

PWPlist::Dictionary mergedDictionary(const PWPlist::Dictionary &stored, const PWPlist::Dictionary &written,
                                     const PWPlist::Dictionary &now, CDDArchiveKept::Keep keep)
{
    PWPlist::Dictionary merged;
    // In the stored order, so that a save changes no more of the file than it must.
    for (const PWPlist::Dictionary::Entry &entry : stored) {
        const PWPlist wasWritten = written.value(entry.first);
        const PWPlist isWritten = now.value(entry.first);
        if (entry.first == key_BundleVersion) {
            if (!isWritten.isNull())
                merged.insert(entry.first, isWritten);
        } else if (wasWritten.isNull() && isWritten.isNull()) {
            // Nothing of ours: a key this version does not know, or a value it could not take.
            merged.insert(entry.first, entry.second);
        } else if (!isWritten.isNull()) {
            merged.insert(entry.first, mergedValue(entry.second, wasWritten, isWritten, keep));
        }
        // Else written after reading and no longer: the user took the property away.
    }
    for (const PWPlist::Dictionary::Entry &entry : now) {
        if (!stored.contains(entry.first))
            merged.insert(entry.first, entry.second);
    }
    return merged;
}

} // namespace

CDDArchiveKept::CDDArchiveKept(PWPlist::Dictionary stored, PWPlist::Dictionary written, Keep keep)
    : m_stored(std::move(stored)), m_written(std::move(written)), m_keep(keep)
{
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
        stored.toDictionary(), written.isDictionary() ? written.toDictionary() : PWPlist::Dictionary(), keep);
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
    return std::make_shared<const CDDArchiveKept>(m_stored, now, m_keep);
}

PWPlist::Dictionary CDDArchiveKept::merged(const PWPlist::Dictionary &now) const
{
    if (isForgotten())
        return now;
    return mergedDictionary(m_stored, m_written, now, m_keep);
}
