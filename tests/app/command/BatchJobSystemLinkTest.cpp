// Outputs named through the links the system itself keeps (/proc/self/cwd, the process's working
// folder, whose link reports no size): the batch job writes where the link leads, as through the
// plain name.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct SystemLinkCase
{
    const char *name;
    const char *output;  // relative to the job's working folder
    bool exists;         // an older export stands there already
};

class BatchJobSystemLinkTest : public ::testing::TestWithParam<SystemLinkCase>
{
};

TEST_P(BatchJobSystemLinkTest, AnExportThroughTheWorkingFolderLinkLandsThere)
{
    const SystemLinkCase &c = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir(folder.path()).mkpath(u"sub"_s));
    QString error;
    ASSERT_TRUE(commandtest::writeBlankDesign(folder.filePath(u"design.pwdc"_s), &error)) << qPrintable(error);
    const QString written = folder.filePath(QString::fromLatin1(c.output));
    if (c.exists) {
        ASSERT_TRUE(pwtest::writeFile(written, "last week's export"));
    }

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.remove(u"QT_QPA_PLATFORM"_s);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.path());
    process.start(QStringLiteral(PW_PARCELWICK_BINARY),
                  {u"--export"_s, u"design.pwdc"_s, u"/proc/self/cwd/"_s + QString::fromLatin1(c.output)});
    ASSERT_TRUE(process.waitForFinished(240000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << qPrintable(err);
    EXPECT_TRUE(pwtest::readFile(written).startsWith("%PDF-")) << qPrintable(err);
    // Nothing else was made, here or where a cut link would have led.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList {u"design.pwdc"_s}
                                                                               + (QString::fromLatin1(c.output).contains(u'/')
                                                                                      ? QStringList()
                                                                                      : QStringList {QString::fromLatin1(c.output)}));
}

INSTANTIATE_TEST_SUITE_P(Outputs, BatchJobSystemLinkTest,
                         ::testing::Values(SystemLinkCase {"NewFile", "labels.pdf", false},
                                           SystemLinkCase {"ReplacedFile", "labels.pdf", true},
                                           SystemLinkCase {"InAFolderBelow", "sub/labels.pdf", false}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
