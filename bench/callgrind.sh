#!/usr/bin/env bash
# Instructions per call of the codec's entry points on the benchmark pages, counted by callgrind:
# unlike times, the counts do not move when other programs load the machine.
# Usage: bench/callgrind.sh [build directory, default build/native]
set -euo pipefail
BUILD=${1:-$(dirname "$0")/../build/native}
OUT=$(mktemp)
trap 'rm -f "$OUT"' EXIT
declare -A entry=(
    [decode_page]='korvif::decode_page(*'
    [encode_raster]='korvif::encode_raster(korvif::MemoryBlock&, korvif::ByteSink&, korvif::EncodeFlags)'
    [recode_page_to_sff]='korvif::recode_page_to_sff(*'
)
count() {  # benchmark, filter: the instructions counted inside the benchmark's entry point
    valgrind --tool=callgrind --callgrind-out-file="$OUT" --toggle-collect="${entry[$1]}" \
        "$BUILD/korvif_bench" --benchmark_min_time=0 --benchmark_filter="$2" >/dev/null 2>&1 || true
    sed -n 's/^summary: //p' "$OUT"
}
for benchmark in decode_page encode_raster recode_page_to_sff; do
    # The pages are made (and decoded once each) before any benchmark runs: counted with a
    # filter that matches none, and taken off.
    setup=$(count "$benchmark" 'none$')
    for page in text empty dither; do
        # One iteration only: a minimum time of 0 stops after the first.
        printf '%-20s %-7s %12s\n' "$benchmark" "$page" $(($(count "$benchmark" "BM_$benchmark/$page\$") - ${setup:-0}))
    done
done
