#pragma once

#include "project/Project.h"

#include <string>

namespace kf {

// Refuses a setup path that names one of the build's own inputs (the project file, a source row,
// a bitmap, the licence or readme, a runtime program), through a link or not: the finished setup
// would replace it. Raises an error naming both; does nothing when the setup does not exist yet.
void CheckSetupIsNoInput(const TProject& aProject, const std::string& aProjectFile,
                         const std::string& aProgramFolder);

} // namespace kf
