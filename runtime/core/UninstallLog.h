#pragma once

#include "runtime/core/InstallScope.h"

#include <string>
#include <string_view>
#include <vector>

namespace kf {

inline constexpr const char* kUninstallLogName = "Uninstall.log";

struct TLoggedPath {
    std::string Path;
    bool Remove = true;

    bool operator==(const TLoggedPath&) const = default;
};

struct TLoggedValue {
    int Root = 0; // 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS
    std::string Key;
    std::string Name;
    bool Remove = true;

    bool operator==(const TLoggedValue&) const = default;
};

struct TLoggedKey {
    int Root = 0;
    std::string Key;

    bool operator==(const TLoggedKey&) const = default;
};

// What one installation created, in the order it created it; the uninstaller removes what is
// flagged, in reverse.
struct TUninstallLog {
    std::string ProductName;
    TInstallScope Scope = TInstallScope::PerUser; // where its shortcuts and uninstall entry went
    std::vector<TLoggedPath> Folders;
    std::vector<TLoggedPath> Files;
    std::vector<std::string> Shortcuts;
    std::vector<std::string> Registered; // libraries whose DllRegisterServer ran
    std::vector<TLoggedValue> Values;
    std::vector<TLoggedKey> Keys; // registry keys it created, removed when empty
    std::vector<TLoggedKey> UninstallEntries;

    bool operator==(const TUninstallLog&) const = default;
};

// UTF-8 text, one record a line, fields separated by tabs; "%", tab, CR and LF inside a field are
// written as "%25", "%09", "%0D" and "%0A".
std::string WriteUninstallLog(const TUninstallLog& aLog);
// Raises an error naming the line that is not a record of this format.
TUninstallLog ReadUninstallLog(std::string_view aText);

} // namespace kf
