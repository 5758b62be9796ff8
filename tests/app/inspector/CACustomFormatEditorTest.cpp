// The custom address format editor driven as a user does: buttons clicked, fields dragged
// between the palette, the layout and the trash with real drag events; what it stores read back
// by a fresh catalogue as after a restart.
#include "app/inspector/CAAddressFormatGrid.h"
#include "app/inspector/CAAddressFormatGridView.h"
#include "app/inspector/CACustomFormatEditor.h"
#include "app/inspector/CATrashImageView.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CAddressFormatMenuItem.h"
#include "kernel/address/FTTextCategories.h"
#include "platform/PWBundle.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWUndoManager.h"
#include "platform/PWUserDefaults.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

int categoryOf(const char16_t *key)
{
    return FTTextCategories::getTextCategoryFromKey(QString::fromUtf16(key));
}

// Lets the dragged data go over a widget and be dropped at a point; answers what the target
// took (no action when it refused).
Qt::DropAction dropOn(QWidget *target, const QMimeData *data, const QPoint &at)
{
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

struct Editor
{
    Editor()
    {
        PWUserDefaults::standardUserDefaults().removeObject(u"CustomAddressFormat"_s);
        CAddressFormatController::sharedAddressFormatController().reloadCustomFormats();
        editor.setValidateDocumentsView([this] { ++validations; });
        editor.show();
    }
    ~Editor()
    {
        PWUserDefaults::standardUserDefaults().removeObject(u"CustomAddressFormat"_s);
        CAddressFormatController::sharedAddressFormatController().reloadCustomFormats();
    }
    void click(const char *name)
    {
        auto *button = editor.findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList storedNames() const
    {
        QStringList names;
        for (const PWPlist &format : CACustomFormatEditor::storedFormats())
            names.append(format.value(u"FormatName"_s).toString());
        return names;
    }
    // Presses on a cell of the source view; the drag ends on target at the point.
    void drag(CAAddressFormatGridView *source, int row, int column, QWidget *target, const QPoint &at)
    {
        source->setDragRunner([target, at](QDrag &drag) { return dropOn(target, drag.mimeData(), at); });
        QTest::mousePress(source, Qt::LeftButton, Qt::NoModifier, source->cellRect(row, column).center());
        QTest::mouseRelease(source, Qt::LeftButton, Qt::NoModifier, source->cellRect(row, column).center());
    }
    int paletteRowOf(int wanted) const
    {
        const std::vector<int> &rows = CAAddressFormatGrid::paletteRows();
        return static_cast<int>(std::find(rows.begin(), rows.end(), wanted) - rows.begin());
    }

    CACustomFormatEditor editor;
    int validations = 0;
};

} // namespace

TEST(CACustomFormatEditor, UntitledNamesCountOnFromTheLargest)
{
    auto named = [](std::initializer_list<const char16_t *> names) {
        PWPlist::Array stored;
        for (const char16_t *name : names)
            stored.append(PWPlist(PWPlist::Dictionary{{u"FormatName"_s, PWPlist::fromString(QString::fromUtf16(name))}}));
        return stored;
    };
    EXPECT_EQ(CACustomFormatEditor::nextUntitledName(u"Untitled"_s, named({})), u"Untitled"_s);
    EXPECT_EQ(CACustomFormatEditor::nextUntitledName(u"Untitled"_s, named({u"Home"})), u"Untitled"_s);
    EXPECT_EQ(CACustomFormatEditor::nextUntitledName(u"Untitled"_s, named({u"Untitled"})), u"Untitled1"_s);
    EXPECT_EQ(CACustomFormatEditor::nextUntitledName(u"Untitled"_s, named({u"Untitled", u"Untitled7"})), u"Untitled8"_s);
    EXPECT_EQ(CACustomFormatEditor::nextUntitledName(u"Untitled"_s, named({u"Untitled 3x", u"Untitled"})), u"Untitled4"_s);
}

TEST(CACustomFormatEditor, AddingTwiceNamesUntitledThenUntitled1)
{
    Editor e;
    e.click("addButton");
    EXPECT_EQ(e.editor.currentPage(), CACustomFormatEditor::kTemplatePage);
    EXPECT_EQ(e.editor.nameField()->text(), u"Untitled"_s);
    EXPECT_FALSE(e.editor.grid().isEmpty()) << "a new format starts from the default template";
    e.click("designOkButton");
    EXPECT_EQ(e.editor.currentPage(), CACustomFormatEditor::kSelectionPage);
    e.click("addButton");
    EXPECT_EQ(e.editor.nameField()->text(), u"Untitled1"_s);
    e.click("designOkButton");
    EXPECT_EQ(e.storedNames(), (QStringList{u"Untitled"_s, u"Untitled1"_s}));
    EXPECT_GE(e.validations, 2);
}

TEST(CACustomFormatEditor, CancelRemovesTheFreshEntryButKeepsAnEditedOne)
{
    Editor e;
    e.click("addButton");
    e.click("designOkButton");
    e.click("addButton");
    EXPECT_EQ(e.storedNames().size(), 2);
    e.click("designCancelButton");
    EXPECT_EQ(e.storedNames(), QStringList{u"Untitled"_s});
    EXPECT_EQ(e.editor.formatsTable()->count(), 1);

    // Cancelling an edit of an existing format keeps it.
    e.editor.formatsTable()->setCurrentRow(0);
    e.click("editButton");
    EXPECT_EQ(e.editor.currentPage(), CACustomFormatEditor::kTemplatePage);
    e.click("designCancelButton");
    EXPECT_EQ(e.storedNames(), QStringList{u"Untitled"_s});
}

// Escape cancels the format being designed (a new one goes), then closes the editor.
TEST(CACustomFormatEditor, EscapeCancelsTheDesignThenCloses)
{
    Editor e;
    e.click("addButton");
    ASSERT_EQ(e.editor.currentPage(), CACustomFormatEditor::kTemplatePage);
    e.editor.nameField()->setFocus();
    QTest::keyClick(e.editor.nameField(), Qt::Key_Escape);
    EXPECT_EQ(e.editor.currentPage(), CACustomFormatEditor::kSelectionPage);
    EXPECT_TRUE(e.storedNames().isEmpty()) << "the fresh format went with the cancel";
    EXPECT_TRUE(e.editor.isVisible());
    e.editor.formatsTable()->setFocus();
    QTest::keyClick(e.editor.formatsTable(), Qt::Key_Escape);
    EXPECT_FALSE(e.editor.isVisible());
}

TEST(CACustomFormatEditor, DeletingTheLastRowSelectsTheNewLastAndTheOnlyRowDisablesTheButtons)
{
    Editor e;
    for (int i = 0; i < 3; ++i) {
        e.click("addButton");
        e.click("designOkButton");
    }
    e.editor.formatsTable()->setCurrentRow(2);
    e.click("removeButton");
    EXPECT_EQ(e.storedNames(), (QStringList{u"Untitled"_s, u"Untitled1"_s}));
    EXPECT_EQ(e.editor.formatsTable()->currentRow(), 1);
    e.click("removeButton");
    e.click("removeButton");
    EXPECT_TRUE(e.storedNames().isEmpty());
    EXPECT_FALSE(e.editor.findChild<QPushButton *>(u"removeButton"_s)->isEnabled());
    EXPECT_FALSE(e.editor.findChild<QPushButton *>(u"editButton"_s)->isEnabled());
}

TEST(CACustomFormatEditor, AFormatEditedWithTheGridSurvivesARestartAndJoinsTheTemplateMenu)
{
    Editor e;
    e.click("addButton");
    CAAddressFormatGridView *palette = e.editor.paletteView();
    CAAddressFormatGridView *layout = e.editor.layoutView();
    e.click("clearButton");
    ASSERT_TRUE(e.editor.grid().isEmpty());

    // Pager from the palette into (0, 0), Company into (0, 2), Company moved to (1, 4).
    e.drag(palette, e.paletteRowOf(categoryOf(u"Pager")), 0, layout, layout->cellRect(0, 0).center());
    e.drag(palette, e.paletteRowOf(categoryOf(u"Company")), 0, layout, layout->cellRect(0, 2).center());
    e.drag(layout, 0, 2, layout, layout->cellRect(1, 4).center());
    EXPECT_EQ(e.editor.grid().categoryAt(0, 0), categoryOf(u"Pager"));
    EXPECT_EQ(e.editor.grid().categoryAt(0, 2), -1);
    EXPECT_EQ(e.editor.grid().categoryAt(1, 4), categoryOf(u"Company"));
    // A drop on the field's own cell does nothing and is refused: the cell keeps its field.
    e.drag(layout, 1, 4, layout, layout->cellRect(1, 4).center());
    EXPECT_EQ(e.editor.grid().categoryAt(1, 4), categoryOf(u"Company"));
    // Street in and out again through the trash; City in and back onto the palette.
    e.drag(palette, e.paletteRowOf(categoryOf(u"Street")), 0, layout, layout->cellRect(3, 3).center());
    EXPECT_EQ(e.editor.grid().categoryAt(3, 3), categoryOf(u"Street"));
    e.drag(layout, 3, 3, e.editor.trashView(), QPoint(10, 10));
    EXPECT_EQ(e.editor.grid().categoryAt(3, 3), -1);
    e.drag(palette, e.paletteRowOf(categoryOf(u"City")), 0, layout, layout->cellRect(2, 0).center());
    e.drag(layout, 2, 0, palette, QPoint(10, 10));
    EXPECT_EQ(e.editor.grid().categoryAt(2, 0), -1);

    e.editor.nameField()->selectAll();
    QTest::keyClicks(e.editor.nameField(), u"Pager Desk"_s);
    e.click("designOkButton");
    ASSERT_TRUE(PWUserDefaults::standardUserDefaults().synchronize());

    // A new start: the defaults read from their file, a catalogue of its own.
    PWUserDefaults restarted(PWUserDefaults::defaultFilePath());
    ASSERT_TRUE(restarted.reload());
    CAddressFormatController catalogue(PWBundle::mainBundle(), restarted);
    ASSERT_EQ(catalogue.customTemplates().size(), 1);
    const PWPlist stored = catalogue.customTemplates().at(0);
    EXPECT_EQ(stored.value(u"FormatName"_s).toString(), u"Pager Desk"_s);
    EXPECT_EQ(stored.value(u"Pager"_s).value(u"Row"_s).toInteger(), 0);
    EXPECT_EQ(stored.value(u"Pager"_s).value(u"Column"_s).toInteger(), 0);
    EXPECT_EQ(stored.value(u"Company"_s).value(u"Row"_s).toInteger(), 1);
    EXPECT_EQ(stored.value(u"Company"_s).value(u"Column"_s).toInteger(), 0);
    EXPECT_TRUE(stored.value(u"Street"_s).isNull());
    EXPECT_TRUE(stored.value(u"City"_s).isNull());
    CAddressFormatMenu menu;
    catalogue.fillTemplateMenu(menu);
    const bool listed = std::any_of(menu.begin(), menu.end(), [](const CAddressFormatMenuItem &item) {
        return item.kind == CAddressFormatMenuItem::Kind::CustomFormat && item.title == u"Pager Desk"_s;
    });
    EXPECT_TRUE(listed);
}

TEST(CACustomFormatEditor, ClearIsUndoneWithTheKeyboardUntilADropFollows)
{
    Editor e;
    e.click("addButton");
    const int before = e.editor.grid().getFormatDesc(u"x"_s).size();
    e.click("clearButton");
    EXPECT_TRUE(e.editor.grid().isEmpty());
    e.editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&e.editor));
    QTest::keyClick(e.editor.layoutView(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e.editor.grid().getFormatDesc(u"x"_s).size(), before);
    e.click("clearButton");
    CAAddressFormatGridView *layout = e.editor.layoutView();
    e.drag(e.editor.paletteView(), e.paletteRowOf(categoryOf(u"Email")), 0, layout, layout->cellRect(0, 0).center());
    EXPECT_FALSE(e.editor.undoManager()->canUndo());
}

TEST(CACustomFormatEditor, ApplySendsTheMarkerOfTheChosenFormat)
{
    Editor e;
    e.click("addButton");
    e.click("designOkButton");
    PWPlist sent;
    e.editor.setApplyMarker([&sent](const PWPlist &marker) { sent = marker; });
    e.editor.formatsTable()->setCurrentRow(0);
    e.click("applyButton");
    EXPECT_EQ(sent.value(u"index"_s).toInteger(), 0);
    EXPECT_EQ(sent.value(u"title"_s).toString(), u"Untitled"_s);
    EXPECT_FALSE(e.editor.isVisible());
}

// A cell is at least 70 points wide and as wide as the longest name of a field needs: every name
// shows whole, in the palette and in the layout alike, and no cell needs a tip to tell it.
TEST(CACustomFormatEditor, EveryFieldNameShowsWholeInItsCell)
{
    Editor e;
    e.click("addButton");
    CAAddressFormatGridView *palette = e.editor.paletteView();
    CAAddressFormatGridView *layout = e.editor.layoutView();
    e.click("clearButton");
    EXPECT_GE(palette->cellRect(0, 0).width(), 70);
    EXPECT_EQ(layout->cellRect(0, 0).width(), palette->cellRect(0, 0).width());
    const std::vector<int> &rows = CAAddressFormatGrid::paletteRows();
    int names = 0;
    for (int row = 0; row < int(rows.size()); ++row) {
        const int category = palette->categoryAt(row, 0);
        if (category < 0)
            continue;
        ++names;
        const QString name = CAAddressFormatGridView::cellText(category);
        EXPECT_EQ(CAAddressFormatGridView::shownText(name, palette->fontMetrics(), palette->cellRect(row, 0).width() - 9),
                  name);
        EXPECT_EQ(palette->toolTipAt(palette->cellRect(row, 0).center()), QString()) << qPrintable(name);
    }
    EXPECT_GT(names, 40);
    // The grids are as wide as their cells: the editor shows every cell.
    EXPECT_GE(palette->width(), palette->cellRect(0, 0).width());
    EXPECT_GE(layout->width(), layout->cellRect(0, CAAddressFormatGrid::kColumns - 1).right());

    const int assistant = categoryOf(u"Assistant Name");
    e.drag(palette, e.paletteRowOf(assistant), 0, layout, layout->cellRect(2, 5).center());
    ASSERT_EQ(e.editor.grid().categoryAt(2, 5), assistant);
    EXPECT_EQ(layout->toolTipAt(layout->cellRect(2, 5).center()), QString());
}
