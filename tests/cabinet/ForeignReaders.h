#pragma once

#include "TestSupport.h"
#include "fcifdi.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kf::cabtest {

// What one reader made of a cabinet set.
struct Extraction {
    std::string reader;
    ToolResult tool;
    Contents files;
};

// Runs cabextract, 7-Zip, gcab (single cabinets only: it has no sets), Wine's cabinet.dll through
// the MinGW program, and this library's FDI on the set, extracting below aTarget.
std::vector<Extraction> ExtractEverywhere(const std::filesystem::path& aFolder,
                                          const std::vector<std::string>& aSet,
                                          const std::filesystem::path& aTarget);

// Fails the test for every reader that reports an error or restores other contents.
void ExpectEveryReaderRestores(const std::filesystem::path& aFolder, const std::vector<std::string>& aSet,
                               const Contents& anExpected, const std::filesystem::path& aTarget);

// "None", "Mszip", "Lzx15".."Lzx21", for test names.
std::string CompressionName(TCOMP aType);

} // namespace kf::cabtest
