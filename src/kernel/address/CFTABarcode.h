#pragma once

#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CDDString.h"
#include "kernel/render/CDDText.h"

#include <cstdint>
#include <vector>

class PWFont;

// Which postal code a barcode field draws: none, POSTNET (United States), RM4SCC (United
// Kingdom) or the Canadian four-state code. Stored in documents by number.
enum barcodeType : std::int32_t {
    btNone = 0,
    btPOSTNET = 1,
    btRM4SCC = 2,
    btFourState = 3,
};

// Where a barcode field stands: in an address panel with room left below it (0) or above it
// (1), or as a component of its own (2). Stored in documents by number.
enum barcodeLocation : std::int32_t {
    blPanelRoomBelow = 0,
    blPanelRoomAbove = 1,
    blStandalone = 2,
};

// The postal barcode of an address. It is filled like every address field (ZIP, country and
// street of the person), picks its code from the panel's format or from the country, sizes
// itself to the bars and hands them to the drawer. Four-state bars are costly to encode, so they
// are cached until the ZIP or the street changes. Its visible text is the ZIP; while there is
// nothing to encode it shows a grey placeholder on screen and nothing in print.
class CFTABarcode : public CFTAAddressText
{
public:
    // Bar pitches and heights of the three codes, in points.
    static constexpr double kPOSTNETPitch = 3.2727273; // 22 bars to the inch
    static constexpr double kPOSTNETHeight = 13.0;
    static constexpr double kRM4SCCPitch = 2.82;
    static constexpr double kRM4SCCHeight = 18.26;
    static constexpr double kFourStatePitch = 2.54;
    static constexpr double kFourStateHeight = 18.26;
    // The room a panel leaves between the barcode and the address lines.
    static constexpr double kPanelRoom = 10.0;

    explicit CFTABarcode(CFTComponent *parent);
    CFTABarcode(double x, double y);
    ~CFTABarcode() override;

    // Bars of the codes for a postcode: five per digit and for the check digit plus two frame
    // bars; four per capital or digit and for the check character plus start and stop. Zero when
    // nothing in the code can be encoded.
    static int calcBarcodeWidth(const CDDString &zip);
    static int calc_RM4SCC_BarcodeWidth(const CDDString &zip);

    barcodeType getBarcodeType() const { return m_barcodeType; }
    void setBarcodeType(barcodeType type) { m_barcodeType = type; }
    void SetLocation(barcodeLocation location) { m_location = location; }
    bool IsAddressPanelMember() const { return m_location == blPanelRoomBelow || m_location == blPanelRoomAbove; }
    bool isZipEmpty() const { return mZIP.isEmpty(); }
    const CDDString &zip() const { return mZIP; }
    const CDDString &country() const { return mCountry; }
    const CDDString &street() const { return mStreet; }
    const CDDText &placeholder() const { return mBarcodeLabel; }
    void SetText(const CDDText *text);
    void setLabelFont(const PWFont &font);

    // The four-state bars: freed, or encoded when none are cached (four-state fields only).
    void InvalidateCodeBars();
    void CacheCodeBars();
    bool hasCachedBars() const { return !mCodeBars.empty(); }
    const std::vector<char> &cachedBars() const { return mCodeBars; }
    short barCount() const { return mBarCount; }
    bool needsAutoExpand() const { return m_bNeedAutoExpand; }

    // --- Address field operations ---------------------------------------------------------------
    double GetPaddedLeftSizeX() const override { return 0.0; }
    double GetPaddedRightSizeX() const override { return 0.0; }
    double GetPaddedTopSizeY() const override;
    double GetPaddedBottomSizeY() const override;
    bool isEnabled(bool showAll) const override;

    // --- Component operations -----------------------------------------------------------------
    compType getType() const override { return ctBarcode; }
    classID getClassID() const override { return ciBarcode; }
    CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode) override;
    int PickMyDot(double, double, double) override { return 0; }
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool highlighted,
              bool output) override;
    void SetAngle(double angle) override;
    using CFTAAddressText::startEditText;
    void startEditText(QObject *, QObject *) override {}
    void ExpandByText() override;
    void NeedAutoExpand() override { m_bNeedAutoExpand = true; }
    int setFormat(const CAddressFormat *format, int location) override;
    void SetAlignment(textAlignment alignment) override { m_alignment = alignment; }
    textAlignment GetAlignment() const override { return m_alignment; }
    int GetContainTextCategories(textCategory *categories, int maximum) override;
    int GetLocation() const override { return int(m_location); }
    fieldMode getMode() override { return fmAlways; }
    using CFTAAddressText::SetString;
    void SetString(bool toFrom, textCategory category, addressType type, const CDDString &text,
                   textCategory linkCategory, bool append) override;
    void setLabel(const CDDString &label) override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;

private:
    void init();
    void showZIP();
    // The postcode as the bars encode it: RM4SCC has capitals only, so a code typed in lower case
    // would otherwise lose its letters.
    CDDString encodedZIP() const;
    void takePlaceholderSize();

    barcodeLocation m_location = blPanelRoomBelow;
    CDDText mBarcodeLabel;
    CDDString mZIP;
    CDDString mCountry;
    CDDString mStreet;
    barcodeType m_barcodeType = btPOSTNET;
    std::vector<char> mCodeBars;
    short mBarCount = 0;
};
