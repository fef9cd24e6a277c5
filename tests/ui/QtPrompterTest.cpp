#include "ui/QtPrompter.h"
#include "../project/TestSupport.h"
#include "ui/CaptionWidth.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace kf::test {
namespace {

// Handles the modal window that the next call opens, once it is up.
template <typename T> void WhenShown(std::function<void(T*)> aStep) {
    QTimer::singleShot(0, [aStep] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        aStep(window);
    });
}

TEST(QtPrompterTest, MessageBoxShowsCaptionIconLinesAndDefaultButton) {
    TQtPrompter prompter("/tmp/");
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool cancelIsDefault = false;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        cancelIsDefault =
            static_cast<QAbstractButton*>(box->defaultButton()) == box->button(QMessageBox::Cancel);
        box->button(QMessageBox::No)->click();
    });
    const TMsgResult answer = prompter.ShowMessage(
        TMessageBox{"Kelpforge", "First line\rSecond line", TMsgIcon::Question, TMsgButtons::YesNoCancel, 2});
    EXPECT_EQ(answer, TMsgResult::No);
    EXPECT_EQ(caption, "Kelpforge");
    EXPECT_EQ(text, "First line\nSecond line");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_TRUE(cancelIsDefault);
}

TEST(QtPrompterTest, MessageBoxOffersOnlyTheAskedButtons) {
    TQtPrompter prompter("/tmp/");
    int buttons = 0;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        buttons = box->buttons().size();
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(prompter.ShowMessage(TMessageBox{"Error", "Bad", TMsgIcon::Error, TMsgButtons::Ok, 0}),
              TMsgResult::Ok);
    EXPECT_EQ(buttons, 1);
}

// The width of a message box shown through the prompter, which closes it at once, and the width its
// caption asks for.
std::pair<int, int> ShownWidth(const TMessageBox& aBox) {
    TQtPrompter prompter("/tmp/");
    std::pair<int, int> widths;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        widths = {box->width(), WidthForCaption(box->windowTitle(), *box)};
        box->buttons().front()->click();
    });
    prompter.ShowMessage(aBox);
    return widths;
}

TEST(QtPrompterTest, AShortTextLeavesRoomForTheWholeCaption) {
    const auto [width, captionNeeds] =
        ShownWidth(TMessageBox{"Setup Building", "Wrong information!", TMsgIcon::Error, TMsgButtons::Ok, 0});
    EXPECT_GE(width, captionNeeds);
    // The caption in a bold title font, and at least the window icon and three buttons of 16 pixels.
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(captionNeeds, QFontMetrics(bold).horizontalAdvance(QStringLiteral("Setup Building")) + 4 * 16);
}

TEST(QtPrompterTest, ABoxWideEnoughForItsCaptionKeepsItsOwnWidth) {
    const std::string text(300, 'w');
    QMessageBox plain(QMessageBox::Information, QStringLiteral("Kelpforge"), QString::fromStdString(text));
    plain.addButton(QMessageBox::Ok);
    QTimer::singleShot(0, &plain, [&plain] { plain.done(0); });
    plain.exec();
    EXPECT_EQ(ShownWidth(TMessageBox{"Kelpforge", text, TMsgIcon::Information, TMsgButtons::Ok, 0}).first,
              plain.width());
}

TEST(QtPrompterTest, OpenDialogStartsInTheProgramFolderWithTheProjectFilter) {
    TTempFolder folder;
    const std::string project = folder.WriteFile("kept.kfp", "[General]\r\n");
    TQtPrompter prompter(folder.Path(""));
    QString directory;
    QStringList filters;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        directory = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        dialog->selectFile(QString::fromStdString(project));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(prompter.ChooseProjectToOpen(), project);
    EXPECT_EQ(directory.toStdString() + "/", folder.Path(""));
    EXPECT_EQ(filters, QStringList{"Kelpforge Projects (*.kfp)"});
}

TEST(QtPrompterTest, SaveDialogIsPresetAndCancelGivesNoChoice) {
    TTempFolder folder;
    TQtPrompter prompter(folder.Path(""));
    QStringList selected;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        selected = dialog->selectedFiles();
        dialog->reject();
    });
    EXPECT_EQ(prompter.ChooseProjectToSave("Sea Garden.kfp"), std::nullopt);
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].toStdString(), folder.Path("Sea Garden.kfp"));
}

} // namespace
} // namespace kf::test
