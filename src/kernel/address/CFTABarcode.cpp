#include "kernel/address/CFTABarcode.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CEncodeBars.h"
#include "kernel/render/CDDBarcodeBars.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "platform/PWAttributedString.h"

#include <QTextCursor>
#include <QTextDocument>

#include <string>

namespace {

// Four-state code words: 16 symbols of 6 bits, 12 of them data.
constexpr unsigned int kCodeSymbols = 16;
constexpr unsigned int kDataSymbols = 12;
constexpr unsigned int kSymbolBits = 6;
// The data string the field encodes is always of data-content identifier 1.
constexpr unsigned int kDCI = 1;
// The bars of each code hang from a baseline this far below the field's top.
constexpr double kBaselineGap = 2.0;

barcodeType typeForCountryCode(const QString &code)
{
    if (code == QLatin1String("us"))
        return btPOSTNET;
    if (code == QLatin1String("uk"))
        return btRM4SCC;
    if (code == QLatin1String("ca"))
        return btFourState;
    return btNone;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

CFTABarcode::CFTABarcode(CFTComponent *parent)
    : CFTAAddressText(true, tcBarcode, adWork, nullptr, parent)
{
    init();
    ExpandByText();
}

CFTABarcode::CFTABarcode(double x, double y)
    : CFTAAddressText(x, y, tcBarcode, nullptr, nullptr)
{
    init();
    ExpandByText();
}

CFTABarcode::~CFTABarcode() = default;

void CFTABarcode::init()
{
    m_location = blPanelRoomBelow;
    m_bNeedAutoExpand = true;
    m_alignment = taLeft;
    CDDString label;
    CDDString::initStringWithBarcodeLabel(label);
    if (const QTextDocumentFragment *styled = label.getAttributedData()) {
        QTextDocument document;
        QTextCursor(&document).insertFragment(*styled);
        mBarcodeLabel.setAttributedString(PWAttributedString::fromDocument(&document));
    } else {
        mBarcodeLabel.setString(label.getData(), nullptr);
    }
    m_barcodeType = btPOSTNET;
    mCodeBars.clear();
    mBarCount = 0;
}

// --- Bar counts --------------------------------------------------------------------------------------

int CFTABarcode::calcBarcodeWidth(const CDDString &zip)
{
    int digits = 0;
    for (const QChar c : zip.getData())
        digits += isDigit(c) ? 1 : 0;
    return digits == 0 ? 0 : 5 * digits + 7;
}

int CFTABarcode::calc_RM4SCC_BarcodeWidth(const CDDString &zip)
{
    int characters = 0;
    for (const QChar c : zip.getData())
        characters += isDigit(c) || (c >= u'A' && c <= u'Z') ? 1 : 0;
    return characters == 0 ? 0 : 4 * characters + 6;
}

CDDString CFTABarcode::encodedZIP() const
{
    // Postcodes with letters are written in capitals on mail; a postcode typed in lower case
    // means the same and must not lose its letters or its bars.
    if (m_barcodeType == btRM4SCC || m_barcodeType == btFourState)
        return CDDString(mZIP.getData().toUpper());
    return mZIP;
}

// --- Text, label and panel room ----------------------------------------------------------------------

void CFTABarcode::showZIP()
{
    const std::optional<QTextCharFormat> style = mText.GetFontAttr(nullptr);
    mText.setString(mZIP.getData(), style ? &*style : nullptr);
}

void CFTABarcode::SetText(const CDDText *text)
{
    if (!text)
        return;
    mZIP = CDDString(text->getString());
    showZIP();
}

void CFTABarcode::setLabel(const CDDString &label)
{
    const std::optional<QTextCharFormat> style = mBarcodeLabel.GetFontAttr(nullptr);
    mBarcodeLabel.setString(label.getData(), style ? &*style : nullptr);
}

void CFTABarcode::setLabelFont(const PWFont &font)
{
    mBarcodeLabel.SetFont(font);
}

double CFTABarcode::GetPaddedTopSizeY() const
{
    return m_location == blPanelRoomAbove && m_barcodeType != btNone ? kPanelRoom : 0.0;
}

double CFTABarcode::GetPaddedBottomSizeY() const
{
    return m_location == blPanelRoomBelow && m_barcodeType != btNone ? kPanelRoom : 0.0;
}

bool CFTABarcode::isEnabled(bool) const
{
    return int(m_fieldMode) != 0;
}

int CFTABarcode::GetContainTextCategories(textCategory *categories, int maximum)
{
    if (!categories || maximum == 0)
        return 3;
    if (maximum < 3)
        return 0;
    categories[0] = tcCountry;
    categories[1] = tcStreet;
    categories[2] = tcZIP;
    return 3;
}

// --- Filling and choosing the code -------------------------------------------------------------------

void CFTABarcode::SetString(bool toFrom, textCategory category, addressType, const CDDString &text, textCategory,
                            bool)
{
    if (toFrom != m_bToFrom)
        return;
    if (category == tcZIP) {
        if (!(text == mZIP)) {
            mZIP = text;
            InvalidateCodeBars();
        }
        showZIP();
    } else if (category == tcCountry) {
        mCountry = text;
        // Once a code is chosen it stays through country changes; only an undecided field
        // follows the country.
        if (m_barcodeType == btNone) {
            QString code = CDDString::getCountryCodeFromString(text).getData();
            if (code.isEmpty())
                code = CAEnvironment::defaultCountry();
            m_barcodeType = typeForCountryCode(code);
            InvalidateCodeBars();
        }
    } else if (category == tcStreet) {
        if (!(text == mStreet)) {
            mStreet = text;
            InvalidateCodeBars();
        }
    }
    ExpandByText();
}

int CFTABarcode::setFormat(const CAddressFormat *format, int)
{
    const CAddressFormat *country = format ? format->getFormatWithKey(tcAddress) : nullptr;
    if (!country) {
        m_barcodeType = btNone;
    } else if (format->isCustomFormat() || country->isCustomFormat()) {
        m_barcodeType = btPOSTNET;
    } else {
        const CDDString *code = country->name();
        m_barcodeType = code ? typeForCountryCode(code->getData()) : btNone;
    }
    InvalidateCodeBars();
    ExpandByText();
    return 0;
}

// --- Four-state bars ---------------------------------------------------------------------------------

void CFTABarcode::InvalidateCodeBars()
{
    mCodeBars.clear();
    mCodeBars.shrink_to_fit();
}

void CFTABarcode::CacheCodeBars()
{
    if (m_barcodeType != btFourState || !mCodeBars.empty())
        return;
    // A failed encoding must not leave the count of earlier bars behind: sizing and drawing would
    // reserve room for bars that are not there.
    mBarCount = 0;
    CEncodeBars encoder;
    if (encoder.InitEncoder(kCodeSymbols, kDataSymbols, kSymbolBits) != CEncodeBars::kSuccess)
        return;
    const QByteArray zip = encodedZIP().UTF8String();
    const QByteArray street = mStreet.getData().toUpper().toUtf8();
    const std::string data = recognizeAddressInfo(kDCI, std::string_view(zip.constData(), size_t(zip.size())),
                                                  std::string_view(street.constData(), size_t(street.size())));
    if (encoder.Encode4State(std::string_view(data)) != CEncodeBars::kSuccess)
        return;
    const short count = encoder.GetNumber4StateBars();
    if (count <= 0)
        return;
    std::vector<unsigned char> bars(size_t(count) + 1, 0);
    if (encoder.Get4StateBars(bars.data()) != CEncodeBars::kSuccess)
        return;
    mCodeBars.assign(bars.begin(), bars.begin() + count);
    mBarCount = count;
}

// --- Sizing and drawing ------------------------------------------------------------------------------

void CFTABarcode::takePlaceholderSize()
{
    mdSizeX = mBarcodeLabel.getContSizeX();
    mdSizeY = mBarcodeLabel.getContSizeY();
}

void CFTABarcode::ExpandByText()
{
    m_bNeedAutoExpand = false;
    const double oldWidth = mdSizeX;
    if (m_barcodeType == btNone) {
        mText.setString(QString(), nullptr);
        if (m_location == blStandalone) {
            takePlaceholderSize();
        } else {
            mdSizeX = 0.0;
            mdSizeY = 0.0;
        }
    } else if (mZIP.isEmpty()) {
        mText.setString(QString(), nullptr);
        takePlaceholderSize();
    } else {
        showZIP();
        int bars = 0;
        double pitch = 0.0;
        double height = 0.0;
        switch (m_barcodeType) {
        case btPOSTNET:
            bars = calcBarcodeWidth(mZIP);
            pitch = kPOSTNETPitch;
            height = kPOSTNETHeight;
            break;
        case btRM4SCC:
            bars = calc_RM4SCC_BarcodeWidth(encodedZIP());
            pitch = kRM4SCCPitch;
            height = kRM4SCCHeight;
            break;
        case btFourState:
            CacheCodeBars();
            bars = mBarCount;
            pitch = kFourStatePitch;
            height = kFourStateHeight;
            break;
        default:
            break;
        }
        if (bars > 0) {
            mdSizeX = (bars + 1) * pitch;
            mdSizeY = height;
        } else if (pitch > 0.0) {
            // Nothing to encode: the field shows its placeholder, so it takes that room.
            takePlaceholderSize();
        } else {
            mdSizeX = 0.0;
            mdSizeY = 0.0;
        }
    }
    const double growth = mdSizeX - oldWidth;
    if (m_alignment == taRight)
        mdOriginX -= growth;
    else if (m_alignment == taCenter)
        mdOriginX -= growth / 2.0;
}

void CFTABarcode::Draw(CDDDrawer *drawer, bool, const CFTComponentsInterface *, bool, bool output)
{
    if (output && mZIP.isEmpty() && m_barcodeType == btNone)
        return;
    if (m_bNeedAutoExpand)
        ExpandByText();
    if (!drawer)
        return;
    const auto drawPlaceholder = [&] {
        if (!output)
            mBarcodeLabel.draw(mdOriginX, mdOriginY, mdSizeX, mdSizeY, false, nullptr, drawer, 0.0, nullptr, nullptr);
    };
    if (m_barcodeType == btNone) {
        if (m_location == blStandalone)
            drawPlaceholder();
        return;
    }
    if (mZIP.isEmpty()) {
        drawPlaceholder();
        return;
    }
    int drawn = 0;
    switch (m_barcodeType) {
    case btPOSTNET:
        if (calcBarcodeWidth(mZIP) == 0)
            break;
        drawn = drawer->DrawBarcode(mdOriginX + BARCODE_SPACE, mdOriginY + BARCODE_HIGHT_BIG + kBaselineGap, mZIP);
        mdSizeX = (drawn + 1) * kPOSTNETPitch;
        mdSizeY = kPOSTNETHeight;
        return;
    case btRM4SCC: {
        const CDDString zip = encodedZIP();
        if (calc_RM4SCC_BarcodeWidth(zip) == 0)
            break;
        drawn = drawer->Draw_RM4SCC_Barcode(mdOriginX + BARCODE_RM4SCC_WIDTH,
                                            mdOriginY + BARCODE_RM4SCC_HEIGHT + kBaselineGap, zip);
        mdSizeX = (drawn + 1) * kRM4SCCPitch;
        mdSizeY = kRM4SCCHeight;
        return;
    }
    case btFourState:
        CacheCodeBars();
        if (mCodeBars.empty())
            break;
        drawn = drawer->Draw_CPC_Barcode(mdOriginX + BARCODE_CPC_SPACE, mdOriginY + BARCODE_CPC_HEIGHT + kBaselineGap,
                                         mZIP, mCodeBars.data(), mBarCount);
        mdSizeX = (drawn + 1) * kFourStatePitch;
        mdSizeY = kFourStateHeight;
        return;
    default:
        return;
    }
    // A code with nothing to encode shows the invitation on screen and nothing in print.
    drawPlaceholder();
}

// --- Geometry and picking ----------------------------------------------------------------------------

void CFTABarcode::SetAngle(double)
{
    mdAngle = 0.0;
}

CFTComponent *CFTABarcode::PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode)
{
    if (x > mdOriginX && x < mdOriginX + mdSizeX && y > mdOriginY && y < mdOriginY + mdSizeY)
        return this;
    CFTComponent *const hit = CFTComponent::PickMe(x, y, selected, tolerance, action, mode);
    if (hit)
        action = actionUnset;
    return hit;
}

// --- Archive -----------------------------------------------------------------------------------------

bool CFTABarcode::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTAAddressText::Serialize(archive, list);
    if (archive.isStoring()) {
        archive.SetData(key_BarcodeLocation, int(m_location));
        archive.SetData(key_BarcodeType, int(m_barcodeType));
        archive.SetData(key_ZIPForBarcode, mZIP);
        archive.SetData(key_CountryForBarcode, mCountry);
        archive.SetData(key_StreetForBarcode, mStreet);
        return true;
    }
    int location = int(m_location);
    if (archive.GetData(key_BarcodeLocation, &location, CDDRanges::kBarcodeLocation))
        m_location = barcodeLocation(location);
    int type = int(m_barcodeType);
    if (archive.GetData(key_BarcodeType, &type, CDDRanges::kBarcodeType))
        m_barcodeType = barcodeType(type);
    archive.GetData(key_ZIPForBarcode, mZIP);
    archive.GetData(key_CountryForBarcode, mCountry);
    archive.GetData(key_StreetForBarcode, mStreet);
    showZIP();
    InvalidateCodeBars();
    ExpandByText();
    return true;
}
