#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kf {

// The uninstaller that started a temporary copy of itself to do the work: its process, which the
// copy waits for before removing its file, and that file; and the handle to the copy's own file
// that the copy inherits from it, opened to delete the file on close (0 for none).
struct TOriginalProgram {
    uint32_t Process = 0;
    std::string Path;
    uint64_t CopyHandle = 0;

    bool operator==(const TOriginalProgram&) const = default;
};

// What the command line of the installer or the uninstaller asks for.
struct TCommandLine {
    bool Silent = false;
    std::optional<std::string> InstallFolder; // /D=path
    std::optional<std::string> LogFile;       // /LOG=file
    // /ELEVATED: the program restarted itself with administrator rights and must not ask again.
    bool Elevated = false;
    // /ELEVATED=process: as /ELEVATED, restarted from that process, which waits for this one to end.
    std::optional<uint32_t> ElevatedFrom;
    // /ORIGINAL=process[,handle]:path, given by the uninstaller to its temporary copy.
    std::optional<TOriginalProgram> Original;
};

// The command line without the program's own name, which comes first, quoted or not.
std::string_view ArgumentsOf(std::string_view aCommandLine);
// Reads /S, /LOG=file and /D=path in any order, each quoted whole or not; a quoted file or folder
// may hold blanks. An unquoted /D= takes the rest of the line, up to the next option when one
// follows it, so that a folder with blanks needs no quotes as the last option. Raises an error
// naming anything else.
TCommandLine ParseCommandLine(std::string_view anArguments);
// /S and /LOG=file from a command line that ParseCommandLine refuses, so that its error can still
// be reported as the run asked: in the log, with no window.
TCommandLine SilenceAndLogOf(std::string_view anArguments);
// The options as a command line that ParseCommandLine reads back the same, for restarting the program.
std::string CommandLineText(const TCommandLine& anOptions);

} // namespace kf
