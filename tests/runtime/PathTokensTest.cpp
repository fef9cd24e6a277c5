#include "runtime/core/PathTokens.h"

#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

TFolderMap MachineFolders() {
    TFolderMap folders;
    folders.Set(TFolderToken::InstallPath, "C:\\Program Files\\My Program\\");
    folders.Set(TFolderToken::ProgramFiles, "C:\\Program Files");
    folders.Set(TFolderToken::Windows, "C:\\windows");
    folders.Set(TFolderToken::System, "C:\\windows\\system32");
    folders.Set(TFolderToken::Temp, "C:\\users\\u\\Temp");
    folders.Set(TFolderToken::Fonts, "C:\\windows\\Fonts");
    folders.Set(TFolderToken::MyDocuments, "C:\\users\\u\\Documents");
    folders.Set(TFolderToken::CurrentDisk, "D:\\");
    folders.Set(TFolderToken::Desktop, "C:\\users\\u\\Desktop");
    return folders;
}

std::string ResolveError(const std::string& aPath) {
    try {
        MachineFolders().ResolveTarget(aPath);
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(PathTokens, ResolvesEveryInstallToTokenToItsFolder) {
    const TFolderMap folders = MachineFolders();
    EXPECT_EQ(folders.ResolveTarget("%Install Path%\\a.exe"), "C:\\Program Files\\My Program\\a.exe");
    EXPECT_EQ(folders.ResolveTarget("%Program Files%\\Co\\b.dll"), "C:\\Program Files\\Co\\b.dll");
    EXPECT_EQ(folders.ResolveTarget("%Windows%\\w.ini"), "C:\\windows\\w.ini");
    EXPECT_EQ(folders.ResolveTarget("%System%\\s.dll"), "C:\\windows\\system32\\s.dll");
    EXPECT_EQ(folders.ResolveTarget("%Temp%\\t.tmp"), "C:\\users\\u\\Temp\\t.tmp");
    EXPECT_EQ(folders.ResolveTarget("%Fonts%\\f.ttf"), "C:\\windows\\Fonts\\f.ttf");
    EXPECT_EQ(folders.ResolveTarget("%My Documents%\\d.txt"), "C:\\users\\u\\Documents\\d.txt");
    EXPECT_EQ(folders.ResolveTarget("%Current Disk%\\x\\y.txt"), "D:\\x\\y.txt");
    EXPECT_EQ(BaseFolderToken(6), TFolderToken::CurrentDisk);
    EXPECT_EQ(ShortcutFolderToken(2), TFolderToken::Desktop);
}

TEST(PathTokens, RefusesTargetsThatLeaveTheirFolder) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"%Install Path%\\..\\evil.exe", "\"..\" part"},
        {"%Install Path%\\a\\..\\..\\evil.exe", "\"..\" part"},
        {"%Install Path%\\a/../../evil.exe", "\"..\" part"},
        {"%Install Path%\\.\\a.exe", "\".\" part"},
        {"%Install Path%\\C:\\evil.exe", "drive"},
        {"%Install Path%\\a.exe:hidden", "alternate data stream"},
        {"%Install Path%\\\\\\server\\share\\x", "empty folder name"},
        {"%Install Path%\\", "is empty"},
        {"%Install Path%\\a\\", "empty folder name"},
        {"%Install Path%\\CON", "device"},
        {"%Install Path%\\sub\\nul.txt", "device"},
        {"%Install Path%\\com1", "device"},
        {"%Install Path%\\LPT9.log", "device"},
        {"%Install Path%\\conin$", "device"},
        {"%Install Path%\\CONOUT$.txt", "device"},
        {"%Install Path%\\Clock$", "device"},
        {"%Install Path%\\COM0", "device"},
        {"%Install Path%\\com\xC2\xB9.txt", "device"},
        {"%Install Path%\\LPT\xC2\xB3", "device"},
        {"%Install Path%\\a?.exe", "character"},
        {"%Install Path%\\a\x01.exe", "character"},
        {"%Install Path%\\...", "ends in a dot"},
        {"%Install Path%\\a. ", "ends in a dot or a blank"},
        {"%Install Pathx%\\a.exe", "does not start with a known folder"},
        {"C:\\a.exe", "does not start with a known folder"},
        {"%Desktop%\\a.exe", "does not start with a known folder"}, // a shortcut folder, not a target
        {"%Install Path%a.exe", "does not start with a known folder"},
    };
    for (const auto& [path, reason] : cases)
        EXPECT_NE(ResolveError(path).find(reason), std::string::npos) << path << ": " << ResolveError(path);
    // Names that merely resemble the refused ones are plain file names.
    const TFolderMap folders = MachineFolders();
    EXPECT_EQ(folders.ResolveTarget("%Install Path%\\console.exe"),
              "C:\\Program Files\\My Program\\console.exe");
    EXPECT_EQ(folders.ResolveTarget("%Install Path%\\..a\\com10"),
              "C:\\Program Files\\My Program\\..a\\com10");
}

TEST(PathTokens, ReplacesEveryTokenInsideAText) {
    const TFolderMap folders = MachineFolders();
    EXPECT_EQ(folders.ResolveText("\"%Install Path%\\a.exe\" /f %Desktop%"),
              "\"C:\\Program Files\\My Program\\a.exe\" /f C:\\users\\u\\Desktop");
    EXPECT_EQ(folders.ResolveText("100% %Temp"), "100% %Temp");
    EXPECT_EQ(folders.ResolveText("%Current Disk%"), "D:");
    EXPECT_THROW(folders.ResolveText("%Quick Launch%"), Exception); // no folder known for it
}

TEST(PathTokens, AcceptsOnlyAbsoluteInstallFolders) {
    EXPECT_FALSE(UnsafeAbsoluteFolder("C:\\Program Files\\My Program"));
    EXPECT_FALSE(UnsafeAbsoluteFolder("d:\\"));
    EXPECT_FALSE(UnsafeAbsoluteFolder("\\\\server\\share\\apps"));
    EXPECT_TRUE(UnsafeAbsoluteFolder("Program Files\\x"));
    EXPECT_TRUE(UnsafeAbsoluteFolder("C:relative"));
    EXPECT_TRUE(UnsafeAbsoluteFolder("\\\\server"));
    EXPECT_TRUE(UnsafeAbsoluteFolder("\\\\?\\C:\\x"));
    EXPECT_TRUE(UnsafeAbsoluteFolder("\\\\.\\PhysicalDrive0"));
    EXPECT_TRUE(UnsafeAbsoluteFolder("C:\\apps\\..\\windows"));
    EXPECT_TRUE(UnsafeAbsoluteFolder("C:\\apps\\x:y"));
    EXPECT_TRUE(UnsafeAbsoluteFolder(""));
}
