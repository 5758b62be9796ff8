#include "kernel/merge/CADocument.h"

#include "kernel/merge/CADocumentLog.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTStoredPerson.h"
#include "kernel/address/FTTextCategories.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDString.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/component/CFTDocumentController.h"
#include "platform/PWAddressBook.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "kernel/render/CDDText.h"

#include <QScopeGuard>

#include <algorithm>
#include <array>

namespace {

constexpr int kMaxCategories = 32;
// The representation bit that asks a component for capitals.
constexpr int kCapitalsBit = 4;

bool convertToUppercase()
{
    return PWUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("FTConvertToUppercase"));
}
} // namespace

std::shared_ptr<PWPerson> CADocument::currentPerson(bool toFrom) const
{
    return toFrom ? m_personTo : m_personFrom;
}

std::shared_ptr<PWPerson> CADocument::setCurrentPerson(const PWPerson *person, bool toFrom, bool updateStrings,
                                                       bool updateFormat)
{
    std::shared_ptr<PWPerson> copy = person ? FTStoredPerson::copyWithZone(*person) : PWPerson::create();
    if (!copy) {
        // A person whose values cannot be carried over is stored empty rather than not at all:
        // the side then shows no stale person.
        qCWarning(lcDocument) << "The person could not be copied; an empty person is used";
        copy = PWPerson::create();
    }
    (toFrom ? m_personTo : m_personFrom) = copy;
    if (updateFormat)
        updateObjectsFormatWithPerson(*copy, toFrom);
    if (updateStrings)
        updateObjectsTextWithPerson(*copy, toFrom);
    return copy;
}

void CADocument::restoreCurrentPerson(std::shared_ptr<PWPerson> person, bool toFrom, bool fillTexts)
{
    (toFrom ? m_personTo : m_personFrom) = person;
    if (fillTexts)
        updateObjectsTextWithPerson(person ? *person : *PWPerson::create(), toFrom);
}

void CADocument::updateObjectsFormatWithPerson(const PWPerson &person, bool toFrom)
{
    CFTACoreDoc *document = m_controller ? m_controller->GetCurrentDocument() : nullptr;
    if (!document)
        return;
    const CAddressFormatController &catalogue = CAddressFormatController::sharedAddressFormatController();
    document->forEachComponent([&](CFTComponent *component) {
        if (component->GetToFrom() != toFrom)
            return;
        const CFTComponent *countryField = component->GetObjectForTextCategory(tcCountry);
        const addressType type = countryField ? countryField->GetAddressType() : adWork;
        const QString country =
            stringForPersonCategory(&person, type, tcCountry, component->IsPreferredAddress());
        QString code = country.isEmpty() ? QString() : FTTextCategories::getCountryCodeFromString(country);
        if (code.isEmpty())
            code = CAEnvironment::defaultCountry();
        const std::unique_ptr<CAddressFormat> countryFormat = catalogue.formatWithTemplate(QString(), code, false, 0);
        if (!countryFormat)
            return;
        if (const CAddressFormat *current = component->getFormat()) {
            const std::unique_ptr<CAddressFormat> changed = current->clone();
            changed->setFormat(tcAddress, countryFormat.get(), false);
            component->setFormat(changed.get(), 0);
        } else {
            component->setFormat(countryFormat.get(), 0);
        }
    });
}

void CADocument::updateObjectsTextWithPerson(const PWPerson &person, bool toFrom)
{
    CFTACoreDoc *document = m_controller ? m_controller->GetCurrentDocument() : nullptr;
    if (!document)
        return;
    for (int side = 0; side < document->getSidesCount(); ++side) {
        for (const bool back : {true, false}) {
            const std::vector<CFTComponent *> copy = document->GetComponents(side, back);
            if (!copy.empty())
                updateObjectsText(copy, person, toFrom);
        }
    }
}

void CADocument::updateObjectsText(const std::vector<CFTComponent *> &list, const PWPerson &person, bool toFrom)
{
    const bool uppercasePreference = convertToUppercase();
    ++m_textFillDepth;
    const auto filled = qScopeGuard([this] { --m_textFillDepth; });
    for (CFTComponent *component : list) {
        if (!component)
            continue;
        const addressType type = component->GetAddressType();
        const bool preferred = component->IsPreferredAddress();
        std::array<textCategory, kMaxCategories> categories {};
        const int count = std::clamp(component->GetContainTextCategories(categories.data(), kMaxCategories), 0,
                                     kMaxCategories);
        const bool uppercase = (int(component->representationType()) & kCapitalsBit) != 0 || uppercasePreference;
        for (int i = 0; i < count; ++i) {
            const textCategory category = categories[std::size_t(i)];
            if (category == tcSimpleText)
                continue;
            if (category == tcBarcode) {
                // The barcode encodes what the post reads; capitals would change nothing it
                // shows but must never alter the ZIP it is computed from.
                for (const textCategory field : {tcZIP, tcCountry, tcStreet}) {
                    const QString value = stringForPersonCategory(&person, type, field, preferred);
                    component->SetString(toFrom, field, type, CDDString(value), tcBarcode, false);
                }
                continue;
            }
            const QString letters = stringForPersonCategory(&person, type, category, preferred);
            component->SetString(toFrom, category, type, CDDString(uppercase ? letters.toUpper() : letters), tcNone,
                                 m_printMode);
            // The field shows the person's letters in capitals: typing into it starts from them.
            if (uppercase)
                if (auto *field = dynamic_cast<CFTAAddressText *>(component->GetObjectForTextCategory(category));
                    field && field->GetToFrom() == toFrom)
                    field->setPersonLetters(letters);
        }
    }
}

void CADocument::updatePersonWithComponent(CFTComponent *component)
{
    if (!component)
        return;
    if (component->getClassID() == ciAddressText) {
        updatePersonWithAddressText(component, true);
        return;
    }
    if (component->getClassID() != ciAddressPanel)
        return;
    const auto *panel = static_cast<const CFTAAddressPanel *>(component);
    for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
        updatePersonWithAddressText(panel->addressComponentAtIndex(i), false);
}

void CADocument::updatePersonWithAddressText(CFTComponent *text, bool updateOtherStrings)
{
    if (!text)
        return;
    const textCategory category = text->GetTextCategory();
    if (category == tcNone || category == tcSimpleText)
        return;
    const bool toFrom = text->GetToFrom();
    addressType type = text->GetAddressType();
    // A field of a panel gives its own text, not the punctuation the panel shows after it.
    const CDDText *storage = text->GetText();
    const auto *field = dynamic_cast<const CFTAAddressText *>(text);
    const QString shown = storage ? storage->getString() : QString();
    // Under capitals, the letters typed beneath them.
    const QString value = field && !shown.isNull() ? field->personLetters() : shown;

    std::shared_ptr<PWPerson> person = currentPerson(toFrom);
    if (!person)
        person = setCurrentPerson(nullptr, toFrom, false, false);
    if (text->IsPreferredAddress()) {
        addressType used = type;
        stringForPersonCategory(person.get(), type, category, true, &used);
        type = used;
    }
    if (shown.isNull())
        return;
    // A field that shows its person's own text in capitals tells the person nothing: the
    // letters as the person has them stay.
    if ((int(text->representationType()) & kCapitalsBit) != 0 || convertToUppercase()) {
        const QString held = stringForPersonCategory(person.get(), type, category, false);
        if (held != value && held.toUpper() == value)
            return;
    }
    if (setStringForPersonCategory(person.get(), value, type, category) && updateOtherStrings)
        updateObjectsTextWithPerson(*person, toFrom);
}

void CADocument::adoptPersonTextsOfFields()
{
    CFTACoreDoc *document = m_controller ? m_controller->GetCurrentDocument() : nullptr;
    if (!document)
        return;
    const auto adopt = [this](CFTAAddressText *field) {
        const textCategory category = field ? field->GetTextCategory() : tcNone;
        if (category == tcNone || category == tcSimpleText || category == tcBarcode)
            return;
        const std::shared_ptr<PWPerson> person = currentPerson(field->GetToFrom());
        if (!person)
            return;
        const QString letters =
            stringForPersonCategory(person.get(), field->GetAddressType(), category, field->IsPreferredAddress());
        field->adoptPersonString(letters);
        field->setPersonLetters(letters);
    };
    document->forEachComponent([&](CFTComponent *component) {
        if (component->getClassID() == ciAddressText) {
            adopt(static_cast<CFTAAddressText *>(component));
        } else if (component->getClassID() == ciAddressPanel) {
            const auto *panel = static_cast<const CFTAAddressPanel *>(component);
            for (unsigned int i = 0; i < panel->addressComponentCount(); ++i)
                adopt(panel->addressComponentAtIndex(i));
        }
    });
}

bool CADocument::hasAddressControls(bool toFrom) const
{
    CFTACoreDoc *document = m_controller ? m_controller->GetCurrentDocument() : nullptr;
    if (!document)
        return false;
    for (const CFTComponent *component : document->GetComponents(0, false)) {
        const textCategory category = component->GetTextCategory();
        if (category != tcCustom && category != tcNone && component->GetToFrom() == toFrom)
            return true;
    }
    return false;
}

void CADocument::rebuildPersonsFromComponents()
{
    CFTACoreDoc *document = m_controller ? m_controller->GetCurrentDocument() : nullptr;
    if (!document)
        return;
    // Every field is read before any is refilled: refilling the side after each free address
    // field would overwrite the fields not read yet with the half-built person.
    document->forEachComponent([this](CFTComponent *component) {
        if (component->getClassID() == ciAddressText)
            updatePersonWithAddressText(component, false);
        else
            updatePersonWithComponent(component);
    });
}

std::shared_ptr<PWPerson> CADocument::defaultSender()
{
    if (s_defaultSenderSource)
        return s_defaultSenderSource();
    // The sender list as the user defaults keep it: stored persons under "SenderList", and the
    // chosen one as a number counted from 1 under "Default Sender Index".
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    const PWPlist::Array senders = defaults.arrayForKey(QStringLiteral("SenderList"));
    if (!senders.isEmpty()) {
        qint64 index = defaults.integerForKey(QStringLiteral("Default Sender Index")) - 1;
        if (index < 0 || index >= senders.size())
            index = 0;
        const PWPlist stored = senders.at(index);
        if (stored.isDictionary()) {
            if (std::shared_ptr<PWPerson> person = FTStoredPerson::initWithStoredData(stored.toDictionary()))
                return person;
        }
        qCWarning(lcDocument) << "The default sender could not be read";
        return nullptr;
    }
    return PWAddressBook::sharedAddressBook().me();
}
