#include "ui/ShellCommands.h"

#include <QDesktopServices>
#include <QStandardPaths>

namespace kf {

namespace {

const QString kWebSite = QStringLiteral("https://kelpforge.org");
const QString kSupportAddress = QStringLiteral("support@kelpforge.org");

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

void OpenWithDesktop(const QUrl& anUrl) {
    QDesktopServices::openUrl(anUrl);
}

void OpenHomePage() {
    OpenWithDesktop(HomePageUrl(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)));
}

} // namespace kf
