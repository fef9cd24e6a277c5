#include "ui/ShellCommands.h"

#include "project/ProjectDocument.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace kf {

namespace {

const QString kWebSite = QStringLiteral("https://kelpforge.org");
const QString kSupportAddress = QStringLiteral("support@kelpforge.org");

TDesktopOpener& Opener() {
    static TDesktopOpener opener;
    return opener;
}

bool AskDesktop(const QUrl& anUrl) {
    return Opener() ? Opener()(anUrl) : QDesktopServices::openUrl(anUrl);
}

} // namespace

QUrl HomePageUrl(const QString& aDesktopFolder) {
    if (aDesktopFolder.endsWith(QStringLiteral("стол"), Qt::CaseSensitive))
        return QUrl(kWebSite + QStringLiteral("/ru/kelpforge/"));
    return QUrl(kWebSite + QStringLiteral("/kelpforge/"));
}

QString WebSiteAddress() {
    return kWebSite;
}

QString SupportAddress() {
    return kSupportAddress;
}

QUrl FeedbackUrl() {
    return QUrl(QStringLiteral("mailto:%1?subject=\"Kelpforge %2\"").arg(kSupportAddress, kProductVersion));
}

QUrl HelpFileUrl(const std::string& aProgramFolder) {
    return QUrl::fromLocalFile(QString::fromStdString(aProgramFolder) + QStringLiteral("Kelpforge.html"));
}

void SetDesktopOpener(TDesktopOpener anOpener) {
    Opener() = std::move(anOpener);
}

std::string CannotOpenText(const QUrl& anUrl) {
    if (anUrl.isLocalFile()) {
        const QString path = anUrl.toLocalFile();
        const QString reason = QFileInfo::exists(path)
                                   ? QStringLiteral("No program on this desktop opens this file.")
                                   : QStringLiteral("There is no file at this path.");
        return QStringLiteral("Cannot open \"%1\".\r%2").arg(path, reason).toStdString();
    }
    if (anUrl.scheme() == QLatin1String("mailto"))
        return QStringLiteral("Cannot write to %1.\rNo mail program is set up on this desktop.")
            .arg(anUrl.path())
            .toStdString();
    return QStringLiteral("Cannot open %1.\rNo program on this desktop opens this address.")
        .arg(anUrl.toDisplayString())
        .toStdString();
}

void OpenWithDesktop(const QUrl& anUrl, Prompter& aPrompter) {
    const bool missing = anUrl.isLocalFile() && !QFileInfo::exists(anUrl.toLocalFile());
    if (!missing && AskDesktop(anUrl))
        return;
    aPrompter.ShowMessage(
        TMessageBox{kApplicationTitle, CannotOpenText(anUrl), TMsgIcon::Error, TMsgButtons::Ok, 0});
}

void OpenHomePage(Prompter& aPrompter) {
    OpenWithDesktop(HomePageUrl(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)),
                    aPrompter);
}

} // namespace kf
