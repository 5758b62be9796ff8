#include "kernel/address/CAddressFormat.h"

#include "kernel/address/CKnot.h"
#include "kernel/address/CLeaf.h"

#include "kernel/base/CDDArchive.h"

CAddressFormat::~CAddressFormat() = default;

std::unique_ptr<CAddressFormat> CAddressFormat::clone() const
{
    return nullptr;
}

bool CAddressFormat::Serialize(CDDArchive &archive)
{
    if (archive.isStoring())
        return archive.SetClassID(getClassID());
    return true;
}

const CDDString *CAddressFormat::name(textCategory) const
{
    return nullptr;
}

const CDDString *CAddressFormat::name() const
{
    return nullptr;
}

bool CAddressFormat::setName(const CDDString &, textCategory)
{
    return false;
}

bool CAddressFormat::setName(const CDDString &)
{
    return false;
}

CAddressFormat *CAddressFormat::addKey(textCategory, int, int, const CDDString &, const CDDString &,
                                       const CDDString &, const CDDString &, fieldMode, textCategory, textCategory)
{
    return nullptr;
}

CAddressFormat *CAddressFormat::addSubFormat(textCategory, const CDDString &, int, int)
{
    return nullptr;
}

CAddressFormat *CAddressFormat::addSubFormat(std::unique_ptr<CAddressFormat>)
{
    return nullptr;
}

std::unique_ptr<CAddressFormat> CAddressFormat::setFormat(textCategory, const CAddressFormat *, bool)
{
    return nullptr;
}

const CAddressFormat *CAddressFormat::getFormatWithKey(textCategory) const
{
    return nullptr;
}

CAddressFormat *CAddressFormat::getFormatWithKey(textCategory category)
{
    // One search for both: the node found is one of this tree's own, so this tree may change it.
    return const_cast<CAddressFormat *>(std::as_const(*this).getFormatWithKey(category));
}

const CDDString *CAddressFormat::labelForKey(textCategory) const
{
    return nullptr;
}

bool CAddressFormat::initEnumeration()
{
    return false;
}

bool CAddressFormat::nextRow()
{
    return false;
}

CAddressFormat *CAddressFormat::nextObjectInRow()
{
    return nullptr;
}

bool CAddressFormat::sort()
{
    return false;
}

std::unique_ptr<CAddressFormat> CAddressFormat::createRoot(textCategory category, const CDDString &name)
{
    return std::make_unique<CKnot>(category, name, 0, 0);
}

std::unique_ptr<CAddressFormat> CAddressFormat::SerializeFromArchive(CDDArchive &archive)
{
    int classID = -1;
    if (archive.isStoring() || !archive.GetClassID(&classID))
        return nullptr;
    std::unique_ptr<CAddressFormat> node;
    if (classID == 12)
        node = std::make_unique<CKnot>();
    else if (classID == 13)
        node = std::make_unique<CLeaf>();
    else
        return nullptr;
    if (!node->Serialize(archive))
        return nullptr;
    return node;
}

bool CAddressFormat::compare(const CAddressFormat *a, const CAddressFormat *b)
{
    if (a->getRow() != b->getRow())
        return a->getRow() < b->getRow();
    return a->getColumn() < b->getColumn();
}
