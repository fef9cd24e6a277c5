#!/usr/bin/env bash
# Packs the build benchmark's corpus (Windows PE files, text, already-compressed files) into one
# cabinet with libkfcabinet at LZX window levels 15, 18 and 21 and with MSZIP, and compresses the
# same files one by one with gzip -9 and xz -9, in the same run. Prints output size, throughput and
# peak memory, and the LZX targets beside the measured ratios. It prints figures only.
#
# Usage: bench/lzx-bench.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-out/release}
library="$build/bin/libkfcabinet.so"
[ -f "$library" ] || { echo "no $library: build first (cmake --build $build)" >&2; exit 2; }
for tool in c++ gzip xz bc; do
    command -v "$tool" > /dev/null || { echo "$tool is missing: run scripts/setup.sh" >&2; exit 2; }
done

work=$(mktemp -d /tmp/kflzx.XXXXXX)
trap 'rm -rf "$work"' EXIT
c++ -O2 -std=c++20 -Icabinet/include bench/cabinet_bench.cpp -o "$work/cabinet_bench" \
    -L"$build/bin" -lkfcabinet -Wl,-rpath,"$(realpath "$build/bin")"

corpus=$work/corpus
. bench/corpus.sh
make_corpus "$corpus"
find "$corpus" -type f | sort > "$work/list"
input=$(xargs -a "$work/list" stat -c %s | paste -sd+ | bc)
cat $(cat "$work/list") > /dev/null # warm the page cache for every contender alike
printf 'Corpus: %d files, %.1f MB\n\n' "$(wc -l < "$work/list")" "$(echo "$input / 1048576" | bc -l)"

declare -A size seconds peak
# name, output, command...: records the output size, the CPU seconds (user + system, which other
# work on a shared machine does not inflate) and the peak resident memory.
measure() {
    local name=$1 output=$2 user system kilobytes
    shift 2
    /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" > /dev/null
    read -r user system kilobytes < "$work/time"
    seconds[$name]=$(echo "$user + $system" | bc -l)
    peak[$name]=$(echo "$kilobytes / 1024" | bc -l)
    size[$name]=$(bytes_in "$output")
}
for level in 15 18 21; do
    measure "lzx$level" "$work/lzx$level.cab" "$work/cabinet_bench" "lzx:$level" "$work/lzx$level.cab" "$work/list"
done
measure mszip "$work/mszip.cab" "$work/cabinet_bench" mszip "$work/mszip.cab" "$work/list"
per_file() { # compressor, suffix: every file compressed on its own
    mkdir -p "$work/$2"
    while IFS= read -r file; do "$1" -9 -c "$file" > "$work/$2/$(basename "$file").$2"; done < "$work/list"
}
export -f per_file; export work
measure gzip "$work/gz" bash -c 'per_file gzip gz'
measure xz "$work/xz" bash -c 'per_file xz xz'

printf '%-26s %14s %10s %10s %12s\n' contender "output bytes" output/in "CPU MB/s" "peak MB"
for name in lzx15 lzx18 lzx21 mszip gzip xz; do
    case $name in
    lzx*) label="kfcabinet LZX ${name#lzx}" ;; mszip) label="kfcabinet MSZIP" ;;
    gzip) label="gzip -9 per file" ;; xz) label="xz -9 per file" ;;
    esac
    printf '%-26s %14d %10.4f %10.2f %12.1f\n' "$label" "${size[$name]}" "$(echo "${size[$name]} / $input" | bc -l)" \
        "$(echo "$input / 1048576 / ${seconds[$name]}" | bc -l)" "${peak[$name]}"
done
echo
printf 'LZX 21 output / xz -9 per file: %.4f   (target: at most 1.05)\n' "$(echo "${size[lzx21]} / ${size[xz]}" | bc -l)"
printf 'LZX 21 output / MSZIP output:   %.4f   (target: at most 0.88)\n' "$(echo "${size[lzx21]} / ${size[mszip]}" | bc -l)"
printf 'LZX 21 peak memory:             %.1f MB (target: under 100)\n' "${peak[lzx21]}"
