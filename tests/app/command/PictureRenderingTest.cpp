// Designs whose pictures never finish rendering (PostScript that loops, a PDF image of ten billion
// pixels), run as a person runs the program: the batch export ends with placeholders and says
// why, and a window drawing such a picture still answers a later start.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

// A card holding the looping EPS and the vast PDF side by side, each 100 points square.
bool writeHostileDesign(const QString &path)
{
    CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
    const char *files[] = {"pictures/eps-endless-loop.eps", "pictures/pdf-vast-image.pdf"};
    double x = 10.0;
    for (const char *file : files) {
        std::shared_ptr<PWImage> image = PWImage::fromFile(pwtest::dataPath(QString::fromLatin1(file)));
        if (!image)
            return false;
        auto *picture = new CFTPicture(CDDPicture(image));
        picture->SetOrigin(x, 10.0);
        picture->SetSize(100.0, 100.0);
        document.ftDocument()->AddObject(picture, 0, false);
        x += 140.0;
    }
    return document.writeToFile(path);
}

// The environment variables that bound one rendering and the time a job may lose to renderings
// that fail, set for the programs this test starts. The job's bound is far beyond its pictures'
// deadlines: however slowly a busy machine renders, each picture has its whole deadline.
class RenderDeadline
{
public:
    explicit RenderDeadline(int milliseconds)
    {
        qputenv("PW_PICTURE_RENDER_DEADLINE_MS", QByteArray::number(milliseconds));
        qputenv("PW_PICTURE_JOB_BOUND_MS", "3600000");
    }
    ~RenderDeadline()
    {
        qunsetenv("PW_PICTURE_RENDER_DEADLINE_MS");
        qunsetenv("PW_PICTURE_JOB_BOUND_MS");
    }
};

struct PlaceholderJob
{
    const char *name;
    const char *option;
    bool outputOption;
};

class PlaceholderJobTest : public ::testing::TestWithParam<PlaceholderJob>
{
};

// The job writes its output with placeholders for the pictures, names each of them once and
// fails: a script learns that the pages are not what the design shows.
TEST_P(PlaceholderJobTest, WritesPlaceholdersNamesThemAndFails)
{
    const PlaceholderJob &job = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString design = folder.filePath(u"hostile.pwdc"_s);
    ASSERT_TRUE(writeHostileDesign(design));
    const QString out = folder.filePath(u"hostile.pdf"_s);
    const RenderDeadline deadline(1500);
    QStringList arguments = {QString::fromLatin1(job.option), design};
    if (job.outputOption)
        arguments.append(u"--output"_s);
    arguments.append(out);
    const commandtest::ProgramRun run = commandtest::runProgram(arguments);
    ASSERT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
    for (const QString &kind : {u"EPS"_s, u"PDF"_s}) {
        EXPECT_EQ(run.err.count(u"parcelwick: %1 picture"_s.arg(kind)), 1) << qPrintable(run.err);
        EXPECT_EQ(run.err.count(u"%1 picture"_s.arg(kind)), 1) << qPrintable(run.err);
    }
    EXPECT_EQ(run.err.count(u"drawn as a placeholder: reading it took more than 2 seconds of processor time"_s), 2)
        << qPrintable(run.err);
    EXPECT_TRUE(run.err.trimmed().endsWith(u"parcelwick: the job was done, but 2 pictures were drawn as placeholders"_s))
        << qPrintable(run.err);

    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(out);
    ASSERT_TRUE(pdf);
    ASSERT_GE(pdf->numPages(), 1);
    pdf->setPaperColor(Qt::white);
    const QImage page = pdf->page(0)->renderToImage(72.0, 72.0).convertToFormat(QImage::Format_RGB32);
    const QColor plate = PWPictureRenderer::placeholderColor();
    int platePixels = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor pixel = page.pixelColor(x, y);
            if (std::abs(pixel.red() - plate.red()) < 6 && std::abs(pixel.green() - plate.green()) < 6
                && std::abs(pixel.blue() - plate.blue()) < 6)
                ++platePixels;
        }
    // Two plates of 100 x 100 points, less their crosses and edges.
    EXPECT_GT(platePixels, 15000);
}

INSTANTIATE_TEST_SUITE_P(PictureRenderingTest, PlaceholderJobTest,
                         ::testing::Values(PlaceholderJob {"Export", "--export", false},
                                           PlaceholderJob {"Print", "--print", true}),
                         [](const auto &info) { return std::string(info.param.name); });

// Whether the process has a child rendering an EPS apart: its window began drawing the endless
// picture. (Other children, such as the one that reads a PDF's page size while the design opens,
// come and go before the window draws.)
bool rendersEpsApart(qint64 pid)
{
    for (const QString &entry : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(u"/proc/%1/status"_s.arg(entry));
        QFile command(u"/proc/%1/cmdline"_s.arg(entry));
        if (!status.open(QIODevice::ReadOnly) || !command.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> arguments = command.readAll().split('\0');
        if (status.readAll().contains("\nPPid:\t" + QByteArray::number(pid) + "\n") && arguments.size() > 2
            && arguments.at(1) == "--pw-isolated-child" && arguments.at(2) == "eps-raster")
            return true;
    }
    return false;
}

TEST(PictureRenderingTest, AWindowDrawingAnEndlessPictureAnswersALaterStart)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    for (const char *sub : {".config", ".local/share", ".cache", "runtime", "work"})
        QDir().mkpath(home.filePath(QString::fromLatin1(sub)));
    QFile::setPermissions(home.filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString design = home.filePath(u"work/hostile.pwdc"_s);
    ASSERT_TRUE(writeHostileDesign(design));
    CADocument plain;
    ASSERT_TRUE(plain.writeToFile(home.filePath(u"work/plain.pwdc"_s)));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"HOME"_s, home.path());
    environment.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u".config"_s));
    environment.insert(u"XDG_DATA_HOME"_s, home.filePath(u".local/share"_s));
    environment.insert(u"XDG_CACHE_HOME"_s, home.filePath(u".cache"_s));
    environment.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"runtime"_s));
    environment.insert(u"PW_PICTURE_RENDER_DEADLINE_MS"_s, u"120000"_s);
    environment.remove(u"PW_EXIT_WHEN_SHOWN"_s);
    environment.remove(u"PW_INSTANCE_SOCKET"_s);

    QProcess first;
    first.setProcessEnvironment(environment);
    first.setWorkingDirectory(home.filePath(u"work"_s));
    first.start(QStringLiteral(PW_PARCELWICK_BINARY), {design});
    ASSERT_TRUE(first.waitForStarted(-1));
    // The picture is being rendered: the window has drawn and asked for it. Waited for as long as
    // it takes (the first start ending instead fails the test), not for a time a busy machine
    // may pass.
    while (!rendersEpsApart(first.processId()) && first.state() == QProcess::Running)
        first.waitForFinished(20);
    ASSERT_TRUE(rendersEpsApart(first.processId())) << first.readAllStandardError().constData();

    QProcess later;
    later.setProcessEnvironment(environment);
    later.setWorkingDirectory(home.filePath(u"work"_s));
    later.start(QStringLiteral(PW_PARCELWICK_BINARY), {u"plain.pwdc"_s});
    // A start whose request the instance does not answer gives up by itself and fails; one that
    // is answered succeeds. Either way it ends.
    ASSERT_TRUE(later.waitForFinished(-1));
    EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(later.exitCode(), CACommandLine::kSuccess) << later.readAllStandardError().constData();
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(10000);
}

} // namespace
