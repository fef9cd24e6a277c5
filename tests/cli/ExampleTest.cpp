#include "../builder/CabinetReader.h"
#include "../project/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <tuple>
#include <vector>

using namespace kf;
using kf::test::ReadFile;
using kf::test::RunCommand;

TEST(CliExample, TheExampleProjectBuildsAndReadsBack) {
    test::TTempFolder temp;
    int code = -1;
    const std::string setup = temp.Path("KelpNotesSetup.exe");
    const std::string output = RunCommand(
        "cd '" KF_SOURCE_FOLDER "/examples' && '" KF_BIN_FOLDER "/kelpforge-cli' build Example.kfp -o '" +
            setup + "' && '" KF_BIN_FOLDER "/kelpforge-cli' extract '" + setup + "' '" + temp.Path("x") + "'",
        code);
    ASSERT_EQ(code, 0) << output;
    EXPECT_EQ(ReadFile(temp.Path("x/%Install Path%/tools/open-notes.cmd")),
              ReadFile(KF_SOURCE_FOLDER "/examples/files/tools/open-notes.cmd"));
    EXPECT_EQ(ReadFile(temp.Path("x/license.rtf")), ReadFile(KF_SOURCE_FOLDER "/examples/License.rtf"));
    EXPECT_EQ(ReadFile(temp.Path("x/logo.bmp")), ReadFile(KF_SOURCE_FOLDER "/resources/Logo.bmp"));
}

TEST(CliExample, InspectNamesTheWindowsOfTheRuntimeEachTargetCarries) {
    test::TTempFolder temp;
    const std::string cli = "'" KF_BIN_FOLDER "/kelpforge-cli' ";
    for (const auto& [target, name, json] :
         {std::tuple{"0", "32-bit (x86)", "\"x86\""}, std::tuple{"1", "64-bit (x64)", "\"x64\""}}) {
        const std::string setup = temp.Path(std::string("Setup") + target + ".exe");
        int code = -1;
        const std::string output = RunCommand("cd '" KF_SOURCE_FOLDER "/examples' && " + cli +
                                                  "build Example.kfp --quiet --set TargetWindows=" + target +
                                                  " -o '" + setup + "' 2>&1",
                                              code);
        ASSERT_EQ(code, 0) << output;
        EXPECT_NE(RunCommand(cli + "inspect '" + setup + "'", code)
                      .find(std::string("bytes, for ") + name + " Windows"),
                  std::string::npos)
            << target;
        EXPECT_NE(RunCommand(cli + "inspect --json '" + setup + "'", code)
                      .find(std::string("\"runtimeArchitecture\": ") + json),
                  std::string::npos)
            << target;
    }
}

// A setup signed by osslsigncode carries its certificate table after the trailer.
TEST(CliExample, ASignedSetupVerifiesReadsBackAndRefusesDamage) {
    test::TTempFolder temp;
    int code = -1;
    const std::string setup = temp.Path("Setup.exe");
    const std::string signedSetup = temp.Path("Signed.exe");
    const std::string cli = "'" KF_BIN_FOLDER "/kelpforge-cli' ";
    const std::string output =
        RunCommand("cd '" + temp.Path("") +
                       "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem "
                       "-days 2 -subj '/CN=Kelpforge Test Signer' -addext extendedKeyUsage=codeSigning 2>&1 "
                       "&& cd '" KF_SOURCE_FOLDER "/examples' && " +
                       cli + "build Example.kfp -o '" + setup + "' && osslsigncode sign -certs '" +
                       temp.Path("cert.pem") + "' -key '" + temp.Path("key.pem") + "' -in '" + setup +
                       "' -out '" + signedSetup + "' && osslsigncode verify -CAfile '" +
                       temp.Path("cert.pem") + "' '" + signedSetup + "'",
                   code);
    ASSERT_EQ(code, 0) << output;
    ASSERT_GT(std::filesystem::file_size(signedSetup), std::filesystem::file_size(setup));

    const std::string listing = RunCommand(cli + "inspect '" + signedSetup + "'", code);
    ASSERT_EQ(code, 0) << listing;
    EXPECT_NE(listing.find("Signature: "), std::string::npos);
    EXPECT_EQ(listing.find("Signature: none"), std::string::npos);
    EXPECT_NE(RunCommand(cli + "inspect '" + setup + "'", code).find("Signature: none"), std::string::npos);
    RunCommand(cli + "extract '" + signedSetup + "' '" + temp.Path("x") + "'", code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(ReadFile(temp.Path("x/%Install Path%/Kelp Notes.txt")),
              ReadFile(KF_SOURCE_FOLDER "/examples/files/Kelp Notes.txt"));

    // One flipped bit in the first file cabinet's data, behind the runtime.
    std::string damaged = ReadFile(signedSetup);
    damaged[std::filesystem::file_size(KF_BIN_FOLDER "/Installer.exe") + 100] ^= 0x08;
    const std::string damagedPath = temp.WriteFile("Damaged.exe", damaged);
    EXPECT_NE(RunCommand(cli + "inspect '" + damagedPath + "'", code).find("damaged"), std::string::npos);
    EXPECT_EQ(code, 1);
}

// The build signs the uninstaller before packing it and the setup before it takes its place.
TEST(CliExample, TheBuildSignsTheSetupAndItsUninstallerWithTheSignCommand) {
    test::TTempFolder temp;
    int code = -1;
    const std::string made =
        RunCommand("cd '" + temp.Path("") +
                       "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out "
                       "cert.pem -days 2 -subj '/CN=Kelpforge Test Signer' -addext "
                       "extendedKeyUsage=codeSigning 2>&1",
                   code);
    ASSERT_EQ(code, 0) << made;
    std::string project = ReadFile(KF_SOURCE_FOLDER "/examples/Example.kfp");
    const size_t uninstaller = project.find("\n18=0");
    ASSERT_NE(uninstaller, std::string::npos);
    project.replace(uninstaller, 5, "\n18=1");
    const size_t shortcuts = project.find("[Shortcuts]");
    ASSERT_NE(shortcuts, std::string::npos);
    project.insert(shortcuts, "2=" KF_BIN_FOLDER
                              "/Uninstall.exe?51200?%Install Path%\\Uninstall.exe?Overwrite?Yes?No?\r\n");
    const std::string projectPath = temp.WriteFile("Signed.kfp", project);
    const std::string setup = temp.Path("out/Setup.exe");
    std::filesystem::create_directories(temp.Path("out"));
    const std::string cli = "cd '" KF_SOURCE_FOLDER "/examples' && '" KF_BIN_FOLDER
                            "/kelpforge-cli' build '" +
                            projectPath + "' -o '" + setup + "' ";
    const std::string sign = "osslsigncode sign -certs '" + temp.Path("cert.pem") + "' -key '" +
                             temp.Path("key.pem") + "' -in {in} -out {out}";
    const std::string verify = "osslsigncode verify -CAfile '" + temp.Path("cert.pem") + "' ";

    std::string output = RunCommand(cli + "--sign \"" + sign + "\"", code);
    ASSERT_EQ(code, 0) << output;
    output = RunCommand(verify + "'" + setup + "' && '" KF_BIN_FOLDER "/kelpforge-cli' extract '" + setup +
                            "' '" + temp.Path("x") + "' && " + verify + "'" +
                            temp.Path("x/%Install Path%/Uninstall.exe") + "'",
                        code);
    EXPECT_EQ(code, 0) << output;
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(temp.Path("out")), {}),
              std::vector<std::filesystem::path>{setup});

    // A failing command, here from the environment, fails the build and keeps the earlier setup.
    const std::string earlier = ReadFile(setup);
    output = RunCommand("export KELPFORGE_SIGN='echo no signing key here >&2; exit 3; {in} {out}' && " + cli,
                        code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(output.find("The sign command failed with exit code 3"), std::string::npos) << output;
    EXPECT_NE(output.find("no signing key here"), std::string::npos) << output;
    EXPECT_EQ(output.find("successfully"), std::string::npos);
    EXPECT_EQ(ReadFile(setup), earlier);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path("out")), {}), 1);
}

// Paths are handed to the sign command as arguments: a placeholder or a command in a setup path,
// project path or temporary folder is never run, whatever quotes the template puts around it.
TEST(CliExample, TheSignCommandRunsNothingAFileNameSays) {
    test::TTempFolder temp;
    // Only what the example reads: other tests build into the examples folder meanwhile.
    for (const char* part : {"examples/Example.kfp", "examples/License.rtf", "examples/files",
                             "resources/Logo.bmp", "resources/Header.bmp"}) {
        std::filesystem::create_directories(std::filesystem::path(temp.Path(part)).parent_path());
        std::filesystem::copy(KF_SOURCE_FOLDER "/" + std::string(part), temp.Path(part),
                              std::filesystem::copy_options::recursive);
    }
    const std::string hostile = "a{out}{in}{file}$(touch PWNED)'\"`touch PWNED`";
    const std::string temporary = temp.Path("tmp/" + hostile);
    std::filesystem::create_directories(temporary);
    const std::string cli = "cd '" + temp.Path("examples") +
                            "' && TMPDIR=\"$KF_TMP\" '" KF_BIN_FOLDER
                            "/kelpforge-cli' build Example.kfp --set IncludeUninstaller=1 -o \"$KF_SETUP\" ";
    int code = -1;
    for (const std::string sign :
         {"cp {in} {out}", "cp \"{in}\" '{out}'", "cp {file} {file}.s && mv {file}.s {file}",
          "f=\"{file}\"; cp \"$f\" \"$f.s\" && mv \"$f.s\" \"$f\""}) {
        SCOPED_TRACE(sign);
        const std::string setup = temp.Path("out " + hostile + ".exe");
        const std::string output = RunCommand(
            "export KF_TMP=" + test::ShellQuoted(temporary) + " KF_SETUP=" + test::ShellQuoted(setup) +
                " KELPFORGE_SIGN=" + test::ShellQuoted(sign) + "; " + cli + " 2>&1",
            code);
        EXPECT_EQ(code, 0) << output;
        EXPECT_FALSE(std::filesystem::exists(temp.Path("examples/PWNED")));
        const std::string listing = RunCommand(
            "'" KF_BIN_FOLDER "/kelpforge-cli' inspect " + test::ShellQuoted(setup) + " 2>&1", code);
        EXPECT_EQ(code, 0) << listing;
        std::filesystem::remove(setup);
    }
}
