#pragma once

#include "kernel/address/CPosition.h"

// One field of an address format: its category and place, the label shown while it is empty
// (already localized), how it is shown, a literal text, the delimiter put after it when a later
// field of its row has text, and the category whose reading it carries (phonetic link). Only
// the place, label, delimiter and link are archived; the mode and the text come from the
// catalogue every time a format is built.
class CLeaf : public CPosition
{
public:
    CLeaf() = default;
    CLeaf(textCategory category, int row, int column, const CDDString &label, fieldMode mode,
          const CDDString &text, const CDDString &delimiter, textCategory phoneticLink);
    CLeaf(const CLeaf &other) = default;
    CLeaf &operator=(const CLeaf &other) = default;
    ~CLeaf() override;

    std::unique_ptr<CAddressFormat> clone() const override;
    classID getClassID() const override { return ciLeaf; }
    bool Serialize(CDDArchive &archive) override;

    const CDDString *getLabel() const override { return &m_label; }
    void setLabel(const CDDString &label) override { m_label = label; }
    fieldMode getMode() const override { return m_mode; }
    void setMode(fieldMode mode) override { m_mode = mode; }
    const CDDString *getText() const override { return &m_text; }
    const CDDString *getDelimiter() const override { return &m_delimiter; }
    textCategory getPhoneticLink() const override { return m_phoneticLink; }
    const CDDString *getCascadeDelimiter() const override { return &m_cascadeDelimiter; }
    textCategory getCascadeLink() const override { return tcNone; }

    const CDDString *labelForKey(textCategory category) const override;

private:
    CDDString m_label;
    fieldMode m_mode = fmUnset;
    CDDString m_text;
    CDDString m_delimiter;
    textCategory m_phoneticLink = tcNone;
    // Always empty: no operation of the tree sets a cascade, and nothing reads one.
    CDDString m_cascadeDelimiter;
};
