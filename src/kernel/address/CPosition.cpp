#include "kernel/address/CPosition.h"

#include "kernel/base/CDDArchive.h"

CPosition::CPosition(textCategory category, int row, int column)
    : m_category(category)
    , m_row(row)
    , m_column(column)
{
}

CPosition::~CPosition() = default;

std::unique_ptr<CAddressFormat> CPosition::clone() const
{
    auto copy = std::make_unique<CPosition>();
    *copy = *this;
    return copy;
}

bool CPosition::Serialize(CDDArchive &archive)
{
    CAddressFormat::Serialize(archive);
    if (archive.isStoring()) {
        archive.SetData(QStringLiteral("tc"), int(m_category));
        archive.SetData(QStringLiteral("row"), m_row);
        archive.SetData(QStringLiteral("col"), m_column);
        return true;
    }
    int category = int(m_category);
    if (archive.GetData(QStringLiteral("tc"), &category, CDDRanges::kTextCategory))
        m_category = textCategory(category);
    archive.GetData(QStringLiteral("row"), &m_row, CDDRanges::kFormatPlace);
    archive.GetData(QStringLiteral("col"), &m_column, CDDRanges::kFormatPlace);
    return true;
}

const CAddressFormat *CPosition::getFormatWithKey(textCategory category) const
{
    return m_category == category ? this : nullptr;
}

bool CPosition::initEnumeration()
{
    m_finished.value = false;
    return true;
}

CAddressFormat *CPosition::nextObjectInRow()
{
    if (m_finished.value)
        return nullptr;
    m_finished.value = true;
    return this;
}
