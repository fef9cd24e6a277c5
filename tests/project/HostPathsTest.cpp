#include "project/HostPaths.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

TEST(HostPaths, ProgramFolderIsTheFolderOfTheRunningProgramWithASeparator) {
    const std::string folder = kf::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "project_tests"));
}

TEST(HostPaths, DefaultSetupFileLivesInTheHomeFolder) {
    const char* saved = std::getenv("HOME");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("HOME", "/home/author", 1);
    EXPECT_EQ(kf::DefaultSetupFile(), "/home/author/Setup.exe");
    setenv("HOME", "/home/slash/", 1);
    EXPECT_EQ(kf::DefaultSetupFile(), "/home/slash/Setup.exe");
    setenv("HOME", previous.c_str(), 1);
}

TEST(HostPaths, FileNameIsThePartAfterTheLastSeparator) {
    EXPECT_EQ(kf::FileNameOf("/home/a/Demo.kfp"), "Demo.kfp");
    EXPECT_EQ(kf::FileNameOf("Demo.kfp"), "Demo.kfp");
    EXPECT_EQ(kf::FileNameOf("/home/a/"), "");
}

TEST(HostPaths, TheProgramFolderCanBeMovedByTheEnvironment) {
    setenv("KELPFORGE_PROGRAM_FOLDER", "/opt/kelpforge", 1);
    EXPECT_EQ(kf::ProgramFolder(), "/opt/kelpforge/");
    unsetenv("KELPFORGE_PROGRAM_FOLDER");
    EXPECT_TRUE(std::filesystem::exists(kf::ProgramFolder() + "project_tests"));
}
