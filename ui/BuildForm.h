#pragma once

#include "builder/BuildDriver.h"
#include "builder/BuildHost.h"

#include <QDialog>

#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kf {

// "Setup Building": each showing runs one build of the project and closes when the build returns.
class TForm5 : public QDialog, public BuildHost {
    Q_OBJECT

public:
    TForm5(const TProject& aProject, Prompter& aPrompter, std::string aProgramFolder,
           QWidget* aParent = nullptr);

    void ShowStatus(const std::string& aText) override;
    void ShowProgress(int aPercent) override;
    void ProcessEvents() override;

    // The project's file as saved, which dates the members the build writes; empty before a save.
    void SetProjectFile(std::string aPath) { fProjectFile = std::move(aPath); }

    void FormActivate();
    void Button1Click();
    // Escape asks as Cancel does; there is no other way out while a build runs.
    void reject() override;

protected:
    void showEvent(QShowEvent* anEvent) override;

private:
    const TProject& fProject;
    Prompter& fPrompter;
    std::string fProgramFolder;
    std::string fProjectFile;
    std::optional<TBuildDriver> fDriver;
    bool fRunning = false;
    QLabel* fLabel1;
    QProgressBar* fProgressBar1;
    QPushButton* fButton1;
};

} // namespace kf
