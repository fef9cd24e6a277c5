#include "UiFixture.h"

#include "project/IniProfile.h"

#include "ui/SigningForm.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QSplitter>
#include <QTimer>

#include <filesystem>

namespace kf::test {
namespace {

class SettingsTest : public UiFixture {
protected:
    QSplitter* Splitter() const { return fForm->findChild<QSplitter*>(QStringLiteral("Splitter1")); }
    int TreeWidth() const { return Splitter()->sizes()[0]; }
    TIniProfile Stored() const { return TIniProfile::Load(SettingsFile()); }
};

TEST_F(SettingsTest, FirstStartUsesTheDefaultsAndClosingStoresThem) {
    TForm1& form = Start();
    EXPECT_EQ(form.size(), QSize(630, 480));
    EXPECT_EQ(form.geometry().topLeft(), QPoint(225, 150));
    EXPECT_EQ(TreeWidth(), 160);
    EXPECT_FALSE(std::filesystem::exists(SettingsFile()));

    Close();
    const TIniProfile ini = Stored();
    EXPECT_EQ(ini.KeyNames("Settings"),
              (std::vector<std::string>{"Maximized", "Width", "Height", "Left", "Top", "TreeView"}));
    EXPECT_EQ(ini.ReadString("Settings", "Maximized", ""), "0");
    EXPECT_EQ(ini.ReadInteger("Settings", "Width", 0), 630);
    EXPECT_EQ(ini.ReadInteger("Settings", "Height", 0), 480);
    EXPECT_EQ(ini.ReadInteger("Settings", "Left", 0), 225);
    EXPECT_EQ(ini.ReadInteger("Settings", "Top", 0), 150);
    EXPECT_EQ(ini.ReadInteger("Settings", "TreeView", 0), 160);
}

TEST_F(SettingsTest, StoredPlacementIsRestored) {
    fFolder.WriteFile("Kelpforge.ini", "[Settings]\r\nMaximized=0\r\nWidth=700\r\nHeight=0x1F4\r\n"
                                       "Left=40\r\nTop=junk\r\nTreeView=120\r\n");
    TForm1& form = Start();
    EXPECT_EQ(form.size(), QSize(700, 500));
    EXPECT_EQ(form.geometry().topLeft(), QPoint(40, 150));
    EXPECT_EQ(TreeWidth(), 120);
}

TEST_F(SettingsTest, TheClientAreaIsStoredAndRestartsDoNotMoveTheWindow) {
    TForm1& first = Start();
    ASSERT_NE(first.frameGeometry(), first.geometry());
    EXPECT_EQ(first.geometry(), QRect(225, 150, 630, 480));
    const QRect frame = first.frameGeometry();
    Close();
    TForm1& second = Start();
    EXPECT_EQ(second.geometry(), QRect(225, 150, 630, 480));
    EXPECT_EQ(second.frameGeometry(), frame);

    second.setGeometry(60, 70, 700, 520);
    QApplication::processEvents();
    for (int start = 0; start < 3; ++start) {
        Close();
        const TIniProfile ini = Stored();
        EXPECT_EQ(QRect(ini.ReadInteger("Settings", "Left", 0), ini.ReadInteger("Settings", "Top", 0),
                        ini.ReadInteger("Settings", "Width", 0), ini.ReadInteger("Settings", "Height", 0)),
                  QRect(60, 70, 700, 520));
        EXPECT_EQ(Start().geometry(), QRect(60, 70, 700, 520)) << "start " << start;
    }
}

TEST_F(SettingsTest, MaximizedCloseStoresOnlyTheFlagAndTheTree) {
    TForm1& form = Start();
    form.resize(500, 400);
    form.showMaximized();
    QApplication::processEvents();
    Close();
    EXPECT_EQ(Stored().KeyNames("Settings"), (std::vector<std::string>{"Maximized", "TreeView"}));
    EXPECT_TRUE(Stored().ReadBool("Settings", "Maximized", false));

    TForm1& next = Start();
    EXPECT_TRUE(next.isMaximized());
    next.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(next.size(), QSize(630, 480));
}

TEST_F(SettingsTest, CollapsedTreeIsStoredAsZeroAndComesBackFiftyWide) {
    Start();
    const int total = TreeWidth() + Splitter()->sizes()[1];
    Splitter()->setSizes({30, total - 30});
    fForm->Splitter1Moved();
    ASSERT_EQ(TreeWidth(), 30);
    Splitter()->setSizes({29, total - 29});
    fForm->Splitter1Moved();
    EXPECT_EQ(TreeWidth(), 0);
    Close();
    EXPECT_EQ(Stored().ReadInteger("Settings", "TreeView", -1), 0);

    Start();
    EXPECT_EQ(TreeWidth(), 50);
}

TEST_F(SettingsTest, UnwritableSettingsAreReportedAndTheWindowStillCloses) {
    fFolder.WriteFile("blocker", "a file where the settings folder should be");
    setenv("KELPFORGE_SETTINGS_FOLDER", fFolder.Path("blocker").c_str(), 1);
    TForm1& form = Start();
    form.close();
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(fPrompter.Shown.size(), 1u);
    EXPECT_EQ(fPrompter.Shown[0].Caption, "Kelpforge");
    EXPECT_EQ(fPrompter.Shown[0].Text,
              "Unable to write to " + fFolder.Path("blocker/Kelpforge.ini") + ": Not a directory.");
}

TEST_F(SettingsTest, TheSigningDialogStoresTheSignCommandAndClosingKeepsIt) {
    TForm1& form = Start();
    ASSERT_NE(form.findChild<QAction*>(QStringLiteral("Signing1")), nullptr);
    TSigningForm signing(SettingsFile());
    QTimer::singleShot(0, &signing, [&signing] {
        signing.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral(" sign {in} {out} "));
        signing.Button1Click();
    });
    EXPECT_EQ(signing.exec(), QDialog::Accepted);
    EXPECT_EQ(Stored().ReadString("Signing", "Command", ""), "sign {in} {out}");
    Close();
    EXPECT_EQ(Stored().ReadString("Signing", "Command", ""), "sign {in} {out}");
    EXPECT_EQ(Stored().ReadInteger("Settings", "Width", 0), 630);
}

} // namespace
} // namespace kf::test
