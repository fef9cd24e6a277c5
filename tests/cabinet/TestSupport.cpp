#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kf::cabtest {

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kfcab-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a scratch folder in " + pattern);
    fPath = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(fPath, ignored);
}

std::string RandomBytes(size_t aSize, uint32_t aSeed) {
    std::mt19937 generator(aSeed);
    std::string bytes(aSize, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

std::string TextBytes(size_t aSize, uint32_t aSeed) {
    static const char* const kWords[] = {"cabinet", "folder", "kelp", "forge", "setup", "install",
                                         "the",     "a",      "of",   "data",  "block", "window"};
    std::mt19937 generator(aSeed);
    std::string text;
    while (text.size() < aSize) {
        text += kWords[generator() % std::size(kWords)];
        text += generator() % 7 == 0 ? std::to_string(generator() % 1000) + "\n" : " ";
    }
    text.resize(aSize);
    return text;
}

std::string ReadFile(const std::filesystem::path& aPath) {
    std::ifstream in(aPath, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::filesystem::path& aPath, const std::string& aBytes) {
    std::filesystem::create_directories(aPath.parent_path());
    std::ofstream out(aPath, std::ios::binary | std::ios::trunc);
    out.write(aBytes.data(), static_cast<std::streamsize>(aBytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + aPath.string());
}

Contents ReadTree(const std::filesystem::path& aRoot) {
    Contents contents;
    if (!std::filesystem::exists(aRoot))
        return contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(aRoot))
        if (entry.is_regular_file())
            contents[entry.path().lexically_relative(aRoot).generic_string()] = ReadFile(entry.path());
    return contents;
}

std::string HostName(const std::string& aStoredName) {
    std::string name = aStoredName;
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return name;
}

std::string Differences(const Contents& anExpected, const Contents& anActual) {
    std::string text;
    for (const auto& [name, bytes] : anExpected) {
        const auto found = anActual.find(name);
        if (found == anActual.end())
            text += " missing:" + name;
        else if (found->second != bytes)
            text += " differs:" + name + "(" + std::to_string(found->second.size()) + " of " +
                    std::to_string(bytes.size()) + " bytes)";
    }
    for (const auto& [name, bytes] : anActual)
        if (anExpected.count(name) == 0)
            text += " extra:" + name;
    return text;
}

void ExpectSame(const Contents& anActual, const Contents& anExpected) {
    EXPECT_TRUE(anActual == anExpected) << Differences(anExpected, anActual);
}

ToolResult RunTool(const std::vector<std::string>& anArguments, const std::filesystem::path& aFolder,
                   const std::map<std::string, std::string>& anEnvironment) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 2);
    if (!aFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, aFolder.c_str());
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string entry = *variable;
        if (anEnvironment.count(entry.substr(0, entry.find('='))) == 0)
            environment.push_back(entry);
    }
    for (const auto& [name, value] : anEnvironment)
        if (!value.empty())
            environment.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (const std::string& argument : anArguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    ToolResult result;
    char buffer[4096];
    for (ssize_t count; (count = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        result.output.append(buffer, static_cast<size_t>(count));
    ::close(pipe[0]);
    if (spawned != 0) {
        result.status = 127;
        result.output = anArguments[0] + " was not found on PATH: install it (scripts/setup.sh)";
        return result;
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace kf::cabtest
