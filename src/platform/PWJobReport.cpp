#include "platform/PWJobReport.h"

#include "platform/PWPictureRenderer.h"

#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

struct PWJobReport::State
{
    QThread *thread = nullptr;
    qint64 lostLeftMs = 0;
    WaitHook hook;
    bool cancelled = false;
    QHash<Kind, QStringList> lines;
    QSet<std::pair<int, QString>> keys;
};

namespace {

struct Registry
{
    std::mutex mutex;
    std::vector<PWJobReport::State *> open; // in the order they were made
};

Registry &registry()
{
    static Registry *instance = new Registry;
    return *instance;
}

// The report a drawing on this thread works for; called with the lock held.
PWJobReport::State *currentLocked(Registry &r)
{
    for (auto it = r.open.rbegin(); it != r.open.rend(); ++it)
        if ((*it)->thread == QThread::currentThread())
            return *it;
    return r.open.empty() ? nullptr : r.open.back();
}

qint64 defaultLostMs()
{
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("PW_PICTURE_JOB_BOUND_MS", &ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : qint64(3) * PWPictureRenderer::deadlineMs();
}

} // namespace

PWJobReport::PWJobReport(int lostPictureMs)
    : m_state(new State)
{
    m_state->thread = QThread::currentThread();
    m_state->lostLeftMs = lostPictureMs > 0 ? lostPictureMs : defaultLostMs();
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    r.open.push_back(m_state);
}

PWJobReport::~PWJobReport()
{
    {
        Registry &r = registry();
        std::lock_guard lock(r.mutex);
        r.open.erase(std::remove(r.open.begin(), r.open.end(), m_state), r.open.end());
    }
    delete m_state;
}

void PWJobReport::note(Kind kind, const QString &key, const QString &line)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    for (State *state : r.open) {
        if (state->keys.contains({int(kind), key}))
            continue;
        state->keys.insert({int(kind), key});
        state->lines[kind].append(line);
    }
}

bool PWJobReport::anyOpen()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return !r.open.empty();
}

QStringList PWJobReport::lines(Kind kind) const
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return m_state->lines.value(kind);
}

bool PWJobReport::isEmpty() const
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return m_state->keys.isEmpty();
}

void PWJobReport::setWaitHook(WaitHook hook)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    m_state->hook = std::move(hook);
}

bool PWJobReport::isCancelled() const
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    return m_state->cancelled;
}

bool PWJobReport::waitsWithHook()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const State *state = currentLocked(r);
    return state && state->hook && state->thread == QThread::currentThread();
}

bool PWJobReport::keepWaiting()
{
    Registry &r = registry();
    WaitHook hook;
    {
        std::lock_guard lock(r.mutex);
        State *state = currentLocked(r);
        if (!state)
            return true;
        if (state->cancelled)
            return false;
        if (state->thread != QThread::currentThread() || !state->hook)
            return true;
        hook = state->hook;
    }
    // Called unlocked: the hook may run events whose drawings note things.
    const bool keep = hook();
    std::lock_guard lock(r.mutex);
    if (State *state = currentLocked(r); !keep && state && state->thread == QThread::currentThread())
        state->cancelled = true;
    return keep;
}

bool PWJobReport::cancelled()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const State *state = currentLocked(r);
    return state && state->cancelled;
}

int PWJobReport::pictureTimeLeftMs()
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const State *state = currentLocked(r);
    return state ? int(std::clamp<qint64>(state->lostLeftMs, 0, std::numeric_limits<int>::max())) : -1;
}

void PWJobReport::pictureTimeLost(qint64 milliseconds)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    if (State *state = currentLocked(r))
        state->lostLeftMs = std::max<qint64>(0, state->lostLeftMs - std::max<qint64>(0, milliseconds));
}
