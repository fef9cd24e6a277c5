#include "ui/QtPrompter.h"

#include "ui/CaptionWidth.h"

#include <QFileDialog>
#include <QMessageBox>

#include <utility>
#include <vector>

namespace kf {

namespace {

const QString kProjectFilter = QStringLiteral("Kelpforge Projects (*.kfp)");

QMessageBox::Icon IconOf(TMsgIcon anIcon) {
    switch (anIcon) {
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Question:
        return QMessageBox::Question;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

std::vector<QMessageBox::StandardButton> ButtonsOf(TMsgButtons aButtons) {
    switch (aButtons) {
    case TMsgButtons::YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case TMsgButtons::YesNoCancel:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case TMsgButtons::Ok:
        break;
    }
    return {QMessageBox::Ok};
}

TMsgResult ResultOf(int aButton) {
    switch (aButton) {
    case QMessageBox::Yes:
        return TMsgResult::Yes;
    case QMessageBox::No:
        return TMsgResult::No;
    case QMessageBox::Cancel:
        return TMsgResult::Cancel;
    default:
        return TMsgResult::Ok;
    }
}

std::optional<std::string> Chosen(const QString& aPath) {
    if (aPath.isEmpty())
        return std::nullopt;
    return aPath.toStdString();
}

} // namespace

TQtPrompter::TQtPrompter(std::string aStartFolder) : fStartFolder(std::move(aStartFolder)) {}

TMsgResult TQtPrompter::ShowMessage(const TMessageBox& aBox) {
    // The core breaks lines with a lone carriage return, which Qt does not show as a break.
    const QString text = QString::fromStdString(aBox.Text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(IconOf(aBox.Icon), QString::fromStdString(aBox.Caption), text, QMessageBox::NoButton,
                    fOwner);
    const auto buttons = ButtonsOf(aBox.Buttons);
    for (const auto button : buttons)
        box.addButton(button);
    if (aBox.DefaultButton >= 0 && aBox.DefaultButton < static_cast<int>(buttons.size()))
        box.setDefaultButton(buttons[aBox.DefaultButton]);
    if (aBox.Buttons == TMsgButtons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    WidenForCaption(box);
    return ResultOf(box.exec());
}

std::optional<std::string> TQtPrompter::ChooseProjectToOpen() {
    return Chosen(QFileDialog::getOpenFileName(fOwner, QStringLiteral("Open"),
                                               QString::fromStdString(fStartFolder), kProjectFilter));
}

std::optional<std::string> TQtPrompter::ChooseProjectToSave(const std::string& aPresetName) {
    return Chosen(QFileDialog::getSaveFileName(fOwner, QStringLiteral("Save As"),
                                               QString::fromStdString(fStartFolder + aPresetName),
                                               kProjectFilter));
}

} // namespace kf
