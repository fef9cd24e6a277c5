#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace kf {

// The width a window needs for the window manager to show aCaption whole in its title bar: the
// caption in a bold title font, with room for the window icon and three title-bar buttons. Message
// boxes size themselves by their text alone, so a short text cuts a longer caption.
int WidthForCaption(const QString& aCaption, const QWidget& aWindow);

// Widens the box to WidthForCaption of its title when its text would leave it narrower.
void WidenForCaption(QMessageBox& aBox);

} // namespace kf
