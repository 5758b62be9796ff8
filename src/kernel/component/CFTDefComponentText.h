#pragma once

#include "kernel/component/CFTComponent.h"
#include "kernel/render/CDDText.h"

// The attributes new texts start with: background colour and whether it is painted, text colour
// (the inherited colour), alignment, shadow, the styled default text (font, size, colour,
// baseline, kerning) and the address type of new address texts. A prototype, never placed on a
// side; it saves only these keys. Its text has no characters: the style lives in the text's
// placeholder, which is what an empty text saves.
class CFTDefComponentText : public CFTComponent
{
public:
    CFTDefComponentText();
    ~CFTDefComponentText() override;

    // Opaque black text in the environment's default font.
    void Init();
    // The default character spacing of the default text: what new texts are measured with.
    double getDefXSpacing() const;

    const CDDColor *GetFillColor() const override;
    void SetFillColor(const CDDColor *color) override;
    const CDDColor *GetStrokeColor() const override;
    void SetStrokeColor(const CDDColor *color) override;
    bool canFill() const override;
    bool canStrok() const override;
    bool IsShadowed() const override;
    void SetShadow(bool shadow) override;
    void SetHaveBackColor(bool haveBackColor) override;
    bool GetHaveBackColor() const override;
    void SetAlignment(textAlignment alignment) override;
    textAlignment GetAlignment() const override;
    addressType GetAddressType() const override;
    void SetAddressType(addressType type) override;
    CDDText *GetText() override;
    bool isFieldEditor() override;

    void SetFont(const PWFont &font) override;
    void SetFontAttr(const QTextCharFormat &attributes) override;
    std::optional<PWFont> GetFont(bool *mixed) const override;
    std::optional<QTextCharFormat> GetFontAttr(bool *mixed) const override;
    void IncreaseFontSize() override;
    void DecreaseFontSize() override;
    void raiseBaseline() override;
    void lowerBaseline() override;
    void loosenKerning() override;
    void tightenKerning() override;
    void setBaseline(float baseline) override;
    void setKerning(float kerning) override;
    void ChangeFontSize(double delta) override;
    void SetFontSize(double size) override;
    bool IsEqualFont(const PWFont &font) override;
    bool IsEqualFontAttr(const QTextCharFormat &attributes) override;
    void updateFontSizeWithKoeff(double factor) override;

    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;

private:
    bool m_bFillBack = false;
    CDDColor mBackColor;
    textAlignment m_alignment = taLeft;
    bool m_bShadowed = false;
    CDDText mpText {false};
    addressType m_addressType = adMain;
};
