#include "kernel/base/CAContentLibraryGate.h"

namespace {

std::function<void()> &gate()
{
    static std::function<void()> current;
    return current;
}

} // namespace

void CAContentLibraryGate::set(std::function<void()> newGate)
{
    gate() = std::move(newGate);
}

void CAContentLibraryGate::pass()
{
    if (const std::function<void()> &current = gate())
        current();
}
