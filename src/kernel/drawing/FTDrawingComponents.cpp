#include "kernel/drawing/FTDrawingComponents.h"

#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/FTComponentFactory.h"

void registerDrawingComponents()
{
    FTComponentFactory::registerClass(ciShape,
                                      [](CFTComponent *parent) { return std::make_unique<CFTBoxField>(parent); });
    FTComponentFactory::registerClass(ciSeparator,
                                      [](CFTComponent *parent) { return std::make_unique<CFTSeparator>(parent); });
    FTComponentFactory::registerClass(ciPicture, [](CFTComponent *) { return std::make_unique<CFTPicture>(); });
    FTComponentFactory::registerClass(ciBackgroundPicture,
                                      [](CFTComponent *) { return std::make_unique<CFTExtPicture>(); });

    using Recipe = FTComponentFactory::Recipe;
    FTComponentFactory::registerMaker(ciPicture, [](const Recipe &recipe) -> std::unique_ptr<CFTComponent> {
        return recipe.picture ? std::make_unique<CFTPicture>(*recipe.picture) : std::make_unique<CFTPicture>();
    });
    FTComponentFactory::registerMaker(ciBackgroundPicture, [](const Recipe &recipe) -> std::unique_ptr<CFTComponent> {
        return recipe.picture ? std::make_unique<CFTExtPicture>(*recipe.picture) : std::make_unique<CFTExtPicture>();
    });
}
