#include "PagesFixture.h"

#include "project/HostPaths.h"
#include "ui/GeneralPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kf::test {
namespace {

class GeneralPageTest : public PagesFixture {
protected:
    GeneralPageTest() { fGeneralPage = Find<TGeneralPage>("GeneralPage"); }

    // The setup-file dialog answers aChoice and records where it was started.
    void AnswerSetupDialog(std::optional<std::string> aChoice) {
        fGeneralPage->ChooseSetupFile = [this, aChoice](const TPathParts& aStart) {
            fStarts.push_back(aStart.Folder + "|" + aStart.Name);
            return aChoice;
        };
    }
    void AnswerPictureDialog(std::optional<std::string> aChoice) {
        fGeneralPage->ChooseBitmap = [this, aChoice](const std::string& aFilter) {
            fFilters.push_back(aFilter);
            return aChoice;
        };
    }
    QString Text(const char* anEdit) const { return Find<QLineEdit>(anEdit)->text(); }

    TGeneralPage* fGeneralPage = nullptr;
    std::vector<std::string> fStarts;
    std::vector<std::string> fFilters;
};

using FinishPageTest = PagesFixture;

TEST_F(GeneralPageTest, StartsWithTheNewProjectsValuesInTabOrder) {
    fForm->SelectPage(1);
    EXPECT_EQ(Text("Edit1"), "My Program");
    EXPECT_EQ(Text("Edit2"), "1.0");
    EXPECT_EQ(Text("Edit3"), QString::fromUtf8("\u00A9 2006 Company"));
    EXPECT_EQ(Text("Edit4"), QString::fromStdString(DefaultSetupFile()));
    EXPECT_EQ(Choices("ComboBox1"), QStringList({"No compression", "Normal", "Maximal"}));
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), "Normal");
    EXPECT_FALSE(Find<QComboBox>("ComboBox1")->isEditable());
    EXPECT_EQ(Choices("ComboBox11"), QStringList({"32-bit (x86)", "64-bit (x64)"}));
    EXPECT_EQ(Find<QComboBox>("ComboBox11")->currentText(), "32-bit (x86)");
    EXPECT_GT(Find<QComboBox>("ComboBox11")->y(), Find<QComboBox>("ComboBox1")->y());
    const auto* solid = Find<QCheckBox>("CheckBox8");
    EXPECT_EQ(solid->text(), "Solid compression");
    EXPECT_FALSE(solid->isChecked());
    EXPECT_GT(solid->y(), Find<QComboBox>("ComboBox1")->y());
    EXPECT_LT(solid->y(), Find<QComboBox>("ComboBox11")->y());
    EXPECT_EQ(Text("Edit5"), QString::fromStdString(ProgramFolder() + "Logo.bmp"));
    EXPECT_EQ(Text("Edit6"), QString::fromStdString(ProgramFolder() + "Header.bmp"));
    for (const char* button : {"Button1", "Button2", "Button3"})
        EXPECT_EQ(Find<QPushButton>(button)->text(), "...");

    QStringList labels;
    for (const QLabel* label : fGeneralPage->findChildren<QLabel*>())
        labels << label->text();
    for (const char* caption : {"Product Name:", "Product Version:", "Company Name:", "Setup File:",
                                "Compression Type:", "Target Windows:", "Logo Bitmap:", "Header Bitmap:"})
        EXPECT_TRUE(labels.contains(QLatin1String(caption))) << caption;

    // The separator stands between the target Windows and the logo rows.
    const auto* separator = Find<QFrame>("Bevel1");
    EXPECT_GT(separator->y(), Find<QComboBox>("ComboBox11")->y());
    EXPECT_LT(separator->y(), Find<QLineEdit>("Edit5")->y());

    const QStringList order{"Edit1",     "Edit2",      "Edit3", "Edit4",   "Button1", "ComboBox1",
                            "CheckBox8", "ComboBox11", "Edit5", "Button2", "Edit6",   "Button3"};
    QStringList chain;
    QWidget* widget = Find<QWidget>("Edit1");
    for (int step = 0; step < 200 && chain.size() < order.size(); ++step) {
        if (order.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(chain, order);

    Find<QCheckBox>("CheckBox8")->click();
    EXPECT_TRUE(fForm->Project().SolidCompression);
}

TEST_F(GeneralPageTest, SetupFileChooserAddsExeUnlessTheExtensionIsExactlyExe) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"C:\\out\\setup", "C:\\out\\setup.exe"},
        {"C:\\out\\setup.exe", "C:\\out\\setup.exe"},
        {"C:\\out\\setup.EXE", "C:\\out\\setup.EXE.exe"},
        {"/home/a.b/setup", "/home/a.b/setup.exe"},
    };
    for (const auto& [chosen, expected] : cases) {
        AnswerSetupDialog(chosen);
        Click("Button1");
        EXPECT_EQ(Text("Edit4").toStdString(), expected);
        EXPECT_EQ(fForm->Project().SetupFile, expected);
    }
    // Each dialog started from the folder and name of the path shown before it.
    EXPECT_EQ(fStarts[1], "C:\\out|setup.exe");
    EXPECT_EQ(fStarts[3], "C:\\out|setup.EXE.exe");
}

TEST_F(GeneralPageTest, SetupFileDialogOpensForAnyTextAndCancelChangesNothing) {
    Type("Edit4", "no:such<path>|");
    EXPECT_EQ(fForm->Project().SetupFile, "no:such<path>|");
    AnswerSetupDialog(std::nullopt);
    Click("Button1");
    ASSERT_EQ(fStarts.size(), 1u);
    EXPECT_EQ(fStarts[0], "no|such<path>|");
    EXPECT_EQ(Text("Edit4"), "no:such<path>|");
    EXPECT_EQ(fForm->Project().SetupFile, "no:such<path>|");
}

TEST_F(GeneralPageTest, BitmapChoosersNameTheSizesAndTakeAnyFile) {
    AnswerPictureDialog("/art/not-a-bitmap.txt");
    Click("Button2");
    AnswerPictureDialog("/art/head.bmp");
    Click("Button3");
    EXPECT_EQ(fFilters, (std::vector<std::string>{"Bitmap Files 164x314 pixels (*.bmp)|*.bmp",
                                                  "Bitmap Files 55x55 pixels (*.bmp)|*.bmp"}));
    EXPECT_EQ(Text("Edit5"), "/art/not-a-bitmap.txt");
    EXPECT_EQ(Text("Edit6"), "/art/head.bmp");
    EXPECT_EQ(fForm->Project().LogoBitmap, "/art/not-a-bitmap.txt");
    EXPECT_EQ(fForm->Project().HeaderBitmap, "/art/head.bmp");

    AnswerPictureDialog(std::nullopt);
    Click("Button2");
    Click("Button3");
    EXPECT_EQ(fForm->Project().LogoBitmap, "/art/not-a-bitmap.txt");
    EXPECT_EQ(fForm->Project().HeaderBitmap, "/art/head.bmp");
    EXPECT_TRUE(fPrompter.Shown.empty());
}

TEST_F(GeneralPageTest, TypingAProductNameRenamesTheInstallFolderAndSubfolderButNotBack) {
    Type("Edit1", "Kelp Tools");
    EXPECT_EQ(fForm->Project().ProductName(), "Kelp Tools");
    EXPECT_EQ(Text("Edit9"), "Kelp Tools");
    EXPECT_EQ(Text("Edit10"), "Kelp Tools");
    EXPECT_EQ(fForm->Project().InstallFolder(), "Kelp Tools");
    EXPECT_EQ(fForm->Project().Entry.ShortcutSubfolder, "Kelp Tools");

    Type("Edit9", "Kelp\\Tools");
    EXPECT_EQ(Text("Edit10"), "Kelp\\Tools");
    EXPECT_EQ(Text("Edit1"), "Kelp Tools");
    EXPECT_EQ(fForm->Project().ProductName(), "Kelp Tools");
}

TEST_F(GeneralPageTest, EditsReachTheProjectAndNewShowsTheDefaultsAgain) {
    Type("Edit2", "2.5");
    Type("Edit3", "Kelp Ltd");
    Type("Edit5", "/art/logo.bmp");
    Type("Edit6", "/art/header.bmp");
    Choose("ComboBox1", 2);
    Choose("ComboBox11", 1);
    const TProject& project = fForm->Project();
    EXPECT_EQ(project.ProductVersion, "2.5");
    EXPECT_EQ(project.CompanyName, "Kelp Ltd");
    EXPECT_EQ(project.LogoBitmap, "/art/logo.bmp");
    EXPECT_EQ(project.HeaderBitmap, "/art/header.bmp");
    EXPECT_EQ(project.Compression, 2);
    EXPECT_EQ(project.TargetWindows, kTarget64Bit);

    fForm->ToolButton1Click();
    EXPECT_EQ(Text("Edit2"), "1.0");
    EXPECT_EQ(Text("Edit3"), QString::fromUtf8("\u00A9 2006 Company"));
    EXPECT_EQ(Text("Edit5"), QString::fromStdString(ProgramFolder() + "Logo.bmp"));
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), 1);
    EXPECT_EQ(Find<QComboBox>("ComboBox11")->currentIndex(), 0);
}

TEST_F(FinishPageTest, LaunchChooserIsEnabledByItsCheckBoxEvenWhenEmpty) {
    fForm->SelectPage(6);
    auto* launch = Find<QCheckBox>("CheckBox7");
    auto* chooser = Find<QComboBox>("ComboBox10");
    EXPECT_EQ(launch->text(), "Launch file");
    EXPECT_EQ(Find<QCheckBox>("CheckBox5")->text(), "Restart computer");
    EXPECT_FALSE(launch->isChecked());
    EXPECT_FALSE(chooser->isEnabled());
    EXPECT_FALSE(chooser->isEditable());
    EXPECT_EQ(chooser->count(), 0);

    launch->click();
    EXPECT_TRUE(fForm->Project().LaunchFile);
    EXPECT_TRUE(chooser->isEnabled());
    EXPECT_EQ(chooser->currentIndex(), -1);
    EXPECT_EQ(fForm->Project().LaunchFileIndex, -1);
    launch->click();
    EXPECT_FALSE(chooser->isEnabled());

    Find<QCheckBox>("CheckBox5")->click();
    EXPECT_TRUE(fForm->Project().RestartComputer);
}

TEST_F(FinishPageTest, AddingAFileClearsTheLaunchChoice) {
    AddNewFiles({"app.exe", "tool.exe"});
    EXPECT_EQ(Choices("ComboBox10"), QStringList({"%Install Path%\\app.exe", "%Install Path%\\tool.exe"}));
    Find<QCheckBox>("CheckBox7")->click();
    Choose("ComboBox10", 1);
    EXPECT_EQ(fForm->Project().LaunchFileIndex, 1);

    // Unchecking keeps the choice; only the refresh clears it.
    Find<QCheckBox>("CheckBox7")->click();
    EXPECT_EQ(Find<QComboBox>("ComboBox10")->currentIndex(), 1);
    EXPECT_EQ(fForm->Project().LaunchFileIndex, 1);

    AddNewFiles({"readme.txt"});
    EXPECT_EQ(Choices("ComboBox10").size(), 3);
    EXPECT_EQ(Find<QComboBox>("ComboBox10")->currentIndex(), -1);
    EXPECT_EQ(fForm->Project().LaunchFileIndex, -1);
}

} // namespace
} // namespace kf::test
