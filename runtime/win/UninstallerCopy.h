#pragma once

#include "runtime/core/CommandLine.h"
#include "runtime/win/ActionLog.h"

#include <optional>

namespace kf {

// Uninstall.exe cannot delete its own file while it runs, and a standard user may not schedule
// that for the next restart. So the uninstaller in the install folder (the original) runs a copy
// of itself from the temporary folder, which does the work, tells the original its result, waits
// for it to end and then removes its file and folder. The copy's own file goes when the copy
// ends: it holds the file's only handle, opened to delete it on close.

// In the original: makes and starts the copy with anOptions and /ORIGINAL, and returns the copy's
// result once it has one; nothing when the copy cannot be made or started.
std::optional<int> RunCopy(TCommandLine anOptions, TActionLog& anActions);

// In the copy: gives the original its exit code and waits for it to end.
void ReleaseOriginal(const TOriginalProgram& anOriginal, int anExitCode);

// In the copy with administrator rights: its file goes at the next restart in case the handle
// that deletes it on close did not reach it (a copy restarted with administrator rights).
void RemoveCopyAtRestart();

} // namespace kf
