#include "UiFixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <map>

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

// The character after the one "&" that marks it, lower-cased; none when there is no such mark.
QChar AccessKey(const QString& aText) {
    for (qsizetype i = 0; i + 1 < aText.size(); ++i) {
        if (aText[i] != QLatin1Char('&'))
            continue;
        if (aText[i + 1] != QLatin1Char('&'))
            return aText[i + 1].toLower();
        ++i;
    }
    return QChar();
}

// Every item of the menu bar and of each menu has an access key that no other item beside it has,
// on a letter wide enough for its underline to be seen under it.
void ExpectUniqueAccessKeys(const QList<QAction*>& anItems, const QString& aMenu) {
    std::map<QChar, QString> taken;
    for (const QAction* item : anItems) {
        if (item->isSeparator())
            continue;
        const QChar key = AccessKey(item->text());
        EXPECT_FALSE(key.isNull()) << aMenu.toStdString() << ": \"" << item->text().toStdString()
                                   << "\" has no access key";
        // The underline of a narrow letter reads as its neighbour's: "F&inish" looks like F.
        EXPECT_FALSE(QStringLiteral("ijl1").contains(key))
            << aMenu.toStdString() << ": \"" << item->text().toStdString() << "\" underlines a narrow letter";
        const auto [place, added] = taken.emplace(key, item->text());
        EXPECT_TRUE(key.isNull() || added)
            << aMenu.toStdString() << ": \"" << item->text().toStdString() << "\" and \""
            << place->second.toStdString() << "\" share " << QString(key).toStdString();
    }
}

TEST_F(MainFormTest, EveryAccessKeyIsUniqueWithinItsMenu) {
    TForm1& form = Start();
    QMenuBar* bar = form.menuBar();
    ExpectUniqueAccessKeys(bar->actions(), QStringLiteral("menu bar"));
    int menus = 0;
    for (const QAction* title : bar->actions()) {
        ASSERT_NE(title->menu(), nullptr);
        ExpectUniqueAccessKeys(title->menu()->actions(), title->text());
        ++menus;
    }
    EXPECT_EQ(menus, 3);
}

TEST(AccessKeyTest, IsTheCharacterAfterALoneAmpersand) {
    EXPECT_EQ(AccessKey(QStringLiteral("F&inish Tab")), QLatin1Char('i'));
    EXPECT_EQ(AccessKey(QStringLiteral("&Files Tab")), QLatin1Char('f'));
    EXPECT_EQ(AccessKey(QStringLiteral("Salt && &Pepper")), QLatin1Char('p'));
    EXPECT_TRUE(AccessKey(QStringLiteral("Salt && Pepper")).isNull());
}

} // namespace
} // namespace kf::test
