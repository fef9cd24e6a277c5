#pragma once

#include "runtime/core/CommandLine.h"
#include "runtime/win/ActionLog.h"

#include <optional>

namespace kf {

// Uninstall.exe cannot delete its own file while it runs, and a standard user may not schedule
// that for the next restart. So the uninstaller in the install folder (the original) runs a copy
// of itself from a temporary folder, which does the work, tells the original its result, waits
// for it to end and then removes its file and folder. The copy's own file goes when the copy ends:
// it holds the file's only handle, opened to delete it on close.

// In the original: makes and starts the copy with anOptions and /ORIGINAL, and returns the copy's
// result once it has one; nothing when the copy cannot be made or started. The copy of a process
// with administrator rights has those rights too, so it is made where only administrators may
// write; the copy of a user's process goes to the user's temporary folder.
std::optional<int> RunCopy(TCommandLine anOptions, TActionLog& anActions);

// In the copy: gives the original its exit code and waits for every process that runs the
// original's file to end: the original and the one that started it with administrator rights.
void ReleaseOriginal(const TCommandLine& anOptions, int anExitCode);

} // namespace kf
