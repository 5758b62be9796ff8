// Splitting the data string and checking its fields against the layout of its DCI.
#include "kernel/address/CEncodeBars.h"

#include "kernel/address/CEncodeBarsTables.h"

#include <algorithm>

using namespace FourStateTables;

namespace {

constexpr std::size_t kMaxFields = 10;
constexpr std::size_t kMaxFieldLength = 30;

bool isBlank(std::string_view field)
{
    return std::all_of(field.begin(), field.end(), [](char c) { return c == ' '; });
}

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), isDigit);
}

// Digits only, at least one and at most `width`, stored right-aligned and zero-padded to `width`.
bool verifyNumerics(std::string_view field, std::size_t width, std::string &out)
{
    if (field.empty() || field.size() > width || !allDigits(field))
        return false;
    out = std::string(width - field.size(), '0') + std::string(field);
    return true;
}

// A small decimal field read as a number; -1 when it is not one to `maxDigits` digits.
int smallNumber(std::string_view field, std::size_t maxDigits)
{
    if (field.empty() || field.size() > maxDigits || !allDigits(field))
        return -1;
    int value = 0;
    for (const char c : field)
        value = value * 10 + (c - '0');
    return value;
}

// Letters and digits alternating from a letter, six of them; anything else between them is skipped.
bool verifyPostalCode(std::string_view field, std::string &out)
{
    std::string code;
    for (const char c : field) {
        if (!isLetter(c) && !isDigit(c))
            continue;
        const bool wantLetter = code.size() % 2 == 0;
        if (code.size() == 6 || (wantLetter ? !isLetter(c) : !isDigit(c)))
            return false;
        code += toUpper(c);
    }
    if (code.size() != 6)
        return false;
    out = code;
    return true;
}

bool verifyPOCI(std::string_view field, std::string &out)
{
    std::string postal;
    if (field.size() < 6 || field.size() > 11 || !verifyPostalCode(field.substr(0, 6), postal))
        return false;
    for (const char c : field.substr(0, 6)) {
        if (!isLetter(c) && !isDigit(c))
            return false;
    }
    std::string rest;
    for (const char c : field.substr(6)) {
        if (!isLetter(c) && !isDigit(c) && c != ' ')
            return false;
        rest += toUpper(c);
    }
    out = postal + rest + std::string(5 - rest.size(), ' ');
    return true;
}

bool verifyCountryCode(std::string_view field, std::string &out)
{
    if (field.size() != 2)
        return false;
    out.clear();
    for (const char c : field) {
        if (lookup(Z_Table, toUpper(c)) == kInvalid)
            return false;
        out += toUpper(c);
    }
    return true;
}

bool verifyUSPC(std::string_view field, std::string &out)
{
    if (field.empty() || field.size() > 11)
        return false;
    for (const char c : field) {
        if (lookup(D_Table, c) == kInvalid)
            return false;
    }
    out = std::string(field) + std::string(11 - field.size(), ' ');
    return true;
}

bool verifyForeignPC(std::string_view field, std::string &out)
{
    if (field.empty() || field.size() > 9)
        return false;
    out.clear();
    for (const char c : field) {
        if (lookup(Z_Table, toUpper(c)) == kInvalid)
            return false;
        out += toUpper(c);
    }
    out += std::string(9 - field.size(), ' ');
    return true;
}

// Reads `field` backwards into an area of `width` characters filled from the right. Blanks before the
// last character are skipped when `skipBlanks`; `accept` judges (and may change) every character.
template <typename Accept>
bool fillBackwards(std::string_view field, std::size_t width, bool skipBlanks, std::string &area, Accept accept)
{
    area.assign(width, ' ');
    std::size_t slot = width;
    for (std::size_t i = field.size(); i-- > 0;) {
        char c = field[i];
        const bool last = i + 1 == field.size();
        if (skipBlanks && !last && c == ' ')
            continue;
        if (slot == 0 || !accept(c, last))
            return false;
        area[--slot] = c;
    }
    return true;
}

} // namespace

long CEncodeBars::VerifyDataString(std::string_view data, std::vector<std::string> &fields)
{
    fields.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = data.find(',', start);
        const std::string_view field =
            data.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (fields.size() == kMaxFields)
            return SetErrorInfo(kErrFieldCount, "more than 10 fields");
        if (field.size() > kMaxFieldLength)
            return SetErrorInfo(kErrFieldLength, "a field longer than 30 characters");
        fields.emplace_back(field);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    m_fieldCount = static_cast<int>(fields.size());

    const int dci = smallNumber(fields[0], 2);
    if (dci < 0 || dci > 63)
        return SetErrorInfo(kErrDCI, "the DCI is not a number from 0 to 63");
    static constexpr int kLayouts[] = {1, 2, 11, 12, 39, 40, 41, 42, 53, 54};
    if (std::find(std::begin(kLayouts), std::end(kLayouts), dci) == std::end(kLayouts))
        return SetErrorInfo(kErrNoLayout, "no layout for this DCI");
    m_dci = dci;
    return kSuccess;
}

bool CEncodeBars::VerifyAL(std::string_view civic, std::string_view second)
{
    if (civic.size() > 4 || second.size() > 5)
        return false;
    std::string civicArea(4, ' ');
    std::string secondArea(5, ' ');
    if (!isBlank(civic)) {
        const bool civicOk = fillBackwards(civic, 4, true, civicArea, [](char &c, bool last) {
            if (!last)
                return isDigit(c);
            c = toUpper(c);
            return lookup(Z_Table, c) != kInvalid;
        });
        if (!civicOk)
            return false;
        if (!isBlank(second)) {
            // A suffix digit from 4 up would read as part of the number.
            const char suffix = civicArea[3];
            if (suffix >= '4' && suffix <= '9')
                return false;
            const bool secondOk = fillBackwards(second, 5, false, secondArea, [](char &c, bool) {
                c = toUpper(c);
                return lookup(Z_Table, c) != kInvalid;
            });
            if (!secondOk)
                return false;
        }
    } else {
        if (second.empty() || (second[0] != 'R' && second[0] != 'r'))
            return false;
        const bool secondOk = fillBackwards(second.substr(1), 5, false, secondArea,
                                            [](char &c, bool) { return lookup(Z_Table, c) != kInvalid; });
        if (!secondOk)
            return false;
    }
    m_record.addressLocator = civicArea + secondArea;
    return true;
}

long CEncodeBars::VerifyLayout(const std::vector<std::string> &f)
{
    m_record = Record{};
    m_variant = 0;
    const std::size_t count = f.size();
    switch (m_dci) {
    case 1:
    case 11:
    case 2:
    case 12: {
        const bool withCustomer = m_dci == 2 || m_dci == 12;
        if (count != (withCustomer ? 6u : 4u))
            return SetErrorInfo(withCustomer ? kErrDCI2Fields : kErrDCI1Fields, "wrong field count");
        if (!verifyPostalCode(f[1], m_record.postalCode))
            return SetErrorInfo(kErrPostalCode, "postal code invalid");
        if (!VerifyAL(f[2], f[3]))
            return SetErrorInfo(kErrAddressLocator, "address locator invalid");
        if (withCustomer) {
            m_record.productType5 = smallNumber(f[4], 4);
            if (m_record.productType5 < 0 || m_record.productType5 > 1023)
                return SetErrorInfo(kErrProductType5, "product type invalid");
            if (!verifyNumerics(f[5], 15, m_record.numeric))
                return SetErrorInfo(kErrNumeric, "numeric field invalid");
        }
        return kSuccess;
    }
    case 39:
        return Process_DCI39(f);
    case 40:
        return Process_DCI40(f);
    case 41:
    case 42:
        return Process_DCI41(f);
    case 53:
    case 54: {
        const bool withCustomer = m_dci == 53;
        if (count != (withCustomer ? 5u : 3u))
            return SetErrorInfo(withCustomer ? kErrDCI53Fields : kErrDCI54Fields, "wrong field count");
        if (!verifyCountryCode(f[1], m_record.countryCode))
            return SetErrorInfo(kErrCountryCode, "country code invalid");
        const bool postalOk = m_record.countryCode == "US" ? verifyUSPC(f[2], m_record.postalCode)
                                                           : verifyForeignPC(f[2], m_record.postalCode);
        if (!postalOk)
            return SetErrorInfo(kErrForeignPostalCode, "postal code invalid for the country");
        if (withCustomer) {
            m_record.productType5 = smallNumber(f[3], 4);
            if (m_record.productType5 < 0 || m_record.productType5 > 1023)
                return SetErrorInfo(kErrProductType5, "product type invalid");
            if (!verifyNumerics(f[4], 15, m_record.numeric))
                return SetErrorInfo(kErrNumeric, "numeric field invalid");
        }
        return kSuccess;
    }
    default:
        return SetErrorInfo(kErrNoLayout, "no layout for this DCI");
    }
}

long CEncodeBars::Process_DCI39(const std::vector<std::string> &f)
{
    if (f.size() != 3)
        return SetErrorInfo(kErrDCI39Fields, "wrong field count");
    const char type = f[1].empty() ? '\0' : toUpper(f[1][0]);
    if (!isDigit(type) && !isUpper(type))
        return SetErrorInfo(kErrDCI39Type, "type invalid");
    m_record.type39 = type;
    const std::string &text = f[2];
    if (isUpper(type)) {
        if (text.size() >= 31)
            return SetErrorInfo(kErrDCI39LongField, "field of 31 characters or more");
        for (const char c : text) {
            if (lookup(D_Table, c) == kInvalid)
                return SetErrorInfo(kErrCharacter, "a character outside the digits and blank");
        }
        m_record.freeField = text + std::string(30 - text.size(), ' ');
        return kSuccess;
    }
    if (text.size() > 20)
        return SetErrorInfo(kErrDCI39Length, "field longer than 20 characters");
    std::string padded = text + std::string(20 - text.size(), ' ');
    if (type == '3') {
        for (const char c : text) {
            if (lookup(C_Table, c) == kInvalid)
                return SetErrorInfo(kErrCharacter, "a character outside the table");
        }
        std::string postal;
        if (text.size() < 6 || !verifyPostalCode(std::string_view(text).substr(0, 6), postal))
            return SetErrorInfo(kErrPostalCode, "postal code invalid");
        padded.replace(0, 6, postal);
    } else {
        for (char &c : padded) {
            c = toUpper(c);
            if (lookup(Z_Table, c) == kInvalid)
                return SetErrorInfo(kErrCharacter, "a character outside the table");
        }
    }
    m_record.freeField = padded;
    return kSuccess;
}

long CEncodeBars::Process_DCI40(const std::vector<std::string> &f)
{
    if (f.size() < 3)
        return SetErrorInfo(kErrDCI40Fields, "fewer than 3 fields");
    m_variant = smallNumber(f[1], 2);
    if (m_variant < 1 || m_variant > 16)
        return SetErrorInfo(kErrDCI40Variant, "variant invalid");
    const std::size_t wanted = m_variant == 1 ? 5 : m_variant <= 7 ? 4 : 3;
    if (f.size() != wanted)
        return SetErrorInfo(kErrDCI40VariantFields, "wrong field count for the variant");

    if (m_variant == 1) {
        if (!verifyPostalCode(f[2], m_record.postalCode) || m_record.postalCode[0] != 'X')
            return SetErrorInfo(kErrPostalCode, "postal code invalid");
        m_record.productType = smallNumber(f[3], 2);
        if (m_record.productType < 0 || m_record.productType >= 64)
            return SetErrorInfo(kErrProductType, "product type invalid");
        if (!verifyNumerics(f[4], 10, m_record.customerInformation))
            return SetErrorInfo(kErrCustomerInformation, "customer information invalid");
    } else if (m_variant <= 4) {
        if (!verifyPostalCode(f[2], m_record.postalCode))
            return SetErrorInfo(kErrPostalCode, "postal code invalid");
        if (!verifyNumerics(f[3], 11, m_record.numeric))
            return SetErrorInfo(kErrNumeric, "numeric field invalid");
    } else if (m_variant <= 7) {
        if (!verifyPOCI(f[2], m_record.poci))
            return SetErrorInfo(kErrPOCI, "POCI invalid");
        if (!verifyNumerics(f[3], 3, m_record.numeric))
            return SetErrorInfo(kErrNumeric, "numeric field invalid");
        if (std::stoi(m_record.numeric) >= 128)
            return SetErrorInfo(kErrDCI40Number, "number 128 or more");
    } else if (m_variant <= 10) {
        if (!verifyNumerics(f[2], 18, m_record.numeric))
            return SetErrorInfo(kErrNumeric, "numeric field invalid");
    } else if (m_variant <= 13) {
        if (f[2].size() >= 12)
            return SetErrorInfo(kErrDCI40Base38Length, "12 characters or more");
        for (const char c : f[2]) {
            if (lookup(Base38, c) == kInvalid)
                return SetErrorInfo(kErrCharacter, "a character outside the table");
        }
        m_record.freeField = f[2] + std::string(11 - f[2].size(), ' ');
    } else {
        if (f[2].size() >= 11)
            return SetErrorInfo(kErrDCI40TextLength, "11 characters or more");
        for (const char c : f[2]) {
            if (lookup(C_Table, c) == kInvalid)
                return SetErrorInfo(kErrCharacter, "a character outside the table");
        }
        m_record.freeField = f[2] + std::string(10 - f[2].size(), ' ');
    }
    return kSuccess;
}

long CEncodeBars::Process_DCI41(const std::vector<std::string> &f)
{
    if (f.size() != 4)
        return SetErrorInfo(kErrDCI41Fields, "wrong field count");
    if (!verifyPostalCode(f[1], m_record.postalCode))
        return SetErrorInfo(kErrPostalCode, "postal code invalid");
    if (f[2].size() != 1 || !isLetter(f[2][0]))
        return SetErrorInfo(kErrDCI41Letter, "not exactly one letter");
    const char letter = f[2][0];
    if (m_dci == 42 && letter != 'D' && letter != 'F' && letter != 'U' && letter != 'W')
        return SetErrorInfo(kErrDCI41Letter, "letter not one of D, F, U, W");
    m_record.letter41 = static_cast<unsigned char>(lookup(C_Table, letter));
    std::string number;
    if (!verifyNumerics(f[3], 3, number))
        return SetErrorInfo(kErrNumeric, "numeric field invalid");
    m_record.number41 = std::stoi(number);
    if (m_record.number41 > 255)
        return SetErrorInfo(kErrDCI41Number, "number above 255");
    return kSuccess;
}
