#include "PagesFixture.h"

#include "project/RuntimeLines.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

namespace kf::test {
namespace {

using ShortcutsPageTest = PagesFixture;
using RegistryPageTest = PagesFixture;

TEST_F(ShortcutsPageTest, AddBuildsTheRowAndRuntimeLineOfTheChosenFile) {
    std::vector<std::string> names;
    for (int i = 1; i <= 11; ++i)
        names.push_back("f" + std::to_string(i) + ".txt");
    names.push_back("App.setup.exe");
    AddNewFiles(names);

    Choose("ComboBox3", 0);
    EXPECT_EQ(Find<QLineEdit>("Edit11")->text(), "f1");
    Type("Edit11", "File");
    Click("Button11");
    Choose("ComboBox3", 11);
    EXPECT_EQ(Find<QLineEdit>("Edit11")->text(), "App");
    Choose("ComboBox4", 2);
    EXPECT_EQ(Find<QLineEdit>("Edit10")->text(), "");
    Click("Button11");

    EXPECT_EQ(Column("ListView2", 0), QStringList({"%Programs Menu%\\My Program\\File", "%Desktop%\\App"}));
    EXPECT_EQ(Column("ListView2", 1),
              QStringList({"%Install Path%\\f1.txt", "%Install Path%\\App.setup.exe"}));
    EXPECT_EQ(fForm->Project().Shortcuts.Lines(),
              (std::vector<std::string>{"0010My Program\\File", "0122App"}));
    EXPECT_TRUE(fPrompter.Shown.empty());
}

TEST_F(ShortcutsPageTest, AddDoesNothingWithoutAFileOrAName) {
    AddNewFiles({"README"});
    Click("Button11");
    Choose("ComboBox3", 0);
    EXPECT_EQ(Find<QLineEdit>("Edit11")->text(), "");
    Click("Button11");
    EXPECT_TRUE(Column("ListView2", 0).isEmpty());
    EXPECT_TRUE(fPrompter.Shown.empty());
}

TEST_F(ShortcutsPageTest, RefusesASubfolderWithABackslashAtAnEnd) {
    fForm->SelectPage(4);
    AddNewFiles({"a.txt"});
    for (const char* subfolder : {"\\Tools", "Tools\\"}) {
        Choose("ComboBox3", 0);
        Type("Edit10", QString::fromLatin1(subfolder));
        Find<QLineEdit>("Edit11")->setFocus();
        Click("Button11");
        ASSERT_FALSE(fPrompter.Shown.empty());
        EXPECT_EQ(fPrompter.Shown.back().Caption, "Error");
        EXPECT_EQ(fPrompter.Shown.back().Icon, TMsgIcon::Error);
        EXPECT_EQ(fPrompter.Shown.back().Text,
                  "Wrong shortcut directory name!\r\rExamples:\rMy Product\rMy Company\\My Product");
        EXPECT_EQ(fForm->focusWidget(), Find<QLineEdit>("Edit10"));
        EXPECT_EQ(Find<QLineEdit>("Edit10")->text(), subfolder);
    }
    EXPECT_TRUE(Column("ListView2", 0).isEmpty());
    Type("Edit10", "My Company\\My Product");
    Click("Button11");
    EXPECT_EQ(fForm->Project().Shortcuts.Lines(),
              (std::vector<std::string>{"0010My Company\\My Product\\a"}));
}

TEST_F(ShortcutsPageTest, DeleteRemovesTheSelectedRowWithItsLineAndClearResetsTheEntry) {
    AddNewFiles({"a.txt", "b.txt"});
    for (int file : {0, 1}) {
        Choose("ComboBox3", file);
        Click("Button11");
    }
    Click("Button12");
    EXPECT_TRUE(fPrompter.Shown.empty());

    SelectRows("ListView2", {0});
    fPrompter.Answers = {TMsgResult::Yes};
    Click("Button12");
    EXPECT_EQ(fPrompter.Shown.back().Text, "Are you sure you want to delete the selected item?");
    EXPECT_EQ(Column("ListView2", 0), QStringList({"%Programs Menu%\\My Program\\b"}));
    EXPECT_EQ(fForm->Project().Shortcuts.Lines(), (std::vector<std::string>{"0020My Program\\b"}));

    Type("Edit9", "Product");
    Type("Edit10", "Other");
    fPrompter.Answers = {TMsgResult::Yes};
    Click("Button13");
    EXPECT_EQ(fPrompter.Shown.back().Text, "Are you sure you want to delete all items?");
    EXPECT_TRUE(Column("ListView2", 0).isEmpty());
    EXPECT_TRUE(fForm->Project().Shortcuts.Lines().empty());
    EXPECT_EQ(Find<QLineEdit>("Edit11")->text(), "");
    EXPECT_EQ(Find<QLineEdit>("Edit10")->text(), "Product");
}

TEST_F(RegistryPageTest, AddBuildsRowsAndRuntimeLinesFromTheInput) {
    EXPECT_EQ(Find<QComboBox>("ComboBox5")->currentText(), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(Find<QLineEdit>("Edit12")->text(), "Software\\My Program");
    EXPECT_EQ(Find<QLineEdit>("Edit13")->text(), "InstallPath");
    Choose("ComboBox7", 0);
    Click("Button14");
    const QStringList first{"HKLM", "Software\\My Program", "InstallPath", "String", "%Install Path%", "Yes"};
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(Column("ListView3", column)[0], first[column]);

    Choose("ComboBox5", 1);
    Type("Edit12", "Software\\A");
    Type("Edit13", "Count");
    Choose("ComboBox6", 1);
    Find<QComboBox>("ComboBox7")->setEditText(QStringLiteral("5"));
    Choose("ComboBox8", 1);
    Click("Button14");
    Choose("ComboBox5", 0);
    Choose("ComboBox6", 0);
    Find<QComboBox>("ComboBox7")->setEditText(QString());
    Click("Button14");

    EXPECT_EQ(Column("ListView3", 0), QStringList({"HKLM", "HKCU", "HKCR"}));
    EXPECT_EQ(fForm->Project().RegistryValues.Lines(),
              (std::vector<std::string>{"20Software\\My Program|InstallPath=0%Install Path%",
                                        "11Software\\A|Count=15", "01Software\\A|Count=0"}));
}

TEST_F(RegistryPageTest, RefusesADwordThatIsNotANumber) {
    fForm->SelectPage(5);
    Choose("ComboBox6", 1);
    auto* value = Find<QComboBox>("ComboBox7");
    for (const char* text : {"abc", "", "%Install Path%"}) {
        value->setEditText(QString::fromLatin1(text));
        Find<QLineEdit>("Edit12")->setFocus();
        Click("Button14");
        ASSERT_FALSE(fPrompter.Shown.empty());
        EXPECT_EQ(fPrompter.Shown.back().Text, "Wrong value!");
        EXPECT_EQ(fPrompter.Shown.back().Caption, "Error");
        EXPECT_EQ(fForm->focusWidget(), value);
        EXPECT_EQ(value->currentText(), text);
    }
    EXPECT_TRUE(Column("ListView3", 0).isEmpty());
    value->setEditText(QStringLiteral("1.5"));
    Click("Button14");
    EXPECT_EQ(Column("ListView3", 4), QStringList({"1.5"}));
}

TEST_F(RegistryPageTest, DeleteAndClearKeepRowsAndLinesPaired) {
    for (const char* name : {"One", "Two", "Three"}) {
        Type("Edit13", name);
        Click("Button14");
    }
    Click("Button15");
    EXPECT_TRUE(fPrompter.Shown.empty());
    SelectRows("ListView3", {1});
    fPrompter.Answers = {TMsgResult::Yes};
    Click("Button15");
    EXPECT_EQ(Column("ListView3", 2), QStringList({"One", "Three"}));
    EXPECT_EQ(fForm->Project().RegistryValues.Lines(),
              (std::vector<std::string>{"20Software\\My Program|One=0", "20Software\\My Program|Three=0"}));

    fPrompter.Answers = {TMsgResult::No};
    Click("Button16");
    EXPECT_EQ(Column("ListView3", 2).size(), 2);
    fPrompter.Answers = {TMsgResult::Yes};
    Click("Button16");
    EXPECT_TRUE(Column("ListView3", 0).isEmpty());
    EXPECT_TRUE(fForm->Project().RegistryValues.Lines().empty());
    EXPECT_EQ(Find<QLineEdit>("Edit13")->text(), "Three");
}

} // namespace
} // namespace kf::test
