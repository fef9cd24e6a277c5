#include "UiFixture.h"

#include "ui/AboutForm.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kf::test {
namespace {

using AboutFormTest = UiFixture;

TEST_F(AboutFormTest, LinksAreUnderlinedOnlyWhileTheMouseIsOverThem) {
    TForm3 form(fPrompter);
    auto* link = form.findChild<QLabel*>(QStringLiteral("Label4"));
    EXPECT_FALSE(link->font().underline());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(link, &enter);
    EXPECT_TRUE(link->font().underline());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_FALSE(link->font().underline());
}

TEST_F(AboutFormTest, AboutCommandShowsTheBoxUntilOk) {
    TForm1& form = Start();
    auto* about = form.findChild<TForm3*>(QStringLiteral("TForm3"));
    ASSERT_NE(about, nullptr);
    bool shown = false;
    QTimer::singleShot(0, about, [&] {
        shown = about->isVisible();
        about->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    Action("N4")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(about->isVisible());
}

} // namespace
} // namespace kf::test
