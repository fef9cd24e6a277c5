#!/usr/bin/env bash
# The Setup Building window while one large file is packed (offscreen): the longest stretch without
# event processing, which bounds how late a click or a repaint is answered, and how long a confirmed
# Cancel takes to close the window. Prints figures only; targets: each under 200 ms (the whole build takes as long as packing the
# file with Normal compression).
#
# Usage: bench/cancel-bench.sh [build folder] [megabytes]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-out/release}
program="$build/bin/build_cancel_bench"
[ -x "$program" ] || { echo "no $program: build first (cmake --build $build)" >&2; exit 2; }
QT_QPA_PLATFORM=offscreen "$program" "${2:-300}"
