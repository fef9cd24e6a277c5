#include "runtime/core/InstallPlan.h"

#include "base/Exception.h"

#include <charconv>
#include <cmath>

namespace kf {

namespace {

std::string_view Trimmed(std::string_view aText) {
    const size_t first = aText.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return aText.substr(first, aText.find_last_not_of(" \t") - first + 1);
}

TShortcutAction PlanShortcut(const TShortcutLine& aLine, const TInstallPlan& aPlan,
                             const TFolderMap& aFolders) {
    const std::string relative =
        (aLine.Subfolder.empty() ? "" : aLine.Subfolder + "\\") + aLine.Name + ".lnk";
    if (const auto reason = UnsafeRelativePath(relative))
        throw Exception("The shortcut \"" + relative + "\" " + *reason + ".");
    TShortcutAction shortcut;
    shortcut.Link = JoinPath(aFolders.Folder(ShortcutFolderToken(aLine.Folder)), relative);
    shortcut.Target = aPlan.Files[aLine.FileRow].Target;
    shortcut.WorkingFolder = shortcut.Target.substr(0, shortcut.Target.rfind('\\'));
    return shortcut;
}

TValueAction PlanValue(const TRegistryLine& aLine, const TFolderMap& aFolders) {
    TValueAction value{aLine.Root, aLine.Uninstall, aLine.Key, aLine.Name, aLine.Type, "", 0};
    const std::string where = "The registry value \"" + aLine.Key + "\\" + aLine.Name + "\"";
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
    for (size_t row = 0; row < aData.Files.size(); ++row) {
        const TFileRow& file = aData.Files[row];
        plan.Files.push_back(TFileAction{row, aFolders.ResolveTarget(file.InstallTo), file.Overwrite,
                                         file.Uninstall, file.Register});
    }
    for (const TShortcutLine& shortcut : aData.Shortcuts)
        plan.Shortcuts.push_back(PlanShortcut(shortcut, plan, aFolders));
    for (const TRegistryLine& value : aData.RegistryValues)
        plan.Values.push_back(PlanValue(value, aFolders));
    if (aData.LaunchFile)
        plan.Launch = plan.Files[*aData.LaunchFile].Target;
    plan.Restart = aData.RestartComputer;
    return plan;
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
