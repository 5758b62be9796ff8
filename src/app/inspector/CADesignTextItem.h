#pragma once

#include "kernel/base/FTTypes.h"

#include <QString>

#include <memory>

class CFTComponent;

// One row of the design window's lists: a person field (or barcode, counter, file data), a
// predefined address template, a custom address format, or a separator; and the maker of the
// component a drag of the row puts on a design.
class CADesignTextItem
{
public:
    enum Type { Field = 0, Template = 1, CustomFormat = 2, Separator = 3 };

    CADesignTextItem(const QString &name, Type type, textCategory category, int customIndex = -1);

    Type type() const { return m_type; }
    const QString &name() const { return m_name; }
    const QString &title() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // The category of a field row; -1 for every other row.
    textCategory tc() const { return m_tc; }
    // The index of a custom format in the catalogue's custom list; -1 for other rows.
    int customIndex() const { return m_customIndex; }

    // A new component for the recipient (true) or sender side, at the origin, its text settings
    // copied from templateComponent when there is one. None for a separator, and none -- with a
    // log line -- for a template or custom format the catalogue cannot build.
    std::unique_ptr<CFTComponent> createComponentAsReceiver(bool toFrom, const CFTComponent *templateComponent) const;

private:
    std::unique_ptr<CFTComponent> createField(bool toFrom, const CFTComponent *templateComponent) const;

    QString m_name;
    Type m_type;
    textCategory m_tc;
    int m_customIndex;
};
