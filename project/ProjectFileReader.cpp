#include "project/ProjectFileReader.h"

#include "base/Exception.h"
#include "base/RegularFile.h"
#include "base/WholeFile.h"
#include "project/FieldSplit.h"
#include "project/IniProfile.h"
#include "project/ShortcutTargets.h"
#include "project/SourceFile.h"

#include <algorithm>
#include <optional>

namespace kf {

namespace {

constexpr const char* kSettings = "Settings";

int PositionOrNone(int aValue, int aCount) {
    return aValue >= 0 && aValue < aCount ? aValue : -1;
}

// Loads a licence or readme text; a file that cannot be read leaves the text as it was.
void LoadText(std::string& aText, const std::string& aPath) {
    try {
        aText = ReadWholeFile(aPath);
    } catch (const Exception&) {
    }
}

void ReadSettings(TProject& aProject, const TIniProfile& anIni) {
    auto text = [&](const char* aKey) { return anIni.ReadString(kSettings, aKey, ""); };
    auto flag = [&](const char* aKey) { return anIni.ReadBool(kSettings, aKey, false); };
    aProject.SetProductName(text("1"));
    aProject.ProductVersion = text("2");
    aProject.CompanyName = text("3");
    aProject.SetupFile = text("4");
    aProject.Compression = PositionOrNone(anIni.ReadInteger(kSettings, "5", 1), 3);
    aProject.SolidCompression = flag("23");
    aProject.LogoBitmap = text("6");
    aProject.HeaderBitmap = text("7");
    aProject.ShowLicense = flag("8");
    aProject.LicenseFile = text("9");
    aProject.ShowAcceptCheckBox = flag("10");
    aProject.ShowReadme = flag("11");
    aProject.ReadmeFile = text("12");
    aProject.InstallBase = PositionOrNone(anIni.ReadInteger(kSettings, "13", 0), 7);
    aProject.SetInstallFolder(text("14"));
    aProject.InstallPathFromRegistry = flag("15");
    aProject.InstallPathRoot = PositionOrNone(anIni.ReadInteger(kSettings, "16", 2), 4);
    aProject.InstallPathKey = text("17");
    aProject.SetIncludeUninstaller(flag("18"));
    aProject.LaunchFile = flag("19");
    aProject.RestartComputer = flag("21");
    // Files written before the choice existed are for 32-bit Windows.
    aProject.TargetWindows = PositionOrNone(anIni.ReadInteger(kSettings, "22", kTarget32Bit), 2);
}

void ReadTexts(TProject& aProject) {
    if (aProject.ShowLicense && !aProject.LicenseFile.empty())
        LoadText(aProject.LicenseText, aProject.LicenseFile);
    if (aProject.ShowReadme && !aProject.ReadmeFile.empty())
        LoadText(aProject.ReadmeText, aProject.ReadmeFile);
}

// For each stored row, its position among the rows that were read; empty for a dropped row.
using TRowMap = std::vector<std::optional<size_t>>;

TRowMap ReadFiles(TProject& aProject, const TIniProfile& anIni, Prompter& aPrompter,
                  std::vector<TDroppedRow>& aDropped) {
    aProject.Files.clear();
    TRowMap kept;
    for (const std::string& key : anIni.KeyNames("Files")) {
        const auto fields = SplitFields(anIni.ReadString("Files", key, ""), 6);
        const auto size = MeasureSourceFile(fields[0]);
        if (!size) {
            aPrompter.ShowMessage(
                TMessageBox{"Kelpforge", AccessDeniedText(fields[0]), TMsgIcon::Error, TMsgButtons::Ok, 0});
            kept.emplace_back();
            aDropped.push_back(TDroppedRow{kept.size(), fields[0]});
            continue;
        }
        kept.emplace_back(aProject.Files.size());
        aProject.Files.push_back(
            TFileEntry{fields[0], std::to_string(*size), fields[2], fields[3], fields[4], fields[5]});
    }
    return kept;
}

bool AnyDropped(const TRowMap& aKept) {
    return std::any_of(aKept.begin(), aKept.end(), [](const auto& aRow) { return !aRow; });
}

// Dropped rows would shift every later position onto another file: references follow their files,
// and those whose file was dropped are removed and listed.
void FollowDroppedRows(TProject& aProject, const TRowMap& aKept, int aStoredLaunch,
                       std::vector<std::string>& aLost) {
    if (aStoredLaunch >= 0 && static_cast<size_t>(aStoredLaunch) < aKept.size()) {
        const auto& row = aKept[static_cast<size_t>(aStoredLaunch)];
        aProject.SetLaunchFileIndex(row ? static_cast<int>(*row) : -1);
        if (!row && aProject.LaunchFile)
            aLost.push_back("the file to launch after installation");
    }
    for (size_t i = aProject.Shortcuts.Lines().size(); i-- > 0;) {
        const std::string line = aProject.Shortcuts.Lines()[i];
        const auto number = ShortcutFileNumber(line);
        if (!number || *number == 0 || *number > aKept.size())
            continue;
        if (const auto& row = aKept[*number - 1]) {
            aProject.Shortcuts.ReplaceLine(i, WithShortcutFileNumber(line, *row + 1));
            continue;
        }
        aLost.insert(aLost.begin(), "the shortcut \"" + ShortcutCaption(aProject, i) + "\"");
        aProject.Shortcuts.RemoveAt(i);
    }
}

void ReportLostReferences(const std::vector<std::string>& aLost, Prompter& aPrompter) {
    if (aLost.empty())
        return;
    std::string text = "These referred to files that could not be opened and were removed from the project:";
    for (const std::string& lost : aLost)
        text += "\r" + lost;
    aPrompter.ShowMessage(TMessageBox{"Kelpforge", text, TMsgIcon::Warning, TMsgButtons::Ok, 0});
}

template <typename Row, typename Build>
std::vector<Row> ReadRows(const TIniProfile& anIni, const char* aSection, size_t aFieldCount, Build aBuild) {
    std::vector<Row> rows;
    for (const std::string& key : anIni.KeyNames(aSection))
        rows.push_back(aBuild(SplitFields(anIni.ReadString(aSection, key, ""), aFieldCount)));
    return rows;
}

std::vector<std::string> ReadLines(const TIniProfile& anIni, const char* aSection) {
    std::vector<std::string> lines;
    for (const std::string& key : anIni.KeyNames(aSection))
        lines.push_back(anIni.ReadString(aSection, key, ""));
    return lines;
}

} // namespace

void CheckProjectFileReadable(const std::string& aPath) {
    const TRegularFile file(aPath);
    if (file.Size() > kWholeFileLimit)
        throw Exception("Cannot open file \"" + aPath + "\". It is larger than " +
                        std::to_string(kWholeFileLimit >> 20) + " MB, more than a project can be.");
}

// Says which keys stand more than once: their later lines are not read.
std::vector<std::string> ReportRepeatedKeys(const TIniProfile& anIni, Prompter& aPrompter) {
    std::vector<std::string> repeated;
    for (const char* section : {kSettings, "Files", "Shortcuts", "Regedit", "Shortcuts1", "Regedit1"})
        for (const std::string& key : anIni.RepeatedKeys(section))
            repeated.push_back("[" + std::string(section) + "] " + key);
    if (!repeated.empty()) {
        std::string text = "The project file repeats keys; only the first line of each was read:";
        for (const std::string& key : repeated)
            text += "\r" + key;
        aPrompter.ShowMessage(TMessageBox{"Kelpforge", text, TMsgIcon::Warning, TMsgButtons::Ok, 0});
    }
    return repeated;
}

std::vector<TDroppedRow> ReadProjectFile(TProject& aProject, const std::string& aPath, Prompter& aPrompter,
                                         std::vector<std::string>* aRepeatedKeys) {
    const TIniProfile ini = TIniProfile::Load(aPath);
    std::vector<std::string> repeated = ReportRepeatedKeys(ini, aPrompter);
    if (aRepeatedKeys != nullptr)
        *aRepeatedKeys = std::move(repeated);
    ReadSettings(aProject, ini);
    ReadTexts(aProject);
    std::vector<TDroppedRow> dropped;
    const TRowMap kept = ReadFiles(aProject, ini, aPrompter, dropped);
    aProject.RefreshFileList();
    const int storedLaunch = ini.ReadInteger(kSettings, "20", -1);
    aProject.SetLaunchFileIndex(storedLaunch);
    if (storedLaunch < -1 || storedLaunch >= static_cast<int64_t>(kept.size()))
        aPrompter.ShowMessage(TMessageBox{"Kelpforge",
                                          "The file to launch (Finish page) is file " +
                                              std::to_string(int64_t{storedLaunch} + 1) +
                                              ", but the project has " + std::to_string(kept.size()) +
                                              " files: no file is launched until one is chosen.",
                                          TMsgIcon::Warning, TMsgButtons::Ok, 0});
    aProject.Shortcuts.ReplaceRows(
        ReadRows<TShortcutEntry>(ini, "Shortcuts", 2, [](std::vector<std::string> f) {
            return TShortcutEntry{std::move(f[0]), std::move(f[1])};
        }));
    aProject.RegistryValues.ReplaceRows(
        ReadRows<TRegistryEntry>(ini, "Regedit", 6, [](std::vector<std::string> f) {
            return TRegistryEntry{std::move(f[0]), std::move(f[1]), std::move(f[2]),
                                  std::move(f[3]), std::move(f[4]), std::move(f[5])};
        }));
    aProject.Shortcuts.ReplaceLines(ReadLines(ini, "Shortcuts1"));
    aProject.RegistryValues.ReplaceLines(ReadLines(ini, "Regedit1"));
    if (AnyDropped(kept)) {
        std::vector<std::string> lost;
        FollowDroppedRows(aProject, kept, storedLaunch, lost);
        ReportLostReferences(lost, aPrompter);
    }
    return dropped;
}

} // namespace kf
