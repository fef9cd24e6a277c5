#include "project/Project.h"

#include "base/TextUtil.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kf {

TProject::TProject(std::string aProgramFolder, std::string aDefaultSetupFile)
    : SetupFile(aDefaultSetupFile), LogoBitmap(aProgramFolder + "Logo.bmp"),
      HeaderBitmap(aProgramFolder + "Header.bmp"), fProgramFolder(std::move(aProgramFolder)),
      fDefaultSetupFile(std::move(aDefaultSetupFile)) {}

void TProject::SetProductName(const std::string& aName) {
    fProductName = aName;
    SetInstallFolder(aName);
}

void TProject::SetInstallFolder(const std::string& aFolder) {
    fInstallFolder = aFolder;
    Entry.ShortcutSubfolder = aFolder;
}

TFileEntry TProject::UninstallerRow() const {
    return TFileEntry{fProgramFolder + kUninstallerName,
                      kUninstallerSize,
                      std::string(kInstallPathToken) + "\\" + kUninstallerName,
                      kOverwrite,
                      kYes,
                      kNo};
}

void TProject::SetIncludeUninstaller(bool anInclude) {
    if (anInclude == fIncludeUninstaller)
        return;
    fIncludeUninstaller = anInclude;
    if (anInclude) {
        Files.push_back(UninstallerRow());
    } else {
        const std::string path = fProgramFolder + kUninstallerName;
        auto row = std::find_if(Files.begin(), Files.end(),
                                [&](const TFileEntry& aRow) { return aRow.SourcePath == path; });
        if (row != Files.end())
            Files.erase(row);
    }
    RefreshFileList();
}

namespace {

// Sizes of sparse files may add up beyond 64 bits; the total then stays at the largest value.
uint64_t SaturatingAdd(uint64_t aTotal, int64_t aSize) {
    const uint64_t size = aSize > 0 ? static_cast<uint64_t>(aSize) : 0;
    return size > std::numeric_limits<uint64_t>::max() - aTotal ? std::numeric_limits<uint64_t>::max()
                                                                : aTotal + size;
}

} // namespace

void TProject::RefreshFileList() {
    fSummary.FileChoices.clear();
    fSummary.ValueSuggestions.assign(1, kInstallPathToken);
    fSummary.LaunchChoices.clear();
    uint64_t total = 0;
    for (const TFileEntry& row : Files) {
        fSummary.FileChoices.push_back(row.InstallTo);
        fSummary.ValueSuggestions.push_back(row.InstallTo);
        fSummary.LaunchChoices.push_back(row.InstallTo);
        total = SaturatingAdd(total, ParseInteger(Trim(row.Size)).value_or(0));
    }
    fSummary.TotalFiles = std::to_string(Files.size());
    fSummary.TotalSize = std::to_string(total) + " bytes";
    Entry.SelectedFile = -1;
    LaunchFileIndex = -1;
}

void TProject::SetLaunchFileIndex(int anIndex) {
    const bool inRange = anIndex >= 0 && static_cast<size_t>(anIndex) < fSummary.LaunchChoices.size();
    LaunchFileIndex = inRange ? anIndex : -1;
}

void TProject::ResetToNew() {
    SetProductName("My Program");
    ProductVersion = "1.0";
    CompanyName = "\xC2\xA9 2006 Company";
    SetupFile = fDefaultSetupFile;
    Compression = 1;
    SolidCompression = false;
    TargetWindows = kTarget32Bit;

    LogoBitmap = fProgramFolder + "Logo.bmp";
    HeaderBitmap = fProgramFolder + "Header.bmp";

    ShowLicense = false;
    LicenseFile.clear();
    LicenseText.clear();
    ShowAcceptCheckBox = false;
    ShowReadme = false;
    ReadmeFile.clear();
    ReadmeText.clear();

    InstallBase = 0;
    SetInstallFolder("My Program");
    InstallPathFromRegistry = false;
    InstallPathRoot = 2;
    InstallPathKey = "Software\\My Program\\InstallPath";

    SetIncludeUninstaller(false);
    Files.clear();
    RefreshFileList();

    Entry.ShortcutFolder = 0;
    Entry.ShortcutSubfolder = "My Program";
    Shortcuts.Clear();

    Entry.RegistryRoot = 2;
    Entry.RegistryKey = "Software\\My Program";
    Entry.RegistryValueName = "InstallPath";
    Entry.RegistryValue.clear();
    fSummary.ValueSuggestions.clear();
    RegistryValues.Clear();

    LaunchFile = false;
    LaunchFileIndex = -1;
    RestartComputer = false;
}

} // namespace kf
