// The windows in which the user edits the senders, My Recipients and the print lists, opened as
// the user opens them (Window menu, then the tab's Edit button): whole on a screen of 800 pixels'
// height, at 100 and at 200 %, and with the room their contents need.
#include "ShellTestSupport.h"
#include "ScreenRun.h"

#include "app/contacts/CAAddressWindow.h"
#include "app/contacts/CALocalContactBase.h"
#include "app/contacts/CAPrintListArray.h"
#include "app/contacts/CAPrintMultipleDialog.h"
#include "app/contacts/CASenderList.h"
#include "app/document/CAWindowPlacement.h"
#include "platform/PWVCardReader.h"
#include "app/shell/CAAddressWindowPanel.h"

#include <QPushButton>
#include <QTableView>
#include <QScreen>
#include <QTimer>

#include <string>

using namespace shelltest;

namespace {

// The frame a window manager draws round a window: openbox's, as it reported its frame extents
// (_NET_FRAME_EXTENTS) for a window of the application under Xvfb.
const QMargins kFrameAround(1, 20, 1, 5);

class ListWindowsFit : public shelltest::Test, public ::testing::WithParamInterface<pwtest::TestScreen>
{
};

TEST_P(ListWindowsFit, EachListWindowOpensWholeOnTheScreen)
{
    if (!pwtest::runsOnScreen(GetParam()))
        return;
    // The lists hold persons with every kind of value, one of them chosen: the window shows it.
    const std::optional<CAPersonList> persons = PWVCardReader::personsFromData(
        pwtest::readFixture(u"contacts/vcard30-grouped-labels.vcf"_s) + pwtest::readFixture(u"contacts/vcard30-rich-unknown-properties.vcf"_s));
    ASSERT_TRUE(persons && persons->size() >= 2);
    CASenderList::getShared().personListDict().replacePersonList(*persons);
    CALocalContactBase::getShared().personListDict().replacePersonList(*persons);
    CAPrintListArray &printLists = CAPrintListArray::getShared();
    printLists.insertPrintListAt(0);
    printLists.replacePrintListAt(0, *persons);
    printLists.setCurrentPrintListIndex(0);
    // Kept as the application keeps them: a window cancelled reads them again.
    CASenderList::getShared().store();
    CALocalContactBase::getShared().store();
    printLists.store();
    launch(1);
    installAddressWindow(*controller);
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    // The Window menu's item that shows the list, the list's table and the button under it that
    // opens its window.
    const struct
    {
        const char *name;
        const char *command;
        const char *table;
        const char *button;
    } lists[] = {{"senders", "addressWindowSenders", "senderTable", "editSendersButton"},
                 {"My Recipients", "addressWindowLocalRecipients", "localBaseTable", "updateButton"},
                 {"print lists", "addressWindowPrintLists", "printListTable", "editPrintListsButton"}};
    // The address window where the user left it: at the top of the screen, and at its foot, where
    // the list window, centred over it, has to come up to stay on the screen.
    for (const bool atTheFoot : {false, true})
    for (const auto &list : lists) {
        SCOPED_TRACE(list.name);
        SCOPED_TRACE(atTheFoot ? "addresses at the foot" : "addresses at the top");
        QAction *item = controller->mainMenu().itemForAction(QString::fromLatin1(list.command));
        ASSERT_TRUE(item);
        controller->mainMenu().validate();
        item->trigger();
        CAAddressWindow *addresses = sharedAddressWindow();
        ASSERT_TRUE(addresses && addresses->isVisible());
        const QRect placed = CAWindowPlacement::frameOf(addresses);
        addresses->move(room.left(), atTheFoot ? room.bottom() + 1 - placed.height() : room.top());
        auto *table = addresses->findChild<QTableView *>(QString::fromLatin1(list.table));
        ASSERT_TRUE(table && table->model()->rowCount() > 0);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(0, 0)).center());
        auto *button = addresses->findChild<QPushButton *>(QString::fromLatin1(list.button));
        ASSERT_TRUE(button && button->isVisible() && button->isEnabled());

        // The window as it stands once shown, with the person in it; then cancelled.
        QRect frame;
        QSize size;
        QSize needed;
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<CAPrintMultipleDialog *>(widget);
                if (!dialog || !dialog->isVisible() || frame.isValid() || !QTest::qWaitForWindowExposed(dialog))
                    continue;
                QCoreApplication::processEvents();
                frame = dialog->geometry().marginsAdded(kFrameAround);
                size = dialog->size();
                needed = dialog->minimumSizeHint();
                dialog->reject();
            }
        });
        watch.start();
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame.isValid(); }, pwtest::kEventWaitMs)) << "no window came";
        watch.stop();
        EXPECT_TRUE(room.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                          << frame.height() << " on " << room.width() << "x" << room.height();
        EXPECT_TRUE(size.width() >= needed.width() && size.height() >= needed.height())
            << "cut to " << size.width() << "x" << size.height() << " of " << needed.width() << "x" << needed.height();
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, ListWindowsFit,
                         ::testing::Values(pwtest::TestScreen {1280, 800}, pwtest::TestScreen {1280, 800, 200}),
                         [](const auto &info) { return info.param.testName(); });

} // namespace
