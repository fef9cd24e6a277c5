#include "PagesFixture.h"

#include "ui/AddFilesForm.h"
#include "ui/FilesPage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <sys/stat.h>

namespace kf::test {
namespace {

using FilesPageTest = PagesFixture;

TEST_F(FilesPageTest, ShowsTheTableButtonsAndInstallPathGroup) {
    fForm->SelectPage(3);
    const auto* view = Find<QTreeWidget>("ListView1");
    const QStringList captions{"Source path", "Size", "Install to", "If Exists", "Uninstall", "Register"};
    ASSERT_EQ(view->columnCount(), captions.size());
    for (int column = 0; column < view->columnCount(); ++column)
        EXPECT_EQ(view->headerItem()->text(column), captions[column]);
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(view->isSortingEnabled());

    const char* order[] = {"Button7", "Button8", "Button6", "Button9", "Button10"};
    const char* texts[] = {"Add folder...", "Add files...", "Edit...", "Delete", "Clear"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Find<QPushButton>(order[i])->text(), texts[i]);
        if (i > 0) {
            EXPECT_LT(Find<QPushButton>(order[i - 1])->x(), Find<QPushButton>(order[i])->x());
        }
    }
    EXPECT_EQ(Choices("ComboBox9"), QStringList({"HKCR", "HKCU", "HKLM", "HKU"}));
    EXPECT_EQ(Find<QComboBox>("ComboBox9")->currentIndex(), 2);
    EXPECT_EQ(Choices("ComboBox2").front(), "%Program Files%");
    EXPECT_EQ(Find<QLineEdit>("Edit9")->text(), "My Program");
    EXPECT_EQ(Find<QLabel>("Label10")->text(), "0");
    EXPECT_EQ(Find<QLabel>("Label16")->text(), "0 byte");
}

TEST_F(FilesPageTest, GetFromRegistryEnablesTheKeyAndTheFolderNameFillsTheSubfolder) {
    fForm->SelectPage(3);
    EXPECT_FALSE(Find<QComboBox>("ComboBox9")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>("Edit14")->isEnabled());
    Find<QCheckBox>("CheckBox6")->click();
    EXPECT_TRUE(fForm->Project().InstallPathFromRegistry);
    EXPECT_TRUE(Find<QComboBox>("ComboBox9")->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>("Edit14")->isEnabled());

    Type("Edit9", "Tools");
    EXPECT_EQ(fForm->Project().InstallFolder(), "Tools");
    EXPECT_EQ(Find<QLineEdit>("Edit10")->text(), "Tools");
}

TEST_F(FilesPageTest, AddFilesPlacesFilesBelowTheFolderAndSubfolderAndKeepsTheChoice) {
    const std::string exe = fFolder.WriteFile("a.exe", "12345");
    AddFiles({exe}, 1, "Bin");
    EXPECT_EQ(Column("ListView1", 0), QStringList({QString::fromStdString(exe)}));
    EXPECT_EQ(Column("ListView1", 1), QStringList({"5"}));
    EXPECT_EQ(Column("ListView1", 2), QStringList({"%Program Files%\\Bin\\a.exe"}));
    EXPECT_EQ(Column("ListView1", 3), QStringList({"Overwrite"}));
    EXPECT_EQ(Column("ListView1", 4), QStringList({"Yes"}));
    EXPECT_EQ(Column("ListView1", 5), QStringList({"No"}));
    EXPECT_EQ(fForm4->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->currentIndex(), 1);
    EXPECT_EQ(fForm4->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), "Bin");

    AddFiles({exe}, 1, "");
    EXPECT_EQ(Column("ListView1", 2), QStringList({"%Program Files%\\Bin\\a.exe", "%Program Files%\\a.exe"}));
    EXPECT_EQ(Find<QLabel>("Label10")->text(), "2");
    EXPECT_EQ(Find<QLabel>("Label16")->text(), "10 bytes");
    EXPECT_EQ(Choices("ComboBox3"), Column("ListView1", 2));
    EXPECT_EQ(Choices("ComboBox7"), QStringList({"%Install Path%"}) + Column("ListView1", 2));

    AddFiles({}, 0, "");
    EXPECT_EQ(Column("ListView1", 2).size(), 2);
}

TEST_F(FilesPageTest, AddFolderKeepsInnerFoldersBelowTheInstallPath) {
    const std::string top = fFolder.WriteFile("tree/a.txt", "a");
    const std::string inner = fFolder.WriteFile("tree/sub/b.txt", "bb");
    fFilesPage->ChooseFolder = [this] { return fFolder.Path("tree"); };
    Click("Button7");
    const QStringList sources = Column("ListView1", 0);
    const QStringList targets = Column("ListView1", 2);
    ASSERT_EQ(sources.size(), 2);
    for (int row = 0; row < 2; ++row)
        EXPECT_EQ(targets[row], sources[row] == QString::fromStdString(top) ? "%Install Path%\\a.txt"
                                                                            : "%Install Path%\\sub\\b.txt");
    EXPECT_TRUE(sources.contains(QString::fromStdString(inner)));
    EXPECT_EQ(Find<QLabel>("Label16")->text(), "3 bytes");

    fFilesPage->ChooseFolder = [] { return std::nullopt; };
    Click("Button7");
    EXPECT_EQ(Column("ListView1", 0), sources);
    EXPECT_TRUE(fPrompter.Shown.empty());
}

TEST_F(FilesPageTest, AddFolderShowsProgressAndEscapeCancelsIt) {
    for (const char* name : {"tree/a.txt", "tree/sub/b.txt"})
        fFolder.WriteFile(name, "x");
    AddNewFiles({"kept.txt"});
    Choose("ComboBox3", 0);
    auto* status = Find<QLabel>("StatusBar1Panel");
    QStringList shown;
    QObject::connect(fFilesPage, &TFilesPage::StatusChanged, [&](const QString& aText) {
        shown << aText;
        EXPECT_EQ(status->text(), aText.isEmpty() ? "For Help, press F1" : aText);
    });
    fFilesPage->ChooseFolder = [this] {
        // Pressed while the folder is being read: the operation sees it at its first report.
        QCoreApplication::postEvent(fForm.get(),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        return fFolder.Path("tree");
    };
    Click("Button7");
    EXPECT_EQ(shown, QStringList({"Adding folder: 1 files found. Press Esc to cancel.", ""}));
    EXPECT_EQ(Column("ListView1", 0).size(), 1);
    EXPECT_EQ(Find<QComboBox>("ComboBox3")->currentIndex(), 0); // no refresh after a cancel
    EXPECT_TRUE(fPrompter.Shown.empty());

    shown.clear();
    fFilesPage->ChooseFolder = [this] { return fFolder.Path("tree"); };
    Click("Button7");
    EXPECT_EQ(Column("ListView1", 0).size(), 3);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "");
    EXPECT_EQ(status->text(), "For Help, press F1");
}

TEST_F(FilesPageTest, AddFolderTellsWhatItSkippedInTheStatusBar) {
    const std::string file = fFolder.WriteFile("odd/a.txt", "a");
    ASSERT_EQ(mkfifo(fFolder.Path("odd/pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(fFolder.Path("odd/gone"), fFolder.Path("odd/broken"));
    std::filesystem::create_directory_symlink(fFolder.Path("odd"), fFolder.Path("odd/again"));
    fFilesPage->ChooseFolder = [this] { return fFolder.Path("odd"); };
    Click("Button7");
    EXPECT_EQ(Column("ListView1", 0), QStringList({QString::fromStdString(file)}));
    EXPECT_TRUE(fPrompter.Shown.empty());
    EXPECT_EQ(Find<QLabel>("StatusBar1Panel")->text(),
              "Skipped 2 special files and 1 folder link already added.");

    // A folder with nothing to skip leaves the usual text.
    fFolder.WriteFile("plain/b.txt", "b");
    fFilesPage->ChooseFolder = [this] { return fFolder.Path("plain"); };
    Click("Button7");
    EXPECT_EQ(Column("ListView1", 0).size(), 2);
    EXPECT_EQ(Find<QLabel>("StatusBar1Panel")->text(), "For Help, press F1");
}

TEST_F(FilesPageTest, AFileThatCannotBeOpenedStopsAddFilesThere) {
    std::vector<std::string> paths;
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"})
        paths.push_back(fFolder.WriteFile(name, "x"));
    std::filesystem::remove(paths[2]);
    AddFiles(paths);
    EXPECT_EQ(Column("ListView1", 0),
              QStringList({QString::fromStdString(paths[0]), QString::fromStdString(paths[1])}));
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Caption, "Error");
    EXPECT_EQ(fPrompter.Shown[0].Icon, TMsgIcon::Error);
    EXPECT_EQ(fPrompter.Shown[0].Buttons, TMsgButtons::Ok);
    EXPECT_EQ(fPrompter.Shown[0].Text, "File access denied:\r" + paths[2]);
    EXPECT_EQ(Find<QLabel>("Label10")->text(), "2");
}

TEST_F(FilesPageTest, DeleteWithNoSelectionStillAsksAndRefreshes) {
    AddNewFiles({"a.txt", "b.txt"});
    Choose("ComboBox3", 1);
    fPrompter.Answers = {TMsgResult::Yes};
    Click("Button9");
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Text, "Are you sure you want to delete the selected items?");
    EXPECT_EQ(fPrompter.Shown[0].Caption, "Kelpforge");
    EXPECT_EQ(fPrompter.Shown[0].Icon, TMsgIcon::Question);
    EXPECT_EQ(fPrompter.Shown[0].Buttons, TMsgButtons::YesNo);
    EXPECT_EQ(Column("ListView1", 2).size(), 2);
    EXPECT_EQ(Find<QComboBox>("ComboBox3")->currentIndex(), -1);
}

TEST_F(FilesPageTest, DeleteRemovesTheSelectedRowsUnlessAnsweredNo) {
    AddNewFiles({"a.txt", "b.txt", "c.txt"});
    SelectRows("ListView1", {0, 2});
    fPrompter.Answers = {TMsgResult::No};
    Click("Button9");
    EXPECT_EQ(Column("ListView1", 2).size(), 3);
    fPrompter.Answers = {TMsgResult::Yes};
    Click("Button9");
    EXPECT_EQ(Column("ListView1", 2), QStringList({"%Install Path%\\b.txt"}));
    EXPECT_TRUE(Find<QTreeWidget>("ListView1")->selectedItems().isEmpty());
    EXPECT_EQ(Choices("ComboBox3"), QStringList({"%Install Path%\\b.txt"}));
}

TEST_F(FilesPageTest, TableKeysSelectAllAndDelete) {
    fForm->SelectPage(3);
    AddNewFiles({"a.txt", "b.txt"});
    auto* view = Find<QTreeWidget>("ListView1");
    const auto* menu = Find<QMenu>("PopupMenu1");
    QStringList items;
    for (const QAction* action : menu->actions())
        items << action->text();
    EXPECT_EQ(items, QStringList({"Edit...", "Delete", "Select All"}));
    fForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fForm.get()));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view->selectedItems().size(), 2);
    bool edited = false;
    WhileOpen([this, &edited] {
        edited = true;
        Find<QDialog>("TForm7")->reject();
    });
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_TRUE(edited);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_TRUE(Column("ListView1", 0).isEmpty());
}

TEST_F(FilesPageTest, IncludeUninstallerAddsAndRemovesItsRowAndClearUnchecksIt) {
    const std::string uninstaller = fForm->Project().ProgramFolder() + "Uninstall.exe";
    AddNewFiles({"a.txt"});
    auto* box = Find<QCheckBox>("CheckBox4");
    box->click();
    EXPECT_EQ(Column("ListView1", 0).last(), QString::fromStdString(uninstaller));
    EXPECT_EQ(Column("ListView1", 2).last(), "%Install Path%\\Uninstall.exe");
    EXPECT_EQ(Find<QLabel>("Label16")->text(), "51203 bytes");
    box->click();
    EXPECT_EQ(Column("ListView1", 2), QStringList({"%Install Path%\\a.txt"}));

    box->click();
    fPrompter.Answers = {TMsgResult::No};
    Click("Button10");
    EXPECT_EQ(Column("ListView1", 2).size(), 2);
    fPrompter.Answers = {TMsgResult::Yes};
    Click("Button10");
    EXPECT_EQ(fPrompter.Shown.back().Text, "Are you sure you want to delete all items?");
    EXPECT_TRUE(Column("ListView1", 0).isEmpty());
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(fForm->Project().IncludeUninstaller());
    EXPECT_EQ(Find<QLabel>("Label16")->text(), "0 bytes");
}

TEST_F(FilesPageTest, TotalSizeIsPluralForOneByte) {
    AddFiles({fFolder.WriteFile("one.bin", "1")});
    EXPECT_EQ(Find<QLabel>("Label16")->text(), "1 bytes");
    fPrompter.Answers = {TMsgResult::Yes};
    Click("Button10");
    EXPECT_EQ(Find<QLabel>("Label10")->text(), "0");
    EXPECT_EQ(Find<QLabel>("Label16")->text(), "0 bytes");
}

TEST_F(FilesPageTest, EditChangesTheFirstSelectedRowButNotTheChoiceLists) {
    const std::vector<std::string> paths = AddNewFiles({"a.txt", "b.txt"});
    Click("Button6");
    EXPECT_EQ(Column("ListView1", 2)[0], "%Install Path%\\a.txt");

    SelectRows("ListView1", {1, 0});
    WhileOpen([this, &paths] {
        auto* form7 = Find<QDialog>("TForm7");
        const auto* source = form7->findChild<QLineEdit*>(QStringLiteral("Edit1"));
        EXPECT_EQ(source->text(), QString::fromStdString(paths[0]));
        EXPECT_FALSE(source->isEnabled());
        form7->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("%Windows%\\x.txt"));
        form7->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(1);
        form7->findChild<QComboBox*>(QStringLiteral("ComboBox2"))->setCurrentIndex(1);
        form7->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
        form7->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    Click("Button6");
    const QStringList row{QString::fromStdString(paths[0]), "3", "%Windows%\\x.txt", "Skip", "No", "Yes"};
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(Column("ListView1", column)[0], row[column]);
    EXPECT_EQ(Choices("ComboBox3")[0], "%Install Path%\\a.txt");
    EXPECT_EQ(Choices("ComboBox7")[1], "%Install Path%\\a.txt");

    WhileOpen([this] {
        auto* form7 = Find<QDialog>("TForm7");
        EXPECT_EQ(form7->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->currentText(), "Skip");
        form7->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("changed"));
        form7->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    });
    Click("Button6");
    EXPECT_EQ(Column("ListView1", 2)[0], "%Windows%\\x.txt");
}

TEST_F(FilesPageTest, NewShowsTheResetProjectOnEveryPage) {
    AddNewFiles({"a.txt"});
    Find<QCheckBox>("CheckBox4")->click();
    Type("Edit9", "Tools");
    Choose("ComboBox3", 0);
    Click("Button11");
    Click("Button14");
    fForm->ToolButton1Click();
    EXPECT_TRUE(Column("ListView1", 0).isEmpty());
    EXPECT_FALSE(Find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("Edit9")->text(), "My Program");
    EXPECT_EQ(Find<QLineEdit>("Edit10")->text(), "My Program");
    EXPECT_TRUE(Choices("ComboBox3").isEmpty());
    EXPECT_TRUE(Column("ListView2", 0).isEmpty());
    EXPECT_TRUE(Column("ListView3", 0).isEmpty());
    EXPECT_EQ(Find<QLabel>("Label16")->text(), "0 bytes");
}

TEST_F(FilesPageTest, UncheckingIncludeUninstallerLeavesARowFromAnotherProgramFolder) {
    auto* box = Find<QCheckBox>("CheckBox4");
    box->click();
    fForm->Project().Files[0].SourcePath = "C:\\Other\\Uninstall.exe";
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(Column("ListView1", 0), QStringList({"C:\\Other\\Uninstall.exe"}));
    EXPECT_EQ(Find<QLabel>("Label10")->text(), "1");
}

} // namespace
} // namespace kf::test
