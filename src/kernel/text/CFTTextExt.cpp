#include "kernel/text/CFTTextExt.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/render/CDDArchiveText.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDWrittenShape.h"
#include "kernel/render/CDDText.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/text/CCTextExtContainer.h"
#include "kernel/text/CFTAText.h"
#include "kernel/text/CFTTextBlock.h"

#include <QTextDocument>

#include <algorithm>

namespace {

// The share of the text between two character indexes.
PWAttributedString slice(const PWAttributedString &text, qsizetype from, qsizetype to)
{
    PWAttributedString part;
    for (const PWAttributedString::Run &run : text.runs()) {
        const qsizetype start = std::max(run.start, from);
        const qsizetype end = std::min(run.start + run.length, to);
        if (end > start)
            part.append(text.string().mid(start, end - start), run.charFormat, run.blockFormat);
    }
    return part;
}

// A block's share ends where the next block's begins; the paragraph end between them belongs to
// neither plain text.
PWAttributedString withoutTrailingLineEnd(const PWAttributedString &text)
{
    if (!text.string().endsWith(u'\n'))
        return text;
    return slice(text, 0, text.length() - 1);
}

textAlignment alignmentOf(const PWAttributedString &text)
{
    if (text.runs().isEmpty())
        return taLeft;
    const Qt::Alignment alignment = text.runs().first().blockFormat.alignment();
    if (alignment & Qt::AlignRight)
        return taRight;
    if (alignment & Qt::AlignHCenter)
        return taCenter;
    if (alignment & Qt::AlignJustify)
        return taJustified;
    return taLeft;
}

// A block lacking what a block's writer writes (its frame above all, without which the text
// flows past it into the others) is named, like any component's.
void noteBlockGaps(const CDDArchive &entry, CFTTextBlock &block)
{
    const PWPlist stored = entry.getDict();
    if (!stored.isDictionary() || !entry.readReport())
        return;
    const auto writtenBy = [](CFTTextBlock &writer) {
        CDDArchive writing(true);
        writer.Serialize(writing, nullptr);
        const PWPlist written = writing.getDict();
        return written.isDictionary() ? written.toDictionary() : PWPlist::Dictionary();
    };
    CDDWrittenShape::noteGaps(entry, stored.toDictionary(), writtenBy(block),
                              [](const PWPlist::Dictionary &) { return false; },
                              QStringLiteral("a block of an extended text"));
}

} // namespace

CFTTextExt::~CFTTextExt() = default;

std::vector<PWAttributedString> CFTTextExt::splitAmongBlocks(const PWAttributedString &text,
                                                             const std::vector<CFTTextBlock *> &blocks)
{
    std::vector<PWAttributedString> shares;
    if (blocks.empty())
        return shares;
    const std::shared_ptr<CCBlockLayoutManager> &manager = blocks.front()->getLayoutManager();
    text.writeTo(manager->textStorage());
    // Every block lays its text out in a plain rectangle of its own size: no outlines, no inset.
    for (CFTTextBlock *block : blocks) {
        CCTextExtContainer *container = block->getContainer();
        container->setFTComponentsInterface(nullptr);
        container->setContainerSize(QSizeF(float(block->GetSizeX()), float(block->GetSizeY())));
        manager->textContainerChangedGeometry(container);
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        CCBlockLayoutManager::Range range = manager->glyphRangeForTextContainer(blocks[i]->getContainer());
        qsizetype end = range.end();
        // What fits in no block stays with the last, instead of being lost.
        if (i + 1 == blocks.size())
            end = text.length();
        shares.push_back(withoutTrailingLineEnd(slice(text, range.location, end)));
    }
    return shares;
}

bool CFTTextExt::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTComponent::Serialize(archive, nullptr);
    if (archive.isStoring())
        return true;

    // An absent text or list of blocks reads as empty; the text's reader names one it cannot take.
    CDDText stored;
    m_bHasStorage = archiveGetText(archive, key_TextStorage2, stored);
    // Another kind of value than a dictionary is named by the archive's getter.
    if (archive.value(key_Blocks).isDictionary())
        archive.noteValueUnread(key_Blocks, QStringLiteral("a list was expected; its text is printed nowhere"));
    const PWAttributedString text = m_bHasStorage ? stored.getAttributedString() : PWAttributedString();

    auto manager = std::make_shared<CCBlockLayoutManager>();
    std::vector<std::unique_ptr<CFTTextBlock>> blocks;
    CDDArchive entries(false);
    if (archive.GetData(key_Blocks, entries)) {
        for (int i = 0; i < entries.countObjectsInArray(); ++i) {
            auto block = std::make_unique<CFTTextBlock>(manager, 0);
            const CDDArchive entry = entries.objectAtIndexInArray(i);
            block->Serialize(entry, nullptr);
            noteBlockGaps(entry, *block);
            blocks.push_back(std::move(block));
        }
    }
    std::vector<CFTTextBlock *> chain;
    for (const auto &block : blocks)
        chain.push_back(block.get());
    const std::vector<PWAttributedString> shares = splitAmongBlocks(text, chain);

    for (std::size_t i = 0; i < blocks.size() && list; ++i) {
        const CFTTextBlock *block = blocks[i].get();
        std::unique_ptr<CFTComponent> made = FTComponentFactory::createComponent(ciAddressText, archive.getBundleVersion(), nullptr);
        if (!dynamic_cast<CFTAText *>(made.get()))
            made = FTComponentFactory::createComponent(ciText, archive.getBundleVersion(), nullptr);
        auto *converted = dynamic_cast<CFTAText *>(made.get());
        if (!converted)
            continue;
        converted->SetToFrom(false);
        converted->SetTextCategory(tcSimpleText, nullptr);
        converted->SetAddressType(adWork);
        converted->SetOrigin(block->GetOriginX() + mdOriginX, block->GetOriginY() + mdOriginY);
        converted->SetSize(block->GetSizeX(), block->GetSizeY());
        // A turned block keeps its turn: its text was shown turned.
        if (block->GetAngle() != 0.0)
            converted->SetAngle(block->GetAngle());
        converted->SetAlignment(alignmentOf(shares[i]));
        converted->SetAttributedString(shares[i]);
        list->push_back(made.release());
    }
    return true;
}

int CFTTextExt::SerializeSelectedSubcomponents(std::vector<CDDArchive> &archives)
{
    CDDArchive archive(true);
    Serialize(archive, nullptr);
    archives.push_back(archive);
    return 1;
}

bool CFTTextExt::hasTextContainer(const void *container) const
{
    return container && std::find(m_textContainers.begin(), m_textContainers.end(), container) != m_textContainers.end();
}

void CFTTextExt::attachTextContainer(const void *container)
{
    if (container && !hasTextContainer(container))
        m_textContainers.push_back(container);
}

void CFTTextExt::detachTextContainer(const void *container)
{
    std::erase(m_textContainers, container);
}
