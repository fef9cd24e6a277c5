#include "ui/PicturePreviewDialog.h"

#include "base/Exception.h"
#include "base/WholeFile.h"

#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace kf {

namespace {

// Room for the default logo, the largest picture the wizard shows, at its own size.
constexpr QSize kPreviewSize(170, 320);
// A picture to preview is read whole; larger ones are not worth the wait.
constexpr uint64_t kPreviewLimit = 64ull << 20;

// Read through the regular-file check, so that a FIFO or device under the cursor cannot hang
// the dialog.
QImage PictureAt(const QString& aPath) {
    try {
        const std::string bytes = ReadWholeFile(aPath.toStdString(), kPreviewLimit);
        return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
    } catch (const Exception&) {
        return QImage();
    }
}

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
    const QImage picture = aPath.isEmpty() ? QImage() : PictureAt(aPath);
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
