#pragma once

#include <QIcon>

namespace kf {

// The main window's images, drawn by resources/make-glyphs.py so that each reads as what it stands
// for on any desktop style: the page tree's nodes, then the menu and toolbar commands.
enum class TGlyph {
    Project,
    General,
    Text,
    Files,
    Shortcuts,
    Regedit,
    Finish,
    New,
    Open,
    Save,
    Build,
    BuildAndRun,
    Help,
    HomePage,
    About,
    Exit
};

QIcon GlyphIcon(TGlyph aGlyph);
// The tree icon of page group aNumber (1 to 6: General, Text, Files, Shortcuts, Regedit, Finish).
QIcon PageIcon(int aNumber);

} // namespace kf
