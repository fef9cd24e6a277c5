#!/usr/bin/env bash
# The main job: a smoke run of the command-line front end on a new project.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=out/release/bin/kelpforge-cli
project=$(mktemp -d)/Example.kfp
"$cli" new "$project"
"$cli" show "$project"
