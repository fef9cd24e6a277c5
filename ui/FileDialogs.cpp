#include "ui/FileDialogs.h"

#include "ui/PicturePreviewDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace kf {

namespace {

std::optional<std::string> Chosen(const QString& aPath) {
    if (aPath.isEmpty())
        return std::nullopt;
    return aPath.toStdString();
}

} // namespace

QString QtFileFilter(const std::string& aFilter) {
    const QStringList parts = QString::fromStdString(aFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i];
        const QString patterns = parts[i + 1];
        // Qt reads the patterns from the caption's last parentheses, separated by blanks.
        const qsizetype open = caption.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            caption.truncate(open);
        filters << caption.trimmed() + QStringLiteral(" (") +
                       patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<std::string> ChooseFileToOpen(QWidget* anOwner, const std::string& aStartFolder,
                                            const std::string& aFilter) {
    return Chosen(QFileDialog::getOpenFileName(anOwner, QString(), QString::fromStdString(aStartFolder),
                                               QtFileFilter(aFilter)));
}

std::optional<std::string> ChoosePictureToOpen(QWidget* anOwner, const std::string& aStartFolder,
                                               const std::string& aFilter) {
    TPicturePreviewDialog dialog(anOwner);
    dialog.setDirectory(QString::fromStdString(aStartFolder));
    dialog.setNameFilter(QtFileFilter(aFilter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return Chosen(dialog.selectedFiles().constFirst());
}

std::optional<std::string> ChooseFileToSave(QWidget* anOwner, const std::string& aStartFolder,
                                            const std::string& aName, const std::string& aFilter) {
    const QString start = QDir(QString::fromStdString(aStartFolder)).filePath(QString::fromStdString(aName));
    return Chosen(QFileDialog::getSaveFileName(anOwner, QString(), start, QtFileFilter(aFilter), nullptr,
                                               QFileDialog::DontConfirmOverwrite));
}

} // namespace kf
