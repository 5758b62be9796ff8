// How an address panel answers the canvas: hit tests and cursor rectangles, in-place editing of
// one field at a time with Tab moving on, and style commands that reach the panel's default
// settings and every field alike.
#include "kernel/address/CFTAAddressPanel.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/render/CDDDrawer.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

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
// A field is typed into without the panel's punctuation: the editor shows the field's own text,
// and what is typed is what its person gets.

// The fields take their places only when the panel is laid out, which drawing does lazily; the
// editor is placed from the edited field's frame, so the layout must be current before and after
// the field starts editing (starting may empty the field and so change its size).
void CFTAAddressPanel::layOutForEditing()
{
    if (!m_bNeedUpdate && !m_bEditing)
        return;
    updateFormat();
    if (m_bEditing && mCurrentText)
        mCurrentText->AlignEditorFrame();
}

void CFTAAddressPanel::startEditText(QObject *view, QObject *editor, double x, double y)
{
    // Hits are tested against the fields where the user sees them.
    layOutForEditing();
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
    hit->watchPunctuationWhileTyping();
    m_bEditing = true;
    layOutForEditing();
}

void CFTAAddressPanel::startEditText(QObject *view, QObject *editor)
{
    startEditNeighbour(view, editor, false);
}

void CFTAAddressPanel::startEditPreviousText(QObject *view, QObject *editor)
{
    startEditNeighbour(view, editor, true);
}

// Tab and Backtab: the enterable field after (before) the focused field's leaf in reading order,
// going round the panel; without a focused field, the first (last) one.
void CFTAAddressPanel::startEditNeighbour(QObject *view, QObject *editor, bool backward)
{
    if (!mpFormat)
        return;
    layOutForEditing();
    const bool isForced = forced();
    std::vector<textCategory> leaves;
    std::optional<std::size_t> focus;
    if (mpFormat->initEnumeration()) {
        do {
            while (CAddressFormat *leaf = mpFormat->nextObjectInRow()) {
                const textCategory category = leaf->getTextCategory();
                if (!focus && mCurrentText && category == mCurrentText->GetTextCategory())
                    focus = leaves.size();
                leaves.push_back(category);
            }
        } while (mpFormat->nextRow());
    }
    const std::size_t count = leaves.size();
    CFTAAddressText *candidate = nullptr;
    for (std::size_t step = 1; step <= count && !candidate; ++step) {
        std::size_t index = 0;
        if (focus)
            index = backward ? (*focus + count - step) % count : (*focus + step) % count;
        else
            index = backward ? count - step : step - 1;
        if (leaves[index] == tcBarcode)
            continue;
        CFTAAddressText *const field = getAddressComponentWithTextCategory(leaves[index]);
        if (field && field->isEnabled(isForced))
            candidate = field;
    }
    if (!candidate)
        return;
    if (mCurrentText && mCurrentText != candidate && mCurrentText->isEditing())
        mCurrentText->endEditText(editor);
    mCurrentText = candidate;
    candidate->startEditText(view, editor, m_bToFrom);
    candidate->watchPunctuationWhileTyping();
    m_bEditing = true;
    layOutForEditing();
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
    // A growing field moves its neighbours, and itself when the panel centres or right-aligns:
    // the editor follows at once, not at the next drawing.
    if (m_bEditing)
        layOutForEditing();
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
    // The colour of the texts new fields get; whether they are outlined stays as it was.
    const bool outlined = mDefText.IsStroked();
    mDefText.SetStrokeColor(color);
    mDefText.SetStroked(outlined);
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

void CFTAAddressPanel::MergeFontAttr(const QTextCharFormat &changed)
{
    applyStyle([&changed](CFTComponent &target) { target.MergeFontAttr(changed); });
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
