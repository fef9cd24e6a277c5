#include "project/Project.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

const std::string kFolder = "/opt/kelpforge/";

TFileEntry Row(const std::string& aName, const std::string& aSize) {
    return TFileEntry{"/src/" + aName, aSize, "%Install Path%\\" + aName};
}

} // namespace

TEST(ProjectModel, StartsWithTheDefaults) {
    TProject project(kFolder, "/home/u/Setup.exe");
    EXPECT_EQ(project.ProductName(), "My Program");
    EXPECT_EQ(project.ProductVersion, "1.0");
    EXPECT_EQ(project.CompanyName, "\u00A9 2006 Company");
    EXPECT_EQ(project.SetupFile, "/home/u/Setup.exe");
    EXPECT_EQ(project.Compression, 1);
    EXPECT_EQ(project.LogoBitmap, kFolder + "Logo.bmp");
    EXPECT_EQ(project.HeaderBitmap, kFolder + "Header.bmp");
    EXPECT_EQ(project.InstallBase, 0);
    EXPECT_EQ(project.InstallFolder(), "My Program");
    EXPECT_EQ(project.InstallPathRoot, 2);
    EXPECT_EQ(project.InstallPathKey, "Software\\My Program\\InstallPath");
    EXPECT_FALSE(project.ShowLicense || project.ShowAcceptCheckBox || project.ShowReadme ||
                 project.InstallPathFromRegistry || project.IncludeUninstaller() || project.LaunchFile ||
                 project.RestartComputer);
    EXPECT_EQ(project.LaunchFileIndex, -1);
    // No refresh has run yet: the label keeps its initial text.
    EXPECT_EQ(project.Summary().TotalFiles, "0");
    EXPECT_EQ(project.Summary().TotalSize, "0 byte");
    EXPECT_EQ(project.Summary().ValueSuggestions, std::vector<std::string>{"%Install Path%"});
    EXPECT_EQ(project.Entry.ShortcutName, "File");
    EXPECT_EQ(project.Entry.ShortcutSubfolder, "My Program");
}

TEST(ProjectModel, ProductNameFlowsToInstallFolderAndShortcutSubfolder) {
    TProject project(kFolder, "/s");
    project.SetProductName("Kelp Tool");
    EXPECT_EQ(project.InstallFolder(), "Kelp Tool");
    EXPECT_EQ(project.Entry.ShortcutSubfolder, "Kelp Tool");
    project.SetInstallFolder("Tools\\Kelp");
    EXPECT_EQ(project.ProductName(), "Kelp Tool");
    EXPECT_EQ(project.Entry.ShortcutSubfolder, "Tools\\Kelp");
}

TEST(ProjectModel, RefreshDerivesTotalsAndChoiceListsAndClearsChoices) {
    TProject project(kFolder, "/s");
    project.Files = {Row("a.exe", "100"), Row("b.dll", " 23 "), Row("a.exe", "100")};
    project.RefreshFileList();
    project.SetLaunchFileIndex(2);
    project.Entry.SelectedFile = 1;
    EXPECT_EQ(project.LaunchFileIndex, 2);

    project.Files.erase(project.Files.begin());
    project.RefreshFileList();
    const TFileListSummary& summary = project.Summary();
    EXPECT_EQ(summary.TotalFiles, "2");
    EXPECT_EQ(summary.TotalSize, "123 bytes");
    EXPECT_EQ(summary.FileChoices,
              (std::vector<std::string>{"%Install Path%\\b.dll", "%Install Path%\\a.exe"}));
    EXPECT_EQ(summary.LaunchChoices, summary.FileChoices);
    EXPECT_EQ(summary.ValueSuggestions,
              (std::vector<std::string>{"%Install Path%", "%Install Path%\\b.dll", "%Install Path%\\a.exe"}));
    EXPECT_EQ(project.LaunchFileIndex, -1);
    EXPECT_EQ(project.Entry.SelectedFile, -1);

    project.SetLaunchFileIndex(2);
    EXPECT_EQ(project.LaunchFileIndex, -1);
    project.SetLaunchFileIndex(-7);
    EXPECT_EQ(project.LaunchFileIndex, -1);
}

TEST(ProjectModel, TotalsOfZeroAndOneByteArePlural) {
    TProject project(kFolder, "/s");
    project.RefreshFileList();
    EXPECT_EQ(project.Summary().TotalSize, "0 bytes");
    project.Files = {Row("one", "1")};
    project.RefreshFileList();
    EXPECT_EQ(project.Summary().TotalSize, "1 bytes");
}

TEST(ProjectModel, TotalsBeyondSixtyThreeBitsAreShownExactlyAndStopAtSixtyFour) {
    TProject project(kFolder, "/s");
    // Sparse files of 5 * 10^18 bytes each: a signed sum overflowed to a negative total.
    project.Files = {Row("a", "5000000000000000000"), Row("b", "5000000000000000000")};
    project.RefreshFileList();
    EXPECT_EQ(project.Summary().TotalSize, "10000000000000000000 bytes");
    project.Files.push_back(Row("c", "9223372036854775807"));
    project.RefreshFileList();
    EXPECT_EQ(project.Summary().TotalSize, "18446744073709551615 bytes");
}

TEST(ProjectModel, TotalsBeyondThirtyTwoBitsAreShownExactly) {
    TProject project(kFolder, "/s");
    project.Files = {Row("a", "2147483647"), Row("b", "2147483647")};
    project.RefreshFileList();
    EXPECT_EQ(project.Summary().TotalSize, "4294967294 bytes");
}

TEST(ProjectModel, UninstallerRowComesAndGoesWithTheOption) {
    TProject project(kFolder, "/s");
    project.Files = {Row("a.exe", "5")};
    project.RefreshFileList();
    project.SetIncludeUninstaller(true);
    ASSERT_EQ(project.Files.size(), 2u);
    EXPECT_EQ(project.Files[1], (TFileEntry{kFolder + "Uninstall.exe", "51200",
                                            "%Install Path%\\Uninstall.exe", "Overwrite", "Yes", "No"}));
    EXPECT_EQ(project.Summary().TotalSize, "51205 bytes");

    project.SetIncludeUninstaller(true); // no change, no second row
    EXPECT_EQ(project.Files.size(), 2u);

    project.SetIncludeUninstaller(false);
    EXPECT_EQ(project.Files, std::vector<TFileEntry>{Row("a.exe", "5")});
    EXPECT_EQ(project.Summary().TotalFiles, "1");
}

TEST(ProjectModel, SwitchingTheUninstallerOffRemovesOnlyTheFirstExactMatch) {
    TProject project(kFolder, "/s");
    const TFileEntry added{kFolder + "Uninstall.exe", "777", "%Install Path%\\Bin\\Uninstall.exe"};
    const TFileEntry otherFolder{"/elsewhere/Uninstall.exe", "51200", "%Install Path%\\Uninstall.exe"};
    const TFileEntry otherCase{kFolder + "uninstall.exe", "1", "%Install Path%\\u.exe"};
    project.Files = {otherFolder, otherCase, added};
    project.SetIncludeUninstaller(true);
    project.SetIncludeUninstaller(false);
    // The earlier row added by hand matches first and goes; the appended uninstaller row stays.
    EXPECT_EQ(project.Files, (std::vector<TFileEntry>{otherFolder, otherCase, project.UninstallerRow()}));
}

TEST(ProjectModel, RuntimeLinesStayPairedWithTheirRows) {
    TProject project(kFolder, "/s");
    for (const char* name : {"one", "two", "three"})
        project.Shortcuts.Append(TShortcutEntry{name, "link"}, std::string("line-") + name);
    project.Shortcuts.RemoveAt(1);
    EXPECT_EQ(project.Shortcuts.Rows(), (std::vector<TShortcutEntry>{{"one", "link"}, {"three", "link"}}));
    EXPECT_EQ(project.Shortcuts.Lines(), (std::vector<std::string>{"line-one", "line-three"}));
    project.Shortcuts.RemoveAt(5);
    EXPECT_EQ(project.Shortcuts.Rows().size(), 2u);
    project.Shortcuts.Clear();
    EXPECT_TRUE(project.Shortcuts.Rows().empty());
    EXPECT_TRUE(project.Shortcuts.Lines().empty());
}

TEST(ProjectModel, NewResetsEveryFieldListAndEntryButKeepsWhatItShouldNotTouch) {
    TProject project(kFolder, "/home/u/Setup.exe");
    project.SetProductName("Other");
    project.ProductVersion = "9";
    project.CompanyName = "X";
    project.SetupFile = "/tmp/x.exe";
    project.Compression = 2;
    project.LogoBitmap = project.HeaderBitmap = "/tmp/p.bmp";
    project.ShowLicense = project.ShowAcceptCheckBox = project.ShowReadme = true;
    project.LicenseFile = project.ReadmeFile = "/tmp/t.rtf";
    project.LicenseText = project.ReadmeText = "{\\rtf1 x}";
    project.InstallBase = 3;
    project.InstallPathFromRegistry = true;
    project.InstallPathRoot = 0;
    project.InstallPathKey = "K";
    project.Files = {Row("a.exe", "5")};
    project.SetIncludeUninstaller(true);
    project.Shortcuts.Append({"s", "l"}, "line");
    project.RegistryValues.Append({}, "line");
    project.LaunchFile = project.RestartComputer = true;
    project.SetLaunchFileIndex(0);
    project.Entry.ShortcutFolder = 2;
    project.Entry.ShortcutName = "Kept";
    project.Entry.RegistryRoot = 0;
    project.Entry.RegistryKey = "k";
    project.Entry.RegistryValueName = "n";
    project.Entry.RegistryValue = "v";
    project.Entry.RegistryType = 1;
    project.Entry.RegistryUninstall = 1;

    project.ResetToNew();

    const TProject fresh(kFolder, "/home/u/Setup.exe");
    EXPECT_EQ(project.ProductName(), fresh.ProductName());
    EXPECT_EQ(project.ProductVersion, fresh.ProductVersion);
    EXPECT_EQ(project.CompanyName, fresh.CompanyName);
    EXPECT_EQ(project.SetupFile, fresh.SetupFile);
    EXPECT_EQ(project.Compression, 1);
    EXPECT_EQ(project.LogoBitmap, fresh.LogoBitmap);
    EXPECT_EQ(project.HeaderBitmap, fresh.HeaderBitmap);
    EXPECT_FALSE(project.ShowLicense || project.ShowAcceptCheckBox || project.ShowReadme ||
                 project.InstallPathFromRegistry || project.IncludeUninstaller() || project.LaunchFile ||
                 project.RestartComputer);
    EXPECT_TRUE(project.LicenseFile.empty() && project.ReadmeFile.empty());
    EXPECT_TRUE(project.LicenseText.empty() && project.ReadmeText.empty());
    EXPECT_EQ(project.InstallBase, 0);
    EXPECT_EQ(project.InstallFolder(), "My Program");
    EXPECT_EQ(project.InstallPathRoot, 2);
    EXPECT_EQ(project.InstallPathKey, fresh.InstallPathKey);
    EXPECT_TRUE(project.Files.empty());
    EXPECT_TRUE(project.Shortcuts.Rows().empty() && project.Shortcuts.Lines().empty());
    EXPECT_TRUE(project.RegistryValues.Rows().empty() && project.RegistryValues.Lines().empty());
    EXPECT_EQ(project.LaunchFileIndex, -1);
    EXPECT_EQ(project.Summary().TotalFiles, "0");
    EXPECT_EQ(project.Summary().TotalSize, "0 bytes");
    EXPECT_TRUE(project.Summary().FileChoices.empty());
    EXPECT_TRUE(project.Summary().LaunchChoices.empty());
    // The value suggestions are emptied after the refresh, so none are offered until the next one.
    EXPECT_TRUE(project.Summary().ValueSuggestions.empty());
    EXPECT_EQ(project.Entry.ShortcutFolder, 0);
    EXPECT_EQ(project.Entry.ShortcutSubfolder, "My Program");
    EXPECT_EQ(project.Entry.RegistryRoot, 2);
    EXPECT_EQ(project.Entry.RegistryKey, "Software\\My Program");
    EXPECT_EQ(project.Entry.RegistryValueName, "InstallPath");
    EXPECT_TRUE(project.Entry.RegistryValue.empty());
    // New leaves the shortcut name, the registry type and the registry uninstall choice alone.
    EXPECT_EQ(project.Entry.ShortcutName, "Kept");
    EXPECT_EQ(project.Entry.RegistryType, 1);
    EXPECT_EQ(project.Entry.RegistryUninstall, 1);
}
