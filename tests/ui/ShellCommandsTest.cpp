#include "RefusingDesktop.h"
#include "UiFixture.h"
#include "UrlRecorder.h"

#include "ui/AboutForm.h"
#include "ui/ShellCommands.h"

#include <functional>
#include <utility>
#include <vector>

namespace kf::test {
namespace {

class ShellCommandsTest : public UiFixture {
protected:
    // The one message shown after the first anEarlier ones; an empty box when there is not one.
    TMessageBox OnlyMessageAfter(size_t anEarlier) const {
        EXPECT_EQ(fPrompter.Shown.size(), anEarlier + 1);
        return fPrompter.Shown.size() > anEarlier ? fPrompter.Shown.back() : TMessageBox{};
    }
};

TEST_F(ShellCommandsTest, BuildAndRunOpensAnEarlierSetupFileAfterARefusedBuild) {
    TUrlRecorder recorder({"file"});
    TForm1& form = Start();
    form.Project().SetupFile = fFolder.WriteFile("Earlier.exe", "MZ");
    Action("Buildandrun1")->trigger();
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Text, "Wrong information!");
    ASSERT_EQ(recorder.Opened.size(), 1u);
    EXPECT_EQ(recorder.Opened[0].toLocalFile().toStdString(), fFolder.Path("Earlier.exe"));
}

TEST_F(ShellCommandsTest, BuildAndRunSaysSoWhenNoSetupFileStandsAtThePath) {
    TUrlRecorder recorder({"file"});
    TForm1& form = Start();
    form.Project().SetupFile = fFolder.Path("Never built.exe");
    Action("Buildandrun1")->trigger();
    const TMessageBox box = OnlyMessageAfter(1);
    EXPECT_EQ(box.Caption, "Kelpforge");
    EXPECT_EQ(box.Icon, TMsgIcon::Error);
    EXPECT_EQ(box.Text,
              "Cannot open \"" + fFolder.Path("Never built.exe") + "\".\rThere is no file at this path.");
    EXPECT_TRUE(recorder.Opened.empty());
}

TEST_F(ShellCommandsTest, HelpOpensTheManualInTheProgramFolder) {
    TUrlRecorder recorder({"file"});
    TForm1& form = Start();
    Action("N5")->trigger();
    ASSERT_EQ(recorder.Opened.size(), 1u);
    EXPECT_EQ(recorder.Opened[0].toLocalFile().toStdString(),
              form.Project().ProgramFolder() + "Kelpforge.html");
    EXPECT_TRUE(fPrompter.Shown.empty());
}

TEST_F(ShellCommandsTest, HomePageAndFeedbackOpenTheirAddresses) {
    TUrlRecorder recorder({"https", "mailto"});
    TForm1& form = Start();
    Action("WebSite1")->trigger();
    Action("Feedback1")->trigger();
    auto* about = form.findChild<TForm3*>(QStringLiteral("TForm3"));
    about->Label4Click();
    about->Label7Click();
    ASSERT_EQ(recorder.Opened.size(), 4u);
    EXPECT_EQ(recorder.Opened[0].host(), QUrl(WebSiteAddress()).host());
    EXPECT_EQ(recorder.Opened[1], FeedbackUrl());
    EXPECT_EQ(recorder.Opened[2], recorder.Opened[0]);
    EXPECT_EQ(recorder.Opened[3], FeedbackUrl());
    EXPECT_TRUE(fPrompter.Shown.empty());
}

TEST_F(ShellCommandsTest, HelpTheDesktopCannotOpenNamesTheManual) {
    TRefusingDesktop desktop;
    TForm1& form = Start();
    Action("N5")->trigger();
    ASSERT_EQ(desktop.Asked.size(), 1u);
    const TMessageBox box = OnlyMessageAfter(0);
    EXPECT_EQ(box.Caption, "Kelpforge");
    EXPECT_EQ(box.Icon, TMsgIcon::Error);
    EXPECT_EQ(box.Buttons, TMsgButtons::Ok);
    EXPECT_EQ(box.Text, "Cannot open \"" + form.Project().ProgramFolder() +
                            "Kelpforge.html\".\rNo program on this desktop opens this file.");
}

TEST_F(ShellCommandsTest, AddressesTheDesktopCannotOpenAreNamed) {
    TRefusingDesktop desktop;
    TForm1& form = Start();
    auto* about = form.findChild<TForm3*>(QStringLiteral("TForm3"));
    const std::vector<std::pair<std::function<void()>, QString>> commands{
        {[this] { Action("WebSite1")->trigger(); }, WebSiteAddress()},
        {[this] { Action("Feedback1")->trigger(); }, SupportAddress()},
        {[about] { about->Label4Click(); }, WebSiteAddress()},
        {[about] { about->Label7Click(); }, SupportAddress()},
    };
    for (const auto& [command, target] : commands) {
        const size_t shown = fPrompter.Shown.size();
        command();
        const TMessageBox box = OnlyMessageAfter(shown);
        EXPECT_EQ(box.Caption, "Kelpforge");
        EXPECT_EQ(box.Icon, TMsgIcon::Error);
        EXPECT_NE(box.Text.find(target.toStdString()), std::string::npos) << box.Text;
    }
    EXPECT_EQ(desktop.Asked.size(), commands.size());
    EXPECT_NE(fPrompter.Shown[1].Text.find("No mail program"), std::string::npos);
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
