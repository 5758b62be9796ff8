#include "kernel/foundation/FTComponentFactory.h"

#include "kernel/foundation/CFTComponent.h"
#include "kernel/foundation/FTClassID.h"

#include <map>

Q_LOGGING_CATEGORY(lcComponent, "pw.kernel.component")

namespace {

bool isCreatable(int classID)
{
    switch (classID) {
    case ciShape:
    case ciSeparator:
    case ciText:
    case ciPicture:
    case ciBackgroundPicture:
    case ciAddressPanel:
    case ciBarcode:
    case ciAddressText:
    case ciCounter:
    case ciFileField:
    case ciExtendedText:
    case ciSmartField:
        return true;
    default:
        return false;
    }
}

// The classes that are made without the parent the loader offers.
bool takesNoParent(int classID)
{
    return classID == ciPicture || classID == ciBackgroundPicture || classID == ciAddressPanel
           || classID == ciExtendedText;
}

std::map<int, FTComponentFactory::Creator> &registry()
{
    static std::map<int, FTComponentFactory::Creator> creators;
    return creators;
}

} // namespace

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
    CFTComponent *const offered = classID == ciTitledText || takesNoParent(made) ? nullptr : parent;
    return found->second(offered);
}
