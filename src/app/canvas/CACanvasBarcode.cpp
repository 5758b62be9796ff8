#include "app/canvas/CACanvasBarcode.h"

#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/FTClassID.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"

#include <algorithm>
#include <utility>

namespace {

QString formatName(const CAddressFormat *format, textCategory category)
{
    const CDDString *name = format ? format->name(category) : nullptr;
    return name ? name->getData() : QString();
}

} // namespace

namespace CACanvasBarcode {

bool allowed(const CFTAAddressPanel *panel)
{
    const CAddressFormat *format = panel ? panel->getFormat() : nullptr;
    if (!format || format->isCustomFormat() || !panel->GetToFrom())
        return false;
    QString country = formatName(format, tcAddress);
    if (country.isEmpty())
        country = QStringLiteral("us");
    QString templateName = formatName(format, tcRootFormat);
    if (templateName.isEmpty())
        templateName = CAEnvironment::defaultTemplate();
    return CAddressFormatController::sharedAddressFormatController().allowCategory(tcBarcode, templateName, country);
}

bool offersPlace(const CADocView &canvas, int location)
{
    if (location == 0 || location == 1)
        return true;
    const CADocument *document = canvas.document();
    const CFTADocument *design = document ? document->ftDocument() : nullptr;
    return location == 2 && design && !design->isLabelType();
}

std::vector<CFTAAddressPanel *> reached(const CADocView &canvas)
{
    std::vector<CFTAAddressPanel *> panels;
    const CFTAView *view = canvas.ftView();
    if (!view)
        return panels;
    for (CFTComponent *component : view->getSelComponents()) {
        if (component->getClassID() != ciAddressPanel)
            continue;
        auto *panel = static_cast<CFTAAddressPanel *>(component);
        if (allowed(panel))
            panels.push_back(panel);
    }
    if (panels.empty()) {
        const CADocument *document = canvas.document();
        CFTAAddressPanel *recipient = document && document->ftDocument() ? document->ftDocument()->barcodeRecipientPanel()
                                                                         : nullptr;
        if (allowed(recipient))
            panels.push_back(recipient);
    }
    return panels;
}

bool isShown(const CADocView &canvas, const CFTAAddressPanel *panel)
{
    return canvas.addressEdits().shownBarcodeLocation(panel) >= 0;
}

bool anyShown(const CADocView &canvas, const std::vector<CFTAAddressPanel *> &panels)
{
    return std::any_of(panels.begin(), panels.end(),
                       [&canvas](const CFTAAddressPanel *panel) { return isShown(canvas, panel); });
}

int place(const CADocView &canvas, const CFTAAddressPanel *panel)
{
    const int shownAt = canvas.addressEdits().shownBarcodeLocation(panel);
    const int at = shownAt >= 0 ? shownAt : CACanvasAddressEdits::drawnBarcodeLocation(panel);
    return at == 1 || at == 2 ? at : 0;
}

void show(CADocView &canvas, bool on, const std::vector<CFTComponent *> &panels)
{
    CACanvasAddressEdits &address = canvas.addressEdits();
    CACanvasEdits::Step step(canvas.edits(), QStringLiteral("SHOW_BARCODE"), true);
    for (CFTComponent *component : panels) {
        if (component->getClassID() == ciAddressPanel)
            address.showBarcode(on, place(canvas, static_cast<const CFTAAddressPanel *>(component)), component);
    }
}

void move(CADocView &canvas, int location, const std::vector<CFTComponent *> &panels)
{
    location = location == 0 || location == 1 ? location : 2;
    if (!offersPlace(canvas, location))
        return;
    CACanvasAddressEdits &address = canvas.addressEdits();
    std::vector<std::pair<CFTComponent *, bool>> moved;
    for (CFTComponent *component : panels) {
        if (component->getClassID() != ciAddressPanel)
            continue;
        const auto *panel = static_cast<const CFTAAddressPanel *>(component);
        // A design may keep another place than the one drawn: the move makes the two agree.
        if (place(canvas, panel) != location || panel->GetBarcodeLocation() != location)
            moved.emplace_back(component, isShown(canvas, panel));
    }
    if (moved.empty())
        return;
    CACanvasEdits::Step step(canvas.edits(), QStringLiteral("SET_BARCODE_LOCATION"), true);
    for (const auto &[component, shown] : moved)
        address.showBarcode(shown, location, component);
}

} // namespace CACanvasBarcode
