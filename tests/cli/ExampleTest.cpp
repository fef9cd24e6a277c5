#include "../build/CabinetReader.h"
#include "../project/TestSupport.h"

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
