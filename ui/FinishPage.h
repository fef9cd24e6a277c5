#pragma once

#include "project/Project.h"

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace kf {

// The Finish page: what the installer does after installation.
class TFinishPage : public QWidget {
    Q_OBJECT

public:
    explicit TFinishPage(TProject& aProject, QWidget* aParent = nullptr);

    // Shows the flags and the launch choices, which only the file-list refresh fills.
    void ShowModel();

    void CheckBox7Click();

private:
    TProject& fProject;
    QCheckBox* fCheckBox7 = nullptr;
    QComboBox* fComboBox10 = nullptr;
    QCheckBox* fCheckBox5 = nullptr;
};

} // namespace kf
