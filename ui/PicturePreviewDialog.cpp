#include "ui/PicturePreviewDialog.h"

#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace kf {

namespace {

// Room for the default logo, the largest picture the wizard shows, at its own size.
constexpr QSize kPreviewSize(170, 320);

} // namespace

TPicturePreviewDialog::TPicturePreviewDialog(QWidget* aParent) : QFileDialog(aParent) {
    setObjectName(QStringLiteral("PicturePreviewDialog"));
    // The desktop's own dialog cannot take the preview pane.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    auto* grid = qobject_cast<QGridLayout*>(layout());
    grid->addWidget(CreatePreviewPane(), 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &TPicturePreviewDialog::ShowPreview);
    ShowPreview(QString());
}

QWidget* TPicturePreviewDialog::CreatePreviewPane() {
    auto* pane = new QWidget(this);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    fPreview = new QLabel(pane);
    fPreview->setObjectName(QStringLiteral("PicturePreview"));
    fPreview->setFrameShape(QFrame::StyledPanel);
    fPreview->setFrameShadow(QFrame::Sunken);
    fPreview->setFixedSize(kPreviewSize + QSize(2, 2) * fPreview->frameWidth());
    fPreview->setAlignment(Qt::AlignCenter);
    fPictureSize = new QLabel(pane);
    fPictureSize->setObjectName(QStringLiteral("PictureSize"));
    fPictureSize->setAlignment(Qt::AlignCenter);
    layout->addWidget(fPreview);
    layout->addWidget(fPictureSize);
    layout->addStretch();
    return pane;
}

void TPicturePreviewDialog::ShowPreview(const QString& aPath) {
    // No path means no file under the cursor.
    const QImage picture = aPath.isEmpty() ? QImage() : QImageReader(aPath).read();
    if (picture.isNull()) {
        fPreview->setText(QStringLiteral("No preview"));
        fPictureSize->clear();
        return;
    }
    QPixmap shown = QPixmap::fromImage(picture);
    if (shown.width() > kPreviewSize.width() || shown.height() > kPreviewSize.height())
        shown = shown.scaled(kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fPreview->setPixmap(shown);
    fPictureSize->setText(QStringLiteral("%1 x %2 pixels").arg(picture.width()).arg(picture.height()));
}

} // namespace kf
