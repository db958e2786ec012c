# korvif32.exe writes the trace named by KORVIF_TRACE as the native program does: the command
# as received, the files opened and written, the reason a run stopped, the time it took; the
# outputs are the same with and without it.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"
trace="$WORK/trace.log"
run_windows "F2D:1,0,$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/plain.bmp")"
export KORVIF_TRACE
KORVIF_TRACE=$(winpath "$trace")
run_windows "F2D:1,0,$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/traced.bmp")"
run_windows "F2D:5,0,$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/none.bmp")"
run_windows "RES:$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/no/such/out.kvd")"
unset KORVIF_TRACE
same_file "$WORK/plain.bmp" "$WORK/traced.bmp"
[ ! -e "$WORK/none.bmp" ] || fail "F2D of a missing page wrote a file"

expect() {
    grep -qF -- "$1" "$trace" || fail "the trace has no line with '$1': $(cat "$trace")"
}
expect "korvif32 1.0.0: F2D:1,0,$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/traced.bmp")"
expect "document: 5475 bytes, 2 pages, fine flag 0"
expect "wrote $(winpath "$WORK/traced.bmp")"
expect "stop: page 5 of a 2-page document"
expect "no work file can be made in $(winpath "$WORK/no/such")"
grep -qE 'no work file can be made in .*: error [0-9]+: .' "$trace" || fail "the system's error is not in the trace"
[ "$(grep -c '\] done in ' "$trace")" = 3 ] || fail "not every run ended its trace: $(cat "$trace")"
passed
