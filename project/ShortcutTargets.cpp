#include "project/ShortcutTargets.h"

#include <algorithm>
#include <cstdio>

namespace kf {

std::optional<size_t> ShortcutFileNumber(const std::string& aLine) {
    if (aLine.size() < 3 ||
        !std::all_of(aLine.begin(), aLine.begin() + 3, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return static_cast<size_t>(std::stoi(aLine.substr(0, 3)));
}

std::string WithShortcutFileNumber(const std::string& aLine, size_t aFileNumber) {
    char number[8];
    std::snprintf(number, sizeof number, "%03zu", aFileNumber);
    return number + aLine.substr(std::min<size_t>(3, aLine.size()));
}

std::string ShortcutCaption(const TProject& aProject, size_t aShortcut) {
    const auto& rows = aProject.Shortcuts.Rows();
    if (aShortcut < rows.size() && !rows[aShortcut].Shortcut.empty())
        return rows[aShortcut].Shortcut;
    return aProject.Shortcuts.Lines().at(aShortcut);
}

std::optional<std::string> DeletionLeavesShortcutWithoutFile(const TProject& aProject,
                                                             const std::vector<size_t>& aRows) {
    const size_t count = aProject.Files.size();
    const size_t remaining = count - aRows.size();
    const auto& lines = aProject.Shortcuts.Lines();
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto number = ShortcutFileNumber(lines[i]);
        if (!number || *number == 0 || *number > count)
            continue; // already without a file: the build names it
        const std::string shortcut =
            "The shortcut \"" + ShortcutCaption(aProject, i) + "\" points to file " + std::to_string(*number);
        if (std::binary_search(aRows.begin(), aRows.end(), *number - 1))
            return shortcut + " (" + aProject.Files[*number - 1].InstallTo + ").\rDelete the shortcut first.";
        if (*number > remaining)
            return shortcut + ", which would not exist after the deletion.\rDelete the shortcut first.";
    }
    return std::nullopt;
}

} // namespace kf
