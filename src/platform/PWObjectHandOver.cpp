#include "platform/PWObjectHandOver.h"

#include <QObject>
#include <QThread>

#include <algorithm>

namespace {

thread_local PWObjectHandOver *t_current = nullptr;

} // namespace

PWObjectHandOver::PWObjectHandOver(QThread *to)
    : m_to(to)
    , m_outer(t_current)
{
    t_current = this;
}

PWObjectHandOver::~PWObjectHandOver()
{
    t_current = m_outer;
    QThread *const here = QThread::currentThread();
    for (const QPointer<QObject> &object : m_made) {
        // A child goes with its parent; one already moved (or never here) is not this thread's
        // to move.
        if (object && !object->parent() && object->thread() == here && m_to && m_to != here)
            object->moveToThread(m_to);
    }
}

void PWObjectHandOver::noteMade(QObject *object)
{
    PWObjectHandOver *current = t_current;
    if (!current || !object)
        return;
    // A long reading makes and drops many texts of its own: the list is swept of those gone
    // whenever it doubles, so that it holds about what the design holds.
    if (current->m_made.size() == current->m_made.capacity() && current->m_made.size() >= 64)
        std::erase_if(current->m_made, [](const QPointer<QObject> &made) { return made.isNull(); });
    current->m_made.emplace_back(object);
}
