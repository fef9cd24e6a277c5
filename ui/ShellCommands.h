#pragma once

#include <QString>
#include <QUrl>

#include <string>

namespace kf {

inline constexpr const char* kProductVersion = "2.1.7";

// The home page, or its Russian twin when the desktop folder's name ends in "стол".
QUrl HomePageUrl(const QString& aDesktopFolder);
QString WebSiteAddress();
QString SupportAddress();
// mailto: the support address with the product and version as the quoted subject.
QUrl FeedbackUrl();
QUrl HelpFileUrl(const std::string& aProgramFolder);

// The desktop's opener; its result is not looked at, as a missing target is not reported.
void OpenWithDesktop(const QUrl& anUrl);
void OpenHomePage();

} // namespace kf
