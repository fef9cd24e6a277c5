#pragma once

#include "runtime/core/UninstallLog.h"

namespace kf {

// The log of an installation over an earlier one into the same folder: every record of the
// earlier log stays (the earlier install created what it names, and a later one never removes it),
// followed by the new records it lacks. Paths and registry keys are told apart as Windows does,
// without regard to case; where both logs name a file or value, the new removal flag holds. The
// product name and scope are the new installation's.
TUninstallLog MergeUninstallLogs(const TUninstallLog& anEarlier, const TUninstallLog& aLater);

} // namespace kf
