#pragma once

#include "kernel/address/CAddressFormat.h"

#include "kernel/base/CDDOwnState.h"

// A node placed at a row and a column, with a text category; the common part of knots and
// leaves. As a walk item it yields itself once per enumeration.
class CPosition : public CAddressFormat
{
public:
    CPosition() = default;
    CPosition(textCategory category, int row, int column);
    CPosition(const CPosition &other) = default;
    CPosition &operator=(const CPosition &other) = default;
    ~CPosition() override;

    std::unique_ptr<CAddressFormat> clone() const override;
    classID getClassID() const override { return ciPosition; }
    bool Serialize(CDDArchive &archive) override;

    int getRow() const override { return m_row; }
    int getColumn() const override { return m_column; }
    void setRow(int row) override { m_row = row; }
    void setColumn(int column) override { m_column = column; }
    textCategory getTextCategory() const override { return m_category; }
    void setTextCategory(textCategory category) override { m_category = category; }

    using CAddressFormat::getFormatWithKey;
    const CAddressFormat *getFormatWithKey(textCategory category) const override;

    bool initEnumeration() override;
    CAddressFormat *nextObjectInRow() override;

protected:
    bool isEnumerationFinished() const { return m_finished.value; }
    void setEnumerationFinished(bool finished) { m_finished.value = finished; }

private:
    textCategory m_category = tcNone;
    int m_row = 0;
    int m_column = 0;
    // The walk state belongs to the walk in progress, never to a copy.
    CDDOwnState<bool> m_finished;
};
