#include "PagesFixture.h"

#include "../builder/CabinetReader.h"
#include "builder/BuildDriver.h"
#include "builder/RtfDocument.h"
#include "ui/TextPage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

namespace kf::test {
namespace {

std::string DataFile(const std::string& aName) {
    return std::string(KF_UI_TEST_DATA) + "/" + aName;
}

class TQuietHost : public BuildHost {
public:
    void ShowStatus(const std::string&) override {}
    void ShowProgress(int) override {}
    void ProcessEvents() override {}
};

class TextPageTest : public PagesFixture {
protected:
    TextPageTest() { fTextPage = fForm->findChild<TTextPage*>(QStringLiteral("TextPage")); }

    void AnswerOpenDialog(std::optional<std::string> aChoice) {
        fTextPage->ChooseTextFile = [this, aChoice] {
            ++fOpenDialogs;
            return aChoice;
        };
    }
    void Browse(const char* aButton, const std::string& aPath) {
        AnswerOpenDialog(aPath);
        Click(aButton);
    }
    QTextEdit* Editor(const char* aName) const { return Find<QTextEdit>(aName); }
    bool AnyBold(const char* anEditor) const {
        for (QTextBlock block = Editor(anEditor)->document()->begin(); block.isValid(); block = block.next())
            for (auto run = block.begin(); !run.atEnd(); ++run)
                if (run.fragment().charFormat().fontWeight() >= QFont::Bold)
                    return true;
        return false;
    }

    // Builds the open project and returns the licence and readme members of its main cabinet.
    std::pair<std::string, std::string> BuildTexts() {
        TProject& project = fForm->Project();
        const std::string programFolder = fFolder.Path("program/");
        fFolder.WriteFile("program/Installer.exe", "MZ stub");
        project.LogoBitmap = fFolder.WriteFile("logo.bmp", test::TinyBitmap('L'));
        project.HeaderBitmap = fFolder.WriteFile("header.bmp", test::TinyBitmap('H'));
        project.SetupFile = fFolder.Path("Setup.exe");
        if (project.Files.empty())
            AddNewFiles({"app.exe"});
        TQuietHost host;
        TScriptedPrompter prompter;
        TBuildDriver driver(project, host, prompter, programFolder);
        EXPECT_EQ(driver.Run(), TBuildOutcome::Succeeded);
        const std::string setup = ReadFile(project.SetupFile);
        EXPECT_GT(setup.size(), 10u);
        const uint64_t mainSize = std::stoull(setup.substr(setup.size() - 10));
        const TMembers members =
            ExtractCabinet(setup.substr(setup.size() - 10 - mainSize, mainSize), fFolder.Path("main"));
        EXPECT_EQ(members.size(), 5u);
        if (members.size() < 3)
            return {};
        EXPECT_EQ(members[1].first, "license.rtf");
        EXPECT_EQ(members[2].first, "readme.rtf");
        return {members[1].second, members[2].second};
    }

    TTextPage* fTextPage = nullptr;
    int fOpenDialogs = 0;
};

TEST_F(TextPageTest, StartsUncheckedWithEveryDependentControlDisabled) {
    ASSERT_NE(fTextPage, nullptr);
    const auto* tabs = Find<QTabWidget>("PageControl2");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "License Agreement");
    EXPECT_EQ(tabs->tabText(1), "Readme");
    EXPECT_EQ(tabs->currentIndex(), 0);

    EXPECT_EQ(Find<QCheckBox>("CheckBox1")->text(), "Show \"License Agreement\" Dialog");
    EXPECT_EQ(Find<QCheckBox>("CheckBox2")->text(), "Show \"I accept the agreement\" check box");
    EXPECT_EQ(Find<QCheckBox>("CheckBox3")->text(), "Show \"Readme\" Dialog");
    for (const char* button : {"Button4", "Button5"})
        EXPECT_EQ(Find<QPushButton>(button)->text(), "Browse...");
    for (const char* box : {"CheckBox1", "CheckBox2", "CheckBox3"})
        EXPECT_FALSE(Find<QCheckBox>(box)->isChecked()) << box;
    for (const char* control :
         {"Edit7", "Button4", "RichEdit1", "CheckBox2", "Edit8", "Button5", "RichEdit2"})
        EXPECT_FALSE(Find<QWidget>(control)->isEnabled()) << control;
    for (const char* edit : {"Edit7", "Edit8"})
        EXPECT_TRUE(Find<QLineEdit>(edit)->isReadOnly());
    for (const char* editor : {"RichEdit1", "RichEdit2"}) {
        EXPECT_EQ(Editor(editor)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_TRUE(Editor(editor)->document()->isEmpty());
    }
    // The readme tab has no acceptance box.
    EXPECT_EQ(tabs->widget(1)->findChildren<QCheckBox*>().size(), 1);
}

TEST_F(TextPageTest, CheckBoxesEnableTheirControlsWithoutClearingThem) {
    Find<QCheckBox>("CheckBox1")->click();
    EXPECT_TRUE(fForm->Project().ShowLicense);
    for (const char* control : {"Edit7", "Button4", "RichEdit1", "CheckBox2"})
        EXPECT_TRUE(Find<QWidget>(control)->isEnabled()) << control;
    EXPECT_FALSE(Find<QWidget>("RichEdit2")->isEnabled());
    Browse("Button4", DataFile("wordpad.rtf"));
    Find<QCheckBox>("CheckBox2")->click();
    EXPECT_TRUE(fForm->Project().ShowAcceptCheckBox);

    Find<QCheckBox>("CheckBox1")->click();
    EXPECT_FALSE(fForm->Project().ShowLicense);
    for (const char* control : {"Edit7", "Button4", "RichEdit1", "CheckBox2"})
        EXPECT_FALSE(Find<QWidget>(control)->isEnabled()) << control;
    EXPECT_EQ(Find<QLineEdit>("Edit7")->text().toStdString(), DataFile("wordpad.rtf"));
    EXPECT_TRUE(Find<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_TRUE(Editor("RichEdit1")->toPlainText().startsWith("END USER LICENCE"));

    Find<QCheckBox>("CheckBox3")->click();
    for (const char* control : {"Edit8", "Button5", "RichEdit2"})
        EXPECT_TRUE(Find<QWidget>(control)->isEnabled()) << control;

    // The greyed-out licence still goes into the build as it was loaded.
    EXPECT_EQ(BuildTexts().first, ReadFile(DataFile("wordpad.rtf")));
}

TEST_F(TextPageTest, PlainTextShowsPlainAndRtfShowsItsFormatting) {
    Find<QCheckBox>("CheckBox1")->click();
    Find<QCheckBox>("CheckBox3")->click();
    Browse("Button4", DataFile("plain.txt"));
    EXPECT_EQ(
        Editor("RichEdit1")->toPlainText(),
        QString::fromUtf8("Plain licence {text}\nwith \\b no formatting\nand caf\u00E9 in Windows-1252.\n"));
    EXPECT_FALSE(AnyBold("RichEdit1"));

    Browse("Button5", DataFile("textedit.rtf"));
    EXPECT_EQ(Find<QLineEdit>("Edit8")->text().toStdString(), DataFile("textedit.rtf"));
    EXPECT_TRUE(Editor("RichEdit2")->toPlainText().startsWith("Readme\nFirst line\n"));
    EXPECT_TRUE(AnyBold("RichEdit2"));
    EXPECT_EQ(Editor("RichEdit2")->document()->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);

    // A plain text reaches the build as RTF; the untouched RTF file byte for byte.
    const auto [license, readme] = BuildTexts();
    EXPECT_EQ(license, PlainTextToRtf(ReadFile(DataFile("plain.txt"))));
    EXPECT_EQ(readme, ReadFile(DataFile("textedit.rtf")));
}

TEST_F(TextPageTest, AnEditedTextIsWrittenAnewFromTheEditor) {
    Find<QCheckBox>("CheckBox1")->click();
    Browse("Button4", DataFile("word.rtf"));
    const std::string file = ReadFile(DataFile("word.rtf"));
    EXPECT_EQ(fForm->Project().LicenseText, file);

    QTextEdit* editor = Editor("RichEdit1");
    editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor, "Extra");
    const std::string license = BuildTexts().first;
    EXPECT_NE(license, file);
    EXPECT_TRUE(IsRtf(license));
    EXPECT_NE(license.find("Extra"), std::string::npos);
    // The rewritten text keeps the formatting that was loaded.
    EXPECT_NE(license.find("\\qj"), std::string::npos);
    EXPECT_NE(license.find("\\b "), std::string::npos);
    EXPECT_NE(license.find("Times New Roman"), std::string::npos);
}

TEST_F(TextPageTest, AnUnreadableFileIsReportedAndTheEditorKeepsItsText) {
    Find<QCheckBox>("CheckBox1")->click();
    Browse("Button4", DataFile("wordpad.rtf"));
    const QString shown = Editor("RichEdit1")->toPlainText();
    const std::string missing = fFolder.Path("gone/licence.rtf");
    Browse("Button4", missing);
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Caption, "Kelpforge");
    EXPECT_EQ(fPrompter.Shown[0].Icon, TMsgIcon::Error);
    EXPECT_EQ(fPrompter.Shown[0].Text, "Cannot open file \"" + missing + "\". No such file or directory.");
    EXPECT_EQ(Find<QLineEdit>("Edit7")->text().toStdString(), missing);
    EXPECT_EQ(fForm->Project().LicenseFile, missing);
    EXPECT_EQ(Editor("RichEdit1")->toPlainText(), shown);
    EXPECT_EQ(fForm->Project().LicenseText, ReadFile(DataFile("wordpad.rtf")));

    // A folder cannot be loaded either.
    Browse("Button4", fFolder.Path(""));
    ASSERT_EQ(fPrompter.Shown.size(), 2u);
    EXPECT_TRUE(fPrompter.Shown[1].Text.starts_with("Cannot open file \""));
    EXPECT_EQ(Editor("RichEdit1")->toPlainText(), shown);
}

TEST_F(TextPageTest, CancelledBrowseChangesNothing) {
    Find<QCheckBox>("CheckBox3")->click();
    Browse("Button5", DataFile("plain.txt"));
    AnswerOpenDialog(std::nullopt);
    Click("Button5");
    EXPECT_EQ(fOpenDialogs, 2);
    EXPECT_EQ(fForm->Project().ReadmeFile, DataFile("plain.txt"));
    EXPECT_EQ(Find<QLineEdit>("Edit8")->text().toStdString(), DataFile("plain.txt"));
    EXPECT_TRUE(Editor("RichEdit2")->toPlainText().startsWith("Plain licence"));
    EXPECT_TRUE(fPrompter.Shown.empty());
}

TEST_F(TextPageTest, OpenLoadsTheTextAgainAndNewClearsIt) {
    const std::string licence = fFolder.WriteFile("licence.rtf", "{\\rtf1 {\\b Stored} terms\\par}");
    Find<QCheckBox>("CheckBox1")->click();
    Browse("Button4", licence);
    QTest::keyClicks(Editor("RichEdit1"), "edited ");
    fPrompter.SaveChoice = fFolder.Path("texts.kfp");
    fForm->SaveAs1Click();

    fPrompter.Answers = {TMsgResult::No};
    fForm->ToolButton1Click();
    EXPECT_TRUE(Editor("RichEdit1")->document()->isEmpty());
    EXPECT_FALSE(Find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(Find<QWidget>("RichEdit1")->isEnabled());
    EXPECT_EQ(Find<QLineEdit>("Edit7")->text(), "");

    fPrompter.Answers = {TMsgResult::No};
    fPrompter.OpenChoice = fFolder.Path("texts.kfp");
    fForm->ToolButton2Click();
    EXPECT_TRUE(Find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(Find<QWidget>("RichEdit1")->isEnabled());
    EXPECT_EQ(Find<QLineEdit>("Edit7")->text().toStdString(), licence);
    EXPECT_EQ(Editor("RichEdit1")->toPlainText(), "Stored terms");
    EXPECT_TRUE(AnyBold("RichEdit1"));
    EXPECT_EQ(fForm->Project().LicenseText, ReadFile(licence));
}

} // namespace
} // namespace kf::test
