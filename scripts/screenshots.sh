#!/bin/sh
# Screenshots of the desktop program for review, without a display: every window and page at the
# default size (630 x 480) and at the minimum size, the Files page also at 1300 x 800, with sample
# files whose source paths are long.
# Usage: scripts/screenshots.sh BUILD_FOLDER OUTPUT_FOLDER
set -eu
[ $# -eq 2 ] || { echo "usage: $0 BUILD_FOLDER OUTPUT_FOLDER" >&2; exit 2; }
program=$(realpath "$1")/bin/kelpforge-screenshots
[ -x "$program" ] || { echo "no $program: build first (cmake --build $1)" >&2; exit 2; }
mkdir -p "$2"
KELPFORGE_SCREENSHOTS=$(realpath "$2") QT_QPA_PLATFORM=offscreen "$program"
ls "$2"
