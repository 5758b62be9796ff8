// Component and guideline lists in archives, and the copying of a side through them.

#include "kernel/component/CFTACoreDoc.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDFileProgress.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTLayoutGuideline.h"

#include <algorithm>
#include <unordered_set>

namespace {

// Entries are read like the archive that holds them: with its bundle version (the list archive
// carries it already) and its archive path, against which pictures resolve their references.
void readLikeParent(CDDArchive &entry, const CDDArchive &parent)
{
    entry.setBundleVersion(parent.getBundleVersion());
    entry.SetArchivePath(parent.GetArchivePath());
}

} // namespace

void CFTACoreDoc::noteComponentLeftOut(const CDDArchive &entry, int index)
{
    // Noted against the entry's class key, so that a damaged key is named in the same report line.
    // An entry whose class was left out makes nothing and is missing from the page, so the file's
    // lack is told, though a save keeps it at its place in the list (CDDArchiveKept). A class key
    // damaged in its name is named by the report; an entry emptied of every key is named as such.
    if (!entry.getDict().isDictionary())
        entry.noteUnread(key_ClassID, QStringLiteral("Component %1 was left out: it is not a dictionary").arg(index + 1));
    else if (entry.getDict().toDictionary().isEmpty())
        entry.noteUnread(key_ClassID, QStringLiteral("Component %1 was left out: it holds nothing").arg(index + 1));
    else if (entry.value(key_ClassID).isNull()) {
        if (CDDReadReport::damagedFormOf(entry.getDict().toDictionary(), key_ClassID, {}).isEmpty())
            entry.noteKept(key_ClassID, QStringLiteral("Component %1 was left out: it names no class (\"%2\" is missing)")
                                            .arg(index + 1)
                                            .arg(key_ClassID));
    } else
        entry.noteUnread(key_ClassID,
                         QStringLiteral("Component %1 was left out: its class could not be read").arg(index + 1));
}

// --- Sides --------------------------------------------------------------------------------------

CFTACoreDoc::ftSide::ftSide() = default;

CFTACoreDoc::ftSide::~ftSide()
{
    std::unordered_set<CFTComponent *> components(maBackComponents.begin(), maBackComponents.end());
    components.insert(maComponents.begin(), maComponents.end());
    for (CFTComponent *component : components)
        delete component;
    const std::unordered_set<CFTLayoutGuideline *> guidelines(maLayoutGuidelines.begin(), maLayoutGuidelines.end());
    for (CFTLayoutGuideline *guideline : guidelines)
        delete guideline;
}

void CFTACoreDoc::ftSide::clean(CFTACoreDoc *document)
{
    if (!document)
        return;
    for (CFTComponent *component : maBackComponents)
        document->autorelease(component);
    for (CFTComponent *component : maComponents)
        document->autorelease(component);
    for (CFTLayoutGuideline *guideline : maLayoutGuidelines)
        document->autorelease(guideline);
    maBackComponents.clear();
    maComponents.clear();
    maLayoutGuidelines.clear();
}

std::unique_ptr<CFTACoreDoc::ftSide> CFTACoreDoc::ftSide::clone() const
{
    auto copy = std::make_unique<ftSide>();
    const auto copyList = [](const std::vector<CFTComponent *> &from, std::vector<CFTComponent *> &to) {
        CDDArchive archive(true);
        std::vector<CFTComponent *> source = from;
        CFTACoreDoc::SerializeComponents(archive, &source, false);
        archive.setStoring(false);
        CFTACoreDoc::SerializeComponents(archive, &to, false);
    };
    copyList(maBackComponents, copy->maBackComponents);
    copyList(maComponents, copy->maComponents);

    CDDArchive guidelines(true);
    guidelines.BeginArrayData();
    for (CFTLayoutGuideline *guideline : maLayoutGuidelines) {
        CDDArchive entry(true);
        guideline->Serialize(entry, nullptr);
        guidelines.SetData(key_LayoutGuidelines, entry);
    }
    guidelines.EndArrayData(key_LayoutGuidelines);
    guidelines.setStoring(false);
    CDDArchive list(false);
    if (guidelines.GetData(key_LayoutGuidelines, list)) {
        for (int i = 0; i < list.countObjectsInArray(); ++i)
            CFTLayoutGuideline::SerializeFromArchive(list.objectAtIndexInArray(i), &copy->maLayoutGuidelines);
    }
    copy->setPageOrientation(mPageOrientation);
    return copy;
}

// --- Archives -----------------------------------------------------------------------------------

CDDArchive CFTACoreDoc::GetArchiveFromObject(CFTComponent *component, const CDDArchive *parent)
{
    CDDArchive archive(true, parent ? parent->GetPackageType() : ptInline);
    if (parent)
        archive.SetArchivePath(parent->GetArchivePath());
    if (component)
        component->Serialize(archive, nullptr);
    return archive;
}

int CFTACoreDoc::GetArchiveArrayFromObject(CFTComponent *component, std::vector<CDDArchive> &archives)
{
    return component ? component->SerializeSelectedSubcomponents(archives) : 0;
}

bool CFTACoreDoc::SerializeComponents(CDDArchive &archive, std::vector<CFTComponent *> *list, bool subcomponents)
{
    if (!list)
        return false;
    if (archive.isStoring()) {
        if (list->empty())
            return true;
        archive.BeginArrayData();
        for (CFTComponent *component : *list) {
            CDDFileProgress::step();
            if (subcomponents && component->getClassID() == ciExtendedText) {
                std::vector<CDDArchive> blocks;
                component->SerializeSelectedSubcomponents(blocks);
                for (const CDDArchive &block : blocks)
                    archive.SetData(key_Components, block);
            } else {
                archive.SetData(key_Components, GetArchiveFromObject(component, nullptr));
            }
        }
        archive.EndArrayData(key_Components);
        return true;
    }

    if (!archive.getDict().value(key_Components).isNull() && !archive.getDict().value(key_Components).isArray()) {
        archive.noteUnread(key_Components, QStringLiteral("The components could not be read: \"%1\" is not a list").arg(key_Components));
        return false;
    }
    CDDArchive entries(false);
    if (!archive.GetData(key_Components, entries))
        return true;
    bool complete = true;
    for (int i = 0; i < entries.countObjectsInArray(); ++i) {
        CDDFileProgress::step();
        CDDArchive entry = entries.objectAtIndexInArray(i);
        readLikeParent(entry, archive);
        if (!CFTComponent::SerializeFromArchive(entry, list, nullptr)) {
            noteComponentLeftOut(entry, i);
            complete = false;
        }
    }
    return complete;
}

bool CFTACoreDoc::SerializeLayoutGuidelines(CDDArchive &archive, int sideIndex)
{
    ftSide *page = getPage(sideIndex);
    if (!page)
        return false;
    if (archive.isStoring()) {
        if (page->maLayoutGuidelines.empty())
            return true;
        archive.BeginArrayData();
        for (CFTLayoutGuideline *guideline : page->maLayoutGuidelines) {
            CDDArchive entry(true);
            guideline->Serialize(entry, nullptr);
            archive.SetData(key_LayoutGuidelines, entry);
        }
        archive.EndArrayData(key_LayoutGuidelines);
        return true;
    }

    CDDArchive entries(false);
    if (!archive.GetData(key_LayoutGuidelines, entries))
        return true;
    bool complete = true;
    for (int i = 0; i < entries.countObjectsInArray(); ++i) {
        CDDArchive entry = entries.objectAtIndexInArray(i);
        readLikeParent(entry, archive);
        int storedClass = ciLayoutGuideline;
        // An entry naming another class, or no dictionary at all, is left out.
        entry.GetClassID(&storedClass);
        if (!entry.getDict().isDictionary() || storedClass != ciLayoutGuideline) {
            qCWarning(lcArchive).noquote()
                << QStringLiteral("Entry %1 of \"%2\" is not a layout guideline").arg(i).arg(key_LayoutGuidelines);
            complete = false;
            continue;
        }
        std::vector<CFTLayoutGuideline *> loaded;
        if (CFTLayoutGuideline *guideline = CFTLayoutGuideline::SerializeFromArchive(entry, &loaded))
            page->maLayoutGuidelines.push_back(guideline);
    }
    return complete;
}
