#pragma once

#include "runtime/win/ActionLog.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kf {

// Where the uninstaller's temporary copy is made.
struct TCopyLocation {
    std::wstring Program; // the copy's path, with nothing there yet
    // The folder made for the copy alone, which goes with it; empty in the user's temporary folder.
    std::wstring Folder;
};

// For a process with administrator rights, which its copy inherits: a new folder below the
// Windows temporary folder that only administrators and the system may open, so that no other
// program can take the copy's place; else a new name in the user's temporary folder. Nothing when
// there is none; the reason is in the action log.
std::optional<TCopyLocation> MakeCopyLocation(bool anElevated, TActionLog& anActions);

// Removes the copy and the location's folder, for a copy that did not run.
void RemoveLocation(const TCopyLocation& aLocation);

// Removes the copy and the location's folder at the next restart, in case they outlive the copy's
// run; nothing for a name in the user's temporary folder, as only a process with administrator
// rights, which makes none there, may ask for that.
void RemoveAtRestart(const TCopyLocation& aLocation);

// In the copy, at the end of its work: when it runs in a folder made for it, moves its own file
// beside that folder through aCopyHandle, the handle it inherited to delete the file on close, so
// that the file still goes when the copy ends, and removes the folder now that it is empty; nothing
// is left to remove it once the copy has ended.
void LeaveCopyFolder(uint64_t aCopyHandle, TActionLog& anActions);

} // namespace kf
