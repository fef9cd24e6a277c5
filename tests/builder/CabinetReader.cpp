#include "CabinetReader.h"

#include "../project/TestSupport.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace kf::test {

std::string RunCommand(const std::string& aCommand, int& anExitCode) {
    std::string output;
    anExitCode = -1;
    FILE* pipe = popen((aCommand + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return output;
    std::array<char, 4096> buffer{};
    while (const size_t count = fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), count);
    const int status = pclose(pipe);
    anExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

TMembers ExtractCabinetFile(const std::string& aCabinet, const std::string& aFolder) {
    std::filesystem::create_directories(aFolder);
    int exitCode = -1;
    const std::string listing = RunCommand("cabextract -l '" + aCabinet + "'", exitCode);
    EXPECT_EQ(exitCode, 0) << listing;
    const std::string output = RunCommand("cabextract -q -d '" + aFolder + "' '" + aCabinet + "'", exitCode);
    EXPECT_EQ(exitCode, 0) << output;
    TMembers members;
    std::istringstream lines(listing);
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("-----------+"))
            inTable = true;
        else if (inTable && line.find(" | ") != std::string::npos) {
            const std::string name = line.substr(line.rfind(" | ") + 3);
            std::string path = name;
            for (char& c : path)
                if (c == '\\')
                    c = '/';
            members.emplace_back(name, ReadFile(aFolder + "/" + path));
        }
    }
    return members;
}

TMembers ExtractCabinet(const std::string& aBytes, const std::string& aFolder) {
    std::filesystem::create_directories(aFolder);
    const std::string cabinet = aFolder + "/.in-memory.cab";
    std::ofstream(cabinet, std::ios::binary) << aBytes;
    TMembers members = ExtractCabinetFile(cabinet, aFolder + "/members");
    std::filesystem::remove(cabinet);
    return members;
}

} // namespace kf::test
