#include "project/FileListCommands.h"

#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST_F(FileListCommandsTest, ALinkLoopIsNotFollowed) {
    temp.WriteFile("loop/a.txt", "a");
    std::filesystem::create_directory_symlink(temp.Path("loop"), temp.Path("loop/again"));
    const std::optional<std::vector<std::string>> files = ScanFolder(temp.Path("loop"));
    ASSERT_TRUE(files);
    EXPECT_EQ(files->size(), 2u); // the file, and the link listed as an entry of its own
    EXPECT_EQ(AddFolder(project, temp.Path("loop")).DeniedPath, temp.Path("loop/again"));
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
