#pragma once

#include <QRect>

class QDialog;

namespace kf {

// The client area of a dialog of aSize centred on aScreenArea; one too large for it starts at its
// top left, so that the title bar stays within reach.
QRect CentredArea(const QSize& aSize, const QRect& aScreenArea);

// Centres the dialog's client area on the screen of its owner window (its own when it has none) at
// each showing. The frame is left out on purpose: the window manager tells its size only after the
// first showing, so placing by the frame would move the dialog between showings.
void CentreAtEachShowing(QDialog& aDialog);

} // namespace kf
