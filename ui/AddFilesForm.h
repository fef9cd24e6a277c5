#pragma once

#include "project/FileListCommands.h"
#include "project/Prompter.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;

namespace kf {

// "Add files": a destination folder, then the files to list below it. Created once, it keeps
// its folder choice and subfolder between uses.
class TForm4 : public QDialog {
    Q_OBJECT

public:
    TForm4(TProject& aProject, Prompter& aPrompter, QWidget* aParent = nullptr);

    // The open-file dialog, every file shown (a "*.*" pattern would hide names without a dot);
    // an empty answer means it was cancelled. Tests put their choice here.
    std::function<std::vector<std::string>()> ChooseFiles;

    void Button1Click();
    void Button2Click() { reject(); }

private:
    std::vector<std::string> OpenDialog1();

    TProject& fProject;
    Prompter& fPrompter;
    QComboBox* fComboBox1 = nullptr;
    QLineEdit* fEdit1 = nullptr;
};

} // namespace kf
