#include "runtime/core/CommandLine.h"

#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace kf;

TEST(CommandLine, SkipsTheProgramNameQuotedOrNot) {
    EXPECT_EQ(ArgumentsOf("\"C:\\My Setups\\Setup.exe\" /S"), "/S");
    EXPECT_EQ(ArgumentsOf("  Setup.exe   /S /D=C:\\x"), "/S /D=C:\\x");
    EXPECT_EQ(ArgumentsOf("Setup.exe"), "");
}

TEST(CommandLine, ReadsSilentLogAndInstallFolder) {
    const TCommandLine options =
        ParseCommandLine("/S /LOG=\"C:\\my logs\\setup.log\" /D=C:\\Program Files\\My App ");
    EXPECT_TRUE(options.Silent);
    EXPECT_EQ(options.LogFile, "C:\\my logs\\setup.log");
    EXPECT_EQ(options.InstallFolder, "C:\\Program Files\\My App");

    const TCommandLine plain = ParseCommandLine("");
    EXPECT_FALSE(plain.Silent);
    EXPECT_FALSE(plain.LogFile);
    EXPECT_FALSE(plain.InstallFolder);

    EXPECT_EQ(ParseCommandLine("/d=\"D:\\a b\"").InstallFolder, "D:\\a b");
    // Quoted whole, as a program that starts another quotes any argument with blanks.
    EXPECT_EQ(ParseCommandLine("/S \"/D=C:\\Program Files\\App\"").InstallFolder, "C:\\Program Files\\App");
    EXPECT_EQ(ParseCommandLine("/log=x.log /s").LogFile, "x.log");
    EXPECT_TRUE(ParseCommandLine("/log=x.log /s").Silent);
}

TEST(CommandLine, TakesTheOptionsInAnyOrderWithAnUnquotedFolderUpToTheNextOption) {
    const TCommandLine first = ParseCommandLine("/D=C:\\Program Files\\Kelp Suite /S /LOG=C:\\x.log");
    EXPECT_EQ(first.InstallFolder, "C:\\Program Files\\Kelp Suite");
    EXPECT_TRUE(first.Silent);
    EXPECT_EQ(first.LogFile, "C:\\x.log");
    const TCommandLine quoted =
        ParseCommandLine("\"/D=C:\\Program Files\\Kelp Suite\" /S \"/LOG=C:\\my logs\\x.log\"");
    EXPECT_EQ(quoted.InstallFolder, "C:\\Program Files\\Kelp Suite");
    EXPECT_TRUE(quoted.Silent);
    EXPECT_EQ(quoted.LogFile, "C:\\my logs\\x.log");
    EXPECT_EQ(ParseCommandLine("/S /D=\"C:\\a /S b\" /LOG=y.log").InstallFolder, "C:\\a /S b");
    // What only looks like an option inside a folder name is part of it.
    EXPECT_EQ(ParseCommandLine("/D=C:\\Tools /Stuff").InstallFolder, "C:\\Tools /Stuff");
    EXPECT_EQ(ParseCommandLine("/D=C:\\x /s").InstallFolder, "C:\\x");
    const TCommandLine restarted = ParseCommandLine("/D=C:\\Program Files\\Kelp /ELEVATED=12");
    EXPECT_EQ(restarted.InstallFolder, "C:\\Program Files\\Kelp");
    EXPECT_EQ(restarted.ElevatedFrom, 12u);
}

TEST(CommandLine, FindsSilenceAndTheLogInALineItCannotRead) {
    const TCommandLine options = SilenceAndLogOf("/X /s \"/LOG=C:\\my logs\\x.log\" /D=\"unmatched");
    EXPECT_TRUE(options.Silent);
    EXPECT_EQ(options.LogFile, "C:\\my logs\\x.log");
    EXPECT_FALSE(SilenceAndLogOf("/Silent /LOGFILE").Silent);
    EXPECT_FALSE(SilenceAndLogOf("/Silent /LOGFILE").LogFile);
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    EXPECT_THROW(ParseCommandLine("/Q"), Exception);
    EXPECT_THROW(ParseCommandLine("/S extra"), Exception);
    EXPECT_THROW(ParseCommandLine("/LOG="), Exception);
    EXPECT_THROW(ParseCommandLine("/D="), Exception);
    EXPECT_THROW(ParseCommandLine("/D=C:\\a\"b"), Exception);
    EXPECT_THROW(ParseCommandLine("/D= /S"), Exception);
    EXPECT_THROW(ParseCommandLine("/LOG=\"x.log"), Exception);
}

TEST(CommandLine, ReadsTheOptionsOfARestartedProgram) {
    const TCommandLine options =
        ParseCommandLine("/elevated \"/ORIGINAL=4242:C:\\Program Files\\A:B\\Uninstall.exe\"");
    EXPECT_TRUE(options.Elevated);
    ASSERT_TRUE(options.Original);
    EXPECT_EQ(options.Original->Process, 4242u);
    EXPECT_EQ(options.Original->Path, "C:\\Program Files\\A:B\\Uninstall.exe");
    EXPECT_EQ(options.Original->CopyHandle, 0u);
    EXPECT_FALSE(options.ElevatedFrom);
    // The copy learns the handle to its own file that it inherited.
    const TCommandLine copy = ParseCommandLine("\"/ORIGINAL=4242,1234:C:\\x,y\\Uninstall.exe\"");
    ASSERT_TRUE(copy.Original);
    EXPECT_EQ(copy.Original->Process, 4242u);
    EXPECT_EQ(copy.Original->CopyHandle, 1234u);
    EXPECT_EQ(copy.Original->Path, "C:\\x,y\\Uninstall.exe");
    EXPECT_FALSE(ParseCommandLine("/S").Elevated);
    // The uninstaller restarted with administrator rights learns which process of it waits.
    const TCommandLine restarted = ParseCommandLine("/S /Elevated=77 /LOG=x.log");
    EXPECT_TRUE(restarted.Elevated);
    EXPECT_EQ(restarted.ElevatedFrom, 77u);
    EXPECT_EQ(restarted.LogFile, "x.log");
    for (const char* bad :
         {"/ORIGINAL=", "/ORIGINAL=12", "/ORIGINAL=12:", "/ORIGINAL=:C:\\x", "/ORIGINAL=x1:C:\\x",
          "/ORIGINAL=99999999999:C:\\x", "/ORIGINAL=12,:C:\\x", "/ORIGINAL=12,x:C:\\x", "/ORIGINAL=,5:C:\\x",
          "/ORIGINAL=1,2,3:C:\\x", "/ELEVATEDX", "/ELEVATED=", "/ELEVATED=7x", "/ELEVATED=-7",
          "/ELEVATED=99999999999"})
        EXPECT_THROW(ParseCommandLine(bad), Exception) << bad;
}

TEST(CommandLine, WritesOptionsThatReadBackTheSame) {
    TCommandLine options;
    EXPECT_EQ(CommandLineText(options), "");
    options.Silent = true;
    options.LogFile = "C:\\my logs\\setup.log";
    options.Elevated = true;
    options.Original = TOriginalProgram{17, "C:\\Program Files\\My App\\Uninstall.exe"};
    options.InstallFolder = "C:\\Program Files\\My App /S";
    const TCommandLine back = ParseCommandLine(CommandLineText(options));
    EXPECT_TRUE(back.Silent);
    EXPECT_EQ(back.LogFile, options.LogFile);
    EXPECT_TRUE(back.Elevated);
    EXPECT_FALSE(back.ElevatedFrom);
    EXPECT_EQ(back.Original, options.Original);
    EXPECT_EQ(back.InstallFolder, options.InstallFolder);
    options.ElevatedFrom = 4294967295u;
    options.Original->CopyHandle = 18446744073709551615u;
    const TCommandLine copy = ParseCommandLine(CommandLineText(options));
    EXPECT_EQ(copy.ElevatedFrom, options.ElevatedFrom);
    EXPECT_EQ(copy.Original, options.Original);

    TCommandLine plain;
    plain.InstallFolder = "D:\\Apps";
    plain.LogFile = "x.log";
    EXPECT_EQ(CommandLineText(plain), "/LOG=x.log /D=D:\\Apps");
    // Quotes keep what a bare folder would lose: blanks at either end, and options after a blank.
    for (const std::string folder : {" C:\\lead", "C:\\trail ", "C:\\a /S", "C:\\a /LOG=x", "C:\\a\tb"}) {
        TCommandLine odd;
        odd.InstallFolder = folder;
        EXPECT_EQ(ParseCommandLine(CommandLineText(odd)).InstallFolder, folder) << CommandLineText(odd);
    }
    EXPECT_FALSE(ParseCommandLine(CommandLineText(plain)).Silent);
}
