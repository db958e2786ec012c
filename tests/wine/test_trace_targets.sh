# The trace goes only to a file on a disk and can neither hold up a run nor grow without limit:
# KORVIF_TRACE naming a FIFO without a reader, a directory, a device or port, a pipe or a file of
# 16 MB changes no output of the native program or of korvif32.exe and never makes a run wait,
# and the 16 MB file stays as it was; with the trace on a full tmpfs (mounting needs root; that
# part is left out otherwise) the outputs are those of an untraced run.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"
run_native "F2D:1,0,$WORK/doc.kvd,$WORK/plain.bmp"
mkfifo "$WORK/fifo"
mkdir "$WORK/dir"
head -c $((16 << 20)) /dev/zero | tr '\0' x >"$WORK/big.log"

# One traced F2D run of each program; its output must equal the untraced one.
traced_native() {
    rm -f "$WORK/out.bmp"
    local code=0
    KORVIF_TRACE=$1 timeout 20 "$NATIVE" "F2D:1,0,$WORK/doc.kvd,$WORK/out.bmp" || code=$?
    [ $code = 0 ] || fail "native, trace $1: exit status $code (124: the run waited)"
    same_file "$WORK/plain.bmp" "$WORK/out.bmp"
}
traced_windows() {
    rm -f "$WORK/out.bmp"
    KORVIF_TRACE=$1 run_windows "F2D:1,0,$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/out.bmp")"
    same_file "$WORK/plain.bmp" "$WORK/out.bmp"
}

for target in "$WORK/fifo" "$WORK/dir" /dev/null /dev/zero "$WORK/big.log"; do traced_native "$target"; done
for target in "$WORK/fifo" "$WORK/dir" "$WORK/big.log"; do traced_windows "$(winpath "$target")"; done
for target in NUL CON aux COM1 'lpt1.log' "$(winpath "$WORK/dir")\\nul.txt" '\\.\pipe\korvif' '\\.\COM2'; do
    traced_windows "$target"
done
[ "$(stat -c %s "$WORK/big.log")" = $((16 << 20)) ] || fail "the 16 MB trace grew"
[ -z "$(ls -A "$WORK/dir")" ] || fail "something was written into the directory: $(ls -A "$WORK/dir")"

MNT="$WORK/small"
mkdir -p "$MNT"
if mount -t tmpfs -o size=64k tmpfs "$MNT" 2>/dev/null; then
    trap 'umount "$MNT" 2>/dev/null || true' EXIT
    for program in native windows; do
        : >"$MNT/trace.log"
        head -c 1M /dev/zero >"$MNT/filler" 2>/dev/null || true
        if [ $program = native ]; then traced_native "$MNT/trace.log"; else traced_windows "$(winpath "$MNT/trace.log")"; fi
        [ ! -s "$MNT/trace.log" ] || fail "$program: the trace on a full disk holds $(cat "$MNT/trace.log")"
        rm -f "$MNT/filler"
    done
else
    echo "the full tmpfs is left out: it cannot be mounted here (root is needed)"
fi
passed
