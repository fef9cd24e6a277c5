#pragma once

#include "project/Project.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kf {

inline constexpr size_t kDataFileLines = 18;
inline constexpr size_t kPackedSizeLine = 9; // 0-based position of line 10

using TDataLines = std::array<std::string, kDataFileLines>;

// The 18 lines of the installer data file, with the packed-size line (line 10) left empty.
TDataLines ComposeDataLines(const TProject& aProject);
// Line 10 for a cabinet of its own for each row: their sizes, in file-list order (see
// CabinetLayout.h for the line of other layouts).
std::string PackedSizeLine(const std::vector<uint64_t>& aSizes);
// Raises an error naming the field or row when the compression or base folder is none the build
// knows, when a value cannot travel in the data file (a control character in any line, a "?"
// inside a list element, a character outside Windows-1252) or when an install-to path is one that
// Installer.exe refuses.
void CheckDataLines(const TProject& aProject);
// Runs the installer's own reader and plan over the lines; raises an error naming the row or field
// that the installer would refuse. Line 10 may still be empty: it is then read as one size per file row.
void CheckWithInstallerReader(const TDataLines& aLines);
// The file's bytes: every line in Windows-1252 followed by CR LF.
std::string DataFileBytes(const TDataLines& aLines);

} // namespace kf
