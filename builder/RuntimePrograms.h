#pragma once

#include <string>

namespace kf {

// The installer runtime and the uninstaller a setup carries, by their names in the program folder.
struct TRuntimePrograms {
    std::string Installer;
    std::string Uninstaller;
};

// The programs for a project's target Windows (kTarget32Bit or kTarget64Bit); raises an error
// that says where to choose for any other value.
TRuntimePrograms RuntimeProgramsFor(int aTargetWindows);

} // namespace kf
