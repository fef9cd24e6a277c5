#pragma once

#include <string>

namespace kf {

// The main window's placement and tree width as the settings file keeps them; the placement is the
// client area's, without the frame.
struct TWindowSettings {
    bool Maximized = false;
    int Width = 630;
    int Height = 480;
    int Top = 150;
    int Left = 225;
    int TreeView = 160;
    // The builds' sign command (section "Signing"): signing keys belong to the machine, not the project.
    std::string SignCommand;
};

// "Kelpforge.ini" in the per-user configuration folder; KELPFORGE_SETTINGS_FOLDER overrides the folder.
std::string SettingsFilePath();
// Missing keys and unusable values give the defaults; the size and position are not read when maximized.
TWindowSettings ReadWindowSettings(const std::string& aPath);
// The sign command of a build: the settings file's, else the KELPFORGE_SIGN environment variable's.
std::string BuildSignCommand(const std::string& aPath);
// Raises "Unable to write to " + aPath when the file cannot be written.
void WriteWindowSettings(const std::string& aPath, const TWindowSettings& aSettings);

} // namespace kf
