// A batch job fails exactly when its output lacks what was designed, and says what happened about
// the item it happened to: the contacts files mail programs export print every person and name
// their unread columns once; texts are judged by their letters, a counter once whatever the
// persons; an envelope's or card's address past its edge is named alike; a person is named by what
// the file gives of them; a variation selector is no letter; a print list that cannot be read says why.
#include "TestSupport.h"
#include "ProgramRunSupport.h"
#include "../../kernel/merge/PrintingTestSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWFont.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

class BatchJobJudgedOutputTest : public ::testing::Test
{
public:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    QString path(const QString &name) const { return m_folder.filePath(name); }

    QStringList printContacts(const QString &contacts) const
    {
        return {u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s, path(contacts), u"--output"_s, path(u"out.pdf"_s)};
    }

    // A design of the first layout of type, changed by change, as design.pwdc.
    bool writeDesign(documentType type, const std::function<void(CADocument &)> &change)
    {
        const CATemplateFormat::TemplateList *layouts = CATemplateFormat::predefLayouts(type);
        if (!layouts || layouts->isEmpty())
            return false;
        CAEnvironment::setDefaultCountry(u"us"_s);
        CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
        CADocument document(std::make_unique<CFTADocument>(type, CDDString(u"us"_s), CDDString(u"us"_s)));
        document.setLayoutArangeComponents(*layouts->front(), false);
        change(document);
        QString error;
        return document.writeToFile(path(u"design.pwdc"_s), &error);
    }

    // Every word of the output's pages.
    QStringList printedWords() const
    {
        QStringList words;
        const printtest::PrintedPdf printed(path(u"out.pdf"_s));
        for (int page = 0; page < printed.pageCount(); ++page)
            for (const auto &[word, box] : printed.words(page))
                words.append(word);
        return words;
    }

    // A font configuration of the DejaVu fonts alone, with a cache of its own.
    QByteArray dejaVuOnly()
    {
        EXPECT_TRUE(QDir(m_folder.path()).mkpath(u"cache"_s));
        EXPECT_TRUE(pwtest::writeFile(path(u"fonts.conf"_s),
                                      "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>"
                                      "<dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>"
                                          + path(u"cache"_s).toUtf8() + "</cachedir></fontconfig>\n"));
        return path(u"fonts.conf"_s).toUtf8();
    }

    QTemporaryDir m_folder;
};

// A text of words in a frame at (x, y) of width by 30 points.
CFTAText *textAt(double x, double y, double width, const QString &words)
{
    auto *text = new CFTAText(x, y, width, 30.0, nullptr);
    text->SetString(CDDString(words));
    return text;
}

// The address panel of a design (name and company, barcode below) at (x, y).
CFTAAddressPanel *addressPanelAt(double x, double y)
{
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    auto *panel = new CFTAAddressPanel(true, format.get(), nullptr, false);
    panel->SetOrigin(x, y);
    return panel;
}

// A contacts file as a program exports it: its header, and for each person the value of each
// column the person has (the other columns empty).
QByteArray exported(const QStringList &header, const QList<QHash<QString, QString>> &persons)
{
    QByteArray text = header.join(u',').toUtf8() + "\r\n";
    for (const QHash<QString, QString> &person : persons) {
        QStringList row;
        for (const QString &column : header)
            row.append(person.value(column));
        text += row.join(u',').toUtf8() + "\r\n";
    }
    return text;
}

TEST_F(BatchJobJudgedOutputTest, ContactsExportsOfMailProgramsPrintEveryPersonAndNameTheirUnreadColumnsOnce)
{
    const struct
    {
        const char *name;
        QStringList header;
        QList<QHash<QString, QString>> persons;
        QStringList unread; // some of the columns the note names
    } cases[] = {
        {"a desktop mail program",
         {u"Title"_s, u"First Name"_s, u"Middle Name"_s, u"Last Name"_s, u"Suffix"_s, u"Company"_s, u"Department"_s,
          u"Job Title"_s, u"Business Street"_s, u"Business City"_s, u"Business State"_s, u"Business Postal Code"_s,
          u"Business Country/Region"_s, u"Home Street"_s, u"Home City"_s, u"Home State"_s, u"Home Postal Code"_s,
          u"Business Phone"_s, u"Mobile Phone"_s, u"E-mail Address"_s, u"E-mail Display Name"_s, u"Birthday"_s,
          u"Notes"_s},
         {{{u"First Name"_s, u"Ann"_s}, {u"Last Name"_s, u"Abbott"_s}, {u"Job Title"_s, u"Editor"_s},
           {u"Home Street"_s, u"1 Elm St"_s}, {u"Home City"_s, u"Springfield"_s}, {u"Home State"_s, u"IL"_s},
           {u"Home Postal Code"_s, u"62701"_s}, {u"Birthday"_s, u"1/2/1980"_s}, {u"Notes"_s, u"met at the fair"_s}},
          {{u"First Name"_s, u"Bob"_s}, {u"Last Name"_s, u"Baker"_s}, {u"Company"_s, u"Acme"_s},
           {u"Business Street"_s, u"9 Main St"_s}, {u"Business City"_s, u"Portland"_s}, {u"Business State"_s, u"OR"_s},
           {u"Business Postal Code"_s, u"97201"_s}, {u"E-mail Display Name"_s, u"Bob B"_s}}},
         {u"Birthday"_s, u"Notes"_s}},
        {"a mail client's address book",
         {u"First Name"_s, u"Last Name"_s, u"Display Name"_s, u"Nickname"_s, u"Primary Email"_s, u"Screen Name"_s,
          u"Work Phone"_s, u"Home Phone"_s, u"Home Address"_s, u"Home Address 2"_s, u"Home City"_s, u"Home State"_s,
          u"Home ZipCode"_s, u"Home Country"_s, u"Job Title"_s, u"Department"_s, u"Organization"_s, u"Web Page 1"_s,
          u"Birth Year"_s, u"Birth Month"_s, u"Birth Day"_s, u"Notes"_s},
         {{{u"First Name"_s, u"Cy"_s}, {u"Last Name"_s, u"Carver"_s}, {u"Display Name"_s, u"Cy Carver"_s},
           {u"Screen Name"_s, u"cyc"_s}, {u"Home Address"_s, u"2 Oak Rd"_s}, {u"Home City"_s, u"Madison"_s},
           {u"Home State"_s, u"WI"_s}, {u"Home ZipCode"_s, u"53703"_s}, {u"Notes"_s, u"neighbour"_s}},
          {{u"First Name"_s, u"Dee"_s}, {u"Last Name"_s, u"Dunn"_s}, {u"Display Name"_s, u"Dee"_s},
           {u"Home Address"_s, u"3 Pine Ave"_s}, {u"Home City"_s, u"Austin"_s}, {u"Home State"_s, u"TX"_s},
           {u"Home ZipCode"_s, u"78701"_s}, {u"Birth Year"_s, u"1975"_s}}},
         {u"Display Name"_s, u"Screen Name"_s}},
        {"a webmail export",
         {u"First Name"_s, u"Middle Name"_s, u"Last Name"_s, u"Nickname"_s, u"E-mail Address"_s, u"Home Phone"_s,
          u"Mobile Phone"_s, u"Job Title"_s, u"Company"_s, u"Home Street"_s, u"Home City"_s, u"Home State"_s,
          u"Home Postal Code"_s, u"Home Country/Region"_s, u"Spouse"_s, u"Web Page"_s, u"Birthday"_s, u"Anniversary"_s,
          u"Notes"_s},
         {{{u"First Name"_s, u"Eve"_s}, {u"Last Name"_s, u"Eaton"_s}, {u"Home Street"_s, u"4 Lake Dr"_s},
           {u"Home City"_s, u"Denver"_s}, {u"Home State"_s, u"CO"_s}, {u"Home Postal Code"_s, u"80202"_s},
           {u"Spouse"_s, u"Fred"_s}, {u"Anniversary"_s, u"6/7/2001"_s}}},
         {u"Spouse"_s, u"Anniversary"_s, u"Notes"_s}},
    };
    QString error;
    ASSERT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(pwtest::writeFile(path(u"export.csv"_s), exported(c.header, c.persons)));
        QFile::remove(path(u"out.pdf"_s));
        const ProgramRun run = runProgram(printContacts(u"export.csv"_s));
        EXPECT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_FALSE(run.err.contains(u"the job was done, but"_s)) << qPrintable(run.err);
        const QStringList words = printedWords();
        for (const auto &person : c.persons)
            EXPECT_EQ(words.count(person.value(u"Last Name"_s)), 1) << qPrintable(words.join(u' '));
        const QStringList told = run.err.split(u'\n').filter(u"export.csv: the columns "_s);
        ASSERT_EQ(told.size(), 1) << qPrintable(run.err);
        EXPECT_TRUE(told.front().endsWith(u"hold no field the program knows and are not read"_s)) << qPrintable(told.front());
        for (const QString &column : c.unread)
            EXPECT_TRUE(told.front().contains(u"\"%1\""_s.arg(column)) || told.front().contains(u" more "_s))
                << qPrintable(column + u" in: "_s + told.front());
    }
}

TEST_F(BatchJobJudgedOutputTest, TextsAreJudgedByTheirLettersAndEachIsNamedOnce)
{
    // One envelope of the first envelope layout, or a label for each of four persons.
    const struct
    {
        const char *name;
        documentType type;
        std::function<void(CADocument &)> add;
        bool persons;
        int status;
        const char *told; // the line naming it; empty for none
    } cases[] = {
        {"a word inside, in a frame wider than its envelope", dtEnvelope,
         [](CADocument &document) {
             const double width = document.ftDocument()->getDocumentSizeX(0);
             document.ftDocument()->AddObject(textAt(width / 2.0, 40.0, width, u"Hello"_s), 0, false);
         },
         false, 0, ""},
        {"a word past the edge of its envelope", dtEnvelope,
         [](CADocument &document) {
             const double width = document.ftDocument()->getDocumentSizeX(0);
             document.ftDocument()->AddObject(textAt(width - 40.0, 40.0, 300.0, u"Wonderful"_s), 0, false);
         },
         false, 1, "parcelwick: the text \"Wonderful\" runs past the edge of its envelope"},
        {"a counter past its label's edge, for four persons", dtLabel,
         [](CADocument &document) {
             auto *counter = new CFTCounterField(8.0, 8.0, nullptr);
             counter->SetLeadingZeros(true);
             counter->SetZerosDigits(64);
             document.ftDocument()->AddObject(counter, 0, false);
         },
         true, 1, "runs past the edge of its label"},
    };
    ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s), "First Name,Last Name\r\nAnn,Abbott\r\nBob,Baker\r\nCy,Carver\r\nDee,Dunn\r\n"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeDesign(c.type, c.add));
        const ProgramRun run = c.persons ? runProgram(printContacts(u"people.csv"_s))
                                         : runProgram({u"--print"_s, path(u"design.pwdc"_s), u"--copies"_s, u"1"_s,
                                                       u"--output"_s, path(u"out.pdf"_s)});
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
        const QStringList past = run.err.split(u'\n').filter(u"runs past the edge of its"_s);
        if (*c.told) {
            ASSERT_EQ(past.size(), 1) << qPrintable(run.err);
            EXPECT_TRUE(past.front().contains(QLatin1String(c.told))) << qPrintable(past.front());
            // The label of persons shows none of them besides: that is named too, after the text.
            const QString last = run.err.trimmed().section(u'\n', -1);
            EXPECT_TRUE(last.startsWith(u"parcelwick: the job was done, but 1 text runs past the edge of the design"_s))
                << qPrintable(run.err);
            EXPECT_EQ(last.contains(u"the design has no recipient's address"_s), c.persons) << qPrintable(run.err);
        } else {
            EXPECT_TRUE(past.isEmpty()) << qPrintable(run.err);
        }
    }
}

TEST_F(BatchJobJudgedOutputTest, AnAddressPastItsEnvelopeOrCardIsNamedForThatItem)
{
    const QByteArray endless = QByteArray("Extraordinarily Long Avenue of the Many Gardens ").repeated(8);
    const struct
    {
        const char *name;
        documentType type;
        QByteArray street;
        const char *told;
    } cases[] = {
        {"an envelope's address fitted smaller", dtEnvelope, "1234 Extraordinarily Long Street Name Boulevard",
         "the address of Ann Abbott runs past the edge of its envelope"},
        {"a card's address fitted smaller", dtPostcard, "1234 Extraordinarily Long Street Name Boulevard",
         "the address of Ann Abbott runs past the edge of its card"},
        {"an envelope's address too long for any type", dtEnvelope, "1 " + endless,
         "the address of Ann Abbott does not fit its envelope, even in the smallest type"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeDesign(c.type, [](CADocument &document) {
            const double width = document.ftDocument()->getDocumentSizeX(0);
            const double height = document.ftDocument()->getDocumentSizeY(0);
            document.ftDocument()->AddObject(addressPanelAt(width - 150.0, height / 2.0), 0, false);
        }));
        ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s),
                                      "First Name,Last Name,Street,City,State,ZIP\r\nAnn,Abbott," + c.street
                                          + ",Springfield,IL,62701\r\n"));
        const ProgramRun run = runProgram(printContacts(u"people.csv"_s));
        EXPECT_EQ(run.status, 1) << qPrintable(run.err);
        EXPECT_EQ(run.err.count(u"parcelwick: "_s + QLatin1String(c.told)), 1) << qPrintable(run.err);
    }
}

TEST_F(BatchJobJudgedOutputTest, APersonWithoutANameIsNamedByWhatTheFileGives)
{
    ASSERT_TRUE(writeDesign(dtLabel, [](CADocument &document) {
        auto *counter = new CFTCounterField(8.0, 8.0, nullptr);
        counter->SetLeadingZeros(true);
        counter->SetZerosDigits(64);
        document.ftDocument()->AddObject(counter, 0, false);
        document.ftDocument()->AddObject(addressPanelAt(8.0, 30.0), 0, false);
    }));
    const struct
    {
        const char *name;
        QByteArray csv;
        const char *named;
    } cases[] = {
        {"a phone number alone", "First Name,Last Name,Company,Home Phone\r\n,,,555 0100\r\nAnn,Abbott,,\r\n",
         " of the person with the phone number 555 0100 runs past"},
        {"an e-mail address alone", "First Name,Last Name,Company,E-mail\r\n,,,kim@example.org\r\nAnn,Abbott,,\r\n",
         " of the person with the e-mail address kim@example.org runs past"},
        {"a company", "First Name,Last Name,Company\r\n,,Acme Tools\r\n", " of Acme Tools runs past"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s), c.csv));
        const ProgramRun run = runProgram(printContacts(u"people.csv"_s));
        EXPECT_EQ(run.status, 1) << qPrintable(run.err);
        const QStringList past = run.err.split(u'\n').filter(u"the counter "_s);
        ASSERT_EQ(past.size(), 1) << qPrintable(run.err);
        EXPECT_TRUE(past.front().contains(QLatin1String(c.named))) << qPrintable(past.front());
        EXPECT_FALSE(run.err.contains(u"(no name)"_s)) << qPrintable(run.err);
    }
}

TEST_F(BatchJobJudgedOutputTest, AVariationSelectorIsNoLetterAFontLacks)
{
    const commandtest::ScopedEnvironment fonts("FONTCONFIG_FILE", dejaVuOnly());
    ASSERT_TRUE(writeDesign(dtLabel, [](CADocument &document) {
        document.ftDocument()->AddObject(addressPanelAt(8.0, 6.0), 0, false);
    }));
    const struct
    {
        const char *name;
        QString first;
        int status;
        const char *named; // the letters the line names; empty for no line
    } cases[] = {
        {"a smiling face in text style", u"Ann\u263A\uFE0E"_s, 0, ""},
        {"a smiling face in emoji style", u"Ann\u263A\uFE0F"_s, 0, ""},
        {"a letter no font holds, in emoji style", u"\u592A\uFE0F"_s, 1, "the letters 太 (U+592A) of "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s), (u"First Name,Last Name\r\n"_s + c.first + u",Abbott\r\n"_s).toUtf8()));
        const ProgramRun run = runProgram(printContacts(u"people.csv"_s));
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
        const QStringList told = run.err.split(u'\n').filter(u"in no installed font"_s);
        EXPECT_EQ(told.size(), *c.named ? 1 : 0) << qPrintable(run.err);
        for (const QString &line : told) {
            EXPECT_TRUE(line.contains(QString::fromUtf8(c.named))) << qPrintable(line);
            EXPECT_FALSE(line.contains(u"U+FE0"_s)) << qPrintable(line);
        }
    }
}

TEST_F(BatchJobJudgedOutputTest, APrintListThatCannotBeReadSaysWhy)
{
    QString error;
    ASSERT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    PWPlist::Dictionary friends;
    friends.insert(u"Name"_s, PWPlist::fromString(u"Friends"_s));
    friends.insert(u"Persons"_s, PWPlist::fromString(u"Ann Abbott"_s));
    const struct
    {
        const char *name;
        PWPlist stored;
        const char *reason;
    } cases[] = {
        {"its persons are no list", PWPlist(PWPlist::Array {PWPlist(friends)}),
         "the persons of the print list \"Friends\" could not be read: The stored persons of the print list \"Friends\" "
         "are not a list"},
        {"the lists are no list", PWPlist::fromString(u"Friends"_s),
         "the print list \"Friends\" could not be read from the settings: The stored print lists are not a list"},
        {"no list of that name", PWPlist(PWPlist::Array {}), "there is no print list named \"Friends\""},
    };
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        defaults.setObject(u"PrintListArray"_s, c.stored);
        ASSERT_TRUE(defaults.synchronize());
        const ProgramRun run = runProgram({u"--print"_s, path(u"design.pwdc"_s), u"--print-list"_s, u"Friends"_s,
                                           u"--output"_s, path(u"out.pdf"_s)});
        EXPECT_EQ(run.status, 1) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(u"parcelwick: "_s + QLatin1String(c.reason))) << qPrintable(run.err);
    }
    defaults.removeObject(u"PrintListArray"_s);
    defaults.synchronize();
}

} // namespace
