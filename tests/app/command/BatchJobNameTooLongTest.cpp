// An output named longer than a folder can hold a name: the export and the print refuse it with
// the system's own reason, and a name that just fits is written. A design or contacts file named
// by a path longer than the system takes is not called missing.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(BatchJobNameTooLongTest, AnOutputNameTooLongIsRefusedForThatReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString design = folder.filePath(u"design.pwdc"_s);
    QString error;
    ASSERT_TRUE(commandtest::writeBlankDesign(design, &error)) << qPrintable(error);
    const struct
    {
        const char *name;
        bool print; // --print, else --export
        qsizetype nameBytes;
        bool written;
    } cases[] = {
        {"an export named in 255 bytes", false, 255, true},
        {"an export named in 256 bytes", false, 256, false},
        {"a print named in 255 bytes", true, 255, true},
        {"a print named in 256 bytes", true, 256, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = folder.filePath(QString(c.nameBytes - 4, u'o') + u".pdf"_s);
        const QStringList arguments =
            c.print ? QStringList{u"--print"_s, design, u"--output"_s, out} : QStringList{u"--export"_s, design, out};
        const commandtest::ProgramRun run = commandtest::runProgram(arguments);
        if (c.written) {
            EXPECT_EQ(run.status, CACommandLine::kSuccess) << qPrintable(run.err);
            EXPECT_TRUE(pwtest::readFile(out).startsWith("%PDF-")) << qPrintable(run.err);
            QFile::remove(out);
        } else {
            EXPECT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
            EXPECT_TRUE(run.err.contains(u"File name too long"_s)) << qPrintable(run.err);
            EXPECT_FALSE(run.err.contains(u"changed by someone else"_s)) << qPrintable(run.err);
        }
        // Nothing is left behind, a part file of the save neither.
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"design.pwdc"_s});
    }
}

TEST(BatchJobNameTooLongTest, AnInputPathPastTheSystemsLengthIsToldAsSuchNotAsMissing)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString design = folder.filePath(u"design.pwdc"_s);
    QString error;
    ASSERT_TRUE(commandtest::writeBlankDesign(design, &error)) << qPrintable(error);
    // Past the 4,096 bytes of a path, through folders that do not need to exist.
    const QString tooLong = folder.path() + (u"/"_s + QString(200, u'd')).repeated(21) + u"/x"_s;
    const QString absent = folder.filePath(u"absent.pwdc"_s);
    const struct
    {
        const char *name;
        QStringList arguments;
        QString told;
    } cases[] = {
        {"a design past the length", {u"--export"_s, tooLong + u".pwdc"_s, folder.filePath(u"out.pdf"_s)},
         u"the design cannot be reached (File name too long)"_s},
        {"contacts past the length", {u"--print"_s, design, u"--contacts"_s, tooLong + u".csv"_s, u"--output"_s, folder.filePath(u"out.pdf"_s)},
         u"the contacts file cannot be reached (File name too long)"_s},
        {"an output folder past the length", {u"--export"_s, design, tooLong + u".pdf"_s},
         u"the output folder cannot be reached (File name too long)"_s},
        {"a design that is not there", {u"--export"_s, absent, folder.filePath(u"out.pdf"_s)},
         u"the design does not exist: "_s + absent},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const commandtest::ProgramRun run = commandtest::runProgram(c.arguments);
        EXPECT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(c.told)) << qPrintable(run.err);
        EXPECT_FALSE(QFile::exists(folder.filePath(u"out.pdf"_s)));
    }
}

} // namespace
