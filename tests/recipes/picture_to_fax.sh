#!/usr/bin/env bash
# The README's recipe from pictures to a fax: each page of the sample drawn by F2D, coded again by
# D2F, put into a document by scripts/make-document.sh and sent through F2S. sfftobmp, an
# independent reader, must see in the SFF file so made exactly the pages it sees in the sample.
#   picture_to_fax.sh KORVIF32
set -euo pipefail
program=$1
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$program" "S2F:0,$top/samples/sample.sff,sample.kvd"
pages=$(od -An -tu1 -j288 -N1 sample.kvd | tr -d ' ')
[ "$pages" = 2 ] || { echo "the sample has $pages pages"; exit 1; }
for n in 1 2; do
    "$program" "F2D:$n,0,sample.kvd,page$n.bmp"
    "$program" "D2F:0,page$n.bmp,page$n.g3"
done
"$top/scripts/make-document.sh" fax.kvd page1.g3 page2.g3 >/dev/null
[ "$(od -An -tu1 -j288 -N2 fax.kvd | tr -s ' ')" = " 2 0" ] || { echo "page count or fine flag wrong"; exit 1; }
# The page table: page 1 at 1536, page 2 right after it, no third entry.
expected=" 1536 $((1536 + $(stat -c %s page1.g3))) 0"
[ "$(od -An -tu4 -j512 -N12 fax.kvd | tr -s ' ')" = "$expected" ] || { echo "page table wrong"; exit 1; }
[ "$(stat -c %s fax.kvd)" = $((1536 + $(stat -c %s page1.g3) + $(stat -c %s page2.g3))) ] || exit 1
mkdir out
"$program" "F2S:0,1,255,fax.kvd,out/"

mkdir theirs ours
(cd theirs && sfftobmp -q -p "$top/samples/sample.sff" -o page >/dev/null)
(cd ours && sfftobmp -q -p ../out/~isdnfax.sff -o page >../sfftobmp.txt 2>&1)
[ ! -s sfftobmp.txt ] || { cat sfftobmp.txt; exit 1; }
for n in 1 2; do
    cmp "theirs/page_00$n" "ours/page_00$n"
done
# A fine document says so, and the script refuses to write a document over one of its pages.
"$top/scripts/make-document.sh" --fine fine.kvd page1.g3 >/dev/null
[ "$(od -An -tu1 -j288 -N2 fine.kvd | tr -s ' ')" = " 1 1" ] || { echo "fine flag wrong"; exit 1; }
cp page1.g3 kept.g3
! "$top/scripts/make-document.sh" page1.g3 page1.g3 2>/dev/null
cmp page1.g3 kept.g3
echo "the recipe's SFF file shows the sample's 2 pages"
