#!/usr/bin/env bash
# Runs every test: the full build in out/release, then the core without Qt under AddressSanitizer and
# UBSan, then a short fuzzing run of every reader of untrusted input.
# KELPFORGE_I386=emulated runs the Wine tests' 32-bit programs under qemu-i386 even where the kernel
# could run them (see scripts/emulated-i386.sh); by default only where it cannot.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake --build out/release
if bash scripts/emulated-i386.sh --needed; then
    echo "test.sh: the Wine tests run every 32-bit program under qemu-i386 (KELPFORGE_I386=${KELPFORGE_I386:-auto})"
    status=0
    ctest --test-dir out/release --output-on-failure -j "$jobs" -LE wine || status=$?
    start=$SECONDS
    bash scripts/emulated-i386.sh ctest --test-dir out/release --output-on-failure -j "$jobs" -L wine ||
        status=$?
    echo "test.sh: the Wine tests took $((SECONDS - start)) s under emulation"
    [ "$status" -eq 0 ] || exit "$status"
else
    ctest --test-dir out/release --output-on-failure -j "$jobs"
fi

cmake -S . -B out/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_GUI=OFF -DBUILD_RUNTIME=OFF \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
    -DCMAKE_C_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build out/asan
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir out/asan --output-on-failure -j "$jobs" -L core

# Every reader of untrusted input under libFuzzer for a short while, so each submission is fuzzed.
bash scripts/fuzz.sh 30
