#include "ui/AddFilesForm.h"

#include "project/SourceFile.h"
#include "ui/ListViewRows.h"
#include "ui/PageMessages.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kf {

TForm4::TForm4(TProject& aProject, Prompter& aPrompter, QWidget* aParent)
    : QDialog(aParent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), fProject(aProject),
      fPrompter(aPrompter) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Add files"));
    ChooseFiles = [this] { return OpenDialog1(); };

    auto* group = new QGroupBox(QStringLiteral("Destination directory"), this);
    auto* fields = new QFormLayout(group);
    fComboBox1 = CreateChoiceList(group, "ComboBox1", {kAddFilesFolders.begin(), kAddFilesFolders.end()});
    fields->addRow(QStringLiteral("Folder:"), fComboBox1);
    fEdit1 = new QLineEdit(group);
    fEdit1->setObjectName(QStringLiteral("Edit1"));
    fields->addRow(QStringLiteral("Subfolder:"), fEdit1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TForm4::Button1Click);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    connect(cancel, &QPushButton::clicked, this, &TForm4::Button2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(320, sizeHint().height());
    setMinimumWidth(320);
    setFixedHeight(sizeHint().height());
}

std::vector<std::string> TForm4::OpenDialog1() {
    std::vector<std::string> paths;
    for (const QString& path : QFileDialog::getOpenFileNames(this, QStringLiteral("Open"), QString(),
                                                             QStringLiteral("Any Files (*)")))
        paths.push_back(path.toStdString());
    return paths;
}

void TForm4::Button1Click() {
    const std::string destination =
        AddFilesDestination(fComboBox1->currentIndex(), fEdit1->text().toStdString());
    const std::vector<std::string> paths = ChooseFiles();
    if (paths.empty()) {
        reject();
        return;
    }
    const TAddFilesResult result = AddFiles(fProject, paths, destination);
    if (result.DeniedPath)
        ShowPageError(fPrompter, AccessDeniedText(*result.DeniedPath));
    accept();
}

} // namespace kf
