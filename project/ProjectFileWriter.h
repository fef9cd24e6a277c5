#pragma once

#include "project/Project.h"

#include <string>

namespace kf {

// The project as project-file text (UTF-8). Raises an error naming the field, and the row, when a
// text holds a line break, which would otherwise break into further lines of the file.
std::string ComposeProjectText(const TProject& aProject);
// Writes the project file in place of whatever stood at aPath, atomically.
void SaveProjectFile(const TProject& aProject, const std::string& aPath);

} // namespace kf
