#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

class QWidget;

namespace kf {

// The client area of a window moved, and shrunk when larger than the screen, so that its title bar
// (the frame strip above the client area, aFrame.top() high) lies inside the available area of one
// screen: the one the title bar overlaps most, or the nearest when it overlaps none. An area that
// already has its title bar on a screen comes back unchanged.
QRect TitleBarOnScreen(const QRect& anArea, const QMargins& aFrame, const QList<QRect>& aScreenAreas);

// Applies TitleBarOnScreen to a top-level window with the screens now attached. Before the window
// manager has framed the window its frame is unknown; the style's title bar height stands in.
void KeepTitleBarOnScreen(QWidget& aWindow);

} // namespace kf
