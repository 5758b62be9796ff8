#include <gtest/gtest.h>

#include "app/canvas/CACanvasSelection.h"
#include "app/inspector/CAAddressSubView.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/inspector/CAColorWell.h"
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CACanvasTextEditor.h"

#include "../canvas/AddressCanvasFixture.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWUserDefaults.h"

#include "ShownPixels.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(AddressPaneRules, EverySourceItemSetsTheTypeItIsTaggedWith)
{
    EXPECT_EQ(CAAddressSubView::addressTypeForTag(0), adMain);
    EXPECT_EQ(CAAddressSubView::addressTypeForTag(1), adWork);
    EXPECT_EQ(CAAddressSubView::addressTypeForTag(2), adHome);
    EXPECT_EQ(CAAddressSubView::addressTypeForTag(3), adOther);
    EXPECT_EQ(CAAddressSubView::addressTypeForTag(7), adOther);
    EXPECT_EQ(CAAddressSubView::addressTypeForTag(-1), adOther);
}

TEST(AddressPaneRules, FieldModesShowAsMenuStates)
{
    EXPECT_EQ(CAAddressSubView::stateForMode(fmWhenFilled), Qt::Checked);
    EXPECT_EQ(CAAddressSubView::stateForMode(fmNever), Qt::Unchecked);
    EXPECT_EQ(CAAddressSubView::stateForMode(fmAlways), Qt::PartiallyChecked);
    EXPECT_EQ(CAAddressSubView::stateForMode(fmUnset), Qt::PartiallyChecked);
}

TEST(AddressPaneRules, SliderSizesNearAWholeNumberAreThatNumber)
{
    EXPECT_FLOAT_EQ(sliderFontSize(12.05), 12.0f);
    EXPECT_FLOAT_EQ(sliderFontSize(11.95), 12.0f);
    EXPECT_FLOAT_EQ(sliderFontSize(12.4), 12.4f);
    EXPECT_FLOAT_EQ(sliderFontSize(12.0), 12.0f);
}

struct InspectedAddresses : AddressCanvas
{
    InspectedAddresses()
    {
        inspector = CAPropertiesController::sharedPropertiesController();
        inspector->showWindow();
        pane = static_cast<CAAddressSubView *>(inspector->pane(CAPropertiesController::AddressTab));
    }
    ~InspectedAddresses() { PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("FTConvertToUppercase")); }

    void show(std::initializer_list<CFTComponent *> components)
    {
        view.ftView()->deselectAll();
        for (CFTComponent *component : components)
            view.ftView()->select(component);
        view.notifySelectionChanged();
    }
    template <typename T>
    T *child(const char *name) const
    {
        return pane->findChild<T *>(QString::fromLatin1(name));
    }
    QAction *fieldItem(textCategory category) const
    {
        const QList<QAction *> items = pane->fieldsMenu()->actions();
        for (QAction *item : items) {
            if (item->data().toInt() == int(category))
                return item;
        }
        return nullptr;
    }
    // Opens the fields pull-down and clicks the item, as a user does.
    void choose(QAction *item)
    {
        QMenu *menu = pane->fieldsMenu();
        menu->popup(child<QToolButton>("_fieldsListButton")->mapToGlobal(QPoint(0, 0)));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }

    CAPropertiesController *inspector = nullptr;
    CAAddressSubView *pane = nullptr;
};

TEST(AddressPane, ShownForPanelsAndDisabledWithoutACanvas)
{
    InspectedAddresses canvas;
    ASSERT_NE(canvas.pane, nullptr);
    canvas.show({canvas.recipient});
    EXPECT_EQ(canvas.inspector->tabView()->currentIndex(), int(CAPropertiesController::AddressTab));
    EXPECT_TRUE(canvas.child<QToolButton>("_fieldsListButton")->isEnabled());
    EXPECT_TRUE(canvas.child<QComboBox>("_addressSourceButton")->isEnabled());
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, nullptr);
    EXPECT_FALSE(canvas.child<QToolButton>("_fieldsListButton")->isEnabled());
    EXPECT_FALSE(canvas.child<QSlider>("_textSizeSlider")->isEnabled());
    EXPECT_EQ(canvas.pane->docView(), nullptr);
}

TEST(AddressPane, MixedAddressTypesShowNoItemAndTheMainItemSetsTheMainAddress)
{
    InspectedAddresses canvas;
    canvas.step([&] { canvas.edits().setAddressType(adWork, canvas.recipient); });
    canvas.step([&] { canvas.edits().setAddressType(adHome, canvas.sender); });
    canvas.undo()->removeAllActions();
    const QByteArray before = canvas.bytes();
    canvas.show({canvas.recipient, canvas.sender});
    QComboBox *source = canvas.child<QComboBox>("_addressSourceButton");
    EXPECT_EQ(source->currentIndex(), -1);
    source->setFocus();
    QTest::keyClick(source, Qt::Key_Home);
    EXPECT_EQ(canvas.recipient->GetAddressType(), adMain);
    EXPECT_EQ(canvas.sender->GetAddressType(), adMain);
    EXPECT_EQ(canvas.undo()->undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_ADDRESS_TYPE")));
    canvas.undo()->undo();
    EXPECT_SAME_BYTES(canvas.bytes(), before);
    EXPECT_EQ(canvas.recipient->GetAddressType(), adWork);
}

TEST(AddressPane, FieldsMenuListsEachFieldOnceAndTogglesItAsOneStep)
{
    InspectedAddresses canvas;
    const QByteArray before = canvas.bytes();
    canvas.show({canvas.recipient});
    const QList<CAAddressSubView::FieldEntry> entries = CAAddressSubView::fieldEntries({canvas.recipient});
    ASSERT_FALSE(entries.isEmpty());
    QList<int> categories;
    for (const CAAddressSubView::FieldEntry &entry : entries) {
        EXPECT_NE(entry.category, tcBarcode);
        EXPECT_FALSE(categories.contains(int(entry.category))) << int(entry.category);
        categories.append(int(entry.category));
    }
    // The title and one item per field.
    EXPECT_EQ(canvas.pane->fieldsMenu()->actions().size(), entries.size() + 1);

    const CAAddressSubView::FieldEntry first = entries.front();
    QAction *item = canvas.fieldItem(first.category);
    ASSERT_NE(item, nullptr);
    const bool wasOn = first.mode == fmWhenFilled || first.mode == fmAlways;
    canvas.choose(item);
    EXPECT_EQ(canvas.recipient->getMode(first.category), wasOn ? fmNever : fmWhenFilled);
    EXPECT_EQ(canvas.undo()->undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_FIELD_MODE")));
    // The menu follows the panel.
    EXPECT_EQ(canvas.fieldItem(first.category)->isChecked(), !wasOn);
    canvas.undo()->undo();
    EXPECT_SAME_BYTES(canvas.bytes(), before);
}

TEST(AddressPane, TwoPanelsShowTheFirstPanelsStateAndEachTogglesItsOwn)
{
    InspectedAddresses canvas;
    const textCategory field = CAAddressSubView::fieldEntries({canvas.recipient}).front().category;
    canvas.step([&] { canvas.edits().setModeForTextCategory(fmNever, field, canvas.recipient); });
    canvas.step([&] { canvas.edits().setModeForTextCategory(fmAlways, field, canvas.sender); });
    canvas.undo()->removeAllActions();
    const QByteArray before = canvas.bytes();

    canvas.show({canvas.sender, canvas.recipient});
    EXPECT_EQ(canvas.fieldItem(field)->property("fieldState").toInt(), int(Qt::PartiallyChecked));
    canvas.show({canvas.recipient, canvas.sender});
    QAction *item = canvas.fieldItem(field);
    EXPECT_EQ(item->property("fieldState").toInt(), int(Qt::Unchecked));
    canvas.choose(item);
    EXPECT_EQ(canvas.recipient->getMode(field), fmWhenFilled);
    EXPECT_EQ(canvas.sender->getMode(field), fmNever);
    canvas.undo()->undo();
    EXPECT_SAME_BYTES(canvas.bytes(), before);
}

TEST(AddressPane, ShowingAllFieldsIsNoEditOfTheDesign)
{
    InspectedAddresses canvas;
    canvas.show({canvas.recipient, canvas.sender});
    const bool recipientShown = canvas.recipient->isShowAllFields();
    const bool senderShown = canvas.sender->isShowAllFields();
    QSignalSpy edited(&canvas.view, &CADocView::designEdited);
    QCheckBox *showAll = canvas.child<QCheckBox>("_showAllFieldsButton");
    ASSERT_TRUE(showAll->isEnabled());
    showAll->setFocus();
    QTest::keyClick(showAll, Qt::Key_Space);
    EXPECT_NE(canvas.recipient->isShowAllFields(), recipientShown);
    EXPECT_NE(canvas.sender->isShowAllFields(), senderShown);
    EXPECT_EQ(edited.count(), 0);
    EXPECT_FALSE(canvas.undo()->canUndo());
}

TEST(AddressPane, TheFirstSizeSliderMoveWithoutASizeAppliesTheSizeItself)
{
    InspectedAddresses canvas;
    canvas.show({canvas.recipient});
    const std::optional<PWFont> shown = canvas.recipient->GetFont(nullptr);
    ASSERT_TRUE(shown);
    // The selected text's size reaches the size field.
    EXPECT_EQ(canvas.child<QLineEdit>("_textSizeTextField")->text(), QString::number(shown->pointSize()));
    // No size known: the slider's size is applied as it is, not added to the text's.
    canvas.pane->setFontSizeControls(0.0f);
    QSlider *slider = canvas.child<QSlider>("_textSizeSlider");
    slider->setValue(sizeSliderValue(20.0));
    std::optional<PWFont> font = canvas.recipient->GetFont(nullptr);
    ASSERT_TRUE(font);
    EXPECT_DOUBLE_EQ(font->pointSize(), 20.0);
    // From a size shown, the slider grows the text by the difference.
    canvas.pane->setFontSizeControls(20.0f);
    slider->setValue(sizeSliderValue(24.0));
    font = canvas.recipient->GetFont(nullptr);
    ASSERT_TRUE(font);
    EXPECT_DOUBLE_EQ(font->pointSize(), 24.0);
    EXPECT_EQ(canvas.undo()->undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_FONT")));
}

// The slider stands between whole points: a position near a whole size applies that size, one
// between them the size it shows.
TEST(AddressPane, TheSizeSliderAppliesSizesBetweenWholePoints)
{
    struct Case
    {
        const char *name;
        double position;
        double applied;
    };
    const Case cases[] = {{"just above twelve", 12.05, 12.0}, {"between", 12.4, 12.4}, {"just below fifteen", 14.95, 15.0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        InspectedAddresses canvas;
        canvas.show({canvas.recipient});
        canvas.pane->setFontSizeControls(0.0f);
        QSlider *slider = canvas.child<QSlider>("_textSizeSlider");
        slider->setFocus();
        slider->setValue(sizeSliderValue(c.position));
        const std::optional<PWFont> font = canvas.recipient->GetFont(nullptr);
        ASSERT_TRUE(font);
        EXPECT_NEAR(font->pointSize(), c.applied, 1e-4);
        // The arrow keys step by whole points.
        const int before = slider->value();
        QTest::keyClick(slider, Qt::Key_Up);
        EXPECT_EQ(slider->value() - before, sizeSliderValue(1.0));
    }
}

TEST(AddressPane, TheBarcodeIsOfferedForRecipientPanelsOnly)
{
    InspectedAddresses canvas;
    canvas.show({canvas.sender});
    EXPECT_FALSE(canvas.child<QCheckBox>("_barcodeCheckbox")->isEnabled());
    EXPECT_FALSE(CAAddressSubView::barcodeAllowed(canvas.sender));
    canvas.show({canvas.recipient});
    QCheckBox *barcode = canvas.child<QCheckBox>("_barcodeCheckbox");
    ASSERT_EQ(barcode->isEnabled(), CAAddressSubView::barcodeAllowed(canvas.recipient));
    if (!barcode->isEnabled())
        GTEST_SKIP() << "the catalogue offers no barcode for this template";
    const QByteArray before = canvas.bytes();
    const bool shown = canvas.recipient->IsBarcodeVisible();
    barcode->setFocus();
    QTest::keyClick(barcode, Qt::Key_Space);
    EXPECT_NE(canvas.recipient->IsBarcodeVisible(), shown);
    EXPECT_EQ(canvas.undo()->undoActionName(), PWLocalizedString(QStringLiteral("SHOW_BARCODE")));
    canvas.undo()->undo();
    EXPECT_SAME_BYTES(canvas.bytes(), before);
}

// A design may carry a stale "hidden" mark beside a format that draws the barcode: the box
// shows the barcode that is drawn.
TEST(AddressPane, TheBarcodeBoxShowsTheBarcodeThatIsDrawn)
{
    InspectedAddresses canvas;
    if (!CAAddressSubView::barcodeAllowed(canvas.recipient))
        GTEST_SKIP() << "the catalogue offers no barcode for this template";
    for (const bool drawn : {true, false}) {
        SCOPED_TRACE(drawn ? "drawn" : "not drawn");
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            QStringLiteral("Name+Company"), QStringLiteral("us"), drawn, 1);
        (void)canvas.recipient->replaceFormat(format.get(), 0);
        canvas.recipient->SetBarcodeVisible(!drawn);
        canvas.show({canvas.recipient});
        EXPECT_EQ(canvas.child<QCheckBox>("_barcodeCheckbox")->isChecked(), drawn);
    }
}

// A panel whose format draws its barcode on one side while the panel keeps the other (as designs
// made before did) shows the side drawn. A side clicked moves the barcode there, drawn, kept and
// shown alike, and a field being edited keeps its editor over it as it moves.
TEST(AddressPane, TheBarcodeSideShownIsTheSideDrawn)
{
    const struct
    {
        const char *name;
        int drawn;
        int kept;
        int clicked;
        bool editing;
    } cases[] = {{"drawn below, kept above, Above clicked", 1, 0, 0, false},
                 {"drawn below, kept above, Below clicked", 1, 0, 1, false},
                 {"above, Below clicked while a field is edited", 0, 0, 1, true},
                 {"below, Above clicked while a field is edited", 1, 1, 0, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        InspectedAddresses canvas;
        if (!CAAddressSubView::barcodeAllowed(canvas.recipient))
            GTEST_SKIP() << "the catalogue offers no barcode for this template";
        canvas.view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas.view));
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            QStringLiteral("Name+Company"), QStringLiteral("us"), true, c.drawn);
        (void)canvas.recipient->replaceFormat(format.get(), 0);
        canvas.recipient->SetBarcodeVisible(true);
        canvas.recipient->SetBarcodeLocation(barcodeLocation(c.kept));
        canvas.edits().refreshTexts(canvas.recipient);
        canvas.view.viewport()->repaint();
        canvas.show({canvas.recipient});
        QAbstractButton *const sides[] = {canvas.child<QAbstractButton>("_barcodeAbove"),
                                          canvas.child<QAbstractButton>("_barcodeBelow")};
        ASSERT_TRUE(sides[0] && sides[1]);
        EXPECT_TRUE(sides[c.drawn]->isChecked()) << "the side drawn is shown";
        EXPECT_FALSE(sides[1 - c.drawn]->isChecked());

        CFTAAddressText *name = canvas.recipient->getAddressComponentWithTextCategory(tcFirstName);
        ASSERT_NE(name, nullptr);
        if (c.editing) {
            const QPointF inside(name->GetOriginX() + name->GetSizeX() / 2.0, name->GetOriginY() + name->GetSizeY() / 2.0);
            const QPoint target = canvas.view.geometry().widgetPoint(inside).toPoint();
            QTest::mouseDClick(canvas.view.viewport(), Qt::LeftButton, {}, target);
            if (!canvas.view.isEditingText())
                QTest::mouseDClick(canvas.view.viewport(), Qt::LeftButton, {}, target);
            ASSERT_TRUE(canvas.view.isEditingText());
            ASSERT_EQ(canvas.recipient->currentText(), name);
        }
        QTest::mouseClick(sides[c.clicked], Qt::LeftButton);
        QCoreApplication::processEvents();

        const CAddressFormat *barcodeLeaf = canvas.recipient->getFormat()->getFormatWithKey(tcBarcode);
        ASSERT_NE(barcodeLeaf, nullptr);
        EXPECT_EQ(barcodeLeaf->getRow() == 0 ? 0 : 1, c.clicked) << "drawn";
        EXPECT_EQ(canvas.recipient->GetBarcodeLocation(), c.clicked) << "kept";
        EXPECT_TRUE(sides[c.clicked]->isChecked()) << "shown";
        if (c.editing) {
            ASSERT_TRUE(canvas.view.isEditingText());
            // Where the name is drawn now, the editor stands, without a click or a drawing first.
            canvas.recipient->updateFormat();
            const QRectF field(name->GetOriginX(), name->GetOriginY(), name->GetSizeX(), name->GetSizeY());
            const QRectF editor = canvas.view.fieldEditor()->sceneBoundingRect();
            EXPECT_NEAR(editor.top(), field.top(), 1.0);
            EXPECT_TRUE(editor.contains(field.center()));
        }
        canvas.view.viewport()->repaint();
        const CFTComponent *barcode = canvas.recipient->getAddressComponentWithTextCategory(tcBarcode);
        ASSERT_NE(barcode, nullptr);
        EXPECT_EQ(barcode->GetOriginY() < name->GetOriginY(), c.clicked == 0) << "the barcode stands on its side";
        canvas.view.endEditText();
    }
}

// The panel has one barcode: made apart, the box shows it on at Apart, standing where it goes
// apart (its centre 171 points from the right edge and 22.5 from the bottom); switched off it goes
// from there, switched on again it comes back apart. Never two barcodes, and Undo walks back to
// the design as it was.
TEST(AddressPane, TheBarcodeBoxShowsTheOneBarcodeWhereverItStands)
{
    InspectedAddresses canvas;
    canvas.document.ftDocument()->setDocumentType(dtEnvelope);
    if (!CAAddressSubView::barcodeAllowed(canvas.recipient))
        GTEST_SKIP() << "the catalogue offers no barcode for this template";
    canvas.show({canvas.recipient});
    const QByteArray before = canvas.bytes();
    QCheckBox *box = canvas.child<QCheckBox>("_barcodeCheckbox");
    ASSERT_TRUE(box && box->isEnabled());
    ASSERT_FALSE(box->isChecked());
    const auto apartBarcodes = [&canvas] {
        std::vector<CFTComponent *> found;
        for (CFTComponent *component : canvas.view.ftView()->GetCurrentComponents())
            if (component->getClassID() == ciBarcode)
                found.push_back(component);
        return found;
    };
    const struct
    {
        const char *name;
        const char *clicked;
        bool inPanel;
        bool apart;
        int cell; // the place shown checked, the one kept while hidden
        bool step; // whether the click made a step
    } steps[] = {
        {"Show barcode", "_barcodeCheckbox", true, false, 0, true},
        {"Apart", "_barcodeApart", false, true, 2, true},
        {"Show barcode switched off while apart", "_barcodeCheckbox", false, false, 2, true},
        {"Show barcode on again", "_barcodeCheckbox", false, true, 2, true},
        {"Apart again", "_barcodeApart", false, true, 2, false},
        {"Below", "_barcodeBelow", true, false, 1, true},
    };
    int made = 0;
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        auto *clicked = canvas.child<QAbstractButton>(step.clicked);
        ASSERT_TRUE(clicked && clicked->isVisible() && clicked->isEnabled());
        QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(6, clicked->height() / 2));
        made += step.step ? 1 : 0;
        canvas.show({canvas.recipient});
        const bool inPanel = canvas.recipient->getFormat()->getFormatWithKey(tcBarcode) != nullptr;
        const std::vector<CFTComponent *> apart = apartBarcodes();
        EXPECT_EQ(inPanel, step.inPanel);
        ASSERT_EQ(apart.size(), step.apart ? 1u : 0u) << "one barcode, apart or in the panel, never both";
        EXPECT_EQ(box->isChecked(), step.inPanel || step.apart);
        for (int cell = 0; cell < 3; ++cell) {
            const char *names[] = {"_barcodeAbove", "_barcodeBelow", "_barcodeApart"};
            auto *shown = canvas.child<QAbstractButton>(names[cell]);
            // A place may be chosen for a hidden barcode too.
            EXPECT_TRUE(shown->isEnabled()) << names[cell];
            EXPECT_EQ(shown->isChecked(), cell == step.cell) << names[cell];
        }
        if (step.apart) {
            const CFTComponent *barcode = apart.front();
            const double width = canvas.document.ftDocument()->getDocumentSizeX(0);
            const double height = canvas.document.ftDocument()->getDocumentSizeY(0);
            EXPECT_NEAR(barcode->GetOriginX() + barcode->GetSizeX() / 2.0, width - 171.0, 0.01);
            EXPECT_NEAR(barcode->GetOriginY() + barcode->GetSizeY() / 2.0, height - 22.5, 0.01);
        }
    }
    for (int i = 0; i < made; ++i)
        canvas.undo()->undo();
    EXPECT_TRUE(apartBarcodes().empty());
    EXPECT_SAME_BYTES(canvas.bytes(), before);
}

// The pane shows what applies to what is selected: with nothing selected the colour new texts
// come out in and no barcode; with a panel its own text colour and its barcode, whatever was
// shown before.
TEST(AddressPane, ColourAndBarcodeShownAreThoseOfTheSelectionOrOfNewTexts)
{
    InspectedAddresses canvas;
    canvas.document.ftDocument()->setDocumentType(dtEnvelope);
    ASSERT_TRUE(CAAddressSubView::barcodeAllowed(canvas.recipient));
    const QColor black(Qt::black);
    const QColor red(Qt::red);
    const struct
    {
        const char *name;
        int barcode;  // the recipient's barcode made: 1 below, 2 apart, -1 left as it is
        bool colour;  // the recipient's text coloured red first
        int selected; // 0 nothing, 1 the recipient, 2 the sender
        QColor shown;
        int place; // the barcode place shown chosen, -1 none (and the box unticked, disabled)
    } rows[] = {
        {"recipient, barcode below", 1, false, 1, black, 1},
        {"nothing", -1, false, 0, black, -1},
        {"recipient, barcode apart", 2, false, 1, black, 2},
        {"sender, no barcode", -1, false, 2, black, -1},
        {"recipient in red", -1, true, 1, red, 2},
        {"nothing again", -1, false, 0, black, -1},
        {"sender after the red recipient", -1, false, 2, black, -1},
    };
    const char *places[] = {"_barcodeAbove", "_barcodeBelow", "_barcodeApart"};
    auto *well = canvas.child<CAColorWell>("_textColorWell");
    auto *box = canvas.child<QCheckBox>("_barcodeCheckbox");
    ASSERT_TRUE(well && box);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.barcode > 0)
            canvas.step([&] { canvas.edits().showBarcode(true, row.barcode, canvas.recipient); });
        if (row.colour)
            canvas.step([&] { canvas.view.edits().setForeColorForObject(CDDColor(1.0f, 0.0f, 0.0f, 1.0f), canvas.recipient); });
        if (row.selected == 0)
            canvas.show({});
        else
            canvas.show({row.selected == 1 ? canvas.recipient : canvas.sender});
        EXPECT_EQ(well->color().name(), row.shown.name());
        EXPECT_EQ(box->isChecked(), row.place >= 0);
        EXPECT_EQ(box->isEnabled(), row.place >= 0);
        for (int place = 0; place < 3; ++place) {
            auto *cell = canvas.child<QAbstractButton>(places[place]);
            EXPECT_EQ(cell->isChecked(), place == row.place) << places[place];
            EXPECT_EQ(cell->isEnabled(), row.place >= 0) << places[place];
        }
    }
}

TEST(AddressPane, CapitalsFollowThePreference)
{
    InspectedAddresses canvas;
    canvas.show({canvas.recipient});
    QCheckBox *capitals = canvas.child<QCheckBox>("_capitalizeButton");
    ASSERT_TRUE(capitals->isEnabled());
    const QByteArray before = canvas.bytes();
    capitals->setFocus();
    QTest::keyClick(capitals, Qt::Key_Space);
    EXPECT_EQ(int(canvas.recipient->representationType()) & 4, 4);
    EXPECT_EQ(canvas.undo()->undoActionName(), PWLocalizedString(QStringLiteral("SET_ADDRESS_UPPERCASE")));
    canvas.undo()->undo();
    EXPECT_SAME_BYTES(canvas.bytes(), before);
    PWUserDefaults::standardUserDefaults().setBool(QStringLiteral("FTConvertToUppercase"), true);
    canvas.show({canvas.recipient});
    EXPECT_FALSE(capitals->isEnabled());
}

// A field switched on or off lays the panel out again: the canvas shows the new lines at once,
// and an editor left on one of the panel's fields goes.
TEST(AddressPane, AFieldSwitchedShowsAtOnceOnTheCanvas)
{
    struct Case
    {
        const char *name;
        bool editing;
    };
    const Case cases[] = {{"nothing edited", false}, {"a field edited in place", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        InspectedAddresses canvas;
        canvas.view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas.view));
        canvas.show({canvas.recipient});
        if (c.editing) {
            const QPointF inside(canvas.recipient->GetOriginX() + 6, canvas.recipient->GetOriginY() + 6);
            QTest::mouseDClick(canvas.view.viewport(), Qt::LeftButton, {},
                               canvas.view.geometry().widgetPoint(inside).toPoint());
            ASSERT_TRUE(canvas.view.isEditingText());
        }
        canvas.view.viewport()->repaint();
        const QList<CAAddressSubView::FieldEntry> entries = CAAddressSubView::fieldEntries({canvas.recipient});
        ASSERT_FALSE(entries.isEmpty());
        const textCategory category = entries.front().category;
        const fieldMode before = canvas.recipient->getMode(category);
        QAction *item = canvas.fieldItem(category);
        ASSERT_NE(item, nullptr);
        canvas.choose(item);
        EXPECT_NE(canvas.recipient->getMode(category), before);
        EXPECT_FALSE(canvas.view.isEditingText());
        EXPECT_EQ(shownpixels::stalePixels(canvas.view.viewport()), 0);
    }
}

TEST(AddressPane, TheInspectorSurvivesItsDocumentClosing)
{
    auto canvas = std::make_unique<InspectedAddresses>();
    canvas->show({canvas->recipient});
    CAAddressSubView *pane = canvas->pane;
    QSlider *slider = pane->findChild<QSlider *>(QStringLiteral("_textSizeSlider"));
    QMenu *fields = pane->fieldsMenu();
    ASSERT_FALSE(fields->actions().isEmpty());
    QAction *item = fields->actions().last();
    canvas.reset();
    EXPECT_EQ(pane->docView(), nullptr);
    // Controls used afterwards reach nothing.
    slider->setValue(slider->value() == 30 ? 31 : 30);
    item->trigger();
    EXPECT_EQ(pane->docView(), nullptr);
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, nullptr);
    EXPECT_FALSE(slider->isEnabled());
}

} // namespace
