#pragma once

#include "project/Project.h"
#include "project/Prompter.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QTreeWidget;

namespace kf {

// The Registry page: entry fields for one registry value and the registry list.
class TRegistryPage : public QWidget {
    Q_OBJECT

public:
    TRegistryPage(TProject& aProject, Prompter& aPrompter, QWidget* aParent = nullptr);

    // Shows the entry fields, the value suggestions and the registry rows of the project.
    void ShowModel();

    void Button14Click();
    void Button15Click();
    void Button16Click();

private:
    QLayout* CreateInputs();

    TProject& fProject;
    Prompter& fPrompter;
    QComboBox* fComboBox5 = nullptr;
    QLineEdit* fEdit12 = nullptr;
    QLineEdit* fEdit13 = nullptr;
    QComboBox* fComboBox6 = nullptr;
    QComboBox* fComboBox7 = nullptr;
    QComboBox* fComboBox8 = nullptr;
    QTreeWidget* fListView3 = nullptr;
};

} // namespace kf
