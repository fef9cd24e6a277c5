#include "builder/cabinet/CabIntf.h"

#include "../../project/TestSupport.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace kf;
using kf::test::ReadFile;

namespace {

constexpr int kReadOnlyBinary = 0x8000;
constexpr int kWriteCreateTruncate = 0x0301;
constexpr int kOwnerReadWrite = _S_IREAD | _S_IWRITE; // what FCI passes for every file it creates

class CabCallbackTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    int err = 0;

    INT_PTR Open(const std::string& aPath, int aFlags) {
        return CabOpen(const_cast<char*>(aPath.c_str()), aFlags, kOwnerReadWrite, &err, nullptr);
    }
    void CloseHandle(INT_PTR aHandle) { EXPECT_EQ(CabClose(aHandle, &err, nullptr), 0); }
};

} // namespace

TEST_F(CabCallbackTest, ReadOnlyOpensAnExistingFileForReadingOnly) {
    const std::string path = temp.WriteFile("a.bin", "abcdef");
    const INT_PTR handle = Open(path, kReadOnlyBinary);
    ASSERT_GE(handle, 0);
    char buffer[8] = {};
    EXPECT_EQ(CabRead(handle, buffer, 8, &err, nullptr), 6u);
    EXPECT_STREQ(buffer, "abcdef");
    EXPECT_EQ(CabWrite(handle, buffer, 1, &err, nullptr), static_cast<UINT>(-1));
    EXPECT_EQ(err, EBADF);
    CloseHandle(handle);

    EXPECT_EQ(Open(temp.Path("missing"), kReadOnlyBinary), -1);
    EXPECT_EQ(err, ENOENT);
}

TEST_F(CabCallbackTest, CreateTruncateReplacesAndExclusiveRefusesAnExistingFile) {
    const std::string path = temp.WriteFile("b.bin", "old content");
    INT_PTR handle = Open(path, kWriteCreateTruncate);
    ASSERT_GE(handle, 0);
    char data[] = "new";
    EXPECT_EQ(CabWrite(handle, data, 3, &err, nullptr), 3u);
    CloseHandle(handle);
    EXPECT_EQ(ReadFile(path), "new");

    EXPECT_EQ(Open(path, 0x0502), -1); // read-write, create, exclusive
    EXPECT_EQ(err, EEXIST);
    handle = Open(temp.Path("fresh.bin"), 0x0502);
    ASSERT_GE(handle, 0);
    CloseHandle(handle);

    EXPECT_EQ(Open(temp.Path("absent.bin"), 0x0201), -1); // truncate without create needs the file
    EXPECT_EQ(err, ENOENT);
    handle = Open(temp.Path("opened-always.bin"), 0x0101); // create without truncate
    ASSERT_GE(handle, 0);
    CloseHandle(handle);
    EXPECT_TRUE(std::filesystem::exists(temp.Path("opened-always.bin")));
}

TEST_F(CabCallbackTest, AppendStartsAtTheEndAndSeekReportsPositions) {
    const std::string path = temp.WriteFile("c.bin", "12345");
    const INT_PTR handle = Open(path, 0x0009); // write only, append
    ASSERT_GE(handle, 0);
    char data[] = "67";
    EXPECT_EQ(CabWrite(handle, data, 2, &err, nullptr), 2u);
    EXPECT_EQ(CabSeek(handle, 0, SEEK_CUR, &err, nullptr), 7);
    EXPECT_EQ(CabSeek(handle, -3, SEEK_END, &err, nullptr), 4);
    EXPECT_EQ(CabSeek(handle, 1, SEEK_SET, &err, nullptr), 1);
    EXPECT_EQ(CabSeek(handle, -5, SEEK_SET, &err, nullptr), -1);
    EXPECT_EQ(err, EINVAL);
    CloseHandle(handle);
    EXPECT_EQ(ReadFile(path), "1234567");
}

TEST_F(CabCallbackTest, TemporaryFilesVanishFromTheFolderAtOnce) {
    const std::string path = temp.Path("t.tmp");
    const INT_PTR handle = Open(path, 0x0142); // read-write, temporary, create
    ASSERT_GE(handle, 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    char data[] = "kept while open";
    EXPECT_EQ(CabWrite(handle, data, 15, &err, nullptr), 15u);
    EXPECT_EQ(CabSeek(handle, 0, SEEK_SET, &err, nullptr), 0);
    char back[16] = {};
    EXPECT_EQ(CabRead(handle, back, 15, &err, nullptr), 15u);
    EXPECT_STREQ(back, "kept while open");
    CloseHandle(handle);
}

TEST_F(CabCallbackTest, FailuresReportTheSystemError) {
    EXPECT_EQ(CabClose(12345, &err, nullptr), -1);
    EXPECT_EQ(err, EBADF);
    char buffer[4];
    EXPECT_EQ(CabRead(12345, buffer, 4, &err, nullptr), static_cast<UINT>(-1));
    EXPECT_EQ(err, EBADF);
    EXPECT_EQ(CabDelete(const_cast<char*>(temp.Path("none").c_str()), &err, nullptr), -1);
    EXPECT_EQ(err, ENOENT);
    const std::string doomed = temp.WriteFile("doomed", "x");
    EXPECT_EQ(CabDelete(const_cast<char*>(doomed.c_str()), &err, nullptr), 0);
    EXPECT_FALSE(std::filesystem::exists(doomed));
}

TEST(CabGetTempFile, HandsOutAnUnusedQvcNameThatFitsItsBuffer) {
    char name[260] = {};
    ASSERT_TRUE(CabGetTempFile(name, sizeof name, nullptr));
    const std::filesystem::path path(name);
    EXPECT_EQ(path.parent_path(), std::filesystem::temp_directory_path().lexically_normal());
    EXPECT_TRUE(path.filename().string().starts_with("qvc"));
    EXPECT_FALSE(std::filesystem::exists(path));

    const int length = static_cast<int>(std::string(name).size());
    char exact[260];
    EXPECT_FALSE(CabGetTempFile(exact, length, nullptr)) << "no room for the terminating zero";
    EXPECT_TRUE(CabGetTempFile(exact, length + 1, nullptr));
}

TEST_F(CabCallbackTest, OpenInfoGivesDosDateTimeAndAttributesThenAReadHandle) {
    const std::string path = temp.WriteFile("info.txt", "payload");
    tm when{};
    when.tm_year = 2021 - 1900, when.tm_mon = 6, when.tm_mday = 15, when.tm_hour = 13, when.tm_min = 45;
    when.tm_sec = 31, when.tm_isdst = -1;
    const time_t stamp = mktime(&when);
    const timeval times[2] = {{stamp, 0}, {stamp, 0}};
    ASSERT_EQ(utimes(path.c_str(), times), 0);

    USHORT date = 0, time = 0, attributes = 0;
    INT_PTR handle =
        CabGetOpenInfo(const_cast<char*>(path.c_str()), &date, &time, &attributes, &err, nullptr);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(date, ((2021 - 1980) << 9) | (7 << 5) | 15);
    EXPECT_EQ(time, (13 << 11) | (45 << 5) | 15);
    EXPECT_EQ(attributes, 0x20);
    char buffer[8] = {};
    EXPECT_EQ(CabRead(handle, buffer, 7, &err, nullptr), 7u);
    CloseHandle(handle);

    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    handle = CabGetOpenInfo(const_cast<char*>(path.c_str()), &date, &time, &attributes, &err, nullptr);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(attributes, 0x21);
    CloseHandle(handle);

    EXPECT_EQ(CabGetOpenInfo(const_cast<char*>(temp.Path("gone").c_str()), &date, &time, &attributes, &err,
                             nullptr),
              -1);
    EXPECT_EQ(err, ENOENT);
}

TEST_F(CabCallbackTest, FilesItCreatesAreTheOwnersAloneWhateverTheUmask) {
    const mode_t previous = ::umask(0);
    const INT_PTR handle = Open(temp.Path("spool"), 0x0502);
    ::umask(previous);
    ASSERT_GE(handle, 0);
    CloseHandle(handle);
    struct stat info {};
    ASSERT_EQ(::stat(temp.Path("spool").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(CabCallbackTest, OpenInfoRefusesAPipeADeviceAndAFolderWithoutBlocking) {
    const std::string pipe = temp.Path("source.dll");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    USHORT date = 0, time = 0, attributes = 0;
    // No writer ever opens the pipe: a blocking open would hang here.
    EXPECT_EQ(CabGetOpenInfo(const_cast<char*>(pipe.c_str()), &date, &time, &attributes, &err, nullptr), -1);
    EXPECT_EQ(err, EINVAL);
    char zero[] = "/dev/zero";
    EXPECT_EQ(CabGetOpenInfo(zero, &date, &time, &attributes, &err, nullptr), -1);
    EXPECT_EQ(err, EINVAL);
    EXPECT_EQ(
        CabGetOpenInfo(const_cast<char*>(temp.Path("").c_str()), &date, &time, &attributes, &err, nullptr),
        -1);
    EXPECT_EQ(err, EISDIR);
}

TEST_F(CabCallbackTest, AbandonedTemporaryFilesAreRemovedAndOnesInUseKept) {
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous != nullptr ? previous : "";
    std::filesystem::create_directories(temp.Path("tmp"));
    ::setenv("TMPDIR", temp.Path("tmp").c_str(), 1);
    char name[260] = {};
    ASSERT_TRUE(CabGetTempFile(name, sizeof name, nullptr));
    const INT_PTR live = Open(name, 0x0502);
    ASSERT_GE(live, 0);
    const std::string abandoned = temp.WriteFile("tmp/qvcZ9y8X7", "a killed build's spool");
    RemoveAbandonedTempFiles();
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    CloseHandle(live);
    RemoveAbandonedTempFiles();
    EXPECT_FALSE(std::filesystem::exists(name)) << "left behind once its writer has closed it";
    if (previous != nullptr)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

TEST_F(CabCallbackTest, TimesBeforeTheDosEpochArePinnedToIt) {
    const std::string path = temp.WriteFile("old.txt", "x");
    const timeval times[2] = {{86400 * 365, 0}, {86400 * 365, 0}}; // 1971
    ASSERT_EQ(utimes(path.c_str(), times), 0);
    USHORT date = 0, time = 0, attributes = 0;
    const INT_PTR handle =
        CabGetOpenInfo(const_cast<char*>(path.c_str()), &date, &time, &attributes, &err, nullptr);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(date, (1 << 5) | 1);
    EXPECT_EQ(time, 0);
    CloseHandle(handle);
}

TEST(CabCompression, LzxCodesCarryTheWindowLevel) {
    EXPECT_EQ(MakeLzxCompression(15), 0x0F03);
    EXPECT_EQ(MakeLzxCompression(21), 0x1503);
}
