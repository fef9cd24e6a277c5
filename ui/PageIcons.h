#pragma once

#include <QIcon>

namespace kf {

// The tree icon of page group aNumber (1 to 6: General, Text, Files, Shortcuts, Regedit, Finish),
// drawn here so each page is told apart at a glance on any desktop style.
QIcon PageIcon(int aNumber);

} // namespace kf
