// Construction, sizes, snapping, drawing and the background picture of the kernel document. The
// walks over its components are in CFTADocumentWalks.cpp, the file form in CFTADocumentArchive.cpp.

#include "kernel/document/CFTADocument.h"

#include "kernel/render/CDDDrawer.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/base/FTGeometry.h"

#include <algorithm>

namespace {

constexpr double kCardWidth = 252.0;   // 3.5 inches
constexpr double kCardHeight = 144.0;  // 2 inches
constexpr float kSnapInset = 9.0f;
// Only cards of a larger size group get the snap lines along their edges.
constexpr int kLastGroupWithoutSnapLines = 6;

} // namespace

const QString CFTADocument::kLabelRollPageSize = QStringLiteral("Label Roll");

CFTADocument::CFTADocument()
{
    init();
}

CFTADocument::CFTADocument(documentType type, const CDDString &countryCodeTo, const CDDString &countryCodeFrom)
{
    init();
    m_CountryCodeTo = countryCodeTo;
    m_CountryCodeFrom = countryCodeFrom;
    setDocumentType(type);
}

CFTADocument::~CFTADocument() = default;

void CFTADocument::init()
{
    m_AddressTypeTo = adMain;
    m_AddressTypeFrom = adMain;
    m_RecipientPanel = nullptr;
    m_SenderPanel = nullptr;
    m_HasWindow = false;
    m_WinWidth = m_WinHeight = m_WinBottomOffset = m_WinLeftOffset = 0.0;
    m_WinCornerRadius = kDefaultWinCornerRadius;
    m_DYMOPaperWidth = m_DYMOPaperHeight = m_DYMOOffsetX = m_DYMOOffsetY = 0.0;
    m_ColCount = 2;
    m_RowCount = 4;
    m_CornerRadius = m_TopMargin = m_LeftMargin = m_HSpace = m_VSpace = 0.0;
    m_FIMVisible = false;

    setDocumentType(dtLabel);
    SetPredefinedLayout(false);
    SetHorizontal(true, 0);
    mbHorizontal = true;
    setUnits(cuInches);
    setColor(CDDColor(1.0f, 1.0f, 1.0f, 1.0f));
    setDocumentSizeX(kCardWidth);
    setDocumentSizeY(kCardHeight);
    setPrintableSizeX(0.0);
    setPrintableSizeY(0.0);
    ms_defBox.Init();
    ms_defText.Init();
}

// --- Sizes ------------------------------------------------------------------------------------

double CFTADocument::getLayoutSizeX() const
{
    return IsPredefinedLayout() ? std::max(mdSizeX, mdSizeY) : mdSizeX;
}

double CFTADocument::getLayoutSizeY() const
{
    return IsPredefinedLayout() ? std::min(mdSizeX, mdSizeY) : mdSizeY;
}

double CFTADocument::getDocumentSizeX(int sideIndex) const
{
    return IsHorizontal(sideIndex) ? getLayoutSizeX() : getLayoutSizeY();
}

double CFTADocument::getDocumentSizeY(int sideIndex) const
{
    return IsHorizontal(sideIndex) ? getLayoutSizeY() : getLayoutSizeX();
}

bool CFTADocument::isLabelRoll() const
{
    return getDocumentType() == dtLabel && m_PageSize.getData() == kLabelRollPageSize;
}

// --- Snapping ---------------------------------------------------------------------------------

int CFTADocument::getXSnapArrayFrom(std::span<float>) const
{
    return 0;
}

int CFTADocument::getYSnapArrayFrom(std::span<float>) const
{
    return 0;
}

int CFTADocument::getXSnapArrayTo(std::span<float> array) const
{
    if (getSizeGroupType(float(mdSizeX), float(mdSizeY), getDocumentType()) <= kLastGroupWithoutSnapLines)
        return 0;
    if (array.size() < 2)
        return array.empty() ? 2 : 0;
    array[0] = kSnapInset;
    array[1] = float(getDocumentSizeX(0)) - kSnapInset;
    return 2;
}

int CFTADocument::getYSnapArrayTo(std::span<float> array) const
{
    if (getSizeGroupType(float(mdSizeX), float(mdSizeY), getDocumentType()) <= kLastGroupWithoutSnapLines)
        return 0;
    if (array.size() < 2)
        return array.empty() ? 2 : 0;
    array[0] = kSnapInset;
    array[1] = float(getDocumentSizeY(0)) - kSnapInset;
    return 2;
}

float CFTADocument::getMinSnapYTo() const
{
    return kSnapInset;
}

float CFTADocument::getMaxSnapYTo() const
{
    return float(getDocumentSizeY(0)) - kSnapInset;
}

float CFTADocument::getMinSnapXTo() const
{
    return kSnapInset;
}

float CFTADocument::getMaxSnapXTo() const
{
    return float(getDocumentSizeX(0)) - kSnapInset;
}

float CFTADocument::getMinSnapYFrom() const
{
    return 0.0f;
}

float CFTADocument::getMaxSnapYFrom() const
{
    return float(getDocumentSizeY(0)) - kSnapInset;
}

float CFTADocument::getMinSnapXFrom() const
{
    return 0.0f;
}

float CFTADocument::getMaxSnapXFrom() const
{
    return float(getDocumentSizeX(0)) - kSnapInset;
}

// --- Drawing ----------------------------------------------------------------------------------

void CFTADocument::DrawBackground(CDDDrawer *drawer)
{
    if (!drawer)
        return;
    DrawSideBackground(drawer, 0);
    DrawFIMBarcode(drawer);
}

void CFTADocument::DrawFIMBarcode(CDDDrawer *drawer)
{
    if (drawer && isFIMBarcodeAllow())
        drawer->DrawFIMBarcodeOnCard(getDocumentSizeX(0), fimA);
}

void CFTADocument::DrawSideBackground(CDDDrawer *drawer, int sideIndex)
{
    if (!drawer)
        return;
    if (CFTExtPicture *background = getBackground(sideIndex))
        background->Draw(drawer, false, nullptr, false, false);
}

void CFTADocument::DrawCounterComponents(const std::vector<CFTComponent *> &list, CDDDrawer *drawer)
{
    for (CFTComponent *component : list) {
        const classID kind = component->getClassID();
        if (kind == ciCounter || kind == ciFileField)
            component->Draw(drawer, false, nullptr, false, true);
    }
}

void CFTADocument::DrawComponentsWithDocumentZOrder(const std::vector<CFTComponent *> &list, CDDDrawer *drawer)
{
    const std::vector<CFTComponent *> ordered = GetComponents(0, false);
    for (CFTComponent *component : ordered) {
        if (std::find(list.begin(), list.end(), component) != list.end())
            component->Draw(drawer, false, nullptr, false, false);
    }
}

std::vector<CDDWrappingPath *> CFTADocument::GetIntersectPathForRect(const QRectF &, double, double, double, double,
                                                                     double, const void *, textWrap) const
{
    return {};
}

// --- Background picture -------------------------------------------------------------------------

CFTExtPicture *CFTADocument::getBackground(int sideIndex) const
{
    for (CFTComponent *component : GetComponents(sideIndex, true)) {
        if (component->getClassID() == ciBackgroundPicture)
            return static_cast<CFTExtPicture *>(component);
    }
    return nullptr;
}

CFTExtPicture *CFTADocument::setBackground(CFTExtPicture *background, int sideIndex)
{
    if (!validSide(sideIndex))
        return nullptr;
    CFTExtPicture *previous = getBackground(sideIndex);
    if (previous == background)
        return nullptr;
    // One background per side: every earlier one leaves the list for the pool.
    while (CFTExtPicture *old = getBackground(sideIndex))
        DeleteObject(old, sideIndex, true);
    if (background) {
        AddObject(background, sideIndex, true);
        // Drawn before anything else of the side.
        std::vector<CFTComponent *> &list = *GetComponentsPtr(sideIndex, true);
        list.erase(std::remove(list.begin(), list.end(), background), list.end());
        list.insert(list.begin(), background);
    }
    return previous;
}
