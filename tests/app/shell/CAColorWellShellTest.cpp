// The inspector's colour wells and the application's Colors panel: one panel, whichever is
// clicked first.
#include "app/inspector/CAColorWell.h"

#include "ShellTestSupport.h"

#include <QColorDialog>

using namespace shelltest;

namespace {

class CAColorWellShellTest : public shelltest::Test
{
};

} // namespace

TEST_F(CAColorWellShellTest, AClickedWellUsesTheApplicationsColorsPanel)
{
    launch(1);
    QColorDialog *colors = controller->panels().colorPanel();
    ASSERT_TRUE(colors);
    struct Case
    {
        const char *name;
        QColor picked;
    };
    const Case cases[] = {{"first well", QColor(200, 30, 40)}, {"second well", QColor(10, 120, 220)}};
    QWidget host;
    auto *first = new CAColorWell(&host);
    auto *second = new CAColorWell(&host);
    second->move(0, 40);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CAColorWell *well = c.name == std::string("first well") ? first : second;
        QColor told;
        const QMetaObject::Connection heard =
            QObject::connect(well, &CAColorWell::colorChosen, [&told](const QColor &color) { told = color; });
        QTest::mouseClick(well, Qt::LeftButton);
        EXPECT_TRUE(well->isActive());
        EXPECT_TRUE(colors->isVisible()) << "the application's panel shows";
        for (QWidget *top : QApplication::topLevelWidgets())
            EXPECT_FALSE(top->objectName() == u"inspectorColorPanel"_s && top->isVisible()) << "no second panel";
        colors->setCurrentColor(c.picked);
        EXPECT_EQ(told, c.picked);
        QObject::disconnect(heard);
    }
    EXPECT_FALSE(first->isActive()) << "one well at a time";
}
