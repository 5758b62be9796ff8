#include "kernel/base/CAContentLibraryGate.h"

#include <QCoreApplication>
#include <QThread>

#include <mutex>

const QString CAContentLibraryGate::kSeededNotification = QStringLiteral("Content Library Seeded");

namespace {

struct Gate
{
    std::mutex mutex;
    std::function<void()> current;
};

Gate &gate()
{
    static Gate instance;
    return instance;
}

} // namespace

void CAContentLibraryGate::set(std::function<void()> newGate)
{
    std::lock_guard lock(gate().mutex);
    gate().current = std::move(newGate);
}

void CAContentLibraryGate::pass()
{
    // A window waiting here would take no clicks and answer no later start.
    const QCoreApplication *application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread())
        return;
    std::function<void()> current;
    {
        std::lock_guard lock(gate().mutex);
        current = gate().current;
    }
    if (current)
        current();
}
