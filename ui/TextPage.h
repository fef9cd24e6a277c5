#pragma once

#include "project/Project.h"
#include "project/Prompter.h"

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QWidget;

namespace kf {

inline constexpr const char* kTextFileFilter =
    "Text Files, RTF Files (*.txt; *.rtf)|*.txt;*.rtf|Any Files (*.*)|*.*";

// The Text page's two tabs, "License Agreement" and "Readme": whether each dialog is shown, the
// file its text came from and the text itself in a rich-text editor.
class TTextPage : public QObject {
    Q_OBJECT

public:
    TTextPage(TProject& aProject, Prompter& aPrompter, QObject* aParent = nullptr);

    QWidget* LicenseTab() const { return fLicense.Tab; }
    QWidget* ReadmeTab() const { return fReadme.Tab; }

    // The open dialog for a text file; an empty answer means it was cancelled. Tests put their
    // choice here.
    std::function<std::optional<std::string>()> ChooseTextFile;

    // Shows the flags, paths and enabled states, and loads a text into its editor when the
    // project's text is not the one the editor shows.
    void ShowModel();

    void CheckBox1Click();
    void Button4Click();
    void CheckBox3Click();
    void Button5Click();

private:
    // One tab: its controls and the project fields they show.
    struct TTextTab {
        TTextTab(bool TProject::*aShow, std::string TProject::*aFile, std::string TProject::*aText)
            : Show(aShow), File(aFile), Text(aText) {}

        bool TProject::*Show;
        std::string TProject::*File;
        std::string TProject::*Text;
        QWidget* Tab = nullptr;
        QCheckBox* ShowBox = nullptr;
        QLineEdit* Path = nullptr;
        QPushButton* Browse = nullptr;
        QTextEdit* Editor = nullptr;
        QCheckBox* AcceptBox = nullptr;
        // The project text the editor holds, as loaded or as last written from it.
        std::string Shown;
        bool Loading = false;
    };

    void CreateTab(TTextTab& aTab, const char* aCaption, const char* aShowName, const char* aPathName,
                   const char* aBrowseName, const char* anEditorName);
    void ShowTab(TTextTab& aTab);
    void ShowEnabled(TTextTab& aTab);
    void LoadEditor(TTextTab& aTab);
    void ShowChanged(TTextTab& aTab);
    void Browse(TTextTab& aTab);
    void TextEdited(TTextTab& aTab);

    TProject& fProject;
    Prompter& fPrompter;
    TTextTab fLicense{&TProject::ShowLicense, &TProject::LicenseFile, &TProject::LicenseText};
    TTextTab fReadme{&TProject::ShowReadme, &TProject::ReadmeFile, &TProject::ReadmeText};
};

} // namespace kf
