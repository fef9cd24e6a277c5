#include "ui/WindowSettings.h"

#include "base/AtomicFile.h"
#include "builder/SignCommand.h"
#include "project/IniProfile.h"
#include "project/IniWriter.h"

#include <QStandardPaths>

#include <cstdlib>
#include <filesystem>

namespace kf {

namespace {

constexpr const char* kSection = "Settings";
constexpr const char* kSigning = "Signing";

std::string SettingsFolder() {
    if (const char* folder = std::getenv("KELPFORGE_SETTINGS_FOLDER"); folder && *folder)
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString();
}

} // namespace

std::string SettingsFilePath() {
    return (std::filesystem::path(SettingsFolder()) / "Kelpforge.ini").string();
}

TWindowSettings ReadWindowSettings(const std::string& aPath) {
    const TIniProfile profile = TIniProfile::Load(aPath);
    TWindowSettings settings;
    settings.Maximized = profile.ReadBool(kSection, "Maximized", settings.Maximized);
    if (!settings.Maximized) {
        settings.Width = profile.ReadInteger(kSection, "Width", settings.Width);
        settings.Height = profile.ReadInteger(kSection, "Height", settings.Height);
        settings.Top = profile.ReadInteger(kSection, "Top", settings.Top);
        settings.Left = profile.ReadInteger(kSection, "Left", settings.Left);
    }
    settings.TreeView = profile.ReadInteger(kSection, "TreeView", settings.TreeView);
    settings.SignCommand = profile.ReadString(kSigning, "Command", "");
    return settings;
}

std::string BuildSignCommand(const std::string& aPath) {
    const std::string command = ReadWindowSettings(aPath).SignCommand;
    if (!command.empty())
        return command;
    const char* fromEnvironment = std::getenv(kSignEnvironment);
    return fromEnvironment != nullptr ? fromEnvironment : "";
}

void WriteWindowSettings(const std::string& aPath, const TWindowSettings& aSettings) {
    TIniWriter ini;
    ini.Section(kSection);
    ini.Write("Maximized", aSettings.Maximized);
    if (!aSettings.Maximized) {
        ini.Write("Width", aSettings.Width);
        ini.Write("Height", aSettings.Height);
        ini.Write("Left", aSettings.Left);
        ini.Write("Top", aSettings.Top);
    }
    ini.Write("TreeView", aSettings.TreeView);
    if (!aSettings.SignCommand.empty()) {
        ini.Section(kSigning);
        ini.Write("Command", aSettings.SignCommand);
    }
    // A missing folder is the first start; if it cannot be made, the write below says so.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(aPath).parent_path(), ignored);
    WriteFileAtomically(aPath, ini.Text());
}

} // namespace kf
