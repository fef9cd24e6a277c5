#!/usr/bin/env bash
# The main job: the desktop program when there is a display; otherwise, say so and build the example
# project into a setup file with the command-line builder, then read the setup back and check it.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$PWD/out/release/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$bin/kelpforge" ]; then
    exec "$bin/kelpforge"
fi
echo "No display: building the example project with the command-line builder instead."
work=$(mktemp -d)
setup=$work/KelpNotesSetup.exe
(cd examples && "$bin/kelpforge-cli" build Example.kfp --set IncludeUninstaller=1 -o "$setup")
"$bin/kelpforge-cli" inspect "$setup"

# The setup as a Windows user runs it: the shipped 32-bit runtime installs and uninstalls silently
# under Wine's 32-bit loader (under qemu-i386 where this machine runs no 32-bit code).
wine32=(/usr/lib/wine/wine)
"${wine32[@]}" --version > /dev/null 2>&1 || wine32=(qemu-i386 /usr/lib/wine/wine)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
/usr/lib/wine/wine64 wineboot -i > /dev/null 2>&1
"${wine32[@]}" "$setup" /S '/D=C:\Kelp Notes' '/LOG=C:\install.log'
echo "Installed silently: $(ls "$WINEPREFIX/drive_c/Kelp Notes" | tr '\n' ' ')"
"${wine32[@]}" 'C:\Kelp Notes\Uninstall.exe' /S '/LOG=C:\uninstall.log'
/usr/lib/wine/wineserver -w
if [ -e "$WINEPREFIX/drive_c/Kelp Notes" ]; then
    echo "The uninstaller left C:\Kelp Notes behind" >&2
    exit 1
fi
echo "Uninstalled silently: C:\Kelp Notes is gone."
/usr/lib/wine/wineserver -k 2>/dev/null || true
rm -rf "$work"
