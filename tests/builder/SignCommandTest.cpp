#include "builder/SignCommand.h"
#include "base/Exception.h"

#include "../project/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kf;
using kf::test::ReadFile;

// The shell gets the paths as its arguments, quoted for where each placeholder stands; messages
// show them quoted in place, each placeholder replaced once.
TEST(SignCommand, PlaceholdersBecomeTheShellsArgumentsAndAreReplacedOnce) {
    EXPECT_EQ(SignCommandLine("sign {in} \"{out}\" '-o={file}' \\'{out}"),
              "sign \"$1\" \"$2\" '-o='\"$1\"'' \\'\"$2\"");
    EXPECT_EQ(ExpandSignCommand("sign {in} {out}", "/a b/it's{out}.exe", "/o{in}"),
              "sign '/a b/it'\\''s{out}.exe' '/o{in}'");
    EXPECT_EQ(ExpandSignCommand("sign {file} {file}", "/x", "/o"), "sign '/x' '/x'");
}

TEST(SignCommand, ACopyReplacesTheFileAndAnInPlaceToolChangesItDirectly) {
    test::TTempFolder temp;
    const std::string path = temp.WriteFile("it's here/Setup.exe", "setup");
    SignFile("cp {in} {out} && printf ' signed' >> {out}", path);
    EXPECT_EQ(ReadFile(path), "setup signed");
    SignFile("printf ' again' >> {file}", path);
    EXPECT_EQ(ReadFile(path), "setup signed again");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path("it's here")), {}), 1);
}

TEST(SignCommand, FailuresLeaveTheFileAsItWasAndSayWhy) {
    test::TTempFolder temp;
    const std::string path = temp.WriteFile("Setup.exe", "setup");
    const auto failure = [&](const std::string& aTemplate) {
        try {
            SignFile(aTemplate, path);
        } catch (const Exception& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(failure("echo key missing; exit 4 {in} {out}").find("exit code 4"), std::string::npos);
    EXPECT_NE(failure("echo key missing; exit 4 {in} {out}").find("key missing"), std::string::npos);
    EXPECT_NE(failure("true {in} {out}").find("without writing the signed file"), std::string::npos);
    EXPECT_NE(failure("sign-it").find("neither {in} and {out} nor {file}"), std::string::npos);
    EXPECT_EQ(ReadFile(path), "setup");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path("")), {}), 1);
}
