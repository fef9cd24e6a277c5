#pragma once

#include "runtime/core/UninstallLog.h"
#include "runtime/win/ActionLog.h"

#include <string>

namespace kf {

struct TRemovalOptions {
    bool OnlyFlagged = true; // entries whose flag is off stay
    // The folders the log lists were created by an installation that protected them from users
    // without administrator rights, so that a library in one may be loaded to unregister it.
    bool FoldersProtected = false;
    // The uninstaller file that is still running (or nothing): it and the folders holding it are
    // removed at the next restart or, with LeaveRunning, left for RemoveLeftProgram.
    std::string Running;
    bool LeaveRunning = false;
};

// Removes what an uninstall log lists: files, shortcuts, registry values, uninstall entries, then
// the registry keys and folders it created that are empty by then, each in reverse order of
// creation. Keys and folders are never removed with their content. For a per-machine log nothing
// is removed through a junction or symbolic link. Returns how many entries could not be removed;
// each is in the action log.
size_t RemoveLogged(const TUninstallLog& aLog, const TRemovalOptions& anOptions, TActionLog& anActions);
// Removes the uninstaller file that RemoveLogged left, now that it has ended, and the logged folders
// that held it, which are empty by then; returns how many of them could not be removed.
size_t RemoveLeftProgram(const TUninstallLog& aLog, const std::string& aProgram, TActionLog& anActions);

} // namespace kf
