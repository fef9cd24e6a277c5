#!/usr/bin/env bash
# Opens projects of 25,000, 100,000 and 200,000 rows (each row its own one-byte file) with
# `kelpforge-cli show` and prints the wall time, beside the time that merely opening and measuring
# as many files takes on this machine (the floor that any Open has to pay). Prints figures only.
#
# Usage: bench/open-bench.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$PWD/${1:-out/release}/bin/kelpforge-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import os, sys
work = sys.argv[1]
for count in (25000, 100000, 200000):
    with open(f"{work}/rows-{count}.kfp", "w", newline="") as project:
        project.write(f"[Settings]\r\n1=Rows\r\n4={work}/Setup.exe\r\n[Files]\r\n")
        for i in range(count):
            source = f"{work}/src/{i % 1000:03d}/f{i}.txt"
            if count == 200000:
                os.makedirs(os.path.dirname(source), exist_ok=True)
                with open(source, "w") as f:
                    f.write("x")
            project.write(f"{i}={source}?0?%Install Path%\\{i % 1000}\\f{i}.txt?Overwrite?Yes?No?\r\n")
PY

floor() {
    python3 - "$work" "$1" <<'PY'
import os, sys, time
work, count = sys.argv[1], int(sys.argv[2])
start = time.monotonic()
for i in range(count):
    fd = os.open(f"{work}/src/{i % 1000:03d}/f{i}.txt", os.O_RDONLY | os.O_NONBLOCK)
    os.fstat(fd)
    os.close(fd)
print(f"{time.monotonic() - start:.2f}")
PY
}

printf '%8s  %10s  %22s\n' rows "Open (s)" "open+fstat+close (s)"
for count in 25000 100000 200000; do
    "$cli" show "$work/rows-$count.kfp" > /dev/null # warm the file system's caches
    start=$(date +%s.%N)
    "$cli" show "$work/rows-$count.kfp" > /dev/null
    end=$(date +%s.%N)
    printf '%8d  %10.2f  %22s\n' "$count" "$(echo "$end - $start" | bc -l)" "$(floor "$count")"
done
