#include "base/WholeFile.h"
#include "TestSupport.h"
#include "base/Exception.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kf;

namespace {

std::string ErrorReading(const std::string& aPath, uint64_t aLimit = kWholeFileLimit) {
    try {
        ReadWholeFile(aPath, aLimit);
    } catch (const Exception& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(ReadWholeFile, ReadsEveryByte) {
    test::TTempFolder folder;
    const std::string bytes = std::string("{\\rtf1 a\0b\r\n\xFF}", 13) + std::string(100000, 'x');
    EXPECT_EQ(ReadWholeFile(folder.WriteFile("text.rtf", bytes)), bytes);
    EXPECT_EQ(ReadWholeFile(folder.WriteFile("empty.txt", "")), "");
}

TEST(ReadWholeFile, AFileThatCannotBeOpenedNamesThePathAndTheReason) {
    test::TTempFolder folder;
    const std::string missing = folder.Path("missing.txt");
    try {
        ReadWholeFile(missing);
        FAIL() << "no error for a missing file";
    } catch (const Exception& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + missing + "\". No such file or directory");
    }
    try {
        ReadWholeFile(folder.Path(""));
        FAIL() << "no error for a folder";
    } catch (const Exception& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + folder.Path("") + "\". Is a directory");
    }
}

TEST(ReadWholeFile, APipeOrDeviceIsRefusedWithoutWaitingOrReadingForever) {
    test::TTempFolder folder;
    const std::string pipe = folder.Path("licence.rtf");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // No writer ever opens the pipe: a blocking open or read would hang here.
    EXPECT_EQ(ErrorReading(pipe), "Cannot open file \"" + pipe + "\". It is a pipe or socket, not a file.");
    EXPECT_EQ(ErrorReading("/dev/zero"), "Cannot open file \"/dev/zero\". It is a device, not a file.");
}

TEST(ReadWholeFile, AFileLargerThanTheLimitIsRefusedAndOneAtTheLimitIsRead) {
    test::TTempFolder folder;
    const std::string at = folder.WriteFile("at.rtf", std::string(1 << 20, 'a'));
    EXPECT_EQ(ReadWholeFile(at, 1 << 20).size(), size_t{1} << 20);
    const std::string above = folder.WriteFile("above.rtf", std::string((1 << 20) + 1, 'a'));
    EXPECT_EQ(ErrorReading(above, 1 << 20),
              "Cannot open file \"" + above + "\". It is larger than 1 MB, more than can be read.");
}
