#pragma once

#include <string>

namespace kf {

// Environment variable that supplies the sign command when none is given.
inline constexpr const char* kSignEnvironment = "KELPFORGE_SIGN";

// The command with {in} and {out}, or {file}, replaced by the paths, each quoted for the shell, in
// one pass: what a path holds is never read as a placeholder. Shown in messages; the shell is
// given SignCommandLine instead.
std::string ExpandSignCommand(const std::string& aTemplate, const std::string& anIn,
                              const std::string& anOut);

// The command as the shell runs it: {in} and {file} become "$1", {out} "$2", and the paths are
// passed as those arguments, so that no file name is ever part of the command's text.
std::string SignCommandLine(const std::string& aTemplate);

// Signs the file at aPath with a command template: {in} and {out} for tools that write a signed
// copy (which then replaces the file), {file} for tools that sign in place. Raises an error with
// the command's exit code and what it wrote to stderr when it fails or writes no file; the file
// is then left as it was or removed by its owner.
void SignFile(const std::string& aTemplate, const std::string& aPath);

} // namespace kf
