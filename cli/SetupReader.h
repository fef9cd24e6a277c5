#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kf {

// Where everything stands in a setup file: the runtime, the file cabinets, the main cabinet and
// the size trailer, as the main cabinet's data file describes them.
struct TSetupLayout {
    uint64_t FileSize = 0;
    uint64_t StubSize = 0;
    std::string Trailer;
    uint64_t MainOffset = 0;
    uint64_t MainSize = 0;
    std::vector<std::string> DataLines;    // the 18 lines of kelpforge.dat, as UTF-8
    std::vector<uint64_t> CabinetOffsets;  // one per file row
    std::vector<uint64_t> CabinetSizes;    // line 10
    std::vector<std::string> InstallPaths; // line 9
};

// Reads a setup file back; raises a clear error for anything that is not a sound Kelpforge setup.
TSetupLayout ReadSetupLayout(const std::string& aPath);
// Splits a joined list of the data file: each element is followed by "?".
std::vector<std::string> SplitJoinedList(const std::string& aLine);

} // namespace kf
