#pragma once

#include "project/Project.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace kf {

// An earlier row whose stored file a row installs instead of storing its own.
struct TSharedRow {
    size_t Row = 0;
};

// For each row, the earlier row with a cabinet of its own whose source has the same bytes, whatever
// either is called: the one the installer's name rule names when it has them, else the first.
// Sizes are compared first, then a checksum of each file whose size another has, then the bytes.
// aKeepGoing is asked between blocks of reading; nothing is returned once it says no.
using TSharedRows = std::vector<std::optional<TSharedRow>>;
std::optional<TSharedRows> FindSharedRows(const std::vector<TFileEntry>& aRows,
                                          const std::function<bool()>& aKeepGoing);

} // namespace kf
