// Failures of the moment are tried again, a bounded number of times whatever the size drawn: a child
// that could not start, or one the system killed, says nothing of the picture itself.
#include "RendererTestSupport.h"
#include "TestSupport.h"

#include "platform/PWIsolatedCall.h"
#include "platform/PWPictureRenderer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QByteArray kRetryBlackEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 30 30\n0 0 0 setrgbcolor\n"
                                  "0 0 30 30 rectfill\nshowpage\n";

// Children are started from a script written for the test; the program itself again on leaving.
class RetryChildProgram
{
public:
    explicit RetryChildProgram(const QByteArray &scriptBody)
    {
        const QString script = m_folder.filePath(QStringLiteral("child"));
        QFile file(script);
        const QByteArray text = "#!/bin/sh\n" + scriptBody;
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        PWIsolatedCall::setProgram(script);
    }
    // A program that does not exist: no child can be started.
    RetryChildProgram() { PWIsolatedCall::setProgram(m_folder.filePath(QStringLiteral("missing"))); }
    ~RetryChildProgram() { PWIsolatedCall::setProgram(QString()); }
    RetryChildProgram(const RetryChildProgram &) = delete;
    RetryChildProgram &operator=(const RetryChildProgram &) = delete;

private:
    QTemporaryDir m_folder;
};

class PWPictureRendererRetryTest : public renderertest::RendererFixture<1500>
{
};

// No child can be started: each drawing that waits tries again, three times in all, at whatever
// size it draws; then the picture rests, also for a window's drawing at a size not tried yet.
TEST_F(PWPictureRendererRetryTest, APictureFailingForTheMomentIsTriedThreeTimesAtAnySize)
{
    const struct
    {
        const char *name;
        std::vector<double> scales;
    } runs[] = {
        {"one size", {1.0, 1.0, 1.0, 1.0, 1.0}},
        {"growing", {1.0, 2.0, 3.0, 4.0, 5.0}},
        {"shrinking", {4.0, 2.0, 1.0, 0.5, 0.25}},
        {"mixed", {2.0, 1.0, 3.0, 1.0, 6.0}},
    };
    // Made once: a PDF states when it was made, and another second would be another picture.
    const QByteArray pdf = pwtest::blackPdf();
    for (const auto &run : runs) {
        SCOPED_TRACE(run.name);
        PWPictureRenderer::forget();
        const RetryChildProgram noChild;
        const int before = PWPictureRenderer::renderCount();
        for (size_t i = 0; i < run.scales.size(); ++i) {
            SCOPED_TRACE(i);
            const PWPictureRenderer::Raster raster =
                PWPictureRenderer::raster(renderertest::request(PWPictureRenderer::Kind::PDF, pdf, run.scales[i]));
            EXPECT_EQ(raster.state, PWPictureRenderer::State::Failed) << qPrintable(raster.reason);
            EXPECT_EQ(PWPictureRenderer::renderCount() - before, std::min<int>(int(i) + 1, 3)) << qPrintable(raster.reason);
        }
        const PWPictureRenderer::Deferred window;
        const PWPictureRenderer::Raster painted =
            PWPictureRenderer::raster(renderertest::request(PWPictureRenderer::Kind::PDF, pdf, 9.0));
        EXPECT_EQ(painted.state, PWPictureRenderer::State::Failed);
        EXPECT_EQ(PWPictureRenderer::renderCount() - before, 3);
    }
}

// A child killed from outside (as the system kills one when memory runs short) failed for the
// moment: the next drawing renders the picture again, and draws it.
TEST_F(PWPictureRendererRetryTest, AChildKilledFromOutsideIsRenderedAgain)
{
    const struct
    {
        const char *name;
        PWPictureRenderer::Kind kind;
        QByteArray data;
    } pictures[] = {
        {"PDF", PWPictureRenderer::Kind::PDF, pwtest::blackPdf()},
        {"EPS", PWPictureRenderer::Kind::EPS, kRetryBlackEps},
    };
    for (const auto &picture : pictures) {
        SCOPED_TRACE(picture.name);
        const PWPictureRenderer::Request wanted = renderertest::request(picture.kind, picture.data, 1.0);
        PWPictureRenderer::Raster first;
        {
            const RetryChildProgram killed("kill -KILL $$\n");
            first = PWPictureRenderer::raster(wanted);
        }
        EXPECT_EQ(first.state, PWPictureRenderer::State::Failed);
        EXPECT_TRUE(first.reason.contains(QStringLiteral("killed from outside"))) << qPrintable(first.reason);
        const PWPictureRenderer::Raster second = PWPictureRenderer::raster(wanted);
        ASSERT_EQ(second.state, PWPictureRenderer::State::Ready) << qPrintable(second.reason);
        EXPECT_EQ(second.image.pixelColor(15, 15), QColor(Qt::black));
    }
}

} // namespace
