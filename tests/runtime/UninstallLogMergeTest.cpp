#include "runtime/core/UninstallLogMerge.h"

#include <gtest/gtest.h>

using namespace kf;

TEST(UninstallLogMerge, KeepsEveryEarlierRecordAndAddsTheNewOnesOnce) {
    TUninstallLog earlier;
    earlier.ProductName = "App";
    earlier.Scope = TInstallScope::PerMachine;
    earlier.Folders = {{"C:\\App", true}, {"C:\\App\\data", true}};
    earlier.Files = {{"C:\\App\\data\\big.bin", true}, {"C:\\App\\readme.txt", true}};
    earlier.Shortcuts = {"C:\\Menu\\App\\Read Me.lnk"};
    earlier.Registered = {"C:\\App\\server.dll"};
    earlier.Values = {{2, "Software\\App", "Path", true}};
    earlier.Keys = {{2, "Software\\App"}};
    earlier.UninstallEntries = {{2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App"}};

    TUninstallLog later;
    later.ProductName = "App 2";
    later.Scope = TInstallScope::PerUser;
    later.Folders = {{"c:\\app\\bin", true}};
    // The readme was skipped as existing; big.bin is now to be kept; the case differs as Windows allows.
    later.Files = {{"c:\\app\\DATA\\BIG.BIN", false}, {"c:\\app\\bin\\tool.exe", true}};
    later.Shortcuts = {"c:\\menu\\app\\read me.lnk", "C:\\Quick Launch\\App.lnk"};
    later.Values = {{2, "SOFTWARE\\App", "path", false}, {1, "Software\\App", "Path", true}};
    later.Keys = {{1, "Software\\App"}};
    later.UninstallEntries = {{1, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App"}};

    const TUninstallLog merged = MergeUninstallLogs(earlier, later);
    EXPECT_EQ(merged.ProductName, "App 2");
    EXPECT_EQ(merged.Scope, TInstallScope::PerUser);
    EXPECT_EQ(merged.Folders,
              (std::vector<TLoggedPath>{{"C:\\App", true}, {"C:\\App\\data", true}, {"c:\\app\\bin", true}}));
    EXPECT_EQ(merged.Files, (std::vector<TLoggedPath>{{"C:\\App\\data\\big.bin", false},
                                                      {"C:\\App\\readme.txt", true},
                                                      {"c:\\app\\bin\\tool.exe", true}}));
    EXPECT_EQ(merged.Shortcuts,
              (std::vector<std::string>{"C:\\Menu\\App\\Read Me.lnk", "C:\\Quick Launch\\App.lnk"}));
    EXPECT_EQ(merged.Registered, earlier.Registered);
    EXPECT_EQ(merged.Values, (std::vector<TLoggedValue>{{2, "Software\\App", "Path", false},
                                                        {1, "Software\\App", "Path", true}}));
    EXPECT_EQ(merged.Keys, (std::vector<TLoggedKey>{{2, "Software\\App"}, {1, "Software\\App"}}));
    EXPECT_EQ(merged.UninstallEntries.size(), 2u);
    // Merging the same installation again changes nothing.
    EXPECT_EQ(MergeUninstallLogs(merged, later), merged);
}
