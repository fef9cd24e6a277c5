#include "UiFixture.h"
#include "UrlRecorder.h"

#include "ui/ShellCommands.h"

namespace kf::test {
namespace {

using ShellCommandsTest = UiFixture;

TEST_F(ShellCommandsTest, BuildAndRunOpensTheSetupFileEvenAfterARefusedBuild) {
    TUrlRecorder recorder({"file"});
    TForm1& form = Start();
    form.Project().SetupFile = fFolder.Path("Earlier.exe");
    Action("Buildandrun1")->trigger();
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Text, "Wrong information!");
    ASSERT_EQ(recorder.Opened.size(), 1u);
    EXPECT_EQ(recorder.Opened[0].toLocalFile().toStdString(), fFolder.Path("Earlier.exe"));
}

TEST_F(ShellCommandsTest, HelpOpensTheManualInTheProgramFolder) {
    TUrlRecorder recorder({"file"});
    TForm1& form = Start();
    Action("N5")->trigger();
    ASSERT_EQ(recorder.Opened.size(), 1u);
    EXPECT_EQ(recorder.Opened[0].toLocalFile().toStdString(),
              form.Project().ProgramFolder() + "Kelpforge.html");
}

TEST_F(ShellCommandsTest, HomePageAndFeedbackOpenTheirAddresses) {
    TUrlRecorder recorder({"https", "mailto"});
    Start();
    Action("WebSite1")->trigger();
    Action("Feedback1")->trigger();
    ASSERT_EQ(recorder.Opened.size(), 2u);
    EXPECT_EQ(recorder.Opened[0].host(), QUrl(WebSiteAddress()).host());
    EXPECT_EQ(recorder.Opened[1], FeedbackUrl());
}

TEST(ShellCommandsUrlTest, HomePageFollowsTheDesktopFolderLanguage) {
    const QUrl home = HomePageUrl(QStringLiteral("/home/anna/Desktop"));
    const QUrl russian = HomePageUrl(QStringLiteral("/home/anna/Рабочий стол"));
    EXPECT_TRUE(home.path().endsWith("/kelpforge/"));
    EXPECT_FALSE(home.path().startsWith("/ru/"));
    EXPECT_EQ(russian.path(), "/ru" + home.path());
    EXPECT_EQ(HomePageUrl(QStringLiteral("/home/anna/Рабочий Стол")), home);
}

TEST(ShellCommandsUrlTest, FeedbackMailQuotesTheProductAndVersion) {
    const QUrl mail = FeedbackUrl();
    EXPECT_EQ(mail.scheme(), "mailto");
    EXPECT_EQ(mail.path(), SupportAddress());
    EXPECT_EQ(mail.query(QUrl::FullyDecoded), "subject=\"Kelpforge 2.1.7\"");
}

} // namespace
} // namespace kf::test
