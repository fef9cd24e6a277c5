#pragma once

#include "runtime/core/CommandLine.h"
#include "runtime/core/InstallPlan.h"
#include "runtime/win/ActionLog.h"

namespace kf {

// The install plan with its scope decided on this machine: a per-machine plan puts its shortcuts
// in the all-users folders that have one, a per-user plan in the user's own.
TInstallPlan MakeScopedPlan(const TInstallerData& aData, TFolderMap aFolders);
// Whether the plan needs administrator rights that this process has not. Raises an error when a
// run started with them still lacks them.
bool NeedsElevation(const TInstallPlan& aPlan, const TCommandLine& anOptions);
// Runs the setup again with administrator rights for the plan's folder; returns its exit code, or
// raises an error that says why the folder needs them when they are refused.
int InstallElevated(const TInstallPlan& aPlan, TCommandLine anOptions, TActionLog& anActions);

} // namespace kf
