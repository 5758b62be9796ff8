#pragma once

#include "app/inspector/CADesignTextItem.h"

#include <QImage>

#include <functional>
#include <memory>
#include <vector>

class CFTComponent;
class QMimeData;

// The two lists of the design window -- address templates (the predefined ones of
// "TemplateFormat.xml", then the user's custom formats) and single address fields -- with the
// side new items go to and the data a drag of a row carries. The window's tables show them
// through CADesignTextListModel.
class CADesignTextLists
{
public:
    enum List { Templates = 0, Fields = 1 };

    CADesignTextLists();

    // The field categories in list order, -1 for a separator row.
    static const std::vector<int> &fieldRows();

    // Builds both lists again (after the custom formats changed).
    void refreshArrays();
    int count(List list) const;
    // The item at the row; none for a row outside the list (a click below the rows is row -1).
    const CADesignTextItem *itemAtRow(List list, int row) const;
    // The category of a field row; -1 outside the list and for separators.
    int tcForRow(int row) const;

    // The side new items go to: recipient unless sender is chosen. Both tabs share it.
    bool senderSelected() const { return m_sender; }
    void selectSender() { m_sender = true; }
    void selectRecipient() { m_sender = false; }

    // The component the templates' text settings come from (the active canvas's default text).
    void setTemplateSource(std::function<const CFTComponent *()> source) { m_templateSource = std::move(source); }

    // The one-component "Components" archive of the component as an XML property list under the
    // address-design type; none, with a log line, when it cannot be written.
    static std::unique_ptr<QMimeData> mimeDataForComponent(CFTComponent *component);
    // A free text holding the text, for the handling labels.
    std::unique_ptr<CFTComponent> componentForText(const QString &text) const;

    // A component for the row on the chosen side, none for a separator, a row outside the list
    // or a format that cannot be built.
    std::unique_ptr<CFTComponent> componentForRow(List list, int row) const;
    // The one-component "Components" archive of the row as an XML property list under the
    // address-design type; none when the row makes no component (the drag is refused).
    std::unique_ptr<QMimeData> mimeDataForRow(List list, int row) const;
    // The row's component drawn at scale (pixels per point) under a translucent rounded frame
    // (corner radius 12 for templates, 4 for fields); null when it makes none.
    QImage dragImageForRow(List list, int row, double scale) const;

private:
    void fillArrays();

    std::vector<CADesignTextItem> m_templates;
    std::vector<CADesignTextItem> m_fields;
    bool m_sender = false;
    std::function<const CFTComponent *()> m_templateSource;
};
