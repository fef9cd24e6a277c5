#pragma once

#include "base/Exception.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kf {

struct TFileRow {
    std::string InstallTo;
    uint64_t PackedSize = 0;
    // The earlier row (0-based) whose cabinet this row installs, when line 10 names one ("@2" for
    // file 2); its packed size is then 0.
    std::optional<size_t> CabinetOf;
    // Which member of that cabinet (0-based) the row installs: "@2/3" for the third file of the
    // cabinet of file 2; "@2" and a row with a cabinet of its own take the first.
    size_t Member = 0;
    bool Overwrite = true;
    bool Uninstall = true;
    bool Register = false;
};

struct TShortcutLine {
    size_t FileRow = 0; // 0-based
    int Folder = 0;     // 0 Programs menu, 1 Start menu, 2 desktop, 3 Quick Launch
    std::string Subfolder;
    std::string Name;
};

enum class TValueType { String, Dword };

struct TRegistryLine {
    int Root = 0; // 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS
    bool Uninstall = true;
    std::string Key;
    std::string Name;
    TValueType Type = TValueType::String;
    std::string Value;
};

struct TRegistryPath {
    int Root = 0;
    std::string Key;
    std::string Name;
};

// What kelpforge.dat tells the installer, with every text in UTF-8.
struct TInstallerData {
    std::string ProductName;
    std::string ProductVersion;
    std::string CompanyName;
    bool ShowLicense = false;
    bool ShowAcceptCheckBox = false;
    bool ShowReadme = false;
    bool IncludeUninstaller = false;
    int InstallBase = 0; // 0 to 6, see the base folders of the install-to tokens
    std::string InstallFolder;
    std::vector<TFileRow> Files;
    std::vector<TShortcutLine> Shortcuts;
    std::vector<TRegistryLine> RegistryValues;
    std::optional<size_t> LaunchFile;
    bool RestartComputer = false;
    std::optional<TRegistryPath> InstallPathValue;
};

// What breaks the installer's rules in a data file: the 1-based line, the 0-based element when a
// list line's element is to blame, and what is wrong, said of that line or element.
struct TDataFileFault {
    size_t Line = 0;
    std::optional<size_t> Element;
    std::string Problem;
};

// Raised by the reader for a data file that a sound build cannot have written.
class EDataFile : public Exception {
public:
    explicit EDataFile(TDataFileFault aFault);
    const TDataFileFault& Fault() const { return fFault; }

private:
    TDataFileFault fFault;
};

inline constexpr size_t kInstallerDataLineCount = 18;
using TInstallerDataLines = std::array<std::string, kInstallerDataLineCount>;

// The 18 CR LF terminated Windows-1252 lines of kelpforge.dat in UTF-8; raises an error when
// there are more or fewer.
TInstallerDataLines SplitInstallerData(std::string_view aBytes);
// Reads the lines of kelpforge.dat; raises EDataFile naming the line for anything a build cannot
// have written. The build runs the same reader over what it is about to write.
TInstallerData ParseInstallerData(const TInstallerDataLines& aLines);
TInstallerData ParseInstallerData(std::string_view aBytes);
// The packed-size list of line 10: the size of each file row's cabinet, in file-list order.
std::vector<uint64_t> PackedSizes(const TInstallerData& aData);

// The elements of a joined list, each of which is followed by "?".
std::vector<std::string> SplitJoinedList(std::string_view aLine);

} // namespace kf
