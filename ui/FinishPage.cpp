#include "ui/FinishPage.h"

#include "ui/ListViewRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QVBoxLayout>

namespace kf {

TFinishPage::TFinishPage(TProject& aProject, QWidget* aParent) : QWidget(aParent), fProject(aProject) {
    setObjectName(QStringLiteral("FinishPage"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("After installation"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* inner = new QVBoxLayout(group);

    fCheckBox7 = new QCheckBox(QStringLiteral("Launch file"), group);
    fCheckBox7->setObjectName(QStringLiteral("CheckBox7"));
    connect(fCheckBox7, &QCheckBox::clicked, this, &TFinishPage::CheckBox7Click);
    inner->addWidget(fCheckBox7);

    fComboBox10 = CreateChoiceList(group, "ComboBox10", {});
    connect(fComboBox10, &QComboBox::activated, this,
            [this](int anIndex) { fProject.SetLaunchFileIndex(anIndex); });
    inner->addWidget(fComboBox10);

    fCheckBox5 = new QCheckBox(QStringLiteral("Restart computer"), group);
    fCheckBox5->setObjectName(QStringLiteral("CheckBox5"));
    connect(fCheckBox5, &QCheckBox::clicked, this,
            [this](bool aChecked) { fProject.RestartComputer = aChecked; });
    inner->addWidget(fCheckBox5);

    layout->addWidget(group);
    layout->addStretch();
    ShowModel();
}

void TFinishPage::ShowModel() {
    fCheckBox7->setChecked(fProject.LaunchFile);
    ShowChoices(fComboBox10, fProject.Summary().LaunchChoices, fProject.LaunchFileIndex);
    fComboBox10->setEnabled(fProject.LaunchFile);
    fCheckBox5->setChecked(fProject.RestartComputer);
}

void TFinishPage::CheckBox7Click() {
    fProject.LaunchFile = fCheckBox7->isChecked();
    fComboBox10->setEnabled(fProject.LaunchFile);
}

} // namespace kf
