#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset, clang) and runs every target for SECONDS,
# all at once, each from a copy of its stored corpus; new inputs go to fuzz/corpus-work/<target>
# and crashes to fuzz/corpus-work/crashes/<target>.
#   fuzz/run.sh SECONDS
set -euo pipefail
seconds=${1:?usage: fuzz/run.sh SECONDS}
cd "$(dirname "$0")/.."
targets="fuzz_s2f fuzz_decode_page fuzz_decode_reference fuzz_recode fuzz_document fuzz_bmp"
# The page decoder's inputs are kept small for speed; the reference comparison takes pages large
# enough to be decoded in two halves (16 KB and more).
max_len_of() {
    case $1 in
    fuzz_decode_page) echo -max_len=8192 ;;
    fuzz_decode_reference) echo -max_len=17408 ;;
    fuzz_document) echo -max_len=3072 ;;
    esac
}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for target in $targets; do
    mkdir -p "fuzz/corpus-work/$target" "fuzz/corpus-work/crashes/$target"
    seeds=$target
    [ "$target" = fuzz_decode_reference ] && seeds=fuzz_decode_page  # the same inputs
    cp -n "fuzz/corpus/$seeds/"* "fuzz/corpus-work/$target/" 2>/dev/null || true
    (
        cd "fuzz/corpus-work/crashes/$target"
        ../../../../build/fuzz/$target $(max_len_of "$target") -max_total_time="$seconds" -rss_limit_mb=4096 -malloc_limit_mb=2048 \
            -timeout=20 -print_final_stats=1 "../../$target" >"../../$target.log" 2>&1
    ) &
done
wait
for target in $targets; do
    echo "== $target: $(grep -E 'stat::number_of_executed_units' "fuzz/corpus-work/$target.log" | tail -1)"
    ls "fuzz/corpus-work/crashes/$target" 2>/dev/null | head
done
