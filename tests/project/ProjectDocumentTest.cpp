#include "project/ProjectDocument.h"
#include "base/Exception.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace kf;
using kf::test::ReadFile;

TEST(ProjectFileName, AppendsTheExtensionUnlessItIsExactlyKfp) {
    EXPECT_EQ(ProjectFileNameFor("/p/setup"), "/p/setup.kfp");
    EXPECT_EQ(ProjectFileNameFor("/p/setup.kfp"), "/p/setup.kfp");
    EXPECT_EQ(ProjectFileNameFor("/p/setup.txt"), "/p/setup.txt.kfp");
    EXPECT_EQ(ProjectFileNameFor("/p/setup.KFP"), "/p/setup.KFP.kfp");
    EXPECT_EQ(ProjectFileNameFor("/p.d/setup"), "/p.d/setup.kfp");
    EXPECT_EQ(ProjectFileNameFor("C:\\p.d\\setup"), "C:\\p.d\\setup.kfp");
    EXPECT_EQ(ProjectFileNameFor("a.kfp.bak"), "a.kfp.bak.kfp");
}

class ProjectDocumentTest : public ::testing::Test {
protected:
    test::TTempFolder temp;
    test::TScriptedPrompter prompter;
    TProject project{"/opt/kf/", "/home/u/Setup.exe"};
    TProjectDocument document{project, prompter};

    // Binds the document to a saved file and changes the project afterwards.
    std::string Titled() {
        prompter.SaveChoice = temp.Path("Demo");
        EXPECT_TRUE(document.Save());
        project.SetProductName("Changed since saving");
        return temp.Path("Demo.kfp");
    }
};

TEST_F(ProjectDocumentTest, TitleFollowsTheCurrentFile) {
    EXPECT_EQ(document.Title(), "Kelpforge");
    const std::string path = Titled();
    EXPECT_EQ(document.CurrentFile(), path);
    EXPECT_EQ(document.Title(), "Kelpforge - Demo.kfp");
}

TEST_F(ProjectDocumentTest, SavingAnUntitledProjectAsksForANamePresetFromTheProductName) {
    project.SetProductName("Kelp");
    EXPECT_FALSE(document.Save());
    EXPECT_EQ(prompter.SavePresets, std::vector<std::string>{"Kelp.kfp"});
    EXPECT_EQ(document.CurrentFile(), "");
    EXPECT_FALSE(std::filesystem::exists(temp.Path("Kelp.kfp")));
}

TEST_F(ProjectDocumentTest, NewOnAnUntitledProjectAsksNothing) {
    project.SetProductName("Entered");
    EXPECT_TRUE(document.New());
    EXPECT_TRUE(prompter.Shown.empty());
    EXPECT_EQ(project.ProductName(), "My Program");
}

TEST_F(ProjectDocumentTest, NewOnATitledProjectAsksAndCancelChangesNothing) {
    const std::string path = Titled();
    const std::string before = ReadFile(path);
    prompter.Answers = {TMsgResult::Cancel};
    EXPECT_FALSE(document.New());
    ASSERT_EQ(prompter.Shown.size(), 1u);
    const TMessageBox& box = prompter.Shown[0];
    EXPECT_EQ(box.Text, "Save changes to project Demo.kfp?");
    EXPECT_EQ(box.Caption, "Kelpforge");
    EXPECT_EQ(box.Icon, TMsgIcon::Question);
    EXPECT_EQ(box.Buttons, TMsgButtons::YesNoCancel);
    EXPECT_EQ(box.DefaultButton, 2);
    EXPECT_EQ(project.ProductName(), "Changed since saving");
    EXPECT_EQ(document.Title(), "Kelpforge - Demo.kfp");
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(ProjectDocumentTest, NewAnsweredNoResetsWithoutWriting) {
    const std::string path = Titled();
    const std::string before = ReadFile(path);
    prompter.Answers = {TMsgResult::No};
    EXPECT_TRUE(document.New());
    EXPECT_EQ(project.ProductName(), "My Program");
    EXPECT_EQ(document.Title(), "Kelpforge");
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(ProjectDocumentTest, NewAnsweredYesWritesTheFileFirst) {
    const std::string path = Titled();
    prompter.Answers = {TMsgResult::Yes};
    EXPECT_TRUE(document.New());
    EXPECT_NE(ReadFile(path).find("1=Changed since saving"), std::string::npos);
    EXPECT_EQ(project.ProductName(), "My Program");
    EXPECT_EQ(document.CurrentFile(), "");
}

TEST_F(ProjectDocumentTest, AFailedSaveAtThePromptEndsNewBeforeAnythingIsReset) {
    Titled();
    project.InstallPathKey = "bad\nkey";
    prompter.Answers = {TMsgResult::Yes};
    EXPECT_THROW(document.New(), Exception);
    EXPECT_EQ(project.ProductName(), "Changed since saving");
    EXPECT_EQ(document.Title(), "Kelpforge - Demo.kfp");
}

TEST_F(ProjectDocumentTest, OpenBindsToTheChosenFileAndCancelLeavesEverything) {
    TProject other("/opt/kf/", "/s");
    other.SetProductName("Other");
    prompter.SaveChoice = temp.Path("Other.kfp");
    TProjectDocument writer(other, prompter);
    ASSERT_TRUE(writer.SaveAs());

    project.SetProductName("Untouched");
    EXPECT_FALSE(document.Open()); // no file chosen
    EXPECT_EQ(project.ProductName(), "Untouched");
    EXPECT_EQ(document.Title(), "Kelpforge");

    prompter.OpenChoice = temp.Path("Other.kfp");
    EXPECT_TRUE(document.Open());
    EXPECT_EQ(project.ProductName(), "Other");
    EXPECT_EQ(document.Title(), "Kelpforge - Other.kfp");
    EXPECT_TRUE(prompter.Shown.empty()); // the untitled project was dropped without a question
}

TEST_F(ProjectDocumentTest, OpenOnATitledProjectAsksFirstAndCancelSkipsTheDialog) {
    Titled();
    prompter.Answers = {TMsgResult::Cancel};
    EXPECT_FALSE(document.Open());
    EXPECT_EQ(prompter.OpenDialogs, 0);
}

TEST_F(ProjectDocumentTest, AFailedSaveAsKeepsTheDocumentBoundToItsFile) {
    Titled();
    const std::string blocker = temp.WriteFile("blocker", "x");
    prompter.SaveChoice = blocker + "/New.kfp";
    EXPECT_THROW(document.SaveAs(), Exception);
    EXPECT_EQ(document.CurrentFile(), temp.Path("Demo.kfp"));
    EXPECT_EQ(document.Title(), "Kelpforge - Demo.kfp");
}
