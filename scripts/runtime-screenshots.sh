#!/bin/sh
# Screenshots of every page of the setup wizard, for review: builds the example project against
# the 64-bit runtime of a build folder and walks through its setup under Xvfb and wine64. The
# project is changed to show a readme and to carry a large file, stored, so that the progress
# page stays long enough to be captured.
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
printf '%s\r\n' '{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}}' \
    '\pard\f0\fs20{\b What is new in Kelp Notes 1.0}\par' '\par' \
    'Notes are kept as plain text, one file a note.\par' '}' > Readme.rtf
head -c 400M /dev/urandom > files/big.bin
# No compression (5), the readme shown (11, 12), and the large file as a third row.
sed -i -e 's/^5=.*/5=0/' -e 's/^11=.*/11=1/' -e 's/^12=.*/12=Readme.rtf/' \
    -e 's/^\[Files\]/[Files]\n2=files\/big.bin?0?%Install Path%\\big.bin?Overwrite?Yes?No?/' Example.kfp
KELPFORGE_PROGRAM_FOLDER="$build/bin/" KELPFORGE_CABINET_LIBRARY="$build/bin/libkfcabinet.so" \
    "$build/bin/kelpforge-cli" build Example.kfp --set TargetWindows=1 -o "$work/Setup.exe"

display=:57
# The frame buffer is what the screen shows: xwd -root draws Wine's later windows (message boxes)
# black although the screen shows them.
mkdir -p "$work/screen"
Xvfb $display -fbdir "$work/screen" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display WINEPREFIX="$work/prefix" WINEDEBUG=-all
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wine64 "$work/Setup.exe" &
setup=$!

# ImageMagick by its full path: a stand-in of that name may come first in PATH.
# Usage: shot NAME [SECONDS to wait first]
shot() {
    sleep "${2:-4}"
    /usr/bin/convert "xwd:$work/screen/Xvfb_screen0" "$out/$1.png"
    echo "$out/$1.png"
}
# The setup checks its 400 MB before it shows the wizard.
xdotool search --sync --name 'Kelp Notes 1.0 Setup' >/dev/null
shot 1-welcome 2
# The Cancel question, answered No.
xdotool key Escape
shot 1-welcome-cancel-question 2
xdotool key Tab Return
xdotool key Return
shot 2-license
xdotool key alt+a
shot 3-license-accepted
xdotool key Return
shot 4-readme
xdotool key Return
shot 5-folder
xdotool key Return
shot 6-progress 1
shot 7-finish 30
xdotool key Return
wait $setup
