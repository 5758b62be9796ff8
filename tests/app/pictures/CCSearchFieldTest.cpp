#include <gtest/gtest.h>

#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

struct SearchFieldWindow : ::testing::Test
{
    SearchFieldWindow()
    {
        window.resize(320, 60);
        field = new CCSearchField(&window);
        field->setGeometry(10, 10, 240, 22);
        field->followSuperview();
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QPoint stopButton() const { return QPoint(field->width() - 8, 10); }
    QPoint textArea() const { return QPoint(80, 10); }

    QWidget window;
    CCSearchField *field = nullptr;
};

TEST_F(SearchFieldWindow, NewFieldSearchesTheCollection)
{
    CCSearchFieldCell *cell = field->searchCell();
    EXPECT_EQ(field->placeholderText(), u"Collection"_s);
    EXPECT_EQ(cell->mode(), CCSearchFieldCell::Mode::Collection);
    ASSERT_EQ(cell->menu()->actions().size(), 2);
    EXPECT_TRUE(cell->menu()->actions().at(0)->isChecked());
    EXPECT_FALSE(cell->menu()->actions().at(1)->isChecked());
    EXPECT_EQ(cell->rightImageName(false), u"search_white_right"_s);
    EXPECT_TRUE(cell->progressPieces(240).left.isEmpty());
    EXPECT_DOUBLE_EQ(field->maxValue(), 100);
    EXPECT_DOUBLE_EQ(field->minValue(), 0);

    QSignalSpy text(field, &CCSearchField::searchText);
    QSignalSpy internet(field, &CCSearchField::searchInternet);
    QTest::mouseClick(field, Qt::LeftButton, {}, textArea());
    QTest::keyClicks(field, u"owl"_s);
    EXPECT_EQ(text.count(), 0); // typing alone runs no collection search
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(text.count(), 1);
    EXPECT_EQ(text.at(0).at(0).value<CCSearchField *>(), field);
    EXPECT_EQ(internet.count(), 0);
    EXPECT_EQ(cell->length(), 3u);
}

TEST_F(SearchFieldWindow, ModeMenuUnderTheLeftEndSwitchesToInternet)
{
    QMenu *menu = field->searchCell()->menu();
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(8, 10));
    ASSERT_TRUE(menu->isVisible());
    // Under the field's left end.
    EXPECT_EQ(menu->pos(), field->mapToGlobal(QPoint(0, field->height() + 6)));
    QAction *internetItem = menu->actions().at(1);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(internetItem).center());
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(field->searchCell()->mode(), CCSearchFieldCell::Mode::Internet);
    EXPECT_EQ(field->placeholderText(), u"Internet"_s);
    EXPECT_TRUE(internetItem->isChecked());
    EXPECT_FALSE(menu->actions().at(0)->isChecked());

    QSignalSpy text(field, &CCSearchField::searchText);
    QSignalSpy internet(field, &CCSearchField::searchInternet);
    QTest::mouseClick(field, Qt::LeftButton, {}, textArea());
    QTest::keyClicks(field, u"lighthouse"_s);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(internet.count(), 1);
    EXPECT_EQ(text.count(), 0);
}

TEST_F(SearchFieldWindow, StopButtonStopsARunningSearchOnlyWhenReleasedOverIt)
{
    QSignalSpy stop(field, &CCSearchField::stopRequested);
    // No search running: a release over the button sends nothing.
    QTest::mouseClick(field, Qt::LeftButton, {}, stopButton());
    EXPECT_EQ(stop.count(), 0);

    field->setDoubleValue(30);
    EXPECT_EQ(field->searchCell()->rightImageName(false), u"search_white_unpr_del"_s);
    // Pressing shows the pressed button; dragging out and back in toggles the look.
    QTest::mousePress(field, Qt::LeftButton, {}, stopButton());
    EXPECT_TRUE(field->searchCell()->clearButtonPressed());
    EXPECT_EQ(field->searchCell()->rightImageName(true), u"search_color_pr_del"_s);
    QMouseEvent out(QEvent::MouseMove, QPointF(textArea()), field->mapToGlobal(QPointF(textArea())), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &out);
    EXPECT_FALSE(field->searchCell()->clearButtonPressed());
    QMouseEvent back(QEvent::MouseMove, QPointF(stopButton()), field->mapToGlobal(QPointF(stopButton())),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &back);
    EXPECT_TRUE(field->searchCell()->clearButtonPressed());
    // Released outside: nothing.
    QApplication::sendEvent(field, &out);
    QTest::mouseRelease(field, Qt::LeftButton, {}, textArea());
    EXPECT_EQ(stop.count(), 0);
    EXPECT_DOUBLE_EQ(field->doubleValue(), 30);

    QTest::mouseClick(field, Qt::LeftButton, {}, stopButton());
    EXPECT_EQ(stop.count(), 1);
    EXPECT_DOUBLE_EQ(field->doubleValue(), 0);
    EXPECT_FALSE(field->searchCell()->clearButtonPressed());
    EXPECT_TRUE(field->hasFocus());
}

TEST_F(SearchFieldWindow, ARunningSearchKeepsTheTextFromEditing)
{
    auto *other = new QLineEdit(&window);
    other->setGeometry(10, 36, 100, 20);
    other->show();
    other->setFocus();
    field->setText(u"owl"_s);
    field->setDoubleValue(50);
    ASSERT_FALSE(field->hasFocus());
    QTest::mouseClick(field, Qt::LeftButton, {}, textArea());
    EXPECT_FALSE(field->hasFocus());
    EXPECT_EQ(field->text(), u"owl"_s);
    // The text rectangle makes room for the stop button only while the search runs.
    EXPECT_DOUBLE_EQ(field->searchCell()->textRectForFrame(QRectF(0, 0, 240, 22)).width(), 240 - 43);
    field->setDoubleValue(0);
    EXPECT_DOUBLE_EQ(field->searchCell()->textRectForFrame(QRectF(0, 0, 240, 22)).width(), 240 - 31);
    QTest::mouseClick(field, Qt::LeftButton, {}, textArea());
    EXPECT_TRUE(field->hasFocus());
}

TEST_F(SearchFieldWindow, SimpleModeSearchesAtEveryKeystrokeAndHasAnEmptyMenu)
{
    field->searchCell()->setSimpleMode();
    EXPECT_TRUE(field->searchCell()->hasSimpleMode());
    EXPECT_TRUE(field->placeholderText().isEmpty());
    EXPECT_EQ(field->searchCell()->leftImageName(), u"search_white_left_simple"_s);
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(8, 10));
    EXPECT_TRUE(field->searchCell()->menu()->actions().isEmpty());
    field->searchCell()->menu()->hide();

    QSignalSpy text(field, &CCSearchField::searchText);
    QTest::mouseClick(field, Qt::LeftButton, {}, textArea());
    QTest::keyClicks(field, u"ann"_s);
    EXPECT_EQ(text.count(), 3);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(text.count(), 4);
}

// Return starts the search and ends the editing: its progress shows while the field still has
// the focus, the keys no longer edit the text while it runs, and the placeholder is hidden only
// while the field is being edited.
TEST_F(SearchFieldWindow, ReturnShowsTheSearchesProgressAndKeepsTheKeysOut)
{
    auto *other = new QLineEdit(&window);
    other->setGeometry(10, 36, 100, 20);
    other->show();
    other->setFocus();
    EXPECT_TRUE(field->showsPlaceholder());
    QTest::mouseClick(field, Qt::LeftButton, {}, textArea());
    ASSERT_TRUE(field->hasFocus());
    EXPECT_FALSE(field->showsPlaceholder()) << "no placeholder over an empty field being edited";
    EXPECT_FALSE(field->searchCell()->drawProgress());

    QSignalSpy search(field, &CCSearchField::searchText);
    QTest::keyClicks(field, u"owl"_s);
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(search.count(), 1);
    field->setDoubleValue(40); // the search reports its first results
    EXPECT_TRUE(field->hasFocus());
    EXPECT_TRUE(field->searchCell()->drawProgress()) << "the progress shows without a click elsewhere";
    QTest::keyClicks(field, u"x"_s);
    EXPECT_EQ(field->text(), u"owl"_s) << "a running search keeps the keys out";

    field->setDoubleValue(0);
    field->clear();
    other->setFocus();
    EXPECT_TRUE(field->showsPlaceholder());
}

TEST(SearchFieldProgress, SweepCoversTheBarInProportion)
{
    CCSearchField field;
    CCSearchFieldCell *cell = field.searchCell();
    const double W = 200;
    struct Case
    {
        double value;
        QRectF left, middle, right;
    };
    const Case cases[] = {
        {0, {}, {}, {}},
        {10, {0, 0, 20, 21}, {}, {}},
        {50, {0, 0, 24, 21}, {24, 0, 76, 21}, {}},
        {95, {0, 0, 24, 21}, {24, 0, 152, 21}, {176, 0, 14, 21}},
        {100, {0, 0, 24, 21}, {24, 0, 152, 21}, {176, 0, 24, 21}},
    };
    for (const Case &c : cases) {
        cell->setDoubleValue(c.value);
        const auto pieces = cell->progressPieces(W);
        EXPECT_EQ(pieces.left, c.left) << c.value;
        EXPECT_EQ(pieces.middle, c.middle) << c.value;
        EXPECT_EQ(pieces.right, c.right) << c.value;
    }
    // A range of nothing draws nothing rather than dividing by zero.
    cell->setMaxValue(0);
    EXPECT_TRUE(cell->progressPieces(W).left.isEmpty());
}

TEST(SearchFieldLayout, FollowsTheContainerAboveTheMinimumWidth)
{
    QWidget top;
    top.resize(400, 60);
    auto *container = new QWidget(&top);
    container->setGeometry(0, 0, 300, 40);
    auto *field = new CCSearchField(container);
    field->setGeometry(0, 0, 100, 22);
    top.show();
    QCoreApplication::processEvents();
    field->followSuperview();
    container->resize(250, 40); // 100 - 50
    EXPECT_EQ(field->width(), 50);
    container->resize(240, 40); // wanted 40: keeps its last width
    EXPECT_EQ(field->width(), 50);
    EXPECT_EQ(field->wantedWidth(), 40);
    container->resize(310, 40); // 40 + 70
    EXPECT_EQ(field->width(), 110);
}

} // namespace

namespace {

// The clip-art pane's arrangement: the field between the category button and the grid, in a
// column with margins, as the design panel lays it out.
TEST(SearchFieldLayout, InsideALayoutTheFieldKeepsTheWidthTheLayoutGives)
{
    QWidget panel;
    auto *column = new QVBoxLayout(&panel);
    column->setContentsMargins(11, 6, 11, 6);
    column->addWidget(new QLineEdit(&panel));
    auto *field = new CCSearchField(&panel);
    column->addWidget(field);
    column->addWidget(new QWidget(&panel), 1);
    field->followSuperview();
    panel.resize(440, 300);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    for (const int width : {440, 460, 300, 600, 120, 440}) {
        SCOPED_TRACE(width);
        panel.resize(width, 300);
        QCoreApplication::processEvents();
        EXPECT_EQ(field->width(), width - 22);
        EXPECT_EQ(field->wantedWidth(), width - 22);
    }
}

} // namespace
