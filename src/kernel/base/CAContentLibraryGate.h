#pragma once

#include <functional>

// What runs before every answer about the content library: the application seeds the library in
// the background at a first start and holds back whoever would find it half made meanwhile.
class CAContentLibraryGate
{
public:
    static void set(std::function<void()> gate);
    // Waits as the gate says; at once without one.
    static void pass();
};
