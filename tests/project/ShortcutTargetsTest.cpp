#include "project/ShortcutTargets.h"
#include "project/FileListCommands.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

class ShortcutTargetsTest : public ::testing::Test {
protected:
    TProject project{"/opt/kf/", "/home/u/Setup.exe"};

    void SetUp() override {
        for (const char* name : {"a.exe", "b.dll", "c.txt"})
            project.Files.push_back(
                TFileEntry{std::string("/src/") + name, "1", std::string("%Install Path%\\") + name});
        project.RefreshFileList();
    }
};

} // namespace

TEST(ShortcutFileNumber, ReadsAndReplacesTheThreeDigits) {
    EXPECT_EQ(ShortcutFileNumber("0120My Program\\File"), 12u);
    EXPECT_FALSE(ShortcutFileNumber("01"));
    EXPECT_FALSE(ShortcutFileNumber("0x10File"));
    EXPECT_EQ(WithShortcutFileNumber("0120My Program\\File", 3), "0030My Program\\File");
}

TEST_F(ShortcutTargetsTest, DeletingAShortcutsFileIsRefusedAndChangesNothing) {
    project.Shortcuts.Append({"%Desktop%\\B", "%Install Path%\\b.dll"}, "0022B");
    const auto refusal = DeleteFileRows(project, {1});
    ASSERT_TRUE(refusal);
    EXPECT_EQ(*refusal, "The shortcut \"%Desktop%\\B\" points to file 2 (%Install Path%\\b.dll).\rDelete the "
                        "shortcut first.");
    EXPECT_EQ(project.Files.size(), 3u);
    EXPECT_TRUE(ClearFileRows(project));
    EXPECT_EQ(project.Files.size(), 3u);
}

TEST_F(ShortcutTargetsTest, DeletingAnEarlierRowIsRefusedWhenAShortcutWouldPointPastTheList) {
    project.Shortcuts.Append({"%Desktop%\\C", "%Install Path%\\c.txt"}, "0032C");
    const auto refusal = DeleteFileRows(project, {0});
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("points to file 3, which would not exist after the deletion"), std::string::npos);
    EXPECT_EQ(project.Files.size(), 3u);
}

TEST_F(ShortcutTargetsTest, RowsNoShortcutNeedsAreDeletedAndNumbersStay) {
    project.Shortcuts.Append({"%Desktop%\\A", "%Install Path%\\a.exe"}, "0012A");
    project.Shortcuts.Append({"%Desktop%\\Old", "x"}, "0092Old"); // already without a file
    EXPECT_FALSE(DeleteFileRows(project, {2, 7}));
    ASSERT_EQ(project.Files.size(), 2u);
    EXPECT_EQ(project.Shortcuts.Lines(), (std::vector<std::string>{"0012A", "0092Old"}));
    project.Shortcuts.Clear();
    EXPECT_FALSE(ClearFileRows(project));
    EXPECT_TRUE(project.Files.empty());
}
