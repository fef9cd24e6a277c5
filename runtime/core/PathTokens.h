#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kf {

// The folders that install-to paths, registry values and shortcuts name by token.
enum class TFolderToken {
    InstallPath,
    ProgramFiles,
    Windows,
    System,
    Temp,
    Fonts,
    MyDocuments,
    CurrentDisk,
    ProgramsMenu,
    StartMenu,
    Desktop,
    QuickLaunch,
};
inline constexpr size_t kFolderTokenCount = 12;

// The token's text, such as "%Install Path%".
const char* TokenText(TFolderToken aToken);
// The base folder token of a default install path position 0 to 6.
TFolderToken BaseFolderToken(int aPosition);
// The shell folder token of a shortcut's folder digit 0 to 3.
TFolderToken ShortcutFolderToken(int aDigit);

// What each token stands for on this machine: absolute Windows paths without a trailing "\".
class TFolderMap {
public:
    void Set(TFolderToken aToken, std::string aFolder);
    // Raises an error when the token has no folder here.
    const std::string& Folder(TFolderToken aToken) const;

    // An install-to path: a token, "\" and a relative path that must stay inside the token's
    // folder; raises an error naming the path otherwise.
    std::string ResolveTarget(std::string_view aPath) const;
    // Every token inside a text, such as a registry value, replaced by its folder.
    std::string ResolveText(std::string_view aText) const;

private:
    std::array<std::optional<std::string>, kFolderTokenCount> fFolders;
};

// The reason a relative path could leave its folder or name something other than a plain file
// or folder (".." parts, drive letters, device names, alternate streams, reserved characters,
// names longer than Windows holds); empty when it is safe.
std::optional<std::string> UnsafeRelativePath(std::string_view aPath);
// The install-to token that starts an install-to path ("%Install Path%\\..."), exactly as the
// build writes it; empty when none does.
std::optional<TFolderToken> TargetToken(std::string_view aPath);
// The reason an install-to path is not a token, "\\" and a safe relative path; empty when
// Installer.exe can place it.
std::optional<std::string> UnsafeTargetPath(std::string_view aPath);
// The reason a folder is not an absolute local or network path free of such parts; empty when
// it is usable as an install folder.
std::optional<std::string> UnsafeAbsoluteFolder(std::string_view aPath);
// Joins a folder and a relative path with one "\".
std::string JoinPath(std::string_view aFolder, std::string_view aRelative);

} // namespace kf
