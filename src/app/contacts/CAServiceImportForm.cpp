#include "app/contacts/CAServiceImportForm.h"

#include "app/contacts/FTAddressRecognition.h"
#include "platform/PWPerson.h"

CAServiceImportForm::CAServiceImportForm()
    : m_values(emptyPersonDictionary())
{
}

void CAServiceImportForm::initFormWithDictionary(const CAPersonDictionary &dictionary)
{
    for (const QString &key : personDictionaryKeys())
        m_values[key] = dictionary.value(key);
}

std::shared_ptr<PWPerson> CAServiceImportForm::initDictionarWithForm() const
{
    return initABPersonWithDictionary(m_values);
}

bool CAServiceImportForm::setValue(const QString &key, const QString &text)
{
    if (!m_values.contains(key))
        return false;
    m_values[key] = text;
    return true;
}
