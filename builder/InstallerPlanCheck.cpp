#include "builder/InstallerPlanCheck.h"

#include "base/Exception.h"
#include "runtime/core/InstallPlan.h"
#include "runtime/core/PathTokens.h"

#include <utility>

namespace kf {

namespace {

// What the installer's tokens stand for on an ordinary Windows machine.
TFolderMap TypicalFolders() {
    const std::string profile = "C:\\Users\\User";
    const std::string menu = profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
    const std::pair<TFolderToken, std::string> folders[] = {
        {TFolderToken::ProgramFiles, "C:\\Program Files"},
        {TFolderToken::Windows, "C:\\Windows"},
        {TFolderToken::System, "C:\\Windows\\System32"},
        {TFolderToken::Temp, profile + "\\AppData\\Local\\Temp"},
        {TFolderToken::Fonts, "C:\\Windows\\Fonts"},
        {TFolderToken::MyDocuments, profile + "\\Documents"},
        {TFolderToken::CurrentDisk, "C:"},
        {TFolderToken::ProgramsMenu, menu + "\\Programs"},
        {TFolderToken::StartMenu, menu},
        {TFolderToken::Desktop, profile + "\\Desktop"},
        {TFolderToken::QuickLaunch,
         profile + "\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch"},
    };
    TFolderMap map;
    for (const auto& [token, folder] : folders)
        map.Set(token, folder);
    return map;
}

} // namespace

void CheckWithInstallerPlan(const TInstallerData& aData) {
    try {
        TFolderMap folders = TypicalFolders();
        folders.Set(TFolderToken::InstallPath, DefaultInstallFolder(aData, folders));
        MakeInstallPlan(aData, folders);
    } catch (const Exception& error) {
        throw Exception(std::string(error.what()) +
                        " The installer refuses such a setup: change it and build again.");
    }
}

} // namespace kf
