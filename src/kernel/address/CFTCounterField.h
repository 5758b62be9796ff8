#pragma once

#include "kernel/address/CFTAAddressText.h"

// A running number on each item of a printed series: the first item shows the start number,
// each further one the previous value plus the increment, optionally padded with leading zeros.
// On the design it shows a label naming its start and increment. It has no shadow and is never
// edited in place. An item whose number would pass the largest or smallest whole number shows no
// number, and the job's report (PWJobReport) names the counter.
class CFTCounterField : public CFTAAddressText
{
public:
    explicit CFTCounterField(const CFTComponent *parent);
    // The size is the text's own: width and height are not used.
    CFTCounterField(double x, double y, double width, double height, CFTComponent *parent);
    CFTCounterField(double x, double y, CFTComponent *parent);
    ~CFTCounterField() override;

    void Init(int start, int increment, bool leadingZeros, int digits);
    int GetStartNumber() const { return mStartNumber; }
    void SetStartNumber(int start);
    int GetIncrement() const { return mIncrement; }
    void SetIncrement(int increment);
    int GetZerosDigits() const { return mDigitsCount; }
    // Leading zeros pad to at most this many digits: a number has no more than eleven
    // characters, and wider padding only fills the label with zeros.
    static constexpr int kMaxDigitsCount = CDDText::kMaxLeadingZerosWidth;
    // Kept between 0 and kMaxDigitsCount.
    void SetZerosDigits(int digits);
    bool IsLeadingZeros() const { return mbLeadingZeros; }
    void SetLeadingZeros(bool leadingZeros) { mbLeadingZeros = leadingZeros; }
    int GetCurrentValue() const { return mCurrentValue; }

    compType getType() const override { return ctText; }
    classID getClassID() const override { return ciCounter; }
    bool HasShadow() const override { return false; }
    bool IsShadowed() const override { return false; }
    void SetShadow(bool) override {}
    void startEditText(QObject *, QObject *) override {}
    CFTComponent *endEditText(QObject *) override { return nullptr; }
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;
    void Reset() override;
    void Clear() override;
    void Next() override;
    using CFTAAddressText::SetValue;
    void SetValue(int number) override;
    void Copy(const CFTComponent *other) override;

protected:
    virtual void ChangeLabel();
    // Shows the current value.
    virtual void UpdateText();
    void saveGeometry();
    void noteOutOfNumbers() const;

    float mSavedOriginX = 0.0f;
    float mSavedOriginY = 0.0f;
    float mSavedSizeX = 0.0f;
    float mSavedSizeY = 0.0f;
    int mStartNumber = 1;
    int mIncrement = 1;
    int mDigitsCount = 1;
    bool mbLeadingZeros = false;
    int mCurrentValue = 1;
    // Set while the series has passed the whole numbers.
    bool mbOutOfNumbers = false;
};
