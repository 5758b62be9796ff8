// The back list of a file from elsewhere, written back as the file held it.

#include "kernel/document/CFTADocument.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDArchiveKept.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/drawing/CFTExtPicture.h"

#include <algorithm>

namespace {

bool listedIn(const std::vector<CFTComponent *> &list, const CFTComponent *component)
{
    return std::find(list.begin(), list.end(), component) != list.end();
}

} // namespace

void CFTADocument::rememberBackEntries(const PWPlist &stored, const std::vector<std::vector<CFTComponent *>> &made,
                                       const std::vector<BackEntryRead> &reads)
{
    m_backEntries.clear();
    const PWPlist::Array entries = stored.toArray();
    for (qsizetype i = 0; i < entries.size() && size_t(i) < made.size(); ++i) {
        BackEntry entry {entries.at(i), made[size_t(i)], {}, size_t(i) < reads.size() ? reads[size_t(i)] : BackEntryRead()};
        // Set aside at the reading (a second background) counts as not read: written back.
        std::erase_if(entry.made, [this](const CFTComponent *component) {
            return !listedIn(GetComponents(0, false), component) && !listedIn(GetComponents(0, true), component);
        });
        for (CFTComponent *component : entry.made)
            entry.written.append(GetArchiveFromObject(component, nullptr).getDict());
        m_backEntries.push_back(std::move(entry));
    }
}

bool CFTADocument::isFromBackList(const CFTComponent *component) const
{
    return std::any_of(m_backEntries.begin(), m_backEntries.end(),
                       [component](const BackEntry &entry) { return listedIn(entry.made, component); });
}

void CFTADocument::storeBackList(const CDDArchive &front) const
{
    CFTExtPicture *background = getBackground(0);
    const bool backgroundRead = background && isFromBackList(background);
    if (!background && m_backEntries.empty())
        return;
    front.BeginArrayData();
    if (background && !backgroundRead)
        front.SetData(key_BackComponents, GetArchiveFromObject(background, &front));
    for (const BackEntry &entry : m_backEntries) {
        // A component still on the side: the background in the back list, any other first
        // among the side's components, or wherever an arrangement moved it there.
        std::vector<CDDArchive> now;
        PWPlist::Array nowWritten;
        for (CFTComponent *component : entry.made) {
            const bool listed = component->getClassID() == ciBackgroundPicture ? component == background
                                                                                : listedIn(GetComponents(0, false), component);
            if (!listed)
                continue;
            now.push_back(GetArchiveFromObject(component, &front));
            nowWritten.append(now.back().getDict());
        }
        // A replace of the file without what its reading left out writes the entries as their
        // components hold them now, as it does the side's own: each leaves out just those parts
        // and fills in what it lacked, so that nothing is named again at the next reading. An
        // entry that did not read is left out, one set aside (a second background) kept.
        const CDDArchiveKept::Replacing *replace = CDDArchiveKept::Replacing::current();
        const bool replacing = replace && replace->report() && replace->report() == entry.read.report.lock().get()
                               && (!entry.made.empty() || !replace->leftOutBelow(entry.read.dictionary).isEmpty());
        if (nowWritten == entry.written && !replacing) {
            CDDArchive stored(true, front.GetPackageType());
            stored.Attach(entry.stored);
            if (entry.stored.isDictionary())
                front.SetData(key_BackComponents, stored);
            continue;
        }
        for (const CDDArchive &archive : now)
            front.SetData(key_BackComponents, archive);
    }
    front.EndArrayData(key_BackComponents);
}
