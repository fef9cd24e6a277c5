#pragma once

#include "runtime/win/ActionLog.h"

#include <string>

namespace kf {

// Exit codes the installer and the uninstaller share with other setup programs.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCancelled = 1602;
inline constexpr int kExitFailed = 1603;
inline constexpr int kExitRestartNeeded = 3010;

// The full path of the running program.
std::wstring OwnPath();
// Tells the user: a message box, or in silent mode the action log and the standard error.
void Tell(bool aSilent, TActionLog& anActions, const std::string& aCaption, const std::string& aText,
          bool anError);
// Restarts Windows; false when it cannot.
bool RestartComputer();
// Asks a yes/no question; true for yes.
bool Ask(const std::string& aCaption, const std::string& aText);

} // namespace kf
