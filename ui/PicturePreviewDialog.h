#pragma once

#include <QFileDialog>

class QLabel;

namespace kf {

// An open dialog for pictures that shows the file under the cursor beside the list, with its size
// in pixels, so the author sees the bitmap before choosing it.
class TPicturePreviewDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit TPicturePreviewDialog(QWidget* aParent = nullptr);

    // Shows the picture at aPath, scaled down to fit; anything that is not a picture clears it.
    void ShowPreview(const QString& aPath);

private:
    QWidget* CreatePreviewPane();

    QLabel* fPreview = nullptr;
    QLabel* fPictureSize = nullptr;
};

} // namespace kf
