#include "ContactsTestSupport.h"

#include "app/contacts/CAContactEditor.h"
#include "app/contacts/CAContactTableModel.h"
#include "kernel/address/FTPersonFields.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;
using contactstest::person;

namespace {

std::shared_ptr<PWPerson> withWorkAddress(const QString &first, const QString &last, const QString &street)
{
    std::shared_ptr<PWPerson> made = person(first, last);
    setStringForPersonCategory(made.get(), street, adWork, tcStreet);
    setStringForPersonCategory(made.get(), u"Springfield"_s, adWork, tcCity);
    return made;
}

QString fieldText(const PWPerson &who, addressType type, textCategory category)
{
    return stringForPersonCategory(&who, type, category, false);
}

class CAContactEditorTest : public testing::Test
{
protected:
    CAContactEditorTest()
        : model(QString(), &scratch.defaults())
    {
        model.setContent({withWorkAddress(u"Ann"_s, u"smith"_s, u"1 Work St"_s), person(u"Bo"_s, u"Young"_s)});
    }

    static void clickTab(CAContactEditor &editor, int tab)
    {
        auto *bar = editor.findChild<QTabBar *>(u"_tabView"_s);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    }
    // Types into a field as a user does: focus, select what is there, type, leave with Tab.
    static void retype(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
        Q_EMIT field->editingFinished();
    }
    static void choose(QComboBox *popup, int item)
    {
        popup->setCurrentIndex(item);
        Q_EMIT popup->activated(item);
    }

    contactstest::ScratchDefaults scratch;
    CAContactTableModel model;
};

TEST_F(CAContactEditorTest, AddressTabsKeepTheirEditsInTheCopy)
{
    CAContactEditor editor;
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.setPersonByIndex(0, &model);
    auto *bar = editor.findChild<QTabBar *>(u"_tabView"_s);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GT(bar->height(), 0) << "the address-type tabs take room";
    EXPECT_EQ(bar->count(), 3);
    QLineEdit *street = editor.fieldOfCategory(tcStreet);
    EXPECT_EQ(editor.currentAddressType(), adWork);
    EXPECT_EQ(street->text(), u"1 Work St"_s);

    clickTab(editor, 0);
    EXPECT_EQ(editor.currentAddressType(), adHome);
    EXPECT_TRUE(street->text().isEmpty()) << "no home address: the caption shows";
    EXPECT_EQ(street->placeholderText(), u"Street"_s);
    retype(street, u"5 Home Rd"_s);

    clickTab(editor, 1);
    EXPECT_EQ(street->text(), u"1 Work St"_s);
    clickTab(editor, 2);
    EXPECT_EQ(editor.currentAddressType(), adOther);
    EXPECT_TRUE(street->text().isEmpty());
    clickTab(editor, 0);
    EXPECT_EQ(street->text(), u"5 Home Rd"_s);

    const std::shared_ptr<PWPerson> copy = editor.editedPerson();
    EXPECT_EQ(fieldText(*copy, adHome, tcStreet), u"5 Home Rd"_s);
    EXPECT_EQ(fieldText(*copy, adWork, tcStreet), u"1 Work St"_s);
    EXPECT_NE(copy.get(), model.personAt(0).get()) << "the editor works on a copy";
    EXPECT_TRUE(fieldText(*model.personAt(0), adHome, tcStreet).isEmpty()) << "the row is untouched";
}

// Narrow as the print-multiple window shows it, the editor gives the fields of a row equal room,
// and a company name stands whole in its field from its first letter.
TEST_F(CAContactEditorTest, FieldsOfARowShareItsWidthAndShowTheirValuesWhole)
{
    std::shared_ptr<PWPerson> who = person(u"Mary Ann"_s, u"Baker"_s);
    setStringForPersonCategory(who.get(), u"Acme Widgets"_s, adWork, tcCompany);
    setStringForPersonCategory(who.get(), u"Sales"_s, adWork, tcDepartment);
    model.setContent({who});
    CAContactEditor editor;
    editor.resize(390, 440);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.setPersonByIndex(0, &model);
    QCoreApplication::processEvents();

    const QList<QList<textCategory>> rows = {{tcJobTitle, tcCompany, tcDepartment}};
    for (const QList<textCategory> &row : rows) {
        QList<int> widths;
        for (textCategory category : row) {
            QLineEdit *field = editor.fieldOfCategory(category);
            ASSERT_NE(field, nullptr);
            widths.append(field->width());
        }
        EXPECT_LE(*std::max_element(widths.begin(), widths.end()) - *std::min_element(widths.begin(), widths.end()), 2)
            << widths.size();
    }
    QLineEdit *company = editor.fieldOfCategory(tcCompany);
    ASSERT_EQ(company->text(), u"Acme Widgets"_s);
    EXPECT_EQ(company->cursorPosition(), 0);
    // The text's advance, the field's frame and its side margins.
    EXPECT_LE(company->fontMetrics().horizontalAdvance(company->text()) + 8, company->width());
}

// The custom, related and messaging fields share one entry each; a pop-up switch keeps what was
// typed for the item left.
struct SharedFieldCase
{
    const char *field;
    const char *popup;
    QList<textCategory> (*categories)();
};

class CAContactEditorSharedFieldTest : public CAContactEditorTest, public testing::WithParamInterface<SharedFieldCase>
{
};

TEST_P(CAContactEditorSharedFieldTest, SwitchingItemsKeepsEachValue)
{
    const SharedFieldCase &param = GetParam();
    CAContactEditor editor;
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.setPersonByIndex(1, &model);
    auto *field = editor.findChild<QLineEdit *>(QString::fromLatin1(param.field));
    auto *popup = editor.findChild<QComboBox *>(QString::fromLatin1(param.popup));
    const QList<textCategory> categories = param.categories();
    ASSERT_EQ(popup->count(), categories.size());

    retype(field, u"first value"_s);
    choose(popup, 2);
    EXPECT_TRUE(field->text().isEmpty());
    retype(field, u"third value"_s);
    choose(popup, 0);
    EXPECT_EQ(field->text(), u"first value"_s);
    choose(popup, 2);
    EXPECT_EQ(field->text(), u"third value"_s);

    const addressType type = editor.currentAddressType();
    EXPECT_EQ(fieldText(*editor.editedPerson(), type, categories.at(0)), u"first value"_s);
    EXPECT_EQ(fieldText(*editor.editedPerson(), type, categories.at(2)), u"third value"_s);
}

INSTANTIATE_TEST_SUITE_P(
    Popups, CAContactEditorSharedFieldTest,
    testing::Values(SharedFieldCase{"_custom", "_popupCustom", [] { return CAContactEditor::customCategories(); }},
                    SharedFieldCase{"_related", "_popupRelated", [] { return CAContactEditor::relatedCategories(); }},
                    SharedFieldCase{"_im", "_popupIm", [] { return CAContactEditor::imCategories(); }}));

TEST_F(CAContactEditorTest, SheetOkReplacesTheRowByACopyKeepingACaseCorrection)
{
    const std::shared_ptr<PWPerson> original = model.personAt(0);
    const std::shared_ptr<PWPerson> other = model.personAt(1);
    CAContactEditorSheet sheet;
    QTimer::singleShot(0, &sheet, [&] {
        retype(sheet.editor()->fieldOfCategory(tcLastName), u"Smith"_s);
        retype(sheet.editor()->fieldOfCategory(tcCompany), u"Acme"_s);
        QTest::mouseClick(sheet.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(sheet.editRow(0, &model), CAContactEditorSheet::kOK);

    const std::shared_ptr<PWPerson> stored = model.personAt(0);
    EXPECT_NE(stored.get(), original.get());
    EXPECT_NE(stored.get(), sheet.editor()->editedPerson().get()) << "a copy of the working copy";
    EXPECT_EQ(stored->stringForProperty(kPWLastNameProperty), u"Smith"_s) << "a correction of case is kept";
    EXPECT_EQ(fieldText(*stored, adWork, tcCompany), u"Acme"_s);
    EXPECT_EQ(fieldText(*stored, adWork, tcStreet), u"1 Work St"_s) << "untouched fields come along";
    EXPECT_EQ(model.sourceContent().at(0).get(), stored.get());
    EXPECT_EQ(original->stringForProperty(kPWLastNameProperty), u"smith"_s);
    EXPECT_EQ(model.personAt(1).get(), other.get()) << "the other rows stay as they were";
}

TEST_F(CAContactEditorTest, SheetCancelLeavesTheRow)
{
    const std::shared_ptr<PWPerson> original = model.personAt(0);
    CAContactEditorSheet sheet;
    QTimer::singleShot(0, &sheet, [&] {
        retype(sheet.editor()->fieldOfCategory(tcLastName), u"Jones"_s);
        QTest::keyClick(&sheet, Qt::Key_Escape);
    });
    EXPECT_EQ(sheet.editRow(0, &model), CAContactEditorSheet::kCancel);
    EXPECT_EQ(model.personAt(0).get(), original.get());
    EXPECT_EQ(original->stringForProperty(kPWLastNameProperty), u"smith"_s);
}

TEST_F(CAContactEditorTest, ClearedFieldWritesEmptyAndCaptionsAreNoValues)
{
    CAContactEditorSheet sheet;
    QTimer::singleShot(0, &sheet, [&] {
        CAContactEditor *editor = sheet.editor();
        QLineEdit *first = editor->fieldOfCategory(tcFirstName);
        EXPECT_EQ(first->placeholderText(), u"First"_s);
        EXPECT_EQ(editor->fieldOfCategory(tcMaidenName)->placeholderText(), u"Name"_s);
        EXPECT_EQ(first->contextMenuPolicy(), Qt::NoContextMenu) << "a right click offers nothing";
        retype(editor->fieldOfCategory(tcCity), QString());
        retype(first, QString());
        QTest::mouseClick(sheet.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    ASSERT_EQ(sheet.editRow(0, &model), CAContactEditorSheet::kOK);
    const std::shared_ptr<PWPerson> stored = model.personAt(0);
    EXPECT_TRUE(fieldText(*stored, adWork, tcCity).isEmpty());
    EXPECT_TRUE(stored->stringForProperty(kPWFirstNameProperty).isEmpty());
    EXPECT_EQ(fieldText(*stored, adWork, tcStreet), u"1 Work St"_s);
    for (textCategory category : {tcMiddleName, tcNickName, tcJobTitle, tcDepartment, tcMobile})
        EXPECT_TRUE(fieldText(*stored, adWork, category).isEmpty()) << "no caption was stored for " << category;
}

TEST_F(CAContactEditorTest, LiveModePutsEachFinishedEditIntoTheRow)
{
    CAContactEditor editor;
    editor.setLiveMode(true);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.setPersonByIndex(1, &model);
    QSignalSpy changed(&editor, &CAContactEditor::editingPersonDidChange);
    retype(editor.fieldOfCategory(tcCompany), u"Harbour Lines"_s);
    ASSERT_GE(changed.count(), 1);
    EXPECT_EQ(model.personAt(1).get(), editor.editedPerson().get()) << "live mode puts the working copy itself";
    EXPECT_EQ(fieldText(*model.personAt(1), adWork, tcCompany), u"Harbour Lines"_s);

    editor.setEmptyPerson();
    changed.clear();
    retype(editor.fieldOfCategory(tcCompany), u"Nobody's"_s);
    EXPECT_EQ(changed.count(), 0) << "an empty person has no row to go to";
    EXPECT_EQ(editor.editedRow(), -1);
}

TEST_F(CAContactEditorTest, LiveModeLeavesTheRowAloneWhenAFieldIsLeftUnchanged)
{
    CAContactEditor editor;
    editor.setLiveMode(true);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.setPersonByIndex(1, &model);
    const std::shared_ptr<PWPerson> original = model.personAt(1);
    QSignalSpy changed(&editor, &CAContactEditor::editingPersonDidChange);
    QLineEdit *company = editor.fieldOfCategory(tcCompany);
    retype(company, company->text());
    editor.synchronizeChanges();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(model.personAt(1).get(), original.get()) << "the list keeps the person it holds";
}

TEST_F(CAContactEditorTest, WithoutLiveModeFinishedEditsStayInTheCopy)
{
    CAContactEditor editor;
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.setPersonByIndex(1, &model);
    const std::shared_ptr<PWPerson> original = model.personAt(1);
    retype(editor.fieldOfCategory(tcCompany), u"Harbour Lines"_s);
    EXPECT_EQ(model.personAt(1).get(), original.get());
    EXPECT_TRUE(fieldText(*original, adWork, tcCompany).isEmpty());
    EXPECT_EQ(fieldText(*editor.editedPerson(), adWork, tcCompany), u"Harbour Lines"_s);
}

} // namespace

// The pop-ups over the shared fields are titled by the string table, never by the keys that
// name the fields: the custom fields and related names in lower case, the services as they are.
struct PopupTitleCase
{
    const char *popup;
    int index;
    const char16_t *title;
};

class CAContactEditorPopupTitleTest : public CAContactEditorTest, public testing::WithParamInterface<PopupTitleCase>
{
};

TEST_P(CAContactEditorPopupTitleTest, ItemsShowTheirLocalizedLabels)
{
    const PopupTitleCase &param = GetParam();
    CAContactEditor editor;
    editor.show();
    auto *popup = editor.findChild<QComboBox *>(QString::fromLatin1(param.popup));
    ASSERT_NE(popup, nullptr);
    ASSERT_LT(param.index, popup->count());
    EXPECT_EQ(popup->itemText(param.index), QString::fromUtf16(param.title));
    // Choosing the item as a user does shows the same title.
    popup->setFocus();
    popup->setCurrentIndex(0);
    for (int i = 0; i < param.index; ++i)
        QTest::keyClick(popup, Qt::Key_Down);
    EXPECT_EQ(popup->currentText(), QString::fromUtf16(param.title));
}

INSTANTIATE_TEST_SUITE_P(Titles, CAContactEditorPopupTitleTest,
                         testing::Values(PopupTitleCase{"_popupCustom", 0, u"custom 1"},
                                         PopupTitleCase{"_popupCustom", 3, u"custom 4"},
                                         PopupTitleCase{"_popupCustom", 8, u"custom 9"},
                                         PopupTitleCase{"_popupRelated", 0, u"father"},
                                         PopupTitleCase{"_popupRelated", 1, u"mother"},
                                         PopupTitleCase{"_popupRelated", 10, u"manager"},
                                         PopupTitleCase{"_popupIm", 0, u"AIM"},
                                         PopupTitleCase{"_popupIm", 4, u"Yahoo"}));
