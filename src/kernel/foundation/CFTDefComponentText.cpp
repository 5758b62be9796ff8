#include "kernel/foundation/CFTDefComponentText.h"

#include "kernel/foundation/CAEnvironment.h"
#include "kernel/foundation/CDDArchive.h"
#include "kernel/foundation/CDDArchiveKeys.h"
#include "platform/PWTextAttributes.h"

#include <QFontMetricsF>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

// No edit makes the default font smaller than texts allow.
constexpr double kMinimumFontSize = CDDText::kMinFontSize;

void mergeOver(QTextDocument *document, const QTextCharFormat &attributes)
{
    QTextCursor cursor(document);
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(attributes);
}

double fontSizeOf(const QTextCharFormat &format)
{
    const double size = format.fontPointSize();
    return size > 0.0 ? size : PWFont::kDefaultPointSize;
}

} // namespace

CFTDefComponentText::CFTDefComponentText() = default;

CFTDefComponentText::~CFTDefComponentText() = default;

void CFTDefComponentText::Init()
{
    mColor = CDDColor(0.0f, 0.0f, 0.0f, 1.0f);
    QTextCharFormat format;
    CAEnvironment::defaultFont().applyTo(&format);
    mergeStyle(format);
}

QTextCharFormat CFTDefComponentText::style() const
{
    QTextCursor cursor(mpText.getDefValue());
    cursor.setPosition(mpText.getDefValue()->isEmpty() ? 0 : 1);
    return cursor.charFormat();
}

void CFTDefComponentText::mergeStyle(const QTextCharFormat &attributes)
{
    mergeOver(mpText.getDefValue(), attributes);
    if (!mpText.isEmpty())
        mergeOver(mpText.getContents(), attributes);
}

void CFTDefComponentText::setTextColor(const CDDColor &color)
{
    const QColor qcolor = color.toQColor();
    if (!qcolor.isValid())
        return;
    QTextCharFormat format;
    format.setForeground(qcolor);
    mergeStyle(format);
}

double CFTDefComponentText::getDefXSpacing() const
{
    const QTextCharFormat format = style();
    return QFontMetricsF(format.font()).horizontalAdvance(mpText.getDefValue()->toPlainText());
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
    setTextColor(*color);
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

// --- The default text's style -------------------------------------------------------------------

void CFTDefComponentText::SetFont(const PWFont &font)
{
    QTextCharFormat format;
    font.applyTo(&format);
    mergeStyle(format);
}

void CFTDefComponentText::SetFontAttr(const QTextCharFormat &attributes)
{
    mergeStyle(attributes);
}

std::optional<PWFont> CFTDefComponentText::GetFont(bool *mixed) const
{
    if (mixed)
        *mixed = false;
    const QTextCharFormat format = style();
    return PWFont::fromQFont(format.font(), format.stringProperty(PWTextAttributes::PostScriptFontName));
}

std::optional<QTextCharFormat> CFTDefComponentText::GetFontAttr(bool *mixed) const
{
    if (mixed)
        *mixed = false;
    return style();
}

void CFTDefComponentText::IncreaseFontSize()
{
    ChangeFontSize(1.0);
}

void CFTDefComponentText::DecreaseFontSize()
{
    ChangeFontSize(-1.0);
}

void CFTDefComponentText::ChangeFontSize(double delta)
{
    SetFontSize(fontSizeOf(style()) + delta);
}

void CFTDefComponentText::SetFontSize(double size)
{
    if (!std::isfinite(size))
        return;
    QTextCharFormat format;
    format.setFontPointSize(std::max(size, kMinimumFontSize));
    mergeStyle(format);
}

void CFTDefComponentText::updateFontSizeWithKoeff(double factor)
{
    if (factor > 0.0)
        SetFontSize(fontSizeOf(style()) * factor);
}

void CFTDefComponentText::raiseBaseline()
{
    setBaseline(float(style().doubleProperty(PWTextAttributes::BaselineOffset) + 0.1));
}

void CFTDefComponentText::lowerBaseline()
{
    setBaseline(float(style().doubleProperty(PWTextAttributes::BaselineOffset) - 0.1));
}

void CFTDefComponentText::loosenKerning()
{
    setKerning(float(style().doubleProperty(PWTextAttributes::Kerning) + 0.1));
}

void CFTDefComponentText::tightenKerning()
{
    setKerning(float(style().doubleProperty(PWTextAttributes::Kerning) - 0.1));
}

void CFTDefComponentText::setBaseline(float baseline)
{
    QTextCharFormat format;
    format.setProperty(PWTextAttributes::BaselineOffset, double(baseline));
    mergeStyle(format);
}

void CFTDefComponentText::setKerning(float kerning)
{
    QTextCharFormat format;
    format.setProperty(PWTextAttributes::Kerning, double(kerning));
    mergeStyle(format);
}

bool CFTDefComponentText::IsEqualFont(const PWFont &font)
{
    const std::optional<PWFont> own = GetFont(nullptr);
    return own && own->postScriptName() == font.postScriptName() && own->pointSize() == font.pointSize();
}

bool CFTDefComponentText::IsEqualFontAttr(const QTextCharFormat &attributes)
{
    return style() == attributes;
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
        archive.SetData(key_TextStorage, mpText);
        return true;
    }

    archive.GetData(key_FillBackground, &m_bFillBack);
    archive.GetData(key_BackColor, mBackColor);
    archive.GetData(key_Color, mColor);
    archive.GetData(key_Shadow, &m_bShadowed);
    int alignment = int(m_alignment);
    if (archive.GetData(key_HorizontalAlignment, &alignment))
        m_alignment = textAlignment(alignment);
    PWFont font;
    if (archive.GetData(key_Font, &font))
        SetFont(font);
    setTextColor(mColor);
    // Read last, so that the stored text's own styling wins.
    archive.GetData(key_TextStorage, mpText);
    return true;
}
