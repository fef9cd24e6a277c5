#include "ui/GeneralPage.h"

#include "ui/EntryPageParts.h"
#include "ui/FileDialogs.h"
#include "ui/ListViewRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kf {

namespace {

// Keeps a text field of the project in step with what the author types.
void Bind(QLineEdit* anEdit, std::string& aField) {
    QObject::connect(anEdit, &QLineEdit::textEdited,
                     [&aField](const QString& aText) { aField = aText.toStdString(); });
}

} // namespace

TGeneralPage::TGeneralPage(TProject& aProject, QWidget* aParent) : QWidget(aParent), fProject(aProject) {
    setObjectName(QStringLiteral("GeneralPage"));
    ChooseSetupFile = [this](const TPathParts& aStart) {
        return ChooseFileToSave(window(), aStart.Folder, aStart.Name, kSetupFileFilter);
    };
    ChooseBitmap = [this](const std::string& aFilter) {
        return ChoosePictureToOpen(window(), fProject.ProgramFolder(), aFilter);
    };

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    layout->addStretch();

    fEdit1 = AddEdit(grid, "Product Name:", "Edit1");
    connect(fEdit1, &QLineEdit::textEdited, this, &TGeneralPage::Edit1Change);
    fEdit2 = AddEdit(grid, "Product Version:", "Edit2");
    Bind(fEdit2, fProject.ProductVersion);
    fEdit3 = AddEdit(grid, "Company Name:", "Edit3");
    Bind(fEdit3, fProject.CompanyName);
    fEdit4 = AddEdit(grid, "Setup File:", "Edit4");
    Bind(fEdit4, fProject.SetupFile);
    connect(AddBrowseButton(grid, "Button1"), &QPushButton::clicked, this, &TGeneralPage::Button1Click);

    fComboBox1 = CreateChoiceList(this, "ComboBox1", {"No compression", "Normal", "Maximal"});
    connect(fComboBox1, &QComboBox::activated, this, [this](int anIndex) { fProject.Compression = anIndex; });
    const int compressionRow = grid->rowCount();
    grid->addWidget(new QLabel(QStringLiteral("Compression Type:"), this), compressionRow, 0);
    grid->addWidget(fComboBox1, compressionRow, 1);
    fCheckBox8 = new QCheckBox(QStringLiteral("Solid compression"), this);
    fCheckBox8->setObjectName(QStringLiteral("CheckBox8"));
    fCheckBox8->setToolTip(QStringLiteral("Packs consecutive files together: a smaller setup, whose files "
                                          "are reached by decoding the ones packed before them"));
    connect(fCheckBox8, &QCheckBox::clicked, this,
            [this](bool aChecked) { fProject.SolidCompression = aChecked; });
    grid->addWidget(fCheckBox8, grid->rowCount(), 1);

    fComboBox11 = CreateChoiceList(this, "ComboBox11", {"32-bit (x86)", "64-bit (x64)"});
    connect(fComboBox11, &QComboBox::activated, this,
            [this](int anIndex) { fProject.TargetWindows = anIndex; });
    const int targetRow = grid->rowCount();
    auto* targetLabel = new QLabel(QStringLiteral("Target Windows:"), this);
    targetLabel->setBuddy(fComboBox11);
    grid->addWidget(targetLabel, targetRow, 0);
    grid->addWidget(fComboBox11, targetRow, 1);

    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("Bevel1"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    grid->addWidget(separator, grid->rowCount(), 0, 1, 3);

    fEdit5 = AddEdit(grid, "Logo Bitmap:", "Edit5");
    Bind(fEdit5, fProject.LogoBitmap);
    connect(AddBrowseButton(grid, "Button2"), &QPushButton::clicked, this, &TGeneralPage::Button2Click);
    fEdit6 = AddEdit(grid, "Header Bitmap:", "Edit6");
    Bind(fEdit6, fProject.HeaderBitmap);
    connect(AddBrowseButton(grid, "Button3"), &QPushButton::clicked, this, &TGeneralPage::Button3Click);
    grid->setColumnStretch(1, 1);
    ShowModel();
}

QLineEdit* TGeneralPage::AddEdit(QGridLayout* aGrid, const char* aLabel, const char* aName) {
    const int row = aGrid->rowCount();
    QLineEdit* edit = CreateEdit(this, aName);
    auto* label = new QLabel(QLatin1String(aLabel), this);
    label->setBuddy(edit);
    aGrid->addWidget(label, row, 0);
    aGrid->addWidget(edit, row, 1);
    return edit;
}

QPushButton* TGeneralPage::AddBrowseButton(QGridLayout* aGrid, const char* aName) {
    auto* button = new QPushButton(QStringLiteral("..."), this);
    button->setObjectName(QLatin1String(aName));
    button->setFixedWidth(button->sizeHint().height() + 4);
    aGrid->addWidget(button, aGrid->rowCount() - 1, 2);
    return button;
}

void TGeneralPage::ShowModel() {
    ShowText(fEdit1, fProject.ProductName());
    ShowText(fEdit2, fProject.ProductVersion);
    ShowText(fEdit3, fProject.CompanyName);
    ShowText(fEdit4, fProject.SetupFile);
    fComboBox1->setCurrentIndex(fProject.Compression);
    fCheckBox8->setChecked(fProject.SolidCompression);
    fComboBox11->setCurrentIndex(fProject.TargetWindows);
    ShowText(fEdit5, fProject.LogoBitmap);
    ShowText(fEdit6, fProject.HeaderBitmap);
}

void TGeneralPage::Edit1Change() {
    fProject.SetProductName(fEdit1->text().toStdString());
    emit ModelChanged();
}

void TGeneralPage::Button1Click() {
    const std::optional<std::string> chosen = ChooseSetupFile(SplitPath(fProject.SetupFile));
    if (!chosen)
        return;
    fProject.SetupFile = SetupFileNameFor(*chosen);
    ShowModel();
}

void TGeneralPage::ChooseBitmapFor(QLineEdit* anEdit, std::string& aField, const char* aFilter) {
    const std::optional<std::string> chosen = ChooseBitmap(aFilter);
    if (!chosen)
        return;
    aField = *chosen;
    ShowText(anEdit, aField);
}

void TGeneralPage::Button2Click() {
    ChooseBitmapFor(fEdit5, fProject.LogoBitmap, kLogoFilter);
}

void TGeneralPage::Button3Click() {
    ChooseBitmapFor(fEdit6, fProject.HeaderBitmap, kHeaderFilter);
}

} // namespace kf
