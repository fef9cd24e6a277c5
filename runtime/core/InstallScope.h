#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kf {

struct TInstallPlan;

// Whether an installation is for everyone on the machine, which needs administrator rights, or
// for the current user alone.
enum class TInstallScope { PerUser, PerMachine };

// "per-machine" or "per-user", as the logs write it.
const char* ScopeName(TInstallScope aScope);

// This machine's folders that decide a scope: per-machine ones such as Program Files, the Windows
// folder and the all-users folders; per-user ones such as the profile, AppData and the Desktop.
struct TScopeFolders {
    std::vector<std::string> Machine;
    std::vector<std::string> User;
};

// Whether the current user, without administrator rights, may create and write in a folder.
using TUserCanWrite = std::function<bool(const std::string& aFolder)>;

// Whether aPath is aFolder or lies inside it, compared without regard to case or trailing "\".
bool IsInsideFolder(std::string_view aPath, std::string_view aFolder);

// A folder inside a per-machine or per-user folder has that scope, the innermost such folder
// deciding; any other folder is per-machine when the user may not write in it.
TInstallScope FolderScope(std::string_view aFolder, const TScopeFolders& aFolders,
                          const TUserCanWrite& aUserCanWrite);

// Per-machine when a file goes into a per-machine folder, a library is registered (its entries
// go to HKEY_CLASSES_ROOT) or a registry value goes anywhere but HKEY_CURRENT_USER; else per-user.
TInstallScope PlanScope(const TInstallPlan& aPlan, const TScopeFolders& aFolders,
                        const TUserCanWrite& aUserCanWrite);

} // namespace kf
