#pragma once

#include "project/Project.h"
#include "project/Prompter.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QTreeWidget;

namespace kf {

// The Shortcuts page: entry fields for one shortcut and the shortcut list.
class TShortcutsPage : public QWidget {
    Q_OBJECT

public:
    TShortcutsPage(TProject& aProject, Prompter& aPrompter, QWidget* aParent = nullptr);

    // Shows the entry fields, the file choices and the shortcut rows of the project.
    void ShowModel();

    void ComboBox3Change();
    void ComboBox4Change();
    void Button11Click();
    void Button12Click();
    void Button13Click();

private:
    QLayout* CreateInputs();

    TProject& fProject;
    Prompter& fPrompter;
    QComboBox* fComboBox3 = nullptr;
    QComboBox* fComboBox4 = nullptr;
    QLineEdit* fEdit10 = nullptr;
    QLineEdit* fEdit11 = nullptr;
    QTreeWidget* fListView2 = nullptr;
};

} // namespace kf
