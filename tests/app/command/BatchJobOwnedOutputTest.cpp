// The batch command against outputs the user owns and did not mean to have replaced: a file made
// read-only, and a pipe.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Job
{
    const char *name;
    QStringList arguments; // %f the test's folder
};

struct JobRun
{
    int status = -1;
    QString err;
};

class BatchJobOwnedOutputTest : public ::testing::TestWithParam<Job>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeBlankDesign(path(u"d.pwdc"_s), &error)) << qPrintable(error);
        ASSERT_EQ(::chmod(QFile::encodeName(m_folder.path()).constData(), 0777), 0);
    }
    QString path(const QString &name) const { return m_folder.filePath(name); }

    // The program as an ordinary user: as root, through setpriv as nobody, with a home of its own
    // in the test's folder.
    JobRun run() const
    {
        QStringList arguments;
        for (QString argument : GetParam().arguments)
            arguments.append(argument.replace(u"%f"_s, m_folder.path()));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.remove(u"QT_QPA_PLATFORM"_s);
        environment.insert(u"HOME"_s, path(u"home"_s));
        environment.insert(u"XDG_CONFIG_HOME"_s, path(u"home/.config"_s));
        environment.insert(u"XDG_DATA_HOME"_s, path(u"home/.local/share"_s));
        environment.insert(u"XDG_CACHE_HOME"_s, path(u"home/.cache"_s));
        process.setProcessEnvironment(environment);
        if (::geteuid() == 0)
            process.start(u"setpriv"_s, QStringList {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                                     QStringLiteral(PW_PARCELWICK_BINARY)}
                                            + arguments);
        else
            process.start(QStringLiteral(PW_PARCELWICK_BINARY), arguments);
        JobRun result;
        if (!process.waitForFinished(240000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QTemporaryDir m_folder;
};

// An output the user made read-only stays as it was, with the reason.
TEST_P(BatchJobOwnedOutputTest, AReadOnlyOutputIsRefused)
{
    const QByteArray old = "%PDF-1.4 the user's own";
    ASSERT_TRUE(pwtest::writeFile(path(u"out.pdf"_s), old));
    ASSERT_EQ(::chmod(QFile::encodeName(path(u"out.pdf"_s)).constData(), 0444), 0);
    const JobRun result = run();
    EXPECT_EQ(result.status, 1) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains(u"Existing file "_s + path(u"out.pdf"_s) + u" is not writable"_s)) << qPrintable(result.err);
    EXPECT_EQ(pwtest::readFile(path(u"out.pdf"_s)), old);
}

// A pipe given as the output is no file to replace, for root too.
TEST_P(BatchJobOwnedOutputTest, APipeAsTheOutputIsRefused)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(u"out.pdf"_s)).constData(), 0666), 0);
    const JobRun result = run();
    EXPECT_EQ(result.status, 1) << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains(path(u"out.pdf"_s) + u" is not a regular file"_s)) << qPrintable(result.err);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path(u"out.pdf"_s)).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

INSTANTIATE_TEST_SUITE_P(Jobs, BatchJobOwnedOutputTest,
                         ::testing::Values(Job {"Export", {u"--export"_s, u"%f/d.pwdc"_s, u"%f/out.pdf"_s}},
                                           Job {"Print", {u"--print"_s, u"%f/d.pwdc"_s, u"--output"_s, u"%f/out.pdf"_s}}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
