#include "app/inspector/CADesignTextItem.h"

#include "app/inspector/CADesignLog.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/component/FTComponentFactory.h"

CADesignTextItem::CADesignTextItem(const QString &name, Type type, textCategory category, int customIndex)
    : m_name(name)
    , m_type(type)
    , m_tc(type == Field ? category : static_cast<textCategory>(-1))
    , m_customIndex(type == CustomFormat ? customIndex : -1)
{
}

std::unique_ptr<CFTComponent> CADesignTextItem::createField(bool toFrom, const CFTComponent *templateComponent) const
{
    const CAddressFormatController &formats = CAddressFormatController::sharedAddressFormatController();
    const std::optional<PWPlist::Dictionary> descriptor =
        formats.formatDescriptorForCountryCode(CAEnvironment::defaultCountry());
    const CDDString label(formats.labelForTextCategory(m_tc, descriptor ? &*descriptor : nullptr));
    switch (m_tc) {
    case tcCounter: {
        auto counter = std::make_unique<CFTCounterField>(templateComponent);
        counter->setLabel(label);
        return counter;
    }
    case tcFileData: {
        auto file = std::make_unique<CFTFileField>(templateComponent);
        file->setLabel(label);
        return file;
    }
    case tcBarcode: {
        // The constructor only reads its template's text settings.
        auto barcode = std::make_unique<CFTABarcode>(const_cast<CFTComponent *>(templateComponent));
        barcode->SetOrigin(0.0, 0.0);
        barcode->SetLocation(blStandalone);
        return barcode;
    }
    default:
        return std::make_unique<CFTAAddressText>(toFrom, m_tc, adWork, &label, templateComponent);
    }
}

std::unique_ptr<CFTComponent> CADesignTextItem::createComponentAsReceiver(bool toFrom,
                                                                          const CFTComponent *templateComponent) const
{
    const CAddressFormatController &formats = CAddressFormatController::sharedAddressFormatController();
    std::unique_ptr<CFTComponent> made;
    std::unique_ptr<CAddressFormat> format;
    switch (m_type) {
    case Field:
        made = createField(toFrom, templateComponent);
        break;
    case Template:
        // Without its template the catalogue would answer the country part alone.
        if (formats.templates().contains(m_name))
            format = formats.formatWithTemplate(m_name, CAEnvironment::defaultCountry(), false, 0);
        if (!format) {
            qCWarning(lcDesign) << "address template" << m_name << "not found";
            return nullptr;
        }
        break;
    case CustomFormat: {
        const PWPlist::Array &custom = formats.customTemplates();
        // The index is the one the lists were built with; the catalogue may have changed since.
        if (m_customIndex >= 0 && m_customIndex < custom.size() && custom.at(m_customIndex).isDictionary())
            format = formats.formatWithDesc(custom.at(m_customIndex).toDictionary(), m_name);
        if (!format) {
            qCWarning(lcDesign) << "custom template format" << m_name << "not found";
            return nullptr;
        }
        break;
    }
    case Separator:
        return nullptr;
    }
    if (format) {
        FTComponentFactory::Recipe recipe;
        recipe.toFrom = toFrom;
        recipe.format = format.get();
        recipe.styleSource = templateComponent;
        made = FTComponentFactory::makeComponent(ciAddressPanel, recipe);
        if (auto *panel = dynamic_cast<CFTAAddressPanel *>(made.get()))
            panel->updateFormat();
    }
    if (!made)
        return nullptr;
    made->SetOrigin(0.0, 0.0);
    made->SetAlignment(made->GetAlignment());
    return made;
}
