#include "ui/TextPage.h"

#include "base/WholeFile.h"
#include "base/Windows1252.h"
#include "builder/RtfDocument.h"
#include "ui/ErrorReport.h"
#include "ui/FileDialogs.h"
#include "ui/RtfReader.h"
#include "ui/RtfWriter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace kf {

namespace {

// A plain text file's bytes: UTF-8 where they are, Windows-1252 for stray bytes, as the build
// reads them when it turns the text into RTF.
QString PlainText(std::string_view aBytes) {
    std::string text;
    size_t pos = 0;
    while (pos < aBytes.size()) {
        const size_t start = pos;
        if (DecodeUtf8(aBytes, pos)) {
            text.append(aBytes.substr(start, pos - start));
        } else {
            text += Windows1252ToUtf8(aBytes.substr(pos, 1));
            ++pos;
        }
    }
    QString result = QString::fromStdString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

QCheckBox* CreateCheckBox(QWidget* aParent, const char* aName, const char* aCaption) {
    auto* box = new QCheckBox(QLatin1String(aCaption), aParent);
    box->setObjectName(QLatin1String(aName));
    return box;
}

} // namespace

TTextPage::TTextPage(TProject& aProject, Prompter& aPrompter, QObject* aParent)
    : QObject(aParent), fProject(aProject), fPrompter(aPrompter) {
    setObjectName(QStringLiteral("TextPage"));
    ChooseTextFile = [this] { return ChooseFileToOpen(fLicense.Tab->window(), {}, kTextFileFilter); };

    CreateTab(fLicense, "Show \"License Agreement\" Dialog", "CheckBox1", "Edit7", "Button4", "RichEdit1");
    connect(fLicense.ShowBox, &QCheckBox::clicked, this, &TTextPage::CheckBox1Click);
    connect(fLicense.Browse, &QPushButton::clicked, this, &TTextPage::Button4Click);
    fLicense.AcceptBox =
        CreateCheckBox(fLicense.Tab, "CheckBox2", "Show \"I accept the agreement\" check box");
    fLicense.Tab->layout()->addWidget(fLicense.AcceptBox);
    connect(fLicense.AcceptBox, &QCheckBox::clicked, this,
            [this](bool aChecked) { fProject.ShowAcceptCheckBox = aChecked; });

    CreateTab(fReadme, "Show \"Readme\" Dialog", "CheckBox3", "Edit8", "Button5", "RichEdit2");
    connect(fReadme.ShowBox, &QCheckBox::clicked, this, &TTextPage::CheckBox3Click);
    connect(fReadme.Browse, &QPushButton::clicked, this, &TTextPage::Button5Click);
    ShowModel();
}

void TTextPage::CreateTab(TTextTab& aTab, const char* aCaption, const char* aShowName, const char* aPathName,
                          const char* aBrowseName, const char* anEditorName) {
    aTab.Tab = new QWidget;
    auto* layout = new QVBoxLayout(aTab.Tab);
    aTab.ShowBox = CreateCheckBox(aTab.Tab, aShowName, aCaption);
    layout->addWidget(aTab.ShowBox);

    auto* file = new QHBoxLayout;
    aTab.Path = new QLineEdit(aTab.Tab);
    aTab.Path->setObjectName(QLatin1String(aPathName));
    aTab.Path->setReadOnly(true);
    file->addWidget(aTab.Path, 1);
    aTab.Browse = new QPushButton(QStringLiteral("Browse..."), aTab.Tab);
    aTab.Browse->setObjectName(QLatin1String(aBrowseName));
    file->addWidget(aTab.Browse);
    layout->addLayout(file);

    aTab.Editor = new QTextEdit(aTab.Tab);
    aTab.Editor->setObjectName(QLatin1String(anEditorName));
    aTab.Editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Pasted text keeps only what the RTF writer can carry.
    aTab.Editor->setAcceptRichText(false);
    layout->addWidget(aTab.Editor, 1);
    connect(aTab.Editor->document(), &QTextDocument::contentsChanged, this, [this, &aTab] {
        if (!aTab.Loading)
            TextEdited(aTab);
    });
}

void TTextPage::ShowModel() {
    ShowTab(fLicense);
    ShowTab(fReadme);
    fLicense.AcceptBox->setChecked(fProject.ShowAcceptCheckBox);
}

void TTextPage::ShowTab(TTextTab& aTab) {
    aTab.ShowBox->setChecked(fProject.*aTab.Show);
    aTab.Path->setText(QString::fromStdString(fProject.*aTab.File));
    ShowEnabled(aTab);
    if (fProject.*aTab.Text != aTab.Shown)
        LoadEditor(aTab);
}

void TTextPage::ShowEnabled(TTextTab& aTab) {
    const bool enabled = fProject.*aTab.Show;
    for (QWidget* control : {static_cast<QWidget*>(aTab.Path), static_cast<QWidget*>(aTab.Browse),
                             static_cast<QWidget*>(aTab.Editor), static_cast<QWidget*>(aTab.AcceptBox)})
        if (control)
            control->setEnabled(enabled);
}

void TTextPage::LoadEditor(TTextTab& aTab) {
    const std::string& text = fProject.*aTab.Text;
    aTab.Shown = text;
    aTab.Loading = true;
    if (IsRtf(text)) {
        QTextDocument* document = aTab.Editor->document();
        document->setUndoRedoEnabled(false);
        ReadRtf(text, *document);
        document->setUndoRedoEnabled(true);
    } else {
        aTab.Editor->setPlainText(PlainText(text));
    }
    aTab.Loading = false;
}

void TTextPage::TextEdited(TTextTab& aTab) {
    aTab.Shown = WriteRtf(*aTab.Editor->document());
    fProject.*aTab.Text = aTab.Shown;
}

void TTextPage::ShowChanged(TTextTab& aTab) {
    fProject.*aTab.Show = aTab.ShowBox->isChecked();
    ShowEnabled(aTab);
}

void TTextPage::Browse(TTextTab& aTab) {
    const std::optional<std::string> path = ChooseTextFile();
    if (!path)
        return;
    fProject.*aTab.File = *path;
    aTab.Path->setText(QString::fromStdString(*path));
    try {
        fProject.*aTab.Text = ReadWholeFile(*path);
    } catch (const std::exception& error) {
        ShowErrorReport(fPrompter, error);
        return;
    }
    LoadEditor(aTab);
}

void TTextPage::CheckBox1Click() {
    ShowChanged(fLicense);
}

void TTextPage::Button4Click() {
    Browse(fLicense);
}

void TTextPage::CheckBox3Click() {
    ShowChanged(fReadme);
}

void TTextPage::Button5Click() {
    Browse(fReadme);
}

} // namespace kf
