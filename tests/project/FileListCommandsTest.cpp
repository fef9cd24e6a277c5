#include "project/FileListCommands.h"

#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace kf;

namespace {

class FileListCommandsTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    TProject project{"/opt/kf/", "/s"};

    std::vector<std::string> InstallPaths() const {
        std::vector<std::string> paths;
        for (const TFileEntry& row : project.Files)
            paths.push_back(row.InstallTo);
        return paths;
    }
};

} // namespace

TEST(AddFilesDestination, JoinsTheBaseFolderAndTheSubfolderAsTyped) {
    EXPECT_EQ(AddFilesDestination(0, ""), "%Install Path%");
    EXPECT_EQ(AddFilesDestination(1, "Bin"), "%Program Files%\\Bin");
    EXPECT_EQ(AddFilesDestination(7, " a\\b\\ "), "%Current Disk%\\ a\\b\\ ");
}

TEST_F(FileListCommandsTest, AddFilesMeasuresEachFileAndAllowsDuplicates) {
    const std::string a = temp.WriteFile("a.exe", "12345");
    const TAddFilesResult result = AddFiles(project, {a, a}, "%Program Files%\\Bin");
    EXPECT_EQ(result.Added, 2u);
    EXPECT_FALSE(result.DeniedPath);
    ASSERT_EQ(project.Files.size(), 2u);
    EXPECT_EQ(project.Files[0],
              (TFileEntry{a, "5", "%Program Files%\\Bin\\a.exe", "Overwrite", "Yes", "No"}));
    EXPECT_EQ(project.Files[1], project.Files[0]);
}

TEST_F(FileListCommandsTest, TheFirstFileThatCannotBeOpenedStopsTheOperation) {
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i)
        paths.push_back(temp.WriteFile("f" + std::to_string(i), "x"));
    std::filesystem::remove(paths[2]); // the third file vanished after it was chosen
    const TAddFilesResult result = AddFiles(project, paths, "%Install Path%");
    EXPECT_EQ(result.Added, 2u);
    EXPECT_EQ(result.DeniedPath, paths[2]);
    EXPECT_EQ(project.Files.size(), 2u);
}

TEST_F(FileListCommandsTest, AddingAReadOnlyFileMakesItWritable) {
    const std::string path = temp.WriteFile("ro.txt", "r");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(AddFiles(project, {path}, "%Install Path%").Added, 1u);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IWUSR, 0u);
}

TEST_F(FileListCommandsTest, AddFolderKeepsTheInnerStructureDepthFirst) {
    temp.WriteFile("pick/a.txt", "a");
    temp.WriteFile("pick/sub/b.txt", "bb");
    temp.WriteFile("pick/sub/deeper/c.txt", "ccc");
    std::filesystem::create_directories(temp.Path("pick/empty"));
    const TAddFilesResult result = AddFolder(project, temp.Path("pick") + "/");
    EXPECT_EQ(result.Added, 3u);
    std::vector<std::string> paths = InstallPaths();
    // Depth first: every file of a folder comes right after the folder's place in the listing.
    const auto subFirst = std::find(paths.begin(), paths.end(), "%Install Path%\\sub\\b.txt");
    const auto deeper = std::find(paths.begin(), paths.end(), "%Install Path%\\sub\\deeper\\c.txt");
    ASSERT_NE(subFirst, paths.end());
    ASSERT_NE(deeper, paths.end());
    EXPECT_EQ(std::abs(std::distance(subFirst, deeper)), 1);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"%Install Path%\\a.txt", "%Install Path%\\sub\\b.txt",
                                               "%Install Path%\\sub\\deeper\\c.txt"}));
}

TEST_F(FileListCommandsTest, ALinkLoopEndsAtTheFolderAlreadyScanned) {
    const std::string file = temp.WriteFile("loop/a.txt", "a");
    std::filesystem::create_directory_symlink(temp.Path("loop"), temp.Path("loop/again"));
    const std::optional<TFolderContents> contents = ScanFolder(temp.Path("loop"));
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->Files, std::vector<std::string>{file});
    EXPECT_EQ(contents->RepeatedFolderLinks, std::vector<std::string>{temp.Path("loop/again")});
    EXPECT_TRUE(contents->SpecialFiles.empty());
    const TAddFilesResult result = AddFolder(project, temp.Path("loop"));
    EXPECT_EQ(result.Added, 1u);
    EXPECT_FALSE(result.DeniedPath);
    EXPECT_EQ(result.SkippedFolderLinks, std::vector<std::string>{temp.Path("loop/again")});
}

TEST_F(FileListCommandsTest, AddFolderFollowsLinksAndPassesOverSpecialFiles) {
    const std::string file = temp.WriteFile("mixed/real.txt", "12345");
    temp.WriteFile("elsewhere/shared.txt", "shared");
    namespace fs = std::filesystem;
    fs::create_symlink(file, temp.Path("mixed/to-real.txt"));
    fs::create_directory_symlink(temp.Path("elsewhere"), temp.Path("mixed/linked")); // not scanned yet
    fs::create_directories(temp.Path("mixed/inner"));
    fs::create_directory_symlink(temp.Path("mixed"), temp.Path("mixed/inner/up")); // a loop
    fs::create_symlink(temp.Path("mixed/missing"), temp.Path("mixed/broken"));
    fs::create_symlink(temp.Path("mixed/self"), temp.Path("mixed/self"));
    ASSERT_EQ(mkfifo(temp.Path("mixed/pipe").c_str(), 0600), 0);
    fs::create_symlink(temp.Path("mixed/pipe"), temp.Path("mixed/to-pipe"));
    const int unixSocket = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(unixSocket, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = temp.Path("mixed/socket");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(unixSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    const TAddFilesResult result = AddFolder(project, temp.Path("mixed"));
    close(unixSocket);
    EXPECT_FALSE(result.Cancelled);
    EXPECT_FALSE(result.DeniedPath) << *result.DeniedPath;
    EXPECT_EQ(result.Added, 3u);
    std::vector<std::string> paths = InstallPaths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"%Install Path%\\linked\\shared.txt",
                                               "%Install Path%\\real.txt", "%Install Path%\\to-real.txt"}));
    for (const TFileEntry& row : project.Files)
        EXPECT_EQ(row.Size, row.SourcePath.ends_with("shared.txt") ? "6" : "5") << row.SourcePath;
    std::vector<std::string> special = result.SkippedSpecialFiles;
    std::sort(special.begin(), special.end());
    EXPECT_EQ(special, (std::vector<std::string>{temp.Path("mixed/broken"), temp.Path("mixed/pipe"),
                                                 temp.Path("mixed/self"), temp.Path("mixed/socket"),
                                                 temp.Path("mixed/to-pipe")}));
    EXPECT_EQ(result.SkippedFolderLinks, std::vector<std::string>{temp.Path("mixed/inner/up")});
    EXPECT_EQ(SkippedFilesText(result), "Skipped 5 special files and 1 folder link already added.");
}

TEST(SkippedFilesText, CountsEachKindAndIsEmptyWhenNothingWasSkipped) {
    TAddFilesResult result;
    EXPECT_EQ(SkippedFilesText(result), "");
    result.SkippedSpecialFiles = {"/a/pipe"};
    EXPECT_EQ(SkippedFilesText(result), "Skipped 1 special file.");
    result.SkippedSpecialFiles.clear();
    result.SkippedFolderLinks = {"/a/up", "/a/b/up"};
    EXPECT_EQ(SkippedFilesText(result), "Skipped 2 folder links already added.");
    result.SkippedSpecialFiles = {"/a/pipe", "/a/socket"};
    EXPECT_EQ(SkippedFilesText(result), "Skipped 2 special files and 2 folder links already added.");
}

TEST(FolderInstallToTest, KeepsThePathInsideTheChosenFolder) {
    EXPECT_EQ(FolderInstallTo("/data/pick", "/data/pick/sub/b.txt"), "%Install Path%\\sub\\b.txt");
    EXPECT_EQ(FolderInstallTo("/data/pick/", "/data/pick/a.txt"), "%Install Path%\\a.txt");
    // A root keeps everything below it, without an empty first part.
    EXPECT_EQ(FolderInstallTo("/", "/etc/hosts"), "%Install Path%\\etc\\hosts");
}

TEST_F(FileListCommandsTest, AddFolderReportsTheScanThenTheMeasuring) {
    for (const char* name : {"tree/a", "tree/b", "tree/sub/c"})
        temp.WriteFile(name, "x");
    std::vector<std::pair<size_t, size_t>> calls;
    const TAddFilesResult result = AddFolder(project, temp.Path("tree"), [&](size_t aDone, size_t aTotal) {
        calls.emplace_back(aDone, aTotal);
        return true;
    });
    EXPECT_EQ(result.Added, 3u);
    EXPECT_FALSE(result.Cancelled);
    using Calls = std::vector<std::pair<size_t, size_t>>;
    EXPECT_EQ(calls, (Calls{{1, 0}, {2, 0}, {3, 0}, {0, 3}, {1, 3}, {2, 3}}));
}

TEST_F(FileListCommandsTest, CancellingAddFolderAddsNothing) {
    project.Files.push_back(TFileEntry{"/kept", "1", "%Install Path%\\kept"});
    for (const char* name : {"tree/a", "tree/b", "tree/c"})
        temp.WriteFile(name, "x");
    for (const size_t stopAt : {size_t{2}, size_t{5}}) { // while scanning, then while measuring
        size_t callsSoFar = 0;
        const TAddFilesResult result =
            AddFolder(project, temp.Path("tree"), [&](size_t, size_t) { return ++callsSoFar < stopAt; });
        EXPECT_TRUE(result.Cancelled) << stopAt;
        EXPECT_EQ(result.Added, 0u) << stopAt;
        ASSERT_EQ(project.Files.size(), 1u) << stopAt;
        EXPECT_EQ(project.Files[0].SourcePath, "/kept");
    }
}

TEST_F(FileListCommandsTest, EditReadsFirstLettersAndWritesTheChoices) {
    TFileEntry row{"/a", "1", "%Install Path%\\a", "overwrite", "Yes", "yes"};
    const TFileRowEdit values = EditValuesOf(row);
    EXPECT_FALSE(values.Overwrite);
    EXPECT_TRUE(values.Uninstall);
    EXPECT_FALSE(values.Register);
    ApplyEdit(row, TFileRowEdit{"any text at all", true, false, true});
    EXPECT_EQ(row, (TFileEntry{"/a", "1", "any text at all", "Overwrite", "No", "Yes"}));
}

TEST_F(FileListCommandsTest, DeleteAndClearRefreshTheChoiceLists) {
    for (const char* name : {"a", "b", "c"})
        project.Files.push_back(TFileEntry{std::string("/") + name, "1", name});
    project.RefreshFileList();
    project.SetLaunchFileIndex(1);
    DeleteFileRows(project, {});
    EXPECT_EQ(project.LaunchFileIndex, -1); // no row selected still refreshes
    DeleteFileRows(project, {2, 0, 2});
    EXPECT_EQ(InstallPaths(), std::vector<std::string>{"b"});
    EXPECT_EQ(project.Summary().TotalFiles, "1");

    project.SetIncludeUninstaller(true);
    ClearFileRows(project);
    EXPECT_FALSE(project.IncludeUninstaller());
    EXPECT_TRUE(project.Files.empty());
    EXPECT_EQ(project.Summary().TotalSize, "0 bytes");
}
