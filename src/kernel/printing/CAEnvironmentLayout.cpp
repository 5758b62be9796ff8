#include "kernel/printing/CAEnvironmentLayout.h"

#include "kernel/base/CAEnvironment.h"

#include "platform/PWBundle.h"
#include "kernel/printing/CATemplateFormat.h"

std::shared_ptr<CATemplateFormat> defaultLayout(int documentType)
{
    if (const CATemplateFormat::TemplateList *recent = CATemplateFormat::recentLayouts(documentType);
        recent && !recent->isEmpty())
        return recent->first();
    const CATemplateFormat::TemplateList *predefined = CATemplateFormat::predefLayouts(documentType);
    if (!predefined || predefined->isEmpty())
        return nullptr;
    const QString envelopeCategory = PWLocalizedString(QStringLiteral("Commercial/Official"));
    std::shared_ptr<CATemplateFormat> match;
    // The whole list is walked: when a catalogue lists the default twice, the later entry wins.
    for (const std::shared_ptr<CATemplateFormat> &format : *predefined) {
        const bool isDefault = documentType == dtEnvelope
                                   ? format->ID() == QLatin1String("10") && format->Category() == envelopeCategory
                                   : documentType == dtLabel && format->ID() == QLatin1String("05960")
                                         && format->Manufacturer() == QLatin1String("Avery");
        if (isDefault)
            match = format;
    }
    return match ? match : predefined->first();
}
