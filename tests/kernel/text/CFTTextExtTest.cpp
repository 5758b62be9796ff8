// Old designs holding extended texts, built by hand in the old file form (see
// tests/data/extended-text/make_extended_text_designs.py): each block's text becomes one plain
// address text, the extended text stays behind with its component keys only.
#include "kernel/text/CFTTextExt.h"

#include "TestSupport.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/text/CCTextList.h"
#include "kernel/text/CCTextStorage.h"
#include "kernel/text/CFTTextBlock.h"
#include "platform/PWPlist.h"

#include <QTextDocument>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Loaded
{
    std::vector<std::unique_ptr<CFTComponent>> owned;
    std::vector<CFTComponent *> list;
    ~Loaded()
    {
        for (CFTComponent *component : list)
            delete component;
    }
    std::vector<CFTAAddressText *> texts() const
    {
        std::vector<CFTAAddressText *> found;
        for (CFTComponent *component : list) {
            if (auto *text = dynamic_cast<CFTAAddressText *>(component))
                found.push_back(text);
        }
        return found;
    }
};

PWPlist fixtureComponent(const QString &name)
{
    const std::optional<PWPlist> file = PWPlist::parse(pwtest::readFixture(u"extended-text/"_s + name));
    if (!file)
        return {};
    return file->toDictionary().value(u"Front Side"_s).toDictionary().value(key_Components).toArray().value(0);
}

void load(Loaded &loaded, const PWPlist &component)
{
    CDDArchive archive(false);
    archive.Attach(component);
    CFTComponent::SerializeFromArchive(archive, &loaded.list, nullptr);
}

QString plain(const CFTAText *text)
{
    return text->GetString().getData();
}

TEST(CFTTextExtTest, TwoLinkedBlocksBecomeTwoAddressTextsWithTheirShareOfTheText)
{
    Loaded loaded;
    load(loaded, fixtureComponent(u"version72-extended-text-two-blocks.pwdc"_s));
    ASSERT_EQ(loaded.list.size(), 3u);
    EXPECT_EQ(loaded.list.back()->getClassID(), ciExtendedText);
    const std::vector<CFTAAddressText *> texts = loaded.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(plain(texts[0]), u"Dear friends,\nSee you soon"_s);
    EXPECT_EQ(plain(texts[1]), u"at the harbour\non Sunday"_s);
    for (const CFTAAddressText *text : texts) {
        EXPECT_EQ(text->GetTextCategory(), tcSimpleText);
        EXPECT_EQ(text->GetAddressType(), adWork);
        EXPECT_FALSE(text->GetToFrom());
    }
    // Block origins are relative to the extended text at (50, 50).
    EXPECT_DOUBLE_EQ(texts[0]->GetOriginX(), 60.0);
    EXPECT_DOUBLE_EQ(texts[0]->GetOriginY(), 60.0);
    EXPECT_DOUBLE_EQ(texts[1]->GetOriginY(), 150.0);
    EXPECT_DOUBLE_EQ(texts[0]->GetSizeX(), 300.0);
    // The first paragraph keeps its bold red style.
    const QTextCharFormat first = texts[0]->getDDText()->getAttributedString().charFormatAt(0);
    EXPECT_EQ(first.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(first.fontWeight(), QFont::Bold);
    EXPECT_NE(texts[0]->getDDText()->getAttributedString().charFormatAt(16).foreground().color(), QColor(255, 0, 0));
}

TEST(CFTTextExtTest, ThreeBlocksKeepFieldsListsTurnAndTheOverflow)
{
    Loaded loaded;
    load(loaded, fixtureComponent(u"version72-extended-text-three-blocks.pwdc"_s));
    const std::vector<CFTAAddressText *> texts = loaded.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(plain(texts[0]), u"Hello NAME\nfrom CITY"_s);
    EXPECT_EQ(plain(texts[1]), u"\t1.\tapples\n\t2.\tpears"_s);
    // The last line fits in no block: it stays with the last block's text instead of being lost.
    EXPECT_EQ(plain(texts[2]), u"Regards NAME\nSee you\nThe overflow line"_s);
    const std::vector<std::pair<double, double>> origins = {{60, 60}, {60, 150}, {250, 60}};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_DOUBLE_EQ(texts[i]->GetOriginX(), origins[i].first) << i;
        EXPECT_DOUBLE_EQ(texts[i]->GetOriginY(), origins[i].second) << i;
    }
    EXPECT_DOUBLE_EQ(texts[1]->GetAngle(), 0.5);
    EXPECT_DOUBLE_EQ(texts[0]->GetAngle(), 0.0);

    // Data fields and list markers stay marked in the converted texts.
    const PWAttributedString first = texts[0]->getDDText()->getAttributedString();
    EXPECT_EQ(CCTextStorage::textTag(first.charFormatAt(6)), 3);
    EXPECT_EQ(CCTextStorage::textTag(first.charFormatAt(16)), 5);
    const PWAttributedString list = texts[1]->getDDText()->getAttributedString();
    const std::optional<CCTextList> one = CCTextList::fromVariant(CCTextStorage::custom(list.charFormatAt(1), CCTextList::kListAttribute));
    const std::optional<CCTextList> two = CCTextList::fromVariant(CCTextStorage::custom(list.charFormatAt(12), CCTextList::kListAttribute));
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->listType(), ltNumbered);
    EXPECT_TRUE(*one == *two) << "both markers belong to one list";
}

TEST(CFTTextExtTest, SavedWithItsComponentKeysOnlyAndReloadsAsNothingNew)
{
    Loaded loaded;
    load(loaded, fixtureComponent(u"version72-extended-text-two-blocks.pwdc"_s));
    ASSERT_EQ(loaded.list.size(), 3u);
    std::vector<CDDArchive> archives;
    ASSERT_EQ(loaded.list.back()->SerializeSelectedSubcomponents(archives), 1);
    const PWPlist::Dictionary saved = archives.front().getDict().toDictionary();
    EXPECT_FALSE(saved.contains(key_TextStorage2));
    EXPECT_FALSE(saved.contains(key_Blocks));
    EXPECT_TRUE(saved.contains(key_Bounds));

    Loaded again;
    load(again, archives.front().getDict());
    ASSERT_EQ(again.list.size(), 1u);
    EXPECT_EQ(again.list.front()->getClassID(), ciExtendedText);
}

TEST(CFTTextExtTest, NothingToSeePickOrMove)
{
    Loaded loaded;
    load(loaded, fixtureComponent(u"version72-extended-text-two-blocks.pwdc"_s));
    CFTComponent *extended = loaded.list.back();
    bool selected = false;
    actionType action {};
    EXPECT_EQ(extended->PickMe(100, 100, selected, 1.0, action, 0), nullptr);
    EXPECT_EQ(extended->TestMe(100, 100, selected, 1.0), nullptr);
    EXPECT_FALSE(extended->isIntersectRect(0, 0, 1000, 1000));
    extended->Move(10, 10, nullptr);
    EXPECT_DOUBLE_EQ(extended->GetOriginX(), 50.0);
}

// Table of damaged extended texts: none crashes, none makes texts out of nothing.
struct DamagedCase
{
    const char *name;
    QList<PWPlist::Dictionary::Entry> entries;
    QStringList removed;
    std::vector<QString> strings;
};

class CFTTextExtDamagedTest : public testing::TestWithParam<DamagedCase>
{
};

TEST_P(CFTTextExtDamagedTest, LoadsWhatItCan)
{
    PWPlist::Dictionary component = fixtureComponent(u"version72-extended-text-two-blocks.pwdc"_s).toDictionary();
    for (const QString &key : GetParam().removed)
        component.remove(key);
    for (const auto &[key, value] : GetParam().entries)
        component.insert(key, value);
    Loaded loaded;
    load(loaded, PWPlist(component));
    std::vector<QString> strings;
    for (const CFTAAddressText *text : loaded.texts())
        strings.push_back(plain(text));
    EXPECT_EQ(strings, GetParam().strings);
    EXPECT_EQ(loaded.list.back()->getClassID(), ciExtendedText);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CFTTextExtDamagedTest,
    testing::Values(DamagedCase {"NoStorage", {}, {u"Text Storage 2"_s}, {QString(), QString()}},
                    DamagedCase {"NoBlocks", {}, {u"Blocks"_s}, {}},
                    DamagedCase {"BlocksNotAList", {{u"Blocks"_s, PWPlist::fromString(u"x"_s)}}, {}, {}},
                    DamagedCase {"StorageNotData", {{u"Text Storage 2"_s, PWPlist::fromString(u"x"_s)}}, {},
                                 {QString(), QString()}},
                    DamagedCase {"StorageGarbage", {{u"Text Storage 2"_s, PWPlist::fromData("bplist00garbage")}}, {},
                                 {QString(), QString()}}),
    [](const testing::TestParamInfo<DamagedCase> &info) { return std::string(info.param.name); });

} // namespace
