// Files of the 8-bit corpus printed by the batch as a user prints them: the files the build before
// read right and the last one read wrong print every name as written under their locale, and
// --encoding with the common names of a code page (by ICU's names) prints a file of that code page
// as written, whatever its bytes suggest.
#include "../../kernel/merge/PrintingTestSupport.h"
#include "../contacts/EightBitCorpusSupport.h"
#include "ProgramRunSupport.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unicode/ucnv.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;
using namespace eightbitcorpus;

class BatchJobEightBitCorpusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    // Prints the file under the locale; every word of the output's pages goes into words.
    ProgramRun print(const CorpusFile &file, const QByteArray &locale, const QStringList &more, QStringList *words)
    {
        EXPECT_TRUE(pwtest::writeFile(path(file.file), file.bytes()));
        QFile::remove(path(u"out.pdf"_s));
        const commandtest::ScopedEnvironment scope("LC_ALL", locale);
        const ProgramRun run = runProgram(QStringList {u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s,
                                                       path(file.file), u"--output"_s, path(u"out.pdf"_s)}
                                          + more);
        const printtest::PrintedPdf pdf(path(u"out.pdf"_s));
        for (int page = 0; page < pdf.pageCount(); ++page) {
            for (const auto &[word, box] : pdf.words(page))
                words->append(word);
        }
        return run;
    }

    QTemporaryDir m_folder;
};

// The first and last names of the original, each word of them: what the design prints.
QStringList corpusNamesOf(const CorpusFile &file)
{
    QStringList names;
    for (const QString &person : file.original().split(u'\n', Qt::SkipEmptyParts))
        names += person.split(u',').mid(0, 2).join(u' ').split(u' ', Qt::SkipEmptyParts);
    return names;
}

TEST_F(BatchJobEightBitCorpusTest, FilesTheBuildBeforeReadRightPrintAsWritten)
{
    // Of each language, the first file and locale the build before read right and the last build
    // did not, as the table has them.
    QSet<QString> languages;
    int printed = 0;
    for (const CorpusFile &file : corpusFiles()) {
        for (const QString &locale : localeKinds()) {
            if (languages.contains(file.language) || !file.readings.value(locale + u".old53"_s).startsWith(u'R')
                || file.readings.value(locale + u".lastmain"_s).startsWith(u'R'))
                continue;
            languages.insert(file.language);
            SCOPED_TRACE(qPrintable(file.file + u" under "_s + locale));
            QStringList words;
            const ProgramRun run = print(file, localeName(locale, file.language), {}, &words);
            EXPECT_EQ(run.status, 0) << qPrintable(run.err);
            for (const QString &name : corpusNamesOf(file))
                EXPECT_TRUE(words.contains(name))
                    << qPrintable(name + u" in: "_s + words.join(u' ') + u"\n"_s + run.err);
            ++printed;
        }
    }
    EXPECT_GE(printed, 4);
}

TEST_F(BatchJobEightBitCorpusTest, TheEncodingOptionTakesTheCommonNamesOfACodePage)
{
    const std::vector<CorpusFile> files = corpusFiles();
    for (const char *typed : {"latin2", "latin9", "ISO-8859-9", "KOI8-U", "cp1250", "koi8r", "greek8"}) {
        // The first file of the corpus one of whose code pages is the one ICU names so.
        UErrorCode status = U_ZERO_ERROR;
        const QByteArray wanted = ucnv_getAlias(typed, 0, &status);
        ASSERT_TRUE(U_SUCCESS(status)) << typed;
        const auto file = std::find_if(files.cbegin(), files.cend(), [&](const CorpusFile &candidate) {
            return std::any_of(candidate.codePages.cbegin(), candidate.codePages.cend(), [&](const QString &page) {
                UErrorCode own = U_ZERO_ERROR;
                return wanted == ucnv_getAlias(page.toLatin1().constData(), 0, &own);
            });
        });
        ASSERT_NE(file, files.cend()) << typed;
        SCOPED_TRACE(qPrintable(file->file + u" with --encoding "_s + QString::fromLatin1(typed)));
        QStringList words;
        const ProgramRun run = print(*file, "C.UTF-8", {u"--encoding"_s, QString::fromLatin1(typed)}, &words);
        ASSERT_EQ(run.status, 0) << qPrintable(run.err);
        for (const QString &name : corpusNamesOf(*file))
            EXPECT_TRUE(words.contains(name)) << qPrintable(name + u" in: "_s + words.join(u' '));
        // Chosen, the encoding is said no more.
        EXPECT_FALSE(run.err.contains(u"not UTF-8"_s)) << qPrintable(run.err);
    }
}

} // namespace
