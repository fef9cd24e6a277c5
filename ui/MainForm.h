#pragma once

#include "project/Project.h"
#include "project/ProjectDocument.h"

#include <QMainWindow>

#include <array>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTabWidget;
class QTreeWidget;

namespace kf {

class TFilesPage;
class TFinishPage;
class TForm3;
class TForm4;
class TForm5;
class TForm7;
class TGeneralPage;
class TRegistryPage;
class TShortcutsPage;
class TTextPage;

// The main window: owns the one project and reaches every command from its menu and toolbar.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(Prompter& aPrompter, QWidget* aParent = nullptr);

    TProject& Project() { return fProject; }
    const TProjectDocument& Document() const { return fDocument; }

    // Shows page group aNumber (1 to 6) alone and selects its tree node.
    void SelectPage(int aNumber);

    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton4Click();
    void ToolButton5Click();
    void SaveAs1Click();
    // Project, Signing...: the machine's sign command for builds.
    void Signing1Click();
    void N7Click();
    void N8Click() { SelectPage(1); }
    void N9Click() { SelectPage(2); }
    void N10Click() { SelectPage(3); }
    void N11Click() { SelectPage(4); }
    void N12Click() { SelectPage(5); }
    void N13Click() { SelectPage(6); }
    void N5Click();
    void WebSite1Click();
    void Feedback1Click();
    void N4Click();
    void TreeView1Click();
    void TreeView1KeyUp();
    // Dragging the tree narrower than 30 pixels collapses it.
    void Splitter1Moved();

protected:
    void showEvent(QShowEvent* anEvent) override;
    void closeEvent(QCloseEvent* anEvent) override;
    bool eventFilter(QObject* aWatched, QEvent* anEvent) override;

private:
    void CreateMenu();
    void CreateToolBar();
    void CreateStatusBar();
    void CreatePageArea();
    void CreateTree(QSplitter* aSplitter);
    void CreateEditorPages();
    void PlacePage(int aNumber, QWidget* aPage, int aTab = 0);
    // Shows the project in every editor page, as a change on one page may show on another.
    void ShowPages();
    // A long operation's progress in the status bar; an empty text brings back the help hint.
    void ShowStatus(const QString& aText);
    QAction* AddAction(QMenu* aMenu, const char* aName, const QString& aText, void (TForm1::*aHandler)());

    void FormShow();
    void FormClose();
    void UpdateTitle();
    int SelectedNodeNumber() const;
    // Runs a command; an error it does not handle goes to the error report.
    template <typename F> void Guarded(F aCommand);

    Prompter& fPrompter;
    TProject fProject;
    TProjectDocument fDocument;
    TForm3* fForm3 = nullptr;
    TForm4* fForm4 = nullptr;
    TForm5* fForm5 = nullptr;
    TForm7* fForm7 = nullptr;
    TGeneralPage* fGeneralPage = nullptr;
    TTextPage* fTextPage = nullptr;
    TFilesPage* fFilesPage = nullptr;
    TShortcutsPage* fShortcutsPage = nullptr;
    TRegistryPage* fRegistryPage = nullptr;
    TFinishPage* fFinishPage = nullptr;
    QLabel* fStatusBar1Panel = nullptr;
    QTreeWidget* fTreeView1 = nullptr;
    QSplitter* fSplitter1 = nullptr;
    std::array<QTabWidget*, 6> fPageControls{};
    bool fShown = false;
};

} // namespace kf
