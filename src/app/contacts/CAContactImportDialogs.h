#pragma once

#include "app/contacts/CAContactImportHooks.h"

// The windows' answers to an import's questions: the file chooser and the text import dialog.
// Imports run on a worker thread, so every hook given out here runs its question on the main
// thread and waits for the answer there.
namespace CAContactImportDialogs {

// Puts the file chooser and the text import dialog into the shared hooks.
void install();

// The same hooks, each run on the main thread whichever thread calls it.
CAContactImportHooks onMainThread(const CAContactImportHooks &hooks);

} // namespace CAContactImportDialogs
