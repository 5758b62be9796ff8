#include "kernel/text/CFTSmartField.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/FTUtilities.h"

CFTSmartField::CFTSmartField(const CFTComponent *defComponent)
    : CFTAText(defComponent, false)
{
}

CFTSmartField::CFTSmartField(double x, double y, const CFTComponent *defComponent, textCategory category)
    : CFTAText(x, y, defComponent, false)
{
    CFTSmartField::SetTextCategory(category, nullptr);
}

CFTSmartField::~CFTSmartField() = default;

CDDString CFTSmartField::formatForCategory(textCategory category)
{
    if (category == tcSmartSideNumber)
        return CDDString(QStringLiteral("#n"));
    if (category == tcSmartSideCount)
        return CDDString(QStringLiteral("#c"));
    return CDDString(QString());
}

CDDString CFTSmartField::formatValue(const CDDVariant &value, const CDDString &format)
{
    // The stored format stays "#n"; only the text shown takes the side number in its place.
    QString pattern = format.getData();
    pattern.replace(QLatin1String("#n"), QLatin1String("#p"));
    pattern.replace(QLatin1String("#N"), QLatin1String("#p"));
    return FormatValue(value, CDDString(pattern));
}

CFTComponent *CFTSmartField::SetTextCategory(textCategory category, const CDDString *label)
{
    CFTAText::SetTextCategory(category, label);
    m_textCategory = category;
    SetDataFormat(formatForCategory(category));
    return this;
}

void CFTSmartField::SetValue(CDDVariant value)
{
    mValue = value;
    SetString(formatValue(mValue, mDataFormat));
}

bool CFTSmartField::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTAText::Serialize(archive, list);
    if (archive.isStoring()) {
        archive.SetData(key_TextCategory, int(m_textCategory));
        archive.SetData(key_DataFormat, mDataFormat);
        return true;
    }
    int category = int(m_textCategory);
    if (archive.GetData(key_TextCategory, &category, CDDRanges::kTextCategory))
        m_textCategory = textCategory(category);
    archive.GetData(key_DataFormat, mDataFormat);
    return true;
}
