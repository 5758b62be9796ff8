// The design window driven with real clicks: the tab strip, the remembered tab and pane, the
// shared side buttons, the menu tags, the direct search, rows dragged and applied to a canvas;
// and the postal guidelines window.
#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignTabStrip.h"
#include "app/inspector/CADesignTextListModel.h"
#include "app/inspector/CADesignTextTableView.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CAGuidelinesController.h"
#include "app/pictures/CCPictBrowserView.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

void forgetChoices()
{
    PWUserDefaults::standardUserDefaults().removeObject(u"FTDesignTab"_s);
    PWUserDefaults::standardUserDefaults().removeObject(u"FTDesignPane"_s);
}

void clickTab(CADesignWindow &window, int tab)
{
    QTest::mouseClick(window.tabStrip(), Qt::LeftButton, Qt::NoModifier,
                      window.tabStrip()->tabRectByIndex(tab).center().toPoint());
}

QAbstractButton *padButton(CADesignWindow &window, int tag)
{
    return window.findChild<QAbstractButton *>(u"padButton%1"_s.arg(tag));
}

// A table that records the drag it would start rather than running one.
class RecordingTable : public CADesignTextTableView
{
public:
    QByteArray carried;
    bool hadPicture = false;

protected:
    Qt::DropAction execDrag(QDrag &drag) override
    {
        carried = drag.mimeData()->data(drag.mimeData()->formats().value(0));
        hadPicture = !drag.pixmap().isNull();
        return Qt::CopyAction;
    }
};

} // namespace

TEST(CADesignWindow, FirstShowingIsOnAddressFieldsWithClipArt)
{
    forgetChoices();
    CADesignWindow window;
    window.show();
    EXPECT_EQ(window.currentDesignPanelIndex(), CADesignWindow::AddressFields);
    EXPECT_EQ(window.currentDesignPadIndex(), CADesignWindow::Clipart);
    EXPECT_EQ(window.tabStrip()->currentTab(), 1);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::Tool));
}

TEST(CADesignWindow, TabsAndPanesChosenByClicksAreRememberedButOnlyClipArtOrShapesReopen)
{
    forgetChoices();
    {
        CADesignWindow window;
        window.show();
        clickTab(window, CADesignWindow::ImageCollection);
        EXPECT_EQ(window.currentDesignPanelIndex(), CADesignWindow::ImageCollection);
        EXPECT_TRUE(window.isDesignPadActive());
        QTest::mouseClick(padButton(window, 22), Qt::LeftButton);
        EXPECT_EQ(window.currentDesignPadIndex(), CADesignWindow::IPhoto);
        EXPECT_EQ(CAEnvironment::openedDesignTab(), 2);
    }
    {
        CADesignWindow again;
        EXPECT_EQ(again.currentDesignPanelIndex(), CADesignWindow::ImageCollection);
        EXPECT_EQ(again.currentDesignPadIndex(), CADesignWindow::Clipart) << "the photo pane is never reopened";
        QTest::mouseClick(padButton(again, 21), Qt::LeftButton);
    }
    CADesignWindow third;
    EXPECT_EQ(third.currentDesignPadIndex(), CADesignWindow::BasicShapes);
    // A click beside the tabs changes nothing.
    third.show();
    QTest::mouseClick(third.tabStrip(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 5));
    const QRectF last = third.tabStrip()->tabRectByIndex(3);
    QTest::mouseClick(third.tabStrip(), Qt::LeftButton, Qt::NoModifier, QPoint(static_cast<int>(last.right()) + 4, 5));
    EXPECT_EQ(third.currentDesignPanelIndex(), CADesignWindow::ImageCollection);
    forgetChoices();
}

TEST(CADesignWindow, SideButtonsOfBothTabsShowTheSameChoice)
{
    forgetChoices();
    CADesignWindow window;
    window.show();
    auto *templatesSender = window.findChild<QPushButton *>(u"_templatesSenderButton"_s);
    auto *fieldsSender = window.findChild<QPushButton *>(u"_fieldsSenderButton"_s);
    auto *fieldsRecipient = window.findChild<QPushButton *>(u"_fieldsRecipientButton"_s);
    ASSERT_TRUE(templatesSender && fieldsSender && fieldsRecipient);
    EXPECT_TRUE(fieldsRecipient->isChecked());
    clickTab(window, CADesignWindow::AddressPanels);
    QTest::mouseClick(templatesSender, Qt::LeftButton);
    EXPECT_TRUE(window.lists().senderSelected());
    EXPECT_TRUE(fieldsSender->isChecked());
    EXPECT_FALSE(fieldsRecipient->isChecked());
    clickTab(window, CADesignWindow::AddressFields);
    QTest::mouseClick(fieldsRecipient, Qt::LeftButton);
    EXPECT_FALSE(window.lists().senderSelected());
    EXPECT_FALSE(templatesSender->isChecked());
}

struct TagCase
{
    int tag;
    int panel;
    int pad;
};

class MenuTags : public ::testing::TestWithParam<TagCase>
{
};

TEST_P(MenuTags, OpenTheirTabAndPaneAndCarryTheCheckMark)
{
    forgetChoices();
    const TagCase c = GetParam();
    CADesignWindow window;
    EXPECT_EQ(CADesignWindow::menuTag(c.panel, c.pad), c.tag);
    window.displayDesignPanelIndex(CADesignWindow::panelForMenuTag(c.tag), CADesignWindow::padForMenuTag(c.tag));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.currentDesignPanelIndex(), c.panel);
    EXPECT_EQ(window.tabStrip()->currentTab(), c.panel);
    if (c.panel == CADesignWindow::ImageCollection) {
        EXPECT_EQ(window.currentDesignPadIndex(), c.pad);
    }
    EXPECT_EQ(window.checkedMenuTag(), c.tag);
    forgetChoices();
}

INSTANTIATE_TEST_SUITE_P(Items, MenuTags,
                         ::testing::Values(TagCase{101, 0, 0}, TagCase{201, 1, 0}, TagCase{301, 2, 0}, TagCase{302, 2, 1},
                                           TagCase{303, 2, 2}, TagCase{304, 2, 3}, TagCase{305, 2, 4},
                                           TagCase{401, 3, 0}));

TEST(CADesignWindow, PanelMinusOneSwitchesOnlyThePane)
{
    forgetChoices();
    CADesignWindow window;
    window.displayDesignPanelIndex(CADesignWindow::AddressPanels, 0);
    window.displayDesignPanelIndex(-1, CADesignWindow::BasicShapes);
    EXPECT_EQ(window.currentDesignPanelIndex(), CADesignWindow::AddressPanels);
    EXPECT_EQ(window.currentDesignPadIndex(), CADesignWindow::BasicShapes);
    forgetChoices();
}

TEST(CADesignWindow, DirectSearchOpensTheClosedWindowOnClipArtAndSearches)
{
    forgetChoices();
    CADesignWindow window;
    QStringList searched;
    window.clipArtPane()->setInternetSearchStart([&searched](const QString &text) { searched.append(text); });
    ASSERT_FALSE(window.isVisible());
    window.directSearch(u"lighthouse"_s);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.currentDesignPanelIndex(), CADesignWindow::ImageCollection);
    EXPECT_EQ(window.currentDesignPadIndex(), CADesignWindow::Clipart);
    EXPECT_EQ(window.searchField()->text(), u"lighthouse"_s);
    EXPECT_EQ(searched, QStringList{u"lighthouse"_s});
    forgetChoices();
}

TEST(CADesignWindow, RowsDragTheirComponentAndADoubleClickAppliesTheCategory)
{
    forgetChoices();
    CADocument document;
    CADocView canvas;
    canvas.resize(500, 400);
    ASSERT_TRUE(canvas.setDocument(&document));
    document.undoManager()->setGroupsByEvent(false);
    const CDDString label(u"Text"_s);
    auto *text = new CFTAAddressText(20.0, 20.0, tcSimpleText, &label, nullptr);
    canvas.ftView()->InsertComponent(text, true);

    CADesignWindow window;
    window.setCanvasProvider([&canvas] { return &canvas; });
    // Tall enough to leave room below the last row.
    window.resize(260, 2200);
    window.show();
    CADesignTextTableView *fields = window.fieldsTable();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Row 4 is "Last Name".
    const QPoint lastName = fields->visualRect(fields->model()->index(4, 0)).center();
    QTest::mouseDClick(fields->viewport(), Qt::LeftButton, Qt::NoModifier, lastName);
    EXPECT_EQ(fields->selectedTextItemIndex(), 4);
    EXPECT_EQ(fields->clickedTextCategory(), 18);
    EXPECT_EQ(static_cast<int>(text->GetTextCategory()), 18);
    // A click below the rows remembers no row, and a double click there changes nothing.
    const QPoint below(5, fields->viewport()->height() - 1);
    ASSERT_FALSE(fields->indexAt(below).isValid());
    QTest::mouseDClick(fields->viewport(), Qt::LeftButton, Qt::NoModifier, below);
    EXPECT_EQ(fields->selectedTextItemIndex(), -1);
    EXPECT_EQ(fields->clickedTextCategory(), -1);
    EXPECT_EQ(static_cast<int>(text->GetTextCategory()), 18);
}

TEST(CADesignWindow, ADragStartedOnARowCarriesItsComponentWithAPicture)
{
    CADesignTextLists lists;
    CADesignTextListModel model(lists, CADesignTextLists::Fields);
    RecordingTable table;
    table.setListModel(&model);
    table.resize(200, 2000);
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    const QPoint city = table.visualRect(model.index(15, 0)).center();
    QTest::mousePress(table.viewport(), Qt::LeftButton, Qt::NoModifier, city);
    QTest::mouseMove(table.viewport(), city + QPoint(40, 0));
    QTest::mouseMove(table.viewport(), city + QPoint(80, 0));
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, Qt::NoModifier, city + QPoint(80, 0));
    ASSERT_FALSE(table.carried.isEmpty());
    std::unique_ptr<QMimeData> expected = lists.mimeDataForRow(CADesignTextLists::Fields, 15);
    EXPECT_EQ(table.carried, expected->data(expected->formats().value(0)));
    EXPECT_TRUE(table.hadPicture);
    EXPECT_EQ(table.clickedTextCategory(), 13);
}

TEST(CAGuidelinesController, OpensOnceAndShowsThePage)
{
    CAGuidelinesController &guidelines = CAGuidelinesController::sharedGuidelinesController();
    EXPECT_EQ(&guidelines, &CAGuidelinesController::sharedGuidelinesController());
    guidelines.showWindow();
    EXPECT_TRUE(guidelines.isVisible());
    EXPECT_EQ(guidelines.loadCount(), 1);
    const QString shown = guidelines.textView()->toPlainText();
    EXPECT_TRUE(shown.contains(u"barcode clear zone"_s));
    EXPECT_TRUE(shown.contains(u"facing identification mark"_s));
    EXPECT_TRUE(guidelines.textView()->isReadOnly());
    guidelines.closeWindow();
    EXPECT_FALSE(guidelines.isVisible());
    guidelines.showWindow();
    EXPECT_TRUE(guidelines.isVisible());
    EXPECT_EQ(guidelines.loadCount(), 1) << "a second showing does not read the text again";
    guidelines.closeWindow();
}
