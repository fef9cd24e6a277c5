#include "ui/ShortcutsPage.h"

#include "project/EntryCommands.h"
#include "project/RuntimeLines.h"
#include "ui/EntryPageParts.h"
#include "ui/ListViewRows.h"
#include "ui/PageMessages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kf {

TShortcutsPage::TShortcutsPage(TProject& aProject, Prompter& aPrompter, QWidget* aParent)
    : QWidget(aParent), fProject(aProject), fPrompter(aPrompter) {
    setObjectName(QStringLiteral("ShortcutsPage"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(CreateInputs());
    auto* buttons = new QHBoxLayout;
    connect(CreateButton(this, buttons, "Button11", "Add"), &QPushButton::clicked, this,
            &TShortcutsPage::Button11Click);
    connect(CreateButton(this, buttons, "Button12", "Delete"), &QPushButton::clicked, this,
            &TShortcutsPage::Button12Click);
    connect(CreateButton(this, buttons, "Button13", "Clear"), &QPushButton::clicked, this,
            &TShortcutsPage::Button13Click);
    buttons->addStretch();
    layout->addLayout(buttons);
    fListView2 =
        CreateListView(this, "ListView2", {{"Shortcut", 200, true}, {"Link to file", 200, true}}, false);
    layout->addWidget(fListView2, 1);
    ShowModel();
}

QLayout* TShortcutsPage::CreateInputs() {
    auto* inputs = new QFormLayout;
    fComboBox3 = CreateChoiceList(this, "ComboBox3", {});
    connect(fComboBox3, &QComboBox::activated, this, &TShortcutsPage::ComboBox3Change);
    inputs->addRow(QStringLiteral("Select File:"), fComboBox3);

    auto* group = new QGroupBox(QStringLiteral("Shortcut Directory"), this);
    auto* directory = new QHBoxLayout(group);
    fComboBox4 = CreateChoiceList(group, "ComboBox4", {kShortcutFolders.begin(), kShortcutFolders.end()});
    connect(fComboBox4, &QComboBox::activated, this, &TShortcutsPage::ComboBox4Change);
    directory->addWidget(fComboBox4);
    directory->addWidget(new QLabel(QStringLiteral("\\"), group));
    fEdit10 = CreateEdit(group, "Edit10");
    connect(fEdit10, &QLineEdit::textEdited, this,
            [this](const QString& aText) { fProject.Entry.ShortcutSubfolder = aText.toStdString(); });
    directory->addWidget(fEdit10, 1);
    inputs->addRow(group);

    fEdit11 = CreateEdit(this, "Edit11");
    connect(fEdit11, &QLineEdit::textEdited, this,
            [this](const QString& aText) { fProject.Entry.ShortcutName = aText.toStdString(); });
    inputs->addRow(QStringLiteral("Shortcut Name:"), fEdit11);
    return inputs;
}

void TShortcutsPage::ShowModel() {
    const TEntryFields& entry = fProject.Entry;
    ShowChoices(fComboBox3, fProject.Summary().FileChoices, entry.SelectedFile);
    fComboBox4->setCurrentIndex(entry.ShortcutFolder);
    ShowText(fEdit10, entry.ShortcutSubfolder);
    ShowText(fEdit11, entry.ShortcutName);
    std::vector<QStringList> rows;
    for (const TShortcutEntry& row : fProject.Shortcuts.Rows())
        rows.push_back({QString::fromStdString(row.Shortcut), QString::fromStdString(row.LinkTo)});
    ShowRows(fListView2, rows);
}

void TShortcutsPage::ComboBox3Change() {
    SelectShortcutFile(fProject, fComboBox3->currentIndex());
    ShowModel();
}

void TShortcutsPage::ComboBox4Change() {
    SelectShortcutFolder(fProject, fComboBox4->currentIndex());
    ShowModel();
}

void TShortcutsPage::Button11Click() {
    ShowRefusal(fPrompter, this, AddShortcut(fProject));
    ShowModel();
}

void TShortcutsPage::Button12Click() {
    const std::vector<size_t> rows = SelectedRows(fListView2);
    if (rows.empty() || !Confirmed(fPrompter, kDeleteSelectedItem))
        return;
    fProject.Shortcuts.RemoveAt(rows.front());
    ShowModel();
}

void TShortcutsPage::Button13Click() {
    if (!Confirmed(fPrompter, kDeleteAllItems))
        return;
    ClearShortcuts(fProject);
    ShowModel();
}

} // namespace kf
