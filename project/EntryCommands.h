#pragma once

#include "project/Project.h"

#include <string>

namespace kf {

enum class TAddOutcome { Added, Ignored, Refused };

struct TAddResult {
    TAddOutcome Outcome = TAddOutcome::Ignored;
    std::string Message;      // the error text when refused
    std::string FocusControl; // the entry field that gets the focus when refused
};

// Shortcuts page "Add": appends a row and its runtime line from the entry fields, or says why not.
TAddResult AddShortcut(TProject& aProject);
// Registry page "Add": appends a row and its runtime line from the entry fields, or says why not.
TAddResult AddRegistryValue(TProject& aProject);

} // namespace kf
