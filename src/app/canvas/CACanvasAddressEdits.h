#pragma once

#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CADocView;
class CADocument;
class CAddressFormat;
class CAddressFormatWrapper;
class CFTAAddressPanel;
class CFTComponent;
class PWPerson;
class PWUndoManager;

// The undoable changes of address panels, address texts and the current persons of a canvas.
// Each one registers its inverse on the document's undo manager before it changes anything and
// names no step: the command that calls it names the step. Formats travel through the
// registrations only inside wrappers, so that a registered format stays as it was when the
// panel's format changes later. The registrations reach this object through a guarded pointer,
// so a step left behind by a closed canvas does nothing.
class CACanvasAddressEdits : public QObject
{
    Q_OBJECT
public:
    using Wrapper = std::shared_ptr<CAddressFormatWrapper>;

    explicit CACanvasAddressEdits(CADocView &canvas);
    ~CACanvasAddressEdits() override;

    // --- formats ---------------------------------------------------------------------------------
    // The wrapper's format replaces the panel's country part; the document's country code of the
    // panel's side follows when the new part names its country.
    void changeAddressFormatWithCountry(const Wrapper &wrapper, CFTComponent *panel);
    // The wrapper's template with the panel's own country; the panel's texts are filled again.
    void changeAddressFormatWithTemplate(const Wrapper &wrapper, CFTComponent *panel);
    // The wrapper's format as it is.
    void setAddressFormatWithTemplate(const Wrapper &wrapper, CFTComponent *panel);
    // The panels of the list that belong to the side take the format of the person's country.
    void updateAddressFormat(const std::vector<CFTComponent *> &list, const PWPerson *person, bool toFrom);
    // The same over every component list of every side.
    void updateAddressFormatWithPerson(const PWPerson *person, bool toFrom);
    // Registers the document's current country keys; the keyed change itself changes nothing.
    void undoChangeAddressFormatWithKeyTo(const QString &keyTo, const QString &keyFrom, CFTComponent *panel);

    // --- field texts and modes -------------------------------------------------------------------
    void setStringForAddressPanel(const QString &text, textCategory category, CFTComponent *panel, bool allowDisable);
    void setStringForTextBox(const QString &text, CFTComponent *textBox);
    // A free address text takes the mode, the category and that category's label.
    void setModeForAddressText(fieldMode mode, textCategory category, CFTComponent *field);
    void setModeForTextCategory(fieldMode mode, textCategory category, CFTComponent *panel);

    // --- side, address type, preference, barcode, capitals ---------------------------------------
    void setToFrom(bool toFrom, CFTComponent *panel);
    void setAddressType(addressType type, CFTComponent *panel);
    void setPreferredAddress(bool preferred, CFTComponent *panel);
    // Every field shown or only the filled ones; a panel shown as a placeholder (every field)
    // stops being one. Both are stored with the design: an undoable step.
    void setShowAllFields(bool showAll, bool placeholder, CFTComponent *panel);
    // Only the panel's flag: the format keeps or lacks its barcode field as it is.
    void setBarcodeVisible(bool visible, CFTComponent *panel);
    // Locations 0 and 1 put the barcode into the panel's format above or below the address; 2
    // takes it out of the format and, when shown, places a barcode component of its own near
    // the lower right corner of the page (keeping one that stands apart already). A recipient
    // panel has one barcode: one shown in the panel, or hidden, takes away the one apart. The
    // panel keeps the location while the barcode is hidden; a hidden barcode not shown only has
    // its location kept.
    void showBarcode(bool show, int location, CFTComponent *panel);
    // The location the panel keeps for its barcode (-1 none), nothing else.
    void keepBarcodeLocation(int location, CFTComponent *panel);
    // Capitals shown or not, letter for letter: the characters as typed stay beside the capitals
    // and come back when they go. Undo and redo give back each text exactly (characters, style,
    // frame, what a field keeps as typed); the person is never told.
    void setRepresentationType(objectRepType type, CFTComponent *component);
    void setCapitalizedAddressPanel(bool capitalized);

    // --- persons ---------------------------------------------------------------------------------
    // The document keeps the person (a copy; none clears the side) and the side's texts are
    // filled from it; the formats stay.
    void setCurrentPerson(const std::shared_ptr<PWPerson> &person, bool toFrom);

    // Where showBarcode places a barcode of its own: its centre 171 points from the right edge
    // and 22.5 points from the bottom edge of the page.
    static QPointF separateBarcodeOrigin(double pageWidth, double pageHeight, double width, double height);
    // Whether a representation type shows capitals.
    static bool isUpperCase(objectRepType type);
    // Where the panel's barcode stands as the panel draws it: 0 above the address when its
    // format puts the barcode in the first row, 1 below when further down; without a barcode in
    // the format, the location the panel keeps (-1 while none was ever chosen).
    static int drawnBarcodeLocation(const CFTAAddressPanel *panel);
    // Where the panel's one barcode stands: 0 or 1 in the panel (as drawn), 2 apart (a recipient
    // panel whose side holds a barcode of its own), -1 nowhere.
    int shownBarcodeLocation(const CFTAAddressPanel *panel) const;

    // The texts of the component filled from its side's current person.
    void refreshTexts(CFTComponent *component);
    void refreshTexts(const std::vector<CFTComponent *> &list, bool toFrom);

private:
    struct KeptTexts;
    static std::shared_ptr<const KeptTexts> captureTexts(CFTComponent *component);
    void restoreTexts(CFTComponent *component, const std::shared_ptr<const KeptTexts> &kept);
    // Takes away the barcodes of their own of the shown side, undoably.
    void removeSeparateBarcodes();
    CADocument *document() const;
    PWUndoManager *undoManager() const;
    void registerUndo(std::function<void(CACanvasAddressEdits &)> action);
    void registerSelectionChanged();
    // The wrapper's format as it is, the texts filled again: the undo of a template change.
    void restoreFormat(const Wrapper &wrapper, CFTComponent *panel);
    void registerFormatUndo(CFTComponent *component, std::function<void(CACanvasAddressEdits &)> inverse);
    void storeCurrentPerson(const std::shared_ptr<PWPerson> &person, bool toFrom, bool restore);
    void registerUpdateDocView();
    void selectionChanged();
    void redisplay();
    void invalidate(CFTComponent *component);
    // Gives the component the format with the flags and drops the one it had.
    static void applyFormat(CFTComponent *component, const CAddressFormat *format, int flags);
    // The country code of the person's country text for the type, else the default country.
    static QString countryCodeOfPerson(const PWPerson *person, addressType type);

    CADocView &m_canvas;
};
