// Every kind of thing a job's report knows is named on standard error of the batch job that meets
// it, and the output is written; a failure (the output lacks what was designed) ends the job with
// exit status 1, a note leaves it done with 0. One small real input per kind; a kind added to the
// report without an input here fails the test. Then the edges: a counter at the ends of the whole
// numbers, the last copy of a print at the paper's edge, the letters named for a person.
#include "TestSupport.h"
#include "ProgramRunSupport.h"
#include "../../kernel/merge/PrintingTestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWFont.h"
#include "platform/PWImage.h"
#include "platform/PWJobReport.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

const QByteArray kEndlessEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 40 40\n{ } loop\nshowpage\n";

class BatchJobReportTest : public ::testing::Test
{
public:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    // The blank design with change made to it, as design.pwdc.
    bool writeBlank(const std::function<void(CADocument &)> &change)
    {
        QString error;
        if (!commandtest::writeBlankDesign(path(u"design.pwdc"_s), &error))
            return false;
        CADocument document;
        if (!document.readFromFile(path(u"design.pwdc"_s), &error))
            return false;
        change(document);
        return document.writeToFile(path(u"design.pwdc"_s), &error);
    }

    // A counter at the label's top left: start, step, and leading zeros to digits (0 for none).
    bool writeCounter(int start, int increment, int digits)
    {
        return writeBlank([=](CADocument &document) {
            auto *counter = new CFTCounterField(8.0, 8.0, nullptr);
            counter->SetStartNumber(start);
            counter->SetIncrement(increment);
            counter->SetLeadingZeros(digits > 0);
            counter->SetZerosDigits(digits);
            document.ftDocument()->AddObject(counter, 0, false);
        });
    }

    // A file field at the label's top left naming the text file name, each line a label.
    bool writeFileField(const QString &name)
    {
        return writeBlank([&name](CADocument &document) {
            auto *field = new CFTFileField(8.0, 8.0, nullptr);
            field->SetFile(CDDString(name));
            document.ftDocument()->AddObject(field, 0, false);
        });
    }

    QStringList printPeople(const QByteArray &csv)
    {
        QString error;
        EXPECT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
        EXPECT_TRUE(pwtest::writeFile(path(u"people.csv"_s), csv));
        return {u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s, path(u"people.csv"_s), u"--output"_s, path(u"out.pdf"_s)};
    }

    // A font configuration of the fonts in folder alone (none when empty), with a cache of its own.
    QByteArray fontConfiguration(const QString &folder)
    {
        EXPECT_TRUE(QDir(m_folder.path()).mkpath(u"cache"_s));
        const QByteArray dir = folder.isEmpty() ? QByteArray() : "<dir>" + folder.toUtf8() + "</dir>";
        EXPECT_TRUE(pwtest::writeFile(path(u"fonts.conf"_s),
                                      "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>" + dir
                                          + "<cachedir>" + path(u"cache"_s).toUtf8() + "</cachedir></fontconfig>\n"));
        return path(u"fonts.conf"_s).toUtf8();
    }

    QStringList printCards(const QByteArray &vcf)
    {
        QString error;
        EXPECT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
        EXPECT_TRUE(pwtest::writeFile(path(u"people.vcf"_s), vcf));
        return {u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s, path(u"people.vcf"_s), u"--output"_s, path(u"out.pdf"_s)};
    }

    QStringList printBlank(int copies)
    {
        return {u"--print"_s, path(u"design.pwdc"_s), u"--copies"_s, QString::number(copies), u"--output"_s, path(u"out.pdf"_s)};
    }

    QTemporaryDir m_folder;
};

// An address panel showing Ann Abbott at street, at (x, y) of a design of type, on the layout of
// that ID (the kind's first when none is given).
bool writeAddressOn(const QString &file, documentType type, double x, double y, const QString &street,
                    const QString &layoutID = QString())
{
    const CATemplateFormat::TemplateList *layouts = CATemplateFormat::predefLayouts(type);
    if (!layouts || layouts->isEmpty())
        return false;
    const std::shared_ptr<CATemplateFormat> layout =
        layoutID.isEmpty() ? layouts->front() : CATemplateFormat::findPredefLayoutManufacturerID(type, QString(), layoutID);
    if (!layout)
        return false;
    CADocument document(std::make_unique<CFTADocument>(type, CDDString(u"us"_s), CDDString(u"us"_s)));
    document.setLayoutArangeComponents(*layout, false);
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(x, y);
    const auto fill = [&panel](textCategory category, const QString &text) {
        panel->SetString(true, category, panel->GetAddressType(), CDDString(text), tcNone, false);
    };
    fill(tcFirstName, u"Ann"_s);
    fill(tcLastName, u"Abbott"_s);
    fill(tcStreet, street);
    fill(tcCity, u"Springfield"_s);
    document.ftDocument()->AddObject(panel.release(), 0, false);
    QString error;
    return document.writeToFile(file, &error);
}

struct KindRow
{
    PWJobReport::Kind kind;
    const char *name;
    // Writes the inputs; the job's arguments.
    std::function<QStringList(BatchJobReportTest &)> prepare;
    // A line of standard error that names it.
    QString told;
    // The font configuration the job runs with: "" as the machine has it, "none", or "dejavu".
    const char *fonts = "";
    // The exit status: 1 for a failure, 0 for a note.
    int status = 1;
    // How a failing job's last line sums it up; none for a note.
    const char *summary = "";
    // How many lines of standard error name it so: one for each item it is true of.
    int times = 1;
};

// A card whose address was folded without the blank that marks a continuation.
const QByteArray kFoldedWithoutBlank = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abbott;Ann;;;\r\nFN:Ann Abbott\r\n"
                                       "ADR;TYPE=HOME:;;1 Elm St;Spring\r\nfield;IL;62701;\r\nEND:VCARD\r\n";

const QString kDejaVu = u"/usr/share/fonts/truetype/dejavu"_s;

TEST_F(BatchJobReportTest, EveryKindIsANoteOrAFailureOfTheBatchAndIsNamed)
{
    const commandtest::ScopedEnvironment deadline("PW_PICTURE_RENDER_DEADLINE_MS", "1000");
    const std::vector<KindRow> rows = {
        {PWJobReport::Kind::DesignNotRead, "a card width that is no number",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeBlank([](CADocument &) {}));
             std::optional<PWPlist> design = PWPlist::readFile(t.path(u"design.pwdc"_s));
             PWPlist::Dictionary entries = design ? design->toDictionary() : PWPlist::Dictionary();
             entries.insert(key_CardWidth, PWPlist::fromString(u"wide"_s));
             EXPECT_TRUE(pwtest::writeFile(t.path(u"design.pwdc"_s), PWPlist(entries).toXml()));
             return QStringList{u"--export"_s, t.path(u"design.pwdc"_s), t.path(u"out.pdf"_s)};
         },
         u"part of the design could not be read: \"Card Width\""_s, "", 1, "part of the design could not be read"},
        {PWJobReport::Kind::ContactsNotAsRead, "a card cut off before its end",
         [](BatchJobReportTest &t) {
             return t.printCards("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abbott;Ann;;;\r\nEND:VCARD\r\n"
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\n");
         },
         u"people.vcf: The card beginning on line 5 has no END:VCARD and was left out."_s, "", 1,
         "the contacts file could not be read as it is (1 problem)"},
        {PWJobReport::Kind::CalibrationNotApplied, "a calibration offset past the sheet's range",
         [](BatchJobReportTest &t) {
             CACalibrationSettings::storeForPrinter(PWUserDefaults::standardUserDefaults(), QString(),
                                                    {u"1e30"_s, u"0"_s, u"0"_s, false});
             return t.printPeople("First Name,Last Name\r\nAnn,Abbott\r\n");
         },
         u"the printer calibration in the settings was not applied: the horizontal offset \"1e30\""_s, "", 1,
         "the printer calibration in the settings was not applied"},
        {PWJobReport::Kind::NoFonts, "no fonts at all",
         [](BatchJobReportTest &t) { return t.printPeople("First Name,Last Name\r\nAnn,Abbott\r\n"); },
         u"no fonts are installed"_s, "none", 1, "no fonts are installed: its texts are boxes"},
        {PWJobReport::Kind::MissingLetters, "a Japanese name",
         [](BatchJobReportTest &t) { return t.printPeople(u"First Name,Last Name\r\n太郎,山田\r\n"_s.toUtf8()); },
         u"the letters 太 (U+592A), 郎 (U+90CE), 山 (U+5C71), 田 (U+7530) of 太郎 山田 are in no installed font"_s,
         "dejavu", 1, "1 text has letters that no installed font holds"},
        {PWJobReport::Kind::OffPaper, "a grid of 60 by 60",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeBlank([](CADocument &document) {
                 document.ftDocument()->SetColCount(60);
                 document.ftDocument()->SetRowCount(60);
             }));
             return t.printBlank(60);
         },
         u"the layout's 60 columns and 60 rows do not fit its paper"_s, "", 1, "items were printed off the paper"},
        {PWJobReport::Kind::UnknownPaper, "a sheet named for no paper",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeBlank([](CADocument &document) { document.ftDocument()->SetPageSize(CDDString(u"Elephant Folio"_s)); }));
             return t.printBlank(1);
         },
         u"the layout's paper \"Elephant Folio\" is no paper size this system knows"_s, "", 1, "the layout's paper is not known"},
        {PWJobReport::Kind::PlacementLost, "a sheet that lost its top margin",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeBlank([](CADocument &document) { document.ftDocument()->SetTopMargin(0.0); }));
             return t.printBlank(1);
         },
         u"the layout Avery 05960 has no top margin, which its sheet has"_s, "", 1, "the layout lacks margins or gaps of its sheet"},
        {PWJobReport::Kind::OwnPaper, "a C4 envelope",
         [](BatchJobReportTest &t) {
             const std::shared_ptr<CATemplateFormat> c4 =
                 CATemplateFormat::findPredefLayoutManufacturerID(dtEnvelope, QString(), u"C4"_s);
             EXPECT_TRUE(c4);
             CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
             CADocument document(std::make_unique<CFTADocument>(dtEnvelope, CDDString(u"us"_s), CDDString(u"us"_s)));
             if (c4)
                 document.setLayoutArangeComponents(*c4, false);
             QString error;
             EXPECT_TRUE(document.writeToFile(t.path(u"design.pwdc"_s), &error)) << qPrintable(error);
             return t.printBlank(1);
         },
         u"the envelope of 324 x 229 mm is larger than the default page"_s, "", 0},
        {PWJobReport::Kind::Placeholder, "an EPS picture that never ends",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeBlank([](CADocument &document) {
                 auto *picture = new CFTPicture(CDDPicture(PWImage::fromData(kEndlessEps)));
                 picture->SetOrigin(120.0, 10.0);
                 picture->SetSize(40.0, 40.0);
                 document.ftDocument()->AddObject(picture, 0, false);
             }));
             return t.printBlank(1);
         },
         u"EPS picture of 67 bytes is drawn as a placeholder"_s, "", 1, "1 picture was drawn as a placeholder"},
        {PWJobReport::Kind::AddressTooLong, "a street of hundreds of letters",
         [](BatchJobReportTest &t) {
             return t.printPeople("First Name,Last Name,Street\r\nBob,Long,1 "
                                  + QByteArray("Extraordinarily Long Avenue of the Many Gardens ").repeated(8) + "\r\n");
         },
         u"the address of Bob Long does not fit its label, even in the smallest type"_s, "", 1,
         "1 address does not fit where it is printed"},
        {PWJobReport::Kind::AddressPastEdge, "a printed envelope's address past its edge",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(writeAddressOn(t.path(u"design.pwdc"_s), dtEnvelope, 500.0, 150.0,
                                        u"1234 Extraordinarily Long Street Name Boulevard"_s));
             return t.printBlank(1);
         },
         u"the address of Ann Abbott runs past the edge of its envelope"_s, "", 1,
         "1 address runs past the edge of the design"},
        {PWJobReport::Kind::TextPastEdge, "a counter of 64 digits",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeCounter(1, 1, 64));
             return t.printBlank(1);
         },
         u"the counter \"0000000000000000000000000000000000000000...\" runs past the edge of its label"_s, "", 1,
         "1 text runs past the edge of the design"},
        {PWJobReport::Kind::CutByWindow, "an envelope's address across its window",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(writeAddressOn(t.path(u"design.pwdc"_s), dtEnvelope, 70.0, 150.0, u"1 Elm St"_s, u"10 Window"_s));
             return t.printBlank(1);
         },
         u"the window of the envelope cuts away part of the address of Ann Abbott: nothing prints over the window"_s, "",
         1, "1 item is cut by the envelope's window"},
        // Each person's envelope is an item, whether or not a name tells them apart.
        {PWJobReport::Kind::CutByWindow, "three persons without a name across an envelope's window",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(writeAddressOn(t.path(u"design.pwdc"_s), dtEnvelope, 70.0, 150.0, u"1 Elm St"_s, u"10 Window"_s));
             const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:\r\n"
                                     "ADR;TYPE=WORK:;;1 Elm St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";
             EXPECT_TRUE(pwtest::writeFile(t.path(u"people.vcf"_s), card + card + card));
             return QStringList{u"--print"_s, t.path(u"design.pwdc"_s), u"--contacts"_s, t.path(u"people.vcf"_s),
                                u"--output"_s, t.path(u"out.pdf"_s)};
         },
         u"the window of the envelope cuts away part of the address of a person without a name: nothing prints over "
         "the window"_s,
         "", 1, "3 items are cut by the envelope's window", 3},
        // Each copy of a person's envelope is cut as well: the summing up counts the envelopes,
        // the lines name each person once.
        {PWJobReport::Kind::CutByWindow, "two persons' envelopes in two copies each across its window",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(writeAddressOn(t.path(u"design.pwdc"_s), dtEnvelope, 70.0, 150.0, u"1 Elm St"_s, u"10 Window"_s));
             EXPECT_TRUE(pwtest::writeFile(t.path(u"people.csv"_s), "First Name,Last Name,Street,City,State,ZIP\r\n"
                                                                     "Ann,Abbott,1 Elm St,Springfield,IL,62701\r\n"
                                                                     "Bob,Baker,2 Elm St,Springfield,IL,62701\r\n"));
             return QStringList{u"--print"_s, t.path(u"design.pwdc"_s), u"--contacts"_s, t.path(u"people.csv"_s),
                                u"--copies"_s, u"2"_s, u"--output"_s, t.path(u"out.pdf"_s)};
         },
         u"the window of the envelope cuts away part of the address of Bob Baker: nothing prints over the window"_s, "",
         1, "4 items are cut by the envelope's window", 1},
        {PWJobReport::Kind::FileFieldNotRead, "a file field naming a file beside the design that is not there",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeFileField(u"missing.txt"_s));
             return t.printBlank(2);
         },
         u"the text file \""_s + path(u"missing.txt"_s) + u"\" of a file field could not be read (No such file or "
                                                             "directory): the field prints nothing on any item"_s,
         "", 1, "1 file field's text file could not be read"},
        {PWJobReport::Kind::NoRecipient, "persons printed on a design without a recipient",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeBlank([](CADocument &) {}));
             EXPECT_TRUE(pwtest::writeFile(t.path(u"people.csv"_s), "First Name,Last Name\r\nAnn,Abbott\r\nBob,Baker\r\n"));
             return QStringList{u"--print"_s, t.path(u"design.pwdc"_s), u"--contacts"_s, t.path(u"people.csv"_s),
                                u"--output"_s, t.path(u"out.pdf"_s)};
         },
         u"the design has no recipient's address: the job's 2 persons are printed nowhere, and each label shows only "
         "what the design itself shows"_s,
         "", 1, "the design has no recipient's address for the persons"},
        {PWJobReport::Kind::CounterOutOfNumbers, "a counter starting at the largest whole number",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeCounter(INT_MAX, 1, 0));
             return t.printBlank(2);
         },
         u"the counter that starts at 2147483647 and counts by 1 passes the largest whole number (2147483647) after "
         "its item 1: the items after it print no number"_s, "", 1, "1 counter ran out of whole numbers"},
        // The notes: the output is what was designed.
        {PWJobReport::Kind::ContactsReadOtherwise, "an address folded without its blank",
         [](BatchJobReportTest &t) { return t.printCards(kFoldedWithoutBlank); },
         u"people.vcf: Line 6 has no colon; it was read as the continuation of the ADR line before it "
         "(\"field;IL;62701;\")."_s, "", 0},
        {PWJobReport::Kind::ColumnsNotRead, "a column of the contacts file no field takes",
         [](BatchJobReportTest &t) {
             return t.printPeople("First Name,Last Name,Company,Street,City,State,ZIP,Shoe Size\r\n"
                                  "Ann,Abbott,Acme,1 Elm St,Springfield,IL,62701,9\r\n");
         },
         u"people.csv: the column \"Shoe Size\" holds no field the program knows and is not read"_s, "", 0},
        {PWJobReport::Kind::FieldsWithoutColumn, "a contacts file without city, state and ZIP",
         [](BatchJobReportTest &t) {
             return t.printPeople("First Name,Last Name,Company,Street\r\nAnn,Abbott,Acme,1 Elm St\r\n");
         },
         u"people.csv: no column gives the City, State and ZIP that the design's address shows; it prints without them"_s,
         "", 0},
        {PWJobReport::Kind::FontReplaced, "a text in a font no one installed",
         [](BatchJobReportTest &t) {
             EXPECT_TRUE(t.writeBlank([](CADocument &document) {
                 auto *text = new CFTAText(10.0, 10.0, 120.0, 30.0, nullptr);
                 text->SetString(CDDString(u"Hello"_s));
                 text->SetFont(PWFont(u"Nowhere-Bold"_s, 12.0));
                 document.ftDocument()->AddObject(text, 0, false);
             }));
             return t.printBlank(1);
         },
         u"the font \"Nowhere\" is not installed: its texts print in \"DejaVu"_s, "dejavu", 0},
    };
    for (int k = 0; k < PWJobReport::kKindCount; ++k)
        ASSERT_TRUE(std::any_of(rows.begin(), rows.end(), [k](const KindRow &r) { return int(r.kind) == k; }))
            << "no input for the report's kind " << k;
    for (auto row = rows.begin(); row != rows.end(); ++row) {
        SCOPED_TRACE(row->name);
        const QStringList arguments = row->prepare(*this);
        std::optional<commandtest::ScopedEnvironment> configuration;
        if (row->fonts == "none"_ba) {
            configuration.emplace("FONTCONFIG_FILE", fontConfiguration(QString()));
        } else if (row->fonts == "dejavu"_ba) {
            ASSERT_TRUE(QDir(kDejaVu).exists());
            configuration.emplace("FONTCONFIG_FILE", fontConfiguration(kDejaVu));
        }
        QFile::remove(path(u"out.pdf"_s));
        const ProgramRun run = runProgram(arguments);
        // What a row put in the settings is no other row's.
        PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey);
        PWUserDefaults::standardUserDefaults().synchronize();
        EXPECT_EQ(run.status, row->status) << qPrintable(run.err);
        EXPECT_TRUE(QFile::exists(path(u"out.pdf"_s))) << qPrintable(run.err);
        EXPECT_EQ(run.err.count(u"parcelwick: "_s + row->told), row->times) << qPrintable(run.err);
        // A failing job's last line sums the kind up; a job left done has no such line.
        const QString last = run.err.trimmed().section(u'\n', -1);
        if (row->status == 1) {
            EXPECT_TRUE(last.startsWith(u"parcelwick: the job was done, but "_s)) << qPrintable(last);
            EXPECT_TRUE(last.contains(QLatin1String(row->summary))) << qPrintable(last);
        } else {
            EXPECT_FALSE(run.err.contains(u"the job was done, but"_s)) << qPrintable(run.err);
        }
    }
}

// The words of every page of the output.
QStringList printedWords(const QString &pdf)
{
    QStringList words;
    const printtest::PrintedPdf printed(pdf);
    for (int page = 0; page < printed.pageCount(); ++page)
        for (const auto &[word, box] : printed.words(page))
            words.append(word);
    return words;
}

TEST_F(BatchJobReportTest, ACounterAtTheEndOfTheWholeNumbersPrintsNoNumberTwice)
{
    const struct
    {
        const char *name;
        int start;
        int increment;
        QStringList printed; // the numbers of the three items, in order; those past the end print none
        int status;
        const char *told; // how the line naming the counter ends; empty for none
    } cases[] = {
        {"up to the largest", INT_MAX - 2, 1, {u"2147483645"_s, u"2147483646"_s, u"2147483647"_s}, 0, ""},
        {"one past the largest", INT_MAX - 1, 1, {u"2147483646"_s, u"2147483647"_s}, 1,
         "passes the largest whole number (2147483647) after its item 2: the items after it print no number"},
        {"from the largest", INT_MAX, 1, {u"2147483647"_s}, 1,
         "passes the largest whole number (2147483647) after its item 1: the items after it print no number"},
        {"down to the smallest", INT_MIN + 2, -1, {u"-2147483646"_s, u"-2147483647"_s, u"-2147483648"_s}, 0, ""},
        {"from the smallest down", INT_MIN, -1, {u"-2147483648"_s}, 1,
         "passes the smallest whole number (-2147483648) after its item 1: the items after it print no number"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeCounter(c.start, c.increment, 0));
        QFile::remove(path(u"out.pdf"_s));
        const ProgramRun run = runProgram(printBlank(3));
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
        QStringList numbers = printedWords(path(u"out.pdf"_s));
        numbers.removeIf([](const QString &word) { return !word.contains(QRegularExpression(u"^-?[0-9]+$"_s)); });
        EXPECT_EQ(numbers, c.printed);
        const QStringList told = run.err.split(u'\n').filter(u"parcelwick: the counter that starts at"_s);
        if (*c.told) {
            ASSERT_EQ(told.size(), 1) << qPrintable(run.err);
            EXPECT_TRUE(told.front().endsWith(QLatin1String(c.told))) << qPrintable(told.front());
        } else {
            EXPECT_TRUE(told.isEmpty()) << qPrintable(run.err);
        }
    }
}

// A file field names its text file relatively: the file beside the design is read, wherever the
// job is started from.
TEST_F(BatchJobReportTest, AFileFieldReadsTheTextFileBesideItsDesign)
{
    ASSERT_TRUE(pwtest::writeFile(path(u"lines.txt"_s), "Alpha\nBravo\nCharlie\n"));
    ASSERT_TRUE(writeFileField(u"lines.txt"_s));
    ASSERT_NE(QDir::currentPath(), m_folder.path());
    const ProgramRun run = runProgram(printBlank(3));
    EXPECT_EQ(run.status, 0) << qPrintable(run.err);
    const QStringList words = printedWords(path(u"out.pdf"_s));
    for (const QString &line : {u"Alpha"_s, u"Bravo"_s, u"Charlie"_s})
        EXPECT_EQ(words.count(line), 1) << qPrintable(words.join(u' '));
}

TEST_F(BatchJobReportTest, TheLastCopyOnTheFirstPositionOffThePaperIsNamed)
{
    // Four columns of the default labels in one row: the fourth lies off the letter paper.
    ASSERT_TRUE(writeBlank([](CADocument &document) {
        document.ftDocument()->SetColCount(4);
        document.ftDocument()->SetRowCount(1);
    }));
    const struct
    {
        const char *name;
        int copies;
        int status;
    } cases[] = {
        {"the last copy on the last position on the paper", 3, 0},
        {"the last copy on the first position off the paper", 4, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = runProgram(printBlank(c.copies));
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
        EXPECT_EQ(run.err.count(u"parcelwick: the layout's 4 columns and 1 rows do not fit its paper"_s), c.status)
            << qPrintable(run.err);
    }
}

TEST_F(BatchJobReportTest, LettersNoFontHoldsAreNamedAFewForEachPerson)
{
    const commandtest::ScopedEnvironment fonts("FONTCONFIG_FILE", fontConfiguration(kDejaVu));
    // Seven letters no font of the configuration holds: five are named, and how many more.
    const ProgramRun run = runProgram(printPeople(u"First Name,Last Name\r\nAnn,Abbott\r\n一二三四,五六七\r\n"_s.toUtf8()));
    EXPECT_EQ(run.status, 1) << qPrintable(run.err);
    const QStringList told = run.err.split(u'\n').filter(u"are in no installed font"_s);
    ASSERT_EQ(told.size(), 1) << qPrintable(run.err);
    EXPECT_EQ(told.front(), u"parcelwick: the letters 一 (U+4E00), 二 (U+4E8C), 三 (U+4E09), 四 (U+56DB), 五 (U+4E94), 2 more "
                            "of 一二三四 五六七 are in no installed font: they print as empty boxes"_s);
}

} // namespace

namespace {

// A design that lists its address panel among its side's back components, as a file from
// elsewhere may: the panel is printed and checked with the others, and a save keeps it.
TEST_F(BatchJobReportTest, AnAddressPanelListedBehindTheSideIsPrintedCheckedAndKept)
{
    ASSERT_TRUE(writeAddressOn(path(u"design.pwdc"_s), dtEnvelope, 500.0, 150.0,
                               u"1234 Extraordinarily Long Street Name Boulevard"_s));
    std::optional<PWPlist> design = PWPlist::readFile(path(u"design.pwdc"_s));
    ASSERT_TRUE(design.has_value());
    PWPlist::Dictionary file = design->toDictionary();
    PWPlist::Dictionary front = file.value(key_FrontSide).toDictionary();
    const PWPlist::Array components = front.value(key_Components).toArray();
    ASSERT_EQ(components.size(), 1);
    front.insert(key_BackComponents, components);
    front.insert(key_Components, PWPlist(PWPlist::Array {}));
    file.insert(key_FrontSide, PWPlist(front));
    ASSERT_TRUE(pwtest::writeFile(path(u"design.pwdc"_s), PWPlist(file).toXml()));

    const ProgramRun run = runProgram(printBlank(1));
    EXPECT_EQ(run.status, 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(u"the address of Ann Abbott runs past the edge of its envelope"_s)) << qPrintable(run.err);

    CADocument document;
    QString error;
    ASSERT_TRUE(document.readFromFile(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    ASSERT_TRUE(document.writeToFile(path(u"again.pwdc"_s), &error)) << qPrintable(error);
    CADocument again;
    ASSERT_TRUE(again.readFromFile(path(u"again.pwdc"_s), &error)) << qPrintable(error);
    const std::vector<CFTComponent *> kept = again.ftDocument()->GetComponents(0, false);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept.front()->getClassID(), ciAddressPanel);
}

} // namespace
