// The tool modes, the text, font and colour commands of the canvas: which object and which
// default each change reaches, the colour-target flags, and one undo taking a command back.
#include "app/canvas/CACanvasFormat.h"

#include "CanvasEditsFixture.h"

#include "kernel/drawing/CFTExtPicture.h"

#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/drawing/CFTSeparator.h"
#include "app/canvas/CACanvasTextEditor.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/render/CDDTextRuns.h"
#include "platform/PWBundle.h"

#include "ReferenceImage.h"

#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

using Targets = CACanvasFormat::ColorTargets;

class CACanvasFormatTest : public ::testing::Test, public CanvasEditsFixture
{
protected:
    CACanvasFormatTest()
    {
        separator = new CFTSeparator(20.0, 180.0, 80.0, 2.0, nullptr);
        document.ftDocument()->AddObject(separator, 0, false);
        undo().setGroupsByEvent(false);
        undo().removeAllActions();
    }
    CACanvasFormat &format() { return view.format(); }
    double sizeOf(const CFTComponent *component) const { return component->GetFont(nullptr)->pointSize(); }
    static CACanvasFormat::FontChange sizeStep(float size, bool absolute)
    {
        CACanvasFormat::FontChange change;
        change.convertSize = true;
        change.isAbsoluteSize = absolute;
        change.size = size;
        return change;
    }

    CFTSeparator *separator = nullptr;
};

TEST_F(CACanvasFormatTest, ToolModesSetTheColourTargetsAndLeaveBackgroundEditing)
{
    struct Case
    {
        toolMode mode;
        Targets targets;
    };
    format().setToolMode(toolText);
    for (const Case &c : {Case{toolSelect, {}}, Case{toolText, {true, false, false, false}},
                          Case{toolField, {false, true, false, false}}, Case{toolSeparator, {}}}) {
        format().setToolMode(toolText);
        format().setToolMode(c.mode);
        EXPECT_EQ(ftView().getToolMode(), c.mode);
        EXPECT_EQ(format().colorTargets(), c.targets) << "mode " << int(c.mode);
    }
    ftView().setToolMode(toolBackground);
    format().setToolMode(toolText);
    EXPECT_EQ(ftView().getToolMode(), toolText) << "background editing ends";
    EXPECT_FALSE(undo().canUndo()) << "tools are no edit";
}

TEST_F(CACanvasFormatTest, AlignmentKeepsTheHighBitsAndIsOneStep)
{
    struct Case
    {
        int command;
        int expected;
    };
    const int defaultAlignment = int(ftView().defText()->GetAlignment());
    for (const Case &c : {Case{taLeft, 0x10}, Case{taCenter, 0x11}, Case{taRight, 0x12}}) {
        text->SetAlignment(textAlignment(0x12));
        street->SetAlignment(textAlignment(0x21));
        undo().removeAllActions();
        const QByteArray before = objects();
        selectOnly({text, street});
        format().alignText(c.command);
        EXPECT_EQ(int(text->GetAlignment()), c.expected);
        EXPECT_EQ(int(street->GetAlignment()), 0x20 | (c.expected & 0x0F));
        EXPECT_EQ(int(ftView().defText()->GetAlignment()), defaultAlignment) << "an edit of a selection is its alone";
        EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_ALIGNMENT"_s));
        undo().undo();
        EXPECT_EQ(int(text->GetAlignment()), 0x12);
        EXPECT_TRUE(sameDesign(objects(), before));
    }
    ftView().deselectAll();
    format().alignText(taRight);
    EXPECT_EQ(int(ftView().defText()->GetAlignment()) & 0x0F, int(taRight));
    EXPECT_FALSE(undo().canUndo()) << "the default alone is no step";
}

TEST_F(CACanvasFormatTest, FontSizeStepsReachTheSelectionAndTheDefaultText)
{
    const double textSize = sizeOf(text);
    const double streetSize = sizeOf(street);
    const double defaultSize = sizeOf(ftView().defText());
    const QByteArray before = objects();
    selectOnly({text, street, box});

    format().changeFont(sizeStep(1.0f, false));
    EXPECT_DOUBLE_EQ(sizeOf(text), textSize + 1.0);
    EXPECT_DOUBLE_EQ(sizeOf(street), streetSize + 1.0);
    EXPECT_DOUBLE_EQ(sizeOf(ftView().defText()), defaultSize) << "an edit of a selection is its alone";
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_FONT"_s));
    format().changeFont(sizeStep(-1.0f, false));
    format().changeFont(sizeStep(-1.0f, false));
    EXPECT_DOUBLE_EQ(sizeOf(text), textSize - 1.0);

    format().changeFont(sizeStep(30.0f, true));
    EXPECT_DOUBLE_EQ(sizeOf(text), 30.0);
    EXPECT_DOUBLE_EQ(sizeOf(street), 30.0);
    EXPECT_DOUBLE_EQ(sizeOf(ftView().defText()), defaultSize);

    for (int step = 0; step < 4; ++step)
        undo().undo();
    EXPECT_DOUBLE_EQ(sizeOf(text), textSize);
    EXPECT_TRUE(sameDesign(objects(), before)) << "every step undone gives back the saved design";
}

TEST_F(CACanvasFormatTest, FontConversionAppliesToEveryFontAndUndoes)
{
    const QByteArray before = objects();
    const double defaultSize = sizeOf(ftView().defText());
    selectOnly({text, box});
    CACanvasFormat::FontChange change;
    change.convert = [](const PWFont &font) { return PWFont(font.postScriptName(), 41.0, font.flags()); };
    format().changeFont(change);
    EXPECT_DOUBLE_EQ(sizeOf(text), 41.0);
    EXPECT_DOUBLE_EQ(sizeOf(ftView().defText()), defaultSize);
    undo().undo();
    EXPECT_TRUE(sameDesign(objects(), before));

    ftView().deselectAll();
    format().changeFont(sizeStep(2.0f, false));
    EXPECT_FALSE(undo().canUndo()) << "nothing selected: the default alone changes";
}

// The colour panel colours a separator's line: the line is drawn in it, a saved copy reads back
// with it, and undo gives the old colour back.
TEST_F(CACanvasFormatTest, ASeparatorColouredByThePanelDrawsSavesAndUndoesThatColour)
{
    separator->SetLineWidth(4.0);
    undo().removeAllActions();
    const CDDColor before = *separator->GetStrokeColor();
    const QByteArray saved = objects();
    const CDDColor green(0.1f, 0.7f, 0.2f, 1.0f);
    selectOnly({separator});
    format().changeColor(green);
    EXPECT_EQ(format().colorTargets(), (Targets{false, false, true, false}));

    const QImage image = drawtest::render(QSizeF(200, 200), 1, [this](CDDDrawer &drawer) {
        separator->Draw(&drawer, false, nullptr, false, true);
    });
    const QColor drawn = image.pixelColor(50, 180);
    EXPECT_NEAR(drawn.redF(), 0.1, 0.02);
    EXPECT_NEAR(drawn.greenF(), 0.7, 0.02);
    EXPECT_NEAR(drawn.blueF(), 0.2, 0.02);

    const std::vector<CFTComponent *> one {separator};
    const std::vector<std::unique_ptr<CFTComponent>> read =
        CADocument::componentsFromData(document.documentDataForComponents(&one));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(*read.front()->GetStrokeColor(), green);
    EXPECT_EQ(*read.front()->GetFillColor(), green);

    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_FORECOLOR"_s));
    undo().undo();
    EXPECT_EQ(*separator->GetStrokeColor(), before);
    EXPECT_TRUE(sameDesign(objects(), saved));
}

TEST_F(CACanvasFormatTest, AnAttributeChangeKeepsEveryOtherAttributeOfEachText)
{
    const CDDColor red(0.9f, 0.1f, 0.1f, 1.0f);
    text->SetTextColor(&red);
    text->SetFontSize(17.0);
    undo().removeAllActions();
    const QByteArray before = objects();
    const QTextCharFormat textBefore = *text->GetFontAttr(nullptr);
    const QTextCharFormat streetBefore = *street->GetFontAttr(nullptr);
    const double defaultSize = sizeOf(ftView().defText());
    selectOnly({text, street, box});

    QTextCharFormat underline;
    underline.setFontUnderline(true);
    format().changeAttributes(underline);
    for (const auto &[component, was] : {std::pair<CFTComponent *, QTextCharFormat>{text, textBefore},
                                         std::pair<CFTComponent *, QTextCharFormat>{street, streetBefore}}) {
        const QTextCharFormat now = *component->GetFontAttr(nullptr);
        EXPECT_TRUE(now.fontUnderline());
        EXPECT_EQ(now.fontPointSize(), was.fontPointSize());
        EXPECT_EQ(now.fontFamilies(), was.fontFamilies());
        EXPECT_EQ(now.foreground(), was.foreground());
    }
    EXPECT_DOUBLE_EQ(sizeOf(text), 17.0);
    EXPECT_FALSE(ftView().defText()->GetFontAttr(nullptr)->fontUnderline()) << "an edit of a selection is its alone";
    EXPECT_DOUBLE_EQ(sizeOf(ftView().defText()), defaultSize);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_FONT"_s));
    undo().undo();
    EXPECT_FALSE(text->GetFontAttr(nullptr)->fontUnderline());
    EXPECT_TRUE(sameDesign(objects(), before));
}

TEST_F(CACanvasFormatTest, AnAttributeChangeOnATextOfSeveralStylesKeepsEachStyle)
{
    // "Hello" large and blue, " world" as the text was.
    text->GetText()->setString(QStringLiteral("Hello world"), nullptr);
    QTextDocument *contents = text->GetText()->getContents();
    {
        QTextCursor cursor(contents);
        cursor.setPosition(0);
        cursor.setPosition(5, QTextCursor::KeepAnchor);
        QTextCharFormat large;
        large.setFontPointSize(30.0);
        large.setForeground(QColor(0, 0, 255));
        cursor.mergeCharFormat(large);
    }
    text->ExpandByText();
    const auto formatAt = [contents](int position) {
        QTextCursor at(contents);
        at.setPosition(position);
        return at.charFormat();
    };
    const QTextCharFormat helloBefore = formatAt(3);
    const QTextCharFormat worldBefore = formatAt(8);
    ASSERT_NE(textruns::fontOf(helloBefore, contents).pointSizeF(), textruns::fontOf(worldBefore, contents).pointSizeF());
    undo().removeAllActions();
    const QByteArray before = objects();
    selectOnly({text});

    QTextCharFormat underline;
    underline.setFontUnderline(true);
    format().changeAttributes(underline);
    for (const auto &[position, was] : {std::pair<int, QTextCharFormat>{3, helloBefore}, std::pair<int, QTextCharFormat>{8, worldBefore}}) {
        const QTextCharFormat now = formatAt(position);
        EXPECT_TRUE(now.fontUnderline()) << position;
        EXPECT_EQ(textruns::fontOf(now, contents).pointSizeF(), textruns::fontOf(was, contents).pointSizeF()) << position;
        EXPECT_EQ(now.foreground(), was.foreground()) << position;
    }
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_FONT"_s));
    undo().undo();
    EXPECT_FALSE(formatAt(3).fontUnderline());
    EXPECT_EQ(textruns::fontOf(formatAt(3), contents).pointSizeF(), 30.0);
    EXPECT_TRUE(sameDesign(objects(), before));
}

TEST_F(CACanvasFormatTest, WhileEditingInPlaceFontChangesReachTheEditorsSelectionOnly)
{
    text->GetText()->setString(QStringLiteral("Hello world"), nullptr);
    const double size = sizeOf(text);
    const double defaultSize = sizeOf(ftView().defText());
    selectOnly({text});
    view.startEditText(text);
    ASSERT_TRUE(view.isEditingText());
    undo().removeAllActions();
    QTextCursor cursor = view.fieldEditor()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    view.fieldEditor()->setTextCursor(cursor);

    format().changeFont(sizeStep(30.0f, true));
    QTextDocument *contents = text->GetText()->getContents();
    const auto formatAt = [contents](int position) {
        QTextCursor at(contents);
        at.setPosition(position);
        return at.charFormat();
    };
    // The size a character is drawn at, the document's default standing in for a size not set.
    const auto sizeAt = [&formatAt, contents](int position) {
        return textruns::fontOf(formatAt(position), contents).pointSizeF();
    };
    EXPECT_DOUBLE_EQ(sizeAt(3), 30.0) << "inside the selection";
    EXPECT_DOUBLE_EQ(sizeAt(8), size) << "outside the selection";
    QTextCharFormat strike;
    strike.setFontStrikeOut(true);
    format().changeAttributes(strike);
    EXPECT_TRUE(formatAt(3).fontStrikeOut());
    EXPECT_DOUBLE_EQ(sizeAt(3), 30.0) << "the attribute change kept the new size";
    EXPECT_FALSE(formatAt(8).fontStrikeOut());
    EXPECT_DOUBLE_EQ(sizeOf(ftView().defText()), defaultSize) << "new texts keep their font";
    EXPECT_FALSE(ftView().defText()->GetFontAttr(nullptr)->fontStrikeOut());
    EXPECT_FALSE(undo().canUndo()) << "as typing in place, no step";

    // With nothing selected in the editor the change is what is typed next.
    cursor.setPosition(contents->characterCount() - 1);
    view.fieldEditor()->setTextCursor(cursor);
    format().changeFont(sizeStep(2.0f, false));
    EXPECT_DOUBLE_EQ(sizeAt(8), size) << "no character changed";
    EXPECT_DOUBLE_EQ(textruns::fontOf(view.fieldEditor()->textCursor().charFormat(), contents).pointSizeF(),
                     size + 2.0);
}

TEST_F(CACanvasFormatTest, ColourGoesByKindAndTheLastKindDecidesTheDefault)
{
    const CDDColor green(0.1f, 0.8f, 0.2f, 1.0f);
    const CDDColor strokeBefore = *ftView().defBox()->GetStrokeColor();
    const CDDColor fillBefore = *ftView().defBox()->GetFillColor();
    const CDDColor textBefore = *ftView().defText()->GetStrokeColor();
    const QByteArray before = objects();

    // The separator first, the text last: the text's flag wins.
    selectOnly({separator, text});
    format().changeColor(green);
    EXPECT_EQ(*text->GetTextColor(), green);
    EXPECT_EQ(*separator->GetStrokeColor(), green);
    EXPECT_EQ(format().colorTargets(), (Targets{true, false, false, false}));
    // The colour is the selection's alone: what new items get stays.
    EXPECT_EQ(*ftView().defText()->GetStrokeColor(), textBefore);
    EXPECT_EQ(*ftView().defBox()->GetStrokeColor(), strokeBefore);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_FORECOLOR"_s));
    undo().undo();
    EXPECT_TRUE(sameDesign(objects(), before)) << "colours and the separator's outline switch go back";

    struct Case
    {
        const char *name;
        CFTComponent *target;
        Targets targets;
    };
    for (const Case &c : {Case{"shape", box, {false, true, false, false}},
                          Case{"picture", picture, {false, true, false, false}},
                          Case{"separator", separator, {false, false, true, false}},
                          Case{"address text", street, {true, false, false, false}}}) {
        selectOnly({c.target});
        format().changeColor(green);
        EXPECT_EQ(format().colorTargets(), c.targets) << c.name;
        undo().undo();
    }
    EXPECT_EQ(*ftView().defBox()->GetFillColor(), fillBefore) << "a shape's colour is no default";
    EXPECT_EQ(*ftView().defBox()->GetStrokeColor(), strokeBefore) << "a separator's colour is no default";
    // With nothing selected the last kind coloured decides the default.
    ftView().deselectAll();
    format().changeColor(green);
    EXPECT_EQ(*ftView().defText()->GetStrokeColor(), green);
    EXPECT_EQ(*ftView().defBox()->GetFillColor(), fillBefore);
    EXPECT_TRUE(sameDesign(objects(), before));
}

TEST_F(CACanvasFormatTest, ColourWithNothingSelectedGoesToTheToolsDefaultOnly)
{
    const CDDColor blue(0.1f, 0.2f, 0.9f, 0.5f);
    const CDDColor strokeBefore = *ftView().defBox()->GetStrokeColor();
    const CDDColor textBefore = *ftView().defText()->GetStrokeColor();
    const QByteArray before = objects();
    format().setToolMode(toolField);
    ftView().deselectAll();
    format().changeColor(blue);
    EXPECT_EQ(*ftView().defBox()->GetFillColor(), blue);
    EXPECT_EQ(*ftView().defBox()->GetStrokeColor(), strokeBefore);
    EXPECT_EQ(*ftView().defText()->GetStrokeColor(), textBefore);
    EXPECT_FALSE(undo().canUndo()) << "no step without a selection";
    EXPECT_TRUE(sameDesign(objects(), before));

    format().setToolMode(toolSeparator);
    const CDDColor red(0.9f, 0.1f, 0.1f, 1.0f);
    format().changeColor(red);
    EXPECT_EQ(*ftView().defBox()->GetFillColor(), blue) << "the separator tool names no default";
    EXPECT_EQ(*ftView().defText()->GetStrokeColor(), textBefore);
}

TEST_F(CACanvasFormatTest, ColourWellsActOnlyWhileTheCanvasHasTheFocus)
{
    const CDDColor orange(1.0f, 0.5f, 0.0f, 1.0f);
    selectOnly({box});
    const CDDColor fill = *box->GetFillColor();
    format().backColor(orange);
    EXPECT_EQ(*box->GetFillColor(), fill) << "another view has the focus";
    EXPECT_FALSE(undo().canUndo());

    QWidget window;
    view.setParent(&window);
    window.show();
    view.setFocus();
    ASSERT_EQ(window.focusWidget(), &view);
    format().backColor(orange);
    EXPECT_EQ(*box->GetFillColor(), orange);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_BACKCOLOR"_s));
    EXPECT_NE(*ftView().defBox()->GetFillColor(), orange) << "an edit of a selection is its alone";
    format().foreColor(orange);
    EXPECT_EQ(*box->GetStrokeColor(), orange);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_FORECOLOR"_s));
    selectOnly({text});
    format().textColor(orange);
    EXPECT_EQ(*text->GetTextColor(), orange);
    EXPECT_EQ(undo().undoActionName(), PWLocalizedString(u"CHANGE_TEXTCOLOR"_s));
    view.setParent(nullptr);
}

TEST_F(CACanvasFormatTest, FacingIdentificationMarkTogglesOnEnvelopesOnly)
{
    format().showFIMBarcode();
    EXPECT_FALSE(document.ftDocument()->isFIMBarcodeVisible()) << "a label has none";
    document.ftDocument()->setDocumentType(dtEnvelope);
    format().showFIMBarcode();
    EXPECT_TRUE(document.ftDocument()->isFIMBarcodeVisible());
    format().showFIMBarcode();
    EXPECT_FALSE(document.ftDocument()->isFIMBarcodeVisible());
    const bool guidelines = ftView().NeedDrawGuidelines();
    format().showGuidelineAreas();
    EXPECT_NE(ftView().NeedDrawGuidelines(), guidelines);
    EXPECT_FALSE(undo().canUndo()) << "display switches are no edit";
}

} // namespace
