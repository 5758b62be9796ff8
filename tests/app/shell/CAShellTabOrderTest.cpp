// Tab and Shift+Tab through the document window reach every control once, in the order they
// stand on screen, and come back round.
#include "ShellTestSupport.h"

namespace {

class CAShellTabOrderTest : public shelltest::Test
{
public:
    void TearDown() override
    {
        CAMainWindowController::setChangeLayoutSheet(nullptr);
        CAMainWindowController::setPrintMultipleSheet(nullptr);
        shelltest::Test::TearDown();
    }
    QStringList walk(QWidget *window, int steps, Qt::KeyboardModifiers modifiers)
    {
        QStringList visited;
        for (int i = 0; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Tab,
                            modifiers);
            visited.append(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
        }
        return visited;
    }
};

TEST_F(CAShellTabOrderTest, DocumentWindowControlsInTheirOrderOnScreen)
{
    launch(1);
    // Every control enabled, as it is once the panels and sheets of the other modules are there.
    shelltest::FakePanel panels[3];
    controller->panels().install(CAFloatingPanels::AddressWindow, panels[0].hook());
    controller->panels().install(CAFloatingPanels::DesignWindow, panels[1].hook());
    controller->panels().install(CAFloatingPanels::PropertiesWindow, panels[2].hook());
    CAMainWindowController::setChangeLayoutSheet([](CAMainWindowController &) {});
    CAMainWindowController::setPrintMultipleSheet([](CAMainWindowController &) {});
    CAMainWindowController *w = window(0);
    w->windowDidUpdate();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));

    const QStringList order {u"_butZoomSeparator"_s,  u"changeLayoutButton"_s, u"printMultipleButton"_s,
                             u"_butAddress"_s,        u"_butDesign"_s,         u"_butInspector"_s,
                             u"documentScrollArea"_s,   u"docView"_s};
    QWidget *first = w->findChild<QWidget *>(order.first());
    ASSERT_NE(first, nullptr);
    first->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), first);
    QStringList forward = walk(w, int(order.size()), Qt::NoModifier);
    EXPECT_EQ(forward, order.mid(1) + QStringList {order.first()});
    // Back from the first control: the page, then the tool bar from its right end.
    const QStringList backward = walk(w, int(order.size()), Qt::ShiftModifier);
    EXPECT_EQ(backward, QStringList(order.crbegin(), order.crend()));
}

} // namespace
