// The row layout of an address panel, its fit into a printable area, scaling and moving with its
// fields, drawing and the snap coordinates other components align to.
#include "kernel/address/CFTAAddressPanel.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/FTAddressLog.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CDDColor.h"

#include <algorithm>
#include <cmath>

namespace {

// Alignment bits the layout reads: right, centre; and the vertical bits the frame fit reads.
constexpr int kAlignRightBit = 2;
constexpr int kAlignCentreBit = 1;
constexpr int kVerticalBits = 16 | 32;
// The faint tint of a panel under the mouse that has no background of its own.
constexpr float kHoverAlpha = 10.0f / 255.0f;
// Scaling fonts to nothing would leave an unreadable block: a fit never goes below this factor.
constexpr double kMinFitFactor = 0.01;

} // namespace

void CFTAAddressPanel::setColumnSpacing(double spacing)
{
    mdColumnSpacing = spacing;
    m_bNeedUpdate = true;
}

void CFTAAddressPanel::setRowSpacing(double spacing)
{
    mdRowSpacing = spacing;
    m_bNeedUpdate = true;
}

bool CFTAAddressPanel::partnerEmpty(const CAddressFormat *leaf) const
{
    const textCategory link = leaf->getPhoneticLink();
    if (int(link) == -1)
        return false;
    const CFTAAddressText *const partner = getAddressComponentWithTextCategory(link);
    return partner && partner->GetString().isEmpty();
}

bool CFTAAddressPanel::getRow(std::vector<CFTAAddressText *> &row)
{
    if (!mpFormat)
        return false;
    while (CAddressFormat *leaf = mpFormat->nextObjectInRow()) {
        CFTAAddressText *const field = getNextAddressComponent(leaf->getTextCategory(), false);
        if (!field)
            continue;
        const bool isForced = forced();
        if (!field->isEnabled(isForced))
            continue;
        if (m_bPrintMode && field->GetString().isEmpty())
            continue;
        if (!isForced && partnerEmpty(leaf))
            continue;
        row.push_back(field);
    }
    return !row.empty();
}

double CFTAAddressPanel::getRowBound(const std::vector<CFTAAddressText *> &row, double, double &width,
                                     double &height)
{
    width = 0.0;
    height = 0.0;
    const size_t count = row.size();
    for (size_t i = 0; i < count; ++i) {
        CFTAAddressText *const field = row[i];
        field->ExpandByText();
        if (i > 0)
            width += field->GetPaddedLeftSizeX();
        width += field->GetSizeX();
        if (i + 1 < count)
            width += field->GetPaddedRightSizeX() + mdColumnSpacing;
        height = std::max(height, field->GetSizeY());
    }
    return 0.0;
}

double CFTAAddressPanel::rowLocX(textAlignment, double widest, double width)
{
    const int alignment = int(GetAlignment());
    const double twoMargins = 2.0 * mdMarginX;
    const bool widestRow = width >= widest;
    double x = 0.0;
    if (alignment & kAlignRightBit) {
        x = mdOriginX + mdSizeX - mdMarginX - width;
        if (widestRow) {
            const double right = mdOriginX + mdSizeX;
            mdSizeX = widest >= mdMinSizeX - twoMargins ? width + twoMargins : mdMinSizeX;
            mdOriginX = right - mdSizeX;
        }
    } else if (alignment & kAlignCentreBit) {
        x = mdOriginX + (mdSizeX - width) / 2.0;
        if (widestRow) {
            const double centre = mdOriginX + mdSizeX / 2.0;
            mdSizeX = widest >= mdMinSizeX - twoMargins ? width + twoMargins : mdMinSizeX;
            mdOriginX = centre - mdSizeX / 2.0;
        }
    } else {
        x = mdOriginX + mdMarginX;
        if (widestRow)
            mdSizeX = width + twoMargins;
    }
    return x;
}

double CFTAAddressPanel::setRow(const std::vector<CFTAAddressText *> &row, double x, double y,
                                double columnSpacing)
{
    if (row.empty())
        return 0.0;
    CFTAAddressText *tallest = row.front();
    for (CFTAAddressText *field : row)
        if (field->GetSizeY() > tallest->GetSizeY())
            tallest = field;
    tallest->SetOrigin(x, y);
    const double baseline = tallest->GetBaseLineOffset();

    double cx = x;
    for (size_t i = 0; i < row.size(); ++i) {
        CFTAAddressText *const field = row[i];
        if (i > 0)
            cx += field->GetPaddedLeftSizeX();
        // Placed through SetOrigin both times: a field being edited takes its editor along.
        field->SetOrigin(cx, y);
        field->SetOrigin(cx, y + baseline - field->GetBaseLineOffset());
        cx += field->GetSizeX() + field->GetPaddedRightSizeX() + columnSpacing;
    }
    return 0.0;
}

void CFTAAddressPanel::updateFormat()
{
    m_bEmpty = true;
    if (!m_bPrintMode)
        updateFormatRules();

    forEachLeafField([this](const CAddressFormat *, const CFTAAddressText *field) {
        if (field && field->isEnabled(false) && !field->GetString().isEmpty()
            && field->GetTextCategory() != tcSimpleText)
            m_bEmpty = false;
        return true;
    });
    if (m_bEmpty)
        m_bAuto = true;

    double y = mdOriginY + mdMarginY;
    double widest = 0.0;
    mfContentRight = float(mdMarginX);
    mfContentBottom = float(mdMarginY);
    if (mpFormat && mpFormat->initEnumeration()) {
        // One enumeration for all rows, so that each leaf takes its own field.
        initEnumerator();
        do {
            std::vector<CFTAAddressText *> row;
            if (!getRow(row))
                continue;
            double width = 0.0;
            double height = 0.0;
            getRowBound(row, mdColumnSpacing, width, height);
            widest = std::max(widest, width);
            y += row.front()->GetPaddedTopSizeY();
            const double x = rowLocX(GetAlignment(), widest, width);
            setRow(row, x, y, mdColumnSpacing);
            y += height + row.front()->GetPaddedBottomSizeY() + mdRowSpacing;
            mfContentBottom += float(height + mdRowSpacing);
        } while (mpFormat->nextRow());
    }
    mfContentRight = float(widest + mdMarginX);
    y -= mdRowSpacing;
    mdSizeY = y - mdOriginY + mdMarginY;
    mfContentBottom = float(y - mdOriginY);
    mdSizeY = std::max(mdSizeY, mdMinSizeY);
    mdSizeX = std::max(mdSizeX, mdMinSizeX);
    // A print layout leaves empty fields out: the screen must not keep it.
    m_bNeedUpdate = m_bPrintMode;
}

void CFTAAddressPanel::applyAlignment()
{
    const textAlignment alignment = mDefText.GetAlignment();
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->SetAlignment(alignment);
}

void CFTAAddressPanel::SetAlignment(textAlignment alignment)
{
    mDefText.SetAlignment(alignment);
    m_bNeedUpdate = true;
    applyAlignment();
}

// --- Drawing -------------------------------------------------------------------------------------

void CFTAAddressPanel::Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components,
                            bool highlighted, bool printing)
{
    m_bPrintMode = printing;
    const bool keepLayout = printing && m_bKeepPrintLayout;
    m_bKeepPrintLayout = false;
    if (!keepLayout) {
        if (m_bNeedAutoExpand && mCurrentText)
            mCurrentText->ExpandByText();
        if (m_bPrintMode || m_bNeedUpdate)
            updateFormat();
    }
    m_bNeedAutoExpand = false;

    if (!mCurrentText && !m_bNoFormatLogged) {
        qCWarning(lcAddress).noquote() << QStringLiteral("Error: No format Specified!!");
        m_bNoFormatLogged = true;
    }

    const bool printingEmpty = printing && m_bEmpty;
    if (drawer) {
        if (mDefText.GetHaveBackColor() && !printingEmpty) {
            drawer->DrawFilledBox(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdCornerRadius, mDefText.GetFillColor());
        } else if (!mDefText.GetHaveBackColor() && highlighted && !selected && !printingEmpty) {
            const CDDColor tint(0.0f, 0.0f, 0.0f, kHoverAlpha);
            drawer->DrawFilledBox(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdCornerRadius, &tint);
        }
    }

    const bool showEmpty = (highlighted || selected || m_bEmpty) && !printingEmpty;
    const bool isForced = forced();
    forEachLeafField([&](const CAddressFormat *leaf, CFTAAddressText *field) {
        if (!field || !field->isEnabled(isForced) || (!isForced && partnerEmpty(leaf)))
            return true;
        const bool empty = field->getClassID() == ciBarcode ? static_cast<CFTABarcode *>(field)->isZipEmpty()
                                                            : field->GetString().isEmpty();
        if (!empty || showEmpty)
            field->Draw(drawer, false, components, highlighted, printing);
        return true;
    });

    if (m_bPrintMode) {
        m_bPrintMode = false;
        m_bNeedUpdate = true;
    }
}

void CFTAAddressPanel::DrawSelection(CDDDrawer *drawer, const CFTACoreView *)
{
    if ((m_bPrintMode && m_bEmpty) || !drawer)
        return;
    drawer->DrawBoxLabel(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdCornerRadius, m_bToFrom, mTemplateName);
    drawer->DrawSelectionBox2(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdCornerRadius);
}

// --- Fitting, scaling and moving -----------------------------------------------------------------

bool CFTAAddressPanel::updatePositionToFitSize(double maxWidth, double maxHeight, bool checkOnly)
{
    setPrintMode();
    updateFormat();
    return fitLaidOutRows(maxWidth, maxHeight, checkOnly);
}

bool CFTAAddressPanel::fitLaidOutRows(double maxWidth, double maxHeight, bool checkOnly)
{
    m_bPrintMode = true;
    double x = mdOriginX;
    double y = mdOriginY;
    double w = mdSizeX;
    double h = mdSizeY;
    if (!mDefText.GetHaveBackColor()) {
        x += mdMarginX;
        y += mdMarginY;
        w -= 2.0 * mdMarginX;
        h -= 2.0 * mdMarginY;
    }

    double overflowX = x + w - double(float(maxWidth));
    bool rightCause = false;
    if (x <= 0.0) {
        if (overflowX > -x)
            rightCause = true;
        else
            overflowX = -x;
    }
    const double overflowY = y + h - double(float(maxHeight));
    const bool byWidth = overflowX > overflowY;
    const double overflow = byWidth ? overflowX : overflowY;
    const double dimension = byWidth ? w : h;
    const bool needFit = overflow > 0.0 && dimension > 0.0;
    if (checkOnly || !needFit)
        return needFit;

    double k = 1.0 - overflow / dimension;
    if (h * k < kMinFitHeight && h > 0.0)
        k = kMinFitHeight / h;
    if (const CFTComponent *found = GetObjectForTextCategory(tcBarcode)) {
        // The barcode keeps its size: only the text shrinks, so it alone takes the whole cut.
        const auto *barcode = static_cast<const CFTAAddressText *>(found);
        const double b = barcode->GetSizeY() + barcode->GetPaddedTopSizeY() + barcode->GetPaddedBottomSizeY();
        if (h > b)
            k = std::clamp((h * k - b) / (h - b), kMinFitFactor, 1.0);
    }
    if (x <= 0.0 && !rightCause) {
        const double ax = std::fabs(x);
        updateCoordWithVector(2.0 * ((ax - ax * k) + 5.0), 2.0 * ((y - y * k) + (5.0 - 5.0 * k)));
    }
    updateFontSizeWithKoeff(k);
    return true;
}

void CFTAAddressPanel::updateCoordWithKoeff(double kx, double ky, double, double bottomLimit)
{
    updateFormat();
    double newX = mdOriginX * kx;
    const double newY = mdOriginY * ky;
    const int alignment = int(GetAlignment());
    if (alignment == 2)
        newX = (mdOriginX + mdSizeX) * kx - mdSizeX;
    else if (alignment == 1)
        newX = (mdOriginX + mdSizeX / 2.0) * kx - mdSizeX / 2.0;
    updateCoordWithVector(newX - mdOriginX, newY - mdOriginY);

    const double bottom = double(mfContentBottom) + mdOriginY + 4.5;
    if (bottomLimit > 0.0 && bottom > bottomLimit) {
        const double factor = bottomLimit / bottom;
        mDefText.updateFontSizeWithKoeff(factor);
        for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
            if (field)
                field->updateFontSizeWithKoeff(factor);
    }
    m_bNeedUpdate = true;
}

void CFTAAddressPanel::updateCoordWithVector(double dx, double dy)
{
    CFTComponent::updateCoordWithVector(dx, dy);
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->updateCoordWithVector(dx, dy);
}

void CFTAAddressPanel::Move(double dx, double dy, const CFTACoreView *view)
{
    CFTComponent::Move(dx, dy, view);
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->Move(dx, dy, view);
}

void CFTAAddressPanel::SetOrigin(double x, double y)
{
    CFTComponent::SetOrigin(x, y);
    m_bNeedUpdate = true;
}

void CFTAAddressPanel::updateFontSizeWithKoeff(double factor)
{
    CFTComponent::updateFontSizeWithKoeff(factor);
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->updateFontSizeWithKoeff(factor);
    updateFormat();
}

// --- Snapping ------------------------------------------------------------------------------------

float CFTAAddressPanel::getMinSnapXFrom() const
{
    return float(mdOriginX + mdMarginX);
}

float CFTAAddressPanel::getMaxSnapXFrom() const
{
    return float(mdOriginX + double(mfContentRight));
}

float CFTAAddressPanel::getMinSnapYFrom() const
{
    return float(mdOriginY + mdMarginY);
}

float CFTAAddressPanel::getMaxSnapYFrom() const
{
    return float(mdOriginY + mdSizeY - mdMarginY);
}

int CFTAAddressPanel::getXSnapArrayFrom(std::span<float> array) const
{
    if (array.size() < 2)
        return array.empty() ? 2 : 0;
    double first = 0.0;
    double second = 0.0;
    const double contentRight = double(mfContentRight);
    if (mDefText.GetHaveBackColor()) {
        first = mdOriginX + 0.5;
        second = mdOriginX + mdSizeX - 0.5;
    } else {
        // The vertical bits say nothing about where the rows stand across.
        switch (int(GetAlignment()) & ~kVerticalBits) {
        case 0:
            first = mdOriginX + mdMarginX;
            second = mdOriginX + contentRight;
            break;
        case 1:
            first = mdOriginX + (mdSizeX + mdMarginX - contentRight) / 2.0;
            second = first + contentRight - mdMarginX;
            break;
        case 2:
            first = mdOriginX + mdSizeX - mdMarginX;
            second = mdOriginX + mdSizeX - contentRight;
            break;
        case 4:
            first = mdOriginX + mdMarginX;
            second = mdOriginX + mdSizeX - mdMarginX;
            break;
        default:
            return 0;
        }
    }
    array[0] = float(first);
    array[1] = float(second);
    return 2;
}

int CFTAAddressPanel::getYSnapArrayFrom(std::span<float> array) const
{
    if (array.size() < 2)
        return array.empty() ? 2 : 0;
    if (mDefText.GetHaveBackColor()) {
        array[0] = float(mdOriginY);
        array[1] = float(mdOriginY + mdSizeY);
    } else {
        array[0] = float(mdOriginY + mdMarginY);
        array[1] = float(mdOriginY + double(mfContentBottom));
    }
    return 2;
}
