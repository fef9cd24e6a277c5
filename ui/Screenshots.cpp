// Renders every window and page to PNG files, so the program can be looked at without a display.
// Usage: KELPFORGE_SCREENSHOTS=folder QT_QPA_PLATFORM=offscreen kelpforge-screenshots
#include "project/HostPaths.h"
#include "project/ProjectDocument.h"
#include "ui/MainForm.h"
#include "ui/QtPrompter.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

bool Save(QWidget* aWidget, const QDir& aFolder, const QString& aName) {
    aWidget->ensurePolished();
    const QString path = aFolder.filePath(aName + QStringLiteral(".png"));
    if (aWidget->grab().save(path))
        return true;
    std::fprintf(stderr, "Unable to write to %s\n", qPrintable(path));
    return false;
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
    bool saved = true;
    for (int page = 1; page <= 6; ++page) {
        form.SelectPage(page);
        QApplication::processEvents();
        saved &= Save(&form, target, QStringLiteral("TForm1-page%1").arg(page));
    }
    for (const char* name : {"TForm3", "TForm4", "TForm5", "TForm7"})
        saved &= Save(form.findChild<QWidget*>(QLatin1String(name)), target, QLatin1String(name));
    return saved ? 0 : 1;
}
