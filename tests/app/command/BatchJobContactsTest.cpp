// The persons a batch print makes of its contacts file, as the user finds them on the labels: a
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
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

class BatchJobContactsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        CAEnvironment::setDefaultCountry(u"us"_s);
        CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
        const std::shared_ptr<CATemplateFormat> layout = defaultLayout(0);
        ASSERT_TRUE(layout);
        CADocument document;
        document.setLayoutArangeComponents(*layout, false);
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
        auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
        panel->SetOrigin(8.0, 6.0);
        document.ftDocument()->AddObject(panel.release(), 0, false);
        QString error;
        ASSERT_TRUE(document.writeToFile(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    ProgramRun print(const QString &contacts)
    {
        QFile::remove(path(u"out.pdf"_s));
        return runProgram({u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s, path(contacts), u"--output"_s,
                           path(u"out.pdf"_s)});
    }

    // Every word of every page of the PDF.
    QStringList printedWords(int *pages = nullptr) const
    {
        QStringList words;
        const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path(u"out.pdf"_s));
        if (pages)
            *pages = document ? document->numPages() : 0;
        if (!document)
            return words;
        for (int page = 0; page < document->numPages(); ++page) {
            for (const std::unique_ptr<Poppler::TextBox> &box : document->page(page)->textList())
                words.append(box->text());
        }
        return words;
    }

    QTemporaryDir m_folder;
};

TEST_F(BatchJobContactsTest, AQuotedFieldOfManyLinesIsOneFieldOfItsPerson)
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
        const ProgramRun run = print(u"notes.csv"_s);
        ASSERT_EQ(run.status, 0) << qPrintable(run.err);
        int pages = 0;
        const QStringList words = printedWords(&pages);
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

TEST_F(BatchJobContactsTest, ACardWithALineOfAnotherEncodingPrintsEveryLetter)
{
    // The name and company lines are UTF-8; one line, from an older program, is Windows Latin 1.
    ASSERT_TRUE(pwtest::writeFile(path(u"cards.vcf"_s),
                                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Stra\xc3\x9f" "e;Zo\xc3\xab;;;\r\nFN:Zo\xc3\xab Stra\xc3\x9f"
                                  "e\r\nORG:K\xc3\xb6ln \xe2\x82\xac" "Co\r\nNOTE:Caf\xe9 \x93" "cr\xe8me\x94\r\nEND:VCARD\r\n"));
    const ProgramRun run = print(u"cards.vcf"_s);
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const QStringList words = printedWords();
    for (const QString &word : {u"Zoë"_s, u"Straße"_s, u"Köln"_s, u"€Co"_s})
        EXPECT_TRUE(words.contains(word)) << qPrintable(word + u" in: "_s + words.join(u' '));
    EXPECT_TRUE(run.err.contains(u"Line 6 of the file is not UTF-8 text like the rest"_s)) << qPrintable(run.err);
}

} // namespace
