#include "builder/InstallerDataFile.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

TProject NewProjectWithOneFile() {
    TProject project("/opt/kf/", "/home/u/Setup.exe");
    project.Files.push_back(
        TFileEntry{"/src/a.exe", "10", "%Install Path%\\a.exe", "Overwrite", "Yes", "No"});
    project.RefreshFileList();
    return project;
}

std::string CheckMessage(const TProject& aProject) {
    try {
        CheckDataLines(aProject);
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(InstallerDataFile, ANewProjectWithOneFileGivesTheDefaultLines) {
    TDataLines lines = ComposeDataLines(NewProjectWithOneFile());
    lines[kPackedSizeLine] = PackedSizeLine({123});
    EXPECT_EQ(DataFileBytes(lines), "My Program\r\n1.0\r\n\xA9 2006 Company\r\n"
                                    "0\r\n0\r\n0\r\n0\r\n"
                                    "0\\My Program\r\n"
                                    "%Install Path%\\a.exe?\r\n"
                                    "123?\r\n"
                                    "1\r\n1\r\n0\r\n"
                                    "\r\n\r\n\r\n"
                                    "0\r\n0\r\n");
}

TEST(InstallerDataFile, ListsAndFlagStringsFollowTheFileOrder) {
    TProject project = NewProjectWithOneFile();
    project.Files.push_back(TFileEntry{"/src/b.dll", "5", "%System%\\b.dll", "Skip", "No", "Yes"});
    project.Files.push_back(TFileEntry{"/src2/a.exe", "5", "%Install Path%\\a.exe", "overwrite", "", "yes"});
    project.SetIncludeUninstaller(true);
    project.Shortcuts.Append({}, "0010My Program\\File");
    project.Shortcuts.Append({}, "0022App");
    project.RegistryValues.Append({}, "20Software\\My Program|InstallPath=0%Install Path%");
    const TDataLines lines = ComposeDataLines(project);
    EXPECT_EQ(lines[6], "1");
    EXPECT_EQ(lines[8],
              "%Install Path%\\a.exe?%System%\\b.dll?%Install Path%\\a.exe?%Install Path%\\Uninstall.exe?");
    EXPECT_EQ(lines[kPackedSizeLine], "");
    EXPECT_EQ(lines[10], "1001"); // decided by a capital first letter
    EXPECT_EQ(lines[11], "1001");
    EXPECT_EQ(lines[12], "0100");
    EXPECT_EQ(lines[13], "0010My Program\\File?0022App?");
    EXPECT_EQ(lines[14], "20Software\\My Program|InstallPath=0%Install Path%?");
    EXPECT_EQ(PackedSizeLine({70, 0, 123456, 9}), "70?0?123456?9?");
}

TEST(InstallerDataFile, LaunchAndRegistryLinesDependOnTheirOptions) {
    TProject project = NewProjectWithOneFile();
    EXPECT_EQ(ComposeDataLines(project)[15], "");
    project.LaunchFile = true;
    EXPECT_EQ(ComposeDataLines(project)[15], "-1");
    project.SetLaunchFileIndex(0);
    EXPECT_EQ(ComposeDataLines(project)[15], "0");

    EXPECT_EQ(ComposeDataLines(project)[17], "0");
    project.InstallPathFromRegistry = true;
    EXPECT_EQ(ComposeDataLines(project)[17], "2Software\\My Program\\InstallPath");
    project.InstallPathRoot = 0;
    project.InstallPathKey.clear();
    EXPECT_EQ(ComposeDataLines(project)[17], "0");
    project.InstallBase = 5;
    project.SetInstallFolder("Kelp");
    project.RestartComputer = project.ShowLicense = project.ShowAcceptCheckBox = project.ShowReadme = true;
    const TDataLines lines = ComposeDataLines(project);
    EXPECT_EQ(lines[7], "5\\Kelp");
    EXPECT_EQ(lines[3] + lines[4] + lines[5] + lines[16], "1111");
}

TEST(InstallerDataFile, ValuesTheInstallerCannotReadStopTheBuildWithTheirName) {
    TProject project = NewProjectWithOneFile();
    EXPECT_EQ(CheckMessage(project), "");
    project.ProductVersion = "1.0?beta"; // a "?" outside the lists is harmless
    EXPECT_EQ(CheckMessage(project), "");

    project.Files.push_back(TFileEntry{"/b", "1", "%Install Path%\\what?.txt"});
    EXPECT_NE(CheckMessage(project).find("\"Install to\" of row 2 of the file list contains \"?\""),
              std::string::npos);
    project.Files.pop_back();

    project.Shortcuts.Append({}, "0010Line\nbreak");
    EXPECT_NE(CheckMessage(project).find("row 1 of the shortcut list contains a line break"),
              std::string::npos);
    project.Shortcuts.Clear();
    project.Files[0].InstallTo = std::string("%Install Path%\\a\0b", 17);
    EXPECT_NE(CheckMessage(project).find("row 1 of the file list contains a NUL character"),
              std::string::npos);
    project.Files[0].InstallTo = "%Install Path%\\\x1b]0;title\a.txt";
    EXPECT_NE(CheckMessage(project).find("row 1 of the file list contains the control character 0x1B"),
              std::string::npos);
    project.Files[0].InstallTo = "%Install Path%\\a.txt";
    project.SetProductName("Tab\tseparated");
    EXPECT_EQ(CheckMessage(project), "");

    project.RegistryValues.Append({}, "20K|N=0a?b");
    EXPECT_NE(CheckMessage(project).find("row 1 of the registry list"), std::string::npos);
    project.RegistryValues.Clear();

    project.CompanyName = "\u041A\u0435\u043B\u043F";
    EXPECT_NE(CheckMessage(project).find("the company name contains characters outside the Windows-1252"),
              std::string::npos);
}
