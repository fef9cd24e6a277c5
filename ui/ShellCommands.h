#pragma once

#include "project/Prompter.h"

#include <QString>
#include <QUrl>

#include <functional>
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

// Asks the desktop to open an address and tells whether it could. Tests put one that refuses in
// place of the desktop's own; an empty one brings that back.
using TDesktopOpener = std::function<bool(const QUrl&)>;
void SetDesktopOpener(TDesktopOpener anOpener);

// What the message box says when anUrl cannot be opened: the file path or the address, and why.
std::string CannotOpenText(const QUrl& anUrl);
// Opens anUrl with the desktop. A local file that is not there is reported without asking the desktop, as
// some desktops start their opener anyway and only it learns of the failure.
void OpenWithDesktop(const QUrl& anUrl, Prompter& aPrompter);
void OpenHomePage(Prompter& aPrompter);

} // namespace kf
