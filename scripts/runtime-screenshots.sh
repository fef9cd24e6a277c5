#!/bin/sh
# Screenshots of every page of the setup wizard, for review: builds the example project against
# the 64-bit runtime of a build folder and walks through its setup under Xvfb and wine64.
# Usage: scripts/runtime-screenshots.sh BUILD_FOLDER OUTPUT_FOLDER
set -eu
build=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")
source=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
xvfb=
trap 'kill $xvfb 2>/dev/null || true; WINEPREFIX=$work/prefix /usr/lib/wine/wineserver64 -k 2>/dev/null || true; rm -rf "$work"' EXIT

cp -r "$source/examples" "$source/resources" "$work/"
cd "$work/examples"
KELPFORGE_PROGRAM_FOLDER="$build/runtime-x86_64/" KELPFORGE_CABINET_LIBRARY="$build/bin/libkfcabinet.so" \
    "$build/bin/kelpforge-cli" build Example.kfp -o "$work/Setup.exe"

display=:57
Xvfb $display -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display WINEPREFIX="$work/prefix" WINEDEBUG=-all
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wine64 "$work/Setup.exe" &

# ImageMagick by its full path: a stand-in of that name may come first in PATH.
shot() {
    sleep 4
    xwd -root -silent | /usr/bin/convert xwd:- "$out/$1.png"
    echo "$out/$1.png"
}
shot 1-welcome
xdotool key Return
shot 2-license
xdotool key alt+a
shot 3-license-accepted
xdotool key Return
shot 4-folder
xdotool key Return
shot 5-finish
xdotool key Return
wait
