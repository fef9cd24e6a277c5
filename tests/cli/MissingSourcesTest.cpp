#include "CliFixture.h"

#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"

#include <filesystem>

using namespace kf;
using kf::test::CliTest;

namespace {

// Three rows whose second source is gone and whose third is now a folder; the second is the
// file to launch after installation.
class MissingSourcesTest : public CliTest {
protected:
    std::string project;
    std::string gone;
    std::string folder;

    void SetUp() override {
        CliTest::SetUp();
        project = WriteProject("m", 3);
        TProject stored(programFolder, "");
        test::TScriptedPrompter quiet;
        ReadProjectFile(stored, project, quiet);
        stored.LaunchFile = true;
        stored.SetLaunchFileIndex(1);
        SaveProjectFile(stored, project);
        gone = stored.Files[1].SourcePath;
        folder = stored.Files[2].SourcePath;
        std::filesystem::remove(gone);
        std::filesystem::remove(folder);
        std::filesystem::create_directory(folder);
    }
};

} // namespace

TEST_F(MissingSourcesTest, ABuildFailsNamingEveryRowWhoseSourceCannotBeOpened) {
    int code = -1;
    const std::string output = Cli("build '" + project + "' --quiet", code);
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(output.find("the setup would lack 2 files whose source cannot be opened"), std::string::npos)
        << output;
    EXPECT_NE(output.find("  row 2: " + gone + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("  row 3: " + folder + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("--allow-missing"), std::string::npos) << output;
    // What Open reports in the desktop program is reported here too.
    EXPECT_NE(output.find("File access denied:\n" + gone), std::string::npos) << output;
    EXPECT_NE(output.find("removed from the project:\nthe file to launch after installation"),
              std::string::npos)
        << output;
    EXPECT_FALSE(std::filesystem::exists(temp.Path("m/Setup.exe")));
}

TEST_F(MissingSourcesTest, AllowMissingBuildsTheRowsThatRemainAndStillSaysWhatWasLost) {
    int code = -1;
    const std::string output = Cli("build '" + project + "' --allow-missing", code);
    ASSERT_EQ(code, 0) << output;
    EXPECT_NE(output.find("File access denied:\n" + folder), std::string::npos) << output;
    EXPECT_NE(output.find("the file to launch after installation"), std::string::npos) << output;
    const std::string report = Cli("inspect '" + temp.Path("m/Setup.exe") + "'", code);
    ASSERT_EQ(code, 0) << report;
    EXPECT_NE(report.find("File cabinets: 1\n"), std::string::npos) << report;
    EXPECT_NE(report.find("f0.txt"), std::string::npos) << report;
    EXPECT_EQ(report.find("f1.txt"), std::string::npos) << report;
}

TEST_F(MissingSourcesTest, AProjectWhoseSourcesAllOpenBuildsWithoutTheOption) {
    std::filesystem::remove(folder);
    temp.WriteFile("m/src/f1.txt", "back");
    temp.WriteFile("m/src/f2.txt", "again");
    int code = -1;
    const std::string output = Cli("build '" + project + "' --quiet", code);
    EXPECT_EQ(code, 0) << output;
    EXPECT_EQ(output, "");
}
