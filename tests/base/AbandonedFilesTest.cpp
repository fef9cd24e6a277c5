#include "base/AbandonedFiles.h"
#include "TestSupport.h"
#include "base/TemporaryFile.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kf;
namespace fs = std::filesystem;

namespace {

bool IsOurs(std::string_view aName) {
    return IsTemporaryName(aName, "kf-");
}

// A file or folder as an owner makes it, its lock held until the end of the test.
int Owned(const std::string& aPath, bool aFolder) {
    if (aFolder)
        fs::create_directory(aPath);
    else
        ::close(::open(aPath.c_str(), O_WRONLY | O_CREAT, 0600));
    const int descriptor = ::open(aPath.c_str(), O_RDONLY | (aFolder ? O_DIRECTORY : 0));
    EXPECT_TRUE(TakeOwnership(descriptor, aPath));
    return descriptor;
}

std::vector<std::string> Names(const std::string& aFolder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(aFolder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(AbandonedFiles, OnlyUnlockedEntriesOfOurNamingAndKindAreRemoved) {
    test::TTempFolder temp;
    const std::string outside = temp.WriteFile("outside/keep.txt", "keep");
    const std::string folder = temp.Path("tmp");
    temp.WriteFile("tmp/kf-AAAAAA", "abandoned file");
    temp.WriteFile("tmp/kf-BBBBBB/inner/x", "abandoned folder");
    temp.WriteFile("tmp/kf-CCCC", "too short a name");
    temp.WriteFile("tmp/other-DDDDDD", "another program's");
    const int lockedFile = Owned(temp.Path("tmp/kf-EEEEEE"), false);
    const int lockedFolder = Owned(temp.Path("tmp/kf-FFFFFF"), true);
    fs::create_symlink(outside, temp.Path("tmp/kf-GGGGGG"));
    fs::create_symlink(temp.Path("outside"), temp.Path("tmp/kf-HHHHHH"));
    ASSERT_EQ(::mkfifo(temp.Path("tmp/kf-IIIIII").c_str(), 0600), 0);

    RemoveAbandoned(folder, IsOurs, false);
    RemoveAbandoned(folder, IsOurs, true);

    // Links are never followed nor removed, and a FIFO is not waited on.
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"kf-CCCC", "kf-EEEEEE", "kf-FFFFFF", "kf-GGGGGG",
                                                       "kf-HHHHHH", "kf-IIIIII", "other-DDDDDD"}));
    EXPECT_EQ(test::ReadFile(outside), "keep");

    ::close(lockedFile);
    ::close(lockedFolder);
    RemoveAbandoned(folder, IsOurs, false);
    RemoveAbandoned(folder, IsOurs, true);
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{"kf-CCCC", "kf-GGGGGG", "kf-HHHHHH", "kf-IIIIII", "other-DDDDDD"}));
}

TEST(AbandonedFiles, OwnershipOfAnEntryRemovedBeforeTheLockIsRefused) {
    test::TTempFolder temp;
    const std::string path = temp.WriteFile("kf-AAAAAA", "");
    const int descriptor = ::open(path.c_str(), O_RDONLY);
    RemoveAbandoned(temp.Path(""), IsOurs, false); // in the instant before the owner's lock
    EXPECT_FALSE(TakeOwnership(descriptor, path));
    ::close(descriptor);
}

TEST(AbandonedFiles, ATemporaryFileThatAKilledProgramLeftIsRemovedByTheNextOneAndALiveOneIsKept) {
    test::TTempFolder temp;
    const std::string target = temp.WriteFile("p.kfp", "project");
    const pid_t child = ::fork();
    if (child == 0) {
        TTemporaryFile left(target);
        left.WriteAll("half a project");
        ::_exit(left.IsOpen() ? 0 : 1); // as if killed: no destructor runs
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(Names(temp.Path("")).size(), 2u) << "the killed program's temporary file";
    const std::string left = temp.Path("") + "/" + Names(temp.Path(""))[0];
    temp.WriteFile(fs::path(left).filename().string() + ".signed", "a signed copy, half written");

    TTemporaryFile live(target);
    ASSERT_TRUE(live.IsOpen());
    EXPECT_EQ(Names(temp.Path("")),
              (std::vector<std::string>{fs::path(live.Path()).filename().string(), "p.kfp"}));
    // A second writer of the same target, while the first is sealed for a signing program.
    ASSERT_TRUE(live.Seal());
    temp.WriteFile(fs::path(live.Path()).filename().string() + ".signed", "being signed");
    TTemporaryFile second(target);
    EXPECT_TRUE(fs::exists(live.Path()));
    EXPECT_TRUE(fs::exists(live.Path() + ".signed"));
    EXPECT_TRUE(second.CommitTo(target));
    EXPECT_TRUE(live.CommitTo(target));
}

TEST(AbandonedFiles, TemporaryNamesAreThePrefixAndTheRightNumberOfLettersOrDigits) {
    EXPECT_TRUE(IsTemporaryName("qvcA1b2C3", "qvc"));
    EXPECT_FALSE(IsTemporaryName("qvcA1b2C", "qvc"));
    EXPECT_FALSE(IsTemporaryName("qvcA1b2C3D", "qvc"));
    EXPECT_FALSE(IsTemporaryName("qvcA1b.C3", "qvc"));
    EXPECT_FALSE(IsTemporaryName("QVCA1b2C3", "qvc"));
}
