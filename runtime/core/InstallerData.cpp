#include "runtime/core/InstallerData.h"

#include "base/Windows1252.h"

#include <utility>

namespace kf {

namespace {

std::string FaultText(const TDataFileFault& aFault) {
    std::string text =
        "The setup file is damaged: line " + std::to_string(aFault.Line) + " of its installer data";
    if (aFault.Element)
        text += ", element " + std::to_string(*aFault.Element + 1) + ",";
    return text + " " + aFault.Problem + ".";
}

[[noreturn]] void Fail(size_t aLine, const std::string& aProblem) {
    throw EDataFile(TDataFileFault{aLine, std::nullopt, aProblem});
}

[[noreturn]] void FailElement(size_t aLine, size_t anElement, const std::string& aProblem) {
    throw EDataFile(TDataFileFault{aLine, anElement, aProblem});
}

std::string Quoted(std::string_view aText) {
    return "\"" + std::string(aText) + "\"";
}

std::string FileCount(size_t aCount) {
    return aCount == 1 ? "1 file" : std::to_string(aCount) + " files";
}

std::vector<std::string> List(const std::string& aLine, size_t aNumber) {
    if (!aLine.empty() && aLine.back() != '?')
        Fail(aNumber, "is not a list");
    return SplitJoinedList(aLine);
}

bool IsDigits(std::string_view aText) {
    return !aText.empty() && aText.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<uint64_t> NumberIn(std::string_view aText) {
    if (!IsDigits(aText) || aText.size() > 18)
        return std::nullopt;
    uint64_t value = 0;
    for (char digit : aText)
        value = value * 10 + static_cast<uint64_t>(digit - '0');
    return value;
}

std::string DigitProblem(char aChar, int aLast, const char* aWhat) {
    return "holds " + Quoted(std::string(1, aChar)) + " where " + aWhat + " from 0 to " +
           std::to_string(aLast) + " belongs";
}

bool IsDigit(char aChar, int aLast) {
    return aChar >= '0' && aChar <= '0' + aLast;
}

bool Flag(const std::string& aLine, size_t aNumber) {
    if (aLine != "0" && aLine != "1")
        Fail(aNumber, "holds " + Quoted(aLine) + " where a flag (0 or 1) belongs");
    return aLine == "1";
}

std::vector<bool> FlagString(const std::string& aLine, size_t aNumber, size_t aRows) {
    if (aLine.size() != aRows)
        Fail(aNumber, "holds " + std::to_string(aLine.size()) + " flags for " + FileCount(aRows));
    std::vector<bool> flags;
    for (size_t i = 0; i < aLine.size(); ++i) {
        if (!IsDigit(aLine[i], 1))
            FailElement(aNumber, i, DigitProblem(aLine[i], 1, "a flag"));
        flags.push_back(aLine[i] == '1');
    }
    return flags;
}

// "@N": the row installs the cabinet of the earlier file N; "@N/K": the K-th file of that cabinet.
std::optional<std::pair<size_t, size_t>> CabinetOf(const std::string& anElement, size_t aRow) {
    if (!anElement.starts_with('@'))
        return std::nullopt;
    const std::string_view reference = std::string_view(anElement).substr(1);
    const size_t slash = reference.find('/');
    const auto file = NumberIn(reference.substr(0, slash));
    if (!file || *file == 0 || *file > aRow)
        FailElement(10, aRow, "holds " + Quoted(anElement) + ", which names no earlier file");
    if (slash == std::string_view::npos)
        return std::pair{static_cast<size_t>(*file - 1), size_t{0}};
    const auto member = NumberIn(reference.substr(slash + 1));
    if (!member || *member == 0 || *member > 0xFFFF)
        FailElement(10, aRow, "holds " + Quoted(anElement) + ", which names no file of a cabinet");
    return std::pair{static_cast<size_t>(*file - 1), static_cast<size_t>(*member - 1)};
}

std::vector<TFileRow> ParseFiles(const TInstallerDataLines& aLines) {
    const std::vector<std::string> paths = List(aLines[8], 9);
    const std::vector<std::string> sizes = List(aLines[9], 10);
    if (paths.empty())
        Fail(9, "holds no file");
    if (paths.size() != sizes.size())
        Fail(10, "holds " + std::to_string(sizes.size()) + " sizes for " + FileCount(paths.size()));
    const auto overwrite = FlagString(aLines[10], 11, paths.size());
    const auto uninstall = FlagString(aLines[11], 12, paths.size());
    const auto registration = FlagString(aLines[12], 13, paths.size());
    std::vector<TFileRow> files;
    for (size_t i = 0; i < paths.size(); ++i) {
        TFileRow row{paths[i], 0, std::nullopt, 0, overwrite[i], uninstall[i], registration[i]};
        if (const auto cabinet = CabinetOf(sizes[i], i)) {
            row.CabinetOf = cabinet->first;
            row.Member = cabinet->second;
        } else {
            const auto size = NumberIn(sizes[i]);
            if (!size)
                FailElement(10, i, "holds " + Quoted(sizes[i]) + " where a size belongs");
            row.PackedSize = *size;
        }
        files.push_back(std::move(row));
    }
    return files;
}

TShortcutLine ParseShortcut(const std::string& aLine, size_t anElement, size_t aFileCount) {
    const auto fileNumber = NumberIn(std::string_view(aLine).substr(0, 3));
    if (aLine.size() < 5 || !fileNumber)
        FailElement(14, anElement, "is too short to be a shortcut (" + Quoted(aLine) + ")");
    if (*fileNumber == 0 || *fileNumber > aFileCount)
        FailElement(14, anElement,
                    "points to file " + std::to_string(*fileNumber) + ", but the file list has " +
                        FileCount(aFileCount));
    if (!IsDigit(aLine[3], 3))
        FailElement(14, anElement, DigitProblem(aLine[3], 3, "the shortcut folder's digit"));
    TShortcutLine shortcut;
    shortcut.FileRow = static_cast<size_t>(*fileNumber - 1);
    shortcut.Folder = aLine[3] - '0';
    const std::string path = aLine.substr(4);
    const size_t slash = path.rfind('\\');
    shortcut.Subfolder = slash == std::string::npos ? "" : path.substr(0, slash);
    shortcut.Name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (shortcut.Name.empty())
        FailElement(14, anElement, "has no shortcut name");
    return shortcut;
}

TRegistryLine ParseRegistryValue(const std::string& aLine, size_t anElement) {
    const size_t bar = aLine.find('|');
    const size_t equals = bar == std::string::npos ? bar : aLine.find('=', bar);
    if (aLine.size() < 2 || equals == std::string::npos || equals + 1 >= aLine.size())
        FailElement(15, anElement, "is not a complete registry value (" + Quoted(aLine) + ")");
    if (!IsDigit(aLine[0], 3))
        FailElement(15, anElement, DigitProblem(aLine[0], 3, "the root key's digit"));
    if (!IsDigit(aLine[1], 1))
        FailElement(15, anElement, DigitProblem(aLine[1], 1, "the uninstall digit"));
    if (!IsDigit(aLine[equals + 1], 1))
        FailElement(15, anElement, DigitProblem(aLine[equals + 1], 1, "the type digit"));
    TRegistryLine value;
    value.Root = aLine[0] - '0';
    value.Uninstall = aLine[1] == '0';
    value.Key = aLine.substr(2, bar - 2);
    value.Name = aLine.substr(bar + 1, equals - bar - 1);
    value.Type = aLine[equals + 1] == '0' ? TValueType::String : TValueType::Dword;
    value.Value = aLine.substr(equals + 2);
    if (value.Key.empty())
        FailElement(15, anElement, "has an empty key");
    return value;
}

std::optional<size_t> ParseLaunchFile(const std::string& aLine, size_t aFileCount) {
    if (aLine.empty() || aLine == "-1")
        return std::nullopt;
    const auto index = NumberIn(aLine);
    if (!index)
        Fail(16, "holds " + Quoted(aLine) + " where the position of a file belongs");
    if (*index >= aFileCount)
        Fail(16,
             "names file " + std::to_string(*index + 1) + ", but the file list has " + FileCount(aFileCount));
    return static_cast<size_t>(*index);
}

void ParseInstallPath(const std::string& aLine, TInstallerData& aData) {
    const size_t slash = aLine.find('\\');
    if (slash == std::string::npos)
        Fail(8, "has no \"\\\" after the base folder");
    if (slash != 1 || !IsDigit(aLine[0], 6))
        Fail(8, "holds the base folder " + Quoted(aLine.substr(0, slash)) +
                    " where a position from 0 to 6 in the base folder list belongs");
    aData.InstallBase = aLine[0] - '0';
    aData.InstallFolder = aLine.substr(2);
}

std::optional<TRegistryPath> ParseInstallPathValue(const std::string& aLine) {
    if (aLine.empty())
        Fail(18, "is empty");
    if (!IsDigit(aLine[0], 3))
        Fail(18, DigitProblem(aLine[0], 3, "the root key's digit"));
    const int root = aLine[0] - '0';
    const std::string path = aLine.substr(1);
    if (path.empty())
        return std::nullopt;
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos)
        return TRegistryPath{root, path, ""};
    return TRegistryPath{root, path.substr(0, slash), path.substr(slash + 1)};
}

} // namespace

EDataFile::EDataFile(TDataFileFault aFault) : Exception(FaultText(aFault)), fFault(std::move(aFault)) {}

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
        Fail(1, "is empty");
    data.ProductVersion = aLines[1];
    data.CompanyName = aLines[2];
    data.ShowLicense = Flag(aLines[3], 4);
    data.ShowAcceptCheckBox = Flag(aLines[4], 5);
    data.ShowReadme = Flag(aLines[5], 6);
    data.IncludeUninstaller = Flag(aLines[6], 7);
    ParseInstallPath(aLines[7], data);
    data.Files = ParseFiles(aLines);
    const std::vector<std::string> shortcuts = List(aLines[13], 14);
    for (size_t i = 0; i < shortcuts.size(); ++i)
        data.Shortcuts.push_back(ParseShortcut(shortcuts[i], i, data.Files.size()));
    const std::vector<std::string> values = List(aLines[14], 15);
    for (size_t i = 0; i < values.size(); ++i)
        data.RegistryValues.push_back(ParseRegistryValue(values[i], i));
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
