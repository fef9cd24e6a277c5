#include "runtime/core/InstallerData.h"

#include "ErrorText.h"
#include "TestData.h"

#include <gtest/gtest.h>

using namespace kf;
using kf::test::DataFileFor;
using kf::test::ProjectWithOneFile;

namespace {

std::string ParseError(const std::string& aBytes) {
    return test::ErrorText([&] { ParseInstallerData(aBytes); });
}

// The data file of a new project with one file, with line aLine (1-based) replaced.
std::string WithLine(size_t aLine, const std::string& aText) {
    std::string bytes = DataFileFor(ProjectWithOneFile());
    size_t start = 0;
    for (size_t i = 1; i < aLine; ++i)
        start = bytes.find("\r\n", start) + 2;
    return bytes.replace(start, bytes.find("\r\n", start) - start, aText);
}

} // namespace

TEST(InstallerData, ReadsWhatTheBuildWritesForANewProject) {
    const TInstallerData data = ParseInstallerData(DataFileFor(ProjectWithOneFile()));
    EXPECT_EQ(data.ProductName, "My Program");
    EXPECT_EQ(data.ProductVersion, "1.0");
    EXPECT_EQ(data.CompanyName, "\xC2\xA9 2006 Company"); // byte 169 comes back as the copyright sign
    EXPECT_FALSE(data.ShowLicense || data.ShowAcceptCheckBox || data.ShowReadme || data.IncludeUninstaller);
    EXPECT_EQ(data.InstallBase, 0);
    EXPECT_EQ(data.InstallFolder, "My Program");
    ASSERT_EQ(data.Files.size(), 1u);
    EXPECT_EQ(data.Files[0].InstallTo, "%Install Path%\\a.exe");
    EXPECT_EQ(data.Files[0].PackedSize, 100u);
    EXPECT_TRUE(data.Files[0].Overwrite);
    EXPECT_TRUE(data.Files[0].Uninstall);
    EXPECT_FALSE(data.Files[0].Register);
    EXPECT_TRUE(data.Shortcuts.empty());
    EXPECT_TRUE(data.RegistryValues.empty());
    EXPECT_FALSE(data.LaunchFile);
    EXPECT_FALSE(data.RestartComputer);
    EXPECT_FALSE(data.InstallPathValue);
}

TEST(InstallerData, ReadsEveryOptionOfAFullProject) {
    TProject project = ProjectWithOneFile();
    project.ShowLicense = project.ShowAcceptCheckBox = project.ShowReadme = true;
    project.InstallBase = 5;
    project.SetInstallFolder("Co\\App");
    project.Files.push_back(TFileEntry{"/src/b.dll", "5", "%System%\\b.dll", "Skip", "No", "Yes"});
    project.Files.push_back(TFileEntry{"/src/c.exe", "5", "%System%\\b.dll", "Overwrite", "Yes", "No"});
    project.SetIncludeUninstaller(true);
    project.RefreshFileList();
    project.Shortcuts.Append({}, "0010My Program\\File");
    project.Shortcuts.Append({}, "0033A\\B\\Go");
    project.RegistryValues.Append({}, "20Software\\My Program|InstallPath=0%Install Path%");
    project.RegistryValues.Append({}, "11Software\\A|Count=15");
    project.RegistryValues.Append({}, "30Key|Empty=0");
    project.LaunchFile = true;
    project.SetLaunchFileIndex(2);
    project.RestartComputer = true;
    project.InstallPathFromRegistry = true;
    project.InstallPathRoot = 1;

    const TInstallerData data = ParseInstallerData(DataFileFor(project));
    EXPECT_TRUE(data.ShowLicense && data.ShowAcceptCheckBox && data.ShowReadme && data.IncludeUninstaller);
    EXPECT_EQ(data.InstallBase, 5);
    EXPECT_EQ(data.InstallFolder, "Co\\App");
    ASSERT_EQ(data.Files.size(), 4u);
    EXPECT_EQ(data.Files[1].InstallTo, "%System%\\b.dll");
    EXPECT_EQ(data.Files[2].InstallTo, "%System%\\b.dll"); // the same target twice stays two rows
    EXPECT_EQ(data.Files[3].InstallTo, "%Install Path%\\Uninstall.exe");
    EXPECT_EQ(data.Files[3].PackedSize, 103u);
    EXPECT_FALSE(data.Files[1].Overwrite || data.Files[1].Uninstall);
    EXPECT_TRUE(data.Files[1].Register);

    ASSERT_EQ(data.Shortcuts.size(), 2u);
    EXPECT_EQ(data.Shortcuts[0].FileRow, 0u);
    EXPECT_EQ(data.Shortcuts[0].Folder, 0);
    EXPECT_EQ(data.Shortcuts[0].Subfolder, "My Program");
    EXPECT_EQ(data.Shortcuts[0].Name, "File");
    EXPECT_EQ(data.Shortcuts[1].FileRow, 2u);
    EXPECT_EQ(data.Shortcuts[1].Folder, 3);
    EXPECT_EQ(data.Shortcuts[1].Subfolder, "A\\B");
    EXPECT_EQ(data.Shortcuts[1].Name, "Go");

    ASSERT_EQ(data.RegistryValues.size(), 3u);
    const TRegistryLine& path = data.RegistryValues[0];
    EXPECT_EQ(path.Root, 2);
    EXPECT_TRUE(path.Uninstall);
    EXPECT_EQ(path.Key, "Software\\My Program");
    EXPECT_EQ(path.Name, "InstallPath");
    EXPECT_EQ(path.Type, TValueType::String);
    EXPECT_EQ(path.Value, "%Install Path%");
    const TRegistryLine& count = data.RegistryValues[1];
    EXPECT_EQ(count.Root, 1);
    EXPECT_FALSE(count.Uninstall);
    EXPECT_EQ(count.Type, TValueType::Dword);
    EXPECT_EQ(count.Value, "5");
    EXPECT_EQ(data.RegistryValues[2].Value, "");

    EXPECT_EQ(data.LaunchFile, 2u);
    EXPECT_TRUE(data.RestartComputer);
    ASSERT_TRUE(data.InstallPathValue);
    EXPECT_EQ(data.InstallPathValue->Root, 1);
    EXPECT_EQ(data.InstallPathValue->Key, "Software\\My Program");
    EXPECT_EQ(data.InstallPathValue->Name, "InstallPath");
}

TEST(InstallerData, GivesItsLinesInUtf8AndThePackedSizesInRowOrder) {
    TProject project = ProjectWithOneFile();
    project.Files.push_back(TFileEntry{"/src/b.dll", "5", "%System%\\b.dll", "Skip", "No", "Yes"});
    const std::string bytes = DataFileFor(project);
    const TInstallerDataLines lines = SplitInstallerData(bytes);
    EXPECT_EQ(lines[2], "\xC2\xA9 2006 Company");
    EXPECT_EQ(lines[9], "100?101?");
    EXPECT_EQ(lines[13], "");
    EXPECT_EQ(lines[17], "0");
    EXPECT_EQ(PackedSizes(ParseInstallerData(lines)), (std::vector<uint64_t>{100, 101}));
}

TEST(InstallerData, LaunchWithoutAFileAndAnEmptyRegistryKeyMeanNothing) {
    TProject project = ProjectWithOneFile();
    project.LaunchFile = true;
    project.InstallPathFromRegistry = true;
    project.InstallPathRoot = 0;
    project.InstallPathKey = "";
    const TInstallerData data = ParseInstallerData(DataFileFor(project));
    EXPECT_FALSE(data.LaunchFile);
    EXPECT_FALSE(data.InstallPathValue);
}

TEST(InstallerData, RefusesAFileThatIsNotEighteenCrLfLines) {
    const std::string good = DataFileFor(ProjectWithOneFile());
    EXPECT_NE(ParseError(good.substr(0, good.size() - 2)).find("holds 17 lines"), std::string::npos);
    EXPECT_NE(ParseError(good + "extra\r\n").find("more than 18 lines"), std::string::npos);
    std::string unixLines = good;
    for (size_t pos; (pos = unixLines.find("\r\n")) != std::string::npos;)
        unixLines.erase(pos, 1);
    EXPECT_NE(ParseError(unixLines).find("holds 0 lines"), std::string::npos);
    EXPECT_NE(ParseError("").find("damaged"), std::string::npos);
}

TEST(InstallerData, RefusesLinesABuildCannotWrite) {
    const std::vector<std::pair<size_t, std::string>> cases = {
        {1, ""},                  // no product name
        {4, "2"},                 // not a flag
        {7, ""},                  // not a flag
        {8, "7\\My Program"},     // base position beyond 6
        {8, "0My Program"},       // no separator
        {9, "%Install Path%\\a"}, // list without its closing "?"
        {10, "100?100?"},         // more sizes than paths
        {10, "12x?"},             // not a size
        {11, "10"},               // one flag too many
        {12, ""},                 // one flag too few
        {13, "2"},                // not a flag
        {14, "0020File?"},        // file number 2 of 1
        {14, "0004File?"},        // folder digit beyond 3
        {14, "0010Folder\\?"},    // no name
        {15, "20Key=0Value?"},    // no "|"
        {15, "20Key|Name?"},      // no "="
        {15, "40Key|Name=0?"},    // root beyond 3
        {15, "20|Name=0x?"},      // no key
        {16, "1"},                // launch file beyond the list
        {16, "x"},                // not a number
        {17, ""},                 // not a flag
        {18, ""},                 // no root digit
    };
    for (const auto& [line, text] : cases)
        EXPECT_NE(ParseError(WithLine(line, text)).find("line " + std::to_string(line) + " "),
                  std::string::npos)
            << "line " << line << ": \"" << text << "\"";
    // A "?" inside an install-to path splits it into more elements than there are rows.
    EXPECT_NE(ParseError(WithLine(9, "%Install Path%\\a?b.exe?")).find("damaged"), std::string::npos);
}

TEST(InstallerData, SplitsJoinedListsAtEveryQuestionMark) {
    EXPECT_EQ(SplitJoinedList(""), std::vector<std::string>{});
    EXPECT_EQ(SplitJoinedList("A?B?"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(SplitJoinedList("?A??"), (std::vector<std::string>{"", "A", ""}));
}
