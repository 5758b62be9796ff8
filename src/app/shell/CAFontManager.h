#pragma once

#include "platform/PWFont.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QTextCharFormat>

#include <optional>

class QFontDialog;

// The application's one font manager. Text commands ask it to convert the fonts of a selection:
// normally as the font panel's last choice says, and while the size override is on with the size
// it forces, absolute or added to each font's own size. It keeps the font panel in line with the
// selected text and tells the inspector the selected size.
class CAFontManager : public QObject
{
    Q_OBJECT
public:
    static CAFontManager &sharedFontManager();

    explicit CAFontManager(QObject *parent = nullptr);
    ~CAFontManager() override;

    // --- conversion ------------------------------------------------------------------------------
    // Off: the panel's last change applied to the font (family, style or size, whichever the user
    // changed), or the font as it is outside a panel action. On: the forced size.
    PWFont convertFont(const PWFont &font) const;
    // The same face at another size; sizes below the smallest a text takes are raised to it.
    PWFont convertFontToSize(const PWFont &font, double size) const;

    // --- the size override -------------------------------------------------------------------------
    void setConvertSizeIsAbsoluteSize(bool convertSize, bool isAbsoluteSize);
    // Kept in single precision, as the size controls hold it.
    void setFontSize(double size);
    bool getConvertSize() const { return _bConvertSize; }
    bool getIsAbsoluteSize() const { return _isAbsoluteSize; }
    float getFontSize() const { return _dSize; }

    // Sends the font change to the active text (the changeFont signal).
    void sendAction();
    // Whether any text listens for font changes; until one does, size commands have nothing to
    // change.
    bool hasTextReceiver() const;
    // A size change of the selection in one call: the override on, the action sent, the override
    // off again, also when a receiver of the action throws.
    void sendActionWithSize(double size, bool isAbsoluteSize);

    // --- selection and panel ---------------------------------------------------------------------
    // The font of the first selected text; its size goes to the inspector's size controls.
    void setSelectedFont(const PWFont &font, bool isMultiple);
    const std::optional<PWFont> &selectedFont() const { return m_selectedFont; }
    bool isMultiple() const { return m_isMultiple; }
    // The text attributes of the first selected text; isMultiple: they differ within the
    // selection. Told before the font.
    void setSelectedAttributesIsMultiple(const QTextCharFormat &attributes, bool isMultiple);
    const std::optional<QTextCharFormat> &selectedAttributes() const { return m_selectedAttributes; }
    bool attributesAreMultiple() const { return m_attributesMultiple; }

    // A font chosen in the panel: what differs from the selected font is applied to every
    // converted font while the action is sent. An effect switched on or off in the panel
    // (underline, strike-out) is an attribute change instead, holding that effect alone.
    void modifyFontViaPanel(const QFont &chosen);

    void orderFrontFontPanel();
    void closeFontPanel();
    bool isFontPanelVisible() const;
    // Made on first use, with no parent: it floats beside the document windows.
    QFontDialog *fontPanel();

Q_SIGNALS:
    // The font change for the active text; receivers convert their fonts through the sender.
    void changeFont(CAFontManager *sender);
    // Text attributes the panel changed for the active text: only the properties the format
    // holds change.
    void changeAttributes(const QTextCharFormat &attributes);
    // The size of the selected font, for the size controls of the inspector.
    void selectedFontSizeChanged(double pointSize);

private:
    std::optional<QTextCharFormat> m_selectedAttributes;
    bool m_attributesMultiple = false;
    struct PanelChange
    {
        std::optional<QString> family;
        std::optional<QFont::Weight> weight;
        std::optional<bool> italic;
        std::optional<double> size;
    };

    bool _bConvertSize = false;
    float _dSize = 0.0f;
    bool _isAbsoluteSize = false;

    std::optional<PWFont> m_selectedFont;
    bool m_isMultiple = false;
    std::optional<PanelChange> m_panelChange;
    // The effects the panel shows, to tell an effect switched from a font chosen.
    bool m_panelUnderline = false;
    bool m_panelStrikeOut = false;
    QPointer<QFontDialog> m_fontPanel;
};
