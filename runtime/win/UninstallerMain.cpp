// Uninstall.exe: removes what the installer logged in the uninstall log beside it.
#include "base/Exception.h"
#include "runtime/core/CommandLine.h"
#include "runtime/core/PathTokens.h"
#include "runtime/core/UninstallLog.h"
#include "runtime/win/CopyLocation.h"
#include "runtime/win/Elevation.h"
#include "runtime/win/FileWindow.h"
#include "runtime/win/Outcome.h"
#include "runtime/win/ProgramStart.h"
#include "runtime/win/Removal.h"
#include "runtime/win/UninstallLogSeal.h"
#include "runtime/win/UninstallerCopy.h"
#include "runtime/win/WinText.h"

#include <windows.h>

#include <exception>
#include <utility>

using namespace kf;

namespace {

// What the uninstall log beside the original in the install folder says.
struct TInstallation {
    std::string Program; // the original
    std::string LogPath;
    bool Sealed = false;
    TUninstallLog Log;
};

std::string ReadLogText(const std::string& aPath) {
    TReadFile file(Wide(aPath));
    return file.Read(0, static_cast<size_t>(file.Size()));
}

TInstallation ReadInstallation(const std::string& aProgram) {
    TInstallation installation;
    installation.Program = aProgram;
    installation.LogPath = JoinPath(aProgram.substr(0, aProgram.rfind('\\')), kUninstallLogName);
    const std::string text = ReadLogText(installation.LogPath);
    // Checked before anything else: a log that a user changed is not trusted with what it names.
    installation.Sealed = RefuseChangedLog(installation.LogPath, text);
    installation.Log = ReadUninstallLog(text);
    return installation;
}

// Whether removing needs administrator rights that this process lacks and may ask for. Only the
// original asks, from its own file, before any copy is made; neither the run it starts nor the
// copy asks again.
bool NeedsElevation(const TInstallation& anInstallation, const TCommandLine& anOptions) {
    if (anInstallation.Log.Scope != TInstallScope::PerMachine || IsElevated())
        return false;
    if (anOptions.Elevated || anOptions.Original)
        throw Exception("Removing " + anInstallation.Log.ProductName +
                        " needs administrator rights, and the uninstaller is running without them.");
    return true;
}

int RemoveElevated(const TInstallation& anInstallation, const TCommandLine& anOptions,
                   TActionLog& anActions) {
    try {
        return RunElevated(anOptions, anActions);
    } catch (const std::exception& error) {
        throw Exception("Removing " + anInstallation.Log.ProductName + " needs administrator rights. " +
                        error.what());
    }
}

void TellResult(size_t aFailures, const std::string& aProduct, const TCommandLine& anOptions,
                TActionLog& anActions) {
    const std::string caption = aProduct + " Uninstall";
    if (aFailures != 0)
        Tell(anOptions.Silent, anActions, caption,
             std::to_string(aFailures) + " items could not be removed. The log names them.", true);
    else if (!anOptions.Silent)
        Tell(false, anActions, caption, aProduct + " has been removed.", false);
}

int Remove(TInstallation anInstallation, const TCommandLine& anOptions, TActionLog& anActions) {
    TUninstallLog& log = anInstallation.Log;
    anActions.Line("Uninstalling " + log.ProductName + ", " + ScopeName(log.Scope));
    if (!anOptions.Silent && !Ask(log.ProductName + " Uninstall", "Do you want to remove " + log.ProductName +
                                                                      " and all of its components?")) {
        anActions.Line("Cancelled");
        return kExitCancelled;
    }
    // The log goes last, just before the folders, so that a failed removal can be repeated.
    log.Files.insert(log.Files.begin(), TLoggedPath{anInstallation.LogPath, true});
    const size_t failures = RemoveLogged(log,
                                         TRemovalOptions{.OnlyFlagged = true,
                                                         .FoldersProtected = anInstallation.Sealed,
                                                         .Running = anInstallation.Program,
                                                         .LeaveRunning = anOptions.Original.has_value()},
                                         anActions);
    const int code = failures == 0 ? kExitSuccess : kExitFailed;
    TellResult(failures, log.ProductName, anOptions, anActions);
    if (anOptions.Original) {
        ReleaseOriginal(anOptions, code);
        RemoveLeftProgram(log, anInstallation.Program, anActions);
        LeaveCopyFolder(anOptions.Original->CopyHandle, anActions);
    }
    return code;
}

int Uninstall(const TCommandLine& anOptions, TActionLog& anActions) {
    if (anOptions.InstallFolder)
        throw Exception("The uninstaller takes no /D= option.");
    if (anOptions.Original)
        return Remove(ReadInstallation(anOptions.Original->Path), anOptions, anActions);
    TInstallation installation = ReadInstallation(Utf8(OwnPath()));
    // The rights are asked for from the install folder, which a per-machine install keeps from
    // users, and not for a copy, which another process of the user could replace first.
    if (NeedsElevation(installation, anOptions))
        return RemoveElevated(installation, anOptions, anActions);
    if (const auto code = RunCopy(anOptions, anActions))
        return *code;
    return Remove(std::move(installation), anOptions, anActions);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return RunProgram("Uninstall", "Uninstall failed.", Uninstall);
}
