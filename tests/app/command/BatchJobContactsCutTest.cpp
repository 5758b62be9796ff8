// A contacts file the batch print reads only in part: a record past the reader's bound, a quote
// never closed that shifts a person's fields, rows past the bound. The persons read are printed,
// what was not read as the file says is named with its line, and the job fails after its output.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"
#include "app/contacts/CADelimitedText.h"
#include "platform/PWVCardParser.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// Every word of every page of a PDF.
QStringList wordsOf(const QString &pdf)
{
    QStringList words;
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    for (int page = 0; document && page < document->numPages(); ++page) {
        for (const std::unique_ptr<Poppler::TextBox> &box : document->page(page)->textList())
            words.append(box->text());
    }
    return words;
}

// "Ann," and notes to make a record of length characters.
QByteArray annWithNotes(qsizetype length)
{
    return "Ann," + QByteArray(length - 4, 'n');
}

// The header and rows after Ann's that name nobody: the bound meets them, no label does.
QByteArray rowsNamingNobody(qsizetype rows)
{
    QByteArray bytes = "First Name,Notes\nAnn,x\n";
    bytes.reserve(bytes.size() + rows * 3);
    for (qsizetype i = 2; i < rows; ++i)
        bytes += ",n\n";
    return bytes;
}

TEST(BatchJobContactsCutTest, WhatIsNotReadAsTheFileSaysIsNamedAndFailsTheJob)
{
    const qsizetype bound = CADelimitedText::kMaxRecordCharacters;
    const struct
    {
        const char *name;
        QByteArray bytes;
        QStringList columns; // --column choices
        int status;
        QString named; // on standard error; empty: nothing is left out
        QStringList printed;
    } cases[] = {
        {"a record as long as the bound", "First Name,Notes\n" + annWithNotes(bound) + "\nBo,short\n", {u"Notes=skip"_s},
         CACommandLine::kSuccess, {}, {u"Ann"_s, u"Bo"_s}},
        {"a record a character longer", "First Name,Notes\n" + annWithNotes(bound + 1) + "\nBo,short\n", {u"Notes=skip"_s},
         CACommandLine::kFailure, u"Line 2 was left out: it is a record of more than 1048576 characters."_s, {u"Bo"_s}},
        {"a quote never closed", "First Name,Last Name,City\nAnn,\"S,Co,Ayr\nBo,Baker,Bath\n", {}, CACommandLine::kFailure,
         u"Line 2: a quote is never closed; the rest of the line is read as one field."_s, {u"Ann"_s, u"Bo"_s}},
        // The open quote ends with its line, and that line still meets the bound: a name of
        // megabytes would take the print minutes and gigabytes to lay out.
        {"a quote never closed on a line longer than the bound",
         "First Name,Last Name\nAnn,\"" + QByteArray(bound, 'n') + "\nBo,Baker\n", {}, CACommandLine::kFailure,
         u"Line 2 was left out: it is a record of more than 1048576 characters."_s, {u"Bo"_s}},
        {"a row past the bound", rowsNamingNobody(CADelimitedText::kMaxRows + 1), {u"Notes=skip"_s},
         CACommandLine::kFailure,
         u"Line 1000001 and the lines after it were left out: a file is read up to 1000000 rows."_s, {u"Ann"_s}},
    };
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString error;
    ASSERT_TRUE(commandtest::writeAddressDesign(folder.filePath(u"design.pwdc"_s), &error)) << qPrintable(error);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString contacts = folder.filePath(u"contacts.csv"_s);
        const QString out = folder.filePath(u"out.pdf"_s);
        ASSERT_TRUE(pwtest::writeFile(contacts, c.bytes));
        QFile::remove(out);
        QStringList arguments = {u"--print"_s, folder.filePath(u"design.pwdc"_s), u"--contacts"_s, contacts};
        for (const QString &column : c.columns)
            arguments += {u"--column"_s, column};
        const ProgramRun run = runProgram(arguments + QStringList{u"--output"_s, out});
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err.left(2000));
        if (c.named.isEmpty())
            EXPECT_FALSE(run.err.contains(u"left out"_s)) << qPrintable(run.err.left(2000));
        else
            EXPECT_TRUE(run.err.contains(c.named)) << qPrintable(run.err.left(2000));
        const QStringList words = wordsOf(out);
        for (const QString &word : c.printed)
            EXPECT_TRUE(words.contains(word)) << qPrintable(word + u" in: "_s + words.join(u' '));
        EXPECT_FALSE(words.contains(u"nnnn"_s));
    }
}

// A card of Ann with a NOTE of noteLength characters (folded when told) and a photo of photoBytes
// written as base64, then a card of Bo.
QByteArray annAndBo(qsizetype noteLength, bool folded, qsizetype photoBytes = 0)
{
    QByteArray bytes = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abbott;Ann;;;\r\nNOTE:";
    const QByteArray note(noteLength, 'n');
    for (qsizetype at = 0; at < note.size(); at += 70)
        bytes += (at > 0 && folded ? "\r\n " : "") + note.mid(at, 70);
    bytes += "\r\n";
    if (photoBytes > 0)
        bytes += "PHOTO;ENCODING=b;TYPE=JPEG:" + QByteArray(photoBytes, 'A').toBase64() + "\r\n";
    return bytes + "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bo;;;\r\nEND:VCARD\r\n";
}

TEST(BatchJobContactsCutTest, ACardOfMoreTextThanTheBoundIsLeftOutAndNamed)
{
    // The card's other text values ("Abbott;Ann;;;", "3.0") are counted with its note.
    const qsizetype bound = PWVCardParser::kMaxCardCharacters - 16;
    const struct
    {
        const char *name;
        QByteArray bytes;
        int status;
        QStringList printed;
    } cases[] = {
        {"a note that keeps the card within the bound", annAndBo(bound, false), CACommandLine::kSuccess,
         {u"Ann"_s, u"Bo"_s}},
        {"a note that takes it past the bound", annAndBo(bound + 1, false), CACommandLine::kFailure, {u"Bo"_s}},
        {"the same note folded over many lines", annAndBo(bound + 1, true), CACommandLine::kFailure, {u"Bo"_s}},
        {"a photo larger than the bound", annAndBo(10, false, 2 * PWVCardParser::kMaxCardCharacters),
         CACommandLine::kSuccess, {u"Ann"_s, u"Bo"_s}},
    };
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString error;
    ASSERT_TRUE(commandtest::writeAddressDesign(folder.filePath(u"design.pwdc"_s), &error)) << qPrintable(error);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString contacts = folder.filePath(u"contacts.vcf"_s);
        const QString out = folder.filePath(u"out.pdf"_s);
        ASSERT_TRUE(pwtest::writeFile(contacts, c.bytes));
        QFile::remove(out);
        const ProgramRun run =
            runProgram({u"--print"_s, folder.filePath(u"design.pwdc"_s), u"--contacts"_s, contacts, u"--output"_s, out});
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err.left(2000));
        EXPECT_EQ(run.err.contains(u"The card beginning on line 1 holds more than 1048576 characters and was left out."_s),
                  c.status == CACommandLine::kFailure)
            << qPrintable(run.err.left(2000));
        const QStringList words = wordsOf(out);
        EXPECT_EQ(words.contains(u"Ann"_s), c.printed.contains(u"Ann"_s)) << qPrintable(words.join(u' '));
        EXPECT_TRUE(words.contains(u"Bo"_s)) << qPrintable(words.join(u' '));
    }
}

} // namespace
