#include "runtime/core/InstallPlan.h"

#include "base/Exception.h"
#include "base/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>

namespace kf {

namespace {

std::string_view Trimmed(std::string_view aText) {
    const size_t first = aText.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return aText.substr(first, aText.find_last_not_of(" \t") - first + 1);
}

std::string Row(const char* aList, size_t anIndex) {
    return std::string(aList) + " row " + std::to_string(anIndex + 1);
}

TFileAction PlanFile(const TFileRow& aRow, size_t anIndex, const TFolderMap& aFolders) {
    if (const auto reason = UnsafeTargetPath(aRow.InstallTo))
        throw Exception("The target path \"" + aRow.InstallTo + "\" of " + Row("file", anIndex) + " " +
                        *reason + ".");
    return TFileAction{anIndex, aFolders.ResolveTarget(aRow.InstallTo), aRow.Overwrite, aRow.Uninstall,
                       aRow.Register};
}

// A path as Windows compares it: letters in one case, either separator as "\".
std::string Compared(std::string_view aPath) {
    std::string path = FoldCase(aPath);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

using TFileTargets = std::unordered_map<std::string, size_t>; // compared target, row

// The row of a file that stands where a folder above aPath must be.
std::optional<size_t> FileInTheWay(const TFileTargets& aFiles, const std::string& aPath) {
    for (size_t end = aPath.find('\\'); end != std::string::npos; end = aPath.find('\\', end + 1))
        if (const auto found = aFiles.find(aPath.substr(0, end)); found != aFiles.end())
            return found->second;
    return std::nullopt;
}

// Raises an error when a file would stand where the install folder or another file needs a folder.
void CheckFoldersStayFree(const TInstallerData& aData, const TInstallPlan& aPlan) {
    TFileTargets files;
    for (const TFileAction& file : aPlan.Files)
        files.emplace(Compared(file.Target), file.Row);
    const auto refuse = [&](size_t aRow, const std::string& aNeeder) {
        throw Exception(Row("File", aRow) + " installs the file \"" + aData.Files[aRow].InstallTo +
                        "\" where " + aNeeder + " needs a folder.");
    };
    if (const auto row = FileInTheWay(files, Compared(aPlan.InstallFolder) + "\\"))
        refuse(*row, "the install folder " + aPlan.InstallFolder);
    for (const TFileAction& file : aPlan.Files)
        if (const auto row = FileInTheWay(files, Compared(file.Target)))
            refuse(*row, Row("file", file.Row) + " (\"" + aData.Files[file.Row].InstallTo + "\")");
}

TShortcutAction PlanShortcut(const TShortcutLine& aLine, size_t anIndex, const TInstallPlan& aPlan,
                             const TFolderMap& aFolders) {
    const std::string relative =
        (aLine.Subfolder.empty() ? "" : aLine.Subfolder + "\\") + aLine.Name + ".lnk";
    if (const auto reason = UnsafeRelativePath(relative))
        throw Exception("The shortcut \"" + relative + "\" of " + Row("shortcut", anIndex) + " " + *reason +
                        ".");
    TShortcutAction shortcut;
    shortcut.Link = JoinPath(aFolders.Folder(ShortcutFolderToken(aLine.Folder)), relative);
    shortcut.Target = aPlan.Files[aLine.FileRow].Target;
    shortcut.WorkingFolder = shortcut.Target.substr(0, shortcut.Target.rfind('\\'));
    return shortcut;
}

TValueAction PlanValue(const TRegistryLine& aLine, size_t anIndex, const TFolderMap& aFolders) {
    TValueAction value{aLine.Root, aLine.Uninstall, aLine.Key, aLine.Name, aLine.Type, "", 0};
    const std::string where =
        "The registry value \"" + aLine.Key + "\\" + aLine.Name + "\" of " + Row("registry", anIndex);
    if (aLine.Key.starts_with("\\") || aLine.Key.ends_with("\\") ||
        aLine.Key.find("\\\\") != std::string::npos)
        throw Exception(where + " has an empty part in its key.");
    if (aLine.Type == TValueType::String) {
        value.Text = aFolders.ResolveText(aLine.Value);
        return value;
    }
    const auto number = DwordValue(aLine.Value);
    if (!number)
        throw Exception(where + " is a Dword but holds \"" + aLine.Value +
                        "\", which is not a 32-bit number.");
    value.Number = *number;
    return value;
}

} // namespace

std::string DefaultInstallFolder(const TInstallerData& aData, const TFolderMap& aFolders) {
    const std::string& base = aFolders.Folder(BaseFolderToken(aData.InstallBase));
    if (aData.InstallFolder.empty())
        return base;
    if (const auto reason = UnsafeRelativePath(aData.InstallFolder))
        throw Exception("The default install folder \"" + aData.InstallFolder + "\" " + *reason + ".");
    return JoinPath(base, aData.InstallFolder);
}

TInstallPlan MakeInstallPlan(const TInstallerData& aData, const TFolderMap& aFolders) {
    TInstallPlan plan;
    plan.InstallFolder = aFolders.Folder(TFolderToken::InstallPath);
    if (const auto reason = UnsafeAbsoluteFolder(plan.InstallFolder))
        throw Exception("The install folder \"" + plan.InstallFolder + "\" " + *reason + ".");
    for (size_t row = 0; row < aData.Files.size(); ++row)
        plan.Files.push_back(PlanFile(aData.Files[row], row, aFolders));
    CheckFoldersStayFree(aData, plan);
    for (size_t row = 0; row < aData.Shortcuts.size(); ++row)
        plan.Shortcuts.push_back(PlanShortcut(aData.Shortcuts[row], row, plan, aFolders));
    for (size_t row = 0; row < aData.RegistryValues.size(); ++row)
        plan.Values.push_back(PlanValue(aData.RegistryValues[row], row, aFolders));
    if (aData.LaunchFile)
        plan.Launch = plan.Files[*aData.LaunchFile].Target;
    plan.Restart = aData.RestartComputer;
    return plan;
}

std::string DisplayIconOf(const TInstallPlan& aPlan) {
    if (aPlan.Launch && FoldCase(*aPlan.Launch).ends_with(".exe"))
        return *aPlan.Launch;
    return JoinPath(aPlan.InstallFolder, "Uninstall.exe");
}

std::optional<uint32_t> DwordValue(std::string_view aText) {
    std::string_view text = Trimmed(aText);
    if (text.starts_with('+'))
        text.remove_prefix(1);
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
        return std::nullopt;
    const double rounded = std::nearbyint(number);
    if (rounded < -2147483648.0 || rounded > 4294967295.0)
        return std::nullopt;
    if (rounded < 0)
        return static_cast<uint32_t>(static_cast<int64_t>(rounded));
    return static_cast<uint32_t>(rounded);
}

} // namespace kf
