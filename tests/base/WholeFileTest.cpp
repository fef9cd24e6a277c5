#include "base/WholeFile.h"
#include "TestSupport.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace kf;

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
