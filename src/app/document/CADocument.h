#pragma once

// The application document is widget-free and lives with the merge in the kernel; the shell's
// includes still name it here.
#include "kernel/merge/CADocument.h"
