// The canvas's tool, font, colour, picture and barcode commands through the window's router: the
// font manager's size steps and the colour panel reaching the canvas of the active window.
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasFormat.h"
#include "app/canvas/CADocView.h"
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CACanvasAddressEdits.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/FTClassID.h"
#include "app/inspector/CAColorWell.h"
#include "app/inspector/CAInspectorPane.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAFloatingPanels.h"
#include "app/shell/CAFontManager.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWBundle.h"
#include "platform/PWUndoManager.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QColorDialog>
#include <QFile>
#include <QImage>
#include <QTabWidget>

using namespace shelltest;
using namespace Qt::StringLiterals;

namespace {

class CACanvasFormatCommandsShellTest : public shelltest::Test
{
protected:
    void TearDown() override
    {
        setReplaceImageChooser(nullptr);
        shelltest::Test::TearDown();
    }
    // A launched window with a text and a shape on its canvas, the commands installed.
    CADocView *start()
    {
        launch(1);
        installChangeLayoutSheet();
        installCanvasFormatCommands(*controller);
        CAMainWindowController *w = window(0);
        if (!w)
            return nullptr;
        canvas = w->docView();
        CFTADocument *design = canvas->document()->ftDocument();
        text = new CFTAText(120.0, 40.0, 90.0, 24.0, nullptr);
        text->GetText()->setString(u"Hello"_s, nullptr);
        design->AddObject(text, 0, false);
        box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
        design->AddObject(box, 0, false);
        canvas->document()->undoManager()->setGroupsByEvent(false);
        canvas->document()->undoManager()->removeAllActions();
        return canvas;
    }
    QString undoName() const { return canvas->document()->undoManager()->undoActionName(); }

    CADocView *canvas = nullptr;
    CFTAText *text = nullptr;
    CFTBoxField *box = nullptr;
};

TEST_F(CACanvasFormatCommandsShellTest, BiggerAndSmallerStepTheSelectedTextThroughTheFontManager)
{
    ASSERT_TRUE(start());
    EXPECT_FALSE(valid("increaseFontSize")) << "no text selected";
    canvas->ftView()->select(box);
    EXPECT_FALSE(valid("increaseFontSize")) << "a shape has no text style";
    canvas->ftView()->select(text);
    ASSERT_TRUE(valid("increaseFontSize"));
    const double size = text->GetFont(nullptr)->pointSize();

    ASSERT_TRUE(perform("increaseFontSize"));
    EXPECT_DOUBLE_EQ(text->GetFont(nullptr)->pointSize(), size + 1.0);
    EXPECT_EQ(undoName(), PWLocalizedString(u"CHANGE_FONT"_s));
    ASSERT_TRUE(perform("decreaseFontSize"));
    ASSERT_TRUE(perform("decreaseFontSize"));
    EXPECT_DOUBLE_EQ(text->GetFont(nullptr)->pointSize(), size - 1.0);
    EXPECT_FALSE(CAFontManager::sharedFontManager().getConvertSize()) << "the forced size is off again";
    ASSERT_TRUE(perform("undo"));
    EXPECT_DOUBLE_EQ(text->GetFont(nullptr)->pointSize(), size);
}

TEST_F(CACanvasFormatCommandsShellTest, ToolCommandsTickTheirItemAndSetTheColourTargets)
{
    ASSERT_TRUE(start());
    struct Case
    {
        const char *action;
        toolMode mode;
        CACanvasFormat::ColorTargets targets;
    };
    for (const Case &c : {Case{"textMode", toolText, {true, false, false, false}},
                          Case{"fieldMode", toolField, {false, true, false, false}},
                          Case{"separatorMode", toolSeparator, {}}, Case{"selectMode", toolSelect, {}}}) {
        ASSERT_TRUE(perform(c.action)) << c.action;
        EXPECT_EQ(canvas->ftView()->getToolMode(), c.mode) << c.action;
        EXPECT_EQ(canvas->format().colorTargets(), c.targets) << c.action;
        QAction item;
        ASSERT_TRUE(valid(c.action, &item));
        EXPECT_TRUE(item.isChecked()) << c.action;
        QAction other;
        valid(c.mode == toolText ? "selectMode" : "textMode", &other);
        EXPECT_FALSE(other.isChecked()) << c.action;
    }
}

TEST_F(CACanvasFormatCommandsShellTest, TheColourPanelColoursTheActiveCanvasSelection)
{
    ASSERT_TRUE(start());
    QColorDialog *panel = controller->panels().colorPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->testOption(QColorDialog::ShowAlphaChannel));
    canvas->ftView()->select(box);
    panel->setCurrentColor(QColor(20, 140, 60, 128));
    const CDDColor *fill = box->GetFillColor();
    ASSERT_TRUE(fill);
    EXPECT_EQ(*fill, CDDColor(float(20 / 255.0), float(140 / 255.0), float(60 / 255.0), float(128 / 255.0)));
    EXPECT_EQ(undoName(), PWLocalizedString(u"CHANGE_FORECOLOR"_s));
    EXPECT_EQ(canvas->format().colorTargets(), (CACanvasFormat::ColorTargets{false, true, false, false}));
    ASSERT_TRUE(perform("undo"));
    EXPECT_NE(*box->GetFillColor(), CDDColor(float(20 / 255.0), float(140 / 255.0), float(60 / 255.0),
                                             float(128 / 255.0)));
}

TEST_F(CACanvasFormatCommandsShellTest, AnActiveInspectorWellKeepsThePanelsColourToItself)
{
    ASSERT_TRUE(start());
    CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
    inspector->showWindow();
    CAInspectorPane *pane = inspector->pane(inspector->tabView()->currentIndex());
    ASSERT_TRUE(pane);
    const QList<CAColorWell *> wells = pane->findChildren<CAColorWell *>();
    ASSERT_FALSE(wells.isEmpty());
    wells.first()->setEnabled(true);
    wells.first()->activate();
    ASSERT_TRUE(inspector->colorActive());

    canvas->ftView()->select(box);
    const CDDColor fill = *box->GetFillColor();
    controller->panels().colorPanel()->setCurrentColor(QColor(200, 10, 10));
    EXPECT_EQ(*box->GetFillColor(), fill);
    EXPECT_FALSE(canvas->document()->undoManager()->canUndo());

    wells.first()->deactivate();
    inspector->close();
    controller->panels().colorPanel()->setCurrentColor(QColor(10, 10, 200));
    EXPECT_NE(*box->GetFillColor(), fill) << "with no well active the canvas takes it";
}

TEST_F(CACanvasFormatCommandsShellTest, DisplaySwitchesRetitleTheirItems)
{
    ASSERT_TRUE(start());
    QAction guidelines(u"Show Guideline Areas"_s);
    ASSERT_TRUE(valid("showGuidelineAreas", &guidelines));
    const QString shown = guidelines.text();
    ASSERT_TRUE(perform("showGuidelineAreas"));
    ASSERT_TRUE(valid("showGuidelineAreas", &guidelines));
    EXPECT_NE(guidelines.text(), shown);
    EXPECT_EQ(guidelines.text(), PWLocalizedString(canvas->ftView()->NeedDrawGuidelines()
                                                       ? u"Hide Postal Guidelines"_s
                                                       : u"Show Postal Guidelines"_s));
    EXPECT_FALSE(valid("showFIMBarcode")) << "the launched design is a label";
}

TEST_F(CACanvasFormatCommandsShellTest, PostalBarcodeAndItsLocationAreOneStepEach)
{
    ASSERT_TRUE(start());
    CACanvasEdits &edits = canvas->edits();
    ASSERT_FALSE(edits.separateBarcode());
    QAction shown;
    ASSERT_TRUE(valid("barcode", &shown));
    EXPECT_FALSE(shown.isChecked());
    ASSERT_TRUE(perform("barcode"));
    EXPECT_TRUE(edits.separateBarcode());
    EXPECT_EQ(undoName(), PWLocalizedString(u"SHOW_BARCODE"_s));
    ASSERT_TRUE(valid("barcode", &shown));
    EXPECT_TRUE(shown.isChecked());
    ASSERT_TRUE(perform("undo"));
    EXPECT_FALSE(edits.separateBarcode());

    // The location is that of the recipient panel's barcode.
    canvas->addressCommands().addressPanel(true);
    CFTComponent *panel = nullptr;
    for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
        if (component->getClassID() == ciAddressPanel)
            panel = component;
    ASSERT_TRUE(panel);
    canvas->addressEdits().showBarcode(true, 0, panel);
    ASSERT_EQ(canvas->document()->ftDocument()->getBarcodeLocation(), 0);
    canvas->document()->undoManager()->removeAllActions();
    QAction below;
    below.setData(1);
    canvas->ftView()->deselectAll();
    EXPECT_FALSE(valid("barcodeLocationRadio", &below)) << "nothing selected";
    canvas->ftView()->select(box);
    ASSERT_TRUE(valid("barcodeLocationRadio", &below));
    const int location = canvas->document()->ftDocument()->getBarcodeLocation();
    const int wanted = location == 1 ? 0 : 1;
    below.setData(wanted);
    ASSERT_TRUE(perform("barcodeLocationRadio", &below));
    EXPECT_EQ(canvas->document()->ftDocument()->getBarcodeLocation(), wanted);
    EXPECT_EQ(undoName(), PWLocalizedString(u"SET_BARCODE_LOCATION"_s));
    ASSERT_TRUE(valid("barcodeLocationRadio", &below));
    EXPECT_TRUE(below.isChecked());
    ASSERT_TRUE(perform("undo"));
    EXPECT_EQ(canvas->document()->ftDocument()->getBarcodeLocation(), location);
}

// Format > Address Panel > Show Barcode switches the selected panel's own barcode where it
// stands, as one step, ticked while the barcode shows.
TEST_F(CACanvasFormatCommandsShellTest, ShowBarcodeSwitchesTheSelectedPanelsBarcode)
{
    ASSERT_TRUE(start());
    canvas->addressCommands().addressPanel(true);
    CFTAAddressPanel *panel = nullptr;
    for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
        if (component->getClassID() == ciAddressPanel)
            panel = static_cast<CFTAAddressPanel *>(component);
    ASSERT_TRUE(panel);
    canvas->addressEdits().showBarcode(true, 1, panel);
    canvas->document()->undoManager()->removeAllActions();
    QAction item;
    canvas->ftView()->deselectAll();
    canvas->ftView()->select(box);
    EXPECT_FALSE(valid("showBarcode", &item)) << "no address panel selected";
    canvas->ftView()->select(panel);
    ASSERT_TRUE(valid("showBarcode", &item));
    EXPECT_TRUE(item.isChecked());

    // A menu item's check mark turns as it is chosen; the router validates it again first.
    item.setChecked(false);
    ASSERT_TRUE(perform("showBarcode", &item));
    EXPECT_FALSE(panel->IsBarcodeVisible());
    EXPECT_EQ(undoName(), PWLocalizedString(u"SHOW_BARCODE"_s));
    ASSERT_TRUE(valid("showBarcode", &item));
    EXPECT_FALSE(item.isChecked());
    ASSERT_TRUE(perform("undo"));
    EXPECT_TRUE(panel->IsBarcodeVisible());
    EXPECT_EQ(panel->GetBarcodeLocation(), 1) << "back where it stood";

    // Hidden below the address and shown again, it comes back below.
    canvas->addressEdits().showBarcode(false, 1, panel);
    item.setChecked(true);
    ASSERT_TRUE(perform("showBarcode", &item));
    EXPECT_TRUE(panel->IsBarcodeVisible());
    EXPECT_EQ(panel->GetBarcodeLocation(), 1);
}

TEST_F(CACanvasFormatCommandsShellTest, ReplacePictureInsertsTheChosenFileAndACancelChangesNothing)
{
    ASSERT_TRUE(start());
    const QString file = path(u"chosen.png"_s);
    QImage bitmap(12, 6, QImage::Format_ARGB32);
    bitmap.fill(0xff2060a0);
    ASSERT_TRUE(bitmap.save(file, "PNG"));
    const size_t count = canvas->ftView()->GetCurrentComponents().size();
    // With nothing selected there is nothing to replace; a text selected takes no picture, so
    // the one chosen is put beside it.
    canvas->ftView()->deselectAll();
    EXPECT_FALSE(valid("replaceImage")) << "nothing selected";
    canvas->ftView()->select(text);

    setReplaceImageChooser([](QWidget *) { return QString(); });
    ASSERT_TRUE(perform("replaceImage"));
    EXPECT_EQ(canvas->ftView()->GetCurrentComponents().size(), count);
    EXPECT_FALSE(canvas->document()->undoManager()->canUndo());

    setReplaceImageChooser([file](QWidget *) { return file; });
    ASSERT_TRUE(perform("replaceImage"));
    ASSERT_EQ(canvas->ftView()->GetCurrentComponents().size(), count + 1);
    EXPECT_EQ(canvas->ftView()->GetCurrentComponents().back()->getType(), ctPicture);
    EXPECT_EQ(undoName(), PWLocalizedString(u"INSERT_OBJECT"_s));
    EXPECT_FALSE(valid("removeBackground")) << "no background";
    EXPECT_FALSE(valid("setBackPlacing"));
}

} // namespace
