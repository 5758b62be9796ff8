// The inspector's small buttons driven with real mouse and hover events: the three-state Auto
// switch, the picture-faced toggle button and the toolbar button with its hover faces.
#include "app/inspector/CAAutoToggleButton.h"
#include "app/inspector/CAControlImages.h"
#include "app/inspector/CAToggleButton.h"
#include "app/inspector/CAToolbarButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QImage plain(const QColor &colour)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

QImage iconImage(const QToolButton *button)
{
    return button->icon().pixmap(button->iconSize()).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

struct AutoToggle : ::testing::Test
{
    void SetUp() override { control.show(); }
    void clickAuto() { QTest::mouseClick(control.autoButton(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 10)); }
    void clickCheck() { QTest::mouseClick(control.checkBox(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 10)); }
    CAAutoToggleButton control;
};

} // namespace

TEST_F(AutoToggle, StatesSetTheTwoParts)
{
    struct Row { int set; int state; bool autoOn; bool checkEnabled; };
    for (const Row &row : {Row{1, 1, false, true}, Row{-1, -1, true, false}, Row{0, 0, false, true}}) {
        control.setState(row.set);
        EXPECT_EQ(control.state(), row.state) << row.set;
        EXPECT_EQ(control.isAutoMode(), row.autoOn) << row.set;
        EXPECT_EQ(control.autoButton()->isChecked(), row.autoOn) << row.set;
        EXPECT_EQ(control.checkBox()->isEnabled(), row.checkEnabled) << row.set;
    }
    // Any other value leaves the control as it was.
    control.setState(1);
    control.setState(2);
    EXPECT_EQ(control.state(), 1);
    EXPECT_TRUE(control.checkBox()->isEnabled());
    control.setState(-1);
    control.setState(-7);
    EXPECT_EQ(control.state(), -1);
}

TEST_F(AutoToggle, AutomaticModeHidesTheCheckBoxState)
{
    control.setState(0);
    control.setState(-1);
    control.setCheck(true);
    EXPECT_EQ(control.state(), -1);
    EXPECT_TRUE(control.checkBox()->isChecked());
    EXPECT_FALSE(control.checkBox()->isEnabled());
}

TEST_F(AutoToggle, ClickingAutoTwiceBringsBackTheCheckBox)
{
    QSignalSpy clicks(&control, &CAAutoToggleButton::clicked);
    control.setState(1);
    clickAuto();
    EXPECT_EQ(control.state(), -1);
    EXPECT_FALSE(control.checkBox()->isEnabled());
    // A click on the disabled check box changes nothing and is no action.
    clickCheck();
    EXPECT_EQ(control.state(), -1);
    clickAuto();
    EXPECT_EQ(control.state(), 1);
    EXPECT_TRUE(control.checkBox()->isEnabled());
    EXPECT_EQ(clicks.count(), 2);
    clickCheck();
    EXPECT_EQ(control.state(), 0);
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(AutoToggle, AutoCellShowsItsPictureForTheMode)
{
    control.setState(0);
    EXPECT_EQ(iconImage(control.autoButton()), CAControlImages::image(u"Auto_chek_1"_s).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    clickAuto();
    EXPECT_EQ(iconImage(control.autoButton()), CAControlImages::image(u"Auto_chek_2"_s).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    EXPECT_NE(CAControlImages::image(u"Auto_chek_1"_s), CAControlImages::image(u"Auto_chek_2"_s));
    // The check box overlaps the toggle by four points.
    EXPECT_EQ(control.checkBox()->x(), control.autoButton()->width() - 4);
}

TEST_F(AutoToggle, DisablingCoversBothPartsAndEnablingKeepsAutomaticMode)
{
    control.setState(-1);
    control.setEnabled(false);
    EXPECT_FALSE(control.autoButton()->isEnabled());
    EXPECT_FALSE(control.checkBox()->isEnabled());
    control.setEnabled(true);
    EXPECT_TRUE(control.autoButton()->isEnabled());
    EXPECT_FALSE(control.checkBox()->isEnabled());
    control.setState(1);
    control.setEnabled(false);
    control.setEnabled(true);
    EXPECT_TRUE(control.checkBox()->isEnabled());
}

TEST(CAToggleButton, FacesFollowPressAndState)
{
    CAToggleButton button;
    const QImage off = CAControlImages::image(u"button_1"_s);
    ASSERT_FALSE(off.isNull());
    button.resize(off.size());
    button.show();
    const QPoint middle(off.width() / 2, off.height() / 2);
    const auto shown = [&button, middle] { return button.grab().toImage().pixelColor(middle); };
    EXPECT_EQ(button.currentImageName(), u"button_1"_s);
    EXPECT_EQ(shown(), off.pixelColor(middle));

    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_EQ(button.currentImageName(), u"button_2"_s);
    EXPECT_EQ(shown(), CAControlImages::image(u"button_2"_s).pixelColor(middle));
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_EQ(button.state(), 1);
    EXPECT_EQ(button.currentImageName(), u"button_3"_s);
    EXPECT_EQ(shown(), CAControlImages::image(u"button_3"_s).pixelColor(middle));

    QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_EQ(button.state(), 0);
    button.setState(5);
    EXPECT_EQ(button.state(), 1);
}

namespace {

struct ToolbarFaces : ::testing::Test
{
    void SetUp() override
    {
        for (const auto &[name, colour] : std::initializer_list<std::pair<QString, QColor>>{
                 {u"tbtest"_s, Qt::red}, {u"tbtest_hi"_s, Qt::green}, {u"tbtest_2"_s, Qt::blue},
                 {u"tbtest_alt"_s, Qt::yellow}, {u"tbplain"_s, Qt::gray}})
            CAControlImages::registerImage(name, plain(colour));
        button.show();
    }
    void TearDown() override
    {
        for (const QString &name : {u"tbtest"_s, u"tbtest_hi"_s, u"tbtest_2"_s, u"tbtest_alt"_s, u"tbplain"_s})
            CAControlImages::registerImage(name, QImage());
    }
    void enter()
    {
        QEnterEvent event(QPointF(4, 4), QPointF(4, 4), button.mapToGlobal(QPointF(4, 4)));
        QApplication::sendEvent(&button, &event);
    }
    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(&button, &event);
    }
    QColor shownColour() const { return iconImage(&button).pixelColor(2, 2); }
    CAToolbarButton button;
};

} // namespace

TEST_F(ToolbarFaces, HoverShowsTheHighlightedFaceAndLeavingTheBase)
{
    button.setImageName(u"tbtest"_s);
    EXPECT_EQ(shownColour(), QColor(Qt::red));
    enter();
    EXPECT_EQ(button.shownImageName(), u"tbtest_hi"_s);
    EXPECT_EQ(shownColour(), QColor(Qt::green));
    leave();
    EXPECT_EQ(button.shownImageName(), u"tbtest"_s);
    EXPECT_EQ(shownColour(), QColor(Qt::red));
}

TEST_F(ToolbarFaces, WithoutHoverFaceTheImageStays)
{
    button.setImageName(u"tbplain"_s);
    enter();
    EXPECT_EQ(button.shownImageName(), u"tbplain"_s);
    EXPECT_EQ(shownColour(), QColor(Qt::gray));
    leave();
    EXPECT_EQ(button.shownImageName(), u"tbplain"_s);
}

TEST_F(ToolbarFaces, AButtonThatIsOnChangesItsAlternateFace)
{
    button.setCheckable(true);
    button.setImageName(u"tbtest"_s);
    button.setAlternateImageName(u"tbtest_alt"_s);
    // Toggled without a pointer, so that no hover event comes before the ones sent here.
    button.click();
    ASSERT_TRUE(button.isChecked());
    EXPECT_EQ(shownColour(), QColor(Qt::yellow));
    enter();
    EXPECT_EQ(button.currentAlternateImageName(), u"tbtest_hi"_s);
    EXPECT_EQ(button.currentImageName(), u"tbtest"_s);
    leave();
    EXPECT_EQ(button.currentAlternateImageName(), u"tbtest_2"_s);
    EXPECT_EQ(shownColour(), QColor(Qt::blue));
    // Off again: the plain face shows and hovering changes it, not the alternate one.
    button.click();
    EXPECT_EQ(shownColour(), QColor(Qt::red));
    enter();
    EXPECT_EQ(button.currentImageName(), u"tbtest_hi"_s);
    EXPECT_EQ(button.currentAlternateImageName(), u"tbtest_2"_s);
}

TEST_F(ToolbarFaces, AButtonThatIsOnWithoutAlternateChangesItsImage)
{
    button.setCheckable(true);
    button.setChecked(true);
    button.setImageName(u"tbtest"_s);
    enter();
    EXPECT_EQ(button.currentImageName(), u"tbtest_hi"_s);
    leave();
    EXPECT_EQ(button.currentImageName(), u"tbtest"_s);
}
