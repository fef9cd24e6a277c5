#include "runtime/core/UninstallLog.h"

#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

TUninstallLog FullLog() {
    TUninstallLog log;
    log.ProductName = "My \xC3\xA9 Program 100%";
    log.Scope = TInstallScope::PerMachine;
    log.Folders = {{"C:\\Program Files\\My Program", true}, {"C:\\Program Files\\My Program\\bin", true}};
    log.Files = {{"C:\\Program Files\\My Program\\a.exe", true}, {"C:\\windows\\system32\\b.dll", false}};
    log.Shortcuts = {"C:\\users\\u\\Desktop\\App.lnk"};
    log.Registered = {"C:\\windows\\system32\\b.dll"};
    log.Values = {{2, "Software\\My Program", "InstallPath", true},
                  {1, "Software\\A\tB", "Line\r\nBreak %41", false},
                  {0, "Key", "", true}};
    log.Keys = {{2, "Software\\My Program"}, {1, "Software\\A\tB"}};
    log.UninstallEntries = {{2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\My Program"}};
    return log;
}

std::string ReadError(const std::string& aText) {
    try {
        ReadUninstallLog(aText);
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(UninstallLog, ComesBackAsItWasWritten) {
    const TUninstallLog log = FullLog();
    EXPECT_EQ(ReadUninstallLog(WriteUninstallLog(log)), log);
    EXPECT_EQ(ReadUninstallLog(WriteUninstallLog(TUninstallLog{})), TUninstallLog{});
}

TEST(UninstallLog, KeepsEveryRecordOnOneLine) {
    const std::string text = WriteUninstallLog(FullLog());
    size_t lines = 0;
    for (size_t pos = 0; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2)
        ++lines;
    // signature, product, scope, 2 folders, 2 files, shortcut, library, 3 values, 2 keys, entry
    EXPECT_EQ(lines, 15u);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    EXPECT_NE(text.find("Line%0D%0ABreak %2541"), std::string::npos);
}

TEST(UninstallLog, RefusesDamagedLogs) {
    const std::string good = WriteUninstallLog(FullLog());
    const std::string header = "Kelpforge uninstall log 1\r\n";
    EXPECT_NE(ReadError("").find("not a Kelpforge uninstall log"), std::string::npos);
    EXPECT_NE(ReadError("Some other log\r\n").find("not a Kelpforge uninstall log"), std::string::npos);
    EXPECT_NE(ReadError(good.substr(0, good.size() - 1)).find("Line 15 "), std::string::npos);
    const std::vector<std::string> badRecords = {
        "Directory\t1\tC:\\x", // unknown kind
        "File\t1",             // a field short
        "File\t2\tC:\\x",      // not a flag
        "File\t1\tC:\\x\ty",   // a field too many
        "Value\t1\t4\tKey\tName",
        "Entry\t\tKey",
        "Key\t5\tSoftware",
        "Shortcut\tC:\\a%4",  // cut escape
        "Shortcut\tC:\\a%zz", // not hexadecimal
        "Scope\tper-site",
        "Scope",
    };
    for (const std::string& record : badRecords)
        EXPECT_NE(ReadError(header + record + "\r\n").find("Line 2 "), std::string::npos) << record;
}
