// Short contacts files of real names in each weighed 8-bit code page, printed by the batch under
// the C locale and the locale of the file's language: the job is done (exit 0) and prints every
// name as written, or prints another reading whose letters read as words too and names the right
// one with the option that chooses it; that option prints the names as written.
#include "TestSupport.h"
#include "ProgramRunSupport.h"
#include "../contacts/EightBitNamesSupport.h"
#include "../../kernel/merge/PrintingTestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;
using namespace eightbittest;

class BatchJobEightBitContactsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeAddressDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    ProgramRun print(const NamesFile &file, const QStringList &more, QStringList *words)
    {
        EXPECT_TRUE(pwtest::writeFile(path(file.name()), file.bytes));
        QFile::remove(path(u"out.pdf"_s));
        const ProgramRun run = runProgram(QStringList{u"--print"_s, path(u"design.pwdc"_s), u"--contacts"_s,
                                                      path(file.name()), u"--output"_s, path(u"out.pdf"_s)}
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

// The first and last names of the file, as written.
QStringList namesOf(const NamesFile &file)
{
    QStringList names;
    for (const QString &person : file.persons)
        names += person.split(u',').mid(0, 2);
    return names;
}

// For each weighed code page, a file of one person and one of three, of the first language
// written in it.
std::vector<NamesFile> filesOfEachCodePage()
{
    std::vector<NamesFile> chosen;
    for (const NamesFile &file : namesFiles()) {
        const bool taken = std::any_of(chosen.cbegin(), chosen.cend(), [&](const NamesFile &other) {
            return other.codePage == file.codePage && other.persons.size() == file.persons.size();
        });
        if (!taken)
            chosen.push_back(file);
    }
    return chosen;
}

TEST_F(BatchJobEightBitContactsTest, PrintsTheNamesAsWrittenOrNamesTheReadingAndTheOptionThatPrintsThem)
{
    const std::vector<NamesFile> files = filesOfEachCodePage();
    ASSERT_EQ(files.size(), std::size_t(2 * CATextEncodings::weighedEncodings().size()));
    int right = 0;
    int noted = 0;
    for (const NamesFile &file : files) {
        QStringList locales = {file.language};
        if (file.persons.size() == 1)
            locales.prepend(u"C"_s);
        for (const QString &locale : locales) {
            SCOPED_TRACE(qPrintable(file.name() + u" under "_s + locale));
            const LocaleScope scope(locale);
            QStringList words;
            const ProgramRun run = print(file, {}, &words);
            ASSERT_EQ(run.status, 0) << qPrintable(run.err);
            EXPECT_TRUE(run.err.contains(file.name() + u": The file is not UTF-8 text; it was read as "_s)) << qPrintable(run.err);
            const QStringList names = namesOf(file);
            const bool printed = std::all_of(names.cbegin(), names.cend(), [&](const QString &name) { return words.contains(name); });
            // A reading the letters did not decide names the others, each with its option; one of
            // them reads the names as written (by the toolkit's converter).
            QString rightOption;
            static const QRegularExpression named(u"--encoding ([^ .]+(\\.[0-9]+)?)"_s);
            for (QRegularExpressionMatchIterator it = named.globalMatch(run.err); it.hasNext();) {
                const QString name = it.next().captured(1);
                if (rightOption.isEmpty() && decodedIn(name, file.bytes).section(u'\n', 1) == file.text())
                    rightOption = name;
            }
            EXPECT_TRUE(printed || !rightOption.isEmpty()) << qPrintable(words.join(u' ') + u"\n"_s + run.err);
            (printed ? right : noted) += 1;
            if (!printed && !rightOption.isEmpty()) {
                // The option the note names prints the names as written, and nothing is said of
                // the encoding then.
                QStringList chosen;
                const ProgramRun again = print(file, {u"--encoding"_s, rightOption}, &chosen);
                ASSERT_EQ(again.status, 0) << qPrintable(again.err);
                for (const QString &name : names)
                    EXPECT_TRUE(chosen.contains(name)) << qPrintable(name + u" in: "_s + chosen.join(u' '));
                EXPECT_FALSE(again.err.contains(u"not UTF-8"_s)) << qPrintable(again.err);
            }
        }
    }
    std::cout << "batch: printed as written " << right << ", noted with the option " << noted << std::endl;
}

// The option takes the names of the encodings, whatever their case, and refuses any other with
// the names it takes; it belongs to a delimited file's persons.
TEST_F(BatchJobEightBitContactsTest, TheEncodingOptionTakesKnownNamesAndRefusesOthers)
{
    const NamesFile file = filesOfEachCodePage().front();
    ASSERT_TRUE(pwtest::writeFile(path(file.name()), file.bytes));
    const struct
    {
        QStringList arguments;
        int status;
        QString said;
    } cases[] = {
        {{u"--contacts"_s, path(file.name()), u"--encoding"_s, file.codePage.toUpper()}, 0, {}},
        {{u"--contacts"_s, path(file.name()), u"--encoding"_s, u"klingon"_s}, 2, u"--encoding needs one of"_s},
        {{u"--encoding"_s, file.codePage}, 2, u"--encoding belongs to --contacts"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(u' ')));
        const ProgramRun run = runProgram(QStringList{u"--print"_s, path(u"design.pwdc"_s), u"--output"_s, path(u"out.pdf"_s)}
                                          + c.arguments);
        EXPECT_EQ(run.status, c.status) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(c.said)) << qPrintable(run.err);
    }
}

} // namespace
