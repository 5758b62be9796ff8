#pragma once

#include <QString>

#include <functional>

// What runs before every answer about the content library: the application seeds the library in
// the background at a first start, and a reader on another thread, which would find it half made
// meanwhile, waits for it. The main thread never waits: a window shows what the library holds and
// fills in when the seeded notification comes.
class CAContentLibraryGate
{
public:
    // Posted on the main thread when a seeding has ended; the user info's "folders" lists the
    // library folders it put files into, "notCopied" those it could not copy and "reasons" why,
    // one reason a folder.
    static const QString kSeededNotification;

    static void set(std::function<void()> gate);
    // Waits as the gate says, off the application's main thread; at once on it, or without a gate.
    static void pass();
};
