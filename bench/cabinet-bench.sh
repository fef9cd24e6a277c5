#!/usr/bin/env bash
# Packs one mixed corpus (Windows PE files, text, already-compressed data) with libkfcabinet's FCI,
# stored and MSZIP, next to gcab -c and gcab -c -z and cp, all on one core, and prints throughput
# and output/input ratios. It prints figures only: nothing here passes or fails.
#
# Usage: bench/cabinet-bench.sh [build folder] [corpus megabytes]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-out/release}
megabytes=${2:-60}
library="$build/bin/libkfcabinet.so"
[ -f "$library" ] || { echo "no $library: build first (cmake --build $build)" >&2; exit 2; }
for tool in gcab taskset c++; do
    command -v "$tool" > /dev/null || { echo "$tool is missing: run scripts/setup.sh" >&2; exit 2; }
done

work=$(mktemp -d /tmp/kfbench.XXXXXX)
trap 'rm -rf "$work"' EXIT
c++ -O2 -std=c++20 -Icabinet/include bench/cabinet_bench.cpp -o "$work/cabinet_bench" \
    -L"$build/bin" -lkfcabinet -Wl,-rpath,"$(realpath "$build/bin")"

# Copies files from the candidates, in name order, until the share of the corpus is reached.
collect() {
    local kind=$1 limit=$(($2 * 1024 * 1024)) total=0 index=0 size
    mkdir -p "$work/corpus/$kind"
    while IFS= read -r file; do
        size=$(stat -c %s "$file")
        [ "$size" -gt 0 ] || continue
        cp "$file" "$work/corpus/$kind/$index-$(basename "$file")"
        total=$((total + size))
        index=$((index + 1))
        [ "$total" -lt "$limit" ] || break
    done
    printf '  %-7s %4d files %8.1f MB\n' "$kind" "$index" "$(echo "$total / 1048576" | bc -l)"
}

echo "Corpus:"
share=$((megabytes * 4 / 10))
find /usr/lib/i386-linux-gnu/wine /usr/lib/x86_64-linux-gnu/wine /usr/i686-w64-mingw32 -type f \
    \( -name '*.dll' -o -name '*.exe' \) 2> /dev/null | sort > "$work/pe.list"
find /usr/include -type f -name '*.h' | sort > "$work/text.list"
{ find /var/cache/apt/archives -name '*.deb'; find /usr/share/doc -name '*.gz'; } 2> /dev/null | sort > "$work/packed.list"
collect pe "$share" < "$work/pe.list"
collect text $(((megabytes - share) / 2)) < "$work/text.list"
collect packed $(((megabytes - share) / 2)) < "$work/packed.list"

cd "$work/corpus"
find . -type f | sort > ../list
input=$(xargs -a ../list stat -c %s | paste -sd+ | bc)
cat $(cat ../list) > /dev/null # warm the page cache for every contender alike

# Best of three runs, in seconds, on one core.
measure() {
    local best="" start end seconds
    for _ in 1 2 3; do
        rm -rf "$work/out" && mkdir "$work/out"
        start=$(date +%s%N)
        taskset -c 0 "$@" > /dev/null
        end=$(date +%s%N)
        seconds=$(echo "($end - $start) / 1000000000" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$seconds < $best" | bc -l)" = 1 ]; then best=$seconds; fi
    done
    echo "$best"
}

declare -A time size
run() {
    local name=$1 output=$2
    shift 2
    time[$name]=$(measure "$@")
    size[$name]=$(find "$output" -type f -printf '%s\n' | paste -sd+ | bc)
}
run cp "$work/out/copy" cp -r . "$work/out/copy"
run none "$work/out/none.cab" "$work/cabinet_bench" none "$work/out/none.cab" ../list
run gcab "$work/out/gcab.cab" xargs -a ../list gcab -c "$work/out/gcab.cab"
run mszip "$work/out/mszip.cab" "$work/cabinet_bench" mszip "$work/out/mszip.cab" ../list
run gcab-z "$work/out/gcab-z.cab" xargs -a ../list gcab -c -z "$work/out/gcab-z.cab"

echo
printf 'Input: %d files, %.1f MB\n\n' "$(wc -l < ../list)" "$(echo "$input / 1048576" | bc -l)"
printf '%-22s %9s %10s %14s %10s\n' contender seconds MB/s "output bytes" output/in
for name in cp none gcab mszip gcab-z; do
    case $name in
    cp) label="cp -r" ;; none) label="kfcabinet NONE" ;; gcab) label="gcab -c" ;;
    mszip) label="kfcabinet MSZIP" ;; gcab-z) label="gcab -c -z" ;;
    esac
    printf '%-22s %9.3f %10.1f %14d %10.4f\n' "$label" "${time[$name]}" \
        "$(echo "$input / 1048576 / ${time[$name]}" | bc -l)" "${size[$name]}" \
        "$(echo "${size[$name]} / $input" | bc -l)"
done
echo
printf 'MSZIP output / gcab -z output: %.4f   (target: at most 0.96)\n' \
    "$(echo "${size[mszip]} / ${size[gcab-z]}" | bc -l)"
printf 'MSZIP speed / gcab -z speed:   %.3f    (target: at least 0.5)\n' \
    "$(echo "${time[gcab-z]} / ${time[mszip]}" | bc -l)"
printf 'NONE time / cp time:           %.3f    (target: at most 2)\n' \
    "$(echo "${time[none]} / ${time[cp]}" | bc -l)"
