#!/usr/bin/env bash
# Add folder on a tree of 10,000 small files and Open of a 3,000-row project in the desktop
# program (offscreen), with the peak memory of the run. Prints figures only; targets: each under 2 s.
#
# Usage: bench/ui-bench.sh [build folder] [files] [rows]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-out/release}
program="$build/bin/ui_bench"
[ -x "$program" ] || { echo "no $program: build first (cmake --build $build)" >&2; exit 2; }
command -v /usr/bin/time > /dev/null || { echo "/usr/bin/time is missing: run scripts/setup.sh" >&2; exit 2; }

QT_QPA_PLATFORM=offscreen /usr/bin/time -f 'peak memory: %M KB' "$program" "${2:-10000}" "${3:-3000}"
