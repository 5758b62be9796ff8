// Typing into a field of an address panel on the canvas gives the side's person exactly what was
// typed, never the punctuation the panel shows between its fields; taking the typing back gives
// the person back as it was, to the byte in the saved design.
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPerson.h"
#include "platform/PWUndoManager.h"
#include "platform/PWVCardReader.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kExactCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Acme Widgets;\r\n"
                              "ADR;TYPE=WORK:;;1 Main St;Portland;OR;97201;USA\r\nEND:VCARD\r\n";

// A recipient panel filled from a person, shown on a canvas.
struct TypedPanel
{
    TypedPanel()
    {
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(u"Name+Company"_s, u"us"_s,
                                                                                         false, 1);
        CFTAView maker(document.ftDocumentController());
        std::unique_ptr<CFTComponent> made = maker.CreateAddressPanel(true, format.get());
        panel = dynamic_cast<CFTAAddressPanel *>(made.get());
        made->SetOrigin(20.0, 20.0);
        maker.InsertComponent(made.release(), false);
        const std::shared_ptr<PWPerson> person = PWVCardReader::personFromData(kExactCard);
        document.setCurrentPerson(person.get(), true, true, true);
        document.ftDocument()->arrangeAddressPanel();
        view.setScreenResolution(96.0);
        EXPECT_TRUE(view.setDocument(&document));
        view.setZoom(2.0);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        paint();
        document.undoManager()->setGroupsByEvent(false);
        document.undoManager()->removeAllActions();
    }
    void paint()
    {
        view.viewport()->repaint();
        QApplication::processEvents();
    }
    QString personText(textCategory category) const
    {
        return stringForPersonCategory(document.currentPerson(true).get(), adWork, category, false);
    }
    // Into the field as a user goes: a double click selects the panel, one more opens the field.
    void open(CFTAAddressText *field)
    {
        const QRectF frame(field->GetOriginX(), field->GetOriginY(), field->GetSizeX(), field->GetSizeY());
        const QPoint target = view.geometry().widgetPoint(frame.center()).toPoint();
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, target);
        if (!view.isEditingText())
            QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, target);
    }
    QByteArray saved(const QString &path)
    {
        EXPECT_TRUE(document.writeToFile(path));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    CADocument document;
    CFTAAddressPanel *panel = nullptr;
    CADocView view;
};

// The category of the panel's last field in reading order.
textCategory lastField(const CFTAAddressPanel &panel)
{
    const std::unique_ptr<CAddressFormat> format = panel.getFormat()->clone();
    textCategory last = tcNone;
    if (format->initEnumeration()) {
        do {
            while (const CAddressFormat *leaf = format->nextObjectInRow())
                if (leaf->getTextCategory() != tcBarcode)
                    last = leaf->getTextCategory();
        } while (format->nextRow());
    }
    return last;
}

TEST(CADocViewAddressExactTest, TypedFieldGivesThePersonExactlyWhatWasTypedAndUndoGivesItBack)
{
    const struct
    {
        const char *name;
        textCategory field; // tcNone: the format's last field
        const char16_t *typed;
    } cases[] = {
        {"city, followed by a comma and the state", tcCity, u"Salem"},
        {"state", tcState, u"WA"},
        {"ZIP", tcZIP, u"98101"},
        {"street, at a line end", tcStreet, u"9 Elm Rd"},
        {"first name, followed by a space", tcFirstName, u"Ann"},
        {"the format's last field", tcNone, u"Canada"},
        {"city with a comma typed inside", tcCity, u"Sa,lem"},
        {"city with a comma typed at its end", tcCity, u"Salem,"},
        {"city that is a comma", tcCity, u","},
        {"city erased", tcCity, u""},
    };
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        TypedPanel c;
        ASSERT_NE(c.panel, nullptr);
        const textCategory category = row.field == tcNone ? lastField(*c.panel) : row.field;
        CFTAAddressText *field = c.panel->getAddressComponentWithTextCategory(category);
        ASSERT_NE(field, nullptr);
        ASSERT_EQ(c.panel->getAddressComponentWithTextCategory(tcCity)->GetString().getData(), u"Portland,"_s)
            << "the panel shows its comma after the city";
        std::map<textCategory, QString> before;
        for (const textCategory other : {tcFirstName, tcLastName, tcCompany, tcStreet, tcCity, tcState, tcZIP, tcCountry})
            before[other] = c.personText(other);
        const QByteArray savedBefore = c.saved(folder.filePath(u"before.design"_s));

        c.open(field);
        ASSERT_TRUE(c.view.isEditingText());
        ASSERT_EQ(c.panel->currentText(), field);
        QTest::keyClick(&c.view, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&c.view, Qt::Key_Backspace);
        // Letter by letter, the canvas drawn after each as it is while someone types.
        for (const QChar letter : QString::fromUtf16(row.typed)) {
            QTest::keyClicks(&c.view, QString(letter));
            c.paint();
        }
        EXPECT_EQ(field->GetString().getData(), QString::fromUtf16(row.typed)) << "the field holds what was typed";
        QTest::keyClick(&c.view, Qt::Key_Return);
        ASSERT_FALSE(c.view.isEditingText());
        c.paint();
        for (const auto &[other, value] : before) {
            const QString expected = other == category ? QString::fromUtf16(row.typed) : value;
            EXPECT_EQ(c.personText(other).toStdString(), expected.toStdString()) << "field " << other;
        }

        ASSERT_TRUE(c.document.undoManager()->canUndo());
        c.document.undoManager()->undo();
        c.paint();
        for (const auto &[other, value] : before)
            EXPECT_EQ(c.personText(other).toStdString(), value.toStdString()) << "field " << other << " after undo";
        EXPECT_EQ(c.panel->getAddressComponentWithTextCategory(tcCity)->GetString().getData(), u"Portland,"_s)
            << "the screen shows the city as it was";
        const QByteArray savedAfter = c.saved(folder.filePath(u"after.design"_s));
        EXPECT_TRUE(savedAfter == savedBefore) << "the saved design differs after the undo";

        CADocument reread;
        ASSERT_TRUE(reread.readFromFile(folder.filePath(u"after.design"_s)));
        EXPECT_EQ(stringForPersonCategory(reread.currentPerson(true).get(), adWork, tcCity, false).toStdString(),
                  "Portland");
    }
}

} // namespace
