// The row layout of an address panel, its fit into a printable area, scaling and moving with its
// fields, drawing and the snap coordinates other components align to.
#include "kernel/address/CFTAAddressPanel.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/FTAddressLog.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CDDColor.h"
#include "platform/PWJobReport.h"

#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <QTransform>

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
// Frames are saved to six significant digits. A place or size the screen's layout finds within
// that rounding of the present one is the present one: laid out again from the rounded values a
// file gives back, a panel would otherwise move its rows by the rounding and save other digits.
// A print layout is never saved: it places exactly, the same whatever the copy went through.
double storedUnlessChanged(double need, double present, bool printing)
{
    return !printing && std::abs(need - present) <= 1e-5 * std::max(1.0, std::abs(present)) ? present : need;
}

// Each round of a fit's shrinking takes a point at least off the largest type.
constexpr int kMaxFitRounds = 64;

// Where a panel's content box stands against an area: its box and its overflow to the right (or
// to the left, when it starts left of the area) and to the bottom.
struct FitMeasure
{
    double x = 0.0;
    double y = 0.0;
    double w = 0.0;
    double h = 0.0;
    double overflowX = 0.0;
    double overflowY = 0.0;
    bool rightCause = false;
};

FitMeasure measureFit(const CFTAAddressPanel &panel, double maxWidth, double maxHeight)
{
    FitMeasure measure;
    measure.x = panel.GetOriginX();
    measure.y = panel.GetOriginY();
    measure.w = panel.GetSizeX();
    measure.h = panel.GetSizeY();
    if (!panel.GetHaveBackColor()) {
        const double marginX = panel.getXMargin();
        const double marginY = panel.getYMargin();
        measure.x += marginX;
        measure.y += marginY;
        measure.w -= 2.0 * marginX;
        measure.h -= 2.0 * marginY;
    }
    measure.overflowX = measure.x + measure.w - double(float(maxWidth));
    if (measure.x <= 0.0) {
        if (measure.overflowX > -measure.x)
            measure.rightCause = true;
        else
            measure.overflowX = -measure.x;
    }
    measure.overflowY = measure.y + measure.h - double(float(maxHeight));
    return measure;
}

// What a fit may leave over the area's edge: the rounding of sizes to the single precision
// they are stored in.
constexpr double kFitTolerance = 0.01;

// Whether the block stands over the area's right or bottom edge (one starting left of the area is
// moved in by the fit, not shrunk).
bool pastArea(const CFTAAddressPanel &panel, double maxWidth, double maxHeight)
{
    const FitMeasure at = measureFit(panel, maxWidth, maxHeight);
    return (at.x <= 0.0 && !at.rightCause ? 0.0 : at.overflowX) > kFitTolerance || at.overflowY > kFitTolerance;
}

// The person a panel shows, as a job names it: the name fields, else the first text shown.
QString personShown(const CFTAAddressPanel &panel)
{
    const auto shown = [&panel](textCategory category) {
        const CFTAAddressText *field = panel.getAddressComponentWithTextCategory(category);
        return field ? field->GetString().getData().simplified() : QString();
    };
    // One line of text, whatever the contacts file held.
    const auto printable = [](QString text) {
        text.removeIf([](QChar c) { return c.category() == QChar::Other_Control && !c.isSpace(); });
        return text.simplified();
    };
    const QString name = (shown(tcFirstName) + u' ' + shown(tcLastName)).simplified();
    for (const QString &candidate : {name, shown(tcFullName), shown(tcCompany)})
        if (!printable(candidate).isEmpty())
            return printable(candidate);
    for (unsigned int i = 0; i < panel.addressComponentCount(); ++i)
        if (const CFTAAddressText *field = panel.addressComponentAtIndex(i);
            field && field->getClassID() != ciBarcode && !printable(field->GetString().getData()).isEmpty())
            return printable(field->GetString().getData());
    return QStringLiteral("(no name)");
}

// A panel that stands over its area even in the smallest type goes into the job's report, once
// for each address (the same person on many labels is one line), named for the item it is printed
// on (a label unless a check said otherwise).
void noteTooLong(const CFTAAddressPanel &panel, const QString &output)
{
    if (!PWJobReport::anyOpen())
        return;
    QStringList texts;
    for (unsigned int i = 0; i < panel.addressComponentCount(); ++i)
        if (const CFTAAddressText *field = panel.addressComponentAtIndex(i))
            texts.append(field->GetString().getData());
    PWJobReport::note(PWJobReport::Kind::AddressTooLong, texts.join(QChar(0x1f)),
                      QStringLiteral("the address of %1 does not fit its %2, even in the smallest type")
                          .arg(personShown(panel).left(80), output.isEmpty() ? QStringLiteral("label") : output));
}

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
    std::vector<QPointF> present;
    present.reserve(row.size());
    for (const CFTAAddressText *field : row)
        present.emplace_back(field->GetOriginX(), field->GetOriginY());
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
        // Placed through SetOrigin each time: a field being edited takes its editor along.
        const double oldX = present[i].x();
        const double oldY = present[i].y();
        field->SetOrigin(cx, y);
        const double fieldY = y + baseline - field->GetBaseLineOffset();
        field->SetOrigin(storedUnlessChanged(cx, oldX, m_bPrintMode), storedUnlessChanged(fieldY, oldY, m_bPrintMode));
        cx += field->GetSizeX() + field->GetPaddedRightSizeX() + columnSpacing;
    }
    return 0.0;
}

void CFTAAddressPanel::updateFormat()
{
    if (m_bFirstLayoutSinceRead && !m_bPrintMode) {
        m_bFirstLayoutSinceRead = false;
        layOutKeepingFile([this] { layOutRows(); });
        return;
    }
    layOutRows();
}

void CFTAAddressPanel::layOutRows()
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

    const double startX = mdOriginX;
    const double startWidth = mdSizeX;
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
    mdSizeY = storedUnlessChanged(y - mdOriginY + mdMarginY, mdSizeY, m_bPrintMode);
    mdOriginX = storedUnlessChanged(mdOriginX, startX, m_bPrintMode);
    mdSizeX = storedUnlessChanged(mdSizeX, startWidth, m_bPrintMode);
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
    // A print of a block fitted before (the preview fitted the job's copies) that is still over
    // the area of that fit.
    if (printing && mdFitAreaX > 0.0 && pastArea(*this, mdFitAreaX, mdFitAreaY))
        noteTooLong(*this, mOutputWord);

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
        // What the print laid out, for the check of its edges that follows (see notePastOutput);
        // only a job with a report checks, and any print without one leaves nothing to reuse. A
        // fitted panel was measured before its fit: its check names that again.
        mPrintedLayout.reset();
        if (!isFitted() && PWJobReport::anyOpen())
            mPrintedLayout = PrintedLayout{m_bEmpty, fieldTexts(), laidOutBox()};
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

QStringList CFTAAddressPanel::fieldTexts() const
{
    QStringList texts;
    for (unsigned int i = 0; i < addressComponentCount(); ++i)
        if (const CFTAAddressText *field = addressComponentAtIndex(i))
            texts.append(field->GetString().getData());
    return texts;
}

QRectF CFTAAddressPanel::laidOutBox() const
{
    const FitMeasure at = measureFit(*this, 0.0, 0.0);
    QRectF box(at.x, at.y, at.w, at.h);
    if (const double angle = GetAngle(); angle != 0.0 && std::isfinite(angle)) {
        const QPointF centre(GetOriginX() + GetSizeX() / 2.0, GetOriginY() + GetSizeY() / 2.0);
        QTransform turn;
        turn.translate(centre.x(), centre.y());
        turn.rotateRadians(angle);
        turn.translate(-centre.x(), -centre.y());
        box = turn.mapRect(box);
    }
    return box;
}

bool CFTAAddressPanel::notePastOutput(double width, double height, const QString &output, Measured measured)
{
    mOutputWord = output;
    QStringList texts = fieldTexts();
    bool empty = false;
    QRectF box;
    if (measured == Measured::AsLaidOut) {
        // A caller that laid the panel out for print (a fit's check) keeps that layout.
        empty = m_bEmpty;
        box = laidOutBox();
    } else if (measured == Measured::AsPrinted && mPrintedLayout && mPrintedLayout->texts == texts) {
        // Printed just now with these texts: the layout of that print answers, without another.
        // It answers once: the panel may be moved or restyled before it is printed again.
        empty = mPrintedLayout->empty;
        box = mPrintedLayout->box;
        mPrintedLayout.reset();
    } else {
        setPrintMode();
        updateFormat();
        empty = m_bEmpty;
        box = laidOutBox();
        // The next screen drawing lays the panel out again with its empty fields.
        m_bPrintMode = false;
        m_bNeedUpdate = true;
    }
    mPastOutputNote = {};
    if (empty)
        return false;
    constexpr double kEdgeTolerance = 0.5;
    const QRectF area = QRectF(0.0, 0.0, width, height).adjusted(-kEdgeTolerance, -kEdgeTolerance, kEdgeTolerance, kEdgeTolerance);
    if (area.contains(box))
        return false;
    texts.prepend(QStringLiteral("past"));
    mPastOutputNote = {texts.join(QChar(0x1f)), QStringLiteral("the address of %1 runs past the edge of its %2")
                                                    .arg(personShown(*this).left(80), output)};
    notePastOutputAgain();
    return true;
}

void CFTAAddressPanel::notePastOutputAgain() const
{
    if (!mPastOutputNote.first.isEmpty() && PWJobReport::anyOpen())
        PWJobReport::note(PWJobReport::Kind::AddressPastEdge, mPastOutputNote.first, mPastOutputNote.second);
}

bool CFTAAddressPanel::fitLaidOutRows(double maxWidth, double maxHeight, bool checkOnly)
{
    m_bPrintMode = true;
    const FitMeasure measure = measureFit(*this, maxWidth, maxHeight);
    const double x = measure.x;
    const double y = measure.y;
    const double w = measure.w;
    const double h = measure.h;
    const bool byWidth = measure.overflowX > measure.overflowY;
    const double overflow = byWidth ? measure.overflowX : measure.overflowY;
    const double dimension = byWidth ? w : h;
    const bool needFit = overflow > 0.0 && dimension > 0.0;
    if (!checkOnly) {
        mdFitAreaX = maxWidth;
        mdFitAreaY = maxHeight;
    }
    if (checkOnly || !needFit)
        return needFit;

    // The factor that brings both dimensions inside the area: the larger overflow alone could
    // leave the other one over.
    double fits = 1.0;
    if (measure.overflowX > 0.0 && w > 0.0)
        fits = std::min(fits, 1.0 - measure.overflowX / w);
    if (measure.overflowY > 0.0 && h > 0.0)
        fits = std::min(fits, 1.0 - measure.overflowY / h);
    double k = 1.0 - overflow / dimension;
    // The smallest readable block, as far as the area allows it: a fit that stops an overflow
    // never makes the text larger than designed, nor larger than the area holds.
    if (h * k < kMinFitHeight && h > 0.0)
        k = std::min(kMinFitHeight / h, 1.0);
    k = std::min(k, fits);
    if (const CFTComponent *found = GetObjectForTextCategory(tcBarcode)) {
        // The barcode keeps its size: only the text shrinks, so it alone takes the whole cut.
        const auto *barcode = static_cast<const CFTAAddressText *>(found);
        const double b = barcode->GetSizeY() + barcode->GetPaddedTopSizeY() + barcode->GetPaddedBottomSizeY();
        if (h > b)
            k = std::clamp((h * k - b) / (h - b), kMinFitFactor, 1.0);
    }
    // How far the move of a block starting left of the area takes it right and down.
    double movedRight = 0.0;
    double movedDown = 0.0;
    if (x <= 0.0 && !measure.rightCause) {
        const double ax = std::fabs(x);
        movedRight = 2.0 * ((ax - ax * k) + 5.0);
        movedDown = 2.0 * ((y - y * k) + (5.0 - 5.0 * k));
        updateCoordWithVector(movedRight, movedDown);
    }
    updateFontSizeWithKoeff(k);
    // Sizes are whole points and the margins and insets of the fields do not scale: the block
    // laid out again may still stand over the edge. It shrinks on, a point at a time at least,
    // until it lies inside the area or its type cannot get smaller. A block the move above left
    // over the left edge (a wide one outgrows it) moves in first; one it took over the right or
    // bottom edge moves back, no further than it came: only then does the type shrink for what
    // stays over.
    for (int round = 0; round < kMaxFitRounds; ++round) {
        FitMeasure after = measureFit(*this, maxWidth, maxHeight);
        const double left = after.x > 0.0 ? std::clamp(after.overflowX, 0.0, std::min(movedRight, after.x)) : 0.0;
        const double up = std::clamp(after.overflowY, 0.0, std::max(movedDown, 0.0));
        if (after.x < 0.0 || left > 0.0 || up > 0.0) {
            updateCoordWithVector(after.x < 0.0 ? -after.x : (left > 0.0 ? -left : 0.0), up > 0.0 ? -up : 0.0);
            movedRight -= left > 0.0 ? left : 0.0;
            movedDown -= up > 0.0 ? up : 0.0;
            after = measureFit(*this, maxWidth, maxHeight);
        }
        const double overX = after.x <= 0.0 && !after.rightCause ? 0.0 : after.overflowX;
        if (overX <= 0.0 && after.overflowY <= 0.0)
            break;
        double again = 1.0;
        if (overX > 0.0 && after.w > 0.0)
            again = std::min(again, 1.0 - overX / after.w);
        if (after.overflowY > 0.0 && after.h > 0.0)
            again = std::min(again, 1.0 - after.overflowY / after.h);
        updateFontSizeWithKoeff(std::clamp(again, kMinFitFactor, 0.999));
        // Type at its smallest leaves the block as it was: nothing more to take off.
        const FitMeasure shrunk = measureFit(*this, maxWidth, maxHeight);
        if (shrunk.w >= after.w && shrunk.h >= after.h)
            break;
    }
    if (pastArea(*this, maxWidth, maxHeight))
        noteTooLong(*this, mOutputWord);
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
    // The panel's own text settings are the size the inspector shows: they scale with the
    // fields, so that the size shown is the size printed.
    mDefText.updateFontSizeWithKoeff(factor);
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
