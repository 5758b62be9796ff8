// A city typed into a recipient panel keeps what was typed once the design is saved, closed and
// opened again in its window: the label drawn, the PDF the print sheet makes and the person the
// design stores show the typed text, with the comma its format puts before the state only where
// the user typed it (or left the field as the format made it).
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAPrintCommands.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/FTPersonFields.h"
#include "platform/PWVCardReader.h"

#include "../inspector/PanesWindowFixture.h"

#include <QPushButton>

#include <poppler-qt6.h>

#include <string>

namespace {

const QByteArray kReopenedPortlandCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                                         "ADR;TYPE=WORK:;;1 Main St;Portland;OR;97201;USA\r\nEND:VCARD\r\n";

struct ReopenedCity
{
    const char *name;
    const char16_t *typed; // nullptr: the field is opened and left as it was
    const char16_t *shown; // the label's text, and the word the PDF holds before the state
    const char16_t *person;
};

void PrintTo(const ReopenedCity &row, std::ostream *out)
{
    *out << row.name;
}

// The words of every page of a PDF.
QStringList reopenedPdfWords(const QString &file)
{
    QStringList words;
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(file);
    if (!pdf)
        return words;
    for (int page = 0; page < pdf->numPages(); ++page)
        for (const std::unique_ptr<Poppler::TextBox> &box : pdf->page(page)->textList())
            words << box->text();
    return words;
}

class CATypedCityReopenedTest : public paneswindow::Test, public ::testing::WithParamInterface<ReopenedCity>
{
protected:
    void TearDown() override
    {
        CAPrintViewController::setPdfPathChooser([](QWidget *, const QString &) { return QString(); });
        paneswindow::Test::TearDown();
    }
    static CFTAAddressPanel *recipientPanel(CADocView *view)
    {
        for (CFTComponent *component : view->ftView()->GetCurrentComponents())
            if (component->getClassID() == ciAddressPanel && component->GetToFrom())
                return static_cast<CFTAAddressPanel *>(component);
        return nullptr;
    }
    static CFTAAddressText *city(CADocView *view)
    {
        CFTAAddressPanel *panel = recipientPanel(view);
        return panel ? panel->getAddressComponentWithTextCategory(tcCity) : nullptr;
    }
    static QString personCity(const CADocument &document)
    {
        return stringForPersonCategory(document.currentPerson(true).get(), adWork, tcCity, false);
    }
    // Into the field as a user goes: a double click selects the panel, one more opens the field.
    void openField(CFTAAddressText *field)
    {
        const QPoint at = pointOf(field);
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
        if (!canvas->isEditingText())
            QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    }
    // File > Print…, then the sheet's PDF button; the words of the PDF it wrote.
    QStringList printedWords()
    {
        const QString pdf = path(u"printed.pdf"_s);
        CAPrintViewController::setPdfPathChooser([pdf](QWidget *, const QString &) { return pdf; });
        window(0)->performAction(u"printDocument"_s, nullptr);
        auto *sheet = window(0)->findChild<CAPrintViewController *>();
        if (!sheet || !QTest::qWaitForWindowExposed(sheet))
            return {u"no print sheet"_s};
        QTest::mouseClick(sheet->findChild<QPushButton *>(u"_exportButton"_s), Qt::LeftButton);
        sheet->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return reopenedPdfWords(pdf);
    }
};

TEST_P(CATypedCityReopenedTest, TheReopenedLabelItsPrintAndItsPersonKeepWhatWasTyped)
{
    const ReopenedCity &row = GetParam();
    ASSERT_TRUE(start());
    installPrintCommands();
    ASSERT_TRUE(addRecipientPanel());
    canvas->document()->setCurrentPerson(PWVCardReader::personFromData(kReopenedPortlandCard).get(), true, true, true);
    paint();
    ASSERT_TRUE(city(canvas));
    ASSERT_EQ(city(canvas)->GetString().getData(), u"Portland,"_s) << "the format puts its comma after the city";

    openField(city(canvas));
    ASSERT_TRUE(canvas->isEditingText());
    if (row.typed) {
        QTest::keyClick(canvas, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(canvas, QString::fromUtf16(row.typed));
    }
    click(nullptr);
    ASSERT_FALSE(canvas->isEditingText());

    // File > Save, File > Close, File > Open… as the user does them.
    savePath = path(u"typed.pwdc"_s);
    ASSERT_TRUE(choose("saveDocument"));
    ASSERT_TRUE(choose("performClose"));
    ASSERT_TRUE(manager().documents().isEmpty()) << "a saved design closes without a question";
    openPath = savePath;
    ASSERT_TRUE(perform("openDocument"));
    ASSERT_EQ(manager().documents().size(), 1);
    ASSERT_TRUE(window(0));
    canvas = window(0)->docView();
    paint();
    ASSERT_TRUE(city(canvas));
    const QString shown = QString::fromUtf16(row.shown);
    EXPECT_EQ(city(canvas)->GetString().getData(), shown) << "the label drawn";
    EXPECT_EQ(personCity(*canvas->document()), QString::fromUtf16(row.person)) << "the person read back";
    EXPECT_TRUE(canvas->document()->readProblems().isEmpty());

    const QStringList words = printedWords();
    EXPECT_TRUE(words.contains(shown)) << qPrintable(words.join(u' '));
    const QString otherForm = shown.endsWith(u',') ? shown.chopped(1) : shown + u',';
    EXPECT_FALSE(words.contains(otherForm)) << qPrintable(words.join(u' '));
    EXPECT_TRUE(words.contains(u"OR"_s)) << qPrintable(words.join(u' '));
    // Printing reads the persons back from the fields: the typed text is the person's as it was.
    EXPECT_EQ(personCity(*canvas->document()), QString::fromUtf16(row.person)) << "the person after printing";

    // Drawn again, and saved again: nothing the user did not do changes.
    paint();
    EXPECT_EQ(city(canvas)->GetString().getData(), shown) << "the label drawn after printing";
    ASSERT_TRUE(choose("saveDocument"));
    CADocument reread;
    QString error;
    ASSERT_TRUE(reread.readFromFile(savePath, &error)) << error.toStdString();
    EXPECT_EQ(personCity(reread), QString::fromUtf16(row.person)) << "the person saved again";
}

INSTANTIATE_TEST_SUITE_P(
    Table, CATypedCityReopenedTest,
    ::testing::Values(ReopenedCity {"CityWithoutTheComma", u"Springfield", u"Springfield", u"Springfield"},
                      ReopenedCity {"CityWithTheCommaTyped", u"Springfield,", u"Springfield,", u"Springfield,"},
                      ReopenedCity {"ShownCommaTakenAway", u"Portland", u"Portland", u"Portland"},
                      ReopenedCity {"OpenedAndLeft", nullptr, u"Portland,", u"Portland"}),
    [](const ::testing::TestParamInfo<ReopenedCity> &info) { return std::string(info.param.name); });

} // namespace
