#include "app/canvas/CACanvasSelection.h"

#include "kernel/base/FTTypes.h"
#include "kernel/component/CFTComponent.h"

#include <cmath>

const QString CACanvasSelection::kChangeSelectionNotify = QStringLiteral("Change Selection Notification");
const QString CACanvasSelection::kChangeAddressSelectionNotify = QStringLiteral("Change Address Selection Notification");
const QString CACanvasSelection::kChangeAddressTextSelectionNotify =
    QStringLiteral("Change Address Selection Notification");
const QString CACanvasSelection::kChangeBarcodeSelectionNotify = QStringLiteral("Change Address Selection Notification");

QString CACanvasSelection::notificationForSelectionType(int selectionType)
{
    switch (selectionType) {
    case ctBarcode:
        return kChangeBarcodeSelectionNotify;
    case ctAddressPanel:
        return kChangeAddressSelectionNotify;
    case ctAddressText:
        return kChangeAddressTextSelectionNotify;
    default:
        return kChangeSelectionNotify;
    }
}

bool CACanvasSelection::showsFont(int selectionType)
{
    return selectionType == ctText || selectionType == ctAddressPanel || selectionType == ctAddressText;
}

std::optional<CACanvasSelection::Font> CACanvasSelection::fontForSelection(const std::vector<CFTComponent *> &selected,
                                                                          int selectionType)
{
    if (selected.empty() || !selected.front() || !showsFont(selectionType))
        return std::nullopt;
    const CFTComponent *first = selected.front();
    bool fontMixed = false;
    std::optional<PWFont> font = first->GetFont(&fontMixed);
    if (!font)
        return std::nullopt;
    Font answer;
    answer.font = *font;
    bool attributesMixed = false;
    answer.attributes = first->GetFontAttr(&attributesMixed);
    // Several objects always count as several fonts, whatever the first one holds.
    const bool several = selected.size() > 1;
    answer.isMultiple = several || fontMixed;
    answer.attributesMultiple = several || attributesMixed;
    return answer;
}

bool CACanvasSelection::activeToFrom(const std::vector<CFTComponent *> &selected, bool hasRecipientFields,
                                     bool hasSenderFields)
{
    int recipient = 0;
    int sender = 0;
    for (const CFTComponent *component : selected) {
        if (!component || component->GetTextCategory() == tcCustom)
            continue;
        if (component->GetToFrom())
            ++recipient;
        else
            ++sender;
    }
    if (recipient == 0 && sender == 0) {
        if (hasRecipientFields)
            return true;
        return !hasSenderFields;
    }
    return recipient >= sender;
}

QSizeF CACanvasSelection::prepareImageSize(const QSizeF &natural, const QSizeF &page)
{
    const double pageArea = page.width() * page.height();
    if (pageArea >= natural.width() * natural.height() || !(natural.height() > 0) || !(natural.width() > 0))
        return natural;
    const double ratio = natural.width() / natural.height();
    const double height = std::sqrt(pageArea / 2.0 / ratio);
    return QSizeF(height * ratio, height);
}

QSizeF CACanvasSelection::prepareShapeSize(int shapeKind, double pageHeight)
{
    const double side = pageHeight / 3.0;
    if (shapeKind == ctSquashedRect)
        return QSizeF(side + side / 3.0, side);
    return QSizeF(side, side);
}
