// A city typed into a recipient panel in a design window, then File > Save. The design's stored
// person changes only in that city, of the address the panel shows, under that address's own
// label. Closed and opened again, the label drawn, the PDF of the print sheet and the person
// keep what was typed, with the comma its format puts before the state only where the user
// typed it (or left the field as the format made it).
#include "app/printsheet/CAPrintViewController.h"
#include "app/shell/CAPrintCommands.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/FTPersonFields.h"
#include "platform/PWVCardReader.h"

#include "../inspector/PanesWindowFixture.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>

#include <poppler-qt6.h>

#include <string>

namespace {

const char *const kTypedPortland = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                                   "ADR;TYPE=WORK:;;1 Main St;Portland;OR;97201;USA\r\nEND:VCARD\r\n";
const char *const kTypedHome = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nORG:Acme;\r\n"
                               "EMAIL;TYPE=INTERNET;TYPE=HOME:ann@example.org\r\nTEL;TYPE=CELL:555 0100\r\n"
                               "ADR;TYPE=HOME:;;1 Home Rd;Hometown;CA;90001;USA\r\nNOTE:Back door\r\nEND:VCARD\r\n";
// The stored person of a design from another program: lines this system does not write.
const QByteArray kTypedForeign = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nTEL;TYPE=CELL:555 0100\r\n"
                                 "ADR;TYPE=WORK:;;1 Main St;Portland;OR;97201;USA\r\nBDAY:1970-01-31\r\n"
                                 "X-CUSTOM:kept as written\r\nUID:jane-1\r\nEND:VCARD\r\n";
const char *const kTypedNoAddress = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roe;Bo;;;\r\nFN:Bo Roe\r\nTEL;TYPE=WORK:555 0199\r\n"
                                    "END:VCARD\r\n";

class CATypedCityWindowTest : public paneswindow::Test
{
protected:
    void TearDown() override
    {
        CAPrintViewController::setPdfPathChooser([](QWidget *, const QString &) { return QString(); });
        paneswindow::Test::TearDown();
    }
    CFTAAddressText *city() const
    {
        for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            if (component->getClassID() == ciAddressPanel && component->GetToFrom())
                return static_cast<CFTAAddressPanel *>(component)->getAddressComponentWithTextCategory(tcCity);
        return nullptr;
    }
    // Into the city as a user goes (a double click selects the panel, one more opens the
    // field), the text typed over all of it or over the word the double click chose (none: left
    // as it was), then a click outside.
    void typeCity(const char16_t *typed, bool overAll = true)
    {
        const QPoint at = pointOf(city());
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
        if (!canvas->isEditingText())
            QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
        ASSERT_TRUE(canvas->isEditingText());
        if (typed) {
            if (overAll)
                QTest::keyClick(canvas, Qt::Key_A, Qt::ControlModifier);
            else
                QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
            QTest::keyClicks(canvas, QString::fromUtf16(typed));
        }
        click(nullptr);
        ASSERT_FALSE(canvas->isEditingText());
    }
    QString personCity() const
    {
        return stringForPersonCategory(canvas->document()->currentPerson(true).get(), adWork, tcCity, false);
    }
    // The lines of the recipient's card in the saved design, those of its addresses or the others.
    QStringList savedCardLines(bool addresses) const
    {
        QFile file(savePath);
        const std::optional<PWPlist> design = file.open(QIODevice::ReadOnly) ? PWPlist::parse(file.readAll()) : std::nullopt;
        const QByteArray card = design ? design->value(u"Person To"_s).value(u"personData"_s).toData() : QByteArray();
        QStringList lines = QString::fromUtf8(card).split(u"\r\n"_s, Qt::SkipEmptyParts);
        lines.removeIf([addresses](const QString &line) { return line.contains(u"ADR"_s) != addresses; });
        return lines;
    }
    // The recipient's card in the saved design, line by line as stored.
    QList<QByteArray> savedCard() const
    {
        QFile file(savePath);
        const std::optional<PWPlist> design = file.open(QIODevice::ReadOnly) ? PWPlist::parse(file.readAll()) : std::nullopt;
        return design ? design->value(u"Person To"_s).value(u"personData"_s).toData().split('\n') : QList<QByteArray>();
    }
    // File > Print…, then the sheet's PDF button; the words of the PDF it wrote.
    QStringList printedWords()
    {
        const QString file = path(u"printed.pdf"_s);
        CAPrintViewController::setPdfPathChooser([file](QWidget *, const QString &) { return file; });
        window(0)->performAction(u"printDocument"_s, nullptr);
        auto *sheet = window(0)->findChild<CAPrintViewController *>();
        if (!sheet || !QTest::qWaitForWindowExposed(sheet))
            return {u"no print sheet"_s};
        QTest::mouseClick(sheet->findChild<QPushButton *>(u"_exportButton"_s), Qt::LeftButton);
        sheet->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList words;
        if (const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(file))
            for (int page = 0; page < pdf->numPages(); ++page)
                for (const std::unique_ptr<Poppler::TextBox> &box : pdf->page(page)->textList())
                    words << box->text();
        return words;
    }
};

struct TypedCard
{
    const char *name;
    const char *card;
    int source; // the Address pane's address source chosen for the panel; -1: the panel's own
    const char16_t *address;
};

class CATypedCardTest : public CATypedCityWindowTest, public ::testing::WithParamInterface<TypedCard>
{
};

TEST_P(CATypedCardTest, TheSavedCardChangesOnlyTheTypedCityOfTheShownAddress)
{
    const TypedCard &row = GetParam();
    ASSERT_TRUE(start());
    CFTAAddressPanel *panel = addRecipientPanel();
    ASSERT_TRUE(panel);
    if (row.source >= 0) {
        click(panel);
        auto *source = control<QComboBox>(CAPropertiesController::AddressTab, "_addressSourceButton");
        ASSERT_TRUE(source && source->isEnabled());
        source->setFocus();
        QTest::keyClick(source, Qt::Key_Home);
        for (int i = 0; i < row.source; ++i)
            QTest::keyClick(source, Qt::Key_Down);
        ASSERT_EQ(panel->GetAddressType(), addressType(row.source));
        click(nullptr);
    }
    canvas->document()->setCurrentPerson(PWVCardReader::personFromData(QByteArray(row.card)).get(), true, true, true);
    paint();
    savePath = path(u"card.pwdc"_s);
    ASSERT_TRUE(choose("saveDocument"));
    const QStringList before = savedCardLines(false);
    ASSERT_TRUE(before.contains(u"END:VCARD"_s)) << qPrintable(before.join(u'|'));

    typeCity(u"Salem");
    ASSERT_TRUE(choose("saveDocument"));
    EXPECT_EQ(savedCardLines(true), QStringList {QString::fromUtf16(row.address)});
    EXPECT_EQ(savedCardLines(false), before) << "every other line as saved before, in its order";
}

INSTANTIATE_TEST_SUITE_P(
    Table, CATypedCardTest,
    ::testing::Values(
        TypedCard {"HomeAddressInAPanelOfWork", kTypedHome, -1, u"ADR;type=HOME:;;1 Home Rd;Salem;CA;90001;USA"},
        TypedCard {"HomeAddressInAPanelOfHome", kTypedHome, int(adHome), u"ADR;type=HOME:;;1 Home Rd;Salem;CA;90001;USA"},
        TypedCard {"NoAddressInAPanelOfWork", kTypedNoAddress, -1, u"ADR;type=WORK:;;;Salem;;;"},
        TypedCard {"NoAddressInAPanelOfHome", kTypedNoAddress, int(adHome), u"ADR;type=HOME:;;;Salem;;;"}),
    [](const ::testing::TestParamInfo<TypedCard> &info) { return std::string(info.param.name); });

// A design whose stored person holds lines of another program: the city typed in place, the
// design saved, the typing undone and redone, each saved. Every save holds the card as stored
// but for the typed city, and the undone one the card as stored.
TEST_F(CATypedCityWindowTest, TypingACityChangesOnlyItsLineOfTheStoredCardThroughUndoAndRedo)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(addRecipientPanel());
    canvas->document()->setCurrentPerson(PWVCardReader::personFromData(kTypedPortland).get(), true, true, true);
    paint();
    ASSERT_EQ(city()->GetString().getData(), u"Portland,"_s);
    savePath = path(u"foreign.pwdc"_s);
    ASSERT_TRUE(choose("saveDocument"));
    ASSERT_TRUE(choose("performClose"));
    {
        QFile file(savePath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        PWPlist::Dictionary design = PWPlist::parse(file.readAll()).value_or(PWPlist()).toDictionary();
        PWPlist::Dictionary person = design.value(u"Person To"_s).toDictionary();
        person.insert(u"personData"_s, PWPlist::fromData(kTypedForeign));
        design.insert(u"Person To"_s, PWPlist(person));
        file.close();
        ASSERT_TRUE(pwtest::writeFile(savePath, PWPlist(design).toXml()));
    }
    openPath = savePath;
    ASSERT_TRUE(perform("openDocument"));
    ASSERT_TRUE(window(0));
    canvas = window(0)->docView();
    paint();
    ASSERT_TRUE(city());
    ASSERT_EQ(city()->GetString().getData(), u"Portland,"_s);

    const QList<QByteArray> stored = kTypedForeign.split('\n');
    QList<QByteArray> typed = stored;
    typed[5] = "ADR;TYPE=WORK:;;1 Main St;Bangor;OR;97201;USA\r";
    typeCity(u"Bangor");
    ASSERT_TRUE(choose("saveDocument"));
    EXPECT_EQ(savedCard(), typed);
    ASSERT_TRUE(choose("undo"));
    ASSERT_TRUE(choose("saveDocument"));
    EXPECT_EQ(savedCard(), stored) << "undone, the card is as stored";
    ASSERT_TRUE(choose("redo"));
    ASSERT_TRUE(choose("saveDocument"));
    EXPECT_EQ(savedCard(), typed) << "redone, the typed city alone again";
}

struct ReopenedCity
{
    const char *name;
    const char16_t *typed;
    const char16_t *shown; // the label's text, and the word the PDF holds before the state
    const char16_t *person;
    bool overAll = true; // typed over the whole field, else over the word a double click chose
};

// A person living in city.
std::shared_ptr<PWPerson> personIn(const QString &city)
{
    return PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roe;Kim;;;\r\nFN:Kim Roe\r\n"
                                         "ADR;TYPE=WORK:;;2 Elm St;" + city.toUtf8() + ";OR;97201;USA\r\nEND:VCARD\r\n");
}

class CATypedCityReopenedTest : public CATypedCityWindowTest, public ::testing::WithParamInterface<ReopenedCity>
{
};

TEST_P(CATypedCityReopenedTest, TheReopenedLabelItsPrintAndItsPersonKeepWhatWasTyped)
{
    const ReopenedCity &row = GetParam();
    ASSERT_TRUE(start());
    installPrintCommands();
    ASSERT_TRUE(addRecipientPanel());
    canvas->document()->setCurrentPerson(PWVCardReader::personFromData(kTypedPortland).get(), true, true, true);
    paint();
    ASSERT_EQ(city()->GetString().getData(), u"Portland,"_s) << "the format puts its comma after the city";
    typeCity(row.typed, row.overAll);

    // File > Save, File > Close, File > Open… as the user does them.
    savePath = path(u"typed.pwdc"_s);
    ASSERT_TRUE(choose("saveDocument"));
    ASSERT_TRUE(choose("performClose"));
    ASSERT_TRUE(manager().documents().isEmpty());
    openPath = savePath;
    ASSERT_TRUE(perform("openDocument"));
    ASSERT_TRUE(window(0));
    canvas = window(0)->docView();
    paint();
    const QString shown = QString::fromUtf16(row.shown);
    ASSERT_TRUE(city());
    EXPECT_EQ(city()->GetString().getData(), shown) << "the label drawn";
    EXPECT_EQ(personCity(), QString::fromUtf16(row.person)) << "the person read back";

    const QStringList words = printedWords();
    EXPECT_TRUE(words.contains(shown) && words.contains(u"OR"_s)) << qPrintable(words.join(u' '));
    EXPECT_FALSE(words.contains(shown.endsWith(u',') ? shown.chopped(1) : shown + u',')) << qPrintable(words.join(u' '));
    // Printing reads the persons back from the fields: the person is as it was.
    EXPECT_EQ(personCity(), QString::fromUtf16(row.person)) << "the person after printing";
    paint();
    EXPECT_EQ(city()->GetString().getData(), shown) << "the label drawn after printing";

    // The punctuation typed is kept for the very text it was typed with: another person chosen
    // for the design (its format left as it is) shows and prints their city with the format's
    // comma before the state.
    canvas->document()->setCurrentPerson(personIn(u"Austin"_s).get(), true, true, false);
    paint();
    EXPECT_EQ(city()->GetString().getData(), u"Austin,"_s) << "another person's city";
    const QStringList other = printedWords();
    EXPECT_TRUE(other.contains(u"Austin,"_s) && !other.contains(u"Austin"_s)) << qPrintable(other.join(u' '));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CATypedCityReopenedTest,
    ::testing::Values(ReopenedCity {"CityWithoutTheComma", u"Springfield", u"Springfield", u"Springfield"},
                      ReopenedCity {"CityWithTheCommaTyped", u"Springfield,", u"Springfield,", u"Springfield,"},
                      ReopenedCity {"ShownCommaTakenAway", u"Portland", u"Portland", u"Portland"},
                      ReopenedCity {"OpenedAndLeft", nullptr, u"Portland,", u"Portland"},
                      // The comma the format shows after the city is no part of the word typed over.
                      ReopenedCity {"WordTypedOverKeepsTheComma", u"Salem", u"Salem,", u"Salem", false}),
    [](const ::testing::TestParamInfo<ReopenedCity> &info) { return std::string(info.param.name); });

} // namespace
