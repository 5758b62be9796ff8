// Punctuation that depends on a field's neighbours: the format's delimiter after a field stays on
// its text exactly while a later field of the same row shows text, and printing with the
// comma-delimited choice strips trailing commas. Both rewrite the texts shown; each field keeps
// its own text beside them for its person. The field being typed into, and one the user has
// typed into since the format was last applied, is left as it is typed.
#include "kernel/address/CFTAAddressPanel.h"

#include "kernel/address/CAddressFormat.h"

#include <set>

CFTAAddressText *CFTAAddressPanel::getAddressComponentNextToComponent(const CFTAAddressText *field, bool sameRow,
                                                                      CAddressFormat *format)
{
    CAddressFormat *const walk = format ? format : mpFormat.get();
    if (!field || !walk || !walk->initEnumeration())
        return nullptr;
    const textCategory category = field->GetTextCategory();
    do {
        bool found = false;
        while (CAddressFormat *leaf = walk->nextObjectInRow()) {
            if (found && sameRow)
                return getAddressComponentWithTextCategory(leaf->getTextCategory());
            if (leaf->getTextCategory() == category && getAddressComponentWithTextCategory(category))
                found = true;
        }
    } while (walk->nextRow());
    return nullptr;
}

CFTAAddressText *CFTAAddressPanel::getAddressComponentPrevToComponent(const CFTAAddressText *field, bool sameRow,
                                                                      CAddressFormat *format)
{
    CAddressFormat *const walk = format ? format : mpFormat.get();
    if (!field || !walk || !walk->initEnumeration())
        return nullptr;
    const textCategory category = field->GetTextCategory();
    CFTAAddressText *previous = nullptr;
    do {
        while (CAddressFormat *leaf = walk->nextObjectInRow()) {
            if (leaf->getTextCategory() == category && previous)
                return previous;
            previous = getAddressComponentWithTextCategory(leaf->getTextCategory());
        }
        if (sameRow)
            previous = nullptr;
    } while (walk->nextRow());
    return nullptr;
}

bool CFTAAddressPanel::followingTextExists(const CFTAAddressText *field, CAddressFormat *format)
{
    // Two leaves of one category on a row lead back to the same field: stop at a field seen.
    std::set<const CFTAAddressText *> seen {field};
    const CFTAAddressText *current = field;
    while (CFTAAddressText *next = getAddressComponentNextToComponent(current, true, format)) {
        if (!next->GetString().isEmpty() && next->getMode() != fmNever)
            return true;
        if (!seen.insert(next).second)
            return false;
        current = next;
    }
    return false;
}

std::unique_ptr<CDDString> CFTAAddressPanel::delimitedText(const CAddressFormat *leaf, const CFTAAddressText *field,
                                                           CAddressFormat *lookAhead)
{
    const CDDString *delimiter = leaf->getDelimiter();
    if (!field || !delimiter || delimiter->isEmpty())
        return nullptr;
    const CDDString text = field->GetString();
    if (followingTextExists(field, lookAhead) && !text.isEmpty())
        return CDDString::createStringByAppendingString(delimiter->getData(), text, text, true, false);
    return CDDString::createStringByRemovingString(delimiter->getData(), text, text, true, false);
}

int CFTAAddressPanel::updateFormatRules()
{
    if (!mpFormat)
        return 0;
    // The look-ahead walks a copy, so that it leaves this walk's place alone.
    const std::unique_ptr<CAddressFormat> lookAhead = mpFormat->clone();
    forEachLeafField([&](const CAddressFormat *leaf, CFTAAddressText *field) {
        if (!field || field->isEditing() || field->isResetFormatRules())
            return true;
        const std::unique_ptr<CDDString> updated = delimitedText(leaf, field, lookAhead.get());
        if (updated && !(*updated == field->GetString()))
            field->setPunctuatedString(*updated);
        return true;
    });
    return 0;
}

void CFTAAddressPanel::keepFieldsTypedAsStored()
{
    // A design stores each field as it was shown, and the rule runs at every layout before a
    // save: a stored text the rule would change ("Springfield" before a state) is what the user
    // typed, and stays so, with the person taking it as typed, as before the design was saved.
    // All fields are judged on their stored texts, before any is changed.
    if (!mpFormat)
        return;
    const std::unique_ptr<CAddressFormat> lookAhead = mpFormat->clone();
    std::vector<CFTAAddressText *> typed;
    forEachLeafField([&](const CAddressFormat *leaf, CFTAAddressText *field) {
        const std::unique_ptr<CDDString> ruled = delimitedText(leaf, field, lookAhead.get());
        if (ruled && !(*ruled == field->GetString()))
            typed.push_back(field);
        return true;
    });
    for (CFTAAddressText *field : typed) {
        field->resetFormatRules(true);
        field->keepOwnStringAs(field->GetString().getData());
    }
}

int CFTAAddressPanel::updatePhoneticRules(bool keep)
{
    if (!mpFormat)
        return 0;
    const std::unique_ptr<CAddressFormat> lookAhead = mpFormat->clone();
    bool changed = false;
    forEachLeafField([&](const CAddressFormat *, CFTAAddressText *field) {
        if (!field || (keep && followingTextExists(field, lookAhead.get())))
            return true;
        const CDDString text = field->GetString();
        std::unique_ptr<CDDString> updated =
            CDDString::createStringByRemovingString(QStringLiteral(","), text, text, true, false);
        if (!updated || *updated == text)
            return true;
        changed = true;
        field->setPunctuatedString(*updated);
        return true;
    });
    return changed ? 1 : 0;
}
