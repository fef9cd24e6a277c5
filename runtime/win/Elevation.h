#pragma once

#include "runtime/core/CommandLine.h"
#include "runtime/win/ActionLog.h"

namespace kf {

// Whether this process runs with administrator rights (an elevated token).
bool IsElevated();

// Runs this program again from its own file with administrator rights, which the system asks the
// user for, and with anOptions and /ELEVATED= this process; waits for it and returns its exit code.
// The action log is closed first so that the new run can add to it. Raises an error when the
// rights are refused or the program cannot start.
int RunElevated(TCommandLine anOptions, TActionLog& anActions);

} // namespace kf
