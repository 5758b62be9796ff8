#pragma once

#include "kernel/base/CDDVariant.h"
#include "kernel/text/CFTAText.h"

// A text whose characters are computed: the core document pushes a value (today's date, or the
// side number and the number of sides) and the field shows it through its data format. It is
// never edited in place; frame, colours, font and alignment behave as any text's.
class CFTSmartField : public CFTAText
{
public:
    explicit CFTSmartField(const CFTComponent *defComponent);
    CFTSmartField(double x, double y, const CFTComponent *defComponent, textCategory category);
    ~CFTSmartField() override;

    compType getType() const override { return ctSmartField; }
    classID getClassID() const override { return ciSmartField; }
    void startEditText(QObject *, QObject *) override {}
    CFTComponent *endEditText(QObject *) override { return nullptr; }
    textCategory GetTextCategory() const override { return m_textCategory; }
    // Also gives the field its category's own data format.
    CFTComponent *SetTextCategory(textCategory category, const CDDString *label) override;
    void SetDataFormat(const CDDString &format) override { mDataFormat = format; }
    CDDString GetDataFormat() const override { return mDataFormat; }
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;
    using CFTAText::SetValue;
    void SetValue(CDDVariant value) override;

    // The format a category starts with: "#n" side number, "#c" number of sides, else none.
    static CDDString formatForCategory(textCategory category);
    // The text a value shows under a format. "#n" is the side number, which the shared
    // formatter leaves empty.
    static CDDString formatValue(const CDDVariant &value, const CDDString &format);

private:
    textCategory m_textCategory = tcNone;
    CDDString mDataFormat;
    CDDVariant mValue;
};
