#!/usr/bin/env bash
# The SHA-256 of every file the file commands write over fixed inputs (the bundled sample and what
# korvif_make_inputs generates: good, dense, blank and damaged documents, SFF files, BMP files of
# each kind), and of every failure case, compared with tests/data/conversion-outputs.txt. The
# comparison of the native and the Windows build cannot see a change that both builds make; this
# record does. After a change of output that is meant, run it with --update and commit the
# record together with the change.
# Usage: conversion_outputs.sh PROGRAM MAKE_INPUTS [--update]
set -euo pipefail
shopt -s extglob
PROGRAM=$1
MAKE_INPUTS=$2
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RECORD=$ROOT/tests/data/conversion-outputs.txt
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
unset KORVIF_TRACE

IN=$WORK/in
"$MAKE_INPUTS" "$IN"
cp "$ROOT/samples/sample.sff" "$IN/"
"$PROGRAM" "S2F:0,$IN/sample.sff,$IN/sample.kvd"

# {d} stands for the case's directory, a fresh copy of the inputs, where the outputs go too. The
# long inputs (in long/, several MB) are copied only for the cases that name them.
CASES=(
    "S2F:0,{d}/sample.sff,{d}/out.kvd"
    "S2F:0,{d}/records.sff,{d}/out.kvd"
    "S2F:0,{d}/truncated.sff,{d}/out.kvd"
    "S2F:0,{d}/offset.sff,{d}/out.kvd"
    "S2F:0,{d}/many.sff,{d}/out.kvd"
    "S2F:0,{d}/short.sff,{d}/out.kvd"
    "S2F:0,{d}/missing.sff,{d}/out.kvd"
    "S2F:0,{d}/sample.sff"
    "S2F:0,{d}/long/normal.sff,{d}/out.kvd"
    "S2F:0,{d}/long/fine-cut.sff,{d}/out.kvd"
    "S2F:0,{d}/long/huge-lines.sff,{d}/out.kvd"
    "F2D:1,0,{d}/sample.kvd,{d}/out.bmp"
    "F2D:2,1,{d}/sample.kvd,*out.bmp"
    "F2D:1,0,{d}/dense.kvd,{d}/out.bmp"
    "F2D:2,1,{d}/dense.kvd,{d}/out.bmp"
    "F2D:0,0,{d}/dense.kvd,{d}/out.bmp"
    "F2D:1,1,{d}/fine.kvd,{d}/out.bmp"
    "F2D:2,0,{d}/fine.kvd,{d}/out.bmp"
    "F2D:1,0,{d}/blank.kvd,{d}/out.bmp"
    "F2D:1,1,{d}/blank.kvd,{d}/out.bmp"
    "F2D:2,0,{d}/blank.kvd,{d}/out.bmp"
    "F2D:3,1,{d}/blank.kvd,{d}/out.bmp"
    "F2D:1,0,{d}/damaged.kvd,{d}/out.bmp"
    "F2D:2,0,{d}/damaged.kvd,{d}/out.bmp"
    "F2D:3,1,{d}/damaged.kvd,{d}/out.bmp"
    "F2D:4,0,{d}/damaged.kvd,{d}/out.bmp"
    "F2D:3,0,{d}/beyond.kvd,{d}/out.bmp"
    "F2D:1,0,{d}/empty.kvd,{d}/out.bmp"
    "F2D:3,0,{d}/sample.kvd,{d}/out.bmp"
    "F2D:1,0,{d}/short.kvd,{d}/out.bmp"
    "F2D:1,0,{d}/missing.kvd,{d}/out.bmp"
    "F2D:1,0,{d}/sample.kvd"
    "F2S:0,1,2,{d}/sample.kvd,{d}/"
    "F2S:0,1,1,{d}/sample.kvd,{d}/strips/"
    "F2S:0,1,9,{d}/dense.kvd,{d}/"
    "F2S:0,2,2,{d}/fine.kvd,{d}/x"
    "F2S:0,1,3,{d}/blank.kvd,{d}/"
    "F2S:0,1,5,{d}/damaged.kvd,{d}/"
    "F2S:0,1,3,{d}/beyond.kvd,{d}/"
    "F2S:0,2,1,{d}/sample.kvd,{d}/"
    "F2S:0,1,1,{d}/empty.kvd,{d}/"
    "F2S:0,1,1,{d}/short.kvd,{d}/"
    "F2S:0,1,1,{d}/missing.kvd,{d}/"
    "F2S:0,1,1,{d}/sample.kvd,{d}/$(printf 'p%.0s' {1..250})/"
    "F2S:0,1,255,{d}/long/strips.kvd,{d}/long/"
    "F2P:1,2,{d}/sample.kvd,{d}/out.pdf"
    "F2T:1,2,{d}/sample.kvd,*out.tif"
    "F2P:1,2,{d}/fine.kvd,*out.pdf"
    "F2T:1,2,{d}/fine.kvd,{d}/out.tif"
    "F2P:1,2,{d}/dense.kvd,{d}/out.pdf"
    "F2T:2,2,{d}/dense.kvd,{d}/out.tif"
    "F2P:1,5,{d}/damaged.kvd,{d}/out.pdf"
    "F2T:1,5,{d}/damaged.kvd,{d}/out.tif"
    "F2P:1,3,{d}/blank.kvd,{d}/out.pdf"
    "F2T:1,3,{d}/blank.kvd,{d}/out.tif"
    "F2P:1,7,{d}/forms.kvd,{d}/out.pdf"
    "F2T:1,7,{d}/forms.kvd,{d}/out.tif"
    "F2P:1,3,{d}/beyond.kvd,{d}/out.pdf"
    "F2T:1,1,{d}/empty.kvd,{d}/out.tif"
    "F2P:3,4,{d}/sample.kvd,{d}/out.pdf"
    "F2T:1,2,{d}/short.kvd,{d}/out.tif"
    "F2P:1,255,{d}/long/normal.kvd,{d}/out.pdf"
    "F2T:1,255,{d}/long/fine.kvd,{d}/out.tif"
    "RES:{d}/sample.kvd,{d}/out.kvd"
    "RES:{d}/dense.kvd,{d}/out.kvd"
    "RES:{d}/dense.kvd,{d}/dense.kvd"
    "RES:{d}/fine.kvd,{d}/out.kvd"
    "RES:{d}/blank.kvd,{d}/out.kvd"
    "RES:{d}/damaged.kvd,{d}/out.kvd"
    "RES:{d}/beyond.kvd,{d}/out.kvd"
    "RES:{d}/empty.kvd,{d}/out.kvd"
    "RES:{d}/short.kvd,{d}/out.kvd"
    "RES:{d}/missing.kvd,{d}/out.kvd"
    "RES:{d}/sample.kvd"
    "RES:{d}/long/normal.kvd,{d}/out.kvd"
    "RES:{d}/long/fine.kvd,{d}/out.kvd"
    "D2F:0,{d}/page.bmp,{d}/out.g3"
    "D2F:1,{d}/page.bmp,{d}/out.g3"
    "D2F:0,{d}/topdown.bmp,{d}/out.g3"
    "D2F:1,{d}/core.bmp,{d}/out.g3"
    "D2F:0,{d}/v5.bmp,{d}/out.g3"
    "D2F:0,{d}/dark.bmp,{d}/out.g3"
    "D2F:0,{d}/narrow.bmp,{d}/out.g3"
    "D2F:1,{d}/wide.bmp,{d}/out.g3"
    "D2F:0,{d}/one-row.bmp,{d}/out.g3"
    "D2F:1,{d}/one-row.bmp,{d}/out.g3"
    "D2F:0,{d}/grey.bmp,{d}/out.g3"
    "D2F:0,{d}/text.bmp,{d}/out.g3"
    "D2F:0,{d}/missing.bmp,{d}/out.g3"
    "D2F:0,{d}/page.bmp"
    "INV:{d}/narrow.bmp,{d}/out.bmp"
    "INV:{d}/core.bmp"
    "INV:{d}/grey.bmp,{d}/out.bmp"
    "ROT:1,{d}/narrow.bmp,{d}/out.bmp"
    "ROT:2,{d}/topdown.bmp,{d}/out.bmp"
    "ROT:3,{d}/narrow.bmp"
    "SCL:0,172,220,{d}/page.bmp,{d}/out.bmp"
    "SCL:1,864,150,{d}/page.bmp,*out.bmp"
    "SCL:2,500,60,{d}/narrow.bmp,{d}/out.bmp"
    "SCL:3,100,100,{d}/wide.bmp,{d}/out.bmp"
    "SCL:0,0,100,{d}/page.bmp,{d}/out.bmp"
)

digest() { sha256sum <"$1" | cut -c1-64; }

{
    (cd "$IN" && find . -type f | sort | while read -r file; do echo "input ${file#./} $(digest "$file")"; done)
    for case in "${CASES[@]}"; do
        dir=$WORK/case
        rm -rf "$dir"
        mkdir "$dir"
        if [[ $case == *'{d}/long/'* ]]; then cp -r "$IN"/. "$dir"; else cp -r "$IN"/!(long) "$dir"; fi
        inodes=$(cd "$dir" && find . -type f -printf '%p %i\n')
        "$PROGRAM" "${case//\{d\}/$dir}" || { echo "exit status $? from $case" >&2; exit 1; }
        # What the run wrote: new files, and inputs replaced (a new inode) or changed.
        written=$(cd "$dir" && find . -type f -printf '%p %i\n' | sort | while read -r file inode; do
            grep -qxF "$file $inode" <<<"$inodes" && cmp -s "$file" "$IN/$file" || printf ' %s %s' "${file#./}" "$(digest "$file")"
        done)
        echo "${case:0:120} ->${written:- nothing}"
    done
} >"$WORK/outputs.txt"

if [ "${3:-}" = --update ]; then
    cp "$WORK/outputs.txt" "$RECORD"
    echo "recorded: $RECORD"
elif ! diff -u "$RECORD" "$WORK/outputs.txt"; then
    echo "FAIL: the outputs differ from $RECORD (--update records them when the change is meant)" >&2
    exit 1
else
    echo "conversion outputs: ${#CASES[@]} cases unchanged"
fi
