#pragma once

#include "kernel/base/CDDString.h"
#include "kernel/base/FTComponentTypes.h"
#include "kernel/text/CFTAText.h"

#include <QObject>

class CAddressFormat;

// One field of an address block: a text bound to a person field (text category), a side
// (recipient or sender), an address type and a field mode. While its text is empty and it is not
// being edited it shows, measures and hit-tests a grey label instead. Panels own their fields;
// counters, file-data fields and barcode fields build on it.
class CFTAAddressText : public CFTAText
{
public:
    // Spacing styles after a field, from the country of the panel's format.
    static constexpr int kCountryStyleUS = 0;
    static constexpr int kCountryStyleOther = 1;
    static constexpr int kCountryStyleCanada = 2;

    CFTAAddressText(bool toFrom, textCategory category, addressType type, const CDDString *label,
                    const CFTComponent *parent);
    explicit CFTAAddressText(const CFTComponent *parent);
    CFTAAddressText(double x, double y, textCategory category, const CDDString *label, CFTComponent *parent);
    ~CFTAAddressText() override;

    // --- Added operations ---------------------------------------------------------------------
    virtual const CDDText *getLabel() const { return &mLabel; }
    virtual double GetPaddedLeftSizeX() const { return 0.0; }
    // The room a row leaves after this field (country-specific between City, State and ZIP).
    virtual double GetPaddedRightSizeX() const;
    virtual double GetPaddedTopSizeY() const { return 0.0; }
    virtual double GetPaddedBottomSizeY() const { return 0.0; }
    virtual void setLabelColor(const CDDColor &) {}
    virtual bool isEnabled(bool showAll) const;
    virtual void setTouched(bool touched) { m_bTouched = touched; }

    bool isEnumMark() const { return m_bEnumMark; }
    void setEnumMark(bool mark) { m_bEnumMark = mark; }
    int getCountryStyle() const { return m_countryStyle; }
    // Editing entered by Tab from the panel; toFrom is the panel's side.
    void startEditText(QObject *view, QObject *editor, bool toFrom);

    // --- Component operations -----------------------------------------------------------------
    compType getType() const override { return ctAddressText; }
    classID getClassID() const override { return ciAddressText; }
    CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode) override;
    bool GetToFrom() const override { return m_bToFrom; }
    void SetToFrom(bool toFrom) override { m_bToFrom = toFrom; }
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool highlighted,
              bool printing) override;
    void updateFontSizeWithKoeff(double factor) override;
    void selectAll() override;
    void startEditText(QObject *view, QObject *editor) override;
    CFTComponent *endEditText(QObject *editor) override;
    void ExpandByText() override;
    int setFormat(const CAddressFormat *format, int location) override;
    void SetAlignment(textAlignment alignment) override;
    void SetFont(const PWFont &font) override;
    void SetFontAttr(const QTextCharFormat &attributes) override;
    void MergeFontAttr(const QTextCharFormat &changed) override;
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
    textCategory GetTextCategory() const override { return m_textCategory; }
    CFTComponent *SetTextCategory(textCategory category, const CDDString *label) override;
    CFTComponent *GetObjectForTextCategory(textCategory category) override;
    const CFTComponent *GetObjectForTextCategory(textCategory category) const override;
    int GetContainTextCategories(textCategory *categories, int maximum) override;
    addressType GetAddressType() const override { return m_addressType; }
    void SetAddressType(addressType type) override { m_addressType = type; }
    bool IsPreferredAddress() const override { return m_bPreferred; }
    void SetPreferredAddress(bool preferred) override { m_bPreferred = preferred; }
    void setMode(fieldMode mode) override { m_fieldMode = mode; }
    fieldMode getMode() override { return m_fieldMode; }
    bool canGroup() override { return true; }
    void SetString(const CDDString &text) override;
    void SetString(bool toFrom, textCategory category, addressType type, const CDDString &text,
                   textCategory linkCategory, bool append) override;
    void setLabel(const CDDString &label) override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;
    bool isFieldEditor() override { return true; }
    void snapshotObject() override;
    void restoreObject() override;
    void Copy(const CFTComponent *other) override;
    void SetMinMax(int dot) override;

    // The baseline the panel aligns a row on, measured on the label while the text is empty.
    double GetBaseLineOffset() const;

    // --- Punctuation of a panel ------------------------------------------------------------------
    // A panel puts its format's delimiter after a field (the comma after a city) and takes it
    // away again as the row's other fields fill and empty: that is the panel's, never the
    // person's. The field keeps its own text beside the one shown while the shown one is still
    // what the panel or the person made it.

    // The delimiter the panel's format puts after this field.
    void setFormatDelimiter(const QString &delimiter) { m_formatDelimiter = delimiter; }
    const QString &formatDelimiter() const { return m_formatDelimiter; }
    // The panel's punctuation shows the text so; the field's own text stays as it was.
    void setPunctuatedString(const CDDString &shown);
    // The text a person takes from the field: its own text while the text shown is still the
    // punctuated one; a text put there by other means (read from a file, put back by an undo)
    // less a trailing delimiter of the format.
    QString personString() const;
    // The field shows its own text, without the panel's punctuation: what is typed into it then
    // is the person's exactly.
    void showOwnString();
    // Typing starts on the text as shown, the panel's delimiter after it included: a delimiter the
    // user does not delete while typing stays, and stays the panel's (the person takes the text
    // without it, and the panel goes on punctuating the field); one the user deletes is gone, and
    // what the user types in its place is the user's.
    void watchPunctuationWhileTyping();
    // Set once the user has typed into the field: the panel's delimiter rule then leaves the
    // text as typed, comma or not, until the panel's format is applied again or a person fills
    // the field with another text.
    bool isResetFormatRules() const { return m_bResetFormatRules; }
    void resetFormatRules(bool reset) { m_bResetFormatRules = reset; }
    // The text about to be shown is the field's own, exactly (a typed text put back by an undo
    // or a redo): its person takes it as it is, a trailing delimiter included.
    void keepOwnStringAs(const QString &text) { keepOwnString(text, text); }
    // Read back with a design: the text the stored person holds for the field is its own where
    // the field shows that text, or that text with the format's delimiter after it.
    void adoptPersonString(const QString &person);
    // What the field showed before a person first filled it: the design's own text. A print
    // copy serves one person after another, and keeps the comma the design shows after the
    // field for each of them, not the one the person before left.
    CDDString textBeforeFirstFill() const { return m_bFilled ? m_textBeforeFill : mText.getDDString(); }
    // Whether that text was typed (isResetFormatRules()): its punctuation is the user's for that
    // text alone.
    bool typedBeforeFirstFill() const { return m_bFilled ? m_bTypedBeforeFill : m_bResetFormatRules; }
    // What the field knows of its own text beside the one shown, and whether it was typed: with
    // the text itself, what an undo gives back for the field to be exactly as it was.
    struct OwnText
    {
        QString own;
        QString punctuated;
        bool known = false;
        bool typed = false;
    };
    OwnText ownText() const { return {m_ownText, m_punctuatedText, m_bOwnTextKnown, m_bResetFormatRules}; }
    void restoreOwnText(const OwnText &kept);
    // The letters a person gave the field beneath the capitals it shows them in: typing in place
    // starts from them while the field still shows that person's text.
    void setPersonLetters(const QString &letters) { m_personLetters = letters; }
    // What a person takes from the field (personString()) in the letters typed, never the capitals
    // the field shows them in.
    QString personLetters() const;

protected:
    QString lettersBeneathCapitals() const override;
    // The text shown, measured and hit-tested: the label while empty and not editing.
    const CDDText &shownText() const;

    bool m_bEnumMark = false;
    CDDText mLabel;
    fieldMode m_fieldMode = fmWhenFilled;
    textCategory m_textCategory = tcSimpleText;
    bool m_bToFrom = true;
    addressType m_addressType = adWork;
    bool m_bPreferred = true;
    int m_countryStyle = kCountryStyleOther;

private:
    void init(const CFTComponent *parent);
    // Names a field of a current design whose stored category is -1, which no writer stores for a
    // field (the reading never takes it): it keeps its class's own.
    void noteNoCategory(const CDDArchive &archive) const;
    // The text is the field's own, shown as it is.
    void keepOwnString(const QString &own, const QString &shown);
    bool ownStringKnown() const;
    void replaceShownString(const CDDString &shown);

    QString m_formatDelimiter;
    QString m_ownText;
    QString m_punctuatedText;
    bool m_bOwnTextKnown = false;
    bool m_bReplacingShown = false;
    bool m_bResetFormatRules = false;
    bool m_bFilled = false;
    bool m_bTypedBeforeFill = false;
    // While typing: where the panel's delimiter stands in the text (-1 once deleted or none).
    QMetaObject::Connection m_typingWatch;
    qsizetype m_delimiterAt = -1;
    CDDString m_textBeforeFill;
    std::optional<QString> m_personLetters;
    void beginEditing(QObject *view, QObject *editor);
};
