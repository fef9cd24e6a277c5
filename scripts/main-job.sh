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
setup=$(mktemp -d)/KelpNotesSetup.exe
(cd examples && "$bin/kelpforge-cli" build Example.kfp -o "$setup")
"$bin/kelpforge-cli" inspect "$setup"
