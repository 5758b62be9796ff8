#include "kernel/text/CFTAText.h"

#include "kernel/render/CCircleText.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/render/CDDArchiveText.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/FTGeometry.h"
#include "kernel/text/CFTACapitalsTyping.h"
#include "kernel/text/CFTSmartField.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kFar = CDDText::kContainerSize;

// Dot codes: bit 8 the moving vertical edge is the right one, bit 2 the moving horizontal edge
// is the bottom one; bit 1 moves no vertical edge, bit 4 no horizontal edge.
constexpr int kDotRight = 8;
constexpr int kDotBottom = 2;
constexpr int kDotNoVertical = 1;
constexpr int kDotNoHorizontal = 4;
constexpr int kLeftHandle = 6;
constexpr int kRightHandle = 14;

double clampTo(double value, double low, double high)
{
    return std::min(std::max(value, low), high);
}

// Frames are saved to six significant digits. A need that differs from the frame by less than
// that rounding is the frame the text already has: moving an anchored edge by the rounding
// would shift a centred or right-aligned text a little more with every reading.
double sameUnlessChanged(double need, double present)
{
    return std::abs(need - present) <= 1e-5 * std::max(1.0, std::abs(present)) ? present : need;
}

} // namespace

CFTAText::CFTAText(const CFTComponent *defComponent, bool circleText)
    : mText(circleText)
{
    init(defComponent);
}

CFTAText::CFTAText(double x, double y, double width, double height, const CFTComponent *defComponent,
                   bool circleText)
    : CFTComponent(x, y, width, height),
      mText(circleText)
{
    init(defComponent);
}

CFTAText::CFTAText(double x, double y, const CFTComponent *defComponent, bool circleText)
    : CFTComponent(x, y, 10.0, 15.0),
      mText(circleText)
{
    init(defComponent);
    mdSizeX = mText.minSizeX();
    mdSizeY = mText.minSizeY();
}

CFTAText::~CFTAText() = default;

void CFTAText::init(const CFTComponent *defComponent)
{
    if (defComponent) {
        m_alignment = defComponent->GetAlignment();
        m_bFillBack = defComponent->GetHaveBackColor();
        if (const CDDColor *fill = defComponent->GetFillColor())
            mBackColor = *fill;
        if (const CDDColor *color = defComponent->GetTextColor())
            mTextColor = *color;
        mText.setDefComponentStyle(defComponent->GetFontAttr(nullptr));
    }
}

// --- Text replacement -------------------------------------------------------------------------------

void CFTAText::SetString(const CDDString &text)
{
    const std::optional<QTextCharFormat> style = GetFontAttr(nullptr);
    mText.setString(text.getData(), style ? &*style : nullptr);
    mText.SetAlignment(m_alignment);
    NeedAutoExpand();
}

void CFTAText::SetAttributedString(const PWAttributedString &text)
{
    mText.setAttributedString(text);
    mText.SetAlignment(m_alignment);
    NeedAutoExpand();
}

void CFTAText::setDefText(const PWAttributedString &text)
{
    mText.setDefText(text);
    ExpandByText();
}

const CFTComponent *CFTAText::isTextEqual(const QTextDocument *storage) const
{
    return storage && storage == mText.getContents() ? this : nullptr;
}

// --- Attribute commands: forwarded, then the frame follows the text ------------------------------

void CFTAText::SetFont(const PWFont &font)
{
    mText.SetFont(font);
    ExpandByText();
}

void CFTAText::SetFontAttr(const QTextCharFormat &attributes)
{
    mText.SetFontAttr(attributes, false);
    ExpandByText();
}

void CFTAText::MergeFontAttr(const QTextCharFormat &changed)
{
    mText.MergeFontAttr(changed, false);
    ExpandByText();
}

void CFTAText::IncreaseFontSize()
{
    mText.IncreaseFontSize();
    ExpandByText();
}

void CFTAText::DecreaseFontSize()
{
    mText.DecreaseFontSize();
    ExpandByText();
}

void CFTAText::raiseBaseline()
{
    mText.raiseBaseline();
    ExpandByText();
}

void CFTAText::lowerBaseline()
{
    mText.lowerBaseline();
    ExpandByText();
}

void CFTAText::loosenKerning()
{
    mText.loosenKerning();
    ExpandByText();
}

void CFTAText::tightenKerning()
{
    mText.tightenKerning();
    ExpandByText();
}

void CFTAText::setBaseline(float baseline)
{
    mText.setBaseline(baseline);
    ExpandByText();
}

void CFTAText::setKerning(float kerning)
{
    mText.setKerning(kerning);
    ExpandByText();
}

void CFTAText::ChangeFontSize(double delta)
{
    mText.ChangeFontSize(delta);
    ExpandByText();
}

void CFTAText::SetFontSize(double size)
{
    mText.SetFontSize(size);
    ExpandByText();
}

void CFTAText::updateFontSizeWithKoeff(double factor)
{
    mText.updateFontSizeWithKoeff(factor);
    ExpandByText();
}

void CFTAText::snapshotObject()
{
    CFTComponent::snapshotObject();
    mText.snapshotObject();
}

void CFTAText::restoreObject()
{
    CFTComponent::restoreObject();
    mText.restoreObject();
}

// --- Colours and alignment --------------------------------------------------------------------------

void CFTAText::SetTextColor(const CDDColor *color)
{
    if (!color || mText.IsHaveSelect())
        return;
    mText.setTextColor(*color);
    mTextColor = *color;
}

void CFTAText::SetFillColor(const CDDColor *color)
{
    if (!color || mText.IsHaveSelect())
        return;
    mBackColor = *color;
    m_bFillBack = true;
}

void CFTAText::SetFilled(bool filled)
{
    m_bFillBack = filled;
    InvalidateShadow();
}

void CFTAText::SetAlignment(textAlignment alignment)
{
    if (mText.SetAlignment(alignment))
        m_alignment = alignment;
    InvalidateShadow();
}

// --- Fitting the frame to the text -------------------------------------------------------------------

void CFTAText::ExpandByText()
{
    ExpandBySize(mText.getContSizeX(), mText.getContSizeY());
}

void CFTAText::keepTurnedCentre(double oldCentreX, double oldCentreY)
{
    if (mdAngle == 0.0)
        return;
    double cx = centerX();
    double cy = centerY();
    rotatePoint(&cx, &cy, mdAngle, oldCentreX, oldCentreY);
    mdOriginX = cx - mdSizeX / 2.0;
    mdOriginY = cy - mdSizeY / 2.0;
}

void CFTAText::ExpandBySize(double needWidth, double needHeight)
{
    const double oldCentreX = centerX();
    const double oldCentreY = centerY();

    const double width = double(float(mdSizeX));
    needWidth = sameUnlessChanged(needWidth, width);
    if (needWidth > width)
        m_bTouched = false;
    // The size compared is the single-precision one, but a changed frame takes the needed size
    // itself: adding the difference to the double would carry the single-precision rounding of
    // every earlier size along, and two copies of one design fitted in another order would stand
    // apart by it.
    if ((!m_bTouched || needWidth > width) && needWidth < kFar && needWidth != width) {
        if (m_alignment & taRight)
            mdOriginX += mdSizeX - needWidth;
        else if (m_alignment & taCenter)
            mdOriginX -= (needWidth - mdSizeX) / 2.0;
        mdSizeX = needWidth;
    }

    const double height = double(float(mdSizeY));
    needHeight = sameUnlessChanged(needHeight, height);
    if (needHeight != height) {
        if (m_alignment & 32)
            mdOriginY += mdSizeY - needHeight;
        else if (m_alignment & 16)
            mdOriginY -= (needHeight - mdSizeY) / 2.0;
        mdSizeY = needHeight;
    }

    keepTurnedCentre(oldCentreX, oldCentreY);
    AlignEditorFrame();
}

void CFTAText::updateCoordWithKoeff(double kx, double ky, double, double)
{
    mdOriginY *= ky;
    if (m_alignment == taRight)
        mdOriginX = (mdOriginX + mdSizeX) * kx - mdSizeX;
    else if (m_alignment == taCenter)
        mdOriginX = (mdOriginX + mdSizeX / 2.0) * kx - mdSizeX / 2.0;
    else
        mdOriginX *= kx;
}

// --- Drawing -----------------------------------------------------------------------------------------

void CFTAText::Draw(CDDDrawer *drawer, bool, const CFTComponentsInterface *components, bool, bool)
{
    if (m_bNeedAutoExpand) {
        ExpandByText();
        m_bNeedAutoExpand = false;
    }
    if (!drawer)
        return;
    if (mbHasShadow && !drawer->IsDrawingToShadow() && !m_bIsEditing)
        drawShadow(drawer, components);
    if (mText.isCircleText()) {
        // A circle text starts at the top of its oval.
        std::vector<FTAGlyphLocation> glyphs;
        mText.drawCircleText(mdOriginX, mdOriginY, mdSizeX, mdSizeY, m_bFillBack, &mBackColor, drawer, mdAngle,
                             std::numbers::pi / 2.0, false, false, GetAlignment(), glyphs);
        return;
    }
    mText.draw(mdOriginX, mdOriginY, mdSizeX, mdSizeY, m_bFillBack, &mBackColor, drawer, mdAngle,
               IsStroked() ? &mOutlineColor : nullptr, IsStroked() ? &mOutlinePen : nullptr);
}

void CFTAText::DrawSelection(CDDDrawer *drawer, const CFTACoreView *)
{
    if (m_bIsEditing || !drawer)
        return;
    drawer->DrawSelectTextRect(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle);
}

// --- Editing -----------------------------------------------------------------------------------------

void CFTAText::startEditText(QObject *, QObject *)
{
    m_bIsEditing = true;
    mText.startEditing(GetEditingOriginX(), GetEditingOriginY(), mdSizeX, mdSizeY, mdAngle);
    beginCapitalsTyping();
}

CFTComponent *CFTAText::endEditText(QObject *)
{
    if (!m_bIsEditing)
        return nullptr;
    // A style chosen in a text left empty stays the text's style (not the one it was shown in
    // capitals by).
    std::optional<QTextCharFormat> typing = mText.editorTypingFormat();
    if (typing)
        CFTACapitalsTyping::removeEditStyle(*typing);
    mText.endEditing(typing ? &*typing : nullptr);
    m_bIsEditing = false;
    finishCapitalsTyping();
    return this;
}

void CFTAText::selectAll()
{
    mText.selectAll();
}

void CFTAText::SetMaxSizeForJapan(double x, double y, double width, double height) const
{
    mText.SetMaxSizeForJapan(x, y, width, height, mdAngle);
}

void CFTAText::SetOrigin(double x, double y)
{
    CFTComponent::SetOrigin(x, y);
    mText.setEditingOrigin(mdOriginX, mdOriginY);
}

void CFTAText::SetAngle(double angle)
{
    CFTComponent::SetAngle(angle);
    if (m_bIsEditing)
        mText.setEditorAngle(mdAngle, mdOriginX, mdOriginY, mdSizeX, mdSizeY);
}

void CFTAText::AlignEditorFrame()
{
    if (m_bIsEditing)
        mText.alignEditorFrame(mdAngle, mdOriginX, mdOriginY, mdSizeX, mdSizeY);
}

// --- Picking and handles -----------------------------------------------------------------------------

CFTComponent *CFTAText::PickMe(double x, double y, bool &, double, actionType &action, int)
{
    if (mdAngle != 0.0)
        rotatePoint(&x, &y, -mdAngle, centerX(), centerY());
    if (!(x > mdOriginX && x < mdOriginX + mdSizeX && y > mdOriginY && y < mdOriginY + mdSizeY))
        return nullptr;
    if (mText.isEmpty() || m_bFillBack || mText.hitPoint(x - mdOriginX, y - mdOriginY))
        action = actionNone;
    else
        action = actionFrame;
    return this;
}

int CFTAText::PickMyDot(double x, double y, double tolerance)
{
    if (mdAngle != 0.0)
        rotatePoint(&x, &y, -mdAngle, centerX(), centerY());
    if (!(y > mdOriginY && y < mdOriginY + mdSizeY))
        return 0;
    if (std::abs(x - mdOriginX) < tolerance)
        return kLeftHandle;
    if (std::abs(x - (mdOriginX + mdSizeX)) < tolerance)
        return kRightHandle;
    return 0;
}

int CFTAText::getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double tolerance)
{
    if (!enabled || m_bIsEditing || type != cursorResizeHorizontal || !rects)
        return 0;
    rects[0] = {mdOriginX - tolerance, mdOriginY, 2.0 * tolerance, mdSizeY};
    rects[1] = {mdOriginX + mdSizeX - tolerance, mdOriginY, 2.0 * tolerance, mdSizeY};
    if (mdAngle != 0.0) {
        for (int i = 0; i < 2; ++i) {
            double cx = rects[i].x + rects[i].width / 2.0;
            double cy = rects[i].y + rects[i].height / 2.0;
            rotatePoint(&cx, &cy, mdAngle, centerX(), centerY());
            rects[i].x = cx - rects[i].width / 2.0;
            rects[i].y = cy - rects[i].height / 2.0;
        }
    }
    return 2;
}

void CFTAText::StartOperation(operMode mode, const CFTACoreView *view, int unused, int handle)
{
    if (mode == operCreatePending || mode == operResizePending || mode == operCreate || mode == operResize)
        m_bTouched = true;
    CFTComponent::StartOperation(mode, view, unused, handle);
    if (mode == operResizePending || mode == operResize)
        TextStartMoveDot(handle);
}

void CFTAText::TextStartMoveDot(int dot)
{
    if (!(dot & kDotNoVertical))
        mdMoveDotX = (dot & kDotRight) ? mdOriginX + mdSizeX : mdOriginX;
    if (!(dot & kDotNoHorizontal))
        mdMoveDotY = (dot & kDotBottom) ? mdOriginY + mdSizeY : mdOriginY;
    SetMinMax(dot);
}

void CFTAText::SetMinMax(int dot)
{
    SetMinMaxSize(dot, &mText);
}

void CFTAText::SetMinMaxSize(int dot, const CDDText *text)
{
    if (!text)
        return;
    const double needX = text->getContSizeX();
    const double needY = text->getContSizeY();
    if (dot & kDotRight) {
        mdMinX = mdOriginX + needX;
        mdMaxX = kFar;
    } else {
        mdMinX = -kFar;
        mdMaxX = mdOriginX + mdSizeX - needX;
    }
    if (dot & kDotBottom) {
        mdMinY = mdOriginY + needY;
        mdMaxY = kFar;
    } else {
        mdMinY = -kFar;
        mdMaxY = mdOriginY + mdSizeY - needY;
    }
}

void CFTAText::MoveDot(int &handle, double dx, double dy, const CFTACoreView *)
{
    if (mdAngle != 0.0)
        rotatePoint(&dx, &dy, -mdAngle, 0.0, 0.0);
    const double oldCentreX = centerX();
    const double oldCentreY = centerY();
    if (handle & kDotNoVertical)
        TextMoveDotY(handle, dy);
    else
        TextMoveDotX(handle, dx);
    keepTurnedCentre(oldCentreX, oldCentreY);
}

double CFTAText::TextMoveDotX(int dot, double dx)
{
    const double moved = CorrectVectorX(dx);
    mdMoveDotX += dx;
    if (dot & kDotRight) {
        mdSizeX += moved;
    } else {
        mdOriginX += moved;
        mdSizeX -= moved;
    }
    return moved;
}

double CFTAText::TextMoveDotY(int dot, double dy)
{
    const double moved = CorrectVectorY(dy);
    mdMoveDotY += dy;
    if (dot & kDotBottom) {
        mdSizeY += moved;
    } else {
        mdOriginY += moved;
        mdSizeY -= moved;
    }
    return moved;
}

double CFTAText::CorrectVectorX(double dx) const
{
    return clampTo(mdMoveDotX + dx, mdMinX, mdMaxX) - clampTo(mdMoveDotX, mdMinX, mdMaxX);
}

double CFTAText::CorrectVectorY(double dy) const
{
    return clampTo(mdMoveDotY + dy, mdMinY, mdMaxY) - clampTo(mdMoveDotY, mdMinY, mdMaxY);
}

// --- Copy and archive --------------------------------------------------------------------------------

void CFTAText::Copy(const CFTComponent *other)
{
    CFTComponent::Copy(other);
    if (!other || other->getType() != ctText)
        return;
    m_bFillBack = other->GetHaveBackColor();
    m_alignment = other->GetAlignment();
    if (const CDDColor *fill = other->GetFillColor())
        mBackColor = *fill;
    if (const CDDColor *color = other->GetTextColor())
        mTextColor = *color;
    if (const auto *text = dynamic_cast<const CFTAText *>(other))
        m_bTouched = text->IsTouched();
    if (const std::optional<QTextCharFormat> style = other->GetFontAttr(nullptr))
        mText.SetFontAttr(*style, false);
}

bool CFTAText::SerializeText(const CDDArchive &archive)
{
    if (archive.isStoring()) {
        // Reading fits the frame to the text it reads. A text nobody has measured yet (built in
        // code, or set and not drawn since) is written with its fitted frame, so that the frame
        // saved is the frame read back and a design saves the same bytes from its first save on.
        // The fit is for the file only: saving never changes the design, which would put a
        // change outside undo.
        const double originX = mdOriginX, originY = mdOriginY, sizeX = mdSizeX, sizeY = mdSizeY;
        const bool touched = m_bTouched;
        ExpandByText();
        CFTComponent::Serialize(archive, nullptr);
        mdOriginX = originX, mdOriginY = originY, mdSizeX = sizeX, mdSizeY = sizeY;
        m_bTouched = touched;
    } else {
        CFTComponent::Serialize(archive, nullptr);
    }
    if (archive.isStoring()) {
        storeText(archive);
        archive.SetData(key_FillBackground, m_bFillBack);
        archive.SetData(key_BackColor, mBackColor);
        archive.SetData(key_TextColor, mTextColor);
        archive.SetData(key_HorizontalAlignment, int(m_alignment));
        archive.SetData(key_DontAutoResize, m_bTouched);
        return true;
    }
    archiveGetText(archive, key_TextStorage2, mText);
    if (getClassID() == ciText)
        showInCapitalsAsAsked();
    readTypedCharacters(archive);
    archive.GetData(key_FillBackground, &m_bFillBack);
    archive.GetData(key_BackColor, mBackColor);
    archive.GetData(key_TextColor, mTextColor);
    int alignment = int(m_alignment);
    if (archive.GetData(key_HorizontalAlignment, &alignment, CDDRanges::kTextAlignment))
        m_alignment = textAlignment(alignment);
    archive.GetData(key_DontAutoResize, &m_bTouched);
    ExpandByText();
    return true;
}

bool CFTAText::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    SerializeText(archive);
    if (archive.isStoring())
        return true;
    CDDArchive child(false);
    child.setBundleVersion(archive.getBundleVersion());
    if (!archive.GetData(key_LinkedText, child))
        return true;
    CFTComponent *linked = CFTComponent::SerializeFromArchive(child, list, nullptr);
    // The stored child carries the text keys once more.
    if (auto *text = dynamic_cast<CFTAText *>(linked))
        text->SerializeText(child);
    child.Dettach();
    return true;
}
