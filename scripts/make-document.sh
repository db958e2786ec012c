#!/usr/bin/env bash
# Makes a fax document (.kvd) from pages of raw MH data, as D2F writes them, so that a picture can
# become a fax: BMP -> D2F -> MH data -> this script -> document -> F2S -> SFF file.
#
#   make-document.sh [--fine] DOCUMENT PAGE.g3 [PAGE.g3 ...]
#
# The document is the 1536-byte header (the maker's texts, the page count at byte 288, the fine
# flag at byte 289, the page table of 32-bit little-endian offsets at byte 512) followed by the
# pages' bytes as they stand. --fine marks the pages as fine (D2F's resolution 1); without it they
# are of normal resolution (D2F's resolution 0). At most 255 pages, and no page may be empty.
# An existing DOCUMENT is replaced only by a complete new one, and never by its own pages.
set -euo pipefail

usage() {
    echo "usage: $0 [--fine] DOCUMENT PAGE.g3 [PAGE.g3 ...]" >&2
    exit 2
}

fine=0
if [ "${1-}" = --fine ]; then
    fine=1
    shift
fi
[ $# -ge 2 ] || usage
document=$1
shift
[ $# -le 255 ] || { echo "$0: $# pages: a document holds at most 255" >&2; exit 1; }

header_size=1536
offsets=()
end=$header_size
for page in "$@"; do
    [ -f "$page" ] || { echo "$0: $page is no file" >&2; exit 1; }
    ! [ "$page" -ef "$document" ] || { echo "$0: $page is the document itself" >&2; exit 1; }
    size=$(stat -L -c %s -- "$page")
    [ "$size" -gt 0 ] || { echo "$0: $page is empty" >&2; exit 1; }
    offsets+=("$end")
    end=$((end + size))
done
[ "$end" -lt 2147483648 ] || { echo "$0: the document would reach 2 GB" >&2; exit 1; }

# One byte as printf's octal escape, which every printf takes.
byte() { printf "\\$(printf '%03o' "$1")"; }
# A 32-bit number, least significant byte first.
u32() { byte $(($1 & 255)); byte $(($1 >> 8 & 255)); byte $(($1 >> 16 & 255)); byte $(($1 >> 24 & 255)); }
# n zero bytes.
zeros() { [ "$1" -gt 0 ] && head -c "$1" /dev/zero; true; }

header() {
    printf '%-16s%-16s' Korvane 3.0    # bytes 0 and 16: the maker and the format version
    byte 2                             # byte 32: the format byte
    zeros 33                           # up to byte 66
    printf '%-30s' ISDN                # byte 66: the text field
    zeros $((288 - 96))                # up to byte 288
    byte $#                            # the page count
    byte "$fine"                       # the fine flag
    zeros $((512 - 290))               # up to the page table
    for offset in "${offsets[@]}"; do u32 "$offset"; done
    zeros $((4 * (256 - ${#offsets[@]}))) # the entry after the last page and the unused ones stay 0
}

# A link at the document's name stays a link: the file it points to is replaced.
if [ -L "$document" ]; then
    [ -e "$document" ] || { echo "$0: $document is a link to nothing" >&2; exit 1; }
    document=$(readlink -f -- "$document")
fi
[ ! -e "$document" ] || [ -f "$document" ] || { echo "$0: $document is no plain file" >&2; exit 1; }
directory=$(dirname -- "$document")
work=$(mktemp "$directory/.make-document.XXXXXXXX")
trap 'rm -f -- "$work"' EXIT
{
    header "$@"
    cat -- "$@"
} >"$work"
[ "$(stat -c %s -- "$work")" -eq "$end" ] || { echo "$0: $work is not complete" >&2; exit 1; }
chmod 644 -- "$work"
mv -f -- "$work" "$document"
trap - EXIT
echo "$document: $# page(s), $end bytes, $([ "$fine" = 1 ] && echo fine || echo normal) resolution"
