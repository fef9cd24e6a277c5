// Installer.exe: the setup program's runtime. It installs the package appended to its own file.
#include "runtime/core/CommandLine.h"
#include "runtime/core/InstallPlan.h"
#include "runtime/win/Installation.h"
#include "runtime/win/Outcome.h"
#include "runtime/win/ProgramStart.h"
#include "runtime/win/Registry.h"
#include "runtime/win/ScopedPlan.h"
#include "runtime/win/SystemFolders.h"
#include "runtime/win/WinText.h"
#include "runtime/win/Wizard.h"

#include <windows.h>

using namespace kf;

namespace {

std::string Title(const TInstallerData& aData) {
    return aData.ProductVersion.empty() ? aData.ProductName : aData.ProductName + " " + aData.ProductVersion;
}

std::string ChooseInstallFolder(const TCommandLine& anOptions, const TInstallerData& aData,
                                const TFolderMap& aFolders) {
    if (anOptions.InstallFolder)
        return *anOptions.InstallFolder;
    if (aData.InstallPathValue) {
        const TRegistryPath& value = *aData.InstallPathValue;
        const auto folder = ReadStringValue(value.Root, value.Key, value.Name);
        if (folder && !folder->empty())
            return *folder;
    }
    return DefaultInstallFolder(aData, aFolders);
}

int Install(const TCommandLine& anOptions, TActionLog& anActions) {
    TSystemCabinet cabinet;
    TSetupPackage package(OwnPath(), cabinet);
    const TInstallerData& data = package.Data();
    anActions.Line("Setup of " + Title(data));
    TFolderMap folders = SystemFolders();
    folders.Set(TFolderToken::InstallPath, ChooseInstallFolder(anOptions, data, folders));
    if (!anOptions.Silent)
        return TWizard(package, cabinet, anActions, folders, anOptions).Run();

    const TInstallPlan plan = MakeScopedPlan(data, folders);
    anActions.Line("Install folder: " + plan.InstallFolder + ", " + ScopeName(plan.Scope));
    if (NeedsElevation(plan, anOptions))
        return InstallElevated(plan, anOptions, anActions);
    TInstallation(package, cabinet, anActions).Run(plan);
    anActions.Line("Installation complete");
    if (!plan.Restart)
        return kExitSuccess;
    anActions.Line("A restart is needed to complete the installation");
    return kExitRestartNeeded;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return RunProgram("Setup", "Setup failed. Nothing was installed.", Install);
}
