#pragma once

#include "runtime/core/PathTokens.h"

#include <vector>

namespace kf {

// A shell folder by its CSIDL number, created when it is missing; empty when this machine has none.
std::string ShellFolder(int aFolder);
// Every Program Files folder of this machine: the 32-bit and, on 64-bit Windows, the 64-bit one.
std::vector<std::string> ProgramFilesFolders();
// This machine's folder for every token but the install folder, which the caller chooses.
TFolderMap SystemFolders();
// The Programs menu, Start menu and Desktop of all users in place of the user's own; the Quick
// Launch bar has no all-users counterpart and stays.
void UseAllUsersShortcutFolders(TFolderMap& aFolders);

} // namespace kf
