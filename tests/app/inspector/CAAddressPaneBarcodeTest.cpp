// The barcode of a recipient panel in a document window, clicked through the Address pane and
// Format > Address Panel > Show Barcode: it keeps its place while hidden (Apart included), a place
// may be chosen for it while hidden, a click on the place it has is no step, and Undo and Redo
// from the Edit menu walk each step to the very design before and after it.
#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAAddressSubView.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/shell/CACanvasFormatCommands.h"
#include "app/shell/CAChangeLayoutSheet.h"
#include "app/shell/CAPropertiesPanel.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/FTClassID.h"
#include "kernel/document/CFTAView.h"
#include "platform/PWUndoManager.h"

#include "../canvas/AddressCanvasFixture.h"
#include "../shell/ShellTestSupport.h"

#include <QAbstractButton>
#include <QCheckBox>

#include <string>

namespace {

class CAAddressPaneBarcodeTest : public shelltest::Test
{
public:
    bool start()
    {
        launch(1);
        installChangeLayoutSheet();
        installPropertiesPanel(*controller);
        installCanvasFormatCommands(*controller);
        controller->panels().show(CAFloatingPanels::PropertiesWindow);
        CAMainWindowController *w = window(0);
        if (!w)
            return false;
        canvas = w->docView();
        canvas->document()->ftDocument()->setDocumentType(dtEnvelope);
        canvas->addressCommands().addressPanel(true);
        for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            if (component->getClassID() == ciAddressPanel)
                panel = static_cast<CFTAAddressPanel *>(component);
        canvas->document()->undoManager()->setGroupsByEvent(false);
        canvas->document()->undoManager()->removeAllActions();
        pane = static_cast<CAAddressSubView *>(
            CAPropertiesController::sharedPropertiesController()->pane(CAPropertiesController::AddressTab));
        return panel && pane;
    }
    void selectPanel()
    {
        canvas->ftView()->deselectAll();
        canvas->ftView()->select(panel);
        canvas->notifySelectionChanged();
    }
    QAbstractButton *button(const char *name) const { return pane->findChild<QAbstractButton *>(QString::fromLatin1(name)); }
    // The item of the main menu chosen, with the design's window in front as when the menu is used.
    void menu(const char *action)
    {
        window(0)->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window(0)));
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(action));
        ASSERT_TRUE(item);
        ASSERT_TRUE(controller->router().validate(QString::fromLatin1(action), item)) << action;
        ASSERT_TRUE(controller->router().perform(QString::fromLatin1(action), item)) << action;
    }
    // The design as saved once the canvas has drawn it, as the user sees each step.
    QByteArray bytes() const
    {
        (void)canvas->grab();
        return canvas->document()->dataRepresentationOfType(CADocument::kAddressDocumentType);
    }
    int apartCount() const
    {
        int count = 0;
        for (const CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            count += component->getClassID() == ciBarcode ? 1 : 0;
        return count;
    }

    CADocView *canvas = nullptr;
    CFTAAddressPanel *panel = nullptr;
    CAAddressSubView *pane = nullptr;
};

constexpr int kHidden = -1;

TEST_F(CAAddressPaneBarcodeTest, TheBarcodeKeepsItsPlaceWhileHiddenAndEveryStepIsUndoneExactly)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(CAAddressSubView::barcodeAllowed(panel));
    const struct
    {
        const char *name;
        const char *clicked; // a button of the pane, or "menu" for Format > Address Panel > Show Barcode
        int shownAt;         // where the barcode is drawn: 0 above, 1 below, 2 apart, kHidden
        int place;           // the place the pane shows chosen
        bool step;           // whether the click is a step of its own
    } steps[] = {
        {"shown", "_barcodeCheckbox", 0, 0, true},
        {"apart", "_barcodeApart", 2, 2, true},
        {"apart clicked again", "_barcodeApart", 2, 2, false},
        {"hidden from apart", "_barcodeCheckbox", kHidden, 2, true},
        {"shown again by the menu", "menu", 2, 2, true},
        {"hidden by the menu", "menu", kHidden, 2, true},
        {"below chosen while hidden", "_barcodeBelow", kHidden, 1, true},
        {"below clicked again while hidden", "_barcodeBelow", kHidden, 1, false},
        {"shown below", "_barcodeCheckbox", 1, 1, true},
        {"apart from below", "_barcodeApart", 2, 2, true},
        {"hidden", "_barcodeCheckbox", kHidden, 2, true},
        {"apart chosen while hidden is kept", "_barcodeApart", kHidden, 2, false},
        {"shown from hidden apart", "_barcodeCheckbox", 2, 2, true},
    };
    const char *places[] = {"_barcodeAbove", "_barcodeBelow", "_barcodeApart"};
    QByteArray beforeLastStep = bytes();
    for (const auto &row : steps) {
        SCOPED_TRACE(row.name);
        selectPanel();
        const QByteArray before = bytes();
        if (std::string(row.clicked) == "menu") {
            menu("showBarcode");
        } else {
            QAbstractButton *clicked = button(row.clicked);
            ASSERT_TRUE(clicked && clicked->isVisible() && clicked->isEnabled());
            QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(6, clicked->height() / 2));
        }
        selectPanel();
        const QByteArray after = bytes();
        EXPECT_EQ(canvas->addressEdits().shownBarcodeLocation(panel), row.shownAt);
        EXPECT_EQ(apartCount(), row.shownAt == 2 ? 1 : 0) << "one barcode at most, and apart only when shown so";
        EXPECT_EQ(button("_barcodeCheckbox")->isChecked(), row.shownAt != kHidden);
        for (int place = 0; place < 3; ++place) {
            EXPECT_TRUE(button(places[place])->isEnabled()) << places[place] << ": a place may be chosen";
            EXPECT_EQ(button(places[place])->isChecked(), place == row.place) << places[place];
        }

        // Undo goes back to the design before the step (before the one before, when the click
        // was none), Redo to the design after it.
        EXPECT_EQ(after == before, !row.step) << "the click changed the design";
        menu("undo");
        EXPECT_SAME_BYTES(bytes(), row.step ? before : beforeLastStep) << "after Undo";
        menu("redo");
        EXPECT_SAME_BYTES(bytes(), after) << "after Redo";
        if (row.step)
            beforeLastStep = before;
    }
}

} // namespace
