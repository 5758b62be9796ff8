#include "kernel/address/FTAddressComponents.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/FTComponentFactory.h"

void registerAddressComponents()
{
    FTComponentFactory::registerClass(ciAddressPanel,
                                      [](CFTComponent *) { return std::make_unique<CFTAAddressPanel>(); });
    FTComponentFactory::registerClass(ciAddressText,
                                      [](CFTComponent *parent) { return std::make_unique<CFTAAddressText>(parent); });
    FTComponentFactory::registerClass(ciBarcode,
                                      [](CFTComponent *parent) { return std::make_unique<CFTABarcode>(parent); });
    FTComponentFactory::registerClass(ciCounter,
                                      [](CFTComponent *parent) { return std::make_unique<CFTCounterField>(parent); });
    FTComponentFactory::registerClass(ciFileField,
                                      [](CFTComponent *parent) { return std::make_unique<CFTFileField>(parent); });

    using Recipe = FTComponentFactory::Recipe;
    FTComponentFactory::registerMaker(ciBarcode, [](const Recipe &recipe) {
        return std::make_unique<CFTABarcode>(recipe.x, recipe.y);
    });
    FTComponentFactory::registerMaker(ciAddressPanel, [](const Recipe &recipe) {
        return std::make_unique<CFTAAddressPanel>(recipe.toFrom, recipe.format, recipe.styleSource, false);
    });
}
