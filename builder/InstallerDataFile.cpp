#include "builder/InstallerDataFile.h"

#include "base/Exception.h"
#include "base/TextUtil.h"
#include "base/Windows1252.h"
#include "builder/InstallerPlanCheck.h"
#include "runtime/core/InstallerData.h"
#include "runtime/core/PathTokens.h"

namespace kf {

namespace {

std::string Flag(bool aValue) {
    return aValue ? "1" : "0";
}

std::string Joined(const std::vector<std::string>& anElements) {
    std::string line;
    for (const std::string& element : anElements)
        line += element + "?";
    return line;
}

// One character per file row: "1" where the field starts with the capital letter, else "0".
template <typename Field>
std::string FlagString(const std::vector<TFileEntry>& aFiles, Field aField, char aLetter) {
    std::string line;
    for (const TFileEntry& row : aFiles)
        line += (row.*aField).starts_with(aLetter) ? '1' : '0';
    return line;
}

std::vector<std::string> InstallPaths(const std::vector<TFileEntry>& aFiles) {
    std::vector<std::string> paths;
    for (const TFileEntry& row : aFiles)
        paths.push_back(row.InstallTo);
    return paths;
}

void CheckValue(const std::string& aValue, const std::string& aWhat, bool aListElement) {
    const std::string character = ControlCharacterIn(aValue, true);
    const char* problem = nullptr;
    if (!character.empty())
        problem = character.c_str();
    else if (aListElement && aValue.find('?') != std::string::npos)
        problem = "\"?\", which the installer reads as the end of an entry";
    else if (!Utf8ToWindows1252(aValue))
        problem = "characters outside the Windows-1252 code page";
    if (problem != nullptr)
        throw Exception("Cannot build the setup: " + aWhat + " contains " + problem +
                        ". Change it and build again");
}

std::string RowName(const char* aList, size_t anIndex) {
    return "row " + std::to_string(anIndex + 1) + " of the " + aList + " list";
}

// How the author knows a line of the data file, or one element of a list line.
std::string SubjectOf(const TDataFileFault& aFault) {
    static const char* const kLineSubjects[kDataFileLines] = {
        "The product name (General page)",
        "The product version (General page)",
        "The company name (General page)",
        "The licence option (Text page)",
        "The accept check box option (Text page)",
        "The readme option (Text page)",
        "The uninstaller option (Files page)",
        "The install path (Files page)",
        "The file list",
        "The packed-size list",
        "The file list's \"If Exists\" column",
        "The file list's \"Uninstall\" column",
        "The file list's \"Register\" column",
        "The shortcut list",
        "The registry list",
        "The file to launch (Finish page)",
        "The restart option (Finish page)",
        "The registry value of the install path (Files page)",
    };
    const size_t line = aFault.Line;
    if (aFault.Element && line >= 9 && line <= 13)
        return "File row " + std::to_string(*aFault.Element + 1);
    if (aFault.Element && line == 14)
        return "Shortcut row " + std::to_string(*aFault.Element + 1);
    if (aFault.Element && line == 15)
        return "Registry row " + std::to_string(*aFault.Element + 1);
    return line >= 1 && line <= kDataFileLines ? kLineSubjects[line - 1] : "The installer data";
}

} // namespace

TDataLines ComposeDataLines(const TProject& aProject) {
    const std::vector<TFileEntry>& files = aProject.Files;
    TDataLines lines;
    lines[0] = aProject.ProductName();
    lines[1] = aProject.ProductVersion;
    lines[2] = aProject.CompanyName;
    lines[3] = Flag(aProject.ShowLicense);
    lines[4] = Flag(aProject.ShowAcceptCheckBox);
    lines[5] = Flag(aProject.ShowReadme);
    lines[6] = Flag(aProject.IncludeUninstaller());
    lines[7] = std::to_string(aProject.InstallBase) + "\\" + aProject.InstallFolder();
    lines[8] = Joined(InstallPaths(files));
    lines[10] = FlagString(files, &TFileEntry::IfExists, 'O');
    lines[11] = FlagString(files, &TFileEntry::Uninstall, 'Y');
    lines[12] = FlagString(files, &TFileEntry::Register, 'Y');
    lines[13] = Joined(aProject.Shortcuts.Lines());
    lines[14] = Joined(aProject.RegistryValues.Lines());
    lines[15] = aProject.LaunchFile ? std::to_string(aProject.LaunchFileIndex) : "";
    lines[16] = Flag(aProject.RestartComputer);
    lines[17] = aProject.InstallPathFromRegistry
                    ? std::to_string(aProject.InstallPathRoot) + aProject.InstallPathKey
                    : "0";
    return lines;
}

std::string PackedSizeLine(const std::vector<uint64_t>& aSizes) {
    std::string line;
    for (const uint64_t size : aSizes)
        line += std::to_string(size) + "?";
    return line;
}

void CheckDataLines(const TProject& aProject) {
    // Any other value would pack with the cabinet writer's default, unasked.
    if (aProject.Compression < 0 || aProject.Compression > 2)
        throw Exception("No compression is chosen (General page): the project gives none of 0 (none), 1 "
                        "(MSZIP) and 2 (LZX). Choose one and build again");
    // A base folder the project file names out of range reads as none.
    if (aProject.InstallBase < 0)
        throw Exception(
            "Cannot build the setup: the install path (Files page) has no base folder; the project "
            "gives none of the positions 0 to 6 of the base folder list. Choose one and build again");
    CheckValue(aProject.ProductName(), "the product name", false);
    CheckValue(aProject.ProductVersion, "the product version", false);
    CheckValue(aProject.CompanyName, "the company name", false);
    CheckValue(aProject.InstallFolder(), "the install folder", false);
    for (size_t i = 0; i < aProject.Files.size(); ++i) {
        const std::string& installTo = aProject.Files[i].InstallTo;
        CheckValue(installTo, "\"Install to\" of " + RowName("file", i), true);
        // Installer.exe places a file by this rule; a setup it cannot install is not built.
        if (const auto reason = UnsafeTargetPath(installTo))
            throw Exception("Cannot build the setup: \"Install to\" of " + RowName("file", i) + " (\"" +
                            installTo + "\") " + *reason + ". Change it and build again");
    }
    const auto& shortcuts = aProject.Shortcuts.Lines();
    for (size_t i = 0; i < shortcuts.size(); ++i)
        CheckValue(shortcuts[i], RowName("shortcut", i), true);
    const auto& values = aProject.RegistryValues.Lines();
    for (size_t i = 0; i < values.size(); ++i)
        CheckValue(values[i], RowName("registry", i), true);
    if (aProject.InstallPathFromRegistry)
        CheckValue(aProject.InstallPathKey, "the install path registry key", false);
}

void CheckWithInstallerReader(const TDataLines& aLines) {
    TDataLines lines = aLines;
    if (lines[kPackedSizeLine].empty())
        lines[kPackedSizeLine] = PackedSizeLine(std::vector<uint64_t>(SplitJoinedList(lines[8]).size(), 1));
    TInstallerData data;
    try {
        data = ParseInstallerData(lines);
    } catch (const EDataFile& error) {
        throw Exception(SubjectOf(error.Fault()) + " " + error.Fault().Problem + ".");
    }
    CheckWithInstallerPlan(data);
}

std::string DataFileBytes(const TDataLines& aLines) {
    std::string bytes;
    for (const std::string& line : aLines) {
        const auto encoded = Utf8ToWindows1252(line);
        if (!encoded)
            throw Exception("Cannot build the setup: the line \"" + line +
                            "\" contains characters outside the Windows-1252 code page");
        bytes += *encoded + "\r\n";
    }
    return bytes;
}

} // namespace kf
