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
for benchmark in decode_page encode_raster recode_page_to_sff; do
    for page in text empty dither; do
        # One iteration only: a minimum time of 0 stops after the first.
        valgrind --tool=callgrind --callgrind-out-file="$OUT" --toggle-collect="${entry[$benchmark]}" \
            "$BUILD/korvif_bench" --benchmark_min_time=0 --benchmark_filter="BM_$benchmark/$page\$" >/dev/null 2>&1
        printf '%-20s %-7s %12s\n' "$benchmark" "$page" "$(sed -n 's/^summary: //p' "$OUT")"
    done
done
