// Typing in place on the canvas driven by real keys and clicks: which keys end editing, where the
// starting click puts the caret, the style of a text left empty, the editor's selection as the text
// sees it, and an address text changed outside editing reaching the person.
#include <gtest/gtest.h>

#include "AddressCanvasFixture.h"

#include "app/canvas/CACanvasTextEditor.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"

#include <QApplication>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

struct TypingCanvas
{
    TypingCanvas()
    {
        text = new CFTAText(40.0, 40.0, 120.0, 24.0, nullptr);
        text->GetText()->setString(u"Hello"_s, nullptr);
        document.ftDocument()->AddObject(text, 0, false);
        other = new CFTAText(40.0, 120.0, 120.0, 24.0, nullptr);
        other->GetText()->setString(u"Other"_s, nullptr);
        document.ftDocument()->AddObject(other, 0, false);
        view.setScreenResolution(96.0);
        EXPECT_TRUE(view.setDocument(&document));
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.activateWindow();
    }
    QWidget *target() { return view.viewport(); }
    QPoint at(double x, double y) const { return view.geometry().widgetPoint(QPointF(x, y)).toPoint(); }
    // A double click on the text starts editing it where it is clicked.
    void editAt(double x, double y) { QTest::mouseDClick(target(), Qt::LeftButton, {}, at(x, y)); }
    QString typed() const { return text->GetText()->getString(); }

    CADocument document;
    CFTAText *text;
    CFTAText *other;
    CADocView view;
};

} // namespace

TEST(CADocViewTypingTest, WhileAnInputMethodComposesTheEditorIsNotHeldToTheFrame)
{
    struct Case
    {
        const char *name;
        textAlignment alignment;
        // Where the widened editor's left edge stands, from the frame's left edge and width.
        std::function<double(double, double)> left;
    };
    const Case cases[] = {
        // A left-aligned paragraph: the editor keeps its left edge and no longer wraps.
        {"left", taLeft, [](double x, double) { return x + CDDText::kLinePadding; }},
        // A right-aligned one keeps its right edge, a centred one its middle.
        {"right", taRight,
         [](double x, double width) { return x + width - CDDText::kLinePadding - CDDText::kContainerSize; }},
        {"centred", taCenter, [](double x, double width) { return x + (width - CDDText::kContainerSize) / 2.0; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TypingCanvas canvas;
        canvas.text->SetAlignment(c.alignment);
        canvas.editAt(60, 52);
        ASSERT_TRUE(canvas.view.isEditingText());
        const CACanvasTextEditor *editor = canvas.view.fieldEditor();
        const double scale = editor->scale();
        ASSERT_GT(scale, 0.0);
        ASSERT_LT(editor->textWidth() * scale, 1000.0);
        QInputMethodEvent composing(u"ka"_s, {});
        QApplication::sendEvent(&canvas.view, &composing);
        ASSERT_TRUE(editor->hasMarkedText());
        // The editor's width is in its layout's units, shown scaled down to points.
        EXPECT_DOUBLE_EQ(editor->textWidth() * scale, CDDText::kContainerSize);
        EXPECT_NEAR(editor->pos().x(), c.left(canvas.text->GetOriginX(), canvas.text->GetSizeX()), 1e-6);
        EXPECT_NEAR(editor->pos().y(), 40.0, 1e-6);
        // Committed, the composition is text like any other and the editor is the text's again.
        QInputMethodEvent committed;
        committed.setCommitString(u"ka"_s);
        QApplication::sendEvent(&canvas.view, &committed);
        EXPECT_FALSE(editor->hasMarkedText());
        EXPECT_LT(editor->textWidth() * scale, 1000.0);
        EXPECT_TRUE(canvas.typed().contains(u"ka"_s));
    }
}

// A text measured while an input method composed in it is measured with the composition; the
// same words in the same style, in another text after it, measure as themselves.
TEST(CADocViewTypingTest, AComposedTextLeavesNoMeasureBehind)
{
    const textAlignment alignments[] = {taLeft, taCenter, taRight};
    for (const textAlignment alignment : alignments) {
        SCOPED_TRACE(int(alignment));
        // Words no other test measures, so that nothing measured them before the composition.
        const QString words = u"Quokkas %1 wander"_s.arg(int(alignment));
        TypingCanvas canvas;
        canvas.text->GetText()->setString(words, nullptr);
        canvas.text->SetAlignment(alignment);
        canvas.editAt(60, 52);
        ASSERT_TRUE(canvas.view.isEditingText());
        QInputMethodEvent composing(u"kakakaka"_s, {});
        QApplication::sendEvent(&canvas.view, &composing);
        ASSERT_TRUE(canvas.view.fieldEditor()->hasMarkedText());
        // The composition is given up: the text is the words again.
        QInputMethodEvent cancelled;
        QApplication::sendEvent(&canvas.view, &cancelled);
        QTest::keyClick(&canvas.view, Qt::Key_Escape);
        ASSERT_FALSE(canvas.view.isEditingText());
        ASSERT_EQ(canvas.typed(), words);

        CFTAText later(0.0, 0.0, 10.0, 10.0, nullptr);
        later.GetText()->setString(words, nullptr);
        later.SetAlignment(alignment);
        CFTAText plain(0.0, 0.0, 10.0, 10.0, nullptr);
        plain.GetText()->setString(words + u"."_s, nullptr);
        plain.SetAlignment(alignment);
        // One full stop more is wider; the words alone are narrower than that.
        EXPECT_LT(later.GetText()->getContSizeX(), plain.GetText()->getContSizeX());
    }
}

TEST(CADocViewTypingTest, KeysThatEndEditingAFreeText)
{
    struct Case
    {
        const char *name;
        std::function<void(TypingCanvas &)> end;
        bool stillEditing;
        QString text;
    };
    const Case cases[] = {
        {"return ends", [](TypingCanvas &c) { QTest::keyClick(&c.view, Qt::Key_Return); }, false, u"Hello!"_s},
        {"enter ends", [](TypingCanvas &c) { QTest::keyClick(&c.view, Qt::Key_Enter); }, false, u"Hello!"_s},
        {"a click elsewhere ends",
         [](TypingCanvas &c) { QTest::mouseClick(c.target(), Qt::LeftButton, {}, c.at(300, 300)); }, false,
         u"Hello!"_s},
        {"tab ends and goes on editing", [](TypingCanvas &c) { QTest::keyClick(&c.view, Qt::Key_Tab); }, true,
         u"Hello!"_s},
        {"shift-return breaks the line",
         [](TypingCanvas &c) { QTest::keyClick(&c.view, Qt::Key_Return, Qt::ShiftModifier); }, true, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TypingCanvas canvas;
        canvas.editAt(100, 50);
        ASSERT_TRUE(canvas.view.isEditingText());
        QTest::keyClick(&canvas.view, Qt::Key_End);
        QTest::keyClick(&canvas.view, Qt::Key_Exclam);
        c.end(canvas);
        EXPECT_EQ(canvas.view.isEditingText(), c.stillEditing);
        if (c.text.isNull()) {
            EXPECT_TRUE(canvas.typed().startsWith(u"Hello!"_s));
            EXPECT_EQ(canvas.typed().size(), 7) << "one line break more";
        } else {
            EXPECT_EQ(canvas.typed(), c.text);
        }
        EXPECT_FALSE(canvas.typed().contains(QLatin1Char('\t')));
    }
}

TEST(CADocViewTypingTest, TheStartingClickPlacesTheCaret)
{
    TypingCanvas canvas;
    // Just inside the text's left edge: before its first letter.
    canvas.editAt(42.5, 50);
    ASSERT_TRUE(canvas.view.isEditingText());
    QTest::keyClicks(&canvas.view, u"X"_s);
    QTest::keyClick(&canvas.view, Qt::Key_Return);
    EXPECT_EQ(canvas.typed(), u"XHello"_s);
}

TEST(CADocViewTypingTest, TheTextSeesTheEditorsSelection)
{
    TypingCanvas canvas;
    CDDText *text = canvas.text->GetText();
    EXPECT_FALSE(text->IsHaveSelect()) << "not edited";
    canvas.text->selectAll();
    EXPECT_FALSE(text->IsHaveSelect());
    canvas.editAt(100, 50);
    ASSERT_TRUE(canvas.view.isEditingText());
    EXPECT_FALSE(text->IsHaveSelect()) << "a caret is no selection";
    canvas.text->selectAll();
    EXPECT_TRUE(text->IsHaveSelect());
    EXPECT_EQ(canvas.view.fieldEditor()->textCursor().selectedText(), u"Hello"_s);
    // Typing over the whole selection replaces the text.
    QTest::keyClicks(&canvas.view, u"Y"_s);
    EXPECT_FALSE(text->IsHaveSelect());
    QTest::keyClick(&canvas.view, Qt::Key_Return);
    EXPECT_EQ(canvas.typed(), u"Y"_s);
    EXPECT_FALSE(text->IsHaveSelect()) << "editing ended";
}

TEST(CADocViewTypingTest, AStyleChosenInAnEmptyTextStaysItsStyle)
{
    TypingCanvas canvas;
    canvas.editAt(100, 50);
    ASSERT_TRUE(canvas.view.isEditingText());
    QTest::keyClick(&canvas.view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&canvas.view, Qt::Key_Backspace);
    ASSERT_TRUE(canvas.typed().isEmpty());
    // What a font command does to the editor of an empty text: the typing style changes.
    QTextCursor cursor = canvas.view.fieldEditor()->textCursor();
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(31.0);
    cursor.mergeCharFormat(bold);
    canvas.view.fieldEditor()->setTextCursor(cursor);
    QTest::keyClick(&canvas.view, Qt::Key_Return);
    ASSERT_FALSE(canvas.view.isEditingText());
    const std::optional<QTextCharFormat> style = canvas.text->GetText()->GetFontAttr();
    ASSERT_TRUE(style.has_value());
    EXPECT_EQ(style->fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(style->fontPointSize(), 31.0);
}

TEST(CADocViewTypingTest, AnAddressTextChangedOutsideEditingReachesThePerson)
{
    struct Case
    {
        const char *name;
        bool merging;
        bool written;
    };
    const Case cases[] = {{"outside editing", false, true}, {"while a person is merged", true, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        AddressCanvas canvas;
        const CDDString label(u"Company"_s);
        auto made = std::make_unique<CFTAAddressText>(200.0, 200.0, tcCompany, &label, nullptr);
        made->SetToFrom(true);
        CFTAAddressText *field = made.get();
        canvas.view.ftView()->InsertComponent(made.release(), false);
        canvas.document.setCurrentPerson(canvas.janeDoe.get(), true, true, false);
        canvas.view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas.view));
        const QPoint inside = canvas.view.geometry().widgetPoint(QPointF(field->GetOriginX() + 4, field->GetOriginY() + 4)).toPoint();
        QTest::mouseDClick(canvas.view.viewport(), Qt::LeftButton, {}, inside);
        ASSERT_TRUE(canvas.view.isEditingText());
        QTest::keyClick(&canvas.view, Qt::Key_Return);
        ASSERT_FALSE(canvas.view.isEditingText());

        if (c.merging)
            canvas.view.beginUpdatePerson();
        QTextCursor change(field->GetText()->getContents());
        change.select(QTextCursor::Document);
        change.insertText(u"Globex"_s);
        if (c.merging)
            canvas.view.endUpdatePerson();
        const std::shared_ptr<PWPerson> person = canvas.document.currentPerson(true);
        ASSERT_TRUE(person);
        const QString company = stringForPersonCategory(person.get(), field->GetAddressType(), tcCompany, true);
        EXPECT_EQ(company == u"Globex"_s, c.written) << company.toStdString();
    }
}
