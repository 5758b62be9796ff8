#pragma once

#include "kernel/base/CDDString.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/base/FTClassID.h"

#include <vector>

class CFTAText;
class CFTTextBlock;
class PWAttributedString;

// The extended text of older designs: one styled text that flowed through several rectangular
// blocks. It is never edited any more: loading turns the text each block showed into a plain
// address text ("Simple Text", work address) at the block's place and size, appended to the
// list before the extended text itself, which stays behind invisible and unpickable and is saved
// with the component keys only.
class CFTTextExt : public CFTComponent
{
public:
    CFTTextExt() = default;
    CFTTextExt(double, double) {}
    ~CFTTextExt() override;

    compType getType() const override { return ctTextBlock; }
    classID getClassID() const override { return ciExtendedText; }
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;
    int SerializeSelectedSubcomponents(std::vector<CDDArchive> &archives) override;

    // Nothing of it can be seen, picked or changed.
    CFTComponent *PickMe(double, double, bool &, double, actionType &, int) override { return nullptr; }
    CFTComponent *TestMe(double, double, bool &, double) override { return nullptr; }
    int PickMyDot(double, double, double) override { return 0; }
    bool isIntersectRect(double, double, double, double) override { return false; }
    void Draw(CDDDrawer *, bool, const CFTComponentsInterface *, bool, bool) override {}
    void DrawSelection(CDDDrawer *, const CFTACoreView *) override {}
    void SetAngle(double) override {}
    void Move(double, double, const CFTACoreView *) override {}
    void MoveDot(int &, double, double, const CFTACoreView *) override {}
    bool canFill() const override { return true; }
    bool canStrok() const override { return true; }
    bool canSetText() override { return true; }
    bool isEditing() const override { return false; }
    textAlignment GetAlignment() const override { return textAlignment(m_alignment); }
    bool hasTextContainer(const void *container) const override;
    // The containers its text flows through while it is laid out; the view finds the text that
    // asks for wrap outlines by them.
    void attachTextContainer(const void *container);
    void detachTextContainer(const void *container);

    bool hasStorage() const { return m_bHasStorage; }
    void SetFormatString(const CDDString &format) { mFormatString = format; }
    const CDDString &GetFormatString() const { return mFormatString; }
    void SetDelimeterString(const CDDString &delimiter) { mDelimiterString = delimiter; }
    const CDDString &GetDelimiterString() const { return mDelimiterString; }

    // The text each block shows, in block order, laid out without wrap outlines; text that fits
    // in no block is appended to the last block's share, so that none is lost.
    static std::vector<PWAttributedString> splitAmongBlocks(const PWAttributedString &text,
                                                            const std::vector<CFTTextBlock *> &blocks);

private:
    std::vector<const void *> m_textContainers;
    bool m_bHasStorage = false;
    int m_alignment = 0;
    CDDString mFormatString;
    CDDString mDelimiterString;
};
