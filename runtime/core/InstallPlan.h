#pragma once

#include "runtime/core/InstallScope.h"
#include "runtime/core/InstallerData.h"
#include "runtime/core/PathTokens.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kf {

struct TFileAction {
    size_t Row = 0;
    std::string Target;
    bool Overwrite = true;
    bool Uninstall = true;
    bool Register = false;
};

struct TShortcutAction {
    std::string Link; // the .lnk file
    std::string Target;
    std::string WorkingFolder;
};

struct TValueAction {
    int Root = 0;
    bool Uninstall = true;
    std::string Key;
    std::string Name;
    TValueType Type = TValueType::String;
    std::string Text;    // String values, tokens resolved
    uint32_t Number = 0; // Dword values
};

// Everything one installation does, with every path resolved and checked.
struct TInstallPlan {
    std::string InstallFolder;
    std::vector<TFileAction> Files;
    std::vector<TShortcutAction> Shortcuts;
    std::vector<TValueAction> Values;
    std::optional<std::string> Launch;
    bool Restart = false;
    TInstallScope Scope = TInstallScope::PerUser; // decided by the caller, after the plan is made
};

// The install folder that line 8 proposes: its base folder and the folder text below it.
std::string DefaultInstallFolder(const TInstallerData& aData, const TFolderMap& aFolders);
// Raises an error naming the first path, shortcut or value that cannot be installed safely.
// aFolders must hold the install folder.
TInstallPlan MakeInstallPlan(const TInstallerData& aData, const TFolderMap& aFolders);
// The icon that the uninstall entry shows: the launch file when it is a program (.exe), otherwise
// the installed Uninstall.exe.
std::string DisplayIconOf(const TInstallPlan& aPlan);
// A Dword value's text as the number to store: a decimal number, rounded, from -2147483648 to
// 4294967295 (negative numbers as their two's complement); empty when it is none.
std::optional<uint32_t> DwordValue(std::string_view aText);

} // namespace kf
