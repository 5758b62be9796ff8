// The keys every component saves, and the creation of a component from the class ID its
// archive names.

#include "kernel/component/CFTComponent.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDArchiveKept.h"
#include "kernel/base/CDDReadReport.h"
#include "kernel/base/CDDWrittenShape.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/FTComponentFactory.h"

#include <algorithm>

namespace {

// What the class an entry names writes of what the object made of it writes: an entry made as
// another class (a plain text of a back list, made as an address text) is asked only for the keys
// its own class writes.
PWPlist::Dictionary writtenByStoredClass(const CDDArchiveKept &kept, int classID, const CDDArchive &archive)
{
    if (kept.stored().value(key_ClassID) == kept.written().value(key_ClassID))
        return kept.written();
    const std::unique_ptr<CFTComponent> own = FTComponentFactory::createComponent(classID, archive.getBundleVersion(), nullptr);
    if (!own)
        return PWPlist::Dictionary();
    const PWPlist::Dictionary ownKeys = CFTACoreDoc::GetArchiveFromObject(own.get(), nullptr).getDict().toDictionary();
    PWPlist::Dictionary written;
    for (const PWPlist::Dictionary::Entry &entry : kept.written()) {
        if (ownKeys.contains(entry.first))
            written.insert(entry.first, entry.second);
    }
    return written;
}

// Whether a dictionary within a component is read as a component of its own (a panel's fields),
// which measures it by its own writer.
bool isComponentArchive(const PWPlist::Dictionary &dictionary)
{
    const PWPlist classID = dictionary.value(key_ClassID);
    if (!classID.isString())
        return false;
    const auto found = std::find(classStringKeys.begin(), classStringKeys.end(), classID.toString());
    return found != classStringKeys.end() && FTComponentFactory::isRegistered(int(found - classStringKeys.begin()));
}

} // namespace

bool CFTComponent::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *)
{
    if (archive.isStoring()) {
        archive.startFrom(mKept);
        archive.SetClassID(getClassID());
        archive.SetRectData(key_Bounds, mdOriginX, mdOriginY, mdSizeX, mdSizeY);
        archive.SetData(key_Angle, mdAngle);
        archive.SetData(key_Color, mColor);
        // The offset key is what marks a component as shadowed; there is no flag of its own.
        if (mbHasShadow) {
            archive.SetData(key_ShadowHorizontalOffset, mShadow.getShadowOffsetX());
            archive.SetData(key_ShadowVerticalOffset, mShadow.getShadowOffsetY());
            archive.SetData(key_ShadowBlurRadius, mShadow.getShadowBlurRadius());
            archive.SetData(key_ShadowColor, *mShadow.getShadowColor());
        }
        archive.SetData(key_Stroke, mbHasOutline);
        archive.SetData(key_OutlineColor, mOutlineColor);
        archive.SetData(key_PenWidth, mOutlinePen);
        archive.SetData(key_TextWrapping, int(mTextWrapType));
        archive.SetData(key_TextWrappingInset, mdInset);
        archive.SetData(key_ObjectRepresentation, int(_representation));
        return true;
    }

    mdSizeX = 0.0;
    mdSizeY = 0.0;
    const double originX = mdOriginX;
    const double originY = mdOriginY;
    if (archive.GetRectData(key_Bounds, &mdOriginX, &mdOriginY, &mdSizeX, &mdSizeY, CDDRanges::kExtent)
        && !(CDDRanges::kCoordinate.contains(mdOriginX) && CDDRanges::kCoordinate.contains(mdOriginY))) {
        const QString stored = archive.value(key_Bounds).toString().left(80);
        if (!CDDRanges::kCoordinate.contains(mdOriginX))
            mdOriginX = originX;
        if (!CDDRanges::kCoordinate.contains(mdOriginY))
            mdOriginY = originY;
        archive.noteOutOfRange(key_Bounds, stored, QStringLiteral("{{%1, %2}, {%3, %4}}")
                                                       .arg(mdOriginX)
                                                       .arg(mdOriginY)
                                                       .arg(mdSizeX)
                                                       .arg(mdSizeY));
    }
    // A frame taller or wider than any page is the text's own (it follows its text when laid
    // out): drawn within the page coordinates, as before, without a word.
    mdSizeX = std::clamp(mdSizeX, CDDRanges::kCoordinate.lowest, CDDRanges::kCoordinate.highest);
    mdSizeY = std::clamp(mdSizeY, CDDRanges::kCoordinate.lowest, CDDRanges::kCoordinate.highest);
    mdAngle = 0.0;
    mTextWrapType = GetWrapType();
    archive.GetData(key_Angle, &mdAngle, CDDRanges::kAngle);
    int wrap = int(mTextWrapType);
    if (archive.GetData(key_TextWrapping, &wrap, CDDRanges::kTextWrap))
        mTextWrapType = textWrap(wrap);
    archive.GetData(key_TextWrappingInset, &mdInset, CDDRanges::kSignedLength);
    archive.GetData(key_Color, mColor);

    // The offset key is what marks a shadow; a shadow whose offset is kept out is still one.
    mbHasShadow = !archive.value(key_ShadowHorizontalOffset).isNull();
    if (mbHasShadow) {
        double offsetX = 0.0;
        double offsetY = 0.0;
        double blur = 0.0;
        CDDColor color;
        archive.GetData(key_ShadowHorizontalOffset, &offsetX, CDDRanges::kSignedLength);
        archive.GetData(key_ShadowVerticalOffset, &offsetY, CDDRanges::kSignedLength);
        archive.GetData(key_ShadowBlurRadius, &blur, CDDRanges::kLength);
        archive.GetData(key_ShadowColor, color);
        mShadow = CDDShadow(offsetX, offsetY, blur, &color);
    }

    archive.GetData(key_Stroke, &mbHasOutline);
    archive.GetData(key_OutlineColor, mOutlineColor);
    archive.GetData(key_PenWidth, mOutlinePen);
    int representation = int(_representation);
    if (archive.GetData(key_ObjectRepresentation, &representation, CDDRanges::kRepresentation))
        _representation = objectRepType(representation);

    mbIsLastPathValid = false;
    InvalidateShadow();
    return true;
}

void CFTComponent::layOutKeepingFile(const std::function<void()> &layOut)
{
    if (!mKept) {
        layOut();
        return;
    }
    // What the component writes itself, as its reading measured it: without the file's values.
    const auto written = [this] {
        CDDArchive writing(true);
        Serialize(writing, nullptr);
        writing.startFrom(nullptr);
        const PWPlist dictionary = writing.getDict();
        return dictionary.isDictionary() ? dictionary.toDictionary() : PWPlist::Dictionary();
    };
    const PWPlist::Dictionary before = written();
    layOut();
    if (std::shared_ptr<const CDDArchiveKept> rebased = mKept->rebased(before, written()))
        mKept = std::move(rebased);
}

std::unique_ptr<CFTComponent> CFTComponent::CreateFromArchive(const CDDArchive &archive,
                                                              std::vector<CFTComponent *> *subList,
                                                              CFTComponent *parent, int classVersion)
{
    if (archive.isStoring())
        return nullptr;
    // A missing or unknown class name leaves no ID to make anything of.
    int classID = -1;
    archive.GetClassID(&classID);
    const int madeAs = classVersion < 0 ? archive.getBundleVersion() : classVersion;
    std::unique_ptr<CFTComponent> component = FTComponentFactory::createComponent(classID, madeAs, parent);
    if (!component)
        return nullptr;
    component->Serialize(archive, subList);
    // What the file holds beyond what was read goes back into the next save of this component.
    // An old form is converted, parts of it moved elsewhere: written back, they would be read twice.
    // So is an extended text, whose blocks become texts of their own.
    if (archive.getBundleVersion() > FTComponentFactory::kLastOldBundleVersion && classID != ciExtendedText) {
        CFTComponent *const made = component.get();
        component->mKept = CDDArchiveKept::after(archive, CDDArchiveKept::Keep::Everything,
                                                 [made](const CDDArchive &writing) { made->Serialize(writing, nullptr); });
        // A key the class writes that the file holds as another kind of value, or as an emptied
        // list, is named, whoever reads it, and kept as the file has it.
        if (component->mKept)
            CDDWrittenShape::noteGaps(archive, component->mKept->stored(), writtenByStoredClass(*component->mKept, classID, archive),
                                      isComponentArchive,
                                      CDDReadReport::placeOf(archive.readDictionary()));
    }
    return component;
}

CFTComponent *CFTComponent::SerializeFromArchive(const CDDArchive &archive, std::vector<CFTComponent *> *list,
                                                 CFTComponent *parent, int classVersion)
{
    std::unique_ptr<CFTComponent> component = CreateFromArchive(archive, list, parent, classVersion);
    if (!component)
        return nullptr;
    // Appended after its own loading, so that sub-components it added stand before it.
    CFTComponent *const made = component.release();
    if (list)
        list->push_back(made);
    return made;
}
