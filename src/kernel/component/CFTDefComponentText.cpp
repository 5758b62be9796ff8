#include "kernel/component/CFTDefComponentText.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/render/CDDArchiveText.h"
#include "kernel/base/CDDArchiveKeys.h"

namespace {

// A colour without a value (never set, or unreadable in a file) leaves the text's colour alone.
void setTextColor(CDDText &text, const CDDColor &color)
{
    if (color.toQColor().isValid())
        text.setTextColor(color);
}

} // namespace

CFTDefComponentText::CFTDefComponentText() = default;

CFTDefComponentText::~CFTDefComponentText() = default;

void CFTDefComponentText::Init()
{
    mColor = CDDColor(0.0f, 0.0f, 0.0f, 1.0f);
    mpText.SetDefaultFont();
}

double CFTDefComponentText::getDefXSpacing() const
{
    return mpText.getDefXSpacing();
}

const CDDColor *CFTDefComponentText::GetFillColor() const
{
    return &mBackColor;
}

void CFTDefComponentText::SetFillColor(const CDDColor *color)
{
    if (!color)
        return;
    mBackColor = *color;
    m_bFillBack = true;
}

const CDDColor *CFTDefComponentText::GetStrokeColor() const
{
    return &mOutlineColor;
}

void CFTDefComponentText::SetStrokeColor(const CDDColor *color)
{
    if (!color)
        return;
    setTextColor(mpText, *color);
    CFTComponent::SetStrokeColor(color);
}

bool CFTDefComponentText::canFill() const
{
    return true;
}

bool CFTDefComponentText::canStrok() const
{
    return true;
}

bool CFTDefComponentText::IsShadowed() const
{
    return m_bShadowed;
}

void CFTDefComponentText::SetShadow(bool shadow)
{
    m_bShadowed = shadow;
}

void CFTDefComponentText::SetHaveBackColor(bool haveBackColor)
{
    m_bFillBack = haveBackColor;
}

bool CFTDefComponentText::GetHaveBackColor() const
{
    return m_bFillBack;
}

void CFTDefComponentText::SetAlignment(textAlignment alignment)
{
    m_alignment = alignment;
}

textAlignment CFTDefComponentText::GetAlignment() const
{
    return m_alignment;
}

addressType CFTDefComponentText::GetAddressType() const
{
    return m_addressType;
}

void CFTDefComponentText::SetAddressType(addressType type)
{
    m_addressType = type;
}

CDDText *CFTDefComponentText::GetText()
{
    return &mpText;
}

bool CFTDefComponentText::isFieldEditor()
{
    return false;
}

// --- The default text's style: the text's own commands, so that the settings and every text
// made from them change alike ----------------------------------------------------------------

void CFTDefComponentText::SetFont(const PWFont &font)
{
    mpText.SetFont(font);
}

void CFTDefComponentText::SetFontAttr(const QTextCharFormat &attributes)
{
    mpText.SetFontAttr(attributes, false);
}

std::optional<PWFont> CFTDefComponentText::GetFont(bool *mixed) const
{
    return mpText.GetFont(mixed);
}

std::optional<QTextCharFormat> CFTDefComponentText::GetFontAttr(bool *mixed) const
{
    return mpText.GetFontAttr(mixed);
}

void CFTDefComponentText::IncreaseFontSize()
{
    mpText.IncreaseFontSize();
}

void CFTDefComponentText::DecreaseFontSize()
{
    mpText.DecreaseFontSize();
}

void CFTDefComponentText::ChangeFontSize(double delta)
{
    mpText.ChangeFontSize(delta);
}

void CFTDefComponentText::SetFontSize(double size)
{
    mpText.SetFontSize(size);
}

void CFTDefComponentText::updateFontSizeWithKoeff(double factor)
{
    mpText.updateFontSizeWithKoeff(factor);
}

void CFTDefComponentText::raiseBaseline()
{
    mpText.raiseBaseline();
}

void CFTDefComponentText::lowerBaseline()
{
    mpText.lowerBaseline();
}

void CFTDefComponentText::loosenKerning()
{
    mpText.loosenKerning();
}

void CFTDefComponentText::tightenKerning()
{
    mpText.tightenKerning();
}

void CFTDefComponentText::setBaseline(float baseline)
{
    mpText.setBaseline(baseline);
}

void CFTDefComponentText::setKerning(float kerning)
{
    mpText.setKerning(kerning);
}

bool CFTDefComponentText::IsEqualFont(const PWFont &font)
{
    return mpText.IsEqualFont(font);
}

bool CFTDefComponentText::IsEqualFontAttr(const QTextCharFormat &attributes)
{
    return mpText.IsEqualFontAttr(attributes);
}

// --- Archive ------------------------------------------------------------------------------------

bool CFTDefComponentText::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *)
{
    if (archive.isStoring()) {
        archive.SetData(key_FillBackground, m_bFillBack);
        archive.SetData(key_BackColor, mBackColor);
        archive.SetData(key_Color, mColor);
        archive.SetData(key_Shadow, m_bShadowed);
        archive.SetData(key_HorizontalAlignment, int(m_alignment));
        // An empty text saves its style: its placeholder under "Text Storage::DefValue".
        archiveSetText(archive, key_TextStorage, mpText);
        return true;
    }

    archive.GetData(key_FillBackground, &m_bFillBack);
    archive.GetData(key_BackColor, mBackColor);
    archive.GetData(key_Color, mColor);
    archive.GetData(key_Shadow, &m_bShadowed);
    int alignment = int(m_alignment);
    if (archive.GetData(key_HorizontalAlignment, &alignment, CDDRanges::kTextAlignment))
        m_alignment = textAlignment(alignment);
    PWFont font;
    if (archive.GetData(key_Font, &font))
        SetFont(font);
    setTextColor(mpText, mColor);
    // Read last, so that the stored text's own styling wins.
    archiveGetText(archive, key_TextStorage, mpText);
    return true;
}
