#!/usr/bin/env bash
# The main job: build the example project into a setup file with the command-line builder, then
# read the setup back and check it.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$PWD/out/release/bin/kelpforge-cli
setup=$(mktemp -d)/KelpNotesSetup.exe
(cd examples && "$cli" build Example.kfp -o "$setup")
"$cli" inspect "$setup"
