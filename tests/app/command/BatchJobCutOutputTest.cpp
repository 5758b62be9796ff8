// Batch jobs whose output runs out of room in the middle of its stream, as a user meets them: the
// file-size limit of the shell (ulimit -f) and a small disk that fills. The job fails with the
// reason, and the output the user had stays as it was, byte for byte.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// The room the output meets: the file-size limit, or a small disk of its own.
enum class Room { FileSizeLimit, SmallDisk };

struct CutCase
{
    const char *name;
    QStringList arguments; // %d is the folder of the output, %f that of the design
    Room room;
    int kilobytes; // ulimit -f, or the size of the disk
    const char *reason;
};

// A design of one label holding a text of five thousand lines: its printed sheet and its export
// are larger than their rooms.
bool writeLongTextDesign(const QString &path, QString *error)
{
    if (!commandtest::writeBlankDesign(path, error))
        return false;
    CADocument document;
    if (!document.readFromFile(path, error))
        return false;
    QTextCharFormat plain;
    PWFont(u"Helvetica"_s, 10.0).applyTo(&plain);
    PWAttributedString text;
    for (int line = 0; line < 5000; ++line)
        text.append(u"Line %1 of the text\n"_s.arg(line), plain, QTextBlockFormat());
    auto *component = new CFTAText(10.0, 10.0, 160.0, 60.0, nullptr);
    component->GetText()->setAttributedString(text);
    document.ftDocument()->AddObject(component, 0, false);
    return document.writeToFile(path, error);
}

class BatchJobCutOutputTest : public ::testing::TestWithParam<CutCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(writeLongTextDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
    }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    QStringList arguments(const QString &outputFolder) const
    {
        QStringList filled = GetParam().arguments;
        filled.replaceInStrings(u"%f"_s, m_folder.path());
        filled.replaceInStrings(u"%d"_s, outputFolder);
        return filled;
    }

    QTemporaryDir m_folder;
};

// The job on a tmpfs of its own, mounted in a mount namespace of the job's own; nothing when no
// file system can be mounted here (not root, or no mount namespaces).
std::optional<ProgramRun> runOnSmallDisk(int kilobytes, const QString &disk, const QString &scratch,
                                         const QByteArray &old, const QStringList &arguments)
{
    const QString script = uR"(mount -t tmpfs -o size=%1k tmpfs "$1" 2>/dev/null || exit 77
cat "$2" > "$1/old.pdf" || exit 78
shift 2
"$@" 2>"$SCRATCH/err"
status=$?
cat "$DISK/old.pdf" > "$SCRATCH/after"
exit $status)"_s.arg(kilobytes);
    if (!pwtest::writeFile(scratch + u"/old"_s, old))
        return std::nullopt;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    environment.insert(u"SCRATCH"_s, scratch);
    environment.insert(u"DISK"_s, disk);
    process.setProcessEnvironment(environment);
    process.start(u"unshare"_s, QStringList {u"-m"_s, u"--propagation"_s, u"private"_s, u"sh"_s, u"-c"_s, script, u"sh"_s,
                                              disk, scratch + u"/old"_s, QStringLiteral(PW_PARCELWICK_BINARY)}
                                     + arguments);
    if (!process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
        return ProgramRun {};
    }
    const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (status == 77 || !QFileInfo::exists(scratch + u"/err"_s))
        return std::nullopt;
    ProgramRun run;
    run.status = status;
    run.err = QString::fromUtf8(pwtest::readFile(scratch + u"/err"_s));
    return run;
}

TEST_P(BatchJobCutOutputTest, ACutStreamFailsWithItsReasonAndKeepsTheOldFile)
{
    const CutCase &c = GetParam();
    // A PDF of a job of last week.
    QByteArray old = "%PDF-1.4\n% the labels printed last week\n";
    old += QByteArray(6000, 'w') + "\n%%EOF\n";

    // Whole, the output is larger than the room: the cut falls in the middle of the stream.
    const ProgramRun whole = runProgram(arguments(m_folder.path()).replaceInStrings(u"old.pdf"_s, u"whole.pdf"_s));
    // Written whole; printed, the text of five thousand lines runs past its label, which fails the
    // job after its output.
    const bool printed = c.arguments.front() == u"--print"_s;
    ASSERT_EQ(whole.status, printed ? 1 : 0) << qPrintable(whole.err);
    ASSERT_EQ(whole.err.contains(u"runs past the edge of its label"_s), printed) << qPrintable(whole.err);
    ASSERT_GT(QFileInfo(path(u"whole.pdf"_s)).size(), qint64(c.kilobytes) * 1024 + 4096);

    ProgramRun run;
    QByteArray after;
    if (c.room == Room::FileSizeLimit) {
        ASSERT_TRUE(pwtest::writeFile(path(u"old.pdf"_s), old));
        run = runProgram(arguments(m_folder.path()), rlim_t(c.kilobytes) * 1024);
        after = pwtest::readFile(path(u"old.pdf"_s));
    } else {
        if (::geteuid() != 0)
            GTEST_SKIP() << "a file system of its own is mounted only as root";
        const QString disk = path(u"disk"_s);
        ASSERT_TRUE(QDir().mkpath(disk));
        const std::optional<ProgramRun> onDisk = runOnSmallDisk(c.kilobytes, disk, m_folder.path(), old, arguments(disk));
        if (!onDisk)
            GTEST_SKIP() << "no file system can be mounted here";
        run = *onDisk;
        after = pwtest::readFile(path(u"after"_s));
    }
    EXPECT_EQ(run.status, 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(u"old.pdf cannot be written: "_s + QLatin1String(c.reason))) << qPrintable(run.err);
    EXPECT_EQ(after, old);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, BatchJobCutOutputTest,
    ::testing::Values(CutCase {"PrintUnderTheFileSizeLimit",
                               {u"--print"_s, u"%f/design.pwdc"_s, u"--output"_s, u"%d/old.pdf"_s},
                               Room::FileSizeLimit,
                               100,
                               "the file is larger than this system allows"},
                      CutCase {"ExportUnderTheFileSizeLimit",
                               {u"--export"_s, u"%f/design.pwdc"_s, u"%d/old.pdf"_s},
                               Room::FileSizeLimit,
                               24,
                               "the file is larger than this system allows"},
                      CutCase {"PrintOnASmallDisk",
                               {u"--print"_s, u"%f/design.pwdc"_s, u"--output"_s, u"%d/old.pdf"_s},
                               Room::SmallDisk,
                               128,
                               "the disk is full"},
                      CutCase {"ExportOnASmallDisk",
                               {u"--export"_s, u"%f/design.pwdc"_s, u"%d/old.pdf"_s},
                               Room::SmallDisk,
                               32,
                               "the disk is full"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
