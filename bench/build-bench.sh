#!/usr/bin/env bash
# Builds one corpus project (Windows PE files, text, already-compressed files; over 50 MB and 1,000
# files) at each compression level, file by file and solid, with kelpforge-cli and prints wall and CPU
# time, peak memory and setup size, beside makensis (zlib, lzma file by file and /SOLID lzma) and
# gzip -9 per file on the same files. Prints figures only.
# Every measured run starts on a settled file system, about 35 s after the previous one.
#
# Usage: bench/build-bench.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$PWD/${1:-out/release}/bin/kelpforge-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
. bench/corpus.sh
make_corpus "$corpus"
files=$(find "$corpus" -type f | wc -l)
bytes=$(bytes_in "$corpus")
printf 'Corpus: %d files, %.1f MB\n\n' "$files" "$(echo "$bytes / 1048576" | bc -l)"

# The project: every corpus file below %Install Path%.
project=$work/corpus.kfp
{
    printf '[Settings]\r\n1=Corpus\r\n2=1.0\r\n3=Bench\r\n4=%s\r\n5=%s\r\n6=%s\r\n7=%s\r\n' \
        "$work/setup.exe" "__LEVEL__" "$PWD/resources/Logo.bmp" "$PWD/resources/Header.bmp"
    printf '[Files]\r\n'
    i=0
    while IFS= read -r file; do
        printf '%d=%s?0?%%Install Path%%\\%s?Overwrite?Yes?No?\r\n' "$i" "$file" "${file#"$corpus"/}"
        i=$((i + 1))
    done < <(find "$corpus" -type f | sort)
} > "$project.template"

declare -A results
settle=$(( $(cat /proc/sys/vm/dirty_expire_centisecs 2>/dev/null || echo 3000) / 100 + 5 ))
measure() { # label, output, command...: prints seconds, peak MB and output size
    local label=$1 output=$2; shift 2
    rm -rf "$output"
    # Each run starts with nothing left to write back, so that none pays for the one before. An ext4
    # file system without a journal also passes over the inodes freed in the last
    # dirty_expire_centisecs + 5 s each time it creates a file: a build that follows another one's
    # clean-up (over a thousand files) at once pays for it, so each run waits that long first.
    sync
    sleep "$settle"
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" > /dev/null 2>&1 || { printf '%-30s failed\n' "$label"; return; }
    read -r seconds user system kilobytes < "$work/time"
    size=$(bytes_in "$output")
    results[$label]="$seconds $size $kilobytes"
    printf '%-30s %7.2f s %7.2f s CPU %7.1f MB peak %8.2f MB  (%.3f of input)\n' "$label" "$seconds" \
        "$(echo "$user + $system" | bc -l)" "$(echo "$kilobytes / 1024" | bc -l)" \
        "$(echo "$size / 1048576" | bc -l)" "$(echo "$size / $bytes" | bc -l)"
}

# A setup figure is only worth something if the setup gives the files back as they were.
check_extract() { # label
    rm -rf "$work/extracted"
    "$cli" extract "$work/setup.exe" "$work/extracted" > /dev/null
    diff -r "$work/extracted/%Install Path%" "$corpus" > /dev/null ||
        { echo "the $1 setup does not give the corpus back" >&2; exit 1; }
}

names=("No compression" "Normal (MSZIP)" "Maximal (LZX)")
for level in 0 1 2; do
    sed "s/__LEVEL__/$level/" "$project.template" > "$project"
    measure "kelpforge ${names[$level]}" "$work/setup.exe" "$cli" build "$project"
    check_extract "${names[$level]}"
done
for level in 1 2; do
    sed "s/__LEVEL__/$level/" "$project.template" > "$project"
    measure "kelpforge ${names[$level]} solid" "$work/setup.exe" "$cli" build "$project" --set Solid=1
    check_extract "${names[$level]} solid"
done

# Identical files as real products list them, a runtime library beside every plug-in: the first
# twenty PE files again in each of four plug-in folders, under their own names.
plugins=$work/plugins
for plugin in 1 2 3 4; do
    mkdir -p "$plugins/p$plugin"
    find "$corpus/pe" -type f | sort | head -20 | xargs cp -t "$plugins/p$plugin"
done
duplicates=$(bytes_in "$plugins")
{
    sed 's/__LEVEL__/1/' "$project.template"
    i=$files
    while IFS= read -r file; do
        printf '%d=%s?0?%%Install Path%%\\plugins\\%s?Overwrite?Yes?No?\r\n' "$i" "$file" "${file#"$plugins"/}"
        i=$((i + 1))
    done < <(find "$plugins" -type f | sort)
} > "$project"
printf '\nWith %.1f MB of identical files added (Normal):\n' "$(echo "$duplicates / 1048576" | bc -l)"
corpus_bytes=$bytes
bytes=$((bytes + duplicates)) # the share of input counts the copies too
measure "kelpforge stored once" "$work/setup.exe" "$cli" build "$project"
measure "kelpforge --keep-duplicates" "$work/setup.exe" "$cli" build "$project" --keep-duplicates
bytes=$corpus_bytes
read -r _ once_size _ <<< "${results["kelpforge stored once"]:-0 0}"
read -r _ kept_size _ <<< "${results["kelpforge --keep-duplicates"]:-0 0}"
if [ "$once_size" -gt 0 ] && [ "$kept_size" -gt 0 ]; then
    printf 'Stored once / kept apart: %.4f\n\n' "$(echo "$once_size / $kept_size" | bc -l)"
fi

measure "cp (copy of the files)" "$work/copy" cp -r "$corpus" "$work/copy"
gzip_all() { mkdir -p "$work/gz"; find "$corpus" -type f -exec sh -c 'gzip -9 -c "$1" > "$2/$(basename "$1").gz"' _ {} "$work/gz" \; ; }
export -f gzip_all; export corpus work
measure "gzip -9 per file" "$work/gz" bash -c gzip_all

for compressor in zlib lzma "/SOLID lzma"; do
    cat > "$work/bench.nsi" <<NSI
SetCompressor $compressor
OutFile "$work/nsis.exe"
InstallDir "\$PROGRAMFILES\\Corpus"
Section
SetOutPath "\$INSTDIR"
File /r "$corpus/*"
SectionEnd
NSI
    measure "makensis $compressor" "$work/nsis.exe" makensis -V1 "$work/bench.nsi"
done

# The targets' terms: the Normal setup against gzip -9 per file (size) and makensis zlib (time), No
# compression against cp (time).
read -r normal_seconds normal_size _ <<< "${results["kelpforge Normal (MSZIP)"]:-0 0}"
read -r _ gzip_size _ <<< "${results["gzip -9 per file"]:-0 0}"
read -r zlib_seconds _ _ <<< "${results["makensis zlib"]:-0 0}"
if [ "$normal_size" -gt 0 ] && [ "$gzip_size" -gt 0 ]; then
    printf '\nNormal size / gzip -9 per file: %.4f\n' "$(echo "$normal_size / $gzip_size" | bc -l)"
    # The installer runtime is the same in every setup; without it the figure compares compression alone.
    runtime_size=$(stat -c %s "$(dirname "$cli")/Installer.exe")
    printf 'Normal size without Installer.exe (%d bytes) / gzip -9 per file: %.4f\n' "$runtime_size" \
        "$(echo "($normal_size - $runtime_size) / $gzip_size" | bc -l)"
fi
if [ "$(echo "$normal_seconds > 0 && $zlib_seconds > 0" | bc)" -eq 1 ]; then
    printf 'Normal time / makensis zlib time: %.2f\n' "$(echo "$normal_seconds / $zlib_seconds" | bc -l)"
fi
read -r store_seconds _ _ <<< "${results["kelpforge No compression"]:-0 0}"
read -r copy_seconds _ _ <<< "${results["cp (copy of the files)"]:-0 0}"
if [ "$(echo "$store_seconds > 0 && $copy_seconds > 0" | bc)" -eq 1 ]; then
    printf 'No compression time / cp time: %.2f\n' "$(echo "$store_seconds / $copy_seconds" | bc -l)"
fi

# The targets of solid compression: Normal against makensis zlib (size), Maximal solid against makensis
# lzma file by file (size) and against makensis /SOLID lzma (time), and the largest peak of any build.
ratio() { # label, figure (1: seconds, 2: size), label, figure, text
    read -r -a left <<< "${results["$1"]:-0 0 0}"
    read -r -a right <<< "${results["$3"]:-0 0 0}"
    if [ "$(echo "${left[$2 - 1]} > 0 && ${right[$4 - 1]} > 0" | bc)" -eq 1 ]; then
        printf '%s: %.4f\n' "$5" "$(echo "${left[$2 - 1]} / ${right[$4 - 1]}" | bc -l)"
    fi
}
echo
ratio "kelpforge Normal (MSZIP)" 2 "makensis zlib" 2 "Normal size / makensis zlib size"
ratio "kelpforge Maximal (LZX) solid" 2 "makensis lzma" 2 "Maximal solid size / makensis lzma size"
ratio "kelpforge Maximal (LZX) solid" 2 "makensis /SOLID lzma" 2 "Maximal solid size / makensis /SOLID lzma size"
ratio "kelpforge Maximal (LZX) solid" 1 "makensis /SOLID lzma" 1 "Maximal solid time / makensis /SOLID lzma time"
ratio "kelpforge Maximal (LZX) solid" 2 "kelpforge Maximal (LZX)" 2 "Maximal solid size / Maximal size"
ratio "kelpforge Normal (MSZIP) solid" 2 "kelpforge Normal (MSZIP)" 2 "Normal solid size / Normal size"
peak=0
for label in "${!results[@]}"; do
    [[ $label == kelpforge* ]] || continue
    read -r _ _ kilobytes <<< "${results[$label]}"
    [ "$kilobytes" -gt "$peak" ] && peak=$kilobytes
done
printf 'Largest peak of a kelpforge build: %.1f MB\n' "$(echo "$peak / 1024" | bc -l)"
