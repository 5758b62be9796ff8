#pragma once

#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"
#include "platform/PWPlist.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CACanvasAddressEdits;
class CADocView;
class CADocument;
class CFTAAddressPanel;
class CFTComponent;
class PWPerson;
class PWUndoManager;

// The person and address-format commands of a canvas, as the menus and the design panel send
// them: each works on the kernel view's selection through the undoable address edits and is one
// undo step named by its localized key.
class CACanvasAddressCommands : public QObject
{
    Q_OBJECT
public:
    CACanvasAddressCommands(CADocView &canvas, CACanvasAddressEdits &edits);
    ~CACanvasAddressCommands() override;

    // The menu tag of an address type: 0 main, 1 work, 2 home, 3 other; anything else other.
    static addressType addressTypeForTag(int tag);
    // Whether a chosen person gives the panels the format of the person's country
    // ("FTChangeCountry", on unless the user turned it off).
    static bool changeCountryPreference();

    // --- persons ---------------------------------------------------------------------------------
    // The side's panels take the format of the person's country (by preference), then the person
    // becomes the side's current person. Nothing for no person.
    void changePersonWithABPerson(const std::shared_ptr<PWPerson> &person, bool toFrom);
    // With the preference on, registers the keyed country change of one panel; names no step.
    void changeFormatForAddressPanel(CFTComponent *panel, const PWPerson *person, addressType type);
    // Names no step.
    void setCapitalizedAddressPanel(bool capitalized);

    // --- formats, side and type from the menus ---------------------------------------------------
    void changeAddressTypeWithMenu(int tag);
    void changeCountryWithMenu(const QString &countryCode);
    // Tag 0: the predefined template named by represented; any other tag: a custom format
    // marker {"index", "title"}.
    void changeTemplateWithMenu(int tag, const PWPlist &represented);
    // The custom format on every selected object, its barcode placement taken from the format;
    // names no step (the caller does).
    void changeAddressFormatWithCustomTemplateMarker(const PWPlist &marker);
    // Tag 1 the recipient side, any other the sender side.
    void changeToFromWithMenu(int tag);
    // An item of the design panel's template table: type 1 a predefined template by name,
    // type 2 a custom format by its index; other types change nothing.
    void changeTemplateFromDesignPanel(int type, const QString &name, int customIndex, const QString &title);
    // The category the design panel's field table was clicked on, for every selected address text.
    void changeTextCategoryFromDesignPanel(textCategory category);

    // --- address panels and grouping (CACanvasAddressPanels.cpp) ----------------------------------
    // A new recipient (true) or sender panel of the default template on the shown side, 10
    // points right of and below the last such panel (else at (9, 9)), filled from the side's
    // person.
    void addressPanel(bool toFrom);
    // The selected fields that may join an address, in one new recipient panel whose custom
    // format keeps their rows and columns.
    void group();
    void ungroup();
    // Each the other's undo: the fields leave the side into the panel, which takes their place,
    // and back. A component's index on the side is kept for its return.
    void groupObjects(const std::vector<CFTComponent *> &fields, CFTAAddressPanel *panel);
    void ungroupObject(CFTAAddressPanel *panel);
    void raiseBaseline();
    void lowerBaseline();
    void loosenKerning();
    void tightenKerning();

    // The rows of a group: components sorted by their top edge, a row's band starting 0.2 of
    // the first one's height inside it and widened by every member; each row ordered by the left
    // edge. Every component lands in exactly one row, a flat one in a row of its own.
    static std::vector<std::vector<CFTComponent *>> groupRows(std::vector<CFTComponent *> components);

private:
    // Fields that left a panel without joining the side, kept for the panel's return.
    struct PanelFields;
    void groupObjects(const std::vector<CFTComponent *> &fields, CFTAAddressPanel *panel,
                      const std::shared_ptr<PanelFields> &kept);
    void eachSelected(const QString &actionKey, const std::function<void(CFTComponent *)> &primitive);
    CADocument *document() const;
    PWUndoManager *undoManager() const;
    std::vector<CFTComponent *> selection() const;
    // One user command: an undo group named by the key.
    void command(const QString &actionKey, const std::function<void()> &body);

    CADocView &m_canvas;
    CACanvasAddressEdits &m_edits;
};
