#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kf {

// What the command line of the installer or the uninstaller asks for.
struct TCommandLine {
    bool Silent = false;
    std::optional<std::string> InstallFolder; // /D=path, the rest of the line
    std::optional<std::string> LogFile;       // /LOG=file
};

// The command line without the program's own name, which comes first, quoted or not.
std::string_view ArgumentsOf(std::string_view aCommandLine);
// Reads /S, /LOG=file (quoted when it holds blanks) and /D=path, which takes the rest of the line
// as it stands and so comes last. Raises an error naming anything else.
TCommandLine ParseCommandLine(std::string_view anArguments);

} // namespace kf
