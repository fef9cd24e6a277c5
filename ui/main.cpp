#include "project/HostPaths.h"
#include "project/ProjectDocument.h"
#include "ui/MainForm.h"
#include "ui/QtPrompter.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kf::kApplicationTitle));
    kf::TQtPrompter prompter(kf::ProgramFolder());
    kf::TForm1 form(prompter);
    prompter.SetOwner(&form);
    form.show();
    return application.exec();
}
