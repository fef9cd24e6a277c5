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

// Picking a file proposes its name up to the first "." as the shortcut name.
void SelectShortcutFile(TProject& aProject, int aChoice);
// Any folder but the Programs menu empties the subfolder; the Programs menu leaves it as it is.
void SelectShortcutFolder(TProject& aProject, int aFolder);
// Shortcuts page "Clear" (after its confirmation): every row and line, the name emptied and the
// subfolder back to the install folder.
void ClearShortcuts(TProject& aProject);

} // namespace kf
