// Text lists: the markers of each list type, making and renumbering a list, and list objects
// that keep their identity through the keyed archive.
#include "kernel/text/CCTextList.h"

#include "kernel/text/CDDTextBlock.h"
#include "kernel/text/CCTextView.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWKeyedUnarchiver.h"
#include "platform/PWTextAttributes.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct MarkerCase
{
    const char *name;
    int type;
    int item;
    const char16_t *marker;
};

class CCTextListMarkerTest : public testing::TestWithParam<MarkerCase>
{
};

TEST_P(CCTextListMarkerTest, MarkerOfItem)
{
    const CCTextList list(GetParam().type);
    EXPECT_EQ(list.bulletMarkerForLineNumber(GetParam().item), QString::fromUtf16(GetParam().marker));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CCTextListMarkerTest,
    testing::Values(MarkerCase {"NumberedFirst", ltNumbered, 0, u"\t1.\t"}, MarkerCase {"NumberedSecond", ltNumbered, 1, u"\t2.\t"},
                    MarkerCase {"NumberedTenth", ltNumbered, 9, u"\t10.\t"}, MarkerCase {"LetterA", ltLettered, 0, u"\tA.\t"},
                    MarkerCase {"LetterY", ltLettered, 24, u"\tY.\t"}, MarkerCase {"LettersAA", ltLettered, 25, u"\tAA.\t"},
                    MarkerCase {"LettersAB", ltLettered, 26, u"\tAB.\t"}, MarkerCase {"LettersAY", ltLettered, 49, u"\tAY.\t"},
                    MarkerCase {"LettersBA", ltLettered, 50, u"\tBA.\t"}, MarkerCase {"LettersXY", ltLettered, 624, u"\tXY.\t"},
                    MarkerCase {"LettersAAA", ltLettered, 625, u"\tAAA.\t"}, MarkerCase {"Bullet", ltBullets, 3, u"\t\u2022\t"},
                    MarkerCase {"Dash", ltDashes, 7, u"\t-\t"}, MarkerCase {"None", ltNone, 2, u""},
                    MarkerCase {"Unknown", 9, 2, u""}),
    [](const testing::TestParamInfo<MarkerCase> &info) { return std::string(info.param.name); });

PWAttributedString plainText(const QString &text)
{
    QTextCharFormat format;
    format.setFontPointSize(12.0);
    return PWAttributedString(text, format);
}

TEST(CCTextListTest, ANumberedListOfAWholeTextMarksEveryParagraph)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(plainText(u"one\n\nthree"_s));
    block.SetListType(ltNumbered);
    EXPECT_EQ(block.getContents()->toPlainText(), u"\t1.\tone\n\t2.\t\n\t3.\tthree"_s);
    EXPECT_EQ(block.GetListType(), ltNumbered);
    // The item's tab stops and head indent.
    const QTextBlockFormat format = block.getContents()->begin().blockFormat();
    ASSERT_GE(format.tabPositions().size(), 2);
    EXPECT_DOUBLE_EQ(format.tabPositions().at(0).position, 10.0);
    EXPECT_DOUBLE_EQ(format.tabPositions().at(1).position, 35.0);
    EXPECT_DOUBLE_EQ(format.leftMargin(), 35.0);
}

TEST(CCTextListTest, ChangingTheTypeChangesEveryItem)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(plainText(u"a\nb"_s));
    block.SetListType(ltNumbered);
    block.SetListType(ltLettered);
    EXPECT_EQ(block.getContents()->toPlainText(), u"\tA.\ta\n\tB.\tb"_s);
    block.SetListType(ltDashes);
    EXPECT_EQ(block.getContents()->toPlainText(), u"\t-\ta\n\t-\tb"_s);
}

TEST(CCTextListTest, NoListAndTypeNoneChangesNothing)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(plainText(u"a\nb"_s));
    block.SetListType(ltNone);
    EXPECT_EQ(block.getContents()->toPlainText(), u"a\nb"_s);
    EXPECT_EQ(block.GetListType(), ltNone);
}

TEST(CCTextListTest, RenumberingRepairsMarkersAndTakesInParagraphsBetweenItems)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(plainText(u"a\nb\nc"_s));
    block.SetListType(ltNumbered);
    const std::optional<CCTextList> list = block.selectedTextList();
    ASSERT_TRUE(list);
    // A paragraph typed between items 1 and 2 joins the list; the later items are renumbered.
    QTextCursor cursor(block.getContents());
    cursor.setPosition(5); // the end of "\t1.\ta"
    cursor.insertText(u"\nnew"_s);
    block.updateTextList(*list);
    EXPECT_EQ(block.getContents()->toPlainText(), u"\t1.\ta\n\t2.\tnew\n\t3.\tb\n\t4.\tc"_s);
}

TEST(CCTextListTest, ReturnAtTheEndOfTheLastItemMakesTheNextItem)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(plainText(u"a\nb"_s));
    block.SetListType(ltNumbered);
    block.startEditing(0, 0, 200, 100, 0, true, true);
    CCTextView *editor = block.getEditor();
    const int end = int(block.getContents()->toPlainText().size());
    editor->selectRange({end, 0});
    editor->insertText(u"\n"_s);
    block.textDidChange();
    EXPECT_EQ(block.getContents()->toPlainText(), u"\t1.\ta\n\t2.\tb\n\t3.\t"_s);
    // Return on the empty item ends the list there.
    editor->insertText(u"\n"_s);
    block.textDidChange();
    EXPECT_EQ(block.getContents()->toPlainText(), u"\t1.\ta\n\t2.\tb\n"_s);
    block.endEditing();
}

TEST(CCTextListTest, TypedTextNeverBecomesMarkerText)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(plainText(u"a"_s));
    block.SetListType(ltBullets);
    block.startEditing(0, 0, 200, 100, 0, true, true);
    CCTextView *editor = block.getEditor();
    editor->selectRange({3, 0}); // right after the marker
    editor->insertText(u"x"_s);
    const QTextCharFormat typed = CCTextStorage::formatAt(block.getContents(), 3);
    EXPECT_FALSE(CCTextStorage::custom(typed, CCTextList::kListAttribute).isValid());
    block.endEditing();
}

TEST(CCTextListTest, ListsKeepTheirIdentityThroughTheKeyedArchive)
{
    const CCTextList first(ltNumbered);
    const CCTextList second(ltBullets);
    PWAttributedString text;
    QTextCharFormat marker;
    marker.setProperty(PWTextAttributes::CustomAttributes, QVariantMap {{CCTextList::kListAttribute, first.toVariant()}});
    QTextCharFormat other;
    other.setProperty(PWTextAttributes::CustomAttributes, QVariantMap {{CCTextList::kListAttribute, second.toVariant()}});
    text.append(u"\t1.\t"_s, marker);
    text.append(u"a\n"_s, QTextCharFormat());
    text.append(u"\t2.\t"_s, marker);
    text.append(u"b\n"_s, QTextCharFormat());
    text.append(u"\t\u2022\t"_s, other);
    const QByteArray archived = PWKeyedArchiver::archivedData(text, PWKeyedArchiver::StringClass::TextStorage);
    const std::optional<PWAttributedString> read = PWKeyedUnarchiver::unarchiveAttributedString(archived);
    ASSERT_TRUE(read);
    const auto listAt = [&](qsizetype index) {
        return CCTextList::fromVariant(CCTextStorage::custom(read->charFormatAt(index), CCTextList::kListAttribute));
    };
    ASSERT_TRUE(listAt(0) && listAt(7) && listAt(14));
    EXPECT_TRUE(*listAt(0) == *listAt(7));
    EXPECT_FALSE(*listAt(0) == *listAt(14));
    EXPECT_EQ(listAt(0)->listType(), ltNumbered);
    EXPECT_EQ(listAt(14)->listType(), ltBullets);
}

TEST(CCTextListTest, CopyingStylesFilesThemByDataField)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    PWAttributedString text;
    QTextCharFormat plain;
    plain.setFontPointSize(10.0);
    QTextCharFormat field = plain;
    field.setFontPointSize(18.0);
    field.setProperty(PWTextAttributes::CustomAttributes, QVariantMap {{u"FTTextTag"_s, 4}});
    text.append(u"Dear "_s, plain);
    text.append(u"NAME"_s, field);
    block.setAttributedString(text);
    PWAttributedString target;
    target.append(u"Hi "_s, QTextCharFormat());
    QTextCharFormat targetField;
    targetField.setProperty(PWTextAttributes::CustomAttributes, QVariantMap {{u"FTTextTag"_s, 4}});
    target.append(u"Ann"_s, targetField);
    ASSERT_TRUE(block.copyAttributesToString(&target));
    EXPECT_DOUBLE_EQ(target.charFormatAt(0).fontPointSize(), 10.0);
    EXPECT_DOUBLE_EQ(target.charFormatAt(4).fontPointSize(), 18.0);
    EXPECT_FALSE(block.copyAttributesToString(nullptr));
}

// The user retypes an item and presses Return inside the list: the items are renumbered and
// every item keeps the list's paragraph style, its text hanging at the text tab.
TEST(CCTextListTest, ARetypedListIsRenumberedAndEveryItemKeepsItsParagraphStyle)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    block.setAttributedString(plainText(u"one\ntwo\nthree"_s));
    block.SetListType(ltNumbered);
    ASSERT_EQ(block.getContents()->toPlainText(), u"\t1.\tone\n\t2.\ttwo\n\t3.\tthree"_s);
    block.startEditing(0, 0, 200, 100, 0, true, true);
    CCTextView *editor = block.getEditor();
    editor->selectRange({12, 3}); // "two"
    editor->insertText(u"deux"_s);
    block.textDidChange();
    editor->selectRange({7, 0}); // the end of the first item
    editor->insertText(u"\n"_s);
    block.textDidChange();
    ASSERT_EQ(block.getContents()->toPlainText(), u"\t1.\tone\n\t2.\t\n\t3.\tdeux\n\t4.\tthree"_s);
    editor->selectRange({12, 0}); // after the new item's marker
    editor->insertText(u"half"_s);
    block.textDidChange();
    EXPECT_EQ(block.getContents()->toPlainText(), u"\t1.\tone\n\t2.\thalf\n\t3.\tdeux\n\t4.\tthree"_s);
    int items = 0;
    for (QTextBlock paragraph = block.getContents()->begin(); paragraph.isValid(); paragraph = paragraph.next(), ++items) {
        const QTextBlockFormat format = paragraph.blockFormat();
        SCOPED_TRACE(paragraph.text().toStdString());
        ASSERT_GE(format.tabPositions().size(), 2);
        EXPECT_DOUBLE_EQ(format.tabPositions().at(0).position, 10.0);
        EXPECT_DOUBLE_EQ(format.tabPositions().at(1).position, 35.0);
        EXPECT_DOUBLE_EQ(format.leftMargin(), 35.0);
        EXPECT_DOUBLE_EQ(format.textIndent(), -35.0);
        EXPECT_EQ(format.intProperty(PWTextAttributes::LineBreakMode), 4);
        EXPECT_EQ(block.selectedTextList().has_value(), true);
    }
    EXPECT_EQ(items, 4);
    block.endEditing();
}

// A paragraph's own tabs always move past the list's two, also when it had the list tabs already.
TEST(CCTextListTest, AParagraphsOwnTabsMovePastTheListTabs)
{
    CDDTextBlock block;
    block.setLayoutManager(nullptr, 0);
    QTextBlockFormat tabbed;
    tabbed.setTabPositions({QTextOption::Tab(10, QTextOption::LeftTab), QTextOption::Tab(35, QTextOption::LeftTab),
                            QTextOption::Tab(100, QTextOption::LeftTab)});
    tabbed.setProperty(PWTextAttributes::ListTabStops, true);
    PWAttributedString text;
    text.append(u"a"_s, plainText(u"a"_s).runs().front().charFormat, tabbed);
    block.setAttributedString(text);
    block.SetListType(ltDashes);
    const QList<QTextOption::Tab> tabs = block.getContents()->begin().blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 3);
    EXPECT_DOUBLE_EQ(tabs.at(2).position, 145.0);
}

} // namespace
