#include "ui/EditItemForm.h"

#include "project/FileListCommands.h"
#include "ui/ListViewRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kf {

namespace {

QLineEdit* AddEdit(QVBoxLayout* aLayout, QWidget* aParent, const char* aLabel, const char* aName) {
    aLayout->addWidget(new QLabel(QLatin1String(aLabel), aParent));
    auto* edit = new QLineEdit(aParent);
    edit->setObjectName(QLatin1String(aName));
    aLayout->addWidget(edit);
    return edit;
}

QComboBox* AddChoice(QVBoxLayout* aLayout, QWidget* aParent, const char* aLabel, const char* aName,
                     const std::vector<std::string>& aChoices) {
    aLayout->addWidget(new QLabel(QLatin1String(aLabel), aParent));
    QComboBox* box = CreateChoiceList(aParent, aName, aChoices);
    aLayout->addWidget(box);
    return box;
}

} // namespace

TForm7::TForm7(QWidget* aParent) : QDialog(aParent) {
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("Edit Current Item"));
    auto* layout = new QVBoxLayout(this);
    fEdit1 = AddEdit(layout, this, "Source path:", "Edit1");
    fEdit1->setEnabled(false);
    fEdit2 = AddEdit(layout, this, "Install to:", "Edit2");
    fComboBox1 = AddChoice(layout, this, "If file exists in destination:", "ComboBox1", {kOverwrite, kSkip});
    fComboBox2 = AddChoice(layout, this, "Uninstall:", "ComboBox2", {kYes, kNo});
    fCheckBox1 = new QCheckBox(QStringLiteral("Register as OCX/DLL"), this);
    fCheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    layout->addWidget(fCheckBox1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TForm7::Button1Click);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    connect(cancel, &QPushButton::clicked, this, &TForm7::Button2Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    resize(360, sizeHint().height());
    setMinimumWidth(360);
    setFixedHeight(sizeHint().height());
}

bool TForm7::Edit(TFileEntry& aRow) {
    const TFileRowEdit values = EditValuesOf(aRow);
    fEdit1->setText(QString::fromStdString(aRow.SourcePath));
    fEdit2->setText(QString::fromStdString(values.InstallTo));
    fComboBox1->setCurrentIndex(values.Overwrite ? 0 : 1);
    fComboBox2->setCurrentIndex(values.Uninstall ? 0 : 1);
    fCheckBox1->setChecked(values.Register);
    if (exec() != QDialog::Accepted)
        return false;
    ApplyEdit(aRow, TFileRowEdit{fEdit2->text().toStdString(), fComboBox1->currentIndex() == 0,
                                 fComboBox2->currentIndex() == 0, fCheckBox1->isChecked()});
    return true;
}

} // namespace kf
