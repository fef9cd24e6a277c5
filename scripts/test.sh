#!/usr/bin/env bash
# Runs every test: the full build in out/release, then the core without Qt under AddressSanitizer and
# UBSan, then a short fuzzing run of every reader of untrusted input.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake --build out/release
ctest --test-dir out/release --output-on-failure -j "$jobs"

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
