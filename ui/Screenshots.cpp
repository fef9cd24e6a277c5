// Renders every window and page to PNG files, so the program can be looked at without a display:
// the pages at the default size and at the minimum size, the Files page also at a wide size, the
// toolbar and each menu.
// Usage: KELPFORGE_SCREENSHOTS=folder QT_QPA_PLATFORM=offscreen kelpforge-screenshots
#include "project/HostPaths.h"
#include "project/ProjectDocument.h"
#include "ui/FilesPage.h"
#include "ui/MainForm.h"
#include "ui/QtPrompter.h"
#include "ui/TextPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>

#include <array>
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

// Files an author's release folder typically has, with long paths for the table's columns.
constexpr std::array<const char*, 5> kSampleFiles{
    "KelpNotes.exe",
    "KelpNotesUpdater.exe",
    "translations/kelpnotes_pt_BR.qm",
    "plugins/imageformats/qjpeg.dll",
    "plugins/platforms/windows/qwindows.dll",
};

// Adds a sample release folder through the Files page as the author would.
bool AddSampleFiles(kf::TForm1& aForm, const QTemporaryDir& aFolder) {
    const QDir release(aFolder.filePath(QStringLiteral("Kelp Notes 1.0 Release Candidate/build/release")));
    for (const char* name : kSampleFiles) {
        const QString path = release.filePath(QLatin1String(name));
        QFile file(path);
        if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly) ||
            file.write("sample") != 6) {
            std::fprintf(stderr, "Unable to write to %s\n", qPrintable(path));
            return false;
        }
    }
    auto* page = aForm.findChild<kf::TFilesPage*>(QStringLiteral("FilesPage"));
    page->ChooseFolder = [folder = release.path().toStdString()] {
        return std::optional<std::string>(folder);
    };
    page->Button7Click();
    return true;
}

// The Files page at a size other than the default.
bool SaveFilesPage(kf::TForm1& aForm, const QDir& aFolder, const QSize& aSize, const QString& aName) {
    aForm.resize(aSize);
    aForm.SelectPage(3);
    QApplication::processEvents();
    return Save(&aForm, aFolder, aName);
}

// Every page at the window's minimum size, where the pages scroll rather than overlap.
bool SaveMinimumSizePages(kf::TForm1& aForm, const QDir& aFolder) {
    aForm.resize(aForm.minimumSize());
    QApplication::processEvents();
    bool saved = true;
    for (int page = 1; page <= 6; ++page) {
        aForm.SelectPage(page);
        QApplication::processEvents();
        saved &= Save(&aForm, aFolder, QStringLiteral("TForm1-page%1-minimum").arg(page));
    }
    return saved;
}

// The toolbar as it stands, and four times as large with its pixels kept, to judge the glyphs.
bool SaveToolBar(kf::TForm1& aForm, const QDir& aFolder) {
    auto* toolBar = aForm.findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    const QImage picture = toolBar->grab().toImage();
    const QString path = aFolder.filePath(QStringLiteral("ToolBar1-x4.png"));
    if (!picture.scaled(picture.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(path)) {
        std::fprintf(stderr, "Unable to write to %s\n", qPrintable(path));
        return false;
    }
    return Save(toolBar, aFolder, QStringLiteral("ToolBar1"));
}

// Each menu of the menu bar opened below its title.
bool SaveMenus(kf::TForm1& aForm, const QDir& aFolder) {
    bool saved = true;
    for (QAction* title : aForm.menuBar()->actions()) {
        QMenu* menu = title->menu();
        menu->popup(aForm.menuBar()->mapToGlobal(aForm.menuBar()->actionGeometry(title).bottomLeft()));
        QApplication::processEvents();
        saved &= Save(menu, aFolder, QStringLiteral("Menu-") + menu->objectName());
        menu->hide();
    }
    return saved;
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
    bool saved = LoadSampleLicence(form, settings) && AddSampleFiles(form, settings);
    for (int page = 1; page <= 6; ++page) {
        form.SelectPage(page);
        QApplication::processEvents();
        saved &= Save(&form, target, QStringLiteral("TForm1-page%1").arg(page));
    }
    form.SelectPage(2);
    form.findChild<QTabWidget*>(QStringLiteral("PageControl2"))->setCurrentIndex(1);
    QApplication::processEvents();
    saved &= Save(&form, target, QStringLiteral("TForm1-page2-readme"));
    saved &= SaveFilesPage(form, target, QSize(1300, 800), QStringLiteral("TForm1-page3-wide"));
    saved &= SaveMinimumSizePages(form, target);
    form.resize(630, 480);
    QApplication::processEvents();
    saved &= SaveToolBar(form, target) && SaveMenus(form, target);
    for (const char* name : {"TForm3", "TForm4", "TForm5", "TForm7"})
        saved &= Save(form.findChild<QWidget*>(QLatin1String(name)), target, QLatin1String(name));
    return saved ? 0 : 1;
}
