#include "CliFixture.h"

#include "project/ProjectFileWriter.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

using namespace kf;
namespace fs = std::filesystem;

extern char** environ;

namespace {

// Builds started in the background and stopped by a signal at a chosen moment.
class KilledBuildTest : public test::CliTest {
protected:
    std::string tmp;
    std::string output;

    void SetUp() override {
        CliTest::SetUp();
        tmp = temp.Path("tmp");
        output = temp.Path("out");
        fs::create_directories(tmp);
        fs::create_directories(output);
        environment += "TMPDIR='" + tmp + "' ";
    }

    // One source that takes a while to pack, and a spool that spills into the temporary folder.
    std::string WriteLargeProject() {
        TProject project(programFolder, output + "/Setup.exe");
        project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
        project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
        project.Compression = 1;
        project.Files.push_back(TFileEntry{temp.WriteFile("src/large.bin", test::NoiseBytes(24 << 20)), "0",
                                           "%Install Path%\\large.bin"});
        const std::string path = temp.Path("large.kfp");
        SaveProjectFile(project, path);
        return path;
    }

    pid_t Start(const std::string& anArguments) {
        const std::string line =
            "exec env " + environment + "'" KF_BIN_FOLDER "/kelpforge-cli' " + anArguments;
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        const char* argv[] = {"/bin/sh", "-c", line.c_str(), nullptr};
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, &attributes, const_cast<char**>(argv), environ), 0);
        posix_spawnattr_destroy(&attributes);
        return pid;
    }

    // Waits until an entry of aFolder starts with aPrefix; false after a minute.
    static bool WaitFor(const std::string& aFolder, const std::string& aPrefix) {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
             std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for(std::chrono::milliseconds(1)))
            if (!Entries(aFolder, aPrefix).empty())
                return true;
        return false;
    }

    static std::vector<std::string> Entries(const std::string& aFolder, const std::string& aPrefix) {
        std::vector<std::string> found;
        std::error_code error;
        for (fs::directory_iterator entry(aFolder, error), end; !error && entry != end;
             entry.increment(error))
            if (entry->path().filename().string().starts_with(aPrefix))
                found.push_back(entry->path().filename().string());
        return found;
    }

    static int Stop(pid_t aPid, int aSignal) {
        ::kill(aSignal == SIGKILL ? -aPid : aPid, aSignal);
        int status = -1;
        ::waitpid(aPid, &status, 0);
        ::kill(-aPid, SIGKILL); // the sign command's sleep, if any
        return status;
    }
};

} // namespace

TEST_F(KilledBuildTest, WhatKilledBuildsLeftIsRemovedByTheNextBuild) {
    const std::string project = WriteLargeProject();
    // Killed while the sign command works on the setup: its build folder and a partial setup
    // beside the output stay behind.
    pid_t build = Start("build '" + project + "' --quiet --sign 'case {file} in *.tmp) sleep 60;; esac'");
    ASSERT_TRUE(WaitFor(output, ".Setup.exe."));
    EXPECT_TRUE(WIFSIGNALED(Stop(build, SIGKILL)));
    const std::vector<std::string> firstFolder = Entries(tmp, "kelpforge-build-");
    ASSERT_EQ(firstFolder.size(), 1u);
    // Killed while packing, which the first one's folder did not survive: its own folder and the
    // cabinet writer's spool stay behind.
    build = Start("build '" + project + "' --quiet");
    ASSERT_TRUE(WaitFor(tmp, "qvc"));
    EXPECT_TRUE(WIFSIGNALED(Stop(build, SIGKILL)));
    const std::vector<std::string> secondFolder = Entries(tmp, "kelpforge-build-");
    ASSERT_EQ(secondFolder.size(), 1u);
    EXPECT_NE(secondFolder, firstFolder);
    ASSERT_FALSE(Entries(tmp, "qvc").empty());
    ASSERT_EQ(Entries(output, ".Setup.exe.").size(), 1u);

    int code = -1;
    const std::string built = Cli("build '" + project + "' --quiet", code);
    ASSERT_EQ(code, 0) << built;
    EXPECT_TRUE(Entries(tmp, "").empty()) << Entries(tmp, "")[0];
    EXPECT_EQ(Entries(output, ""), std::vector<std::string>{"Setup.exe"});
}

TEST_F(KilledBuildTest, SigtermAndSighupStopTheBuildAndItCleansUpBehindItself) {
    const std::string project = WriteLargeProject();
    for (const int signal : {SIGTERM, SIGHUP}) {
        const pid_t build = Start("build '" + project + "' --quiet");
        ASSERT_TRUE(WaitFor(tmp, "qvc"));
        const int status = Stop(build, signal);
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " killed the build";
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_TRUE(Entries(tmp, "").empty()) << Entries(tmp, "")[0];
        EXPECT_TRUE(Entries(output, "").empty()) << Entries(output, "")[0];
    }
}

// An extract stopped by a signal removes its staging folder; one killed outright leaves it, and the
// next extract beside it removes it.
TEST_F(KilledBuildTest, AStoppedExtractCleansUpAndAKilledOnesFolderGoesWithTheNextOne) {
    TProject project(programFolder, temp.Path("many/Setup.exe"));
    project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
    project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
    project.Compression = 0;
    for (int i = 0; i < 1000; ++i)
        project.Files.push_back(
            TFileEntry{temp.WriteFile("many/f" + std::to_string(i), test::NoiseBytes(32768, i)), "0",
                       "%Install Path%\\f" + std::to_string(i)});
    SaveProjectFile(project, temp.Path("many.kfp"));
    int code = -1;
    const std::string built = Cli("build '" + temp.Path("many.kfp") + "' --quiet", code);
    ASSERT_EQ(code, 0) << built;
    const std::string extract = "extract '" + temp.Path("many/Setup.exe") + "' '" + output + "/";
    for (const int signal : {SIGTERM, SIGKILL}) {
        const pid_t run = Start(extract + "x'");
        ASSERT_TRUE(WaitFor(output, ".kelpforge-extract-"));
        const int status = Stop(run, signal);
        if (signal == SIGTERM) {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 1);
            EXPECT_TRUE(Entries(output, "").empty()) << Entries(output, "")[0];
        }
    }
    ASSERT_EQ(Entries(output, ".kelpforge-extract-").size(), 1u);
    const std::string extracted = Cli(extract + "y'", code);
    ASSERT_EQ(code, 0) << extracted;
    EXPECT_EQ(Entries(output, ""), std::vector<std::string>{"y"});
}
