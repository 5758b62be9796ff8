// A text of two styles and two paragraphs shown in capitals, edited in place by random runs of
// what an editor does to its document (characters typed in the style at the caret, a range
// deleted, plain text pasted in a style of its own, the editor's own Undo and Redo): at the end
// the text shows the capitals of the characters a plain model of the edits holds, keeps them as
// typed beside the capitals, each run keeps its own style and none is left with the edit's; an
// edit that changed no character leaves the text exactly as it was.
#include "kernel/text/CFTAText.h"

#include "TextTestSupport.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTACapitalsTyping.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <random>

using texttest::sans;

namespace {

QString capitalsOfEach(const QString &letters)
{
    QString shown;
    for (const QChar c : letters)
        shown += c.toUpper();
    return shown;
}

// Each run's style and length: what the edit must give back apart from the letters.
QStringList stylesOf(CFTAText &text)
{
    QStringList styles;
    const QTextDocument *document = text.GetText()->getContents();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            styles << QString::number(format.fontPointSize()) + u'/' + QString::number(format.fontWeight()) + u'/'
                          + QString::number(int(format.hasProperty(QTextFormat::FontCapitalization)));
        }
    return styles;
}

// "McKee iPhone" in 12 points, a paragraph break, "ABC deF" bold in 14.
std::unique_ptr<CFTAText> styledText()
{
    auto text = std::make_unique<CFTAText>(10, 10, 200, 40, nullptr);
    text->SetFontAttr(sans(12));
    text->SetString(CDDString(u"McKee iPhone\nABC deF"_s));
    QTextCursor cursor(text->GetText()->getContents());
    cursor.setPosition(13);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    QTextCharFormat bold = sans(14);
    bold.setFontWeight(QFont::Bold);
    cursor.mergeCharFormat(bold);
    return text;
}

} // namespace

TEST(CFTACapitalsTypingTest, RandomEditsUnderCapitalsKeepTheCharactersTypedAndEachRunsStyle)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::unique_ptr<CFTAText> text = styledText();
        QString model = text->GetText()->getString();
        text->setRepresentationType(objectRepType(orCapitals), true);
        ASSERT_EQ(text->GetText()->getString(), capitalsOfEach(model));
        const QStringList styles = stylesOf(*text);

        text->startEditText(nullptr, nullptr);
        QTextDocument *document = text->GetText()->getContents();
        auto *typing = document->findChild<CFTACapitalsTyping *>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(typing, nullptr);
        std::mt19937 random(seed);
        const auto pick = [&random](int below) { return int(random() % unsigned(std::max(1, below))); };
        // The model's states before each step of the document's history, and after each undone.
        std::vector<QString> undoable;
        std::vector<QString> redoable;
        for (int round = 0; round < 30; ++round) {
            const int steps = document->availableUndoSteps();
            const QString before = model;
            const int what = pick(6);
            QTextCursor cursor(document);
            if (what <= 1) {
                const int at = pick(int(model.size()) + 1);
                const QString letters = QStringList {u"x"_s, u"aB"_s, u"é ü"_s, u"Zz-"_s}.at(pick(4));
                cursor.setPosition(at);
                cursor.insertText(letters);
                model.insert(at, letters);
            } else if (what == 2 && model.size() > 1) {
                const int at = pick(int(model.size()));
                const int count = 1 + pick(std::min<int>(3, int(model.size()) - at));
                cursor.setPosition(at);
                cursor.setPosition(at + count, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                model.remove(at, count);
            } else if (what == 3) {
                // Pasted with a style of its own, as text from elsewhere comes.
                const int at = pick(int(model.size()) + 1);
                cursor.setPosition(at);
                cursor.insertFragment(QTextDocumentFragment::fromHtml(u"<span style=\"font-size:9pt\">pQ</span>"_s));
                model.insert(at, u"pQ"_s);
            } else if (what == 4 && !undoable.empty() && document->isUndoAvailable()) {
                document->undo();
                redoable.push_back(model);
                model = undoable.back();
                undoable.pop_back();
            } else if (what == 5 && !redoable.empty() && document->isRedoAvailable()) {
                document->redo();
                undoable.push_back(model);
                model = redoable.back();
                redoable.pop_back();
            }
            if (what <= 3 && model != before) {
                redoable.clear();
                // Typing next to what was just typed joins its step in the document's history.
                if (document->availableUndoSteps() > steps)
                    undoable.push_back(before);
            }
            typing->showTypedInCapitals();
            ASSERT_EQ(text->GetText()->getString(), model) << "the editor works on the characters typed";
        }
        text->endEditText(nullptr);
        EXPECT_EQ(text->GetText()->getString(), capitalsOfEach(model));
        EXPECT_EQ(text->typedString(), model);
        // Measured as the same text made afresh.
        CDDText fresh;
        fresh.copy(text->GetText());
        EXPECT_DOUBLE_EQ(text->GetText()->getContSizeX(), fresh.getContSizeX());
        EXPECT_DOUBLE_EQ(text->GetText()->getContSizeY(), fresh.getContSizeY());
        EXPECT_FALSE(stylesOf(*text).join(u' ').contains(u"/1"_s)) << "no run keeps the edit's style";
        EXPECT_EQ(document->findChild<CFTACapitalsTyping *>(), nullptr);

        text->setRepresentationType(objectRepType(0), true);
        EXPECT_EQ(text->GetText()->getString(), model) << "unticked";
        if (model == u"McKee iPhone\nABC deF"_s) {
            EXPECT_EQ(stylesOf(*text), styles);
        }
    }
}

TEST(CFTACapitalsTypingTest, AnEditThatChangesNoCharacterLeavesTheTextAsItWas)
{
    // Kept as typed, and a file's capitals with nothing known beneath them.
    for (const bool known : {true, false}) {
        SCOPED_TRACE(known ? "typed known" : "capitals only");
        const std::unique_ptr<CFTAText> text = styledText();
        text->setRepresentationType(objectRepType(orCapitals), true);
        if (!known)
            text->restoreTypedCharacters({});
        const CFTAText::TypedCharacters kept = text->typedCharacters();
        const QString shown = text->GetText()->getString();
        const QStringList styles = stylesOf(*text);
        text->startEditText(nullptr, nullptr);
        QTextCursor cursor(text->GetText()->getContents());
        cursor.setPosition(3);
        cursor.insertText(u"q"_s);
        cursor.deletePreviousChar();
        text->endEditText(nullptr);
        EXPECT_EQ(text->GetText()->getString(), shown);
        EXPECT_EQ(text->typedCharacters(), kept);
        EXPECT_EQ(stylesOf(*text), styles);
    }
}

TEST(CFTACapitalsTypingTest, TypedIntoCapitalsOnlyTheRestUnticksAsBefore)
{
    // A file that held only the capitals unticks as it did (a capital first letter, small ones after
    // it); what is typed into it comes back as typed.
    const auto capitalsOnly = [] {
        std::unique_ptr<CFTAText> text = styledText();
        text->setRepresentationType(objectRepType(orCapitals), true);
        text->restoreTypedCharacters({});
        return text;
    };
    const std::unique_ptr<CFTAText> untouched = capitalsOnly();
    untouched->setRepresentationType(objectRepType(0), true);
    const QString unticked = untouched->GetText()->getString();
    ASSERT_NE(unticked, capitalsOfEach(unticked));

    const std::unique_ptr<CFTAText> text = capitalsOnly();
    text->startEditText(nullptr, nullptr);
    QTextCursor cursor(text->GetText()->getContents());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(u" xY"_s);
    text->endEditText(nullptr);
    EXPECT_EQ(text->GetText()->getString(), capitalsOfEach(unticked + u" xY"_s));
    text->setRepresentationType(objectRepType(0), true);
    EXPECT_EQ(text->GetText()->getString(), unticked + u" xY"_s);
}
