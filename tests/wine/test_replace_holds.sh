# korvif32.exe while another program holds the new work file or the backup of a replace, as a
# virus scanner or an indexer opens a file the moment it is closed. hold_file.exe holds the target
# until it has the new file (so the catch is certain), then only that file.
source "$(dirname "$0")/lib.sh"

run_native "S2F:0,$SOURCE_DIR/samples/sample.sff,$WORK/doc.kvd"
run_native "F2D:1,0,$WORK/doc.kvd,$WORK/page.bmp"
run_native "D2F:0,$WORK/page.bmp,$WORK/expected.g3"
printf 'old fax data' >"$WORK/old.g3"
export KORVIF_TRACE="$(winpath "$WORK/trace.log")"

# Runs D2F into out/held.g3 (the old data there) while hold_file.exe holds it with the sharing
# given until it has a new file of the pattern, which it then holds for the milliseconds given.
run_while_caught() {  # target sharing, pattern, milliseconds
    rm -rf "$WORK/out" "$WORK/trace.log"
    mkdir -p "$WORK/out"
    cp "$WORK/old.g3" "$WORK/out/held.g3"
    local marker="$WORK/held.marker"
    rm -f "$marker"
    wine "$WINDOWS_BUILD/hold_file.exe" "$(winpath "$WORK/out/held.g3")" "$1" "$(winpath "$marker")" \
        "$(winpath "$WORK/out")\\$2" r "$3" >"$WORK/hold.log" 2>&1 &
    local holder=$!
    for _ in $(seq 200); do [ -e "$marker" ] && break; sleep 0.05; done
    [ -e "$marker" ] || fail "hold_file.exe did not open the target ($(cat "$WORK/hold.log"))"
    run_windows "D2F:0,$(winpath "$WORK/page.bmp"),$(winpath "$WORK/out/held.g3")"
    wait "$holder" || fail "hold_file.exe failed"
    rm -f "$marker"
    grep -q '^caught' "$WORK/hold.log" || fail "hold_file.exe never had the new $2 file"
}

# The work file held for a moment: replaced in one step once it is let go, never in place.
run_while_caught r '~kv*.tmp' 700
same_file "$WORK/out/held.g3" "$WORK/expected.g3"
grep -aq 'in place' "$WORK/trace.log" && fail "a held work file sent the run in place: $(tr '\n' '|' <"$WORK/trace.log")"
grep -aq 'held (error [0-9]*): [0-9]* tries over' "$WORK/trace.log" || fail "no line for the tries: $(tr '\n' '|' <"$WORK/trace.log")"
[ "$(ls -A "$WORK/out")" = held.g3 ] || fail "files left beside the target: $(ls -A "$WORK/out")"

# The work file held longer than a run waits: the old content whole, the work file named.
run_while_caught r '~kv*.tmp' 5000
cmp -s "$WORK/out/held.g3" "$WORK/old.g3" || fail "the old content did not stay whole"
grep -aq 'refused: the work file .* is held by another program' "$WORK/trace.log" ||
    fail "the held work file is not named: $(tr '\n' '|' <"$WORK/trace.log")"
grep -aq 'in place' "$WORK/trace.log" && fail "a held work file sent the run in place: $(tr '\n' '|' <"$WORK/trace.log")"

# The target held with delete sharing: the replace goes ahead, the old file becomes the backup,
# which the holder then holds for a moment; nothing is left once it lets go.
run_while_caught rwd '~kb*.tmp' 700
same_file "$WORK/out/held.g3" "$WORK/expected.g3"
grep -aq 'the old content' "$WORK/trace.log" && fail "a redundant backup was traced as the old content"
[ "$(ls -A "$WORK/out")" = held.g3 ] || fail "files left beside the target: $(ls -A "$WORK/out")"

# An output that is the input by another spelling (case, 8.3 name) is refused before anything is
# written.
mkdir -p "$WORK/names"
cp "$WORK/doc.kvd" "$WORK/names/Received Fax.kvd"
short=$(winepath -s "$(winpath "$WORK/names/Received Fax.kvd")" 2>/dev/null | tr -d '\r')
case "$short" in *"~"*) ;; *) fail "no short name for the document: '$short'" ;; esac
for output in "$short" "$(winpath "$WORK/names/RECEIVED FAX.KVD")" "$(winpath "$WORK/names/.\\Received Fax.kvd")"; do
    rm -f "$WORK/trace.log"
    run_windows "F2D:1,0,$(winpath "$WORK/names/Received Fax.kvd"),$output"
    same_file "$WORK/names/Received Fax.kvd" "$WORK/doc.kvd"
    grep -aq 'stop: the output is the document itself' "$WORK/trace.log" || fail "F2D over $output: $(tr '\n' '|' <"$WORK/trace.log")"
done
[ "$(ls -A "$WORK/names")" = "Received Fax.kvd" ] || fail "other files appeared: $(ls -A "$WORK/names")"
passed
