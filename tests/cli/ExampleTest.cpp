#include "../build/CabinetReader.h"
#include "../project/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

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
