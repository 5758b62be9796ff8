#pragma once

#include "app/contacts/FTPersonDictionary.h"

#include <QString>

#include <memory>

class PWPerson;

// What the address confirmation sheet edits: the eleven values of a person dictionary, filled
// from the reader's result and turned into the person the user confirmed. Every key is always
// present, so that a confirmed empty form still gives a person with an address.
class CAServiceImportForm
{
public:
    CAServiceImportForm();

    // Takes the values of the eleven keys; a key the dictionary lacks becomes empty.
    void initFormWithDictionary(const CAPersonDictionary &dictionary);
    // The person of the form: name, company and department, and one work address.
    std::shared_ptr<PWPerson> initDictionarWithForm() const;

    const CAPersonDictionary &dictionary() const { return m_values; }
    QString value(const QString &key) const { return m_values.value(key); }
    // Keys outside the eleven are refused.
    bool setValue(const QString &key, const QString &text);

private:
    CAPersonDictionary m_values;
};
