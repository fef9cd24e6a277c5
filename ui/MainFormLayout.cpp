// The main window's menu, toolbar, status bar, tree and page groups.
#include "ui/MainForm.h"

#include "ui/Glyphs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>

#include <array>
#include <vector>

namespace kf {

namespace {

struct TPageTabs {
    const char* Node;
    std::vector<const char*> Tabs;
};

const std::array<TPageTabs, 6> kPages{{
    {"General", {"General"}},
    {"Text", {"License Agreement", "Readme"}},
    {"Files", {"Files"}},
    {"Shortcuts", {"Shortcuts"}},
    {"Regedit", {"Regedit"}},
    {"Finish", {"Finish"}},
}};

struct TToolButton {
    const char* Hint;
    TGlyph Glyph;
    void (TForm1::*Handler)();
    bool SeparatorBefore;
};

const std::array<TToolButton, 8> kToolButtons{{
    {"New project", TGlyph::New, &TForm1::ToolButton1Click, false},
    {"Open project", TGlyph::Open, &TForm1::ToolButton2Click, false},
    {"Save project", TGlyph::Save, &TForm1::ToolButton3Click, false},
    {"Build project", TGlyph::Build, &TForm1::ToolButton4Click, true},
    {"Build and run project", TGlyph::BuildAndRun, &TForm1::ToolButton5Click, false},
    {"Help", TGlyph::Help, &TForm1::N5Click, true},
    {"Home Page", TGlyph::HomePage, &TForm1::WebSite1Click, false},
    {"About...", TGlyph::About, &TForm1::N4Click, false},
}};

} // namespace

QAction* TForm1::AddAction(QMenu* aMenu, const char* aName, const QString& aText,
                           void (TForm1::*aHandler)()) {
    QAction* action = aMenu->addAction(aText);
    action->setObjectName(QLatin1String(aName));
    connect(action, &QAction::triggered, this, aHandler);
    return action;
}

void TForm1::CreateMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* project = bar->addMenu(QStringLiteral("&Project"));
    project->setObjectName(QStringLiteral("Project1"));
    AddAction(project, "New1", QStringLiteral("&New"), &TForm1::ToolButton1Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    AddAction(project, "Open1", QStringLiteral("&Open..."), &TForm1::ToolButton2Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddAction(project, "Save1", QStringLiteral("&Save"), &TForm1::ToolButton3Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    AddAction(project, "SaveAs1", QStringLiteral("Save &As..."), &TForm1::SaveAs1Click);
    project->addSeparator();
    AddAction(project, "Signing1", QStringLiteral("Si&gning..."), &TForm1::Signing1Click);
    AddAction(project, "Build1", QStringLiteral("&Build"), &TForm1::ToolButton4Click)
        ->setShortcut(QKeySequence(Qt::Key_F9));
    AddAction(project, "Buildandrun1", QStringLiteral("Build and &run"), &TForm1::ToolButton5Click)
        ->setShortcut(QKeySequence(Qt::Key_F8));
    project->addSeparator();
    AddAction(project, "N7", QStringLiteral("E&xit"), &TForm1::N7Click)
        ->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View1"));
    AddAction(view, "N8", QStringLiteral("&General Tab"), &TForm1::N8Click);
    AddAction(view, "N9", QStringLiteral("&Text Tab"), &TForm1::N9Click);
    AddAction(view, "N10", QStringLiteral("&Files Tab"), &TForm1::N10Click);
    AddAction(view, "N11", QStringLiteral("&Shortcuts Tab"), &TForm1::N11Click);
    AddAction(view, "N12", QStringLiteral("&Regedit Tab"), &TForm1::N12Click);
    AddAction(view, "N13", QStringLiteral("Fi&nish Tab"), &TForm1::N13Click);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    AddAction(help, "N5", QStringLiteral("&Help Topics"), &TForm1::N5Click)
        ->setShortcut(QKeySequence(Qt::Key_F1));
    AddAction(help, "WebSite1", QStringLiteral("&Visit Home Page..."), &TForm1::WebSite1Click);
    AddAction(help, "Feedback1", QStringLiteral("&Feedback..."), &TForm1::Feedback1Click);
    help->addSeparator();
    AddAction(help, "N4", QStringLiteral("&About Kelpforge..."), &TForm1::N4Click);

    const std::array<std::pair<const char*, TGlyph>, 8> glyphs{{
        {"New1", TGlyph::New},
        {"Open1", TGlyph::Open},
        {"Save1", TGlyph::Save},
        {"SaveAs1", TGlyph::Save},
        {"Build1", TGlyph::Build},
        {"Buildandrun1", TGlyph::BuildAndRun},
        {"N7", TGlyph::Exit},
        {"N5", TGlyph::Help},
    }};
    for (const auto& [name, glyph] : glyphs)
        findChild<QAction*>(QLatin1String(name))->setIcon(GlyphIcon(glyph));
}

void TForm1::CreateToolBar() {
    QToolBar* toolBar = addToolBar(QStringLiteral("ToolBar1"));
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(16, 16));
    for (size_t i = 0; i < kToolButtons.size(); ++i) {
        const TToolButton& button = kToolButtons[i];
        if (button.SeparatorBefore)
            toolBar->addSeparator();
        QAction* action = toolBar->addAction(GlyphIcon(button.Glyph), QLatin1String(button.Hint));
        action->setToolTip(QLatin1String(button.Hint));
        connect(action, &QAction::triggered, this, button.Handler);
        QWidget* widget = toolBar->widgetForAction(action);
        widget->setObjectName(QStringLiteral("ToolButton%1").arg(i + 1));
        widget->setFixedHeight(23);
    }
}

void TForm1::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    fStatusBar1Panel = new QLabel(bar);
    fStatusBar1Panel->setObjectName(QStringLiteral("StatusBar1Panel"));
    bar->addWidget(fStatusBar1Panel, 1);
    ShowStatus(QString());
}

void TForm1::CreateTree(QSplitter* aSplitter) {
    fTreeView1 = new QTreeWidget(aSplitter);
    fTreeView1->setObjectName(QStringLiteral("TreeView1"));
    fTreeView1->setHeaderHidden(true);
    fTreeView1->setRootIsDecorated(false);
    fTreeView1->setItemsExpandable(false);
    fTreeView1->setMinimumWidth(1);
    QFont font = fTreeView1->font();
    font.setPointSize(11);
    fTreeView1->setFont(font);
    auto* root = new QTreeWidgetItem(fTreeView1, {QStringLiteral("Project")});
    root->setIcon(0, GlyphIcon(TGlyph::Project));
    for (size_t i = 0; i < kPages.size(); ++i) {
        auto* node = new QTreeWidgetItem(root, {QLatin1String(kPages[i].Node)});
        node->setIcon(0, PageIcon(static_cast<int>(i) + 1));
    }
    fTreeView1->expandAll();
    connect(fTreeView1, &QTreeWidget::clicked, this, &TForm1::TreeView1Click);
    fTreeView1->installEventFilter(this);
}

void TForm1::CreatePageArea() {
    fSplitter1 = new QSplitter(Qt::Horizontal, this);
    fSplitter1->setObjectName(QStringLiteral("Splitter1"));
    fSplitter1->setHandleWidth(3);
    fSplitter1->setChildrenCollapsible(true);
    CreateTree(fSplitter1);

    auto* pageArea = new QWidget(fSplitter1);
    auto* layout = new QHBoxLayout(pageArea);
    layout->setContentsMargins(0, 0, 0, 0);
    for (size_t i = 0; i < kPages.size(); ++i) {
        auto* pages = new QTabWidget(pageArea);
        pages->setObjectName(QStringLiteral("PageControl%1").arg(i + 1));
        for (const char* tab : kPages[i].Tabs)
            pages->addTab(new QWidget(pages), QLatin1String(tab));
        layout->addWidget(pages);
        fPageControls[i] = pages;
    }
    fSplitter1->setStretchFactor(0, 0);
    fSplitter1->setStretchFactor(1, 1);
    fSplitter1->setSizes({160, 470});
    connect(fSplitter1, &QSplitter::splitterMoved, this, &TForm1::Splitter1Moved);
    setCentralWidget(fSplitter1);
}

} // namespace kf
