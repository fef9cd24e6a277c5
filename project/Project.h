#pragma once

#include "project/Entries.h"
#include "project/RowsWithLines.h"

#include <string>
#include <vector>

namespace kf {

inline constexpr const char* kInstallPathToken = "%Install Path%";
inline constexpr const char* kUninstallerName = "Uninstall.exe";
inline constexpr const char* kUninstallerSize = "51200";
// The Windows a setup is built for, by its position in the General page's list.
inline constexpr int kTarget32Bit = 0; // "32-bit (x86)": Installer.exe and Uninstall.exe
inline constexpr int kTarget64Bit = 1; // "64-bit (x64)": Installer64.exe and Uninstall64.exe

// Page entry fields that belong to no saved field but follow the project's rules (links, New).
struct TEntryFields {
    int ShortcutFolder = 0;                           // ComboBox4
    std::string ShortcutSubfolder = "My Program";     // Edit10
    std::string ShortcutName = "File";                // Edit11
    int SelectedFile = -1;                            // ComboBox3
    int RegistryRoot = 2;                             // ComboBox5
    std::string RegistryKey = "Software\\My Program"; // Edit12
    std::string RegistryValueName = "InstallPath";    // Edit13
    int RegistryType = 0;                             // ComboBox6
    std::string RegistryValue;                        // ComboBox7 text
    int RegistryUninstall = 0;                        // ComboBox8
};

// What the file-list refresh derives from the file rows.
struct TFileListSummary {
    std::string TotalFiles = "0";                                 // Label10
    std::string TotalSize = "0 byte";                             // Label16, before the first refresh
    std::vector<std::string> FileChoices;                         // ComboBox3
    std::vector<std::string> ValueSuggestions{kInstallPathToken}; // ComboBox7 list
    std::vector<std::string> LaunchChoices;                       // ComboBox10
};

// The one open project: settings, the three lists and the rules that keep them consistent.
class TProject {
public:
    // aProgramFolder ends with a separator; aDefaultSetupFile is where a new project builds to.
    TProject(std::string aProgramFolder, std::string aDefaultSetupFile);

    const std::string& ProgramFolder() const { return fProgramFolder; }

    // Product name and install folder are linked: each change flows down the chain
    // ProductName -> InstallFolder -> shortcut subfolder entry field.
    const std::string& ProductName() const { return fProductName; }
    void SetProductName(const std::string& aName);
    const std::string& InstallFolder() const { return fInstallFolder; }
    void SetInstallFolder(const std::string& aFolder);

    std::string ProductVersion = "1.0";
    std::string CompanyName = "\xC2\xA9 2006 Company";
    std::string SetupFile;
    int Compression = 1;
    // Packs consecutive files into shared cabinets, so that what they have in common shrinks once.
    bool SolidCompression = false;
    int TargetWindows = kTarget32Bit; // ComboBox11: which runtime the setup carries
    std::string LogoBitmap;
    std::string HeaderBitmap;
    bool ShowLicense = false;
    std::string LicenseFile;
    bool ShowAcceptCheckBox = false;
    bool ShowReadme = false;
    std::string ReadmeFile;
    int InstallBase = 0;
    bool InstallPathFromRegistry = false;
    int InstallPathRoot = 2;
    std::string InstallPathKey = "Software\\My Program\\InstallPath";
    bool LaunchFile = false;
    int LaunchFileIndex = -1;
    bool RestartComputer = false;

    // Texts loaded from LicenseFile and ReadmeFile; never stored in the project file.
    std::string LicenseText;
    std::string ReadmeText;

    // Switching on appends the uninstaller row, switching off removes the first matching row;
    // either way the file list is refreshed. Setting the value it already has does nothing.
    bool IncludeUninstaller() const { return fIncludeUninstaller; }
    void SetIncludeUninstaller(bool anInclude);
    TFileEntry UninstallerRow() const;

    // Changes to Files are followed by RefreshFileList, as every file-list operation ends with it.
    std::vector<TFileEntry> Files;
    TRowsWithLines<TShortcutEntry> Shortcuts;
    TRowsWithLines<TRegistryEntry> RegistryValues;

    TEntryFields Entry;
    const TFileListSummary& Summary() const { return fSummary; }

    void RefreshFileList();
    // Chooses a launch file by its position; a position outside the launch choices chooses none.
    void SetLaunchFileIndex(int anIndex);
    // New's reset of every field, list and entry field (the save-changes prompt is the caller's).
    void ResetToNew();

private:
    std::string fProgramFolder;
    std::string fDefaultSetupFile;
    std::string fProductName = "My Program";
    std::string fInstallFolder = "My Program";
    bool fIncludeUninstaller = false;
    TFileListSummary fSummary;
};

} // namespace kf
