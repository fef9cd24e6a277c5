#include "ui/Glyphs.h"

#include <QPixmap>

#include <array>

namespace kf {

namespace {

constexpr std::array<const char*, 16> kNames{
    "project", "general", "text",  "files",         "shortcuts", "regedit",   "finish", "new",
    "open",    "save",    "build", "build-and-run", "help",      "home-page", "about",  "exit"};

} // namespace

QIcon GlyphIcon(TGlyph aGlyph) {
    const QString name = QLatin1String(kNames.at(static_cast<size_t>(aGlyph)));
    QIcon icon;
    // Drawn at each size rather than scaled, so lines stay sharp on dense screens.
    for (const int size : {16, 24, 32, 48})
        icon.addPixmap(QPixmap(QStringLiteral(":/glyphs/%1-%2.png").arg(name).arg(size)));
    return icon;
}

QIcon PageIcon(int aNumber) {
    return GlyphIcon(static_cast<TGlyph>(static_cast<int>(TGlyph::General) + aNumber - 1));
}

} // namespace kf
