#pragma once

#include "runtime/core/InstallerData.h"

namespace kf {

// Runs the installer's plan over the setup's data with the folders of a typical Windows machine
// and its default install folder; raises an error naming the row that a silent install would
// refuse there.
void CheckWithInstallerPlan(const TInstallerData& aData);

} // namespace kf
