#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kf::test {

using TMembers = std::vector<std::pair<std::string, std::string>>; // name, content

// Runs a shell command and returns what it printed, with its exit code.
std::string RunCommand(const std::string& aCommand, int& anExitCode);
// Extracts a cabinet (set) with cabextract, a reader we did not write, into aFolder and returns
// its members in cabinet order; any complaint of the reader fails the calling test.
TMembers ExtractCabinetFile(const std::string& aCabinet, const std::string& aFolder);
// The same for a cabinet held in memory.
TMembers ExtractCabinet(const std::string& aBytes, const std::string& aFolder);

} // namespace kf::test
