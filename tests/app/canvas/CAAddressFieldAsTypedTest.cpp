// A city typed into a recipient panel in a design window keeps what was typed, with or without
// the comma its format puts between it and the state: on the label, in the saved design and in
// the person it stores, which never takes the format's comma. Undo gives the field back to the
// format's punctuation.
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/FTPersonFields.h"
#include "platform/PWVCardReader.h"

#include "../inspector/PanesWindowFixture.h"

#include <QFile>

#include <string>

namespace {

const QByteArray kPortlandCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Acme Widgets;\r\n"
                                 "ADR;TYPE=WORK:;;1 Main St;Portland;OR;97201;USA\r\nEND:VCARD\r\n";

struct TypedCity
{
    const char *name;
    const char16_t *typed; // nullptr: the field is opened and left as it was
    const char16_t *shown; // on the label, and in the design read back
    const char16_t *person;
};

void PrintTo(const TypedCity &row, std::ostream *out)
{
    *out << row.name;
}

class CAAddressFieldAsTypedTest : public paneswindow::Test, public ::testing::WithParamInterface<TypedCity>
{
protected:
    CFTAAddressText *city() const { return panel->getAddressComponentWithTextCategory(tcCity); }
    // Into the field as a user goes: a double click selects the panel, one more opens the field.
    void open(CFTAAddressText *field)
    {
        const QPoint at = pointOf(field);
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
        if (!canvas->isEditingText())
            QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    }
    QString personCity(const CADocument &document) const
    {
        return stringForPersonCategory(document.currentPerson(true).get(), adWork, tcCity, false);
    }

    CFTAAddressPanel *panel = nullptr;
};

TEST_P(CAAddressFieldAsTypedTest, TheLabelTheSavedDesignAndThePersonKeepWhatWasTyped)
{
    const TypedCity &row = GetParam();
    ASSERT_TRUE(start());
    panel = addRecipientPanel();
    ASSERT_TRUE(panel);
    canvas->document()->setCurrentPerson(PWVCardReader::personFromData(kPortlandCard).get(), true, true, true);
    paint();
    forgetHistory();
    ASSERT_TRUE(city());
    ASSERT_EQ(city()->GetString().getData(), u"Portland,"_s) << "the format puts its comma after the city";

    open(city());
    ASSERT_TRUE(canvas->isEditingText());
    ASSERT_EQ(panel->currentText(), city());
    if (row.typed) {
        QTest::keyClick(canvas, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(canvas, QString::fromUtf16(row.typed));
    }
    click(nullptr);
    ASSERT_FALSE(canvas->isEditingText()) << "a click outside ends the typing";
    paint();
    EXPECT_EQ(city()->GetString().getData(), QString::fromUtf16(row.shown)) << "on the label";
    EXPECT_EQ(personCity(*canvas->document()), QString::fromUtf16(row.person)) << "the person";

    const QString file = path(u"typed.pwdc"_s);
    QString error;
    ASSERT_TRUE(canvas->document()->writeToFile(file, &error)) << error.toStdString();
    CADocument reread;
    ASSERT_TRUE(reread.readFromFile(file, &error)) << error.toStdString();
    const CFTAAddressText *saved = nullptr;
    for (CFTComponent *component : reread.ftDocument()->GetComponents(0, false))
        if (component->getClassID() == ciAddressPanel && component->GetToFrom())
            saved = static_cast<CFTAAddressPanel *>(component)->getAddressComponentWithTextCategory(tcCity);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->GetString().getData(), QString::fromUtf16(row.shown)) << "in the saved design";
    EXPECT_EQ(personCity(reread), QString::fromUtf16(row.person)) << "the person saved";

    if (row.typed) {
        // Taken back, the field is the format's again: its comma comes back with the city.
        ASSERT_TRUE(choose("undo"));
        EXPECT_EQ(city()->GetString().getData(), u"Portland,"_s) << "after Undo";
        EXPECT_EQ(personCity(*canvas->document()), u"Portland"_s) << "the person after Undo";
        ASSERT_TRUE(choose("redo"));
        EXPECT_EQ(city()->GetString().getData(), QString::fromUtf16(row.shown)) << "after Redo";
        EXPECT_EQ(personCity(*canvas->document()), QString::fromUtf16(row.person)) << "the person after Redo";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CAAddressFieldAsTypedTest,
    ::testing::Values(TypedCity {"CityWithoutTheComma", u"Springfield", u"Springfield", u"Springfield"},
                      TypedCity {"CityWithTheCommaTyped", u"Springfield,", u"Springfield,", u"Springfield,"},
                      TypedCity {"ShownCommaTakenAway", u"Portland", u"Portland", u"Portland"},
                      TypedCity {"CommaInside", u"Spring,field", u"Spring,field", u"Spring,field"},
                      TypedCity {"OpenedAndLeft", nullptr, u"Portland,", u"Portland"}),
    [](const ::testing::TestParamInfo<TypedCity> &info) { return std::string(info.param.name); });

} // namespace
