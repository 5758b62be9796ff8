#include "kernel/address/CFTCounterField.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"

#include <algorithm>
#include <climits>

CFTCounterField::CFTCounterField(const CFTComponent *parent)
    : CFTAAddressText(parent)
{
    Init(1, 1, false, 1);
    // A new counter names its start and step from the start, as one read from a design does.
    CFTCounterField::ChangeLabel();
}

CFTCounterField::CFTCounterField(double x, double y, double, double, CFTComponent *parent)
    : CFTCounterField(x, y, parent)
{
}

CFTCounterField::CFTCounterField(double x, double y, CFTComponent *parent)
    : CFTAAddressText(x, y, tcCounter, nullptr, parent)
{
    Init(1, 1, false, 1);
    CFTCounterField::ChangeLabel();
}

CFTCounterField::~CFTCounterField() = default;

void CFTCounterField::Init(int start, int increment, bool leadingZeros, int digits)
{
    mStartNumber = start;
    mIncrement = increment;
    mbLeadingZeros = leadingZeros;
    mDigitsCount = std::clamp(digits, 0, kMaxDigitsCount);
    mCurrentValue = start;
    saveGeometry();
    m_textCategory = tcCounter;
}

void CFTCounterField::saveGeometry()
{
    mSavedOriginX = float(GetOriginX());
    mSavedOriginY = float(GetOriginY());
    mSavedSizeX = float(GetSizeX());
    mSavedSizeY = float(GetSizeY());
}

void CFTCounterField::SetStartNumber(int start)
{
    mStartNumber = start;
    ChangeLabel();
}

void CFTCounterField::SetZerosDigits(int digits)
{
    mDigitsCount = std::clamp(digits, 0, kMaxDigitsCount);
}

void CFTCounterField::SetIncrement(int increment)
{
    mIncrement = increment;
    ChangeLabel();
}

void CFTCounterField::ChangeLabel()
{
    setLabel(CDDString::initStringWithCounterFieldParameters(mStartNumber, mIncrement));
}

void CFTCounterField::UpdateText()
{
    mText.setStringIntValue(mCurrentValue);
    if (mbLeadingZeros)
        mText.addLeadingZeros(mDigitsCount);
    ExpandByText();
}

// --- Series printing ---------------------------------------------------------------------------------

void CFTCounterField::Reset()
{
    saveGeometry();
    mCurrentValue = mStartNumber;
}

void CFTCounterField::SetValue(int number)
{
    // Wide arithmetic: a long series with a large step must not wrap through undefined overflow.
    const long long value = (long long)mStartNumber + ((long long)number - 1) * mIncrement;
    mCurrentValue = int(std::clamp<long long>(value, INT_MIN, INT_MAX));
    SetSize(mSavedSizeX, mSavedSizeY);
    UpdateText();
    SetOrigin(mSavedOriginX, mSavedOriginY);
}

void CFTCounterField::Next()
{
    UpdateText();
    mCurrentValue = int(std::clamp<long long>((long long)mCurrentValue + mIncrement, INT_MIN, INT_MAX));
}

void CFTCounterField::Clear()
{
    const std::optional<QTextCharFormat> style = GetFontAttr(nullptr);
    mText.setString(QString(), style ? &*style : nullptr);
    SetOrigin(mSavedOriginX, mSavedOriginY);
    SetSize(mSavedSizeX, mSavedSizeY);
    SetAlignment(GetAlignment());
}

// --- Copy and archive --------------------------------------------------------------------------------

void CFTCounterField::Copy(const CFTComponent *other)
{
    CFTAAddressText::Copy(other);
}

bool CFTCounterField::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTAAddressText::Serialize(archive, list);
    if (archive.isStoring()) {
        archive.SetData(key_StartNumber, mStartNumber);
        archive.SetData(key_Increment, mIncrement);
        archive.SetData(key_DigitsCount, mDigitsCount);
        archive.SetData(key_LeadingZeros, mbLeadingZeros);
        return true;
    }
    archive.GetData(key_StartNumber, &mStartNumber, CDDRanges::kInt);
    archive.GetData(key_Increment, &mIncrement, CDDRanges::kInt);
    archive.GetData(key_DigitsCount, &mDigitsCount, CDDNumberRange {0.0, double(kMaxDigitsCount), true});
    archive.GetData(key_LeadingZeros, &mbLeadingZeros);
    ExpandByText();
    return true;
}
