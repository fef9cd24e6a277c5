#include "CliFixture.h"

#include "../builder/CabinetReader.h"

#include "project/ProjectFileWriter.h"

#include <filesystem>
#include <functional>
#include <sys/stat.h>

using namespace kf;
using kf::test::CliTest;

namespace {

// Builds through `timeout`, so that a build that waits on a FIFO fails the test instead of hanging it.
class BuildInputsTest : public CliTest {
protected:
    std::string BuildWith(const std::function<void(TProject&)>& aChange, int& aCode,
                          const std::string& anOptions = "") {
        TProject project(programFolder, temp.Path("s/Setup.exe"));
        project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
        project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
        project.Files.push_back(TFileEntry{temp.WriteFile("s/a.txt", "a"), "0", "%Install Path%\\a.txt"});
        aChange(project);
        const std::string path = temp.Path("s.kfp");
        SaveProjectFile(project, path);
        return Cli("build '" + path + "' --quiet" + anOptions, aCode);
    }

    std::string Pipe() {
        const std::string pipe = temp.Path("pipe");
        if (!std::filesystem::exists(pipe)) {
            EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        }
        return pipe;
    }

    std::string Cli(const std::string& anArguments, int& aCode) {
        return test::RunCommand(
            "timeout 60 env " + environment + "'" KF_BIN_FOLDER "/kelpforge-cli' " + anArguments, aCode);
    }
};

} // namespace

TEST_F(BuildInputsTest, APipeDeviceOrFolderAsABitmapFailsTheBuildNamingIt) {
    const std::string pipe = Pipe();
    const std::string folder = temp.Path("art");
    int code = -1;
    std::string output = BuildWith([&](TProject& p) { p.LogoBitmap = pipe; }, code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(output.find("\"" + pipe + "\". It is a pipe or socket, not a file."), std::string::npos)
        << output;
    output = BuildWith([](TProject& p) { p.HeaderBitmap = "/dev/zero"; }, code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(output.find("\"/dev/zero\". It is a device, not a file."), std::string::npos) << output;
    output = BuildWith([&](TProject& p) { p.LogoBitmap = folder; }, code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(output.find("\"" + folder + "\". Is a directory"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(temp.Path("s/Setup.exe")));
}

// A licence or readme to show that cannot be read would ship an empty page: the build stops naming
// it, and --allow-missing builds with a warning.
TEST_F(BuildInputsTest, ALicenceOrReadmeToShowThatCannotBeReadStopsTheBuildUnlessAllowed) {
    std::filesystem::create_directories(temp.Path("folder"));
    for (const std::string& text :
         {Pipe(), std::string("/dev/zero"), temp.Path("gone.rtf"), temp.Path("folder")})
        for (const bool licence : {true, false}) {
            SCOPED_TRACE(text);
            const auto change = [&](TProject& p) {
                (licence ? p.LicenseFile : p.ReadmeFile) = text;
                (licence ? p.ShowLicense : p.ShowReadme) = true;
            };
            const std::string page =
                licence ? "The licence page would be empty: " : "The readme page would be empty: ";
            int code = -1;
            std::string output = BuildWith(change, code);
            EXPECT_EQ(code, 1) << output;
            EXPECT_NE(output.find(page + "Cannot open file \"" + text + "\"."), std::string::npos) << output;
            EXPECT_FALSE(std::filesystem::exists(temp.Path("s/Setup.exe")));
            output = BuildWith(change, code, " --allow-missing");
            EXPECT_EQ(code, 0) << output;
            EXPECT_NE(output.find(page), std::string::npos) << output;
            std::filesystem::remove(temp.Path("s/Setup.exe"));
        }
}

TEST_F(BuildInputsTest, ALogoOrHeaderTheInstallerCannotShowFailsTheBuildNamingItAndWhy) {
    const std::string png = temp.WriteFile("art/logo.png", "\x89PNG\r\n\x1a\n and the rest of a picture");
    std::string cut = test::TinyBitmap('H');
    cut.resize(cut.size() - 1);
    const std::string header = temp.WriteFile("art/cut.bmp", cut);
    int code = -1;
    std::string output = BuildWith([&](TProject& p) { p.LogoBitmap = png; }, code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(
        output.find("the logo bitmap " + png +
                    " is not a BMP picture the installer can show: it does not start as a BMP picture does."),
        std::string::npos)
        << output;
    output = BuildWith([&](TProject& p) { p.HeaderBitmap = header; }, code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(output.find("the header bitmap " + header +
                          " is not a BMP picture the installer can show: its pixels are cut short."),
              std::string::npos)
        << output;
    EXPECT_FALSE(std::filesystem::exists(temp.Path("s/Setup.exe")));
}
