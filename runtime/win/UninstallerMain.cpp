// Uninstall.exe: removes what the installer logged in the uninstall log beside it.
#include "project/Exception.h"
#include "runtime/core/CommandLine.h"
#include "runtime/core/PathTokens.h"
#include "runtime/core/UninstallLog.h"
#include "runtime/win/FileWindow.h"
#include "runtime/win/Outcome.h"
#include "runtime/win/Removal.h"
#include "runtime/win/WinText.h"

#include <windows.h>

#include <exception>

using namespace kf;

namespace {

TUninstallLog ReadLog(const std::string& aPath) {
    TReadFile file(Wide(aPath));
    return ReadUninstallLog(file.Read(0, static_cast<size_t>(file.Size())));
}

int Uninstall(const TCommandLine& anOptions, TActionLog& anActions) {
    const std::string own = Utf8(OwnPath());
    const std::string logPath = JoinPath(own.substr(0, own.rfind('\\')), kUninstallLogName);
    TUninstallLog log = ReadLog(logPath);
    const std::string caption = log.ProductName + " Uninstall";
    anActions.Line("Uninstalling " + log.ProductName);
    if (!anOptions.Silent &&
        !Ask(caption, "Do you want to remove " + log.ProductName + " and all of its components?")) {
        anActions.Line("Cancelled");
        return kExitCancelled;
    }
    // The log goes last, just before the folders, so that a failed removal can be repeated.
    log.Files.insert(log.Files.begin(), TLoggedPath{logPath, true});
    const size_t failures = RemoveLogged(log, true, anActions);
    if (failures != 0) {
        Tell(anOptions.Silent, anActions, caption,
             std::to_string(failures) + " items could not be removed. The log names them.", true);
        return kExitFailed;
    }
    if (!anOptions.Silent)
        Tell(false, anActions, caption, log.ProductName + " has been removed.", false);
    return kExitSuccess;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    TActionLog actions;
    bool silent = false;
    try {
        const TCommandLine options = ParseCommandLine(ArgumentsOf(Utf8(::GetCommandLineW())));
        silent = options.Silent;
        if (options.InstallFolder)
            throw Exception("The uninstaller takes no /D= option.");
        if (options.LogFile)
            actions.Open(Wide(*options.LogFile));
        return Uninstall(options, actions);
    } catch (const std::exception& error) {
        Tell(silent, actions, "Uninstall", std::string("Uninstall failed.\r\n\r\n") + error.what(), true);
        return kExitFailed;
    }
}
