#include "kernel/component/FTComponentFactory.h"

#include "kernel/component/CFTComponent.h"
#include "kernel/base/FTClassID.h"

#include <map>

Q_LOGGING_CATEGORY(lcComponent, "pw.kernel.component")

namespace {

// Every class a document's component list can hold, and whether it is made with the parent the
// loader offers or without one.
struct CreatableClass
{
    classID id;
    bool takesParent;
};

constexpr CreatableClass kCreatableClasses[] = {
    {ciShape, true},
    {ciSeparator, true},
    {ciText, true},
    {ciPicture, false},
    {ciBackgroundPicture, false},
    {ciAddressPanel, false},
    {ciBarcode, true},
    {ciAddressText, true},
    {ciCounter, true},
    {ciFileField, true},
    {ciExtendedText, false},
    {ciSmartField, true},
};

// The row of a class ID; null for one that no component answers to.
const CreatableClass *creatableClass(int id)
{
    for (const CreatableClass &row : kCreatableClasses) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

bool isCreatable(int classID)
{
    return creatableClass(classID) != nullptr;
}

std::map<int, FTComponentFactory::Creator> &registry()
{
    static std::map<int, FTComponentFactory::Creator> creators;
    return creators;
}

std::map<int, FTComponentFactory::Maker> &makers()
{
    static std::map<int, FTComponentFactory::Maker> registered;
    return registered;
}

} // namespace

void FTComponentFactory::registerMaker(int classID, Maker maker)
{
    if (maker)
        makers()[classID] = std::move(maker);
    else
        makers().erase(classID);
}

std::unique_ptr<CFTComponent> FTComponentFactory::makeComponent(int classID, const Recipe &recipe)
{
    const auto found = makers().find(classID);
    if (found == makers().end() || !found->second) {
        qCWarning(lcComponent).noquote() << QStringLiteral("No maker is registered for class ID %1").arg(classID);
        return nullptr;
    }
    return found->second(recipe);
}

bool FTComponentFactory::registerClass(int classID, Creator creator)
{
    if (!isCreatable(classID)) {
        qCWarning(lcComponent).noquote() << QStringLiteral("No class can be registered for nClassID (=%1)").arg(classID);
        return false;
    }
    if (creator)
        registry()[classID] = std::move(creator);
    else
        registry().erase(classID);
    return true;
}

FTComponentFactory::Creator FTComponentFactory::creatorOf(int classID)
{
    const auto found = registry().find(classID);
    return found == registry().end() ? Creator() : found->second;
}

FTComponentFactory::ScopedOverride::ScopedOverride(int classID, Creator creator)
    : m_classID(classID)
    , m_previous(creatorOf(classID))
{
    registerClass(classID, std::move(creator));
}

FTComponentFactory::ScopedOverride::~ScopedOverride()
{
    registerClass(m_classID, std::move(m_previous));
}

bool FTComponentFactory::isRegistered(int classID)
{
    return registry().count(classID) > 0;
}

std::unique_ptr<CFTComponent> FTComponentFactory::createComponent(int classID, int bundleVersion,
                                                                  CFTComponent *parent)
{
    int made = classID;
    if (classID == ciText && bundleVersion <= kLastOldBundleVersion)
        made = ciAddressText;
    else if (classID == ciTitledText)
        made = ciText;

    if (!isCreatable(made)) {
        qCWarning(lcComponent).noquote() << QStringLiteral("Unknown nClassID (=%1)").arg(classID);
        return nullptr;
    }
    const auto found = registry().find(made);
    if (found == registry().end()) {
        qCWarning(lcComponent).noquote()
            << QStringLiteral("nClassID (=%1) has no registered class; the component is left out").arg(classID);
        return nullptr;
    }
    CFTComponent *const offered = classID == ciTitledText || !creatableClass(made)->takesParent ? nullptr : parent;
    return found->second(offered);
}
