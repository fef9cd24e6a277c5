#pragma once

#include "project/Project.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace kf {

// For each row, the earlier row whose cabinet it installs instead of a cabinet of its own: a row
// whose source has the bytes of the earlier row that the installer's sharing rule names for it,
// and the name of its install-to file. aKeepGoing is asked between blocks of the comparison;
// nothing is returned once it says no.
using TSharedRows = std::vector<std::optional<size_t>>;
std::optional<TSharedRows> FindSharedRows(const std::vector<TFileEntry>& aRows,
                                          const std::function<bool()>& aKeepGoing);

} // namespace kf
