// Uninstall.exe: removes what the installer logged in the uninstall log beside it.
#include "base/Exception.h"
#include "runtime/core/CommandLine.h"
#include "runtime/core/PathTokens.h"
#include "runtime/core/UninstallLog.h"
#include "runtime/win/Elevation.h"
#include "runtime/win/FileWindow.h"
#include "runtime/win/Outcome.h"
#include "runtime/win/ProgramStart.h"
#include "runtime/win/Removal.h"
#include "runtime/win/UninstallLogSeal.h"
#include "runtime/win/UninstallerCopy.h"
#include "runtime/win/WinText.h"

#include <windows.h>

using namespace kf;

namespace {

std::string ReadLogText(const std::string& aPath) {
    TReadFile file(Wide(aPath));
    return file.Read(0, static_cast<size_t>(file.Size()));
}

int Uninstall(const TCommandLine& anOptions, TActionLog& anActions) {
    if (anOptions.InstallFolder)
        throw Exception("The uninstaller takes no /D= option.");
    if (!anOptions.Original)
        if (const auto code = RunCopy(anOptions, anActions))
            return *code;
    // The original in the install folder, whether this is it or its copy.
    const std::string program = anOptions.Original ? anOptions.Original->Path : Utf8(OwnPath());
    const std::string logPath = JoinPath(program.substr(0, program.rfind('\\')), kUninstallLogName);
    const std::string text = ReadLogText(logPath);
    // Checked before anything else: a log that a user changed is not trusted with what it names.
    const bool sealed = RefuseChangedLog(logPath, text);
    TUninstallLog log = ReadUninstallLog(text);
    const std::string caption = log.ProductName + " Uninstall";
    anActions.Line("Uninstalling " + log.ProductName + ", " + ScopeName(log.Scope));
    if (log.Scope == TInstallScope::PerMachine && !IsElevated() && !anOptions.Elevated)
        return RunElevated(anOptions, anActions);
    if (!anOptions.Silent &&
        !Ask(caption, "Do you want to remove " + log.ProductName + " and all of its components?")) {
        anActions.Line("Cancelled");
        return kExitCancelled;
    }
    // The log goes last, just before the folders, so that a failed removal can be repeated.
    log.Files.insert(log.Files.begin(), TLoggedPath{logPath, true});
    const size_t failures = RemoveLogged(log,
                                         TRemovalOptions{.OnlyFlagged = true,
                                                         .FoldersProtected = sealed,
                                                         .Running = program,
                                                         .LeaveRunning = anOptions.Original.has_value()},
                                         anActions);
    const int code = failures == 0 ? kExitSuccess : kExitFailed;
    if (failures != 0)
        Tell(anOptions.Silent, anActions, caption,
             std::to_string(failures) + " items could not be removed. The log names them.", true);
    else if (!anOptions.Silent)
        Tell(false, anActions, caption, log.ProductName + " has been removed.", false);
    if (anOptions.Original) {
        ReleaseOriginal(*anOptions.Original, code);
        RemoveLeftProgram(log, program, anActions);
        if (anOptions.Elevated)
            RemoveCopyAtRestart();
    }
    return code;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return RunProgram("Uninstall", "Uninstall failed.", Uninstall);
}
