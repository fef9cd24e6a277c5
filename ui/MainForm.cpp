#include "ui/MainForm.h"

#include "project/HostPaths.h"
#include "ui/AboutForm.h"
#include "ui/AddFilesForm.h"
#include "ui/BuildForm.h"
#include "ui/DialogPlacement.h"
#include "ui/EditItemForm.h"
#include "ui/ErrorReport.h"
#include "ui/FilesPage.h"
#include "ui/FinishPage.h"
#include "ui/GeneralPage.h"
#include "ui/RegistryPage.h"
#include "ui/ScreenPlacement.h"
#include "ui/ShellCommands.h"
#include "ui/ShortcutsPage.h"
#include "ui/SigningForm.h"
#include "ui/TextPage.h"
#include "ui/WindowSettings.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <initializer_list>

namespace kf {

namespace {

constexpr int kSnapWidth = 30;
constexpr int kCollapsedTreeShownWidth = 50;

} // namespace

TForm1::TForm1(Prompter& aPrompter, QWidget* aParent)
    : QMainWindow(aParent), fPrompter(aPrompter), fProject(ProgramFolder(), DefaultSetupFile()),
      fDocument(fProject, aPrompter) {
    setObjectName(QStringLiteral("TForm1"));
    resize(630, 480);
    setMinimumSize(300, 250);
    CreateMenu();
    CreateToolBar();
    CreateStatusBar();
    CreatePageArea();
    fForm3 = new TForm3(fPrompter, this);
    fForm4 = new TForm4(fProject, fPrompter, this);
    fForm5 = new TForm5(fProject, fPrompter, fProject.ProgramFolder(), this);
    fForm7 = new TForm7(this);
    for (QDialog* dialog : std::initializer_list<QDialog*>{fForm3, fForm4, fForm5, fForm7})
        CentreAtEachShowing(*dialog);
    CreateEditorPages();
    UpdateTitle();
    SelectPage(1);
}

template <typename F> void TForm1::Guarded(F aCommand) {
    try {
        aCommand();
    } catch (const std::exception& error) {
        ShowErrorReport(fPrompter, error);
    }
}

void TForm1::CreateEditorPages() {
    fFilesPage = new TFilesPage(fProject, fPrompter, *fForm4, *fForm7);
    fShortcutsPage = new TShortcutsPage(fProject, fPrompter);
    fRegistryPage = new TRegistryPage(fProject, fPrompter);
    fGeneralPage = new TGeneralPage(fProject);
    fTextPage = new TTextPage(fProject, fPrompter, this);
    fFinishPage = new TFinishPage(fProject);
    PlacePage(1, fGeneralPage);
    PlacePage(2, fTextPage->LicenseTab(), 0);
    PlacePage(2, fTextPage->ReadmeTab(), 1);
    PlacePage(3, fFilesPage);
    PlacePage(4, fShortcutsPage);
    PlacePage(5, fRegistryPage);
    PlacePage(6, fFinishPage);
    connect(fFilesPage, &TFilesPage::ModelChanged, this, &TForm1::ShowPages);
    connect(fGeneralPage, &TGeneralPage::ModelChanged, this, &TForm1::ShowPages);
    connect(fFilesPage, &TFilesPage::StatusChanged, this, &TForm1::ShowStatus);
}

void TForm1::PlacePage(int aNumber, QWidget* aPage, int aTab) {
    QWidget* tab = fPageControls[static_cast<size_t>(aNumber - 1)]->widget(aTab);
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    // A window smaller than a page scrolls the page rather than squeezing its controls together.
    auto* scroller = new QScrollArea(tab);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setWidget(aPage);
    layout->addWidget(scroller);
}

void TForm1::ShowPages() {
    fGeneralPage->ShowModel();
    fTextPage->ShowModel();
    fFilesPage->ShowModel();
    fShortcutsPage->ShowModel();
    fRegistryPage->ShowModel();
    fFinishPage->ShowModel();
}

void TForm1::ShowStatus(const QString& aText) {
    fStatusBar1Panel->setText(aText.isEmpty() ? QStringLiteral("For Help, press F1") : aText);
}

void TForm1::UpdateTitle() {
    setWindowTitle(QString::fromStdString(fDocument.Title()));
}

void TForm1::SelectPage(int aNumber) {
    for (QTabWidget* page : fPageControls)
        page->hide();
    fPageControls[aNumber - 1]->show();
    fTreeView1->setCurrentItem(fTreeView1->topLevelItem(0)->child(aNumber - 1));
}

int TForm1::SelectedNodeNumber() const {
    QTreeWidgetItem* node = fTreeView1->currentItem();
    if (!node || !node->parent())
        return 1;
    return node->parent()->indexOfChild(node) + 1;
}

void TForm1::TreeView1Click() {
    SelectPage(SelectedNodeNumber());
}

void TForm1::TreeView1KeyUp() {
    SelectPage(SelectedNodeNumber());
}

bool TForm1::eventFilter(QObject* aWatched, QEvent* anEvent) {
    if (aWatched == fTreeView1 && anEvent->type() == QEvent::KeyRelease)
        TreeView1KeyUp();
    return QMainWindow::eventFilter(aWatched, anEvent);
}

void TForm1::Splitter1Moved() {
    QList<int> sizes = fSplitter1->sizes();
    if (sizes[0] > 0 && sizes[0] < kSnapWidth) {
        sizes[1] += sizes[0];
        sizes[0] = 0;
        fSplitter1->setSizes(sizes);
    }
}

void TForm1::ToolButton1Click() {
    Guarded([this] { fDocument.New(); });
    UpdateTitle();
    ShowPages();
}

void TForm1::ToolButton2Click() {
    Guarded([this] { fDocument.Open(); });
    UpdateTitle();
    ShowPages();
}

void TForm1::ToolButton3Click() {
    Guarded([this] { fDocument.Save(); });
    UpdateTitle();
}

void TForm1::SaveAs1Click() {
    Guarded([this] { fDocument.SaveAs(); });
    UpdateTitle();
}

void TForm1::Signing1Click() {
    TSigningForm form(SettingsFilePath(), this);
    CentreAtEachShowing(form);
    Guarded([&form] { form.exec(); });
}

void TForm1::ToolButton4Click() {
    fForm5->SetProjectFile(fDocument.CurrentFile());
    fForm5->exec();
}

void TForm1::ToolButton5Click() {
    fForm5->SetProjectFile(fDocument.CurrentFile());
    fForm5->exec();
    OpenWithDesktop(QUrl::fromLocalFile(QString::fromStdString(fProject.SetupFile)), fPrompter);
}

void TForm1::N7Click() {
    close();
}

void TForm1::N5Click() {
    OpenWithDesktop(HelpFileUrl(fProject.ProgramFolder()), fPrompter);
}

void TForm1::WebSite1Click() {
    OpenHomePage(fPrompter);
}

void TForm1::Feedback1Click() {
    OpenWithDesktop(FeedbackUrl(), fPrompter);
}

void TForm1::N4Click() {
    fForm3->exec();
}

void TForm1::showEvent(QShowEvent* anEvent) {
    QMainWindow::showEvent(anEvent);
    if (!fShown) {
        fShown = true;
        FormShow();
    }
}

void TForm1::FormShow() {
    const TWindowSettings settings = ReadWindowSettings(SettingsFilePath());
    if (settings.Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        // By the client area: the window manager has not framed the window yet, so a frame
        // position would be taken as the client's and the window would creep at each start.
        setGeometry(settings.Left, settings.Top, settings.Width, settings.Height);
        // A placement stored on a larger or a second monitor would leave the title bar out of reach.
        KeepTitleBarOnScreen(*this);
    }
    const int treeWidth = settings.TreeView == 0 ? kCollapsedTreeShownWidth : settings.TreeView;
    const QList<int> sizes = fSplitter1->sizes();
    fSplitter1->setSizes({treeWidth, sizes[0] + sizes[1] - treeWidth});
}

void TForm1::closeEvent(QCloseEvent* anEvent) {
    // A settings file that cannot be written is reported, and the program ends all the same.
    Guarded([this] { FormClose(); });
    anEvent->accept();
}

void TForm1::FormClose() {
    TWindowSettings settings;
    settings.SignCommand = ReadWindowSettings(SettingsFilePath()).SignCommand;
    settings.Maximized = isMaximized();
    if (!settings.Maximized) {
        // The same client area that showing the window applies.
        const QRect area = geometry();
        settings.Width = area.width();
        settings.Height = area.height();
        settings.Left = area.x();
        settings.Top = area.y();
    }
    settings.TreeView = fSplitter1->sizes()[0];
    WriteWindowSettings(SettingsFilePath(), settings);
}

} // namespace kf
