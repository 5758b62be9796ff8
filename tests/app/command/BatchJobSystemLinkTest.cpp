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

// The working folder's link reports no size, so its text is read into a buffer that doubles from
// 64 bytes until the text leaves room in it. Working folders of lengths about each such buffer,
// each with its last folder one letter long: a text cut at the buffer's end would name the folder
// above, and the export would land there. The lengths are those about the first four buffers that
// the temporary folder's own path leaves room for, so that a deep TMPDIR moves the test up the
// doubling rather than failing it (the output's whole path stays within the system's 4095 bytes).
TEST(BatchJobSystemLinkTest, AWorkingFolderOfAnyLengthAboutTheLinkBufferIsWhereTheExportLands)
{
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    QString error;
    ASSERT_TRUE(commandtest::writeBlankDesign(base.filePath(u"design.pwdc"_s), &error)) << qPrintable(error);
    const qsizetype baseLength = QFile::encodeName(base.path()).size();
    QList<qsizetype> lengths;
    int buffers = 0;
    for (qsizetype buffer = 64; buffer <= 2048 && buffers < 4; buffer *= 2) {
        // base + "/" + at least one letter of filler + "/x"
        if (buffer - 1 < baseLength + 4)
            continue;
        ++buffers;
        lengths.append({buffer - 1, buffer, buffer + 1});
    }
    ASSERT_GE(buffers, 3) << "the temporary folder's path is longer than 500 bytes: " << qPrintable(base.path());
    for (const qsizetype length : std::as_const(lengths)) {
        SCOPED_TRACE(length);
        // base/<filler>/x, the filler taking what the length leaves, in parts a name may hold.
        QString filler(length - baseLength - 3, u'f');
        for (qsizetype at = 200; at < filler.size() - 1; at += 200)
            filler[at] = u'/';
        const QString above = base.filePath(filler);
        const QString working = above + u"/x"_s;
        ASSERT_EQ(QFile::encodeName(working).size(), length);
        ASSERT_TRUE(QDir().mkpath(working));

        QProcess process;
        process.setWorkingDirectory(working);
        process.start(QStringLiteral(PW_PARCELWICK_BINARY),
                      {u"--export"_s, base.filePath(u"design.pwdc"_s), u"/proc/self/cwd/labels.pdf"_s});
        ASSERT_TRUE(process.waitForFinished(240000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 0) << qPrintable(err);
        EXPECT_TRUE(pwtest::readFile(working + u"/labels.pdf"_s).startsWith("%PDF-")) << qPrintable(err);
        EXPECT_EQ(QDir(above).entryList(QDir::Files | QDir::Hidden), QStringList());
        ASSERT_TRUE(QDir(base.filePath(filler.section(u'/', 0, 0))).removeRecursively());
    }
}

} // namespace
