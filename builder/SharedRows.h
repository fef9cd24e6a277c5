#pragma once

#include "project/Project.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace kf {

// An earlier row whose cabinet a row installs instead of a cabinet of its own.
struct TSharedRow {
    size_t Row = 0;
    // The installer's name rule finds that row by itself, so line 10 need only say the row has no
    // cabinet; otherwise it names the row.
    bool ByName = false;
};

// For each row, the earlier row with a cabinet of its own whose source has the same bytes, whatever
// either is called: the one the installer's name rule names when it has them, else the first.
// Sizes are compared first, then a checksum of each file whose size another has, then the bytes.
// aKeepGoing is asked between blocks of reading; nothing is returned once it says no.
using TSharedRows = std::vector<std::optional<TSharedRow>>;
std::optional<TSharedRows> FindSharedRows(const std::vector<TFileEntry>& aRows,
                                          const std::function<bool()>& aKeepGoing);

} // namespace kf
