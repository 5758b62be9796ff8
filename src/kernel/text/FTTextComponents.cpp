#include "kernel/text/FTTextComponents.h"

#include "kernel/base/FTClassID.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/text/CFTAText.h"
#include "kernel/text/CFTSmartField.h"
#include "kernel/text/CFTTextExt.h"

void registerTextComponents()
{
    FTComponentFactory::registerClass(ciText,
                                      [](CFTComponent *parent) { return std::make_unique<CFTAText>(parent, false); });
    FTComponentFactory::registerClass(ciSmartField,
                                      [](CFTComponent *parent) { return std::make_unique<CFTSmartField>(parent); });
    FTComponentFactory::registerClass(ciExtendedText, [](CFTComponent *) { return std::make_unique<CFTTextExt>(); });
}
