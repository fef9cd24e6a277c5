#include "ui/BuildForm.h"

#include "ui/ErrorReport.h"
#include "ui/WindowSettings.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace kf {

TForm5::TForm5(const TProject& aProject, Prompter& aPrompter, std::string aProgramFolder, QWidget* aParent)
    : QDialog(aParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), fProject(aProject),
      fPrompter(aPrompter), fProgramFolder(std::move(aProgramFolder)), fLabel1(new QLabel(this)),
      fProgressBar1(new QProgressBar(this)), fButton1(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QString::fromLatin1(kBuildCaption));
    setModal(true);
    setFixedSize(354, 105);
    fLabel1->setObjectName(QStringLiteral("Label1"));
    fLabel1->setGeometry(12, 10, 330, 18);
    fProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    fProgressBar1->setRange(0, 100);
    fProgressBar1->setValue(0);
    fProgressBar1->setTextVisible(false);
    fProgressBar1->setGeometry(12, 34, 330, 20);
    fButton1->setObjectName(QStringLiteral("Button1"));
    fButton1->setGeometry(267, 66, 75, 27);
    connect(fButton1, &QPushButton::clicked, this, &TForm5::Button1Click);
}

void TForm5::ShowStatus(const std::string& aText) {
    fLabel1->setText(QString::fromStdString(aText));
}

void TForm5::ShowProgress(int aPercent) {
    fProgressBar1->setValue(aPercent);
}

void TForm5::ProcessEvents() {
    QCoreApplication::processEvents();
}

void TForm5::showEvent(QShowEvent* anEvent) {
    QDialog::showEvent(anEvent);
    // The build starts once the window is up, so that it can show its progress.
    QTimer::singleShot(0, this, &TForm5::FormActivate);
}

void TForm5::FormActivate() {
    fDriver.emplace(fProject, *this, fPrompter, fProgramFolder);
    fDriver->SetSignCommand(BuildSignCommand(SettingsFilePath()));
    fDriver->SetProjectFile(fProjectFile);
    fRunning = true;
    try {
        fDriver->Run();
    } catch (const std::exception& error) {
        // The window stays with its last label and progress; the user leaves it through Cancel.
        fRunning = false;
        ShowErrorReport(fPrompter, error);
        return;
    }
    fRunning = false;
    fDriver.reset();
    done(Accepted);
}

void TForm5::Button1Click() {
    if (!fDriver || !fDriver->ConfirmCancel())
        return;
    // A running build sees the flag at its next check and closes the window itself.
    if (!fRunning)
        done(Rejected);
}

void TForm5::reject() {
    Button1Click();
}

} // namespace kf
