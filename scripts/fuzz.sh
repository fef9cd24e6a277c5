#!/usr/bin/env bash
# Fuzzes every reader of untrusted input: builds the fuzz targets with clang (libFuzzer, ASan,
# UBSan) in out/fuzz and runs each for SECONDS (default 60) from its seed corpus in
# tests/fuzz/corpus, growing a working corpus in out/fuzz/corpus. Prints executions per second and
# coverage per target; fails on any finding, printing the path of the input that shows it.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: setup cabinet data_file uninstall_log
#        command_line project_file bitmap rtf)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(setup cabinet data_file uninstall_log command_line project_file bitmap rtf)
build=out/fuzz

command -v clang++ > /dev/null || { echo "clang++ is missing: run scripts/setup.sh" >&2; exit 2; }
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DKF_FUZZ=ON -DBUILD_GUI=OFF -DBUILD_RUNTIME=OFF > /dev/null
cmake --build "$build" > /dev/null

findings=$PWD/$build/findings
mkdir -p "$findings"
failed=0
for target in "${targets[@]}"; do
    program=$build/bin/fuzz_$target
    [ -x "$program" ] || { echo "no fuzz target $target" >&2; exit 2; }
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    cp -n tests/fuzz/corpus/"$target"/* "$corpus"/
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$findings/$target-")
    [ -f "tests/fuzz/$target.dict" ] && options+=(-dict="tests/fuzz/$target.dict")
    # Qt keeps font and glyph caches for the whole run, which the leak check takes for leaks.
    [ "$target" = rtf ] && options+=(-detect_leaks=0)
    log=$build/fuzz-$target.log
    status=0
    QT_QPA_PLATFORM=offscreen "$program" "${options[@]}" "$corpus" > "$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    printf '%-14s %10s runs in %4d s  %8d exec/s  %s\n' "$target" "${runs:-0}" "$seconds" \
        "$(( ${runs:-0} / seconds ))" "${coverage:-cov: ?}"
    if [ "$status" -ne 0 ]; then
        failed=1
        echo "FINDING in $target: $(grep -o "Test unit written to .*" "$log" | tail -1 | cut -d' ' -f5-)" >&2
        grep -m 12 -E "ERROR|broken promise|runtime error|what\(\)|SUMMARY|in kf::" "$log" >&2 || tail -20 "$log" >&2
    fi
done
exit $failed
