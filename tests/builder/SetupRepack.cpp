#include "SetupRepack.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace kf::test {

std::string WithMainCabinet(const std::string& aSetup, const TMembers& aMembers, const std::string& aFolder) {
    std::filesystem::create_directories(aFolder);
    std::string names;
    for (const auto& [name, content] : aMembers) {
        std::ofstream(std::filesystem::path(aFolder) / name, std::ios::binary) << content;
        names += " '" + name + "'";
    }
    int code = -1;
    const std::string packed =
        RunCommand("cd '" + aFolder + "' && gcab -c -z main.cab" + names + " 2>&1", code);
    EXPECT_EQ(code, 0) << packed;
    std::ifstream file(std::filesystem::path(aFolder) / "main.cab", std::ios::binary);
    const std::string mainCabinet((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const size_t mainSize = std::stoul(aSetup.substr(aSetup.size() - 10));
    char trailer[11];
    std::snprintf(trailer, sizeof trailer, "%010zu", mainCabinet.size());
    return aSetup.substr(0, aSetup.size() - 10 - mainSize) + mainCabinet + trailer;
}

} // namespace kf::test
