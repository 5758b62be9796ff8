// The custom address format editor, opened from its menu item over a design whose address panel
// is selected: fields dragged from the palette into the layout grid, OK, Apply, Save from the File
// menu; the saved design read again holds the panel with that format and reads without a word.
// Every field the palette offers is placed, and the grid's far corner; the positions expected
// are the compacted ones (empty rows close up, fields close up to the left), written out here.
#include "app/canvas/CADocView.h"
#include "app/inspector/CAAddressFormatGrid.h"
#include "app/inspector/CAAddressFormatGridView.h"
#include "app/inspector/CACustomFormatEditor.h"
#include "app/shell/CADesignWindowPanel.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTTextCategories.h"
#include "kernel/document/CFTAView.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QDrag>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>

namespace formatroundtrip {

struct Place
{
    const char16_t *key;
    int row;
    int column;
};

struct FormatValue
{
    const char *name;
    // Where the user drops each field, in order.
    std::vector<Place> dropped;
    // Where the format holds them.
    std::vector<Place> held;
};

void PrintTo(const FormatValue &row, std::ostream *out)
{
    *out << row.name;
}

// Every field of the palette, group by group, in its order.
const char16_t *const kPaletteKeys[] = {
    u"Simple Text", u"Prefix", u"First Name", u"Middle Name", u"Last Name", u"Suffix", u"Nick Name", u"Maiden Name",
    u"Job Title", u"Company", u"Department", u"Street", u"City", u"State", u"ZIP", u"Country", u"Barcode", u"Homepage",
    u"Email", u"Phone", u"Mobile", u"Fax", u"Pager", u"Anniversary", u"Birthday", u"AIM", u"ICQ", u"Jabber", u"MSN",
    u"Yahoo", u"Mother Name", u"Father Name", u"Parent Name", u"Brother Name", u"Sister Name", u"Child Name",
    u"Friend Name", u"Spouse Name", u"Partner Name", u"Assistant Name", u"Manager Name", u"Custom1", u"Custom2",
    u"Custom3", u"Custom4", u"Custom5", u"Custom6", u"Custom7", u"Custom8", u"Custom9"};

// Six to a row, from the top left: the grid's own order, so nothing moves on compaction.
std::vector<Place> everyField()
{
    std::vector<Place> places;
    int at = 0;
    for (const char16_t *key : kPaletteKeys) {
        places.push_back({key, at / 6, at % 6});
        ++at;
    }
    return places;
}

// The positions of a format's fields by key, as the format editor itself would read them.
std::map<QString, std::pair<int, int>> positionsOf(const CAddressFormat *format)
{
    std::map<QString, std::pair<int, int>> positions;
    if (!format)
        return positions;
    const std::unique_ptr<CAddressFormat> walked = format->clone();
    const PWPlist::Dictionary description = CAAddressFormatGrid::customFormatDescFromAddressFormat(walked.get());
    for (const QString &key : description.keys()) {
        const PWPlist place = description.value(key);
        if (place.isDictionary())
            positions[key] = {int(place.value(u"Row"_s).toInteger()), int(place.value(u"Column"_s).toInteger())};
    }
    return positions;
}

std::map<QString, std::pair<int, int>> positionsOf(const std::vector<Place> &places)
{
    std::map<QString, std::pair<int, int>> positions;
    for (const Place &place : places)
        positions[QString::fromUtf16(place.key)] = {place.row, place.column};
    return positions;
}

// The drag's data let go over a widget at a point; answers what the widget took.
Qt::DropAction letGoOver(QWidget *target, const QMimeData *data, const QPoint &at)
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

class FormatEditorRoundTrip : public shelltest::Test, public ::testing::WithParamInterface<FormatValue>
{
protected:
    void SetUp() override
    {
        shelltest::Test::SetUp();
        forgetFormats();
    }
    void TearDown() override
    {
        shelltest::Test::TearDown();
        forgetFormats();
    }
    static void forgetFormats()
    {
        PWUserDefaults::standardUserDefaults().removeObject(u"CustomAddressFormat"_s);
        CAddressFormatController::sharedAddressFormatController().reloadCustomFormats();
    }
    static void click(QWidget *editor, const char *name)
    {
        auto *button = editor->findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_TRUE(button && button->isVisible() && button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

TEST_P(FormatEditorRoundTrip, TheFormatLaidOutIsSavedAndReadBackWithoutAWord)
{
    const FormatValue &row = GetParam();
    launch(1);
    installDesignWindow(*controller);
    CAMainWindowController *w = window(0);
    ASSERT_TRUE(w);
    CADocView *canvas = w->docView();
    const std::unique_ptr<CAddressFormat> start =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s, false, 1);
    std::unique_ptr<CFTComponent> made = canvas->ftView()->CreateAddressPanel(true, start.get());
    ASSERT_TRUE(made);
    made->SetOrigin(20.0, 20.0);
    auto *panel = static_cast<CFTAAddressPanel *>(made.get());
    canvas->ftView()->InsertComponent(made.release(), false);
    canvas->ftView()->deselectAll();
    canvas->ftView()->select(panel);

    QAction *item = controller->mainMenu().itemForAction(u"customAddressFormatEditor"_s);
    ASSERT_NE(item, nullptr);
    item->trigger();
    CACustomFormatEditor *editor = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *shown = qobject_cast<CACustomFormatEditor *>(top); shown && shown->isVisible())
            editor = shown;
    ASSERT_NE(editor, nullptr);
    click(editor, "addButton");
    click(editor, "clearButton");
    CAAddressFormatGridView *palette = editor->paletteView();
    CAAddressFormatGridView *layout = editor->layoutView();
    const std::vector<int> &paletteRows = CAAddressFormatGrid::paletteRows();
    for (const Place &place : row.dropped) {
        const int category = FTTextCategories::getTextCategoryFromKey(QString::fromUtf16(place.key));
        ASSERT_NE(category, -1) << QString::fromUtf16(place.key).toStdString();
        const auto at = std::find(paletteRows.begin(), paletteRows.end(), category);
        ASSERT_NE(at, paletteRows.end()) << QString::fromUtf16(place.key).toStdString() << " is not on the palette";
        const QPoint from = palette->cellRect(int(at - paletteRows.begin()), 0).center();
        const QPoint to = layout->cellRect(place.row, place.column).center();
        palette->setDragRunner([layout, to](QDrag &drag) { return letGoOver(layout, drag.mimeData(), to); });
        QTest::mousePress(palette, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseRelease(palette, Qt::LeftButton, Qt::NoModifier, from);
        ASSERT_EQ(editor->grid().categoryAt(place.row, place.column), category) << QString::fromUtf16(place.key).toStdString();
    }
    click(editor, "designOkButton");
    QListWidget *formats = editor->formatsTable();
    ASSERT_EQ(formats->count(), 1);
    QTest::mouseClick(formats->viewport(), Qt::LeftButton, {}, formats->visualItemRect(formats->item(0)).center());
    click(editor, "applyButton");

    const std::map<QString, std::pair<int, int>> expected = positionsOf(row.held);
    EXPECT_EQ(positionsOf(panel->getFormat()), expected) << "as applied";

    savePath = path(u"format.pwdc"_s);
    QAction *save = controller->mainMenu().itemForAction(u"saveDocument"_s);
    ASSERT_NE(save, nullptr);
    save->trigger();
    EXPECT_EQ(reports.join(u'\n'), QString());
    const std::vector<CFTComponent *> &written = canvas->document()->ftDocument()->GetComponents(0, false);
    const auto index = std::find(written.begin(), written.end(), panel) - written.begin();
    ASSERT_LT(size_t(index), written.size());

    CADocument reopened;
    QString error;
    ASSERT_TRUE(reopened.readFromFile(savePath, &error)) << qPrintable(error);
    EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
    const std::vector<CFTComponent *> &read = reopened.ftDocument()->GetComponents(0, false);
    ASSERT_EQ(read.size(), written.size());
    auto *readPanel = dynamic_cast<CFTAAddressPanel *>(read[size_t(index)]);
    ASSERT_NE(readPanel, nullptr);
    EXPECT_EQ(positionsOf(readPanel->getFormat()), expected) << "as read back";
}

INSTANTIATE_TEST_SUITE_P(
    Grid, FormatEditorRoundTrip,
    ::testing::Values(FormatValue {"EveryField", everyField(), everyField()},
                      FormatValue {"FarCorner", {{u"City", 8, 5}}, {{u"City", 0, 0}}},
                      FormatValue {"NearCorner", {{u"Last Name", 0, 0}}, {{u"Last Name", 0, 0}}},
                      FormatValue {"RowsCloseUp",
                                   {{u"First Name", 0, 5}, {u"Street", 4, 0}, {u"ZIP", 4, 3}, {u"Custom9", 8, 5}},
                                   {{u"First Name", 0, 0}, {u"Street", 1, 0}, {u"ZIP", 1, 1}, {u"Custom9", 2, 0}}},
                      FormatValue {"BarcodeAlone", {{u"Barcode", 0, 0}}, {{u"Barcode", 0, 0}}},
                      FormatValue {"BarcodeBelow", {{u"Last Name", 0, 0}, {u"Barcode", 1, 0}},
                                   {{u"Last Name", 0, 0}, {u"Barcode", 1, 0}}},
                      FormatValue {"SimpleTextBetween", {{u"City", 0, 0}, {u"Simple Text", 0, 1}, {u"State", 0, 2}},
                                   {{u"City", 0, 0}, {u"Simple Text", 0, 1}, {u"State", 0, 2}}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace formatroundtrip
