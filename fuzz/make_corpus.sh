#!/usr/bin/env bash
# Makes the seed corpus of every fuzz target from files that the program and netpbm write:
#   fuzz/make_corpus.sh NATIVE_PROGRAM
# Each seed of a target whose first bytes choose options gets those bytes in front.
set -euo pipefail
program=$(realpath "$1")
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$program" "S2F:0,../samples/sample.sff,$work/doc.kvd"
"$program" "RES:$work/doc.kvd,$work/fine.kvd"
"$program" "F2D:1,1,$work/doc.kvd,$work/page.bmp"
"$program" "SCL:0,200,60,$work/page.bmp,$work/small.bmp"
"$program" "SCL:3,120,40,$work/page.bmp,$work/grey.bmp"
"$program" "ROT:1,$work/small.bmp,$work/turned.bmp"
pbmtext 'Fax 12' | pnmscale -xsize 1728 -ysize 24 2>/dev/null | pgmtopbm -threshold 2>/dev/null >"$work/text.pbm"
pbmtog3 -reversebits "$work/text.pbm" >"$work/text.g3"
# A page wider than 1728 pixels: its long runs use the extended make-up codes.
pbmtext 'Fax 2464' | pnmscale -xsize 2464 -ysize 24 2>/dev/null | pgmtopbm -threshold 2>/dev/null >"$work/wide.pbm"
pbmtog3 -nofixedwidth -reversebits "$work/wide.pbm" >"$work/wide.g3" 2>/dev/null
pbmtext 'Ko' | ppmtobmp -bpp 1 >"$work/netpbm.bmp" 2>/dev/null
pbmtext 'Ko' | pgmtoppm white | ppmtobmp -bpp 24 >"$work/colour.bmp" 2>/dev/null
"$program" "D2F:1,$work/small.bmp,$work/small.g3" || true
"$program" "D2F:0,$work/page.bmp,$work/page.g3"
"$program" "F2S:0,1,2,$work/doc.kvd,$work/"

with_prefix() {  # with_prefix OUT PREFIX_HEX FILE
    { printf "$2"; cat "$3"; } >"$1"
}

rm -rf corpus
mkdir -p corpus/fuzz_s2f corpus/fuzz_decode_page corpus/fuzz_recode corpus/fuzz_document corpus/fuzz_bmp
cp ../samples/sample.sff corpus/fuzz_s2f/sample.sff
head -c 700 ../samples/sample.sff >corpus/fuzz_s2f/cut.sff
cp "$work/~isdnfax.sff" corpus/fuzz_s2f/f2s.sff

with_prefix corpus/fuzz_decode_page/text-plain '\x00' "$work/text.g3"
with_prefix corpus/fuzz_decode_page/text-doubled-trimmed '\x03' "$work/text.g3"
with_prefix corpus/fuzz_decode_page/wide '\x00' "$work/wide.g3"
head -c 3000 "$work/page.g3" >"$work/page-part.g3"
with_prefix corpus/fuzz_decode_page/page-part '\x02' "$work/page-part.g3"

cp "$work/text.g3" corpus/fuzz_recode/text.g3
cp "$work/wide.g3" corpus/fuzz_recode/wide.g3
cp "$work/page-part.g3" corpus/fuzz_recode/page-part.g3

with_prefix corpus/fuzz_document/page1 '\x01' "$work/doc.kvd"
with_prefix corpus/fuzz_document/page2-trim '\x82' "$work/fine.kvd"
with_prefix corpus/fuzz_document/whole '\x00' "$work/doc.kvd"

with_prefix corpus/fuzz_bmp/small '\x00\x40\x00\x20' "$work/small.bmp"
with_prefix corpus/fuzz_bmp/grey '\x01\x10\x30\x10' "$work/grey.bmp"
with_prefix corpus/fuzz_bmp/turned '\x02\x20\x10\x08' "$work/turned.bmp"
with_prefix corpus/fuzz_bmp/netpbm '\x00\x05\x20\x05' "$work/netpbm.bmp"
with_prefix corpus/fuzz_bmp/colour '\x01\x07\x00\x07' "$work/colour.bmp"
du -sh corpus
