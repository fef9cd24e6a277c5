#pragma once

#include <QDialog>

#include <string>

class QLineEdit;

namespace kf {

// "Signing": the command that signs every setup this machine builds, kept in the settings file.
class TSigningForm : public QDialog {
    Q_OBJECT

public:
    explicit TSigningForm(std::string aSettingsPath, QWidget* aParent = nullptr);

    // Shows the stored command, and stores the edited one when the user presses OK.
    int exec() override;
    void Button1Click();

private:
    std::string fSettingsPath;
    QLineEdit* fEdit1;
};

} // namespace kf
