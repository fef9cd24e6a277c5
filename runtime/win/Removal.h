#pragma once

#include "runtime/core/UninstallLog.h"
#include "runtime/win/ActionLog.h"

#include <string>

namespace kf {

// Removes what an uninstall log lists: files, shortcuts, registry values, uninstall entries, then
// the registry keys and folders it created that are empty by then, each in reverse order of
// creation. Keys and folders are never removed with their content. With anOnlyFlagged, entries whose flag is
// off stay. A file that is running (the uninstaller itself), and the folders holding it, are removed at the
// next restart. Returns how many entries could not be removed; each is in the action log.
size_t RemoveLogged(const TUninstallLog& aLog, bool anOnlyFlagged, TActionLog& anActions);

} // namespace kf
