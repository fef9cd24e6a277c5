#include "ui/FilesPage.h"

#include "project/FileListCommands.h"
#include "project/RuntimeLines.h"
#include "project/SourceFile.h"
#include "ui/AddFilesForm.h"
#include "ui/EditItemForm.h"
#include "ui/EntryPageParts.h"
#include "ui/ListViewRows.h"
#include "ui/LongOperation.h"
#include "ui/PageMessages.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>
#include <tuple>

namespace kf {

namespace {

QStringList RowTexts(const TFileEntry& aRow) {
    QStringList texts;
    for (const std::string* field :
         {&aRow.SourcePath, &aRow.Size, &aRow.InstallTo, &aRow.IfExists, &aRow.Uninstall, &aRow.Register})
        texts << QString::fromStdString(*field);
    return texts;
}

QLabel* AddLabel(QBoxLayout* aLayout, QWidget* aParent, const QString& aText, const char* aName = "") {
    auto* label = new QLabel(aText, aParent);
    label->setObjectName(QLatin1String(aName));
    aLayout->addWidget(label);
    return label;
}

} // namespace

TFilesPage::TFilesPage(TProject& aProject, Prompter& aPrompter, TForm4& aForm4, TForm7& aForm7,
                       QWidget* aParent)
    : QWidget(aParent), fProject(aProject), fPrompter(aPrompter), fForm4(aForm4), fForm7(aForm7) {
    setObjectName(QStringLiteral("FilesPage"));
    ChooseFolder = [this] { return BrowseForFolder(); };
    auto* layout = new QVBoxLayout(this);
    CreateButtons();
    fListView1 = CreateListView(this, "ListView1",
                                {{"Source path", 150, true},
                                 {"Size", 55},
                                 {"Install to", 100, true},
                                 {"If Exists", 60},
                                 {"Uninstall", 55},
                                 {"Register", 55}},
                                true);
    connect(fListView1, &QTreeWidget::itemDoubleClicked, this, &TFilesPage::Button6Click);
    layout->addWidget(fListView1, 1);
    CreatePopupMenu();
    layout->addWidget(CreateInstallPath());
    fCheckBox4 = new QCheckBox(QStringLiteral("Include Uninstaller"), this);
    fCheckBox4->setObjectName(QStringLiteral("CheckBox4"));
    connect(fCheckBox4, &QCheckBox::clicked, this, &TFilesPage::CheckBox4Click);
    layout->addWidget(fCheckBox4);
    layout->addWidget(CreateTotals());
    ShowModel();
}

void TFilesPage::CreateButtons() {
    auto* row = new QHBoxLayout;
    const std::array<std::tuple<const char*, const char*, void (TFilesPage::*)()>, 5> buttons{{
        {"Button7", "Add folder...", &TFilesPage::Button7Click},
        {"Button8", "Add files...", &TFilesPage::Button8Click},
        {"Button6", "Edit...", &TFilesPage::Button6Click},
        {"Button9", "Delete", &TFilesPage::Button9Click},
        {"Button10", "Clear", &TFilesPage::Button10Click},
    }};
    for (const auto& [name, caption, handler] : buttons) {
        auto* button = new QPushButton(QLatin1String(caption), this);
        button->setObjectName(QLatin1String(name));
        connect(button, &QPushButton::clicked, this, handler);
        row->addWidget(button);
    }
    row->addStretch();
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

void TFilesPage::CreatePopupMenu() {
    fPopupMenu1 = new QMenu(this);
    fPopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto add = [this](const char* aName, const char* aText, const QList<QKeySequence>& aKeys,
                            void (TFilesPage::*aHandler)()) {
        QAction* action = fPopupMenu1->addAction(QLatin1String(aText));
        action->setObjectName(QLatin1String(aName));
        action->setShortcuts(aKeys);
        // The keys act only while the table has the keyboard focus.
        action->setShortcutContext(Qt::WidgetShortcut);
        fListView1->addAction(action);
        connect(action, &QAction::triggered, this, aHandler);
    };
    add("e1", "Edit...", {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)},
        &TFilesPage::Button6Click);
    add("Remove1", "Delete", {QKeySequence(Qt::Key_Delete)}, &TFilesPage::Button9Click);
    add("Selectall1", "Select All", {QKeySequence(Qt::CTRL | Qt::Key_A)}, &TFilesPage::Selectall1Click);
    fListView1->installEventFilter(this);
    fListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(fListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& aPoint) {
        fPopupMenu1->popup(fListView1->viewport()->mapToGlobal(aPoint));
    });
}

bool TFilesPage::eventFilter(QObject* aWatched, QEvent* anEvent) {
    // The table keeps some of the menu's keys for itself, which then reach it as key presses.
    if (aWatched == fListView1 && anEvent->type() == QEvent::KeyPress) {
        const QKeySequence key(static_cast<QKeyEvent*>(anEvent)->keyCombination());
        for (QAction* action : fPopupMenu1->actions()) {
            if (action->shortcuts().contains(key)) {
                action->trigger();
                return true;
            }
        }
    }
    return QWidget::eventFilter(aWatched, anEvent);
}

QWidget* TFilesPage::CreateInstallPath() {
    auto* group = new QGroupBox(QStringLiteral("Install Path"), this);
    auto* layout = new QVBoxLayout(group);
    auto* folder = new QHBoxLayout;
    fComboBox2 = CreateChoiceList(group, "ComboBox2", {kAddFilesFolders.begin() + 1, kAddFilesFolders.end()});
    connect(fComboBox2, &QComboBox::activated, this, [this](int anIndex) { fProject.InstallBase = anIndex; });
    folder->addWidget(fComboBox2);
    AddLabel(folder, group, QStringLiteral("\\"));
    fEdit9 = new QLineEdit(group);
    fEdit9->setObjectName(QStringLiteral("Edit9"));
    connect(fEdit9, &QLineEdit::textEdited, this, &TFilesPage::Edit9Change);
    folder->addWidget(fEdit9, 1);
    layout->addLayout(folder);

    fCheckBox6 = new QCheckBox(QStringLiteral("Get from Registry"), group);
    fCheckBox6->setObjectName(QStringLiteral("CheckBox6"));
    connect(fCheckBox6, &QCheckBox::clicked, this, &TFilesPage::CheckBox6Click);
    layout->addWidget(fCheckBox6);
    auto* registry = new QHBoxLayout;
    fComboBox9 = CreateChoiceList(group, "ComboBox9", {kRootKeyLabels.begin(), kRootKeyLabels.end()});
    connect(fComboBox9, &QComboBox::activated, this,
            [this](int anIndex) { fProject.InstallPathRoot = anIndex; });
    registry->addWidget(fComboBox9);
    AddLabel(registry, group, QStringLiteral("\\"));
    fEdit14 = new QLineEdit(group);
    fEdit14->setObjectName(QStringLiteral("Edit14"));
    connect(fEdit14, &QLineEdit::textEdited, this,
            [this](const QString& aText) { fProject.InstallPathKey = aText.toStdString(); });
    registry->addWidget(fEdit14, 1);
    layout->addLayout(registry);
    return group;
}

QWidget* TFilesPage::CreateTotals() {
    auto* totals = new QWidget(this);
    auto* layout = new QHBoxLayout(totals);
    layout->setContentsMargins(0, 0, 0, 0);
    AddLabel(layout, totals, QStringLiteral("Total files:"));
    fLabel10 = AddLabel(layout, totals, QString(), "Label10");
    layout->addSpacing(20);
    AddLabel(layout, totals, QStringLiteral("Total size:"));
    fLabel16 = AddLabel(layout, totals, QString(), "Label16");
    layout->addStretch();
    return totals;
}

void TFilesPage::ShowModel() {
    std::vector<QStringList> rows;
    for (const TFileEntry& row : fProject.Files)
        rows.push_back(RowTexts(row));
    ShowRows(fListView1, rows);
    fComboBox2->setCurrentIndex(fProject.InstallBase);
    ShowText(fEdit9, fProject.InstallFolder());
    fCheckBox6->setChecked(fProject.InstallPathFromRegistry);
    fComboBox9->setCurrentIndex(fProject.InstallPathRoot);
    fComboBox9->setEnabled(fProject.InstallPathFromRegistry);
    ShowText(fEdit14, fProject.InstallPathKey);
    fEdit14->setEnabled(fProject.InstallPathFromRegistry);
    fCheckBox4->setChecked(fProject.IncludeUninstaller());
    fLabel10->setText(QString::fromStdString(fProject.Summary().TotalFiles));
    fLabel16->setText(QString::fromStdString(fProject.Summary().TotalSize));
}

std::optional<std::string> TFilesPage::BrowseForFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(window(), QStringLiteral("Select folder to add:"));
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

void TFilesPage::ShowDeniedFile(const std::optional<std::string>& aPath) {
    if (aPath)
        ShowPageError(fPrompter, AccessDeniedText(*aPath));
}

void TFilesPage::Button7Click() {
    const std::optional<std::string> folder = ChooseFolder();
    if (!folder)
        return;
    const TAddFilesResult result = AddFolderWithProgress(*folder);
    if (result.Cancelled)
        return;
    // Left in the status bar after the operation's own text is cleared.
    if (const std::string skipped = SkippedFilesText(result); !skipped.empty())
        emit StatusChanged(QString::fromStdString(skipped));
    ShowDeniedFile(result.DeniedPath);
    fProject.RefreshFileList();
    emit ModelChanged();
}

TAddFilesResult TFilesPage::AddFolderWithProgress(const std::string& aFolder) {
    TLongOperation operation;
    connect(&operation, &TLongOperation::StatusChanged, this, &TFilesPage::StatusChanged);
    const TAddFilesResult result = AddFolder(fProject, aFolder, [&](size_t aDone, size_t aTotal) {
        return operation.Report([&] {
            return aTotal == 0
                       ? QStringLiteral("Adding folder: %1 files found. Press Esc to cancel.").arg(aDone)
                       : QStringLiteral("Adding folder: %1 of %2 files measured. Press Esc to cancel.")
                             .arg(aDone)
                             .arg(aTotal);
        });
    });
    emit StatusChanged(QString());
    return result;
}

void TFilesPage::Button8Click() {
    fForm4.exec();
    fProject.RefreshFileList();
    emit ModelChanged();
}

void TFilesPage::Button6Click() {
    const std::vector<size_t> rows = SelectedRows(fListView1);
    if (rows.empty())
        return;
    // The choice lists keep the former text until the next refresh, so only this page is shown again.
    if (fForm7.Edit(fProject.Files[rows.front()]))
        ShowModel();
}

void TFilesPage::Button9Click() {
    if (!Confirmed(fPrompter, "Are you sure you want to delete the selected items?"))
        return;
    if (const auto refusal = DeleteFileRows(fProject, SelectedRows(fListView1)))
        ShowPageError(fPrompter, *refusal);
    emit ModelChanged();
}

void TFilesPage::Button10Click() {
    if (!Confirmed(fPrompter, kDeleteAllItems))
        return;
    if (const auto refusal = ClearFileRows(fProject))
        ShowPageError(fPrompter, *refusal);
    emit ModelChanged();
}

void TFilesPage::Selectall1Click() {
    fListView1->selectAll();
}

void TFilesPage::CheckBox4Click() {
    fProject.SetIncludeUninstaller(fCheckBox4->isChecked());
    emit ModelChanged();
}

void TFilesPage::CheckBox6Click() {
    fProject.InstallPathFromRegistry = fCheckBox6->isChecked();
    ShowModel();
}

void TFilesPage::Edit9Change() {
    fProject.SetInstallFolder(fEdit9->text().toStdString());
    emit ModelChanged();
}

} // namespace kf
