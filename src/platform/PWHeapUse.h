#pragma once

#include <QtGlobal>

// What the process's allocator hands out now, for weighing what a piece of work keeps: the
// difference taken around it. Counted by the address sanitizer's allocator when the program runs
// under it (the C library's count then sees none of it), else by the C library's. Other threads
// allocating meanwhile count too: a weight, not an exact size.
namespace PWHeapUse {

// Bytes in use; 0 where neither count is to be had.
qint64 bytesInUse();

} // namespace PWHeapUse
