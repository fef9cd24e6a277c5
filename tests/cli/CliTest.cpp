#include "builder/BuildDriver.h"
#include "builder/InstallerDataFile.h"
#include "cli/CliPrompter.h"
#include "cli/EmbeddedCabinet.h"
#include "cli/TerminalBuildHost.h"
#include "project/ProjectFileWriter.h"
#include "runtime/core/ByteWindow.h"
#include "runtime/core/SetupContents.h"

#include "CliFixture.h"

#include "../builder/CabinetReader.h"
#include "../project/TestSupport.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

using namespace kf;
using kf::test::CliTest;
using kf::test::kStubSize;
using kf::test::ReadFile;
using kf::test::RunCommand;

TEST_F(CliTest, AnswersVersionHelpAndWrongUsage) {
    int code = -1;
    EXPECT_EQ(Cli("--version", code), "kelpforge-cli 2.1.7\n");
    EXPECT_EQ(code, 0);
    EXPECT_NE(Cli("--help", code).find("build PROJECT.kfp [-o SETUP]"), std::string::npos);
    EXPECT_EQ(code, 0);
    Cli("build", code);
    EXPECT_EQ(code, 2);
    Cli("frobnicate x", code);
    EXPECT_EQ(code, 2);
    for (const char* options : {"--jobs 0", "--jobs 65", "--jobs two", "--jobs", "--quiet --quiet"}) {
        const std::string output = Cli(std::string("build p.kfp ") + options + " 2>&1", code);
        EXPECT_EQ(code, 2) << options << ": " << output;
    }
    EXPECT_NE(Cli("build p.kfp --jobs 0 2>&1", code).find("--jobs takes a number of packing threads"),
              std::string::npos);
}

TEST_F(CliTest, BuildsAProjectAndReportsTheSize) {
    const std::string project = WriteProject("one", 2);
    int code = -1;
    const std::string output = Cli("build '" + project + "'", code);
    ASSERT_EQ(code, 0) << output;
    const std::string setup = temp.Path("one/Setup.exe");
    const auto size = std::filesystem::file_size(setup);
    EXPECT_NE(
        output.find("Installer was successfully created!\n\nFile size: " + std::to_string(size) + " bytes"),
        std::string::npos)
        << output;
    EXPECT_TRUE(ReadFile(setup).starts_with("MZ stand-in runtime"));
}

TEST_F(CliTest, TheOutputOptionOverridesTheProjectsSetupFile) {
    const std::string project = WriteProject("two", 1);
    int code = -1;
    const std::string output = Cli("build '" + project + "' -o '" + temp.Path("elsewhere.exe") + "'", code);
    ASSERT_EQ(code, 0) << output;
    EXPECT_TRUE(std::filesystem::exists(temp.Path("elsewhere.exe")));
    EXPECT_FALSE(std::filesystem::exists(temp.Path("two/Setup.exe")));
}

TEST_F(CliTest, SetOverridesFieldsForThisBuildOnlyAndRefusesWhatItCannotSet) {
    const std::string project = WriteProject("set", 1);
    const std::string stored = ReadFile(project);
    const std::string setup = temp.Path("dist/App-1.4.2.exe");
    std::filesystem::create_directories(temp.Path("dist"));
    int code = -1;
    const std::string output = Cli(
        "build '" + project + "' --set ProductVersion=1.4.2 --quiet --set 'SetupFile=" + setup + "'", code);
    ASSERT_EQ(code, 0) << output;
    EXPECT_EQ(ReadFile(project), stored) << "the project file was changed";
    EXPECT_FALSE(std::filesystem::exists(temp.Path("set/Setup.exe")));
    EXPECT_NE(Cli("inspect '" + setup + "'", code).find("   2  1.4.2\n"), std::string::npos);

    const std::string unknown = Cli("build '" + project + "' --set Version=2 2>&1", code);
    EXPECT_EQ(code, 2);
    EXPECT_NE(unknown.find("no field Version"), std::string::npos) << unknown;
    const std::string bad = Cli("build '" + project + "' --set Compression=9 2>&1", code);
    EXPECT_EQ(code, 2);
    EXPECT_NE(bad.find("Compression takes"), std::string::npos) << bad;
    EXPECT_NE(Cli("--help", code).find("LaunchFileIndex"), std::string::npos);
}

TEST_F(CliTest, InspectJsonDescribesTheSetupForScripts) {
    const std::string project = WriteProject("json", 2);
    int code = -1;
    ASSERT_EQ((Cli("build '" + project + "' --quiet --set Compression=2", code), code), 0);
    const std::string setup = temp.Path("json/Setup.exe");
    const std::string output = Cli("inspect --json '" + setup + "' 2>/dev/null", code);
    ASSERT_EQ(code, 0) << output;
    const nlohmann::json document = nlohmann::json::parse(output);
    EXPECT_EQ(document["size"], std::filesystem::file_size(setup));
    EXPECT_EQ(document["runtimeSize"], kStubSize);
    EXPECT_TRUE(document["runtimeArchitecture"].is_null()); // the stand-in is no Windows program
    uint64_t total = document["runtimeSize"].get<uint64_t>() + 10;
    ASSERT_EQ(document["fileCabinets"].size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const auto& cabinet = document["fileCabinets"][i];
        EXPECT_EQ(cabinet["member"]["name"], "f" + std::to_string(i) + ".txt");
        EXPECT_EQ(cabinet["member"]["length"], 5000 + i + 4);
        EXPECT_EQ(cabinet["member"]["compression"]["type"], "lzx");
        EXPECT_EQ(cabinet["member"]["compression"]["window"], 21);
        EXPECT_EQ(cabinet["installTo"], "%Install Path%\\f" + std::to_string(i) + ".txt");
        EXPECT_EQ(cabinet["offset"], total - 10);
        total += cabinet["size"].get<uint64_t>();
    }
    const auto& main = document["mainCabinet"];
    EXPECT_EQ(main["offset"], total - 10);
    EXPECT_EQ(total + main["size"].get<uint64_t>(), std::filesystem::file_size(setup));
    EXPECT_EQ(main["members"][0]["name"], "kelpforge.dat");
    EXPECT_EQ(main["members"][0]["compression"]["type"], "mszip");
    EXPECT_EQ(document["trailer"], ReadFile(setup).substr(std::filesystem::file_size(setup) - 10));
    EXPECT_TRUE(document["signature"].is_null());
    ASSERT_EQ(document["dataFile"]["lines"].size(), 18u);
    EXPECT_EQ(document["dataFile"]["lines"][1], "1.0");
    EXPECT_EQ(document["dataFile"]["fields"]["productName"], "My Program");
    EXPECT_EQ(document["dataFile"]["fields"]["files"][1]["packedSize"], document["fileCabinets"][1]["size"]);
    EXPECT_TRUE(document["dataFile"]["fields"]["launchFile"].is_null());
}

TEST_F(CliTest, TheSameProjectGivesTheSameSetupWhateverTheTemporaryFolderTimeZoneOrThreads) {
    const std::string project = WriteProject("same", 6);
    std::filesystem::create_directories(temp.Path("tmpA"));
    std::filesystem::create_directories(temp.Path("tmp-other-B"));
    const std::string plain = environment;
    const auto build = [&](const std::string& aSetup, const std::string& aVariables,
                           const std::string& aSettings) {
        environment = plain + aVariables + " ";
        int code = -1;
        const std::string output = Cli("build '" + project + "' --quiet --set Compression=2 -o '" +
                                           temp.Path(aSetup) + "' " + aSettings,
                                       code);
        environment = plain;
        EXPECT_EQ(code, 0) << output;
        return ReadFile(temp.Path(aSetup));
    };
    const std::string first =
        build("a.exe", "TMPDIR='" + temp.Path("tmpA") + "' TZ=KFT-14 LC_ALL=C", "--jobs 1");
    const std::string second =
        build("b.exe", "TMPDIR='" + temp.Path("tmp-other-B") + "' TZ=KFT+11 LC_ALL=C.UTF-8", "--jobs 3");
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(first == second) << "two builds of one project differ";

    // With SOURCE_DATE_EPOCH, files changed since then give the same setup too.
    const std::string dated = build("c.exe", "SOURCE_DATE_EPOCH=1700000000", "");
    const auto later = std::filesystem::file_time_type::clock::now() + std::chrono::hours(30);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(temp.Path("same/src")))
        std::filesystem::last_write_time(entry.path(), later);
    std::filesystem::last_write_time(project, later);
    const std::string touched = build("d.exe", "SOURCE_DATE_EPOCH=1700000000", "");
    EXPECT_TRUE(dated == touched) << "touching the sources changed a SOURCE_DATE_EPOCH build";
    EXPECT_FALSE(dated == first);
}

TEST_F(CliTest, QuietBuildsSayNothingButErrorsStillShow) {
    const std::string project = WriteProject("quiet", 1);
    int code = -1;
    EXPECT_EQ(Cli("build '" + project + "' --quiet 2>&1", code), "");
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(std::filesystem::exists(temp.Path("quiet/Setup.exe")));
    EXPECT_EQ(Cli("build '" + project + "' --quiet -o '" + temp.Path("q.exe") + "' 2>&1", code), "");
    EXPECT_TRUE(std::filesystem::exists(temp.Path("q.exe")));
    EXPECT_NE(
        Cli("build '" + WriteProject("quietempty", 0) + "' --quiet 2>&1", code).find("Wrong information!"),
        std::string::npos);
    EXPECT_EQ(code, 1);
    Cli("build '" + project + "' --quiet --quiet", code);
    EXPECT_EQ(code, 2);
}

TEST_F(CliTest, ProjectAndBuildErrorsExitWithOne) {
    int code = -1;
    EXPECT_NE(Cli("build '" + temp.Path("missing.kfp") + "'", code).find("missing.kfp"), std::string::npos);
    EXPECT_EQ(code, 1);
    EXPECT_NE(Cli("build '" + WriteProject("empty", 0) + "'", code).find("Wrong information!"),
              std::string::npos);
    EXPECT_EQ(code, 1);
}

// show and build name a project they cannot read and why, and exit with 1, whatever stands there.
TEST_F(CliTest, AProjectPathThatIsNoReadableFileIsNamedWithTheReason) {
    std::filesystem::create_directories(temp.Path("folder.kfp"));
    ASSERT_EQ(::mkfifo(temp.Path("pipe.kfp").c_str(), 0600), 0);
    std::filesystem::create_symlink(temp.Path("loop.kfp"), temp.Path("loop.kfp"));
    std::filesystem::resize_file(temp.WriteFile("huge.kfp", ""), 300ull << 20);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {temp.Path("missing.kfp"), "No such file or directory"},
        {temp.Path("folder.kfp"), "Is a directory"},
        {temp.Path("pipe.kfp"), "It is a pipe"},
        {"/dev/zero", "It is a device"},
        {temp.Path("loop.kfp"), "Too many levels of symbolic links"},
        {temp.Path("huge.kfp"), "It is larger than 256 MB"}};
    for (const auto& [path, reason] : cases)
        for (const char* command : {"show", "build"}) {
            SCOPED_TRACE(std::string(command) + " " + path);
            int code = -1;
            const std::string output =
                RunCommand("timeout 60 env " + environment + "'" KF_BIN_FOLDER "/kelpforge-cli' " + command +
                               " '" + path + "'",
                           code);
            EXPECT_EQ(code, 1) << output;
            EXPECT_NE(output.find("kelpforge-cli: Cannot open file \"" + path + "\". " + reason),
                      std::string::npos)
                << output;
        }
}

// A merge may leave a key twice: show names it and reads the first line, a build refuses it.
TEST_F(CliTest, AProjectThatRepeatsAKeyIsNamedAndNotBuilt) {
    std::string project = ReadFile(WriteProject("twice", 2));
    const size_t second = project.find("\n1=", project.find("[Files]"));
    ASSERT_NE(second, std::string::npos);
    project.replace(second, 3, "\n0=");
    const std::string path = temp.WriteFile("twice.kfp", project);
    int code = -1;
    std::string output = Cli("show '" + path + "'", code);
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("The project file repeats keys; only the first line of each was read:\n[Files] 0"),
              std::string::npos)
        << output;
    output = Cli("build '" + path + "' -o '" + temp.Path("twice.exe") + "'", code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(output.find("[Files] 0"), std::string::npos) << output;
    EXPECT_NE(output.find("nothing was built"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(temp.Path("twice.exe")));
}

// A name from a file cannot drive the terminal: show and inspect print its control characters as
// \xNN.
TEST_F(CliTest, ShowAndInspectPrintControlCharactersOfNamesEscaped) {
    std::string project = ReadFile(WriteProject("controls", 1));
    const size_t name = project.find("\n1=");
    ASSERT_NE(name, std::string::npos);
    project.insert(name + 3, "\x1b]0;retitled\x07");
    int code = -1;
    std::string output = Cli("show '" + temp.WriteFile("controls.kfp", project) + "'", code);
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("Product: \\x1B]0;retitled\\x07"), std::string::npos) << output;
    EXPECT_EQ(output.find('\x1b'), std::string::npos);

    const std::string setup = SetupWithInstallPaths({"%Install Path%\\a\x1b[2Jb.txt"});
    output = Cli("inspect '" + setup + "'", code);
    EXPECT_NE(output.find("a\\x1B[2Jb.txt"), std::string::npos) << output;
    EXPECT_EQ(output.find('\x1b'), std::string::npos);
}

// A full disk is named as the reason, and the partial setup goes: an 8 KiB file system of its own
// in a private namespace.
TEST_F(CliTest, AFullDiskIsNamedAndLeavesNoPartialSetup) {
    const std::string project = WriteProject("full", 1);
    temp.WriteFile("full/src/f0.txt", test::NoiseBytes(100000));
    const std::string disk = temp.Path("disk");
    std::filesystem::create_directories(disk);
    int code = -1;
    const std::string output =
        RunCommand("unshare --user --map-root-user --mount sh -c \"mount -t tmpfs -o size=8k tmpfs '" + disk +
                       "' && " + environment + "'" KF_BIN_FOLDER "/kelpforge-cli' build '" + project +
                       "' --quiet -o '" + disk + "/Setup.exe'; echo exit=\\$?; ls -A '" + disk + "'\"",
                   code);
    EXPECT_NE(
        output.find("kelpforge-cli: Unable to write to " + disk + "/Setup.exe: No space left on device"),
        std::string::npos)
        << output;
    EXPECT_NE(output.find("exit=1"), std::string::npos) << output;
    EXPECT_EQ(output.find(".Setup.exe."), std::string::npos) << output;
}

// A launch file that names no row is said, not dropped in silence.
TEST_F(CliTest, ALaunchFileThatNamesNoRowIsSaid) {
    std::string project = ReadFile(WriteProject("launch", 2));
    const size_t key = project.find("\r\n20=-1\r\n");
    ASSERT_NE(key, std::string::npos) << project;
    project.replace(key, 9, "\r\n20=5\r\n");
    int code = -1;
    const std::string output = Cli("show '" + temp.WriteFile("launch.kfp", project) + "'", code);
    EXPECT_NE(output.find("The file to launch (Finish page) is file 6, but the project has 2 files"),
              std::string::npos)
        << output;
}

TEST_F(CliTest, TwoBuildsAtOnceDoNotShareFiles) {
    const std::string first = WriteProject("first", 3);
    const std::string second = WriteProject("second", 3);
    int code = -1;
    const std::string cli = environment + "'" KF_BIN_FOLDER "/kelpforge-cli' build ";
    const std::string output = RunCommand("(" + cli + "'" + first + "' > /dev/null & " + cli + "'" + second +
                                              "' > /dev/null & wait %1 && wait %2)",
                                          code);
    ASSERT_EQ(code, 0) << output;
    for (const std::string name : {"first", "second"}) {
        const std::string setup = ReadFile(temp.Path(name + "/Setup.exe"));
        const uint64_t mainSize = std::stoull(setup.substr(setup.size() - 10));
        const std::string cabinets = setup.substr(kStubSize, setup.size() - 10 - mainSize - kStubSize);
        const auto main = test::ExtractCabinet(setup.substr(setup.size() - 10 - mainSize, mainSize),
                                               temp.Path(name + "/main"));
        ASSERT_EQ(main.size(), 5u);
        const std::string& data = main[0].second;
        const size_t line10 = [&] {
            size_t pos = 0;
            for (int line = 0; line < 9; ++line)
                pos = data.find("\r\n", pos) + 2;
            return pos;
        }();
        const uint64_t firstSize = std::stoull(data.substr(line10, data.find('?', line10) - line10));
        const auto first = test::ExtractCabinet(cabinets.substr(0, firstSize), temp.Path(name + "/f0"));
        ASSERT_EQ(first.size(), 1u);
        EXPECT_EQ(first[0].second, ReadFile(temp.Path(name + "/src/f0.txt"))) << "a cabinet of another build";
    }
}

TEST_F(CliTest, CtrlCCancelsTheBuildAtItsNextCheck) {
    TProject project(programFolder, temp.Path("c/Setup.exe"));
    project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
    project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
    for (int i = 0; i < 2; ++i)
        project.Files.push_back(
            TFileEntry{temp.WriteFile("c/" + std::to_string(i), "x"), "1", "%Install Path%\\x"});
    TCliPrompter prompter("");
    TTerminalBuildHost host;
    TBuildDriver driver(project, host, prompter, programFolder);
    host.Attach(driver);
    std::raise(SIGINT);
    EXPECT_TRUE(host.Interrupted());
    EXPECT_EQ(driver.Run(), TBuildOutcome::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(temp.Path("c/Setup.exe")));
}

TEST_F(CliTest, AFileStoredOnceIsListedAndExtractedForEachOfItsRows) {
    TProject project(programFolder, temp.Path("dup/Setup.exe"));
    project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
    project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
    for (const char* folder : {"a", "b"})
        project.Files.push_back(
            TFileEntry{temp.WriteFile(std::string("dup/") + folder + "/run.dll", "same bytes"), "10",
                       std::string("%Install Path%\\") + folder + "\\run.dll"});
    SaveProjectFile(project, temp.Path("dup.kfp"));
    int code = -1;
    ASSERT_EQ((Cli("build '" + temp.Path("dup.kfp") + "' --quiet", code), code), 0);
    const std::string setup = temp.Path("dup/Setup.exe");
    const nlohmann::json document = nlohmann::json::parse(Cli("inspect --json '" + setup + "'", code));
    EXPECT_EQ(document["fileCabinets"][1]["cabinetOfFile"], 1);
    EXPECT_EQ(document["fileCabinets"][1]["offset"], document["fileCabinets"][0]["offset"]);
    EXPECT_EQ(document["dataFile"]["fields"]["files"][1]["packedSize"], 0);
    EXPECT_NE(Cli("inspect '" + setup + "'", code).find("File cabinets: 1\n"), std::string::npos);
    ASSERT_EQ((Cli("extract '" + setup + "' '" + temp.Path("dup-out") + "'", code), code), 0);
    for (const char* folder : {"a", "b"})
        EXPECT_EQ(ReadFile(temp.Path(std::string("dup-out/%Install Path%/") + folder + "/run.dll")),
                  "same bytes");
}

TEST_F(CliTest, InspectListsTheSetupAndExtractUnpacksIt) {
    const std::string project = WriteProject("ins", 2);
    int code = -1;
    ASSERT_EQ((Cli("build '" + project + "'", code), code), 0);
    const std::string setup = temp.Path("ins/Setup.exe");
    const std::string report = Cli("inspect '" + setup + "'", code);
    ASSERT_EQ(code, 0) << report;
    EXPECT_NE(report.find("Installer runtime: " + std::to_string(kStubSize) + " bytes"), std::string::npos)
        << report;
    EXPECT_NE(report.find("f1.txt -> %Install Path%\\f1.txt"), std::string::npos) << report;
    EXPECT_NE(report.find("   1  My Program\n"), std::string::npos) << report;
    EXPECT_NE(report.find("   3  \u00A9 2006 Company\n"), std::string::npos) << report;
    EXPECT_NE(report.find("header.bmp"), std::string::npos);

    const std::string output = Cli("extract '" + setup + "' '" + temp.Path("unpacked") + "'", code);
    ASSERT_EQ(code, 0) << output;
    EXPECT_EQ(ReadFile(temp.Path("unpacked/%Install Path%/f0.txt")), ReadFile(temp.Path("ins/src/f0.txt")));
    EXPECT_EQ(ReadFile(temp.Path("unpacked/%Install Path%/f1.txt")), ReadFile(temp.Path("ins/src/f1.txt")));
    EXPECT_EQ(ReadFile(temp.Path("unpacked/logo.bmp")), test::TinyBitmap('L'));
    EXPECT_TRUE(ReadFile(temp.Path("unpacked/kelpforge.dat")).starts_with("My Program\r\n"));
}

TEST_F(CliTest, InspectRefusesFilesThatAreNotSoundSetups) {
    const std::string project = WriteProject("bad", 1);
    int code = -1;
    ASSERT_EQ((Cli("build '" + project + "'", code), code), 0);
    const std::string good = ReadFile(temp.Path("bad/Setup.exe"));
    struct TCase {
        std::string Bytes;
        std::string Complaint;
    };
    std::string corrupted = good;
    const size_t dataByte = kStubSize + 95; // inside the file cabinet's compressed data
    corrupted[dataByte] = static_cast<char>(corrupted[dataByte] ^ 0x55);
    std::string wrongTrailer = good;
    wrongTrailer.replace(wrongTrailer.size() - 10, 10, "9999999999");
    const std::vector<TCase> cases = {
        {"short", "too short"},
        {"just some text that is long enough", "not a size"},
        {wrongTrailer, "does not fit"},
        {good.substr(0, good.size() - 200), "not a"},
        {corrupted, "the cabinet of file 1"},
    };
    for (const TCase& aCase : cases) {
        const std::string path = temp.WriteFile("broken.exe", aCase.Bytes);
        const std::string output = Cli("inspect '" + path + "'", code);
        EXPECT_EQ(code, 1) << output;
        EXPECT_NE(output.find(aCase.Complaint), std::string::npos) << output;
    }
}

// The build refuses these paths itself; setups from elsewhere may carry them.
TEST_F(CliTest, ExtractRefusesEveryInstallPathThatTheInstallerRefuses) {
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"%Install Path%\\..\\..\\evil.txt", "holds a \"..\" part"},
        {"%AppData%\\evil.txt", "does not start with a known folder"},
        {"%install path%\\evil.txt", "does not start with a known folder"},
        {"%Install Path%\\CONIN$", "names a device"},
        {"%Install Path%\\LPT\xC2\xB9.txt", "names a device"},
    };
    for (const auto& [path, reason] : refused) {
        const std::string setup = SetupWithInstallPaths({"%Install Path%\\fine.txt", path});
        int code = -1;
        const std::string output = Cli("extract '" + setup + "' '" + temp.Path("deep/out") + "' 2>&1", code);
        EXPECT_EQ(code, 1) << path;
        EXPECT_NE(output.find("Refusing to extract file 2"), std::string::npos) << output;
        EXPECT_NE(output.find(reason), std::string::npos) << output;
        EXPECT_FALSE(std::filesystem::exists(temp.Path("evil.txt"))) << path;
        EXPECT_FALSE(std::filesystem::exists(temp.Path("deep"))) << path;
    }
    // The crafting itself leaves a setup that extracts.
    int code = -1;
    const std::string setup = SetupWithInstallPaths({"%Install Path%\\fine.txt", "%Windows%\\sub\\ok.txt"});
    const std::string output = Cli("extract '" + setup + "' '" + temp.Path("good") + "' 2>&1", code);
    EXPECT_EQ(code, 0) << output;
    EXPECT_TRUE(std::filesystem::exists(temp.Path("good/%Windows%/sub/ok.txt"))) << output;
}

TEST_F(CliTest, TheBuildRefusesAnInstallPathThatTheInstallerWouldRefuse) {
    for (const char* path : {"%Install Path%\\..\\evil.txt", "%AppData%\\x.txt", "%Install Path%\\NUL.txt",
                             "C:\\x.txt", "%Install Path%"}) {
        TProject project(programFolder, temp.Path("bad/Setup.exe"));
        project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
        project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
        project.Files.push_back(TFileEntry{temp.WriteFile("bad/x.txt", "x"), "1", "%Install Path%\\x.txt"});
        project.Files.push_back(TFileEntry{temp.WriteFile("bad/y.txt", "y"), "1", path});
        SaveProjectFile(project, temp.Path("bad.kfp"));
        int code = -1;
        const std::string output = Cli("build '" + temp.Path("bad.kfp") + "' 2>&1", code);
        EXPECT_EQ(code, 1) << path << ": " << output;
        EXPECT_NE(output.find("\"Install to\" of row 2 of the file list"), std::string::npos) << output;
        EXPECT_FALSE(std::filesystem::exists(temp.Path("bad/Setup.exe"))) << path;
    }
}

TEST_F(CliTest, ExtractChecksTheWholeSetupBeforeWritingAnything) {
    const std::string project = WriteProject("dmg", 2);
    int code = -1;
    ASSERT_EQ((Cli("build '" + project + "'", code), code), 0);
    std::string damaged = ReadFile(temp.Path("dmg/Setup.exe"));
    const uint64_t mainSize = std::stoull(damaged.substr(damaged.size() - 10));
    const size_t lastCabinetByte = damaged.size() - 10 - mainSize - 1; // in the second file's data
    damaged[lastCabinetByte] = static_cast<char>(damaged[lastCabinetByte] ^ 0x01);
    const std::string output =
        Cli("extract '" + temp.WriteFile("dmg.exe", damaged) + "' '" + temp.Path("out") + "'", code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(output.find("the cabinet of file 2 holds a data block whose checksum does not match"),
              std::string::npos)
        << output;
    EXPECT_FALSE(std::filesystem::exists(temp.Path("out")));
}

TEST_F(CliTest, ExtractWritesEverythingOrNothing) {
    // The second file needs a folder where the first one is a file: the build refuses that, an
    // older or crafted setup may hold it.
    const std::string setup = SetupWithInstallPaths({"%Install Path%\\a", "%Install Path%\\a\\b"});
    int code = -1;
    std::filesystem::create_directories(temp.Path("into"));
    const std::string output = Cli("extract '" + setup + "' '" + temp.Path("into/out") + "' 2>&1", code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path("into"))) << "partial output was left";

    temp.WriteFile("full/keep.txt", "mine");
    const std::string full = Cli("extract '" + setup + "' '" + temp.Path("full") + "' 2>&1", code);
    EXPECT_EQ(code, 1) << full;
    EXPECT_NE(full.find("not an empty folder"), std::string::npos) << full;
    EXPECT_EQ(ReadFile(temp.Path("full/keep.txt")), "mine");
    const std::string file = temp.WriteFile("empty-file", "");
    EXPECT_NE(Cli("extract '" + setup + "' '" + file + "' 2>&1", code).find("not an empty folder"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
}

TEST_F(CliTest, AProjectPositionOutOfRangeIsRefusedInsteadOfBuildingASetupInspectRefuses) {
    const std::string project = WriteProject("range", 1);
    const std::string stored = ReadFile(project);
    const size_t key = stored.find("\r\n13=0\r\n");
    ASSERT_NE(key, std::string::npos);
    std::string edited = stored;
    edited.replace(key, 8, "\r\n13=9\r\n");
    temp.WriteFile("range.kfp", edited);
    int code = -1;
    const std::string output = Cli("build '" + project + "'", code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(output.find("the install path (Files page) has no base folder"), std::string::npos) << output;
    EXPECT_EQ(output.find("successfully"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp.Path("range/Setup.exe")));
    for (const char* compression : {"5=-1", "5=7"}) {
        edited = stored;
        edited.replace(stored.find("\r\n5=1\r\n") + 2, 3, compression);
        temp.WriteFile("range.kfp", edited);
        EXPECT_NE(Cli("build '" + project + "'", code).find("No compression is chosen (General page)"),
                  std::string::npos);
        EXPECT_EQ(code, 1);
    }
    temp.WriteFile("range.kfp", stored);
    ASSERT_EQ((Cli("build '" + project + "'", code), code), 0);
    Cli("inspect '" + temp.Path("range/Setup.exe") + "'", code);
    EXPECT_EQ(code, 0);
}

TEST_F(CliTest, ExtractWritesNoFileThroughALinkAndTheLastRowToAPlaceWins) {
    TProject project(programFolder, temp.Path("dup/Setup.exe"));
    project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
    project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
    project.Files.push_back(TFileEntry{temp.WriteFile("dup/a", "first"), "5", "%Install Path%\\a.txt"});
    project.Files.push_back(TFileEntry{temp.WriteFile("dup/b", "second"), "6", "%Install Path%\\a.txt"});
    // The same file on Windows, whose names ignore case.
    project.Files.push_back(TFileEntry{temp.WriteFile("dup/c", "third"), "5", "%Install Path%\\A.TXT"});
    SaveProjectFile(project, temp.Path("dup.kfp"));
    int code = -1;
    ASSERT_EQ((Cli("build '" + temp.Path("dup.kfp") + "' --quiet", code), code), 0);
    const std::string setup = temp.Path("dup/Setup.exe");

    // A link planted in the target folder is never written through.
    const std::string outside = temp.WriteFile("outside/secret.rtf", "untouched");
    std::filesystem::create_directories(temp.Path("planted"));
    std::filesystem::create_symlink(outside, temp.Path("planted/license.rtf"));
    std::string output = Cli("extract '" + setup + "' '" + temp.Path("planted") + "' 2>&1", code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_EQ(ReadFile(outside), "untouched");

    const mode_t mask = ::umask(022);
    output = Cli("extract '" + setup + "' '" + temp.Path("dup/out") + "'", code);
    ::umask(mask);
    ASSERT_EQ(code, 0) << output;
    EXPECT_EQ(ReadFile(temp.Path("dup/out/%Install Path%/a.txt")), "third");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path("dup/out")), {}), 6) << output;
    struct stat info {};
    ASSERT_EQ(::stat(temp.Path("dup/out").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u) << "the folder keeps the staging folder's private mode";
}
