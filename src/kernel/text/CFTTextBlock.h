#pragma once

#include "kernel/base/CDDColor.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTACoreView.h"
#include "kernel/text/CDDTextBlock.h"

// One frame of flowing text: the common component behaviour around a text block whose container
// takes the next stretch of a text shared with the blocks linked to it. Its chain ports are the
// in-port (dot 29) on the left edge a sixth down and the out-port (dot 31) on the right edge five
// sixths down. The text itself is saved by the chain's owner, never by a block.
class CFTTextBlock : public CFTComponent
{
public:
    static constexpr int kInPort = 29;
    static constexpr int kOutPort = 31;
    // How far below its predecessor a continuation block is placed.
    static constexpr double kContinuationOffset = 180.0 + 50.0;

    CFTTextBlock(std::shared_ptr<CCBlockLayoutManager> manager, int front);
    CFTTextBlock(double x, double y, std::shared_ptr<CCBlockLayoutManager> manager, int front);
    CFTTextBlock(double x, double y, double width, double height, std::shared_ptr<CCBlockLayoutManager> manager,
                 int front);
    // The continuation of a block: below it, its size, its layout (last in the chain) and colours.
    explicit CFTTextBlock(const CFTTextBlock *previous);
    ~CFTTextBlock() override;

    compType getType() const override { return ctTextBlock; }
    classID getClassID() const override { return ciTextBlock; }
    CFTComponent *PickMe(double x, double y, bool &selected, double tolerance, actionType &action, int mode) override;
    int PickMyDot(double x, double y, double dotSize) override;
    int getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double tolerance) override;
    void StartOperation(operMode mode, const CFTACoreView *view, int unused, int handle) override;
    void EndOperation(operMode mode) override;
    void Move(double dx, double dy, const CFTACoreView *view) override;
    void MoveDot(int &handle, double dx, double dy, const CFTACoreView *view) override;
    void Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool flag1,
              bool flag2) override;
    void DrawSelection(CDDDrawer *drawer, const CFTACoreView *view) override;
    void DrawSelection(CDDDrawer *drawer, const CFTACoreView *view, bool inLinked, bool outLinked);
    void updateCoordWithKoeff(double kx, double ky, double unused1, double unused2) override;
    void SetSize(double width, double height) override;
    void SetAngle(double angle) override;
    const CDDColor *GetFillColor() const override { return &mBackColor; }
    const CDDColor *GetTextColor() const override { return &mTextColor; }
    void SetTextColor(const CDDColor *color) override;
    void MarkAsDropDestination(bool mark) override { m_bDropDestination = mark; }
    bool IsFilled() override { return m_bFillBack; }
    bool canFill() const override { return true; }
    bool canStrok() const override { return true; }
    bool canSetText() override { return true; }
    void SetFilled(bool filled) override { m_bFillBack = filled; }
    void SetFillColor(const CDDColor *color) override;
    void SetHaveBackColor(bool fill) override { m_bFillBack = fill; }
    bool GetHaveBackColor() const override { return m_bFillBack; }
    void selectAll() override {}
    void startEditText(QObject *view, QObject *editor) override;
    CFTComponent *endEditText(QObject *editor) override;
    void NeedAutoExpand() override {}
    void SetAlignment(textAlignment alignment) override { mBlock.SetAlignment(alignment); }
    textAlignment GetAlignment() const override { return mBlock.GetAlignment(); }
    void SetListType(listType type) override { mBlock.SetListType(type); }
    listType GetListType() const override { return listType(mBlock.GetListType()); }
    void SetSpacingCharacter(float value) override { mBlock.SetSpacingCharacter(value); }
    float GetSpacingCharacter() const override { return mBlock.GetSpacingCharacter(); }
    void SetSpacingLine(float value) override { mBlock.SetSpacingLine(value); }
    float GetSpacingLine() const override { return mBlock.GetSpacingLine(); }
    void SetSpacingBeforeParagraph(float value) override { mBlock.SetSpacingBeforeParagraph(value); }
    float GetSpacingBeforeParagraph() const override { return mBlock.GetSpacingBeforeParagraph(); }
    void SetSpacingAfterParagraph(float value) override { mBlock.SetSpacingAfterParagraph(value); }
    float GetSpacingAfterParagraph() const override { return mBlock.GetSpacingAfterParagraph(); }
    bool IsHyphenation() const override { return mBlock.IsHyphenation(); }
    void SetHyphenation(bool on) override { mBlock.SetHyphenation(on); }
    void SetInsetOffset(double inset) override { mBlock.SetInsetOffset(inset); }
    double GetInsetOffset() const override { return mBlock.GetInsetOffset(); }
    void SetFont(const PWFont &font) override { mBlock.SetFont(font); }
    void SetFontAttr(const QTextCharFormat &attributes) override { mBlock.SetFontAttr(attributes); }
    std::optional<QTextCharFormat> GetFontAttr(bool *mixed) const override { return mBlock.GetFontAttr(mixed); }
    std::optional<PWFont> GetFont(bool *mixed) const override;
    void IncreaseFontSize() override { mBlock.IncreaseFontSize(); }
    void DecreaseFontSize() override { mBlock.DecreaseFontSize(); }
    void raiseBaseline() override { mBlock.raiseBaseline(); }
    void lowerBaseline() override { mBlock.lowerBaseline(); }
    void outline() override { mBlock.outline(); }
    void underline() override { mBlock.underline(); }
    void AnchorText() override { mBlock.AnchorText(); }
    bool canChangeTextStyle() const override { return true; }
    int numberOfDataFields() const override { return mBlock.numberOfDataFields(); }
    bool containDataFields() const override { return mBlock.containDataFields().has_value(); }
    void setHighlightedDataField(textTagAttribute field) override { mBlock.SetHighlightedDataField(field); }
    textTagAttribute getHighlightedDataField() const override { return textTagAttribute(mBlock.GetHighlightedDataField()); }
    using CFTComponent::SetString;
    void SetString(const CDDString &text) override;
    QTextDocument *GetTextData() override { return mBlock.getContents(); }
    using CFTComponent::SetObjectData;
    // The whole shared text becomes the given styled text; nothing for none.
    void SetObjectData(const PWAttributedString *text);
    const CFTComponent *isTextEqual(const QTextDocument *storage) const override;
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;
    bool isEditing() const override { return m_bIsEditing; }

    CDDTextBlock *getDDTextBlock() { return &mBlock; }
    const CDDTextBlock *getDDTextBlock() const { return &mBlock; }
    const std::shared_ptr<CCBlockLayoutManager> &getLayoutManager() const { return mBlock.getLayoutManager(); }
    CCTextExtContainer *getContainer() const { return mBlock.getContainer(); }
    void setChainEnds(bool first, bool last)
    {
        m_bFirstInChain = first;
        m_bLastInChain = last;
    }
    void alignEditor() { mBlock.alignEditorFrame(mdAngle, mdOriginX, mdOriginY, mdSizeX, mdSizeY); }
    // A press at the page point puts the editor's caret at the character under it; showRuler
    // also shows the editor's ruler.
    void activateEditor(QPointF pagePoint, bool showRuler);
    // Whether the view holding the design shows its rulers, so the editor should show its own.
    bool needRulers(const CFTACoreView *view) const { return view && view->rulersVisible(); }
    bool copyAttributesToString(PWAttributedString *target) const { return mBlock.copyAttributesToString(target); }
    // The list upkeep of typing: the storage processed an edit, the editor's text changed. The
    // component's own hooks of those names stay callable beside them.
    using CFTComponent::textDidChange;
    using CFTComponent::textDidProcessEditing;
    void textDidProcessEditing(int position, int removed, int added)
    {
        mBlock.textDidProcessEditing(position, removed, added);
    }
    void textDidChange() { mBlock.textDidChange(); }
    bool isDontAutoResize() const { return m_bDontAutoResize; }
    textAlignment storedAlignment() const { return m_alignment; }

private:
    void init(double width, double height);
    // The point turned into the frame's own, unturned axes.
    QPointF intoFrame(double x, double y) const;

    CDDTextBlock mBlock;
    bool m_bFillBack = false;
    CDDColor mBackColor;
    CDDColor mTextColor;
    bool m_bIsEditing = false;
    textAlignment m_alignment = taLeft;
    bool m_bDontAutoResize = false;
    bool m_bFirstInChain = false;
    bool m_bLastInChain = false;
    bool m_bDropDestination = false;
};
