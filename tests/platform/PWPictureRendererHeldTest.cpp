// Renderings held back from starting, as a loaded machine holds them: a job does not wait past its
// bound for a window's rendering of its picture, and a rendering stopped by the clock is tried
// again by a later drawing instead of staying a placeholder for the session.
#include "RendererTestSupport.h"
#include "TestSupport.h"

#include "platform/PWIsolatedCall.h"
#include "platform/PWJobReport.h"
#include "platform/PWPictureRenderer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// While one lives, every child started to render waits, without working, until release(): it
// first says it started, through a pipe that started() reads.
class HeldChildren
{
public:
    HeldChildren()
    {
        m_started = m_folder.filePath(QStringLiteral("started"));
        m_gate = m_folder.filePath(QStringLiteral("gate"));
        EXPECT_EQ(mkfifo(QFile::encodeName(m_started).constData(), 0600), 0);
        const QString script = m_folder.filePath(QStringLiteral("held"));
        QFile file(script);
        const QByteArray text = "#!/bin/sh\necho started > '" + QFile::encodeName(m_started) + "'\n"
                                "while [ ! -e '" + QFile::encodeName(m_gate) + "' ]; do sleep 0.02; done\n"
                                "exec '" + QFile::encodeName(QCoreApplication::applicationFilePath()) + "' \"$@\"\n";
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        PWIsolatedCall::setProgram(script);
    }
    ~HeldChildren() { release(); }
    HeldChildren(const HeldChildren &) = delete;
    HeldChildren &operator=(const HeldChildren &) = delete;

    // Returns once a held child has started.
    void started()
    {
        const int pipe = ::open(QFile::encodeName(m_started).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(pipe, 0);
        char said[16];
        EXPECT_GT(::read(pipe, said, sizeof said), 0);
        ::close(pipe);
    }
    // Lets the held children go on; later children are not held.
    void release()
    {
        PWIsolatedCall::setProgram(QString());
        QFile(m_gate).open(QIODevice::WriteOnly);
    }

private:
    QTemporaryDir m_folder;
    QString m_started;
    QString m_gate;
};

class PWPictureRendererHeldTest : public renderertest::RendererFixture<1000>
{
};

// A window's rendering of the picture is under way and held; a job that needs the same picture,
// with a fifth of a second for pictures (PW_PICTURE_JOB_BOUND_MS), gives it up when that is spent
// and names it as a placeholder, instead of waiting for the window's rendering to end. The
// window's rendering, let go, still gives the raster.
TEST_F(PWPictureRendererHeldTest, AJobWaitsForAnotherRenderingOnlyWithinItsBound)
{
    const PWPictureRenderer::Request pdf = renderertest::request(PWPictureRenderer::Kind::PDF, pwtest::blackPdf());
    HeldChildren held;
    {
        const PWPictureRenderer::Deferred window;
        EXPECT_EQ(PWPictureRenderer::raster(pdf).state, PWPictureRenderer::State::Pending);
    }
    held.started();

    qputenv("PW_PICTURE_JOB_BOUND_MS", "200");
    {
        const PWJobReport job;
        qunsetenv("PW_PICTURE_JOB_BOUND_MS");
        const PWPictureRenderer::Raster printed = PWPictureRenderer::raster(pdf);
        EXPECT_EQ(printed.state, PWPictureRenderer::State::Failed);
        EXPECT_TRUE(printed.reason.contains(QStringLiteral("spent its time waiting for another drawing of it")))
            << qPrintable(printed.reason);
        const QStringList lines = job.lines(PWJobReport::Kind::Placeholder);
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines.first().startsWith(QStringLiteral("PDF picture of"))) << qPrintable(lines.first());
        EXPECT_EQ(PWJobReport::pictureTimeLeftMs(), 0);
    }

    held.release();
    PWPictureRenderer::waitForBackground();
    const PWPictureRenderer::Raster later = PWPictureRenderer::raster(pdf);
    ASSERT_EQ(later.state, PWPictureRenderer::State::Ready) << qPrintable(later.reason);
    EXPECT_EQ(later.image.pixelColor(15, 15), QColor(Qt::black));
}

// A rendering held past its deadline is stopped by the clock: that says nothing of the picture, so
// the next drawing renders it again, and draws it.
TEST_F(PWPictureRendererHeldTest, APictureStoppedByTheClockIsRenderedByALaterDrawing)
{
    const struct
    {
        const char *name;
        PWPictureRenderer::Kind kind;
        QByteArray data;
    } pictures[] = {
        {"PDF", PWPictureRenderer::Kind::PDF, pwtest::blackPdf()},
        {"EPS", PWPictureRenderer::Kind::EPS,
         "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 30 30\n0 0 0 setrgbcolor\n0 0 30 30 rectfill\nshowpage\n"},
    };
    for (const auto &picture : pictures) {
        SCOPED_TRACE(picture.name);
        const PWPictureRenderer::Request wanted = renderertest::request(picture.kind, picture.data);
        PWPictureRenderer::Raster first;
        PWPictureRenderer::setDeadlineMs(1000);
        {
            const HeldChildren held;
            first = PWPictureRenderer::raster(wanted);
        }
        EXPECT_EQ(first.state, PWPictureRenderer::State::Failed);
        EXPECT_TRUE(first.reason.contains(QStringLiteral("did not end within"))) << qPrintable(first.reason);
        // The later drawing is not held: it is given all the time a loaded machine may take to start
        // a sanitized child, so that only the earlier failure could make it a placeholder.
        PWPictureRenderer::setDeadlineMs(120000);
        const PWPictureRenderer::Raster second = PWPictureRenderer::raster(wanted);
        ASSERT_EQ(second.state, PWPictureRenderer::State::Ready) << qPrintable(second.reason);
        EXPECT_EQ(second.image.pixelColor(15, 15), QColor(Qt::black));
    }
}

} // namespace
