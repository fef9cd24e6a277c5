#include "UiFixture.h"

#include "ui/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>

namespace kf::test {
namespace {

const QMargins kFrame(4, 28, 4, 4);
const QRect kPrimary(0, 0, 1280, 994); // a panel along the bottom
const QRect kRightOfIt(1280, 0, 1920, 1080);

QRect TitleBarOf(const QRect& anArea, const QMargins& aFrame) {
    const QRect frame = anArea.marginsAdded(aFrame);
    return QRect(frame.left(), frame.top(), frame.width(), aFrame.top());
}

bool OnSomeScreen(const QRect& aTitleBar, const QList<QRect>& aScreens) {
    for (const QRect& screen : aScreens)
        if (screen.contains(aTitleBar))
            return true;
    return false;
}

TEST(ScreenPlacementTest, AWindowWhoseTitleBarIsOnAScreenStaysWhereItIs) {
    for (const QRect& area : {QRect(225, 150, 630, 480), QRect(4, 28, 1272, 962), QRect(2000, 500, 800, 600),
                              QRect(300, 900, 630, 480)}) // the rest of it may hang below the screen
        EXPECT_EQ(TitleBarOnScreen(area, kFrame, {kPrimary, kRightOfIt}), area);
}

TEST(ScreenPlacementTest, APlacementFromAMonitorNoLongerAttachedComesOntoTheRemainingOne) {
    const QRect moved = TitleBarOnScreen(QRect(2400, 300, 700, 500), kFrame, {kPrimary});
    EXPECT_EQ(moved.size(), QSize(700, 500));
    EXPECT_TRUE(OnSomeScreen(TitleBarOf(moved, kFrame), {kPrimary})) << moved.x() << "," << moved.y();
    EXPECT_EQ(moved.right() + kFrame.right(), kPrimary.right()) << "moved further than it had to";
    EXPECT_EQ(moved.y(), 300);
}

TEST(ScreenPlacementTest, AWindowLargerThanTheScreenIsShrunkToItsAvailableArea) {
    const QRect moved = TitleBarOnScreen(QRect(600, 400, 2500, 1400), kFrame, {kPrimary});
    EXPECT_EQ(moved, kPrimary.marginsRemoved(kFrame));
}

TEST(ScreenPlacementTest, ATitleBarAboveOrLeftOfEveryScreenComesDownToTheNearest) {
    const QRect above = TitleBarOnScreen(QRect(100, -10, 630, 480), kFrame, {kPrimary, kRightOfIt});
    EXPECT_EQ(above, QRect(100, kFrame.top(), 630, 480));
    const QRect farLeft = TitleBarOnScreen(QRect(-3000, 200, 630, 480), kFrame, {kRightOfIt, kPrimary});
    EXPECT_EQ(farLeft, QRect(kFrame.left(), 200, 630, 480));
}

TEST(ScreenPlacementTest, ATitleBarAcrossTwoScreensGoesWhollyOntoTheOneItOverlapsMost) {
    const QRect across = QRect(1000, 100, 630, 480); // 284 of its 638 pixels on the primary
    const QRect moved = TitleBarOnScreen(across, kFrame, {kPrimary, kRightOfIt});
    EXPECT_EQ(moved, QRect(kRightOfIt.left() + kFrame.left(), 100, 630, 480));
}

TEST(ScreenPlacementTest, WithoutScreensNothingMoves) {
    EXPECT_EQ(TitleBarOnScreen(QRect(-500, -500, 630, 480), kFrame, {}), QRect(-500, -500, 630, 480));
}

class RestoredPlacementTest : public UiFixture {};

TEST_F(RestoredPlacementTest, APlacementOffTheScreenIsBroughtBackWithItsTitleBarInReach) {
    for (const char* placement : {"Left=3000\r\nTop=2500\r\n", "Left=-2000\r\nTop=-700\r\n"}) {
        fFolder.WriteFile("Kelpforge.ini",
                          std::string("[Settings]\r\nWidth=640\r\nHeight=400\r\n") + placement);
        TForm1& form = Start();
        const QRect frame = form.frameGeometry();
        const QRect titleBar(frame.left(), frame.top(), frame.width(), form.geometry().top() - frame.top());
        ASSERT_GT(titleBar.height(), 0);
        EXPECT_TRUE(form.screen()->availableGeometry().contains(titleBar))
            << placement << " gave " << titleBar.x() << "," << titleBar.y();
        EXPECT_EQ(form.size(), QSize(640, 400));
        Close();
    }
}

} // namespace
} // namespace kf::test
