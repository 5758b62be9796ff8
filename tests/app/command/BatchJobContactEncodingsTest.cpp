// Contacts files of other encodings as a batch print reads them: a vCard line in the character set
// it names prints its letters, a delimited file keeps the UTF-8 letters of every line and names
// the lines it read in another encoding, and stray quotes that join records into one field are
// named and fail the job after its output is written.
#include "TestSupport.h"
#include "ProgramRunSupport.h"
#include "../../kernel/merge/PrintingTestSupport.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

QByteArray encoded(const char *charset, const QString &text)
{
    QStringEncoder encoder(charset);
    EXPECT_TRUE(encoder.isValid()) << charset;
    return encoder.encode(text);
}

class BatchJobContactEncodingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    // Prints the contacts, then reads every word of the output's pages.
    ProgramRun print(const QString &contacts, const QByteArray &bytes, QStringList *words, int *pages = nullptr)
    {
        EXPECT_TRUE(pwtest::writeFile(path(contacts), bytes));
        QFile::remove(path(u"out.pdf"_s));
        const ProgramRun run = runProgram(
            {u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s, path(contacts), u"--output"_s, path(u"out.pdf"_s)});
        const printtest::PrintedPdf pdf(path(u"out.pdf"_s));
        if (pages)
            *pages = pdf.pageCount();
        for (int page = 0; page < pdf.pageCount(); ++page) {
            for (const auto &[word, box] : pdf.words(page))
                words->append(word);
        }
        return run;
    }

    QTemporaryDir m_folder;
};

TEST_F(BatchJobContactEncodingsTest, ACardLineInTheCharacterSetItNamesPrintsItsLetters)
{
    const struct
    {
        const char *name;
        const char *charset;
        QString family;
        QString given;
        // Parameter names are not case-sensitive: exports write "charset=" as well.
        const char *parameter = "CHARSET";
    } cases[] = {
        {"Greek, ISO", "ISO-8859-7", u"Παπαδόπουλος"_s, u"Γιώργος"_s},
        {"Greek, Windows", "windows-1253", u"Καραγιάννη"_s, u"Ελένη"_s},
        // The letters of Shift-JIS's own rows of Cyrillic: a font of the test machine shows them.
        {"Shift-JIS", "Shift_JIS", u"Иванова"_s, u"Анна"_s},
        {"Greek, ISO, the parameter in lower case", "ISO-8859-7", u"Παπαδόπουλος"_s, u"Γιώργος"_s, "charset"},
        {"Shift-JIS, the parameter in mixed case", "Shift_JIS", u"Иванова"_s, u"Анна"_s, "Charset"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray card = "BEGIN:VCARD\r\nVERSION:2.1\r\nN;" + QByteArray(c.parameter) + "=" + QByteArray(c.charset) + ":"
                                + encoded(c.charset, c.family + u';' + c.given + u";;;"_s) + "\r\nEND:VCARD\r\n";
        QStringList words;
        const ProgramRun run = print(u"card.vcf"_s, card, &words);
        ASSERT_EQ(run.status, 0) << qPrintable(run.err);
        for (const QString &word : {c.given, c.family})
            EXPECT_TRUE(words.contains(word)) << qPrintable(word + u" in: "_s + words.join(u' '));
        EXPECT_FALSE(run.err.contains(u"not UTF-8"_s)) << qPrintable(run.err);
    }
}

TEST_F(BatchJobContactEncodingsTest, ADelimitedFileKeepsItsUtf8LettersAndNamesTheLinesOfAnotherEncoding)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QStringList printed;
        QString named;
    } cases[] = {
        {"a Windows Latin 1 line among UTF-8",
         "First Name,Last Name\n" + u"Zoë,Jürgens\n"_s.toUtf8() + "Ren\xe9,Caf\xe9\n" + u"Åsa,Öberg\n"_s.toUtf8(),
         {u"Zoë"_s, u"Jürgens"_s, u"René"_s, u"Café"_s, u"Åsa"_s, u"Öberg"_s},
         u"Line 3 of the file is not UTF-8 text like the rest; it was read as Western (Windows Latin 1)."_s},
        {"UTF-8 letters beside a stray byte on the one line beyond ASCII",
         "First Name,Last Name\n" + u"Zoë,Kröger-"_s.toUtf8() + "Ren\xe9\n",
         {u"Zoë"_s, u"Kröger-René"_s},
         u"Line 2 of the file is not UTF-8 text like the rest; it was read as Western (Windows Latin 1)."_s},
        // No guess tells Shift-JIS from Western letters: the lines read in the guess are named.
        {"Shift-JIS", "First Name,Last Name\nAnn," + encoded("Shift_JIS", u"山田"_s) + "\nBo,Baker\n",
         {u"Ann"_s, u"Bo"_s, u"Baker"_s},
         u"Line 2 of the file is not UTF-8 text; it was read as Western (Windows Latin 1)."_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList words;
        const ProgramRun run = print(u"people.csv"_s, c.bytes, &words);
        // A line read in a guessed encoding is named, and the job fails after its output.
        ASSERT_EQ(run.status, 1) << qPrintable(run.err);
        for (const QString &word : c.printed)
            EXPECT_TRUE(words.contains(word)) << qPrintable(word + u" in: "_s + words.join(u' '));
        EXPECT_TRUE(run.err.contains(c.named)) << qPrintable(run.err);
    }
}

TEST_F(BatchJobContactEncodingsTest, StrayQuotesThatJoinRecordsAreNamedAndFailTheJobAfterItsOutput)
{
    const struct
    {
        const char *name;
        int between; // records between the two stray quotes
        int status;
        QString named;
    } cases[] = {
        {"two stray quotes", 150, 1,
         u"Line 3: a quoted field starts there and takes the 151 lines after it, to line 154; 151 of them look like "
         "records of their own"_s},
        // A street of several lines is one field, as the file says, and nothing to name.
        {"a quoted street of three lines", 0, 0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray text = "First Name,Last Name,City\nAnn,Abbott,Ayr\n";
        if (c.between > 0) {
            text += "Bo,\"Baker,Bath\n";
            for (int i = 0; i < c.between; ++i)
                text += "Cy" + QByteArray::number(i) + ",Cole,Cork\n";
            text += "Di,Dean\",Derby\nEd,Eden,Ely\n";
        } else {
            text += "Bo,Baker,\"1 Elm Row\nFlat 3\nBath\"\nEd,Eden,Ely\n";
        }
        QStringList words;
        const ProgramRun run = print(u"people.csv"_s, text, &words);
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
        EXPECT_TRUE(words.contains(u"Ann"_s) && words.contains(u"Ed"_s)) << qPrintable(words.join(u' '));
        if (c.named.isEmpty()) {
            EXPECT_FALSE(run.err.contains(u"quoted field"_s)) << qPrintable(run.err);
        } else {
            EXPECT_TRUE(run.err.contains(c.named)) << qPrintable(run.err);
            EXPECT_TRUE(run.err.contains(u"took %1 lines that look like persons"_s.arg(c.between + 1))) << qPrintable(run.err);
        }
    }
}

} // namespace
