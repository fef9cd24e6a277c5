#include "UiFixture.h"

#include "builder/BuildDriver.h"
#include "project/HostPaths.h"
#include "ui/BuildForm.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <utility>

namespace kf::test {
namespace {

class BuildFormTest : public UiFixture {
protected:
    BuildFormTest() : fProject(ProgramFolder(), fFolder.Path("Setup.exe")) {}

    // A project that passes the checks; its file names no file, so the build fails on it.
    void AddMissingFile() {
        TFileEntry row;
        row.SourcePath = fFolder.Path("absent.txt");
        row.InstallTo = "%Install Path%\\absent.txt";
        fProject.Files.push_back(row);
        fProject.RefreshFileList();
    }

    void AddFile(const std::string& aName, const std::string& aBytes) {
        TFileEntry row;
        row.SourcePath = fFolder.WriteFile(aName, aBytes);
        row.Size = std::to_string(aBytes.size());
        row.InstallTo = "%Install Path%\\" + aName;
        fProject.Files.push_back(row);
        fProject.RefreshFileList();
    }

    TProject fProject;
};

// Queues a step for the event loop as soon as the error report has been answered.
class TAfterReportPrompter : public TScriptedPrompter {
public:
    std::function<void()> AfterReport;

    TMsgResult ShowMessage(const TMessageBox& aBox) override {
        const TMsgResult answer = TScriptedPrompter::ShowMessage(aBox);
        if (aBox.Caption == "Kelpforge" && AfterReport)
            QTimer::singleShot(0, std::exchange(AfterReport, nullptr));
        return answer;
    }
};

TEST_F(BuildFormTest, ProjectWithoutFilesIsRefusedAndTheWindowCloses) {
    TForm5 form(fProject, fPrompter, ProgramFolder());
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Caption, "Setup Building");
    EXPECT_EQ(fPrompter.Shown[0].Text, "Wrong information!");
    EXPECT_FALSE(std::filesystem::exists(fFolder.Path("Setup.exe")));
}

TEST_F(BuildFormTest, FailedBuildIsReportedAndWaitsForCancel) {
    AddMissingFile();
    TAfterReportPrompter prompter;
    TForm5 form(fProject, prompter, ProgramFolder());
    // After the report the window stays up; Cancel answered Yes is the way out.
    bool stillOpen = false;
    prompter.AfterReport = [&] {
        stillOpen = form.isVisible();
        prompter.Answers = {TMsgResult::Yes};
        form.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    };
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(prompter.Shown.size(), 2u);
    EXPECT_EQ(prompter.Shown[0].Caption, "Kelpforge");
    EXPECT_EQ(prompter.Shown[0].Icon, TMsgIcon::Error);
    EXPECT_NE(prompter.Shown[0].Text.find(fFolder.Path("absent.txt")), std::string::npos)
        << "the report does not name the file: " << prompter.Shown[0].Text;
    EXPECT_EQ(prompter.Shown[1].Text, "Are you sure you want to stop setup building?");
}

TEST_F(BuildFormTest, CancelAnsweredNoKeepsTheWindowOpen) {
    AddMissingFile();
    TAfterReportPrompter prompter;
    TForm5 form(fProject, prompter, ProgramFolder());
    bool stillOpen = false;
    prompter.AfterReport = [&] {
        prompter.Answers = {TMsgResult::No};
        form.Button1Click();
        stillOpen = form.isVisible();
        prompter.Answers = {TMsgResult::Yes};
        form.Button1Click();
    };
    form.exec();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(prompter.Shown.size(), 3u);
}

TEST_F(BuildFormTest, BuildCommandRunsTheBuildFromTheMainWindow) {
    TForm1& form = Start();
    form.Project().Files.clear();
    form.ToolButton4Click();
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Text, "Wrong information!");
}

TEST_F(BuildFormTest, TheSettingsFilesSignCommandSignsTheSetup) {
    fFolder.WriteFile("Kelpforge.ini", "[Signing]\r\nCommand=printf ' signed' >> {file}\r\n");
    AddFile("kelp.txt", "kelp");
    TForm5 form(fProject, fPrompter, ProgramFolder());
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_TRUE(ReadFile(fFolder.Path("Setup.exe")).ends_with(" signed"));
}

TEST_F(BuildFormTest, SuccessfulBuildEndsWithAnEmptyLabelAndAnEmptyBar) {
    AddFile("kelp.txt", "kelp");
    TForm5 form(fProject, fPrompter, ProgramFolder());
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Text.rfind("Installer was successfully created!", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(fFolder.Path("Setup.exe")));
    EXPECT_TRUE(form.findChild<QLabel*>(QStringLiteral("Label1"))->text().isEmpty());
    EXPECT_EQ(form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->value(), 0);
}

TEST_F(BuildFormTest, CancelAnsweredYesStopsAtTheNextCheck) {
    AddFile("first.txt", "first");
    AddFile("second.txt", "second");
    TForm5 form(fProject, fPrompter, ProgramFolder());
    auto* bar = form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    // The first packed file moves the bar; Cancel is pressed in the pump that follows.
    QObject::connect(bar, &QProgressBar::valueChanged, &form, [&] {
        if (fPrompter.Shown.empty()) {
            fPrompter.Answers = {TMsgResult::Yes};
            QTimer::singleShot(0, &form,
                               [&] { form.findChild<QPushButton*>(QStringLiteral("Button1"))->click(); });
        }
    });
    form.exec();
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Text, "Are you sure you want to stop setup building?");
    EXPECT_FALSE(std::filesystem::exists(fFolder.Path("Setup.exe")));
    EXPECT_LT(bar->value(), 50);
}

// Notes where the bar stood when the build asked about stopping.
class TBarWatchingPrompter : public TScriptedPrompter {
public:
    QProgressBar* Bar = nullptr;
    std::vector<int> BarAtQuestion;

    TMsgResult ShowMessage(const TMessageBox& aBox) override {
        if (aBox.Buttons == TMsgButtons::YesNo)
            BarAtQuestion.push_back(Bar->value());
        return TScriptedPrompter::ShowMessage(aBox);
    }
};

// With one file the bar stands strictly between 0 and 50 only while that file is being packed.
void ClickCancelWhilePacking(TForm5& aForm, QProgressBar* aBar, bool& aClicked) {
    QObject::connect(aBar, &QProgressBar::valueChanged, &aForm, [&aForm, &aClicked](int aValue) {
        if (aValue > 0 && aValue < 25 && !aClicked) {
            aClicked = true;
            QTimer::singleShot(
                0, &aForm, [&aForm] { aForm.findChild<QPushButton*>(QStringLiteral("Button1"))->click(); });
        }
    });
}

TEST_F(BuildFormTest, TheWindowAnswersCancelWhileALargeFileIsPacked) {
    fProject.Compression = 2;
    AddFile("large.bin", NoiseBytes(8 << 20));
    for (const TMsgResult answer : {TMsgResult::No, TMsgResult::Yes}) {
        TBarWatchingPrompter prompter;
        TForm5 form(fProject, prompter, ProgramFolder());
        auto* bar = form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        prompter.Bar = bar;
        prompter.Answers = {answer};
        bool clicked = false;
        ClickCancelWhilePacking(form, bar, clicked);
        form.exec();
        ASSERT_EQ(prompter.BarAtQuestion.size(), 1u) << "the click was not answered";
        EXPECT_LT(prompter.BarAtQuestion[0], 50) << "the question came after the file was packed";
        if (answer == TMsgResult::No) {
            EXPECT_TRUE(std::filesystem::exists(fFolder.Path("Setup.exe")));
            EXPECT_EQ(prompter.Shown.back().Icon, TMsgIcon::Information);
            std::filesystem::remove(fFolder.Path("Setup.exe"));
        } else {
            EXPECT_FALSE(std::filesystem::exists(fFolder.Path("Setup.exe")));
            EXPECT_LT(bar->value(), 50) << "the packing went on to the end of the file";
        }
    }
}

} // namespace
} // namespace kf::test
