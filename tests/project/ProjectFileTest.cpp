#include "base/Exception.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"

#include "TestSupport.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kf;
using kf::test::ReadFile;

namespace {

const std::string kFolder = "/opt/kelpforge/";

class ProjectFileTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    test::TScriptedPrompter prompter;

    TProject Open(const std::string& aPath) {
        TProject project(kFolder, "/home/u/Setup.exe");
        ReadProjectFile(project, aPath, prompter);
        return project;
    }

    TProject OpenText(const std::string& aText) { return Open(temp.WriteFile("hand.kfp", aText)); }

    // A project that sets every field to something other than its default.
    TProject FullProject() {
        TProject project(kFolder, "/home/u/Setup.exe");
        project.SetProductName("Kelp \u00A9 Tool");
        project.ProductVersion = "2.5";
        project.CompanyName = "\u00A9 2026 Kelp Works";
        project.SetupFile = "/out/KelpSetup.exe";
        project.Compression = 2;
        project.LogoBitmap = "/art/logo.bmp";
        project.HeaderBitmap = "/art/header.bmp";
        project.ShowLicense = true;
        project.LicenseFile = temp.WriteFile("license.rtf", "{\\rtf1 licence}");
        project.ShowAcceptCheckBox = true;
        project.ShowReadme = true;
        project.ReadmeFile = temp.WriteFile("readme.txt", "read me");
        project.InstallBase = 6;
        project.SetInstallFolder("Kelp\\Tool");
        project.InstallPathFromRegistry = true;
        project.InstallPathRoot = 1;
        project.InstallPathKey = "Software\\Kelp\\Path";
        project.Files = {
            TFileEntry{temp.WriteFile("src/app.exe", "0123456789"), "10", "%Install Path%\\app.exe", "Skip",
                       "No", "Yes"},
            TFileEntry{temp.WriteFile("src/sub/data.bin", "xyz"), "3", "%System%\\data.bin", "Overwrite",
                       "Yes", "No"},
        };
        project.RefreshFileList();
        project.LaunchFile = true;
        project.SetLaunchFileIndex(1);
        project.RestartComputer = true;
        project.TargetWindows = kTarget64Bit;
        project.SolidCompression = true;
        project.Shortcuts.Append({"%Desktop%\\App", "%Install Path%\\app.exe"}, "0012App");
        project.Shortcuts.Append({"%Programs Menu%\\Kelp\\Data", "%System%\\data.bin"}, "0020Kelp\\Data");
        project.RegistryValues.Append({"HKCU", "Software\\Kelp", "Count", "Dword", "5", "No"},
                                      "11Software\\Kelp|Count=15");
        return project;
    }
};

void ExpectSameSettings(const TProject& a, const TProject& b) {
    EXPECT_EQ(a.ProductName(), b.ProductName());
    EXPECT_EQ(a.ProductVersion, b.ProductVersion);
    EXPECT_EQ(a.CompanyName, b.CompanyName);
    EXPECT_EQ(a.SetupFile, b.SetupFile);
    EXPECT_EQ(a.Compression, b.Compression);
    EXPECT_EQ(a.LogoBitmap, b.LogoBitmap);
    EXPECT_EQ(a.HeaderBitmap, b.HeaderBitmap);
    EXPECT_EQ(a.ShowLicense, b.ShowLicense);
    EXPECT_EQ(a.LicenseFile, b.LicenseFile);
    EXPECT_EQ(a.ShowAcceptCheckBox, b.ShowAcceptCheckBox);
    EXPECT_EQ(a.ShowReadme, b.ShowReadme);
    EXPECT_EQ(a.ReadmeFile, b.ReadmeFile);
    EXPECT_EQ(a.InstallBase, b.InstallBase);
    EXPECT_EQ(a.InstallFolder(), b.InstallFolder());
    EXPECT_EQ(a.InstallPathFromRegistry, b.InstallPathFromRegistry);
    EXPECT_EQ(a.InstallPathRoot, b.InstallPathRoot);
    EXPECT_EQ(a.InstallPathKey, b.InstallPathKey);
    EXPECT_EQ(a.IncludeUninstaller(), b.IncludeUninstaller());
    EXPECT_EQ(a.LaunchFile, b.LaunchFile);
    EXPECT_EQ(a.LaunchFileIndex, b.LaunchFileIndex);
    EXPECT_EQ(a.RestartComputer, b.RestartComputer);
    EXPECT_EQ(a.TargetWindows, b.TargetWindows);
    EXPECT_EQ(a.SolidCompression, b.SolidCompression);
}

} // namespace

TEST_F(ProjectFileTest, SaveThenOpenGivesBackEveryFieldAndRowWithSizesMeasuredAgain) {
    TProject saved = FullProject();
    const std::string path = temp.Path("full.kfp");
    SaveProjectFile(saved, path);
    temp.WriteFile("src/app.exe", "grown to twenty bytes"); // the stored size is not trusted

    const TProject opened = Open(path);
    ExpectSameSettings(opened, saved);
    saved.Files[0].Size = "21";
    EXPECT_EQ(opened.Files, saved.Files);
    EXPECT_EQ(opened.Shortcuts.Rows(), saved.Shortcuts.Rows());
    EXPECT_EQ(opened.Shortcuts.Lines(), saved.Shortcuts.Lines());
    EXPECT_EQ(opened.RegistryValues.Rows(), saved.RegistryValues.Rows());
    EXPECT_EQ(opened.RegistryValues.Lines(), saved.RegistryValues.Lines());
    EXPECT_EQ(opened.LicenseText, "{\\rtf1 licence}");
    EXPECT_EQ(opened.ReadmeText, "read me");
    EXPECT_EQ(opened.Summary().TotalSize, "24 bytes");
    EXPECT_EQ(opened.Entry.ShortcutSubfolder, "Kelp\\Tool");
    EXPECT_TRUE(prompter.Shown.empty());
}

TEST_F(ProjectFileTest, WritesSectionsKeysAndRowsInTheirLayout) {
    TProject project(kFolder, "/home/u/Setup.exe");
    project.SetIncludeUninstaller(true);
    project.Shortcuts.Append({"%Desktop%\\A", "%Install Path%\\Uninstall.exe"}, "0012A");
    const std::string text = ComposeProjectText(project);
    EXPECT_TRUE(text.starts_with("[Settings]\r\n1=My Program\r\n2=1.0\r\n3=\u00A9 2006 Company\r\n"
                                 "4=/home/u/Setup.exe\r\n5=1\r\n6=/opt/kelpforge/Logo.bmp\r\n"));
    EXPECT_NE(
        text.find("\r\n17=Software\\My Program\\InstallPath\r\n18=1\r\n19=0\r\n20=-1\r\n21=0\r\n22=0\r\n"),
        std::string::npos);
    EXPECT_NE(text.find("[Files]\r\n0=/opt/kelpforge/Uninstall.exe?51200?%Install Path%\\Uninstall.exe?"
                        "Overwrite?Yes?No?\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Shortcuts]\r\n0=%Desktop%\\A?%Install Path%\\Uninstall.exe?\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Shortcuts1]\r\n0=0012A\r\n"), std::string::npos);
    EXPECT_EQ(text.find("[Regedit"), std::string::npos);
    EXPECT_LT(text.find("[Files]"), text.find("[Shortcuts]"));
    EXPECT_LT(text.find("[Shortcuts]"), text.find("[Shortcuts1]"));
}

TEST_F(ProjectFileTest, WritesWindows1252AndFallsBackToUtf8WithABom) {
    TProject project(kFolder, "/s");
    const std::string path = temp.Path("p.kfp");
    SaveProjectFile(project, path);
    EXPECT_NE(ReadFile(path).find("3=\xA9 2006 Company\r\n"), std::string::npos);

    project.SetProductName("\u041C\u043E\u044F \u043F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0430");
    SaveProjectFile(project, path);
    const std::string bytes = ReadFile(path);
    EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF[Settings]\r\n"));
    EXPECT_NE(bytes.find("3=\xC2\xA9 2006 Company"), std::string::npos);
    EXPECT_EQ(Open(path).ProductName(), project.ProductName());
}

TEST_F(ProjectFileTest, ReadsHandWrittenValuesWithTheProfileRules) {
    const std::string app = temp.WriteFile("app.exe", "12345");
    const TProject project = OpenText("[settings]\n"
                                      "1 =  \"Quoted Name\"  \n"
                                      "2=' 3.0 '\n"
                                      "5=7\n13=0x3\n16=-3\n"
                                      "8=2\n19=yes\n20=1\n"
                                      "[FILES]\n"
                                      "1=" +
                                      app +
                                      "?999?%Install Path%\\second?Skip?No?Yes?\n"
                                      "0=" +
                                      app + "?1?%Install Path%\\first?Overwrite?Yes?No\n");
    EXPECT_EQ(project.ProductName(), "Quoted Name");
    EXPECT_EQ(project.InstallFolder(), ""); // key 14 is missing and reads empty after key 1's link
    EXPECT_EQ(project.ProductVersion, " 3.0 ");
    EXPECT_EQ(project.Compression, -1);
    EXPECT_EQ(project.InstallBase, 3);
    EXPECT_EQ(project.InstallPathRoot, -1);
    EXPECT_TRUE(project.ShowLicense);
    EXPECT_FALSE(project.LaunchFile);
    ASSERT_EQ(project.Files.size(), 2u);
    EXPECT_EQ(project.Files[0], (TFileEntry{app, "5", "%Install Path%\\second", "Skip", "No", "Yes"}));
    EXPECT_EQ(project.Files[1], (TFileEntry{app, "5", "%Install Path%\\first", "Overwrite", "Yes", ""}));
    EXPECT_EQ(project.LaunchFileIndex, 1);
}

TEST_F(ProjectFileTest, TextsWithBlankOrQuotedEndsComeBackAsTheyWere) {
    TProject project(kFolder, "/s");
    const std::string path = temp.Path("q.kfp");
    for (const std::string text : {" 3.0 ", "\t1.0", "'beta'", "\"x\"", "'''", "\"", "'a\"", " 'a' "}) {
        project.ProductVersion = text;
        SaveProjectFile(project, path);
        EXPECT_EQ(Open(path).ProductVersion, text) << text;
    }
    project.ProductVersion = "plain 'inside' text";
    SaveProjectFile(project, path);
    EXPECT_NE(ReadFile(path).find("\r\n2=plain 'inside' text\r\n"),
              std::string::npos); // written as it stands
}

TEST_F(ProjectFileTest, TheTargetWindowsOfAnOlderFileIs32BitAndAnUnknownOneIsNone) {
    EXPECT_EQ(OpenText("[Settings]\n1=Old\n").TargetWindows, kTarget32Bit);
    EXPECT_EQ(OpenText("[Settings]\n22=1\n").TargetWindows, kTarget64Bit);
    EXPECT_EQ(OpenText("[Settings]\n22=2\n").TargetWindows, -1);
    EXPECT_FALSE(OpenText("[Settings]\n1=Old\n").SolidCompression);
    EXPECT_TRUE(OpenText("[Settings]\n23=1\n").SolidCompression);
}

TEST_F(ProjectFileTest, ALaunchPositionOutsideTheFileListReadsAsNone) {
    const std::string app = temp.WriteFile("app.exe", "1");
    EXPECT_EQ(OpenText("[Settings]\n20=1\n[Files]\n0=" + app + "?1?x?O?Y?N?\n").LaunchFileIndex, -1);
    EXPECT_EQ(OpenText("[Settings]\n20=0\n[Files]\n0=" + app + "?1?x?O?Y?N?\n").LaunchFileIndex, 0);
}

TEST_F(ProjectFileTest, AQuestionMarkShiftsRegistryColumnsButRuntimeLinesComeBackWhole) {
    TProject project(kFolder, "/s");
    project.RegistryValues.Append({"HKLM", "Soft?ware", "Name", "String", "v", "Yes"}, "20Soft?ware|Name=0v");
    const std::string path = temp.Path("q.kfp");
    SaveProjectFile(project, path);
    const TProject opened = Open(path);
    EXPECT_EQ(opened.RegistryValues.Rows().front(),
              (TRegistryEntry{"HKLM", "Soft", "ware", "Name", "String", "v"}));
    EXPECT_EQ(opened.RegistryValues.Lines().front(), "20Soft?ware|Name=0v");
}

TEST_F(ProjectFileTest, MissingSectionsGiveEmptyListsAndUnevenListsAreTakenAsTheyStand) {
    TProject project = OpenText("[Settings]\n1=A\n[Shortcuts]\n1=second?b?\n0=first?a?\n"
                                "[Shortcuts1]\n0=line0\n1=line1\n2=line2\n");
    EXPECT_TRUE(project.Files.empty());
    EXPECT_TRUE(project.RegistryValues.Rows().empty());
    EXPECT_TRUE(project.RegistryValues.Lines().empty());
    EXPECT_EQ(project.Shortcuts.Rows(), (std::vector<TShortcutEntry>{{"second", "b"}, {"first", "a"}}));
    EXPECT_EQ(project.Shortcuts.Lines(), (std::vector<std::string>{"line0", "line1", "line2"}));
    project.Shortcuts.RemoveAt(0);
    EXPECT_EQ(project.Shortcuts.Lines(), (std::vector<std::string>{"line1", "line2"}));
}

TEST_F(ProjectFileTest, AMissingOrForeignFileGivesTheReadingDefaultsAndKeepsLoadedTexts) {
    for (const std::string& path :
         {temp.Path("missing.kfp"), temp.WriteFile("photo.png", std::string("\x89PNG\r\n\x1a\n\0\0", 10))}) {
        TProject project(kFolder, "/s");
        project.Files = {TFileEntry{"/x", "1", "y"}};
        project.Shortcuts.Append({"s", "l"}, "line");
        project.LicenseText = "kept licence";
        project.ReadmeText = "kept readme";
        ReadProjectFile(project, path, prompter);
        EXPECT_EQ(project.ProductName(), "");
        EXPECT_EQ(project.SetupFile, "");
        EXPECT_EQ(project.Compression, 1);
        EXPECT_EQ(project.InstallBase, 0);
        EXPECT_EQ(project.InstallPathRoot, 2);
        EXPECT_EQ(project.LaunchFileIndex, -1);
        EXPECT_FALSE(project.ShowLicense || project.IncludeUninstaller());
        EXPECT_TRUE(project.Files.empty());
        EXPECT_TRUE(project.Shortcuts.Rows().empty() && project.Shortcuts.Lines().empty());
        EXPECT_EQ(project.LicenseText, "kept licence");
        EXPECT_EQ(project.ReadmeText, "kept readme");
    }
    EXPECT_TRUE(prompter.Shown.empty());
}

TEST_F(ProjectFileTest, TextsAreReloadedOnlyWhenTheFlagIsOnAndAFileIsNamedAndReadable) {
    const std::string readme = temp.WriteFile("readme.rtf", "new readme");
    TProject project(kFolder, "/s");
    project.LicenseText = "old licence";
    project.ReadmeText = "old readme";
    ReadProjectFile(project,
                    temp.WriteFile("t.kfp", "[Settings]\n8=1\n9=" + temp.Path("gone.rtf") +
                                                "\n11=0\n12=" + readme + "\n"),
                    prompter);
    EXPECT_EQ(project.LicenseText, "old licence");
    EXPECT_EQ(project.ReadmeText, "old readme");
    ReadProjectFile(project, temp.WriteFile("t.kfp", "[Settings]\n11=1\n12=" + readme + "\n"), prompter);
    EXPECT_EQ(project.ReadmeText, "new readme");
}

TEST_F(ProjectFileTest, ASourceFileThatCannotBeOpenedCostsItsRowWithAMessage) {
    const std::string first = temp.WriteFile("a.txt", "aa");
    const std::string last = temp.WriteFile("c.txt", "cccc");
    const std::string missing = temp.Path("b.txt");
    const std::string folder = temp.Path("src");
    temp.WriteFile("src/inner.txt", "x");
    const TProject project = OpenText("[Files]\n0=" + first + "?2?%Install Path%\\a.txt?Overwrite?Yes?No?\n" +
                                      "1=" + missing + "?2?%Install Path%\\b.txt?Overwrite?Yes?No?\n" +
                                      "2=" + folder + "?0?%Install Path%\\src?Overwrite?Yes?No?\n" +
                                      "3=" + last + "?4?%Install Path%\\c.txt?Overwrite?Yes?No?\n");
    ASSERT_EQ(project.Files.size(), 2u);
    EXPECT_EQ(project.Files[0].SourcePath, first);
    EXPECT_EQ(project.Files[1].SourcePath, last);
    ASSERT_EQ(prompter.Shown.size(), 2u);
    EXPECT_EQ(prompter.Shown[0].Text, "File access denied:\r" + missing);
    EXPECT_EQ(prompter.Shown[0].Caption, "Kelpforge");
    EXPECT_EQ(prompter.Shown[0].Icon, TMsgIcon::Error);
    EXPECT_EQ(prompter.Shown[0].Buttons, TMsgButtons::Ok);
    EXPECT_EQ(prompter.Shown[1].Text, "File access denied:\r" + folder);
    EXPECT_EQ(project.Summary().TotalFiles, "2");
}

TEST_F(ProjectFileTest, ALineBreakInAnyTextRefusesTheSaveAndWritesNothing) {
    const std::string path = temp.WriteFile("keep.kfp", "previous content");
    struct TCase {
        std::function<void(TProject&)> Spoil;
        std::string Named;
    };
    const std::vector<TCase> cases = {
        {[](TProject& p) { p.SetProductName("A\r\nB"); }, "\"Product name\""},
        {[](TProject& p) { p.InstallPathKey = "K\n"; }, "\"Install path registry key\""},
        {[](TProject& p) {
             p.Files = {{"/a", "1", "x"}, {"/b", "1", "y\r"}};
         },
         "\"Install to\" of row 2 of the file list"},
        {[](TProject& p) {
             p.Shortcuts.Append({"s", "l\n[Settings]"}, "ok");
         },
         "\"Link to file\" of row 1 of the shortcut list"},
        {[](TProject& p) { p.RegistryValues.Append({}, std::string("20k|n=0a\0b", 10)); },
         "the runtime line of row 1 of the registry list"},
    };
    for (const TCase& aCase : cases) {
        TProject project(kFolder, "/s");
        aCase.Spoil(project);
        try {
            SaveProjectFile(project, path);
            ADD_FAILURE() << "saved a text with a line break: " << aCase.Named;
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find(aCase.Named), std::string::npos) << error.what();
        }
        EXPECT_EQ(ReadFile(path), "previous content");
    }
}

TEST_F(ProjectFileTest, AFailedWriteLeavesThePreviousFileByteForByte) {
    const std::string previous(4096, 'p');
    const std::string path = temp.WriteFile("old.kfp", previous);
    TProject project = FullProject();
    project.Files.resize(0);
    for (int i = 0; i < 200; ++i)
        project.Files.push_back(TFileEntry{std::string(100, 'f'), "1", "x"});

    const auto entries = [&] {
        const auto folder = std::filesystem::path(path).parent_path();
        return std::distance(std::filesystem::directory_iterator(folder),
                             std::filesystem::directory_iterator());
    };
    const auto entriesBefore = entries();

    // The file-size limit makes the write fail part way, as a full disk would.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 8192;
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_THROW(
        {
            try {
                SaveProjectFile(project, path);
            } catch (const Exception& error) {
                EXPECT_EQ(std::string(error.what()), "Unable to write to " + path + ": File too large");
                throw;
            }
        },
        Exception);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(ReadFile(path), previous);
    EXPECT_EQ(entries(), entriesBefore) << "a temporary file was left behind";
}

TEST_F(ProjectFileTest, AnUnreachableFolderRaisesTheWriteError) {
    const std::string blocker = temp.WriteFile("blocker", "a file, not a folder");
    const std::string path = blocker + "/p.kfp";
    EXPECT_THROW(SaveProjectFile(TProject(kFolder, "/s"), path), Exception);
    EXPECT_EQ(ReadFile(blocker), "a file, not a folder");
}

TEST_F(ProjectFileTest, ASaveReplacesAllOfALongerEarlierFile) {
    const std::string path = temp.Path("p.kfp");
    TProject project = FullProject();
    SaveProjectFile(project, path);
    project.Files.clear();
    project.Shortcuts.Clear();
    project.RegistryValues.Clear();
    SaveProjectFile(project, path);
    const TProject opened = Open(path);
    EXPECT_TRUE(opened.Files.empty());
    EXPECT_TRUE(opened.Shortcuts.Lines().empty());
    EXPECT_EQ(ReadFile(path).find("[Files]"), std::string::npos);
}

namespace {

std::string FilesRow(size_t aKey, const std::string& aPath, const std::string& anInstallTo) {
    return std::to_string(aKey) + "=" + aPath + "?1?" + anInstallTo + "?Overwrite?Yes?No?\n";
}

} // namespace

TEST_F(ProjectFileTest, ReferencesFollowTheirFilesWhenARowIsDropped) {
    const std::string app = temp.WriteFile("app.exe", "a");
    const std::string lib = temp.WriteFile("lib.dll", "l");
    const std::string text =
        "[Settings]\n19=1\n20=2\n[Files]\n" + FilesRow(0, temp.Path("gone.txt"), "%Install Path%\\gone.txt") +
        FilesRow(1, temp.Path("gone2.txt"), "%Install Path%\\gone2.txt") +
        FilesRow(2, app, "%Install Path%\\app.exe") + FilesRow(3, lib, "%Install Path%\\lib.dll") +
        "[Shortcuts]\n0=%Desktop%\\Gone?%Install Path%\\gone.txt?\n1=%Desktop%\\App?%Install "
        "Path%\\app.exe?\n"
        "2=%Desktop%\\Lib?%Install Path%\\lib.dll?\n3=%Desktop%\\Far?x?\n"
        "[Shortcuts1]\n0=0012Gone\n1=0032App\n2=0042Lib\n3=0092Far\n";
    const TProject project = OpenText(text);
    ASSERT_EQ(project.Files.size(), 2u);
    EXPECT_EQ(project.LaunchFileIndex, 0); // app.exe, now the first row
    EXPECT_EQ(project.Shortcuts.Lines(), (std::vector<std::string>{"0012App", "0022Lib", "0092Far"}));
    ASSERT_EQ(project.Shortcuts.Rows().size(), 3u);
    EXPECT_EQ(project.Shortcuts.Rows()[0].Shortcut, "%Desktop%\\App");
    // Two "File access denied:" messages, then one that lists what was lost.
    ASSERT_EQ(prompter.Shown.size(), 3u);
    EXPECT_EQ(prompter.Shown[2].Caption, "Kelpforge");
    EXPECT_EQ(prompter.Shown[2].Icon, TMsgIcon::Warning);
    EXPECT_EQ(prompter.Shown[2].Text,
              "These referred to files that could not be opened and were removed from the project:\r"
              "the shortcut \"%Desktop%\\Gone\"");
}

TEST_F(ProjectFileTest, ALaunchFileWhoseRowIsDroppedIsReportedAndCleared) {
    const std::string app = temp.WriteFile("app.exe", "a");
    const TProject project = OpenText("[Settings]\n19=1\n20=0\n[Files]\n" +
                                      FilesRow(0, temp.Path("gone.exe"), "%Install Path%\\gone.exe") +
                                      FilesRow(1, app, "%Install Path%\\app.exe"));
    EXPECT_EQ(project.LaunchFileIndex, -1);
    ASSERT_EQ(prompter.Shown.size(), 2u);
    EXPECT_NE(prompter.Shown[1].Text.find("\rthe file to launch after installation"), std::string::npos);
}

TEST_F(ProjectFileTest, WithNothingDroppedReferencesStandAsStored) {
    const std::string app = temp.WriteFile("app.exe", "a");
    const TProject project =
        OpenText("[Settings]\n19=1\n20=0\n[Files]\n" + FilesRow(0, app, "%Install Path%\\app.exe") +
                 "[Shortcuts1]\n0=0012App\n1=0052Beyond\n");
    EXPECT_EQ(project.LaunchFileIndex, 0);
    EXPECT_EQ(project.Shortcuts.Lines(), (std::vector<std::string>{"0012App", "0052Beyond"}));
    EXPECT_TRUE(prompter.Shown.empty());
}

// Root opens any file, so the reading runs in a child that has dropped to an ordinary user.
TEST_F(ProjectFileTest, AReadOnlySourceThatAnOrdinaryUserCannotWriteKeepsItsRow) {
    const std::string folder = temp.Path("shared");
    std::filesystem::create_directories(folder);
    const std::string source = temp.WriteFile("shared/Uninstall.exe", "uninstaller");
    const std::string projectFile = temp.WriteFile(
        "shared/p.kfp", "[Settings]\n18=1\n[Files]\n" + FilesRow(0, source, "%Install Path%\\Uninstall.exe"));
    ::chmod(source.c_str(), 0444);
    // The child must reach the file: every folder above it gets search rights for others, and
    // keeps the rest of its mode (the shared temporary folder stays sticky and writable for all).
    for (std::filesystem::path up = folder; up != up.root_path(); up = up.parent_path()) {
        struct stat info {};
        if (::stat(up.c_str(), &info) == 0 && (info.st_mode & S_IXOTH) == 0)
            ::chmod(up.c_str(), (info.st_mode & 07777) | S_IXOTH);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            _exit(3);
        if (::access(source.c_str(), W_OK) == 0)
            _exit(4); // the check would prove nothing
        test::TScriptedPrompter quiet;
        TProject project(kFolder, "/home/u/Setup.exe");
        ReadProjectFile(project, projectFile, quiet);
        _exit(project.Files.size() == 1 && project.Files[0].Size == "11" && quiet.Shown.empty() ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
