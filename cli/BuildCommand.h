#pragma once

#include <optional>
#include <string>

namespace kf {

// "build PROJECT.kfp [-o SETUP] [--sign COMMAND]": opens the project as the desktop program does and
// builds it, signed with the command (KELPFORGE_SIGN when none is given). Returns the exit code:
// 0 built, 1 a project or build error, or a cancel.
int RunBuildCommand(const std::string& aProjectPath, const std::optional<std::string>& aSetupPath,
                    const std::optional<std::string>& aSignCommand);

} // namespace kf
