#pragma once

#include "project/Project.h"
#include "project/Prompter.h"

#include <string>

namespace kf {

// Replaces the project with the content of the project file at aPath. A source file that can no
// longer be opened costs its row, with a message through aPrompter; a missing or foreign file
// gives the reading defaults.
void ReadProjectFile(TProject& aProject, const std::string& aPath, Prompter& aPrompter);

} // namespace kf
