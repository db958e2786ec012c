#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset, clang) and runs every target for SECONDS,
# all at once, each from a copy of its stored corpus; new inputs go to fuzz/corpus-work/<target>
# and crashes to fuzz/corpus-work/crashes/<target>.
#   fuzz/run.sh SECONDS
set -euo pipefail
seconds=${1:?usage: fuzz/run.sh SECONDS}
cd "$(dirname "$0")/.."
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for target in fuzz_s2f fuzz_decode_page fuzz_recode fuzz_document fuzz_bmp; do
    mkdir -p "fuzz/corpus-work/$target" "fuzz/corpus-work/crashes/$target"
    cp -n "fuzz/corpus/$target/"* "fuzz/corpus-work/$target/" 2>/dev/null || true
    (
        cd "fuzz/corpus-work/crashes/$target"
        ../../../../build/fuzz/$target -max_total_time="$seconds" -rss_limit_mb=4096 -malloc_limit_mb=2048 \
            -timeout=20 -print_final_stats=1 "../../$target" >"../../$target.log" 2>&1
    ) &
done
wait
for target in fuzz_s2f fuzz_decode_page fuzz_recode fuzz_document fuzz_bmp; do
    echo "== $target: $(grep -E 'stat::number_of_executed_units' "fuzz/corpus-work/$target.log" | tail -1)"
    ls "fuzz/corpus-work/crashes/$target" 2>/dev/null | head
done
