// The kernel document's walks over its components, its layout changes and the placing of the
// referenced address panels.

#include "kernel/document/CFTADocument.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/base/FTGeometry.h"

#include <algorithm>

namespace {

// Cards up to this size group have room for one address panel only: the recipient's.
constexpr int kLastSmallCardGroup = 5;

} // namespace

void CFTADocument::setAddressType(addressType type, bool toFrom)
{
    forEachComponent([&](CFTComponent *component) {
        if (component->GetToFrom() == toFrom)
            component->SetAddressType(type);
    });
}

void CFTADocument::setAddressFormat(const CAddressFormat *format, bool toFrom)
{
    forEachComponent([&](CFTComponent *component) {
        if (component->GetToFrom() == toFrom)
            component->setFormat(format, 1);
    });
}

void CFTADocument::setAuto(bool automatic)
{
    forEachComponent([&](CFTComponent *component) {
        if (component->getClassID() == ciAddressPanel)
            static_cast<CFTAAddressPanel *>(component)->setAuto(automatic);
    });
}

void CFTADocument::updateObjectsTextCategory(textCategory category, bool toFrom, addressType type,
                                             const CDDString &value)
{
    forEachComponent([&](CFTComponent *component) {
        component->SetString(toFrom, category, type, value, tcNone, false);
    });
}

bool CFTADocument::isFIMBarcodeAllow() const
{
    if (!m_FIMVisible)
        return false;
    for (int side = 0; side < getSidesCount(); ++side) {
        for (const bool back : {true, false}) {
            for (const CFTComponent *component : GetComponents(side, back)) {
                const CFTComponent *field = component->GetObjectForTextCategory(tcBarcode);
                if (field && field->getClassID() == ciBarcode
                    && static_cast<const CFTABarcode *>(field)->getBarcodeType() == btPOSTNET)
                    return true;
            }
        }
    }
    return false;
}

void CFTADocument::updateComponentsType(bool flag)
{
    if (!flag || getSizeGroupType(float(mdSizeX), float(mdSizeY), getDocumentType()) > kLastSmallCardGroup)
        return;
    for (int side = 0; side < getSidesCount(); ++side) {
        for (const bool back : {true, false}) {
            const std::vector<CFTComponent *> copy = GetComponents(side, back);
            for (CFTComponent *component : copy) {
                if (component->getClassID() == ciAddressPanel && !component->GetToFrom()) {
                    component->SetToFrom(true);
                    break;
                }
            }
        }
    }
}

// --- Layout changes -----------------------------------------------------------------------------

void CFTADocument::updateComponentsToNewDocSize(double newWidth, double newHeight)
{
    // A degenerate size on either side would give infinite or undefined factors.
    if (!(newWidth > 0.0) || !(newHeight > 0.0) || !(mdSizeX > 0.0) || !(mdSizeY > 0.0))
        return;
    const float oldRatio = float(mdSizeX) / float(mdSizeY);
    const float newRatio = float(newWidth) / float(newHeight);
    const double newLong = newRatio > 1.0f ? newWidth : newHeight;
    const double newShort = newRatio > 1.0f ? newHeight : newWidth;
    const double oldLong = oldRatio > 1.0f ? mdSizeX : mdSizeY;
    const double oldShort = oldRatio > 1.0f ? mdSizeY : mdSizeX;
    double kx = 0.0;
    double ky = 0.0;
    if (IsHorizontal(0)) {
        kx = newLong / oldLong;
        ky = newShort / oldShort;
    } else {
        kx = newShort / oldShort;
        ky = newLong / oldLong;
    }
    const std::vector<CFTComponent *> copy = GetComponents(0, false);
    for (CFTComponent *component : copy)
        component->updateCoordWithKoeff(kx, ky, newWidth, newHeight);
}

void CFTADocument::updateComponentsPositionToFitSize(double width, double height)
{
    const std::vector<CFTComponent *> copy = GetComponents(0, false);
    for (CFTComponent *component : copy)
        component->updatePositionToFitSize(width, height, false);
}

// --- Referenced panels ----------------------------------------------------------------------------

CFTAAddressPanel *CFTADocument::barcodeRecipientPanel() const
{
    if (m_RecipientPanel)
        return m_RecipientPanel;
    // Nothing keeps the reference up to date as panels come and go, so the panel is looked up
    // in the lists each time: a design read from a file or edited on the canvas has no reference.
    CFTAAddressPanel *firstRecipient = nullptr;
    for (int side = 0; side < getSidesCount(); ++side) {
        for (CFTComponent *component : GetComponents(side, false)) {
            if (component->getClassID() != ciAddressPanel || !component->GetToFrom())
                continue;
            auto *panel = static_cast<CFTAAddressPanel *>(component);
            if (panel->getAddressComponentWithTextCategory(tcBarcode))
                return panel;
            if (!firstRecipient)
                firstRecipient = panel;
        }
    }
    return firstRecipient;
}

int CFTADocument::getBarcodeLocation() const
{
    const CFTAAddressPanel *panel = barcodeRecipientPanel();
    return panel ? panel->GetBarcodeLocation() : 0;
}

void CFTADocument::setBarcodeLocation(int location)
{
    if (CFTAAddressPanel *panel = barcodeRecipientPanel())
        panel->SetBarcodeLocation(barcodeLocation(location));
}

const CFTComponent *CFTADocument::barcode() const
{
    const CFTAAddressPanel *panel = barcodeRecipientPanel();
    return panel ? panel->getAddressComponentWithTextCategory(tcBarcode) : nullptr;
}

void CFTADocument::showBarcode(char)
{
}

void CFTADocument::arrangeAddressPanel()
{
    const double W = mdSizeX;
    const double H = mdSizeY;
    const documentType type = getDocumentType();

    if (CFTAAddressPanel *panel = m_SenderPanel) {
        panel->updateFormat();
        const double xMargin = panel->getXMargin();
        const double yMargin = panel->getYMargin();
        const double w = panel->GetSizeX();
        const double h = panel->GetSizeY();
        double x = 0.0;
        double y = 0.0;
        if (type == dtLabel) {
            x = 9.0 - xMargin;
            y = 9.0 - yMargin;
        } else if (type == dtEnvelope) {
            x = (W * 0.5 - w) / 2.0;
            y = (H * 0.33 - h) / 2.0;
            if (x < 9.0)
                x = 9.0 - xMargin;
            if (y < 9.0)
                y = 9.0 - yMargin;
        }
        panel->SetOrigin(float(x), float(y));
    }

    if (CFTAAddressPanel *panel = m_RecipientPanel) {
        panel->updateFormat();
        const double xMargin = panel->getXMargin();
        const double yMargin = panel->getYMargin();
        const double w = panel->GetSizeX();
        const double h = panel->GetSizeY();
        double x = 0.0;
        double y = 0.0;
        if (type == dtLabel) {
            x = (W - 18.0 - w) / 2.0 + 9.0;
            y = (H - 18.0 - h) / 2.0 + 9.0;
            if (x < 9.0)
                x = 9.0 - xMargin;
            if (y < 9.0)
                y = 9.0 - yMargin;
        } else if (type == dtEnvelope) {
            if (W <= 756.0)
                x = std::max((W - 72.0 - w) / 2.0 + 36.0, 36.0);
            else
                x = std::max(W - 702.0 + (666.0 - w) / 2.0, W - 702.0);
            y = std::max(0.3 * H + (H - 0.3 * H - 45.0 - h) / 2.0, 0.3 * H);
        }
        panel->SetOrigin(float(x), float(y));
    }
}
