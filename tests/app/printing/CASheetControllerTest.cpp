#include "SheetTestSupport.h"

#include <QScreen>

using namespace templatetest;

TEST_F(SheetTest, ChoosingATemplateByFiltersAppliesItAsOneUndoableStep)
{
    auto document = newDocument(dtLabel);
    ASSERT_EQ(document->ftDocument()->GetID().getData(), u"05960"_s);
    open(*document);
    EXPECT_EQ(sheet->window()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(selectedID(CALayoutController::StandardTable), u"05960"_s);

    choose("_categoryPopup", u"Shipping Labels"_s);
    for (const auto &format : sheet->filteredLayouts())
        EXPECT_EQ(format->Category(), u"Shipping Labels"_s);
    auto *search = control<QLineEdit>("_search");
    search->setFocus();
    QTest::keyClicks(search, u"5163"_s);
    EXPECT_EQ(selectedID(CALayoutController::StandardTable), u"05163"_s);
    EXPECT_FALSE(sheet->previewImage().isNull());
    click("chooserPortrait");
    EXPECT_FALSE(document->ftDocument()->IsHorizontal(0)) << "the page shows the orientation at once";
    click("_btnOK");

    EXPECT_EQ(ended, int(CASheetController::OKCode));
    CFTADocument *design = document->ftDocument();
    EXPECT_EQ(design->GetID().getData(), u"05163"_s);
    EXPECT_EQ(design->GetColCount(), 2);
    EXPECT_EQ(design->GetRowCount(), 5);
    EXPECT_DOUBLE_EQ(design->getCardSizeX(), 288.0);
    EXPECT_FALSE(design->IsHorizontal(0));
    EXPECT_EQ(deltas.count(1), 1);
    EXPECT_EQ(CATemplateFormat::recentLayouts(dtLabel)->first()->ID(), u"05163"_s);
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().stringForKey(u"FTLabelCategory"_s), u"Shipping Labels"_s);
    const PWPlist::Array stored = PWUserDefaults::standardUserDefaults().arrayForKey(u"FTRecentLabelLayout"_s);
    ASSERT_FALSE(stored.isEmpty());
    EXPECT_EQ(stored.first().toDictionary().value(u"ID"_s).toString(), u"05163"_s);

    // Undo brings back the old sheet and its orientation, redo the new one.
    PWUndoManager *undo = document->undoManager();
    ASSERT_TRUE(undo->canUndo());
    EXPECT_EQ(undo->undoActionName(), u"Change Layout"_s);
    undo->undo();
    EXPECT_EQ(design->GetID().getData(), u"05960"_s);
    EXPECT_EQ(design->GetColCount(), 3);
    EXPECT_EQ(design->GetRowCount(), 10);
    EXPECT_DOUBLE_EQ(design->getCardSizeX(), 189.0);
    EXPECT_TRUE(design->IsHorizontal(0));
    EXPECT_TRUE(design->IsPredefinedLayout());
    undo->redo();
    EXPECT_EQ(design->GetID().getData(), u"05163"_s);
    EXPECT_EQ(deltas, (QList<int>{0, 1, -1, 1}));
}

TEST_F(SheetTest, AChosenTemplateGoesToTheTopOfTheRecentListOnce)
{
    auto document = newDocument(dtLabel);
    for (int round = 0; round < 2; ++round) {
        open(*document);
        click("_btnOK");
    }
    const auto *recent = CATemplateFormat::recentLayouts(dtLabel);
    ASSERT_EQ(recent->size(), 1);
    EXPECT_EQ(recent->first()->ID(), u"05960"_s);
}

TEST_F(SheetTest, ACustomLabelTemplateMadeInTheEditorIsListedAppliedAndKept)
{
    auto document = newDocument(dtLabel);
    open(*document);
    showTab(1);
    click("_btnCreateNew");
    ASSERT_TRUE(sheet->isEditing());
    EXPECT_EQ(control<QLineEdit>("_name")->text(), u"05960 Copy"_s);
    EXPECT_TRUE(control<QLineEdit>("_name")->hasFocus());

    typeInto("_name", u"Pantry"_s);
    choose("_units", u"Millimeters"_s);
    typeInto("_width", u"60"_s);
    typeInto("_height", u"30"_s);
    choose("_pageSize", u"A4"_s);
    click("_auto");
    EXPECT_EQ(control<QLineEdit>("_columns")->text(), u"3"_s);
    EXPECT_EQ(control<QLineEdit>("_rows")->text(), u"9"_s);
    EXPECT_FALSE(control<QLineEdit>("_columns")->isEnabled());
    EXPECT_FALSE(sheet->editorController()->previewImage().isNull());
    click("_editorBtnOK");

    ASSERT_FALSE(sheet->isEditing());
    EXPECT_EQ(control<QTabWidget>("_tabView")->currentIndex(), 1);
    EXPECT_EQ(selectedID(CALayoutController::CustomTable), u"Pantry"_s);
    EXPECT_EQ(control<QTableView>("_tableCustomView")->model()->index(0, CATemplateTableModel::ManufacturerColumn).data(),
              u"Custom"_s);
    click("_btnOK");

    CFTADocument *design = document->ftDocument();
    EXPECT_EQ(design->GetID().getData(), u"Pantry"_s);
    EXPECT_EQ(design->GetManufacturer().getData(), u"Custom"_s);
    EXPECT_EQ(design->GetColCount(), 3);
    EXPECT_EQ(design->GetRowCount(), 9);
    EXPECT_NEAR(design->getCardSizeX(), 60 * kMm, 0.001);
    EXPECT_FALSE(design->IsPredefinedLayout());

    // The custom template survives a restart.
    restart();
    const auto *custom = CATemplateFormat::customLayouts(dtLabel);
    ASSERT_EQ(custom->size(), 1);
    EXPECT_EQ(custom->first()->ID(), u"Pantry"_s);
    EXPECT_EQ(custom->first()->Columns(), 3);
    EXPECT_NEAR(custom->first()->getLeftMargin(), (594.0 - 3 * 60 * kMm) / 2, 0.01);
    EXPECT_EQ(CATemplateFormat::recentLayouts(dtLabel)->first()->ID(), u"Pantry"_s);
}

TEST_F(SheetTest, CustomTemplatesAreDuplicatedEditedAndDeleted)
{
    auto document = newDocument(dtLabel);
    auto mine = labelTemplate(u"Label"_s, u"Custom"_s);
    mine->setPredef(false);
    CATemplateFormat::customLayouts(dtLabel)->append(mine);
    open(*document);
    showTab(1);
    QTableView *table = control<QTableView>("_tableCustomView");
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(0, 0)).center());
    EXPECT_EQ(selectedID(CALayoutController::CustomTable), u"Label"_s);
    EXPECT_EQ(sheet->previewedFormat(), mine);

    click("_btnDuplicate");
    click("_btnDuplicate");
    EXPECT_EQ(ids(*sheet->customLayouts()), (QStringList{u"Label"_s, u"Label 1"_s, u"Label 2"_s}));
    EXPECT_EQ(selectedID(CALayoutController::CustomTable), u"Label 2"_s);

    // An edited template stays the same object, so the recent list shows the edit too.
    CATemplateFormat::saveRecentLayouts(dtLabel);
    CATemplateFormat::recentLayouts(dtLabel)->append(sheet->customLayouts()->at(2));
    click("_btnEdit");
    ASSERT_TRUE(sheet->isEditing());
    typeInto("_description", u"Jars"_s);
    click("_editorBtnOK");
    EXPECT_EQ(sheet->customLayouts()->at(2)->Description(), u"Jars"_s);
    EXPECT_EQ(sheet->customLayouts()->size(), 3);
    EXPECT_EQ(CATemplateFormat::recentLayouts(dtLabel)->first()->Description(), u"Jars"_s);

    // The template shown in the preview may go; the preview keeps a valid one.
    const std::weak_ptr<CATemplateFormat> shown = sheet->previewedFormat();
    click("_btnDelete");
    EXPECT_EQ(ids(*sheet->customLayouts()), (QStringList{u"Label"_s, u"Label 1"_s}));
    EXPECT_EQ(selectedID(CALayoutController::CustomTable), u"Label 1"_s);
    ASSERT_TRUE(sheet->previewedFormat());
    EXPECT_EQ(sheet->previewedFormat()->ID(), u"Label 1"_s);
    sheet->enableWindow();
    click("_btnDelete");
    click("_btnDelete");
    EXPECT_TRUE(sheet->customLayouts()->isEmpty());
    EXPECT_FALSE(control<QAbstractButton>("_btnDelete")->isEnabled());
    EXPECT_FALSE(control<QAbstractButton>("_btnEdit")->isEnabled());
    sheet->enableWindow();
    EXPECT_TRUE(shown.expired() || !shown.lock()->ID().isEmpty());
}

TEST_F(SheetTest, ACustomEnvelopeWithAWindowIsMadeRefusedWhileAFieldIsBadAndApplied)
{
    auto document = newDocument(dtEnvelope);
    open(*document);
    EXPECT_TRUE(control<QComboBox>("_typePopup"));
    showTab(1);
    click("_btnCreateNew");
    ASSERT_TRUE(sheet->isEditing());
    typeInto("_name", u"Window C5"_s);
    choose("_units", u"Millimeters"_s);
    typeInto("_width", u"229"_s);
    typeInto("_height", u"162"_s);
    EXPECT_FALSE(control<QLineEdit>("_winWidth")->isEnabled());
    click("_enableWindow");
    typeInto("_winWidth", u"100"_s);
    typeInto("_winHeight", u"40"_s);
    typeInto("_winLeftOffset", u"20"_s);
    typeInto("_winBottomOffset", u"15"_s);
    // A minus sign alone is no length: it stays in the field, which refuses it, and OK too.
    auto *offset = control<QLineEdit>("_winBottomOffset");
    offset->setFocus();
    QTest::keyClick(offset, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(offset, Qt::Key_Delete);
    QTest::keyClicks(offset, u"-"_s);
    EXPECT_EQ(offset->text(), u"-"_s);
    click("_editorBtnOK");
    EXPECT_TRUE(sheet->isEditing()) << "the editor stays while a field is bad";
    EXPECT_TRUE(offset->hasFocus());
    typeInto("_winBottomOffset", u"15"_s);
    click("_editorBtnOK");
    ASSERT_FALSE(sheet->isEditing());
    EXPECT_EQ(selectedID(CALayoutController::CustomTable), u"Window C5"_s);
    click("_btnOK");

    CFTADocument *design = document->ftDocument();
    EXPECT_EQ(design->GetID().getData(), u"Window C5"_s);
    EXPECT_TRUE(design->HasWindow());
    EXPECT_NEAR(design->getCardSizeX(), 229 * kMm, 0.001);
    EXPECT_NEAR(design->GetWinWidth(), 100 * kMm, 0.001);
    EXPECT_NEAR(design->GetWinBottomOffset(), 15 * kMm, 0.001);
    EXPECT_NEAR(design->GetWinLeftOffset(), 20 * kMm, 0.001);
}

TEST_F(SheetTest, CancelLosesNothingAndChangesNothing)
{
    auto document = newDocument(dtLabel);
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    open(*document);
    const PWPlist::Dictionary storedBefore = defaults.storedValues();
    const CATemplateFormat before = CATemplateFormat::initFromDocument(*document->ftDocument());

    click("chooserPortrait");
    EXPECT_FALSE(document->ftDocument()->IsHorizontal(0));
    choose("_categoryPopup", u"All"_s);
    showTab(1);
    click("_btnCreateNew");
    typeInto("_name", u"Never"_s);
    click("_editorBtnCancel");
    ASSERT_FALSE(sheet->isEditing());
    EXPECT_TRUE(sheet->customLayouts()->isEmpty());
    auto *search = control<QLineEdit>("_search");
    search->setFocus();
    QTest::keyClicks(search, u"5163"_s);
    click("_btnCancel");

    EXPECT_EQ(ended, int(CASheetController::CancelCode));
    EXPECT_EQ(CATemplateFormat::initFromDocument(*document->ftDocument()), before);
    EXPECT_TRUE(document->ftDocument()->IsHorizontal(0)) << "the orientation shown is taken back";
    EXPECT_FALSE(document->undoManager()->canUndo());
    EXPECT_EQ(deltas.count(1), 0);
    EXPECT_EQ(defaults.storedValues(), storedBefore);
}

TEST_F(SheetTest, EscapeInTheEditorReturnsToTheChooserAndInTheChooserCancels)
{
    auto document = newDocument(dtPostcard);
    open(*document);
    showTab(1);
    click("_btnCreateNew");
    ASSERT_TRUE(sheet->isEditing());
    EXPECT_FALSE(sheet->window()->findChild<QCheckBox *>(u"_enableWindow"_s)) << "postcards have no window";
    QTest::keyClick(sheet->window(), Qt::Key_Escape);
    EXPECT_FALSE(sheet->isEditing());
    EXPECT_EQ(ended, -1);
    QTest::keyClick(sheet->window(), Qt::Key_Escape);
    EXPECT_EQ(ended, int(CASheetController::CancelCode));
}

TEST_F(SheetTest, ARollTemplateCannotStartACustomSheetAndTheWindowBoxFollowsTheEnvelope)
{
    auto document = newDocument(dtLabel);
    open(*document);
    choose("_categoryPopup", u"All"_s);
    choose("_manufacturerPopup", u"Dymo"_s);
    ASSERT_FALSE(sheet->filteredLayouts().isEmpty());
    sheet->selectRow(CALayoutController::StandardTable, 0);
    EXPECT_TRUE(sheet->selectedTemplate(CALayoutController::StandardTable)->isLabelRoll());
    EXPECT_FALSE(control<QAbstractButton>("_btnCreateCustom")->isEnabled());
    click("_btnCancel");

    auto envelope = newDocument(dtEnvelope);
    open(*envelope);
    auto *useWindow = control<QCheckBox>("_chkUseWindow");
    for (int row = 0; row < sheet->filteredLayouts().size(); ++row) {
        sheet->selectRow(CALayoutController::StandardTable, row);
        EXPECT_EQ(useWindow->isEnabled(), sheet->filteredLayouts().at(row)->hasWindow()) << row;
    }
}

TEST_F(SheetTest, TheAssistantAppliesTheFirstRecentTemplateToANewDocument)
{
    auto recentOne = CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, u"Avery"_s, u"05163"_s);
    ASSERT_TRUE(recentOne);
    CATemplateFormat::saveRecentLayouts(dtLabel);
    CATemplateFormat::recentLayouts(dtLabel)->append(recentOne);
    sheet = CASheetController::create(dtLabel, &window);
    ASSERT_TRUE(sheet);
    sheet->setupFromAssistant(dtLabel);
    EXPECT_EQ(selectedID(CALayoutController::StandardTable), u"05163"_s);

    auto document = newDocument(dtLabel);
    sheet->applyForDocument(*document);
    EXPECT_EQ(document->ftDocument()->GetID().getData(), u"05163"_s);
    EXPECT_FALSE(document->ftDocument()->HasWindow());
    EXPECT_FALSE(document->undoManager()->canUndo()) << "a new document has nothing to take back";
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().arrayForKey(u"FTRecentLabelLayout"_s).size(), 1);
}

// Back from the editor, the chooser is laid out as it was: the same size, its preview clear of
// the orientation box, the sheet on the screen; the sheet keeps its top edge and its centre
// through every switch, for every kind of design.
TEST_F(SheetTest, TheChooserComesBackFromTheEditorAsItWas)
{
    struct Case
    {
        const char *name;
        documentType kind;
        const char *button;
    };
    const Case cases[] = {{"label OK", dtLabel, "_editorBtnOK"},
                          {"label Cancel", dtLabel, "_editorBtnCancel"},
                          {"envelope Cancel", dtEnvelope, "_editorBtnCancel"},
                          {"postcard Cancel", dtPostcard, "_editorBtnCancel"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto document = newDocument(c.kind);
        open(*document);
        showTab(1);
        QWidget *sheetWindow = sheet->window();
        const QSize chooser = sheetWindow->size();
        const QRect opened = sheetWindow->frameGeometry();
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(round);
            click("_btnCreateNew");
            ASSERT_TRUE(sheet->isEditing());
            QCoreApplication::processEvents();
            const QRect editing = sheetWindow->frameGeometry();
            EXPECT_EQ(editing.top(), opened.top()) << "the editor moved the sheet";
            EXPECT_LE(std::abs(editing.center().x() - opened.center().x()), 1);
            click(c.button);
            ASSERT_FALSE(sheet->isEditing());
            QCoreApplication::processEvents();
            EXPECT_EQ(sheetWindow->frameGeometry(), opened) << "the chooser came back elsewhere";
        }
        EXPECT_EQ(sheetWindow->size(), chooser);
        auto *preview = control<QWidget>("_imageView");
        auto *orientation = control<QWidget>("_orientationMatrix");
        ASSERT_TRUE(preview && orientation);
        const QRect previewArea(preview->mapTo(sheetWindow, QPoint(0, 0)), preview->size());
        const QRect orientationArea(orientation->mapTo(sheetWindow, QPoint(0, 0)), orientation->size());
        EXPECT_FALSE(previewArea.intersects(orientationArea));
        if (const QScreen *screen = sheetWindow->screen()) {
            EXPECT_TRUE(screen->availableGeometry().contains(sheetWindow->frameGeometry()));
        }
        click("_btnCancel");
        sheet = nullptr;
    }
}
