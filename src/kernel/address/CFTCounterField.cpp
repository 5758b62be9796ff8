#include "kernel/address/CFTCounterField.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "platform/PWJobReport.h"

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
    if (mbOutOfNumbers) {
        // No number rather than the last one again: a serial number printed twice is taken for
        // a true one, an item without its number is seen. The job names the counter.
        const std::optional<QTextCharFormat> style = GetFontAttr(nullptr);
        mText.setString(QString(), style ? &*style : nullptr);
        noteOutOfNumbers();
    } else {
        mText.setStringIntValue(mCurrentValue);
        if (mbLeadingZeros)
            mText.addLeadingZeros(mDigitsCount);
    }
    ExpandByText();
}

void CFTCounterField::noteOutOfNumbers() const
{
    if (!PWJobReport::anyOpen() || mIncrement == 0)
        return;
    const bool up = mIncrement > 0;
    const long long limit = up ? INT_MAX : INT_MIN;
    // The items from the first one on that hold a whole number.
    const long long numbered = (limit - (long long)mStartNumber) / mIncrement + 1;
    PWJobReport::note(PWJobReport::Kind::CounterOutOfNumbers,
                      QStringLiteral("%1 %2").arg(mStartNumber).arg(mIncrement),
                      QStringLiteral("the counter that starts at %1 and counts by %2 passes the %3 whole number "
                                     "(%4) after its item %5: the items after it print no number")
                          .arg(mStartNumber)
                          .arg(mIncrement)
                          .arg(up ? QStringLiteral("largest") : QStringLiteral("smallest"))
                          .arg(limit)
                          .arg(std::max(numbered, 0LL)));
}

// --- Series printing ---------------------------------------------------------------------------------

void CFTCounterField::Reset()
{
    saveGeometry();
    mCurrentValue = mStartNumber;
    mbOutOfNumbers = false;
}

void CFTCounterField::SetValue(int number)
{
    // Wide arithmetic: a long series with a large step must not wrap through undefined overflow.
    const long long value = (long long)mStartNumber + ((long long)number - 1) * mIncrement;
    mbOutOfNumbers = value < INT_MIN || value > INT_MAX;
    mCurrentValue = int(std::clamp<long long>(value, INT_MIN, INT_MAX));
    SetSize(mSavedSizeX, mSavedSizeY);
    UpdateText();
    SetOrigin(mSavedOriginX, mSavedOriginY);
}

void CFTCounterField::Next()
{
    UpdateText();
    const long long next = (long long)mCurrentValue + mIncrement;
    mbOutOfNumbers = mbOutOfNumbers || next < INT_MIN || next > INT_MAX;
    mCurrentValue = int(std::clamp<long long>(next, INT_MIN, INT_MAX));
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
    // Its place as read is where every item shows it, also in a copy numbered before any reset.
    saveGeometry();
    return true;
}
