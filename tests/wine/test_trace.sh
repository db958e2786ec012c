# korvif32.exe writes the trace named by KORVIF_TRACE as the native program does: the command
# as received, the files opened and written, the reason a run stopped, the time it took; the
# outputs are the same with and without it; sixteen runs at once interleave whole lines.
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
expect "wrote \"$(winpath "$WORK/traced.bmp")\""
expect "stop: page 5 of a 2-page document"
expect "no work file can be made in \"$(winpath "$WORK/no/such")"
grep -qE 'no work file can be made in .*: error [0-9]+: .' "$trace" || fail "the system's error is not in the trace"
[ "$(grep -c '\] done in ' "$trace")" = 3 ] || fail "not every run ended its trace: $(cat "$trace")"

# The desktop commands' stops, word for word (scripts and support staff read them). 65534 names
# no window; help command 10 (HELP_CONTEXTMENU) takes a structure.
desktop="$WORK/desktop.log"
declare -A desktop_stops=(
    ["STI:0"]="the second field is missing"
    ["STI:0,65534,1024,1"]="the window is no window"
    ["STM:65534,0"]="no window or no base message"
    ["STM:65534,1025"]="the window is no window"
    ["INFO:0,0"]="no host window or no button"
    ["HELP:0,1,2"]="fewer than four fields, or no help file"
    ["HELP:0,10,0,x.hlp"]="help command 10 takes a structure, which no number can stand for"
    ["XYZ:1"]="no command keyword at the start of the command text"
    ["INSTALLFAXPRINTER"]="the printer cannot be added: error [0-9]+: .+"
)
for command in "${!desktop_stops[@]}"; do
    rm -f "$desktop"
    KORVIF_TRACE=$(winpath "$desktop") run_windows "$command"
    grep -qxE "\[[0-9]+\] stop: ${desktop_stops[$command]}" "$desktop" ||
        fail "$command: no stop line '${desktop_stops[$command]}': $(cat "$desktop")"
done

# Sixteen runs at once, twice: every line whole, each run's first and last line there.
together="$WORK/together.log"
export KORVIF_TRACE
KORVIF_TRACE=$(winpath "$together")
pids=()
for i in $(seq 16); do
    printf '%s %s' "$(winpath "$WINDOWS_BUILD/korvif32.exe")" "F2D:1,0,$(winpath "$WORK/doc.kvd"),$(winpath "$WORK/out$i.bmp")" >"$WORK/command$i.txt"
    for _ in 1 2; do timeout 120 wine "$WINDOWS_BUILD/run_exact.exe" "$(winpath "$WORK/command$i.txt")"; done >"$WORK/launcher$i.log" 2>&1 &
    pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || fail "a run of the sixteen failed"; done
unset KORVIF_TRACE
torn=$(grep -cvE '^([0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:.]{12} )?\[[0-9]+\] [a-zA-Z][^[]*$' "$together" || true)
[ "$torn" = 0 ] || fail "$torn torn lines of $(wc -l <"$together"): $(grep -vE '^([0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:.]{12} )?\[[0-9]+\] [a-zA-Z][^[]*$' "$together" | head -5)"
[ "$(grep -c ' korvif32 1.0.0: F2D:1,0,' "$together")" = 32 ] || fail "not every run's first line is there: $(cat "$together")"
[ "$(grep -c '\] done in ' "$together")" = 32 ] || fail "not every run's last line is there: $(cat "$together")"
passed
