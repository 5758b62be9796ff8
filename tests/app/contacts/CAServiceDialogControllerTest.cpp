// The address confirmation sheet, driven as a user drives it: it opens on a window holding the
// values read from a text, the user corrects fields with the keyboard, and OK, Return, Cancel or
// Escape decides what the document receives.
#include "RecognitionTestSupport.h"

#include "app/contacts/CAServiceDialogController.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"
#include "platform/PWPlist.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using recognitiontest::lines;

const QString kSample = lines("Dr. Mary Ann Baker / Acme Inc. Sales / 1200 Harbor Boulevard / Springfield, IL 62704 / USA");

// Runs the sheet on a window and does what the user does once it is up.
std::shared_ptr<PWPerson> runSheet(QWidget *window, const CAPersonDictionary &dictionary,
                                   const std::function<void(CAServiceDialogController &sheet)> &user)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto *sheet = qobject_cast<CAServiceDialogController *>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->parentWidget(), window);
        EXPECT_TRUE(sheet->isVisible());
        ran = true;
        user(*sheet);
    });
    std::shared_ptr<PWPerson> person = CAServiceDialogController::openDialog(dictionary, window);
    EXPECT_TRUE(ran);
    return person;
}

QString street(const PWPerson &person)
{
    return person.multiValueForProperty(kPWAddressProperty)->valueAtIndex(0).value(kPWAddressStreetKey).toString();
}

TEST(ServiceDialog, ShowsTheElevenValuesInTheOutlets)
{
    CAServiceDialogController sheet;
    sheet.initFormWithDictionary(parseServiceText(kSample));
    const struct
    {
        const char *outlet;
        const QString &key;
        const char *text;
    } fields[] = {
        {"_prefixEditField", kPersonPrefixKey, "Dr"},
        {"_firstNameEditField", kPersonFirstNameKey, "Mary Ann"},
        {"_lastNameEditField", kPersonLastNameKey, "Baker"},
        {"_suffixEditField", kPersonSuffixKey, ""},
        {"_companyEditField", kPersonCompanyKey, "Acme Inc."},
        {"_departmentEditField", kPersonDepartmentKey, " Sales"},
        {"_streetAddrEditField", kPersonStreetKey, "1200 Harbor Boulevard"},
        {"_cityEditField", kPersonCityKey, "Springfield"},
        {"_stateEditField", kPersonStateKey, "IL"},
        {"_zipEditField", kPersonZipKey, "62704"},
        {"_countryEditField", kPersonCountryKey, "USA"},
    };
    for (const auto &f : fields) {
        SCOPED_TRACE(f.outlet);
        auto *edit = sheet.findChild<QLineEdit *>(QString::fromLatin1(f.outlet));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit, sheet.field(f.key));
        EXPECT_EQ(edit->text(), QString::fromUtf8(f.text));
        EXPECT_EQ(sheet.form().value(f.key), QString::fromUtf8(f.text));
    }
    EXPECT_EQ(sheet.field(u"Phone"_s), nullptr);

    // Refilling replaces every field, also with values the dictionary lacks.
    sheet.initFormWithDictionary({{kPersonLastNameKey, u"Hartley"_s}});
    EXPECT_EQ(sheet.field(kPersonLastNameKey)->text(), u"Hartley"_s);
    EXPECT_TRUE(sheet.field(kPersonStreetKey)->text().isEmpty());
    EXPECT_EQ(sheet.form().dictionary().size(), 11);
}

TEST(ServiceDialog, TheUserCorrectsAFieldAndConfirms)
{
    QWidget window;
    window.resize(600, 400);
    window.show();
    const auto person = runSheet(&window, parseServiceText(kSample), [](CAServiceDialogController &sheet) {
        QLineEdit *streetField = sheet.field(kPersonStreetKey);
        streetField->setFocus();
        streetField->selectAll();
        QTest::keyClicks(streetField, u"1201 Harbor Boulevard"_s);
        QTest::mouseClick(sheet.findChild<QPushButton *>(u"okButton"_s), Qt::LeftButton);
    });
    ASSERT_TRUE(person);
    EXPECT_EQ(street(*person), u"1201 Harbor Boulevard"_s);
    EXPECT_EQ(person->stringForProperty(kPWTitleProperty), u"Dr"_s);
    EXPECT_EQ(person->stringForProperty(kPWLastNameProperty), u"Baker"_s);
    EXPECT_EQ(person->multiValueForProperty(kPWAddressProperty)->labelAtIndex(0), kPWAddressWorkLabel);
}

TEST(ServiceDialog, ReturnConfirmsCancelAndEscapeDoNot)
{
    QWidget window;
    window.show();
    const CAPersonDictionary dictionary = parseServiceText(kSample);

    const auto confirmed = runSheet(&window, dictionary, [](CAServiceDialogController &sheet) {
        QTest::keyClick(sheet.field(kPersonCityKey), Qt::Key_Return);
    });
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(confirmed->stringForProperty(kPWFirstNameProperty), u"Mary Ann"_s);

    EXPECT_FALSE(runSheet(&window, dictionary, [](CAServiceDialogController &sheet) {
        QTest::mouseClick(sheet.findChild<QPushButton *>(u"cancelButton"_s), Qt::LeftButton);
    }));
    EXPECT_FALSE(runSheet(&window, dictionary, [](CAServiceDialogController &sheet) {
        QTest::keyClick(sheet.field(kPersonCityKey), Qt::Key_Escape);
    }));
    // Closing the window the sheet is on takes the sheet along, and nothing is confirmed.
    auto *closing = new QWidget;
    closing->show();
    EXPECT_FALSE(runSheet(closing, dictionary, [closing](CAServiceDialogController &) { delete closing; }));
}

// While the sheet waits on a document, a click on a floating window beside it (the address
// window's print-list tab) starts nothing: the click is held back until the sheet is answered.
TEST(ServiceDialog, AClickOnAnotherWindowWaitsForTheAnswer)
{
    QWidget window;
    window.show();
    QWidget panel(nullptr, Qt::Tool);
    auto *tabs = new QTabWidget(&panel);
    tabs->addTab(new QWidget, u"Contacts"_s);
    tabs->addTab(new QWidget, u"Print Lists"_s);
    tabs->resize(300, 200);
    panel.move(window.geometry().topRight() + QPoint(40, 0));
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    // A click as the window system delivers it, where a modal window can hold it back.
    const auto clickPrintListTab = [&panel, tabs] {
        const QRect tab = tabs->tabBar()->tabRect(1);
        QTest::mouseClick(panel.windowHandle(), Qt::LeftButton, {}, tabs->tabBar()->mapTo(&panel, tab.center()));
    };
    int tabWhileWaiting = -1;
    const auto confirmed = runSheet(&window, parseServiceText(kSample), [&](CAServiceDialogController &sheet) {
        clickPrintListTab();
        QCoreApplication::processEvents();
        tabWhileWaiting = tabs->currentIndex();
        QTest::keyClick(sheet.field(kPersonCityKey), Qt::Key_Return);
    });
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(tabWhileWaiting, 0) << "the other window took a click while the sheet waited";
    // Answered, the window takes the same click.
    clickPrintListTab();
    EXPECT_EQ(tabs->currentIndex(), 1);
}

TEST(ServiceDialog, AnEmptyFormConfirmedGivesAnEmptyPerson)
{
    QWidget window;
    window.show();
    const auto person = runSheet(&window, parseServiceText(QString()), [](CAServiceDialogController &sheet) {
        QTest::mouseClick(sheet.findChild<QPushButton *>(u"okButton"_s), Qt::LeftButton);
    });
    ASSERT_TRUE(person);
    EXPECT_TRUE(person->stringForProperty(kPWFirstNameProperty).isEmpty());
    EXPECT_EQ(person->multiValueForProperty(kPWAddressProperty)->valueAtIndex(0).toDictionary().size(), 5);
}

TEST(ServiceDialog, TabGoesThroughTheFieldsInReadingOrder)
{
    CAServiceDialogController sheet;
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    const QStringList order = {u"_prefixEditField"_s,  u"_firstNameEditField"_s,  u"_lastNameEditField"_s,
                               u"_suffixEditField"_s,  u"_companyEditField"_s,    u"_departmentEditField"_s,
                               u"_streetAddrEditField"_s, u"_cityEditField"_s,    u"_stateEditField"_s,
                               u"_zipEditField"_s,     u"_countryEditField"_s,    u"cancelButton"_s,
                               u"okButton"_s};
    QWidget *widget = sheet.findChild<QWidget *>(order.first());
    for (const QString &name : order) {
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->objectName(), name);
        widget = widget->nextInFocusChain();
        while (widget && widget->focusPolicy() == Qt::NoFocus)
            widget = widget->nextInFocusChain();
    }
}

// At its default size nothing of the sheet is cut off: every label shows its whole text and
// every field has room for an address line.
TEST(ServiceDialog, NothingIsClippedAtTheDefaultSize)
{
    CAServiceDialogController sheet;
    sheet.initFormWithDictionary(parseServiceText(kSample));
    sheet.show();
    QCoreApplication::processEvents();
    const QRect inside = sheet.rect();
    for (QLabel *label : sheet.findChildren<QLabel *>()) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_TRUE(inside.contains(QRect(label->mapTo(&sheet, QPoint()), label->size())));
        if (!label->wordWrap()) {
            EXPECT_GE(label->width(), label->sizeHint().width());
        } else {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        }
    }
    for (QLineEdit *edit : sheet.findChildren<QLineEdit *>()) {
        SCOPED_TRACE(edit->objectName().toStdString());
        EXPECT_TRUE(inside.contains(QRect(edit->mapTo(&sheet, QPoint()), edit->size())));
        EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(u"1200 Harbor Boulevard Suite 400"_s));
    }
    for (QPushButton *button : sheet.findChildren<QPushButton *>()) {
        EXPECT_TRUE(inside.contains(QRect(button->mapTo(&sheet, QPoint()), button->size())));
        EXPECT_GE(button->width(), button->sizeHint().width());
    }
}

TEST(ServiceImportForm, KeepsTheElevenKeysOnly)
{
    CAServiceImportForm form;
    EXPECT_EQ(form.dictionary(), emptyPersonDictionary());
    EXPECT_TRUE(form.setValue(kPersonZipKey, u"62704"_s));
    EXPECT_FALSE(form.setValue(u"Phone"_s, u"555"_s));
    EXPECT_EQ(form.dictionary().size(), 11);
    form.initFormWithDictionary({{kPersonCityKey, u"Oxford"_s}, {u"Phone"_s, u"555"_s}});
    EXPECT_EQ(form.value(kPersonCityKey), u"Oxford"_s);
    EXPECT_TRUE(form.value(kPersonZipKey).isEmpty());
    EXPECT_FALSE(form.dictionary().contains(u"Phone"_s));
    const auto person = form.initDictionarWithForm();
    EXPECT_EQ(person->multiValueForProperty(kPWAddressProperty)->valueAtIndex(0).value(kPWAddressCityKey).toString(),
              u"Oxford"_s);
}

} // namespace
