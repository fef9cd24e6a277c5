#!/usr/bin/env bash
# The Setup Building window while large files are packed (offscreen): the longest stretch without
# event processing, which bounds how late a click or a repaint is answered, and how long a confirmed
# Cancel takes to close the window, waiting for every packing thread: with the large file as the
# only row, behind a small first row (packed on a worker while the first is taken), and as two large
# rows; then stored files cancelled every 50 ms, so that some Cancels fall into the writing of the
# cabinet file. Prints figures only; targets: each under 200 ms.
#
# Usage: bench/cancel-bench.sh [build folder] [megabytes]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-out/release}
program="$build/bin/build_cancel_bench"
[ -x "$program" ] || { echo "no $program: build first (cmake --build $build)" >&2; exit 2; }
QT_QPA_PLATFORM=offscreen "$program" "${2:-300}"
