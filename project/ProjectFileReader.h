#pragma once

#include "project/Project.h"
#include "project/Prompter.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kf {

// A row of the project file left out because its source file could not be opened.
struct TDroppedRow {
    size_t Row = 0; // 1-based, among the stored rows
    std::string SourcePath;
};

// Raises 'Cannot open file "<path>". <reason>' when aPath is no regular file that can be opened
// (missing, a folder, pipe or device, a loop of links) or is larger than a project is read.
void CheckProjectFileReadable(const std::string& aPath);

// Replaces the project with the content of the project file at aPath. A source file that can no
// longer be opened costs its row, with a message through aPrompter; a missing or foreign file
// gives the reading defaults. A key that stands twice in a section is read from its first line,
// with a message that names it, and listed in aRepeatedKeys ("[Files] 0"). Returns the rows left out.
std::vector<TDroppedRow> ReadProjectFile(TProject& aProject, const std::string& aPath, Prompter& aPrompter,
                                         std::vector<std::string>* aRepeatedKeys = nullptr);

} // namespace kf
