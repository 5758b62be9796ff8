#pragma once

#include "kernel/base/CDDString.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/base/FTTypes.h"
#include "platform/PWPlist.h"

#include <memory>
#include <vector>

class CAddressFormat;
class CDDArchive;
class CDDDrawer;
class CDDReadReport;
class CFTAAddressPanel;
class CFTComponent;
class CFTExtPicture;

// The model of one design: the core document with the paper layout it is printed on (label
// sheet, label roll, envelope or postcard), the country codes and address types of the
// recipient ("To") and sender ("From") sides, the postal extras, and one optional background
// picture per side kept in that side's back list. A predefined layout is stored landscape and
// turned by the orientation of each side. Its file form is written and read by Serialize.
class CFTADocument : public CFTACoreDoc
{
public:
    // The window corner radius every document starts with: 3 mm.
    static constexpr double kDefaultWinCornerRadius = 8.503937007874017;
    // The page-size name of label-printer rolls.
    static const QString kLabelRollPageSize;

    CFTADocument();
    CFTADocument(documentType type, const CDDString &countryCodeTo, const CDDString &countryCodeFrom);
    ~CFTADocument() override;

    // The starting values of every new document, whatever its kind.
    void init();

    // --- Snapping: the card's edges, 9 points in -----------------------------------------------
    int getXSnapArrayFrom(std::span<float> array) const override;
    int getYSnapArrayFrom(std::span<float> array) const override;
    int getXSnapArrayTo(std::span<float> array) const override;
    int getYSnapArrayTo(std::span<float> array) const override;
    float getMinSnapYTo() const override;
    float getMaxSnapYTo() const override;
    float getMinSnapXTo() const override;
    float getMaxSnapXTo() const override;
    float getMinSnapYFrom() const override;
    float getMaxSnapYFrom() const override;
    float getMinSnapXFrom() const override;
    float getMaxSnapXFrom() const override;

    // --- Sizes --------------------------------------------------------------------------------
    double getCardSizeX() const { return mdSizeX; }
    double getCardSizeY() const { return mdSizeY; }
    // A predefined layout answers its long side as X and its short side as Y.
    virtual double getLayoutSizeX() const;
    virtual double getLayoutSizeY() const;
    double getDocumentSizeX(int sideIndex) const override;
    double getDocumentSizeY(int sideIndex) const override;

    // --- Drawing ------------------------------------------------------------------------------
    // Side 0's background picture, then the facing identification mark when it is allowed.
    void DrawBackground(CDDDrawer *drawer) override;
    // The background picture of a side, if it has one.
    void DrawSideBackground(CDDDrawer *drawer, int sideIndex);
    // The facing identification mark alone, where the card has it, when the design shows one.
    void DrawFIMBarcode(CDDDrawer *drawer);
    // Draws the counters and file fields of the list.
    void DrawCounterComponents(const std::vector<CFTComponent *> &list, CDDDrawer *drawer);
    // Draws the members of the list in the order side 0's main list has them.
    void DrawComponentsWithDocumentZOrder(const std::vector<CFTComponent *> &list, CDDDrawer *drawer);
    // The document adds no wrap outlines of its own.
    std::vector<CDDWrappingPath *> GetIntersectPathForRect(const QRectF &rect, double originX, double originY,
                                                           double centerX, double centerY, double angle,
                                                           const void *asker, textWrap wrap) const override;

    // --- Background picture ---------------------------------------------------------------------
    // The background of the side (the first background picture of its back list), or null.
    CFTExtPicture *getBackground(int sideIndex) const;
    // Makes background (which may come from the deferred-delete pool; null removes) the side's
    // background. The previous one moves into the pool and is answered, so that an undo can put
    // it back; null when there was none or the side does not exist (background is then not taken).
    CFTExtPicture *setBackground(CFTExtPicture *background, int sideIndex);

    // --- Layout attributes --------------------------------------------------------------------
    const CDDString &GetCountryCodeTo() const { return m_CountryCodeTo; }
    void SetCountryCodeTo(const CDDString &code) { m_CountryCodeTo = code; }
    const CDDString &GetCountryCodeFrom() const { return m_CountryCodeFrom; }
    void SetCountryCodeFrom(const CDDString &code) { m_CountryCodeFrom = code; }
    addressType addressTypeTo() const { return m_AddressTypeTo; }
    addressType addressTypeFrom() const { return m_AddressTypeFrom; }
    void SetAddressTypeTo(addressType type) { m_AddressTypeTo = type; }
    void SetAddressTypeFrom(addressType type) { m_AddressTypeFrom = type; }
    const CDDString &GetManufacturer() const { return m_Manufacturer; }
    void SetManufacturer(const CDDString &value) { m_Manufacturer = value; }
    const CDDString &GetID() const { return m_ID; }
    void SetID(const CDDString &value) { m_ID = value; }
    const CDDString &GetDescription() const { return m_Description; }
    void SetDescription(const CDDString &value) { m_Description = value; }
    const CDDString &GetCategory() const { return m_Category; }
    void SetCategory(const CDDString &value) { m_Category = value; }
    const CDDString &GetType() const { return m_Type; }
    void SetType(const CDDString &value) { m_Type = value; }
    const CDDString &GetPageSize() const { return m_PageSize; }
    void SetPageSize(const CDDString &value) { m_PageSize = value; }
    int GetRowCount() const { return m_RowCount; }
    void SetRowCount(int count) { m_RowCount = count; }
    int GetColCount() const { return m_ColCount; }
    void SetColCount(int count) { m_ColCount = count; }
    double GetCornerRadius() const { return m_CornerRadius; }
    void SetCornerRadius(double value) { m_CornerRadius = value; }
    double GetTopMargin() const { return m_TopMargin; }
    void SetTopMargin(double value) { m_TopMargin = value; }
    double GetLeftMargin() const { return m_LeftMargin; }
    void SetLeftMargin(double value) { m_LeftMargin = value; }
    double GetHSpace() const { return m_HSpace; }
    void SetHSpace(double value) { m_HSpace = value; }
    double GetVSpace() const { return m_VSpace; }
    void SetVSpace(double value) { m_VSpace = value; }
    bool HasWindow() const { return m_HasWindow; }
    void SetHasWindow(bool value) { m_HasWindow = value; }
    double GetWinWidth() const { return m_WinWidth; }
    void SetWinWindth(double value) { m_WinWidth = value; }
    double GetWinHeight() const { return m_WinHeight; }
    void SetWinHeight(double value) { m_WinHeight = value; }
    double GetWinBottomOffset() const { return m_WinBottomOffset; }
    void SetWinBottomOffset(double value) { m_WinBottomOffset = value; }
    double GetWinLeftOffset() const { return m_WinLeftOffset; }
    void SetWinLeftOffset(double value) { m_WinLeftOffset = value; }
    double GetWinCornerRadius() const { return m_WinCornerRadius; }
    void SetWinCornerRadius(double value) { m_WinCornerRadius = value; }
    double GetDYMOPaperWidth() const { return m_DYMOPaperWidth; }
    void SetDYMOPaperWidth(double value) { m_DYMOPaperWidth = value; }
    double GetDYMOPaperHeight() const { return m_DYMOPaperHeight; }
    void SetDYMOPaperHeight(double value) { m_DYMOPaperHeight = value; }
    double GetDYMOOffsetX() const { return m_DYMOOffsetX; }
    void SetDYMOOffsetX(double value) { m_DYMOOffsetX = value; }
    double GetDYMOOffsetY() const { return m_DYMOOffsetY; }
    void SetDYMOOffsetY(double value) { m_DYMOOffsetY = value; }
    bool isFIMBarcodeVisible() const { return m_FIMVisible; }
    void setFIMBarcodeVisible(bool visible) { m_FIMVisible = visible; }
    // A label whose page size is "Label Roll".
    bool isLabelRoll() const;

    // --- Walks over every component (each side, back list then main list, over copies) -------
    // Components of the side get the address type; the document's own types stay.
    void setAddressType(addressType type, bool toFrom);
    // Components of the side get the format (location 1); the caller keeps the format.
    void setAddressFormat(const CAddressFormat *format, bool toFrom);
    // Every address panel gets the automatic-layout flag.
    void setAuto(bool automatic);
    void updateObjectsTextCategory(textCategory category, bool toFrom, addressType type, const CDDString &value);
    // The facing identification mark is wanted and a POSTNET barcode stands on the design.
    bool isFIMBarcodeAllow() const;
    // On small cards (size group 5 or less), with the flag set, turns the first sender panel
    // of each list into a recipient panel.
    void updateComponentsType(bool flag);

    // --- Layout changes -------------------------------------------------------------------------
    // Rescales side 0's main list to a new card size; the card size itself is left to the caller.
    void updateComponentsToNewDocSize(double newWidth, double newHeight);
    void updateComponentsPositionToFitSize(double width, double height);
    // Lays out and places the referenced sender and recipient panels; nothing without them.
    void arrangeAddressPanel();

    // --- Recipient and sender panel references ------------------------------------------------
    // Not owned; the panels stay in the document's lists.
    CFTAAddressPanel *getRecipientPanel() const { return m_RecipientPanel; }
    CFTAAddressPanel *getSenderPanel() const { return m_SenderPanel; }
    void setRecipientPanel(CFTAAddressPanel *panel) { m_RecipientPanel = panel; }
    void setSenderPanel(CFTAAddressPanel *panel) { m_SenderPanel = panel; }
    // The panel the barcode commands act on: the referenced recipient panel, else the first
    // recipient panel of the front lists that holds a barcode field, else the first recipient
    // panel; null when the design has none.
    CFTAAddressPanel *barcodeRecipientPanel() const;
    // The recipient panel's barcode location (0 without a panel).
    int getBarcodeLocation() const;
    void setBarcodeLocation(int location);
    // The recipient panel's barcode field, or null.
    const CFTComponent *barcode() const;
    void showBarcode(char show);

    // --- File form ----------------------------------------------------------------------------
    // Writes the document's keys into a storing archive, or reads them from a loading archive
    // into this (prepared) document; absent keys keep or reset their values. Answers 1.
    int Serialize(const CDDArchive &archive);
    // Why a file's dictionary cannot be read as a design at all; empty when it can. A key that
    // every design holds stands in the file in a damaged form (one changed byte in its name), or
    // the front side's list of components cannot be read. Reading such a file would give a design
    // that has silently lost its content; keys that are merely absent or hold another kind of
    // value go into the reading's report instead (CFTADocumentFileCheck::gapsOfCurrentDesign).
    static QString refusalOfFile(const PWPlist &file);

private:
    void store(const CDDArchive &archive);
    void load(const CDDArchive &archive);
    void storeLayout(const CDDArchive &layout) const;
    void loadLayout(const CDDArchive &layout);
    void loadFrontSide(const CDDArchive &archive);
    // The file's back list: each entry is written back as the file held it while what was read
    // from it is still on the side as read; a background set since is written before them.
    // Where the reading's report knows an entry's dictionary, for a replace of the file.
    struct BackEntryRead
    {
        const PWPlist::Dictionary *dictionary = nullptr;
        std::weak_ptr<const CDDReadReport> report;
    };
    void rememberBackEntries(const PWPlist &stored, const std::vector<std::vector<CFTComponent *>> &made,
                             const std::vector<BackEntryRead> &reads);
    void storeBackList(const CDDArchive &front) const;
    bool isFromBackList(const CFTComponent *component) const;
    // Files of bundle version 72 or less keep formats and country codes the old way.
    void convertOldFile(const CDDArchive &archive);

    addressType m_AddressTypeTo = adMain;
    addressType m_AddressTypeFrom = adMain;
    CFTAAddressPanel *m_RecipientPanel = nullptr;
    CFTAAddressPanel *m_SenderPanel = nullptr;
    CDDString m_Manufacturer;
    CDDString m_Category;
    CDDString m_Type;
    CDDString m_PageSize;
    CDDString m_ID;
    CDDString m_Description;
    bool m_HasWindow = false;
    double m_WinWidth = 0.0;
    double m_WinHeight = 0.0;
    double m_WinBottomOffset = 0.0;
    double m_WinLeftOffset = 0.0;
    double m_WinCornerRadius = kDefaultWinCornerRadius;
    double m_DYMOPaperWidth = 0.0;
    double m_DYMOPaperHeight = 0.0;
    double m_DYMOOffsetX = 0.0;
    double m_DYMOOffsetY = 0.0;
    int m_ColCount = 2;
    int m_RowCount = 4;
    double m_CornerRadius = 0.0;
    double m_TopMargin = 0.0;
    double m_LeftMargin = 0.0;
    double m_HSpace = 0.0;
    double m_VSpace = 0.0;
    CDDString m_CountryCodeTo;
    CDDString m_CountryCodeFrom;
    bool m_FIMVisible = false;
    // An entry of the file's back list, the components read from it (none when it did not
    // read) and what they wrote right after the reading.
    struct BackEntry
    {
        PWPlist stored;
        std::vector<CFTComponent *> made;
        PWPlist::Array written;
        BackEntryRead read;
    };
    std::vector<BackEntry> m_backEntries;
};
