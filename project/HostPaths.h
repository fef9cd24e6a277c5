#pragma once

#include <string>

namespace kf {

// Folder of the running program, with a trailing separator; KELPFORGE_PROGRAM_FOLDER overrides it.
std::string ProgramFolder();
// Where a new project builds its setup file: the user's home folder followed by "Setup.exe".
std::string DefaultSetupFile();
// The part of a host path after its last separator.
std::string FileNameOf(const std::string& aPath);

} // namespace kf
