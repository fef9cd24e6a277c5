#include "PagesFixture.h"

#include "project/HostPaths.h"
#include "ui/PicturePreviewDialog.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>

namespace kf::test {
namespace {

// Moves the dialog's cursor onto the file at aPath, as a click in its file list does.
void PointAt(QFileDialog& aDialog, const std::string& aPath) {
    auto* list = aDialog.findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(list, nullptr);
    auto* files = qobject_cast<QFileSystemModel*>(list->model());
    ASSERT_NE(files, nullptr);
    const QString path = QString::fromStdString(aPath);
    // The folder is read in the background; the file has a row once it has been.
    ASSERT_TRUE(QTest::qWaitFor([&] { return files->index(path).isValid(); }));
    list->setCurrentIndex(files->index(path));
}

QPixmap Preview(const QFileDialog& aDialog) {
    return aDialog.findChild<QLabel*>(QStringLiteral("PicturePreview"))->pixmap();
}

QString PictureSize(const QFileDialog& aDialog) {
    return aDialog.findChild<QLabel*>(QStringLiteral("PictureSize"))->text();
}

class PicturePreviewDialogTest : public testing::Test {
protected:
    // Shows the dialog on the test folder once its files are written.
    void Open() {
        fDialog.setDirectory(QString::fromStdString(fFolder.Path("")));
        fDialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&fDialog));
    }

    // A one-colour BMP of the given size in the test folder.
    std::string WriteBitmap(const std::string& aName, int aWidth, int aHeight) const {
        QImage picture(aWidth, aHeight, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const std::string path = fFolder.Path(aName);
        EXPECT_TRUE(picture.save(QString::fromStdString(path), "BMP"));
        return path;
    }

    TTempFolder fFolder;
    TPicturePreviewDialog fDialog;
};

TEST_F(PicturePreviewDialogTest, ShowsTheBitmapUnderTheCursorAndClearsForOtherFiles) {
    const std::string header = WriteBitmap("Header.bmp", 55, 55);
    const std::string text = fFolder.WriteFile("ReadMe.txt", "Not a picture");
    Open();
    EXPECT_TRUE(Preview(fDialog).isNull());

    PointAt(fDialog, header);
    EXPECT_EQ(Preview(fDialog).size(), QSize(55, 55));
    EXPECT_EQ(PictureSize(fDialog), "55 x 55 pixels");

    PointAt(fDialog, text);
    EXPECT_TRUE(Preview(fDialog).isNull());
    EXPECT_TRUE(PictureSize(fDialog).isEmpty());
}

TEST_F(PicturePreviewDialogTest, ShrinksALargePictureToThePaneKeepingItsShape) {
    const std::string wide = WriteBitmap("Wide.bmp", 800, 200);
    Open();
    PointAt(fDialog, wide);
    const QPixmap shown = Preview(fDialog);
    const QRect pane = fDialog.findChild<QLabel*>(QStringLiteral("PicturePreview"))->contentsRect();
    EXPECT_EQ(shown.width(), pane.width());
    EXPECT_LE(shown.height(), pane.height());
    EXPECT_NEAR(shown.height(), shown.width() / 4.0, 1.0);
    EXPECT_EQ(PictureSize(fDialog), "800 x 200 pixels");
}

using PictureChooserTest = PagesFixture;

TEST_F(PictureChooserTest, LogoButtonPreviewsBitmapsFromTheProgramFolder) {
    const std::string logo = ProgramFolder() + "Logo.bmp";
    QString folder;
    QStringList filters;
    QString shownSize;
    WhileOpen([&] {
        auto* dialog = qobject_cast<TPicturePreviewDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        folder = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        PointAt(*dialog, logo);
        shownSize = PictureSize(*dialog);
        dialog->selectFile(QString::fromStdString(logo));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    fForm->SelectPage(1);
    fForm->Project().LogoBitmap.clear();
    Click("Button2");
    EXPECT_EQ(folder.toStdString() + "/", ProgramFolder());
    EXPECT_EQ(filters, QStringList{"Bitmap Files 164x314 pixels (*.bmp)"});
    EXPECT_EQ(shownSize, "164 x 314 pixels");
    EXPECT_EQ(fForm->Project().LogoBitmap, logo);
    EXPECT_EQ(Find<QLineEdit>("Edit5")->text().toStdString(), logo);
}

} // namespace
} // namespace kf::test
