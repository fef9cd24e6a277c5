#pragma once

#include "project/Project.h"

#include <optional>
#include <string>
#include <vector>

namespace kf {

// The 1-based file number at the start of a shortcut runtime line; empty when it has none.
std::optional<size_t> ShortcutFileNumber(const std::string& aLine);
// The same line pointing to another file number (1 to 999).
std::string WithShortcutFileNumber(const std::string& aLine, size_t aFileNumber);
// How a shortcut is named to the author: its visible row, or its runtime line without one.
std::string ShortcutCaption(const TProject& aProject, size_t aShortcut);
// The refusal text when deleting the given file rows (sorted, distinct, in range) would leave a
// shortcut without its file; empty when every shortcut keeps its target.
std::optional<std::string> DeletionLeavesShortcutWithoutFile(const TProject& aProject,
                                                             const std::vector<size_t>& aRows);

} // namespace kf
