#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kf::cabtest {

// A fresh folder, removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::filesystem::path& path() const { return fPath; }
    std::filesystem::path operator/(const std::string& aName) const { return fPath / aName; }

private:
    std::filesystem::path fPath;
};

std::string RandomBytes(size_t aSize, uint32_t aSeed);
// Words and numbers in lines: compresses the way text does.
std::string TextBytes(size_t aSize, uint32_t aSeed);
std::string ReadFile(const std::filesystem::path& aPath);
void WriteFile(const std::filesystem::path& aPath, const std::string& aBytes);

// Member name ("a\b") to content, as a reader should restore it ("a/b").
using Contents = std::map<std::string, std::string>;
Contents ReadTree(const std::filesystem::path& aRoot);
std::string HostName(const std::string& aStoredName);
// Names whose content differs, is missing or is extra, for failure messages.
std::string Differences(const Contents& anExpected, const Contents& anActual);
// Fails the test naming the members that differ, without printing their bytes.
void ExpectSame(const Contents& anActual, const Contents& anExpected);

struct ToolResult {
    int status = -1;
    std::string output;
};

// Runs a program found on PATH and collects its output. A missing program gives status 127.
ToolResult RunTool(const std::vector<std::string>& anArguments, const std::filesystem::path& aFolder = {},
                   const std::map<std::string, std::string>& anEnvironment = {});

} // namespace kf::cabtest
