// The batch command as a user runs it, given names that are no plain files: a pipe nobody writes to
// or a device as an input is refused at once with the reason, and a link another user put in a
// shared folder under the output's name is not followed.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using commandtest::ProgramRun;
using commandtest::runProgram;

// Far beyond a start of the program under the sanitizers, far below the suite's patience: a job
// held by a pipe fails here rather than hanging the suite.
constexpr int kBoundMs = 60000;

class BatchJobUntrustedPathTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        ASSERT_TRUE(commandtest::writeBlankDesign(path(u"d.pwdc"_s), &error)) << qPrintable(error);
        ASSERT_TRUE(pwtest::writeFile(path(u"c.csv"_s), "First name,Last name\nAda,Byron\n"));
    }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    QStringList filled(const QStringList &pattern) const
    {
        QStringList arguments;
        for (QString argument : pattern)
            arguments.append(argument.replace(u"%f"_s, m_folder.path()));
        return arguments;
    }

    QTemporaryDir m_folder;
};

struct InputCase
{
    const char *name;
    const char *pipe; // made as a pipe in the folder; none for a device named directly
    QStringList arguments;
    const char *what;
};

class BatchJobInputKindTest : public BatchJobUntrustedPathTest, public ::testing::WithParamInterface<InputCase>
{
};

TEST_P(BatchJobInputKindTest, APipeOrADeviceAsAnInputIsRefusedAtOnce)
{
    const InputCase &c = GetParam();
    if (c.pipe) {
        ASSERT_EQ(::mkfifo(QFile::encodeName(path(QString::fromLatin1(c.pipe))).constData(), 0600), 0);
    }
    const ProgramRun run = runProgram(filled(c.arguments), std::nullopt, kBoundMs);
    ASSERT_NE(run.status, -1) << "the job did not end";
    EXPECT_EQ(run.status, 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(QLatin1String(c.what))) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(u"not a regular file"_s)) << qPrintable(run.err);
    EXPECT_FALSE(QFile::exists(path(u"o.pdf"_s)));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BatchJobInputKindTest,
    ::testing::Values(
        InputCase {"PrintedDesignPipe", "p.pwdc", {u"--print"_s, u"%f/p.pwdc"_s, u"--output"_s, u"%f/o.pdf"_s}, "the design"},
        InputCase {"ExportedDesignPipe", "p.pwdc", {u"--export"_s, u"%f/p.pwdc"_s, u"%f/o.pdf"_s}, "the design"},
        InputCase {"DesignDevice", nullptr, {u"--export"_s, u"/dev/zero"_s, u"%f/o.pdf"_s}, "the design"},
        InputCase {"DelimitedContactsPipe", "p.csv",
                   {u"--print"_s, u"%f/d.pwdc"_s, u"--contacts"_s, u"%f/p.csv"_s, u"--output"_s, u"%f/o.pdf"_s},
                   "the contacts file"},
        InputCase {"DelimitedContactsPipeWithColumns", "p.txt",
                   {u"--print"_s, u"%f/d.pwdc"_s, u"--contacts"_s, u"%f/p.txt"_s, u"--column"_s, u"Name=lastname"_s,
                    u"--output"_s, u"%f/o.pdf"_s},
                   "the contacts file"},
        InputCase {"VCardContactsPipe", "p.vcf",
                   {u"--print"_s, u"%f/d.pwdc"_s, u"--contacts"_s, u"%f/p.vcf"_s, u"--output"_s, u"%f/o.pdf"_s},
                   "the contacts file"},
        InputCase {"ContactsDevice", nullptr,
                   {u"--print"_s, u"%f/d.pwdc"_s, u"--contacts"_s, u"/dev/zero"_s, u"--output"_s, u"%f/o.pdf"_s},
                   "the contacts file"}),
    [](const auto &info) { return std::string(info.param.name); });

struct LinkCase
{
    const char *name;
    QStringList arguments;
};

class BatchJobSharedLinkTest : public BatchJobUntrustedPathTest, public ::testing::WithParamInterface<LinkCase>
{
};

// In a shared folder (everyone may write, the sticky bit set) another user's link named like the
// output leads to the user's own design: the job refuses it, and the design stays as it was.
TEST_P(BatchJobSharedLinkTest, AnotherUsersLinkInASharedFolderIsNotFollowed)
{
    const QString shared = path(u"shared"_s);
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QByteArray mine = "<?xml version=\"1.0\"?><plist><dict/></plist> the user's other design";
    ASSERT_TRUE(pwtest::writeFile(path(u"mine.pwdc"_s), mine));
    const QByteArray link = QFile::encodeName(shared + u"/o.pdf"_s);
    ASSERT_EQ(::symlink(QFile::encodeName(path(u"mine.pwdc"_s)).constData(), link.constData()), 0);
    // Another user's link: as root the link is given away; an ordinary user's tests cannot.
    if (::lchown(link.constData(), ::geteuid() + 4242, ::getegid()) != 0)
        GTEST_SKIP() << "the link cannot be given to another user here";

    const ProgramRun run = runProgram(filled(GetParam().arguments), std::nullopt, kBoundMs);
    EXPECT_EQ(run.status, 1) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(u"is a link another user made in a shared folder"_s)) << qPrintable(run.err);
    EXPECT_EQ(pwtest::readFile(path(u"mine.pwdc"_s)), mine);
    EXPECT_TRUE(QFileInfo(QFile::decodeName(link)).isSymLink());
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, BatchJobSharedLinkTest,
    ::testing::Values(LinkCase {"Export", {u"--export"_s, u"%f/d.pwdc"_s, u"%f/shared/o.pdf"_s}},
                      LinkCase {"Print", {u"--print"_s, u"%f/d.pwdc"_s, u"--output"_s, u"%f/shared/o.pdf"_s}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
