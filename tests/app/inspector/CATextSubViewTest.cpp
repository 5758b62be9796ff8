#include <gtest/gtest.h>

#include "app/canvas/CACanvasSelection.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/inspector/CATextSubView.h"

#include "../canvas/CanvasEditsFixture.h"
#include "kernel/component/CFTACoreView.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <numbers>

namespace {

TEST(TextPaneRules, DataFileNamesAreShortenedPastNineCharacters)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/home/jo/addresses-2024.csv", "addres..."}, {"/home/jo/list.csv", "list.csv"},
        {"abcdefghijklmnopq", "abcdef..."},           {"/data/nine_char", "nine_char"},
        {"/data/ten_chars_", "ten_ch..."},             {"", ""}};
    for (const auto &[path, shown] : cases)
        EXPECT_EQ(CATextSubView::shortenedFileName(QString::fromLatin1(path)), QString::fromLatin1(shown)) << path;
}

TEST(TextPaneRules, AddressSourceTagsOutsideTheKnownTypesMeanMain)
{
    EXPECT_EQ(CATextSubView::addressTypeForTag(0), adMain);
    EXPECT_EQ(CATextSubView::addressTypeForTag(1), adWork);
    EXPECT_EQ(CATextSubView::addressTypeForTag(2), adHome);
    EXPECT_EQ(CATextSubView::addressTypeForTag(3), adOther);
    EXPECT_EQ(CATextSubView::addressTypeForTag(9), adMain);
}

TEST(TextPaneRules, CategoryMenusHoldEveryPersonFieldOnceWithoutTheHiddenOnes)
{
    QList<int> all;
    for (const QList<int> *tags : {&CATextSubView::categoryMenuTags(), &CATextSubView::relatedNamesTags(),
                                   &CATextSubView::instantMessagingTags(), &CATextSubView::customTags()}) {
        for (int tag : *tags) {
            if (tag < 0)
                continue;
            EXPECT_FALSE(all.contains(tag)) << tag;
            all.append(tag);
        }
    }
    EXPECT_EQ(all.size(), 24 + 11 + 5 + 9);
    for (int hidden : {102, 106, 121})
        EXPECT_FALSE(all.contains(hidden)) << hidden;
}

struct InspectedTexts : CanvasEditsFixture
{
    InspectedTexts()
    {
        undo().setGroupsByEvent(false);
        inspector = CAPropertiesController::sharedPropertiesController();
        inspector->showWindow();
        pane = static_cast<CATextSubView *>(inspector->pane(CAPropertiesController::TextTab));
    }
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
    void type(const char *field, const QString &text)
    {
        QLineEdit *edit = child<QLineEdit>(field);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void press(const char *button, Qt::Key key = Qt::Key_Space)
    {
        auto *widget = child<QWidget>(button);
        widget->setFocus();
        QTest::keyClick(widget, key);
    }

    CAPropertiesController *inspector = nullptr;
    CATextSubView *pane = nullptr;
};

TEST(TextPane, CounterSettingsAreUndoableAndTheDigitsFollowLeadingZeros)
{
    InspectedTexts canvas;
    const QByteArray before = canvas.saved();
    canvas.show({canvas.counter});
    EXPECT_EQ(canvas.inspector->tabView()->currentIndex(), int(CAPropertiesController::TextTab));
    EXPECT_EQ(canvas.child<QStackedWidget>("_propertiesTabView")->currentIndex(), 1);
    EXPECT_EQ(canvas.child<QLineEdit>("_startNumberEdit")->text(), QString::number(canvas.counter->GetStartNumber()));
    ASSERT_FALSE(canvas.counter->IsLeadingZeros());
    EXPECT_FALSE(canvas.child<QLineEdit>("_numberOfDigitsEdit")->isEnabled());

    canvas.press("_leadingZerosCheckbox");
    EXPECT_TRUE(canvas.counter->IsLeadingZeros());
    EXPECT_TRUE(canvas.child<QLineEdit>("_numberOfDigitsEdit")->isEnabled());
    canvas.type("_startNumberEdit", QStringLiteral("41"));
    EXPECT_EQ(canvas.counter->GetStartNumber(), 41);
    canvas.type("_incrementEdit", QStringLiteral("3"));
    EXPECT_EQ(canvas.counter->GetIncrement(), 3);
    canvas.type("_numberOfDigitsEdit", QStringLiteral("5"));
    EXPECT_EQ(canvas.counter->GetZerosDigits(), 5);
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_NAMED")));
    while (canvas.undo().canUndo())
        canvas.undo().undo();
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

TEST(TextPane, FileDataFieldsShowAndChangeTheirLineSettings)
{
    InspectedTexts canvas;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("addresses-2024.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Jane;Doe\nMax;Mustermann\n");
    file.close();
    const QByteArray before = canvas.saved();
    canvas.show({canvas.fileField});
    EXPECT_EQ(canvas.child<QStackedWidget>("_propertiesTabView")->currentIndex(), 2);

    QString offeredStart;
    CATextSubView::setFileChooser([&](QWidget *, const QString &start) {
        offeredStart = start;
        return path;
    });
    canvas.press("_browseButton");
    CATextSubView::setFileChooser({});
    EXPECT_EQ(canvas.fileField->GetFileName().getData(), path);
    EXPECT_EQ(canvas.child<QLabel>("_fileNameText")->text(), QStringLiteral("addres..."));

    // One field of the line, with a delimiter of the user's own.
    QAbstractButton *oneField = canvas.child<QAbstractButton>("_oneFieldRadio");
    QTest::mouseClick(oneField, Qt::LeftButton, {}, QPoint(4, oneField->height() / 2));
    EXPECT_NE(canvas.fileField->GetCountFields(), fcWholeLine);
    EXPECT_TRUE(canvas.child<QComboBox>("_delimeterPopup")->isEnabled());
    QComboBox *delimiters = canvas.child<QComboBox>("_delimeterPopup");
    delimiters->setFocus();
    QTest::keyClick(delimiters, Qt::Key_End);
    EXPECT_TRUE(canvas.child<QLineEdit>("_delimeterEdit")->isEnabled());
    canvas.type("_delimeterEdit", QStringLiteral(";"));
    EXPECT_EQ(canvas.fileField->GetDelimeter().getData(), QStringLiteral(";"));
    canvas.show({canvas.fileField});
    EXPECT_EQ(delimiters->currentIndex(), 3);
    EXPECT_TRUE(canvas.child<QLineEdit>("_delimeterEdit")->isEnabled());
    QTest::keyClick(delimiters, Qt::Key_Home);
    EXPECT_EQ(canvas.fileField->GetDelimeter().getData(), QStringLiteral(" "));
    EXPECT_FALSE(canvas.child<QLineEdit>("_delimeterEdit")->isEnabled());

    while (canvas.undo().canUndo())
        canvas.undo().undo();
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

TEST(TextPane, RotationSnapsFromTheSliderAndIsReducedFromTheField)
{
    InspectedTexts canvas;
    const QByteArray before = canvas.saved();
    canvas.show({canvas.text});
    canvas.type("m_textRotateEdit", QStringLiteral("200"));
    EXPECT_NEAR(canvas.text->GetAngle(), -160.0 * std::numbers::pi / 180.0, 1e-9);
    canvas.type("m_textRotateEdit", QStringLiteral("-190"));
    EXPECT_NEAR(canvas.text->GetAngle(), 170.0 * std::numbers::pi / 180.0, 1e-9);
    canvas.child<QSlider>("m_textRotateSlider")->setValue(87);
    EXPECT_NEAR(canvas.text->GetAngle(), std::numbers::pi / 2.0, 1e-9);
    EXPECT_EQ(canvas.child<QLineEdit>("m_textRotateEdit")->text(), QStringLiteral("90"));
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("SET_ANGLE")));
    while (canvas.undo().canUndo())
        canvas.undo().undo();
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

TEST(TextPane, ACategoryFromTheMenuTurnsTheTextIntoThatField)
{
    InspectedTexts canvas;
    const QByteArray before = canvas.saved();
    // The field menu is a person field's: a counter offers none (Shows makes it one).
    canvas.show({canvas.street});
    ASSERT_TRUE(canvas.child<QToolButton>("_categoryPopup")->isEnabled());
    QMenu *menu = canvas.pane->categoryMenu();
    QAction *firstName = nullptr;
    for (QAction *item : menu->actions()) {
        if (!item->menu() && item->data().toInt() == 17)
            firstName = item;
    }
    ASSERT_NE(firstName, nullptr);
    menu->popup(canvas.child<QToolButton>("_categoryPopup")->mapToGlobal(QPoint()));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(firstName).center());
    const bool madeFirstName = std::any_of(canvas.list().begin(), canvas.list().end(), [](CFTComponent *component) {
        return component->GetTextCategory() == textCategory(17);
    });
    EXPECT_TRUE(madeFirstName);
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_CATEGORY")));
    canvas.undo().undo();
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

TEST(TextPane, NothingSelectedWithTheTextToolShowsTheTextPaneWithoutFieldControls)
{
    InspectedTexts canvas;
    canvas.view.ftView()->setToolMode(toolText);
    canvas.show({});
    EXPECT_EQ(canvas.inspector->tabView()->currentIndex(), int(CAPropertiesController::TextTab));
    EXPECT_FALSE(canvas.child<QToolButton>("_categoryPopup")->isEnabled());
    EXPECT_FALSE(canvas.child<QAbstractButton>("_toRadio")->isEnabled());
    EXPECT_TRUE(canvas.child<QAbstractButton>("m_alignCenter")->isEnabled());
}

TEST(TextPane, TheFirstSizeSliderMoveWithoutASizeAppliesTheSizeItself)
{
    InspectedTexts canvas;
    canvas.show({canvas.text});
    canvas.pane->setFontSizeControls(0.0f);
    canvas.child<QSlider>("m_textSizeSlider")->setValue(sizeSliderValue(30.0));
    const std::optional<PWFont> font = canvas.text->GetFont(nullptr);
    ASSERT_TRUE(font);
    EXPECT_DOUBLE_EQ(font->pointSize(), 30.0);
}

TEST(TextPane, TheInspectorSurvivesItsDocumentClosing)
{
    auto canvas = std::make_unique<InspectedTexts>();
    canvas->show({canvas->counter});
    CATextSubView *pane = canvas->pane;
    QLineEdit *start = pane->findChild<QLineEdit *>(QStringLiteral("_startNumberEdit"));
    canvas.reset();
    EXPECT_EQ(pane->docView(), nullptr);
    start->setText(QStringLiteral("9"));
    Q_EMIT start->returnPressed();
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, nullptr);
    EXPECT_FALSE(pane->findChild<QSlider *>(QStringLiteral("m_textSizeSlider"))->isEnabled());
}

} // namespace

namespace {

TEST(TextPane, TheFontButtonsOpenAndCloseTheFontPanelWithOrWithoutACanvas)
{
    QList<bool> asked;
    CAInspectorPane::setFontPanelHook([&asked](bool show) { asked.append(show); });
    InspectedTexts canvas;
    canvas.show({canvas.text});
    QAbstractButton *textFonts = canvas.child<QAbstractButton>("m_showFontsButton");
    ASSERT_TRUE(textFonts->isEnabled());
    QTest::mouseClick(textFonts, Qt::LeftButton);
    QTest::mouseClick(textFonts, Qt::LeftButton);
    EXPECT_EQ(asked, (QList<bool>{true, false}));
    // The address pane's button works even while the pane has no canvas.
    CAInspectorPane *address = canvas.inspector->pane(CAPropertiesController::AddressTab);
    address->updateWithView(nullptr);
    QAbstractButton *addressFonts = address->findChild<QAbstractButton *>(QStringLiteral("_showFontsButton"));
    ASSERT_TRUE(addressFonts->isEnabled());
    addressFonts->click();
    EXPECT_EQ(asked, (QList<bool>{true, false, true}));
    addressFonts->click();
    CAInspectorPane::setFontPanelHook({});
}

} // namespace
