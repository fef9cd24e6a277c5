#!/usr/bin/env bash
# Kills kelpforge-cli builds with SIGKILL at random moments (while packing, and while a slow sign
# command works on the finished setup), prints what each left behind, then runs one more build and
# prints what is left after it: nothing, or the script fails.
#
# Usage: bench/kill-trial.sh [build folder] [trials]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$PWD/${1:-out/release}/bin/kelpforge-cli
trials=${2:-12}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work/tmp
mkdir -p "$TMPDIR" "$work/out" "$work/src"
head -c $((64 << 20)) /dev/urandom > "$work/src/large.bin"
printf 'text\n' > "$work/src/small.txt"
printf '[Settings]\r\n1=Trial\r\n4=%s\r\n5=2\r\n6=%s\r\n7=%s\r\n[Files]\r\n' \
    "$work/out/Setup.exe" "$PWD/resources/Logo.bmp" "$PWD/resources/Header.bmp" > "$work/trial.kfp"
printf '0=%s?0?%%Install Path%%\\large.bin?Overwrite?Yes?No?\r\n1=%s?0?%%Install Path%%\\small.txt?Overwrite?Yes?No?\r\n' \
    "$work/src/large.bin" "$work/src/small.txt" >> "$work/trial.kfp"

leftovers() {
    local folders spools partial bytes
    folders=$(find "$TMPDIR" -maxdepth 1 -name 'kelpforge-build-*' | wc -l)
    spools=$(find "$TMPDIR" -maxdepth 1 -name 'qvc*' | wc -l)
    partial=$(find "$work/out" -maxdepth 1 -name '.Setup.exe.*' | wc -l)
    bytes=$(find "$TMPDIR" "$work/out" -type f ! -name Setup.exe -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
    printf '%13d  %11d  %14d  %12d' "$folders" "$spools" "$partial" "$bytes"
}

printf '%5s  %-8s  %8s  %13s  %11s  %14s  %12s\n' trial phase "delay s" "build folders" "spool files" \
    "partial setups" "bytes left"
for trial in $(seq 1 "$trials"); do
    delay=$(printf '0.%03d' $((RANDOM % 1000)))
    if ((trial % 2 == 0)); then
        phase=signing
        sign=(--sign 'case {file} in *.tmp) sleep 30;; esac')
    else
        phase=packing
        sign=()
    fi
    setsid "$cli" build "$work/trial.kfp" --quiet "${sign[@]}" > /dev/null 2>&1 &
    build=$!
    if [ "$phase" = signing ]; then
        until compgen -G "$work/out/.Setup.exe.*" > /dev/null || ! kill -0 "$build" 2> /dev/null; do sleep 0.05; done
    fi
    sleep "$delay"
    kill -KILL -- -"$build" 2> /dev/null || true
    wait "$build" 2> /dev/null || true
    printf '%5d  %-8s  %8s  %s\n' "$trial" "$phase" "$delay" "$(leftovers)"
done

"$cli" build "$work/trial.kfp" --quiet
printf '%5s  %-8s  %8s  %s\n' next build - "$(leftovers)"
left=$(find "$TMPDIR" -mindepth 1 | wc -l)
partial=$(find "$work/out" -maxdepth 1 -name '.Setup.exe.*' | wc -l)
if [ "$left" -ne 0 ] || [ "$partial" -ne 0 ]; then
    echo "The next build left $left entries in the temporary folder and $partial partial setups." >&2
    exit 1
fi
echo "Nothing is left after the next build."
