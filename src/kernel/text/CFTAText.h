#pragma once

#include <optional>

#include <QPointer>

#include "kernel/component/CFTComponent.h"
#include "kernel/render/CDDText.h"

// A free text on a design: a frame (origin, size and angle of the component) holding one styled
// text, with a background fill, a text colour, a horizontal alignment, two width handles that
// never make the frame narrower than the text, and a fit of the frame to the text. Address
// texts, barcode, counter, file-data and smart fields build on it.
class CFTACapitalsTyping;

class CFTAText : public CFTComponent
{
public:
    explicit CFTAText(const CFTComponent *defComponent, bool circleText = false);
    CFTAText(double x, double y, double width, double height, const CFTComponent *defComponent,
             bool circleText = false);
    // At (x, y), as small as the text allows.
    CFTAText(double x, double y, const CFTComponent *defComponent, bool circleText = false);
    ~CFTAText() override;

    // Registers the text classes ("Text", "Titled Text" made as "Text", "Smart Field") with the
    // class-ID factory; the application calls it once at start-up.

    // --- Added operations ---------------------------------------------------------------------
    virtual void SetAttributedString(const PWAttributedString &text);
    virtual void SetMinMax(int dot);
    virtual void TextStartMoveDot(int dot);
    virtual double TextMoveDotX(int dot, double dx);
    virtual double TextMoveDotY(int dot, double dy);
    virtual bool onRightSide() const { return true; }
    virtual bool SerializeText(const CDDArchive &archive);

    // --- Component operations -----------------------------------------------------------------
    float getMinSnapXFrom() const override { return float(mdOriginX); }
    compType getType() const override { return ctText; }
    classID getClassID() const override { return ciText; }
    CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode) override;
    int PickMyDot(double x, double y, double tolerance) override;
    int getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double tolerance) override;
    void StartOperation(operMode mode, const CFTACoreView *view, int unused, int handle) override;
    void MoveDot(int &handle, double dx, double dy, const CFTACoreView *view) override;
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool flag1,
              bool flag2) override;
    void DrawSelection(CDDDrawer *drawer, const CFTACoreView *view) override;
    void updateCoordWithKoeff(double kx, double ky, double unused1, double unused2) override;
    void updateFontSizeWithKoeff(double factor) override;
    void SetOrigin(double x, double y) override;
    void SetAngle(double angle) override;
    const CDDColor *GetFillColor() const override { return &mBackColor; }
    const CDDColor *GetTextColor() const override { return &mTextColor; }
    void SetTextColor(const CDDColor *color) override;
    bool IsFilled() override { return m_bFillBack; }
    bool canFill() const override { return true; }
    bool canSetText() override { return true; }
    void SetFilled(bool filled) override;
    void SetFillColor(const CDDColor *color) override;
    void SetHaveBackColor(bool haveBackColor) override { m_bFillBack = haveBackColor; }
    bool GetHaveBackColor() const override { return m_bFillBack; }
    void selectAll() override;
    void SetMaxSizeForJapan(double x, double y, double width, double height) const override;
    void startEditText(QObject *view, QObject *editor) override;
    CFTComponent *endEditText(QObject *editor) override;
    void ExpandByText() override;
    void NeedAutoExpand() override { m_bNeedAutoExpand = true; }
    void SetAlignment(textAlignment alignment) override;
    textAlignment GetAlignment() const override { return m_alignment; }
    void SetSpacingCharacter(float spacing) override { mText.SetSpacingCharacter(spacing); }
    float GetSpacingCharacter() const override { return mText.GetSpacingCharacter(); }
    void SetSpacingLine(float spacing) override { mText.SetSpacingLine(spacing); }
    float GetSpacingLine() const override { return mText.GetSpacingLine(); }
    void SetSpacingBeforeParagraph(float spacing) override { mText.SetSpacingBeforeParagraph(spacing); }
    float GetSpacingBeforeParagraph() const override { return mText.GetSpacingBeforeParagraph(); }
    void SetSpacingAfterParagraph(float spacing) override { mText.SetSpacingAfterParagraph(spacing); }
    float GetSpacingAfterParagraph() const override { return mText.GetSpacingAfterParagraph(); }
    void SetFont(const PWFont &font) override;
    void SetFontAttr(const QTextCharFormat &attributes) override;
    void MergeFontAttr(const QTextCharFormat &changed) override;
    std::optional<PWFont> GetFont(bool *mixed) const override { return mText.GetFont(mixed); }
    std::optional<QTextCharFormat> GetFontAttr(bool *mixed) const override { return mText.GetFontAttr(mixed); }
    void IncreaseFontSize() override;
    void DecreaseFontSize() override;
    void raiseBaseline() override;
    void lowerBaseline() override;
    void loosenKerning() override;
    void tightenKerning() override;
    void setBaseline(float baseline) override;
    void setKerning(float kerning) override;
    bool canChangeTextStyle() const override { return true; }
    void ChangeFontSize(double delta) override;
    void SetFontSize(double size) override;
    bool IsEqualFont(const PWFont &font) override { return mText.IsEqualFont(font); }
    bool IsEqualFontAttr(const QTextCharFormat &attributes) override { return mText.IsEqualFontAttr(attributes); }
    void setRepresentationType(objectRepType type, bool apply) override;
    using CFTComponent::SetString;
    void SetString(const CDDString &text) override;
    CDDText *GetText() override { return &mText; }
    QTextDocument *GetTextData() override { return mText.getContents(); }
    const CFTComponent *isTextEqual(const QTextDocument *storage) const override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;
    bool isEditing() const override { return m_bIsEditing; }
    bool isFieldEditor() override { return false; }
    using CFTComponent::SetValue;
    void Reset() override {}
    void Clear() override {}
    void Next() override {}
    void SetValue(int) override {}
    void snapshotObject() override;
    void restoreObject() override;
    void Copy(const CFTComponent *other) override;

    // --- Not virtual --------------------------------------------------------------------------
    CDDString GetString() const { return mText.getDDString(); }
    const CDDText *getDDText() const { return &mText; }
    double getContOffsetX() const { return mText.getContOffsetX(); }
    double getContSizeY() const { return mText.getContSizeY(); }
    void SetMinMaxSize(int dot, const CDDText *text);
    void ExpandBySize(double needWidth, double needHeight);
    double CorrectVectorX(double dx) const;
    double CorrectVectorY(double dy) const;
    double GetBaseLineOffset() const { return mText.GetBaseLineOffset() + mdOriginY; }
    void AlignEditorFrame();
    void setDefText(const PWAttributedString &text);
    bool IsTouched() const { return m_bTouched; }

    // --- Capitals ------------------------------------------------------------------------------
    // A text shown in capitals keeps the characters as typed beside them, for as long as it shows
    // exactly those in capitals: unticking gives them back, and a save writes them under
    // "Typed Text" beside the capitals (older readers take the capitals and leave the key).
    // storedAsTyped: the file held the typed characters themselves (files from elsewhere), and a
    // save writes them so again.
    struct TypedCharacters
    {
        std::optional<QString> typed;
        bool storedAsTyped = false;
        bool operator==(const TypedCharacters &) const = default;
    };
    TypedCharacters typedCharacters() const { return {m_typedText, m_bTypedStoredAsText}; }
    void restoreTypedCharacters(const TypedCharacters &kept);
    // The characters as the user typed them: those kept while the text shows them in capitals,
    // else the text's own.
    QString typedString() const;

protected:
    // A text read with "show in capitals" among the bits of its representation shows its own
    // characters in capitals, each run in its style, as setting it does (files from elsewhere
    // store them as typed). The characters as typed stay the file's: a save writes them for as
    // long as the text shows them in capitals unchanged, whatever else of it changed.
    void showInCapitalsAsAsked();
    // Writes the text under "Text Storage 2" and, while it shows capitals over other characters
    // typed, those under "Typed Text" (or, read so, under "Text Storage 2" in place of the
    // capitals).
    void storeText(const CDDArchive &archive);
    // Takes "Typed Text" when it is what the text read shows in capitals.
    void readTypedCharacters(const CDDArchive &archive);

    CDDText mText;
    bool m_bFillBack = false;
    CDDColor mBackColor;
    CDDColor mTextColor;
    bool m_bIsEditing = false;
    textAlignment m_alignment = taLeft;
    double mdMoveDotX = 0.0;
    double mdMoveDotY = 0.0;
    double mdMinX = 0.0;
    double mdMinY = 0.0;
    double mdMaxX = 0.0;
    double mdMaxY = 0.0;
    bool m_bTouched = false;
    bool m_bNeedAutoExpand = false;
    // The characters as typed, while the text shows them in capitals.
    std::optional<QString> m_typedText;
    bool m_bTypedStoredAsText = false;

protected:
    // The characters beneath the capitals the text shows, as long as its text, when an edit in place
    // begins: those kept as typed, else the letters unticking would give.
    virtual QString lettersBeneathCapitals() const;

private:
    void init(const CFTComponent *defComponent);
    // Turns the frame so that its centre, moved from oldCentre by a change made in the frame's
    // own axes, lands where that change puts it on the page.
    void keepTurnedCentre(double oldCentreX, double oldCentreY);
    // Whether the characters kept as typed are the ones the text shows in capitals.
    bool typedStillShown() const;
    // An edit in place of a text shown in capitals works on the characters typed (CFTACapitalsTyping).
    void beginCapitalsTyping();
    void finishCapitalsTyping();
    QPointer<CFTACapitalsTyping> m_capitalsTyping;
    TypedCharacters m_typedBeforeEdit;
    // Each character replaced by the one at its place in letters (as long as the text), each run
    // keeping its style.
    void replaceLettersKeepingRuns(const QString &letters);
};
