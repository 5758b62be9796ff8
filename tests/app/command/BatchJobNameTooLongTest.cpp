// An output named longer than a folder can hold a name: the export and the print refuse it with
// the system's own reason, and a name that just fits is written.
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

} // namespace
