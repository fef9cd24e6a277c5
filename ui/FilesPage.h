#pragma once

#include "project/FileListCommands.h"
#include "project/Project.h"
#include "project/Prompter.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTreeWidget;

namespace kf {

class TForm4;
class TForm7;

// The Files page: the file list, its commands, the "Install Path" group and the totals.
class TFilesPage : public QWidget {
    Q_OBJECT

public:
    TFilesPage(TProject& aProject, Prompter& aPrompter, TForm4& aForm4, TForm7& aForm7,
               QWidget* aParent = nullptr);

    // The folder browser; an empty answer means it was cancelled. Tests put their choice here.
    std::function<std::optional<std::string>()> ChooseFolder;

    // Shows the project's file list, totals and "Install Path" values.
    void ShowModel();

    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void Selectall1Click();
    void CheckBox4Click();
    void CheckBox6Click();
    void Edit9Change();

protected:
    bool eventFilter(QObject* aWatched, QEvent* anEvent) override;

signals:
    // The project changed in a way other pages show.
    void ModelChanged();
    // A long operation's progress for the status bar; empty when it is over.
    void StatusChanged(const QString& aText);

private:
    void CreateButtons();
    void CreatePopupMenu();
    QWidget* CreateInstallPath();
    QWidget* CreateTotals();
    std::optional<std::string> BrowseForFolder();
    TAddFilesResult AddFolderWithProgress(const std::string& aFolder);
    void ShowDeniedFile(const std::optional<std::string>& aPath);

    TProject& fProject;
    Prompter& fPrompter;
    TForm4& fForm4;
    TForm7& fForm7;
    QTreeWidget* fListView1 = nullptr;
    QMenu* fPopupMenu1 = nullptr;
    QComboBox* fComboBox2 = nullptr;
    QLineEdit* fEdit9 = nullptr;
    QCheckBox* fCheckBox6 = nullptr;
    QComboBox* fComboBox9 = nullptr;
    QLineEdit* fEdit14 = nullptr;
    QCheckBox* fCheckBox4 = nullptr;
    QLabel* fLabel10 = nullptr;
    QLabel* fLabel16 = nullptr;
};

} // namespace kf
