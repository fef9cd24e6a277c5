#!/bin/sh
# Screenshots of the desktop program as a window manager frames it (Xvfb and openbox), for what the
# offscreen pictures cannot show: title bars. The main window with the View menu open, and the
# "Wrong information!" box of a build of the empty new project, its caption whole in its title bar.
# Usage: scripts/desktop-screenshots.sh BUILD_FOLDER OUTPUT_FOLDER
set -eu
[ $# -eq 2 ] || { echo "usage: $0 BUILD_FOLDER OUTPUT_FOLDER" >&2; exit 2; }
program=$(realpath "$1")/bin/kelpforge
[ -x "$program" ] || { echo "no $program: build first (cmake --build $1)" >&2; exit 2; }
for tool in Xvfb openbox xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup.sh" >&2; exit 2; }
done
mkdir -p "$2"
out=$(realpath "$2")
work=$(mktemp -d)
pids=
trap 'kill $pids 2>/dev/null || true; rm -rf "$work"' EXIT

export DISPLAY=:59
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
pids="$!"
sleep 1
openbox >/dev/null 2>&1 &
pids="$pids $!"
sleep 1
KELPFORGE_SETTINGS_FOLDER="$work" "$program" >/dev/null 2>&1 &
pids="$pids $!"
window=$(xdotool search --sync --name '^Kelpforge$' | head -1)
xdotool windowactivate --sync "$window"
sleep 1
xdotool key alt+v
sleep 1
import -window root "$out/desktop-view-menu.png"
xdotool key Escape
sleep 0.5
xdotool key F9
sleep 2
import -window root "$out/desktop-wrong-information.png"
xdotool key Return
ls "$out"/desktop-*.png
