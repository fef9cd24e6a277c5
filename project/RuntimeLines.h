#pragma once

#include <array>
#include <optional>
#include <string>

namespace kf {

inline constexpr std::array<const char*, 4> kShortcutFolders = {"%Programs Menu%", "%Start Menu%",
                                                                "%Desktop%", "%Quick Launch%"};
inline constexpr std::array<const char*, 4> kRootKeys = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                         "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
inline constexpr std::array<const char*, 4> kRootKeyLabels = {"HKCR", "HKCU", "HKLM", "HKU"};

inline constexpr const char* kWrongShortcutDirectory =
    "Wrong shortcut directory name!\r\rExamples:\rMy Product\rMy Company\\My Product";
inline constexpr const char* kWrongValue = "Wrong value!";
inline constexpr const char* kWrongKey = "Wrong key name!";
inline constexpr const char* kTooManyShortcutFiles =
    "Only the first 999 files of the file list can be the target of a shortcut.";
inline constexpr int kMaxShortcutFileNumber = 999;

// The visible "Shortcut" text: folder token, "\", subfolder and "\" when given, then the name.
std::string ShortcutText(int aFolder, const std::string& aSubfolder, const std::string& aName);
// The installer's line: three-digit 1-based file number, folder digit, subfolder and "\" when
// given, then the name. The file number must lie in 1..999.
std::string ShortcutLine(int aFileNumber, int aFolder, const std::string& aSubfolder,
                         const std::string& aName);
// The error text for a subfolder that starts or ends with "\"; empty when it is acceptable.
std::optional<std::string> CheckShortcutSubfolder(const std::string& aSubfolder);
// The error text for a file number that three digits cannot carry; empty when it fits.
std::optional<std::string> CheckShortcutFileNumber(int aFileNumber);

// The installer's line: root digit, uninstall digit (0 removes the value), key "|" name "=",
// type digit (0 String, 1 Dword), value; nothing is quoted.
std::string RegistryLine(int aRoot, bool anUninstall, const std::string& aKey, const std::string& aName,
                         int aType, const std::string& aValue);
// Whether the text reads as a decimal number: blanks around it, an optional sign, digits with an
// optional fraction after aDecimalSeparator, an optional exponent.
bool IsDecimalNumber(const std::string& aText, char aDecimalSeparator = '.');

} // namespace kf
