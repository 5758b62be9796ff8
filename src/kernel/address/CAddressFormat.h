#pragma once


#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"
#include "kernel/base/CDDString.h"
#include "kernel/base/FTClassID.h"

#include <memory>

class CDDArchive;

// A node of an address format: which fields an address block shows and where. Formats are
// trees: knots (CKnot) group fields, leaves (CLeaf) are single fields; each node sits at a row
// and a column relative to its parent. The base class answers "nothing" to every question, so
// callers may ask any node anything; the subclasses answer what they hold. A tree is owned by
// its root, and every node's strings live as long as the node.
class CAddressFormat
{
public:
    CAddressFormat() = default;
    virtual ~CAddressFormat();

    // Set on trees built from a user's custom description.
    void setCustomFormat(bool custom) { m_custom = custom; }
    bool isCustomFormat() const { return m_custom; }

    // A new node of the same class holding the same (a knot: with clones of its children).
    virtual std::unique_ptr<CAddressFormat> clone() const;
    virtual classID getClassID() const = 0;
    // Stores or loads the node through the archive; the base writes the class ID when storing.
    virtual bool Serialize(CDDArchive &archive);

    // The name of the knot of that category (the template name, the country code); null for a
    // leaf or when nothing has the category.
    virtual const CDDString *name(textCategory category) const;
    virtual const CDDString *name() const;
    // Renames the knot of the category; false only when nothing has the category.
    virtual bool setName(const CDDString &name, textCategory category);
    virtual bool setName(const CDDString &name);

    // Knots only: add a leaf or an empty sub-knot, or take over a node; children stay sorted by
    // row, then column. Null on other nodes (a node passed in is then destroyed).
    virtual CAddressFormat *addKey(textCategory category, int row, int column, const CDDString &label,
                                   const CDDString &text, const CDDString &delimiter,
                                   const CDDString &cascadeDelimiter, fieldMode mode, textCategory phoneticLink,
                                   textCategory cascadeLink);
    virtual CAddressFormat *addSubFormat(textCategory category, const CDDString &name, int row, int column);
    virtual CAddressFormat *addSubFormat(std::unique_ptr<CAddressFormat> node);
    // Puts a clone of format in place of the child of that category (searched depth first) and
    // answers the replaced node, which the caller then owns.
    virtual std::unique_ptr<CAddressFormat> setFormat(textCategory category, const CAddressFormat *format,
                                                      bool asIs);

    virtual int getRow() const { return -1; }
    virtual int getColumn() const { return -1; }
    virtual void setRow(int) {}
    virtual void setColumn(int) {}
    virtual const CDDString *getLabel() const { return nullptr; }
    virtual void setLabel(const CDDString &) {}
    virtual textCategory getTextCategory() const { return tcNone; }
    virtual void setTextCategory(textCategory) {}
    virtual fieldMode getMode() const { return fmAlways; }
    virtual void setMode(fieldMode) {}
    virtual const CDDString *getText() const { return nullptr; }
    virtual const CDDString *getDelimiter() const { return nullptr; }
    virtual textCategory getPhoneticLink() const { return tcNone; }
    virtual const CDDString *getCascadeDelimiter() const { return nullptr; }
    virtual textCategory getCascadeLink() const { return tcNone; }
    virtual bool isLinearFormat() const { return false; }
    virtual void convertToLinear() {}

    // The first node of the category, depth first and this node first; null when none.
    virtual const CAddressFormat *getFormatWithKey(textCategory category) const;
    CAddressFormat *getFormatWithKey(textCategory category);
    bool containKey(textCategory category) const { return getFormatWithKey(category) != nullptr; }
    // The label of the first leaf of the category.
    virtual const CDDString *labelForKey(textCategory category) const;

    // The row walk: initEnumeration(), then leaves from nextObjectInRow() until it gives null,
    // then nextRow() until it gives false.
    virtual bool initEnumeration();
    virtual bool nextRow();
    virtual CAddressFormat *nextObjectInRow();
    virtual bool sort();

    // A new knot of that category and name at row 0, column 0.
    static std::unique_ptr<CAddressFormat> createRoot(textCategory category, const CDDString &name);
    // The node stored in a loading archive (a knot or a leaf by its class ID), or null.
    static std::unique_ptr<CAddressFormat> SerializeFromArchive(CDDArchive &archive);
    // True when a lies before b: a smaller row, or the same row and a smaller column.
    static bool compare(const CAddressFormat *a, const CAddressFormat *b);

    bool operator<(const CAddressFormat &other) const { return compare(this, &other); }
    bool operator==(const CAddressFormat &other) const
    {
        return getRow() == other.getRow() && getColumn() == other.getColumn();
    }

protected:
    CAddressFormat(const CAddressFormat &) = default;
    CAddressFormat &operator=(const CAddressFormat &) = default;

private:
    bool m_custom = false;
};
