#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kf {

struct TBuildOptions {
    std::optional<std::string> SetupPath;   // -o SETUP
    std::optional<std::string> SignCommand; // --sign COMMAND
    bool Quiet = false;                     // --quiet: nothing on success, errors still on stderr
    std::vector<std::string> Overrides;     // --set Field=Value, in the order given
    size_t Jobs = 0;                        // --jobs N: files packed at once; 0, one per core
    bool KeepDuplicates = false;            // --keep-duplicates: a cabinet for every row
    bool AllowMissing = false;              // --allow-missing: build without rows Open left out
};

// "build PROJECT.kfp [options]": opens the project as the desktop program does, applies the
// overrides (never written back) and builds it, signed with the command (KELPFORGE_SIGN when none
// is given). Returns the exit code: 0 built, 1 a project or build error, a row left out by Open
// (unless AllowMissing), or a cancel. An override the project cannot take raises EUsage.
int RunBuildCommand(const std::string& aProjectPath, const TBuildOptions& anOptions);

} // namespace kf
