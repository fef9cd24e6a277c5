#include "runtime/win/ScopedPlan.h"

#include "base/Exception.h"
#include "runtime/core/InstallScope.h"
#include "runtime/win/Elevation.h"
#include "runtime/win/FolderProtection.h"
#include "runtime/win/SystemFolders.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

namespace kf {

namespace {

std::vector<std::string> Known(std::vector<std::string> aFolders) {
    std::erase(aFolders, std::string());
    return aFolders;
}

TScopeFolders ScopeFolders() {
    TScopeFolders folders{
        Known({ShellFolder(CSIDL_WINDOWS), ShellFolder(CSIDL_COMMON_APPDATA),
               ShellFolder(CSIDL_COMMON_PROGRAMS), ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
               ShellFolder(CSIDL_COMMON_DOCUMENTS)}),
        Known({ShellFolder(CSIDL_PROFILE), ShellFolder(CSIDL_APPDATA), ShellFolder(CSIDL_LOCAL_APPDATA),
               ShellFolder(CSIDL_DESKTOPDIRECTORY), ShellFolder(CSIDL_PERSONAL),
               ShellFolder(CSIDL_PROGRAMS)})};
    const std::vector<std::string> programFiles = ProgramFilesFolders();
    folders.Machine.insert(folders.Machine.begin(), programFiles.begin(), programFiles.end());
    return folders;
}

} // namespace

TInstallPlan MakeScopedPlan(const TInstallerData& aData, TFolderMap aFolders) {
    TInstallPlan plan = MakeInstallPlan(aData, aFolders);
    const TInstallScope scope = PlanScope(plan, ScopeFolders(), UserCanWrite);
    if (scope == TInstallScope::PerMachine) {
        UseAllUsersShortcutFolders(aFolders);
        plan = MakeInstallPlan(aData, aFolders);
    }
    plan.Scope = scope;
    return plan;
}

bool NeedsElevation(const TInstallPlan& aPlan, const TCommandLine& anOptions) {
    if (aPlan.Scope != TInstallScope::PerMachine || IsElevated())
        return false;
    if (anOptions.Elevated)
        throw Exception("Installing in " + aPlan.InstallFolder +
                        " needs administrator rights, and Setup is still running without them.");
    return true;
}

int InstallElevated(const TInstallPlan& aPlan, TCommandLine anOptions, TActionLog& anActions) {
    anOptions.InstallFolder = aPlan.InstallFolder;
    try {
        return RunElevated(anOptions, anActions);
    } catch (const std::exception& error) {
        throw Exception("Installing in " + aPlan.InstallFolder + " needs administrator rights. " +
                        error.what());
    }
}

} // namespace kf
