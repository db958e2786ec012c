# On a nearly full disk, every command that rewrites a file leaves it byte for byte as it was or
# byte for byte as a roomy disk gives it (F2S: as a roomy disk gives it, or gone, as the host must
# not send an earlier request's fax), and no work file behind: the native program and
# korvif32.exe, with 0 to 64 KB free on a small tmpfs (mounting needs root; skipped otherwise).
source "$(dirname "$0")/lib.sh"

MNT="$WORK/small"
mkdir -p "$MNT"
if ! mount -t tmpfs -o size=1m tmpfs "$MNT" 2>/dev/null; then
    echo "SKIPPED: a small tmpfs cannot be mounted here (the test needs root)"
    exit 77
fi
trap 'umount "$MNT" 2>/dev/null || true' EXIT

# Inputs: a two-page document, a page bitmap, a small bitmap, the sample SFF file.
ORIG="$WORK/orig"
mkdir -p "$ORIG"
cp "$SOURCE_DIR/samples/sample.sff" "$ORIG/in.sff"
run_native "S2F:0,$ORIG/in.sff,$ORIG/doc.kvd"
run_native "F2D:1,0,$ORIG/doc.kvd,$ORIG/page.bmp"
run_native "SCL:0,432,300,$ORIG/page.bmp,$ORIG/small.bmp"
printf 'an earlier output' >"$ORIG/old.out"

# name | file checked | files set up (from ORIG; old.out is the earlier output) | command with @ for the directory
CASES=(
    "res|doc.kvd|doc.kvd|RES:@doc.kvd,@doc.kvd"
    "inv|small.bmp|small.bmp|INV:@small.bmp"
    "rot|small.bmp|small.bmp|ROT:1,@small.bmp"
    "scl|out.bmp|page.bmp old.out:out.bmp|SCL:1,216,150,@page.bmp,@out.bmp"
    "f2d|out.bmp|doc.kvd old.out:out.bmp|F2D:2,0,@doc.kvd,@out.bmp"
    "d2f|out.g3|page.bmp old.out:out.g3|D2F:1,@page.bmp,@out.g3"
    "s2f|doc.kvd|in.sff old.out:doc.kvd|S2F:0,@in.sff,@doc.kvd"
    "f2s|~isdnfax.sff|doc.kvd old.out:~isdnfax.sff|F2S:0,1,2,@doc.kvd,@"
)

set_up() {  # directory, list of files
    local dir=$1 spec
    rm -rf "${dir:?}"/*
    for spec in $2; do cp "$ORIG/${spec%%:*}" "$dir/${spec##*:}"; done
}

# The command with its directory: Linux paths for the native program, Windows paths for the other.
command_in() {  # program, directory, template
    local dir=$2/
    [ "$1" = windows ] && dir=$(winpath "$2")'\'
    printf '%s' "${3//@/$dir}"
}

run_program() {  # program, command
    if [ "$1" = native ]; then run_native "$2"; else run_windows "$2"; fi
}

ROOMY="$WORK/roomy"
mkdir -p "$ROOMY"
kept=0
replaced=0
for program in native windows; do
    for case in "${CASES[@]}"; do
        IFS='|' read -r name checked files template <<<"$case"
        set_up "$ROOMY" "$files"
        run_program "$program" "$(command_in "$program" "$ROOMY" "$template")"
        cp "$ROOMY/$checked" "$WORK/$program-$name.expected"
        set_up "$ROOMY" "$files"
        cmp -s "$ROOMY/$checked" "$WORK/$program-$name.expected" && fail "$program $name changed nothing on a roomy disk"
        cp "$ROOMY/$checked" "$WORK/$program-$name.original"
        for free_kb in 0 4 8 12 16 24 32 48 64; do
            set_up "$MNT" "$files"
            rm -f "$MNT/filler"
            available=$(df --output=avail -B1 "$MNT" | tail -1)
            fill=$((available - free_kb * 1024))
            [ "$fill" -gt 0 ] && fallocate -l "$fill" "$MNT/filler"
            run_program "$program" "$(command_in "$program" "$MNT" "$template")"
            if cmp -s "$MNT/$checked" "$WORK/$program-$name.expected"; then
                replaced=$((replaced + 1))
            elif [ "$name" = f2s ] && [ ! -e "$MNT/$checked" ]; then
                kept=$((kept + 1))
            elif [ "$name" != f2s ] && cmp -s "$MNT/$checked" "$WORK/$program-$name.original"; then
                kept=$((kept + 1))
            else
                cp "$MNT/$checked" "$WORK/$program-$name-$free_kb.damaged"
                fail "$program $name with $free_kb KB free left $checked neither as it was nor as the result"
            fi
            leftovers=$(find "$MNT" -name '~k[vb]*')
            [ -z "$leftovers" ] || fail "$program $name with $free_kb KB free left work files: $leftovers"
        done
    done
done
echo "files kept: $kept, replaced: $replaced"
[ "$kept" -gt 0 ] && [ "$replaced" -gt 0 ] || fail "the sizes tried did not give both outcomes"
passed
