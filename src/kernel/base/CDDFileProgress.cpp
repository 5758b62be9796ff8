#include "kernel/base/CDDFileProgress.h"

namespace {
thread_local CDDFileProgress *t_current = nullptr;
}

CDDFileProgress::Scope::Scope(CDDFileProgress &progress)
    : m_previous(t_current)
{
    t_current = &progress;
}

CDDFileProgress::Scope::~Scope()
{
    t_current = m_previous;
}

CDDFileProgress *CDDFileProgress::current()
{
    return t_current;
}

void CDDFileProgress::step()
{
    CDDFileProgress *progress = t_current;
    if (!progress)
        return;
    if (progress->isStopRequested())
        throw Stopped();
    progress->m_done.fetch_add(1, std::memory_order_relaxed);
    progress->serve();
}

void CDDFileProgress::checkpoint()
{
    CDDFileProgress *progress = t_current;
    if (!progress)
        return;
    if (progress->isStopRequested())
        throw Stopped();
    progress->serve();
}

void CDDFileProgress::serve()
{
    if (m_onStep)
        m_onStep();
    // The callback may have heard the stop.
    if (isStopRequested())
        throw Stopped();
}
