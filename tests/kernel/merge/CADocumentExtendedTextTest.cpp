// Old designs holding extended texts open with their text as plain address texts, and keep it
// through a save and a second opening.
#include "kernel/merge/CADocument.h"

#include "TestSupport.h"

#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/base/FTClassID.h"
#include "kernel/text/CCBlockLayoutManager.h"
#include "kernel/text/CFTTextBlock.h"
#include "kernel/text/CFTTextExt.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList textsOf(const CADocument &document)
{
    QStringList texts;
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false)) {
        if (const auto *text = dynamic_cast<const CFTAAddressText *>(component))
            texts.append(text->GetString().getData());
    }
    return texts;
}

int extendedTexts(const CADocument &document)
{
    int count = 0;
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
        count += component->getClassID() == ciExtendedText ? 1 : 0;
    return count;
}

struct OpenCase
{
    const char *name;
    const char *file;
    QStringList texts;
};

class CADocumentExtendedTextTest : public testing::TestWithParam<OpenCase>
{
};

TEST_P(CADocumentExtendedTextTest, OpensWithItsTextSavesAndReopens)
{
    CADocument document;
    QString error;
    ASSERT_TRUE(document.readFromFile(pwtest::dataPath(u"extended-text/"_s + QString::fromLatin1(GetParam().file)), &error))
        << error.toStdString();
    EXPECT_EQ(textsOf(document), GetParam().texts);
    EXPECT_EQ(extendedTexts(document), 1);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString saved = folder.filePath(u"saved.pwdc"_s);
    ASSERT_TRUE(document.writeToFile(saved, &error)) << error.toStdString();
    CADocument reopened;
    ASSERT_TRUE(reopened.readFromFile(saved, &error)) << error.toStdString();
    // The texts come back once, from the address texts; the extended text adds none.
    EXPECT_EQ(textsOf(reopened), GetParam().texts);
    EXPECT_LE(extendedTexts(reopened), 1);
}

// What a new object of the kind writes: a key the file leaves out reads as that.
PWPlist::Dictionary writtenByNew(CFTComponent &component)
{
    CDDArchive writing(true);
    component.Serialize(writing, nullptr);
    return writing.getDict().toDictionary();
}

// The extended text's keys and its blocks', each taken away (a list emptied too): the design opens
// without a word, with the same texts in the same places wherever the key held what a new text or
// block has.
TEST(CADocumentExtendedTextDamageTest, AKeyTakenAwayReadsAsANewOneHasIt)
{
    CFTTextExt newText;
    CFTTextBlock newBlock(std::make_shared<CCBlockLayoutManager>(), 0);
    const PWPlist::Dictionary textDefaults = writtenByNew(newText);
    const PWPlist::Dictionary blockDefaults = writtenByNew(newBlock);
    const std::optional<PWPlist> file =
        PWPlist::readFile(pwtest::dataPath(u"extended-text/version72-extended-text-two-blocks.pwdc"_s));
    ASSERT_TRUE(file && file->isDictionary());
    CADocument whole;
    ASSERT_TRUE(whole.loadPropertyList(*file));
    const QStringList texts = textsOf(whole);
    const auto framesOf = [](const CADocument &document) {
        QStringList frames;
        for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
            frames.append(QStringLiteral("%1 %2 %3 %4").arg(component->GetOriginX()).arg(component->GetOriginY())
                              .arg(component->GetSizeX()).arg(component->GetSizeY()));
        return frames;
    };
    const QStringList frames = framesOf(whole);
    const PWPlist::Dictionary front = file->value(u"Front Side"_s).toDictionary();
    const PWPlist::Array components = front.value(u"Components"_s).toArray();
    int tried = 0;
    int compared = 0;
    for (qsizetype c = 0; c < components.size(); ++c) {
        const PWPlist::Dictionary text = components.at(c).toDictionary();
        if (text.value(u"Class ID"_s).toString() != u"Extended Text"_s)
            continue;
        // The text's own keys, then each block's; a null block index stands for the text itself.
        QList<std::pair<qsizetype, QString>> keys;
        for (const QString &key : text.keys())
            keys.append({-1, key});
        const PWPlist::Array blocks = text.value(u"Blocks"_s).toArray();
        for (qsizetype b = 0; b < blocks.size(); ++b)
            for (const QString &key : blocks.at(b).toDictionary().keys())
                keys.append({b, key});
        for (const auto &[block, key] : keys) {
            for (const bool emptied : {false, true}) {
                PWPlist::Dictionary changedText = text;
                PWPlist::Array changedBlocks = blocks;
                PWPlist::Dictionary owner = block < 0 ? text : blocks.at(block).toDictionary();
                if (emptied && !owner.value(key).isArray())
                    continue;
                if (emptied)
                    owner.insert(key, PWPlist(PWPlist::Array()));
                else
                    owner.remove(key);
                if (block < 0) {
                    changedText = owner;
                } else {
                    changedBlocks[block] = PWPlist(owner);
                    changedText.insert(u"Blocks"_s, PWPlist(changedBlocks));
                }
                PWPlist::Array changedComponents = components;
                changedComponents[c] = PWPlist(changedText);
                PWPlist::Dictionary changedFront = front;
                changedFront.insert(u"Components"_s, PWPlist(changedComponents));
                PWPlist::Dictionary design = file->toDictionary();
                design.insert(u"Front Side"_s, PWPlist(changedFront));
                CADocument document;
                ASSERT_TRUE(document.loadPropertyList(PWPlist(design)));
                ++tried;
                // A text without its class is no text: the page lacks it, and the reading says so.
                if (block < 0 && key == u"Class ID"_s && !emptied)
                    EXPECT_EQ(document.readProblems().filter(u"\"Class ID\" is missing"_s).size(), 1)
                        << qPrintable(document.readProblems().join(u'|'));
                else
                    EXPECT_EQ(document.readProblems(), QStringList()) << key.toStdString() << " of block " << block;
                const PWPlist::Dictionary &defaults = block < 0 ? textDefaults : blockDefaults;
                // The class is what is made, no value of it: without one, nothing is.
                if (emptied || key == u"Class ID"_s || !(defaults.value(key) == (block < 0 ? text : blocks.at(block).toDictionary()).value(key)))
                    continue;
                ++compared;
                EXPECT_EQ(textsOf(document), texts) << key.toStdString() << " of block " << block;
                EXPECT_EQ(framesOf(document), frames) << key.toStdString() << " of block " << block;
            }
        }
    }
    EXPECT_GT(tried, 10);
    // Some keys held what a new one has.
    EXPECT_GT(compared, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CADocumentExtendedTextTest,
    testing::Values(OpenCase {"TwoBlocks", "version72-extended-text-two-blocks.pwdc",
                              {u"Dear friends,\nSee you soon"_s, u"at the harbour\non Sunday"_s}},
                    OpenCase {"ThreeBlocks", "version72-extended-text-three-blocks.pwdc",
                              {u"Hello NAME\nfrom CITY"_s, u"\t1.\tapples\n\t2.\tpears"_s,
                               u"Regards NAME\nSee you\nThe overflow line"_s}}),
    [](const testing::TestParamInfo<OpenCase> &info) { return std::string(info.param.name); });

} // namespace
