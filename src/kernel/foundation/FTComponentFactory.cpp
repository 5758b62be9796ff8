#include "FTComponentFactory.h"

#include "CFTComponent.h"
#include "address/CFTAAddressPanel.h"
#include "address/CFTAAddressText.h"
#include "address/CFTABarcode.h"
#include "drawing/CFTCounterField.h"
#include "drawing/CFTFileField.h"
#include "drawing/CFTBoxField.h"
#include "drawing/CFTExtPicture.h"
#include "drawing/CFTSeparator.h"
#include "text/CFTAText.h"
#include "text/CFTSmartField.h"

#include <map>

Q_LOGGING_CATEGORY(lcComponent, "pw.kernel.component")

namespace {

enum : int {
    kSquareField = 1,
    kSeparator = 2,
    kText = 3,
    kTitledText = 5,
    kPicture = 6,
    kBackgroundPicture = 7,
    kAddressPanel = 8,
    kBarcode = 9,
    kAddressText = 10,
    kCounterField = 14,
    kFileField = 15,
    kExtendedText = 16,
    kSmartField = 19,
};

bool isCreatable(int classID)
{
    switch (classID) {
    case kSquareField:
    case kSeparator:
    case kText:
    case kPicture:
    case kBackgroundPicture:
    case kAddressPanel:
    case kBarcode:
    case kAddressText:
    case kCounterField:
    case kFileField:
    case kExtendedText:
    case kSmartField:
        return true;
    default:
        return false;
    }
}

// The classes that are made without the parent the loader offers.
bool takesNoParent(int classID)
{
    return classID == kPicture || classID == kBackgroundPicture || classID == kAddressPanel
           || classID == kExtendedText;
}

std::map<int, FTComponentFactory::Creator> &registry()
{
    static std::map<int, FTComponentFactory::Creator> creators = {
        {kSquareField, [](CFTComponent *parent) { return std::make_unique<CFTBoxField>(parent); }},
        {kSeparator, [](CFTComponent *parent) { return std::make_unique<CFTSeparator>(parent); }},
        {kText, [](CFTComponent *parent) { return std::make_unique<CFTAText>(parent, false); }},
        {kPicture, [](CFTComponent *) { return std::make_unique<CFTPicture>(); }},
        {kBackgroundPicture, [](CFTComponent *) { return std::make_unique<CFTExtPicture>(); }},
        {kSmartField, [](CFTComponent *parent) { return std::make_unique<CFTSmartField>(parent); }},
        {kAddressPanel, [](CFTComponent *) { return std::make_unique<CFTAAddressPanel>(); }},
        {kAddressText, [](CFTComponent *parent) { return std::make_unique<CFTAAddressText>(parent); }},
        {kBarcode, [](CFTComponent *parent) { return std::make_unique<CFTABarcode>(parent); }},
        {kCounterField, [](CFTComponent *parent) { return std::make_unique<CFTCounterField>(parent); }},
        {kFileField, [](CFTComponent *parent) { return std::make_unique<CFTFileField>(parent); }},
    };
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

bool FTComponentFactory::isRegistered(int classID)
{
    return registry().count(classID) > 0;
}

std::unique_ptr<CFTComponent> FTComponentFactory::createComponent(int classID, int bundleVersion,
                                                                  CFTComponent *parent)
{
    int made = classID;
    if (classID == kText && bundleVersion <= kLastOldBundleVersion)
        made = kAddressText;
    else if (classID == kTitledText)
        made = kText;

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
    CFTComponent *const offered = classID == kTitledText || takesNoParent(made) ? nullptr : parent;
    return found->second(offered);
}
