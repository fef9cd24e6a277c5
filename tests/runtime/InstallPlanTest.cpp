#include "runtime/core/InstallPlan.h"

#include "TestData.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

TFolderMap Folders(const std::string& anInstallFolder) {
    TFolderMap folders;
    folders.Set(TFolderToken::InstallPath, anInstallFolder);
    folders.Set(TFolderToken::ProgramFiles, "C:\\Program Files");
    folders.Set(TFolderToken::System, "C:\\windows\\system32");
    folders.Set(TFolderToken::MyDocuments, "C:\\users\\u\\Documents");
    folders.Set(TFolderToken::CurrentDisk, "C:");
    folders.Set(TFolderToken::ProgramsMenu, "C:\\users\\u\\Start Menu\\Programs");
    folders.Set(TFolderToken::Desktop, "C:\\users\\u\\Desktop");
    return folders;
}

TInstallerData Data(const TProject& aProject) {
    return ParseInstallerData(test::DataFileFor(aProject));
}

std::string PlanError(const TProject& aProject, const std::string& anInstallFolder = "C:\\App") {
    try {
        MakeInstallPlan(Data(aProject), Folders(anInstallFolder));
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(InstallPlan, TheDefaultFolderIsTheBaseFolderAndTheFolderText) {
    TProject project = test::ProjectWithOneFile();
    EXPECT_EQ(DefaultInstallFolder(Data(project), Folders("")), "C:\\Program Files\\My Program");
    project.InstallBase = 5;
    project.SetInstallFolder("Co\\App");
    EXPECT_EQ(DefaultInstallFolder(Data(project), Folders("")), "C:\\users\\u\\Documents\\Co\\App");
    project.SetInstallFolder("");
    EXPECT_EQ(DefaultInstallFolder(Data(project), Folders("")), "C:\\users\\u\\Documents");
    project.SetInstallFolder("..\\..\\windows");
    EXPECT_THROW(DefaultInstallFolder(Data(project), Folders("")), Exception);
}

TEST(InstallPlan, ResolvesFilesShortcutsValuesAndTheLaunchFile) {
    TProject project = test::ProjectWithOneFile();
    project.Files.push_back(TFileEntry{"/src/b.dll", "5", "%System%\\b.dll", "Skip", "No", "Yes"});
    project.RefreshFileList();
    project.Shortcuts.Append({}, "0010My Program\\File");
    project.Shortcuts.Append({}, "0022Lib");
    project.RegistryValues.Append({}, "20Software\\My Program|InstallPath=0%Install Path%");
    project.RegistryValues.Append({}, "11Software\\A|Count=1-1");
    project.RegistryValues.Append({}, "11Software\\A|Big=14294967295");
    project.LaunchFile = true;
    project.SetLaunchFileIndex(0);
    project.RestartComputer = true;

    const TInstallPlan plan = MakeInstallPlan(Data(project), Folders("D:\\Apps\\Mine\\"));
    EXPECT_EQ(plan.InstallFolder, "D:\\Apps\\Mine");
    ASSERT_EQ(plan.Files.size(), 2u);
    EXPECT_EQ(plan.Files[0].Target, "D:\\Apps\\Mine\\a.exe");
    EXPECT_TRUE(plan.Files[0].Overwrite && plan.Files[0].Uninstall && !plan.Files[0].Register);
    EXPECT_EQ(plan.Files[1].Row, 1u);
    EXPECT_EQ(plan.Files[1].Target, "C:\\windows\\system32\\b.dll");
    EXPECT_TRUE(!plan.Files[1].Overwrite && !plan.Files[1].Uninstall && plan.Files[1].Register);

    ASSERT_EQ(plan.Shortcuts.size(), 2u);
    EXPECT_EQ(plan.Shortcuts[0].Link, "C:\\users\\u\\Start Menu\\Programs\\My Program\\File.lnk");
    EXPECT_EQ(plan.Shortcuts[0].Target, "D:\\Apps\\Mine\\a.exe");
    EXPECT_EQ(plan.Shortcuts[0].WorkingFolder, "D:\\Apps\\Mine");
    EXPECT_EQ(plan.Shortcuts[1].Link, "C:\\users\\u\\Desktop\\Lib.lnk");
    EXPECT_EQ(plan.Shortcuts[1].Target, "C:\\windows\\system32\\b.dll");

    ASSERT_EQ(plan.Values.size(), 3u);
    EXPECT_EQ(plan.Values[0].Root, 2);
    EXPECT_EQ(plan.Values[0].Key, "Software\\My Program");
    EXPECT_EQ(plan.Values[0].Name, "InstallPath");
    EXPECT_EQ(plan.Values[0].Text, "D:\\Apps\\Mine");
    EXPECT_TRUE(plan.Values[0].Uninstall);
    EXPECT_EQ(plan.Values[1].Type, TValueType::Dword);
    EXPECT_EQ(plan.Values[1].Number, 0xFFFFFFFFu);
    EXPECT_FALSE(plan.Values[1].Uninstall);
    EXPECT_EQ(plan.Values[2].Number, 4294967295u);

    EXPECT_EQ(plan.Launch, "D:\\Apps\\Mine\\a.exe");
    EXPECT_TRUE(plan.Restart);

    // The uninstall entry shows the launched program's icon, and the uninstaller's for anything else.
    EXPECT_EQ(DisplayIconOf(plan), "D:\\Apps\\Mine\\a.exe");
    TInstallPlan other = plan;
    other.Launch = "D:\\Apps\\Mine\\Read Me.TXT";
    EXPECT_EQ(DisplayIconOf(other), "D:\\Apps\\Mine\\Uninstall.exe");
    other.Launch = "D:\\Apps\\Mine\\APP.EXE";
    EXPECT_EQ(DisplayIconOf(other), "D:\\Apps\\Mine\\APP.EXE");
    other.Launch.reset();
    EXPECT_EQ(DisplayIconOf(other), "D:\\Apps\\Mine\\Uninstall.exe");
}

TEST(InstallPlan, RefusesAnythingThatCannotBeInstalledSafely) {
    TProject escaping = test::ProjectWithOneFile();
    escaping.Files[0].InstallTo = "%Install Path%\\..\\a.exe";
    EXPECT_NE(PlanError(escaping).find("\"..\" part"), std::string::npos);

    EXPECT_NE(PlanError(test::ProjectWithOneFile(), "relative\\folder").find("not an absolute path"),
              std::string::npos);

    TProject shortcut = test::ProjectWithOneFile();
    shortcut.Shortcuts.Append({}, "0012..\\..\\Evil");
    EXPECT_NE(PlanError(shortcut).find("\"..\" part"), std::string::npos);

    TProject noFolder = test::ProjectWithOneFile();
    noFolder.Shortcuts.Append({}, "0013Quick");
    EXPECT_NE(PlanError(noFolder).find("%Quick Launch%"), std::string::npos);

    TProject notANumber = test::ProjectWithOneFile();
    notANumber.RegistryValues.Append({}, "11Software\\A|Count=1five");
    EXPECT_NE(PlanError(notANumber).find("not a 32-bit number"), std::string::npos);

    TProject emptyKeyPart = test::ProjectWithOneFile();
    emptyKeyPart.RegistryValues.Append({}, "11Software\\\\A|Count=15");
    EXPECT_NE(PlanError(emptyKeyPart).find("empty part"), std::string::npos);
}

TEST(InstallPlan, ReadsDwordsAsTheRegistryPageAcceptsThem) {
    EXPECT_EQ(DwordValue("5"), 5u);
    EXPECT_EQ(DwordValue(" +42 "), 42u);
    EXPECT_EQ(DwordValue("2.5"), 2u); // halves go to the even neighbour
    EXPECT_EQ(DwordValue("3.5"), 4u);
    EXPECT_EQ(DwordValue("1e3"), 1000u);
    EXPECT_EQ(DwordValue("-2147483648"), 0x80000000u);
    EXPECT_EQ(DwordValue("4294967295"), 0xFFFFFFFFu);
    EXPECT_FALSE(DwordValue("4294967296"));
    EXPECT_FALSE(DwordValue("-2147483649"));
    EXPECT_FALSE(DwordValue(""));
    EXPECT_FALSE(DwordValue("0x10"));
    EXPECT_FALSE(DwordValue("inf"));
    EXPECT_FALSE(DwordValue("1,5"));
}

TEST(InstallPlan, RefusesAFileWhereAFolderMustBeAndNamesLongerThanWindowsHolds) {
    const auto withTargets = [](std::vector<std::string> aTargets) {
        TProject project("/opt/kf/", "/home/u/Setup.exe");
        for (const std::string& target : aTargets)
            project.Files.push_back(TFileEntry{"/src/" + std::to_string(project.Files.size()), "1", target,
                                               "Overwrite", "Yes", "No"});
        project.RefreshFileList();
        return project;
    };
    EXPECT_EQ(PlanError(withTargets(
                  {"%Install Path%\\a.exe", "%Install Path%\\lib\\bin", "%Install Path%\\LIB\\bin\\x.dll"})),
              "File row 2 installs the file \"%Install Path%\\lib\\bin\" where file row 3 "
              "(\"%Install Path%\\LIB\\bin\\x.dll\") needs a folder.");
    // Through another token, and in either order.
    EXPECT_EQ(PlanError(withTargets({"%Program Files%\\App/Sub\\x.dll", "%Program Files%\\app"})),
              "File row 2 installs the file \"%Program Files%\\app\" where file row 1 "
              "(\"%Program Files%\\App/Sub\\x.dll\") needs a folder.");
    EXPECT_EQ(PlanError(withTargets({"%Current Disk%\\App"}), "C:\\App\\Mine"),
              "File row 1 installs the file \"%Current Disk%\\App\" where the install folder C:\\App\\Mine "
              "needs a folder.");
    EXPECT_EQ(PlanError(withTargets({"%Install Path%\\bin", "%Install Path%\\bin2\\x", "%Install Path%\\bin",
                                     "%Install Path%\\bin.d\\y"})),
              "");

    const std::string longest(255, 'n');
    EXPECT_EQ(PlanError(withTargets({"%Install Path%\\" + longest})), "");
    // Windows counts characters, not the bytes they take here.
    std::string accented;
    for (int i = 0; i < 255; ++i)
        accented += "\xC3\xA9";
    EXPECT_EQ(PlanError(withTargets({"%Install Path%\\" + accented})), "");
    EXPECT_EQ(PlanError(withTargets({"%Install Path%\\" + longest + "n\\a.txt"})),
              "The target path \"%Install Path%\\" + longest +
                  "n\\a.txt\" of file row 1 holds a name longer "
                  "than 255 characters.");
    TProject shortcut = withTargets({"%Install Path%\\a.exe"});
    shortcut.Shortcuts.Append({}, "0010" + longest);
    EXPECT_NE(PlanError(shortcut).find("of shortcut row 1 holds a name longer than 255 characters"),
              std::string::npos);
}
