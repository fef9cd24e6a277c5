#include "project/RuntimeLines.h"
#include "base/Exception.h"
#include "project/EntryCommands.h"

#include <gtest/gtest.h>

using namespace kf;

TEST(ShortcutLine, ComposesTheExamples) {
    EXPECT_EQ(ShortcutLine(1, 0, "My Program", "File"), "0010My Program\\File");
    EXPECT_EQ(ShortcutLine(1, 0, "", "File"), "0010File");
    EXPECT_EQ(ShortcutLine(12, 2, "", "App"), "0122App");
    EXPECT_EQ(ShortcutLine(123, 3, "A\\B", "Go"), "1233A\\B\\Go");
    EXPECT_EQ(ShortcutLine(999, 1, "", "Last"), "9991Last");
    EXPECT_EQ(ShortcutText(0, "My Program", "File"), "%Programs Menu%\\My Program\\File");
    EXPECT_EQ(ShortcutText(2, "", "App"), "%Desktop%\\App");
    EXPECT_EQ(ShortcutText(3, "A\\B", "Go"), "%Quick Launch%\\A\\B\\Go");
}

TEST(ShortcutLine, RefusesFileNumbersThatThreeDigitsCannotCarry) {
    EXPECT_FALSE(CheckShortcutFileNumber(1).has_value());
    EXPECT_FALSE(CheckShortcutFileNumber(999).has_value());
    EXPECT_TRUE(CheckShortcutFileNumber(1000).has_value());
    EXPECT_TRUE(CheckShortcutFileNumber(0).has_value());
    EXPECT_THROW(ShortcutLine(1000, 0, "", "x"), Exception);
}

TEST(ShortcutLine, SubfolderMayNotStartOrEndWithABackslash) {
    const std::string expected =
        "Wrong shortcut directory name!\r\rExamples:\rMy Product\rMy Company\\My Product";
    EXPECT_EQ(CheckShortcutSubfolder("\\Tools").value_or(""), expected);
    EXPECT_EQ(CheckShortcutSubfolder("Tools\\").value_or(""), expected);
    EXPECT_EQ(CheckShortcutSubfolder("\\").value_or(""), expected);
    EXPECT_FALSE(CheckShortcutSubfolder("My Company\\My Product").has_value());
    EXPECT_FALSE(CheckShortcutSubfolder("").has_value());
}

TEST(RegistryLine, ComposesTheExamples) {
    EXPECT_EQ(RegistryLine(2, true, "Software\\My Program", "InstallPath", 0, "%Install Path%"),
              "20Software\\My Program|InstallPath=0%Install Path%");
    EXPECT_EQ(RegistryLine(2, true, "Software\\My Program", "InstallPath", 0, ""),
              "20Software\\My Program|InstallPath=0");
    EXPECT_EQ(RegistryLine(1, false, "Software\\A", "Count", 1, "5"), "11Software\\A|Count=15");
    EXPECT_EQ(RegistryLine(0, true, "", "", 0, "a|b=c"), "00|=0a|b=c");
}

TEST(DwordValue, AcceptsDecimalNumbersOnly) {
    for (const char* good : {"5", " 5 ", "-12", "+3", "1.5", "1E3", "2e-4", ".5", "5.", "0"})
        EXPECT_TRUE(IsDecimalNumber(good)) << good;
    for (const char* bad : {"", " ", "abc", "%Install Path%", "1e", "1.2.3", "0x10", "-", ".", "1 2", "e5"})
        EXPECT_FALSE(IsDecimalNumber(bad)) << bad;
    EXPECT_TRUE(IsDecimalNumber("1,5", ','));
    EXPECT_FALSE(IsDecimalNumber("1,5"));
}

class EntryCommandsTest : public ::testing::Test {
protected:
    TProject project{"/opt/kf/", "/home/u/Setup.exe"};

    void AddFiles(int aCount) {
        for (int i = 1; i <= aCount; ++i)
            project.Files.push_back(TFileEntry{"/src/f" + std::to_string(i), "1",
                                               "%Install Path%\\f" + std::to_string(i) + ".exe"});
        project.RefreshFileList();
    }
};

TEST_F(EntryCommandsTest, ShortcutAddNeedsAFileAndANameAndAGoodSubfolder) {
    AddFiles(2);
    EXPECT_EQ(AddShortcut(project).Outcome, TAddOutcome::Ignored); // no file chosen after the refresh
    project.Entry.SelectedFile = 1;
    project.Entry.ShortcutName.clear();
    EXPECT_EQ(AddShortcut(project).Outcome, TAddOutcome::Ignored);
    project.Entry.ShortcutName = "Tool";
    project.Entry.ShortcutSubfolder = "Tools\\";
    const TAddResult refused = AddShortcut(project);
    EXPECT_EQ(refused.Outcome, TAddOutcome::Refused);
    EXPECT_EQ(refused.Message, kWrongShortcutDirectory);
    EXPECT_EQ(refused.FocusControl, "Edit10");
    EXPECT_TRUE(project.Shortcuts.Rows().empty());
    EXPECT_TRUE(project.Shortcuts.Lines().empty());

    project.Entry.ShortcutSubfolder = "My Program";
    ASSERT_EQ(AddShortcut(project).Outcome, TAddOutcome::Added);
    EXPECT_EQ(project.Shortcuts.Rows().back(),
              (TShortcutEntry{"%Programs Menu%\\My Program\\Tool", "%Install Path%\\f2.exe"}));
    EXPECT_EQ(project.Shortcuts.Lines().back(), "0020My Program\\Tool");
}

TEST_F(EntryCommandsTest, ShortcutToTheThousandthFileIsRefusedAndNothingIsAdded) {
    AddFiles(1000);
    project.Entry.SelectedFile = 999;
    const TAddResult result = AddShortcut(project);
    EXPECT_EQ(result.Outcome, TAddOutcome::Refused);
    EXPECT_EQ(result.Message, kTooManyShortcutFiles);
    EXPECT_TRUE(project.Shortcuts.Rows().empty());
    EXPECT_TRUE(project.Shortcuts.Lines().empty());
    project.Entry.SelectedFile = 998;
    EXPECT_EQ(AddShortcut(project).Outcome, TAddOutcome::Added);
    EXPECT_EQ(project.Shortcuts.Lines().back(), "9990My Program\\File");
}

TEST_F(EntryCommandsTest, RegistryAddChecksDwordValuesAndKeepsRowAndLinePaired) {
    project.Entry.RegistryValue = "%Install Path%";
    ASSERT_EQ(AddRegistryValue(project).Outcome, TAddOutcome::Added);
    EXPECT_EQ(
        project.RegistryValues.Rows().back(),
        (TRegistryEntry{"HKLM", "Software\\My Program", "InstallPath", "String", "%Install Path%", "Yes"}));
    EXPECT_EQ(project.RegistryValues.Lines().back(), "20Software\\My Program|InstallPath=0%Install Path%");

    project.Entry.RegistryType = 1;
    const TAddResult refused = AddRegistryValue(project);
    EXPECT_EQ(refused.Outcome, TAddOutcome::Refused);
    EXPECT_EQ(refused.Message, "Wrong value!");
    EXPECT_EQ(refused.FocusControl, "ComboBox7");
    EXPECT_EQ(project.RegistryValues.Rows().size(), 1u);
    EXPECT_EQ(project.RegistryValues.Lines().size(), 1u);

    project.Entry = TEntryFields{};
    project.Entry.RegistryRoot = 1;
    project.Entry.RegistryKey = "Software\\A";
    project.Entry.RegistryValueName = "Count";
    project.Entry.RegistryType = 1;
    project.Entry.RegistryValue = "5";
    project.Entry.RegistryUninstall = 1;
    ASSERT_EQ(AddRegistryValue(project).Outcome, TAddOutcome::Added);
    EXPECT_EQ(project.RegistryValues.Rows().back(),
              (TRegistryEntry{"HKCU", "Software\\A", "Count", "Dword", "5", "No"}));
    EXPECT_EQ(project.RegistryValues.Lines().back(), "11Software\\A|Count=15");

    project.Entry.RegistryRoot = 0;
    project.Entry.RegistryType = 0;
    project.Entry.RegistryValue.clear();
    ASSERT_EQ(AddRegistryValue(project).Outcome, TAddOutcome::Added);
    EXPECT_EQ(project.RegistryValues.Rows().back().Section, "HKCR");
    EXPECT_EQ(project.RegistryValues.Lines().back(), "01Software\\A|Count=0");

    // The installer cannot write a value without a key.
    project.Entry.RegistryKey.clear();
    const TAddResult noKey = AddRegistryValue(project);
    EXPECT_EQ(noKey.Outcome, TAddOutcome::Refused);
    EXPECT_EQ(noKey.Message, "Wrong key name!");
    EXPECT_EQ(noKey.FocusControl, "Edit12");
    EXPECT_EQ(project.RegistryValues.Lines().size(), 3u);
}

TEST_F(EntryCommandsTest, PickingAFileProposesItsNameUpToTheFirstDot) {
    project.Files = {TFileEntry{"/a", "1", "%Install Path%\\setup.tar.gz"},
                     TFileEntry{"/b", "1", "C:README"}};
    project.RefreshFileList();
    SelectShortcutFile(project, 0);
    EXPECT_EQ(project.Entry.ShortcutName, "setup");
    SelectShortcutFile(project, 1);
    EXPECT_EQ(project.Entry.ShortcutName, "");
    EXPECT_EQ(AddShortcut(project).Outcome, TAddOutcome::Ignored); // no name, nothing added
    project.Entry.ShortcutName = "kept";
    SelectShortcutFile(project, -1);
    EXPECT_EQ(project.Entry.ShortcutName, "kept");
}

TEST_F(EntryCommandsTest, OnlyTheProgramsMenuKeepsTheSubfolder) {
    SelectShortcutFolder(project, 2);
    EXPECT_EQ(project.Entry.ShortcutSubfolder, "");
    SelectShortcutFolder(project, 0);
    EXPECT_EQ(project.Entry.ShortcutSubfolder, ""); // not refilled
    project.SetInstallFolder("Typed");
    EXPECT_EQ(project.Entry.ShortcutSubfolder, "Typed");
    EXPECT_EQ(project.Entry.ShortcutFolder, 0);
}

TEST_F(EntryCommandsTest, ClearingShortcutsResetsNameAndSubfolderButNotTheFolderChoice) {
    AddFiles(1);
    project.Entry.SelectedFile = 0;
    project.Entry.ShortcutFolder = 3;
    project.Entry.ShortcutSubfolder = "Elsewhere";
    ASSERT_EQ(AddShortcut(project).Outcome, TAddOutcome::Added);
    ClearShortcuts(project);
    EXPECT_TRUE(project.Shortcuts.Rows().empty() && project.Shortcuts.Lines().empty());
    EXPECT_EQ(project.Entry.ShortcutName, "");
    EXPECT_EQ(project.Entry.ShortcutSubfolder, project.InstallFolder());
    EXPECT_EQ(project.Entry.ShortcutFolder, 3);
    EXPECT_EQ(project.Entry.SelectedFile, 0);
}
