#include "ui/QtPrompter.h"
#include "../project/TestSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

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
