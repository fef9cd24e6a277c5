# The benchmarks' corpus, sourced by the scripts beside it: Windows PE files, C headers and
# already-compressed files, each taken in name order up to a byte budget (about 53 MB in all).

# Copies files matching a pattern from a folder until the budget is reached.
take() {
    local from=$1 pattern=$2 budget=$3 to=$4 total=0 n=0
    while IFS= read -r -d '' file; do
        size=$(stat -c %s "$file")
        [ "$size" -gt 0 ] || continue
        cp "$file" "$to/$n-$(basename "$file")"
        total=$((total + size)); n=$((n + 1))
        [ "$total" -lt "$budget" ] || break
    done < <(find "$from" -type f -name "$pattern" -print0 2>/dev/null | sort -z)
}

# Fills the given folder with the corpus.
make_corpus() {
    local corpus=$1
    mkdir -p "$corpus/pe" "$corpus/text" "$corpus/packed"
    take /usr/lib/x86_64-linux-gnu/wine/x86_64-windows '*.dll' $((30 * 1024 * 1024)) "$corpus/pe"
    take /usr/include '*.h' $((15 * 1024 * 1024)) "$corpus/text"
    take /usr/share/doc '*.gz' $((8 * 1024 * 1024)) "$corpus/packed"
}

# The bytes of a file, or of the files below a folder (its own entries are not output).
bytes_in() {
    find "$1" -type f -printf '%s\n' | paste -sd+ | bc
}
