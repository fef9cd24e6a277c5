#include "runtime/core/InstallScope.h"
#include "runtime/core/InstallPlan.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

const TScopeFolders kFolders{
    {"C:\\Program Files", "C:\\Program Files (x86)", "C:\\Windows", "C:\\ProgramData"},
    {"C:\\Users\\ann", "C:\\Users\\ann\\AppData\\Roaming", "D:\\Docs\\ann\\"}};

// A write check that records what it was asked and answers from a fixed set of writable folders.
struct TWriteCheck {
    std::vector<std::string> Writable;
    std::vector<std::string> Asked;

    TUserCanWrite Function() {
        return [this](const std::string& aFolder) {
            Asked.push_back(aFolder);
            return std::find(Writable.begin(), Writable.end(), aFolder) != Writable.end();
        };
    }
};

TInstallScope Scope(std::string_view aFolder, TWriteCheck& aCheck) {
    return FolderScope(aFolder, kFolders, aCheck.Function());
}

TInstallPlan Plan(const std::string& aFolder, std::vector<std::string> aTargets) {
    TInstallPlan plan;
    plan.InstallFolder = aFolder;
    for (size_t row = 0; row < aTargets.size(); ++row)
        plan.Files.push_back(TFileAction{row, aTargets[row], true, true, false});
    return plan;
}

} // namespace

TEST(InstallScope, ComparesWholeFolderNamesWithoutCase) {
    EXPECT_TRUE(IsInsideFolder("c:\\program files\\App", "C:\\Program Files"));
    EXPECT_TRUE(IsInsideFolder("C:\\Program Files\\", "C:\\Program Files"));
    EXPECT_TRUE(IsInsideFolder("C:/Program Files/App", "C:\\Program Files\\"));
    EXPECT_FALSE(IsInsideFolder("C:\\Program Files (x86)\\App", "C:\\Program Files"));
    EXPECT_FALSE(IsInsideFolder("C:\\Program", "C:\\Program Files"));
    EXPECT_FALSE(IsInsideFolder("C:\\App", ""));
}

TEST(InstallScope, MachineAndUserFoldersDecideWithoutAskingTheInnermostWinning) {
    TWriteCheck check{{"C:\\Program Files\\App"}, {}};
    EXPECT_EQ(Scope("C:\\Program Files\\App", check), TInstallScope::PerMachine);
    EXPECT_EQ(Scope("c:\\program files (x86)\\App", check), TInstallScope::PerMachine);
    EXPECT_EQ(Scope("C:\\Windows", check), TInstallScope::PerMachine);
    EXPECT_EQ(Scope("C:\\ProgramData\\Co\\App", check), TInstallScope::PerMachine);
    EXPECT_EQ(Scope("C:\\Users\\ann\\AppData\\Local\\App", check), TInstallScope::PerUser);
    EXPECT_EQ(Scope("C:\\Users\\ann", check), TInstallScope::PerUser);
    EXPECT_EQ(Scope("D:\\Docs\\ann\\App", check), TInstallScope::PerUser);
    EXPECT_TRUE(check.Asked.empty());

    // A per-user folder inside a per-machine one, and the other way round.
    const TScopeFolders nested{{"C:\\Shared", "C:\\Users\\ann\\Machine"},
                               {"C:\\Shared\\ann", "C:\\Users\\ann"}};
    EXPECT_EQ(FolderScope("C:\\Shared\\ann\\App", nested, check.Function()), TInstallScope::PerUser);
    EXPECT_EQ(FolderScope("C:\\Shared\\bob", nested, check.Function()), TInstallScope::PerMachine);
    EXPECT_EQ(FolderScope("C:\\Users\\ann\\Machine\\App", nested, check.Function()),
              TInstallScope::PerMachine);
    EXPECT_TRUE(check.Asked.empty());
}

TEST(InstallScope, AnyOtherFolderIsPerMachineWhenTheUserCannotWriteThere) {
    TWriteCheck check{{"E:\\Tools\\App"}, {}};
    EXPECT_EQ(Scope("E:\\Tools\\App\\", check), TInstallScope::PerUser);
    EXPECT_EQ(Scope("C:\\Locked\\App", check), TInstallScope::PerMachine);
    EXPECT_EQ(Scope("\\\\server\\share\\App", check), TInstallScope::PerMachine);
    EXPECT_EQ(check.Asked,
              (std::vector<std::string>{"E:\\Tools\\App", "C:\\Locked\\App", "\\\\server\\share\\App"}));
}

TEST(InstallScope, APlanIsPerMachineForItsFoldersMachineValuesOrRegisteredLibraries) {
    TWriteCheck check{{"E:\\Tools\\App", "E:\\Shared"}, {}};
    const auto scope = [&](const TInstallPlan& aPlan) {
        return PlanScope(aPlan, kFolders, check.Function());
    };
    const std::string user = "C:\\Users\\ann\\AppData\\Roaming\\App";
    EXPECT_EQ(scope(Plan(user, {user + "\\a.exe", user + "\\bin\\b.dll"})), TInstallScope::PerUser);
    EXPECT_EQ(scope(Plan("C:\\Program Files\\App", {"C:\\Program Files\\App\\a.exe"})),
              TInstallScope::PerMachine);
    // A file outside the install folder decides by its own folder.
    EXPECT_EQ(scope(Plan(user, {user + "\\a.exe", "C:\\Windows\\System32\\b.dll"})),
              TInstallScope::PerMachine);
    EXPECT_EQ(scope(Plan(user, {"C:\\Users\\ann\\Documents\\a.txt"})), TInstallScope::PerUser);

    check.Asked.clear();
    EXPECT_EQ(scope(Plan("E:\\Tools\\App", {"E:\\Tools\\App\\a.exe", "E:\\Tools\\App\\sub\\b.exe",
                                            "E:\\Shared\\c.txt", "E:\\Shared\\d.txt"})),
              TInstallScope::PerUser);
    EXPECT_EQ(check.Asked, (std::vector<std::string>{"E:\\Tools\\App", "E:\\Shared"}));
    EXPECT_EQ(scope(Plan("E:\\Tools\\App", {"E:\\Tools\\App\\a.exe", "F:\\c.txt"})),
              TInstallScope::PerMachine);

    TInstallPlan values = Plan(user, {user + "\\a.exe"});
    values.Values.push_back(TValueAction{1, true, "Software\\App", "Path", TValueType::String, "x", 0});
    EXPECT_EQ(scope(values), TInstallScope::PerUser);
    for (int root : {0, 2, 3}) {
        TInstallPlan machine = values;
        machine.Values.push_back(TValueAction{root, true, "Software\\App", "Path", TValueType::Dword, "", 1});
        EXPECT_EQ(scope(machine), TInstallScope::PerMachine) << root;
    }
    TInstallPlan registered = Plan(user, {user + "\\a.ocx"});
    registered.Files[0].Register = true;
    EXPECT_EQ(scope(registered), TInstallScope::PerMachine);
}

TEST(InstallScope, HasTheNamesTheLogsWrite) {
    EXPECT_STREQ(ScopeName(TInstallScope::PerMachine), "per-machine");
    EXPECT_STREQ(ScopeName(TInstallScope::PerUser), "per-user");
}
