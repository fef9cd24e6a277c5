#include "ui/SigningForm.h"

#include "ui/WindowSettings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kf {

TSigningForm::TSigningForm(std::string aSettingsPath, QWidget* aParent)
    : QDialog(aParent), fSettingsPath(std::move(aSettingsPath)), fEdit1(new QLineEdit(this)) {
    setObjectName(QStringLiteral("SigningForm"));
    setWindowTitle(QStringLiteral("Signing"));
    auto* layout = new QVBoxLayout(this);
    auto* label =
        new QLabel(QStringLiteral("Sign command, run after each build for the setup and its uninstaller. "
                                  "{in} and {out} stand for the file and its signed copy, {file} for a "
                                  "file signed in place. Empty: the KELPFORGE_SIGN environment variable, "
                                  "if set."),
                   this);
    label->setWordWrap(true);
    layout->addWidget(label);
    fEdit1->setObjectName(QStringLiteral("Edit1"));
    fEdit1->setMinimumWidth(420);
    fEdit1->setPlaceholderText(
        QStringLiteral("osslsigncode sign -certs cert.pem -key key.pem -in {in} -out {out}"));
    layout->addWidget(fEdit1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Button1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Button2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TSigningForm::Button1Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int TSigningForm::exec() {
    fEdit1->setText(QString::fromStdString(ReadWindowSettings(fSettingsPath).SignCommand));
    return QDialog::exec();
}

void TSigningForm::Button1Click() {
    TWindowSettings settings = ReadWindowSettings(fSettingsPath);
    settings.SignCommand = fEdit1->text().trimmed().toStdString();
    WriteWindowSettings(fSettingsPath, settings);
    accept();
}

} // namespace kf
