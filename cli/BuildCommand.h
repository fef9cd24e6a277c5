#pragma once

#include <optional>
#include <string>

namespace kf {

struct TBuildOptions {
    std::optional<std::string> SetupPath;   // -o SETUP
    std::optional<std::string> SignCommand; // --sign COMMAND
    bool Quiet = false;                     // --quiet: nothing on success, errors still on stderr
};

// "build PROJECT.kfp [options]": opens the project as the desktop program does and builds it,
// signed with the command (KELPFORGE_SIGN when none is given). Returns the exit code: 0 built, 1 a
// project or build error, or a cancel.
int RunBuildCommand(const std::string& aProjectPath, const TBuildOptions& anOptions);

} // namespace kf
