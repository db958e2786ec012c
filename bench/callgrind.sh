#!/usr/bin/env bash
# Instructions per call of the codec's entry points on the benchmark pages, counted by callgrind:
# unlike times, the counts do not move when other programs load the machine.
# Usage: bench/callgrind.sh [build directory, default build/native]
set -euo pipefail
BUILD=${1:-$(dirname "$0")/../build/native}
OUT=$(mktemp)
trap 'rm -f "$OUT"' EXIT
# The functions counted for each benchmark (callgrind's --toggle-collect patterns).
decode='korvif::decode_page(*'$'\n''korvif::page_bitmap(*'
encode='korvif::encode_raster(korvif::RasterRows const&, korvif::ByteSink&)'
declare -A entry=(
    [decode_page]=$decode
    [decode_page_doubled]=$decode
    [encode_raster]=$encode
    [encode_raster_pairs]=$encode
    [change_resolution_to_fine]="$decode"$'\n'"$encode"
    [change_resolution_to_normal]="$decode"$'\n'"$encode"
    [recode_page_to_sff]='korvif::recode_page_to_sff(*'
)
count() {  # benchmark, filter: the instructions counted inside the benchmark's entry points
    local toggles=()
    local pattern
    while IFS= read -r pattern; do toggles+=("--toggle-collect=$pattern"); done <<<"${entry[$1]}"
    valgrind --tool=callgrind --callgrind-out-file="$OUT" "${toggles[@]}" \
        "$BUILD/korvif_bench" --benchmark_min_time=0 --benchmark_filter="$2" >/dev/null 2>&1 || true
    sed -n 's/^summary: //p' "$OUT"
}
for benchmark in decode_page decode_page_doubled encode_raster encode_raster_pairs change_resolution_to_fine change_resolution_to_normal \
    recode_page_to_sff; do
    # The pages are made (and decoded once each) before any benchmark runs: counted with a
    # filter that matches none, and taken off.
    setup=$(count "$benchmark" 'none$')
    for page in text empty dither; do
        # One iteration only: a minimum time of 0 stops after the first.
        printf '%-28s %-7s %12s\n' "$benchmark" "$page" $(($(count "$benchmark" "BM_$benchmark/$page\$") - ${setup:-0}))
    done
done
