#pragma once

// Renderings apart under a test's own deadline, none of them known before or after the test;
// failures are kept for the test instead of being logged.

#include "platform/PWPictureRenderer.h"

#include <QByteArray>
#include <QCoreApplication>

#include <gtest/gtest.h>

namespace renderertest {

template <int DeadlineMs> class RendererFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PWPictureRenderer::forget();
        PWPictureRenderer::setDeadlineMs(DeadlineMs);
        PWPictureRenderer::collectFailures(true);
    }
    void TearDown() override
    {
        PWPictureRenderer::collectFailures(false);
        PWPictureRenderer::forget();
        PWPictureRenderer::setDeadlineMs(0);
        // The windows' renderings left told of themselves: heard here, not by the next test.
        QCoreApplication::sendPostedEvents();
    }
};

// A rendering of the picture's bytes at scale device pixels a point.
inline PWPictureRenderer::Request request(PWPictureRenderer::Kind kind, const QByteArray &data, double scale = 1.0)
{
    PWPictureRenderer::Request made;
    made.kind = kind;
    made.data = data;
    made.xScale = scale;
    made.yScale = scale;
    return made;
}

} // namespace renderertest
