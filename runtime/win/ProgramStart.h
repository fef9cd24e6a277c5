#pragma once

#include "runtime/core/CommandLine.h"
#include "runtime/win/ActionLog.h"

#include <string>

namespace kf {

// The work of Installer.exe or Uninstall.exe once started; returns the exit code.
using TProgramBody = int (*)(const TCommandLine& anOptions, TActionLog& anActions);

// What both programs do around their work: the DLL search restricted to the system folder before
// anything else can load a library, the command line read, the /LOG file opened, and an error that
// ends the run told to the user (or, with /S, logged) under aCaption, after aFailure, as exit code 1603.
int RunProgram(const std::string& aCaption, const std::string& aFailure, TProgramBody aBody);

} // namespace kf
