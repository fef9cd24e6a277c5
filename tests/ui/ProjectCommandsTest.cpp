#include "UiFixture.h"

#include <QToolButton>

#include <filesystem>

namespace kf::test {
namespace {

class ProjectCommandsTest : public UiFixture {
protected:
    // A titled project saved as aName, with a product name that New would reset.
    TForm1& StartTitled(const std::string& aName) {
        TForm1& form = Start();
        form.Project().SetProductName("Sea Garden");
        fPrompter.SaveChoice = fFolder.Path(aName);
        form.SaveAs1Click();
        fPrompter.Shown.clear();
        return form;
    }
};

TEST_F(ProjectCommandsTest, SaveAsPresetsTheProductNameAndTitlesTheWindow) {
    TForm1& form = Start();
    form.Project().SetProductName("Sea Garden");
    fPrompter.SaveChoice = fFolder.Path("garden");
    form.SaveAs1Click();
    EXPECT_EQ(fPrompter.SavePresets, std::vector<std::string>{"Sea Garden.kfp"});
    EXPECT_TRUE(std::filesystem::exists(fFolder.Path("garden.kfp")));
    EXPECT_EQ(form.windowTitle(), "Kelpforge - garden.kfp");
}

TEST_F(ProjectCommandsTest, SaveOfAnUntitledProjectAsksForAName) {
    TForm1& form = Start();
    fPrompter.SaveChoice = fFolder.Path("first.kfp");
    form.findChild<QToolButton*>(QStringLiteral("ToolButton3"))->click();
    EXPECT_EQ(fPrompter.SavePresets.size(), 1u);
    EXPECT_EQ(form.windowTitle(), "Kelpforge - first.kfp");
}

TEST_F(ProjectCommandsTest, OpenReadsTheProjectAndTitlesTheWindow) {
    TForm1& form = StartTitled("stored.kfp");
    fPrompter.Answers = {TMsgResult::No};
    form.ToolButton1Click();
    ASSERT_EQ(form.Project().ProductName(), "My Program");

    fPrompter.OpenChoice = fFolder.Path("stored.kfp");
    form.ToolButton2Click();
    EXPECT_EQ(form.Project().ProductName(), "Sea Garden");
    EXPECT_EQ(form.windowTitle(), "Kelpforge - stored.kfp");
}

TEST_F(ProjectCommandsTest, NewAnsweredCancelKeepsEverything) {
    TForm1& form = StartTitled("kept.kfp");
    fPrompter.Answers = {TMsgResult::Cancel};
    form.ToolButton1Click();
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Buttons, TMsgButtons::YesNoCancel);
    EXPECT_EQ(form.Project().ProductName(), "Sea Garden");
    EXPECT_EQ(form.windowTitle(), "Kelpforge - kept.kfp");
}

TEST_F(ProjectCommandsTest, NewAnsweredNoResetsWithoutWriting) {
    TForm1& form = StartTitled("left.kfp");
    const std::string saved = ReadFile(fFolder.Path("left.kfp"));
    form.Project().ProductVersion = "9.9";
    fPrompter.Answers = {TMsgResult::No};
    form.ToolButton1Click();
    EXPECT_EQ(form.Project().ProductName(), "My Program");
    EXPECT_EQ(form.windowTitle(), "Kelpforge");
    EXPECT_EQ(ReadFile(fFolder.Path("left.kfp")), saved);
}

TEST_F(ProjectCommandsTest, NewAnsweredYesWritesTheFileFirst) {
    TForm1& form = StartTitled("written.kfp");
    form.Project().ProductVersion = "9.9";
    fPrompter.Answers = {TMsgResult::Yes};
    form.ToolButton1Click();
    EXPECT_EQ(form.Project().ProductVersion, "1.0");
    EXPECT_EQ(form.windowTitle(), "Kelpforge");
    EXPECT_NE(ReadFile(fFolder.Path("written.kfp")).find("9.9"), std::string::npos);
}

TEST_F(ProjectCommandsTest, FailedSaveReachesTheErrorReport) {
    TForm1& form = Start();
    const std::string path = fFolder.Path("missing/folder/lost.kfp");
    fPrompter.SaveChoice = path;
    form.SaveAs1Click();
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    const TMessageBox& box = fPrompter.Shown[0];
    EXPECT_EQ(box.Caption, "Kelpforge");
    EXPECT_EQ(box.Icon, TMsgIcon::Error);
    EXPECT_EQ(box.Buttons, TMsgButtons::Ok);
    EXPECT_NE(box.Text.find(path), std::string::npos);
    EXPECT_EQ(form.windowTitle(), "Kelpforge");
}

} // namespace
} // namespace kf::test
