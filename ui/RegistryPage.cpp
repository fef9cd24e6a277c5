#include "ui/RegistryPage.h"

#include "project/EntryCommands.h"
#include "project/RuntimeLines.h"
#include "ui/EntryPageParts.h"
#include "ui/ListViewRows.h"
#include "ui/PageMessages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kf {

namespace {

QStringList RowTexts(const TRegistryEntry& aRow) {
    QStringList texts;
    for (const std::string* field :
         {&aRow.Section, &aRow.Key, &aRow.NameValue, &aRow.Type, &aRow.Value, &aRow.Uninstall})
        texts << QString::fromStdString(*field);
    return texts;
}

} // namespace

TRegistryPage::TRegistryPage(TProject& aProject, Prompter& aPrompter, QWidget* aParent)
    : QWidget(aParent), fProject(aProject), fPrompter(aPrompter) {
    setObjectName(QStringLiteral("RegistryPage"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(CreateInputs());
    auto* buttons = new QHBoxLayout;
    connect(CreateButton(this, buttons, "Button14", "Add"), &QPushButton::clicked, this,
            &TRegistryPage::Button14Click);
    connect(CreateButton(this, buttons, "Button15", "Delete"), &QPushButton::clicked, this,
            &TRegistryPage::Button15Click);
    connect(CreateButton(this, buttons, "Button16", "Clear"), &QPushButton::clicked, this,
            &TRegistryPage::Button16Click);
    buttons->addStretch();
    layout->addLayout(buttons);
    fListView3 = CreateListView(this, "ListView3",
                                {{"Section", 55},
                                 {"Key", 100, true},
                                 {"Name value", 75},
                                 {"Type", 55},
                                 {"Value", 100, true},
                                 {"Uninstall", 55}},
                                false);
    layout->addWidget(fListView3, 1);
    ShowModel();
}

QLayout* TRegistryPage::CreateInputs() {
    TEntryFields& entry = fProject.Entry;
    auto* inputs = new QFormLayout;
    fComboBox5 = CreateChoiceList(this, "ComboBox5", {kRootKeys.begin(), kRootKeys.end()});
    connect(fComboBox5, &QComboBox::activated, this, [&entry](int anIndex) { entry.RegistryRoot = anIndex; });
    inputs->addRow(QStringLiteral("Section:"), fComboBox5);
    fEdit12 = CreateEdit(this, "Edit12");
    connect(fEdit12, &QLineEdit::textEdited, this,
            [&entry](const QString& aText) { entry.RegistryKey = aText.toStdString(); });
    inputs->addRow(QStringLiteral("Key:"), fEdit12);
    fEdit13 = CreateEdit(this, "Edit13");
    connect(fEdit13, &QLineEdit::textEdited, this,
            [&entry](const QString& aText) { entry.RegistryValueName = aText.toStdString(); });
    inputs->addRow(QStringLiteral("Name value:"), fEdit13);
    fComboBox6 = CreateChoiceList(this, "ComboBox6", {kString, kDword});
    connect(fComboBox6, &QComboBox::activated, this, [&entry](int anIndex) { entry.RegistryType = anIndex; });
    inputs->addRow(QStringLiteral("Type value:"), fComboBox6);
    fComboBox7 = new QComboBox(this);
    fComboBox7->setObjectName(QStringLiteral("ComboBox7"));
    fComboBox7->setEditable(true);
    fComboBox7->setInsertPolicy(QComboBox::NoInsert);
    connect(fComboBox7, &QComboBox::editTextChanged, this,
            [&entry](const QString& aText) { entry.RegistryValue = aText.toStdString(); });
    inputs->addRow(QStringLiteral("Value:"), fComboBox7);
    fComboBox8 = CreateChoiceList(this, "ComboBox8", {kYes, kNo});
    connect(fComboBox8, &QComboBox::activated, this,
            [&entry](int anIndex) { entry.RegistryUninstall = anIndex; });
    inputs->addRow(QStringLiteral("Uninstall:"), fComboBox8);
    return inputs;
}

void TRegistryPage::ShowModel() {
    const TEntryFields& entry = fProject.Entry;
    fComboBox5->setCurrentIndex(entry.RegistryRoot);
    ShowText(fEdit12, entry.RegistryKey);
    ShowText(fEdit13, entry.RegistryValueName);
    fComboBox6->setCurrentIndex(entry.RegistryType);
    ShowChoices(fComboBox7, fProject.Summary().ValueSuggestions, -1);
    if (fComboBox7->currentText() != QString::fromStdString(entry.RegistryValue)) {
        const QSignalBlocker blocker(fComboBox7);
        fComboBox7->setEditText(QString::fromStdString(entry.RegistryValue));
    }
    fComboBox8->setCurrentIndex(entry.RegistryUninstall);
    std::vector<QStringList> rows;
    for (const TRegistryEntry& row : fProject.RegistryValues.Rows())
        rows.push_back(RowTexts(row));
    ShowRows(fListView3, rows);
}

void TRegistryPage::Button14Click() {
    ShowRefusal(fPrompter, this, AddRegistryValue(fProject));
    ShowModel();
}

void TRegistryPage::Button15Click() {
    const std::vector<size_t> rows = SelectedRows(fListView3);
    if (rows.empty() || !Confirmed(fPrompter, kDeleteSelectedItem))
        return;
    fProject.RegistryValues.RemoveAt(rows.front());
    ShowModel();
}

void TRegistryPage::Button16Click() {
    if (!Confirmed(fPrompter, kDeleteAllItems))
        return;
    fProject.RegistryValues.Clear();
    ShowModel();
}

} // namespace kf
