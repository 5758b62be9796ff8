#include "kernel/merge/CAPrintingView.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTTextCategories.h"
#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintedItemChecks.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWUserDefaults.h"

#include <QHash>

#include <algorithm>

namespace {

// The person's country as a code, when its address of that type names one.
QString countryOf(const PWPerson *person, addressType type, const QString &fallback)
{
    if (!person || type == adNone)
        return fallback;
    // A print list names few countries many times over, and looking a name up reads the country
    // table: remember the answers for the length of the thread (the workers of a print job
    // filter persons too).
    thread_local QHash<QString, QString> known;
    const QString name = stringForPersonCategory(person, type, tcCountry, true);
    auto found = known.constFind(name);
    if (found == known.constEnd()) {
        if (known.size() > 4096)
            known.clear();
        found = known.insert(name, FTTextCategories::getCountryCodeFromString(name));
    }
    return found->isNull() ? fallback : *found;
}

// A card marked as a company that names its organisation.
bool isCompany(const PWPerson &person)
{
    // Kept as a number, or as its decimal text where the store has no number type.
    const PWPlist flags = person.valueForProperty(QStringLiteral("ABPersonFlags"));
    const qint64 value = flags.isString() ? flags.toString().trimmed().toLongLong() : flags.toInteger();
    if ((value & 7) != 1)
        return false;
    const PWPlist organization = person.valueForProperty(kPWOrganizationProperty);
    return !organization.isNull() && !organization.toString().isEmpty();
}

} // namespace

CADocumentFilter CAPrintingView::sharedDocumentFilter()
{
    const PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    return CADocumentFilter{
        {DocumentFilterKey::SuppressCountryField, defaults.boolForKey(QStringLiteral("FTSuppressCountryField"))},
        {DocumentFilterKey::OmitContactName, false},
        {DocumentFilterKey::CommaDelimited, defaults.boolForKey(QStringLiteral("FTCommaDelimitedAddress"))},
    };
}

CADocumentFilter CAPrintingView::currentDocumentFilter() const
{
    return CADocumentFilter{
        {DocumentFilterKey::SuppressCountryField, _bSuppressCountryField},
        {DocumentFilterKey::OmitContactName, _bOmitContactName},
        {DocumentFilterKey::CommaDelimited, _bCommaDelimited},
        {DocumentFilterKey::FitAddressPanel, _bFitAddressPanel},
    };
}

CADocumentFilter CAPrintingView::processFilter(const CADocumentFilter &filter, CADocument &document, bool checkOnly,
                                               bool laidOutByCheck)
{
    CADocumentFilter result;
    CFTADocument *kernel = document.ftDocument();
    if (!kernel)
        return result;
    const bool suppress = filter.value(DocumentFilterKey::SuppressCountryField);
    const bool omit = filter.value(DocumentFilterKey::OmitContactName);
    const bool fit = filter.value(DocumentFilterKey::FitAddressPanel);
    const bool commaGiven = filter.contains(DocumentFilterKey::CommaDelimited);
    const bool comma = filter.value(DocumentFilterKey::CommaDelimited);

    const std::shared_ptr<PWPerson> recipient = document.currentPerson(true);
    const std::shared_ptr<PWPerson> sender = document.currentPerson(false);
    const double width = kernel->getDocumentSizeX(0);
    const double height = kernel->getDocumentSizeY(0);
    const double gap = std::min(kernel->GetHSpace(), kernel->GetVSpace()) / 2.0;

    // Copied: applying a filter must not disturb the walk over the list.
    const std::vector<CFTComponent *> components = kernel->GetComponents(0, false);
    addressType recipientType = adNone;
    addressType senderType = adNone;
    for (CFTComponent *component : components) {
        if (component->getClassID() != ciAddressPanel)
            continue;
        if (component->GetToFrom() && recipientType == adNone)
            recipientType = component->GetAddressType();
        else if (!component->GetToFrom() && senderType == adNone)
            senderType = component->GetAddressType();
        if (recipientType != adNone && senderType != adNone)
            break;
    }
    const QString defaultCountry = CAEnvironment::defaultCountry();
    const QString recipientCountry = countryOf(recipient.get(), recipientType, defaultCountry);
    const QString senderCountry = countryOf(sender.get(), senderType, defaultCountry);

    if (!suppress && !omit && !commaGiven && !fit)
        return result;

    const bool didSuppress = filter.value(DocumentFilterKey::DidSuppressCountryField);
    const bool didOmit = filter.value(DocumentFilterKey::DidOmitContactName);
    const bool didComma = filter.value(DocumentFilterKey::DidCommaDelimited);
    const bool didFit = filter.value(DocumentFilterKey::DidFitAddressPanel);
    const PWPerson *omitPerson = recipient ? recipient.get() : sender.get();
    const bool company = omitPerson && isCompany(*omitPerson);

    bool commaChanged = false;
    bool fitChanged = false;
    for (CFTComponent *component : components) {
        const bool panel = component->getClassID() == ciAddressPanel;
        // Whether this component is still as the check laid it out: a hidden field or a comma
        // taken out lays it out anew.
        bool asChecked = laidOutByCheck && panel && !checkOnly;
        if (suppress) {
            if (senderCountry == recipientCountry) {
                if (panel) {
                    if (!checkOnly) {
                        static_cast<CFTAAddressPanel *>(component)->setMode(tcCountry, fmNever);
                        asChecked = false;
                    }
                    result.insert(DocumentFilterKey::DidSuppressCountryField, true);
                }
            } else if (didSuppress) {
                result.insert(DocumentFilterKey::RequestProcessOriginal, true);
            }
        }
        if (omit && omitPerson) {
            if (company) {
                if (panel) {
                    if (!checkOnly) {
                        static_cast<CFTAAddressPanel *>(component)->setBatchMode(tcFirstName, fmNever);
                        asChecked = false;
                    }
                    result.insert(DocumentFilterKey::DidOmitContactName, true);
                }
            } else if (didOmit) {
                result.insert(DocumentFilterKey::RequestProcessOriginal, true);
            }
        }
        if (commaGiven) {
            if (didComma) {
                result.insert(DocumentFilterKey::RequestProcessOriginal, true);
                return result;
            }
            const bool commaHere = component->updatePhoneticRules(comma) != 0;
            asChecked = asChecked && !commaHere;
            commaChanged = commaHere || commaChanged;
            result.insert(DocumentFilterKey::DidCommaDelimited, commaChanged);
        }
        if (fit) {
            if (didFit) {
                result.insert(DocumentFilterKey::RequestProcessOriginal, true);
                return result;
            }
            const double maxWidth = width - 2.0 * gap;
            const double maxHeight = height - 2.0 * gap;
            // An envelope's or card's address that runs past the edge of its item is printed
            // smaller than designed: the job says so, as its export does of the same address cut
            // at the edge. (A label's address fitted to its label is what a label merge is made
            // for.) Measured unfitted (on the check's layout when the panel still has it, else
            // laid out anew) and kept for the job that prints the copy.
            if (panel && !checkOnly && (document.docType() == dtEnvelope || document.docType() == dtPostcard)) {
                static_cast<CFTAAddressPanel *>(component)->notePastOutput(
                    width, height, CAPrintedItemChecks::itemWord(document),
                    asChecked ? CFTAAddressPanel::Measured::AsLaidOut : CFTAAddressPanel::Measured::Anew);
            }
            const bool fitHere =
                asChecked ? static_cast<CFTAAddressPanel *>(component)->fitLaidOutRows(maxWidth, maxHeight, false)
                          : component->updatePositionToFitSize(maxWidth, maxHeight, checkOnly);
            fitChanged = fitHere || fitChanged;
            result.insert(DocumentFilterKey::DidFitAddressPanel, fitChanged);
        }
    }
    return result;
}
