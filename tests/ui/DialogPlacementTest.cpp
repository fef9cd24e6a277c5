#include "UiFixture.h"

#include "ui/DialogPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTest>

namespace kf::test {
namespace {

class DialogPlacementTest : public UiFixture {
protected:
    static void ShowAndWait(QWidget* aWindow) {
        aWindow->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(aWindow));
        QApplication::processEvents();
    }
    static void ExpectCentredOnTheScreen(const QWidget* aDialog) {
        const QPoint offset = aDialog->geometry().center() - aDialog->screen()->availableGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    }
};

TEST_F(DialogPlacementTest, EachDialogOfTheMainWindowComesBackWhereItFirstShowed) {
    TForm1& form = Start();
    for (const char* name : {"TForm3", "TForm4", "TForm7"}) {
        SCOPED_TRACE(name);
        auto* dialog = form.findChild<QDialog*>(QLatin1String(name));
        ShowAndWait(dialog);
        const QRect area = dialog->geometry();
        const QRect frame = dialog->frameGeometry();
        ExpectCentredOnTheScreen(dialog);
        dialog->hide();
        QApplication::processEvents();
        ShowAndWait(dialog);
        EXPECT_EQ(dialog->geometry(), area);
        EXPECT_EQ(dialog->frameGeometry(), frame);
        dialog->hide();
    }
}

TEST_F(DialogPlacementTest, TheClientAreaIsPlacedAlikeWithOrWithoutAFrame) {
    // A dialog not yet decorated by the window manager is one without a frame.
    QWidget owner;
    owner.setGeometry(100, 120, 500, 400);
    ShowAndWait(&owner);
    QDialog framed(&owner);
    QDialog frameless(&owner, Qt::Dialog | Qt::FramelessWindowHint);
    for (QDialog* dialog : {&framed, &frameless}) {
        dialog->setFixedSize(240, 130);
        CentreAtEachShowing(*dialog);
        ShowAndWait(dialog);
    }
    ASSERT_NE(framed.frameGeometry(), framed.geometry());
    EXPECT_EQ(framed.geometry(), frameless.geometry());
    ExpectCentredOnTheScreen(&framed);
}

TEST_F(DialogPlacementTest, ADialogStaysCentredWhereverItsOwnerWent) {
    QWidget owner;
    owner.setGeometry(100, 120, 500, 400);
    ShowAndWait(&owner);
    QDialog dialog(&owner);
    dialog.setFixedSize(300, 200);
    CentreAtEachShowing(dialog);
    ShowAndWait(&dialog);
    const QRect first = dialog.geometry();
    ExpectCentredOnTheScreen(&dialog);
    dialog.hide();
    const QRect screen = owner.screen()->availableGeometry();
    owner.setGeometry(screen.right() - 150, screen.bottom() - 100, 400, 300);
    QApplication::processEvents();
    ShowAndWait(&dialog);
    EXPECT_EQ(dialog.geometry(), first);
}

TEST_F(DialogPlacementTest, ADialogLargerThanTheScreenStartsAtItsTopLeft) {
    const QRect screen(10, 20, 800, 600);
    EXPECT_EQ(CentredArea(QSize(900, 700), screen), QRect(10, 20, 900, 700));
    EXPECT_EQ(CentredArea(QSize(900, 100), screen), QRect(10, 270, 900, 100));
    EXPECT_EQ(CentredArea(QSize(200, 100), screen), QRect(310, 270, 200, 100));
}

} // namespace
} // namespace kf::test
