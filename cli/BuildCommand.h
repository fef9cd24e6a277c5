#pragma once

#include <optional>
#include <string>

namespace kf {

// "build PROJECT.kfp [-o SETUP]": opens the project as the desktop program does and builds it.
// Returns the exit code: 0 built, 1 a project or build error, or a cancel.
int RunBuildCommand(const std::string& aProjectPath, const std::optional<std::string>& aSetupPath);

} // namespace kf
