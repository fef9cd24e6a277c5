#pragma once

#include <string>

namespace kf {

inline constexpr const char* kOverwrite = "Overwrite";
inline constexpr const char* kSkip = "Skip";
inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";
inline constexpr const char* kString = "String";
inline constexpr const char* kDword = "Dword";

// One row of the file list; every field is text, options are decided by their first letter.
struct TFileEntry {
    std::string SourcePath;
    std::string Size;
    std::string InstallTo;
    std::string IfExists = kOverwrite;
    std::string Uninstall = kYes;
    std::string Register = kNo;

    bool operator==(const TFileEntry&) const = default;
};

// One visible shortcut row; its runtime line is kept at the same position in a parallel list.
struct TShortcutEntry {
    std::string Shortcut;
    std::string LinkTo;

    bool operator==(const TShortcutEntry&) const = default;
};

// One visible registry row; its runtime line is kept at the same position in a parallel list.
struct TRegistryEntry {
    std::string Section;
    std::string Key;
    std::string NameValue;
    std::string Type = kString;
    std::string Value;
    std::string Uninstall = kYes;

    bool operator==(const TRegistryEntry&) const = default;
};

} // namespace kf
