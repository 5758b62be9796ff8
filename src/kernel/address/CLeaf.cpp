#include "kernel/address/CLeaf.h"

#include "kernel/address/FTTextCategories.h"
#include "kernel/base/CDDArchive.h"

CLeaf::CLeaf(textCategory category, int row, int column, const CDDString &label, fieldMode mode,
             const CDDString &text, const CDDString &delimiter, textCategory phoneticLink)
    : CPosition(category, row, column)
    , m_label(label)
    , m_mode(mode)
    , m_text(text)
    , m_delimiter(delimiter)
    , m_phoneticLink(phoneticLink)
{
}

CLeaf::~CLeaf() = default;

std::unique_ptr<CAddressFormat> CLeaf::clone() const
{
    return std::make_unique<CLeaf>(*this);
}

bool CLeaf::Serialize(CDDArchive &archive)
{
    CPosition::Serialize(archive);
    if (archive.isStoring()) {
        archive.SetData(QStringLiteral("label"), m_label);
        archive.SetData(QStringLiteral("phoneticLink"), int(m_phoneticLink));
        archive.SetData(QStringLiteral("phoneticDelimiter"), m_delimiter);
        return true;
    }
    archive.GetData(QStringLiteral("label"), m_label);
    // A category the file lacks, or holds but no field has (kept out, named by the archive), is
    // told by the label, which is the category's key ("First Name"): the field keeps its place in
    // the format. A category stored that names no field, with a label that names none either, is
    // a value no writer stores: the address is printed without that field.
    const bool stored = !archive.value(QStringLiteral("tc")).isNull();
    if (getTextCategory() == tcNone)
        setTextCategory(FTTextCategories::getTextCategoryFromKey(m_label.getData()));
    if (stored && getTextCategory() == tcNone)
        archive.noteKept(QStringLiteral("tc"), QStringLiteral("A field \"%1\" of an address format names no category; "
                                                              "the address is printed without it")
                                                   .arg(m_label.getData().left(40)));
    int link = int(m_phoneticLink);
    if (archive.GetData(QStringLiteral("phoneticLink"), &link, CDDRanges::kTextCategory))
        m_phoneticLink = textCategory(link);
    archive.GetData(QStringLiteral("phoneticDelimiter"), m_delimiter);
    return true;
}

const CDDString *CLeaf::labelForKey(textCategory category) const
{
    return getTextCategory() == category ? &m_label : nullptr;
}
