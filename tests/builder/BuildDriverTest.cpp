#include "builder/BuildDriver.h"
#include "base/Exception.h"
#include "builder/InstallerDataFile.h"
#include "builder/cabinet/QvCabinetError.h"
#include "runtime/core/ByteSource.h"
#include "runtime/core/InstallerData.h"
#include "runtime/core/SetupContents.h"

#include "../project/TestSupport.h"
#include "CabinetReader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

using namespace kf;
using kf::test::ReadFile;

namespace {

// Records what a build shows and lets a test act at each pump.
class TRecordingHost : public BuildHost {
public:
    std::vector<std::string> Statuses;
    std::vector<int> Progress;
    std::function<void()> OnPump;

    void ShowStatus(const std::string& aText) override { Statuses.push_back(aText); }
    void ShowProgress(int aPercent) override { Progress.push_back(aPercent); }
    void ProcessEvents() override {
        if (OnPump)
            OnPump();
    }
};

class BuildDriverTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    test::TScriptedPrompter prompter;
    TRecordingHost host;
    std::string programFolder;
    std::string stub = std::string("MZ\x90\0stub installer", 18);
    TProject project{"", ""};

    void SetUp() override {
        // The build's private folders go below the test's own folder, where they can be counted.
        setenv("TMPDIR", temp.Path("tmp").c_str(), 1);
        std::filesystem::create_directories(temp.Path("tmp"));
        programFolder = temp.Path("program/");
        temp.WriteFile("program/Installer.exe", stub);
        temp.WriteFile("program/Uninstall.exe", std::string(3000, 'u'));
        project = TProject(programFolder, temp.Path("out/Setup.exe"));
        project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
        project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
        std::filesystem::create_directories(temp.Path("out"));
    }
    void TearDown() override { unsetenv("TMPDIR"); }

    void AddFile(const std::string& aRelative, const std::string& aBytes, const std::string& anInstallTo) {
        const std::string path = temp.WriteFile(aRelative, aBytes);
        project.Files.push_back(TFileEntry{path, std::to_string(aBytes.size()), anInstallTo});
        project.RefreshFileList();
    }

    TBuildOutcome Build() {
        TBuildDriver driver(project, host, prompter, programFolder);
        return driver.Run();
    }

    bool NoBuildFolderLeft() const { return std::filesystem::is_empty(temp.Path("tmp")); }
};

// The bar for small files: the share of rows packed, then of rows appended, then 0 again.
std::vector<int> ExpectedProgress(int n) {
    std::vector<int> values;
    for (int i = 0; i <= n; ++i)
        values.push_back(static_cast<int>(std::nearbyint(50.0 * i / n)));
    for (int i = 0; i < n; ++i)
        values.push_back(50 + static_cast<int>(std::nearbyint(50.0 * (i + 1) / n)));
    values.erase(std::unique(values.begin(), values.end()), values.end());
    values.push_back(0);
    return values;
}

// A file that takes a while to pack moves the bar between the checkpoints too.
void ExpectCheckpoints(const std::vector<int>& aShown, const std::vector<int>& aCheckpoints) {
    ASSERT_FALSE(aShown.empty());
    EXPECT_EQ(aShown.back(), 0);
    EXPECT_TRUE(std::is_sorted(aShown.begin(), aShown.end() - 1)) << ::testing::PrintToString(aShown);
    EXPECT_TRUE(std::includes(aShown.begin(), aShown.end() - 1, aCheckpoints.begin(), aCheckpoints.end() - 1))
        << ::testing::PrintToString(aShown);
}

} // namespace

TEST(RoundedPercent, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(RoundedPercent(25, 2), 12);  // 12.5
    EXPECT_EQ(RoundedPercent(75, 2), 38);  // 37.5
    EXPECT_EQ(RoundedPercent(50, 3), 17);  // 16.67
    EXPECT_EQ(RoundedPercent(100, 3), 33); // 33.33
    EXPECT_EQ(RoundedPercent(0, 7), 0);
    EXPECT_EQ(RoundedPercent(50, 1), 50);
}

TEST_F(BuildDriverTest, MissingInformationIsRefusedAndNothingIsWritten) {
    const std::vector<std::function<void(TProject&)>> spoilers = {
        [](TProject& p) { p.SetProductName(""); }, [](TProject& p) { p.SetupFile.clear(); },
        [](TProject& p) { p.LogoBitmap.clear(); }, [](TProject& p) { p.HeaderBitmap.clear(); },
        [](TProject& p) { p.Files.clear(); }};
    for (const auto& spoil : spoilers) {
        AddFile("src/a.exe", "a", "%Install Path%\\a.exe");
        spoil(project);
        prompter.Shown.clear();
        EXPECT_EQ(Build(), TBuildOutcome::WrongInformation);
        ASSERT_EQ(prompter.Shown.size(), 1u);
        EXPECT_EQ(prompter.Shown[0].Text, "Wrong information!");
        EXPECT_EQ(prompter.Shown[0].Caption, "Setup Building");
        EXPECT_EQ(prompter.Shown[0].Icon, TMsgIcon::Error);
        EXPECT_FALSE(std::filesystem::exists(temp.Path("out/Setup.exe")));
        EXPECT_TRUE(NoBuildFolderLeft());
        SetUp();
    }
}

TEST_F(BuildDriverTest, ASetupHoldsTheRuntimeTheFileCabinetsTheMainCabinetAndTheTrailer) {
    AddFile("src/one/app.exe", std::string(70000, 'a') + "end", "%Install Path%\\app.exe");
    AddFile("src/two/app.exe", "same name, other file", "%Install Path%\\sub\\app.exe");
    project.SetIncludeUninstaller(true);
    project.LicenseText = "Plain licence {text}";
    ASSERT_EQ(Build(), TBuildOutcome::Succeeded);

    const std::string setup = ReadFile(temp.Path("out/Setup.exe"));
    ASSERT_GT(setup.size(), stub.size() + 10);
    EXPECT_EQ(setup.substr(0, stub.size()), stub);
    const uint64_t mainSize = std::stoull(setup.substr(setup.size() - 10));
    const std::string mainCabinet = setup.substr(setup.size() - 10 - mainSize, mainSize);
    const auto members = test::ExtractCabinet(mainCabinet, temp.Path("main"));
    ASSERT_EQ(members.size(), 5u);
    EXPECT_EQ(members[0].first, "kelpforge.dat");
    EXPECT_EQ(members[1].first, "license.rtf");
    EXPECT_EQ(members[2].first, "readme.rtf");
    EXPECT_EQ(members[3], std::make_pair(std::string("logo.bmp"), test::TinyBitmap('L')));
    EXPECT_EQ(members[4], std::make_pair(std::string("header.bmp"), test::TinyBitmap('H')));
    EXPECT_NE(members[1].second.find("Plain licence \\{text\\}"), std::string::npos);
    EXPECT_TRUE(members[2].second.starts_with("{\\rtf1"));

    // Line 10 of the data file locates each file cabinet after the runtime.
    const std::string data = members[0].second;
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = data.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(data.substr(start, end - start));
    ASSERT_EQ(lines.size(), kDataFileLines);
    TDataLines expected = ComposeDataLines(project);
    uint64_t offset = stub.size();
    std::vector<uint64_t> sizes;
    for (size_t pos = 0, mark; (mark = lines[kPackedSizeLine].find('?', pos)) != std::string::npos;
         pos = mark + 1)
        sizes.push_back(std::stoull(lines[kPackedSizeLine].substr(pos, mark - pos)));
    ASSERT_EQ(sizes.size(), 3u);
    for (size_t i = 0; i < sizes.size(); ++i) {
        const auto files =
            test::ExtractCabinet(setup.substr(offset, sizes[i]), temp.Path("file" + std::to_string(i)));
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(files[0].first, std::filesystem::path(project.Files[i].SourcePath).filename().string());
        EXPECT_EQ(files[0].second, ReadFile(project.Files[i].SourcePath));
        offset += sizes[i];
    }
    EXPECT_EQ(offset + mainSize + 10, setup.size());
    expected[kPackedSizeLine] = lines[kPackedSizeLine];
    expected[2] = "\xA9 2006 Company"; // the data file is in Windows-1252
    for (size_t i = 0; i < kDataFileLines; ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;

    ASSERT_EQ(prompter.Shown.size(), 1u);
    EXPECT_EQ(prompter.Shown[0].Text,
              "Installer was successfully created!\r\rFile size: " + std::to_string(setup.size()) + " bytes");
    EXPECT_EQ(prompter.Shown[0].Icon, TMsgIcon::Information);
    ExpectCheckpoints(host.Progress, ExpectedProgress(3));
    EXPECT_EQ(host.Statuses, (std::vector<std::string>{"app.exe", "app.exe", "Uninstall.exe", ""}));
    EXPECT_TRUE(NoBuildFolderLeft());
}

TEST_F(BuildDriverTest, ProgressForOneAndTwoFiles) {
    AddFile("src/a", "a", "%Install Path%\\a");
    ASSERT_EQ(Build(), TBuildOutcome::Succeeded);
    EXPECT_EQ(host.Progress, (std::vector<int>{0, 50, 100, 0}));
    AddFile("src/b", "b", "%Install Path%\\b");
    host.Progress.clear();
    ASSERT_EQ(Build(), TBuildOutcome::Succeeded);
    EXPECT_EQ(host.Progress, (std::vector<int>{0, 25, 50, 75, 100, 0}));
}

TEST_F(BuildDriverTest, TheBarMovesWhileALargeFileIsPackedAndNeverGoesBack) {
    project.Compression = 2;
    AddFile("src/large.bin", test::NoiseBytes(4 << 20), "%Install Path%\\large.bin");
    ASSERT_EQ(Build(), TBuildOutcome::Succeeded);
    ASSERT_GE(host.Progress.size(), 4u);
    EXPECT_EQ(host.Progress.front(), 0);
    EXPECT_TRUE(std::is_sorted(host.Progress.begin(), host.Progress.end() - 1))
        << ::testing::PrintToString(host.Progress);
    EXPECT_EQ(host.Progress.end()[-2], 100);
    EXPECT_EQ(host.Progress.back(), 0);
    EXPECT_TRUE(std::any_of(host.Progress.begin(), host.Progress.end(),
                            [](int aValue) { return aValue > 0 && aValue < 50; }))
        << "nothing shown while the file was packed: " << ::testing::PrintToString(host.Progress);
    EXPECT_NE(std::find(host.Progress.begin(), host.Progress.end(), 50), host.Progress.end());
}

TEST_F(BuildDriverTest, ACancelWhileALargeFileIsPackedStopsItThere) {
    project.Compression = 2;
    AddFile("src/large.bin", test::NoiseBytes(4 << 20), "%Install Path%\\large.bin");
    TBuildDriver driver(project, host, prompter, programFolder);
    host.OnPump = [&] {
        if (!host.Progress.empty() && host.Progress.back() > 0)
            driver.RequestCancel();
    };
    EXPECT_EQ(driver.Run(), TBuildOutcome::Cancelled);
    EXPECT_LT(host.Progress.back(), 50) << "the file was packed to its end";
    EXPECT_FALSE(std::filesystem::exists(temp.Path("out/Setup.exe")));
    EXPECT_TRUE(NoBuildFolderLeft());
}

// The small first row is done at once; the large second one is still on a packing thread when the
// build is cancelled. Packing it to its end takes many seconds.
TEST_F(BuildDriverTest, ACancelReachesTheThreadThatPacksALaterRowAndTheBuildReturnsPromptly) {
    project.Compression = 2;
    AddFile("src/small.txt", "small", "%Install Path%\\small.txt");
    AddFile("src/large.bin", test::NoiseBytes(24 << 20), "%Install Path%\\large.bin");
    TBuildDriver driver(project, host, prompter, programFolder);
    std::chrono::steady_clock::time_point cancelled;
    host.OnPump = [&] {
        if (cancelled == std::chrono::steady_clock::time_point() && !host.Progress.empty() &&
            host.Progress.back() > 25) {
            cancelled = std::chrono::steady_clock::now();
            driver.RequestCancel();
        }
    };
    EXPECT_EQ(driver.Run(), TBuildOutcome::Cancelled);
    ASSERT_NE(cancelled, std::chrono::steady_clock::time_point()) << "the large row showed no progress";
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::seconds(3));
    EXPECT_LT(host.Progress.back(), 50) << "the large file was packed to its end";
    EXPECT_TRUE(NoBuildFolderLeft()) << "the build left temporary files";
    EXPECT_FALSE(std::filesystem::exists(temp.Path("out/Setup.exe")));
}

TEST_F(BuildDriverTest, StoredFilesComeOutWholeToo) {
    project.Compression = 0;
    AddFile("src/data.bin", std::string(100000, '\x7f'), "%Install Path%\\data.bin");
    ASSERT_EQ(Build(), TBuildOutcome::Succeeded);
    const std::string setup = ReadFile(temp.Path("out/Setup.exe"));
    const uint64_t mainSize = std::stoull(setup.substr(setup.size() - 10));
    const std::string fileCabinet = setup.substr(stub.size(), setup.size() - stub.size() - 10 - mainSize);
    EXPECT_GT(fileCabinet.size(), 100000u);
    const auto files = test::ExtractCabinet(fileCabinet, temp.Path("x"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].second, std::string(100000, '\x7f'));
}

TEST_F(BuildDriverTest, AMissingLogoFailsInTheMainCabinetAndLeavesTheSetupFileAlone) {
    temp.WriteFile("out/Setup.exe", "an older setup");
    AddFile("src/a", "a", "%Install Path%\\a");
    project.LogoBitmap = temp.Path("art/none.bmp");
    try {
        Build();
        FAIL() << "a missing logo was packed";
    } catch (const EQvCabinet& error) {
        EXPECT_TRUE(std::string(error.what()).ends_with("\r\n" + project.LogoBitmap)) << error.what();
    }
    EXPECT_EQ(ReadFile(temp.Path("out/Setup.exe")), "an older setup");
    EXPECT_TRUE(NoBuildFolderLeft());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path("out")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(BuildDriverTest, CancelWhilePackingWritesNothing) {
    temp.WriteFile("out/Setup.exe", "an older setup");
    AddFile("src/a", "a", "%Install Path%\\a");
    AddFile("src/b", "b", "%Install Path%\\b");
    TBuildDriver driver(project, host, prompter, programFolder);
    host.OnPump = [&] { driver.RequestCancel(); };
    EXPECT_EQ(driver.Run(), TBuildOutcome::Cancelled);
    EXPECT_EQ(ReadFile(temp.Path("out/Setup.exe")), "an older setup");
    EXPECT_TRUE(NoBuildFolderLeft());
    EXPECT_TRUE(prompter.Shown.empty());
}

TEST_F(BuildDriverTest, CancelWhileAppendingLeavesTheOldSetupAndNoPartialFile) {
    temp.WriteFile("out/Setup.exe", "an older setup");
    AddFile("src/a", std::string(10000, 'a'), "%Install Path%\\a");
    AddFile("src/b", "b", "%Install Path%\\b");
    TBuildDriver driver(project, host, prompter, programFolder);
    host.OnPump = [&] {
        if (!host.Progress.empty() && host.Progress.back() > 50)
            driver.RequestCancel();
    };
    EXPECT_EQ(driver.Run(), TBuildOutcome::Cancelled);
    EXPECT_EQ(ReadFile(temp.Path("out/Setup.exe")), "an older setup");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path("out")),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_TRUE(NoBuildFolderLeft());
}

TEST_F(BuildDriverTest, CancelAsksFirstAndOnlyNoKeepsGoing) {
    TBuildDriver driver(project, host, prompter, programFolder);
    prompter.Answers = {TMsgResult::No, TMsgResult::Yes};
    EXPECT_FALSE(driver.ConfirmCancel());
    EXPECT_EQ(prompter.Shown[0].Text, "Are you sure you want to stop setup building?");
    EXPECT_EQ(prompter.Shown[0].Buttons, TMsgButtons::YesNo);
    EXPECT_EQ(prompter.Shown[0].Icon, TMsgIcon::Question);
    EXPECT_TRUE(driver.ConfirmCancel());
}

TEST_F(BuildDriverTest, AnUnwritableSetupPathIsReported) {
    AddFile("src/a", "a", "%Install Path%\\a");
    project.SetupFile = temp.WriteFile("blocker", "a file") + "/Setup.exe";
    EXPECT_EQ(Build(), TBuildOutcome::SetupNotWritable);
    ASSERT_EQ(prompter.Shown.size(), 1u);
    EXPECT_EQ(prompter.Shown[0].Text, "File access denied:\r" + project.SetupFile);
    EXPECT_EQ(prompter.Shown[0].Caption, "Setup Building");
    EXPECT_TRUE(NoBuildFolderLeft());
}

TEST_F(BuildDriverTest, AMissingRuntimeStopsTheBuildNamingIt) {
    temp.WriteFile("out/Setup.exe", "an older setup");
    AddFile("src/a", "a", "%Install Path%\\a");
    std::filesystem::remove(programFolder + "Installer.exe");
    try {
        Build();
        FAIL() << "built without a runtime";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(programFolder + "Installer.exe"), std::string::npos);
    }
    EXPECT_EQ(ReadFile(temp.Path("out/Setup.exe")), "an older setup");
}

TEST_F(BuildDriverTest, ValuesTheDataFileCannotCarryStopTheBuildBeforeAnythingIsWritten) {
    AddFile("src/a", "a", "%Install Path%\\a?b");
    EXPECT_THROW(Build(), Exception);
    EXPECT_FALSE(std::filesystem::exists(temp.Path("out/Setup.exe")));
    EXPECT_TRUE(NoBuildFolderLeft());
}

// A setup path that names an input of the build, by its path or through a symbolic or hard link,
// is refused naming both before anything is written; the input keeps its bytes.
TEST_F(BuildDriverTest, ASetupPathThatNamesAnInputOfTheBuildIsRefusedAndTheInputKept) {
    AddFile("src/a.exe", "program a", "%Install Path%\\a.exe");
    const std::string projectFile = temp.WriteFile("App.kfp", "[Settings]\r\n");
    std::filesystem::create_symlink(temp.Path("src/a.exe"), temp.Path("out/link.exe"));
    std::filesystem::create_hard_link(project.LogoBitmap, temp.Path("out/hard.exe"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {projectFile, "the project file"},
        {temp.Path("src/a.exe"), "the source of row 1 of the file list"},
        {temp.Path("out/link.exe"), "the source of row 1 of the file list"},
        {temp.Path("out/hard.exe"), "the logo bitmap"},
        {programFolder + "Installer.exe", "the installer runtime"}};
    for (const auto& [setup, what] : cases) {
        SCOPED_TRACE(setup);
        project.SetupFile = setup;
        const std::string before = ReadFile(setup);
        TBuildDriver driver(project, host, prompter, programFolder);
        driver.SetProjectFile(projectFile);
        try {
            driver.Run();
            ADD_FAILURE() << "built over " << what;
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find("The setup file " + setup + " is " + what),
                      std::string::npos)
                << error.what();
        }
        EXPECT_EQ(ReadFile(setup), before);
        EXPECT_TRUE(NoBuildFolderLeft());
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path("out")), {}), 2);
}

// A file larger than one cabinet holds is refused naming it and the limit: before it is read when
// its size shows it, else when the writer would start a second cabinet for its rest.
TEST_F(BuildDriverTest, AFileTooLargeForOneCabinetIsRefusedNamingItAndTheLimit) {
    AddFile("src/small.txt", "small", "%Install Path%\\small.txt");
    AddFile("src/huge.bin", "", "%Install Path%\\huge.bin");
    project.Compression = 0;
    // 3 GiB, and a size whose stored blocks and their headers pass the cabinet's limit.
    for (const uint64_t size : {3ull << 30, 2'147'000'000ull}) {
        std::filesystem::resize_file(temp.Path("src/huge.bin"), size);
        try {
            Build();
            ADD_FAILURE() << "built a file of " << size << " bytes";
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what())
                          .find("The file " + temp.Path("src/huge.bin") +
                                " is too large for the setup: a file is packed into one "
                                "cabinet of 2147483647 bytes at most"),
                      std::string::npos)
                << error.what();
        }
        EXPECT_FALSE(std::filesystem::exists(temp.Path("out/Setup.exe")));
        EXPECT_TRUE(NoBuildFolderLeft());
    }
}

// The build refuses, before it writes anything, each project whose data file the installer's own
// reader would refuse, and names the row or field to mend.
TEST_F(BuildDriverTest, WhatTheInstallerWouldRefuseStopsTheBuildNamingTheRowOrField) {
    AddFile("src/a.exe", "a", "%Install Path%\\a.exe");
    const TProject sound = project;
    const std::vector<std::pair<std::function<void(TProject&)>, std::string>> cases = {
        {[](TProject& p) {
             p.Shortcuts.Append({"%Desktop%\\A", "%Install Path%\\a.exe"}, "0012A");
             p.Shortcuts.Append({"%Desktop%\\B", "%Install Path%\\b.exe"}, "0022B");
         },
         "Shortcut row 2 points to file 2, but the file list has 1 file."},
        {[](TProject& p) {
             p.RegistryValues.Append({"HKLM", "", "Name", "String", "v", "Yes"}, "20|Name=0v");
         },
         "Registry row 1 has an empty key."},
        {[](TProject& p) { p.InstallBase = -1; },
         "Cannot build the setup: the install path (Files page) has no base folder; the project gives none "
         "of the positions 0 to 6 of the base folder list. Choose one and build again"},
        {[](TProject& p) {
             p.InstallPathFromRegistry = true;
             p.InstallPathRoot = -1;
         },
         "The registry value of the install path (Files page) holds \"-\" where the root key's digit from 0 "
         "to 3 "
         "belongs."},
        {[](TProject& p) {
             p.LaunchFile = true;
             p.LaunchFileIndex = 3;
         },
         "The file to launch (Finish page) names file 4, but the file list has 1 file."},
    };
    for (const auto& [change, message] : cases) {
        project = sound;
        change(project);
        // The installer's reader refuses exactly what the build would have written.
        TDataLines lines = ComposeDataLines(project);
        lines[kPackedSizeLine] = PackedSizeLine({100});
        EXPECT_THROW(ParseInstallerData(SplitInstallerData(DataFileBytes(lines))), EDataFile) << message;
        try {
            Build();
            ADD_FAILURE() << "built: " << message;
        } catch (const Exception& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
        EXPECT_FALSE(std::filesystem::exists(temp.Path("out/Setup.exe"))) << message;
        EXPECT_TRUE(NoBuildFolderLeft()) << message;
        EXPECT_TRUE(host.Statuses.empty()) << message; // refused before packing began
    }
}

TEST_F(BuildDriverTest, AMainMemberTooLargeForTheInstallerStopsTheBuild) {
    AddFile("src/a.exe", "a", "%Install Path%\\a.exe");
    project.LogoBitmap = temp.WriteFile("art/huge.bmp", std::string(kMainMemberLimit + 1, 'b'));
    try {
        Build();
        ADD_FAILURE() << "built with a logo beyond the limit";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("the logo bitmap " + project.LogoBitmap), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(temp.Path("out/Setup.exe")));
}

namespace {

// The setup as the installer reads it, with cabextract decoding the data file.
TSetupContents ContentsOf(const std::string& aSetup, const std::string& aScratch) {
    TMemorySource source(aSetup);
    return ReadSetupContents(source, [&](TByteSource& aMain) {
        return test::ExtractCabinet(aMain.Read(0, aMain.Size()), aScratch).at(0).second;
    });
}

// Each member's date and time as cabextract lists them ("dd.mm.yyyy hh:mm:ss"), over every
// cabinet it finds in the file.
std::map<std::string, std::string> ListedDates(const std::string& aFile) {
    int code = -1;
    const std::string listing = test::RunCommand("cabextract -q -l '" + aFile + "'", code);
    EXPECT_EQ(code, 0) << listing;
    std::map<std::string, std::string> dates;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        const size_t first = line.find(" | ");
        const size_t second = line.find(" | ", first + 3);
        if (first != std::string::npos && second != std::string::npos)
            dates[line.substr(second + 3)] = line.substr(first + 3, second - first - 3);
    }
    return dates;
}

void SetWritten(const std::string& aPath, int64_t aSeconds) {
    std::filesystem::last_write_time(
        aPath, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(aSeconds))));
}

} // namespace

TEST_F(BuildDriverTest, SourceDateEpochDatesWhatTheBuildWritesAndNoFileLaterThanIt) {
    AddFile("src/new.txt", "changed today", "%Install Path%\\new.txt");
    AddFile("src/old.txt", "changed long ago", "%Install Path%\\old.txt");
    SetWritten(project.Files[1].SourcePath, 1000000000); // 2001-09-09 01:46:40 UTC
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);        // 2023-11-14 22:13:20 UTC
    setenv("TZ", "KFT-9", 1);
    const TBuildOutcome outcome = Build();
    unsetenv("SOURCE_DATE_EPOCH");
    unsetenv("TZ");
    ASSERT_EQ(outcome, TBuildOutcome::Succeeded);
    const auto dates = ListedDates(temp.Path("out/Setup.exe"));
    for (const char* name :
         {"kelpforge.dat", "license.rtf", "readme.rtf", "logo.bmp", "header.bmp", "new.txt"})
        EXPECT_EQ(dates.count(name) ? dates.at(name) : "missing", "14.11.2023 22:13:20") << name;
    EXPECT_EQ(dates.count("old.txt") ? dates.at("old.txt") : "missing", "09.09.2001 01:46:40");

    setenv("SOURCE_DATE_EPOCH", "17e8", 1);
    EXPECT_THROW(Build(), Exception);
    unsetenv("SOURCE_DATE_EPOCH");
}

TEST_F(BuildDriverTest, WithoutSourceDateEpochTheProjectFileDatesWhatTheBuildWrites) {
    AddFile("src/a.txt", "a", "%Install Path%\\a.txt");
    SetWritten(project.Files[0].SourcePath, 1000000000);
    const std::string projectFile = temp.WriteFile("p.kfp", "saved");
    SetWritten(projectFile, 1234567890); // 2009-02-13 23:31:30 UTC
    TBuildDriver driver(project, host, prompter, programFolder);
    driver.SetProjectFile(projectFile);
    ASSERT_EQ(driver.Run(), TBuildOutcome::Succeeded);
    const auto dates = ListedDates(temp.Path("out/Setup.exe"));
    for (const char* name : {"kelpforge.dat", "license.rtf", "readme.rtf"})
        EXPECT_EQ(dates.count(name) ? dates.at(name) : "missing", "13.02.2009 23:31:30") << name;
    EXPECT_EQ(dates.count("a.txt") ? dates.at("a.txt") : "missing", "09.09.2001 01:46:40");
}

// Rows that the installer's name rule pairs are written as before ("0"); other identical files
// name the row whose cabinet they install ("@N").
TEST_F(BuildDriverTest, AFileWithTheBytesOfAnEarlierRowIsStoredOnceWhateverItsName) {
    const std::string dll = test::NoiseBytes(50000, 7);
    AddFile("src/a/app.dll", dll, "%Install Path%\\app.dll");
    AddFile("src/b/app.dll", dll, "%Install Path%\\plugins\\one\\app.dll");       // row 1 by name
    AddFile("src/c/app.dll", "other", "%Install Path%\\plugins\\two\\app.dll");   // other bytes
    AddFile("src/d/app.dll", "other", "%Install Path%\\plugins\\three\\app.dll"); // row 3, not row 1
    AddFile("src/e/lib.dll", dll, "%Install Path%\\lib.dll");                     // another name
    project.Files.push_back(TFileEntry{project.Files[1].SourcePath, "0", "%Install Path%\\renamed.dll"});
    AddFile("src/f/app.dll", dll, "%Install Path%\\plugins\\four\\app.dll"); // row 1 by name
    AddFile("src/g/same-size.dll", std::string(dll).replace(25000, 1, "!"), "%Install Path%\\near.dll");
    ASSERT_EQ(Build(), TBuildOutcome::Succeeded);
    const std::string setup = ReadFile(temp.Path("out/Setup.exe"));
    const TSetupContents contents = ContentsOf(setup, temp.Path("decoded"));
    EXPECT_EQ(contents.CabinetRows, (std::vector<size_t>{0, 0, 2, 2, 0, 0, 0, 7}));
    const std::string sizes = contents.DataLines[kPackedSizeLine];
    EXPECT_NE(sizes.find("?0?" + std::to_string(contents.Layout.CabinetSizes[2]) + "?@3?@1?@1?0?"),
              std::string::npos)
        << sizes;
    for (size_t row = 0; row < project.Files.size(); ++row) {
        const auto members = test::ExtractCabinet(
            setup.substr(contents.Layout.CabinetOffsets[row], contents.Layout.CabinetSizes[row]),
            temp.Path("row" + std::to_string(row)));
        ASSERT_EQ(members.size(), 1u) << row;
        EXPECT_EQ(members[0].second, ReadFile(project.Files[row].SourcePath)) << row;
    }
    EXPECT_TRUE(NoBuildFolderLeft());

    // Kept apart on request, every row has a cabinet again and the setup is larger by four.
    TBuildDriver driver(project, host, prompter, programFolder);
    driver.SetStoreDuplicatesOnce(false);
    ASSERT_EQ(driver.Run(), TBuildOutcome::Succeeded);
    const std::string apart = ReadFile(temp.Path("out/Setup.exe"));
    EXPECT_EQ(ContentsOf(apart, temp.Path("decoded2")).CabinetRows,
              (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_GT(apart.size(), setup.size() + 4 * dll.size());
}

// Solid, consecutive files share one cabinet; each row decodes to its own bytes, a file that an
// earlier row stores is installed from that row's member, and what the files share is stored once.
TEST_F(BuildDriverTest, SolidCompressionPacksConsecutiveFilesIntoOneCabinetThatGivesEachRowItsBytes) {
    std::string header;
    for (uint32_t i = 0, seed = 7; i < 400; ++i, seed = seed * 1103515245 + 12345)
        header += "int kelp_" + std::to_string(seed >> 8) + "(const char* name, int size);\n";
    const std::string otherHeader = header + "int the_one_difference(void);\n";
    AddFile("src/inc/one.h", header, "%Install Path%\\include\\one.h");
    AddFile("src/inc/two.h", otherHeader, "%Install Path%\\include\\two.h");
    AddFile("src/lib/app.dll", test::NoiseBytes(70000, 3), "%Install Path%\\app.dll");
    AddFile("src/copy/two.h", otherHeader, "%Install Path%\\copy\\two.h");
    AddFile("src/again/one.h", header, "%Install Path%\\again\\one.h");
    project.Compression = 2;
    project.SolidCompression = true;
    ASSERT_EQ(Build(), TBuildOutcome::Succeeded);
    const std::string solid = ReadFile(temp.Path("out/Setup.exe"));
    const TSetupContents contents = ContentsOf(solid, temp.Path("decoded"));
    EXPECT_EQ(contents.CabinetRows, (std::vector<size_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(contents.MemberIndexes, (std::vector<size_t>{0, 1, 2, 1, 0}));
    EXPECT_EQ(contents.DataLines[kPackedSizeLine],
              std::to_string(contents.Layout.CabinetSizes[0]) + "?@1/2?@1/3?@1/2?0?");
    const auto members =
        test::ExtractCabinet(solid.substr(contents.Layout.CabinetOffsets[0], contents.Layout.CabinetSizes[0]),
                             temp.Path("members"));
    ASSERT_EQ(members.size(), 3u);
    for (size_t row = 0; row < project.Files.size(); ++row)
        EXPECT_EQ(members[contents.MemberIndexes[row]].second, ReadFile(project.Files[row].SourcePath))
            << row;
    EXPECT_EQ(host.Progress.end()[-2], 100);
    EXPECT_TRUE(std::is_sorted(host.Progress.begin(), host.Progress.end() - 1))
        << ::testing::PrintToString(host.Progress);
    EXPECT_TRUE(NoBuildFolderLeft());

    project.SolidCompression = false;
    ASSERT_EQ(Build(), TBuildOutcome::Succeeded);
    const std::string apart = ReadFile(temp.Path("out/Setup.exe"));
    EXPECT_EQ(ContentsOf(apart, temp.Path("decoded2")).DataLines[kPackedSizeLine].find('/'),
              std::string::npos);
    // The second header costs next to nothing where the first one went before it.
    EXPECT_LT(solid.size() + header.size() / 20, apart.size());
}

TEST_F(BuildDriverTest, A64BitTargetCarriesThe64BitRuntimeAndUninstallerUnderTheUsualName) {
    const std::string stub64 = "MZ 64-bit installer";
    temp.WriteFile("program/Installer64.exe", stub64);
    temp.WriteFile("program/Uninstall64.exe", std::string(4000, 'w'));
    AddFile("src/a.exe", "a", "%Install Path%\\a.exe");
    project.SetIncludeUninstaller(true);
    project.TargetWindows = kTarget64Bit;
    ASSERT_EQ(Build(), TBuildOutcome::Succeeded);
    const std::string setup = ReadFile(temp.Path("out/Setup.exe"));
    EXPECT_TRUE(setup.starts_with(stub64));
    const TSetupContents contents = ContentsOf(setup, temp.Path("decoded"));
    EXPECT_EQ(contents.Layout.StubSize, stub64.size());
    ASSERT_EQ(contents.FileMembers.size(), 2u);
    EXPECT_EQ(contents.FileMembers[1].Name, "Uninstall.exe");
    const auto uninstaller = test::ExtractCabinet(
        setup.substr(contents.Layout.CabinetOffsets[1], contents.Layout.CabinetSizes[1]), temp.Path("u"));
    EXPECT_EQ(uninstaller.at(0).second, std::string(4000, 'w'));
    EXPECT_TRUE(NoBuildFolderLeft());

    project.TargetWindows = -1; // a value from a later version
    try {
        Build();
        ADD_FAILURE() << "built for an unknown Windows";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("choose one on the General page"), std::string::npos)
            << error.what();
    }
}
