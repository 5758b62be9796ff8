// The contacts file as a batch print reads it: --column places a key in one column of a
// delimited file as the import dialog does, a merge that would print no names prints nothing, a
// quoted field of many lines is one field of one person, and a vCard card with a line from an
// older program prints the letters of every line right.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

class BatchJobColumnsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    ProgramRun print(const QString &contacts, const QStringList &columns)
    {
        QStringList arguments = {u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s, path(contacts)};
        for (const QString &column : columns)
            arguments += {u"--column"_s, column};
        arguments += {u"--output"_s, path(u"out.pdf"_s)};
        QFile::remove(path(u"out.pdf"_s));
        return runProgram(arguments);
    }

    // Every word of the PDF's first page; pages, when given, is set to the number of its pages.
    static QStringList wordsOf(const QString &pdf, int *pages = nullptr)
    {
        QStringList words;
        const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
        if (pages)
            *pages = document ? document->numPages() : 0;
        if (!document || document->numPages() < 1)
            return words;
        for (const std::unique_ptr<Poppler::TextBox> &box : document->page(0)->textList())
            words.append(box->text());
        return words;
    }

    QTemporaryDir m_folder;
};

TEST_F(BatchJobColumnsTest, AColumnHoldsTheOneKeyTheOptionGivesIt)
{
    ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s),
                                  "First Name,Last Name,Street,City,State,Zip\r\n"
                                  "Ann,Abbott,1 Elm St,Springfield,IL,62701\r\n"));
    const struct
    {
        const char *name;
        QStringList columns;
        QStringList printed;
        QStringList absent;
        QStringList unread; // the columns the warnings name as not read
    } cases[] = {
        {"as the header says", {}, {u"Ann"_s, u"Abbott"_s}, {}, {}},
        // The last name's column now holds the first name alone: its own key is gone, and the
        // first name's column, which nobody asked to skip, is named.
        {"a key moved onto a column", {u"Last Name=firstname"_s}, {u"Abbott"_s}, {u"Ann"_s}, {u"First Name"_s}},
        // A column the user skips is no column left unread by mistake.
        {"a column skipped", {u"First Name=skip"_s}, {u"Abbott"_s}, {u"Ann"_s}, {}},
        // A key has one column: given to another, it leaves the one the header gave it.
        {"two keys swapped", {u"First Name=lastname"_s, u"Last Name=firstname"_s}, {u"Ann"_s, u"Abbott"_s}, {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = print(u"people.csv"_s, c.columns);
        // A column left unread is a note: nothing the design shows is missing, the job is done.
        ASSERT_EQ(run.status, 0) << qPrintable(run.err);
        QStringList unread;
        const QStringList told = run.err.split(u'\n').filter(u"no field the program knows and "_s);
        ASSERT_LE(told.size(), 1) << qPrintable(run.err);
        for (const QString &line : told)
            for (qsizetype at = line.indexOf(u'"'); at >= 0; at = line.indexOf(u'"', line.indexOf(u'"', at + 1) + 1))
                unread.append(line.mid(at + 1).section(u'"', 0, 0));
        EXPECT_EQ(unread, c.unread) << qPrintable(run.err);
        const QStringList words = wordsOf(path(u"out.pdf"_s));
        for (const QString &word : c.printed)
            EXPECT_EQ(words.count(word), 1) << qPrintable(word + u" in: "_s + words.join(u' '));
        for (const QString &word : c.absent)
            EXPECT_FALSE(words.contains(word)) << qPrintable(word + u" in: "_s + words.join(u' '));
    }
    // Swapped, the first name is printed where the last name goes: after it.
    print(u"people.csv"_s, {u"First Name=lastname"_s, u"Last Name=firstname"_s});
    const QStringList words = wordsOf(path(u"out.pdf"_s));
    ASSERT_TRUE(words.contains(u"Ann"_s) && words.contains(u"Abbott"_s)) << qPrintable(words.join(u' '));
    EXPECT_LT(words.indexOf(u"Abbott"_s), words.indexOf(u"Ann"_s)) << qPrintable(words.join(u' '));
}

TEST_F(BatchJobColumnsTest, AMergeWithoutNamesPrintsNothingAndSaysWhichColumnsToPlace)
{
    // A list whose name columns are headed by words the header keywords do not know.
    QByteArray text = "Full Name,Greeting,Address 1 - Street,Address 1 - City,Address 1 - Postal Code\r\n";
    for (int i = 0; i < 25; ++i)
        text += "Ann" + QByteArray::number(i) + ",Abbott,1 Elm St,Springfield,62701\r\n";
    ASSERT_TRUE(pwtest::writeFile(path(u"webmail.csv"_s), text));

    const ProgramRun refused = print(u"webmail.csv"_s, {});
    EXPECT_EQ(refused.status, 1) << qPrintable(refused.err);
    EXPECT_FALSE(QFile::exists(path(u"out.pdf"_s)));
    const QStringList lines = refused.err.trimmed().split(u'\n');
    ASSERT_EQ(lines.size(), 1) << qPrintable(refused.err);
    for (const QString &named : {u"\"Full Name\""_s, u"\"Greeting\""_s, u"--column"_s})
        EXPECT_TRUE(lines[0].contains(named)) << qPrintable(lines[0]);
    EXPECT_FALSE(lines[0].contains(u"\"Address 1 - City\""_s)) << "a column that is read is not named";

    // Placed as the reason says, the same file prints its names.
    const ProgramRun placed = print(u"webmail.csv"_s, {u"Full Name=firstname"_s, u"Greeting=skip"_s});
    ASSERT_EQ(placed.status, 0) << qPrintable(placed.err);
    EXPECT_TRUE(wordsOf(path(u"out.pdf"_s)).contains(u"Ann0"_s));
}

TEST_F(BatchJobColumnsTest, AQuotedFieldOfManyLinesIsOneFieldOfItsPerson)
{
    const struct
    {
        const char *name;
        int noteLines;
        qsizetype lineLength;
        QStringList printed;
        QString warning;
    } cases[] = {
        {"a note of 300 lines", 300, 0, {u"Ann"_s, u"Abbott"_s, u"Bo"_s, u"Baker"_s}, {}},
        // Past the reader's bound the record is left out whole and named, never split.
        {"a note past the bound", 300, 4000, {u"Bo"_s, u"Baker"_s}, u"Lines 2 to 301 were left out"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray note;
        for (int i = 0; i < c.noteLines; ++i)
            note += QByteArray(i > 0 ? "\r\n" : "") + "noteline" + QByteArray::number(i) + QByteArray(c.lineLength, 'x');
        ASSERT_TRUE(pwtest::writeFile(path(u"notes.csv"_s), "First Name,Last Name,Notes\r\nAnn,Abbott,\"" + note
                                                                + "\"\r\nBo,Baker,short\r\n"));
        // The note is read as one field and left unread by choice: an unread column is a problem.
        const ProgramRun run = print(u"notes.csv"_s, {u"Notes=skip"_s});
        // A person left out fails the job after its output.
        ASSERT_EQ(run.status, c.warning.isEmpty() ? 0 : 1) << qPrintable(run.err);
        int pages = 0;
        const QStringList words = wordsOf(path(u"out.pdf"_s), &pages);
        EXPECT_EQ(pages, 1);
        for (const QString &word : c.printed)
            EXPECT_EQ(words.count(word), 1) << qPrintable(word + u" in: "_s + words.join(u' '));
        EXPECT_FALSE(words.join(u' ').contains(u"noteline"_s)) << "a line of the note printed as a person";
        EXPECT_FALSE(run.err.contains(u"never closed"_s)) << qPrintable(run.err);
        if (c.warning.isEmpty())
            EXPECT_FALSE(run.err.contains(u"left out"_s)) << qPrintable(run.err);
        else
            EXPECT_TRUE(run.err.contains(c.warning)) << qPrintable(run.err);
    }
}

TEST_F(BatchJobColumnsTest, ACardWithALineOfAnotherEncodingPrintsEveryLetter)
{
    // The name and company lines are UTF-8; one line, from an older program, is Windows Latin 1.
    ASSERT_TRUE(pwtest::writeFile(path(u"cards.vcf"_s),
                                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Stra\xc3\x9f" "e;Zo\xc3\xab;;;\r\nFN:Zo\xc3\xab Stra\xc3\x9f"
                                  "e\r\nORG:K\xc3\xb6ln \xe2\x82\xac" "Co\r\nNOTE:Caf\xe9 \x93" "cr\xe8me\x94\r\nEND:VCARD\r\n"));
    const ProgramRun run = print(u"cards.vcf"_s, {});
    // The line read in another encoding is a guess the reader names: the job fails after its output.
    ASSERT_EQ(run.status, 1) << qPrintable(run.err);
    const QStringList words = wordsOf(path(u"out.pdf"_s));
    for (const QString &word : {u"Zoë"_s, u"Straße"_s, u"Köln"_s, u"€Co"_s})
        EXPECT_TRUE(words.contains(word)) << qPrintable(word + u" in: "_s + words.join(u' '));
    EXPECT_TRUE(run.err.contains(u"Line 6 of the file is not UTF-8 text like the rest"_s)) << qPrintable(run.err);
}

// A country's code stands in for the country its address lacks: each person prints as the same
// person with the country's name given does, under the rules of that country and the design's.
TEST_F(BatchJobColumnsTest, ACountryCodePrintsAsTheCountryItStandsFor)
{
    const QByteArray header = "First Name,Last Name,Home Street,Home City,Home ZIP,Home Country,Home Country Code\n";
    const struct
    {
        const char *person;
        QLocale::Territory territory;
        const char *code;
    } people[] = {
        {"Anne,Bernard,1 rue Haute,Paris,75001", QLocale::France, "FR"},
        {"Abe,Baker,1 Main Street,Springfield,62701", QLocale::UnitedStates, "us"},
        {"Urs,Keller,Bahnhofstrasse 1,Zürich,8001", QLocale::Switzerland, "Ch"},
    };
    QByteArray byCode = header;
    QByteArray byName = header;
    for (const auto &person : people) {
        byCode += QByteArray(person.person) + ",," + person.code + "\n";
        byName += QByteArray(person.person) + "," + QLocale::territoryToString(person.territory).toUtf8() + ",\n";
    }
    QStringList printed[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(pwtest::writeFile(path(u"people.csv"_s), i == 0 ? byCode : byName));
        const ProgramRun run = print(u"people.csv"_s, {});
        ASSERT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_FALSE(run.err.contains(u"Country Code"_s)) << qPrintable(run.err);
        printed[i] = wordsOf(path(u"out.pdf"_s));
    }
    EXPECT_EQ(printed[0], printed[1]);
    EXPECT_TRUE(printed[0].join(u' ').contains(QLocale::territoryToString(QLocale::France), Qt::CaseInsensitive))
        << qPrintable(printed[0].join(u' '));
}

} // namespace
