// The batch command as a user runs it, against what would lose files or exhaust the machine: an
// output that is one of its inputs, counts no print job holds, and a disk with no room left.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

class BatchJobSafetyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeBlankDesign(path(u"design.pwdc"_s), &error)) << qPrintable(error);
        m_design = pwtest::readFile(path(u"design.pwdc"_s));
        ASSERT_FALSE(m_design.isEmpty());
    }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    QStringList arguments(const QStringList &pattern) const
    {
        QStringList filled;
        for (QString argument : pattern)
            filled.append(argument.replace(u"%f"_s, m_folder.path()));
        return filled;
    }

    QTemporaryDir m_folder;
    QByteArray m_design;
};

struct SameFileCase
{
    const char *name;
    // Makes the inputs in the folder; answers the file that must stay as it was.
    std::function<QString(const QString &folder, const QByteArray &design)> prepare;
    QStringList arguments;
    const char *reason;
};

class BatchJobSameFileTest : public BatchJobSafetyTest, public ::testing::WithParamInterface<SameFileCase>
{
};

TEST_P(BatchJobSameFileTest, AnOutputThatIsAnInputIsRefusedAndTheInputKept)
{
    const QString kept = GetParam().prepare(m_folder.path(), m_design);
    ASSERT_FALSE(kept.isEmpty());
    const QByteArray before = pwtest::readFile(kept);
    ASSERT_FALSE(before.isEmpty());
    const ProgramRun run = runProgram(arguments(GetParam().arguments));
    EXPECT_EQ(run.status, 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(QLatin1String(GetParam().reason))) << qPrintable(run.err);
    EXPECT_EQ(pwtest::readFile(kept), before);
}

QString copyDesign(const QString &folder, const QByteArray &design, const QString &name)
{
    return pwtest::writeFile(folder + u'/' + name, design) ? folder + u'/' + name : QString();
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, BatchJobSameFileTest,
    ::testing::Values(
        SameFileCase {"PrintOverItsDesign", [](const QString &f, const QByteArray &d) { return copyDesign(f, d, u"same.pdf"_s); },
                      {u"--print"_s, u"%f/same.pdf"_s, u"--output"_s, u"%f/same.pdf"_s}, "is the design"},
        SameFileCase {"ExportOverItsDesign", [](const QString &f, const QByteArray &d) { return copyDesign(f, d, u"d.pdf"_s); },
                      {u"--export"_s, u"%f/d.pdf"_s, u"%f/d.pdf"_s}, "is the design"},
        SameFileCase {"PrintOverItsContacts",
                      [](const QString &f, const QByteArray &) {
                          const QString list = f + u"/list.pdf"_s;
                          return pwtest::writeFile(list, "First name,Last name\nAda,Byron\n") ? list : QString();
                      },
                      {u"--print"_s, u"%f/design.pwdc"_s, u"--contacts"_s, u"%f/list.pdf"_s, u"--output"_s, u"%f/list.pdf"_s},
                      "is the contacts file"},
        SameFileCase {"PrintThroughASymbolicLink",
                      [](const QString &f, const QByteArray &) {
                          return QFile::link(f + u"/design.pwdc"_s, f + u"/link.pdf"_s) ? f + u"/design.pwdc"_s : QString();
                      },
                      {u"--print"_s, u"%f/design.pwdc"_s, u"--output"_s, u"%f/link.pdf"_s}, "is the design"},
        SameFileCase {"ExportThroughAHardLink",
                      [](const QString &f, const QByteArray &) {
                          const QByteArray from = QFile::encodeName(f + u"/design.pwdc"_s);
                          const QByteArray to = QFile::encodeName(f + u"/hard.pdf"_s);
                          return ::link(from.constData(), to.constData()) == 0 ? f + u"/design.pwdc"_s : QString();
                      },
                      {u"--export"_s, u"%f/design.pwdc"_s, u"%f/hard.pdf"_s}, "is the design"}),
    [](const auto &info) { return std::string(info.param.name); });

struct CountCase
{
    const char *name;
    QStringList arguments;
    const char *reason;
};

class BatchJobCountTest : public BatchJobSafetyTest, public ::testing::WithParamInterface<CountCase>
{
};

// Counts no print job can hold end with a reason before any page is made, never with an abort or
// an overflow to nothing printed.
TEST_P(BatchJobCountTest, CountsBeyondAPrintJobAreRefusedWithAReason)
{
    ASSERT_TRUE(pwtest::writeFile(path(u"two.csv"_s), "First name,Last name\nAda,Byron\nAlan,Turing\n"));
    const ProgramRun run = runProgram(arguments(GetParam().arguments));
    EXPECT_EQ(run.status, 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(QLatin1String(GetParam().reason))) << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(u"nothing to print"_s, Qt::CaseInsensitive)) << qPrintable(run.err);
    EXPECT_FALSE(QFileInfo::exists(path(u"out.pdf"_s)));
}

INSTANTIATE_TEST_SUITE_P(
    Counts, BatchJobCountTest,
    ::testing::Values(
        CountCase {"LargestCopiesForTwo",
                   {u"--print"_s, u"%f/design.pwdc"_s, u"--contacts"_s, u"%f/two.csv"_s, u"--copies"_s, u"1000000"_s,
                    u"--output"_s, u"%f/out.pdf"_s},
                   "one print job holds at most"},
        CountCase {"CopiesTimesPersonsOneTooMany",
                   {u"--print"_s, u"%f/design.pwdc"_s, u"--contacts"_s, u"%f/two.csv"_s, u"--copies"_s, u"500001"_s,
                    u"--output"_s, u"%f/out.pdf"_s},
                   "one print job holds at most"},
        CountCase {"StartPastTheSheet", {u"--print"_s, u"%f/design.pwdc"_s, u"--start"_s, u"2147483647"_s, u"--output"_s, u"%f/out.pdf"_s},
                   "past the last position of the sheet"}),
    [](const auto &info) { return std::string(info.param.name); });

struct NoRoomCase
{
    const char *name;
    QStringList arguments;
};

class BatchJobNoRoomTest : public BatchJobSafetyTest, public ::testing::WithParamInterface<NoRoomCase>
{
};

// With no room for the new file, the job fails and the old output stays whole.
TEST_P(BatchJobNoRoomTest, NoRoomFailsAndKeepsTheOldOutput)
{
    const QByteArray old = "%PDF-1.4 the labels printed last week";
    ASSERT_TRUE(pwtest::writeFile(path(u"out.pdf"_s), old));
    const ProgramRun run = runProgram(arguments(GetParam().arguments), rlim_t(old.size()));
    EXPECT_EQ(run.status, 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(u"cannot be written"_s)) << qPrintable(run.err);
    EXPECT_EQ(pwtest::readFile(path(u"out.pdf"_s)), old);
}

INSTANTIATE_TEST_SUITE_P(Jobs, BatchJobNoRoomTest,
                         ::testing::Values(NoRoomCase {"Export", {u"--export"_s, u"%f/design.pwdc"_s, u"%f/out.pdf"_s}},
                                           NoRoomCase {"Print", {u"--print"_s, u"%f/design.pwdc"_s, u"--output"_s, u"%f/out.pdf"_s}}),
                         [](const auto &info) { return std::string(info.param.name); });

class BatchJobFullDiskTest : public BatchJobSafetyTest, public ::testing::WithParamInterface<NoRoomCase>
{
};

// The disk itself full: a small file system of its own, mounted in a mount namespace of the job's
// own where the system allows it, the job's files in it and the rest of it filled.
TEST_P(BatchJobFullDiskTest, AFullDiskFailsAndKeepsTheOldOutput)
{
    const QString disk = path(u"disk"_s);
    ASSERT_TRUE(QDir().mkpath(disk));
    const QByteArray old = "%PDF-1.4 the labels printed last week";
    const QString script = uR"(mount -t tmpfs -o size=256k tmpfs "$1" 2>/dev/null || exit 77
cp "$2" "$1/design.pwdc" && printf '%s' "$3" > "$1/out.pdf" || exit 78
head -c 1000000 /dev/zero > "$1/filler" 2>/dev/null
shift 4
"$@" 2>"$OLDPWD/err"
status=$?
cat "$DISK/out.pdf" > "$OLDPWD/after"
exit $status)"_s;
    QStringList job = arguments(GetParam().arguments);
    job.replaceInStrings(u"%d"_s, disk);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    environment.insert(u"OLDPWD"_s, m_folder.path());
    environment.insert(u"DISK"_s, disk);
    process.setProcessEnvironment(environment);
    process.start(u"unshare"_s, QStringList {u"-m"_s, u"--propagation"_s, u"private"_s, u"sh"_s, u"-c"_s, script, u"sh"_s, disk,
                                              path(u"design.pwdc"_s), QString::fromLatin1(old), u"--"_s,
                                              QStringLiteral(PW_PARCELWICK_BINARY)}
                                     + job);
    ASSERT_TRUE(process.waitForFinished(240000));
    const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (status == 77 || (status == 1 && !QFileInfo::exists(path(u"err"_s))))
        GTEST_SKIP() << "no file system can be mounted here";
    const QString err = QString::fromUtf8(pwtest::readFile(path(u"err"_s)));
    EXPECT_EQ(status, 1) << qPrintable(err);
    EXPECT_TRUE(err.contains(u"the disk is full"_s)) << qPrintable(err);
    EXPECT_EQ(pwtest::readFile(path(u"after"_s)), old);
}

INSTANTIATE_TEST_SUITE_P(Jobs, BatchJobFullDiskTest,
                         ::testing::Values(NoRoomCase {"Export", {u"--export"_s, u"%d/design.pwdc"_s, u"%d/out.pdf"_s}},
                                           NoRoomCase {"Print", {u"--print"_s, u"%d/design.pwdc"_s, u"--output"_s, u"%d/out.pdf"_s}}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
