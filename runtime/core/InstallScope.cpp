#include "runtime/core/InstallScope.h"

#include "runtime/core/InstallPlan.h"

#include <algorithm>

namespace kf {

namespace {

constexpr int kCurrentUserRoot = 1;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view WithoutTrailingSeparators(std::string_view aPath) {
    while (!aPath.empty() && IsSeparator(aPath.back()))
        aPath.remove_suffix(1);
    return aPath;
}

std::string_view ParentOf(std::string_view aPath) {
    const size_t end = aPath.find_last_of("\\/");
    return end == std::string_view::npos ? std::string_view() : aPath.substr(0, end);
}

// The length of the longest of aFolders that holds aPath; 0 for none.
size_t InnermostMatch(std::string_view aPath, const std::vector<std::string>& aFolders) {
    size_t longest = 0;
    for (const std::string& folder : aFolders) {
        const size_t length = WithoutTrailingSeparators(folder).size();
        if (length > longest && IsInsideFolder(aPath, folder))
            longest = length;
    }
    return longest;
}

} // namespace

const char* ScopeName(TInstallScope aScope) {
    return aScope == TInstallScope::PerMachine ? "per-machine" : "per-user";
}

bool IsInsideFolder(std::string_view aPath, std::string_view aFolder) {
    const std::string_view path = WithoutTrailingSeparators(aPath);
    const std::string_view folder = WithoutTrailingSeparators(aFolder);
    if (folder.empty() || path.size() < folder.size())
        return false;
    for (size_t i = 0; i < folder.size(); ++i)
        if (Lower(path[i]) != Lower(folder[i]) && !(IsSeparator(path[i]) && IsSeparator(folder[i])))
            return false;
    return path.size() == folder.size() || IsSeparator(path[folder.size()]);
}

TInstallScope FolderScope(std::string_view aFolder, const TScopeFolders& aFolders,
                          const TUserCanWrite& aUserCanWrite) {
    const size_t machine = InnermostMatch(aFolder, aFolders.Machine);
    const size_t user = InnermostMatch(aFolder, aFolders.User);
    if (machine != 0 || user != 0)
        return machine > user ? TInstallScope::PerMachine : TInstallScope::PerUser;
    return aUserCanWrite(std::string(WithoutTrailingSeparators(aFolder))) ? TInstallScope::PerUser
                                                                          : TInstallScope::PerMachine;
}

TInstallScope PlanScope(const TInstallPlan& aPlan, const TScopeFolders& aFolders,
                        const TUserCanWrite& aUserCanWrite) {
    for (const TValueAction& value : aPlan.Values)
        if (value.Root != kCurrentUserRoot)
            return TInstallScope::PerMachine;
    for (const TFileAction& file : aPlan.Files)
        if (file.Register)
            return TInstallScope::PerMachine;
    if (FolderScope(aPlan.InstallFolder, aFolders, aUserCanWrite) == TInstallScope::PerMachine)
        return TInstallScope::PerMachine;
    // Files below the install folder share its scope; each other folder is asked about once.
    std::vector<std::string_view> asked;
    for (const TFileAction& file : aPlan.Files) {
        const std::string_view folder = ParentOf(file.Target);
        if (IsInsideFolder(folder, aPlan.InstallFolder) ||
            std::find(asked.begin(), asked.end(), folder) != asked.end())
            continue;
        asked.push_back(folder);
        if (FolderScope(folder, aFolders, aUserCanWrite) == TInstallScope::PerMachine)
            return TInstallScope::PerMachine;
    }
    return TInstallScope::PerUser;
}

} // namespace kf
