#pragma once

#include "../project/TestSupport.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kf::test {

constexpr size_t kStubSize = 19; // "MZ stand-in runtime"

// A program folder of the test's own, with a stand-in runtime, and projects that build into it.
class CliTest : public ::testing::Test {
protected:
    TTempFolder temp;
    std::string programFolder;
    std::string environment;

    void SetUp() override;
    // A project of aFileCount small text files, saved as aName.kfp, building aName/Setup.exe.
    std::string WriteProject(const std::string& aName, size_t aFileCount);
    // A setup as a build writes it, but whose rows carry install-to paths that no build writes:
    // a sound build of as many rows, its main cabinet packed again by gcab with those paths.
    std::string SetupWithInstallPaths(const std::vector<std::string>& aPaths);
    std::string Cli(const std::string& anArguments, int& anExitCode);
};

} // namespace kf::test
