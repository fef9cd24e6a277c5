#include "runtime/core/InstallerData.h"

#include "project/Exception.h"
#include "project/Windows1252.h"

namespace kf {

namespace {

[[noreturn]] void Fail(size_t aLine, const std::string& aReason) {
    throw Exception("The setup file is damaged: line " + std::to_string(aLine) + " of its installer data " +
                    aReason + ".");
}

std::vector<std::string> List(const std::string& aLine, size_t aNumber) {
    if (!aLine.empty() && aLine.back() != '?')
        Fail(aNumber, "is not a list");
    return SplitJoinedList(aLine);
}

bool IsDigits(std::string_view aText) {
    return !aText.empty() && aText.find_first_not_of("0123456789") == std::string_view::npos;
}

uint64_t Number(std::string_view aText, size_t aLine) {
    if (!IsDigits(aText) || aText.size() > 18)
        Fail(aLine, "holds \"" + std::string(aText) + "\" where a number belongs");
    uint64_t value = 0;
    for (char digit : aText)
        value = value * 10 + static_cast<uint64_t>(digit - '0');
    return value;
}

int Digit(char aChar, int aLast, size_t aLine) {
    if (aChar < '0' || aChar > '0' + aLast)
        Fail(aLine, "holds \"" + std::string(1, aChar) + "\" where a digit from 0 to " +
                        std::to_string(aLast) + " belongs");
    return aChar - '0';
}

bool Flag(const std::string& aLine, size_t aNumber) {
    if (aLine != "0" && aLine != "1")
        Fail(aNumber, "is not a flag");
    return aLine == "1";
}

std::vector<bool> FlagString(const std::string& aLine, size_t aNumber, size_t aRows) {
    if (aLine.size() != aRows)
        Fail(aNumber, "does not hold one flag per file");
    std::vector<bool> flags;
    for (char flag : aLine)
        flags.push_back(Digit(flag, 1, aNumber) == 1);
    return flags;
}

std::vector<TFileRow> ParseFiles(const TInstallerDataLines& aLines) {
    const std::vector<std::string> paths = List(aLines[8], 9);
    const std::vector<std::string> sizes = List(aLines[9], 10);
    if (paths.empty() || paths.size() != sizes.size())
        Fail(10, "does not hold one size per file");
    const auto overwrite = FlagString(aLines[10], 11, paths.size());
    const auto uninstall = FlagString(aLines[11], 12, paths.size());
    const auto registration = FlagString(aLines[12], 13, paths.size());
    std::vector<TFileRow> files;
    for (size_t i = 0; i < paths.size(); ++i)
        files.push_back(
            TFileRow{paths[i], Number(sizes[i], 10), overwrite[i], uninstall[i], registration[i]});
    return files;
}

TShortcutLine ParseShortcut(const std::string& aLine, size_t aFileCount) {
    if (aLine.size() < 5 || !IsDigits(std::string_view(aLine).substr(0, 3)))
        Fail(14, "holds the shortcut \"" + aLine + "\", which is too short");
    const uint64_t fileNumber = Number(std::string_view(aLine).substr(0, 3), 14);
    if (fileNumber == 0 || fileNumber > aFileCount)
        Fail(14, "holds the shortcut \"" + aLine + "\", whose file number names no file");
    TShortcutLine shortcut;
    shortcut.FileRow = static_cast<size_t>(fileNumber - 1);
    shortcut.Folder = Digit(aLine[3], 3, 14);
    const std::string path = aLine.substr(4);
    const size_t slash = path.rfind('\\');
    shortcut.Subfolder = slash == std::string::npos ? "" : path.substr(0, slash);
    shortcut.Name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (shortcut.Name.empty())
        Fail(14, "holds the shortcut \"" + aLine + "\", which has no name");
    return shortcut;
}

TRegistryLine ParseRegistryValue(const std::string& aLine) {
    const size_t bar = aLine.find('|');
    const size_t equals = bar == std::string::npos ? bar : aLine.find('=', bar);
    if (aLine.size() < 2 || equals == std::string::npos || equals + 1 >= aLine.size())
        Fail(15, "holds the registry value \"" + aLine + "\", which is incomplete");
    TRegistryLine value;
    value.Root = Digit(aLine[0], 3, 15);
    value.Uninstall = Digit(aLine[1], 1, 15) == 0;
    value.Key = aLine.substr(2, bar - 2);
    value.Name = aLine.substr(bar + 1, equals - bar - 1);
    value.Type = Digit(aLine[equals + 1], 1, 15) == 0 ? TValueType::String : TValueType::Dword;
    value.Value = aLine.substr(equals + 2);
    if (value.Key.empty())
        Fail(15, "holds the registry value \"" + aLine + "\", which has no key");
    return value;
}

std::optional<size_t> ParseLaunchFile(const std::string& aLine, size_t aFileCount) {
    if (aLine.empty() || aLine == "-1")
        return std::nullopt;
    const uint64_t index = Number(aLine, 16);
    if (index >= aFileCount)
        Fail(16, "names a file to launch that is not in the file list");
    return static_cast<size_t>(index);
}

std::optional<TRegistryPath> ParseInstallPathValue(const std::string& aLine) {
    if (aLine.empty())
        Fail(18, "is empty");
    const int root = Digit(aLine[0], 3, 18);
    const std::string path = aLine.substr(1);
    if (path.empty())
        return std::nullopt;
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos)
        return TRegistryPath{root, path, ""};
    return TRegistryPath{root, path.substr(0, slash), path.substr(slash + 1)};
}

} // namespace

std::vector<std::string> SplitJoinedList(std::string_view aLine) {
    std::vector<std::string> elements;
    size_t start = 0;
    for (size_t mark; (mark = aLine.find('?', start)) != std::string_view::npos; start = mark + 1)
        elements.emplace_back(aLine.substr(start, mark - start));
    return elements;
}

TInstallerDataLines SplitInstallerData(std::string_view aBytes) {
    TInstallerDataLines lines;
    size_t start = 0;
    for (size_t i = 0; i < kInstallerDataLineCount; ++i) {
        const size_t end = aBytes.find("\r\n", start);
        if (end == std::string_view::npos)
            throw Exception("The setup file is damaged: its installer data holds " + std::to_string(i) +
                            " lines instead of 18.");
        lines[i] = Windows1252ToUtf8(aBytes.substr(start, end - start));
        start = end + 2;
    }
    if (start != aBytes.size())
        throw Exception("The setup file is damaged: its installer data holds more than 18 lines.");
    return lines;
}

TInstallerData ParseInstallerData(std::string_view aBytes) {
    return ParseInstallerData(SplitInstallerData(aBytes));
}

TInstallerData ParseInstallerData(const TInstallerDataLines& aLines) {
    TInstallerData data;
    data.ProductName = aLines[0];
    if (data.ProductName.empty())
        Fail(1, "holds no product name");
    data.ProductVersion = aLines[1];
    data.CompanyName = aLines[2];
    data.ShowLicense = Flag(aLines[3], 4);
    data.ShowAcceptCheckBox = Flag(aLines[4], 5);
    data.ShowReadme = Flag(aLines[5], 6);
    data.IncludeUninstaller = Flag(aLines[6], 7);
    if (aLines[7].size() < 2 || aLines[7][1] != '\\')
        Fail(8, "is not a default install path");
    data.InstallBase = Digit(aLines[7][0], 6, 8);
    data.InstallFolder = aLines[7].substr(2);
    data.Files = ParseFiles(aLines);
    for (const std::string& shortcut : List(aLines[13], 14))
        data.Shortcuts.push_back(ParseShortcut(shortcut, data.Files.size()));
    for (const std::string& value : List(aLines[14], 15))
        data.RegistryValues.push_back(ParseRegistryValue(value));
    data.LaunchFile = ParseLaunchFile(aLines[15], data.Files.size());
    data.RestartComputer = Flag(aLines[16], 17);
    data.InstallPathValue = ParseInstallPathValue(aLines[17]);
    return data;
}

std::vector<uint64_t> PackedSizes(const TInstallerData& aData) {
    std::vector<uint64_t> sizes;
    for (const TFileRow& row : aData.Files)
        sizes.push_back(row.PackedSize);
    return sizes;
}

} // namespace kf
