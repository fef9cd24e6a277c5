// Renders every window and page to PNG files, so the program can be looked at without a display.
// Usage: KELPFORGE_SCREENSHOTS=folder QT_QPA_PLATFORM=offscreen kelpforge-screenshots
#include "project/HostPaths.h"
#include "project/ProjectDocument.h"
#include "ui/MainForm.h"
#include "ui/QtPrompter.h"
#include "ui/TextPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool Save(QWidget* aWidget, const QDir& aFolder, const QString& aName) {
    aWidget->ensurePolished();
    const QString path = aFolder.filePath(aName + QStringLiteral(".png"));
    if (aWidget->grab().save(path))
        return true;
    std::fprintf(stderr, "Unable to write to %s\n", qPrintable(path));
    return false;
}

// A licence with the formatting an author's file typically has.
constexpr const char* kSampleLicence =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
    "{\\colortbl ;\\red192\\green0\\blue0;}"
    "\\pard\\qc\\b\\f0\\fs28 END USER LICENCE AGREEMENT\\b0\\par"
    "\\pard\\qj\\f1\\fs20 Please read this agreement \\i carefully\\i0  before installing "
    "\\ul My Program\\ulnone . By installing it you accept its terms.\\par"
    "\\cf1\\b 1. No warranty.\\cf0\\b0  The program is provided \\ldblquote as is\\rdblquote .\\par}";

// Loads the sample licence through the Text page as the author would.
bool LoadSampleLicence(kf::TForm1& aForm, const QTemporaryDir& aFolder) {
    const QString path = aFolder.filePath(QStringLiteral("Licence.rtf"));
    QFile file(path);
    const qint64 length = static_cast<qint64>(std::strlen(kSampleLicence));
    if (!file.open(QIODevice::WriteOnly) || file.write(kSampleLicence, length) != length || !file.flush()) {
        std::fprintf(stderr, "Unable to write to %s\n", qPrintable(path));
        return false;
    }
    file.close();
    auto* page = aForm.findChild<kf::TTextPage*>(QStringLiteral("TextPage"));
    page->ChooseTextFile = [path] { return std::optional<std::string>(path.toStdString()); };
    aForm.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
    page->Button4Click();
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    const char* folder = std::getenv("KELPFORGE_SCREENSHOTS");
    if (!folder || !*folder) {
        std::fprintf(stderr, "Set KELPFORGE_SCREENSHOTS to the folder for the pictures.\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kf::kApplicationTitle));
    // The pictures show the default placement, whatever the user's own settings say.
    QTemporaryDir settings;
    qputenv("KELPFORGE_SETTINGS_FOLDER", settings.path().toLocal8Bit());
    const QDir target(QString::fromLocal8Bit(folder));
    target.mkpath(QStringLiteral("."));

    kf::TQtPrompter prompter(kf::ProgramFolder());
    kf::TForm1 form(prompter);
    prompter.SetOwner(&form);
    form.show();
    bool saved = LoadSampleLicence(form, settings);
    for (int page = 1; page <= 6; ++page) {
        form.SelectPage(page);
        QApplication::processEvents();
        saved &= Save(&form, target, QStringLiteral("TForm1-page%1").arg(page));
    }
    form.SelectPage(2);
    form.findChild<QTabWidget*>(QStringLiteral("PageControl2"))->setCurrentIndex(1);
    QApplication::processEvents();
    saved &= Save(&form, target, QStringLiteral("TForm1-page2-readme"));
    for (const char* name : {"TForm3", "TForm4", "TForm5", "TForm7"})
        saved &= Save(form.findChild<QWidget*>(QLatin1String(name)), target, QLatin1String(name));
    return saved ? 0 : 1;
}
