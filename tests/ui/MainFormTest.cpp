#include "UiFixture.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace kf::test {
namespace {

using MainFormTest = UiFixture;

TEST_F(MainFormTest, StartsUntitledOnTheGeneralPage) {
    TForm1& form = Start();
    EXPECT_EQ(form.objectName(), "TForm1");
    EXPECT_EQ(form.windowTitle(), "Kelpforge");
    EXPECT_EQ(VisiblePage(), 1);
    EXPECT_EQ(SelectedNode(), "General");
    const auto* status = form.findChild<QStatusBar*>(QStringLiteral("StatusBar1"));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->findChild<QLabel*>()->text(), "For Help, press F1");
    EXPECT_EQ(form.minimumSize(), QSize(300, 250));
}

TEST_F(MainFormTest, ClickingANodeShowsItsPage) {
    Start();
    QTreeWidgetItem* files = Tree()->topLevelItem(0)->child(2);
    const QRect rect = Tree()->visualItemRect(files);
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(VisiblePage(), 3);
    EXPECT_EQ(SelectedNode(), "Files");
}

TEST_F(MainFormTest, ClickingProjectShowsGeneralAndSelectsIt) {
    Start();
    fForm->SelectPage(5);
    const QRect rect = Tree()->visualItemRect(Tree()->topLevelItem(0));
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(VisiblePage(), 1);
    EXPECT_EQ(SelectedNode(), "General");
}

TEST_F(MainFormTest, ArrowKeyChangesThePageOnRelease) {
    Start();
    fForm->SelectPage(3);
    Tree()->setFocus();
    QTest::keyPress(Tree(), Qt::Key_Down);
    EXPECT_EQ(SelectedNode(), "Shortcuts");
    EXPECT_EQ(VisiblePage(), 3);
    QTest::keyRelease(Tree(), Qt::Key_Down);
    EXPECT_EQ(VisiblePage(), 4);
}

TEST_F(MainFormTest, ViewMenuShowsEachPage) {
    Start();
    const char* items[] = {"N8", "N9", "N10", "N11", "N12", "N13"};
    const char* nodes[] = {"General", "Text", "Files", "Shortcuts", "Regedit", "Finish"};
    for (int n = 6; n >= 1; --n) {
        Action(items[n - 1])->trigger();
        EXPECT_EQ(VisiblePage(), n);
        EXPECT_EQ(SelectedNode(), nodes[n - 1]);
    }
}

TEST_F(MainFormTest, PageSelectionKeepsTheTabShownInAGroup) {
    TForm1& form = Start();
    auto* text = form.findChild<QTabWidget*>(QStringLiteral("PageControl2"));
    form.SelectPage(2);
    text->setCurrentIndex(1);
    form.SelectPage(6);
    form.SelectPage(2);
    EXPECT_EQ(text->currentIndex(), 1);
}

TEST_F(MainFormTest, NewShortcutRunsNewThroughTheMenu) {
    TForm1& form = Start();
    fPrompter.SaveChoice = fFolder.Path("shortcut.kfp");
    form.SaveAs1Click();
    fPrompter.Answers = {TMsgResult::No};
    QTest::keyClick(&form, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(form.windowTitle(), "Kelpforge");
}

} // namespace
} // namespace kf::test
