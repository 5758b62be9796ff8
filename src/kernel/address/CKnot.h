#pragma once

#include "kernel/address/CPosition.h"
#include "kernel/address/FTCloneVector.h"

// An inner node of an address format: the root of a template (category 105), the country part
// of an address (104, named by the country code) or any group of fields. It owns its children
// and keeps them sorted by row, then column, as they are added; a copy clones them. The row walk
// visits the children row by row, a sub-knot spanning several rows holding its parent on its
// row until it is spent, and passes over rows no child uses.
class CKnot : public CPosition
{
public:
    CKnot() = default;
    CKnot(textCategory category, const CDDString &name, int row, int column);
    CKnot(const CKnot &other) = default;
    CKnot &operator=(const CKnot &other) = default;
    ~CKnot() override;

    std::unique_ptr<CAddressFormat> clone() const override;
    classID getClassID() const override { return ciKnot; }
    bool Serialize(CDDArchive &archive) override;

    const CDDString *name(textCategory category) const override;
    const CDDString *name() const override { return &m_name; }
    bool setName(const CDDString &name, textCategory category) override;
    bool setName(const CDDString &name) override;

    CAddressFormat *addKey(textCategory category, int row, int column, const CDDString &label, const CDDString &text,
                           const CDDString &delimiter, const CDDString &cascadeDelimiter, fieldMode mode,
                           textCategory phoneticLink, textCategory cascadeLink) override;
    CAddressFormat *addSubFormat(textCategory category, const CDDString &name, int row, int column) override;
    CAddressFormat *addSubFormat(std::unique_ptr<CAddressFormat> node) override;
    std::unique_ptr<CAddressFormat> setFormat(textCategory category, const CAddressFormat *format,
                                              bool asIs) override;

    bool isLinearFormat() const override { return m_linear; }
    void convertToLinear() override;

    using CAddressFormat::getFormatWithKey;
    const CAddressFormat *getFormatWithKey(textCategory category) const override;
    const CDDString *labelForKey(textCategory category) const override;

    bool initEnumeration() override;
    bool nextRow() override;
    CAddressFormat *nextObjectInRow() override;
    bool sort() override;

    qsizetype childCount() const { return qsizetype(m_children.size()); }
    CAddressFormat *childAt(qsizetype index) const;

    // Deeper trees than this are refused when read from an archive.
    static constexpr int kMaxArchiveDepth = 32;

private:
    CDDString m_name;
    bool m_linear = false;
    // The row the walk is on.
    CDDOwnState<int> m_currentRow;
    // Last, so that a knot assigned from a knot it holds has read everything else before its old
    // children go.
    FTCloneVector<CAddressFormat> m_children;
};
