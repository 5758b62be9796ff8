#include "kernel/address/CPosition.h"

#include "kernel/foundation/CDDArchive.h"

CPosition::CPosition(textCategory category, int row, int column)
    : m_category(category)
    , m_row(row)
    , m_column(column)
{
}

// The walk state belongs to the walk in progress, never to the copy.
CPosition::CPosition(const CPosition &other)
    : CAddressFormat(other)
    , m_category(other.m_category)
    , m_row(other.m_row)
    , m_column(other.m_column)
{
}

CPosition &CPosition::operator=(const CPosition &other)
{
    CAddressFormat::operator=(other);
    m_category = other.m_category;
    m_row = other.m_row;
    m_column = other.m_column;
    return *this;
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
    if (archive.GetData(QStringLiteral("tc"), &category))
        m_category = textCategory(category);
    archive.GetData(QStringLiteral("row"), &m_row);
    archive.GetData(QStringLiteral("col"), &m_column);
    return true;
}

const CAddressFormat *CPosition::getFormatWithKey(textCategory category) const
{
    return m_category == category ? this : nullptr;
}

bool CPosition::initEnumeration()
{
    m_finished = false;
    return true;
}

CAddressFormat *CPosition::nextObjectInRow()
{
    if (m_finished)
        return nullptr;
    m_finished = true;
    return this;
}
