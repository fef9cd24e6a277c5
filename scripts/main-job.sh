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
trap 'rm -rf "$work"' EXIT
setup=$work/KelpNotesSetup.exe
(cd examples && "$bin/kelpforge-cli" build Example.kfp --set IncludeUninstaller=1 -o "$setup")
"$bin/kelpforge-cli" inspect "$setup"

# The setup as a Windows user runs it: the shipped 32-bit runtime installs and uninstalls silently
# under Wine's 32-bit loader, on machines that run no 32-bit code with qemu-i386 behind every
# 32-bit program (the uninstaller's copy included).
run=(bash)
if bash scripts/emulated-i386.sh --needed; then
    echo "This machine runs no 32-bit programs: running them under qemu-i386."
    run=(bash scripts/emulated-i386.sh bash)
fi
"${run[@]}" scripts/install-example.sh "$setup" "$work/prefix"
