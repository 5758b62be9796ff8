// How an address panel answers the canvas: hit tests and cursor rectangles, in-place editing of
// one field at a time with Tab moving on, and style commands that reach the panel's default
// settings and every field alike.
#include "kernel/address/CFTAAddressPanel.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/render/CDDDrawer.h"

#include <functional>

namespace {

// What the canvas is told a click found: the panel itself, or the caption part of its box label
// (the recipient/sender menu) or its label part (the template menu).
constexpr actionType kActionPanel = actionNone;
constexpr actionType kActionBoxCaption = actionToFromZone;
constexpr actionType kActionBoxLabel = actionTemplateZone;
constexpr cursorType kFieldCursor = cursorText;

} // namespace

template<typename Apply>
void CFTAAddressPanel::applyStyle(Apply apply)
{
    apply(static_cast<CFTComponent &>(mDefText));
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            apply(static_cast<CFTComponent &>(*field));
    m_bNeedUpdate = true;
}

// --- Hit testing and cursors ---------------------------------------------------------------------

CFTComponent *CFTAAddressPanel::PickMe(double x, double y, bool &selected, double tolerance, actionType &action,
                                       int mode)
{
    if (x > mdOriginX && x < mdOriginX + mdSizeX && y > mdOriginY && y < mdOriginY + mdSizeY) {
        action = kActionPanel;
        return this;
    }
    const int region = CDDDrawer::regionIndexForBoxLabel(x, y, mdOriginX, mdOriginY, mdSizeX, mdSizeY,
                                                         mdCornerRadius, m_bToFrom, mTemplateName);
    if (region == 0) {
        action = kActionBoxCaption;
        return this;
    }
    if (region == 1) {
        action = kActionBoxLabel;
        return this;
    }
    if (region != -1)
        return this;
    CFTComponent *const found = CFTComponent::PickMe(x, y, selected, tolerance, action, mode);
    if (found)
        selected = false;
    return found;
}

int CFTAAddressPanel::PickText(double x, double y, double)
{
    const bool isForced = forced();
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        if (!field || !field->isEnabled(isForced))
            continue;
        bool selected = false;
        actionType action = actionUnset;
        if (field->PickMe(x, y, selected, 0.0, action, 0))
            return 1;
    }
    return 0;
}

int CFTAAddressPanel::getCursorRectsByType(cursorType type, SRect *rects, bool, double)
{
    if (type != kFieldCursor || !rects)
        return 0;
    const bool isForced = forced();
    int written = 0;
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts) {
        if (written >= kMaxCursorRects)
            break;
        if (!field || !field->isEnabled(isForced))
            continue;
        rects[written++] = SRect {field->GetOriginX(), field->GetOriginY(), field->GetSizeX(), field->GetSizeY()};
    }
    return written;
}

// --- Editing -------------------------------------------------------------------------------------

void CFTAAddressPanel::startEditText(QObject *view, QObject *editor, double x, double y)
{
    const bool isForced = forced();
    CFTAAddressText *hit = nullptr;
    forEachLeafField([&](const CAddressFormat *, CFTAAddressText *field) {
        bool selected = false;
        actionType action = actionUnset;
        if (field && field->isEnabled(isForced) && field->PickMe(x, y, selected, 0.0, action, 0))
            hit = field;
        return !hit;
    });
    if (!hit)
        return;
    mCurrentText = hit;
    hit->startEditText(view, editor);
    m_bEditing = true;
    m_bNeedUpdate = true;
}

void CFTAAddressPanel::startEditText(QObject *view, QObject *editor)
{
    if (!mpFormat)
        return;
    const bool isForced = forced();
    const auto enterable = [this, isForced](textCategory category) -> CFTAAddressText * {
        if (category == tcBarcode)
            return nullptr;
        CFTAAddressText *const field = getAddressComponentWithTextCategory(category);
        return field && field->isEnabled(isForced) ? field : nullptr;
    };
    // First pass: the leaves after the focused field's; second pass: from the first leaf on.
    const auto search = [this, &enterable](bool afterFocus) -> CFTAAddressText * {
        if (!mpFormat->initEnumeration())
            return nullptr;
        bool passed = !afterFocus;
        do {
            while (CAddressFormat *leaf = mpFormat->nextObjectInRow()) {
                const textCategory category = leaf->getTextCategory();
                if (!passed) {
                    passed = mCurrentText && category == mCurrentText->GetTextCategory();
                    continue;
                }
                if (CFTAAddressText *field = enterable(category))
                    return field;
            }
        } while (mpFormat->nextRow());
        return nullptr;
    };
    CFTAAddressText *candidate = search(true);
    if (!candidate)
        candidate = search(false);
    if (!candidate)
        return;
    if (mCurrentText && mCurrentText != candidate && mCurrentText->isEditing())
        mCurrentText->endEditText(editor);
    mCurrentText = candidate;
    candidate->startEditText(view, editor, m_bToFrom);
    m_bEditing = true;
    m_bNeedUpdate = true;
    candidate->selectAll();
}

CFTComponent *CFTAAddressPanel::endEditText(QObject *editor)
{
    CFTComponent *const result = mCurrentText ? mCurrentText->endEditText(editor) : nullptr;
    ExpandByText();
    m_bEditing = false;
    return result;
}

void CFTAAddressPanel::ExpandByText()
{
    if (!mCurrentText)
        return;
    mCurrentText->ExpandByText();
    m_bNeedUpdate = true;
}

double CFTAAddressPanel::GetEditingOriginX() const
{
    return m_bEditing && mCurrentText && mCurrentText->isEditing() ? mCurrentText->GetOriginX() : 0.0;
}

double CFTAAddressPanel::GetEditingOriginY() const
{
    return m_bEditing && mCurrentText && mCurrentText->isEditing() ? mCurrentText->GetOriginY() : 0.0;
}

double CFTAAddressPanel::GetEditingSizeX() const
{
    return m_bEditing && mCurrentText && mCurrentText->isEditing() ? mCurrentText->GetSizeX() : 0.0;
}

double CFTAAddressPanel::GetEditingSizeY() const
{
    return m_bEditing && mCurrentText && mCurrentText->isEditing() ? mCurrentText->GetSizeY() : 0.0;
}

void CFTAAddressPanel::SetMaxSizeForJapan(double, double, double, double) const
{
    if (!mCurrentText)
        return;
    const CFTAAddressText *const field = getAddressComponentWithTextCategory(mCurrentText->GetTextCategory());
    if (field)
        field->SetMaxSizeForJapan(field->GetOriginX(), field->GetOriginY(), field->GetSizeX(), field->GetSizeY());
}

const CFTComponent *CFTAAddressPanel::isTextEqual(const QTextDocument *storage) const
{
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field && field->isTextEqual(storage))
            return field.get();
    return nullptr;
}

// --- Colours -------------------------------------------------------------------------------------

void CFTAAddressPanel::SetStrokeColor(const CDDColor *color)
{
    if (!color)
        return;
    for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
        if (field)
            field->SetTextColor(color);
    mDefText.SetStrokeColor(color);
}

void CFTAAddressPanel::SetFillColor(const CDDColor *color)
{
    mDefText.SetFillColor(color);
}

void CFTAAddressPanel::SetHaveBackColor(bool haveBackColor)
{
    mDefText.SetHaveBackColor(haveBackColor);
}

// --- Text styles ---------------------------------------------------------------------------------

void CFTAAddressPanel::SetFont(const PWFont &font)
{
    applyStyle([&font](CFTComponent &target) { target.SetFont(font); });
}

void CFTAAddressPanel::SetFontAttr(const QTextCharFormat &attributes)
{
    applyStyle([&attributes](CFTComponent &target) { target.SetFontAttr(attributes); });
}

// The barcode draws bars in its own placeholder style: it does not make the panel's font mixed.
std::optional<PWFont> CFTAAddressPanel::GetFont(bool *mixed) const
{
    const std::optional<PWFont> font = mDefText.GetFont(nullptr);
    if (mixed) {
        *mixed = false;
        for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
            if (field && font && field->getClassID() != ciBarcode && !field->IsEqualFont(*font))
                *mixed = true;
    }
    return font;
}

std::optional<QTextCharFormat> CFTAAddressPanel::GetFontAttr(bool *mixed) const
{
    const std::optional<QTextCharFormat> attributes = mDefText.GetFontAttr(nullptr);
    if (mixed) {
        *mixed = false;
        for (const std::unique_ptr<CFTAAddressText> &field : mAddressTexts)
            if (field && attributes && field->getClassID() != ciBarcode && !field->IsEqualFontAttr(*attributes))
                *mixed = true;
    }
    return attributes;
}

// Growing by steps goes through the relative size change: it reaches the default text and the
// labels of empty fields too, which a step on the characters alone would leave as they were.
void CFTAAddressPanel::IncreaseFontSize()
{
    applyStyle([](CFTComponent &target) { target.ChangeFontSize(1.0); });
}

void CFTAAddressPanel::DecreaseFontSize()
{
    applyStyle([](CFTComponent &target) { target.ChangeFontSize(-1.0); });
}

void CFTAAddressPanel::raiseBaseline()
{
    applyStyle([](CFTComponent &target) { target.raiseBaseline(); });
}

void CFTAAddressPanel::lowerBaseline()
{
    applyStyle([](CFTComponent &target) { target.lowerBaseline(); });
}

void CFTAAddressPanel::loosenKerning()
{
    applyStyle([](CFTComponent &target) { target.loosenKerning(); });
}

void CFTAAddressPanel::tightenKerning()
{
    applyStyle([](CFTComponent &target) { target.tightenKerning(); });
}

void CFTAAddressPanel::setBaseline(float baseline)
{
    applyStyle([baseline](CFTComponent &target) { target.setBaseline(baseline); });
}

void CFTAAddressPanel::setKerning(float kerning)
{
    applyStyle([kerning](CFTComponent &target) { target.setKerning(kerning); });
}

void CFTAAddressPanel::ChangeFontSize(double delta)
{
    applyStyle([delta](CFTComponent &target) { target.ChangeFontSize(delta); });
}

void CFTAAddressPanel::SetFontSize(double size)
{
    applyStyle([size](CFTComponent &target) { target.SetFontSize(size); });
}
