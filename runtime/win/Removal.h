#pragma once

#include "runtime/core/UninstallLog.h"
#include "runtime/win/ActionLog.h"

#include <string>

namespace kf {

// Removes what an uninstall log lists: files, shortcuts, registry values, uninstall entries, then
// the registry keys and folders it created that are empty by then, each in reverse order of
// creation. Keys and folders are never removed with their content. With anOnlyFlagged, entries whose flag is
// off stay. Returns how many entries could not be removed; each is in the action log.
// aRunning names the uninstaller file that is still running (or nothing): it and the folders holding it
// are removed at the next restart or, with aLeaveRunning, left for RemoveLeftProgram.
size_t RemoveLogged(const TUninstallLog& aLog, bool anOnlyFlagged, TActionLog& anActions,
                    const std::string& aRunning = {}, bool aLeaveRunning = false);
// Removes the uninstaller file that RemoveLogged left, now that it has ended, and the logged folders
// that held it, which are empty by then; returns how many of them could not be removed.
size_t RemoveLeftProgram(const TUninstallLog& aLog, const std::string& aProgram, TActionLog& anActions);

} // namespace kf
