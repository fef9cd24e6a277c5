#include "project/PathParts.h"

#include <gtest/gtest.h>

using namespace kf;

TEST(SetupFileNameFor, AddsExeUnlessTheExtensionIsExactlyExe) {
    EXPECT_EQ(SetupFileNameFor("C:\\out\\setup"), "C:\\out\\setup.exe");
    EXPECT_EQ(SetupFileNameFor("C:\\out\\setup.exe"), "C:\\out\\setup.exe");
    EXPECT_EQ(SetupFileNameFor("C:\\out\\setup.EXE"), "C:\\out\\setup.EXE.exe");
    EXPECT_EQ(SetupFileNameFor("C:\\out\\setup.exe.txt"), "C:\\out\\setup.exe.txt.exe");
    // A full stop in a folder name is no extension of the file.
    EXPECT_EQ(SetupFileNameFor("C:\\v1.exe\\setup"), "C:\\v1.exe\\setup.exe");
    EXPECT_EQ(SetupFileNameFor("/home/a.b/setup"), "/home/a.b/setup.exe");
    EXPECT_EQ(SetupFileNameFor("C:.exe"), "C:.exe");
}

TEST(SplitPath, TakesTheFolderAndNameAtTheLastSeparator) {
    const auto check = [](const std::string& aPath, const std::string& aFolder, const std::string& aName) {
        const TPathParts parts = SplitPath(aPath);
        EXPECT_EQ(parts.Folder, aFolder) << aPath;
        EXPECT_EQ(parts.Name, aName) << aPath;
    };
    check("C:\\Setup.exe", "C:", "Setup.exe");
    check("C:\\out\\sub/setup.exe", "C:\\out\\sub", "setup.exe");
    check("/home/user/Setup.exe", "/home/user", "Setup.exe");
    check("Setup.exe", "", "Setup.exe");
    check("C:\\out\\", "C:\\out", "");
    check("", "", "");
}
